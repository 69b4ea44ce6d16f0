// The database side of the data-access layer: one session per open Connection. The embedded
// SQLite database goes through SOCI (backend.cpp), ODBC data sources through the driver
// manager's C API (odbc_session.cpp); neither shows in any header.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "host/ado/recordset.h"

namespace lema::ado::detail {

// What one command gave back: columns and rows when it returns a result set.
struct Result {
  bool has_rows = false;
  std::vector<FieldInfo> fields;
  std::vector<Value> cells;  // row-major
  int64_t rows = 0;
  int64_t affected = -1;  // rows changed by a command that returns no result set
};

class Session {
 public:
  virtual ~Session() = default;
  // Raises Error(DataAccess) with the database's message when the command fails.
  virtual Result execute(std::string_view command) = 0;
};

// Gives each text field the defined size of its longest value in characters (at least 1).
void size_text_fields(Result& result);

// Opens a session on a connection string (see connection.h). Raises Error(DataAccess)
// when the string is not understood or the database cannot be opened.
std::unique_ptr<Session> open_session(std::string_view connection_string, std::string_view user,
                                      std::string_view password);

}  // namespace lema::ado::detail
