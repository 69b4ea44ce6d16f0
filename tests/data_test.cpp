// The data-access layer on each backend (SQLite directly and through unixODBC), the in-memory
// recordset, the SQLite dialect bridge and connection strings, and the three members that
// read a database: the fiscal-year list, the customer/supplier decode, the document query.
// (Equivalent mutants: the SQLite dialect flag's first value, always set by the session's
// constructor; the read-only LockType a loaded recordset is given, which a new recordset
// already has; PWD added to an ODBC string without a password, which the SQLite ODBC driver
// used here ignores.)
#include <gtest/gtest.h>

#include <cstdlib>

#include "automation/class_info.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "host/ado/connection.h"
#include "host/ado/connection_string.h"
#include "host/ado/dialect.h"
#include "host/ado/recordset.h"
#include "lookup/clscg_lookup.h"
#include "support/databases.h"
#include "support/document_query.h"
#include "support/errors.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

using ado::Connection;
using ado::Recordset;
using testing::Backend;
using testing_support::error_of;

Value day(int y, int m, int d, int hh = 0, int mi = 0) {
  return Value(*Date::from_civil(y, m, d, hh, mi));
}

class OnBackend : public ::testing::TestWithParam<Backend> {
 protected:
  // A database file with `sql` run on it, and its connection string.
  std::string database(const std::vector<std::string>& sql) {
    url = testing::url_for(GetParam(), testing::fresh_db_path());
    db = make_object<Connection>();
    db->Open(Value(url));
    for (const std::string& s : sql) db->Execute(s);
    return url;
  }
  std::string url;
  Ref<Connection> db;
};

TEST_P(OnBackend, ValuesKeepTheirKind) {
  database(
      {"CREATE TABLE T (I INTEGER, D DOUBLE, S VARCHAR(20), DT DATE, TS DATETIME, B BIGINT)",
       "INSERT INTO T VALUES (42, 2.5, 'àbc', '2024-03-15', '2024-03-15 10:30:00', 4294967296)",
       "INSERT INTO T VALUES (NULL, NULL, NULL, NULL, NULL, -5)"});
  Ref<Recordset> rs = db->Execute("SELECT I, D, S, DT, TS, B FROM T ORDER BY I DESC");
  EXPECT_EQ(rs->RecordCount(), 2);
  const std::tuple<int32_t, int32_t, Value> fields[] = {
      {ado::adInteger, 4, Value(int32_t{42})},
      {ado::adDouble, 8, Value(2.5)},
      {ado::adVarWChar, 3, Value("àbc")},
      {ado::adDBTimeStamp, 16, day(2024, 3, 15)},
      {ado::adDBTimeStamp, 16, day(2024, 3, 15, 10, 30)},
      {ado::adBigInt, 8, Value(*Decimal::parse("4294967296"))}};
  for (int32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(rs->field(i).type, std::get<0>(fields[i])) << i;
    EXPECT_EQ(rs->field(i).defined_size, std::get<1>(fields[i])) << i;
    EXPECT_EQ(rs->value(i), std::get<2>(fields[i])) << i;
  }
  EXPECT_EQ(rs->value("s"), Value("àbc"));
  rs->MoveNext();
  for (int32_t i = 0; i < 5; ++i) EXPECT_TRUE(rs->value(i).is_null()) << i;
  EXPECT_EQ(rs->value(5), Value(int32_t{-5}));
  rs->MoveNext();
  EXPECT_TRUE(rs->IsEOF());
  EXPECT_EQ(error_of([&] { rs->value(0); }),
            "3021 Either BOF or EOF is True, or the current record has been deleted.");
}

