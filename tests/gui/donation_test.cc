#include "hushgate-gui/core/models/donation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "gui/support/gui_test.h"
#include "gui/support/http_test_server.h"
#include "gui/support/scoped_time_zone.h"
#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "statics/format.h"

namespace {

using gui_testing::HttpTestServer;
using gui_testing::RecordingPresenter;
using nlohmann::json;
using namespace std::chrono_literals;

constexpr auto kPatience = 15s;

class DonationTest : public gui_testing::GuiTest {
 protected:
  DonationTest() {
    EXPECT_TRUE(server_.ok());
    gui::setDonationServerForTesting(server_.url());
  }
  ~DonationTest() override {
    gui::setDonationServerForTesting("");
    gui::setDonationTimeoutForTesting(0ms);
  }

  void respond(int status, const std::string& contentType, const std::string& body) {
    server_.respondWith({status, status == 200 ? "OK" : "Status", contentType, body});
  }

  // Taps the list row and waits for the answer to come back to the main queue.
  std::shared_ptr<gui::Alert> fetch() {
    gui::showDonationList();
    EXPECT_TRUE(presenter_.hud.has_value());
    if (presenter_.hud) {
      EXPECT_EQ(presenter_.hud->text, "Loading...");
    }
    EXPECT_TRUE(mainQueue().waitForTasks(1, kPatience)) << "no answer handed back";
    mainQueue().runReady();
    EXPECT_FALSE(presenter_.hud.has_value()) << "overlay still up";
    return presenter_.openAlert();
  }

  void expectErrorAlert(const std::shared_ptr<gui::Alert>& alert, const std::string& what) {
    ASSERT_NE(alert, nullptr) << what;
    EXPECT_EQ(alert->title, gui::localizedString("error-title")) << what;
    EXPECT_EQ(alert->message, gui::localizedString("error-content")) << what;
    EXPECT_EQ(RecordingPresenter::actionTitles(*alert),
              std::vector<std::string>{gui::alertConfirmTitle()})
        << what;
  }

  HttpTestServer server_;
};

TEST_F(DonationTest, ListsEveryDonationInOrder) {
  respond(200, "application/json; charset=utf-8", R"([
    {"name":"张三","created_at":"2023-12-31T23:30:00.000Z","amount":5},
    {"name":"Li","created_at":"2024-01-02T00:00:00.000Z","amount":0.1},
    {"name":"王五","created_at":"2024-02-29T12:00:00.000Z","amount":"12.345"},
    {"name":"Ann","created_at":"2020-01-01T00:00:00.000Z","amount":100}])");
  const auto alert = fetch();
  ASSERT_NE(alert, nullptr);
  // 12.345 as a single-precision float is 12.3450003, shown as 12.35 (a
  // double would show 12.34).
  const std::string lines =
      "张三（2023-12-31）￥5.00\nLi（2024-01-02）￥0.10\n王五（2024-02-29）￥12.35\n"
      "Ann（2020-01-01）￥100.00\n";
  EXPECT_EQ(alert->title, gui::localizedString("donation-list"));
  EXPECT_EQ(alert->message, lines);
  ASSERT_TRUE(alert->attributedMessage.has_value());
  EXPECT_EQ(alert->attributedMessage->text, lines);
  EXPECT_TRUE(alert->attributedMessage->leftAligned);
  EXPECT_EQ(alert->attributedMessage->systemFontSize, 14);
  ASSERT_EQ(alert->actions.size(), 2u);
  EXPECT_EQ(alert->actions[0]->title, gui::localizedString("donate-alipay"));
  EXPECT_EQ(alert->actions[0]->style, gui::AlertActionStyle::Cancel);
  EXPECT_EQ(alert->actions[1]->title, gui::localizedString("ok"));
  EXPECT_EQ(alert->actions[1]->style, gui::AlertActionStyle::Default);
  EXPECT_EQ(server_.requestTargets(), std::vector<std::string>{"/?app=hushgate"});

