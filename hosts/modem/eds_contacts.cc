// The session's address books in Evolution Data Server, asked through
// libebook with the phone-number query the address books answer themselves.

#include <libebook/libebook.h>

#include <utility>
#include <vector>

#include "hosts/modem/contacts.h"
#include "hosts/modem/gobject_ptr.h"

namespace modem {

namespace {

// How long connecting to one address book may take at start.
constexpr guint32 kConnectSeconds = 10;

class SessionAddressBooks : public ContactDirectory {
 public:
  SessionAddressBooks(GObjectPtr<ESourceRegistry> registry,
                      std::vector<GObjectPtr<EBookClient>> books, std::vector<std::string> names)
      : registry_(std::move(registry)), books_(std::move(books)), names_(std::move(names)) {}

  std::optional<std::string> contactForNumber(const std::string& number) override {
    if (number.empty()) return std::nullopt;
    EBookQuery* query = e_book_query_field_test(
        E_CONTACT_TEL, E_BOOK_QUERY_EQUALS_NATIONAL_PHONE_NUMBER, number.c_str());
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
