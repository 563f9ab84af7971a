// The session's address books in Evolution Data Server, asked through
// libebook with the phone-number query the address books answer themselves.

#include <libebook/libebook.h>

#include <utility>
#include <vector>

#include "hosts/modem/contacts.h"
#include "hosts/modem/gobject_ptr.h"

namespace modem {

namespace {

// Connecting does not wait for a book to be online: a book answers from
// what it has (a local book always, a remote one from its cache).
constexpr guint32 kConnectSeconds = static_cast<guint32>(-1);  // do not wait

// The number as the address book stores numbers it can read: in E.164, a
// national number read in kContactsRegion; as it is when it cannot be read.
std::string normalised(const std::string& number) {
  EPhoneNumber* parsed = e_phone_number_from_string(number.c_str(), kContactsRegion, nullptr);
  if (parsed == nullptr) return number;
  g_autofree gchar* e164 = e_phone_number_to_string(parsed, E_PHONE_NUMBER_FORMAT_E164);
  e_phone_number_free(parsed);
  return e164 != nullptr ? e164 : number;
}

class SessionAddressBooks : public ContactDirectory {
 public:
  SessionAddressBooks(GObjectPtr<ESourceRegistry> registry,
                      std::vector<GObjectPtr<EBookClient>> books, std::vector<std::string> names)
      : registry_(std::move(registry)), books_(std::move(books)), names_(std::move(names)) {}

  std::optional<std::string> contactForNumber(const std::string& number) override {
    if (number.empty()) return std::nullopt;
    EBookQuery* query = e_book_query_field_test(
        E_CONTACT_TEL, E_BOOK_QUERY_EQUALS_NATIONAL_PHONE_NUMBER, normalised(number).c_str());
    g_autofree gchar* sexp = e_book_query_to_string(query);
    e_book_query_unref(query);
    for (const GObjectPtr<EBookClient>& book : books_) {
      GSList* uids = nullptr;
      GError* raw = nullptr;
      const gboolean ok =
          e_book_client_get_contacts_uids_sync(book.get(), sexp, &uids, nullptr, &raw);
      const GErrorPtr error(raw);
      std::optional<std::string> found;
      if (ok && uids != nullptr) found = static_cast<const char*>(uids->data);
      g_slist_free_full(uids, g_free);
      if (!ok) {
        g_printerr("hushgate-modem: address book query failed: %s\n",
                   errorText(error.get()).c_str());
      }
      if (found) return found;
    }
    return std::nullopt;
  }

  std::string description() const override {
    std::string text = "the session's address books:";
    for (const std::string& name : names_) text += " \"" + name + "\"";
    return text;
  }

 private:
  GObjectPtr<ESourceRegistry> registry_;
  std::vector<GObjectPtr<EBookClient>> books_;
  std::vector<std::string> names_;
};

}  // namespace

Result<std::unique_ptr<ContactDirectory>> openSessionAddressBooks() {
  // A session bus that goes away leaves the host running (its lookups then
  // fail and are logged) instead of ending it.
  if (GDBusConnection* session = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
    g_dbus_connection_set_exit_on_close(session, FALSE);
    g_object_unref(session);
  }
  GError* raw = nullptr;
  GObjectPtr<ESourceRegistry> registry = adopt(e_source_registry_new_sync(nullptr, &raw));
  const GErrorPtr error(raw);
  if (!registry) return fail("no Evolution Data Server in this session: " + errorText(error.get()));

  std::vector<GObjectPtr<EBookClient>> books;
  std::vector<std::string> names;
  GList* sources = e_source_registry_list_enabled(registry.get(), E_SOURCE_EXTENSION_ADDRESS_BOOK);
  for (GList* item = sources; item != nullptr; item = item->next) {
    ESource* source = E_SOURCE(item->data);
    GError* connectRaw = nullptr;
    EClient* client = e_book_client_connect_sync(source, kConnectSeconds, nullptr, &connectRaw);
    const GErrorPtr connectError(connectRaw);
    const char* name = e_source_get_display_name(source);
    if (client == nullptr) {
      g_printerr("hushgate-modem: cannot open the address book \"%s\": %s\n", name,
                 errorText(connectError.get()).c_str());
      continue;
    }
    books.push_back(adopt(E_BOOK_CLIENT(client)));
    names.emplace_back(name != nullptr ? name : "");
  }
  g_list_free_full(sources, g_object_unref);
  if (books.empty()) return fail("the session has no address book that opens");
  return std::unique_ptr<ContactDirectory>(
      new SessionAddressBooks(std::move(registry), std::move(books), std::move(names)));
}

}  // namespace modem

#if defined(__SANITIZE_ADDRESS__)
// The address-book registry's own thread keeps the proxies it makes until the
// process ends; LeakSanitizer is told, so that it reports the host's leaks
// only. Telling them apart needs whole stacks through GLib, which has no
// frame pointers.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() {
  return "leak:e_dbus_object_manager_client_new_for_bus_sync\n";
}
extern "C" __attribute__((weak)) const char* __asan_default_options() {
  return "fast_unwind_on_malloc=0";
}
#endif
