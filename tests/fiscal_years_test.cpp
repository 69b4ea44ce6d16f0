// Fiscal-year lookups: the statement, the tables and the recordset read over a connection,
// on every path (rows, no rows, failing command, foreign connection objects).
#include <gtest/gtest.h>

#include <memory>

#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"
#include "host/ado/connection.h"
#include "host/ado/recordset.h"
#include "lookup/clscg_lookup.h"
#include "support/databases.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

using ado::Recordset;

std::string statement_for(std::string_view company) {
  return std::string(
             "SELECT CG19_ANNO, CG19_PROGESER, CG19_DATAAPE, CG19_DATACHIU, "
             " CASE WHEN CG19_FLGESERCOR = 0 THEN 'No' WHEN CG19_FLGESERCOR = 1 THEN 'Si' END AS CG19_FLGESERCOR,"
             " CASE WHEN CG19_FLGESERCHIUSO = 0 THEN 'No' WHEN CG19_FLGESERCHIUSO = 1 THEN 'Si' END AS CG19_FLGESERCHIUSO,"
             " CASE WHEN CG19_FLGGENCESP = 0 THEN 'No' WHEN CG19_FLGGENCESP = 1 THEN 'Si' END AS CG19_FLGGENCESP,"
             " CASE WHEN CG19_FLGGENRISC = 0 THEN 'No' WHEN CG19_FLGGENRISC = 1 THEN 'Si' END AS CG19_FLGGENRISC,"
             " CASE WHEN CG19_FLGADECBCLI = 0 THEN 'No' WHEN CG19_FLGADECBCLI = 1 THEN 'Si' END AS CG19_FLGADECBCLI,"
             " CASE WHEN CG19_FLGADECBATT = 0 THEN 'No' WHEN CG19_FLGADECBATT = 1 THEN 'Si' END AS CG19_FLGADECBATT,"
             " CASE WHEN CG19_FLGADECBFOR = 0 THEN 'No' WHEN CG19_FLGADECBFOR = 1 THEN 'Si' END AS CG19_FLGADECBFOR,"
             " CASE WHEN CG19_FLGADECBPAS = 0 THEN 'No' WHEN CG19_FLGADECBPAS = 1 THEN 'Si' END AS CG19_FLGADECBPAS"
             " FROM CG19_ANADITTAESER WITH (NOLOCK) "
             " WHERE CG19_DITTA_CG18 = ") +
         std::string(company) + " ORDER BY CG19_ANNO, CG19_PROGESER";
}

std::vector<std::string> headings(const Value& table) {
  std::vector<std::string> out;
  const Array& a = table.as_array();
  EXPECT_EQ(a.ubound(1), 1);
  for (int32_t c = 0; c <= a.ubound(0); ++c) {
    out.push_back(to_text(a.at(c, 0)));
    EXPECT_EQ(a.at(c, 1), Value("")) << c;
  }
  return out;
}

ObjectRef open_db(testing::Backend b = testing::Backend::Sqlite) {
  auto db = make_object<ado::Connection>();
  db->Open(Value(testing::url_for(b, testing::fresh_db_path())));
  for (const auto& s : testing::fiscal_year_fixture()) db->Execute(s);
  return ObjectRef(db);
}

Recordset* list_of(const CLSCG_LOOKUP& lk) {
  return dynamic_cast<Recordset*>(lk.LookupRecordset.get());
}

TEST(FiscalYearGrid, StatementTablesAndOutputs) {
  auto lk = make_object<CLSCG_LOOKUP>();
  ObjectRef none;
  lk->EserciziContabili_LKPGRID(none, Value(int32_t{12}));
  EXPECT_EQ(to_text(lk->StringaSQL()), statement_for("12"));
  EXPECT_EQ(
      headings(lk->ColonneLookup()),
      (std::vector<std::string>{"Esercizio", "Progressivo", "Inizio esercizio", "Fine esercizio",
                                "Corrente", "Chiuso", "Ammortamenti", "Risconti", "Cambi cli.",
                                "Cambi att.", "Cambi for.", "Cambi pas."}));
  EXPECT_EQ(lk->Caption(), Value("Elenco esercizi contabili"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_EserciziContabili"));
  EXPECT_FALSE(lk->LookupRecordset);

  // By name, with any connection: the text 12, an empty code, a decimal.
  call_method(*lk, "EserciziContabili_LKPGRID", {Value::nothing(), Value("12")});
  EXPECT_EQ(to_text(lk->StringaSQL()), statement_for("12"));
  ObjectRef db = open_db();
  lk->EserciziContabili_LKPGRID(db, Value());
  EXPECT_EQ(to_text(lk->StringaSQL()), statement_for("0"));
  lk->EserciziContabili_LKPGRID(db, Value("12.50"));
  EXPECT_EQ(to_text(lk->StringaSQL()), statement_for("12.5"));
}

TEST(FiscalYearGrid, CompanyCodeThatIsNoNumberKeepsThePreviousStatement) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->Valute();
  ObjectRef none;
  for (const Value& bad : {Value::null(), Value("abc")}) {
    lk->IDLookup = Value();
    lk->EserciziContabili_LKPGRID(none, bad);
    EXPECT_EQ(lk->StringaSQL(),
              Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));
    EXPECT_EQ(lk->Caption(), Value("Elenco esercizi contabili"));
    EXPECT_EQ(lk->ColonneLookup().as_array().ubound(0), 11);
    EXPECT_EQ(lk->IDLookup, Value("Lkp_EserciziContabili"));
  }
}

