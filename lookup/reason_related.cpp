// Lists that accompany the ledger reasons: reasons enabled for project / job-order
// correlation, reason classifications, payment and effect reasons, print categories.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "host/host_framework.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"

namespace lema {
namespace {

const detail::HeadingTable& code_description_columns() {
  static const detail::HeadingTable kColumns{"Codice", "Descrizione"};
  return kColumns;
}

}  // namespace

void CLSCG_LOOKUP::CausaliContabiliContabilitaProgettiCommesse(const Value& CodiceDitta) noexcept {
  const std::string lingua = host::language_or_default(ActiveInterface, "ITA ");
  static const detail::HeadingTable kColumns{
      {"Codice", "Descrizione", "Alias", "Mod. correlazione"}, 21};
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    SqlText sql(1088);  // longest measured: 951 bytes
    auto t = [&](std::string_view text) -> SqlText& {
      Traduci(sql.str(), text);
      return sql;
    };
    // The company's row for the reason, else its row without a reason.
    auto rows_of_company = [&] {
      sql << "     WHERE (CG4C_CAUSALE_CG33 = CG33_CODICE And CG4C_DITTA_CG18 = " << CodiceDitta
          << ")"
             "     OR    (CG4C_CAUSALE_CG33 IS NULL AND CG4C_DITTA_CG18 = "
          << CodiceDitta << ")";
    };
    sql << " SELECT CG33_CODICE, CG0L_DESCRIZIONE AS CG33_DESCR, CG33_CAUALIAS,"
           "       (SELECT TOP 1"
           "     CASE CG4C_INDGESTIONE"
           "         WHEN 0 THEN '";
    t("Non gestito") << "'"
                        "         WHEN 1 THEN '";
    t("Solo progetti") << "'"
                          "         WHEN 2 THEN '";
    t("Solo commessa") << "'"
                          "         WHEN 3 THEN '";
    t("Entrambi") << "'"
                     "     END"
                     "     FROM CG4C_PARCOGEPROG WITH (NOLOCK)";
    rows_of_company();
    sql << "     ORDER BY CG4C_CAUSALE_CG33 DESC) AS CORRELAZIONE"
           " FROM CG33_TABCAU WITH (NOLOCK)"
           " LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK)"
           "              ON CG0L_CODLINGUA_MG52 = '"
        << quoted(lingua)
        << "'"
           "             AND CG0L_PROVID = 5"
           "             AND CG0L_IDPROV = CG33_IDPROV"
           " WHERE"
           "        (SELECT TOP 1 CG4C_INDGESTIONE"
           "     FROM CG4C_PARCOGEPROG WITH(NOLOCK)";
    rows_of_company();
    sql << "     ORDER BY CG4C_CAUSALE_CG33 DESC) <> 0"
           " ORDER BY CG33_CODICE";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco causali contabili abilitate alla correlazione");
  IDLookup = Value::literal("Lkp_CausaliContabili");
}

void CLSCG_LOOKUP::ClassificazioneCausali() noexcept {
  const Value ditta = host::company_or_empty(ActiveInterface);
  detail::step([&] { ColonneLookup_ = code_description_columns().value(); });
  detail::step([&] {
    SqlText sql(192);  // longest measured: 145 bytes
    sql << "SELECT CGD1_TIPOLOGIA, (SELECT CGD1_DESCR FROM FNCGD1_TIPOCAUSALE(CGD1_TIPOLOGIA, ";
    sql.or_default(ditta, "0") << ")) AS CGD1_DESCR FROM CGD1_TIPOCAUSALE ORDER BY CGD1_TIPOLOGIA";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco classificazioni causali contabili");
  IDLookup = Value::literal("Lkp_ClassificazioneCausali");
}

void CLSCG_LOOKUP::CausaliPagEff(int16_t* TipoCausale) noexcept {
  const int16_t tipo = TipoCausale ? *TipoCausale : int16_t{0};
  detail::step([&] { ColonneLookup_ = code_description_columns().value(); });
  detail::step([&] {
    SqlText sql(480);  // longest measured: 400 bytes
    sql << " SELECT CGP0_CAUSALE, CGP0_DESCRIZIONE" LEMA_CRLF
           " FROM   CGP0_PAGEFFCAUSALI WITH(NOLOCK)" LEMA_CRLF;
    // A reason type keeps only the reasons of that type set up for the company.
    if (tipo != 0) {
      sql << " INNER JOIN CGP5_PAGEFFPARAM WITH (NOLOCK) ON CGP5_CAUSALE_CGP0 = CGP0_CAUSALE" LEMA_CRLF
             " INNER JOIN CGP6_PAGEFFPARAMDITTA WITH (NOLOCK) ON CGP6_DITTA_CG18 = "
          << CodAzienda
          << LEMA_CRLF
          "                                               AND CGP6_CAUSALE_CGP0 = CGP0_CAUSALE" LEMA_CRLF
          " WHERE CGP5_TIPOCAUSALE = ";
      sql.number(tipo) << LEMA_CRLF "   AND CGP6_INDPAGVALUTA = 0" LEMA_CRLF;
    }
    sql << " ORDER BY CGP0_CAUSALE";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco causali");
  IDLookup = Value::literal("Lkp_CauPagEff");
}

void CLSCG_LOOKUP::CategorieStampa() noexcept {
  const std::string lingua = host::language_or_default(ActiveInterface, "ITA");
  detail::step([&] { ColonneLookup_ = code_description_columns().value(); });
  detail::step([&] {
    SqlText sql(352);  // longest measured: 294 bytes
    sql << "SELECT " LEMA_CR "    CG0Z_CATEGORIA " LEMA_CR
           "  , CG0L_DESCRIZIONE AS CG0Z_DESCRIZIONE " LEMA_CR
           "FROM CG0Z_CATEGORIESTP WITH(NOLOCK) " LEMA_CR
           "LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK)"
           "             ON CG0L_CODLINGUA_MG52 = '"
        << quoted(lingua)
        << "'" LEMA_CR "            AND CG0L_PROVID = 14 " LEMA_CR
           "            AND CG0L_IDPROV = CG0Z_ID " LEMA_CR "ORDER BY " LEMA_CR "  CG0Z_CATEGORIA ";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco codici di giornale");
  IDLookup = Value::literal("Lkp_CategorieStampa");
}

}  // namespace lema
