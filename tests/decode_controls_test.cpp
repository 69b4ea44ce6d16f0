// Decodes that bind several optional controls: bank accounts and fixed assets.
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
using DecodeControls = DecodeFixture;

const Value M = Value::missing();
const Value N = Value::nothing();

TEST_F(DecodeControls, BankAccountsSelectOnlyTheBoundColumnsById) {
  d->ContiCorrenti(Value(int32_t{7}), M, M, M, txt, {}, {}, {}, txt2);
  EXPECT_EQ(sql(),
            " SELECT  CG7F_DESCRIZIONE, CG7F_NUMCC"
            " FROM    CG7F_CONTICORRENTI WITH (NOLOCK)"
            " WHERE CG7F_IDCONTOCORRENTE = 7");
  EXPECT_EQ(d->ColonneDiDecodifica(),
            table({{Value(txt), "CG7F_DESCRIZIONE"}, {Value(txt2), "CG7F_NUMCC"}}));
  const std::string first = sql();
  d->ContiCorrenti(Value(int32_t{7}), M, M, M, txt, {}, {}, {}, txt2);
  EXPECT_EQ(sql(), first);

  // The id wins over the other keys; passed as Empty it still counts and gives 0.
  call("ContiCorrenti",
       {Value(), Value(int32_t{1}), Value(int32_t{2}), Value(int32_t{3}), N, Value(txt)});
  EXPECT_EQ(sql(),
            " SELECT  CG7F_IDCONTOCORRENTE"
            " FROM    CG7F_CONTICORRENTI WITH (NOLOCK)"
            " WHERE CG7F_IDCONTOCORRENTE = 0");
  EXPECT_EQ(d->ColonneDiDecodifica(), table({{Value(txt), "CG7F_IDCONTOCORRENTE"}}));
}

TEST_F(DecodeControls, BankAccountKeysPassedOrMissing) {
  const char* kHead =
      " SELECT  CG7F_CIN"
      " FROM    CG7F_CONTICORRENTI WITH (NOLOCK)";
  d->ContiCorrenti(M, M, M, M, {}, {}, {}, {}, {}, {}, {}, {}, txt);
  EXPECT_EQ(sql(), std::string(kHead) + " WHERE 0 = 1");

  // Any of the three keys missing names no account.
  d->ContiCorrenti(M, Value(int32_t{1}), Value(int32_t{2}), M, {}, {}, {}, {}, {}, {}, {}, {}, txt);
  EXPECT_EQ(sql(), std::string(kHead) + " WHERE 0 = 1");
  call("ContiCorrenti",
       {M, M, Value(int32_t{2}), Value(int32_t{3}), N, N, N, N, N, N, N, N, Value(txt)});
  EXPECT_EQ(sql(), std::string(kHead) + " WHERE 0 = 1");

  // All three passed, even empty: the three-key filter, 0 for the empty ones.
  call("ContiCorrenti",
       {M, Value(), Value::null(), Value("  "), N, N, N, N, N, N, N, N, Value(txt)});
  EXPECT_EQ(sql(), std::string(kHead) +
                       " WHERE   CG7F_CONTRIBUENTE_CG1F = 0"
                       "         AND CG7F_INDSOGGETTO = 0"
                       "         AND CG7F_NUMCC = 0");
  d->ContiCorrenti(M, Value("C1"), Value(int32_t{2}), Value("IT60X"), {}, {}, {}, {}, {}, {}, {},
                   {}, txt);
  EXPECT_EQ(sql(), std::string(kHead) +
                       " WHERE   CG7F_CONTRIBUENTE_CG1F = C1"
                       "         AND CG7F_INDSOGGETTO = 2"
                       "         AND CG7F_NUMCC = IT60X");
}

