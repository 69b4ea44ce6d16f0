// Names and values as error messages show them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lema {

// Characters of a long text that a message shows before cutting it.
inline constexpr size_t kMessageTextPrefix = 200;

// `text` made fit for a one-line message: control characters (a NUL, a line end) are
// escaped as \u0000, so that nothing cuts or breaks the message; a text of more than
// kMessageTextPrefix characters shows only those, followed by "... (N bytes)" with its
// whole length.
std::string message_text(std::string_view text);

}  // namespace lema
