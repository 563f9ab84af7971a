#include <iostream>
#include <string>
#include <vector>

#include "tools/phonedata/commands.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return phonedata::runCommand(args, std::cout, std::cerr);
}