TEST(FiscalYearGrid, TranslatesNoThenSiForEachFlag) {
  host::RecordingHostConfig cfg;
  cfg.translation = host::RecordingHostConfig::Translation::Numbered;
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->ActiveInterface = ObjectRef(make_object<host::RecordingHost>(cfg, nullptr));
  ObjectRef none;
  lk->EserciziContabili_LKPGRID(none, Value(int32_t{1}));
  const std::string sql = to_text(lk->StringaSQL());
  EXPECT_NE(sql.find("CG19_FLGESERCOR = 0 THEN 'No#1' WHEN CG19_FLGESERCOR = 1 THEN 'Si#2' END"),
            std::string::npos);
  EXPECT_NE(
      sql.find("CG19_FLGADECBPAS = 0 THEN 'No#15' WHEN CG19_FLGADECBPAS = 1 THEN 'Si#16' END"),
      std::string::npos);
  EXPECT_EQ(sql.find("#17"), std::string::npos);
}

class FiscalYearList : public ::testing::TestWithParam<testing::Backend> {};

TEST_P(FiscalYearList, ReadsTheYearsIntoAnInMemoryList) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->Valute();
  ObjectRef db = open_db(GetParam());
  call_method(*lk, "EserciziContabili", {Value(db), Value(int32_t{12})});

  EXPECT_EQ(headings(lk->ColonneLookup()),
            (std::vector<std::string>{"Esercizio", "Inizio esercizio", "Fine esercizio", "Corrente",
                                      "Chiuso", "Ammortamenti", "Risconti", "Cambi cli.",
                                      "Cambi att.", "Cambi for.", "Cambi pas."}));
  EXPECT_EQ(lk->Caption(), Value("Elenco esercizi contabili"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_EserciziContabili"));
  EXPECT_EQ(lk->StringaSQL(),
            Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));

  Recordset* rs = list_of(*lk);
  ASSERT_NE(rs, nullptr);
  ASSERT_EQ(rs->field_count(), 11);
  const std::vector<std::tuple<std::string, int32_t, int32_t>> fields{
      {"ESER", 202, 7},        {"DATAIN", 133, 0},      {"DATAFI", 133, 0},
      {"CORRENTE", 130, 2},    {"CHIUSO", 130, 2},      {"AMMGEN", 130, 2},
      {"RISCGEN", 130, 2},     {"ADECBCLIGEN", 130, 2}, {"ADECBATTGEN", 130, 2},
      {"ADECBFORGEN", 130, 2}, {"ADECBPASGEN", 130, 2}};
  for (int32_t i = 0; i < 11; ++i) {
    EXPECT_EQ(rs->field(i).name, std::get<0>(fields[static_cast<size_t>(i)]));
    EXPECT_EQ(rs->field(i).type, std::get<1>(fields[static_cast<size_t>(i)]));
    EXPECT_EQ(rs->field(i).defined_size, std::get<2>(fields[static_cast<size_t>(i)]));
    EXPECT_EQ(rs->field(i).attributes, -1);
  }
  EXPECT_EQ(rs->CursorType, ado::adOpenStatic);
  EXPECT_EQ(rs->LockType, ado::adLockOptimistic);
  ASSERT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->position(), 1);  // left on the last row added
  const std::vector<Value> first{Value("0999/2"), Value(*Date::from_civil(999, 7, 1)),
                                 Value::null(),   Value("No"),
                                 Value("Si"),     Value("No"),
                                 Value("Si"),     Value("Si"),
                                 Value("No"),     Value("Si"),
                                 Value("No")};
  const std::vector<Value> second{Value("2024/12"),
                                  Value(*Date::from_civil(2024, 1, 1)),
                                  Value(*Date::from_civil(2024, 12, 31)),
                                  Value("Si"),
                                  Value("No"),
                                  Value("Si"),
                                  Value("No"),
                                  Value("No"),
                                  Value("No"),
                                  Value("No"),
                                  Value::null()};  // a flag other than 0 and 1 reads Null
  for (int32_t i = 0; i < 11; ++i) {
    EXPECT_EQ(rs->cell(0, i), first[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(rs->cell(1, i), second[static_cast<size_t>(i)]) << i;
  }
}

TEST_P(FiscalYearList, NoYearsOrAFailingCommandLeaveNoList) {
  auto lk = make_object<CLSCG_LOOKUP>();
  ObjectRef db = open_db(GetParam());
  lk->EserciziContabili(db, Value(int32_t{12}));
  ASSERT_TRUE(lk->LookupRecordset);
  lk->Valute();
  lk->IDLookup = Value("before");

  lk->EserciziContabili(db, Value(int32_t{99}));  // a company without fiscal years
  EXPECT_FALSE(lk->LookupRecordset);
  EXPECT_EQ(lk->IDLookup, Value("before"));
  EXPECT_EQ(lk->StringaSQL(),
            Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));
  EXPECT_EQ(lk->Caption(), Value("Elenco esercizi contabili"));
  EXPECT_EQ(lk->ColonneLookup().as_array().ubound(0), 10);

  auto refill = [&] {
    lk->EserciziContabili(db, Value(int32_t{3}));
    ASSERT_TRUE(lk->LookupRecordset);
  };
  refill();
  lk->EserciziContabili(db, Value("abc"));  // no statement: the empty command fails
  EXPECT_FALSE(lk->LookupRecordset);
  refill();
  ObjectRef none;
  lk->EserciziContabili(none, Value(int32_t{3}));
  EXPECT_FALSE(lk->LookupRecordset);
  refill();
  call_method(*db, "Close");
  lk->EserciziContabili(db, Value(int32_t{3}));
  EXPECT_FALSE(lk->LookupRecordset);
  EXPECT_EQ(lk->IDLookup, Value("Lkp_EserciziContabili"));  // from the last call that found rows
}

