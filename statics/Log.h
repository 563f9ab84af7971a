// The diagnostic logger. Each line is "yyyy-MM-dd HH:mm:ss.SSS" in
// kChinaTimeZone, a space, the formatted message and "\n". Lines go to
// kLogFilePath (in the Phone application to kMPLogFileName in its own
// Documents folder; names: statics/contracts/names.h) and only when that file
// already exists: logging is switched on by creating the file and off by
// deleting it.
//
// Safe to call from any thread. Each line is one append write on a file that
// is opened and closed per line; failures are silent. While logging is off it
// costs no system call: a log file found missing is looked for again only
// after kLogRecheckInterval, so a file created meanwhile is written from at
// most that long afterwards.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include "statics/format.h"

inline constexpr std::chrono::milliseconds kLogRecheckInterval{250};

// Whether a line logged now may be written: false while this process's log
// file was found missing less than kLogRecheckInterval ago. Makes no system
// call.
bool logMayBeOn();

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
  if (!logMayBeOn()) return;
  logMessage(stringWithFormat(format, args...));
}
