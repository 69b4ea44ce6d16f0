// The explorer's current call as code to copy: a `lemald run` script, the typed C++ call,
// the C interface calls and a Python (ctypes) snippet. Each is a whole program that makes
// the call and prints the outputs one per line, with the same labels:
//   lookups   Caption: T, IDLookup: T, Heading: T (one per column), StringaSQL: T
//   decodes   StringaSQL: T, Binding: COLUMN (one per row)
//   all       Result: T for a method with a return value
// (the `lemald run` script prints them as JSON instead).
#pragma once

#include <string>
#include <vector>

#include "automation/class_info.h"
#include "tools/lemald/json_value.h"

namespace lemald {

struct CallShape {
  const lema::ClassInfo& info;
  const lema::Member& method;
  const json& args;      // value forms of `lemald run`
  const json& settings;  // {PROPERTY: value}, let in name order
  const json& host;      // {"translate", "language", "company"}
  const std::string& db_url;
  const std::vector<std::string>& stand_ins;  // sibling classes the explorer answered for
};

// {"lemald": ..., "cpp": ..., "c": ..., "python": ...}
json code_snippets(const CallShape& call);

}  // namespace lemald
