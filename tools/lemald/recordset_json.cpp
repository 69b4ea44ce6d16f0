#include "tools/lemald/recordset_json.h"

#include "host/ado/recordset.h"

namespace lemald {

std::optional<json> recordset_json(const lema::Object& o, const ObjectNames& names) {
  const auto* rs = dynamic_cast<const lema::ado::Recordset*>(&o);
  if (!rs) return std::nullopt;
  if (rs->State() != lema::ado::adStateOpen) return json{{"$recordset", json{{"open", false}}}};
  json fields = json::array();
  for (int32_t c = 0; c < rs->field_count(); ++c) {
    const lema::ado::FieldInfo& f = rs->field(c);
    fields.push_back(json{{"name", f.name}, {"type", f.type}, {"size", f.defined_size}});
  }
  json rows = json::array();
  for (int64_t r = 0; r < rs->row_count(); ++r) {
    json row = json::array();
    for (int32_t c = 0; c < rs->field_count(); ++c) row.push_back(to_json(rs->cell(r, c), names));
    rows.push_back(std::move(row));
  }
  const int64_t pos = rs->position();
  return json{{"$recordset", json{{"open", true},
                                  {"fields", std::move(fields)},
                                  {"rows", std::move(rows)},
                                  {"position", pos < 0 ? json(nullptr) : json(pos)},
                                  {"bof", rs->IsBOF()},
                                  {"eof", rs->IsEOF()}}}};
}

}  // namespace lemald
