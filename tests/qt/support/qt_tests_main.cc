// The front end's test program: `qt_tests NAME [Qt Test options]` runs the
// test class of NAME.cc; without a name, every class.
#include "support/qt_gui_test.h"

int main(int argc, char** argv) {
  return qt_testing::runTests(argc, argv);
}
