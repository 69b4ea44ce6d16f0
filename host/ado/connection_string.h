// Connection strings of the data-access layer, turned into a backend, its parameters and the
// waits that bound every call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lema::ado {

// Waits used when the string names none: a screen waits seconds, never minutes.
inline constexpr int32_t kDefaultBusyTimeoutMs = 3000;  // a database locked by another writer
inline constexpr int32_t kDefaultLoginTimeoutS = 5;     // reaching a database server
inline constexpr int32_t kDefaultQueryTimeoutS = 30;    // one statement on a database server

struct ConnectionTarget {
  enum class Backend { Sqlite, Odbc };
  Backend backend = Backend::Sqlite;
  // SQLite: "db=NAME", NAME being ":memory:" or a file: URI that never creates the file
  // unless asked; ODBC: the connection string for the driver, without the library's keys.
  std::string parameters;
  int32_t busy_timeout_ms = kDefaultBusyTimeoutMs;  // SQLite
  int32_t login_timeout_s = kDefaultLoginTimeoutS;  // ODBC
  int32_t query_timeout_s = -1;                     // ODBC; -1: the driver's own or default
};

// The ODBC driver used for SQL Server strings in OLE DB form: the environment variable
// LEMA_ODBC_DRIVER, or "FreeTDS".
std::string sql_server_odbc_driver();

// "sqlite3://..." and "odbc://..." select their backend (the prefix ignores case). A text of
// KEY=VALUE pairs naming a SQL Server OLE DB provider (or a server, with no provider) is
// translated for `driver`; one naming a DRIVER or DSN is an ODBC string already. Anything
// else raises Error(DataAccess) with the reason.
//
// The SQLite form is "sqlite3://" followed by blank-separated KEY=VALUE pairs; a value with
// blanks stands between double quotes (db="/my dir/a.db", a doubled quote inside for one):
//   db=PATH       the database file (":memory:", or a "file:" URI passed as it is); required
//   timeout=S     seconds to wait for a lock held by another connection (default 3)
//   readonly=1    opens the file read-only
//   create=1      creates the file when it is missing (for tools that build a database)
// Any other key, a repeated key, an empty db, a timeout that is not a number of seconds and a
// NUL anywhere are errors. Without create=1 a missing file is an error, never a new database.
//
// ODBC strings: LoginTimeout=S and QueryTimeout=S are read and removed by the library, which
// sets them on the connection and on each statement; Timeout= goes to the driver (the SQLite
// driver's lock wait in milliseconds, FreeTDS's query timeout in seconds). In OLE DB form,
// Connect Timeout=S and Command Timeout=S do the same as LoginTimeout and QueryTimeout.
ConnectionTarget parse_connection_string(std::string_view text, std::string_view driver);

// The ODBC form of a SQL Server connection string in OLE DB form:
//   Provider=SQLOLEDB;Data Source=srv;Initial Catalog=db;User ID=u;Password=p
//   -> DRIVER={driver};SERVER=srv;DATABASE=db;UID=u;PWD=p
// Integrated Security=SSPI (or true/yes) becomes Trusted_Connection=Yes; a "tcp:" before the
// server is dropped. Keys that only concern the OLE DB layer are dropped.
std::string ole_db_to_odbc(std::string_view text, std::string_view driver);

// Appends KEY=VALUE to an ODBC connection string, braced when the value needs it.
void append_odbc_pair(std::string& out, std::string_view key, std::string_view value);

// ODBC drivers whose connection strings need the library's help.
enum class OdbcDriverKind { Sqlite, FreeTds, Other };
// The kind of a driver from its registered name or its library's file name.
OdbcDriverKind odbc_driver_kind(std::string_view name_or_library);
// Whether a DRIVER name is one of Microsoft's SQL Server drivers ("SQL Server", "SQL Server
// Native Client 11.0", "ODBC Driver 18 for SQL Server", ...).
bool is_microsoft_sql_server_driver(std::string_view name);
// The value of KEY in an ODBC connection string (braces removed), or "" when absent.
std::string odbc_value(std::string_view odbc, std::string_view key);

// An ODBC string made ready for a driver of `kind`. When `driver` is not empty it replaces the
// DRIVER named (a Microsoft driver that is not installed, served by FreeTDS instead). The
// SQLite driver gets Timeout=busy_timeout_ms unless the string sets one (its own default
// waits 100 s). FreeTDS gets the server without "tcp:", UTF-8 text (ClientCharset) and a
// fixed protocol version (TDS_Version=7.4) unless the string sets them: its automatic version
// probe ignores the login timeout and would wait for ever on a server that does not answer.
std::string odbc_string_for_driver(std::string_view odbc, OdbcDriverKind kind,
                                   std::string_view driver, int32_t busy_timeout_ms);

}  // namespace lema::ado
