// The embedded SQLite session over SOCI, and the choice of session for a connection string.
#include "host/ado/backend.h"

#include <soci/soci.h>
#include <soci/sqlite3/soci-sqlite3.h>

#include <algorithm>
#include <ctime>
#include <mutex>

#include "common/error.h"
#include "common/text.h"
#include "host/ado/connection_string.h"
#include "host/ado/dialect.h"
#include "host/ado/odbc_session.h"

namespace lema::ado::detail {
namespace {

void register_backend() {
  static std::once_flag once;
  std::call_once(once, [] { soci::register_factory_sqlite3(); });
}

[[noreturn]] void data_error(const std::exception& e) {
  raise(ErrorCode::DataAccess, e.what());
}

FieldInfo field_of(const soci::column_properties& p) {
  switch (p.get_data_type()) {
    case soci::dt_date:
      return {p.get_name(), adDBTimeStamp, 16, adFldUnspecified};
    case soci::dt_double:
      return {p.get_name(), adDouble, 8, adFldUnspecified};
    case soci::dt_integer:
      return {p.get_name(), adInteger, 4, adFldUnspecified};
    case soci::dt_long_long:
    case soci::dt_unsigned_long_long:
      return {p.get_name(), adBigInt, 8, adFldUnspecified};
    default:
      return {p.get_name(), adVarWChar, 0, adFldUnspecified};
  }
}

Value whole_number(long long v) {
  if (v >= INT32_MIN && v <= INT32_MAX) return Value(static_cast<int32_t>(v));
  return Value(Decimal::from_integer(v));
}

// The value of column `i` of the current row, in the kind its declared type gives.
Value cell_of(const soci::row& r, size_t i) {
  if (r.get_indicator(i) == soci::i_null) return Value::null();
  switch (r.get_properties(i).get_data_type()) {
    case soci::dt_string:
    case soci::dt_xml:
      return Value(r.get<std::string>(i));
    case soci::dt_double:
      return Value(r.get<double>(i));
    case soci::dt_integer:
      return Value(static_cast<int32_t>(r.get<int>(i)));
    case soci::dt_long_long:
      return whole_number(r.get<long long>(i));
    case soci::dt_unsigned_long_long: {
      unsigned long long v = r.get<unsigned long long>(i);
      if (v > static_cast<unsigned long long>(INT64_MAX)) raise(ErrorCode::Overflow, "Overflow");
      return whole_number(static_cast<long long>(v));
    }
    case soci::dt_date: {
      std::tm t = r.get<std::tm>(i);
      auto d = Date::from_civil(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
                                t.tm_sec);
      if (!d) raise(ErrorCode::DataAccess, "A date read from the database is out of range.");
      return Value(*d);
    }
    default:
      raise(ErrorCode::DataAccess, "A column of this type cannot be read.");
  }
}

// SOCI opens SQLite files with SQLITE_OPEN_CREATE and has no option to leave it out. The
// file is therefore named by a "file:" URI whose mode (rw or ro, see connection_string.h)
// SQLite applies inside the open call itself: a missing file fails to open, with no window
// between a check and the open in which another process could delete it.
class SqliteSession final : public Session {
 public:
  explicit SqliteSession(const ConnectionTarget& target)
      : sql_(soci::connection_parameters(*soci::factory_sqlite3(), target.parameters)) {
    auto* db = static_cast<soci::sqlite3_session_backend*>(sql_.get_backend())->conn_;
    sqlite_api::sqlite3_busy_timeout(db, target.busy_timeout_ms);
  }

  Result execute(std::string_view command) override {
    const std::string text = to_sqlite_dialect(command);
    Result res;
    try {
      soci::row r;
      soci::statement st = (sql_.prepare << text, soci::into(r));
      const bool got = st.execute(true);
      if (r.size() == 0) {  // a command that returns no result set
        res.affected = st.get_affected_rows();
        return res;
      }
      res.has_rows = true;
      const size_t n = r.size();
      for (size_t i = 0; i < n; ++i) res.fields.push_back(field_of(r.get_properties(i)));
      if (got) {
        do {
          for (size_t i = 0; i < n; ++i) res.cells.push_back(cell_of(r, i));
          ++res.rows;
        } while (st.fetch());
      }
    } catch (const Error&) {
      throw;
    } catch (const std::exception& e) {
      data_error(e);
    }
    size_text_fields(res);
    return res;
  }

 private:
  soci::session sql_;
};

// Whether SQLite reads "file:" names as URIs (Debian builds it so; SQLITE_USE_URI).
bool sqlite_reads_uris() {
  static const bool yes = sqlite_api::sqlite3_compileoption_used("USE_URI") != 0;
  return yes;
}

}  // namespace

void size_text_fields(Result& result) {
  const size_t columns = result.fields.size();
  for (size_t i = 0; i < columns; ++i) {
    if (result.fields[i].type != adVarWChar) continue;
    size_t longest = 1;
    for (int64_t row = 0; row < result.rows; ++row) {
      const Value& v = result.cells[static_cast<size_t>(row) * columns + i];
      if (v.is_string()) longest = std::max(longest, utf8_length(v.as_string()));
    }
    result.fields[i].defined_size = static_cast<int32_t>(longest);
  }
}

std::unique_ptr<Session> open_session(std::string_view connection_string, std::string_view user,
                                      std::string_view password) {
  ConnectionTarget target = parse_connection_string(connection_string, sql_server_odbc_driver());
  if (target.backend == ConnectionTarget::Backend::Odbc) {
    if (!user.empty()) append_odbc_pair(target.parameters, "UID", user);
    if (!password.empty()) append_odbc_pair(target.parameters, "PWD", password);
    return open_odbc_session(target);
  }
  if (target.parameters != "db=:memory:" && !sqlite_reads_uris())
    raise(ErrorCode::DataAccess,
          "This SQLite library does not read file: URIs, which the library needs to open a "
          "database file without creating it.");
  register_backend();
  try {
    return std::make_unique<SqliteSession>(target);
  } catch (const Error&) {
    throw;
  } catch (const std::exception& e) {
    data_error(e);
  }
}

}  // namespace lema::ado::detail
