// The connector's query for a document's graphic references (company, registration number).
#pragma once

#include <string>

namespace lema::test_data {

inline std::string document_query(const std::string& company, const std::string& registration) {
  std::string sql = R"( SELECT CO99.CO99_INDTIPOOP AS INDTIPOOP,
        ISNULL(CG33.CG33_INDGESTEC, CG33C.CG33_INDGESTEC) AS INDGESTEC,
        ( SELECT TOP 1 EF06_NUMREG_CO99
          FROM EF06_SCADSTO WITH (NOLOCK)
              LEFT OUTER JOIN CO99_MASTERDOC CO99_STORICO WITH (NOLOCK)
                  ON CO99_STORICO.CO99_DITTA_CG18 = CO99.CO99_DITTA_CG18
                  AND CO99_STORICO.CO99_NUMREG = EF06_NUMREG_CO99
          WHERE EF06_DITTA_CG18 = CO99.CO99_DITTA_CG18
          AND EF06_NUMREGMOV_CO99 = CO99.CO99_NUMREG
          AND CO99_STORICO.CO99_INDTIPOOP = 1
          ORDER BY EF06_NUMREG_CO99
        ) AS NUMREG_ORIG
 FROM CO99_MASTERDOC CO99 WITH (NOLOCK)
     LEFT OUTER JOIN CG41_PRIMANOTA CG41 WITH (NOLOCK)
         ON CG41.CG41_DITTA_CG18 = CO99.CO99_DITTA_CG18
         AND CG41.CG41_NUMREG = CO99.CO99_NUMREG
     LEFT OUTER JOIN CG41C_PRIMANOTA CG41C WITH (NOLOCK)
         ON CG41C.CG41_DITTA_CG18 = CO99.CO99_DITTA_CG18
         AND CG41C.CG41_NUMREG = CO99.CO99_NUMREG
     LEFT OUTER JOIN CG33_TABCAU CG33 WITH (NOLOCK)
         ON CG33.CG33_CODICE = CG41.CG41_CODICE_CG33
     LEFT OUTER JOIN CG33_TABCAU CG33C WITH (NOLOCK)
         ON CG33C.CG33_CODICE = CG41C.CG41_CODICE_CG33
 WHERE CO99.CO99_DITTA_CG18 = )";
  std::erase(sql, '\n');  // one line, as the connector writes it
  return sql + company + " AND CO99.CO99_NUMREG = '" + registration + "'";
}

}  // namespace lema::test_data
