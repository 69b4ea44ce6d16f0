// The decode object: value rules, the single-control family, the currency and the
// intercompany-database decodes, and the member table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "decode/detail/simple_decode.h"
#include "decode_support.h"
#include "host/date_text_converter.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

using testing_support::DecodeFixture;
using Decode = DecodeFixture;

Value D(int y, int m, int d) {
  return Value(*Date::from_civil(y, m, d));
}

TEST(DecodeRules, ValueOrDefault) {
  const Value def("D");
  EXPECT_EQ(value_or_default(Value("  "), def), def);
  EXPECT_EQ(value_or_default(Value(), def), def);
  EXPECT_EQ(value_or_default(Value::null(), def), def);
  EXPECT_EQ(value_or_default(Value(" A "), def), Value(" A "));
  EXPECT_EQ(value_or_default(Value(int32_t{0}), def), Value(int32_t{0}));
}

TEST(DecodeRules, FixedWidthCodeCountsCharactersNotBytes) {
  auto code = [](const Value& v, int16_t n = 4) { return detail::CodiceLarghezzaFissa(v, n); };
  EXPECT_EQ(code(Value(" 12")), "12  ");
  EXPECT_EQ(code(Value("ABCDEF")), "ABCD");
  EXPECT_EQ(code(Value()), "    ");
  EXPECT_EQ(code(Value::null()), "    ");
  EXPECT_EQ(code(Value("   ")), "    ");
  EXPECT_EQ(code(Value(int32_t{7})), "7   ");
  EXPECT_EQ(code(Value("é")), "é   ");      // one character, three blanks
  EXPECT_EQ(code(Value("àèìòù")), "àèìò");  // four characters, eight bytes
  EXPECT_EQ(code(Value(" €x ")), "€x  ");
  EXPECT_EQ(code(Value("AB"), 0), "");
  EXPECT_THROW(code(Value::nothing()), Error);
}

TEST_F(Decode, DateTextThroughTheConverter) {
  EXPECT_EQ(host::sql_date_text(D(2024, 3, 15)), Value("20240315"));
  EXPECT_EQ(host::sql_date_text(Value("31/12/2023")), Value("20231231"));
  EXPECT_TRUE(host::sql_date_text(Value("not a date")).is_null());
  EXPECT_TRUE(host::sql_date_text(Value()).is_null());
}

TEST_F(Decode, OutputsStartEmptyAndTheClassIsCreatedByName) {
  EXPECT_TRUE(d->StringaSQL().is_empty());
  EXPECT_TRUE(d->ColonneDiDecodifica().is_empty());
  EXPECT_FALSE(d->ActiveInterface);
  ObjectRef byname = create_object("LEMA_LOOKUPDECODE.CLSCG_DECODE");
  ASSERT_TRUE(byname);
  EXPECT_TRUE(get_property(*byname, "StringaSQL").is_empty());
  EXPECT_TRUE(get_property(*byname, "ActiveInterface").is_object());
}

// One case of the single-control family, called by name (which reaches the typed
// method): the arguments after the control, the expected column and statement.
struct SimpleCase {
  const char* method;
  std::vector<Value> args;
  const char* column;
  std::string expected;
};

