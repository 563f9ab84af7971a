#include "support/private_bus.h"

#include <fstream>

namespace testing_support {

bool writePrivateBusConfig(const std::string& configPath, const std::string& socketPath,
                           BusType type) {
  std::ofstream config(configPath);
  config << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
            " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
            "<busconfig>\n";
  if (type == BusType::kSession) config << "  <type>session</type>\n";
  config << "  <listen>unix:path=" << socketPath
         << "</listen>\n"
            "  <auth>EXTERNAL</auth>\n"
            "  <policy context=\"default\">\n"
            "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
            "    <allow eavesdrop=\"true\"/>\n"
            "    <allow own=\"*\"/>\n"
            "  </policy>\n"
            "</busconfig>\n";
  return static_cast<bool>(config.flush());
}

}  // namespace testing_support
