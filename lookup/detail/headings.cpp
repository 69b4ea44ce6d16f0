#include "lookup/detail/headings.h"

#include <algorithm>

namespace lema::detail {

Value make_heading_table(std::span<const std::string_view> headings, int32_t columns) {
  const int32_t n = std::max<int32_t>(columns, static_cast<int32_t>(headings.size()));
  Array a = Array::matrix(n, 2);
  for (size_t c = 0; c < headings.size(); ++c) {
    a.at(static_cast<int32_t>(c), 0) = Value::literal(headings[c]);
    a.at(static_cast<int32_t>(c), 1) = Value::literal("");
  }
  return Value(std::move(a));
}

HeadingTable::HeadingTable(std::initializer_list<std::string_view> headings, int32_t columns)
    : value_(make_heading_table(
          std::span<const std::string_view>(headings.begin(), headings.size()), columns)) {}

}  // namespace lema::detail
