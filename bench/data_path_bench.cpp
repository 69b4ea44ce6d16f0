// ClienteFornitore and EserciziContabili over ODBC (the SQLite driver), on tables whose text
// columns are declared TEXT (of unbounded size for the driver) or VARCHAR, against a plain
// ODBC fetch loop of the same statements. Each case also reports peak_MB: the peak resident
// memory of a child process that runs the case three times from a fresh connection.
#include <benchmark/benchmark.h>
#include <sql.h>
#include <sqlext.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "decode/clscg_decode.h"
#include "host/ado/connection.h"
#include "host/ado/dialect.h"
#include "lookup/clscg_lookup.h"

namespace lema::bench {
namespace {

constexpr int kCustomers = 1000, kYears = 100;

// The database whose text columns are declared `type`, built once.
std::string database(const std::string& type) {
  const std::string path =
      std::string("/tmp/lema_bench_data_path_") + (type == "TEXT" ? "text" : "varchar") + ".db";
  static std::vector<std::string> built;
  for (const std::string& p : built)
    if (p == path) return path;
  std::remove(path.c_str());
  auto db = make_object<ado::Connection>();
  db->Open(Value("sqlite3://db=" + path + " create=1"));
  db->Execute(
      "CREATE TABLE VCG16_ANAGRALLADATA (CG44_DITTA_CG18 INTEGER, CG44_TIPOCF INTEGER, "
      "CG44_CLIFOR INTEGER, CG16_RAGSOANAG " +
      type + ", DATAINIZIOVALIDITA " + type + ", DATAFINEVALIDITA " + type + ")");
  db->Execute("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
              std::to_string(kCustomers - 1) +
              ") INSERT INTO VCG16_ANAGRALLADATA SELECT 1, 0, i, 'Cliente numero ' || i, "
              "NULL, '20991231' FROM n");
  db->Execute(
      "CREATE TABLE CG19_ANADITTAESER (CG19_DITTA_CG18 INTEGER, CG19_ANNO INTEGER, "
      "CG19_PROGESER INTEGER, CG19_DATAAPE " +
      type + ", CG19_DATACHIU " + type +
      ", CG19_FLGESERCOR INTEGER, CG19_FLGESERCHIUSO INTEGER, CG19_FLGGENCESP INTEGER, "
      "CG19_FLGGENRISC INTEGER, CG19_FLGADECBCLI INTEGER, CG19_FLGADECBATT INTEGER, "
      "CG19_FLGADECBFOR INTEGER, CG19_FLGADECBPAS INTEGER)");
  db->Execute("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
              std::to_string(kYears - 1) +
              ") INSERT INTO CG19_ANADITTAESER SELECT 1, 1900 + i, 1, printf('%04d-01-01', "
              "1900 + i), printf('%04d-12-31', 1900 + i), i % 2, 0, 1, 0, 1, 0, 1, 0 FROM n");
  built.push_back(path);
  return path;
}

std::string url(const std::string& type) {
  return "odbc://DRIVER=SQLite3;Database=" + database(type);
}

Value decode(CLSCG_DECODE& dc, const std::string& connection_string) {
  return dc.ClienteFornitore(Value(int32_t{1}), Value(int32_t{0}), Value(int32_t{123}),
                             Value(*Date::from_civil(2024, 6, 30)), connection_string);
}

// The peak resident memory, in MB, of a child process that runs `f` three times.
double peak_mb(const std::function<void()>& f) {
  const pid_t child = fork();
  if (child == 0) {
    for (int i = 0; i < 3; ++i) f();
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return -1;
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void ClienteFornitore(benchmark::State& state, const std::string& type) {
  const std::string u = url(type);
  auto dc = make_object<CLSCG_DECODE>();
  for (auto _ : state) benchmark::DoNotOptimize(decode(*dc, u));
  state.counters["peak_MB"] = peak_mb([&] { decode(*make_object<CLSCG_DECODE>(), u); });
}

void EserciziContabili(benchmark::State& state, const std::string& type) {
  auto run = [u = url(type)](CLSCG_LOOKUP& lk, ObjectRef& c) {
    if (!c) {
      auto connection = make_object<ado::Connection>();
      connection->Open(Value(u));
      c = ObjectRef(connection);
    }
    lk.EserciziContabili(c, Value(int32_t{1}));
    benchmark::DoNotOptimize(lk.LookupRecordset);
  };
  auto lk = make_object<CLSCG_LOOKUP>();
  ObjectRef connection;
  for (auto _ : state) run(*lk, connection);
  state.counters["peak_MB"] = peak_mb([&] {
    ObjectRef fresh;
    run(*make_object<CLSCG_LOOKUP>(), fresh);
  });
}

SQLCHAR* text(const std::string& s) {
  return const_cast<SQLCHAR*>(reinterpret_cast<const SQLCHAR*>(s.c_str()));
}

// The same statement read with the ODBC C API: every column as text, through a fixed buffer.
void PlainOdbcLoop(benchmark::State& state, bool fiscal_years) {
  std::string sql;
  if (fiscal_years) {
    auto lk = make_object<CLSCG_LOOKUP>();
    ObjectRef none;
    lk->EserciziContabili_LKPGRID(none, Value(int32_t{1}));
    sql = lk->StringaSQL().as_string();
  } else {
    auto dc = make_object<CLSCG_DECODE>();
    decode(*dc, "");
    sql = dc->StringaSQL().as_string();
  }
  sql = ado::to_sqlite_dialect(sql);
  const std::string connect = "DRIVER=SQLite3;Database=" + database("TEXT");
  auto loop = [&](int times) {
    SQLHENV env;
    SQLHDBC dbc;
    SQLHSTMT stmt;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    SQLDriverConnect(dbc, nullptr, text(connect), SQL_NTS, nullptr, 0, nullptr,
                     SQL_DRIVER_NOPROMPT);
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &stmt);
    for (int t = 0; t < times || (times < 0 && state.KeepRunning()); ++t) {
      std::vector<std::string> cells;
      SQLExecDirect(stmt, text(sql), SQL_NTS);
      SQLSMALLINT columns = 0;
      SQLNumResultCols(stmt, &columns);
      char buffer[256];
      SQLLEN length;
      while (SQL_SUCCEEDED(SQLFetch(stmt)))
        for (SQLUSMALLINT c = 1; c <= columns; ++c)
          if (SQL_SUCCEEDED(SQLGetData(stmt, c, SQL_C_CHAR, buffer, sizeof buffer, &length)))
            cells.emplace_back(length == SQL_NULL_DATA ? "" : buffer);
      SQLFreeStmt(stmt, SQL_CLOSE);
      benchmark::DoNotOptimize(cells.data());
    }
    SQLFreeHandle(SQL_HANDLE_STMT, stmt);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
  };
  loop(-1);
  state.counters["peak_MB"] = peak_mb([&] { loop(1); });
}

BENCHMARK_CAPTURE(ClienteFornitore, Text, std::string("TEXT"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ClienteFornitore, Varchar, std::string("VARCHAR(80)"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainOdbcLoop, ClienteFornitore, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EserciziContabili, Text, std::string("TEXT"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EserciziContabili, Varchar, std::string("VARCHAR(80)"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PlainOdbcLoop, EserciziContabili, true)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lema::bench