TEST_P(OnBackend, CommandsCountTheirRowsAndFailuresRaise) {
  database({"CREATE TABLE T (A INTEGER)"});
  Ref<Recordset> rs = db->Execute("SELECT A FROM T");
  EXPECT_EQ(rs->RecordCount(), 0);
  EXPECT_TRUE(rs->IsEOF() && rs->IsBOF());
  EXPECT_EQ(rs->position(), -1);
  EXPECT_EQ(error_of([&] { rs->MoveFirst(); }),
            "3021 Either BOF or EOF is True, or the current record has been deleted.");
  db->Execute("CREATE TABLE D (X DATE)");
  db->Execute("INSERT INTO D VALUES ('0050-01-01')");
  EXPECT_EQ(error_of([&] { db->Execute("SELECT X FROM D"); }),
            "3001 A date read from the database is out of range.");
  Value affected;
  EXPECT_EQ(db->Execute("INSERT INTO T VALUES (1)", &affected)->State(), ado::adStateClosed);
  EXPECT_EQ(affected, Value(int32_t{1}));
  db->Execute("INSERT INTO T VALUES (2)");
  EXPECT_FALSE(
      db->Execute("UPDATE T SET A = A + 1", &affected, ado::adCmdText | ado::adExecuteNoRecords));
  EXPECT_EQ(affected, Value(int32_t{2}));
  EXPECT_EQ(db->Execute("SELECT A FROM T", &affected, ado::adCmdUnknown)->RecordCount(), 2);
  EXPECT_EQ(affected, Value(int32_t{-1}));
  const std::pair<std::function<void()>, const char*> errors[] = {
      {[&] { db->Execute(" \r\n "); },
       "-2147217908 Command text was not set for the command object."},
      {[&] { db->Execute("T", nullptr, 4); }, "438 Only text commands are supported."},
      {[&] { db->Open(Value(url)); }, "3705 Operation is not allowed when the object is open."},
      {[&] { db->SetConnectionString("x"); },
       "3705 Operation is not allowed when the object is open."},
  };
  for (const auto& [f, text] : errors) EXPECT_EQ(error_of(f), text);
  EXPECT_TRUE(error_of([&] { db->Execute("SELECT * FROM NO_SUCH_TABLE"); }).starts_with("3001 "));
  db->Close();
  EXPECT_EQ(error_of([&] { db->Execute("SELECT 1"); }),
            "3709 The connection cannot be used to perform this operation. It is either closed "
            "or invalid in this context.");
  EXPECT_EQ(error_of([&] { db->Close(); }),
            "3704 Operation is not allowed when the object is closed.");
  auto bad = make_object<Connection>();
  const std::string nowhere = testing::scratch_dir().string() + "/no/such/dir/x.db";
  EXPECT_TRUE(error_of([&] {
                bad->Open(Value(testing::url_for(GetParam(), nowhere)));
              }).starts_with("3001 "));
  EXPECT_EQ(bad->State(), ado::adStateClosed);
}

TEST_P(OnBackend, ByNameAsAHostUsesIt) {
  database({"CREATE TABLE T (N INTEGER, NAME VARCHAR(20))", "INSERT INTO T VALUES (1, 'uno')",
            "INSERT INTO T VALUES (2, 'due')"});
  Object& c = *db;
  EXPECT_EQ(get_property(c, "ConnectionString"), Value(url));
  let_property(c, "CursorLocation", Value(ado::adUseClient));
  std::vector<Value> args{Value("SELECT N, NAME FROM T ORDER BY N"), Value(),
                          Value(ado::adCmdText)};
  ObjectRef rs = to_object(call_method(c, "Execute", args));
  EXPECT_EQ(args[1], Value(int32_t{-1}));  // RecordsAffected comes back by reference
  ObjectRef fields = to_object(get_property(*rs, "Fields"));
  EXPECT_EQ(get_property(*fields, "Count"), Value(int32_t{2}));
  ObjectRef name = to_object(call_method(*fields, "Item", {Value("NAME")}));
  EXPECT_EQ(get_property(*to_object(call_method(*fields, "Item", {Value(int32_t{0})})), "Name"),
            Value("N"));
  call_method(*rs, "MoveFirst");
  EXPECT_EQ(get_property(*name, "Value"), Value("uno"));
  call_method(*rs, "MoveNext");
  EXPECT_EQ(get_property(*name, "Value"), Value("due"));  // a Field follows the current row
  EXPECT_EQ(error_of([&] { let_property(*name, "Value", Value("x")); }),
            "3251 Current Recordset does not support updating.: Value");
  EXPECT_EQ(error_of([&] { call_method(*fields, "Item", {Value("NOPE")}); }),
            "3265 Item cannot be found in the collection corresponding to the requested name or "
            "ordinal.");
  auto other = make_object<Recordset>();
  EXPECT_EQ(error_of([&] { other->Open(Value("SELECT 1"), Value(ObjectRef(other))); }),
            "3709 The connection cannot be used to perform this operation.");
  EXPECT_EQ(
      error_of([&] { other->Open(Value("CREATE TABLE U (A INTEGER)"), Value(ObjectRef(db))); }),
      "3219 The command returned no rows.");
  call_method(c, "Close");
  call_method(c, "Open", {Value(url), Value(""), Value(""), Value(int32_t{-1})});
  EXPECT_EQ(get_property(c, "State"), Value(ado::adStateOpen));
  // SQL Server's dialect runs on SQLite; a recordset opened on a source holds its rows.
  auto list = make_object<Recordset>();
  list->Open(Value("SELECT TOP 1 ISNULL(NULL, NAME) AS V FROM T WITH (NOLOCK) ORDER BY N DESC"),
             Value(ObjectRef(db)));
  EXPECT_EQ(list->RecordCount(), 1);
  EXPECT_EQ(list->value("V"), Value("due"));
}

