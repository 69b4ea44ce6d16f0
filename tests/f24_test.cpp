#include <gtest/gtest.h>

#include <cstdio>

#include "f24_expect.h"

namespace lema {
namespace {
using f24_testing::Text;
using f24_testing::Words;

constexpr std::string_view kConto =
    " (SELECT  TOP 1 CAST(CG7F_NUMCC AS NVARCHAR(3)) + ' - ' + CG7F_DESCRIZIONE + ' (ABI:' + CAST(CG7F_ABI_CG13 AS NVARCHAR(5)) + '  CAB:' + CAST(CG7F_CAB_CG13 AS NVARCHAR(5)) + '  C/C:' + CG7F_CONTOCORRENTE + '  CIN:' + CG7F_CIN + ')' FROM CG7F_CONTICORRENTI WITH(NOLOCK) WHERE CG7F_CONTRIBUENTE_CG1F = CG1F_CODICE AND CG7F_INDSOGGETTO = ";

// The signatory-title CASE: the WHEN pieces follow their layout rule (21 blanks, WHEN, the
// code right-aligned in two characters).
std::string titles(Words& T) {
  static const char* const kTitles[] = {"00-Contribuente",
                                        "01-Rappresentante legale, negoziale o socio ammin.",
                                        "02-Rappresentante di minore, inabil. o interdetto",
                                        "03-Curatore fallimentare",
                                        "04-Commissario liquidatore",
                                        "05-Commissario giudiziale",
                                        "06-Rappresentante fiscale di sogg. non residente",
                                        "07-Erede del contribuente",
                                        "08-Liquidatore (liquidazione volontaria)",
                                        "09-Sogg. risultanti da operaz. straordinarie",
                                        "10-Rappresentante fiscale di sogg. non res.(art. 44)",
                                        "11-Sogg. esercente attiv.tutoria del minore",
                                        "12-Liquidatore (ante messa liquidaz. ditta indiv.)",
                                        "13-Amministratore di condominio",
                                        "14-Soggetto che sottoscr. dich. conto PA",
                                        "15-Commissario liquidatore di Pubbl.Ammin."};
  Text e;
  e << " (CASE CG1F_ENTFIRMA WHEN  0 THEN '" << T(kTitles[0]) << "'";
  for (int code = 1; code <= 15; ++code) {
    char when[64];
    std::snprintf(when, sizeof when, "%21sWHEN %2d THEN '", "", code);
    e << when << T(kTitles[code]) << "'";
  }
  e << "                     ELSE '' END) AS TITOLOFIRM,";
  return e.s;
}

// The taxpayer statement up to its FROM clause.
std::string anag_body(Words T = {}) {
  Text e;
  e << " SELECT";
  e << " CG1F_CODICE,"
       " CG1F_DITTA_CG18,"
       " CG1F_RAGSOC,"
       " CG1F_NOME,"
       " CG1F_INDIRIZZO,";
  e << " (CG1F_COMUNE_CG01 + ' - ' + RTRIM(CG1F_CAPRES) + ' ' + CG1F_CITTARES + ' ' + CG1F_PROVRES) AS COMUNE,";
  e << " CG1F_CODFISCALE,";
  e << " (CASE CG1F_SESSO WHEN 0 THEN '" << T("Maschio") << "' WHEN 1 THEN '" << T("Femmina")
    << "' ELSE '' END) AS SESSO,";
  e << " CG1F_DATANASC,";
  e << " (SELECT  CG01_CODICE + ' - ' + RTRIM(CG01_CAP) + ' ' + CG01_DESCR + ' ' + CG01_PROV FROM CG01_ANAGCOMUNI WITH(NOLOCK) WHERE CG01_CODICE = CG1F_COMUNENASC_CG01) AS COMUNENASC,";
  e << " CG1F_RIFERIMENTO,";
  e << " (SELECT  RTRIM(CG08_CODICE) + ' - ' + CG08_DESCR FROM CG08_TABVALUTE WITH(NOLOCK) WHERE CG08_CODICE = CG1F_VALUTA_CG08) AS VALUTA,";
  e << " (CASE CG1F_INDFIRMA WHEN 0 THEN 'Stampa firma' WHEN 1 THEN 'Barra casella erede' WHEN 2 THEN 'Stampa ragione sociale su firma' ELSE '' END) AS TIPOFIRMA,";
  e << " CG1F_FIRMA,";
  e << " (CASE CG1F_FLGCOMPMANUALE WHEN 1 THEN '" << T("Si") << "' ELSE '' END) AS COMPMAN,";
  e << " (CASE CG1F_FLGNOANNOSOL WHEN 1 THEN '" << T("Si") << "' ELSE '' END) AS NOANNOSOL,";
  e << " (CASE CG1F_INDVERS WHEN 0 THEN '" << T("Banca") << "' WHEN 1 THEN '" << T("Concessione")
    << "' WHEN 2 THEN 'Remote banking' WHEN 3 THEN 'F24 On Line' ELSE '' END) AS TIPOVERS,";
  e << " (SELECT  CAST(CG03_CODICE AS NVARCHAR(4)) + ' - ' + CG03_DESCR FROM CG03_TABCONCESS WITH(NOLOCK) WHERE CG03_CODICE = CG1F_CODICE_CG03) AS CONCESSIONE,";
  e << " (SELECT  CAST(CG12_BANCA AS NVARCHAR(5)) + ' - ' + CG12_DESCR FROM CG12_BANCHE WITH(NOLOCK) WHERE CG12_BANCA = CG1F_CODABI_CG13) AS ABI,";
  e << " (SELECT  CAST(CG13_CODCAB AS NVARCHAR(5)) + ' - ' + CG13_DESCR FROM CG13_AGENZIE WITH(NOLOCK) WHERE CG13_BANCA_CG12 = CG1F_CODABI_CG13 AND CG13_CODCAB = CG1F_CODCAB_CG13) AS CAB,";
  e << kConto
    << "0"
       " AND CG7F_PREDEFINITO = 1) AS CONTCORR,";
  e << " CG1F_RAGSOCMIT,"
       " CG1F_CODFISCALEMIT,"
       " CG1F_INDIRIZZOMIT,";
  e << " (CG1F_COMUNEMIT_CG01 + ' - ' + RTRIM(CG1F_CAPRESMIT) + ' ' + CG1F_CITTARESMIT + ' ' + CG1F_PROVRESMIT) AS COMUNEMIT,";
  e << " (CASE CG1F_FLGPAGAMENTO WHEN 1 THEN '" << T("Si") << "' ELSE '' END) AS ADDEBITOMIT,";
  e << kConto
    << "1"
       " AND CG7F_PREDEFINITO = 1) AS CONTCORRMIT,";
  e << " (SELECT  CAST(CG12_BANCA AS NVARCHAR(5)) + ' - ' + CG12_DESCR FROM CG12_BANCHE WITH(NOLOCK) WHERE CG12_BANCA = CG1F_CODABIMIT_CG13) AS ABIMIT,";
  e << " (SELECT  CAST(CG13_CODCAB AS NVARCHAR(5)) + ' - ' + CG13_DESCR FROM CG13_AGENZIE WITH(NOLOCK) WHERE CG13_BANCA_CG12 = CG1F_CODABIMIT_CG13 AND CG13_CODCAB = CG1F_CODCABMIT_CG13) AS CABMIT,";
  e << " (CASE CG1F_FLGVEICOLATORE WHEN 1 THEN '" << T("Si") << "' ELSE '' END) AS SOGVEICOLATORE,";
  e << " CG1F_CODSIAMIT,"
       " CG1F_RIFERIMENTOMIT,";
  e << " (CASE CG1F_INDDESTINATARIO WHEN 0 THEN '" << T("Contribuente") << "' WHEN 1 THEN '"
    << T("Mittente") << "' ELSE '' END) AS DESTINATARIO,";
  e << " CG1F_PERCORSOINVIO,"
       " CG1F_PERCORSORICEV,";
  e << titles(T);
  e << " CG1F_ENTCOGNOME,"
       " CG1F_ENTNOME,"
       " CG1F_ENTCODFISCALE,";
  e << " (CASE CG1F_ENTSESSO WHEN 0 THEN '" << T("Maschio") << "' WHEN 1 THEN '" << T("Femmina")
    << "' ELSE '' END) AS SESSOFIRM,";
  e << " CG1F_ENTDATANASC,";
  e << " (SELECT  CG01_CODICE + ' - ' + RTRIM(CG01_CAP) + ' ' + CG01_DESCR + ' ' + CG01_PROV FROM CG01_ANAGCOMUNI WITH(NOLOCK) WHERE CG01_CODICE = CG1F_ENTCOMUNENASC_CG01) AS COMUNENASCFIRM,";
  e << " CG1F_ENTINDIRIZZORES,";
  e << " (CG1F_ENTCOMUNERES_CG01 + ' - ' + RTRIM(CG1F_ENTCAPRES) + ' ' + CG1F_ENTCITTARES + ' ' + CG1F_ENTPROVRES) AS COMUNEFIRM,";
  e << " (CASE CG1F_ENTFLGPAGAM WHEN 1 THEN '" << T("Si") << "' ELSE '' END) AS ADDEBITOFIRM,";
  e << kConto
    << "2"
       " AND CG7F_PREDEFINITO = 1) AS CONTCORRFIRM,";
  e << " CG1F_ENTPATHINVIO,"
       " CG1F_ENTPATHRICEZ";
  e << " FROM CG1F_ANAGCONTRIBUENTE WITH (NOLOCK)";
  return e.s;
}

// The tax-code statement up to its FROM clause: each flag reads
// CASE WHEN flag = 1 THEN 'Si' ELSE 'No' END AS flag.
std::string tributo_body(Words T = {}) {
  static const char* const kFlags[] = {
      "CG0F_FLGICICOMUNI",   "CG0F_FLGCREDCOMPENS", "CG0F_FLGDEBNONCOMPENS", "CG0F_FLGRICHCODUFF",
      "CG0F_FLGRICHCODATTO", "CG0F_FLGCODENTELOC",  "CG0F_FLGCODREGIONE",    "CG0F_FLGSTPPROV",
      "CG0F_FLGMESERIF",     "CG0F_FLGNUMRATE"};
  Text e;
  e << " SELECT  CG0F_INDSEZIONE, CG0F_CODTRIBUTO, CG0F_CODMATRICOLA_CG0E, CG0F_CODPERIODO1, CG0F_CODPERIODO2, CG0F_DESCR, CG0F_DESCREXT,";
  for (const char* f : kFlags) {
    e << "         CASE WHEN " << f << " = 1 THEN '" << T("Si") << "' ELSE '" << T("No")
      << "' END AS " << f;
    if (f == kFlags[0]) e << ", CG0F_IMPDETRAZIONEICI";
    if (f != kFlags[9]) e << ",";
  }
  e << " FROM    CG0F_CODTRIBUTI WITH(NOLOCK)";
  return e.s;
}

// The dispatch statement up to its FROM clause; the month CASE reads uniformly.
std::string spedizione_body(Words T = {}) {
  static const char* const kMonths[] = {"Gennaio",   "Febbraio", "Marzo",    "Aprile",
                                        "Maggio",    "Giugno",   "Luglio",   "Agosto",
                                        "Settembre", "Ottobre",  "Novembre", "Dicembre"};
  Text e;
  e << "SELECT CG5F_NUMSPEDIZIONE, CG5F_CODICE_CG1F, ISNULL(CG5F_RAGSOC,'') + ' ' + ISNULL(CG5F_NOME,'') AS CG5F_RAGSOC,";
  e << " CG5F_MESE = CASE CG5F_MESE";
  for (int m = 1; m <= 12; ++m) {
    e << (m == 1 ? "" : "'") << " WHEN " << std::to_string(m) << " THEN '" << T(kMonths[m - 1]);
  }
  e << "' ELSE '' END,";
  e << " CG5F_ANNO, CG5F_INDPERIODO = CASE CG5F_INDPERIODO WHEN 0 THEN '" << T("Primo del mese")
    << "' WHEN 1 THEN '" << T("Metà mese") << "' WHEN 2 THEN '" << T("20 del mese")
    << "' WHEN 3 THEN '" << T("Fine mese") << "' ELSE '' END,";
  e << " CG5F_NOMESUPPORTO, CG5F_DATASPED, CG5F_NUMDELSPED, CG5F_CODABIPROP_CG12, CG5F_CODABIORD_CG12";
  e << " FROM CG5F_RBKSPEDIZIONE WITH (NOLOCK)";
  return e.s;
}

std::string conti_correnti(std::string_view si, std::string_view codice, std::string_view soggetto,
                           std::string_view ordine) {
  Text e;
  e << " SELECT  CG7F_NUMCC, CG7F_DESCRIZIONE,"
       "         CG7F_ABI_CG13, CG7F_CAB_CG13,"
    << "         CG7F_CONTOCORRENTE, CG7F_CIN,"
       "         CASE WHEN CG7F_PREDEFINITO = 1 THEN '"
    << si
    << "' ELSE '' END AS CG7F_PREDEFINITO"
       " FROM    CG7F_CONTICORRENTI WITH(NOLOCK)"
    << " WHERE   CG7F_CONTRIBUENTE_CG1F = " << codice
    << "         AND CG7F_INDSOGGETTO = " << soggetto << " ORDER   BY " << ordine;
  return e.s;
}

TEST(F24Taxpayer, CompanyAndOrderingPaths) {
  auto lk = make_object<CLSCG_LOOKUP>();
  const std::string body = anag_body();
  lk->AnagContribuente();
  EXPECT_EQ(f24_testing::sql_of(*lk), body + " ORDER BY CG1F_CODICE");
  EXPECT_EQ(lk->Caption(), Value("Elenco anagrafiche contribuenti"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_AnagContribuente"));
  auto h = f24_testing::headings(lk->ColonneLookup());
  ASSERT_EQ(h.size(), 48u);
  EXPECT_EQ(h[0], "Codice anagrafica");
  EXPECT_EQ(h[20], "C/C predefinito");
  EXPECT_EQ(h[35], "Firmatario: Titolo");
  EXPECT_EQ(h[47], "Firmatario: Percorso file da ricevere");

  lk->CodAzienda = Value(int32_t{5});
  lk->AnagContribuente();
  EXPECT_EQ(
      f24_testing::sql_of(*lk),
      body + " WHERE    ISNULL(CG1F_DITTA_CG18,5) = 5 ORDER BY CG1F_DITTA_CG18 DESC, CG1F_CODICE");
  lk->AnagContribuente(Value("CG1F_RAGSOC"));
  EXPECT_EQ(f24_testing::sql_of(*lk),
            body + " WHERE    ISNULL(CG1F_DITTA_CG18,5) = 5 ORDER BY CG1F_RAGSOC");
  lk->AnagContribuente(Value::null());
  EXPECT_EQ(f24_testing::sql_of(*lk), body + " WHERE    ISNULL(CG1F_DITTA_CG18,5) = 5 ORDER BY ");

  // A blank company is present; a Null one writes no WHERE but keeps the company order.
  lk->CodAzienda = Value(" ");
  lk->AnagContribuente(Value(""));
  EXPECT_EQ(
      f24_testing::sql_of(*lk),
      body + " WHERE    ISNULL(CG1F_DITTA_CG18, ) =   ORDER BY CG1F_DITTA_CG18 DESC, CG1F_CODICE");
  lk->CodAzienda = Value::null();
  lk->AnagContribuente();
  EXPECT_EQ(f24_testing::sql_of(*lk), body + " ORDER BY CG1F_DITTA_CG18 DESC, CG1F_CODICE");
  lk->CodAzienda = Value("");
  call_method(*lk, "AnagContribuente", {Value("CG1F_RAGSOC")});
  EXPECT_EQ(f24_testing::sql_of(*lk), body + " ORDER BY CG1F_RAGSOC");
}

TEST(F24Taxpayer, TranslationsInTextOrderAndLiteralsUntouched) {
  auto lk = make_object<CLSCG_LOOKUP>();
  auto host = f24_testing::numbered_host();
  lk->ActiveInterface = host;
  lk->AnagContribuente();
  EXPECT_EQ(f24_testing::sql_of(*lk), anag_body(Words{true}) + " ORDER BY CG1F_CODICE");
  EXPECT_EQ(host->translate_calls(), 29);

  // A host whose translator fails leaves every word in Italian.
  host::RecordingHostConfig c;
  c.fail.insert("Translate");
  lk->ActiveInterface = f24_testing::make_host(c);
  lk->AnagContribuente();
  EXPECT_EQ(f24_testing::sql_of(*lk), anag_body() + " ORDER BY CG1F_CODICE");
}

TEST(F24TaxCodes, SectionAndOrdering) {
  auto lk = make_object<CLSCG_LOOKUP>();
  const std::string body = tributo_body();
  for (const Value& none : {Value(int32_t{0}), Value(), Value::null(), Value("  "), Value("0")}) {
    lk->Tributo(none);
    EXPECT_EQ(f24_testing::sql_of(*lk), body + " ORDER BY CG0F_INDSEZIONE");
  }
  lk->Tributo(Value(int16_t{2}));
  EXPECT_EQ(f24_testing::sql_of(*lk),
            body + " WHERE   CG0F_INDSEZIONE = 2 ORDER BY CG0F_INDSEZIONE");
  lk->Tributo(Value(" 2"), Value("CG0F_CODTRIBUTO"));
  EXPECT_EQ(f24_testing::sql_of(*lk),
            body + " WHERE   CG0F_INDSEZIONE =  2 ORDER BY CG0F_CODTRIBUTO");
  lk->Tributo(Value(int32_t{1}), Value::null());
  EXPECT_EQ(f24_testing::sql_of(*lk), body + " WHERE   CG0F_INDSEZIONE = 1 ORDER BY ");
  EXPECT_EQ(lk->Caption(), Value("Elenco tributi e causali INPS"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_Tributi"));
  auto h = f24_testing::headings(lk->ColonneLookup());
  ASSERT_EQ(h.size(), 18u);
  EXPECT_EQ(h[3], "Codice 1\u00b0 periodo");
  EXPECT_EQ(h[17], "Ind. num. rate");

  lk->ActiveInterface = f24_testing::numbered_host();
  call_method(*lk, "Tributo", {Value(int32_t{3})});
  EXPECT_EQ(f24_testing::sql_of(*lk),
            tributo_body(Words{true}) + " WHERE   CG0F_INDSEZIONE = 3 ORDER BY CG0F_INDSEZIONE");
  EXPECT_THROW(call_method(*lk, "Tributo", {}), Error);  // Sezione is required
}

TEST(F24Dispatches, TaxpayerFilterAndOrdering) {
  auto lk = make_object<CLSCG_LOOKUP>();
  const std::string body = spedizione_body();
  lk->SpedizioneRBKF24();
  EXPECT_EQ(f24_testing::sql_of(*lk), body + " ORDER BY CG5F_NUMSPEDIZIONE");
  EXPECT_EQ(lk->Caption(), Value("Elenco spedizioni Remote Banking F24"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_SpedizioneRBKF24"));
  EXPECT_EQ(
      f24_testing::headings(lk->ColonneLookup()),
      (std::vector<std::string>{"Numero spedizione", "Cod. contribuente", "Ragione sociale", "Mese",
                                "Anno", "Periodo", "Nome supporto", "Data spedizione",
                                "Numero deleghe inviate", "Banca proponente", "Banca passiva"}));

  lk->SpedizioneRBKF24(Value::missing(), Value(int32_t{15}));
  EXPECT_EQ(f24_testing::sql_of(*lk),
            body + " WHERE CG5F_CODICE_CG1F = 15 ORDER BY CG5F_NUMSPEDIZIONE");
  // Passed but empty: the default text; a Null or blank order takes the default too.
  lk->SpedizioneRBKF24(Value::null(), Value());
  EXPECT_EQ(f24_testing::sql_of(*lk),
            body + " WHERE CG5F_CODICE_CG1F = CG5F_CODCONTRIBUENTE ORDER BY CG5F_NUMSPEDIZIONE");
  call_method(*lk, "SpedizioneRBKF24", {Value("  "), Value::null()});
  EXPECT_EQ(f24_testing::sql_of(*lk),
            body + " WHERE CG5F_CODICE_CG1F = CG5F_CODCONTRIBUENTE ORDER BY CG5F_NUMSPEDIZIONE");
  call_method(*lk, "SpedizioneRBKF24", {Value("CG5F_ANNO DESC")});
  EXPECT_EQ(f24_testing::sql_of(*lk), body + " ORDER BY CG5F_ANNO DESC");

  lk->ActiveInterface = f24_testing::numbered_host();
  lk->SpedizioneRBKF24();
  EXPECT_EQ(f24_testing::sql_of(*lk),
            spedizione_body(Words{true}) + " ORDER BY CG5F_NUMSPEDIZIONE");
}

TEST(F24BankAccounts, PartyAndOrdering) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->ContiCorrenti(Value(), TipoSoggettoF24::Firmatario);
  EXPECT_EQ(f24_testing::sql_of(*lk),
            conti_correnti("Si", "0", "2", "CG7F_PREDEFINITO DESC, CG7F_NUMCC"));
  EXPECT_EQ(lk->Caption(), Value("Elenco conti correnti"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_ContiCorrenti"));
  EXPECT_EQ(f24_testing::headings(lk->ColonneLookup()),
            (std::vector<std::string>{"Codice", "Descrizione", "ABI", "CAB", "Numero C/C", "CIN",
                                      "Predefinito"}));
  lk->ContiCorrenti(Value("C01"), TipoSoggettoF24::Contribuente, Value::null());
  EXPECT_EQ(f24_testing::sql_of(*lk), conti_correnti("Si", "C01", "0", ""));

  lk->ActiveInterface = f24_testing::numbered_host();
  call_method(*lk, "ContiCorrenti", {Value(int32_t{7}), Value(int32_t{1}), Value("CG7F_NUMCC")});
  EXPECT_EQ(f24_testing::sql_of(*lk), conti_correnti("Si#1", "7", "1", "CG7F_NUMCC"));
}

}  // namespace
}  // namespace lema
