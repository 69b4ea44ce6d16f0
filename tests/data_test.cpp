// The data layer on SQLite, direct and over unixODBC, the members that read a database, and a
// production database's troubles, each time-bounded with its reason traced. (Equivalent
// mutants: the SQLite dialect flag's first value, set by the constructor; a loaded recordset's
// read-only LockType, a new one's default; PWD without a password, ignored by SQLite's driver.)
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <thread>

#include "automation/class_info.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "host/ado/connection.h"
#include "host/ado/connection_string.h"
#include "host/ado/dialect.h"
#include "host/ado/recordset.h"
#include "lema/lema.h"
#include "lookup/clscg_lookup.h"
#include "support/errors.h"

#define EXPECT_RAISES(text, ...) EXPECT_EQ(error_of([&] { __VA_ARGS__; }), text)

namespace lema {
namespace {

using namespace ado;
using testing_support::error_of;
namespace fs = std::filesystem;

struct Scratch {
  Scratch() : path(fs::temp_directory_path() / "lema-data-XXXXXX") {
    if (!mkdtemp(path.data())) throw std::runtime_error("cannot create a temporary directory");
  }
  ~Scratch() { fs::remove_all(path, ec); }
  std::string path;
  std::error_code ec;
};
fs::path scratch_dir() {
  static Scratch dir;
  return dir.path;
}

// /usr/lib/*/odbc/FILE, or "".
std::string odbc_driver_library(const char* file) {
  std::error_code ec;
  for (const auto& dir : fs::directory_iterator("/usr/lib", ec))
    if (fs::exists(dir.path() / "odbc" / file, ec)) return (dir.path() / "odbc" / file).string();
  return {};
}

enum class Backend { Sqlite, Odbc };

std::string url_for(Backend b, const fs::path& path) {
  static const std::string sqlite_odbc = odbc_driver_library("libsqlite3odbc.so");
  if (b == Backend::Sqlite) return "sqlite3://db=" + path.string();
  EXPECT_NE(sqlite_odbc, "") << "libsqliteodbc is not installed";
  return "odbc://DRIVER=" + sqlite_odbc + ";Database=" + path.string();
}

// A new file (the library opens existing files only) after `sql`; columns TEXT if `text`.
std::pair<std::string, std::string> new_database(Backend b, const std::vector<std::string>& sql,
                                                 bool text = false) {
  static int count = 0;
  const std::string path = scratch_dir() / ("db" + std::to_string(++count));
  std::ofstream{path};
  auto db = make_object<Connection>();
  db->Open(url_for(b, path));
  const std::regex typed(R"(VARCHAR\(\d+\)|\bDATE\b)");
  for (const std::string& s : sql) db->Execute(text ? std::regex_replace(s, typed, "TEXT") : s);
  return {path, url_for(b, path)};
}

// The golden script's fiscal years; a customer whose name changed.
std::vector<std::string> fiscal_years_table() {
  std::ifstream in(std::string(LEMA_GOLDEN_DIR) + "/../scripts/fiscal_years_sqlite.json");
  return nlohmann::json::parse(in)["steps"][0]["sql"];
}
const std::vector<std::string> kCustomers{
    "CREATE TABLE VCG16_ANAGRALLADATA (CG44_DITTA_CG18 INTEGER, CG44_TIPOCF INTEGER, "
    "CG44_CLIFOR INTEGER, CG16_RAGSOANAG VARCHAR(80), DATAINIZIOVALIDITA VARCHAR(8), "
    "DATAFINEVALIDITA VARCHAR(8))",
    "INSERT INTO VCG16_ANAGRALLADATA VALUES (5, 0, 123, 'Rossi Mario', NULL, '20231231'), "
    "(5, 0, 123, 'Rossi Mario S.r.l.', '20240101', NULL), (5, 1, 123, NULL, NULL, NULL)"};
const char* kRenamed = "Rossi Mario S.r.l.";

const char* kNoRow = "3021 Either BOF or EOF is True, or the current record has been deleted.";
const char* kIsOpen = "3705 Operation is not allowed when the object is open.";
const char* kIsClosed = "3704 Operation is not allowed when the object is closed.";
const char* kNotHere = "3219 Operation is not allowed in this context.";
const char* kNoItem =
    "3265 Item cannot be found in the collection corresponding to the requested name or ordinal.";

Value day(int y, int m, int d, int hh = 0, int mi = 0) {
  return Value(*Date::from_civil(y, m, d, hh, mi));
}
Value customer(const std::string& url, Ref<CLSCG_DECODE> dc = make_object<CLSCG_DECODE>()) {
  return dc->ClienteFornitore(5, 0, 123, day(2024, 6, 30), url);
}
Ref<Recordset> fiscal_years(ObjectRef c, int32_t company = 12) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->EserciziContabili(c, company);
  return Ref<Recordset>(dynamic_cast<Recordset*>(lk->LookupRecordset.get()));
}

class OnBackend : public ::testing::TestWithParam<Backend> {
 protected:
  void database(const std::vector<std::string>& sql, bool text = false) {
    std::tie(path, url) = new_database(GetParam(), sql, text);
    db = make_object<Connection>();
    db->Open(url);
  }
  std::string path, url;
  Ref<Connection> db;
};

TEST_P(OnBackend, ValuesCommandsAndMembersByName) {
  database(
      {"CREATE TABLE T (I INTEGER, D DOUBLE, S VARCHAR(20), DT DATE, TS DATETIME, B BIGINT)",
       "INSERT INTO T VALUES (42, 2.5, 'àbc', '2024-03-15', '2024-03-15 10:30:00', 4294967296)",
       "INSERT INTO T VALUES (NULL, NULL, NULL, NULL, NULL, -5)"});
  // Text first: its size is the longest, in characters, from column 0 on.
  Ref<Recordset> rs = db->Execute("SELECT S, I, D, DT, TS, B FROM T ORDER BY I DESC");
  const std::tuple<int32_t, int32_t, Value> kinds[] = {
      {adVarWChar, 3, "àbc"},
      {adInteger, 4, 42},
      {adDouble, 8, 2.5},
      {adDBTimeStamp, 16, day(2024, 3, 15)},
      {adDBTimeStamp, 16, day(2024, 3, 15, 10, 30)},
      {adBigInt, 8, *Decimal::parse("4294967296")}};
  for (int32_t i = 0; i < 6; ++i)
    EXPECT_EQ(std::tie(rs->field(i).type, rs->field(i).defined_size, rs->value(i)), kinds[i]) << i;
  rs->MoveNext();
  for (int32_t i = 0; i < 5; ++i) EXPECT_TRUE(rs->value(i).is_null()) << i;
  EXPECT_EQ(rs->value(5), -5);
  rs->MoveNext();
  EXPECT_RAISES(kNoRow, rs->value(0));
  Object& c = *db;
  EXPECT_EQ(get_property(c, "ConnectionString"), url);
  std::vector<Value> args{"SELECT I, S FROM T ORDER BY I DESC", Value(), adCmdText};
  ObjectRef byname = to_object(call_method(c, "Execute", args));
  EXPECT_EQ(args[1], -1);  // RecordsAffected, by reference
  ObjectRef fields = to_object(get_property(*byname, "Fields"));
  EXPECT_EQ(get_property(*fields, "Count"), 2);
  ObjectRef s = to_object(call_method(*fields, "Item", {"S"}));
  EXPECT_EQ(get_property(*to_object(call_method(*fields, "Item", {0})), "Name"), "I");
  call_method(*byname, "MoveFirst");
  EXPECT_EQ(get_property(*s, "Value"), "àbc");
  call_method(*byname, "MoveNext");
  EXPECT_TRUE(get_property(*s, "Value").is_null());  // a Field follows the current row
  EXPECT_RAISES("3251 Current Recordset does not support updating.: Value",
                let_property(*s, "Value", "x"));
  EXPECT_RAISES(kNoItem, call_method(*fields, "Item", {"NOPE"}));
  call_method(*byname, "Close");
  EXPECT_EQ(get_property(*byname, "State"), adStateClosed);
  call_method(c, "Close");
  call_method(c, "Open", {url, "", "", -1});
  auto other = make_object<Recordset>();
  EXPECT_RAISES("3709 The connection cannot be used to perform this operation.",
                other->Open("SELECT 1", ObjectRef(other)));
  EXPECT_RAISES("3219 The command returned no rows.",
                other->Open("CREATE TABLE U (A INTEGER)", ObjectRef(db)));
  other->Open("SELECT S FROM T WHERE I = 42", ObjectRef(db));
  EXPECT_EQ(other->value("S"), "àbc");
  rs = db->Execute("SELECT I FROM T WHERE I = 0");
  EXPECT_TRUE(rs->IsEOF() && rs->IsBOF());
  EXPECT_RAISES(kNoRow, rs->MoveFirst());
  Value affected;
  EXPECT_EQ(db->Execute("INSERT INTO T (I) VALUES (1), (2)", &affected)->State(), adStateClosed);
  EXPECT_EQ(affected, 2);
  EXPECT_FALSE(
      db->Execute("UPDATE T SET I = 3 WHERE I = 1", &affected, adCmdText | adExecuteNoRecords));
  EXPECT_EQ(affected, 1);
  EXPECT_EQ(db->Execute("SELECT I FROM T", &affected, adCmdUnknown)->RecordCount(), 4);
  EXPECT_EQ(affected, -1);
  db->Execute("UPDATE T SET DT = '0050-01-01'");
  EXPECT_RAISES("3001 A date read from the database is out of range.",
                db->Execute("SELECT DT FROM T"));
  EXPECT_RAISES("-2147217908 Command text was not set for the command object.",
                db->Execute(" \r\n "));
  EXPECT_RAISES("438 Only text commands are supported.", db->Execute("T", nullptr, 4));
  EXPECT_RAISES(kIsOpen, db->Open(url));
  db->Close();
  EXPECT_RAISES(
      "3709 The connection cannot be used to perform this operation. It is either closed or "
      "invalid in this context.",
      db->Execute("SELECT 1"));
  EXPECT_RAISES(kIsClosed, db->Close());
}

TEST_P(OnBackend, CustomerDecodeKeepsItsFirstConnection) {
  database(kCustomers);
  auto dc = make_object<CLSCG_DECODE>();
  std::vector<Value> args{5, 0, 123, day(2023, 12, 31), url};
  EXPECT_EQ(call_method(*dc, "ClienteFornitore", args), "Rossi Mario");
  args[3] = "2024-01-01";
  EXPECT_EQ(call_method(*dc, "ClienteFornitore", args), kRenamed);
  args[1] = 1;  // a row without a name gives Null; no row gives ""
  EXPECT_TRUE(call_method(*dc, "ClienteFornitore", args).is_null());
  args[0] = 6;
  EXPECT_EQ(call_method(*dc, "ClienteFornitore", args), "");
  // A decode keeps its first connection, even a failed one.
  auto sql = kCustomers;
  sql.push_back("UPDATE VCG16_ANAGRALLADATA SET CG16_RAGSOANAG = 'Second'");
  const std::string second = new_database(GetParam(), sql).second;
  EXPECT_EQ(customer(second, dc), kRenamed);
  EXPECT_EQ(customer(second), "Second");
  auto failed = make_object<CLSCG_DECODE>();
  EXPECT_EQ(customer(url_for(GetParam(), scratch_dir() / "no/such/x.db"), failed), "");
  EXPECT_EQ(customer(url, failed), "");
  // A code that cannot be joined keeps the previous statement, which runs.
  EXPECT_EQ(dc->ClienteFornitore(Array::matrix(1, 1), 0, 9, day(2024, 6, 30), url), kRenamed);
}

// The reasons swallowed, through the C interface, while it lives; its age.
struct Traced {
  Traced() {
    lema_set_trace(
        [](const char* text, size_t length, void* user) {
          static_cast<std::string*>(user)->append(text, length).push_back('\n');
        },
        &trace);
  }
  ~Traced() { lema_set_trace(nullptr, nullptr); }
  double seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  std::string trace;
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

std::vector<std::string> years_and_customers() {
  std::vector<std::string> sql = fiscal_years_table();
  sql.insert(sql.end(), kCustomers.begin(), kCustomers.end());
  return sql;
}

TEST_P(OnBackend, LockFailsAfterTheWaitShortOnesAreWaitedFor) {
  database(years_and_customers());
  // No wait named: 3 s (ODBC's "Timeout=3000": with the strings).
  if (GetParam() == Backend::Sqlite) {
    EXPECT_EQ(to_text(db->Execute("PRAGMA busy_timeout")->value(0)), "3000");
  }
  const std::string short_wait =
      url + (GetParam() == Backend::Sqlite ? " timeout=0.4" : ";Timeout=400");
  auto dc = make_object<CLSCG_DECODE>();
  ASSERT_EQ(customer(short_wait, dc), kRenamed);
  db->Close();
  db->Open(short_wait);
  sqlite3* writer = nullptr;  // outside the library
  sqlite3_open_v2(path.c_str(), &writer, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_busy_timeout(writer, 5000);
  auto exec = [&](const char* sql) {
    ASSERT_EQ(sqlite3_exec(writer, sql, nullptr, nullptr, nullptr), 0) << sql;
  };
  exec("BEGIN EXCLUSIVE");
  {
    Traced t;  // a connection opened before the lock, and one opened under it
    EXPECT_FALSE(fiscal_years(ObjectRef(db)));
    EXPECT_EQ(customer(short_wait, dc), "");
    EXPECT_GT(t.seconds(), 0.7);
    EXPECT_LT(t.seconds(), 4);
    EXPECT_NE(t.trace.find("Connection.Execute: "), std::string::npos) << t.trace;
    EXPECT_NE(t.trace.find("database is locked"), std::string::npos) << t.trace;
  }
  exec("ROLLBACK");
  // Short transactions are waited for.
  std::atomic<bool> stop{false};
  std::thread busy([&] {
    while (!stop) {
      exec("BEGIN EXCLUSIVE");
      exec("UPDATE VCG16_ANAGRALLADATA SET CG44_TIPOCF = CG44_TIPOCF");
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      exec("COMMIT");
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  int empty = 0;
  for (int i = 0; i < 30; ++i) empty += customer(url, dc) == "";
  stop = true;
  busy.join();
  sqlite3_close(writer);
  EXPECT_EQ(empty, 0);
}

TEST_P(OnBackend, LongTextReadWhole) {
  database(years_and_customers(), true);
  const std::string name = "é" + std::string(100000, 'x');
  db->Execute("UPDATE VCG16_ANAGRALLADATA SET CG16_RAGSOANAG = '" + name +
              "' WHERE DATAINIZIOVALIDITA = '20240101'");
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  EXPECT_EQ(customer(url), name);
  const Ref<Recordset> list = fiscal_years(ObjectRef(db));
  ASSERT_TRUE(list);
  EXPECT_EQ(list->cell(1, 2), day(2024, 12, 31));
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 50 * 1024);  // KB
}

INSTANTIATE_TEST_SUITE_P(Backends, OnBackend, ::testing::Values(Backend::Sqlite, Backend::Odbc));

// Another data layer's connection, reached by member name; what it hands out is wrapped too.
// Recordsets count rows only if `counted`; member `fail` raises.
struct Foreign final : Object {
  Foreign(ObjectRef o, std::string_view fail_at = "", bool count = false)
      : inner(std::move(o)), fail(fail_at), counted(count) {}
  const ClassInfo& class_info() const override { return inner->class_info(); }
  Value invoke(std::string_view member, InvokeKind kind, std::span<Value> args) override {
    if (member == fail) raise(ErrorCode::DataAccess, "scripted failure");
    if (member == "RecordCount" && !counted) return -1;
    Value r = inner->invoke(member, kind, args);
    if (!r.is_object() || !r.as_object()) return r;
    return ObjectRef(make_object<Foreign>(r.as_object(), fail, counted));
  }
  ObjectRef inner;
  std::string fail;
  bool counted;
};

// A golden script pins the rows on SQLite; another layer gives the same. A failing member's
// step is swallowed, the previous output kept, no reference held.
TEST(FiscalYears, OverAnotherLayerAndItsFailures) {
  auto sqlite = make_object<Connection>();
  sqlite->Open(new_database(Backend::Sqlite, fiscal_years_table()).second);
  const Ref<Recordset> want = fiscal_years(ObjectRef(sqlite));
  ASSERT_TRUE(want);
  EXPECT_EQ(want->CursorType, adOpenStatic);
  EXPECT_EQ(want->LockType, adLockOptimistic);
  ObjectRef foreign(make_object<Foreign>(ObjectRef(sqlite)));
  const Ref<Recordset> got = fiscal_years(foreign);
  ASSERT_TRUE(got);
  ASSERT_EQ(got->RecordCount(), 2);
  for (int32_t i = 0; i < 11; ++i)
    for (int32_t r = 0; r < 2; ++r) EXPECT_EQ(got->cell(r, i), want->cell(r, i)) << r << i;
  const Ref<Recordset> none = fiscal_years(foreign, 99);  // uncounted, no rows: an empty list
  ASSERT_TRUE(none);
  EXPECT_EQ(none->State(), adStateOpen);
  EXPECT_EQ(none->RecordCount(), 0);
  const std::tuple<const char*, int, const char*> failures[] = {
      // failing member, rows, first ESER
      {"", 2, "0999/2"},          {"Execute", -1, ""},    {"RecordCount", -1, ""},
      {"MoveFirst", 2, "0999/2"}, {"EOF", 0, ""},         {"Fields", 2, "0000/0"},
      {"Item", 2, "0000/0"},      {"Value", 2, "0000/0"}, {"MoveNext", 1, "0999/2"},
      {"Close", 2, "0999/2"}};
  for (const auto& [op, rows, eser] : failures) {
    SCOPED_TRACE(op);
    auto lk = make_object<CLSCG_LOOKUP>();
    lk->Valute();
    ObjectRef db(make_object<Foreign>(ObjectRef(sqlite), op, true));
    call_method(*lk, "EserciziContabili", {db, 12});
    EXPECT_EQ(lk->Caption(), "Elenco esercizi contabili");
    EXPECT_EQ(lk->StringaSQL(),
              "SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) ");
    auto* list = dynamic_cast<Recordset*>(lk->LookupRecordset.get());
    EXPECT_EQ(list ? list->RecordCount() : -1, rows);
    EXPECT_EQ(lk->IDLookup, rows < 0 ? "Lkp_Valute" : "Lkp_EserciziContabili");
    if (rows > 0) {
      list->MoveFirst();
      EXPECT_EQ(list->value("ESER"), eser);
    }
    EXPECT_EQ(db->ref_count(), 1u);
  }
}

std::string open_error(const std::string& url) {
  try {
    make_object<Connection>()->Open(url);
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), ErrorCode::DataAccess);
    return e.what();
  }
  return "";
}

TEST(DataPathFiles, NoDatabaseCreatedBadUrlsSayWhy) {
  const fs::path dir = scratch_dir() / "my dir";
  fs::create_directories(dir);
  const std::string missing = dir / "missing.db", quoted = "db=\"" + missing + "\"";
  for (const std::string& keys : std::vector<std::string>{
           quoted, "db=", "timeout=1", "db=:memory: color=red", "db=:memory: db=x",
           "db=:memory: timeout=abc", "db=:memory: timeout=-1", "db=:memory: readonly=maybe",
           "db=a" + std::string(1, '\0') + ".db"})
    EXPECT_NE(open_error("sqlite3://" + keys), "") << keys;
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_EQ(open_error("sqlite3://db=" + missing),
            "The SQLite connection string holds \"dir/missing.db\", which is not KEY=VALUE (a path "
            "with blanks goes between double quotes: db=\"/my dir/a.db\").");
  EXPECT_FALSE(fs::exists(scratch_dir() / "my"));
  EXPECT_EQ(open_error("sqlite3://" + quoted + " create=1"), "");
  auto db = make_object<Connection>();
  db->Open("sqlite3://" + quoted + " timeout=0.5 readonly=0");
  db->Execute("CREATE TABLE T (A INTEGER)");
  db->Close();
  db->Open("sqlite3://readonly=1 " + quoted);  // a quote that ends the string
  EXPECT_EQ(to_long(db->Execute("SELECT COUNT(*) AS N FROM T")->value("N")), 0);
  EXPECT_THROW(db->Execute("INSERT INTO T VALUES (1)"), Error);
  // A file deleted between calls is not created again; the trace says why.
  const auto [path, url] = new_database(Backend::Sqlite, kCustomers);
  EXPECT_EQ(customer(url), kRenamed);
  fs::remove(path);
  Traced t;
  EXPECT_EQ(customer(url), "");
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(t.trace.find("Connection.Open: Cannot establish connection to the database."), 0u)
      << t.trace;
}

// A local port that accepts and never answers, or (closed) nobody's.
struct Port {
  explicit Port(bool listening) : fd(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), size);
    if (listening) listen(fd, 8);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    number = std::to_string(ntohs(a.sin_port));
    if (!listening) close(fd);
  }
  ~Port() { close(fd); }
  int fd;
  std::string number;
};

TEST(DataPathServer, ClosedOrSilentFailsWithinLoginTimeout) {
  const std::string freetds = odbc_driver_library("libtdsodbc.so");
  ASSERT_FALSE(freetds.empty()) << "FreeTDS (tdsodbc) is not installed";
  setenv("LEMA_ODBC_DRIVER", freetds.c_str(), 1);
  Port closed(false), silent(true);
  for (const std::string& url :
       {"Provider=SQLOLEDB;Data Source=127.0.0.1," + closed.number + ";User ID=sa;Password=x",
        "Provider=SQLOLEDB.1;Data Source=tcp:127.0.0.1," + silent.number +
            ";Initial Catalog=Ditta;User ID=sa;Password=x;Connect Timeout=1",
        "Driver={ODBC Driver 18 for SQL Server};Server=tcp:127.0.0.1," + silent.number +
            ";Database=Ditta;Uid=sa;Pwd=x;LoginTimeout=1"}) {
    Traced t;
    const std::string message = open_error(url);
    EXPECT_LT(t.seconds(), 5) << url;
    EXPECT_EQ(message.find("Cannot connect to the database: "), 0u) << message;
    EXPECT_NE(message.find("[FreeTDS]"), std::string::npos) << message;
  }
  unsetenv("LEMA_ODBC_DRIVER");
}

TEST(InMemoryRecordset, BuiltFilledAndConverted) {
  auto rs = make_object<Recordset>();
  Object& o = *rs;
  EXPECT_RAISES(kNotHere, rs->Open());
  ObjectRef fields = to_object(get_property(o, "Fields"));
  EXPECT_RAISES(
      "3001 Arguments are of the wrong type, are out of acceptable range, or are in conflict with "
      "one another.: Append",
      call_method(*fields, "Append", {"B", 999}));
  call_method(*fields, "Append", {"T", adVarWChar, 7, -1});
  call_method(*fields, "Append", {"D", adDBDate});
  rs->append_field({"S", adDBTimeStamp});
  rs->append_field({"W", adWChar, 2});
  rs->append_field({"I", adSmallInt});
  rs->append_field({"M", adDecimal});
  rs->append_field({"V", adVariant});
  EXPECT_RAISES("3367 Object is already in collection. Cannot append.",
                rs->append_field({"t", adInteger}));
  EXPECT_RAISES(kIsClosed, rs->Close());
  EXPECT_RAISES("5 A recordset without a source takes no connection.",
                rs->Open(Value::missing(), ObjectRef(rs)));
  call_method(o, "Open");
  EXPECT_RAISES("3251 Current Recordset does not support updating.", rs->AddNew());
  rs->Close();
  let_property(o, "CursorType", adOpenStatic);
  let_property(o, "LockType", adLockOptimistic);
  rs->Open(Value::missing(), Value::nothing());
  ObjectRef text = to_object(call_method(*fields, "Item", {"T"}));
  ObjectRef date = to_object(call_method(*fields, "Item", {1}));
  for (int i = 0; i < 2; ++i) {
    call_method(o, "AddNew");
    EXPECT_TRUE(rs->value("T").is_null());
    let_property(*text, "Value", 2024.5 + i);
    call_method(o, "Update");
  }
  const std::tuple<Object*, const char*, Value> state[] = {{text.get(), "Value", "2025.5"},
                                                           {text.get(), "DefinedSize", 7},
                                                           {date.get(), "Type", adDBDate},
                                                           {&o, "BOF", false}};
  for (const auto& [object, member, value] : state)
    EXPECT_EQ(get_property(*object, member), value) << member;
  EXPECT_EQ(rs->position(), 1);
  rs->MoveFirst();
  EXPECT_EQ(rs->value("t"), "2024.5");
  const std::tuple<const char*, Value, Value> conversions[] = {
      {"D", day(2024, 3, 15, 10, 30), day(2024, 3, 15)},  // a date field has no time
      {"S", "15/03/2024 10:30", day(2024, 3, 15, 10, 30)},
      {"I", "12", int16_t{12}},
      {"M", "12.50", *Decimal::parse("12.5")},
      {"V", 5, 5},
      {"W", Value(), Value::null()}};
  for (const auto& [f, in, out] : conversions) {
    rs->set_value(f, in);
    EXPECT_EQ(rs->value(f), out) << f;
  }
  EXPECT_RAISES("-2147217887 Multiple-step operation generated errors. Check each status value.",
                rs->set_value("W", "Yes"));
  EXPECT_TRUE(rs->value("W").is_null());  // a refused value leaves the field as it was
  EXPECT_RAISES("13 Type mismatch", rs->set_value("D", "not a date"));
  EXPECT_RAISES("13 Type mismatch", rs->set_value("T", Array::matrix(1, 1)));
  EXPECT_RAISES("6 Overflow", rs->set_value("I", 40000));
  EXPECT_RAISES(kNoItem, rs->value("Z"));
  EXPECT_RAISES(kNoItem, call_method(*fields, "Item", {7}));
  EXPECT_RAISES(kIsOpen, rs->Open());
  EXPECT_RAISES(kNotHere, rs->append_field({"C", adInteger}));
  EXPECT_RAISES("9 Subscript out of range", rs->cell(5, 0));
  rs->MoveNext();
  rs->MoveNext();
  EXPECT_TRUE(rs->IsEOF() && !rs->IsBOF());
  EXPECT_EQ(rs->position(), -1);
  EXPECT_RAISES(kNoRow, rs->MoveNext());
}

TEST(SqliteDialect, RewritesOnlyWhatSqliteCannotRead) {
  const std::pair<const char*, const char*> cases[] = {
      {"select distinct top ( 3 ) A from T;", "select distinct  A from T LIMIT 3;"},
      {"SELECT TOP 2 X FROM (SELECT TOP 9 X FROM T) Q -- last\n",
       "SELECT  X FROM (SELECT  X FROM T LIMIT 9) Q LIMIT 2 -- last\n"},
      {"SELECT 'WITH (NOLOCK) ISNULL(' AS [ISNULL(], \"TOP 1\" FROM T /* WITH(NOLOCK) */", nullptr},
      {"SELECT A FROM T WHERE A ISNULL", nullptr},
      {"SELECT isnull (A, 0) FROM T with(nolock)", "SELECT IFNULL (A, 0) FROM T "},
      {"WITH Q AS (SELECT 1 AS A) SELECT A FROM Q", nullptr},
      {"SELECT TOP 10 PERCENT A FROM T", nullptr},
      {"SELECT TOP 3 WITH TIES A FROM T ORDER BY A", nullptr},
      // Table functions read a table of their name (P1..Pn: arguments), APPLY joins, dbo.
      // goes, "alias = expression" becomes AS.
      {"SELECT (SELECT D FROM dbo.FN(T.A, 'x,(y)')) AS D FROM T",
       "SELECT (SELECT D FROM (SELECT * FROM FN WHERE FN.P1 = (T.A) AND FN.P2 = ('x,(y)'))) AS D FROM T"},
      {"SELECT * FROM T JOIN G() ON 1 OUTER APPLY DBO.F(f(A, B), 2) AS X",
       "SELECT * FROM T JOIN (SELECT * FROM G) ON 1 LEFT JOIN F AS X ON F.P1 = (f(A, B)) AND F.P2 = (2)"},
      {"SELECT dbo.SF(A) FROM T CROSS APPLY F(A) WHERE B IN (1)",
       "SELECT SF(A) FROM T JOIN F ON F.P1 = (A) WHERE B IN (1)"},
      {"SELECT A FROM F(,1)", nullptr},  // left for the database to refuse
      {"SELECT TOP 1 M = CASE A WHEN 1 THEN 'x' END, B, (SELECT N = 2) FROM T",
       "SELECT   CASE A WHEN 1 THEN 'x' END AS M, B, (SELECT  2 AS N) FROM T LIMIT 1"},
  };
  for (const auto& [in, out] : cases)  // nullptr: left as it is
    EXPECT_EQ(to_sqlite_dialect(in), out ? out : in) << in;
  EXPECT_EQ(
      split_statements("CREATE TABLE T (A TEXT)\r\n;\n-- a; b\nINSERT INTO T VALUES ('a;b');\n\n"),
      (std::vector<std::string>{"CREATE TABLE T (A TEXT)",
                                "-- a; b\nINSERT INTO T VALUES ('a;b')"}));
  EXPECT_TRUE(split_statements(" ; -- nothing\n;").empty());
}

// Backend, parameters, login and query timeouts.
std::string target(const char* text) {
  const ConnectionTarget t = parse_connection_string(text, "D");
  EXPECT_EQ(t.busy_timeout_ms, 3000);
  return (t.backend == ConnectionTarget::Backend::Sqlite ? "sqlite " : "odbc ") + t.parameters +
         " " + std::to_string(t.login_timeout_s) + " " + std::to_string(t.query_timeout_s);
}

TEST(ConnectionStrings, BackendsTranslationTimeouts) {
  const std::pair<const char*, const char*> cases[] = {
      {"  SQLITE3://db=:memory: ", "sqlite db=:memory: 5 -1"},
      {"odbc://DSN=x;UID=u\t", "odbc DSN=x;UID=u 5 -1"},
      {"Driver={SQLite3};Database=a.db", "odbc Driver={SQLite3};Database=a.db 5 -1"},
      {"Provider=SQLOLEDB.1;Persist Security Info=False;Data Source=srv\\INST;"
       "Initial Catalog=Ditta;User ID=sa;Password=p w;Auto Translate=True",
       "odbc DRIVER=D;SERVER=srv\\INST;DATABASE=Ditta;UID=sa;PWD=p w 5 -1"},
      {"odbc://LoginTimeout=7;DSN=x;QueryTimeout=9", "odbc DSN=x 7 9"},
      {"Provider=SQLNCLI11;Integrated Security=SSPI;Data Source=\"db,1433\";Initial Catalog='My;Db'",
       "odbc DRIVER=D;Trusted_Connection=Yes;SERVER=db,1433;DATABASE={My;Db} 5 -1"},
      {" Server = h ;;Password=a}b;Application Name=A;Workstation ID=W",
       "odbc DRIVER=D;SERVER=h;PWD={a}}b};APP=A;WSID=W 5 -1"},
      {"Data Source=h;Password=\" p\";User ID=", "odbc DRIVER=D;SERVER=h;PWD={ p};UID= 5 -1"}};
  for (const auto& [text, want] : cases) EXPECT_EQ(target(text), want) << text;
  for (const char* bad : {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb", "just text",
                          "Data Source=\"unterminated"})
    EXPECT_RAISES("3001 The connection string is not understood.", target(bad)) << bad;
  EXPECT_THROW(target("DSN=x;LoginTimeout=soon"), Error);
  EXPECT_EQ(sql_server_odbc_driver(), "FreeTDS");
  const std::tuple<const char*, OdbcDriverKind, const char*> drivers[] = {
      {"DRIVER=SQLite3;Database=a.db", OdbcDriverKind::Sqlite,
       "DRIVER=SQLite3;Database=a.db;Timeout=3000"},
      {"DSN=x;Timeout=10", OdbcDriverKind::Sqlite, "DSN=x;Timeout=10"},
      {"Driver={SQL Server};Server=tcp:h,1433;Uid=u", OdbcDriverKind::FreeTds,
       "DRIVER=FreeTDS;SERVER=h,1433;Uid=u;ClientCharset=UTF-8;TDS_Version=7.4"}};
  for (const auto& [in, kind, out] : drivers)
    EXPECT_EQ(
        odbc_string_for_driver(in, kind, kind == OdbcDriverKind::Sqlite ? "" : "FreeTDS", 3000),
        out);
}

}  // namespace
}  // namespace lema
