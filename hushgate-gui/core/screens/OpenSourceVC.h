// The open-source notices: a screen with fixed content and no logic of its
// own, pushed from the main screen under "sb.opensource".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hushgate-gui/core/kit/ui.h"

namespace gui {

class OpenSourceVC : public Screen {
 public:
  // One component the application is built with, and its licence.
  struct Notice {
    std::string name;
    std::string license;
    std::string copyright;    // its copyright line
    std::string licenseFile;  // the resource "<licenseFile>.txt" with the licence's text
  };

  std::string sceneIdentifier() const override { return "sb.opensource"; }

  // The notices shown, in display order.
  static const std::vector<Notice>& notices();

  // The licence's full text as the application ships it (resources.h): the
  // copyright line, a blank line, the licence. "" when the file is missing.
  static std::string licenseText(const Notice& notice);
};

// Text wrapped at a fixed width made into paragraphs that wrap at any width:
// a line break becomes a space, except before a blank line, an indented line
// or a list item ("-", "*", "(a)", "1.") and after a blank line.
std::string reflowedParagraphs(std::string_view text);

}  // namespace gui
