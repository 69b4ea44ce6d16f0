// lemald: the project's command-line host.
//   lemald run [FILE] [--stream] [--trace]
//   lemald lookup METHOD [ARG...] [--set PROP=VALUE]... [--language L] [--company C] [--raw]
//   lemald members CLASS
//   lemald sql URL [FILE]
//   lemald serve [--port N] [--host ADDR] [--db URL]
//   lemald catalog [--format md|html]
#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "common/error.h"
#include "common/text.h"
#include "tools/lemald/catalog.h"
#include "tools/lemald/connection_step.h"
#include "tools/lemald/human.h"
#include "tools/lemald/script.h"
#include "tools/lemald/serve.h"

namespace {
// The whole of FILE, or of standard input for "-"; false when FILE cannot be read.
bool read_input(const std::string& file, std::string& text) {
  if (file == "-") {
    text.assign(std::istreambuf_iterator<char>(std::cin), {});
    return true;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    std::cerr << "lemald: cannot read " << file << "\n";
    return false;
  }
  text.assign(std::istreambuf_iterator<char>(in), {});
  return true;
}

// One line on standard error for each failure a member swallowed.
void print_reason(std::string_view what) {
  std::string line(what);
  for (char& c : line)
    if (c == '\r' || c == '\n') c = ' ';
  std::cerr << "lemald: trace: " << line << "\n";
}

// The SQLite file of `lemald sql` is created when missing: building a database is its job.
std::string creating(const std::string& url) {
  const bool sqlite = url.size() >= 10 && lema::iequals_ascii(url.substr(0, 10), "sqlite3://");
  return sqlite && url.find("create=") == std::string::npos ? url + " create=1" : url;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"lemald: drives the lookup and decode library as a host does"};
  app.require_subcommand(1);

  std::string file = "-";
  auto* run = app.add_subcommand("run", "run a JSON script (FILE, or standard input)");
  run->add_option("file", file, "script file, or - for standard input");
  lemald::RunOptions run_options;
  run->add_flag("--stream", run_options.stream,
                "write each result as its step completes (a script error cuts the output short)");
  bool trace = false;
  run->add_flag("--trace", trace, "print on standard error why a step of a member fell back");

  lemald::LookupOptions lk;
  auto* lookup = app.add_subcommand("lookup", "print a lookup definition");
  lookup->add_option("method", lk.method, "lookup method")->required();
  lookup->add_option("args", lk.args, "arguments (JSON when valid JSON, otherwise text)");
  lookup->add_option("--set", lk.sets, "PROP=VALUE, a setting to let before the call");
  lookup->add_option("--language", lk.language, "host language code");
  lookup->add_option("--company", lk.company, "host company code");
  lookup->add_option("--db", lk.db, "connection string for the lookups that read a database");
  lookup->add_flag("--raw", lk.raw, "print the statement exactly as built");

  std::string cls;
  auto* members = app.add_subcommand("members", "list a class's members in slot order");
  members->add_option("class", cls, "class name")->required();

  std::string sql_url, sql_file = "-";
  auto* sql = app.add_subcommand(
      "sql",
      "run the statements of a SQL script (FILE, or standard input) on a database (a missing "
      "SQLite file is created)");
  sql->add_option("url", sql_url, "connection string, e.g. sqlite3://db=demo.db")->required();
  sql->add_option("file", sql_file, "script file, or - for standard input");

  lemald::ServeOptions so;
  auto* serve =
      app.add_subcommand("serve", "the lookup explorer: a local web page and its JSON API");
  serve->add_option("--port", so.port, "port to listen on (0: any free port)");
  serve->add_option("--host", so.host, "address to listen on");
  serve->add_option("--db", so.db,
                    "connection string of the database (default: the demo database)");

  std::string format = "md";
  auto* catalog =
      app.add_subcommand("catalog", "a reference of every member, from the member tables");
  catalog->add_option("--format", format, "md or html");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }

  try {
    if (*run) {
      if (trace) lema::set_swallow_observer(print_reason);
      return lemald::run_script_file(file, std::cout, std::cerr, run_options);
    }
    std::string text;
    if (*lookup) return lemald::print_lookup(lk, std::cout, std::cerr);
    if (*members) return lemald::print_members(cls, std::cout, std::cerr);
    if (*serve) return lemald::serve(so, std::cout, std::cerr);
    if (*catalog) return lemald::print_catalog(format, std::cout, std::cerr);
    if (*sql) {
      if (!read_input(sql_file, text)) return 2;
      lema::ObjectRef connection = lemald::open_connection(creating(sql_url), {});
      lemald::run_sql_script(*connection, text, std::cout);
      return 0;
    }
  } catch (const std::exception& e) {
    std::cerr << "lemald: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
