// The block history's record: a blocked call, one line of the history file
// (where the file lies: names.h, kMPHistoryFileName). Every process reads
// lines with parseBlockRecordLine and writes them with blockRecordLine, and
// nothing else spells the format.
//
// A line is one JSON object in compact form (UTF-8, standard escaping) and a
// single "\n", with the members
//   "u"  string   the call's unique id
//   "p"  string   the caller's number as the call delivered it ("" when none)
//   "d"  integer  when the call was blocked, whole seconds since 1970 (UTC)
//   "r"  integer  the block reason code (BlockReason)
//   "rd" string   reason detail: the caller-identification label for reason 5
// The file holds one line per record, oldest first; empty lines, lines that
// are not one JSON object and lines longer than kMaxBlockRecordLineBytes are
// skipped by every reader. Readers look members up by key; members they do
// not know are kept and written back.
//
// A record's identity is all of it: "u" alone does not tell records apart
// (the same call id may be blocked twice, and nothing stops two lines from
// naming the same id), so two lines are the same record when every member,
// the unknown ones included, is equal (operator==, BlockRecordHash). Lines
// that are the same record are interchangeable: removing one of them leaves
// the same history whichever it is.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Block reason codes; stored in the history file, so fixed.
enum BlockReason : unsigned {
  BlockReasonNone = 0,
  BlockReasonUnknownNumber = 1,
  BlockReasonLandline = 2,
  BlockReasonMobile = 3,
  BlockReasonBlacklist = 4,
  BlockReasonKeyword = 5,
  BlockReasonSystem = 99,
};

// The longest line (without its "\n") that is a record, in bytes: far more
// than any blocked call needs, and small enough that a reader holds a line of
// a hostile file in bounded memory. A longer line is a bad line.
inline constexpr size_t kMaxBlockRecordLineBytes = 4096;

struct BlockRecord {
  std::string uniqueId;  // "u"
  std::string number;    // "p"
  int64_t date = 0;      // "d"
  unsigned reason = 0;   // "r"
  std::string detail;    // "rd"
  // The members of the line that are none of the above, as the text of one
  // compact JSON object ("" when there are none). Kept so that a rewrite of
  // the file loses nothing.
  std::string otherMembers = {};

  bool operator==(const BlockRecord&) const = default;
};

// A hash that agrees with operator==.
struct BlockRecordHash {
  size_t operator()(const BlockRecord& record) const;
};

// "d" for a moment: whole seconds since 1970, the fraction cut off (toward
// zero, also before 1970).
int64_t blockRecordDate(std::chrono::system_clock::time_point when);

// The record as one line: compact JSON and a single "\n". Ill-formed UTF-8 in
// any text is replaced with U+FFFD, so every record can be written.
// otherMembers, when it is the text of a JSON object, adds its members.
std::string blockRecordLine(const BlockRecord& record);

// The record cut down, when needed, so that its line fits
// kMaxBlockRecordLineBytes and every reader reads it: first the unknown
// members go, then the longest of the texts is shortened (at a character
// boundary) until the line fits. A record that fits is returned unchanged.
BlockRecord blockRecordFittingLine(BlockRecord record);

// The record of one line (without its "\n"; white space around the object is
// allowed), or nullopt when the line is longer than kMaxBlockRecordLineBytes
// or is not one JSON object (nested no deeper than kMaxJsonDepth). One rule for members of another
// type than the format says, for every reader:
// - a text member ("u", "p", "rd"): a number reads as the text JSON writes
//   for it, anything else but a string as "";
// - "d" and "r": a number is cut toward zero; a string reads as its leading
//   integer (as NSString's integerValue does: "4" and "4x" read as 4, "x" as
//   0); anything else reads as 0. "d" saturates at the limits of int64_t; an
//   "r" that is negative or does not fit in unsigned reads as 0 (no reason).
// A member given twice counts with its last value, as in the document.
[[nodiscard]] std::optional<BlockRecord> parseBlockRecordLine(std::string_view line);

// The records of a history text in file order: the text is split at every
// "\n" and each piece is read with parseBlockRecordLine; empty pieces and
// pieces that are not records (a torn last line, a stray value) are skipped,
// and bad bytes in one line never hide another.
std::vector<BlockRecord> parseBlockHistory(std::string_view text);

// The text of a history: each record's line, in the given order.
std::string blockHistoryText(const std::vector<BlockRecord>& records);
