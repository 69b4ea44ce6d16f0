// `lemald catalog`: a reference of every member of the three classes, generated from the
// member tables and from one call of each method on its default path.
#pragma once

#include <iosfwd>
#include <string>

namespace lemald {

// The catalog as Markdown, or as an HTML page. Raises when the method groups do not match
// the member tables (each method must be listed exactly once).
std::string catalog_text(bool html);

// Writes the catalog in `format` ("md" or "html"); 0, or 1 with a message on `err`.
int print_catalog(const std::string& format, std::ostream& out, std::ostream& err);

}  // namespace lemald
