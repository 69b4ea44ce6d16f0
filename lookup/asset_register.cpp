// The asset register (CS04_ANAGCESPITE) in one wide grid: all assets of a company or the
// components of a parent asset, the assets of one classification, the assets posting to a
// ledger account. Coded columns are decoded in the user's language inside the statement.
#include <string>
#include <string_view>

#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"
#include "lookup/detail/translated_run.h"

namespace lema {
namespace {

const Value& asset_columns() {
  static const detail::HeadingTable kColumns{
      "Codice",
      "Gruppo",
      "Specie",
      "Sottospecie",
      "Progressivo",
      "Descrizione",
      "Cespite rif.",
      "Ven.",
      "Eli.",
      "Immob.",
      "Sede",
      "Ubic.",
      "Tipo % Amm.",
      "Cat. Fis.",
      "Tipo Acq.",
      "Tipo Bene",
      "Uso Prom.",
      "Tipo Deduz.",
      "Data Att.",
      "Data Disatt.",
      "Data Ini. stp.",
      "Anno Acq.",
      "Anno Ven.",
      "Anno ult. stp.",
      "% manu.",
      "Data ini. deduz.",
      "Amm. in ven.",
      "Costo storico",
      "Minor uso",
      "Maggior uso",
      "% civ.",
      "Num.Eser.civ.",
      "Tot.GG civ.",
      "Data ini. amm.civ",
      "Data fine amm.civ",
      "Tipo calcolo civ.",
      "Matricola",
      "Note aggiuntive",
  };
  return kColumns.value();
}

const Value& default_order() {
  static const Value kOrder =
      Value::literal("CS04_CESPITE, CS04_GRUPPO_CG14, CS04_SPECIE_CG14, CS04_SOTTOSPEC_CG14");
  return kOrder;
}

// A display text that the statement embeds as a literal, in the user's language.
struct Translated {
  std::string_view text;
};
constexpr Translated T(std::string_view text) {
  return Translated{text};
}

// Statement text whose T(...) pieces go through the lookup's translation as they are
// appended, so that the texts are asked for in statement order.
template <class Translate>
class TranslatedText {
 public:
  TranslatedText(SqlText& sql, Translate& translate) : sql_(sql), translate_(translate) {}
  TranslatedText& operator<<(std::string_view piece) {
    sql_ << piece;
    return *this;
  }
  TranslatedText& operator<<(Translated t) {
    translate_(sql_.str(), t.text);
    return *this;
  }

