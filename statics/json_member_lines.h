// Where the parts of a JSON object text begin: the line of each top-level
// member and of each element of a top-level array or object value, so that a
// reader of a file can name the line of a bad entry (the JSON parser keeps no
// positions). Lines count from 1; "\n" ends a line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct JsonMemberLines {
  size_t line = 0;  // where the member's key begins
  // For an array value, where each element begins; for an object value,
  // where each of its members' keys begins; empty for other values.
  std::vector<size_t> elementLines;
  // For an object value, where each of its members' keys begins, by key (a
  // key given twice: its last member).
  std::unordered_map<std::string, size_t> memberLines;
};

using JsonLines = std::unordered_map<std::string, JsonMemberLines>;

// The members of the top-level object of text, by key (a key given twice:
// its last member, as the parser keeps it). Meant for text that parsed as
// JSON; any other text gives what could be read before it went wrong.
JsonLines scanJsonMemberLines(std::string_view text);

// The line of the member key, 0 when the scan did not find it.
size_t memberLine(const JsonLines& lines, const std::string& key);
// The line of element i of the member key: the element's own line when the
// scan found it, else the member's line, else 0.
size_t elementLine(const JsonLines& lines, const std::string& key, size_t i);
// The line of the member memberKey of the object value of key; else as
// elementLine.
size_t elementLine(const JsonLines& lines, const std::string& key, const std::string& memberKey);
