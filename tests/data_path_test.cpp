// The statements the library runs itself, as a production database treats them: a lock held
// by another writer, long texts, a wrong or vanished path, a server that does not answer.
// Each case bounds the time a hang would break and checks that the reason reaches the trace.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "common/error.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "host/ado/connection.h"
#include "host/ado/connection_string.h"
#include "lema/lema.h"
#include "lookup/clscg_lookup.h"
#include "support/databases.h"

namespace lema {
namespace {

using testing::Backend;
namespace fs = std::filesystem;

thread_local std::string t_trace;
void collect(std::string_view what) {
  (t_trace += what) += '\n';
}

// Collects the reasons swallowed while it lives, and times its life.
struct Traced {
  Traced() {
    t_trace.clear();
    set_swallow_observer(collect);
  }
  ~Traced() { set_swallow_observer(nullptr); }
  double seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

// A second connection, outside the library, that writes to the file.
struct Writer {
  explicit Writer(const std::string& path) {
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db, 5000);
  }
  ~Writer() { sqlite3_close(db); }
  void exec(const char* sql) { ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), 0); }
  sqlite3* db = nullptr;
};

Value customer(CLSCG_DECODE& dc, const std::string& url) {
  return dc.ClienteFornitore(Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{123}),
                             Value(*Date::from_civil(2024, 6, 30)), url);
}

// A database file with both fixtures (their columns TEXT when `text`), its path and its
// connection string on `b`.
std::pair<std::string, std::string> database(Backend b, bool text = false) {
  const std::string path = testing::fresh_db_path(), url = testing::url_for(b, path);
  auto db = make_object<ado::Connection>();
  db->Open(Value(url));
  for (const auto* fixture : {&testing::customer_fixture(), &testing::fiscal_year_fixture()})
    for (std::string s : *fixture) {
      for (const char* type : {"VARCHAR(80)", "VARCHAR(8)", "DATE"})
        for (size_t at; text && (at = s.find(type)) != std::string::npos;)
          s.replace(at, std::strlen(type), "TEXT");
      db->Execute(s);
    }
  return {path, url};
}

class DataPath : public ::testing::TestWithParam<Backend> {};

TEST_P(DataPath, ALockFailsTheStepAfterTheWaitAndAShortOneIsWaitedFor) {
  const auto [path, url] = database(GetParam());
  const std::string short_wait =
      url + (GetParam() == Backend::Sqlite ? " timeout=0.4" : ";Timeout=400");
  // A string that names no wait gets the library's 3 s (the ODBC driver keeps its own
  // handler: its "Timeout=3000" is checked with the strings below).
  if (GetParam() == Backend::Sqlite) {
    auto plain = make_object<ado::Connection>();
    plain->Open(Value(url));
    EXPECT_EQ(to_text(plain->Execute("PRAGMA busy_timeout")->value(0)), "3000");
  }
  auto dc = make_object<CLSCG_DECODE>();
  ASSERT_EQ(customer(*dc, short_wait), Value("Rossi Mario S.r.l."));
  auto db = make_object<ado::Connection>();
  db->Open(Value(short_wait));
  ObjectRef connection(db);
  Writer writer(path);
  writer.exec("BEGIN EXCLUSIVE");
  {
    Traced t;  // on a connection opened before the lock, and on one opened under it
    auto lk = make_object<CLSCG_LOOKUP>();
    lk->EserciziContabili(connection, Value(int32_t{12}));
    EXPECT_FALSE(lk->LookupRecordset);
    EXPECT_EQ(customer(*dc, short_wait), Value(""));
    EXPECT_GT(t.seconds(), 0.7);
    EXPECT_LT(t.seconds(), 4);
    EXPECT_NE(t_trace.find("Connection.Execute: "), std::string::npos) << t_trace;
    EXPECT_NE(t_trace.find("database is locked"), std::string::npos) << t_trace;
  }
  writer.exec("ROLLBACK");
  EXPECT_EQ(customer(*dc, url), Value("Rossi Mario S.r.l."));

  // A writer holding short transactions is waited for: no call comes back empty.
  std::atomic<bool> stop{false};
  std::thread busy([&] {
    while (!stop) {
      writer.exec("BEGIN EXCLUSIVE");
      writer.exec("UPDATE VCG16_ANAGRALLADATA SET CG44_TIPOCF = CG44_TIPOCF");
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      writer.exec("COMMIT");
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  int empty = 0;
  for (int i = 0; i < 30; ++i) empty += customer(*dc, url) == Value("");
  stop = true;
  busy.join();
  EXPECT_EQ(empty, 0);
}

TEST_P(DataPath, LongTextIsReadWholeWithMemoryFollowingTheData) {
  const auto [path, url] = database(GetParam(), true);
  const std::string name = "é" + std::string(100000, 'x');
  Writer(path).exec(("UPDATE VCG16_ANAGRALLADATA SET CG16_RAGSOANAG = '" + name +
                     "' WHERE DATAINIZIOVALIDITA = '20240101'")
                        .c_str());
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  auto dc = make_object<CLSCG_DECODE>();
  EXPECT_EQ(customer(*dc, url), Value(name));
  auto db = make_object<ado::Connection>();
  db->Open(Value(url));
  ObjectRef connection(db);
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->EserciziContabili(connection, Value(int32_t{12}));
  auto* list = dynamic_cast<ado::Recordset*>(lk->LookupRecordset.get());
  ASSERT_TRUE(list);
  EXPECT_EQ(list->cell(1, 2), Value(*Date::from_civil(2024, 12, 31)));
  getrusage(RUSAGE_SELF, &after);
  EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 50 * 1024);  // KB
}

INSTANTIATE_TEST_SUITE_P(Backends, DataPath, ::testing::Values(Backend::Sqlite, Backend::Odbc),
                         [](const auto& p) { return testing::backend_name(p.param); });

std::string open_error(const std::string& url) {
  try {
    make_object<ado::Connection>()->Open(Value(url));
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), ErrorCode::DataAccess);
    return e.what();
  }
  return "";
}

