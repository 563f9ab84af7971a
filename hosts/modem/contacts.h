// The user's address book, as the contact bypass needs it: whether a caller's
// number belongs to a contact, and that contact's identifier.
//
// Numbers are matched as Evolution Data Server matches phone numbers (its
// "equals national phone number" test, e_phone_number_compare_strings): two
// numbers are the same when their national numbers are, and their country
// codes are equal or one of them has none, so "+8613800138000",
// "13800138000" and "138-0013-8000" are one number.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "statics/result.h"

namespace modem {

class ContactDirectory {
 public:
  virtual ~ContactDirectory() = default;
  // The identifier (vCard UID) of a contact with this number; nullopt when
  // there is none or the address book cannot be asked (logged).
  virtual std::optional<std::string> contactForNumber(const std::string& number) = 0;
  // What is asked, for the start-up log line.
  virtual std::string description() const = 0;
};

// The region that national numbers are read in: the numbers are Chinese.
inline constexpr char kContactsRegion[] = "CN";

// The vCard file at path (one or more vCards, as exported by an address
// book), read now with Evolution Data Server's vCard parser. A card without
// a UID is known by its position, "card-N" (from 1).
Result<std::unique_ptr<ContactDirectory>> openVCardFile(const std::string& path);

// The enabled address books of Evolution Data Server on the session bus,
// asked at each call (a phone-number query). Fails when the session has no
// Evolution Data Server.
Result<std::unique_ptr<ContactDirectory>> openSessionAddressBooks();

}  // namespace modem
