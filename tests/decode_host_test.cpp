// Decodes that depend on the host (language, company) or on a setting of the decode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/class_info.h"
#include "decode/clscg_decode.h"
#include "decode_support.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

using testing_support::DecodeFixture;
using DecodeHost = DecodeFixture;

host::RecordingHostConfig host_with(Value language, Value company,
                                    std::set<std::string, host::CaseInsensitiveLess> fail = {}) {
  host::RecordingHostConfig c;
  c.language = std::move(language);
  c.company = std::move(company);
  c.fail = std::move(fail);
  return c;
}

std::string reasons(const std::string& language, const std::string& code) {
  return " SELECT          CG0L_DESCRIZIONE AS CG33_DESCR"
         " FROM            CG33_TABCAU WITH(NOLOCK)"
         " LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK)"
         "              ON CG0L_CODLINGUA_MG52 = '" +
         language +
         "'"
         "             AND CG0L_PROVID = 5"
         "             AND CG0L_IDPROV = CG33_IDPROV"
         " WHERE           CG33_CODICE = '" +
         code + "'";
}

TEST_F(DecodeHost, LedgerReasonsInTheUsersLanguage) {
  d->CausaliContabili(txt, Value("V01"));
  EXPECT_EQ(sql(), reasons("ITA ", "V01"));
  EXPECT_EQ(d->ColonneDiDecodifica(), one_row("CG33_DESCR"));

  use_host(host_with(Value("ENG"), Value(int32_t{3})));
  call("CausaliContabili", {Value(txt2), Value::null()});
  EXPECT_EQ(sql(), reasons("ENG", ""));
  EXPECT_EQ(d->ColonneDiDecodifica(), table({{Value(txt2), "CG33_DESCR"}}));
  // Only the language is asked, once.
  EXPECT_EQ(log->lines, std::vector<std::string>{"host get LanguageCode = ENG"});

  use_host(host_with(Value("ENG"), Value(int32_t{3}), {"LanguageCode"}));
  d->CausaliContabili(txt, Value(int32_t{12}));
  EXPECT_EQ(sql(), reasons("ITA ", "12"));
  use_host(host_with(Value::null(), Value(int32_t{3})));
  d->CausaliContabili(txt, Value(int32_t{12}));
  EXPECT_EQ(sql(), reasons("ITA ", "12"));
}

TEST_F(DecodeHost, PaymentMethodTemplatesTakeCodeAndCompany) {
  d->ModalitaErogazione(txt, Value("A1"));
  EXPECT_EQ(sql(), "SELECT IN03_DESCR FROM FNIN03_MODEROGAZIONE('A1', 0)");
  EXPECT_EQ(d->ColonneDiDecodifica(), one_row("IN03_DESCR"));
  call("ModalitaIncasso", {Value(txt), Value()});
  EXPECT_EQ(sql(), "SELECT IN04_DESCR FROM FNIN04_MODINCASSO('', 0)");
  EXPECT_EQ(d->ColonneDiDecodifica(), one_row("IN04_DESCR"));

  use_host(host_with(Value("ITA"), Value(int32_t{5})));
  d->ModalitaIncasso(txt, Value(" B "));
  EXPECT_EQ(sql(), "SELECT IN04_DESCR FROM FNIN04_MODINCASSO(' B ', 5)");
  EXPECT_EQ(log->lines, std::vector<std::string>{"host get CompanyCode = 5"});
  // The company replacement runs over the whole text, the quoted code included.
  d->ModalitaErogazione(txt, Value("<DITTA>"));
  EXPECT_EQ(sql(), "SELECT IN03_DESCR FROM FNIN03_MODEROGAZIONE('5', 5)");

  use_host(host_with(Value("ITA"), Value(int32_t{5}), {"CompanyCode"}));
  d->ModalitaErogazione(txt, Value("A1"));
  EXPECT_EQ(sql(), "SELECT IN03_DESCR FROM FNIN03_MODEROGAZIONE('A1', 0)");
  use_host(host_with(Value("ITA"), Value("  ")));
  d->ModalitaErogazione(txt, Value("A1"));
  EXPECT_EQ(sql(), "SELECT IN03_DESCR FROM FNIN03_MODEROGAZIONE('A1', 0)");
}

std::string service_by_year(const std::string& language, const std::string& code,
                            const std::string& year) {
  return "SELECT CG0L_DESCRIZIONE AS CG72_DESCR \r\n"
         "  FROM CG72_NOMENCLATURE WITH (NOLOCK) \r\n"
         " LEFT OUTER JOIN CG0L_DESLINGUA WITH (NOLOCK) \r\n"
         "  ON CG0L_PROVID = 11 \r\n"
         "  AND CG0L_CODLINGUA_MG52 = '" +
         language +
         "'\r\n"
         "  AND CG0L_IDPROV = CG72_CNKEY \r\n"
         " WHERE CG72_CODICE = '" +
         code +
         "'\r\n"
         " AND CG72_INDTIPO = 1 \r\n"
         " AND CG72_ANNO = \r\n"
         "   (SELECT MAX(CG72_ANNO) FROM CG72_NOMENCLATURE WITH (NOLOCK) \r\n"
         "     WHERE CG72_ANNO <= " +
         year +
         "\r\n"
         "      AND CG72_INDTIPO = 1 )";
}

