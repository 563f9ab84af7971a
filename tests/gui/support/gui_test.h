// The base fixture of the settings application's tests: a fresh device root,
// a fresh shared preference store under it, a manual main queue, a recording
// presenter and the English texts. Afterwards the overlay slot is emptied and
// the shared store is dropped.
#pragma once

#include <gtest/gtest.h>

#include "gui/support/manual_queue.h"
#include "gui/support/recording_presenter.h"
#include "support/temp_root.h"

namespace gui_testing {

class GuiTest : public ::testing::Test {
 protected:
  GuiTest();
  ~GuiTest() override;

  ManualQueue& mainQueue() { return scopedQueue_.queue(); }

  testing_support::TempDeviceRoot root_;
  RecordingPresenter presenter_;

 private:
  ScopedManualMainQueue scopedQueue_;
  gui::ScopedPresenter scopedPresenter_{presenter_};
};

}  // namespace gui_testing
