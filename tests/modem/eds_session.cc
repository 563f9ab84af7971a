#include "eds_session.h"

#include <libebook/libebook.h>
#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "hosts/modem/gobject_ptr.h"

namespace modem_testing {

namespace {

using namespace std::chrono_literals;

constexpr const char* kVariables[] = {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                                      "LOCPATH", "DBUS_SESSION_BUS_ADDRESS"};
// Connecting does not wait for the book to be online.
constexpr guint32 kNoWait = static_cast<guint32>(-1);

}  // namespace

EdsSession::EdsSession() {
  std::string pattern = (std::filesystem::temp_directory_path() / "hushgate-eds-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return;
  folder_ = pattern;
  const std::string folder = folder_;
  for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
    const std::string path = folder + "/" + name;
    std::filesystem::create_directories(path);
    setenv(name, path.c_str(), 1);
  }
  const std::string locales = folder + "/locale";
  std::filesystem::create_directories(locales);
  const std::string localedef =
      "localedef -i zh_CN -f UTF-8 '" + locales + "/zh_CN.UTF-8' > /dev/null 2>&1";
  if (std::system(localedef.c_str()) != 0) return;
  setenv("LOCPATH", locales.c_str(), 1);
  if (const char* lang = getenv("LANG")) previousLang_ = lang;
  setenv("LANG", "zh_CN.UTF-8", 1);

  bus_ = testing_support::ChildProcess::start(
      {"/usr/bin/dbus-daemon", "--session", "--address=unix:path=" + folder + "/session",
       "--nofork", "--print-address"},
      {.captureErrors = true});
  if (bus_ != nullptr) address_ = bus_->readLine(10s).value_or("");
  setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
}

EdsSession::~EdsSession() {
  // The library's session connection ends the process when its bus goes,
  // unless told otherwise.
  if (running()) {
    GDBusConnection* session = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (session != nullptr) {
      g_dbus_connection_set_exit_on_close(session, FALSE);
      g_object_unref(session);
    }
  }
  bus_.reset();
  for (const char* name : kVariables) unsetenv(name);
  std::error_code ignored;
  if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  if (previousLang_) {
    setenv("LANG", previousLang_->c_str(), 1);
  } else {
    unsetenv("LANG");
  }
}

std::optional<std::string> EdsSession::addContacts(const std::vector<std::string>& cards) const {
  GError* raw = nullptr;
  const modem::GObjectPtr<ESourceRegistry> registry =
      modem::adopt(e_source_registry_new_sync(nullptr, &raw));
  modem::GErrorPtr error(raw);
  if (!registry) return "no registry: " + modem::errorText(error.get());
  const modem::GObjectPtr<ESource> source =
      modem::adopt(e_source_registry_ref_builtin_address_book(registry.get()));
  if (!source) return "no built-in address book";
  raw = nullptr;
  const modem::GObjectPtr<EClient> client =
      modem::adopt(e_book_client_connect_sync(source.get(), kNoWait, nullptr, &raw));
  error.reset(raw);
  if (!client) return "cannot open the address book: " + modem::errorText(error.get());
  for (const std::string& card : cards) {
    const modem::GObjectPtr<EContact> contact =
        modem::adopt(e_contact_new_from_vcard(card.c_str()));
    raw = nullptr;
    const gboolean added =
        e_book_client_add_contact_sync(E_BOOK_CLIENT(client.get()), contact.get(),
                                       E_BOOK_OPERATION_FLAG_NONE, nullptr, nullptr, &raw);
    error.reset(raw);
    if (!added) return "cannot add a contact: " + modem::errorText(error.get());
  }
  return std::nullopt;
}

}  // namespace modem_testing

#if defined(__SANITIZE_ADDRESS__)
// As in the host (hosts/modem/eds_contacts.cc): the registry's thread keeps
// its proxies to the end of the process.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
  return "leak:e_dbus_object_manager_client_new_for_bus_sync\n";
}
extern "C" __attribute__((weak)) const char* __asan_default_options() {
  return "fast_unwind_on_malloc=0";
}
#endif
