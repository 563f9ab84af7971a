#include "hushgate-gui/core/kit/AlertUtil.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "gui/support/gui_test.h"
#include "hushgate-gui/core/kit/localization.h"

namespace {

using gui::AlertActionStyle;
using gui::AlertUtil;
using gui::HudIndicator;
using gui_testing::RecordingPresenter;

class AlertUtilTest : public gui_testing::GuiTest {};

TEST_F(AlertUtilTest, InfoHasOneDefaultConfirmButtonThatRunsTheCallbackAfterClosing) {
  int calls = 0;
  size_t openWhenCalled = 99;
  AlertUtil::showInfo("Title", "Message", [&] {
    ++calls;
    openWhenCalled = presenter_.openAlertCount();
  });
  ASSERT_EQ(presenter_.alerts.size(), 1u);
  const gui::Alert& alert = *presenter_.alerts[0];
  EXPECT_EQ(alert.style, gui::AlertStyle::Alert);
  EXPECT_EQ(alert.title, "Title");
  EXPECT_EQ(alert.message, "Message");
  ASSERT_EQ(alert.actions.size(), 1u);
  EXPECT_EQ(alert.actions[0]->title, "OK");
  EXPECT_EQ(alert.actions[0]->style, AlertActionStyle::Default);
  EXPECT_EQ(calls, 0);
  ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(openWhenCalled, 0u);
}

TEST_F(AlertUtilTest, InfoWithoutTitleMessageOrCallback) {
  AlertUtil::showInfo(std::nullopt, std::nullopt);
  ASSERT_EQ(presenter_.alerts.size(), 1u);
  EXPECT_FALSE(presenter_.alerts[0]->title.has_value());
  EXPECT_FALSE(presenter_.alerts[0]->message.has_value());
  EXPECT_TRUE(presenter_.tap(gui::alertConfirmTitle()));  // no callback: closing only
  EXPECT_EQ(presenter_.openAlertCount(), 0u);
}

TEST_F(AlertUtilTest, QueryButtonOrderAndStyles) {
  struct Case {
    bool danger;
    AlertActionStyle confirmStyle;
  };
  for (const Case& c :
       {Case{true, AlertActionStyle::Destructive}, Case{false, AlertActionStyle::Default}}) {
    RecordingPresenter presenter;
    gui::ScopedPresenter scoped(presenter);
    AlertUtil::showQuery("T", "M", c.danger, [] {});
    ASSERT_EQ(presenter.alerts.size(), 1u);
    const gui::Alert& alert = *presenter.alerts[0];
    EXPECT_EQ(RecordingPresenter::actionTitles(alert), (std::vector<std::string>{"Cancel", "OK"}));
    EXPECT_EQ(alert.actions[0]->style, AlertActionStyle::Cancel);
    EXPECT_EQ(alert.actions[1]->style, c.confirmStyle) << "danger " << c.danger;
  }
}

TEST_F(AlertUtilTest, ButtonTextsFollowTheLanguage) {
  const struct {
    const char* language;
    std::vector<std::string> titles;
  } cases[] = {{"zh_CN", {"取消", "确定"}}, {"en", {"Cancel", "OK"}}};
  for (const auto& c : cases) {
    gui::setLanguage(c.language);
    RecordingPresenter presenter;
    gui::ScopedPresenter scoped(presenter);
    AlertUtil::showQuery("T", "M", true, [] {});
    ASSERT_EQ(presenter.alerts.size(), 1u);
    EXPECT_EQ(RecordingPresenter::actionTitles(*presenter.alerts[0]), c.titles) << c.language;
  }
  gui::setLanguage("en");
}

TEST_F(AlertUtilTest, QueryCancelNeverRunsTheCallbackConfirmDoes) {
  int calls = 0;
  AlertUtil::showQuery("T", "M", true, [&] { ++calls; });
  ASSERT_TRUE(presenter_.tap(gui::alertCancelTitle()));
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(presenter_.openAlertCount(), 0u);
  AlertUtil::showQuery("T", "M", true, [&] { ++calls; });
  ASSERT_TRUE(presenter_.tap(gui::alertConfirmTitle()));
  EXPECT_EQ(calls, 1);
}

TEST_F(AlertUtilTest, WaitingHudTwiceLeavesOnlyTheSecond) {
  AlertUtil::showWaitingHud(std::string("one"));
  AlertUtil::showWaitingHud(std::string("two"));
  ASSERT_EQ(presenter_.hudEvents.size(), 3u);
  EXPECT_EQ(presenter_.hudEvents[0].call, RecordingPresenter::HudCall::Show);
  EXPECT_EQ(presenter_.hudEvents[1].call, RecordingPresenter::HudCall::Hide);
  EXPECT_EQ(presenter_.hudEvents[2].call, RecordingPresenter::HudCall::Show);
  ASSERT_TRUE(presenter_.hud.has_value());
  EXPECT_EQ(presenter_.hud->text, "two");
  EXPECT_EQ(presenter_.hud->indicator, HudIndicator::Indeterminate);
  EXPECT_TRUE(AlertUtil::isHudShown());
}

TEST_F(AlertUtilTest, ProgressHudIsAPieAndTakesProgressInRange) {
  AlertUtil::showProgressHud(std::nullopt);
  ASSERT_TRUE(presenter_.hud.has_value());
  EXPECT_EQ(presenter_.hud->indicator, HudIndicator::Pie);
  EXPECT_FALSE(presenter_.hud->text.has_value());
  struct Case {
    float given, shown;
  };
  for (const Case& c : {Case{0.25f, 0.25f}, Case{1.5f, 1.0f}, Case{-2.0f, 0.0f},
                        Case{std::numeric_limits<float>::quiet_NaN(), 0.0f}}) {
    AlertUtil::updateHudProgress(c.given);
    ASSERT_TRUE(presenter_.hud.has_value());
    EXPECT_EQ(presenter_.hud->progress, c.shown) << c.given;
  }
  AlertUtil::updateHudText("half");
  EXPECT_EQ(presenter_.hud->text, "half");
  EXPECT_EQ(presenter_.hud->indicator, HudIndicator::Pie);
}

TEST_F(AlertUtilTest, EmptySlotIgnoresUpdatesAndHide) {
  AlertUtil::hideHud();
  AlertUtil::updateHudText("x");
  AlertUtil::updateHudProgress(0.5f);
  EXPECT_TRUE(presenter_.hudEvents.empty());
  EXPECT_FALSE(AlertUtil::isHudShown());

  AlertUtil::showWaitingHud(std::nullopt);
  AlertUtil::hideHud();
  AlertUtil::hideHud();
  ASSERT_EQ(presenter_.hudEvents.size(), 2u);
  EXPECT_EQ(presenter_.hudEvents[1].call, RecordingPresenter::HudCall::Hide);
  EXPECT_FALSE(presenter_.hud.has_value());
  AlertUtil::updateHudText("after");
  EXPECT_EQ(presenter_.hudEvents.size(), 2u);
}

}  // namespace
