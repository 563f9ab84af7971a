// A process-wide object that is built on first use and never destroyed, so it
// stays valid while other static objects are torn down at exit. Memory it owns
// stays reachable from static storage and is not reported as a leak.
#pragma once

#include <new>
#include <utility>

namespace platform::internal {

template <typename T>
class NoDestructor {
 public:
  template <typename... Args>
  explicit NoDestructor(Args&&... args) {
    new (storage_) T(std::forward<Args>(args)...);
  }
  NoDestructor(const NoDestructor&) = delete;
  NoDestructor& operator=(const NoDestructor&) = delete;

  T& operator*() { return *get(); }
  T* operator->() { return get(); }
  T* get() { return std::launder(reinterpret_cast<T*>(storage_)); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace platform::internal
