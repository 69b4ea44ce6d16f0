// `lemald serve`: the lookup explorer, a local web server with one page and a JSON API over
// the same by-name calls that `lemald run` makes.
#pragma once

#include <iosfwd>
#include <string>

namespace lemald {

struct ServeOptions {
  std::string host = "127.0.0.1";
  int port = 8018;  // 0: any free port
  std::string db;   // connection string; empty: the demo database, built at start
};

// Serves until SIGINT or SIGTERM; prints the address on `out` once it listens. Returns 0
// after a clean stop, 1 when it cannot start.
int serve(const ServeOptions& options, std::ostream& out, std::ostream& err);

// Whether `sql` is one statement, a SELECT (after blanks and comments).
bool is_single_select(std::string_view sql);

}  // namespace lemald
