// The lookup object's contract: results, defaults, private procedures, the currency list
// and the VAT-code list obtained from the sibling lookup.
#include <gtest/gtest.h>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "host/date_text_converter.h"
#include "host/host_framework.h"
#include "lookup/clscg_lookup.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

using host::RecordingHost;
using host::RecordingHostConfig;
using host::StandInBoard;
using host::TextLog;

Value table(std::initializer_list<const char*> headings) {
  Array a = Array::matrix(static_cast<int32_t>(headings.size()), 2);
  int32_t c = 0;
  for (const char* h : headings) {
    a.at(c, 0) = Value(h);
    a.at(c++, 1) = Value("");
  }
  return Value(std::move(a));
}

TEST(LookupFrame, StartsEmptyWithItsDefaults) {
  auto lk = make_object<CLSCG_LOOKUP>();
  EXPECT_TRUE(lk->Caption().is_empty());
  EXPECT_TRUE(lk->StringaSQL().is_empty());
  EXPECT_TRUE(lk->ColonneLookup().is_empty());
  EXPECT_TRUE(get_property(*lk, "Caption").is_empty());
  EXPECT_EQ(get_property(*lk, "ActiveInterface"), Value::nothing());
  EXPECT_EQ(get_property(*lk, "TipologiaSezionale"), Value(int32_t{0}));
  EXPECT_EQ(get_property(*lk, "CespitiNonFigli"), Value(false));
  EXPECT_EQ(get_property(*lk, "IncludiCausaliConGestioneSezionali"), Value(false));
  EXPECT_EQ(get_property(*lk, "Anno_Nomenclatura"), Value(int16_t{0}));
  EXPECT_EQ(get_property(*lk, "sCategoriaStampa_Cod"), Value(""));
}

TEST(LookupFrame, ValuteIsStableAcrossCallsAndByName) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->Valute();
  const Value sql = lk->StringaSQL();
  EXPECT_EQ(sql, Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));
  EXPECT_EQ(lk->Caption(), Value("Elenco valute"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_Valute"));
  EXPECT_EQ(lk->ColonneLookup(), table({"Codice", "Descrizione"}));
  call_method(*lk, "Valute");
  EXPECT_EQ(get_property(*lk, "StringaSQL"), sql);
  EXPECT_EQ(get_property(*lk, "ColonneLookup"), table({"Codice", "Descrizione"}));
  // The table handed out is a copy: changing it does not change the next call's result.
  Value copy = lk->ColonneLookup();
  copy.as_array_mut().at(0, 0) = Value("changed");
  lk->Valute();
  EXPECT_EQ(lk->ColonneLookup(), table({"Codice", "Descrizione"}));
}

TEST(LookupFrame, ValoreODefaultAndDataPerSQL) {
  EXPECT_EQ(value_or_default(Value("  "), Value("D")), Value("D"));
  EXPECT_EQ(value_or_default(Value(" A "), Value("D")), Value(" A "));
  EXPECT_EQ(value_or_default(Value(int32_t{0}), Value("D")), Value(int32_t{0}));
  EXPECT_EQ(value_or_default(Value::null(), Value("D")), Value("D"));
  EXPECT_EQ(value_or_default(Value(), Value("D")), Value("D"));
  auto lk = make_object<CLSCG_LOOKUP>();
  EXPECT_EQ(host::sql_date_text(Value(*Date::from_civil(2024, 3, 15))), Value("20240315"));
  EXPECT_EQ(host::sql_date_text(Value("15/03/2024")), Value("20240315"));
  EXPECT_TRUE(host::sql_date_text(Value("31/02/2024")).is_null());
  EXPECT_TRUE(host::sql_date_text(Value("abc")).is_null());
  EXPECT_TRUE(host::sql_date_text(Value()).is_null());
  {
    // A converter that cannot be created gives Null as well.
    ScopedClass gone("DateTextConverter", []() -> ObjectRef { raise(ErrorCode::Host, "no"); });
    EXPECT_TRUE(host::sql_date_text(Value("2024-03-15")).is_null());
  }
}

TEST(LookupFrame, TraduciUsesTheHostAndFallsBackOnTheText) {
  auto log = std::make_shared<TextLog>();
  auto lk = make_object<CLSCG_LOOKUP>();
  auto traduci = [&](std::string_view text) {
    std::string out;
    host::translate_or_keep(lk->ActiveInterface, text, out);
    return out;
  };
  EXPECT_EQ(traduci("Acquisti"), "Acquisti");
  RecordingHostConfig cfg;
  cfg.translation = RecordingHostConfig::Translation::Prefix;
  cfg.prefix = "EN:";
  lk->ActiveInterface = make_object<RecordingHost>(cfg, log);
  EXPECT_EQ(traduci("Acquisti"), "EN:Acquisti");
  cfg.fail.insert("Translate");
  lk->ActiveInterface = make_object<RecordingHost>(cfg, log);
  EXPECT_EQ(traduci("Acquisti"), "Acquisti");
}

struct SiblingFixture : ::testing::Test {
  std::shared_ptr<TextLog> log = std::make_shared<TextLog>();
  std::shared_ptr<StandInBoard> board = std::make_shared<StandInBoard>(log);
  std::vector<std::unique_ptr<ScopedClass>> installed = board->install();
};

TEST_F(SiblingFixture, CodiciIvaDrivesTheSiblingInOrderAndCopiesItsOutputs) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->CodiciIva();
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CodiciIVA"));
  EXPECT_EQ(lk->Caption(), Value("Elenco codici IVA"));
  EXPECT_EQ(
      lk->StringaSQL(),
      Value(
          "SELECT CG28_CODICE, CG28_DESCR, CG28_ALIQUOTA FROM CG28_TABIVA WITH (NOLOCK) ORDER BY CG28_CODICE"));
  EXPECT_EQ(lk->ColonneLookup().as_array().ubound(0), 2);
  const std::vector<std::string> want{
      "PIRO_LOOKUPDECODE.CLSCO_LOOKUP#1 create",
      "PIRO_LOOKUPDECODE.CLSCO_LOOKUP#1 set ActiveInterface = Nothing",
      "PIRO_LOOKUPDECODE.CLSCO_LOOKUP#1 let FiltroStringaSQL = ",
      "PIRO_LOOKUPDECODE.CLSCO_LOOKUP#1 call AliquoteIVA = Empty ()",
      "PIRO_LOOKUPDECODE.CLSCO_LOOKUP#1 get StringaSQL = SELECT CG28_CODICE, CG28_DESCR, CG28_ALIQUOTA "
      "FROM CG28_TABIVA WITH (NOLOCK) ORDER BY CG28_CODICE",
      "PIRO_LOOKUPDECODE.CLSCO_LOOKUP#1 get ArrayFields = Array",
      "PIRO_LOOKUPDECODE.CLSCO_LOOKUP#1 get Titolo = Elenco codici IVA",
      "PIRO_LOOKUPDECODE.CLSCO_LOOKUP#1 release",
  };
  EXPECT_EQ(log->lines, want);
}

