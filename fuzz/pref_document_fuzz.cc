// Fuzz target of the preference documents' reader: the input is a document
// file's bytes. A document that reads is written back as JSON that reads as
// the same value with nothing left out; members left out are never ones the
// system knows, and what a whole read gives agrees with it; the value readers
// accept any shape.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "statics/contracts/pref_document.h"
#include "statics/json_document.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<PrefDocumentRead> read = parsePrefDocument(bytes);
  const std::optional<nlohmann::json> whole = parseJsonDocument(bytes);
  if (!read) {
    check(!whole.has_value());
    return 0;
  }
  for (const std::string& member : read->droppedMembers) check(!isPrefDocumentKey(member));
  if (read->droppedMembers.empty()) {
    check(whole.has_value() && *whole == read->doc);
  } else {
    check(!whole.has_value() && read->doc.is_object());
  }

  const Result<std::string> written = serializeJsonDocument(read->doc);
  check(written.ok());
  const std::optional<PrefDocumentRead> again = parsePrefDocument(*written);
  check(again.has_value() && again->droppedMembers.empty() && again->doc == read->doc);

  for (const char* key : {kEnabledKey, kBlacklistKey, kKeywordsKey, kBlockedCitiesKey}) {
    (void)prefBool(read->doc, key);
    for (const Json& entry : prefArray(read->doc, key)) {
      if (const std::optional<PatternEntry> pattern = readPatternEntry(entry)) {
        check(readPatternEntry(patternEntryJson(*pattern)).has_value());
      }
      (void)jsonString(entry);
    }
  }
  return 0;
}
