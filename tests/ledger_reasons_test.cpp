#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"
#include "lookup/clscg_lookup.h"
#include "lookup_expect.h"

namespace lema {
namespace {

using testing::fill;
using testing::headings;
using testing::numbered;
using testing::text_of;
using Texts = std::vector<std::string_view>;

std::string sql_of(const CLSCG_LOOKUP& lk) {
  return text_of(lk.StringaSQL());
}

Texts cat(std::initializer_list<Texts> parts) {
  Texts out;
  for (const Texts& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// ---- every reason ------------------------------------------------------------------------

// Statement of all the reasons up to the filter; flag decodes joined by nothing, the other
// parts introduced by a lone CR.
constexpr std::string_view kCausali =
    " SELECT CG33_CODICE, CG0L_05.CG0L_DESCRIZIONE AS CG33_DESCR, CG33_CAUALIAS,"
    " CASE WHEN CG33_INDTIPOREG =0 THEN '' WHEN CG33_INDTIPOREG =1 THEN 'Acquisti' WHEN CG33_INDTIPOREG "
    "=2 THEN 'Vendite' WHEN CG33_INDTIPOREG =3 THEN 'Corrispettivi' END AS CG33_TIPOREG, CG33_CAUSALEIVA,"
    " CASE WHEN CG33_INDCAUBENIUS =0 THEN 'No' WHEN CG33_INDCAUBENIUS =1 THEN 'Analitico' WHEN "
    "CG33_INDCAUBENIUS =2 THEN 'Globale' WHEN CG33_INDCAUBENIUS =3 THEN 'Forfettario' WHEN CG33_INDCAUBENIUS "
    "=4 THEN 'Normale' END AS CG33_INDCAUBENIUS, CG33_CAUSALECOLL,"
    " CASE WHEN CG33_INDDAAV =0 THEN 'No' WHEN CG33_INDDAAV =1 THEN 'Dare' WHEN CG33_INDDAAV "
    "=2 THEN 'Avere' END AS CG33_INDAAV,"
    " CASE WHEN CG33_FLGFATTDIFF =0 THEN 'No' WHEN CG33_FLGFATTDIFF =1 THEN 'Si' END AS CG33_FLGFATTDIFF,"
    " CASE WHEN CG33_FLGSUBFORNI =0 THEN 'No' WHEN CG33_FLGSUBFORNI =1 THEN 'Si' END AS CG33_FLGSUBFORNI,"
    " CASE WHEN CG33_FLGAGVIAG =0 THEN 'No' WHEN CG33_FLGAGVIAG =1 THEN 'Si' END AS CG33_FLGAGVIAG,"
    " CASE WHEN CG33_FLGPROTSEMP =0 THEN 'No' WHEN CG33_FLGPROTSEMP =1 THEN 'Si' END AS CG33_FLGPROTSEMP,"
    " CASE WHEN CG33_FLGACCONTO =0 THEN 'No' WHEN CG33_FLGACCONTO =1 THEN 'Si' END AS CG33_FLGACCONTO,"
    " CASE WHEN CG33_FLGINSOLUTI =0 THEN 'No' WHEN CG33_FLGINSOLUTI =1 THEN 'Insoluto' WHEN "
    "CG33_FLGINSOLUTI =2 THEN 'Richiamato' WHEN CG33_FLGINSOLUTI =3 THEN 'Chiusura effetti' "
    "WHEN CG33_FLGINSOLUTI =4 THEN 'Incasso buon fine' END AS CG33_FLGINSOLUTI,"
    " CASE WHEN CG33_FLGCOMP =0 THEN 'No' WHEN CG33_FLGCOMP =1 THEN 'Si' END AS CG33_FLGCOMP,"
    " CASE WHEN CG33_FLGECONTO =0 THEN 'No' WHEN CG33_FLGECONTO =1 THEN 'Si' END AS CG33_FLGECONTO,"
    " CASE WHEN CG33_FLGPORTAF =0 THEN 'No' WHEN CG33_FLGPORTAF =1 THEN 'Si' END AS CG33_FLGPORTAF,"
    " CASE WHEN CG33_TIPOEFF =0 THEN 'Tutti' WHEN CG33_TIPOEFF =1 THEN 'Contanti' WHEN CG33_TIPOEFF "
    "=2 THEN 'Ricevuta bancaria' WHEN CG33_TIPOEFF =3 THEN 'Tratta' WHEN CG33_TIPOEFF =4 THEN "
    "'Tratta accettata' WHEN CG33_TIPOEFF =5 THEN 'Cessione' WHEN CG33_TIPOEFF =6 THEN 'Cambiale' "
    "WHEN CG33_TIPOEFF =7 THEN 'Carta di credito' WHEN CG33_TIPOEFF =8 THEN 'Bancomat' WHEN "
    "CG33_TIPOEFF =9 THEN 'Contrassegno' WHEN CG33_TIPOEFF =10 THEN 'Lettera di credito' WHEN "
    "CG33_TIPOEFF =11 THEN 'RID' WHEN CG33_TIPOEFF =12 THEN 'Leasing' WHEN CG33_TIPOEFF =13 "
    "THEN 'Rimessa diretta' WHEN CG33_TIPOEFF =14 THEN 'Bonifico' WHEN CG33_TIPOEFF =15 THEN "
    "'C/C postale' WHEN CG33_TIPOEFF =16 THEN 'MAV' WHEN CG33_TIPOEFF =99 THEN 'Solo descrittivo' "
    "END AS CG33_TIPOEFF, CASE WHEN CG33_INDGESTEC =1 THEN 'Apertura' WHEN CG33_INDGESTEC =2 "
    "THEN 'Chiusura' WHEN CG33_INDGESTEC =3 THEN 'Apertura/chiusura' ELSE ' ' END AS CG33_INDGESTEC,"
    " CASE WHEN CG33_FLGIVAEDIT=0 THEN 'No' WHEN CG33_FLGIVAEDIT=1 THEN 'Si' END AS CG33_FLGIVAEDIT,"
    " CASE CG33_INDMONOFASERSM WHEN 1 THEN 'Acquisti interni' WHEN 2 THEN 'Importazioni' WHEN "
    "3 THEN 'Vendite interne' WHEN 4 THEN 'Esportazioni' ELSE '' END AS CG33_INDMONOFASERSM,"
    " CASE WHEN CG33_FLGDATIASSEGNO = 0 THEN 'No' WHEN CG33_FLGDATIASSEGNO = 1 THEN 'Si' END "
    "AS CG33_FLGDATIASSEGNO, (SELECT CGD1_DESCR FROM FNCGD1_TIPOCAUSALE(CGD1_TIPOLOGIA, <COMPANY>)) "
    "AS CGD1_DESCR \r"
    "  , CASE CG33_INDTIPOMOV \r"
    "      WHEN 0 THEN 'criterio Gestionale' \r"
    "      WHEN 1 THEN 'criterio di Cassa' \r"
    "      WHEN 2 THEN 'Gestionale/Cassa' \r"
    "      WHEN 3 THEN 'Gestionale/Cassa sospeso' \r"
    "      WHEN 4 THEN 'Gestionale/Cassa speciale' \r"
    "      WHEN 5 THEN 'Gestionale/Cassa esteso' \r"
    "    END AS CG33_INDTIPOMOV \r"
    "  , CASE CG33_INDGESTFATTPROFORMA \r"
    "      WHEN 0 THEN 'No proforma' \r"
    "      WHEN 1 THEN 'Fattura proforma' \r"
    "      WHEN 2 THEN 'Fattura di incasso fattura proforma' \r"
    "    END AS CG33_INDGESTFATTPROFORMA \r"
    "  , CASE CG33_INDSCADFATTPROFORMA \r"
    "      WHEN 0 THEN 'No proforma' \r"
    "      WHEN 1 THEN 'Da consolidare' \r"
    "      WHEN 2 THEN 'Consolidato' \r"
    "    END AS CG33_INDSCADFATTPROFORMA \r"
    "  , CG0Z_CATEGORIA \r"
    "  , CG0L_14.CG0L_DESCRIZIONE AS CG0Z_DESCRIZIONE \r"
    " FROM CG33_TABCAU WITH (NOLOCK) \r"
    " LEFT OUTER JOIN CGD1_TIPOCAUSALE WITH (NOLOCK)              ON CGD1_ID = CG33_ID_CGD1\r"
    " LEFT OUTER JOIN CG0Z_CATEGORIESTP WITH(NOLOCK)              ON CG0Z_ID = CG33_ID_CG0Z\r"
    " LEFT OUTER JOIN CG0L_DESLINGUA AS CG0L_05 WITH(NOLOCK)              ON CG0L_05.CG0L_CODLINGUA_MG52 "
    "= '<LANG>'             AND CG0L_05.CG0L_PROVID = 5             AND CG0L_05.CG0L_IDPROV "
    "= CG33_IDPROV\r"
    " LEFT OUTER JOIN CG0L_DESLINGUA AS CG0L_14 WITH(NOLOCK)              ON CG0L_14.CG0L_CODLINGUA_MG52 "
    "= '<LANG>'             AND CG0L_14.CG0L_PROVID = 14              AND CG0L_14.CG0L_IDPROV "
    "= CG33_ID_CG0Z ";

const Texts kNoSi = {"No", "Si"};
const Texts kTipoEffetto = {"Tutti",
                            "Contanti",
                            "Ricevuta bancaria",
                            "Tratta",
                            "Tratta accettata",
                            "Cessione",
                            "Cambiale",
                            "Carta di credito",
                            "Bancomat",
                            "Contrassegno",
                            "Lettera di credito",
                            "RID",
                            "Leasing",
                            "Rimessa diretta",
                            "Bonifico",
                            "C/C postale",
                            "MAV",
                            "Solo descrittivo"};
const Texts kDopoEffetto = {
    "Apertura",         "Chiusura",     "Apertura/chiusura", "No",          "Si",
    "Acquisti interni", "Importazioni", "Vendite interne",   "Esportazioni"};
const Texts kTipoMovimento = {"criterio Gestionale",       "criterio di Cassa",
                              "Gestionale/Cassa",          "Gestionale/Cassa sospeso",
                              "Gestionale/Cassa speciale", "Gestionale/Cassa esteso"};
const Texts kInsoluti = {"No", "Insoluto", "Richiamato", "Chiusura effetti", "Incasso buon fine"};

std::string causali(std::string_view lang, std::string_view company, std::string_view tail) {
  return fill(std::string(kCausali), {{"<LANG>", lang}, {"<COMPANY>", company}}) +
         std::string(tail);
}

TEST(LedgerReasonLookup, DefaultPathWritesBackTheSortColumn) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->CausaliContabili();
  const std::string want = causali("ITA ", "0", " WHERE 1=1 ORDER BY CG33_CODICE");
  EXPECT_EQ(sql_of(*lk), want);
  EXPECT_EQ(lk->CampoOrdinamentoStringaSQL, Value("CG33_CODICE"));
  EXPECT_EQ(headings(lk->ColonneLookup()),
            (std::vector<std::string>{"Codice",
                                      "Descrizione",
                                      "Alias",
                                      "Tipo.reg.",
                                      "Caus.rif.",
                                      "Reg.marg.",
                                      "Cau.coll.",
                                      "Segno",
                                      "Comp. IVA",
                                      "Sub.forn.",
                                      "Ag.viag.",
                                      "Nr.doc.",
                                      "Cau.acc.",
                                      "Causale per reg. effetti",
                                      "C.es.pr.",
                                      "Mov.EC",
                                      "Mov.por.",
                                      "Eff. da sel.",
                                      "Gest. Ec/Pf",
                                      "Editoria",
                                      "Op. monofase RSM",
                                      "Rich. dati assegni",
                                      "Classificazione causale",
                                      "Tipo operazione",
                                      "Gestione fatture proforma",
                                      "Scadenze in fatture proforma",
                                      "Categoria di stampa",
                                      "Categoria di stampa descrizione"}));
  EXPECT_EQ(lk->Caption(), Value("Elenco causali contabili"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CausaliContabili"));
  lk->CausaliContabili();
  EXPECT_EQ(sql_of(*lk), want);
}

TEST(LedgerReasonLookup, FilterFixedReasonAndRegisterTypeInEachCombination) {
  struct Case {
    Value filtro, fissa, tiporeg, ordine;
    std::string_view tail;
  };
  const Case cases[] = {
      {Value("CG33_INDTIPOREG = 1"), Value(), Value(), Value(),
       " WHERE CG33_INDTIPOREG = 1 ORDER BY CG33_CODICE"},
      {Value("  "), Value(), Value(int32_t{2}), Value::null(),
       " WHERE 1=1 AND CG33_INDTIPOREG = 2 ORDER BY CG33_CODICE"},
      {Value(), Value(int32_t{1}), Value(" "), Value("CG33_DESCR"),
       " WHERE 1=1 AND CG33_FLGCAUFISSA = 1 ORDER BY CG33_DESCR"},
      {Value("X = 'a'"), Value(int32_t{0}), Value("3"), Value("CG33_CAUALIAS, CG33_CODICE"),
       " WHERE X = 'a' AND CG33_FLGCAUFISSA = 0 AND CG33_INDTIPOREG = 3 ORDER BY CG33_CAUALIAS, CG33_CODICE"},
  };
  for (const Case& c : cases) {
    auto lk = make_object<CLSCG_LOOKUP>();
    let_property(*lk, "FiltroStringaSQL", c.filtro);
    let_property(*lk, "CausaleFissaPerCauCont", c.fissa);
    let_property(*lk, "IndTipoRegPerCauCont", c.tiporeg);
    let_property(*lk, "CampoOrdinamentoStringaSQL", c.ordine);
    call_method(*lk, "CausaliContabili");
    EXPECT_EQ(text_of(get_property(*lk, "StringaSQL")), causali("ITA ", "0", c.tail)) << c.tail;
    if (is_given(c.ordine))
      EXPECT_EQ(lk->CampoOrdinamentoStringaSQL, c.ordine);
    else
      EXPECT_EQ(lk->CampoOrdinamentoStringaSQL, Value("CG33_CODICE"));
  }
}

TEST(LedgerReasonLookup, PrintCategoryModeIgnoresTheOtherFilters) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->FiltroStringaSQL = Value("CG33_INDTIPOREG = 1");
  lk->CausaleFissaPerCauCont = Value(int32_t{1});
  lk->IndTipoRegPerCauCont = Value(int32_t{2});
  let_property(*lk, "CausaliContabiliTipoLookup", Value(int32_t{1}));
  let_property(*lk, "sCategoriaStampa_Cod", Value("GIO"));
  lk->CausaliContabili();
  EXPECT_EQ(sql_of(*lk),
            causali("ITA ", "0", "\r WHERE CG0Z_CATEGORIA = 'GIO'  ORDER BY CG33_CODICE"));
  EXPECT_EQ(lk->Caption(), Value("Elenco causali contabili per categoria di stampa"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CausaliContabiliCatStp"));
}

TEST(LedgerReasonLookup, HostGivesLanguageAndCompanyAndTranslatesInOrder) {
  auto lk = make_object<CLSCG_LOOKUP>();
  auto log = std::make_shared<host::TextLog>();
  testing::attach_host(*lk, testing::numbered_host(Value("ENG"), Value(int32_t{7})), log);
  lk->CausaliContabili();
  const Texts order =
      cat({{"Acquisti", "Vendite", "Corrispettivi", "No", "Analitico", "Globale", "Forfettario",
            "Normale", "No", "Dare", "Avere"},
           kNoSi,
           kNoSi,
           kNoSi,
           kNoSi,
           kNoSi,
           kInsoluti,
           kNoSi,
           kNoSi,
           kNoSi,
           kTipoEffetto,
           kDopoEffetto,
           kNoSi,
           kTipoMovimento,
           {"No proforma", "Fattura proforma", "Fattura di incasso fattura proforma", "No proforma",
            "Da consolidare", "Consolidato"}});
  EXPECT_EQ(sql_of(*lk), numbered(causali("ENG", "7", " WHERE 1=1 ORDER BY CG33_CODICE"), order));
  ASSERT_EQ(log->lines.size(), order.size() + 2);
  EXPECT_EQ(log->lines[0], "host get LanguageCode = ENG");
  EXPECT_EQ(log->lines[1], "host get CompanyCode = 7");

  auto failing = make_object<CLSCG_LOOKUP>();
  testing::attach_host(*failing, testing::failing_host());
  failing->CausaliContabili();
  EXPECT_EQ(sql_of(*failing), causali("ITA ", "0", " WHERE 1=1 ORDER BY CG33_CODICE"));
}

TEST(LedgerReasonLookup, AFilterThatCannotBeJoinedKeepsThePreviousStatement) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->Valute();
  lk->FiltroStringaSQL = Value(Array::matrix(1, 1));
  lk->CausaliContabili();
  EXPECT_EQ(lk->StringaSQL(),
            Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));
  EXPECT_EQ(headings(lk->ColonneLookup()).size(), 28u);
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CausaliContabili"));
}

// ---- the narrower lists ------------------------------------------------------------------------

// VAT lists up to and including the language join.
constexpr std::string_view kSoloIva =
    " SELECT CG33_CODICE, CG0L_DESCRIZIONE AS CG33_DESCR, CG33_CAUALIAS,"
    " CASE WHEN CG33_INDTIPOREG =0 THEN '' WHEN CG33_INDTIPOREG =1 THEN 'Acquisti' WHEN CG33_INDTIPOREG "
    "=2 THEN 'Vendite' WHEN CG33_INDTIPOREG =3 THEN 'Corrispettivi' END AS CG33_TIPOREG, CG33_CAUSALEIVA,"
    " CASE WHEN CG33_INDCAUBENIUS =0 THEN 'No' WHEN CG33_INDCAUBENIUS =1 THEN 'Forfettario' "
    "WHEN CG33_INDCAUBENIUS =2 THEN 'Globale' WHEN CG33_INDCAUBENIUS =3 THEN 'Ordinario' WHEN "
    "CG33_INDCAUBENIUS =4 THEN 'Misto' END AS CG33_INDCAUBENIUS, CG33_CAUSALECOLL,"
    " CASE WHEN CG33_INDDAAV =0 THEN 'No' WHEN CG33_INDDAAV =1 THEN 'Dare' WHEN CG33_INDDAAV "
    "=2 THEN 'Avere' END AS CG33_INDAAV,"
    " CASE WHEN CG33_FLGFATTDIFF =0 THEN 'No' WHEN CG33_FLGFATTDIFF =1 THEN 'Si' END AS CG33_FLGFATTDIFF,"
    " CASE WHEN CG33_FLGSUBFORNI =0 THEN 'No' WHEN CG33_FLGSUBFORNI =1 THEN 'Si' END AS CG33_FLGSUBFORNI,"
    " CASE WHEN CG33_FLGAGVIAG =0 THEN 'No' WHEN CG33_FLGAGVIAG =1 THEN 'Si' END AS CG33_FLGAGVIAG,"
    " CASE WHEN CG33_FLGPROTSEMP =0 THEN 'No' WHEN CG33_FLGPROTSEMP =1 THEN 'Si' END AS CG33_FLGPROTSEMP,"
    " CASE WHEN CG33_FLGACCONTO =0 THEN 'No' WHEN CG33_FLGACCONTO =1 THEN 'Si' END AS CG33_FLGACCONTO,"
    " CASE WHEN CG33_FLGINSOLUTI =0 THEN 'No' WHEN CG33_FLGINSOLUTI =1 THEN 'Insoluto' WHEN "
    "CG33_FLGINSOLUTI =2 THEN 'Richiamato' END AS CG33_FLGINSOLUTI,"
    " CASE WHEN CG33_FLGCOMP =0 THEN 'No' WHEN CG33_FLGCOMP =1 THEN 'Si' END AS CG33_FLGCOMP,"
    " CASE WHEN CG33_FLGECONTO =0 THEN 'No' WHEN CG33_FLGECONTO =1 THEN 'Si' END AS CG33_FLGECONTO,"
    " CASE WHEN CG33_FLGPORTAF =0 THEN 'No' WHEN CG33_FLGPORTAF =1 THEN 'Si' END AS CG33_FLGPORTAF,"
    " CASE WHEN CG33_TIPOEFF =0 THEN 'Tutti' WHEN CG33_TIPOEFF =1 THEN 'Contanti' WHEN CG33_TIPOEFF "
    "=2 THEN 'Ricevuta bancaria' WHEN CG33_TIPOEFF =3 THEN 'Tratta' WHEN CG33_TIPOEFF =4 THEN "
    "'Tratta accettata' WHEN CG33_TIPOEFF =5 THEN 'Cessione' WHEN CG33_TIPOEFF =6 THEN 'Cambiale' "
    "WHEN CG33_TIPOEFF =7 THEN 'Carta di credito' WHEN CG33_TIPOEFF =8 THEN 'Bancomat' WHEN "
    "CG33_TIPOEFF =9 THEN 'Contrassegno' WHEN CG33_TIPOEFF =10 THEN 'Lettera di credito' WHEN "
    "CG33_TIPOEFF =11 THEN 'RID' WHEN CG33_TIPOEFF =12 THEN 'Leasing' WHEN CG33_TIPOEFF =13 "
    "THEN 'Rimessa diretta' WHEN CG33_TIPOEFF =14 THEN 'Bonifico' WHEN CG33_TIPOEFF =15 THEN "
    "'C/C postale' WHEN CG33_TIPOEFF =16 THEN 'MAV' WHEN CG33_TIPOEFF =99 THEN 'Solo descrittivo' "
    "END AS CG33_TIPOEFF, CASE WHEN CG33_INDGESTEC =1 THEN 'Apertura' WHEN CG33_INDGESTEC =2 "
    "THEN 'Chiusura' WHEN CG33_INDGESTEC =3 THEN 'Apertura/chiusura' ELSE ' ' END AS CG33_INDGESTEC,"
    " CASE WHEN CG33_FLGIVAEDIT=0 THEN 'No' WHEN CG33_FLGIVAEDIT=1 THEN 'Si' END AS CG33_FLGIVAEDIT,"
    " CASE CG33_INDMONOFASERSM WHEN 1 THEN 'Acquisti interni' WHEN 2 THEN 'Importazioni' WHEN "
    "3 THEN 'Vendite interne' WHEN 4 THEN 'Esportazioni' ELSE '' END AS CG33_INDMONOFASERSM "
    "\r"
    "  , CASE CG33_INDTIPOMOV \r"
    "      WHEN 0 THEN 'criterio Gestionale' \r"
    "      WHEN 1 THEN 'criterio di Cassa' \r"
    "      WHEN 2 THEN 'Gestionale/Cassa' \r"
    "      WHEN 3 THEN 'Gestionale/Cassa sospeso' \r"
    "      WHEN 4 THEN 'Gestionale/Cassa speciale' \r"
    "      WHEN 5 THEN 'Gestionale/Cassa esteso' \r"
    "    END AS CG33_INDTIPOMOV \r"
    " FROM CG33_TABCAU WITH (NOLOCK)\r"
    " LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK)\r"
    "              ON CG0L_CODLINGUA_MG52 = '<LANG>'\r"
    "             AND CG0L_PROVID = 5\r"
    "             AND CG0L_IDPROV = CG33_IDPROV";

// The classification list, whole; <WHERE> is its optional condition.
constexpr std::string_view kClassificazione =
    " SELECT CG33_CODICE, CG0L_DESCRIZIONE AS CG33_DESCR, CG33_CAUALIAS,"
    " CASE WHEN CG33_INDTIPOREG =0 THEN '' WHEN CG33_INDTIPOREG =1 THEN 'Acquisti' WHEN CG33_INDTIPOREG "
    "=2 THEN 'Vendite' WHEN CG33_INDTIPOREG =3 THEN 'Corrispettivi' END AS CG33_TIPOREG, CG33_CAUSALEIVA,"
    " CASE WHEN CG33_INDCAUBENIUS =0 THEN 'No' WHEN CG33_INDCAUBENIUS =1 THEN 'Forfettario' "
    "WHEN CG33_INDCAUBENIUS =2 THEN 'Globale' WHEN CG33_INDCAUBENIUS =3 THEN 'Ordinario' WHEN "
    "CG33_INDCAUBENIUS =4 THEN 'Misto' END AS CG33_INDCAUBENIUS, CG33_CAUSALECOLL,"
    " CASE WHEN CG33_INDDAAV =0 THEN 'No' WHEN CG33_INDDAAV =1 THEN 'Dare' WHEN CG33_INDDAAV "
    "=2 THEN 'Avere' END AS CG33_INDAAV,"
    " CASE WHEN CG33_FLGFATTDIFF =0 THEN 'No' WHEN CG33_FLGFATTDIFF =1 THEN 'Si' END AS CG33_FLGFATTDIFF,"
    " CASE WHEN CG33_FLGSUBFORNI =0 THEN 'No' WHEN CG33_FLGSUBFORNI =1 THEN 'Si' END AS CG33_FLGSUBFORNI,"
    " CASE WHEN CG33_FLGAGVIAG =0 THEN 'No' WHEN CG33_FLGAGVIAG =1 THEN 'Si' END AS CG33_FLGAGVIAG,"
    " CASE WHEN CG33_FLGPROTSEMP =0 THEN 'No' WHEN CG33_FLGPROTSEMP =1 THEN 'Si' END AS CG33_FLGPROTSEMP,"
    " CASE WHEN CG33_FLGACCONTO =0 THEN 'No' WHEN CG33_FLGACCONTO =1 THEN 'Si' END AS CG33_FLGACCONTO,"
    " CASE WHEN CG33_FLGINSOLUTI =0 THEN 'No' WHEN CG33_FLGINSOLUTI =1 THEN 'Insoluto' WHEN "
    "CG33_FLGINSOLUTI =2 THEN 'Richiamato' WHEN CG33_FLGINSOLUTI =3 THEN 'Chiusura effetti' "
    "WHEN CG33_FLGINSOLUTI =4 THEN 'Incasso buon fine' END AS CG33_FLGINSOLUTI,"
    " CASE WHEN CG33_FLGCOMP =0 THEN 'No' WHEN CG33_FLGCOMP =1 THEN 'Si' END AS CG33_FLGCOMP,"
    " CASE WHEN CG33_FLGECONTO =0 THEN 'No' WHEN CG33_FLGECONTO =1 THEN 'Si' END AS CG33_FLGECONTO,"
    " CASE WHEN CG33_FLGPORTAF =0 THEN 'No' WHEN CG33_FLGPORTAF =1 THEN 'Si' END AS CG33_FLGPORTAF,"
    " CASE WHEN CG33_TIPOEFF =0 THEN 'Tutti' WHEN CG33_TIPOEFF =1 THEN 'Contanti' WHEN CG33_TIPOEFF "
    "=2 THEN 'Ricevuta bancaria' WHEN CG33_TIPOEFF =3 THEN 'Tratta' WHEN CG33_TIPOEFF =4 THEN "
    "'Tratta accettata' WHEN CG33_TIPOEFF =5 THEN 'Cessione' WHEN CG33_TIPOEFF =6 THEN 'Cambiale' "
    "WHEN CG33_TIPOEFF =7 THEN 'Carta di credito' WHEN CG33_TIPOEFF =8 THEN 'Bancomat' WHEN "
    "CG33_TIPOEFF =9 THEN 'Contrassegno' WHEN CG33_TIPOEFF =10 THEN 'Lettera di credito' WHEN "
    "CG33_TIPOEFF =11 THEN 'RID' WHEN CG33_TIPOEFF =12 THEN 'Leasing' WHEN CG33_TIPOEFF =13 "
    "THEN 'Rimessa diretta' WHEN CG33_TIPOEFF =14 THEN 'Bonifico' WHEN CG33_TIPOEFF =15 THEN "
    "'C/C postale' WHEN CG33_TIPOEFF =16 THEN 'MAV' WHEN CG33_TIPOEFF =99 THEN 'Solo descrittivo' "
    "END AS CG33_TIPOEFF, CASE WHEN CG33_INDGESTEC =1 THEN 'Apertura' WHEN CG33_INDGESTEC =2 "
    "THEN 'Chiusura' WHEN CG33_INDGESTEC =3 THEN 'Apertura/chiusura' ELSE ' ' END AS CG33_INDGESTEC,"
    " CASE WHEN CG33_FLGIVAEDIT=0 THEN 'No' WHEN CG33_FLGIVAEDIT=1 THEN 'Si' END AS CG33_FLGIVAEDIT,"
    " CASE CG33_INDMONOFASERSM WHEN 1 THEN 'Acquisti interni' WHEN 2 THEN 'Importazioni' WHEN "
    "3 THEN 'Vendite interne' WHEN 4 THEN 'Esportazioni' ELSE '' END AS CG33_INDMONOFASERSM,"
    " CASE WHEN CG33_FLGDATIASSEGNO = 0 THEN 'No' WHEN CG33_FLGDATIASSEGNO = 1 THEN 'Si' END "
    "AS CG33_FLGDATIASSEGNO \r"
    "  , CASE CG33_INDTIPOMOV \r"
    "      WHEN 0 THEN 'criterio Gestionale' \r"
    "      WHEN 1 THEN 'criterio di Cassa' \r"
    "      WHEN 2 THEN 'Gestionale/Cassa' \r"
    "      WHEN 3 THEN 'Gestionale/Cassa sospeso' \r"
    "      WHEN 4 THEN 'Gestionale/Cassa speciale' \r"
    "      WHEN 5 THEN 'Gestionale/Cassa esteso' \r"
    "    END AS CG33_INDTIPOMOV \r"
    " FROM CG33_TABCAU WITH (NOLOCK)      LEFT OUTER JOIN CGD1_TIPOCAUSALE WITH (NOLOCK)    "
    "     ON CGD1_ID = CG33_ID_CGD1\r"
    " LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK)\r"
    "              ON CG0L_CODLINGUA_MG52 = '<LANG>'\r"
    "             AND CG0L_PROVID = 5\r"
    "             AND CG0L_IDPROV = CG33_IDPROV\r"
    "<WHERE> ORDER BY CG33_CODICE";

const std::vector<std::string> kVariantHeadings = {
    "Codice", "Descrizione", "Alias",     "Tipo.reg.", "Caus.IVA", "Reg.marg.", "Cau.coll.",
    "Segno",  "Comp. IVA",   "Sub.forn.", "Ag.viag.",  "Nr.doc.",  "Cau.acc."};
const std::vector<std::string> kVariantHeadingsTail = {"C.es.pr.",        "Mov.EC",      "Mov.por.",
                                                       "Eff. da sel.",    "Gest. Ec/Pf", "Editoria",
                                                       "Op. monofase RSM"};

std::vector<std::string> variant_headings(std::string_view col13, std::vector<std::string> last) {
  std::vector<std::string> out = kVariantHeadings;
  out.push_back(std::string(col13));
  out.insert(out.end(), kVariantHeadingsTail.begin(), kVariantHeadingsTail.end());
  out.insert(out.end(), last.begin(), last.end());
  return out;
}

TEST(LedgerReasonVariants, VatOnlyList) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->FiltroStringaSQL = Value("ignored");
  lk->CampoOrdinamentoStringaSQL = Value("ignored");
  call_method(*lk, "CausaliContabiliSoloIVA");
  EXPECT_EQ(sql_of(*lk), fill(std::string(kSoloIva), {{"<LANG>", "ITA "}}) +
                             "\r WHERE CG33_INDTIPOREG <> 0\r ORDER BY CG33_CODICE");
  EXPECT_EQ(headings(lk->ColonneLookup()), variant_headings("Cau.ins.", {"Tipo operazione"}));
  EXPECT_EQ(lk->Caption(), Value("Elenco causali contabili"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CausaliContabili"));
}

TEST(LedgerReasonVariants, VatOpeningDownPaymentListWithAndWithoutJournalReasons) {
  auto lk = make_object<CLSCG_LOOKUP>();
  const std::string head =
      fill(std::string(kSoloIva), {{"<LANG>", "ITA "}}) +
      "\r WHERE CG33_INDTIPOREG <> 0 OR CG33_FLGACCONTO = 1 OR CG33_INDGESTEC = 1";
  lk->CausaliContabiliIVAAperturaPartiteAcconti();
  EXPECT_EQ(sql_of(*lk), head + " ORDER BY CG33_CODICE");
  let_property(*lk, "IncludiCausaliConGestioneSezionali", Value(true));
  call_method(*lk, "CausaliContabiliIVAAperturaPartiteAcconti");
  EXPECT_EQ(sql_of(*lk), head + " OR CG33_FLGGESTSEZ = 1 ORDER BY CG33_CODICE");
  EXPECT_EQ(headings(lk->ColonneLookup()), variant_headings("Cau.ins.", {"Tipo operazione"}));
  EXPECT_EQ(lk->Caption(), Value("Elenco causali contabili"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CauContIvaApAc"));
}

TEST(LedgerReasonVariants, ClassificationListWithClassificationEmptyBlankOrGiven) {
  const std::pair<Value, std::string_view> cases[] = {
      {Value(), ""},
      {Value("   "), ""},
      {Value(" A"), " WHERE CGD1_TIPOLOGIA = ' A'"},
      {Value(int32_t{3}), " WHERE CGD1_TIPOLOGIA = '3'"}};
  for (const auto& [classe, where] : cases) {
    auto lk = make_object<CLSCG_LOOKUP>();
    lk->ClassificazioneCausale = classe;
    lk->CausaliContabiliPerClassificazione();
    EXPECT_EQ(sql_of(*lk),
              fill(std::string(kClassificazione), {{"<LANG>", "ITA "}, {"<WHERE>", where}}));
  }
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->CausaliContabiliPerClassificazione();
  EXPECT_EQ(
      headings(lk->ColonneLookup()),
      variant_headings("Causale per reg. effetti", {"Rich. dati assegni", "Tipo operazione"}));
  EXPECT_EQ(lk->Caption(), Value("Elenco causali contabili per classificazione"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CausaliContabiliClass"));
}

TEST(LedgerReasonVariants, HostGivesOnlyTheLanguageAndTranslatesInOrder) {
  const Texts head = {"Acquisti",    "Vendite", "Corrispettivi", "No",
                      "Forfettario", "Globale", "Ordinario",     "Misto",
                      "No",          "Dare",    "Avere"};
  const Texts effetti_classificazione = {
      "Tutti",           "Contanti", "Ricevuta bancaria", "Tratta",          "Tratta accettata",
      "Cessione",        "Cambiale", "Carta di credito",  "Contrassegn",     "Lettera di credito",
      "Rimessa diretta", "Bonifico", "C/C postale",       "Solo descrittivo"};
  auto log = std::make_shared<host::TextLog>();
  auto lk = make_object<CLSCG_LOOKUP>();
  testing::attach_host(*lk, testing::numbered_host(Value("DEU"), Value(int32_t{7})), log);
  lk->CausaliContabiliSoloIVA();
  EXPECT_EQ(sql_of(*lk), numbered(fill(std::string(kSoloIva), {{"<LANG>", "DEU"}}) +
                                      "\r WHERE CG33_INDTIPOREG <> 0\r ORDER BY CG33_CODICE",
                                  cat({head,
                                       kNoSi,
                                       kNoSi,
                                       kNoSi,
                                       kNoSi,
                                       kNoSi,
                                       {"No", "Insoluto", "Richiamato"},
                                       kNoSi,
                                       kNoSi,
                                       kNoSi,
                                       kTipoEffetto,
                                       kDopoEffetto,
                                       kTipoMovimento})));
  EXPECT_EQ(log->lines.front(), "host get LanguageCode = DEU");

  auto other = make_object<CLSCG_LOOKUP>();
  testing::attach_host(*other, testing::numbered_host(Value("DEU"), Value(int32_t{7})), log);
  log->lines.clear();
  other->CausaliContabiliPerClassificazione();
  const std::string got = sql_of(*other);
  EXPECT_EQ(got,
            numbered(fill(std::string(kClassificazione), {{"<LANG>", "DEU"}, {"<WHERE>", ""}}),
                     cat({head, kNoSi, kNoSi, kNoSi, kNoSi, kNoSi, kInsoluti, kNoSi, kNoSi, kNoSi,
                          effetti_classificazione, kDopoEffetto, kNoSi, kTipoMovimento})));
  EXPECT_NE(got.find("THEN 'Contrassegn#41o'"), std::string::npos);
  EXPECT_NE(got.find("THEN 'Bancomat'"), std::string::npos);
  for (const std::string& line : log->lines) EXPECT_EQ(line.find("CompanyCode"), std::string::npos);

  for (auto method : {"CausaliContabiliSoloIVA", "CausaliContabiliIVAAperturaPartiteAcconti",
                      "CausaliContabiliPerClassificazione"}) {
    auto failing = make_object<CLSCG_LOOKUP>();
    auto plain = make_object<CLSCG_LOOKUP>();
    testing::attach_host(*failing, testing::failing_host());
    call_method(*failing, method);
    call_method(*plain, method);
    EXPECT_EQ(sql_of(*failing), sql_of(*plain)) << method;
  }
}

// ---- lists that accompany the reasons ------------------------------------------------------

constexpr std::string_view kCorrelazione =
    " SELECT CG33_CODICE, CG0L_DESCRIZIONE AS CG33_DESCR, CG33_CAUALIAS,"
    "       (SELECT TOP 1"
    "     CASE CG4C_INDGESTIONE"
    "         WHEN 0 THEN 'Non gestito'"
    "         WHEN 1 THEN 'Solo progetti'"
    "         WHEN 2 THEN 'Solo commessa'"
    "         WHEN 3 THEN 'Entrambi'"
    "     END"
    "     FROM CG4C_PARCOGEPROG WITH (NOLOCK)"
    "     WHERE (CG4C_CAUSALE_CG33 = CG33_CODICE And CG4C_DITTA_CG18 = <D>)"
    "     OR    (CG4C_CAUSALE_CG33 IS NULL AND CG4C_DITTA_CG18 = <D>)"
    "     ORDER BY CG4C_CAUSALE_CG33 DESC) AS CORRELAZIONE"
    " FROM CG33_TABCAU WITH (NOLOCK)"
    " LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK)"
    "              ON CG0L_CODLINGUA_MG52 = '<LANG>'"
    "             AND CG0L_PROVID = 5"
    "             AND CG0L_IDPROV = CG33_IDPROV"
    " WHERE"
    "        (SELECT TOP 1 CG4C_INDGESTIONE"
    "     FROM CG4C_PARCOGEPROG WITH(NOLOCK)"
    "     WHERE (CG4C_CAUSALE_CG33 = CG33_CODICE And CG4C_DITTA_CG18 = <D>)"
    "     OR    (CG4C_CAUSALE_CG33 IS NULL AND CG4C_DITTA_CG18 = <D>)"
    "     ORDER BY CG4C_CAUSALE_CG33 DESC) <> 0"
    " ORDER BY CG33_CODICE";

TEST(ReasonRelatedLookups, CorrelationReasonsPlaceTheCompanyFourTimes) {
  auto lk = make_object<CLSCG_LOOKUP>();
  call_method(*lk, "CausaliContabiliContabilitaProgettiCommesse", {Value(int32_t{12})});
  EXPECT_EQ(sql_of(*lk), fill(std::string(kCorrelazione), {{"<D>", "12"}, {"<LANG>", "ITA "}}));
  std::vector<std::string> cols = {"Codice", "Descrizione", "Alias", "Mod. correlazione"};
  cols.resize(21, "<Empty>");
  EXPECT_EQ(headings(lk->ColonneLookup()), cols);
  EXPECT_EQ(lk->Caption(), Value("Elenco causali contabili abilitate alla correlazione"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CausaliContabili"));

  testing::attach_host(*lk, testing::numbered_host(Value("FRA"), Value(int32_t{3})));
  lk->CausaliContabiliContabilitaProgettiCommesse(Value("7"));
  EXPECT_EQ(sql_of(*lk),
            numbered(fill(std::string(kCorrelazione), {{"<D>", "7"}, {"<LANG>", "FRA"}}),
                     {"Non gestito", "Solo progetti", "Solo commessa", "Entrambi"}));
  testing::attach_host(*lk, testing::failing_host());
  lk->CausaliContabiliContabilitaProgettiCommesse(Value("7"));
  EXPECT_EQ(sql_of(*lk), fill(std::string(kCorrelazione), {{"<D>", "7"}, {"<LANG>", "ITA "}}));
}

TEST(ReasonRelatedLookups, ClassificationsTakeTheHostCompanyOrZero) {
  constexpr std::string_view kWant =
      "SELECT CGD1_TIPOLOGIA, (SELECT CGD1_DESCR FROM FNCGD1_TIPOCAUSALE(CGD1_TIPOLOGIA, <C>)) AS "
      "CGD1_DESCR FROM CGD1_TIPOCAUSALE ORDER BY CGD1_TIPOLOGIA";
  auto lk = make_object<CLSCG_LOOKUP>();
  call_method(*lk, "ClassificazioneCausali");
  EXPECT_EQ(sql_of(*lk), fill(std::string(kWant), {{"<C>", "0"}}));
  EXPECT_EQ(headings(lk->ColonneLookup()), (std::vector<std::string>{"Codice", "Descrizione"}));
  EXPECT_EQ(lk->Caption(), Value("Elenco classificazioni causali contabili"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_ClassificazioneCausali"));
  testing::attach_host(*lk, testing::numbered_host(Value("ENG"), Value(int32_t{15})));
  lk->ClassificazioneCausali();
  EXPECT_EQ(sql_of(*lk), fill(std::string(kWant), {{"<C>", "15"}}));
  testing::attach_host(*lk, testing::numbered_host(Value("ENG"), Value::null()));
  lk->ClassificazioneCausali();
  EXPECT_EQ(sql_of(*lk), fill(std::string(kWant), {{"<C>", "0"}}));
  testing::attach_host(*lk, testing::failing_host());
  lk->ClassificazioneCausali();
  EXPECT_EQ(sql_of(*lk), fill(std::string(kWant), {{"<C>", "0"}}));
}

TEST(ReasonRelatedLookups, PaymentReasonsJoinTheCompanySetupOnlyForAReasonType) {
  constexpr std::string_view kBase =
      " SELECT CGP0_CAUSALE, CGP0_DESCRIZIONE\r\n FROM   CGP0_PAGEFFCAUSALI WITH(NOLOCK)\r\n";
  constexpr std::string_view kJoins =
      " INNER JOIN CGP5_PAGEFFPARAM WITH (NOLOCK) ON CGP5_CAUSALE_CGP0 = CGP0_CAUSALE\r\n"
      " INNER JOIN CGP6_PAGEFFPARAMDITTA WITH (NOLOCK) ON CGP6_DITTA_CG18 = <A>\r\n"
      "                                               AND CGP6_CAUSALE_CGP0 = CGP0_CAUSALE\r\n"
      " WHERE CGP5_TIPOCAUSALE = <T>\r\n"
      "   AND CGP6_INDPAGVALUTA = 0\r\n";
  const std::string plain = std::string(kBase) + " ORDER BY CGP0_CAUSALE";
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->CodAzienda = Value(int32_t{15});
  lk->CausaliPagEff();
  EXPECT_EQ(sql_of(*lk), plain);
  int16_t zero = 0;
  lk->CausaliPagEff(&zero);
  EXPECT_EQ(sql_of(*lk), plain);
  std::vector<Value> args = {Value(int32_t{2})};
  call_method(*lk, "CausaliPagEff", std::span<Value>(args));
  EXPECT_EQ(sql_of(*lk), std::string(kBase) +
                             fill(std::string(kJoins), {{"<A>", "15"}, {"<T>", "2"}}) +
                             " ORDER BY CGP0_CAUSALE");
  EXPECT_EQ(to_integer(args[0]), 2);
  lk->CodAzienda = Value();
  int16_t tipo = -3;
  lk->CausaliPagEff(&tipo);
  EXPECT_EQ(sql_of(*lk), std::string(kBase) +
                             fill(std::string(kJoins), {{"<A>", ""}, {"<T>", "-3"}}) +
                             " ORDER BY CGP0_CAUSALE");
  EXPECT_EQ(tipo, -3);
  EXPECT_EQ(headings(lk->ColonneLookup()), (std::vector<std::string>{"Codice", "Descrizione"}));
  EXPECT_EQ(lk->Caption(), Value("Elenco causali"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CauPagEff"));
}

TEST(ReasonRelatedLookups, PrintCategoriesDefaultToThreeLetterLanguage) {
  constexpr std::string_view kWant =
      "SELECT \r    CG0Z_CATEGORIA \r  , CG0L_DESCRIZIONE AS CG0Z_DESCRIZIONE \r"
      "FROM CG0Z_CATEGORIESTP WITH(NOLOCK) \r"
      "LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK)             ON CG0L_CODLINGUA_MG52 = '<L>'\r"
      "            AND CG0L_PROVID = 14 \r"
      "            AND CG0L_IDPROV = CG0Z_ID \r"
      "ORDER BY \r  CG0Z_CATEGORIA ";
  auto lk = make_object<CLSCG_LOOKUP>();
  call_method(*lk, "CategorieStampa");
  EXPECT_EQ(sql_of(*lk), fill(std::string(kWant), {{"<L>", "ITA"}}));
  EXPECT_EQ(headings(lk->ColonneLookup()), (std::vector<std::string>{"Codice", "Descrizione"}));
  EXPECT_EQ(lk->Caption(), Value("Elenco codici di giornale"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CategorieStampa"));
  testing::attach_host(*lk, testing::numbered_host(Value("ENG "), Value(int32_t{1})));
  lk->CategorieStampa();
  EXPECT_EQ(sql_of(*lk), fill(std::string(kWant), {{"<L>", "ENG "}}));
  testing::attach_host(*lk, testing::failing_host());
  lk->CategorieStampa();
  EXPECT_EQ(sql_of(*lk), fill(std::string(kWant), {{"<L>", "ITA"}}));
}

}  // namespace
}  // namespace lema
