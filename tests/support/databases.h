// Databases for the data-access tests: a fresh SQLite file per use, reached either directly
// or through unixODBC with the SQLite ODBC driver, which the tests register themselves (an
// odbcinst.ini of their own in a temporary directory, named by ODBCSYSINI).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace lema::testing {

// A temporary directory for the whole test run, removed at exit.
inline const std::filesystem::path& scratch_dir() {
  struct Dir {
    Dir() {
      std::string pattern = (std::filesystem::temp_directory_path() / "lema-data-XXXXXX").string();
      if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary directory");
      path = pattern;
    }
    ~Dir() {
      std::error_code ec;
      std::filesystem::remove_all(path, ec);
    }
    std::filesystem::path path;
  };
  static const Dir dir;
  return dir.path;
}

// A new, empty database file (the library opens existing files only).
inline std::string fresh_db_path() {
  static std::atomic<int> n{0};
  std::string path = (scratch_dir() / ("db" + std::to_string(++n) + ".sqlite")).string();
  std::ofstream{path};
  return path;
}

// The SQLite ODBC driver library installed on this machine, or "".
inline std::string sqlite_odbc_driver_library() {
  namespace fs = std::filesystem;
  std::vector<fs::path> dirs{"/usr/lib/odbc", "/usr/lib64", "/usr/local/lib"};
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/usr/lib", ec))
    if (entry.is_directory()) dirs.push_back(entry.path() / "odbc");
  for (const fs::path& d : dirs)
    if (fs::exists(d / "libsqlite3odbc.so", ec)) return (d / "libsqlite3odbc.so").string();
  return {};
}

// Registers the driver under the name "LemaSQLite3" (once per process).
inline void register_sqlite_odbc_driver() {
  static const bool done = [] {
    std::string lib = sqlite_odbc_driver_library();
    if (lib.empty()) return false;
    std::filesystem::path dir = scratch_dir() / "odbc";
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "odbcinst.ini")
        << "[LemaSQLite3]\nDescription=SQLite3 for the tests\nDriver=" << lib << "\n";
    std::ofstream(dir / "odbc.ini") << "";
    setenv("ODBCSYSINI", dir.c_str(), 1);
    return true;
  }();
  ASSERT_TRUE(done) << "the SQLite ODBC driver (libsqliteodbc) is not installed";
}

enum class Backend { Sqlite, Odbc };

inline std::string backend_name(Backend b) {
  return b == Backend::Sqlite ? "Sqlite" : "Odbc";
}

// The connection string of the library for a database file, on the given backend.
inline std::string url_for(Backend b, const std::string& path) {
  if (b == Backend::Sqlite) return "sqlite3://db=" + path;
  register_sqlite_odbc_driver();
  return "odbc://DRIVER=LemaSQLite3;Database=" + path;
}

// Fixture tables the library's own statements read.
inline const std::vector<std::string>& fiscal_year_fixture() {
  static const std::vector<std::string> sql{
      "CREATE TABLE CG19_ANADITTAESER (CG19_DITTA_CG18 INTEGER, CG19_ANNO INTEGER, "
      "CG19_PROGESER INTEGER, CG19_DATAAPE DATE, CG19_DATACHIU DATE, CG19_FLGESERCOR INTEGER, "
      "CG19_FLGESERCHIUSO INTEGER, CG19_FLGGENCESP INTEGER, CG19_FLGGENRISC INTEGER, "
      "CG19_FLGADECBCLI INTEGER, CG19_FLGADECBATT INTEGER, CG19_FLGADECBFOR INTEGER, "
      "CG19_FLGADECBPAS INTEGER)",
      "INSERT INTO CG19_ANADITTAESER VALUES (12, 2024, 12, '2024-01-01', '2024-12-31', 1, 0, 1, 0, "
      "0, 0, 0, 7)",
      "INSERT INTO CG19_ANADITTAESER VALUES (12, 999, 2, '0999-07-01', NULL, 0, 1, 0, 1, 1, 0, 1, "
      "0)",
      "INSERT INTO CG19_ANADITTAESER VALUES (3, 2023, 1, '2023-01-01', '2023-12-31', 0, 1, 1, 1, "
      "1, 1, 1, 1)",
  };
  return sql;
}

inline const std::vector<std::string>& customer_fixture() {
  static const std::vector<std::string> sql{
      "CREATE TABLE VCG16_ANAGRALLADATA (CG44_DITTA_CG18 INTEGER, CG44_TIPOCF INTEGER, "
      "CG44_CLIFOR INTEGER, CG16_RAGSOANAG VARCHAR(80), DATAINIZIOVALIDITA VARCHAR(8), "
      "DATAFINEVALIDITA VARCHAR(8))",
      "INSERT INTO VCG16_ANAGRALLADATA VALUES (5, 0, 123, 'Rossi Mario', NULL, '20231231')",
      "INSERT INTO VCG16_ANAGRALLADATA VALUES (5, 0, 123, 'Rossi Mario S.r.l.', '20240101', NULL)",
      "INSERT INTO VCG16_ANAGRALLADATA VALUES (5, 1, 123, NULL, NULL, NULL)",
  };
  return sql;
}

}  // namespace lema::testing
