// The hosts' output: one compact JSON object per line, flushed at once so
// that a reader on a pipe sees each line as it happens.
#pragma once

#include <cstdio>

#include <nlohmann/json.hpp>

namespace hosts {

// Writes the object and a line feed to out and flushes. Text that is not
// well-formed UTF-8 is written with U+FFFD in its place.
void printJsonLine(std::FILE* out, const nlohmann::ordered_json& object);

}  // namespace hosts
