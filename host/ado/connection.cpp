#include "host/ado/connection.h"

#include "automation/binder.h"
#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"
#include "host/ado/backend.h"

namespace lema::ado {
namespace {

bool blank(std::string_view s) {
  return s.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

// Text of an optional argument: "" when it was not passed.
std::string optional_text(const Value& v) {
  return v.is_missing() ? std::string() : to_text(v);
}

}  // namespace

Connection::Connection() = default;
Connection::~Connection() = default;

const ClassInfo& Connection::class_info() const {
  using C = Connection;
  using namespace bind;
  static const ClassInfo info(
      kProgId,
      {
          method<&C::Execute>("Execute", {req("CommandText"), opt("RecordsAffected"),
                                          opt("Options", Value(adOptionUnspecified))}),
          method<&C::Open>("Open", {opt("ConnectionString"), opt("UserID"), opt("Password"),
                                    opt("Options", Value(adOptionUnspecified))}),
          method<&C::Close>("Close"),
          getter<&C::State>("State"),
          field<&C::CursorLocation>("CursorLocation", access::GL),
          property<&C::ConnectionString, &C::SetConnectionString>("ConnectionString", access::GL),
      });
  return info;
}

void Connection::SetConnectionString(const std::string& text) {
  if (session_) raise(kObjectOpen, "Operation is not allowed when the object is open.");
  connection_string_ = text;
}

void Connection::Open(const Value& connection_string, const Value& user_id, const Value& password,
                      int32_t) {
  if (session_) raise(kObjectOpen, "Operation is not allowed when the object is open.");
  if (!connection_string.is_missing()) connection_string_ = to_text(connection_string);
  try {
    session_ =
        detail::open_session(connection_string_, optional_text(user_id), optional_text(password));
  } catch (const Error& e) {
    throw Error(e.code(), e.what(), "Connection.Open");
  }
}

Ref<Recordset> Connection::Execute(const std::string& command_text, Value* records_affected,
                                   int32_t options) {
  if (!session_)
    raise(kConnectionUnusable,
          "The connection cannot be used to perform this operation. It is either closed or "
          "invalid in this context.");
  if (blank(command_text))
    raise(static_cast<ErrorCode>(-2147217908), "Command text was not set for the command object.");
  const bool no_records = options != adOptionUnspecified && (options & adExecuteNoRecords) != 0;
  const int32_t kind = options == adOptionUnspecified ? adCmdText : (options & ~adExecuteNoRecords);
  if (kind != adCmdText && kind != adCmdUnknown)
    raise(ErrorCode::NotSupported, "Only text commands are supported.");
  detail::Result result;
  try {
    result = session_->execute(command_text);
  } catch (const Error& e) {
    throw Error(e.code(), e.what(), "Connection.Execute");
  }
  if (records_affected) *records_affected = Value(static_cast<int32_t>(result.affected));
  if (no_records) return {};
  auto rs = make_object<Recordset>();
  if (result.has_rows) rs->load(std::move(result.fields), std::move(result.cells), result.rows);
  return rs;
}

void Connection::Close() {
  if (!session_) raise(kObjectClosed, "Operation is not allowed when the object is closed.");
  session_.reset();
}

}  // namespace lema::ado