TEST_F(DecodeControls, BankAccountsWithEveryControlInTableOrder) {
  std::vector<ObjectRef> c;
  for (int i = 0; i < 10; ++i) c.push_back(host::make_control("c" + std::to_string(i)));
  d->ContiCorrenti(Value(int32_t{1}), M, M, M, c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8],
                   c[9]);
  EXPECT_EQ(sql(),
            " SELECT  CG7F_DESCRIZIONE, CG7F_IDCONTOCORRENTE, CG7F_CONTRIBUENTE_CG1F, "
            "CG7F_INDSOGGETTO, CG7F_NUMCC, CG7F_CONTOCORRENTE, CG7F_ABI_CG13, CG7F_CAB_CG13, "
            "CG7F_CIN, CG7F_PREDEFINITO"
            " FROM    CG7F_CONTICORRENTI WITH (NOLOCK)"
            " WHERE CG7F_IDCONTOCORRENTE = 1");
  EXPECT_EQ(d->ColonneDiDecodifica(), table({{Value(c[0]), "CG7F_DESCRIZIONE"},
                                             {Value(c[1]), "CG7F_IDCONTOCORRENTE"},
                                             {Value(c[2]), "CG7F_CONTRIBUENTE_CG1F"},
                                             {Value(c[3]), "CG7F_INDSOGGETTO"},
                                             {Value(c[4]), "CG7F_NUMCC"},
                                             {Value(c[5]), "CG7F_CONTOCORRENTE"},
                                             {Value(c[6]), "CG7F_ABI_CG13"},
                                             {Value(c[7]), "CG7F_CAB_CG13"},
                                             {Value(c[8]), "CG7F_CIN"},
                                             {Value(c[9]), "CG7F_PREDEFINITO"}}));
}

TEST_F(DecodeControls, BankAccountsWithoutControlsChangeNothing) {
  d->GruppoCespiti(txt, Value(int32_t{1}));
  const Value sql_before = d->StringaSQL(), table_before = d->ColonneDiDecodifica();
  d->ContiCorrenti(Value(int32_t{7}));
  call("ContiCorrenti", {});
  call("ContiCorrenti", {Value(int32_t{7}), M, M, M, N, N, N, N, N, N, N, N, N, N});
  EXPECT_EQ(d->StringaSQL(), sql_before);
  EXPECT_EQ(d->ColonneDiDecodifica(), table_before);
}

TEST_F(DecodeControls, AssetsBindTheExtraControlsThatAreSet) {
  const std::string kSql =
      " SELECT CS04_DESCR,\r"
      "        CS04_SOTTOSPEC_CG14,\r"
      "        CS04_CODICE_CG22\r"
      " FROM   CS04_ANAGCESPITE WITH(NOLOCK)\r"
      " WHERE  CS04_DITTA_CG18 = 3\r"
      "   AND  CS04_CESPITE = 0\r";
  d->Cespiti(txt, Value(int32_t{3}), Value());
  EXPECT_EQ(sql(), kSql);
  EXPECT_EQ(d->ColonneDiDecodifica(), table({{Value(txt), "CS04_DESCR"}}));

  set_property(*d, "CampoDecodificaCespitiSottoSpecie", Value(txt2));
  set_property(*d, "CampoDecodificaCespitiCodImmobilizzo", Value(txt3));
  call("Cespiti", {Value(txt), Value(int32_t{3}), Value::null()});
  EXPECT_EQ(sql(), kSql);
  EXPECT_EQ(d->ColonneDiDecodifica(), table({{Value(txt), "CS04_DESCR"},
                                             {Value(txt2), "CS04_SOTTOSPEC_CG14"},
                                             {Value(txt3), "CS04_CODICE_CG22"}}));

  d->CampoDecodificaCespitiSottoSpecie.reset();
  d->Cespiti(txt, Value(" "), Value("  12"));
  EXPECT_EQ(sql(),
            " SELECT CS04_DESCR,\r"
            "        CS04_SOTTOSPEC_CG14,\r"
            "        CS04_CODICE_CG22\r"
            " FROM   CS04_ANAGCESPITE WITH(NOLOCK)\r"
            " WHERE  CS04_DITTA_CG18 = 0\r"
            "   AND  CS04_CESPITE =   12\r");
  EXPECT_EQ(d->ColonneDiDecodifica(),
            table({{Value(txt), "CS04_DESCR"}, {Value(txt3), "CS04_CODICE_CG22"}}));
}

TEST_F(DecodeControls, AssetsWithoutTheMainControlLeaveItsCellEmpty) {
  call("Cespiti", {N, Value(int32_t{1}), Value(int32_t{2})});
  const Array& t = d->ColonneDiDecodifica().as_array();
  EXPECT_EQ(t.ubound(0), 0);
  EXPECT_TRUE(t.at(0, 0).is_empty());
  EXPECT_EQ(t.at(0, 1), Value("CS04_DESCR"));

  d->CampoDecodificaCespitiSottoSpecie = txt2;
  d->Cespiti(ObjectRef(), Value(int32_t{1}), Value(int32_t{2}));
  EXPECT_EQ(d->ColonneDiDecodifica(),
            table({{Value(), "CS04_DESCR"}, {Value(txt2), "CS04_SOTTOSPEC_CG14"}}));
}

}  // namespace
}  // namespace lema
