#pragma once
// What a call that can fail gives back: its value, or the failure that keeps
// the cause (the system's error) and the file it happened on up to where it
// is shown.

#include <cerrno>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

namespace kv {

// A failed call's errno as the system's error; no error for 0.
inline std::error_code SystemError(int error) {
  return error == 0 ? std::error_code() : std::error_code(error, std::system_category());
}

// The system's error of a call that failed and the file it failed on (empty
// when it concerns no file).
struct Failure {
  std::error_code error;
  std::string path;
};

// The failure errno holds now, on `path`.
inline Failure LastFailure(std::string path) {
  return {SystemError(errno), std::move(path)};
}

// What a call that gives no value gives back: success, or the failure.
class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Failure failure) : failure_(std::move(failure)) {}

  explicit operator bool() const { return !failure_; }
  const Failure& Error() const { return *failure_; }

 private:
  std::optional<Failure> failure_;
};

// Success, or the failure errno holds now on `path`, for a POSIX-style call
// that reports success as `done`.
inline Status StatusOf(bool done, std::string path) {
  return done ? Status() : Status(LastFailure(std::move(path)));
}

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : held_(std::in_place_index<0>, std::move(value)) {}
  Result(Failure failure) : held_(std::in_place_index<1>, std::move(failure)) {}

  explicit operator bool() const { return held_.index() == 0; }
  T& operator*() { return std::get<0>(held_); }
  const T& operator*() const { return std::get<0>(held_); }
  T* operator->() { return &std::get<0>(held_); }
  const T* operator->() const { return &std::get<0>(held_); }
  const Failure& Error() const { return std::get<1>(held_); }
  // The value moved out, or `fallback` for a failure.
  T ValueOr(T fallback) && { return *this ? std::move(**this) : std::move(fallback); }

 private:
  std::variant<T, Failure> held_;
};

}  // namespace kv
