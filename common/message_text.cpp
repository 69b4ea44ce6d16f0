#include "common/message_text.h"

#include <algorithm>

namespace lema {

std::string message_text(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(std::min(text.size(), kMessageTextPrefix) + 8);
  size_t chars = 0, i = 0;
  for (; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const bool starts_char = (c & 0xC0) != 0x80;  // not a UTF-8 continuation byte
    if (starts_char && chars++ == kMessageTextPrefix) break;
    if (c < 0x20 || c == 0x7F)
      out.append("\\u00").append(1, kHex[c >> 4]).append(1, kHex[c & 15]);
    else
      out += static_cast<char>(c);
  }
  if (i < text.size()) out.append("... (").append(std::to_string(text.size())).append(" bytes)");
  return out;
}

}  // namespace lema
