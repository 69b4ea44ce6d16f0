#include <gtest/gtest.h>

#include "f24_expect.h"

namespace lema {
namespace {
using f24_testing::Text;
using f24_testing::Words;

// A function, not a global: Dates must not be built during static initialisation.
Date today_pinned() {
  return *Date::from_civil(2024, 3, 15);
}

std::string without(std::string s, std::string_view alias) {
  for (size_t p; (p = s.find(alias)) != std::string::npos;) s.erase(p, alias.size());
  return s;
}

// The transaction-contract statement for a select list L and conditions W.
std::string movimenti(const std::string& L, std::string_view W, std::string_view D = "20240315") {
  Text e;
  e << " SELECT " << L << "\r"
    << " FROM   CG3C_CONTRATTIMOV3000 WITH(NOLOCK)"
    << "\r";
  if (L.find("CG3C_DITTA_CG18") != std::string::npos)
    e << " LEFT OUTER JOIN CG18_ANADITTABASE AS CG18"
         "\r"
         "   ON  CG18.CG18_DITTA = CG3C_DITTA_CG18"
         "\r"
         " LEFT OUTER JOIN CG16_ANAGGEN AS CG16"
         "\r"
         "   ON CG16.CG16_CODICE = CG18_CODICE_CG16"
         "\r";
  if (L.find("CG3C_CLIFOR_CG44") != std::string::npos)
    e << " LEFT OUTER   JOIN VCG16_ANAGRALLADATA AS VCG16"
         "\r"
         "     ON  CG3C_DITTA_CG18 = VCG16.CG44_DITTA_CG18"
         "\r"
         "         AND     CG3C_TIPOCF_CG44 = VCG16.CG44_TIPOCF"
         "\r"
         "         AND     CG3C_CLIFOR_CG44 = VCG16.CG44_CLIFOR"
         "\r"
      << "         AND     '" << D
      << "'"
         "\r"
         "         BETWEEN ISNULL(VCG16.DATAINIZIOVALIDITA,'"
      << D
      << "')"
         "\r"
      << "             AND ISNULL(VCG16.DATAFINEVALIDITA,'" << D
      << "')"
         "\r";
  const std::string G = without(L, " AS CG3C_TIPOCF_CG44");
  e << " WHERE CG3C_CONTRATTO IS NOT NULL"
       "\r"
    << W << " GROUP BY " << G << "\r"
    << " ORDER BY " << G << "\r";
  return e.s;
}

std::string corrispettivi(const std::string& L, std::string_view W) {
  Text e;
  e << " SELECT " << L << "\r"
    << " FROM   CG3D_DATIANAGMOV3000 WITH(NOLOCK)"
    << "\r";
  if (L.find("CG3D_DITTA_CG18") != std::string::npos)
    e << " LEFT OUTER JOIN CG18_ANADITTABASE AS CG18"
         "\r"
         "   ON  CG18.CG18_DITTA = CG3D_DITTA_CG18"
         "\r"
         " LEFT OUTER JOIN CG16_ANAGGEN AS CG16"
         "\r"
         "   ON CG16.CG16_CODICE = CG18_CODICE_CG16"
         "\r";
  if (L.find("CG3D_CODICE_CG16") != std::string::npos)
    e << " LEFT OUTER JOIN CG16_ANAGGEN AS CG16_ANAG"
         "\r"
         "   ON CG16_ANAG.CG16_CODICE = CG3D_CODICE_CG16"
         "\r";
  const std::string G = without(L, " AS DESCRANAG");
  e << " WHERE CG3D_CONTRATTO IS NOT NULL"
       "\r"
    << W << " GROUP BY " << G << "\r"
    << " ORDER BY " << G << "\r";
  return e.s;
}

std::string kind_column(Words T = {}) {
  Text e;
  e << "CASE CG3C_TIPOCF_CG44 WHEN 0 THEN '" << T("Cliente") << "' WHEN 1 THEN '" << T("Fornitore")
    << "' ELSE '' END AS CG3C_TIPOCF_CG44, ";
  return e.s;
}

using Headings = std::vector<std::string>;

TEST(ContractsMov3000, CollapsedListWritesTodayBack) {
  f24_testing::PinnedToday pin(today_pinned());
  auto lk = make_object<CLSCG_LOOKUP>();
  EXPECT_EQ(lk->ContrattiMovimenti3000Euro(), 0);
  EXPECT_EQ(
      f24_testing::sql_of(*lk),
      " SELECT CG3C_CONTRATTO\r FROM   CG3C_CONTRATTIMOV3000 WITH(NOLOCK)\r WHERE CG3C_CONTRATTO IS NOT NULL\r"
      " GROUP BY CG3C_CONTRATTO\r ORDER BY CG3C_CONTRATTO\r");
  EXPECT_EQ(f24_testing::headings(lk->ColonneLookup()), Headings{"Codice contratto"});
  EXPECT_EQ(lk->DataRegistrazione, Value(today_pinned()));
  EXPECT_EQ(lk->Caption(), Value("Elenco contratti"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_ContrMov3000"));
}

TEST(ContractsMov3000, OpenCriteriaBecomeColumnsInStep) {
  f24_testing::PinnedToday pin(today_pinned());
  auto lk = make_object<CLSCG_LOOKUP>();
  EXPECT_EQ(call_method(*lk, "ContrattiMovimenti3000Euro", {Value(false)}), Value(int16_t{7}));
  EXPECT_EQ(f24_testing::headings(lk->ColonneLookup()),
            (Headings{"Codice azienda", "Ragione sociale azienda", "Tipo Cli/For",
                      "Codice cliente/fornitore", "Ragione sociale", "Numero registrazione",
                      "Tipo contratto", "Codice contratto"}));
  const std::string L =
      "CG3C_DITTA_CG18, CG16.CG16_RAGSOANAG, " + kind_column() +
      "CG3C_CLIFOR_CG44, VCG16.CG16_RAGSOANAG, CG3C_NUMREG_CO99, CG3C_INDTIPOCONTR, CG3C_CONTRATTO";
  EXPECT_EQ(f24_testing::sql_of(*lk), movimenti(L, ""));

  // Supplier kind with the code open: no kind column and no kind condition. A given date
  // is kept and used for the registry version.
  lk->TipoCF = Value(int32_t{1});
  lk->CodAzienda = Value(int32_t{4});
  lk->DataRegistrazione = Value(*Date::from_civil(2023, 12, 31));
  lk->Elenchi_IndGestioneElenchiMov3000 = IndicatoreGestioneElenchiMov3000Enum::DaValutarePerAnno;
  EXPECT_EQ(lk->ContrattiMovimenti3000Euro(false), 3);
  EXPECT_EQ(f24_testing::headings(lk->ColonneLookup()),
            (Headings{"Codice fornitore", "Ragione sociale", "Numero registrazione",
                      "Codice contratto"}));
  EXPECT_EQ(f24_testing::sql_of(*lk),
            movimenti("CG3C_CLIFOR_CG44, VCG16.CG16_RAGSOANAG, CG3C_NUMREG_CO99, CG3C_CONTRATTO",
                      "   AND  CG3C_DITTA_CG18 = 4\r   AND  CG3C_INDTIPOCONTR = 3\r", "20231231"));
  lk->TipoCF = Value("0");
  lk->ContrattiMovimenti3000Euro(false);
  EXPECT_EQ(f24_testing::headings(lk->ColonneLookup())[0], "Codice cliente");
}

TEST(ContractsMov3000, GivenCriteriaBecomeConditions) {
  f24_testing::PinnedToday pin(today_pinned());
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->CodAzienda = Value(int32_t{1});
  lk->TipoCF = Value(int32_t{0});
  lk->CodCliFor = Value(int32_t{100});
  lk->NumRegistrazione = Value("X");
  lk->Elenchi_IndGestioneElenchiMov3000 = IndicatoreGestioneElenchiMov3000Enum::DaValutare;
  const std::string W =
      "   AND  CG3C_DITTA_CG18 = 1\r   AND  CG3C_TIPOCF_CG44 = 0\r   AND  CG3C_CLIFOR_CG44 = 100\r"
      "   AND  CG3C_NUMREG_CO99 = 'X'\r   AND  CG3C_INDTIPOCONTR = 2\r";
  EXPECT_EQ(lk->ContrattiMovimenti3000Euro(false), 0);
  EXPECT_EQ(f24_testing::headings(lk->ColonneLookup()), Headings{"Codice contratto"});
  EXPECT_EQ(f24_testing::sql_of(*lk), movimenti("CG3C_CONTRATTO", W));

  // Collapsed list: the conditions stay, only the columns go; the kind column is still
  // built (and its words asked) before the list is emptied.
  lk->TipoCF = Value();
  lk->CodCliFor = Value(int32_t{0});
  auto host = f24_testing::numbered_host();
  lk->ActiveInterface = host;
  EXPECT_EQ(lk->ContrattiMovimenti3000Euro(true), 0);
  EXPECT_EQ(f24_testing::sql_of(*lk),
            movimenti("CG3C_CONTRATTO",
                      "   AND  CG3C_DITTA_CG18 = 1\r   AND  CG3C_NUMREG_CO99 = 'X'\r"
                      "   AND  CG3C_INDTIPOCONTR = 2\r"));
  EXPECT_EQ(host->translate_calls(), 2);
  lk->ContrattiMovimenti3000Euro(false);
  EXPECT_EQ(
      f24_testing::sql_of(*lk),
      movimenti(
          kind_column(Words{true, 2}) + "CG3C_CLIFOR_CG44, VCG16.CG16_RAGSOANAG, CG3C_CONTRATTO",
          "   AND  CG3C_DITTA_CG18 = 1\r   AND  CG3C_NUMREG_CO99 = 'X'\r   AND  CG3C_INDTIPOCONTR = 2\r"));
}

TEST(ContractsCorr3000, CriteriaColumnsAndConditions) {
  auto lk = make_object<CLSCG_LOOKUP>();
  EXPECT_EQ(call_method(*lk, "ContrattiCorrispettivi3000Euro", {}), Value(int16_t{0}));
  EXPECT_EQ(
      f24_testing::sql_of(*lk),
      " SELECT CG3D_CONTRATTO\r FROM   CG3D_DATIANAGMOV3000 WITH(NOLOCK)\r WHERE CG3D_CONTRATTO IS NOT NULL\r"
      " GROUP BY CG3D_CONTRATTO\r ORDER BY CG3D_CONTRATTO\r");
  EXPECT_EQ(lk->Caption(), Value("Elenco contratti corrispettivi"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_ContrCorr3000"));

  lk->CodFiscale = Value("RSSMRA80A01H501U");
  EXPECT_EQ(lk->ContrattiCorrispettivi3000Euro(false), 4);
  EXPECT_EQ(f24_testing::headings(lk->ColonneLookup()),
            (Headings{"Codice azienda", "Ragione sociale azienda", "Codice anagrafica",
                      "Descrizione anagrafica", "Codice contratto"}));
  EXPECT_EQ(
      f24_testing::sql_of(*lk),
      corrispettivi(
          "CG3D_DITTA_CG18, CG16.CG16_RAGSOANAG, CG3D_CODICE_CG16, CG16_ANAG.CG16_RAGSOANAG AS "
          "DESCRANAG, CG3D_CONTRATTO",
          "   AND  CG3D_CODFISCALE = 'RSSMRA80A01H501U'\r"));

  lk->CodAzienda = Value("3");
  lk->CodFiscale = Value("X'Y");
  lk->CodAnagrafica = Value(int32_t{12});
  EXPECT_EQ(lk->ContrattiCorrispettivi3000Euro(false), 0);
  EXPECT_EQ(f24_testing::sql_of(*lk),
            corrispettivi("CG3D_CONTRATTO",
                          "   AND  CG3D_DITTA_CG18 = 3\r   AND  CG3D_CODFISCALE = 'X'Y'\r"
                          "   AND  CG3D_CODICE_CG16 = 12\r"));
}

std::string lettere(std::string_view args, Words T = {}) {
  Text e;
  e << " SELECT MG28_ID, MG28_ANNO,"
       "        CASE MG28_INDTIPODICH"
    << "            WHEN 0 THEN '" << T("La sola operazione sopraspecificata") << "'"
    << "            WHEN 1 THEN '"
    << T("Le operazioni effettuate nell''anno .... fino a concorrenza di Euro/Lire ...") << "'"
    << "            WHEN 2 THEN '" << T("Le operazioni effettuate nell''anno .... per il") << "'"
    << "        END AS MG28_INDTIPODICH,"
       "        MG28_NUMLETDICH, MG28_DATARICEZ,"
       "        MG28_NUMNSPROT, MG28_DATANSREG,"
       "        MG28_DOGANA, MG28_FINOAEURO,"
       "        MG28_PLFDRESIDUO, MG28_NUMPROTOCOLLO,"
       "        MG28_DATAPROTOCOLLO, MG28_PROGRINVIO,"
       "        MG28_DATAREVOCA, MG28_ALQIVA_CG28,"
       "        MG28_NOTE,"
       "        MG28_DATAINVAL, MG28_DATAFINEVAL"
       " FROM DBO.FNMG28_LETTINT("
    << args
    << ")"
       " WHERE MG28_INDTIPODICH IN (0,1)";
  return e.s;
}

TEST(LettersOfIntent, FunctionArgumentsFromSettings) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->CodAzienda = Value(int32_t{1});
  lk->TipoCF = Value(int32_t{0});
  lk->CodCliFor = Value(int32_t{25});
  lk->DataDocumento = Value(today_pinned());
  lk->NumRegistrazione = Value("   ");
  lk->LettereIntento();
  EXPECT_EQ(f24_testing::sql_of(*lk), lettere("1,0,25,'20240315',0,'',0,0"));
  EXPECT_EQ(lk->Caption(), Value("Elenco lettere di intento"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_LettereIntento"));
  auto h = f24_testing::headings(lk->ColonneLookup());
  ASSERT_EQ(h.size(), 18u);
  EXPECT_EQ(h[2], "Tipo");
  EXPECT_EQ(h[10], "Num. protocollo ADE");
  EXPECT_EQ(h[17], "Al");

  // Nothing guards an empty company; an invalid date leaves the quotes empty.
  lk->CodAzienda = Value();
  lk->DataDocumento = Value("31/12/2023");
  lk->NumRegistrazione = Value("R1");
  lk->TipoOperazionePlafond = 2;
  auto host = f24_testing::numbered_host();
  lk->ActiveInterface = host;
  call_method(*lk, "LettereIntento", {});
  EXPECT_EQ(f24_testing::sql_of(*lk), lettere(",0,25,'20231231',0,'R1',0,2", Words{true}));
  lk->DataDocumento = Value("not a date");
  lk->LettereIntento();
  EXPECT_EQ(f24_testing::sql_of(*lk), lettere(",0,25,'',0,'R1',0,2", Words{true, 3}));
}

std::string clifor(std::string_view ditta, std::string_view tipo_filter, Words T = {}) {
  Text e;
  e << " SELECT"
       "    CASE WHEN CG44_TIPOCF = 0 THEN '"
    << T("Cliente") << "' WHEN CG44_TIPOCF = 1 THEN '" << T("Fornitore")
    << "' END AS TIPO,"
       "    CG44_CLIFOR,"
       "    CG16_RAGSOANAG,"
       "    CG16_INDIRIZZO,"
       "    CG16_CAP,"
       "    CG16_CITTA,"
       "    CG16_PROV,"
       "    CG16_PARTIVA,"
       "    CG16_CODFISCALE,"
       "    CG16_RAGSOANAGEX,"
       "    CG16_ALIAS,"
       "    CG16_TEL1NUM,"
       "    CG16_TEL2NUM,"
       "    CG16_FAXNUM,"
       "    CG16_CELLNUM,"
       "    CG16_INDEMAIL,"
       "    CG16_CODICE_CG07,"
       "    (SELECT CG07_DESCR FROM CG07_TABSTATIEST WITH (NOLOCK) WHERE CG16_CODICE_CG07 = CG07_CODICE ) AS CG07_DESCR, MG17_AGENTE,"
    << "    CASE WHEN CG44_FLGATTIVO = 1 THEN '" << T("Si") << "' ELSE '" << T("No")
    << "' END AS CG44_FLGATTIVO, "
    << "    CASE WHEN CG16_FLGANAGVAL = 1 THEN '" << T("Si") << "' ELSE '" << T("No")
    << "' END AS CG16_FLGANAGVAL, CG16_DATAVALID, CODICESOST, DESCRSOST, MG19_DATADISMIS "
       "  , CG44_INTERMEDIO_CG40 "
       "\r"
       "  , CG40_DESCR"
       "  ,"
       "  CASE"
    << "     WHEN CG07_INDTIPOSTATO = 0 THEN '" << T("Extracomunitario") << "'"
    << "     WHEN CG07_INDTIPOSTATO = 1 THEN '" << T("Intracomunitario") << "'"
    << "     WHEN CG07_INDTIPOSTATO = 2 THEN '" << T("Rep. San Marino") << "'"
    << "  END AS CG07_INDTIPOSTATO "
       "\r\n"
       "from CG44_VCO_AnagCliForWithSost "
       "\r\n"
       " LEFT OUTER JOIN MG19_CLIFORVA WITH(NOLOCK) "
       "    ON  MG19_DITTA_CG18 = CG44_DITTA_CG18"
       "    AND MG19_TIPOCF_CG44 = CG44_TIPOCF "
       "    AND MG19_CLIFOR_CG44 = CG44_CLIFOR "
       "\r\n"
       " LEFT OUTER JOIN MG1C_CLIFORAGEMUL WITH(NOLOCK)"
       "\r"
       " ON  CG44_DITTA_CG18=MG1C_DITTA_CG18"
       "\r"
       " AND CG44_TIPOCF=MG1C_TIPOCF_CG44"
       "\r"
       " AND CG44_CLIFOR=MG1C_CLIFOR_CG44"
       "\r"
       " LEFT OUTER JOIN MG17_AGENTI WITH(NOLOCK)"
       "\r"
       " ON MG1C_IDAGENTE_MG17=MG17_IDAGENTE"
       "\r"
       " LEFT OUTER JOIN CG07_TABSTATIEST WITH(NOLOCK) "
       "    ON CG07_CODICE = CG16_CODICE_CG07 "
       "\r"
       " OUTER APPLY dbo.FNCG40_ANADITTAINTER(CG44_TIPOCF,CG44_INTERMEDIO_CG40,CG44_DITTA_CG18) "
       "\r\n"
       "where CG44_DITTA_CG18 = "
    << ditta << tipo_filter
    << "\r\n"
       " ORDER BY CG44_TIPOCF, CG44_CLIFOR";
  return e.s;
}

TEST(CustomerSupplierAccounts, KindTitleAndFilter) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->ContiCliFor(Value(int32_t{1}), Value());
  EXPECT_EQ(f24_testing::sql_of(*lk), clifor("1", " and cg44_tipocf = 0"));
  EXPECT_EQ(lk->Caption(), Value("Elenco Clienti"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_ContiCliFor"));
  auto h = f24_testing::headings(lk->ColonneLookup());
  ASSERT_EQ(h.size(), 28u);
  EXPECT_EQ(h[5], "Città");
  EXPECT_EQ(h[21], "Data validità");
  EXPECT_EQ(h[27], "Tipo Nazione");

  lk->ContiCliFor(Value(int32_t{1}), Value(int32_t{1}));
  EXPECT_EQ(lk->Caption(), Value("Elenco Fornitori"));
  lk->ContiCliFor(Value("  "), Value(int16_t{2}));
  EXPECT_EQ(f24_testing::sql_of(*lk), clifor("0", ""));
  EXPECT_EQ(lk->Caption(), Value("Elenco Clienti/Fornitori"));
  // Another kind keeps the previous title but still filters on it.
  lk->ContiCliFor(Value(int32_t{7}), Value(int32_t{3}));
  EXPECT_EQ(f24_testing::sql_of(*lk), clifor("7", " and cg44_tipocf = 3"));
  EXPECT_EQ(lk->Caption(), Value("Elenco Clienti/Fornitori"));

  lk->ActiveInterface = f24_testing::numbered_host();
  call_method(*lk, "ContiCliFor", {});
  EXPECT_EQ(f24_testing::sql_of(*lk), clifor("0", " and cg44_tipocf = 0", Words{true}));
  EXPECT_EQ(lk->Caption(), Value("Elenco Clienti"));
}

}  // namespace
}  // namespace lema
