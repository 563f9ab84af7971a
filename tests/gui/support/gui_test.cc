#include "gui/support/gui_test.h"

#include "hushgate-gui/core/kit/AlertUtil.h"
#include "hushgate-gui/core/kit/localization.h"
#include "statics/Preference.h"

namespace gui_testing {

GuiTest::GuiTest() {
  Preference::resetSharedInstanceForTesting();
  gui::setLanguage("en");
}

GuiTest::~GuiTest() {
  gui::AlertUtil::hideHud();
  Preference::resetSharedInstanceForTesting();
}

}  // namespace gui_testing
