// Files embedded into lemald when it is built: the explorer's page and the demo database
// script.
#pragma once

#include <string_view>

namespace lemald {

// The file called `name` ("index.html", "explorer.js", "explorer.css", "demo.sql"), or an
// empty view when there is none.
std::string_view asset(std::string_view name);

}  // namespace lemald
