#include "common/sql.h"

#include "common/guard.h"

namespace lema {

size_t SqlText::append_value(const Value* v, const char* def) {
  const size_t mark = s_.size();
  if (def)
    append_or_default(s_, *v, def);
  else
    append_text(s_, *v);
  return mark;
}

SqlText& SqlText::operator<<(const QuotedPiece& p) {
  if (!p.value) {
    s_.append(p.text);
    if (value_guard()) guard::check_quoted(p.text);
    return *this;
  }
  const size_t mark = append_value(p.value, p.def);
  if (value_guard()) guard::check_quoted(std::string_view(s_).substr(mark));
  return *this;
}

SqlText& SqlText::operator<<(const BarePiece& p) {
  const size_t mark = append_value(p.value, p.def);
  if (value_guard()) guard::check_bare(std::string_view(s_).substr(mark));
  return *this;
}

SqlText& SqlText::operator<<(const OrderingPiece& p) {
  const size_t mark = append_value(p.value, p.def);
  if (value_guard()) guard::check_ordering(std::string_view(s_).substr(mark));
  return *this;
}

std::string replace_all(std::string_view text, std::string_view from, std::string_view to) {
  std::string out;
  if (from.empty()) return std::string(text);
  out.reserve(text.size());
  size_t pos = 0;
  for (size_t hit; (hit = text.find(from, pos)) != std::string_view::npos;
       pos = hit + from.size()) {
    out.append(text.substr(pos, hit - pos));
    out.append(to);
  }
  out.append(text.substr(pos));
  return out;
}

}  // namespace lema
