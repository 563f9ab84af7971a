// Conversions between the UTF-8 text of documents and call records and the
// UTF-16 text on which the rules count characters, as the phone does.
#pragma once

#include <string>
#include <string_view>

#include <unicode/unistr.h>

// Ill-formed UTF-8 reads as U+FFFD for each bad sequence.
icu::UnicodeString toUnicode(std::string_view utf8);
// A lone surrogate writes as U+FFFD.
std::string toUtf8(const icu::UnicodeString& text);