// The fiscal-year list read over the caller's connection.
TEST_P(OnBackend, FiscalYearsComeBackAsAnInMemoryList) {
  database(testing::fiscal_year_fixture());
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->Valute();
  call_method(*lk, "EserciziContabili", {Value(ObjectRef(db)), Value(int32_t{12})});
  EXPECT_EQ(lk->Caption(), Value("Elenco esercizi contabili"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_EserciziContabili"));
  EXPECT_EQ(lk->StringaSQL(),
            Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));
  std::string heads;
  const Array& cols = lk->ColonneLookup().as_array();
  for (int32_t c = 0; c <= cols.ubound(0); ++c)
    heads += to_text(cols.at(c, 0)) + "|" + to_text(cols.at(c, 1)) + ";";
  EXPECT_EQ(heads,
            "Esercizio|;Inizio esercizio|;Fine esercizio|;Corrente|;Chiuso|;Ammortamenti|;"
            "Risconti|;Cambi cli.|;Cambi att.|;Cambi for.|;Cambi pas.|;");
  auto* rs = dynamic_cast<Recordset*>(lk->LookupRecordset.get());
  ASSERT_NE(rs, nullptr);
  std::string fields;
  for (int32_t i = 0; i < rs->field_count(); ++i)
    fields += rs->field(i).name + " " + std::to_string(rs->field(i).type) + " " +
              std::to_string(rs->field(i).defined_size) + " " +
              std::to_string(rs->field(i).attributes) + ";";
  EXPECT_EQ(fields,
            "ESER 202 7 -1;DATAIN 133 0 -1;DATAFI 133 0 -1;CORRENTE 130 2 -1;CHIUSO 130 2 -1;"
            "AMMGEN 130 2 -1;RISCGEN 130 2 -1;ADECBCLIGEN 130 2 -1;ADECBATTGEN 130 2 -1;"
            "ADECBFORGEN 130 2 -1;ADECBPASGEN 130 2 -1;");
  EXPECT_EQ(rs->CursorType, ado::adOpenStatic);
  EXPECT_EQ(rs->LockType, ado::adLockOptimistic);
  ASSERT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->position(), 1);  // left on the last row added
  const std::vector<Value> rows[] = {
      {Value("0999/2"), day(999, 7, 1), Value::null(), Value("No"), Value("Si"), Value("No"),
       Value("Si"), Value("Si"), Value("No"), Value("Si"), Value("No")},
      {Value("2024/12"), day(2024, 1, 1), day(2024, 12, 31), Value("Si"), Value("No"), Value("Si"),
       Value("No"), Value("No"), Value("No"), Value("No"),
       Value::null()}};  // a flag of 7 reads Null
  for (int32_t r = 0; r < 2; ++r)
    for (int32_t i = 0; i < 11; ++i)
      EXPECT_EQ(rs->cell(r, i), rows[r][static_cast<size_t>(i)]) << r << " " << i;
  // No years, no statement, no connection, a closed one: no list, and no new identifier.
  lk->IDLookup = Value("before");
  for (auto f : {+[](CLSCG_LOOKUP&l, ObjectRef&c) { l.EserciziContabili(c, Value(int32_t{99})); },
                 +[](CLSCG_LOOKUP&l, ObjectRef&c) { l.EserciziContabili(c, Value("abc")); },
                 +[](CLSCG_LOOKUP&l, ObjectRef&) {
                   ObjectRef none;
                   l.EserciziContabili(none, Value(int32_t{3}));
                 },
                 +[](CLSCG_LOOKUP&l, ObjectRef&c) {
                   call_method(*c, "Close");
                   l.EserciziContabili(c, Value(int32_t{3}));
                 }}) {
    ObjectRef c(db);
    lk->EserciziContabili(c, Value(int32_t{3}));
    ASSERT_TRUE(lk->LookupRecordset);
    f(*lk, c);
    EXPECT_FALSE(lk->LookupRecordset);
    EXPECT_EQ(lk->ColonneLookup().as_array().ubound(0), 10);
  }
  EXPECT_EQ(lk->IDLookup, Value("Lkp_EserciziContabili"));  // from the last call that found rows
}

