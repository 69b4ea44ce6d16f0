// Sessions over SOCI: the embedded SQLite backend and ODBC, both linked in statically.
#include "host/ado/backend.h"

#include <soci/odbc/soci-odbc.h>
#include <soci/soci.h>
#include <soci/sqlite3/soci-sqlite3.h>

#include <algorithm>
#include <ctime>
#include <mutex>

#include "common/error.h"
#include "common/text.h"
#include "host/ado/connection_string.h"
#include "host/ado/dialect.h"

namespace lema::ado::detail {
namespace {

void register_backends() {
  static std::once_flag once;
  std::call_once(once, [] {
    soci::register_factory_sqlite3();
    soci::register_factory_odbc();
  });
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

class SociSession final : public Session {
 public:
  SociSession(const soci::connection_parameters& params, bool sqlite) : sql_(params) {
    if (!sqlite) {
      auto* odbc = static_cast<soci::odbc_session_backend*>(sql_.get_backend());
      sqlite = odbc->get_database_product() == soci::odbc_session_backend::prod_sqlite;
    }
    sqlite_dialect_ = sqlite;
  }

  Result execute(std::string_view command) override {
    const std::string text = sqlite_dialect_ ? to_sqlite_dialect(command) : std::string(command);
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
    // The defined size of a text column is its longest value (at least 1).
    for (size_t i = 0; i < res.fields.size(); ++i) {
      if (res.fields[i].type != adVarWChar) continue;
      size_t longest = 1;
      for (int64_t row = 0; row < res.rows; ++row) {
        const Value& v = res.cells[static_cast<size_t>(row) * res.fields.size() + i];
        if (v.is_string()) longest = std::max(longest, utf8_length(v.as_string()));
      }
      res.fields[i].defined_size = static_cast<int32_t>(longest);
    }
    return res;
  }

 private:
  soci::session sql_;
  bool sqlite_dialect_ = false;
};

}  // namespace

std::unique_ptr<Session> open_session(std::string_view connection_string, std::string_view user,
                                      std::string_view password) {
  register_backends();
  ConnectionTarget target = parse_connection_string(connection_string, sql_server_odbc_driver());
  try {
    if (target.backend == ConnectionTarget::Backend::Sqlite) {
      soci::connection_parameters params(*soci::factory_sqlite3(), target.parameters);
      return std::make_unique<SociSession>(params, true);
    }
    if (!user.empty()) append_odbc_pair(target.parameters, "UID", user);
    if (!password.empty()) append_odbc_pair(target.parameters, "PWD", password);
    soci::connection_parameters params(*soci::factory_odbc(), target.parameters);
    params.set_option(soci::odbc_option_driver_complete, "0");  // never prompt
    return std::make_unique<SociSession>(params, false);
  } catch (const Error&) {
    throw;
  } catch (const std::exception& e) {
    data_error(e);
  }
}

}  // namespace lema::ado::detail
