// Input and output of the rule tester hushgate-screen.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "statics/screening/screening.h"
#include "statics/result.h"

// One call from a JSON line with the optional members "number" (text),
// "contact" (text: the caller is a contact), "system_blocked" (boolean) and
// "unique_id" (text); a failure that says what is wrong for a line that is
// not a JSON object or holds a member of the wrong type.
Result<IncomingCallInfo> parseScreenInputLine(const std::string& line);

// Input lines longer than this are bad lines.
inline constexpr size_t kMaxScreenInputLineLength = 1 << 20;

enum class InputLine { kLine, kTooLong, kEnd };

// Reads the next line of in (without its "\n") into line, reading no more
// than kMaxScreenInputLineLength bytes of it into memory: a longer line is
// skipped to its end and reported as kTooLong.
InputLine readInputLine(std::istream& in, std::string& line);

// The region lookup of the rule tester: the mobile region detector of the
// device root's data directory.
RegionLookup screenRegionLookup();

// A reason in words, for people.
const char* blockReasonWords(BlockReason reason);

// Writes judged calls as JSON lines, or as a table once all are in.
class ScreenOutput {
 public:
  ScreenOutput(std::ostream& out, bool table) : out_(out), table_(table) {}
  void add(const std::string& number, const ScreeningResult& result);
  void finish();

 private:
  struct Row {
    std::string number;
    ScreeningResult result;
  };
  std::ostream& out_;
  bool table_;
  std::vector<Row> rows_;
};