TEST_P(OnBackend, CustomerDecodeReadsTheNameValidAtTheDate) {
  database(testing::customer_fixture());
  auto dc = make_object<CLSCG_DECODE>();
  std::vector<Value> args{Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{123}),
                          day(2023, 12, 31), Value(url)};
  EXPECT_EQ(call_method(*dc, "ClienteFornitore", args), Value("Rossi Mario"));
  args[3] = Value("2024-01-01");
  EXPECT_EQ(call_method(*dc, "ClienteFornitore", args), Value("Rossi Mario S.r.l."));
  args[1] = Value(int32_t{1});  // a row without a name gives Null; no row gives ""
  EXPECT_TRUE(call_method(*dc, "ClienteFornitore", args).is_null());
  args[0] = Value(int32_t{6});
  EXPECT_EQ(call_method(*dc, "ClienteFornitore", args), Value(""));
}

INSTANTIATE_TEST_SUITE_P(Backends, OnBackend, ::testing::Values(Backend::Sqlite, Backend::Odbc),
                         [](const auto& p) { return testing::backend_name(p.param); });

TEST(CustomerDecode, KeepsItsFirstConnectionEvenWhenItCouldNotBeOpened) {
  auto open = [](const std::vector<std::string>& sql) {
    const std::string url = testing::url_for(Backend::Sqlite, testing::fresh_db_path());
    auto db = make_object<Connection>();
    db->Open(Value(url));
    for (const std::string& s : sql) db->Execute(s);
    return url;
  };
  const std::string first = open(testing::customer_fixture());
  auto second_sql = testing::customer_fixture();
  second_sql.push_back("UPDATE VCG16_ANAGRALLADATA SET CG16_RAGSOANAG = 'Second database'");
  const std::string second = open(second_sql);
  const Value d(int32_t{5}), t(int32_t{0}), c(int32_t{123}), when = day(2024, 3, 1);
  auto dc = make_object<CLSCG_DECODE>();
  EXPECT_EQ(dc->ClienteFornitore(d, t, c, when, first), Value("Rossi Mario S.r.l."));
  EXPECT_EQ(dc->ClienteFornitore(d, t, c, when, second), Value("Rossi Mario S.r.l."));
  EXPECT_EQ(make_object<CLSCG_DECODE>()->ClienteFornitore(d, t, c, when, second),
            Value("Second database"));
  auto failed = make_object<CLSCG_DECODE>();
  const std::string nowhere = "sqlite3://db=" + testing::scratch_dir().string() + "/no/such/x.db";
  EXPECT_EQ(failed->ClienteFornitore(d, t, c, when, nowhere), Value(""));
  EXPECT_EQ(failed->ClienteFornitore(d, t, c, when, first), Value(""));
  EXPECT_FALSE(failed->StringaSQL().is_empty());
  EXPECT_EQ(make_object<CLSCG_DECODE>()->ClienteFornitore(d, t, c, when, open({})), Value(""));
  // A code that cannot be joined keeps the previous statement, which then runs.
  auto kept = make_object<CLSCG_DECODE>();
  kept->ClienteFornitore(d, t, c, when);
  EXPECT_EQ(kept->ClienteFornitore(Value(Array::matrix(1, 1)), t, Value(int32_t{9}), when, first),
            Value("Rossi Mario S.r.l."));
}