TEST(DataPathFiles, NoDatabaseIsCreatedAndBadUrlsSayWhy) {
  const fs::path dir = testing::scratch_dir() / "my dir";
  fs::create_directories(dir);
  const std::string missing = (dir / "missing.db").string(), quoted = "db=\"" + missing + "\"";
  for (const std::string& keys : std::vector<std::string>{
           "db=" + missing, quoted, "db=", "timeout=1", "db=:memory: color=red", "db=:memory: db=x",
           "db=:memory: timeout=abc", "db=:memory: timeout=-1", "db=:memory: readonly=maybe",
           "db=a" + std::string(1, '\0') + ".db"})
    EXPECT_NE(open_error("sqlite3://" + keys), "") << keys;
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_NE(open_error("sqlite3://db=" + missing).find("double quotes"), std::string::npos);
  EXPECT_FALSE(fs::exists(testing::scratch_dir() / "my"));

  // Quoted paths with blanks, explicit creation, read-only.
  EXPECT_EQ(open_error("sqlite3://" + quoted + " create=1"), "");
  auto db = make_object<ado::Connection>();
  db->Open(Value("sqlite3://" + quoted + " timeout=0.5"));
  db->Execute("CREATE TABLE T (A INTEGER)");
  auto ro = make_object<ado::Connection>();
  ro->Open(Value("sqlite3://" + quoted + " readonly=1"));
  EXPECT_EQ(to_long(ro->Execute("SELECT COUNT(*) AS N FROM T")->value("N")), 0);
  EXPECT_THROW(ro->Execute("INSERT INTO T VALUES (1)"), Error);
}

// The C interface's trace.
void c_trace(const char* text, size_t length, void* user) {
  static_cast<std::string*>(user)->append(text, length).push_back('\n');
}

TEST(DataPathFiles, AFileDeletedBetweenCallsIsNotCreatedAgain) {
  const auto [path, url] = database(Backend::Sqlite);
  EXPECT_EQ(customer(*make_object<CLSCG_DECODE>(), url), Value("Rossi Mario S.r.l."));
  fs::remove(path);
  std::string trace;
  lema_set_trace(c_trace, &trace);
  EXPECT_EQ(customer(*make_object<CLSCG_DECODE>(), url), Value(""));
  lema_set_trace(nullptr, nullptr);
  EXPECT_FALSE(fs::exists(path));
  EXPECT_EQ(trace.find("Connection.Open: Cannot establish connection to the database."), 0u)
      << trace;
}

// A local TCP port that accepts connections and never answers, or (closed) nobody's.
struct Port {
  explicit Port(bool listening) : fd(socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t n = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), n);
    if (listening) listen(fd, 8);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &n);
    number = std::to_string(ntohs(a.sin_port));
    if (!listening) close(fd);
  }
  ~Port() { close(fd); }
  int fd;
  std::string number;
};

TEST(DataPathServer, AServerThatIsClosedOrSilentFailsWithinTheLoginTimeout) {
  // The tests' own driver list (read once per process) has no FreeTDS: it is named by its
  // library, as the SQL Server driver.
  testing::register_sqlite_odbc_driver();
  std::string freetds;
  for (const auto& dir : fs::directory_iterator("/usr/lib"))
    if (fs::exists(dir.path() / "odbc/libtdsodbc.so")) freetds = dir.path() / "odbc/libtdsodbc.so";
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

TEST(DataPathServer, ConnectionStringsGetTheDriversKeysAndTheLibrarysTimeouts) {
  using ado::odbc_string_for_driver;
  using ado::OdbcDriverKind;
  EXPECT_EQ(
      odbc_string_for_driver("DRIVER=SQLite3;Database=a.db", OdbcDriverKind::Sqlite, "", 3000),
      "DRIVER=SQLite3;Database=a.db;Timeout=3000");
  EXPECT_EQ(odbc_string_for_driver("DSN=x;Timeout=10", OdbcDriverKind::Sqlite, "", 3000),
            "DSN=x;Timeout=10");
  EXPECT_EQ(odbc_string_for_driver("Driver={SQL Server};Server=tcp:h,1433;Uid=u",
                                   OdbcDriverKind::FreeTds, "FreeTDS", 3000),
            "DRIVER=FreeTDS;SERVER=h,1433;Uid=u;ClientCharset=UTF-8;TDS_Version=7.4");
  ado::ConnectionTarget t =
      ado::parse_connection_string("odbc://LoginTimeout=7;DSN=x;QueryTimeout=9", "D");
  EXPECT_EQ(t.parameters, "DSN=x");
  EXPECT_EQ(t.login_timeout_s, 7);
  EXPECT_EQ(t.query_timeout_s, 9);
  t = ado::parse_connection_string("Provider=SQLOLEDB;Data Source=s;Connect Timeout=4", "D");
  EXPECT_EQ(t.parameters, "DRIVER=D;SERVER=s");
  EXPECT_EQ(t.login_timeout_s, 4);
  t = ado::parse_connection_string("odbc://DSN=x", "D");  // waits a screen can live with
  EXPECT_EQ(t.busy_timeout_ms, 3000);
  EXPECT_EQ(t.login_timeout_s, 5);
  EXPECT_THROW(ado::parse_connection_string("DSN=x;LoginTimeout=soon", "D"), Error);
}

}  // namespace
}  // namespace lema
