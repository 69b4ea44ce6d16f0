#include <gtest/gtest.h>

#include "f24_expect.h"

namespace lema {
namespace {
using f24_testing::Text;

using Headings = std::vector<std::string>;
const Headings kCodeDescr{"Codice", "Descrizione"};

std::string tipi_iva(std::string_view lingua, std::string_view monofase) {
  Text e;
  e << " SELECT          CG0T_CODICE,"
       "                 CG0L_DESCRIZIONE AS CG0T_DESCR"
       " FROM            CG0T_TIPOIVA WITH(NOLOCK)"
       " LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK)"
       "              ON CG0L_CODLINGUA_MG52 = '"
    << lingua
    << "'"
       "             AND CG0L_PROVID = 6"
       "             AND CG0L_IDPROV = CG0T_CODICE"
       " WHERE           CG0T_INDTIPO = "
    << monofase << " ORDER BY        CG0T_CODICE";
  return e.s;
}

std::string servizio(std::string_view lingua, int anno) {
  Text e;
  if (anno != 0) {
    e << "SELECT CG72_CODICE, CG0L_DESCRIZIONE AS CG72_DESCR "
         "\r\n"
         " FROM CG72_NOMENCLATURE WITH (NOLOCK) "
         "\r\n"
         " LEFT OUTER JOIN CG0L_DESLINGUA WITH (NOLOCK) "
         "\r\n"
         "    ON CG0L_PROVID = 11 "
         "\r\n"
         "    AND CG0L_CODLINGUA_MG52 = '"
      << lingua
      << "'"
         "\r\n"
         "    AND CG0L_IDPROV = CG72_CNKEY "
         "\r\n"
         "  WHERE CG72_INDTIPO = 1 "
         "\r\n"
         " AND CG72_ANNO = "
         "\r\n"
         "  (SELECT MAX(CG72_ANNO) FROM CG72_NOMENCLATURE WITH (NOLOCK) "
         "\r\n"
         "      WHERE  CG72_ANNO <= "
      << std::to_string(anno)
      << "\r\n"
         "        AND CG72_INDTIPO = 1 ) "
         "\r\n"
         " ORDER BY CG72_DESCR ";
  } else {
    e << "SELECT  CG72_CODICE, CG0L_DESCRIZIONE AS CG72_DESCR "
         "\r\n"
         "FROM CG72_NOMENCLATURE WITH (NOLOCK) "
         "\r\n"
         " lEFT OUTER JOIN CG0L_DESLINGUA WITH (NOLOCK) "
         "\r\n"
         "   ON CG0L_PROVID = 11 "
         "\r\n"
         "  AND CG0L_CODLINGUA_MG52 = '"
      << lingua
      << "'"
         "\r\n"
         "  AND CG0L_IDPROV = CG72_CNKEY "
         "\r\n"
         "WHERE CG72_INDTIPO = 1 "
         "\r\n"
         " AND CG72_ANNO = "
         "     (SELECT MAX(CG72_ANNO) FROM CG72_NOMENCLATURE WITH (NOLOCK) "
         "             WHERE CG72_INDTIPO = 1 ) "
         "\r\n"
         "ORDER BY CG72_DESCR";
  }
  return e.s;
}

std::string erogazione(std::string_view ditta) {
  return " SELECT IN03_CODICE, (SELECT IN03_DESCR FROM FNIN03_MODEROGAZIONE(IN03_CODICE," +
         std::string(ditta) +
         ")) AS IN03_DESCR "
         " FROM   IN03_MODEROGAZIONE WITH(NOLOCK)"
         " ORDER  BY IN03_CODICE";
}
std::string incasso(std::string_view ditta) {
  return " SELECT IN04_CODICE, (SELECT IN04_DESCR FROM FNIN04_MODINCASSO(IN04_CODICE, " +
         std::string(ditta) +
         " )) AS IN04_DESCR"
         " FROM   IN04_MODINCASSO WITH(NOLOCK)"
         " ORDER  BY IN04_CODICE";
}

TEST(SmallTables, DefaultsWithoutHost) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->TipiIVA();
  EXPECT_EQ(f24_testing::sql_of(*lk), tipi_iva("ITA ", "0"));
  EXPECT_EQ(f24_testing::headings(lk->ColonneLookup()), kCodeDescr);
  EXPECT_EQ(lk->Caption(), Value("Elenco tipi IVA"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_TipiIVA"));
  for (const Value& open : {Value(), Value::null(), Value("  ")}) {
    lk->IndMonofaseRSM = open;
    lk->TipiIVA();
    EXPECT_EQ(f24_testing::sql_of(*lk), tipi_iva("ITA ", "0"));
  }
  lk->IndMonofaseRSM = Value(int32_t{1});
  lk->TipiIVA();
  EXPECT_EQ(f24_testing::sql_of(*lk), tipi_iva("ITA ", "1"));

  // A second method replaces all four outputs.
  lk->Servizio();
  EXPECT_EQ(f24_testing::sql_of(*lk), servizio("ITA", 0));
  EXPECT_EQ(lk->Caption(), Value("Elenco servizi"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_ElencoServizi"));
  lk->Anno_Nomenclatura = 2019;
  lk->Servizio();
  EXPECT_EQ(f24_testing::sql_of(*lk), servizio("ITA", 2019));

  lk->ModalitaErogazione();
  EXPECT_EQ(f24_testing::sql_of(*lk), erogazione("0"));
  EXPECT_EQ(lk->Caption(), Value("Elenco modalità erogazione"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_ModalitaErogazione"));
  lk->ModalitaIncasso();
  EXPECT_EQ(f24_testing::sql_of(*lk), incasso("0"));
  EXPECT_EQ(lk->Caption(), Value("Elenco modalità incasso"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_ModalitaIncasso"));
  EXPECT_EQ(f24_testing::headings(lk->ColonneLookup()), kCodeDescr);
}

TEST(SmallTables, HostLanguageAndCompany) {
  auto lk = make_object<CLSCG_LOOKUP>();
  auto log = std::make_shared<host::TextLog>();
  host::RecordingHostConfig c;
  c.language = Value("ENG");
  c.company = Value(int32_t{7});
  lk->ActiveInterface = f24_testing::make_host(c, log);
  call_method(*lk, "TipiIVA", {});
  EXPECT_EQ(f24_testing::sql_of(*lk), tipi_iva("ENG", "0"));
  call_method(*lk, "Servizio", {});
  EXPECT_EQ(f24_testing::sql_of(*lk), servizio("ENG", 0));
  call_method(*lk, "ModalitaErogazione", {});
  EXPECT_EQ(f24_testing::sql_of(*lk), erogazione("7"));
  call_method(*lk, "ModalitaIncasso", {});
  EXPECT_EQ(f24_testing::sql_of(*lk), incasso("7"));
  EXPECT_EQ(log->lines,
            (std::vector<std::string>{"host get LanguageCode = ENG", "host get LanguageCode = ENG",
                                      "host get CompanyCode = 7", "host get CompanyCode = 7"}));

  // A host that fails leaves the defaults.
  c.fail = {"LanguageCode", "CompanyCode"};
  lk->ActiveInterface = f24_testing::make_host(c);
  lk->TipiIVA();
  EXPECT_EQ(f24_testing::sql_of(*lk), tipi_iva("ITA ", "0"));
  lk->Servizio();
  EXPECT_EQ(f24_testing::sql_of(*lk), servizio("ITA", 0));
  lk->ModalitaIncasso();
  EXPECT_EQ(f24_testing::sql_of(*lk), incasso("0"));
}

TEST(Intercompany, StructureDateAndExcludedCompany) {
  auto lk = make_object<CLSCG_LOOKUP>();
  const std::string base =
      " SELECT CGC0_CODICE AS CODICE,"
      "        CGC0_DESCR AS DESCR"
      " FROM CGC0_STRUTINFRAGRUPPO WITH(NOLOCK)";
  const std::string join =
      " LEFT OUTER JOIN CGB0_CONFIGINFRAGRUPPO WITH(NOLOCK)"
      "   ON CGB0_CODICE_CGC0 = CGC0_CODICE"
      "  AND CGB0_DATACONFIG = '20240101'";
  lk->CodIntercompanyFiglio = Value(int32_t{5});
  for (const Value& open : {Value(), Value::null(), Value(" ")}) {
    lk->DataStrutturaIntercompany = open;
    lk->AziendeIntercompany();
    EXPECT_EQ(f24_testing::sql_of(*lk), base);
  }
  EXPECT_EQ(f24_testing::headings(lk->ColonneLookup()),
            (Headings{"Codice intercompany", "Descrizione intercompany"}));
  EXPECT_EQ(lk->Caption(), Value("Elenco aziende intercompany"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_AziendeIntercompany"));
  lk->DataStrutturaIntercompany = Value(*Date::from_civil(2024, 1, 1));
  lk->AziendeIntercompany();
  EXPECT_EQ(f24_testing::sql_of(*lk), base + join +
                                          " WHERE CGB0_CODICE_CGC0 IS NOT NULL"
                                          "   AND CGB0_CODICE_CGC0 <> 5");
  lk->CodIntercompanyFiglio = Value("");
  call_method(*lk, "AziendeIntercompany", {});
  EXPECT_EQ(f24_testing::sql_of(*lk), base + join + " WHERE CGB0_CODICE_CGC0 IS NULL");

  call_method(*lk, "StruttureIntercompany", {});
  EXPECT_EQ(f24_testing::sql_of(*lk),
            " SELECT CGB0_DATACONFIG"
            " FROM CGB0_CONFIGINFRAGRUPPO WITH(NOLOCK)"
            " GROUP BY CGB0_DATACONFIG"
            " ORDER BY CGB0_DATACONFIG DESC");
  EXPECT_EQ(f24_testing::headings(lk->ColonneLookup()), Headings{"Data struttura intercompany"});
  EXPECT_EQ(lk->Caption(), Value("Elenco strutture intercompany"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_StruttureIntercompany"));

  lk->DatabaseIntercompany();
  EXPECT_EQ(
      f24_testing::sql_of(*lk),
      " SELECT CGB1_CODICE AS CODICE,"
      "        CGB1_DATABASE AS DESCR,"
      "        CASE WHEN CGB1_FLGAGGIORNAMENTO = 1 THEN 'S\u00ec' ELSE '' END AS AGGIORNAMENTO"
      " FROM CGB1_DATABASEINFRAGRUPPO WITH(NOLOCK)");
  EXPECT_EQ(f24_testing::headings(lk->ColonneLookup()),
            (Headings{"Codice database", "Descrizione database", "Database aggiornabile"}));
  EXPECT_EQ(lk->Caption(), Value("Elenco database intercompany"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_DatabaseIntercompany"));
}

TEST(Ifrs15, LinesOrderingAndTypeFilter) {
  auto lk = make_object<CLSCG_LOOKUP>();
  const std::string crlf = "\r\n";
  lk->IFRS15_Tipi();
  EXPECT_EQ(f24_testing::sql_of(*lk),
            " SELECT" + crlf + "   IF01_CODICE" + crlf + "   , IF01_DESCRIZIONE" + crlf + " FROM" +
                crlf + "   IF01_TIPI WITH (NOLOCK)" + crlf + " ORDER BY" + crlf + "   IF01_CODICE");
  EXPECT_EQ(f24_testing::headings(lk->ColonneLookup()), kCodeDescr);
  EXPECT_EQ(lk->Caption(), Value("Tipi IFRS"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_IFRS_Tipi"));
  call_method(*lk, "IFRS15_Tipi", {Value("IF01_DESCRIZIONE")});
  EXPECT_EQ(f24_testing::sql_of(*lk).substr(f24_testing::sql_of(*lk).rfind(crlf)),
            crlf + "   IF01_DESCRIZIONE");

  lk->IFRS15_ClassificazioneClienti(3);
  EXPECT_EQ(f24_testing::sql_of(*lk),
            " SELECT" + crlf + "   IF04_CODICE" + crlf + "   , IF04_DESCRIZIONE" + crlf + " FROM" +
                crlf + "   IF04_CLASSIFICAZIONI WITH (NOLOCK)" + crlf +
                " INNER JOIN IF01_TIPI WITH (NOLOCK) ON" + crlf +
                "   IF01_IDTIPO = IF04_IDTIPO_IF01" + crlf + " WHERE" + crlf +
                "   IF04_INDCLASS = 2" + crlf + "   AND IF01_CODICE = 3" + crlf + " ORDER BY" +
                crlf + "   IF04_CODICE");
  EXPECT_EQ(lk->Caption(), Value("Classificazione clienti IFRS"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_IFRS_ClassificazioneClienti"));

  call_method(*lk, "IFRS15_Operativita", {Value(int32_t{2}), Value::null()});
  EXPECT_EQ(f24_testing::sql_of(*lk),
            " SELECT" + crlf + "   IF02_CODICE" + crlf + "   , IF02_DESCRIZIONE" + crlf + " FROM" +
                crlf + "   IF02_OPERATIVITA WITH (NOLOCK)" + crlf +
                " INNER JOIN IF01_TIPI WITH (NOLOCK) ON" + crlf +
                "   IF01_IDTIPO = IF02_IDTIPO_IF01" + crlf + " WHERE" + crlf +
                "   IF01_CODICE = 2" + crlf + " ORDER BY" + crlf + "   ");
  EXPECT_EQ(lk->Caption(), Value("Operatività IFRS"));

  lk->IFRS15_Nature(1, Value(""));
  EXPECT_NE(f24_testing::sql_of(*lk).find(crlf + "   IF01_CODICE = 1" + crlf + " ORDER BY" + crlf +
                                          "   IF03_CODICE"),
            std::string::npos);
  EXPECT_EQ(lk->IDLookup, Value("Lkp_IFRS_Nature"));
  lk->IFRS15_ClassificazioneArticoli(4);
  EXPECT_NE(f24_testing::sql_of(*lk).find("   IF04_INDCLASS = 1" + crlf + "   AND IF01_CODICE = 4" +
                                          crlf),
            std::string::npos);
  EXPECT_EQ(lk->Caption(), Value("Classificazione articoli IFRS"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_IFRS_ClassificazioneArticoli"));
  EXPECT_THROW(call_method(*lk, "IFRS15_Nature", {}), Error);  // TipoIFRS is required
}

}  // namespace
}  // namespace lema
