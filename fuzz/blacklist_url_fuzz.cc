// Fuzz target of the add-to-blacklist URL: the input is a URL as any
// application may open it. A URL that carries a request carries a number
// that is well-formed text; the URL the Phone side builds for that number
// and label carries them back unchanged (the label trimmed).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "statics/contracts/blacklist_url.h"
#include "statics/statics.h"
#include "statics/utf8.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view url(reinterpret_cast<const char*>(data), size);
  const std::optional<AddToBlacklistRequest> request = parseAddToBlacklistURL(url);
  if (request) {
    check(!request->number.empty() && isWellFormedUtf8(request->number));
    check(isWellFormedUtf8(request->label) && isWellFormedUtf8(request->from));
    const std::optional<AddToBlacklistRequest> back =
        parseAddToBlacklistURL(addToBlacklistURL(request->number, request->label));
    check(back.has_value() && back->number == request->number &&
          back->label == trimming(request->label));
  }
  // Whatever the input, the URL built from it as a number parses back.
  if (!url.empty()) {
    const std::string number = wellFormedUtf8(url);
    const std::optional<AddToBlacklistRequest> built =
        parseAddToBlacklistURL(addToBlacklistURL(number, ""));
    check(built.has_value() && built->number == number);
  }
  return 0;
}
