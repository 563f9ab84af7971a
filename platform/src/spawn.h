// Starting other programs: always by path with an argument vector, never
// through a shell.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::internal {

// Whether path names a regular file that this process may execute.
bool isExecutableFile(const std::string& path);

// The executable file of this name in one of the folders of $PATH; "" when
// there is none. A name with "/" is not looked up.
std::string findExecutable(std::string_view name);

// Starts argv[0] (a path) with the arguments argv and does not wait for it:
// it runs in a session of its own with standard input and output on
// /dev/null, standard error shared with this process, an empty signal mask
// and the default action for the signals a host may ignore. Its exit status
// is collected in the background. Returns whether it started. Arguments with
// a NUL byte cannot be passed and fail.
bool spawnDetached(const std::vector<std::string>& argv);

// Runs argv[0] with the arguments argv, standard input and error on
// /dev/null, and returns what it wrote on standard output. nullopt when it
// cannot start, exits other than with status 0, or is still running after
// timeout (it is then killed).
[[nodiscard]] std::optional<std::string> runForOutput(const std::vector<std::string>& argv,
                                                      std::chrono::milliseconds timeout);

}  // namespace platform::internal
