// The vCard address book: Evolution Data Server's parser and its phone-number
// matching on a real vCard file.

#include <gtest/gtest.h>

#include <fstream>
#include <ostream>

#include "hosts/modem/contacts.h"
#include "support/temp_root.h"

namespace {

constexpr char kCards[] =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:mobile\r\nFN:Mobile\r\nTEL;TYPE=CELL:+86 138 0013 "
    "8000\r\nEND:VCARD\r\n"
    "begin:vcard\nversion:2.1\nUID:landline\nFN:Landline\nTEL;WORK:010-8888 6666\n"
    "TEL;HOME:(0755) 2345-6789\nend:vcard\n"
    "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:No identifier\r\nTEL:95555\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:abroad\r\nFN:Abroad\r\nTEL:+1 650 253 0000\r\nEND:VCARD\r\n";

struct Lookup {
  const char* number;
  std::optional<std::string> contact;
};

void PrintTo(const Lookup& lookup, std::ostream* out) {
  *out << '"' << lookup.number << '"';
}

class VCardContactsTest : public ::testing::TestWithParam<Lookup> {
 protected:
  testing_support::TempDeviceRoot root_;
};

TEST_P(VCardContactsTest, FindsTheContactOfANumber) {
  const std::string path = root_.path() + "/contacts.vcf";
  std::ofstream(path, std::ios::binary) << kCards;
  Result<std::unique_ptr<modem::ContactDirectory>> directory = modem::openVCardFile(path);
  ASSERT_TRUE(directory) << directory.error();
  EXPECT_EQ((*directory)->contactForNumber(GetParam().number), GetParam().contact)
      << GetParam().number;
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, VCardContactsTest,
    ::testing::Values(Lookup{"+8613800138000", "mobile"}, Lookup{"13800138000", "mobile"},
                      Lookup{"138-0013-8000", "mobile"}, Lookup{"+8613800138001", std::nullopt},
                      Lookup{"+4413800138000", std::nullopt}, Lookup{"01088886666", "landline"},
                      Lookup{"+861088886666", "landline"}, Lookup{"075523456789", "landline"},
                      Lookup{"95555", "card-3"}, Lookup{"+16502530000", "abroad"},
                      Lookup{"6502530000", "abroad"}, Lookup{"", std::nullopt},
                      Lookup{"not a number", std::nullopt}));

TEST(VCardContacts, AMissingFileIsAnError) {
  testing_support::TempDeviceRoot root;
  Result<std::unique_ptr<modem::ContactDirectory>> directory =
      modem::openVCardFile(root.path() + "/missing.vcf");
  ASSERT_FALSE(directory);
  EXPECT_NE(directory.error().find("missing.vcf"), std::string::npos);
}

}  // namespace
