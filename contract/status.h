// The one way the engine and both faces report a failure: a Status says
// whether an operation succeeded and, if not, what kind of failure it was
// and a sentence for the person; Result<T> carries a value or the Status
// that explains its absence. Both must be looked at: dropping one hides a
// failure, so the compiler refuses to let a caller ignore them.
//
// HRESULTs stay at the component contract's edge (interfaces.h); code above
// it converts them once, where it meets a component.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace bkvp {

class [[nodiscard]] Status {
 public:
  enum class Code {
    kOk,
    kNotFound,       // the file, folder, key or client named is not there
    kCannotRead,     // it is there but cannot be read, or is not what it should be
    kCannotWrite,    // a destination or the settings store cannot take what is written
    kDamaged,        // an archive whose layout or data is damaged
    kInvalid,        // a request that makes no sense (a usage mistake, bad input)
    kBusy,           // something needed is held by another run or program
    kNotRegistered,  // a component the work needs is not installed here
    kCancelled,      // the person or the system asked to stop
    kFailed,         // anything else
  };

  Status() = default;  // success
  Status(Code code, std::string message) : code_(code), message_(std::move(message)) {}
  static Status Ok() { return {}; }

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  // A sentence for the person, without a final full stop; "" when ok.
  const std::string& message() const { return message_; }

 private:
  Code code_ = Code::kOk;
  std::string message_;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::move(value)) {}         // NOLINT: a value is a success
  Result(Status status) : state_(std::move(status)) {}  // NOLINT: a failure

  bool ok() const { return std::holds_alternative<T>(state_); }
  // Requires: ok().
  T& value() { return std::get<T>(state_); }
  const T& value() const { return std::get<T>(state_); }
  // Ok when there is a value.
  Status status() const { return ok() ? Status() : std::get<Status>(state_); }

 private:
  std::variant<T, Status> state_;
};

}  // namespace bkvp
