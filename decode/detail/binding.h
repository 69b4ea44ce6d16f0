// Binding tables of the decodes: (0 To n-1, 0 To 1), control in (i, 0), result column in
// (i, 1).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "common/object.h"
#include "common/value.h"

namespace lema::detail {

// One row of a binding table. `column` must be a literal: it is held without a copy.
// A null `control` leaves the control cell Empty (no object Value at all).
struct Binding {
  const ObjectRef* control = nullptr;
  std::string_view column;
};

// One row per binding, in the order given; each control cell is an object Value, which
// may hold no object.
Value binding_table(std::span<const Binding> rows);

// The one-row table of the single-control decodes.
Value binding_row(const ObjectRef& control, std::string_view column);

}  // namespace lema::detail
