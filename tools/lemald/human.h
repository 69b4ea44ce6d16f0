// The human verbs of lemald: a lookup definition printed readably, a class's members.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace lemald {

struct LookupOptions {
  std::string method;
  std::vector<std::string> args;
  std::vector<std::string> sets;
  std::string language;
  std::string company;
  std::string db;
  bool raw = false;
};

// A statement with its line ends shown as marks: CRLF as "\u21B5", a lone CR as "\u240D",
// each followed by a line break.
std::string readable(std::string_view sql);

int print_lookup(const LookupOptions& o, std::ostream& out, std::ostream& err);
int print_members(const std::string& cls, std::ostream& out, std::ostream& err);

}  // namespace lemald
