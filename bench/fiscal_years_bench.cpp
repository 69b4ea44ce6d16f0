// EserciziContabili over 10,000 fiscal years in an SQLite database, against a plain SOCI
// loop that reads the same rows into memory, in the same run.
#include <benchmark/benchmark.h>
#include <soci/soci.h>
#include <soci/sqlite3/soci-sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/ado/connection.h"
#include "host/ado/dialect.h"
#include "lookup/clscg_lookup.h"

namespace lema::bench {
namespace {

constexpr int kRows = 10000;

const std::string& database() {
  static const std::string path = [] {
    std::string p = "/tmp/lema_bench_fiscal_years.db";
    std::remove(p.c_str());
    soci::session s(soci::sqlite3, "db=" + p);
    s << "CREATE TABLE CG19_ANADITTAESER (CG19_DITTA_CG18 INTEGER, CG19_ANNO INTEGER, "
         "CG19_PROGESER INTEGER, CG19_DATAAPE DATE, CG19_DATACHIU DATE, "
         "CG19_FLGESERCOR INTEGER, CG19_FLGESERCHIUSO INTEGER, CG19_FLGGENCESP INTEGER, "
         "CG19_FLGGENRISC INTEGER, CG19_FLGADECBCLI INTEGER, CG19_FLGADECBATT INTEGER, "
         "CG19_FLGADECBFOR INTEGER, CG19_FLGADECBPAS INTEGER)";
    s << "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
             std::to_string(kRows - 1) +
             ") INSERT INTO CG19_ANADITTAESER SELECT 1, 1000 + i / 4, 1 + i % 4, "
             "printf('%04d-01-01', 1000 + i / 4), printf('%04d-12-31', 1000 + i / 4), "
             "i % 2, (i + 1) % 2, i % 3 = 0, 0, 1, 0, 1, 0 FROM n";
    return p;
  }();
  return path;
}

// The statement the lookup builds, for the plain loop to run as it is.
std::string statement() {
  auto lk = make_object<CLSCG_LOOKUP>();
  ObjectRef none;
  lk->EserciziContabili_LKPGRID(none, Value(int32_t{1}));
  return ado::to_sqlite_dialect(lk->StringaSQL().as_string());
}

void EserciziContabili10k(benchmark::State& state) {
  auto conn = make_object<ado::Connection>();
  conn->Open(Value("sqlite3://db=" + database()));
  ObjectRef c = conn;
  auto lk = make_object<CLSCG_LOOKUP>();
  for (auto _ : state) {
    lk->EserciziContabili(c, Value(int32_t{1}));
    benchmark::DoNotOptimize(lk->LookupRecordset);
  }
  state.counters["rows"] = kRows;
}

struct Row {
  std::string eser;
  std::tm start, end;
  std::string flags[8];
};

void PlainSociLoop(benchmark::State& state) {
  soci::session s(soci::sqlite3, "db=" + database());
  const std::string sql = statement();
  for (auto _ : state) {
    std::vector<Row> rows;
    soci::rowset<soci::row> rs = (s.prepare << sql);
    for (const soci::row& r : rs) {
      Row out;
      char buf[16];
      std::snprintf(buf, sizeof buf, "%04d", static_cast<int>(r.get<int>(0)));
      out.eser = std::string(buf) + "/" + std::to_string(r.get<int>(1));
      out.start = r.get<std::tm>(2);
      out.end = r.get<std::tm>(3);
      for (int f = 0; f < 8; ++f)
        if (r.get_indicator(static_cast<size_t>(4 + f)) == soci::i_ok)
          out.flags[f] = r.get<std::string>(static_cast<size_t>(4 + f));
      rows.push_back(std::move(out));
    }
    benchmark::DoNotOptimize(rows.data());
  }
  state.counters["rows"] = kRows;
}

BENCHMARK(EserciziContabili10k)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainSociLoop)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lema::bench