// A connection and recordsets of another data layer, reached by member name only, whose
// recordsets cannot count their rows.
class Foreign final : public Object {
 public:
  explicit Foreign(ObjectRef inner) : inner_(std::move(inner)) {}
  const ClassInfo& class_info() const override { return inner_->class_info(); }
  Value invoke(std::string_view member, InvokeKind kind, std::span<Value> args) override {
    if (member == "RecordCount") return Value(int32_t{-1});
    Value r = inner_->invoke(member, kind, args);
    return member == "Execute" ? Value(ObjectRef(make_object<Foreign>(r.as_object()))) : r;
  }

 private:
  ObjectRef inner_;
};

TEST(FiscalYears, ConnectionsOfAnotherLayerAndLongTranslations) {
  auto db = make_object<Connection>();
  db->Open(Value(testing::url_for(Backend::Sqlite, testing::fresh_db_path())));
  for (const auto& s : testing::fiscal_year_fixture()) db->Execute(s);
  ObjectRef foreign(make_object<Foreign>(ObjectRef(db)));
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->EserciziContabili(foreign, Value(int32_t{12}));
  auto* rs = dynamic_cast<Recordset*>(lk->LookupRecordset.get());
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->cell(1, 0), Value("2024/12"));
  lk->EserciziContabili(foreign, Value(int32_t{99}));  // no rows and no count: an empty list
  rs = dynamic_cast<Recordset*>(lk->LookupRecordset.get());
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->State(), ado::adStateOpen);
  EXPECT_EQ(rs->RecordCount(), 0);
  host::RecordingHostConfig cfg;
  cfg.translation = host::RecordingHostConfig::Translation::Prefix;
  cfg.prefix = "*";
  lk->ActiveInterface = ObjectRef(make_object<host::RecordingHost>(cfg, nullptr));
  ObjectRef typed(db);
  lk->EserciziContabili(typed, Value(int32_t{3}));
  rs = dynamic_cast<Recordset*>(lk->LookupRecordset.get());
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->cell(0, 0), Value("2023/1"));
  EXPECT_TRUE(rs->cell(0, 3).is_null());  // "*Si" does not fit in two characters
}

// ---- the in-memory recordset --------------------------------------------------------------

TEST(InMemoryRecordset, FillsRowByRowAndConvertsToTheFieldType) {
  auto rs = make_object<Recordset>();
  EXPECT_EQ(error_of([&] { rs->Open(); }), "3219 Operation is not allowed in this context.");
  for (const ado::FieldInfo& f : std::initializer_list<ado::FieldInfo>{{"T", ado::adVarWChar, 7},
                                                                       {"D", ado::adDBDate, 0},
                                                                       {"S", ado::adDBTimeStamp, 0},
                                                                       {"W", ado::adWChar, 2},
                                                                       {"I", ado::adSmallInt, 0},
                                                                       {"M", ado::adDecimal, 0},
                                                                       {"V", ado::adVariant, 0}})
    rs->append_field(f);
  EXPECT_EQ(error_of([&] {
              rs->append_field({"t", ado::adInteger, 0});
            }),
            "3367 Object is already in collection. Cannot append.");
  EXPECT_EQ(error_of([&] { rs->RecordCount(); }),
            "3704 Operation is not allowed when the object is closed.");
  rs->Open();
  EXPECT_EQ(error_of([&] { rs->AddNew(); }), "3251 Current Recordset does not support updating.");
  rs->Close();
  rs->LockType = ado::adLockOptimistic;
  rs->Open();
  EXPECT_TRUE(rs->IsBOF() && rs->IsEOF());
  for (int i = 0; i < 2; ++i) {
    rs->AddNew();
    EXPECT_TRUE(rs->value("T").is_null());  // fields of a new row start out Null
    rs->set_value("T", Value(2024.5 + i));
    rs->Update();
  }
  EXPECT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->position(), 1);
  EXPECT_EQ(rs->value("t"), Value("2025.5"));
  rs->MoveFirst();
  EXPECT_EQ(rs->value(0), Value("2024.5"));
  const std::tuple<const char*, Value, Value> conversions[] = {
      {"D", Value("2024-03-15"), day(2024, 3, 15)},
      {"D", day(2024, 3, 15, 10, 30), day(2024, 3, 15)},  // a date field has no time
      {"S", Value("15/03/2024 10:30"), day(2024, 3, 15, 10, 30)},
      {"I", Value("12"), Value(int16_t{12})},
      {"M", Value("12.50"), Value(*Decimal::parse("12.5"))},
      {"V", Value(int32_t{5}), Value(int32_t{5})},
      {"W", Value(), Value::null()}};
  for (const auto& [f, in, out] : conversions) {
    rs->set_value(f, in);
    EXPECT_EQ(rs->value(f), out) << f;
  }
  const std::pair<std::function<void()>, const char*> errors[] = {
      {[&] { rs->set_value("W", Value("Yes")); },
       "-2147217887 Multiple-step operation generated errors. Check each status value."},
      {[&] { rs->set_value("D", Value("not a date")); }, "13 Type mismatch"},
      {[&] { rs->set_value("I", Value(int32_t{40000})); }, "6 Overflow"},
      {[&] { rs->set_value("T", Value(Array::matrix(1, 1))); }, "13 Type mismatch"},
      {[&] { rs->value("Z"); },
       "3265 Item cannot be found in the collection corresponding to the requested name or ordinal."},
      {[&] { rs->Open(); }, "3705 Operation is not allowed when the object is open."},
      {[&] {
         rs->append_field({"C", ado::adInteger, 0});
       },
       "3219 Operation is not allowed in this context."},
      {[&] { rs->cell(5, 0); }, "9 Subscript out of range"},
  };
  for (const auto& [f, text] : errors) EXPECT_EQ(error_of(f), text);
  EXPECT_TRUE(rs->value("W").is_null());  // a refused value leaves the field as it was
  rs->MoveNext();
  rs->MoveNext();
  EXPECT_TRUE(rs->IsEOF() && !rs->IsBOF());
  EXPECT_EQ(rs->position(), -1);
  EXPECT_EQ(error_of([&] { rs->MoveNext(); }),
            "3021 Either BOF or EOF is True, or the current record has been deleted.");
  EXPECT_EQ(error_of([&] { rs->Open(Value("SELECT 1"), Value::nothing()); }),
            "3705 Operation is not allowed when the object is open.");
}