  // "donate-alipay" leads straight to the donation alert.
  ASSERT_TRUE(presenter_.tap(gui::localizedString("donate-alipay")));
  EXPECT_EQ(presenter_.pasteboardStrings, std::vector<std::string>{gui::kDonationAccount});
  ASSERT_NE(presenter_.openAlert(), nullptr);
  EXPECT_EQ(presenter_.openAlert()->title, gui::localizedString("donate-alipay-copied"));
}

TEST_F(DonationTest, NothingToListShowsNoDonation) {
  struct Case {
    const char* contentType;
    const char* body;
  };
  for (const Case& c : {Case{"application/json", "[]"}, Case{"application/json", ""}, Case{"", ""},
                        Case{"text/json", " "}, Case{"application/json", "null"},
                        Case{"text/javascript", R"([1, "x", null, []])"}}) {
    RecordingPresenter presenter;
    gui::ScopedPresenter scoped(presenter);
    respond(200, c.contentType, c.body);
    gui::showDonationList();
    ASSERT_TRUE(mainQueue().waitForTasks(1, kPatience));
    mainQueue().runReady();
    const auto alert = presenter.openAlert();
    ASSERT_NE(alert, nullptr) << c.body;
    EXPECT_EQ(alert->title, gui::localizedString("donation-list")) << c.body;
    EXPECT_EQ(alert->message, gui::localizedString("no-donation")) << c.body;
    EXPECT_FALSE(alert->attributedMessage.has_value()) << c.body;
    EXPECT_EQ(alert->actions.size(), 2u);
  }
}

TEST_F(DonationTest, EveryFailureEndsInTheErrorAlert) {
  struct Case {
    int status;
    const char* contentType;
    const char* body;
  };
  const Case cases[] = {
      {500, "application/json", "[]"},
      {404, "application/json", R"([{"name":"a","amount":1}])"},
      {302, "application/json", "[]"},  // a redirect without a place to go
      {200, "text/html", "[]"},
      {200, "text/plain", ""},  // empty, but the wrong type
      {200, "", "[]"},
      {200, "application/json", "[1,"},
      {200, "application/json", "<html></html>"},
      {200, "application/json", R"({"name":"a","amount":1})"},
  };
  for (const Case& c : cases) {
    RecordingPresenter presenter;
    gui::ScopedPresenter scoped(presenter);
    respond(c.status, c.contentType, c.body);
    gui::showDonationList();
    ASSERT_TRUE(mainQueue().waitForTasks(1, kPatience));
    mainQueue().runReady();
    EXPECT_FALSE(presenter.hud.has_value());
    expectErrorAlert(presenter.openAlert(),
                     std::to_string(c.status) + " " + c.contentType + " " + c.body);
  }
}

TEST_F(DonationTest, AServerThatNeverAnswersTimesOutWithoutBlocking) {
  EXPECT_EQ(gui::donationTimeout(), 10s);
  gui::setDonationTimeoutForTesting(300ms);
  EXPECT_EQ(gui::donationTimeout(), 300ms);
  server_.setSilent(true);
  const auto start = std::chrono::steady_clock::now();
  gui::showDonationList();
  // The request runs elsewhere: the main thread is free at once.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 200ms);
  EXPECT_EQ(mainQueue().pendingCount(), 0u);
  EXPECT_TRUE(presenter_.hud.has_value());
  ASSERT_TRUE(mainQueue().waitForTasks(1, kPatience));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  mainQueue().runReady();
  expectErrorAlert(presenter_.openAlert(), "silent server");
}

TEST_F(DonationTest, NoServerAtAll) {
  std::string url;
  {
    HttpTestServer gone;
    url = gone.url();
  }
  gui::setDonationServerForTesting(url);
  expectErrorAlert(fetch(), "connection refused");
}

