// Injection: how a host process loads the injected libraries (the tweak), the
// way the injection framework does on the phone.
#pragma once

#include <string>
#include <vector>

namespace platform {

// <device root>/Library/MobileSubstrate/DynamicLibraries
std::string injectionDirectory();

// Loads every "*.so" file of injectionDirectory() with dlopen, in name order
// (byte order of the file names); each library's load-time constructors run
// during its load. A library that cannot be loaded is reported on stderr and
// skipped. Loaded libraries stay loaded for the life of the process. A
// missing folder loads nothing. Returns the paths of the libraries loaded.
//
// A host sets its bundle identifier (setMainBundleIdentifier) and registers
// its classes first, so that the constructors see both.
std::vector<std::string> loadInjectedLibraries();

}  // namespace platform
