// hushgate-modem with the real tweak against the ModemManager stand-in on a
// private bus: what becomes of calls, rule changes, modems and ModemManager
// coming and going, and bad input.

#include <signal.h>

#include <map>
#include <ostream>
#include <set>
#include <string>

#include "eds_session.h"
#include "modem_rig.h"
#include "statics/Preference.h"
#include "statics/contracts/blacklist_pattern.h"
#include "statics/contracts/pref_document.h"

namespace modem_testing {
namespace {

constexpr char kBlacklisted[] = "+8617012345678";
constexpr char kClean[] = "13912345678";
constexpr char kFriend[] = "friend-1";
// The friend's number is the blacklisted one, written as a person would.
const std::string kFriendCard =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:friend-1\r\nFN:A Friend\r\nTEL;TYPE=CELL:170 1234 "
    "5678\r\nEND:VCARD\r\n";
const std::string kOtherCard =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:other\r\nFN:Someone\r\nTEL:010-8888 6666\r\nEND:VCARD\r\n";
const std::string kAddressBook = kFriendCard + kOtherCard;

Json blacklistEntry(const std::string& pattern) {
  return Json::array({pattern, blacklistExpression(pattern), ""});
}

std::string rules(bool blockUnknown, bool bypassContacts) {
  return Json{{kEnabledKey, true},
              {kBlockUnknownEnabledKey, blockUnknown},
              {kBypassContactsEnabledKey, bypassContacts},
              {kBlacklistKey, Json::array({blacklistEntry("170*")})}}
      .dump();
}

enum class Fate { kBlocked, kPassed, kSkipped };

struct CallCase {
  const char* name;
  std::string call;  // the stand-in's command for call c1 on modem 0
  bool blockUnknown = true;
  bool bypassContacts = false;
  bool addressBook = false;
  std::string followUp = {};  // a command after the call's announcement
  Fate fate = Fate::kPassed;
  unsigned reason = 0;
  std::optional<std::string> contact = std::nullopt;
};

void PrintTo(const CallCase& c, std::ostream* out) {
  *out << c.name;
}

class ModemHostTest : public ModemRig {
 protected:
  // ModemManager with modem 0, and the host following it.
  void startPhone(const std::vector<std::string>& hostArgs = {"--contacts", "none"}) {
    startModemManager();
    tell("modem 0", "modem 0");
    startHost(hostArgs);
    waitForModem("0", true);
  }

  void expectCleanStop(std::chrono::milliseconds patience = kPatience) {
    EXPECT_TRUE(testing_support::exitedWith(stopHost(patience), 0)) << host_->process().errors();
  }

  bool hungUp(const std::string& id) const {
    for (const std::string& line : modemManager_->lines()) {
      if (line.rfind("hangup " + id + " ", 0) == 0) return true;
    }
    return false;
  }

  // Checks what became of call c1 after its announcement.
  void expectFate(const CallCase& c) {
    const std::string path = callPath("c1");
    const Json first = waitForReport("call", path);
    if (c.fate == Fate::kSkipped) {
      EXPECT_TRUE(first.contains("skipped")) << first.dump();
      tell("state c1 7 4", "state c1");
      EXPECT_FALSE(hungUp("c1"));
      EXPECT_TRUE(history().empty());
      return;
    }
    ASSERT_EQ(first.value("status", 0), 4) << first.dump();
    EXPECT_EQ(first["contact"], c.contact ? Json(*c.contact) : Json(nullptr));
    if (c.fate == Fate::kBlocked) {
      EXPECT_EQ(first["outcome"], "blocked");
      ASSERT_TRUE(modemManager_->waitFor([](const std::string& l) { return l == "hangup c1 ok"; }));
      EXPECT_EQ(waitForReport("call", path, 6)["outcome"], "swallowed");
      EXPECT_EQ(waitForReport("hangup", "done")["call"], path);
      const std::vector<BlockRecord> records = waitForHistory(1);
      ASSERT_EQ(records.size(), 1u);
      EXPECT_EQ(records[0].uniqueId, first["unique_id"]);
      EXPECT_EQ(records[0].reason, c.reason);
      // The number as delivered, cut only where its line would be too long
      // for the readers of the history.
      const std::string delivered =
          first["number"].is_null() ? "" : first["number"].get<std::string>();
      BlockRecord expected = records[0];
      expected.number = delivered;
      EXPECT_EQ(records[0].number, blockRecordFittingLine(expected).number);
    } else {
      EXPECT_EQ(first["outcome"], "passed");
      tell("state c1 7 4", "state c1");
      EXPECT_EQ(waitForReport("call", path, 6)["outcome"], "passed");
      EXPECT_FALSE(hungUp("c1"));
      EXPECT_TRUE(history().empty());
    }
  }

