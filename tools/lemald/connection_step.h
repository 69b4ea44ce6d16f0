// The `connection` and `close` steps: connections of the library's data-access layer.
#pragma once

#include <string>
#include <vector>

#include <iosfwd>

#include "common/object.h"
#include "common/value.h"

namespace lemald {

lema::ObjectRef open_connection(const std::string& url, const std::vector<std::string>& sql);
void close_connection(lema::Object& connection);

}  // namespace lemald

namespace lemald {
// Prints a recordset as a grid (headings, then one line per row).
void print_recordset(const lema::Value& rs, std::ostream& out);
}  // namespace lemald
