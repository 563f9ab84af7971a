// Lets a deferred task or a dialog callback that refers to an object find out
// whether that object still exists: the object holds a LifetimeGuard, the
// callback holds its token and returns at once when the token has expired.
#pragma once

#include <memory>

namespace gui {

class LifetimeGuard {
 public:
  using Token = std::weak_ptr<const void>;

  LifetimeGuard() = default;
  // A copy is a new object with a lifetime of its own.
  LifetimeGuard(const LifetimeGuard&) {}
  LifetimeGuard& operator=(const LifetimeGuard&) { return *this; }

  Token token() const { return alive_; }

 private:
  std::shared_ptr<const void> alive_ = std::make_shared<char>(0);
};

}  // namespace gui
