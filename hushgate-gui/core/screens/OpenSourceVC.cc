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

}  // namespace gui
