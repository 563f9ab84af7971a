// The diagnostic logger. Each line is "yyyy-MM-dd HH:mm:ss.SSS" in
// kChinaTimeZone, a space, the formatted message and "\n". Lines go to
// kLogFilePath (in the Phone application to kMPLogFileName in its own
// Documents folder; names: statics/contracts/names.h) and only when that file
// already exists: logging is switched on by creating the file and off by
// deleting it.
//
// Safe to call from any thread. Each line is one append write on a file that
// is opened and closed per line; failures are silent.
#pragma once

#include <string>
#include <string_view>

#include "statics/format.h"

// Appends one line holding message to the log file of this process, if it exists.
void logMessage(std::string_view message);

// The log file of this process (depends on the main bundle identifier).
std::string logFilePath();

// The time stamp of a log line for the given time, in kChinaTimeZone whatever
// the zone of the machine; rounded to the millisecond.
std::string logTimestamp(double secondsSince1970);

// Log("== label found in db: %@", label). The format follows stringWithFormat.
template <class... Args>
void Log(std::string_view format, const Args&... args) {
  logMessage(stringWithFormat(format, args...));
}
