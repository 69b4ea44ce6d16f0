// Intercompany (group) configuration: structure companies, structure dates, databases.
#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "host/date_text_converter.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"
#include "lookup/detail/statement_parts.h"

namespace lema {

void CLSCG_LOOKUP::AziendeIntercompany() noexcept {
  static const detail::HeadingTable kColumns{"Codice intercompany", "Descrizione intercompany"};
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    SqlText sql(288);  // longest measured: 250 bytes
    sql << " SELECT CGC0_CODICE AS CODICE,"
        << "        CGC0_DESCR AS DESCR"
        << " FROM CGC0_STRUTINFRAGRUPPO WITH(NOLOCK)";
    // With a structure date: the companies not yet configured in it, or, given a company
    // to leave out, the configured ones other than that.
    bool con_data = false;
    detail::clause_step(sql, [&] {
      if (!is_given(DataStrutturaIntercompany)) return;
      con_data = true;
      sql << " LEFT OUTER JOIN CGB0_CONFIGINFRAGRUPPO WITH(NOLOCK)"
          << "   ON CGB0_CODICE_CGC0 = CGC0_CODICE"
          << "  AND CGB0_DATACONFIG = '" << quoted(host::sql_date_text(DataStrutturaIntercompany))
          << "'";
    });
    if (con_data) {
      detail::clause_step(sql, [&] {
        if (is_given(CodIntercompanyFiglio))
          sql << " WHERE CGB0_CODICE_CGC0 IS NOT NULL"
              << "   AND CGB0_CODICE_CGC0 <> " << CodIntercompanyFiglio;
        else
          sql << " WHERE CGB0_CODICE_CGC0 IS NULL";
      });
    }
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco aziende intercompany");
  IDLookup = Value::literal("Lkp_AziendeIntercompany");
}

void CLSCG_LOOKUP::StruttureIntercompany() noexcept {
  static const detail::HeadingTable kColumns{"Data struttura intercompany"};
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  StringaSQL_ = Value::literal(
      " SELECT CGB0_DATACONFIG"
      " FROM CGB0_CONFIGINFRAGRUPPO WITH(NOLOCK)"
      " GROUP BY CGB0_DATACONFIG"
      " ORDER BY CGB0_DATACONFIG DESC");
  Caption_ = Value::literal("Elenco strutture intercompany");
  IDLookup = Value::literal("Lkp_StruttureIntercompany");
}

void CLSCG_LOOKUP::DatabaseIntercompany() noexcept {
  static const detail::HeadingTable kColumns{"Codice database", "Descrizione database",
                                             "Database aggiornabile"};
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  StringaSQL_ = Value::literal(
      " SELECT CGB1_CODICE AS CODICE,"
      "        CGB1_DATABASE AS DESCR,"
      "        CASE WHEN CGB1_FLGAGGIORNAMENTO = 1 THEN 'Sì' ELSE '' END AS AGGIORNAMENTO"
      " FROM CGB1_DATABASEINFRAGRUPPO WITH(NOLOCK)");
  Caption_ = Value::literal("Elenco database intercompany");
  IDLookup = Value::literal("Lkp_DatabaseIntercompany");
}

}  // namespace lema
