#include "hushgate-gui/core/models/mobile_query.h"

#include "hushgate-gui/core/models/list_text.h"

namespace gui {

std::string removingWhitespaceAndNewlines(std::string_view text) {
  return removingWhitespace(text);
}

}  // namespace gui
