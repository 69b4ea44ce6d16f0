// Customer/supplier decode: its statement and binding table, and the name it reads over
// the instance's own connection (opened once, kept even when it could not be opened).
#include <gtest/gtest.h>

#include "automation/class_info.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "host/ado/connection.h"
#include "host/clock.h"
#include "support/databases.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

std::string statement_for(std::string_view ditta, std::string_view tipo, std::string_view clifor,
                          std::string_view date) {
  std::string d(date);
  return std::string(
             " SELECT  CG16_RAGSOANAG FROM    VCG16_ANAGRALLADATA WITH(NOLOCK) WHERE   "
             "CG44_DITTA_CG18 = ") +
         std::string(ditta) + "     AND CG44_TIPOCF = " + std::string(tipo) +
         "     AND CG44_CLIFOR = " + std::string(clifor) + "     AND '" + d +
         "' BETWEEN ISNULL(DATAINIZIOVALIDITA, '" + d + "') AND ISNULL(DATAFINEVALIDITA, '" + d +
         "')";
}

// A database with the customer fixture, and its connection string on `backend`.
std::string customer_db(testing::Backend backend = testing::Backend::Sqlite) {
  std::string url = testing::url_for(backend, testing::fresh_db_path());
  auto db = make_object<ado::Connection>();
  db->Open(Value(url));
  for (const auto& s : testing::customer_fixture()) db->Execute(s);
  return url;
}

Date day(int y, int m, int d) {
  return *Date::from_civil(y, m, d);
}

TEST(CustomerDecode, StatementAndTableWithoutAConnection) {
  auto dc = make_object<CLSCG_DECODE>();
  ObjectRef control = host::make_control("txtName");
  Value r = dc->ClienteFornitore(Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{123}),
                                 Value(day(2024, 6, 30)), "", control);
  EXPECT_EQ(r, Value(""));
  EXPECT_EQ(to_text(dc->StringaSQL()), statement_for("5", "0", "123", "20240630"));
  const Array& table = dc->ColonneDiDecodifica().as_array();
  EXPECT_EQ(table.ubound(0), 0);
  EXPECT_EQ(table.ubound(1), 1);
  EXPECT_EQ(table.at(0, 0), Value(control));
  EXPECT_EQ(table.at(0, 1), Value("CG16_RAGSOANAG"));

  // Without a control the earlier table stays; empty codes place 0; a rejected date ''.
  r = dc->ClienteFornitore(Value(), Value("  "), Value::null(), Value("31/02/2024"), "   ");
  EXPECT_EQ(r, Value(""));
  EXPECT_EQ(to_text(dc->StringaSQL()), statement_for("0", "0", "0", ""));
  EXPECT_EQ(dc->ColonneDiDecodifica().as_array().at(0, 0), Value(control));
}

TEST(CustomerDecode, DateDefaultsToToday) {
  host::pin_today(day(2023, 5, 2));
  auto dc = make_object<CLSCG_DECODE>();
  dc->ClienteFornitore(Value(int32_t{5}), Value(int32_t{1}), Value("A1"));
  host::pin_today(std::nullopt);
  EXPECT_EQ(to_text(dc->StringaSQL()), statement_for("5", "1", "A1", "20230502"));
}

class CustomerDecodeOn : public ::testing::TestWithParam<testing::Backend> {};

TEST_P(CustomerDecodeOn, ReturnsTheNameValidAtTheDate) {
  const std::string url = customer_db(GetParam());
  auto dc = make_object<CLSCG_DECODE>();
  std::vector<Value> args{Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{123}),
                          Value(day(2023, 12, 31)), Value(url)};
  EXPECT_EQ(call_method(*dc, "ClienteFornitore", args), Value("Rossi Mario"));
  args[3] = Value("2024-01-01");
  EXPECT_EQ(call_method(*dc, "ClienteFornitore", args), Value("Rossi Mario S.r.l."));
  // A registry row without a name gives Null; no row gives "".
  EXPECT_TRUE(dc->ClienteFornitore(Value(int32_t{5}), Value(int32_t{1}), Value(int32_t{123}),
                                   Value(day(2024, 1, 1)), url)
                  .is_null());
  EXPECT_EQ(dc->ClienteFornitore(Value(int32_t{6}), Value(int32_t{0}), Value(int32_t{123}),
                                 Value(day(2024, 1, 1)), url),
            Value(""));
}

INSTANTIATE_TEST_SUITE_P(Backends, CustomerDecodeOn,
                         ::testing::Values(testing::Backend::Sqlite, testing::Backend::Odbc),
                         [](const auto& p) { return testing::backend_name(p.param); });

TEST(CustomerDecode, TheFirstConnectionIsKeptWhateverComesLater) {
  const std::string first = customer_db(), second = customer_db();
  {
    auto db = make_object<ado::Connection>();
    db->Open(Value(second));
    db->Execute("UPDATE VCG16_ANAGRALLADATA SET CG16_RAGSOANAG = 'Second database'");
  }
  auto dc = make_object<CLSCG_DECODE>();
  const Value when(day(2024, 3, 1));
  EXPECT_EQ(
      dc->ClienteFornitore(Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{123}), when, first),
      Value("Rossi Mario S.r.l."));
  EXPECT_EQ(
      dc->ClienteFornitore(Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{123}), when, second),
      Value("Rossi Mario S.r.l."));
  // A fresh instance opens the string it is given.
  auto other = make_object<CLSCG_DECODE>();
  EXPECT_EQ(other->ClienteFornitore(Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{123}), when,
                                    second),
            Value("Second database"));
}

TEST(CustomerDecode, AConnectionThatCannotBeOpenedStaysAndIsNotRetried) {
  auto dc = make_object<CLSCG_DECODE>();
  const Value when(day(2024, 3, 1));
  const std::string unopenable =
      "sqlite3://db=" + testing::scratch_dir().string() + "/no/such/dir/x.db";
  EXPECT_EQ(dc->ClienteFornitore(Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{123}), when,
                                 unopenable),
            Value(""));
  EXPECT_EQ(dc->ClienteFornitore(Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{123}), when,
                                 customer_db()),
            Value(""));
  EXPECT_EQ(to_text(dc->StringaSQL()), statement_for("5", "0", "123", "20240301"));

  // A statement that fails on the database (no such view) leaves "" as well.
  auto empty = make_object<CLSCG_DECODE>();
  EXPECT_EQ(empty->ClienteFornitore(Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{123}), when,
                                    "sqlite3://db=:memory:"),
            Value(""));
  // A code that cannot be joined keeps the previous statement, which then runs.
  const std::string url = customer_db();
  auto dc2 = make_object<CLSCG_DECODE>();
  dc2->ClienteFornitore(Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{123}), when);
  EXPECT_EQ(dc2->ClienteFornitore(Value(Array::matrix(1, 1)), Value(int32_t{0}), Value(int32_t{9}),
                                  when, url),
            Value("Rossi Mario S.r.l."));
}

}  // namespace
}  // namespace lema
