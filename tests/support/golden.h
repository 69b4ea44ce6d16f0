// The lookups' and decodes' golden data (syntax: top of tests/golden/lookups.txt): reading
// it, running a path by name, rewriting it (lema_tests --update).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/value.h"

namespace lema::golden {

// A line's blank-separated tokens ("a b", (..), N="a b" are one each), or `sep` items.
std::vector<std::string> tokens(const std::string& line, char sep = ' ');
// A value token of lookups.txt; cN is controls[N-1].
Value value_of(const std::string& token, const std::vector<ObjectRef>& controls);
// `inner` reached by member name only, as a class registered through the C interface is.
ObjectRef by_name(ObjectRef inner);

using Hunks = std::vector<std::pair<std::string, std::string>>;  // old text, new text
using Expect = std::map<std::string, std::string>;  // an output's name, its canonical text

struct Path {
  int line = 0;
  bool first = true;  // the first run of a line with alternatives a|b|c
  std::string setup;
  std::vector<std::string> args;  // the block's when the path gives none
  std::vector<std::pair<std::string, std::string>> settings;      // the block's, then its own
  std::optional<std::pair<std::string, std::string>> given_host;  // language, company
  Expect expect;
  bool keep = false;  // the statement is the one held before
  Hunks changes;
  int base = -1;        // the path whose statement `changes` apply to (^), or the default's
  std::string written;  // the statement as the line gives it
};

struct Block {
  std::string file, label, method;  // label: L.Method or D.Method
  Path head;                        // the default path
  std::string statement;            // «x» marks a text the host translates
  Hunks host;                       // what the standard host changes, on every path
  int statement_line = 0, host_line = 0;
  std::vector<Path> paths;
};

enum class Host { None, Standard, ByName, Defaults, Failing, Given, Mark, MarkStandard, FailNth };

struct Outcome {
  std::string sql, sentinel;  // the statement after the call, and after the first call
  Expect got, before;         // the other outputs, likewise
};

const std::vector<Block>& all_blocks();
// Runs a path on a new instance created by name, after a first call; FailNth fails `fail_at`.
Outcome run(const Block& b, const Path& p, Host h, int fail_at = 0);
std::string marked_statement(const Block& b, const Path& p);
Expect expected(const Block& b, const Path& p, Host h);
// «x» -> x, or x#1, x#2, ... when numbered (but x alone for the call numbered `plain_at`).
std::string unmark(const std::string& s, bool numbered, int plain_at = 0);
std::string apply_changes(std::string s, const Hunks& hunks);
// Rewrites a golden file from what the library produces now.
void update(const std::string& file);

}  // namespace lema::golden