INSTANTIATE_TEST_SUITE_P(Backends, FiscalYearList,
                         ::testing::Values(testing::Backend::Sqlite, testing::Backend::Odbc),
                         [](const auto& p) { return testing::backend_name(p.param); });

// A connection and recordsets of another data layer, reached by member name only; its
// recordsets cannot count their rows (RecordCount -1).
class CountlessRecordset final : public Object {
 public:
  explicit CountlessRecordset(ObjectRef inner) : inner_(std::move(inner)) {}
  const ClassInfo& class_info() const override { return inner_->class_info(); }
  Value invoke(std::string_view member, InvokeKind kind, std::span<Value> args) override {
    if (member == "RecordCount") return Value(int32_t{-1});
    return inner_->invoke(member, kind, args);
  }

 private:
  ObjectRef inner_;
};

class ForeignConnection final : public Object {
 public:
  explicit ForeignConnection(ObjectRef inner) : inner_(std::move(inner)) {}
  const ClassInfo& class_info() const override { return inner_->class_info(); }
  Value invoke(std::string_view member, InvokeKind kind, std::span<Value> args) override {
    Value r = inner_->invoke(member, kind, args);
    if (member != "Execute") return r;
    return Value(ObjectRef(make_object<CountlessRecordset>(r.as_object())));
  }

 private:
  ObjectRef inner_;
};

TEST(FiscalYearListForeign, ConnectionsOfAnotherLayerAreUsedByName) {
  ObjectRef db(make_object<ForeignConnection>(open_db()));
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->EserciziContabili(db, Value(int32_t{12}));
  Recordset* rs = list_of(*lk);
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->cell(1, 0), Value("2024/12"));

  // No rows and no count: the loop ends at once and an empty, open list is handed over.
  lk->IDLookup = Value();
  lk->EserciziContabili(db, Value(int32_t{99}));
  rs = list_of(*lk);
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->State(), ado::adStateOpen);
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_EQ(lk->IDLookup, Value("Lkp_EserciziContabili"));
}

TEST(FiscalYearListForeign, TranslationsTooLongForTheFlagFieldsLeaveThemNull) {
  host::RecordingHostConfig cfg;
  cfg.translation = host::RecordingHostConfig::Translation::Prefix;
  cfg.prefix = "*";
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->ActiveInterface = ObjectRef(make_object<host::RecordingHost>(cfg, nullptr));
  ObjectRef db = open_db();
  lk->EserciziContabili(db, Value(int32_t{3}));
  Recordset* rs = list_of(*lk);
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->cell(0, 0), Value("2023/1"));
  EXPECT_TRUE(rs->cell(0, 3).is_null());  // "*Si" does not fit in two characters
}

}  // namespace
}  // namespace lema
