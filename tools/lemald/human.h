// The human verbs of lemald: a lookup definition printed readably, a class's members.
#pragma once

#include <iosfwd>
#include <string>
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

int print_lookup(const LookupOptions& o, std::ostream& out, std::ostream& err);
int print_members(const std::string& cls, std::ostream& out, std::ostream& err);

}  // namespace lemald
