#include "hosts/mobilephone/recents_list.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

namespace mobilephone {

namespace {

using Json = nlohmann::json;

constexpr std::uintmax_t kMaxFileSize = 64u << 20;

// The entry for one element; nullopt with the reason in *error.
std::optional<RecentsEntry> parseEntry(const Json& element, std::string* error) {
  if (!element.is_object()) {
    *error = "not an object";
    return std::nullopt;
  }
  auto call = std::make_shared<platform::CHRecentCall>();
  RecentsEntry entry{call, ""};
  for (const auto& [key, value] : element.items()) {
    if (key == "callStatus") {
      if (!value.is_number_integer()) {
        *error = "\"callStatus\" must be an integer";
        return std::nullopt;
      }
      call->callStatus = value.get<platform::NSInteger>();
    } else if (key == "uniqueId" || key == "callerLabel") {
      if (!value.is_string()) {
        *error = "\"" + key + "\" must be a string";
        return std::nullopt;
      }
      (key == "uniqueId" ? call->uniqueId : entry.callerLabel) = value.get<std::string>();
    } else if (key == "callerId") {
      if (!value.is_string() && !value.is_null()) {
        *error = "\"callerId\" must be a string or null";
        return std::nullopt;
      }
      if (value.is_string()) call->callerId = value.get<std::string>();
    } else if (key == "callOccurrences") {
      if (!value.is_array()) {
        *error = "\"callOccurrences\" must be an array";
        return std::nullopt;
      }
      for (const Json& occurrence : value) {
        std::map<std::string, std::string> fields;
        if (!occurrence.is_object()) {
          *error = "each of \"callOccurrences\" must be an object";
          return std::nullopt;
        }
        for (const auto& [name, text] : occurrence.items()) {
          if (!text.is_string()) {
            *error = "occurrence member \"" + name + "\" must be a string";
            return std::nullopt;
          }
          fields[name] = text.get<std::string>();
        }
        call->callOccurrences.push_back(std::move(fields));
      }
    }
  }
  return entry;
}

}  // namespace

std::optional<std::vector<RecentsEntry>> parseRecentsList(std::string_view text, std::string* error,
                                                          std::vector<std::string>* skipped) {
  const Json doc = Json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (doc.is_discarded()) {
    *error = "not JSON";
    return std::nullopt;
  }
  if (!doc.is_array()) {
    *error = "not a JSON array";
    return std::nullopt;
  }
  std::vector<RecentsEntry> entries;
  for (size_t i = 0; i < doc.size(); ++i) {
    std::string reason;
    std::optional<RecentsEntry> entry = parseEntry(doc[i], &reason);
    if (entry) {
      entries.push_back(std::move(*entry));
    } else {
      skipped->push_back("entry " + std::to_string(i) + ": " + reason);
    }
  }
  return entries;
}

std::optional<std::vector<RecentsEntry>> readRecentsFile(const std::string& path,
                                                         std::string* error,
                                                         std::vector<std::string>* skipped) {
  std::error_code ignored;
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path, ignored)) {
    *error = "cannot open " + path;
    return std::nullopt;
  }
  std::string text;
  char chunk[65536];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    text.append(chunk, static_cast<size_t>(in.gcount()));
    if (text.size() > kMaxFileSize) {
      *error = path + " is larger than 64 MiB";
      return std::nullopt;
    }
  }
  if (in.bad()) {
    *error = "cannot read " + path;
    return std::nullopt;
  }
  return parseRecentsList(text, error, skipped);
}

}  // namespace mobilephone
