// The `connection` and `close` steps: connections of the library's data-access layer; and
// recordsets printed as grids.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "common/object.h"
#include "common/value.h"

namespace lemald {

// Opens a connection on `url` and runs each statement of `sql` on it.
lema::ObjectRef open_connection(const std::string& url, const std::vector<std::string>& sql);
void close_connection(lema::Object& connection);

// Prints a recordset as a grid: a heading line, a rule, one line per row, then the row
// count. The headings are those of `headings` (a column descriptor table) when it has one
// per field, otherwise the field names.
void print_recordset(const lema::Value& rs, std::ostream& out, const lema::Value& headings = {});

// Runs each statement of a script on the connection; the rows of each query are printed
// as a grid.
void run_sql_script(lema::Object& connection, const std::string& script, std::ostream& out);

}  // namespace lemald
