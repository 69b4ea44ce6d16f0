#include "host/ado/odbc_session.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "common/error.h"
#include "host/ado/dialect.h"

namespace lema::ado::detail {
namespace {

// The diagnostics of a handle on one line: "[SQLSTATE] message; [SQLSTATE] message".
std::string diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::string out;
  SQLCHAR state[6];
  SQLCHAR message[1024];
  SQLINTEGER native = 0;
  SQLSMALLINT length = 0;
  for (SQLSMALLINT i = 1; i <= 4; ++i) {
    if (!SQL_SUCCEEDED(
            SQLGetDiagRec(type, handle, i, state, &native, message, sizeof message, &length)))
      break;
    if (!out.empty()) out += "; ";
    out += '[';
    out.append(reinterpret_cast<const char*>(state), 5);
    out += "] ";
    out.append(reinterpret_cast<const char*>(message),
               std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)),
                                sizeof message - 1));
  }
  return out.empty() ? std::string("the driver gave no diagnostics") : out;
}

[[noreturn]] void odbc_error(std::string_view what, SQLSMALLINT type, SQLHANDLE handle) {
  std::string message(what);
  message += diagnostics(type, handle);
  raise(ErrorCode::DataAccess, message);
}

SQLPOINTER integer_attribute(int32_t value) {
  return reinterpret_cast<SQLPOINTER>(static_cast<intptr_t>(value));
}

// The text of a driver-manager answer written into a buffer of `size` bytes.
std::string text_of(const SQLCHAR* buffer, SQLSMALLINT length, size_t size) {
  return std::string(
      reinterpret_cast<const char*>(buffer),
      std::min<size_t>(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)), size - 1));
}

// The library of a driver registered under `name` (its "Driver=" attribute), or "" when the
// driver manager knows no driver of that name.
std::string driver_library(SQLHENV env, std::string_view name) {
  SQLCHAR description[256];
  SQLCHAR attributes[2048];
  SQLSMALLINT description_length = 0, attributes_length = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  while (
      SQL_SUCCEEDED(SQLDrivers(env, direction, description, sizeof description, &description_length,
                               attributes, sizeof attributes, &attributes_length))) {
    direction = SQL_FETCH_NEXT;
    std::string driver = text_of(description, description_length, sizeof description);
    if (driver.size() != name.size() ||
        !std::equal(driver.begin(), driver.end(), name.begin(),
                    [](char a, char b) { return (a | 0x20) == (b | 0x20); }))
      continue;
    // NUL-separated KEY=VALUE attributes.
    const std::string list = text_of(attributes, attributes_length, sizeof attributes);
    for (size_t i = 0; i < list.size();) {
      size_t end = list.find('\0', i);
      if (end == std::string::npos) end = list.size();
      std::string_view item(list.data() + i, end - i);
      if (item.starts_with("Driver=")) return std::string(item.substr(7));
      i = end + 1;
    }
    return driver;  // known, library not listed
  }
  return {};
}

// The driver a data source name stands for, or "".
std::string dsn_driver(SQLHENV env, std::string_view dsn) {
  SQLCHAR name[256];
  SQLCHAR description[256];
  SQLSMALLINT name_length = 0, description_length = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  while (SQL_SUCCEEDED(SQLDataSources(env, direction, name, sizeof name, &name_length, description,
                                      sizeof description, &description_length))) {
    direction = SQL_FETCH_NEXT;
    if (text_of(name, name_length, sizeof name) == dsn)
      return text_of(description, description_length, sizeof description);
  }
  return {};
}

// How the library reads a column of an SQL type (the result's field type follows from it).
enum class Kind { Text, Double, Integer, BigInt, Date };

Kind kind_of(SQLSMALLINT type) {
  switch (type) {
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIME:
    case SQL_TIMESTAMP:
      return Kind::Date;
    case SQL_DOUBLE:
    case SQL_DECIMAL:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_NUMERIC:
      return Kind::Double;
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
      return Kind::Integer;
    case SQL_BIGINT:
      return Kind::BigInt;
    default:
      return Kind::Text;
  }
}

FieldInfo field_of(std::string name, Kind kind) {
  switch (kind) {
    case Kind::Date:
      return {std::move(name), adDBTimeStamp, 16, adFldUnspecified};
    case Kind::Double:
      return {std::move(name), adDouble, 8, adFldUnspecified};
    case Kind::Integer:
      return {std::move(name), adInteger, 4, adFldUnspecified};
    case Kind::BigInt:
      return {std::move(name), adBigInt, 8, adFldUnspecified};
    case Kind::Text:
      break;
  }
  return {std::move(name), adVarWChar, 0, adFldUnspecified};
}

