// The data-access layer against each backend: SQLite directly and SQLite through unixODBC.
#include <gtest/gtest.h>

#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"
#include "host/ado/connection.h"
#include "host/ado/recordset.h"
#include "support/databases.h"

namespace lema {
namespace {

using ado::Connection;
using ado::Recordset;
using testing::Backend;

Date day(int y, int m, int d, int hh = 0, int mi = 0, int ss = 0) {
  return *Date::from_civil(y, m, d, hh, mi, ss);
}

ErrorCode code_of(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.code();
  }
  return ErrorCode{0};
}

class DataAccess : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    url_ = testing::url_for(GetParam(), testing::fresh_db_path());
    db_ = make_object<Connection>();
    db_->Open(Value(url_));
  }
  void run(const std::vector<std::string>& sql) {
    for (const auto& s : sql) db_->Execute(s);
  }
  std::string url_;
  Ref<Connection> db_;
};

TEST_P(DataAccess, ValuesKeepTheirKind) {
  run({"CREATE TABLE T (I INTEGER, D DOUBLE, S VARCHAR(20), DT DATE, TS DATETIME)",
       "INSERT INTO T VALUES (42, 2.5, 'àbc', '2024-03-15', '2024-03-15 10:30:00')",
       "INSERT INTO T VALUES (NULL, NULL, NULL, NULL, NULL)"});
  Ref<Recordset> rs = db_->Execute("SELECT I, D, S, DT, TS FROM T ORDER BY I DESC");
  ASSERT_EQ(rs->State(), ado::adStateOpen);
  EXPECT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->field(0).type, ado::adInteger);
  EXPECT_EQ(rs->field(1).type, ado::adDouble);
  EXPECT_EQ(rs->field(2).type, ado::adVarWChar);
  EXPECT_EQ(rs->field(2).defined_size, 3);  // the longest text, in characters
  EXPECT_EQ(rs->field(3).type, ado::adDBTimeStamp);
  EXPECT_EQ(rs->value("I"), Value(int32_t{42}));
  EXPECT_EQ(rs->value("D"), Value(2.5));
  EXPECT_EQ(rs->value("s"), Value("àbc"));
  EXPECT_EQ(rs->value("DT"), Value(day(2024, 3, 15)));
  EXPECT_EQ(rs->value("TS"), Value(day(2024, 3, 15, 10, 30)));
  rs->MoveNext();
  for (int32_t i = 0; i < 5; ++i) EXPECT_TRUE(rs->value(i).is_null()) << i;
  rs->MoveNext();
  EXPECT_TRUE(rs->IsEOF());
  EXPECT_EQ(code_of([&] { rs->value(0); }), ado::kNoCurrentRecord);
  EXPECT_EQ(code_of([&] { rs->MoveNext(); }), ado::kNoCurrentRecord);
}

TEST_P(DataAccess, EmptyResultsCountZeroAndCommandsReportTheirRows) {
  run({"CREATE TABLE T (A INTEGER)"});
  Ref<Recordset> rs = db_->Execute("SELECT A FROM T");
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_TRUE(rs->IsEOF());
  EXPECT_TRUE(rs->IsBOF());
  EXPECT_EQ(rs->field_count(), 1);
  EXPECT_EQ(code_of([&] { rs->MoveFirst(); }), ado::kNoCurrentRecord);

  Value affected;
  Ref<Recordset> none = db_->Execute("INSERT INTO T VALUES (1)", &affected);
  EXPECT_EQ(none->State(), ado::adStateClosed);
  EXPECT_EQ(affected, Value(int32_t{1}));
  db_->Execute("INSERT INTO T VALUES (2)");
  EXPECT_FALSE(
      db_->Execute("UPDATE T SET A = A + 1", &affected, ado::adCmdText | ado::adExecuteNoRecords));
  EXPECT_EQ(affected, Value(int32_t{2}));
  db_->Execute("SELECT A FROM T", &affected);
  EXPECT_EQ(affected, Value(int32_t{-1}));
}