std::string service_latest(const std::string& language, const std::string& code) {
  return "SELECT TOP(1) CG0L_DESCRIZIONE AS CG72_DESCR \r\n"
         " FROM CG72_NOMENCLATURE WITH (NOLOCK) \r\n"
         " LEFT OUTER JOIN CG0L_DESLINGUA WITH (NOLOCK) \r\n"
         "  ON CG0L_PROVID = 11 \r\n"
         "  AND CG0L_IDPROV = CG72_CNKEY \r\n"
         "  AND CG0L_CODLINGUA_MG52 = '" +
         language +
         "'\r\n"
         "  WHERE  CG72_CODICE = '" +
         code +
         "'\r\n"
         "  AND  CG72_INDTIPO = 1";
}

TEST_F(DecodeHost, ServiceByNomenclatureYear) {
  d->Servizio(txt, Value("S1"));
  EXPECT_EQ(sql(), service_latest("ITA", "S1"));
  EXPECT_EQ(d->ColonneDiDecodifica(), one_row("CG72_DESCR"));

  let_property(*d, "Anno_Nomenclatura", Value(int32_t{2020}));
  call("Servizio", {Value(txt), Value::null()});
  EXPECT_EQ(sql(), service_by_year("ITA", "", "2020"));

  use_host(host_with(Value("DEU"), Value(int32_t{1})));
  d->Anno_Nomenclatura = -1;
  d->Servizio(txt, Value(int32_t{99}));
  EXPECT_EQ(sql(), service_by_year("DEU", "99", "-1"));
  d->Anno_Nomenclatura = 0;
  d->Servizio(txt, Value("  "));
  EXPECT_EQ(sql(), service_latest("DEU", ""));
}

std::string categories(const std::string& language, const std::string& filter) {
  return "SELECT \r"
         "  CG0L_DESCRIZIONE AS CG0Z_DESCRIZIONE \r"
         "FROM CG0Z_CATEGORIESTP WITH(NOLOCK) \r"
         "LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK) \r"
         "             ON CG0L_CODLINGUA_MG52 = '" +
         language +
         "'\r"
         "            AND CG0L_PROVID = 14 \r"
         "            AND CG0L_IDPROV = CG0Z_ID "
         "WHERE 1=1 \r" +
         filter;
}

TEST_F(DecodeHost, PrintCategoriesByIdentityOrByCode) {
  d->CategorieStampa(txt, Value(int32_t{0}));
  EXPECT_EQ(sql(), categories("ITA ", "  AND CG0Z_ID = 0"));
  EXPECT_EQ(d->ColonneDiDecodifica(), one_row("CG0Z_DESCRIZIONE"));
  call("CategorieStampa", {Value(txt), Value()});
  EXPECT_EQ(sql(), categories("ITA ", "  AND CG0Z_CATEGORIA = ''"));
  call("CategorieStampa", {Value(txt)});
  EXPECT_EQ(sql(), categories("ITA ", "  AND CG0Z_CATEGORIA = ''"));
  call("CategorieStampa", {Value(txt), Value::missing(), Value("CAT1")});
  EXPECT_EQ(sql(), categories("ITA ", "  AND CG0Z_CATEGORIA = 'CAT1'"));
  use_host(host_with(Value("FRA "), Value(int32_t{1})));
  d->CategorieStampa(txt, Value("  "), " X ");
  EXPECT_EQ(sql(), categories("FRA ", "  AND CG0Z_CATEGORIA = ' X '"));
  d->CategorieStampa(txt, Value(" 12"), "X");
  EXPECT_EQ(sql(), categories("FRA ", "  AND CG0Z_ID =  12"));
}

