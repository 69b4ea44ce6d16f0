#include "tools/lemald/recordset_json.h"

namespace lemald {

std::optional<json> recordset_json(const lema::Object&, const ObjectNames&) {
  return std::nullopt;  // recordsets arrive with the data-access layer
}

}  // namespace lemald
