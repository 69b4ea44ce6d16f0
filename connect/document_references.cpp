// Graphic references of an accounting document: the connector reads the kind of the
// document and of its ledger reason from the database, then opens the document-graphics
// component on the registration whose references are to be shown (the document itself,
// or the original one a settlement refers to).
#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "connect/clscg_connect.h"
#include "host/class_names.h"
#include "host/host_framework.h"

namespace lema {

namespace {
ObjectRef require_object(const Value& v) {
  ObjectRef o = to_object(v);
  if (!o) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
  return o;
}
}  // namespace

bool CLSCG_CONNECT::CallRiferimentiGraficiDocumento() noexcept {
  // The step completes (True) also when there are no references to show.
  return detail::step([&] {
    SqlText sql(1280);  // 1232 bytes of text, the company and the registration number
    sql << " SELECT CO99.CO99_INDTIPOOP AS INDTIPOOP,"
           "        ISNULL(CG33.CG33_INDGESTEC, CG33C.CG33_INDGESTEC) AS INDGESTEC,"
           "        ( SELECT TOP 1 EF06_NUMREG_CO99"
           "          FROM EF06_SCADSTO WITH (NOLOCK)"
           "              LEFT OUTER JOIN CO99_MASTERDOC CO99_STORICO WITH (NOLOCK)"
           "                  ON CO99_STORICO.CO99_DITTA_CG18 = CO99.CO99_DITTA_CG18"
           "                  AND CO99_STORICO.CO99_NUMREG = EF06_NUMREG_CO99"
           "          WHERE EF06_DITTA_CG18 = CO99.CO99_DITTA_CG18"
           "          AND EF06_NUMREGMOV_CO99 = CO99.CO99_NUMREG"
           "          AND CO99_STORICO.CO99_INDTIPOOP = 1"
           "          ORDER BY EF06_NUMREG_CO99"
           "        ) AS NUMREG_ORIG"
           " FROM CO99_MASTERDOC CO99 WITH (NOLOCK)"
           "     LEFT OUTER JOIN CG41_PRIMANOTA CG41 WITH (NOLOCK)"
           "         ON CG41.CG41_DITTA_CG18 = CO99.CO99_DITTA_CG18"
           "         AND CG41.CG41_NUMREG = CO99.CO99_NUMREG"
           "     LEFT OUTER JOIN CG41C_PRIMANOTA CG41C WITH (NOLOCK)"
           "         ON CG41C.CG41_DITTA_CG18 = CO99.CO99_DITTA_CG18"
           "         AND CG41C.CG41_NUMREG = CO99.CO99_NUMREG"
           "     LEFT OUTER JOIN CG33_TABCAU CG33 WITH (NOLOCK)"
           "         ON CG33.CG33_CODICE = CG41.CG41_CODICE_CG33"
           "     LEFT OUTER JOIN CG33_TABCAU CG33C WITH (NOLOCK)"
           "         ON CG33C.CG33_CODICE = CG41C.CG41_CODICE_CG33"
           " WHERE CO99.CO99_DITTA_CG18 = ";
    sql.number(CodiceAzienda);
    sql << " AND CO99.CO99_NUMREG = '" << quoted(NumeroRegistrazione) << "'";

    if (!Connessione) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
    ObjectRef rs = require_object(
        call_method(*Connessione, "Execute", {sql.value(), Value::missing(), Value(int32_t{1})}));
    if (to_boolean(get_property(*rs, "EOF"))) return;

    // A column value that is not present gives the column's default.
    auto column = [&](std::string_view name, Value def) {
      ObjectRef fields = require_object(get_property(*rs, "Fields"));
      ObjectRef field = require_object(call_method(*fields, "Item", {Value(name)}));
      Value v = get_property(*field, "Value");
      return ValorePresente(v) ? v : def;
    };
    const Value ind_tipo_op = column("INDTIPOOP", Value(int32_t{-1}));
    const Value ind_gest_ec = column("INDGESTEC", Value(int32_t{-1}));
    const Value numreg_orig = column("NUMREG_ORIG", Value::literal(""));

    // Operation kind 1 shows the document's own references; otherwise a ledger reason of
    // kind 2 or 3 shows those of the original registration, when there is one.
    Value numero;
    if (equals_number(ind_tipo_op, 1))
      numero = Value(NumeroRegistrazione);
    else if ((equals_number(ind_gest_ec, 2) || equals_number(ind_gest_ec, 3)) &&
             ValorePresente(numreg_orig))
      numero = numreg_orig;
    else
      return;

    ObjectRef graphics = create_object(host::kDocumentGraphics);
    call_method(*graphics, "SetHostInterface", {Value(ActiveInterface)});
    call_method(*graphics, "Prepare", {Value(int16_t{0})});
    if (!ActiveInterface) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
    const int16_t host_option = host::is_host_option_set(*ActiveInterface) ? 1 : 0;
    call_method(*graphics, "ShowReferences",
                {Value(host_option), Value::literal(""), Value(to_text(numero)), Value(int16_t{0}),
                 Value(int16_t{0}), Value(int16_t{0})});
    call_method(*graphics, "SetHostInterface", {Value::nothing()});
    graphics.reset();
  });
}

}  // namespace lema
