// Column descriptor tables of the lookups.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "common/value.h"

namespace lema::detail {

// (0 To N-1, 0 To 1): heading of column c in (c, 0), "" in (c, 1); columns past the
// headings (when `columns` is larger) stay Empty in both cells. The headings must be
// literals: they are held without a copy.
Value make_heading_table(std::span<const std::string_view> headings, int32_t columns = 0);

// A fixed table built once and shared: each lookup call hands out a copy-on-write copy.
class HeadingTable {
 public:
  HeadingTable(std::initializer_list<std::string_view> headings, int32_t columns = 0);
  const Value& value() const noexcept { return value_; }

 private:
  Value value_;
};

}  // namespace lema::detail
