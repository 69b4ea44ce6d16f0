// Errors raised inside the library and the step frame that swallows them.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lema {

// Error numbers follow the automation runtime the hosts know.
enum class ErrorCode : int32_t {
  InvalidProcedureCall = 5,
  Overflow = 6,
  SubscriptOutOfRange = 9,
  TypeMismatch = 13,
  ObjectVariableNotSet = 91,
  InvalidUseOfNull = 94,
  ObjectRequired = 424,
  CannotCreateObject = 429,
  NotSupported = 438,
  ArgumentNotOptional = 449,
  WrongArgumentCount = 450,
  MemberNotFound = 451,
  DataAccess = 3001,
  Host = 10000,
};

class Error : public std::runtime_error {
 public:
  // `operation` names what failed for a trace ("Connection.Execute"); it must outlive the
  // error (a literal) and is not part of the message.
  Error(ErrorCode code, const std::string& message, std::string_view operation = {})
      : std::runtime_error(message), code_(code), operation_(operation) {}
  ErrorCode code() const noexcept { return code_; }
  std::string_view operation() const noexcept { return operation_; }

 private:
  ErrorCode code_;
  std::string_view operation_;
};

[[noreturn]] void raise(ErrorCode code, std::string_view message);

// Hook that sees every failure the step frame swallows, so that a host can learn why a member
// fell back to its default (tracing aid; none by default). The text is the error's message,
// after "OPERATION: " when the error names its operation ("Connection.Execute: database is
// locked"). The hook may be set from any thread; it is called on the thread that failed.
using SwallowObserver = void (*)(std::string_view what);
void set_swallow_observer(SwallowObserver observer) noexcept;

namespace detail {
void note_swallowed() noexcept;

// Runs one step of a public member: a failure is swallowed so the next step runs.
// Returns whether the step completed.
template <class F>
bool step(F&& f) noexcept {
  try {
    f();
    return true;
  } catch (...) {
    note_swallowed();
    return false;
  }
}
}  // namespace detail
}  // namespace lema
