// The golden data of the lookup and decode definitions (tests/golden/*.txt): what each path
// sets up, and what it must produce. The syntax is described at the top of lookups.txt.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/object.h"
#include "common/value.h"

namespace lema::golden {

using Hunks = std::vector<std::pair<std::string, std::string>>;

// The statement a path expects: the block's default changed by hunks, a text of its own,
// or what the instance held before the call.
struct Statement {
  enum class Kind { Changes, Full, Keep } kind = Kind::Changes;
  Hunks hunks;
  std::string full;
};

// Expected outputs other than the statement, each as its canonical text (see render_*).
using Expect = std::map<std::string, std::string>;

struct Path {
  int line = 0;
  std::string setup;  // the setup as written, for messages and labels
  std::vector<std::pair<std::string, std::string>> settings;     // name, value token
  std::optional<std::vector<std::string>> args;                  // value tokens
  std::optional<std::pair<std::string, std::string>> with_host;  // language, company tokens
  Expect expect;
  Statement sql;
  std::optional<Hunks> host;  // the standard host's changes, when not the block's
  int host_line = 0;
};

struct Block {
  std::string file;
  char cls = 'L';  // L lookup, D decode
  std::string method;
  Path head;              // the default path; its statement is `statement`
  std::string statement;  // with «marks» around the texts the host translates
  Hunks host;             // what the standard host changes, on every path
  int statement_line = 0, host_line = 0;
  std::vector<Path> paths;
  std::string label() const { return std::string(1, cls) + "." + method; }
};

// The blocks of a file; `pieces` receives its named texts.
std::vector<Block> load(const std::string& file,
                        std::map<std::string, std::string>* pieces = nullptr);
// The value a token denotes; controls c1..c10 come from `controls`.
Value value_of(const std::string& token, const std::vector<ObjectRef>& controls);
// The statement a path expects, with its «marks».
std::string expected_statement(const Block& b, const Path& p);
// Replaces, in order, the first occurrence of each old text after the previous change.
std::string apply_hunks(std::string s, const Hunks& hunks, const std::string& where = {});
// «x» -> x, or x#1, x#2, ... when numbered (but x alone for the call numbered `plain_at`).
std::string unmark(const std::string& s, bool numbered, int plain_at = 0);
// Rewrites a golden file from what the library produces now (lema_tests --update).
void update(const std::string& file);
std::vector<std::string> tokens(const std::string& line);

}  // namespace lema::golden
