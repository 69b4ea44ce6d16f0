#include "decode/detail/binding.h"

namespace lema::detail {

Value binding_table(std::span<const Binding> rows) {
  Array table = Array::matrix(static_cast<int32_t>(rows.size()), 2);
  int32_t i = 0;
  for (const Binding& row : rows) {
    if (row.control) table.at(i, 0) = Value(*row.control);
    table.at(i, 1) = Value::literal(row.column);
    ++i;
  }
  return Value(std::move(table));
}

Value binding_row(const ObjectRef& control, std::string_view column) {
  const Binding row{&control, column};
  return binding_table(std::span<const Binding>(&row, 1));
}

}  // namespace lema::detail
