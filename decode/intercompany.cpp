// Intercompany (group) configuration: structure companies and databases.
#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "decode/detail/binding.h"
#include "host/date_text_converter.h"

namespace lema {

void CLSCG_DECODE::AziendaIntercompany(const ObjectRef& TextEdit, const Value& Codice) noexcept {
  detail::step([&] { ColonneDiDecodifica_ = detail::binding_row(TextEdit, "CGC0_DESCR"); });
  detail::step([&] {
    // With a reference date, only the company configuration valid at that date counts.
    const bool dated = is_given(DataStrutturaIntercompany);
    SqlText sql(dated ? 448 : 96);  // longest measured: 397 and 80 bytes
    sql << " SELECT CGC0_DESCR"
           " FROM CGC0_STRUTINFRAGRUPPO WITH(NOLOCK)";
    if (dated)
      sql << " LEFT OUTER JOIN CGB0_CONFIGINFRAGRUPPO WITH(NOLOCK)"
             "   ON CGB0_CODICE_CGC0 = CGC0_CODICE";
    sql << " WHERE CGC0_CODICE = ";
    sql.or_default(Codice, "0");
    if (dated)
      sql << "   AND CGB0_DATACONFIG = (SELECT MAX(CGB0.CGB0_DATACONFIG)" LEMA_CR
             "                          FROM CGB0_CONFIGINFRAGRUPPO AS CGB0 WITH(NOLOCK)" LEMA_CR
             "                          WHERE CGB0.CGB0_DATACONFIG <= '"
          << quoted(host::sql_date_text(DataStrutturaIntercompany))
          << "'" LEMA_CR "                          )" LEMA_CR;
    StringaSQL_ = sql.value();
  });
}

void CLSCG_DECODE::DatabaseIntercompany(const ObjectRef& TextEdit, const ObjectRef& CheckBox,
                                        const Value& Codice) noexcept {
  detail::step([&] {
    const detail::Binding rows[] = {{&TextEdit, "CGB1_DATABASE"},
                                    {&CheckBox, "CGB1_FLGAGGIORNAMENTO"}};
    ColonneDiDecodifica_ = detail::binding_table(rows);
  });
  detail::step([&] {
    SqlText sql(128);  // longest measured: 109 bytes
    sql << " SELECT CGB1_DATABASE, CGB1_FLGAGGIORNAMENTO"
           " FROM CGB1_DATABASEINFRAGRUPPO WITH(NOLOCK)"
           " WHERE CGB1_CODICE = ";
    sql.or_default(Codice, "0");
    StringaSQL_ = sql.value();
  });
}

}  // namespace lema
