// Statement text: pieces joined in order, with the two line separators the statements use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/text.h"
#include "common/value.h"

namespace lema {

// Separators, for joining with adjacent literals: "SELECT " LEMA_CRLF "  CG68_SEZIONALE, "
#define LEMA_CR "\r"
#define LEMA_CRLF "\r\n"
inline constexpr std::string_view kCR = "\r";
inline constexpr std::string_view kCRLF = "\r\n";

// Builds one statement in a single buffer. Values go in by their joined text form.
class SqlText {
 public:
  explicit SqlText(size_t reserve = 256) { s_.reserve(reserve); }

  SqlText& operator<<(std::string_view piece) {
    s_.append(piece);
    return *this;
  }
  SqlText& operator<<(const char* piece) { return *this << std::string_view(piece); }
  SqlText& operator<<(const std::string& piece) { return *this << std::string_view(piece); }
  SqlText& operator<<(const Value& v) {
    append_text(s_, v);
    return *this;
  }
  SqlText& number(int64_t n) {
    append_number(s_, n);
    return *this;
  }
  // The Value when given (value-or-default rule), otherwise `def`.
  SqlText& or_default(const Value& v, std::string_view def) {
    append_or_default(s_, v, def);
    return *this;
  }

  std::string& str() noexcept { return s_; }
  size_t size() const noexcept { return s_.size(); }
  std::string take() noexcept { return std::move(s_); }
  Value value() { return Value(std::move(s_)); }

 private:
  std::string s_;
};

// Replaces every occurrence of `from` by `to` (exact, case-sensitive).
std::string replace_all(std::string_view text, std::string_view from, std::string_view to);

}  // namespace lema
