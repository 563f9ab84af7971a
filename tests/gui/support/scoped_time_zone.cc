#include "gui/support/scoped_time_zone.h"

#include <cstdlib>
#include <ctime>

namespace gui_testing {

ScopedTimeZone::ScopedTimeZone(const std::string& zone)
    : previousDefault_(icu::TimeZone::createDefault()) {
  if (const char* tz = std::getenv("TZ")) previousTz_ = tz;
  setenv("TZ", zone.c_str(), 1);
  tzset();
  icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(zone)));
}

ScopedTimeZone::~ScopedTimeZone() {
  if (previousTz_) {
    setenv("TZ", previousTz_->c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  icu::TimeZone::adoptDefault(previousDefault_.release());
}

}  // namespace gui_testing
