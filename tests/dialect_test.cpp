// The SQLite dialect bridge on each library statement that runs on a database, its limits,
// and the connection strings of the data-access layer.
#include "host/ado/dialect.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/error.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "host/ado/connection.h"
#include "host/ado/connection_string.h"
#include "lookup/clscg_lookup.h"
#include "support/databases.h"
#include "support/document_query.h"

namespace lema::ado {
namespace {

// The connector's document query for company 1 and registration "100".
const std::string kDocumentQuery = test_data::document_query("1", "100");

TEST(SqliteDialect, DocumentQuery) {
  EXPECT_EQ(to_sqlite_dialect(kDocumentQuery),
            " SELECT CO99.CO99_INDTIPOOP AS INDTIPOOP,"
            "        IFNULL(CG33.CG33_INDGESTEC, CG33C.CG33_INDGESTEC) AS INDGESTEC,"
            "        ( SELECT  EF06_NUMREG_CO99"
            "          FROM EF06_SCADSTO "
            "              LEFT OUTER JOIN CO99_MASTERDOC CO99_STORICO "
            "                  ON CO99_STORICO.CO99_DITTA_CG18 = CO99.CO99_DITTA_CG18"
            "                  AND CO99_STORICO.CO99_NUMREG = EF06_NUMREG_CO99"
            "          WHERE EF06_DITTA_CG18 = CO99.CO99_DITTA_CG18"
            "          AND EF06_NUMREGMOV_CO99 = CO99.CO99_NUMREG"
            "          AND CO99_STORICO.CO99_INDTIPOOP = 1"
            "          ORDER BY EF06_NUMREG_CO99 LIMIT 1"
            "        ) AS NUMREG_ORIG"
            " FROM CO99_MASTERDOC CO99 "
            "     LEFT OUTER JOIN CG41_PRIMANOTA CG41 "
            "         ON CG41.CG41_DITTA_CG18 = CO99.CO99_DITTA_CG18"
            "         AND CG41.CG41_NUMREG = CO99.CO99_NUMREG"
            "     LEFT OUTER JOIN CG41C_PRIMANOTA CG41C "
            "         ON CG41C.CG41_DITTA_CG18 = CO99.CO99_DITTA_CG18"
            "         AND CG41C.CG41_NUMREG = CO99.CO99_NUMREG"
            "     LEFT OUTER JOIN CG33_TABCAU CG33 "
            "         ON CG33.CG33_CODICE = CG41.CG41_CODICE_CG33"
            "     LEFT OUTER JOIN CG33_TABCAU CG33C "
            "         ON CG33C.CG33_CODICE = CG41C.CG41_CODICE_CG33"
            " WHERE CO99.CO99_DITTA_CG18 = 1 AND CO99.CO99_NUMREG = '100'");
}

TEST(SqliteDialect, FiscalYearStatement) {
  auto lk = make_object<CLSCG_LOOKUP>();
  ObjectRef none;
  lk->EserciziContabili_LKPGRID(none, Value(int32_t{12}));
  EXPECT_EQ(
      to_sqlite_dialect(lk->StringaSQL().as_string()),
      "SELECT CG19_ANNO, CG19_PROGESER, CG19_DATAAPE, CG19_DATACHIU, "
      " CASE WHEN CG19_FLGESERCOR = 0 THEN 'No' WHEN CG19_FLGESERCOR = 1 THEN 'Si' END AS CG19_FLGESERCOR,"
      " CASE WHEN CG19_FLGESERCHIUSO = 0 THEN 'No' WHEN CG19_FLGESERCHIUSO = 1 THEN 'Si' END AS CG19_FLGESERCHIUSO,"
      " CASE WHEN CG19_FLGGENCESP = 0 THEN 'No' WHEN CG19_FLGGENCESP = 1 THEN 'Si' END AS CG19_FLGGENCESP,"
      " CASE WHEN CG19_FLGGENRISC = 0 THEN 'No' WHEN CG19_FLGGENRISC = 1 THEN 'Si' END AS CG19_FLGGENRISC,"
      " CASE WHEN CG19_FLGADECBCLI = 0 THEN 'No' WHEN CG19_FLGADECBCLI = 1 THEN 'Si' END AS CG19_FLGADECBCLI,"
      " CASE WHEN CG19_FLGADECBATT = 0 THEN 'No' WHEN CG19_FLGADECBATT = 1 THEN 'Si' END AS CG19_FLGADECBATT,"
      " CASE WHEN CG19_FLGADECBFOR = 0 THEN 'No' WHEN CG19_FLGADECBFOR = 1 THEN 'Si' END AS CG19_FLGADECBFOR,"
      " CASE WHEN CG19_FLGADECBPAS = 0 THEN 'No' WHEN CG19_FLGADECBPAS = 1 THEN 'Si' END AS CG19_FLGADECBPAS"
      " FROM CG19_ANADITTAESER  "
      " WHERE CG19_DITTA_CG18 = 12"
      " ORDER BY CG19_ANNO, CG19_PROGESER");
}

TEST(SqliteDialect, CustomerStatement) {
  auto dc = make_object<CLSCG_DECODE>();
  dc->ClienteFornitore(Value(int32_t{5}), Value(int32_t{0}), Value(int32_t{123}),
                       Value("2024-06-30"));
  EXPECT_EQ(to_sqlite_dialect(dc->StringaSQL().as_string()),
            " SELECT  CG16_RAGSOANAG FROM    VCG16_ANAGRALLADATA "
            " WHERE   CG44_DITTA_CG18 = 5     AND CG44_TIPOCF = 0     AND CG44_CLIFOR = 123"
            "     AND '20240630' BETWEEN IFNULL(DATAINIZIOVALIDITA, '20240630')"
            " AND IFNULL(DATAFINEVALIDITA, '20240630')");
}

TEST(SqliteDialect, ScopeOfTheRewrites) {
  // TOP forms, at the end of the same SELECT, before a semicolon, with DISTINCT.
  EXPECT_EQ(to_sqlite_dialect("SELECT TOP(5) A FROM T"), "SELECT  A FROM T LIMIT 5");
  EXPECT_EQ(to_sqlite_dialect("select distinct top ( 3 ) A from T;"),
            "select distinct  A from T LIMIT 3;");
  EXPECT_EQ(
      to_sqlite_dialect("SELECT A, (SELECT TOP 1 B FROM U WHERE U.K = T.K) AS B FROM T ORDER BY A"),
      "SELECT A, (SELECT  B FROM U WHERE U.K = T.K LIMIT 1) AS B FROM T ORDER BY A");
  EXPECT_EQ(to_sqlite_dialect("SELECT TOP 2 X FROM (SELECT TOP 9 X FROM T) Q -- last\n"),
            "SELECT  X FROM (SELECT  X FROM T LIMIT 9) Q LIMIT 2 -- last\n");
  // Quoted texts, names and comments stay; ISNULL as an operator stays.
  EXPECT_EQ(to_sqlite_dialect(
                "SELECT 'WITH (NOLOCK) ISNULL(' AS [ISNULL(], \"TOP 1\" FROM T /* WITH(NOLOCK) */"),
            "SELECT 'WITH (NOLOCK) ISNULL(' AS [ISNULL(], \"TOP 1\" FROM T /* WITH(NOLOCK) */");
  EXPECT_EQ(to_sqlite_dialect("SELECT A FROM T WHERE A ISNULL"), "SELECT A FROM T WHERE A ISNULL");
  EXPECT_EQ(to_sqlite_dialect("SELECT isnull (A, 0) FROM T with(nolock)"),
            "SELECT IFNULL (A, 0) FROM T ");
  // A common table expression keeps its WITH; unsupported TOP forms are left as they are.
  EXPECT_EQ(to_sqlite_dialect("WITH Q AS (SELECT 1 AS A) SELECT A FROM Q"),
            "WITH Q AS (SELECT 1 AS A) SELECT A FROM Q");
  EXPECT_EQ(to_sqlite_dialect("SELECT TOP 10 PERCENT A FROM T"), "SELECT TOP 10 PERCENT A FROM T");
}

TEST(SqliteDialect, DatabaseFunctionsAndAssignedAliases) {
  EXPECT_EQ(to_sqlite_dialect("SELECT (SELECT D FROM dbo.FN(T.A, 'x,(y)')) AS D FROM T"),
            "SELECT (SELECT D FROM (SELECT * FROM FN WHERE FN.P1 = (T.A) AND FN.P2 = ('x,(y)')))"
            " AS D FROM T");
  EXPECT_EQ(to_sqlite_dialect("SELECT * FROM T JOIN G() ON 1 OUTER APPLY DBO.F(f(A, B), 2) AS X"),
            "SELECT * FROM T JOIN (SELECT * FROM G) ON 1 LEFT JOIN F AS X ON F.P1 = (f(A, B))"
            " AND F.P2 = (2)");
  EXPECT_EQ(to_sqlite_dialect("SELECT dbo.SF(A) FROM T CROSS APPLY F(A) WHERE B IN (1)"),
            "SELECT SF(A) FROM T JOIN F ON F.P1 = (A) WHERE B IN (1)");
  // An empty argument is left for the database to refuse.
  EXPECT_EQ(to_sqlite_dialect("SELECT A FROM F(,1)"), "SELECT A FROM F(,1)");
  EXPECT_EQ(
      to_sqlite_dialect("SELECT TOP 1 M = CASE A WHEN 1 THEN 'x' END, B, (SELECT N = 2) FROM T"),
      "SELECT   CASE A WHEN 1 THEN 'x' END AS M, B, (SELECT  2 AS N) FROM T LIMIT 1");
}

TEST(SqlScript, SplitsAtSemicolonsOutsideQuotesAndComments) {
  EXPECT_EQ(
      split_statements(
          "CREATE TABLE T (A TEXT);\n-- a row; with a comment\nINSERT INTO T VALUES ('a;b');\n\n"),
      (std::vector<std::string>{"CREATE TABLE T (A TEXT)",
                                "-- a row; with a comment\nINSERT INTO T VALUES ('a;b')"}));
  EXPECT_TRUE(split_statements(" ; -- nothing\n;").empty());
}

TEST(ConnectionStrings, BackendsAndSqlServerTranslation) {
  ConnectionTarget s = parse_connection_string("  SQLITE3://db=:memory: ", "FreeTDS");
  EXPECT_EQ(s.backend, ConnectionTarget::Backend::Sqlite);
  EXPECT_EQ(s.parameters, "db=:memory:");
  ConnectionTarget o = parse_connection_string("odbc://DSN=x;UID=u", "FreeTDS");
  EXPECT_EQ(o.backend, ConnectionTarget::Backend::Odbc);
  EXPECT_EQ(o.parameters, "DSN=x;UID=u");
  EXPECT_EQ(parse_connection_string("Driver={SQLite3};Database=a.db", "X").parameters,
            "Driver={SQLite3};Database=a.db");

  EXPECT_EQ(parse_connection_string(
                "Provider=SQLOLEDB.1;Persist Security Info=False;Data Source=srv\\INST;"
                "Initial Catalog=Ditta;User ID=sa;Password=p w;Auto Translate=True",
                "FreeTDS")
                .parameters,
            "DRIVER=FreeTDS;SERVER=srv\\INST;DATABASE=Ditta;UID=sa;PWD=p w");
  EXPECT_EQ(
      ole_db_to_odbc("Provider=SQLNCLI11;Integrated Security=SSPI;Data Source=\"db,1433\";"
                     "Initial Catalog='My;Db'",
                     "ODBC Driver 18 for SQL Server"),
      "DRIVER=ODBC Driver 18 for SQL Server;Trusted_Connection=Yes;SERVER=db,1433;DATABASE={My;Db}");
  EXPECT_EQ(ole_db_to_odbc("Server=h;Password=a}b", "D"), "DRIVER=D;SERVER=h;PWD={a}}b}");
  EXPECT_THROW(parse_connection_string("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb", "D"),
               Error);
  EXPECT_THROW(parse_connection_string("just text", "D"), Error);
  EXPECT_THROW(parse_connection_string("sqlite3://", "D"), Error);
  EXPECT_THROW(parse_connection_string("Data Source=\"unterminated", "D"), Error);

  setenv("LEMA_ODBC_DRIVER", "Some Driver", 1);
  EXPECT_EQ(sql_server_odbc_driver(), "Some Driver");
  unsetenv("LEMA_ODBC_DRIVER");
  EXPECT_EQ(sql_server_odbc_driver(), "FreeTDS");
}

// The document query on a database, through each backend: the bridge makes SQLite run it.
class DocumentQuery : public ::testing::TestWithParam<testing::Backend> {};

TEST_P(DocumentQuery, RunsAndFindsTheOriginalRegistration) {
  auto db = make_object<Connection>();
  db->Open(Value(testing::url_for(GetParam(), testing::fresh_db_path())));
  for (
      const char* sql : {
          "CREATE TABLE CO99_MASTERDOC (CO99_DITTA_CG18 INTEGER, CO99_NUMREG INTEGER, CO99_INDTIPOOP INTEGER)",
          "CREATE TABLE CG41_PRIMANOTA (CG41_DITTA_CG18 INTEGER, CG41_NUMREG INTEGER, CG41_CODICE_CG33 VARCHAR(4))",
          "CREATE TABLE CG41C_PRIMANOTA (CG41_DITTA_CG18 INTEGER, CG41_NUMREG INTEGER, CG41_CODICE_CG33 VARCHAR(4))",
          "CREATE TABLE CG33_TABCAU (CG33_CODICE VARCHAR(4), CG33_INDGESTEC INTEGER)",
          "CREATE TABLE EF06_SCADSTO (EF06_DITTA_CG18 INTEGER, EF06_NUMREG_CO99 INTEGER, EF06_NUMREGMOV_CO99 INTEGER)",
          "INSERT INTO CO99_MASTERDOC VALUES (1, 100, 0), (1, 90, 1), (1, 80, 1), (1, 70, 0)",
          "INSERT INTO CG41C_PRIMANOTA VALUES (1, 100, 'INC')",
          "INSERT INTO CG33_TABCAU VALUES ('INC', 3)",
          "INSERT INTO EF06_SCADSTO VALUES (1, 90, 100), (1, 80, 100), (1, 70, 100)",
      })
    db->Execute(sql);
  Ref<Recordset> rs = db->Execute(kDocumentQuery, nullptr, adCmdText);
  ASSERT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->value("INDTIPOOP"), Value(int32_t{0}));
  EXPECT_EQ(to_long(rs->value("INDGESTEC")), 3);     // from the closed-period ledger
  EXPECT_EQ(to_long(rs->value("NUMREG_ORIG")), 80);  // the first original invoice
}

INSTANTIATE_TEST_SUITE_P(Backends, DocumentQuery,
                         ::testing::Values(testing::Backend::Sqlite, testing::Backend::Odbc),
                         [](const auto& p) { return testing::backend_name(p.param); });

}  // namespace
}  // namespace lema::ado
