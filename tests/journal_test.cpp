#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/class_info.h"
#include "common/error.h"
#include "lookup/clscg_lookup.h"
#include "lookup_expect.h"

namespace lema {
namespace {

using testing::fill;
using testing::headings;
using testing::text_of;

// The journal statement, piece by piece; each line ends with CRLF.
constexpr std::string_view kSelect =
    "SELECT \r\n"
    "  CG68_SEZIONALE, \r\n"
    "  (SELECT CG68_DESCSEZ FROM FNCG68_NUMERDESC(CG68_SEZIONALE, CG68_DITTA_CG18)) AS CG68_DESCSEZ, \r\n"
    "  CASE CG68_INDTIPOLOGIA \r\n"
    "    WHEN 0 THEN 'IVA' \r\n"
    "    WHEN 1 THEN 'Gestionale area amministrativa' \r\n"
    "    WHEN 2 THEN 'Gestionale area commerciale' \r\n"
    "    WHEN 3 THEN 'Gestionale area amministrativa/commerciale' \r\n"
    "  END AS TIPOLOGIA, \r\n"
    " CASE CG68_INDREGIONE \r\n"
    "    WHEN 0 THEN '' \r\n"
    "    WHEN 1 THEN 'Abruzzo' \r\n"
    "    WHEN 2 THEN 'Basilicata' \r\n"
    "    WHEN 3 THEN 'Bolzano' \r\n"
    "    WHEN 4 THEN 'Calabria' \r\n"
    "    WHEN 5 THEN 'Campania' \r\n"
    "    WHEN 6 THEN 'Emilia Romagna' \r\n"
    "    WHEN 7 THEN 'Friuli Venezia Giulia' \r\n"
    "    WHEN 8 THEN 'Lazio' \r\n"
    "    WHEN 9 THEN 'Liguria' \r\n"
    "    WHEN 10 THEN 'Lombardia' \r\n"
    "    WHEN 11 THEN 'Marche' \r\n"
    "    WHEN 12 THEN 'Molise' \r\n"
    "    WHEN 13 THEN 'Piemonte' \r\n"
    "    WHEN 14 THEN 'Puglia' \r\n"
    "    WHEN 15 THEN 'Sardegna' \r\n"
    "    WHEN 16 THEN 'Sicilia' \r\n"
    "    WHEN 17 THEN 'Toscana' \r\n"
    "    WHEN 18 THEN 'Trento' \r\n"
    "    WHEN 19 THEN 'Umbria' \r\n"
    "    WHEN 20 THEN 'Valle d''Aosta' \r\n"
    "    WHEN 21 THEN 'Veneto' \r\n"
    "  END AS CG68_INDREGIONE, \r\n"
    "  CG68_PUNTOVEN_CG7A, \r\n"
    "  CG7A_DESCRIZIONE, \r\n"
    " CASE CG68_INDINTRA1213 \r\n"
    "   WHEN 0 THEN 'No' \r\n"
    "   WHEN 1 THEN 'INTRA 12' \r\n"
    "   WHEN 2 THEN 'INTRA 13' \r\n"
    "  END AS CG68_INDINTRA1213 \r\n";
constexpr std::string_view kActivityColumn = " , CG86_CODATTIVITA \r\n";
constexpr std::string_view kFrom =
    "FROM CG68_NUMERDESC WITH (NOLOCK) \r\n"
    "LEFT OUTER JOIN CG7A_PUNTIVENDITA WITH (NOLOCK) \r\n"
    "             ON CG7A_DITTA_CG18 = CG68_DITTA_CG18 \r\n"
    "            AND CG7A_PUNTOVEN = CG68_PUNTOVEN_CG7A \r\n";
constexpr std::string_view kActivityJoins =
    " LEFT OUTER JOIN CG32_ANADITTAPSEZ\r\n"
    "     ON CG32_DITTA_CG18 = CG68_DITTA_CG18\r\n"
    "     AND CG32_SEZIONALE = CG68_SEZIONALE\r\n"
    " LEFT OUTER JOIN CG86_AZIENDECOLL WITH (NOLOCK)\r\n"
    "     ON CG86_IDATTIVITA = CG32_IDATTIVITA_CG86\r\n";
constexpr std::string_view kWhere =
    " WHERE CG68_DITTA_CG18 = <DITTA>\r\n AND CG68_SEZIONALE <> 'RP'\r\n";
constexpr std::string_view kOrder = " ORDER BY CG68_SEZIONALE, CG68_DESCSEZ";

const std::vector<std::string> kHeadings = {"Codice",
                                            "Descrizione",
                                            "Tipologia",
                                            "Regione attività",
                                            "Punto vendita",
                                            "Descrizione punto vendita",
                                            "Modelli INTRA 12 e INTRA 13"};

std::string plain(std::string_view ditta) {
  return fill(std::string(kSelect) + std::string(kFrom) + std::string(kWhere) + std::string(kOrder),
              {{"<DITTA>", ditta}});
}

std::string sql_of(const CLSCG_LOOKUP& lk) {
  return text_of(lk.StringaSQL());
}

TEST(JournalLookup, DefaultPathHasNoActivityAndAnEmptyEighthColumn) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->Sezionali(Value(int32_t{1}));
  EXPECT_EQ(sql_of(*lk), plain("1"));
  auto cols = kHeadings;
  cols.push_back("<Empty>");
  EXPECT_EQ(headings(lk->ColonneLookup()), cols);
  EXPECT_EQ(lk->Caption(), Value("Elenco sezionali"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_Sezionali"));
}

TEST(JournalLookup, TypologyClauseStandsRightBeforeTheSort) {
  const std::pair<int32_t, std::string_view> cases[] = {{0, ""},
                                                        {1, " AND CG68_INDTIPOLOGIA = 0"},
                                                        {2, " AND CG68_INDTIPOLOGIA IN (1,3)"},
                                                        {3, " AND CG68_INDTIPOLOGIA IN (2,3)"},
                                                        {7, ""}};
  for (const auto& [tipo, clause] : cases) {
    auto lk = make_object<CLSCG_LOOKUP>();
    lk->TipologiaSezionale = static_cast<TipologiaSezionaleEnum>(tipo);
    lk->Sezionali(Value("001"));
    EXPECT_EQ(sql_of(*lk), fill(std::string(kSelect) + std::string(kFrom) + std::string(kWhere) +
                                    std::string(clause) + std::string(kOrder),
                                {{"<DITTA>", "001"}}))
        << "TipologiaSezionale " << tipo;
  }
}

TEST(JournalLookup, ActivityAndYearInEachCombination) {
  struct Case {
    Value attivita, anno;
    bool column, joins;
    std::string_view conditions;
  };
  const Case cases[] = {
      {Value(), Value(), false, false, ""},
      {Value("   "), Value::null(), false, false, ""},
      {Value(int32_t{3}), Value(), true, true, ""},
      {Value(), Value(int32_t{2024}), false, true, " AND CG32_ANNO = 2024\r\n"},
      {Value("  "), Value(" 2024 "), false, true, " AND CG32_ANNO =  2024 \r\n"},
      {Value(int32_t{3}), Value(int32_t{2024}), true, true,
       " AND CG32_ANNO = 2024\r\n AND CG86_CODATTIVITA = 3\r\n"},
  };
  for (const Case& c : cases) {
    auto lk = make_object<CLSCG_LOOKUP>();
    lk->CodiceAttivita = c.attivita;
    lk->AnnoAttivita = c.anno;
    lk->TipologiaSezionale = TipologiaSezionaleEnum::SezionaliAreaCommerciale;
    lk->Sezionali(Value(int32_t{5}));
    std::string want(kSelect);
    if (c.column) want += kActivityColumn;
    want += kFrom;
    if (c.joins) want += kActivityJoins;
    want += fill(std::string(kWhere), {{"<DITTA>", "5"}});
    want += c.conditions;
    want += " AND CG68_INDTIPOLOGIA IN (2,3)";
    want += kOrder;
    EXPECT_EQ(sql_of(*lk), want) << text_of(c.attivita) << " / " << text_of(c.anno);
    auto cols = kHeadings;
    cols.push_back(c.column ? "Attività" : "<Empty>");
    EXPECT_EQ(headings(lk->ColonneLookup()), cols);
  }
}

TEST(JournalLookup, HostTranslatesTheCaseTextsInOrderButNotTheRegions) {
  auto lk = make_object<CLSCG_LOOKUP>();
  auto log = std::make_shared<host::TextLog>();
  testing::attach_host(*lk, testing::numbered_host(Value("ENG"), Value(int32_t{4})), log);
  lk->Sezionali(Value(int32_t{1}));
  EXPECT_EQ(sql_of(*lk),
            testing::numbered(
                plain("1"),
                {"IVA", "Gestionale area amministrativa", "Gestionale area commerciale",
                 "Gestionale area amministrativa/commerciale", "No", "INTRA 12", "INTRA 13"}));
  EXPECT_EQ(log->lines.size(), 7u);  // translations only: no language, no company
  EXPECT_EQ(log->lines.front(), "host call Translate = IVA#1 (IVA)");

  auto failing = make_object<CLSCG_LOOKUP>();
  testing::attach_host(*failing, testing::failing_host());
  failing->Sezionali(Value(int32_t{1}));
  EXPECT_EQ(sql_of(*failing), plain("1"));
}

TEST(JournalLookup, ByNameAfterAnotherLookupReplacesEveryOutput) {
  auto lk = make_object<CLSCG_LOOKUP>();
  call_method(*lk, "Valute");
  let_property(*lk, "AnnoAttivita", Value(int32_t{2023}));
  call_method(*lk, "Sezionali", {Value(int32_t{2})});
  EXPECT_EQ(sql_of(*lk),
            fill(std::string(kSelect) + std::string(kFrom) + std::string(kActivityJoins) +
                     std::string(kWhere) + " AND CG32_ANNO = 2023\r\n" + std::string(kOrder),
                 {{"<DITTA>", "2"}}));
  EXPECT_EQ(headings(get_property(*lk, "ColonneLookup")).size(), 8u);
  EXPECT_EQ(get_property(*lk, "Caption"), Value("Elenco sezionali"));
  EXPECT_EQ(get_property(*lk, "IDLookup"), Value("Lkp_Sezionali"));
  EXPECT_THROW(call_method(*lk, "Sezionali"), Error);  // the company is required
}

TEST(JournalLookup, AnUnjoinableCompanyKeepsThePreviousStatement) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->Valute();
  const Value before = lk->StringaSQL();
  lk->Sezionali(Value(Array::matrix(1, 1)));
  EXPECT_EQ(lk->StringaSQL(), before);
  EXPECT_EQ(lk->Caption(), Value("Elenco sezionali"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_Sezionali"));
}

}  // namespace
}  // namespace lema