 private:
  SqlText& sql_;
  Translate& translate_;
};

// The yes/no flags shown as translated 'Si'/'No'.
struct YesNoFlag {
  std::string_view opening;
  std::string_view closing;
};
constexpr YesNoFlag kYesNoFlags[] = {
    {" CASE CS04_FLGAMMINVEND WHEN 1 THEN '", "' END AS WK_FLGAMMINVEND,"},
    {" CASE CS04_FLGCOSTOST WHEN 1 THEN '", "' END AS WK_FLGCOSTOST,"},
    {" CASE CS04_FLGMINUSO WHEN 1 THEN '", "' END AS WK_FLGMINUSO,"},
    {" CASE CS04_FLGMAGGUSO WHEN 1 THEN '", "' END AS WK_FLGMAGGUSO,"},
};

// The select part the three register lookups share, up to the company filter;
// `rate2` is the method's own text for depreciation-rate type 2.
template <class Translate>
void append_asset_select(SqlText& sql, std::string_view rate2, Translate&& translate) {
  TranslatedText<Translate> s(sql, translate);
  // Columns of the register.
  s << "SELECT"
       " CS04_CESPITE, CS04_GRUPPO_CG14, CS04_SPECIE_CG14, CS04_SOTTOSPEC_CG14,"
       " CS04_PROGRSSPECIE, CS04_DESCR, CS04_CODCESRAGGR,";
  // Latest sale and latest elimination movement, as two-letter codes.
  s << " ISNULL((SELECT TOP 1 TIPOMOV = CASE CS03_INDTIPOMOV"
       " WHEN 0 THEN 'VT'"
       " WHEN 1 THEN 'VP'"
       " ELSE '' END"
       " FROM CS03_MOVVENDITA WITH(NOLOCK)"
       " WHERE CS03_DITTA_CG18 = CS04_DITTA_CG18"
       " AND CS03_CESPITE_CS04 = CS04_CESPITE"
       " AND CS03_INDTIPOMOV IN(0,1)"
       " AND CS03_NUMRIGA = (SELECT ISNULL(MAX(CS03_NUMRIGA),-1) AS NUMRIGA"
       " FROM CS03_MOVVENDITA WITH(NOLOCK)"
       " WHERE CS03_DITTA_CG18 = CS04_DITTA_CG18"
       " AND CS03_CESPITE_CS04 = CS04_CESPITE"
       " AND CS03_INDTIPOMOV IN(0,1))),'')"
       " AS WK_VEN,"
    << " ISNULL((SELECT TOP 1 TIPOMOV = CASE CS03_INDTIPOMOV"
       " WHEN 2 THEN 'ET'"
       " WHEN 3 THEN 'PP'"
       " WHEN 4 THEN 'EP'"
       " ELSE '' END"
       " FROM CS03_MOVVENDITA WITH(NOLOCK)"
       " WHERE CS03_DITTA_CG18 = CS04_DITTA_CG18"
       " AND CS03_CESPITE_CS04 = CS04_CESPITE"
       " AND CS03_INDTIPOMOV IN(2,3,4)"
       " AND CS03_NUMRIGA = (SELECT ISNULL(MAX(CS03_NUMRIGA),-1) AS NUMRIGA"
       " FROM CS03_MOVVENDITA WITH(NOLOCK)"
       " WHERE CS03_DITTA_CG18 = CS04_DITTA_CG18"
       " AND CS03_CESPITE_CS04 = CS04_CESPITE"
       " AND CS03_INDTIPOMOV IN(2,3,4))),'')"
       " AS WK_ELI,"
    << " CS04_CODICE_CG22, CS04_CODICE_CG31, CS04_UBIC_CS05,";
  // Depreciation-rate type, tax category, purchase type, kind of holding, promiscuous use,
  // then plain columns.
  s << " CASE WHEN CS04_INDPERCADOTT = 0 THEN '" << T("di legge")
    << "'"
       " WHEN CS04_INDPERCADOTT = 1 THEN '"
    << T("minima")
    << "'"
       " WHEN CS04_INDPERCADOTT = 2 THEN '"
    << T(rate2)
    << "'"
       " WHEN CS04_INDPERCADOTT = 3 THEN '"
    << T("manuale")
    << "'"
       " END AS TIPOPERC,"
    << " CASE WHEN CS04_INDCATFIS = 0 THEN '" << T("materiale")
    << "'"
       " WHEN CS04_INDCATFIS = 1 THEN '"
    << T("immateriale")
    << "'"
       " END AS CATFISCALE,"
    << " CASE WHEN CS04_INDTIPOACQ = 0 THEN '" << T("nuovo")
    << "'"
       " WHEN CS04_INDTIPOACQ = 1 THEN '"
    << T("usato")
    << "'"
       " END AS TIPOACQ,"
    << " CASE WHEN CS04_INDTIPOBENE = 0 THEN ''"
       " WHEN CS04_INDTIPOBENE = 1 THEN '"
    << T("in affitto")
    << "'"
       " WHEN CS04_INDTIPOBENE = 2 THEN '"
    << T("in leasing")
    << "'"
       " WHEN CS04_INDTIPOBENE = 3 THEN '"
    << T("in comodato")
    << "'"
       " WHEN CS04_INDTIPOBENE = 4 THEN '"
    << T("a noleggio")
    << "'"
       " END AS TIPOBENE,"
    << " CASE WHEN CS04_FLGUSOPROM = 0 THEN '" << T("No")
    << "'"
       " WHEN CS04_FLGUSOPROM = 1 THEN '"
    << T("Si")
    << "'"
       " END AS USOPROM,"
    << " CS04_INDTIPODEDUZ,"
       " CS04_DATAATTIV, CS04_DATADISATT, CS04_DATAINISTP,"
       " CS04_ANNOACQ, CS04_ANNOVEND, CS04_ANNOAGG,"
       " CS04_PERCMANUT, CS04_DATAINPROM,";
  // Yes/no flags.
  for (const YesNoFlag& flag : kYesNoFlags)
    s << flag.opening << T("Si") << "' ELSE '" << T("No") << flag.closing;
  // Statutory depreciation figures and method, then the company filter.
  s << " CS04_PERCAMMCIV, CS04_NRESERAMMCIV, CS04_TOTGGAMMCIV, CS04_DATAINICIV, CS04_DATAFINECIV,"
    << " CASE CS04_INDTIPOCALCCIV "
       " WHEN 0 THEN '"
    << T("Uguale a quello fiscale")
    << "'"
       " WHEN 1 THEN '"
    << T("A percentuale fissa")
    << "'"
       " WHEN 2 THEN '"
    << T("Con ripartizione temporale")
    << "'"
       " WHEN 3 THEN '"
    << T("Aritmetico")
    << "'"
       " END AS TIPOCALCCIV,"
    << " CS04_MATRICOLA, CS04_NOTE"
       " FROM CS04_ANAGCESPITE WITH (NOLOCK) "
       " WHERE CS04_DITTA_CG18 = ";
}

// The select part up to the company filter, one constant run for each spelling of the
// third depreciation rate the lookups use.
enum Rate2 { kAntincipata, kAntincip, kAnticip };
const detail::TranslatedRun& asset_select(Rate2 rate2) {
  static const detail::TranslatedRun kRuns[] = {
      detail::TranslatedRun([](SqlText& s, auto& t) { append_asset_select(s, "antincipata", t); }),
      detail::TranslatedRun([](SqlText& s, auto& t) { append_asset_select(s, "antincip.", t); }),
      detail::TranslatedRun([](SqlText& s, auto& t) { append_asset_select(s, "anticip.", t); })};
  return kRuns[rate2];
}

// The select part and the company. The buffer has room for the conditions that follow: the
// longest of them (an account, with its sub-select) is under 400 bytes.
SqlText asset_statement(Rate2 rate2, const ObjectRef& host, const Value& ditta) {
  const detail::TranslatedRun& select = asset_select(rate2);
  SqlText sql(select.untranslated().size() + 512);
  select.append(sql.str(), host);
  sql << ditta;
  return sql;
}

// The site filter, when a site code is set.
void append_site(SqlText& sql, const Value& CodiceSede) {
  if (is_given(CodiceSede)) sql << " AND CS04_CODICE_CG31 = " << CodiceSede;
}

// The site filter and the ordering, which complete the statement.
Value finish(SqlText& sql, const Value& CodiceSede, const Value& order) {
  append_site(sql, CodiceSede);
  sql << " ORDER BY " << order_list(order);
  return sql.value();
}

}  // namespace

void CLSCG_LOOKUP::Cespiti(const Value& Ditta, const Value& CampoOrdinamento) noexcept {
  const Value& order = ordering(CampoOrdinamento, default_order());
  // Parent mode with the parent itself listed: fixed parent-first ordering, own identifier.
  bool parent_first = false;
  detail::step([&] { parent_first = CodCespPadreCompreso && is_given(CodCespPadre); });
  detail::step([&] { ColonneLookup_ = asset_columns(); });
  detail::step([&] {
    SqlText sql = asset_statement(kAntincipata, ActiveInterface, Ditta);
    append_site(sql, CodiceSede);
    // Parent mode: the components grouped under the parent, the parent itself only when
    // it is to be included.
    if (is_given(CodCespPadre)) {
      if (!CodCespPadreCompreso) sql << " AND CS04_CESPITE <> " << CodCespPadre;
      sql << " AND CS04_CODCESRAGGR = " << CodCespPadre;
    }
    if (parent_first)
      sql << " ORDER BY CASE WHEN CS04_CESPITE = CS04_CODCESRAGGR THEN 0 ELSE 1 END, CS04_CESPITE";
    else
      sql << " ORDER BY " << order_list(order);
    StringaSQL_ = sql.value();
  });
  IDLookup = parent_first ? Value::literal("Lkp_CespitiRif") : Value::literal("Lkp_Cespiti");
  Caption_ = Value::literal("Elenco cespiti");
}

void CLSCG_LOOKUP::CespitiDitta(const Value& Ditta, const Value& Gruppo, const Value& Specie,
                                const Value& SottoSpecieCespiti,
                                const Value& CampoOrdinamento) noexcept {
  const Value& order = ordering(CampoOrdinamento, default_order());
  detail::step([&] { ColonneLookup_ = asset_columns(); });
  detail::step([&] {
    SqlText sql = asset_statement(kAntincip, ActiveInterface, Ditta);
    sql << " AND CS04_GRUPPO_CG14 = ";
    sql.or_default(Gruppo, "0");
    sql << " AND CS04_SPECIE_CG14 = '" << quoted(Specie, "") << "'";
    // Without components the list spans every sub-species of the species.
    if (!CespitiNonFigli) {
      sql << " AND CS04_SOTTOSPEC_CG14 = ";
      sql.or_default(SottoSpecieCespiti, "0");
    }
    sql << " AND CS04_CESPITE > 0";
    if (CespitiNonFigli)
      sql << " AND (CS04_FLGRAGGR = 0 OR ISNULL(CS04_CODCESRAGGR,CS04_CESPITE) = CS04_CESPITE)";
    StringaSQL_ = finish(sql, CodiceSede, order);
  });
  Caption_ = Value::literal("Elenco codice cespiti");
  IDLookup = Value::literal("Lkp_CespitiDitta");
}

void CLSCG_LOOKUP::CespitiPerContoContabile(const Value& Ditta, const Value& CodicePdC,
                                            const Value& Conto,
                                            const Value& CampoOrdinamento) noexcept {
  const Value& order = ordering(CampoOrdinamento, default_order());
  detail::step([&] { ColonneLookup_ = asset_columns(); });
  detail::step([&] {
    SqlText sql = asset_statement(kAnticip, ActiveInterface, Ditta);
    // Assets whose asset-account code has, in the chart, the ledger account as asset account.
    sql << " AND EXISTS (SELECT 1"
           "             FROM   CG22_CONTICESPITI WITH(NOLOCK)"
           "             WHERE  CG22_GRUPPO_CG10 = "
        << CodicePdC
        << "             AND    CG22_CODICE = CS04_CODICE_CG22"
           "             AND    CG22_CONTOIMM = '"
        << quoted(Conto) << "' )";
    StringaSQL_ = finish(sql, CodiceSede, order);
  });
  Caption_ = Value::literal("Elenco cespiti");
  IDLookup = Value::literal("Lkp_Cespiti");
}

}  // namespace lema