TEST(InMemoryRecordset, ByNameAsAHostBuildsIt) {
  auto rs = make_object<Recordset>();
  Object& o = *rs;
  ObjectRef fields = to_object(get_property(o, "Fields"));
  call_method(*fields, "Append",
              {Value("ESER"), Value(ado::adVarWChar), Value(int32_t{7}), Value(int32_t{-1})});
  call_method(*fields, "Append", {Value("DATAIN"), Value(ado::adDBDate)});
  let_property(o, "CursorType", Value(ado::adOpenStatic));
  let_property(o, "LockType", Value(ado::adLockOptimistic));
  call_method(o, "Open");
  call_method(o, "AddNew");
  ObjectRef eser = to_object(call_method(*fields, "Item", {Value("ESER")}));
  ObjectRef datain = to_object(call_method(*fields, "Item", {Value(int32_t{1})}));
  let_property(*eser, "Value", Value(int32_t{2024}));
  let_property(*datain, "Value", Value("2024-01-01"));
  call_method(o, "Update");
  EXPECT_EQ(get_property(o, "RecordCount"), Value(int32_t{1}));
  EXPECT_EQ(get_property(*eser, "Value"), Value("2024"));
  EXPECT_EQ(get_property(*eser, "DefinedSize"), Value(int32_t{7}));
  EXPECT_EQ(get_property(*datain, "Type"), Value(ado::adDBDate));
  EXPECT_EQ(get_property(o, "BOF"), Value(false));
  EXPECT_EQ(get_property(o, "EOF"), Value(false));
  EXPECT_EQ(get_property(o, "CursorType"), Value(ado::adOpenStatic));
  EXPECT_EQ(error_of([&] { call_method(*fields, "Item", {Value(int32_t{2})}); }),
            "3265 Item cannot be found in the collection corresponding to the requested name or "
            "ordinal.");
  auto fresh = make_object<Recordset>();
  ObjectRef more = to_object(get_property(*fresh, "Fields"));
  EXPECT_EQ(error_of([&] {
              call_method(*more, "Append", {Value("B"), Value(int32_t{999})});
            }),
            "3001 Arguments are of the wrong type, are out of acceptable range, or are in conflict "
            "with one another.: Append");
  call_method(*more, "Append", {Value("B"), Value(ado::adInteger)});
  EXPECT_EQ(error_of([&] { fresh->Open(Value::missing(), Value(ObjectRef(rs))); }),
            "5 A recordset without a source takes no connection.");
  fresh->Open(Value::missing(), Value::nothing());
  EXPECT_EQ(fresh->State(), ado::adStateOpen);
}