TEST_P(DataAccess, FailuresRaise) {
  EXPECT_EQ(code_of([&] { db_->Execute(""); }), static_cast<ErrorCode>(-2147217908));
  EXPECT_EQ(code_of([&] { db_->Execute("  \r\n "); }), static_cast<ErrorCode>(-2147217908));
  EXPECT_EQ(code_of([&] { db_->Execute("SELECT FROM WHERE"); }), ErrorCode::DataAccess);
  EXPECT_EQ(code_of([&] { db_->Execute("SELECT * FROM NO_SUCH_TABLE"); }), ErrorCode::DataAccess);
  EXPECT_EQ(code_of([&] { db_->Open(Value(url_)); }), ado::kObjectOpen);
  EXPECT_EQ(code_of([&] { db_->SetConnectionString("x"); }), ado::kObjectOpen);
  db_->Close();
  EXPECT_EQ(db_->State(), ado::adStateClosed);
  EXPECT_EQ(code_of([&] { db_->Execute("SELECT 1"); }), ado::kConnectionUnusable);
  EXPECT_EQ(code_of([&] { db_->Close(); }), ado::kObjectClosed);

  auto bad = make_object<Connection>();
  const std::string missing_dir = testing::scratch_dir().string() + "/no/such/dir/x.db";
  EXPECT_EQ(code_of([&] { bad->Open(Value(testing::url_for(GetParam(), missing_dir))); }),
            ErrorCode::DataAccess);
  EXPECT_EQ(bad->State(), ado::adStateClosed);
}

TEST_P(DataAccess, ByNameMembers) {
  run({"CREATE TABLE T (N INTEGER, NAME VARCHAR(20))", "INSERT INTO T VALUES (1, 'uno')",
       "INSERT INTO T VALUES (2, 'due')"});
  Object& c = *db_;
  EXPECT_EQ(get_property(c, "State"), Value(ado::adStateOpen));
  EXPECT_EQ(get_property(c, "ConnectionString"), Value(url_));
  let_property(c, "CursorLocation", Value(ado::adUseClient));
  EXPECT_EQ(db_->CursorLocation, ado::adUseClient);

  std::vector<Value> args{Value("SELECT N, NAME FROM T ORDER BY N"), Value(),
                          Value(ado::adCmdText)};
  ObjectRef rs = to_object(call_method(c, "Execute", args));
  EXPECT_EQ(args[1], Value(int32_t{-1}));  // RecordsAffected comes back by reference
  EXPECT_EQ(get_property(*rs, "RecordCount"), Value(int32_t{2}));
  ObjectRef fields = to_object(get_property(*rs, "Fields"));
  EXPECT_EQ(get_property(*fields, "Count"), Value(int32_t{2}));
  ObjectRef name = to_object(call_method(*fields, "Item", {Value("NAME")}));
  ObjectRef first = to_object(call_method(*fields, "Item", {Value(int32_t{0})}));
  EXPECT_EQ(get_property(*first, "Name"), Value("N"));
  EXPECT_EQ(get_property(*name, "Type"), Value(ado::adVarWChar));
  call_method(*rs, "MoveFirst");
  EXPECT_EQ(get_property(*name, "Value"), Value("uno"));
  call_method(*rs, "MoveNext");
  EXPECT_EQ(get_property(*name, "Value"), Value("due"));  // a Field follows the current row
  call_method(*rs, "MoveNext");
  EXPECT_EQ(get_property(*rs, "EOF"), Value(true));
  EXPECT_THROW(call_method(*fields, "Item", {Value("NOPE")}), Error);
  EXPECT_THROW(let_property(*name, "Value", Value("x")), Error);  // rows read are read-only
  call_method(*rs, "Close");
  EXPECT_EQ(get_property(*rs, "State"), Value(ado::adStateClosed));
  call_method(c, "Close");
  EXPECT_EQ(get_property(c, "State"), Value(ado::adStateClosed));
  call_method(c, "Open", {Value(url_), Value(""), Value(""), Value(int32_t{-1})});
  EXPECT_EQ(db_->State(), ado::adStateOpen);
}

TEST_P(DataAccess, StatementsInSqlServerDialectRun) {
  run({"CREATE TABLE T (K INTEGER, V VARCHAR(10))", "INSERT INTO T VALUES (1, NULL)",
       "INSERT INTO T VALUES (2, 'b')", "INSERT INTO T VALUES (3, 'c')"});
  Ref<Recordset> rs = db_->Execute(
      "SELECT TOP 2 K, ISNULL(V, 'none') AS V, (SELECT TOP(1) K FROM T T2 WITH(NOLOCK) "
      "ORDER BY K DESC) AS MAXK FROM T WITH (NOLOCK) ORDER BY K");
  ASSERT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->value("V"), Value("none"));
  EXPECT_EQ(to_long(rs->value("MAXK")), 3);
}

TEST_P(DataAccess, RecordsetOpenedOnASourceHoldsItsRows) {
  run({"CREATE TABLE T (A INTEGER)", "INSERT INTO T VALUES (7)"});
  auto rs = make_object<Recordset>();
  rs->Open(Value("SELECT A FROM T"), Value(ObjectRef(db_)));
  EXPECT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->value("A"), Value(int32_t{7}));
}

INSTANTIATE_TEST_SUITE_P(Backends, DataAccess, ::testing::Values(Backend::Sqlite, Backend::Odbc),
                         [](const auto& p) { return testing::backend_name(p.param); });

}  // namespace
}  // namespace lema
