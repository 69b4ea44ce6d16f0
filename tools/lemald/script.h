// `lemald run`: drives the library from a JSON script, as a host does.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include "common/value.h"

namespace lemald {

// Deepest JSON nesting of a script: room for its own levels and any value within the
// array nesting limit (an array takes up to three levels: {"$array": [[...]]}).
inline constexpr size_t kMaxJsonNesting = 256;
static_assert(kMaxJsonNesting >= 4 + 3 * lema::kMaxArrayNesting);

struct RunOptions {
  // Results go to `out` as each step completes, instead of once the whole run succeeded:
  // a script error then leaves the document cut short.
  bool stream = false;
};

// Runs the script in `file` ("-": standard input). The script is read twice (checked whole,
// then run step by step as it is parsed) and never held whole in memory; the results are
// kept in an unnamed temporary file until the run ends. Writes the results to `out` and
// returns 0, or writes one line to `err` and returns 2 on a script error (nothing on `out`
// unless streaming).
int run_script_file(const std::string& file, std::ostream& out, std::ostream& err,
                    const RunOptions& options = {});

}  // namespace lemald
