// The recent-calls list that the mobilephone host shows, read from a JSON
// file: an array of objects with the members
//   "callStatus" (integer, default 0), "uniqueId" (string, default ""),
//   "callerId" (string or null, default none), "callOccurrences" (array of
//   objects whose members are strings, such as "kCHCallOccurrenceUniqueIdKey";
//   default empty) and "callerLabel" (string, default ""; the label its row
//   shows).
// Other members are ignored.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/phone.h"
#include "statics/result.h"

namespace mobilephone {

struct RecentsEntry {
  std::shared_ptr<platform::CHRecentCall> call;
  std::string callerLabel;
};

// The entries of a recents document, or why it is none (not a JSON array,
// or nested or sized beyond what statics/json_document.h reads). An entry
// that is not an object or has a member of the wrong type is left out, with
// a message that names it in *skipped.
Result<std::vector<RecentsEntry>> parseRecentsList(std::string_view text,
                                                   std::vector<std::string>* skipped);

// Reads and parses a recents file (a regular file of at most
// kMaxJsonDocumentSize bytes).
Result<std::vector<RecentsEntry>> readRecentsFile(const std::string& path,
                                                  std::vector<std::string>* skipped);

}  // namespace mobilephone
