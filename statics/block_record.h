// One record of the block history: a blocked call, written as one line of
// compact JSON (UTF-8, standard escaping) with the members
//   "u"  string   the call's unique id
//   "p"  string   the caller's number as the call delivered it ("" when none)
//   "d"  integer  when the call was blocked, whole seconds since 1970 (UTC)
//   "r"  integer  the block reason code
//   "rd" string   reason detail: the caller-identification label for reason 5
// Readers look members up by key and ignore members they do not know.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct BlockRecord {
  std::string uniqueId;  // "u"
  std::string number;    // "p"
  int64_t date = 0;      // "d"
  unsigned reason = 0;   // "r"
  std::string detail;    // "rd"

  bool operator==(const BlockRecord&) const = default;
};

// "d" for a moment: whole seconds since 1970, the fraction cut off (toward
// zero, also before 1970).
int64_t blockRecordDate(std::chrono::system_clock::time_point when);

// The record as one line: compact JSON and a single "\n". Ill-formed UTF-8 in
// any text is replaced with U+FFFD, so every record can be written.
std::string blockRecordLine(const BlockRecord& record);

// The record of one line (without its "\n"; white space around the object is
// allowed), or nullopt when the line is not one JSON object. Members that are
// missing or of another type read as empty text or 0; "d" and "r" given as a
// number with a fraction are cut toward zero; an "r" that is negative or does
// not fit reads as 0 (no known reason); a "d" that does not fit saturates.
std::optional<BlockRecord> parseBlockRecordLine(std::string_view line);
