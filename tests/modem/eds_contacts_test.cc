// The session's address books: a real Evolution Data Server with contacts
// added through libebook, asked by the host's lookup.

#include <gtest/gtest.h>

#include <ostream>

#include "eds_session.h"
#include "hosts/modem/contacts.h"

namespace {

const std::vector<std::string> kCards = {
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:mobile\r\nFN:Mobile\r\nTEL;TYPE=CELL:138 0013 "
    "8000\r\nEND:VCARD\r\n",
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:landline\r\nFN:Landline\r\nTEL:+86 10 8888 "
    "6666\r\nEND:VCARD\r\n",
};

struct Lookup {
  const char* number;
  std::optional<std::string> contact;
};

void PrintTo(const Lookup& lookup, std::ostream* out) {
  *out << '"' << lookup.number << '"';
}

class SessionAddressBooksTest : public ::testing::TestWithParam<Lookup> {
 protected:
  static void SetUpTestSuite() {
    session_ = new modem_testing::EdsSession();
    ASSERT_TRUE(session_->running());
    const std::optional<std::string> failure = session_->addContacts(kCards);
    ASSERT_FALSE(failure) << *failure;
    Result<std::unique_ptr<modem::ContactDirectory>> opened = modem::openSessionAddressBooks();
    ASSERT_TRUE(opened) << opened.error();
    books_ = std::move(*opened).release();
  }
  static void TearDownTestSuite() {
    delete books_;
    books_ = nullptr;
    delete session_;
    session_ = nullptr;
  }

  static modem_testing::EdsSession* session_;
  static modem::ContactDirectory* books_;
};

modem_testing::EdsSession* SessionAddressBooksTest::session_ = nullptr;
modem::ContactDirectory* SessionAddressBooksTest::books_ = nullptr;

TEST_P(SessionAddressBooksTest, FindsTheContactOfANumber) {
  ASSERT_NE(books_, nullptr);
  EXPECT_EQ(books_->contactForNumber(GetParam().number), GetParam().contact);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, SessionAddressBooksTest,
    ::testing::Values(Lookup{"+8613800138000", "mobile"}, Lookup{"13800138000", "mobile"},
                      Lookup{"+8613800138001", std::nullopt}, Lookup{"01088886666", "landline"},
                      Lookup{"+861088886666", "landline"}, Lookup{"", std::nullopt}));

}  // namespace
