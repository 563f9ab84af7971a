// The size of a stress test: its count at full size times the factor in
// HUSHGATE_STRESS_SCALE (1 for the long run), or times small when the
// variable is not set, never less than one.
#pragma once

#include <cstdlib>
#include <string>

namespace testing_support {

inline int stressCount(int fullSize, double small) {
  const char* scale = std::getenv("HUSHGATE_STRESS_SCALE");
  const double factor = scale != nullptr && *scale != '\0' ? std::atof(scale) : small;
  const int count = static_cast<int>(fullSize * factor);
  return count < 1 ? 1 : count;
}

}  // namespace testing_support