class OdbcSession final : public Session {
 public:
  explicit OdbcSession(const ConnectionTarget& target) {
    SQLHENV& env = h_.env;
    SQLHDBC& dbc = h_.dbc;
    allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE, env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    allocate(SQL_HANDLE_DBC, env, dbc);
    // A driver that has no login timeout refuses it; the connection goes on without one.
    SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, integer_attribute(target.login_timeout_s), 0);
    const std::string text = connection_text(target);
    const SQLRETURN rc = SQLDriverConnect(
        dbc, nullptr, const_cast<SQLCHAR*>(reinterpret_cast<const SQLCHAR*>(text.c_str())), SQL_NTS,
        nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc)) odbc_error("Cannot connect to the database: ", SQL_HANDLE_DBC, dbc);
    h_.connected = true;
    SQLCHAR dbms[64];
    SQLSMALLINT length = 0;
    if (SQL_SUCCEEDED(SQLGetInfo(dbc, SQL_DBMS_NAME, dbms, sizeof dbms, &length)))
      sqlite_dialect_ = text_of(dbms, length, sizeof dbms) == "SQLite";
    allocate(SQL_HANDLE_STMT, dbc, h_.stmt);
    // The SQLite driver waits for locks as its Timeout says and ignores a query timeout; a
    // server's driver gets the one asked for, or the default when its string sets none.
    int32_t query_timeout = target.query_timeout_s;
    if (query_timeout < 0 && !sqlite_dialect_ && odbc_value(text, "Timeout").empty())
      query_timeout = kDefaultQueryTimeoutS;
    if (query_timeout >= 0)
      SQLSetStmtAttr(h_.stmt, SQL_ATTR_QUERY_TIMEOUT, integer_attribute(query_timeout), 0);
  }

  Result execute(std::string_view command) override {
    SQLHSTMT stmt = h_.stmt;
    const std::string text = sqlite_dialect_ ? to_sqlite_dialect(command) : std::string(command);
    struct CloseCursor {
      SQLHSTMT handle;
      ~CloseCursor() { SQLFreeStmt(handle, SQL_CLOSE); }
    } close{stmt};
    auto* sql = const_cast<SQLCHAR*>(reinterpret_cast<const SQLCHAR*>(text.data()));
    const auto length = static_cast<SQLINTEGER>(text.size());
    // The SQLite driver types an expression column by the value of its first row once the
    // statement ran, and as text before: columns are described before running, as they
    // always were, so that a result keeps its field types. A server describes them after.
    SQLRETURN rc = SQL_SUCCESS;
    if (sqlite_dialect_) {
      if (!SQL_SUCCEEDED(SQLPrepare(stmt, sql, length))) failed();
    } else {
      rc = SQLExecDirect(stmt, sql, length);
      if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) failed();
    }
    Result res;
    SQLSMALLINT columns = 0;
    if (!SQL_SUCCEEDED(SQLNumResultCols(stmt, &columns))) failed();
    kinds_.clear();
    for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(std::max<SQLSMALLINT>(columns, 0));
         ++c) {
      SQLCHAR name[512];
      SQLSMALLINT name_length = 0, type = 0, digits = 0, nullable = 0;
      SQLULEN size = 0;
      if (!SQL_SUCCEEDED(SQLDescribeCol(stmt, c, name, sizeof name, &name_length, &type, &size,
                                        &digits, &nullable)))
        failed();
      kinds_.push_back(kind_of(type));
      res.fields.push_back(field_of(text_of(name, name_length, sizeof name), kinds_.back()));
    }
    if (sqlite_dialect_) {
      rc = SQLExecute(stmt);
      if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) failed();
    }
    if (columns <= 0) {  // a command that returns no result set
      SQLLEN affected = -1;
      if (rc != SQL_NO_DATA && !SQL_SUCCEEDED(SQLRowCount(stmt, &affected))) affected = -1;
      res.affected = rc == SQL_NO_DATA ? 0 : affected;
      return res;
    }
    res.has_rows = true;
    while (SQL_SUCCEEDED(rc = SQLFetch(stmt))) {
      for (SQLUSMALLINT c = 1; c <= kinds_.size(); ++c) res.cells.push_back(cell(c, kinds_[c - 1]));
      ++res.rows;
    }
    if (rc != SQL_NO_DATA) failed();
    size_text_fields(res);
    return res;
  }

 private:
  static void allocate(SQLSMALLINT type, SQLHANDLE parent, SQLHANDLE& out) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &out))) {
      out = SQL_NULL_HANDLE;
      raise(ErrorCode::DataAccess, "The ODBC driver manager cannot allocate a handle.");
    }
  }

  // The string the driver receives: a Microsoft SQL Server driver that is not installed is
  // replaced by the configured one, and the driver's own keys are completed (see
  // odbc_string_for_driver).
  std::string connection_text(const ConnectionTarget& target) const {
    SQLHENV env = h_.env;
    std::string driver = odbc_value(target.parameters, "DRIVER");
    const bool named = !driver.empty();
    if (!named) driver = dsn_driver(env, odbc_value(target.parameters, "DSN"));
    std::string library = driver.empty() ? std::string() : driver_library(env, driver);
    std::string replacement;
    if (named && library.empty() && is_microsoft_sql_server_driver(driver)) {
      replacement = sql_server_odbc_driver();
      library = driver_library(env, replacement);
      driver = replacement;
    }
    OdbcDriverKind kind = odbc_driver_kind(driver);
    if (kind == OdbcDriverKind::Other) kind = odbc_driver_kind(library);
    return odbc_string_for_driver(target.parameters, kind, replacement, target.busy_timeout_ms);
  }

  [[noreturn]] void failed() const { odbc_error("", SQL_HANDLE_STMT, h_.stmt); }

  Value cell(SQLUSMALLINT c, Kind kind) {
    SQLHSTMT stmt = h_.stmt;
    SQLLEN indicator = 0;
    SQLRETURN rc = SQL_SUCCESS;
    switch (kind) {
      case Kind::Integer: {
        SQLINTEGER v = 0;
        rc = SQLGetData(stmt, c, SQL_C_SLONG, &v, 0, &indicator);
        if (!SQL_SUCCEEDED(rc)) failed();
        return indicator == SQL_NULL_DATA ? Value::null() : Value(static_cast<int32_t>(v));
      }
      case Kind::BigInt: {
        SQLBIGINT v = 0;
        rc = SQLGetData(stmt, c, SQL_C_SBIGINT, &v, 0, &indicator);
        if (!SQL_SUCCEEDED(rc)) failed();
        if (indicator == SQL_NULL_DATA) return Value::null();
        if (v >= INT32_MIN && v <= INT32_MAX) return Value(static_cast<int32_t>(v));
        return Value(Decimal::from_integer(v));
      }
      case Kind::Double: {
        SQLDOUBLE v = 0;
        rc = SQLGetData(stmt, c, SQL_C_DOUBLE, &v, 0, &indicator);
        if (!SQL_SUCCEEDED(rc)) failed();
        return indicator == SQL_NULL_DATA ? Value::null() : Value(static_cast<double>(v));
      }
      case Kind::Date: {
        SQL_TIMESTAMP_STRUCT t{};
        rc = SQLGetData(stmt, c, SQL_C_TYPE_TIMESTAMP, &t, sizeof t, &indicator);
        if (!SQL_SUCCEEDED(rc)) failed();
        if (indicator == SQL_NULL_DATA) return Value::null();
        auto d = Date::from_civil(t.year, t.month, t.day, t.hour, t.minute, t.second);
        if (!d) raise(ErrorCode::DataAccess, "A date read from the database is out of range.");
        return Value(*d);
      }
      case Kind::Text:
        break;
    }
    // Text of any length, in pieces: the buffer bounds what one call reads, not the value.
    char buffer[4096];
    std::string text;
    for (;;) {
      rc = SQLGetData(stmt, c, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
      if (rc == SQL_NO_DATA) break;
      if (!SQL_SUCCEEDED(rc)) failed();
      if (indicator == SQL_NULL_DATA) return Value::null();
      const bool whole = indicator != SQL_NO_TOTAL && indicator < SQLLEN{sizeof buffer};
      text.append(buffer, whole ? static_cast<size_t>(indicator) : sizeof buffer - 1);
      if (whole) break;
    }
    return Value(std::move(text));
  }

  // Freed in reverse order, also when the constructor fails half-way.
  struct Handles {
    SQLHENV env = SQL_NULL_HANDLE;
    SQLHDBC dbc = SQL_NULL_HANDLE;
    SQLHSTMT stmt = SQL_NULL_HANDLE;
    bool connected = false;
    Handles() = default;
    Handles(const Handles&) = delete;
    Handles& operator=(const Handles&) = delete;
    ~Handles() {
      if (stmt) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
      if (connected) SQLDisconnect(dbc);
      if (dbc) SQLFreeHandle(SQL_HANDLE_DBC, dbc);
      if (env) SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
  } h_;
  bool sqlite_dialect_ = false;
  std::vector<Kind> kinds_;
};

}  // namespace

std::unique_ptr<Session> open_odbc_session(const ConnectionTarget& target) {
  return std::make_unique<OdbcSession>(target);
}

}  // namespace lema::ado::detail
