// The {"$recordset": ...} output form, for the data-access layer's recordsets.
#pragma once

#include <optional>

#include "tools/lemald/json_value.h"

namespace lemald {

// The recordset form when `o` is a recordset, otherwise nothing.
std::optional<json> recordset_json(const lema::Object& o, const ObjectNames& names);

}  // namespace lemald
