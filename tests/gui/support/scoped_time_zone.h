// Puts the machine in another time zone while it lives: TZ for the C library
// and ICU's default zone (which ICU would otherwise keep from its first use).
// Both are put back afterwards.
#pragma once

#include <unicode/timezone.h>

#include <memory>
#include <optional>
#include <string>

namespace gui_testing {

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const std::string& zone);
  ~ScopedTimeZone();
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::optional<std::string> previousTz_;
  std::unique_ptr<icu::TimeZone> previousDefault_;
};

}  // namespace gui_testing
