#include "hosts/mobilephone/recents_list.h"

#include <nlohmann/json.hpp>

#include "statics/atomic_file.h"
#include "statics/json_document.h"

namespace mobilephone {

namespace {

using Json = nlohmann::json;

// The entry for one element, or why it is left out.
Result<RecentsEntry> parseEntry(const Json& element) {
  if (!element.is_object()) return fail("not an object");
  auto call = std::make_shared<platform::CHRecentCall>();
  RecentsEntry entry{call, ""};
  for (const auto& [key, value] : element.items()) {
    if (key == "callStatus") {
      if (!value.is_number_integer()) return fail("\"callStatus\" must be an integer");
      call->callStatus = value.get<platform::NSInteger>();
    } else if (key == "uniqueId" || key == "callerLabel") {
      if (!value.is_string()) return fail("\"" + key + "\" must be a string");
      (key == "uniqueId" ? call->uniqueId : entry.callerLabel) = value.get<std::string>();
    } else if (key == "callerId") {
      if (!value.is_string() && !value.is_null()) {
        return fail("\"callerId\" must be a string or null");
      }
      if (value.is_string()) call->callerId = value.get<std::string>();
    } else if (key == "callOccurrences") {
      if (!value.is_array()) return fail("\"callOccurrences\" must be an array");
      for (const Json& occurrence : value) {
        if (!occurrence.is_object()) return fail("each of \"callOccurrences\" must be an object");
        std::map<std::string, std::string> fields;
        for (const auto& [name, text] : occurrence.items()) {
          if (!text.is_string()) return fail("occurrence member \"" + name + "\" must be a string");
          fields[name] = text.get<std::string>();
        }
        call->callOccurrences.push_back(std::move(fields));
      }
    }
  }
  return entry;
}

}  // namespace

Result<std::vector<RecentsEntry>> parseRecentsList(std::string_view text,
                                                   std::vector<std::string>* skipped) {
  const std::optional<Json> doc = parseJsonDocument(text);
  if (!doc) return fail("not JSON");
  if (!doc->is_array()) return fail("not a JSON array");
  std::vector<RecentsEntry> entries;
  for (size_t i = 0; i < doc->size(); ++i) {
    Result<RecentsEntry> entry = parseEntry((*doc)[i]);
    if (entry) {
      entries.push_back(std::move(entry).value());
    } else {
      skipped->push_back("entry " + std::to_string(i) + ": " + entry.error());
    }
  }
  return entries;
}

Result<std::vector<RecentsEntry>> readRecentsFile(const std::string& path,
                                                  std::vector<std::string>* skipped) {
  const std::optional<std::string> text = readWholeFile(path, kMaxJsonDocumentSize);
  if (!text) {
    return fail("cannot open " + path +
                " (missing, unreadable, not a regular file or larger than " +
                std::to_string(kMaxJsonDocumentSize >> 20) + " MiB)");
  }
  return parseRecentsList(*text, skipped);
}

}  // namespace mobilephone
