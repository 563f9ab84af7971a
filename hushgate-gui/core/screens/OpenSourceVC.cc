#include "hushgate-gui/core/screens/OpenSourceVC.h"

namespace gui {

const std::vector<OpenSourceVC::Notice>& OpenSourceVC::notices() {
  static const std::vector<Notice> kNotices = {
      {"JSON for Modern C++", "MIT License"},
      {"ICU", "Unicode License"},
      {"Boost", "Boost Software License 1.0"},
      {"SQLite", "Public Domain"},
      {"libcurl", "curl License"},
      {"libphonenumber (number-location data)", "Apache License 2.0"},
      {"Qt", "GNU Lesser General Public License v3"},
  };
  return kNotices;
}

}  // namespace gui