TEST_F(SiblingFixture, CodiciIvaPassesTheFilterUnchangedByName) {
  auto lk = make_object<CLSCG_LOOKUP>();
  std::vector<Value> args{Value("CG28_ALIQUOTA > 0")};
  call_method(*lk, "CodiciIva", args);
  EXPECT_EQ(args[0], Value("CG28_ALIQUOTA > 0"));
  EXPECT_EQ(lk->StringaSQL(),
            Value("SELECT CG28_CODICE, CG28_DESCR, CG28_ALIQUOTA FROM CG28_TABIVA WITH "
                  "(NOLOCK) WHERE CG28_ALIQUOTA > 0 ORDER BY CG28_CODICE"));
}

TEST_F(SiblingFixture, CodiciIvaKeepsOutputsWhenTheSiblingIsAbsentOrFails) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->Valute();
  board->config(host::kSiblingLookup).absent = true;
  lk->CodiciIva();
  EXPECT_EQ(lk->Caption(), Value("Elenco valute"));
  EXPECT_EQ(lk->StringaSQL(),
            Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CodiciIVA"));

  board->config(host::kSiblingLookup).absent = false;
  board->config(host::kSiblingLookup).fail.insert("ArrayFields");
  lk->Valute();
  lk->CodiciIva();
  EXPECT_EQ(lk->Caption(), Value("Elenco codici IVA"));  // the steps after the failure ran
  EXPECT_EQ(lk->ColonneLookup(),
            table({"Codice", "Descrizione"}));  // the failing one kept its value
}

TEST(LookupFrame, UnregisteredSiblingIsNotFaked) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->CodiciIva();
  EXPECT_TRUE(lk->StringaSQL().is_empty());
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CodiciIVA"));
}

TEST(DateTextConverter, AcceptsTheUsualFormsAndRejectsImpossibleDates) {
  host::DateTextConverter c;
  for (const char* ok :
       {"2024-03-15", "2024-03-15 10:30", "2024-03-15T10:30:00", "15/03/2024", "20240315"}) {
    c.SetText(ok);
    EXPECT_EQ(c.ErrorNumber(), 0) << ok;
    EXPECT_EQ(c.SqlDateText(), "20240315") << ok;
  }
  for (const char* bad :
       {"31/02/2024", "abc", "", "2023-02-29", "2024-13-01", "2024-03-15 25:00"}) {
    c.SetText(bad);
    EXPECT_NE(c.ErrorNumber(), 0) << bad;
  }
  c.SetText("2024-02-29");
  EXPECT_EQ(c.ErrorNumber(), 0);
}

}  // namespace
}  // namespace lema
