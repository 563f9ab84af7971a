// The vCard file address book: parsed once with libebook's EContact, matched
// with libebook's phone-number comparison.

#include <libebook/libebook.h>

#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "hosts/modem/contacts.h"
#include "hosts/modem/gobject_ptr.h"

namespace modem {

namespace {

struct Card {
  std::string uid;
  std::vector<std::string> numbers;
};

// The cards of a file: each from a line "BEGIN:VCARD" up to its "END:VCARD".
std::vector<std::string> splitCards(const std::string& text) {
  std::vector<std::string> cards;
  std::istringstream in(text);
  std::string line;
  std::string current;
  bool inside = false;
  while (std::getline(in, line)) {
    const std::string bare = line.substr(0, line.find_last_not_of("\r") + 1);
    if (g_ascii_strcasecmp(bare.c_str(), "BEGIN:VCARD") == 0) {
      inside = true;
      current.clear();
    }
    if (inside) current += bare + "\r\n";
    if (inside && g_ascii_strcasecmp(bare.c_str(), "END:VCARD") == 0) {
      cards.push_back(std::move(current));
      current.clear();
      inside = false;
    }
  }
  return cards;
}

bool sameNumber(const std::string& caller, const std::string& card) {
  GError* raw = nullptr;
  const EPhoneNumberMatch match = e_phone_number_compare_strings_with_region(
      caller.c_str(), card.c_str(), kContactsRegion, &raw);
  const GErrorPtr error(raw);
  return !error && match != E_PHONE_NUMBER_MATCH_NONE && match <= E_PHONE_NUMBER_MATCH_NATIONAL;
}

class VCardDirectory : public ContactDirectory {
 public:
  VCardDirectory(std::string path, std::vector<Card> cards)
      : path_(std::move(path)), cards_(std::move(cards)) {}

  std::optional<std::string> contactForNumber(const std::string& number) override {
    if (number.empty()) return std::nullopt;
    for (const Card& card : cards_) {
      for (const std::string& candidate : card.numbers) {
        if (sameNumber(number, candidate)) return card.uid;
      }
    }
    return std::nullopt;
  }

  std::string description() const override {
    return "the vCard file " + path_ + " (" + std::to_string(cards_.size()) + " cards)";
  }

 private:
  std::string path_;
  std::vector<Card> cards_;
};

}  // namespace

Result<std::unique_ptr<ContactDirectory>> openVCardFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return fail("cannot open the vCard file " + path);
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return fail("cannot read the vCard file " + path);

  std::vector<Card> cards;
  for (const std::string& source : splitCards(text.str())) {
    const GObjectPtr<EContact> contact = adopt(e_contact_new_from_vcard(source.c_str()));
    if (!contact) continue;
    Card card;
    const gchar* uid = static_cast<const gchar*>(e_contact_get_const(contact.get(), E_CONTACT_UID));
    card.uid = uid != nullptr && *uid != '\0' ? uid : "card-" + std::to_string(cards.size() + 1);
    GList* attributes = e_contact_get_attributes(contact.get(), E_CONTACT_TEL);
    for (GList* item = attributes; item != nullptr; item = item->next) {
      g_autofree gchar* value =
          e_vcard_attribute_get_value(static_cast<EVCardAttribute*>(item->data));
      if (value != nullptr && *value != '\0') card.numbers.emplace_back(value);
    }
    g_list_free_full(attributes, reinterpret_cast<GDestroyNotify>(e_vcard_attribute_free));
    cards.push_back(std::move(card));
  }
  return std::unique_ptr<ContactDirectory>(new VCardDirectory(path, std::move(cards)));
}

}  // namespace modem