  void runCase(const CallCase& c) {
    SCOPED_TRACE(c.name);
    writeRules(rules(c.blockUnknown, c.bypassContacts));
    std::vector<std::string> args = {"--contacts", "none"};
    if (c.addressBook) args[1] = writeVCards(kAddressBook);
    startPhone(args);
    tell(c.call, "call c1");
    if (!c.followUp.empty()) tell(c.followUp, "state c1");
    expectFate(c);
    expectCleanStop();
  }
};

class CallJudgement : public ModemHostTest, public ::testing::WithParamInterface<CallCase> {};

TEST_P(CallJudgement, EndsAsTheRulesSay) {
  runCase(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Calls, CallJudgement,
    ::testing::Values(CallCase{"blacklisted", std::string("call c1 0 ") + kBlacklisted, true, false,
                               false, "", Fate::kBlocked, 4},
                      CallCase{"blacklisted_national", "call c1 0 17012345678", true, false, false,
                               "", Fate::kBlocked, 4},
                      CallCase{"clean", std::string("call c1 0 ") + kClean, true, false, false, "",
                               Fate::kPassed},
                      CallCase{"no_number_unknown_blocked", "call c1 0 -", true, false, false, "",
                               Fate::kBlocked, 1},
                      CallCase{"no_number_unknown_allowed", "call c1 0 -", false, false, false, "",
                               Fate::kPassed},
                      CallCase{"empty_number", "call c1 0 - {'Number': <''>}", true, false, false,
                               "", Fate::kBlocked, 1},
                      CallCase{"contact_bypassed", std::string("call c1 0 ") + kBlacklisted, true,
                               true, true, "", Fate::kPassed, 0, kFriend},
                      CallCase{"contact_without_bypass", std::string("call c1 0 ") + kBlacklisted,
                               true, false, true, "", Fate::kBlocked, 4, kFriend},
                      CallCase{"stranger_with_bypass", std::string("call c1 0 ") + kClean, true,
                               true, true, "", Fate::kPassed}),
    [](const ::testing::TestParamInfo<CallCase>& info) { return std::string(info.param.name); });

// Call objects that ModemManager should never send: each is judged or
// skipped, and the host lives on.
class BadCall : public ModemHostTest, public ::testing::WithParamInterface<CallCase> {};

TEST_P(BadCall, IsJudgedOrSkipped) {
  runCase(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Calls, BadCall,
    ::testing::Values(
        CallCase{"number_of_another_type", "call c1 0 - {'Number': <42>}", true, false, false, "",
                 Fate::kBlocked, 1},
        CallCase{"direction_missing", "call c1 0 17012345678 {'Direction': <@mi nothing>}", true,
                 false, false, "", Fate::kSkipped},
        CallCase{"direction_of_another_type", "call c1 0 17012345678 {'Direction': <'in'>}", true,
                 false, false, "", Fate::kSkipped},
        CallCase{"state_of_another_type_then_ringing",
                 "call c1 0 17012345678 {'State': <'ringing'>}", true, false, false, "state c1 3 2",
                 Fate::kBlocked, 4},
        CallCase{"every_property_missing",
                 "call c1 0 - {'Direction': <@mi nothing>, 'State': <@mi nothing>, "
                 "'StateReason': <@mi nothing>, 'Multiparty': <@mb nothing>}",
                 true, false, false, "", Fate::kSkipped},
        CallCase{"number_of_10000_characters", "call c1 0 170" + std::string(9997, '9'), true,
                 false, false, "", Fate::kBlocked, 4},
        CallCase{"not_digits", "call c1 0 abc\xE5\x8F\xB7", true, false, false, "", Fate::kPassed}),
    [](const ::testing::TestParamInfo<CallCase>& info) { return std::string(info.param.name); });

TEST_F(ModemHostTest, ContactOfTheSessionAddressBookIsBypassed) {
  EdsSession session;
  ASSERT_TRUE(session.running());
  const std::optional<std::string> failure = session.addContacts({kFriendCard, kOtherCard});
  ASSERT_FALSE(failure) << *failure;
  writeRules(rules(true, true));
  startPhone({"--contacts", "eds"});
  tell(std::string("call c1 0 ") + kBlacklisted, "call c1");
  const Json report = waitForReport("call", callPath("c1"), 4);
  EXPECT_EQ(report["contact"], kFriend);
  EXPECT_EQ(report["outcome"], "passed");
  expectCleanStop();
}

TEST_F(ModemHostTest, RuleSavedBySettingsAppliesToTheNextCall) {
  writeRules(Json{{kEnabledKey, true}}.dump());
  startPhone();
  tell("call c1 0 17012345678", "call c1");
  EXPECT_EQ(waitForReport("call", callPath("c1"), 4)["outcome"], "passed");
  tell("state c1 7 4", "state c1");
  waitForReport("call", callPath("c1"), 6);

  // The settings application's save: the document, then its notification.
  std::unique_ptr<Preference> settings = Preference::makeForTesting();
  settings->pref()[kBlacklistKey] = Json::array({blacklistEntry("170*")});
  settings->save();
  waitForReport("preferences", "updated");

  tell("call c2 0 17012345678", "call c2");
  EXPECT_EQ(waitForReport("call", callPath("c2"), 4)["outcome"], "blocked");
  EXPECT_TRUE(modemManager_->waitFor([](const std::string& l) { return l == "hangup c2 ok"; }));
  ASSERT_EQ(waitForHistory(1).size(), 1u);
  EXPECT_EQ(history()[0].reason, 4u);
  expectCleanStop();
}

TEST_F(ModemHostTest, ModemManagerAndModemThatComeAfterTheStart) {
  writeRules(rules(true, false));
  startHost();
  startModemManager();
  tell("modem 3 novoice", "modem 3");
  tell("voice 3", "voice 3");  // enabled: the Voice interface is added later
  waitForModem("3", true);
  tell("call c1 3 17012345678", "call c1");
  EXPECT_EQ(waitForReport("call", callPath("c1"), 4)["outcome"], "blocked");
  EXPECT_TRUE(modemManager_->waitFor([](const std::string& l) { return l == "hangup c1 ok"; }));
  expectCleanStop();
}

TEST_F(ModemHostTest, ModemManagerGoesAwayAndComesBack) {
  writeRules(rules(true, false));
  startPhone();
  tell("call c1 0 13912345678", "call c1");
  EXPECT_EQ(waitForReport("call", callPath("c1"), 4)["outcome"], "passed");

  // ModemManager dies with a call ringing: the call is over, the modem gone.
  modemManager_->process().signal(SIGKILL);
  modemManager_.reset();
  EXPECT_EQ(waitForReport("call", callPath("c1"), 6)["outcome"], "passed");
  waitForModem("0", false);

  startModemManager();
  tell("modem 0", "modem 0");
  waitForModem("0", true);
  tell("call c1 0 17012345678", "call c1");  // the same path, a new call
  const Json report = waitForReport("call", callPath("c1"), 4);
  EXPECT_EQ(report["outcome"], "blocked");
  EXPECT_TRUE(modemManager_->waitFor([](const std::string& l) { return l == "hangup c1 ok"; }));

  // An unplugged modem ends its calls too.
  tell("call c2 0 13912345678", "call c2");
  waitForReport("call", callPath("c2"), 4);
  tell("unmodem 0", "unmodem 0");
  EXPECT_EQ(waitForReport("call", callPath("c2"), 6)["outcome"], "passed");
  waitForModem("0", false);
  expectCleanStop();
}

TEST_F(ModemHostTest, CallThatEndsBeforeItsHangUpIsNoError) {
  writeRules(rules(true, false));
  startPhone();
  tell("ending-call c1 0 17012345678", "call c1");
  EXPECT_EQ(waitForReport("call", callPath("c1"), 4)["outcome"], "blocked");
  EXPECT_TRUE(modemManager_->waitFor([](const std::string& l) { return l == "hangup c1 ended"; }));
  EXPECT_EQ(waitForReport("call", callPath("c1"), 6)["outcome"], "swallowed");
  const Json hangup = waitForReport("hangup", "ended");
  EXPECT_EQ(hangup["call"], callPath("c1"));
  EXPECT_EQ(waitForHistory(1).size(), 1u);
  expectCleanStop();
}

TEST_F(ModemHostTest, FloodOfCallsLosesNothing) {
  constexpr int kCalls = 1000;
  // A thousand calls through D-Bus take seconds on a loaded machine: a
  // longer guard than one event needs.
  constexpr auto kFloodPatience = std::chrono::seconds(120);
  writeRules(rules(true, false));
  startPhone();
  EXPECT_TRUE(modemManager_->process().write("flood 1000 0 17012345678 1000\n"));

  // Every call is judged (its ringing event) or skipped, once.
  std::map<std::string, std::string> fates;
  host_->waitFor(
      [&](const std::string& line) {
        const Json report = Json::parse(line, nullptr, false);
        if (!report.is_object() || !report.contains("call")) return false;
        if (report.value("status", 0) == 4) fates.emplace(report["call"], report["outcome"]);
        if (report.contains("skipped")) fates.emplace(report["call"], "skipped");
        return fates.size() == static_cast<size_t>(kCalls);
      },
      kFloodPatience);
  ASSERT_EQ(fates.size(), static_cast<size_t>(kCalls));
  size_t blocked = 0;
  for (const auto& [path, fate] : fates) blocked += fate == "blocked" ? 1 : 0;
  EXPECT_GT(blocked, 0u);

  // Each blocked call's hang-up has its answer, and the stand-in saw as many.
  auto hangupReports = [this] {
    size_t count = 0;
    for (const std::string& line : host_->lines()) {
      count += Json::parse(line, nullptr, false).contains("hangup") ? 1 : 0;
    }
    return count;
  };
  size_t answered = hangupReports();
  if (answered < blocked) {
    host_->waitFor(
        [&](const std::string& line) {
          answered += Json::parse(line, nullptr, false).contains("hangup") ? 1 : 0;
          return answered == blocked;
        },
        kFloodPatience);
  }
  EXPECT_EQ(answered, blocked);
  tell("end-all", "end-all");
  size_t hangups = 0;
  for (const std::string& line : modemManager_->lines()) {
    hangups += line.rfind("hangup f", 0) == 0 ? 1 : 0;
  }
  EXPECT_EQ(hangups, blocked);

  const std::vector<BlockRecord> records = waitForHistory(blocked);
  EXPECT_EQ(records.size(), blocked);
  std::set<std::string> ids;
  for (const BlockRecord& record : records) ids.insert(record.uniqueId);
  EXPECT_EQ(ids.size(), blocked);
  expectCleanStop(kFloodPatience);
}

}  // namespace
}  // namespace modem_testing
