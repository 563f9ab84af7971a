#include "hushgate-gui/core/screens/OpenSourceVC.h"

#include <optional>

#include "hushgate-gui/core/kit/resources.h"
#include "statics/atomic_file.h"

namespace gui {

const std::vector<OpenSourceVC::Notice>& OpenSourceVC::notices() {
  static const std::vector<Notice> kNotices = {
      {"JSON for Modern C++", "MIT License", "Copyright (c) 2013-2022 Niels Lohmann",
       "license-json"},
      {"ICU", "Unicode License", "Copyright © 1991-2022 Unicode, Inc.", "license-icu"},
      {"Boost", "Boost Software License 1.0", "Copyright the Boost project contributors",
       "license-boost"},
      {"SQLite", "Public Domain", "D. Richard Hipp and the SQLite contributors", "license-sqlite"},
      {"libcurl", "curl License", "Copyright (c) 1996-2022, Daniel Stenberg, and many contributors",
       "license-curl"},
      {"libphonenumber (number-location data)", "Apache License 2.0",
       "Copyright (C) 2011-2022 The Libphonenumber Authors", "license-libphonenumber"},
      {"Qt", "GNU Lesser General Public License v3", "Copyright (C) 2016-2022 The Qt Company Ltd.",
       "license-qt"},
  };
  return kNotices;
}

std::string OpenSourceVC::licenseText(const Notice& notice) {
  const std::string path = pathForResource(notice.licenseFile, "txt");
  if (path.empty()) return "";
  return readWholeFile(path, 1u << 20).value_or("");
}

namespace {

// Whether a line starts something of its own rather than going on with the
// paragraph above.
bool startsOwnLine(std::string_view line) {
  if (line.empty() || line[0] == ' ' || line[0] == '\t') return true;
  if ((line[0] == '-' || line[0] == '*') && line.size() > 1 && line[1] == ' ') return true;
  if (line[0] == '(') return true;
  size_t digits = 0;
  while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
  return digits > 0 && digits < line.size() && line[digits] == '.';
}

}  // namespace

std::string reflowedParagraphs(std::string_view text) {
  std::string out;
  bool previousBlank = true;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const bool blank = line.find_first_not_of(" \t") == std::string_view::npos;
    if (!out.empty()) out += previousBlank || blank || startsOwnLine(line) ? '\n' : ' ';
    if (!blank) out.append(line);
    previousBlank = blank;
  }
  return out;
}

}  // namespace gui