std::vector<SimpleCase> simple_cases() {
  const Value E, N = Value::null();
  return {
      {"AttivitàISTAT",
       {Value("A1")},
       "CG06_DESCR",
       "SELECT CG06_DESCR FROM CG06_TABATTISTAT WITH (NOLOCK) WHERE CG06_CODICE = 'A1'"},
      {"AttivitàISTAT",
       {N},
       "CG06_DESCR",
       "SELECT CG06_DESCR FROM CG06_TABATTISTAT WITH (NOLOCK) WHERE CG06_CODICE = ''"},
      {"ContiCliFor",
       {Value(int32_t{5}), E, Value("C1")},
       "CG16_RAGSOANAG",
       "SELECT CG16_RAGSOANAG FROM CG44_CLIFOR WITH (NOLOCK) INNER JOIN "
       " CG16_ANAGGEN WITH (NOLOCK) ON "
       " CG44_CODICE_CG16 = CG16_CODICE "
       " WHERE CG44_DITTA_CG18 = 5"
       " AND CG44_TIPOCF = "
       " AND CG44_CLIFOR = C1"},
      {"RiclassificazionePdC",
       {Value(int32_t{12})},
       "CG21_DESCR",
       "SELECT CG21_DESCR FROM CG21_DESBILCEE WITH (NOLOCK) WHERE CG21_CODICE = 12"},
      {"RiclassificazioneBilancioCEE",
       {Value("B1"), Value(int32_t{7})},
       "CG23_DESCR",
       "SELECT CG23_DESCR FROM CG23_RICLBILCEE WITH (NOLOCK) WHERE CG23_CODICE = 7"
       " AND CG23_CODICE_CG21 = 'B1'"},
      {"GruppoCespiti",
       {Value("  ")},
       "CG14_DESCR",
       "SELECT CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) WHERE CG14_GRUPPO = 0"
       " AND CG14_SPECIE = '0' AND CG14_SOTTOSPEC = 0"},
      {"GruppoCespiti",
       {Value("  5")},
       "CG14_DESCR",
       "SELECT CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) WHERE CG14_GRUPPO =   5"
       " AND CG14_SPECIE = '0' AND CG14_SOTTOSPEC = 0"},
      {"SpecieCespiti",
       {Value(int32_t{3}), N},
       "CG14_DESCR",
       "SELECT CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) WHERE CG14_GRUPPO = 3"
       " AND CG14_SPECIE = '' AND CG14_SOTTOSPEC = 0"},
      {"SottoSpecieCespiti",
       {E, Value("A"), Value("")},
       "CG14_DESCR",
       "SELECT CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) WHERE CG14_GRUPPO = 0"
       " AND CG14_SPECIE = 'A' AND CG14_SOTTOSPEC = 0"},
      {"SottoSpecieCespiti",
       {Value(int32_t{1}), Value("02"), Value(int32_t{4})},
       "CG14_DESCR",
       "SELECT CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) WHERE CG14_GRUPPO = 1"
       " AND CG14_SPECIE = '02' AND CG14_SOTTOSPEC = 4"},
      {"ContiImmobilizzi",
       {Value(int32_t{2}), Value("X9")},
       "CG22_DESCR",
       "SELECT CG22_DESCR FROM CG22_CONTICESPITI WITH (NOLOCK) WHERE CG22_CODICE = X9"
       " AND CG22_GRUPPO_CG10 = 2"},
      {"Ubicazioni",
       {Value(int32_t{3}), Value(int32_t{12})},
       "CS05_DESCR",
       "SELECT CS05_DESCR FROM FNCS05_UBICAZIONE(12, 3)"},
      // The company replacement runs after the code's, over the whole text.
      {"Ubicazioni",
       {Value("D9"), Value("<DITTA>")},
       "CS05_DESCR",
       "SELECT CS05_DESCR FROM FNCS05_UBICAZIONE(D9, D9)"},
      {"Tributo",
       {E, Value(" 12")},
       "CG0F_DESCR",
       "SELECT CG0F_DESCR FROM CG0F_CODTRIBUTI WITH (NOLOCK) "
       " WHERE CG0F_INDSEZIONE = 0"
       " AND CG0F_CODTRIBUTO = '12  '"},
      {"TributoExt",
       {Value(int32_t{1}), Value("ABCDEF")},
       "CG0F_DESCREXT",
       "SELECT CG0F_DESCREXT FROM CG0F_CODTRIBUTI WITH (NOLOCK) "
       " WHERE CG0F_INDSEZIONE = 1"
       " AND CG0F_CODTRIBUTO = 'ABCD'"},
      {"BeneUsato",
       {N, Value(int32_t{44})},
       "CGM0_DESCR",
       "SELECT CGM0_DESCR"
       " FROM   CGM0_ANAGBENIUSATI WITH (NOLOCK)"
       " WHERE  CGM0_DITTA_CG18 = 0"
       " AND    CGM0_CODICE = 44"},
      {"DeducibilitàCespiti",
       {E},
       "CS07_DESCRIZIONE",
       " SELECT   CASE WHEN CS07_DESCRIZIONE = '' THEN 'Totalmente deducibile' ELSE CS07_DESCRIZIONE END CS07_DESCRIZIONE"
       " FROM     CS07_ANAGDEDUCIBILITA WITH(NOLOCK)"
       " WHERE    CS07_IDDEDUCIBILITA = 0"},
      {"LetteraIntento",
       {Value(int32_t{9})},
       "RIFLETINT",
       " SELECT CASE WHEN MG28_TIPOCF_CG44 = 0"
       "             THEN MG28_NUMLETDICH"
       "             ELSE CAST(MG28_NUMNSPROT AS NVARCHAR(10))"
       "        END AS RIFLETINT"
       " FROM MG28_CLIFORINT WITH (NOLOCK)"
       " WHERE MG28_ID = 9"},
      {"IFRS15_Tipo",
       {Value(int32_t{1})},
       "IF01_DESCRIZIONE",
       " SELECT IF01_DESCRIZIONE"
       " FROM IF01_TIPI WITH (NOLOCK)"
       " WHERE IF01_IDTIPO = 1"},
      {"IFRS15_Operativita",
       {Value("  ")},
       "IF02_DESCRIZIONE",
       " SELECT IF02_DESCRIZIONE"
       " FROM IF02_OPERATIVITA WITH (NOLOCK)"
       " WHERE IF02_IDOPERATIVITA = 0"},
      {"IFRS15_Natura",
       {Value(int32_t{3})},
       "IF03_DESCRIZIONE",
       " SELECT IF03_DESCRIZIONE"
       " FROM IF03_NATURE WITH (NOLOCK)"
       " WHERE IF03_IDNATURA = 3"},
      {"IFRS15_ClassificazioneArticolo",
       {Value(int32_t{4})},
       "IF04_DESCRIZIONE",
       " SELECT IF04_DESCRIZIONE"
       " FROM IF04_CLASSIFICAZIONI WITH (NOLOCK)"
       " WHERE IF04_IDCLASSIFICAZIONE = 4"
       " AND IF04_INDCLASS = 1"},
      {"IFRS15_ClassificazioneCliente",
       {N},
       "IF04_DESCRIZIONE",
       " SELECT IF04_DESCRIZIONE"
       " FROM IF04_CLASSIFICAZIONI WITH (NOLOCK)"
       " WHERE IF04_IDCLASSIFICAZIONE = 0"
       " AND IF04_INDCLASS = 2"},
  };
}

