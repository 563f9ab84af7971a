#include "gui/support/notify_waiter.h"

#include <sys/wait.h>

#include <utility>
#include <vector>

namespace gui_testing {

namespace {

constexpr char kTool[] = HUSHGATE_NOTIFY_TOOL;
constexpr auto kReadyPatience = std::chrono::seconds(10);

}  // namespace

std::unique_ptr<NotifyWaiter> NotifyWaiter::start(const std::string& name, int seconds,
                                                  std::string* error) {
  auto child = testing_support::ChildProcess::start({kTool, "wait", name, std::to_string(seconds)});
  if (child == nullptr) {
    if (error) *error = std::string("cannot start ") + kTool;
    return nullptr;
  }
  const std::optional<std::string> line = child->readLine(kReadyPatience);
  if (line != "ready") {
    // Without a whole line, report whatever partial output there was.
    const std::string said = line ? *line : child->readAll(std::chrono::milliseconds(0));
    if (error) *error = "the waiter said \"" + said + "\" instead of \"ready\"";
    return nullptr;
  }
  return std::unique_ptr<NotifyWaiter>(new NotifyWaiter(std::move(child)));
}

std::optional<int> NotifyWaiter::exitStatus(std::chrono::milliseconds timeout) {
  const std::optional<int> status = child_->wait(timeout);
  if (status && WIFEXITED(*status)) return WEXITSTATUS(*status);
  return std::nullopt;
}

}  // namespace gui_testing
