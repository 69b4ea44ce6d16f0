#include "tools/lemald/connection_step.h"

#include <algorithm>
#include <ostream>

#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"
#include "host/ado/connection.h"
#include "host/ado/dialect.h"
#include "host/ado/recordset.h"

namespace lemald {
namespace {

std::string cell_text(const lema::Value& v) {
  if (v.is_null()) return "NULL";
  if (v.is_object() || v.is_array() || v.is_missing()) return "?";
  return lema::to_text(v);
}

void pad(std::ostream& out, const std::string& s, size_t width) {
  out << s;
  for (size_t w = lema::utf8_length(s); w < width; ++w) out << ' ';
}

}  // namespace

lema::ObjectRef open_connection(const std::string& url, const std::vector<std::string>& sql) {
  auto connection = lema::make_object<lema::ado::Connection>();
  connection->Open(lema::Value(url));
  for (const std::string& statement : sql) connection->Execute(statement);
  return lema::ObjectRef(connection);
}

void close_connection(lema::Object& connection) {
  if (auto* typed = dynamic_cast<lema::ado::Connection*>(&connection))
    typed->Close();
  else
    lema::call_method(connection, "Close");
}

void print_recordset(const lema::Value& value, std::ostream& out, const lema::Value& headings) {
  const lema::ado::Recordset* rs =
      value.is_object() ? dynamic_cast<const lema::ado::Recordset*>(value.as_object().get())
                        : nullptr;
  if (!rs) {
    out << "Recordset:  " << (value.is_object() && !value.as_object() ? "Nothing" : "none") << "\n";
    return;
  }
  if (rs->State() != lema::ado::adStateOpen) {
    out << "Recordset:  closed\n";
    return;
  }
  const int32_t n = rs->field_count();
  std::vector<std::string> head;
  if (headings.is_array() && headings.as_array().rank() == 2 &&
      headings.as_array().bounds()[0].count == n) {
    const lema::Array& a = headings.as_array();
    for (int32_t c = 0; c < n; ++c) head.push_back(cell_text(a.at(a.lbound(0) + c, a.lbound(1))));
  } else {
    for (int32_t c = 0; c < n; ++c) head.push_back(rs->field(c).name);
  }
  std::vector<std::vector<std::string>> rows;
  std::vector<size_t> widths(static_cast<size_t>(n));
  for (int32_t c = 0; c < n; ++c)
    widths[static_cast<size_t>(c)] = lema::utf8_length(head[static_cast<size_t>(c)]);
  for (int64_t r = 0; r < rs->row_count(); ++r) {
    std::vector<std::string> line;
    for (int32_t c = 0; c < n; ++c) {
      line.push_back(cell_text(rs->cell(r, c)));
      widths[static_cast<size_t>(c)] =
          std::max(widths[static_cast<size_t>(c)], lema::utf8_length(line.back()));
    }
    rows.push_back(std::move(line));
  }
  auto print_line = [&](const std::vector<std::string>& cells) {
    for (size_t c = 0; c < cells.size(); ++c) {
      if (c) out << "  ";
      if (c + 1 == cells.size())
        out << cells[c];
      else
        pad(out, cells[c], widths[c]);
    }
    out << "\n";
  };
  print_line(head);
  std::vector<std::string> rule;
  for (size_t w : widths) rule.emplace_back(w, '-');
  print_line(rule);
  for (const auto& line : rows) print_line(line);
  out << "(" << rows.size() << (rows.size() == 1 ? " row)\n" : " rows)\n");
}

void run_sql_script(lema::Object& connection, const std::string& script, std::ostream& out) {
  auto* typed = dynamic_cast<lema::ado::Connection*>(&connection);
  if (!typed) lema::raise(lema::ErrorCode::ObjectRequired, "not a connection of the library");
  for (const std::string& statement : lema::ado::split_statements(script)) {
    lema::Ref<lema::ado::Recordset> rs = typed->Execute(statement);
    if (rs && rs->State() == lema::ado::adStateOpen)
      print_recordset(lema::Value(lema::ObjectRef(rs)), out);
  }
}

}  // namespace lemald