TEST_F(Decode, SingleControlFamilyByName) {
  for (const SimpleCase& c : simple_cases()) {
    SCOPED_TRACE(std::string(c.method) + " -> " + c.expected);
    std::vector<Value> args{Value(txt)};
    args.insert(args.end(), c.args.begin(), c.args.end());
    call_method(*d, c.method, std::span<Value>(args));
    EXPECT_EQ(sql(), c.expected);
    EXPECT_EQ(d->ColonneDiDecodifica(), one_row(c.column));
    EXPECT_EQ(args[0], Value(txt));  // arguments go by value
  }
}

TEST_F(Decode, WithoutAControlTheTableStillHasItsRow) {
  call("GruppoCespiti", {Value::nothing(), Value(int32_t{2})});
  EXPECT_EQ(d->ColonneDiDecodifica(), table({{Value::nothing(), "CG14_DESCR"}}));
  d->IFRS15_Tipo(ObjectRef(), Value(int32_t{1}));
  const Value& cell = d->ColonneDiDecodifica().as_array().at(0, 0);
  EXPECT_TRUE(cell.is_object());
  EXPECT_FALSE(cell.as_object());
}

TEST_F(Decode, AFailingStepKeepsWhatItWouldHaveSet) {
  d->GruppoCespiti(txt, Value(int32_t{2}));
  const std::string before = sql();
  // An object cannot be joined into the statement: the table is replaced, the statement kept.
  d->AttivitàISTAT(txt2, Value(txt3));
  EXPECT_EQ(sql(), before);
  EXPECT_EQ(d->ColonneDiDecodifica(), table({{Value(txt2), "CG06_DESCR"}}));
  // Null has no text to put in place of the code.
  d->Ubicazioni(txt, Value(int32_t{1}), Value::null());
  EXPECT_EQ(sql(), before);
  d->Tributo(txt, Value(int32_t{1}), Value(Array::matrix(1, 1)));
  EXPECT_EQ(sql(), before);
}

TEST_F(Decode, CurrencyBindsOnlyTheControlsPassed) {
  const char* kHead =
      "SELECT CG08_SIGLA, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) WHERE CG08_CODICE = '";
  d->Valute(Value("EU"), txt, txt2);
  EXPECT_EQ(sql(), std::string(kHead) + "EU  '");
  EXPECT_EQ(d->ColonneDiDecodifica(),
            table({{Value(txt), "CG08_SIGLA"}, {Value(txt2), "CG08_DESCR"}}));

  d->Valute(Value(), ObjectRef(), txt3);
  EXPECT_EQ(sql(), std::string(kHead) + "    '");
  EXPECT_EQ(d->ColonneDiDecodifica(), table({{Value(txt3), "CG08_DESCR"}}));

  call("Valute", {Value("EURO2"), Value(txt)});
  EXPECT_EQ(sql(), std::string(kHead) + "EURO'");
  EXPECT_EQ(d->ColonneDiDecodifica(), table({{Value(txt), "CG08_SIGLA"}}));

  call("Valute", {Value(" $ "), Value::missing(), Value(txt2)});
  EXPECT_EQ(sql(), std::string(kHead) + "$   '");
  EXPECT_EQ(d->ColonneDiDecodifica(), table({{Value(txt2), "CG08_DESCR"}}));
}

