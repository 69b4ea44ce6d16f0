// The embedded dialect bridge: the library's statements are written in SQL Server's
// dialect; before one runs on SQLite it is rewritten for the constructs those statements
// use, and no others:
//   - the table hint WITH (NOLOCK) / WITH(NOLOCK) is removed (SQLite has no hints);
//   - SELECT [ALL|DISTINCT] TOP n, TOP (n), TOP(n) loses the TOP and gets LIMIT n at the
//     end of that same SELECT (a subquery ends at its closing parenthesis);
//   - ISNULL(a, b) becomes IFNULL(a, b) (SQLite reads ISNULL as a postfix operator);
//   - the schema prefix dbo. of a function call is dropped;
//   - a table-valued function F(a1, ..., an) after FROM or JOIN is read from a table or view
//     named F whose columns P1 ... Pn hold the arguments of each row:
//     (SELECT * FROM F WHERE F.P1 = (a1) AND ...); OUTER APPLY F(...) and CROSS APPLY F(...)
//     become LEFT JOIN F ON F.P1 = (a1) AND ... and JOIN F ON ...;
//   - a select-list item written alias = expression becomes expression AS alias.
// Texts in quotes, bracketed names and comments are left alone. TOP n PERCENT, WITH TIES
// and TOP in a compound SELECT (UNION and the like) are not rewritten.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lema::ado {

std::string to_sqlite_dialect(std::string_view sql);

// Splits a script into its statements at the semicolons outside quotes, brackets and
// comments; pieces that hold nothing but blanks and comments are dropped. (A statement
// with semicolons of its own, such as a trigger body, is not supported.)
std::vector<std::string> split_statements(std::string_view script);

}  // namespace lema::ado