// ---- dialect, scripts and connection strings --------------------------------------------

TEST(SqliteDialect, RewritesOnlyWhatSqliteCannotRead) {
  const std::pair<const char*, const char*> cases[] = {
      {"SELECT TOP(5) A FROM T", "SELECT  A FROM T LIMIT 5"},
      {"select distinct top ( 3 ) A from T;", "select distinct  A from T LIMIT 3;"},
      {"SELECT A, (SELECT TOP 1 B FROM U WHERE U.K = T.K) AS B FROM T ORDER BY A",
       "SELECT A, (SELECT  B FROM U WHERE U.K = T.K LIMIT 1) AS B FROM T ORDER BY A"},
      {"SELECT TOP 2 X FROM (SELECT TOP 9 X FROM T) Q -- last\n",
       "SELECT  X FROM (SELECT  X FROM T LIMIT 9) Q LIMIT 2 -- last\n"},
      {"SELECT 'WITH (NOLOCK) ISNULL(' AS [ISNULL(], \"TOP 1\" FROM T /* WITH(NOLOCK) */",
       "SELECT 'WITH (NOLOCK) ISNULL(' AS [ISNULL(], \"TOP 1\" FROM T /* WITH(NOLOCK) */"},
      {"SELECT A FROM T WHERE A ISNULL", "SELECT A FROM T WHERE A ISNULL"},
      {"SELECT isnull (A, 0) FROM T with(nolock)", "SELECT IFNULL (A, 0) FROM T "},
      {"WITH Q AS (SELECT 1 AS A) SELECT A FROM Q", "WITH Q AS (SELECT 1 AS A) SELECT A FROM Q"},
      {"SELECT TOP 10 PERCENT A FROM T", "SELECT TOP 10 PERCENT A FROM T"},
      {"SELECT TOP 3 WITH TIES A FROM T ORDER BY A", "SELECT TOP 3 WITH TIES A FROM T ORDER BY A"},
      {"SELECT TOP 1 A FROM T; SELECT B FROM U", "SELECT  A FROM T LIMIT 1; SELECT B FROM U"},
      // Table-valued database functions read a table or view of their name (P1..Pn hold the
      // arguments), APPLY becomes a join, dbo. goes, "alias = expression" becomes AS.
      {"SELECT (SELECT D FROM dbo.FN(T.A, 'x,(y)')) AS D FROM T",
       "SELECT (SELECT D FROM (SELECT * FROM FN WHERE FN.P1 = (T.A) AND FN.P2 = ('x,(y)'))) AS D FROM T"},
      {"SELECT * FROM T JOIN G() ON 1 OUTER APPLY DBO.F(f(A, B), 2) AS X",
       "SELECT * FROM T JOIN (SELECT * FROM G) ON 1 LEFT JOIN F AS X ON F.P1 = (f(A, B)) AND F.P2 = (2)"},
      {"SELECT dbo.SF(A) FROM T CROSS APPLY F(A) WHERE B IN (1)",
       "SELECT SF(A) FROM T JOIN F ON F.P1 = (A) WHERE B IN (1)"},
      {"SELECT A FROM F(,1)", "SELECT A FROM F(,1)"},  // left for the database to refuse
      {"SELECT TOP 1 M = CASE A WHEN 1 THEN 'x' END, B, (SELECT N = 2) FROM T",
       "SELECT   CASE A WHEN 1 THEN 'x' END AS M, B, (SELECT  2 AS N) FROM T LIMIT 1"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(ado::to_sqlite_dialect(in), out) << in;
  EXPECT_EQ(
      ado::split_statements("CREATE TABLE T (A TEXT);\n-- a; b\nINSERT INTO T VALUES ('a;b');\n\n"),
      (std::vector<std::string>{"CREATE TABLE T (A TEXT)",
                                "-- a; b\nINSERT INTO T VALUES ('a;b')"}));
  EXPECT_TRUE(ado::split_statements(" ; -- nothing\n;").empty());
}

TEST_P(OnBackend, TheDocumentQueryRunsAndFindsTheOriginalRegistration) {
  database(
      {"CREATE TABLE CO99_MASTERDOC (CO99_DITTA_CG18 INTEGER, CO99_NUMREG INTEGER, CO99_INDTIPOOP INTEGER)",
       "CREATE TABLE CG41_PRIMANOTA (CG41_DITTA_CG18 INTEGER, CG41_NUMREG INTEGER, CG41_CODICE_CG33 VARCHAR(4))",
       "CREATE TABLE CG41C_PRIMANOTA (CG41_DITTA_CG18 INTEGER, CG41_NUMREG INTEGER, CG41_CODICE_CG33 VARCHAR(4))",
       "CREATE TABLE CG33_TABCAU (CG33_CODICE VARCHAR(4), CG33_INDGESTEC INTEGER)",
       "CREATE TABLE EF06_SCADSTO (EF06_DITTA_CG18 INTEGER, EF06_NUMREG_CO99 INTEGER, EF06_NUMREGMOV_CO99 INTEGER)",
       "INSERT INTO CO99_MASTERDOC VALUES (1, 100, 0), (1, 90, 1), (1, 80, 1), (1, 70, 0)",
       "INSERT INTO CG41C_PRIMANOTA VALUES (1, 100, 'INC')",
       "INSERT INTO CG33_TABCAU VALUES ('INC', 3)",
       "INSERT INTO EF06_SCADSTO VALUES (1, 90, 100), (1, 80, 100), (1, 70, 100)"});
  Ref<Recordset> rs = db->Execute(test_data::document_query("1", "100"), nullptr, ado::adCmdText);
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->value("INDTIPOOP"), Value(int32_t{0}));
  EXPECT_EQ(to_long(rs->value("INDGESTEC")), 3);     // from the closed-period ledger
  EXPECT_EQ(to_long(rs->value("NUMREG_ORIG")), 80);  // the first original invoice
}

TEST(ConnectionStrings, BackendsAndSqlServerTranslation) {
  ado::ConnectionTarget s = ado::parse_connection_string("  SQLITE3://db=:memory: ", "FreeTDS");
  EXPECT_EQ(s.backend, ado::ConnectionTarget::Backend::Sqlite);
  EXPECT_EQ(s.parameters, "db=:memory:");
  ado::ConnectionTarget o = ado::parse_connection_string("odbc://DSN=x;UID=u\t", "FreeTDS");
  EXPECT_EQ(o.backend, ado::ConnectionTarget::Backend::Odbc);
  EXPECT_EQ(o.parameters, "DSN=x;UID=u");
  EXPECT_EQ(ado::parse_connection_string("Driver={SQLite3};Database=a.db", "X").parameters,
            "Driver={SQLite3};Database=a.db");
  EXPECT_EQ(ado::parse_connection_string(
                "Provider=SQLOLEDB.1;Persist Security Info=False;Data Source=srv\\INST;"
                "Initial Catalog=Ditta;User ID=sa;Password=p w;Auto Translate=True",
                "FreeTDS")
                .parameters,
            "DRIVER=FreeTDS;SERVER=srv\\INST;DATABASE=Ditta;UID=sa;PWD=p w");
  EXPECT_EQ(
      ado::ole_db_to_odbc("Provider=SQLNCLI11;Integrated Security=SSPI;Data Source=\"db,1433\";"
                          "Initial Catalog='My;Db'",
                          "ODBC Driver 18 for SQL Server"),
      "DRIVER=ODBC Driver 18 for SQL Server;Trusted_Connection=Yes;SERVER=db,1433;DATABASE={My;Db}");
  EXPECT_EQ(ado::ole_db_to_odbc(" Server = h ;;Password=a}b;", "D"),
            "DRIVER=D;SERVER=h;PWD={a}}b}");
  for (const char* bad : {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb", "just text",
                          "Data Source=\"unterminated"})
    EXPECT_EQ(error_of([&] { ado::parse_connection_string(bad, "D"); }),
              "3001 The connection string is not understood.")
        << bad;
  setenv("LEMA_ODBC_DRIVER", "Some Driver", 1);
  EXPECT_EQ(ado::sql_server_odbc_driver(), "Some Driver");
  unsetenv("LEMA_ODBC_DRIVER");
  EXPECT_EQ(ado::sql_server_odbc_driver(), "FreeTDS");
}

}  // namespace
}  // namespace lema
