// Input and output of the rule tester hushgate-screen.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "statics/result.h"
#include "statics/screening/screening.h"

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

// The lookups of the rule tester, as the home screen has them, with the
// given label lookup: regions and their places from the number-location
// database of the device root's data directory, the earlier blocks of the
// last hour from the device's history file, and the present moment.
ScreeningContext screenContext(LabelLookup labelLookup);

// A reason in words, for people.
const char* blockReasonWords(BlockReason reason);

// Writes judged calls as JSON lines, or as a table once all are in.
class ScreenOutput {
 public:
  // explain adds to each JSON line the number the rules judged ("judged")
  // and the rule that decided ("rule": kind, value, place, prefix), and for a
  // call the repeated-call allowance let through the rule it overruled.
  ScreenOutput(std::ostream& out, bool table, bool explain = false)
      : out_(out), table_(table), explain_(explain) {}
  void add(const std::string& number, const ScreeningResult& result);
  void finish();

 private:
  struct Row {
    std::string number;
    ScreeningResult result;
  };
  std::ostream& out_;
  bool table_;
  bool explain_;
  std::vector<Row> rows_;
};
