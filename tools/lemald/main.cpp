// lemald: the project's command-line host.
//   lemald run [FILE] [--stream]
//   lemald lookup METHOD [ARG...] [--set PROP=VALUE]... [--language L] [--company C] [--raw]
//   lemald members CLASS
//   lemald sql URL [FILE]
#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "tools/lemald/connection_step.h"
#include "tools/lemald/human.h"
#include "tools/lemald/script.h"

int main(int argc, char** argv) {
  CLI::App app{"lemald: drives the lookup and decode library as a host does"};
  app.require_subcommand(1);

  std::string file = "-";
  auto* run = app.add_subcommand("run", "run a JSON script (FILE, or standard input)");
  run->add_option("file", file, "script file, or - for standard input");
  lemald::RunOptions run_options;
  run->add_flag("--stream", run_options.stream,
                "write each result as its step completes (a script error cuts the output short)");

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
      "sql", "run the statements of a SQL script (FILE, or standard input) on a database");
  sql->add_option("url", sql_url, "connection string, e.g. sqlite3://db=demo.db")->required();
  sql->add_option("file", sql_file, "script file, or - for standard input");

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }

  try {
    if (*run) return lemald::run_script_file(file, std::cout, std::cerr, run_options);
    if (*lookup) return lemald::print_lookup(lk, std::cout, std::cerr);
    if (*members) return lemald::print_members(cls, std::cout, std::cerr);
    if (*sql) {
      std::string text;
      if (sql_file == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), {});
      } else {
        std::ifstream in(sql_file, std::ios::binary);
        if (!in) {
          std::cerr << "lemald: cannot read " << sql_file << "\n";
          return 2;
        }
        text.assign(std::istreambuf_iterator<char>(in), {});
      }
      lema::ObjectRef connection = lemald::open_connection(sql_url, {});
      lemald::run_sql_script(*connection, text, std::cout);
      return 0;
    }
  } catch (const std::exception& e) {
    std::cerr << "lemald: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
