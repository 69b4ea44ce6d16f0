// Customer and supplier accounts: the registry name of an account, and the name valid at a
// date, read over the instance's own connection when the caller gives a connection string.
#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "decode/detail/binding.h"
#include "decode/detail/simple_decode.h"
#include "host/ado/connection.h"
#include "host/ado/recordset.h"
#include "host/clock.h"
#include "host/date_text_converter.h"

namespace lema {
namespace {

using namespace detail;  // the piece makers of the tables below

// clang-format off
// ContiCliFor (Ditta, TipoCF, CodiceCF)
constexpr SimpleDecode kContiCliFor{
    "CG16_RAGSOANAG",
    {lit("SELECT CG16_RAGSOANAG FROM CG44_CLIFOR WITH (NOLOCK) INNER JOIN "
         " CG16_ANAGGEN WITH (NOLOCK) ON "
         " CG44_CODICE_CG16 = CG16_CODICE "
         " WHERE CG44_DITTA_CG18 = "),
     raw(0), lit(" AND CG44_TIPOCF = "), raw(1), lit(" AND CG44_CLIFOR = "), raw(2)}};
// clang-format on

}  // namespace

void CLSCG_DECODE::ContiCliFor(const ObjectRef& TextEdit, const Value& Ditta, const Value& TipoCF,
                               const Value& CodiceCF) noexcept {
  detail::run_simple(kContiCliFor, TextEdit, {&Ditta, &TipoCF, &CodiceCF}, ColonneDiDecodifica_,
                     StringaSQL_);
}

Value CLSCG_DECODE::ClienteFornitore(const Value& DittaCF, const Value& TipoCF, const Value& CliFor,
                                     const Value& DataValidità,
                                     const std::string& StringaDiConnessione,
                                     const ObjectRef& TextEdit) noexcept {
  Value result = Value::literal("");
  // Without a control the table stays as it was.
  detail::step([&] {
    if (TextEdit) ColonneDiDecodifica_ = detail::binding_row(TextEdit, "CG16_RAGSOANAG");
  });
  Value data = DataValidità;
  detail::step([&] {
    if (data.is_missing()) data = Value(host::today());
  });
  detail::step([&] {
    SqlText sql(288);  // longest measured: 249 bytes
    sql << " SELECT  CG16_RAGSOANAG"
        << " FROM    VCG16_ANAGRALLADATA WITH(NOLOCK)"
        << " WHERE   CG44_DITTA_CG18 = ";
    sql.or_default(DittaCF, "0") << "     AND CG44_TIPOCF = ";
    sql.or_default(TipoCF, "0") << "     AND CG44_CLIFOR = ";
    sql.or_default(CliFor, "0") << "     AND '" << quoted(host::sql_date_text(data))
                                << "' BETWEEN ISNULL(DATAINIZIOVALIDITA, '"
                                << quoted(host::sql_date_text(data))
                                << "') AND ISNULL(DATAFINEVALIDITA, '"
                                << quoted(host::sql_date_text(data)) << "')";
    StringaSQL_ = sql.value();
  });
  if (is_given_text(StringaDiConnessione)) {
    detail::step([&] { ApriConnessione(StringaDiConnessione); });
    Ref<ado::Recordset> rs;
    detail::step([&] {
      auto* connection = dynamic_cast<ado::Connection*>(connection_.get());
      if (!connection) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
      rs = connection->Execute(to_string_param(StringaSQL_), nullptr, ado::adCmdText);
    });
    detail::step([&] {
      if (!rs) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
      if (!rs->IsEOF()) result = rs->value("CG16_RAGSOANAG");
    });
    rs.reset();
  }
  return result;
}

// Opens the instance's connection on first need. A connection that exists is used as it
// is, whatever string comes later, even when its Open failed.
void CLSCG_DECODE::ApriConnessione(const std::string& connection_string) {
  if (connection_) return;
  auto connection = make_object<ado::Connection>();
  connection_ = ObjectRef(connection);
  connection->CursorLocation = ado::adUseClient;
  connection->SetConnectionString(connection_string);
  connection->Open(Value::missing(), Value::literal(""), Value::literal(""),
                   ado::adOptionUnspecified);
}

}  // namespace lema
