#include "hosts/common/json_output.h"

#include <string>

namespace hosts {

void printJsonLine(std::FILE* out, const nlohmann::ordered_json& object) {
  const std::string line =
      object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
  std::fwrite(line.data(), 1, line.size(), out);
  std::fflush(out);
}

}  // namespace hosts
