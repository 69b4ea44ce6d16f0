// Connection of the data-access layer: opens a database from a connection string and runs
// commands on it, each returning a fully materialised Recordset (client-side cursor, so
// RecordCount is the true number of rows). Connection strings (connection_string.h):
//   sqlite3://db=PATH [timeout=S] ...  the embedded SQLite database, an existing file
//   odbc://ODBC CONNECTION STRING      any ODBC data source through the driver manager
//   Provider=...;Data Source=...;...   a SQL Server string in OLE DB form, run through ODBC
// Open and Execute wait for locks and servers within the string's timeouts (seconds by
// default); their errors name the operation for the swallow observer.
// Members carry the names hosts know from ADO (Open, Execute, Close, State, ...).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "common/object.h"
#include "common/value.h"
#include "host/ado/recordset.h"

namespace lema::ado {

namespace detail {
class Session;
}

class Connection final : public Object {
 public:
  static constexpr std::string_view kProgId = "ADODB.Connection";

  Connection();
  ~Connection() override;
  const ClassInfo& class_info() const override;

  // Kept for callers that set it; every recordset is materialised on the client anyway.
  int32_t CursorLocation = adUseServer;
  const std::string& ConnectionString() const noexcept { return connection_string_; }
  void SetConnectionString(const std::string& text);

  // Opens the connection on `connection_string` (the ConnectionString property when
  // omitted). A user or password given is passed to an ODBC data source.
  void Open(const Value& connection_string = Value::missing(),
            const Value& user_id = Value::missing(), const Value& password = Value::missing(),
            int32_t options = adOptionUnspecified);
  // Runs a command text. The result is an open recordset over its rows, or a closed one
  // when the command returns none (no recordset at all with adExecuteNoRecords). An empty
  // or blank command raises. RecordsAffected, when asked, receives the rows changed (-1
  // for a query).
  Ref<Recordset> Execute(const std::string& command_text, Value* records_affected = nullptr,
                         int32_t options = adOptionUnspecified);
  void Close();
  int32_t State() const noexcept { return session_ ? adStateOpen : adStateClosed; }

 private:
  std::string connection_string_;
  std::unique_ptr<detail::Session> session_;
};

}  // namespace lema::ado