TEST_F(Decode, CurrencyWithoutControlsChangesNothing) {
  d->BeneUsato(txt, Value(int32_t{1}), Value(int32_t{2}));
  const Value sql_before = d->StringaSQL(), table_before = d->ColonneDiDecodifica();
  d->Valute(Value("EUR"));
  call("Valute", {Value("EUR")});
  call("Valute", {Value("EUR"), Value::nothing(), Value::nothing()});
  EXPECT_EQ(d->StringaSQL(), sql_before);
  EXPECT_EQ(d->ColonneDiDecodifica(), table_before);

  auto fresh = make_object<CLSCG_DECODE>();
  fresh->Valute(Value("EUR"));
  EXPECT_TRUE(fresh->StringaSQL().is_empty());
  EXPECT_TRUE(fresh->ColonneDiDecodifica().is_empty());
}

TEST_F(Decode, IntercompanyDatabaseAlwaysBindsTwoRows) {
  call("DatabaseIntercompany", {Value(txt), Value(txt2), Value()});
  EXPECT_EQ(sql(),
            " SELECT CGB1_DATABASE, CGB1_FLGAGGIORNAMENTO"
            " FROM CGB1_DATABASEINFRAGRUPPO WITH(NOLOCK)"
            " WHERE CGB1_CODICE = 0");
  const Array& t = d->ColonneDiDecodifica().as_array();
  EXPECT_EQ(t.lbound(0), 0);
  EXPECT_EQ(t.ubound(0), 1);
  EXPECT_EQ(t.lbound(1), 0);
  EXPECT_EQ(t.ubound(1), 1);
  EXPECT_EQ(d->ColonneDiDecodifica(),
            table({{Value(txt), "CGB1_DATABASE"}, {Value(txt2), "CGB1_FLGAGGIORNAMENTO"}}));

  d->DatabaseIntercompany(txt, ObjectRef(), Value(" 7"));
  EXPECT_EQ(sql(),
            " SELECT CGB1_DATABASE, CGB1_FLGAGGIORNAMENTO"
            " FROM CGB1_DATABASEINFRAGRUPPO WITH(NOLOCK)"
            " WHERE CGB1_CODICE =  7");
  EXPECT_EQ(d->ColonneDiDecodifica(),
            table({{Value(txt), "CGB1_DATABASE"}, {Value::nothing(), "CGB1_FLGAGGIORNAMENTO"}}));
}

TEST(DecodeMembers, SlotOrderAndAccessors) {
  const std::vector<std::pair<std::string, std::string>> want = {
      {"StringaSQL", "G"},
      {"ColonneDiDecodifica", "G"},
      {"Valute", "method"},
      {"AttivitàISTAT", "method"},
      {"ContiCliFor", "method"},
      {"ClienteFornitore", "method"},
      {"RiclassificazionePdC", "method"},
      {"GruppoCespiti", "method"},
      {"SpecieCespiti", "method"},
      {"RiclassificazioneBilancioCEE", "method"},
      {"ContiImmobilizzi", "method"},
      {"SottoSpecieCespiti", "method"},
      {"Cespiti", "method"},
      {"Ubicazioni", "method"},
      {"CausaliContabili", "method"},
      {"Tributo", "method"},
      {"BeneUsato", "method"},
      {"AziendaIntercompany", "method"},
      {"ContiCorrenti", "method"},
      {"DeducibilitàCespiti", "method"},
      {"ModalitaErogazione", "method"},
      {"ModalitaIncasso", "method"},
      {"Servizio", "method"},
      {"CausaliPagEff", "method"},
      {"CampoDecodificaCespitiSottoSpecie", "GS"},
      {"CampoDecodificaCespitiCodImmobilizzo", "GS"},
      {"Anno_Nomenclatura", "GL"},
      {"TributoExt", "method"},
      {"DatabaseIntercompany", "method"},
      {"DataStrutturaIntercompany", "GLS"},
      {"ActiveInterface", "GS"},
      {"CategorieStampa", "method"},
      {"LetteraIntento", "method"},
      {"IFRS15_Tipo", "method"},
      {"IFRS15_Operativita", "method"},
      {"IFRS15_Natura", "method"},
      {"IFRS15_ClassificazioneArticolo", "method"},
      {"IFRS15_ClassificazioneCliente", "method"},
  };
  std::vector<std::pair<std::string, std::string>> got;
  for (const Member& m : CLSCG_DECODE::static_class_info().members())
    got.emplace_back(std::string(m.name), m.kind_letters());
  // The customer/supplier decode is built separately; every other member must be there.
  std::vector<std::pair<std::string, std::string>> expected;
  for (const auto& w : want)
    if (w.first != "ClienteFornitore" || CLSCG_DECODE::static_class_info().find("ClienteFornitore"))
      expected.push_back(w);
  EXPECT_EQ(got, expected);
}

}  // namespace
}  // namespace lema