TEST_F(DonationTest, RecordsOfOtherShapes) {
  // Not an object, or no amount: left out. No name or no readable date:
  // shown empty.
  const json records = json::parse(R"([
    1, "x", null, {"name":"NoAmount","created_at":"2023-01-01T00:00:00.000Z"},
    {"amount":3},
    {"name":"B","created_at":"bad","amount":"7.5abc"},
    {"name":"C","amount":"abc"},
    {"name":42,"created_at":"2023-01-01T00:00:00.000Z","amount":" +2.5"},
    {"name":"D","created_at":"2023-01-01T00:00:00.000Z","amount":"1e40"},
    {"name":"E","created_at":"2023-01-01T00:00:00.000Z","amount":"nan"},
    {"name":"F","created_at":"2023-01-01T00:00:00.000Z","amount":-1.005}])");
  EXPECT_EQ(gui::donationListMessage(records),
            "（）￥3.00\nB（）￥7.50\n42（2023-01-01）￥2.50\nF（2023-01-01）￥-1.00\n");
  EXPECT_EQ(gui::donationListMessage(json::array()), std::nullopt);
  EXPECT_EQ(gui::donationListMessage(json::array({1, json::object()})), std::nullopt);
  EXPECT_EQ(gui::donationListMessage(json::object({{"amount", 1}})), std::nullopt);
}

// The date written in "created_at" is the date shown, in every zone.
TEST_F(DonationTest, DatesInEveryZone) {
  struct Case {
    const char* createdAt;
    const char* shown;
  };
  const Case cases[] = {
      {"2023-12-31T23:30:00.000Z", "2023-12-31"},
      {"2024-01-01T00:00:00.000Z", "2024-01-01"},
      {"2023-09-03T00:30:00.000Z", "2023-09-03"},  // inside Santiago's spring-forward gap
      {"2024-03-10T02:30:00.000Z", "2024-03-10"},  // inside New York's
      {"2024-02-29T12:00:00.000Z", "2024-02-29"},
      {"2023-02-29T12:00:00.000Z", ""},
      {"2023-13-01T00:00:00.000Z", ""},
      {"2023-12-31T23:30:00Z", ""},
      {"2023-12-31", ""},
      {"2023-12-31T23:30:00.000Zjunk", ""},
      {"", ""},
  };
  for (const char* zone : {"UTC", "Asia/Shanghai", "Pacific/Kiritimati", "Pacific/Pago_Pago",
                           "America/Santiago", "America/New_York"}) {
    gui_testing::ScopedTimeZone scoped(zone);
    for (const Case& c : cases) {
      EXPECT_EQ(gui::donationDate(c.createdAt), c.shown) << zone << " " << c.createdAt;
    }
  }
}

TEST_F(DonationTest, DonateCopiesTheAccountAndOffersThePaymentApplication) {
  for (const bool installed : {true, false}) {
    RecordingPresenter presenter;
    gui::ScopedPresenter scoped(presenter);
    if (installed) presenter.openableURLs.insert("alipay://");
    gui::donate();
    EXPECT_EQ(presenter.pasteboardStrings, std::vector<std::string>{gui::kDonationAccount});
    EXPECT_EQ(presenter.canOpenURLQueries, std::vector<std::string>{"alipay://"});
    const auto alert = presenter.openAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->title, gui::localizedString("donate-alipay-copied"));
    const std::string second = installed ? gui::localizedString("donate-alert-title-2") : "";
    EXPECT_EQ(alert->message,
              stringWithFormat(gui::localizedString("donate-alert-title-1"), second));
    EXPECT_EQ(RecordingPresenter::actionTitles(*alert),
              std::vector<std::string>{gui::alertConfirmTitle()});
    EXPECT_TRUE(presenter.openedURLs.empty());
    ASSERT_TRUE(presenter.tap(gui::alertConfirmTitle()));
    EXPECT_EQ(presenter.openedURLs, std::vector<std::string>{"alipay://"}) << installed;
  }
  EXPECT_NE(gui::localizedString("donate-alert-title-2"), "donate-alert-title-2");
}

}  // namespace
