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

namespace mobilephone {

struct RecentsEntry {
  std::shared_ptr<platform::CHRecentCall> call;
  std::string callerLabel;
};

// The entries of a recents document. A document that is not a JSON array
// gives nullopt with the reason in *error. An entry that is not an object or
// has a member of the wrong type is left out, with a message that names it
// in *skipped.
std::optional<std::vector<RecentsEntry>> parseRecentsList(std::string_view text, std::string* error,
                                                          std::vector<std::string>* skipped);

// Reads and parses a recents file; nullopt with the reason in *error when it
// cannot be read (or is larger than 64 MiB) or is not an array.
std::optional<std::vector<RecentsEntry>> readRecentsFile(const std::string& path,
                                                         std::string* error,
                                                         std::vector<std::string>* skipped);

}  // namespace mobilephone
