// `lemald run`: drives the library from a JSON script, as a host does.
#pragma once

#include <iosfwd>
#include <string>

namespace lemald {

// Runs the script text; writes the results to `out` and returns 0, or writes one line to
// `err` and returns 2 on a script error (nothing on `out`).
int run_script(const std::string& text, std::ostream& out, std::ostream& err);

}  // namespace lemald
