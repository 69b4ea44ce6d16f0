// Connection strings of the data-access layer, turned into a backend and its parameters.
#pragma once

#include <string>
#include <string_view>

namespace lema::ado {

struct ConnectionTarget {
  enum class Backend { Sqlite, Odbc };
  Backend backend = Backend::Sqlite;
  std::string parameters;  // SQLite: "db=PATH ..."; ODBC: the ODBC connection string
};

// The ODBC driver used for SQL Server strings in OLE DB form: the environment variable
// LEMA_ODBC_DRIVER, or "FreeTDS".
std::string sql_server_odbc_driver();

// "sqlite3://..." and "odbc://..." select their backend (the prefix ignores case). A text of
// KEY=VALUE pairs naming a SQL Server OLE DB provider (or a server, with no provider) is
// translated for `driver`; one naming a DRIVER or DSN is an ODBC string already. Anything
// else raises Error(DataAccess).
ConnectionTarget parse_connection_string(std::string_view text, std::string_view driver);

// The ODBC form of a SQL Server connection string in OLE DB form:
//   Provider=SQLOLEDB;Data Source=srv;Initial Catalog=db;User ID=u;Password=p
//   -> DRIVER={driver};SERVER=srv;DATABASE=db;UID=u;PWD=p
// Integrated Security=SSPI (or true/yes) becomes Trusted_Connection=Yes. Keys that only
// concern the OLE DB layer are dropped.
std::string ole_db_to_odbc(std::string_view text, std::string_view driver);

// Appends KEY=VALUE to an ODBC connection string, braced when the value needs it.
void append_odbc_pair(std::string& out, std::string_view key, std::string_view value);

}  // namespace lema::ado