TEST_F(DecodeHost, IntercompanyCompanyWithAndWithoutReferenceDate) {
  const std::string kUndated =
      " SELECT CGC0_DESCR"
      " FROM CGC0_STRUTINFRAGRUPPO WITH(NOLOCK)"
      " WHERE CGC0_CODICE = 4";
  d->AziendaIntercompany(txt, Value(int32_t{4}));
  EXPECT_EQ(sql(), kUndated);
  EXPECT_EQ(d->ColonneDiDecodifica(), one_row("CGC0_DESCR"));
  d->DataStrutturaIntercompany = Value("   ");
  d->AziendaIntercompany(txt, Value(int32_t{4}));
  EXPECT_EQ(sql(), kUndated);

  auto dated = [](const std::string& code, const std::string& date) {
    return " SELECT CGC0_DESCR"
           " FROM CGC0_STRUTINFRAGRUPPO WITH(NOLOCK)"
           " LEFT OUTER JOIN CGB0_CONFIGINFRAGRUPPO WITH(NOLOCK)"
           "   ON CGB0_CODICE_CGC0 = CGC0_CODICE"
           " WHERE CGC0_CODICE = " +
           code +
           "   AND CGB0_DATACONFIG = (SELECT MAX(CGB0.CGB0_DATACONFIG)\r"
           "                          FROM CGB0_CONFIGINFRAGRUPPO AS CGB0 WITH(NOLOCK)\r"
           "                          WHERE CGB0.CGB0_DATACONFIG <= '" +
           date +
           "'\r"
           "                          )\r";
  };
  let_property(*d, "DataStrutturaIntercompany", Value(*Date::from_civil(2024, 3, 15)));
  call("AziendaIntercompany", {Value(txt), Value()});
  EXPECT_EQ(sql(), dated("0", "20240315"));
  d->DataStrutturaIntercompany = Value("31/12/2023");
  d->AziendaIntercompany(txt, Value(int32_t{4}));
  EXPECT_EQ(sql(), dated("4", "20231231"));
  // Set but not a date: the join stays, the date text is empty.
  d->DataStrutturaIntercompany = Value("soon");
  d->AziendaIntercompany(txt, Value(int32_t{4}));
  EXPECT_EQ(sql(), dated("4", ""));
}

TEST_F(DecodeHost, PaymentReasonsByKind) {
  const std::string kPlain =
      "SELECT CGP0_DESCRIZIONE\r\n"
      " FROM CGP0_PAGEFFCAUSALI WITH (NOLOCK)\r\n"
      " WHERE CGP0_CAUSALE = R1";
  d->CausaliPagEff(txt, Value("R1"), Value(int32_t{5}));
  EXPECT_EQ(sql(), kPlain);
  EXPECT_EQ(d->ColonneDiDecodifica(), one_row("CGP0_DESCRIZIONE"));
  int16_t zero = 0;
  d->CausaliPagEff(txt, Value("R1"), Value(int32_t{5}), &zero);
  EXPECT_EQ(sql(), kPlain);

  const std::string kByKind =
      "SELECT CGP0_DESCRIZIONE\r\n"
      " FROM CGP0_PAGEFFCAUSALI WITH (NOLOCK)\r\n"
      " INNER JOIN CGP5_PAGEFFPARAM WITH (NOLOCK) ON CGP5_CAUSALE_CGP0 = CGP0_CAUSALE\r\n"
      " INNER JOIN CGP6_PAGEFFPARAMDITTA WITH (NOLOCK) ON CGP6_DITTA_CG18 = 5\r\n"
      "                                               AND CGP6_CAUSALE_CGP0 = CGP0_CAUSALE\r\n"
      " WHERE CGP0_CAUSALE = R1\r\n"
      "   AND CGP5_TIPOCAUSALE = 3\r\n"
      "   AND CGP6_INDPAGVALUTA = 0\r\n";
  int16_t kind = 3;
  d->CausaliPagEff(txt, Value("R1"), Value(int32_t{5}), &kind);
  EXPECT_EQ(sql(), kByKind);
  EXPECT_EQ(kind, 3);

  // By name the by-reference argument comes back as it went in.
  std::vector<Value> args{Value(txt2), Value("R1"), Value(int32_t{5}), Value(int16_t{3})};
  call_method(*d, "CausaliPagEff", std::span<Value>(args));
  EXPECT_EQ(sql(), kByKind);
  EXPECT_EQ(args[3], Value(int16_t{3}));
  EXPECT_EQ(d->ColonneDiDecodifica(), table({{Value(txt2), "CGP0_DESCRIZIONE"}}));
  call("CausaliPagEff", {Value(txt), Value("R1"), Value(int32_t{5})});
  EXPECT_EQ(sql(), kPlain);
}

TEST_F(DecodeHost, NoHostCallsWhenTheDecodeDoesNotNeedThem) {
  use_host(host_with(Value("ENG"), Value(int32_t{2})));
  d->Servizio(txt, Value("S"));
  d->CategorieStampa(txt, Value(int32_t{1}));
  d->AziendaIntercompany(txt, Value(int32_t{1}));
  d->CausaliPagEff(txt, Value(int32_t{1}), Value(int32_t{2}));
  d->GruppoCespiti(txt, Value(int32_t{1}));
  EXPECT_EQ(log->lines, (std::vector<std::string>{"host get LanguageCode = ENG",
                                                  "host get LanguageCode = ENG"}));
}

}  // namespace
}  // namespace lema
