// The result of an operation that meets the outside world (a file, a
// document, a URL, a database, a child process): a value, or the sentence
// that says why there is none. Every edge of the system reports failure this
// way; nothing from outside is thrown through the platform's callbacks.
//
//   Result<std::string> bytes = readSomething(path);
//   if (!bytes) Log("== cannot read %@: %@", path, bytes.error());
//
// Status is the result of an operation that gives nothing back but success.
#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>
#include <variant>

// Why an operation failed: one sentence for a log line or a message.
struct Failure {
  std::string message;
};

inline Failure fail(std::string message) {
  return Failure{std::move(message)};
}

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure.message)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  // The value; only when ok().
  T& value() & {
    assert(ok());
    return std::get<0>(state_);
  }
  const T& value() const& {
    assert(ok());
    return std::get<0>(state_);
  }
  T&& value() && {
    assert(ok());
    return std::get<0>(std::move(state_));
  }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }

  // Why it failed; "" when ok().
  const std::string& error() const {
    static const std::string kNone;
    return ok() ? kNone : std::get<1>(state_);
  }

  // The value, or fallback when the operation failed.
  T value_or(T fallback) && { return ok() ? std::get<0>(std::move(state_)) : std::move(fallback); }
  std::optional<T> toOptional() && {
    return ok() ? std::optional<T>(std::get<0>(std::move(state_))) : std::nullopt;
  }

 private:
  std::variant<T, std::string> state_;
};

class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Failure failure) : error_(std::move(failure.message)) {}

  bool ok() const { return !error_; }
  explicit operator bool() const { return ok(); }
  // Why it failed; "" when ok().
  const std::string& error() const {
    static const std::string kNone;
    return error_ ? *error_ : kNone;
  }

 private:
  std::optional<std::string> error_;
};
