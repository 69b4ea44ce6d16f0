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

// How a value goes into a statement. The text is the Value's joined text form (or the
// default, for the value-or-default forms); the value guard (common/guard.h) checks it
// against the rule of its place when the guard is on.
struct QuotedPiece {  // between single quotes that the statement itself writes
  const Value* value;
  std::string_view text;  // used when value is null
  const char* def;        // value-or-default rule with this default, when not null
};
struct BarePiece {  // bare: a number or a code
  const Value* value;
  const char* def;
};
struct OrderingPiece {  // an ordering: column names with ASC/DESC
  const Value* value;
  const char* def;
};
struct ConditionPiece {  // SQL text by contract (the caller's condition): not checked
  const Value* value;
};
inline QuotedPiece quoted(const Value& v) {
  return {&v, {}, nullptr};
}
inline QuotedPiece quoted(const Value& v, const char* def) {
  return {&v, {}, def};
}
inline QuotedPiece quoted(std::string_view text) {
  return {nullptr, text, nullptr};
}
inline QuotedPiece quoted(const std::string& text) {
  return quoted(std::string_view(text));
}
inline BarePiece bare(const Value& v) {
  return {&v, nullptr};
}
inline BarePiece bare(const Value& v, const char* def) {
  return {&v, def};
}
inline OrderingPiece order_list(const Value& v) {
  return {&v, nullptr};
}
inline OrderingPiece order_list(const Value& v, const char* def) {
  return {&v, def};
}
inline ConditionPiece sql_condition(const Value& v) {
  return {&v};
}

// Builds one statement in a single buffer. Literal pieces go in as they are; a Value given
// with `<<` alone is a bare value (see BarePiece).
class SqlText {
 public:
  explicit SqlText(size_t reserve = 256) { s_.reserve(reserve); }

  SqlText& operator<<(std::string_view piece) {
    s_.append(piece);
    return *this;
  }
  SqlText& operator<<(const char* piece) { return *this << std::string_view(piece); }
  SqlText& operator<<(const std::string& piece) { return *this << std::string_view(piece); }
  SqlText& operator<<(const Value& v) { return *this << bare(v); }
  SqlText& operator<<(const QuotedPiece& p);
  SqlText& operator<<(const BarePiece& p);
  SqlText& operator<<(const OrderingPiece& p);
  SqlText& operator<<(const ConditionPiece& p) {
    append_text(s_, *p.value);
    return *this;
  }
  SqlText& number(int64_t n) {
    append_number(s_, n);
    return *this;
  }
  // The Value when given (value-or-default rule), otherwise `def`; a bare value.
  SqlText& or_default(const Value& v, const char* def) { return *this << bare(v, def); }

  std::string& str() noexcept { return s_; }
  size_t size() const noexcept { return s_.size(); }
  std::string take() noexcept { return std::move(s_); }
  Value value() { return Value(std::move(s_)); }

 private:
  // Appends the piece's text and returns where it starts.
  size_t append_value(const Value* v, const char* def);
  std::string s_;
};

// Replaces every occurrence of `from` by `to` (exact, case-sensitive).
std::string replace_all(std::string_view text, std::string_view from, std::string_view to);

}  // namespace lema
