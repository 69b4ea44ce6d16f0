// Value guard: an opt-in check of the values the library places into statements.
//
// By default values go into statements exactly as given (quote characters are not
// doubled), as the hosts of this library expect. A host that wants a refusal instead of a
// statement carrying text it did not mean turns the guard on, with set_value_guard(true)
// or by starting the process with LEMA_VALUE_GUARD=1. With the guard on:
//   - a value placed between quotes must not contain a quote character (');
//   - a value placed bare must be a plain number or an identifier (blanks around it
//     allowed);
//   - an ordering text must be a comma-separated list of column names, each optionally
//     followed by ASC or DESC.
// A value that breaks its rule raises ValueRejected inside the step that builds the
// statement, so that step fails and its output keeps what the previous call left there.
// The caller's own SQL condition (FiltroStringaSQL) and the host's translations are not
// checked.
#pragma once

#include <string_view>

#include "common/error.h"

namespace lema {

// Turns the guard on or off for the whole process (it overrides LEMA_VALUE_GUARD).
void set_value_guard(bool on) noexcept;
// Whether the guard is on. The first call reads LEMA_VALUE_GUARD ("1" turns it on) unless
// set_value_guard was called before.
bool value_guard() noexcept;

// Scoped setting of the guard, restoring the previous state (for tests and tools).
class ValueGuardScope {
 public:
  explicit ValueGuardScope(bool on) noexcept : previous_(value_guard()) { set_value_guard(on); }
  ~ValueGuardScope() { set_value_guard(previous_); }
  ValueGuardScope(const ValueGuardScope&) = delete;
  ValueGuardScope& operator=(const ValueGuardScope&) = delete;

 private:
  bool previous_;
};

// The refusal of a value by the guard. Clause-level steps pass it on, so that the whole
// statement step fails rather than the statement losing a clause.
class ValueRejected : public Error {
 public:
  explicit ValueRejected(const std::string& message)
      : Error(ErrorCode::InvalidProcedureCall, message) {}
};

namespace guard {
// The rules themselves, whatever the guard's state.
bool is_quotable(std::string_view text) noexcept;    // no quote character
bool is_bare_token(std::string_view text) noexcept;  // plain number or identifier, blanks around
bool is_ordering(std::string_view text) noexcept;    // column [ASC|DESC] {, column [ASC|DESC]}

// When the guard is on, raise ValueRejected for a text that breaks the rule.
void check_quoted(std::string_view text);
void check_bare(std::string_view text);
void check_ordering(std::string_view text);
}  // namespace guard

}  // namespace lema
