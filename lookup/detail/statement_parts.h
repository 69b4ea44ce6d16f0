// Small aids for building a statement step by step inside a lookup method.
#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "common/error.h"
#include "common/guard.h"
#include "common/sql.h"
#include "common/text.h"
#include "common/value.h"

namespace lema::detail {

// A piece produced where it stands in a `sql << ...` chain (a translated word, say):
// `append(out)` runs when the chain reaches it, so host calls keep the text order.
template <class F>
struct Deferred {
  F append;
};
template <class F>
Deferred(F) -> Deferred<F>;

template <class F>
SqlText& operator<<(SqlText& sql, const Deferred<F>& piece) {
  piece.append(sql.str());
  return sql;
}

// One clause of a statement run as its own step: when it fails, whatever it had appended
// is taken back, so the statement reads as if the clause had not been written. A value
// refused by the value guard fails the whole statement instead: it goes on to the
// enclosing step.
template <class F>
bool clause_step(SqlText& sql, F&& f) {
  const size_t mark = sql.size();
  try {
    std::forward<F>(f)();
    return true;
  } catch (const ValueRejected&) {
    sql.str().resize(mark);
    throw;
  } catch (...) {
    note_swallowed();
    sql.str().resize(mark);
    return false;
  }
}

// A step that builds a part of a statement ahead of the step that assembles it. A value
// refused by the value guard is remembered in `refused`, so that the assembling step can
// refuse the whole statement rather than build it without that part.
template <class F>
bool part_step(bool& refused, F&& f) noexcept {
  return step([&] {
    try {
      std::forward<F>(f)();
    } catch (const ValueRejected&) {
      refused = true;
      throw;
    }
  });
}

// Raised by the assembling step when a part was refused.
inline void fail_if_refused(bool refused) {
  if (refused) throw ValueRejected("a part of the statement was refused by the value guard");
}

// A Value compared with a number as the settings tests do: a text that does not read as a
// number is simply not equal (the comparison itself never fails).
inline bool numeric_equals(const Value& v, double n) {
  try {
    return equals_number(v, n);
  } catch (const Error&) {
    return false;
  }
}

}  // namespace lema::detail
