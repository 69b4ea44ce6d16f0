// Text and number conversions of Values, following the automation runtime's rules.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/value.h"

namespace lema {

// ASCII letters to lower case; every other byte (UTF-8 ones included) unchanged.
constexpr char lower_ascii(char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}
std::string lower_ascii(std::string_view s);
// Names compared as the automation layer does: ASCII letters without regard to case.
bool iequals_ascii(std::string_view a, std::string_view b) noexcept;

// UTF-8 text measured in characters: a continuation byte (10xxxxxx) adds none.
size_t utf8_length(std::string_view s) noexcept;
// The first `chars` characters of `s` (all of it when it is shorter).
std::string_view utf8_prefix(std::string_view s, size_t chars) noexcept;
// The longest start of `s` within `bytes` bytes that does not end inside a character.
std::string_view utf8_truncate(std::string_view s, size_t bytes) noexcept;

// Blanks (character 32) removed at both ends.
std::string_view trim_blanks(std::string_view s) noexcept;

// Appends the text form used when a Value is joined into a statement: numbers in plain
// decimal form, Boolean "True"/"False", a Date as YYYY-MM-DD[ HH:MM:SS]; Empty and Null add
// nothing. Missing, arrays and objects cannot be joined (Error TypeMismatch).
void append_text(std::string& out, const Value& v);
std::string to_text(const Value& v);

// Conversions of an argument or property value to a declared type. They raise
// TypeMismatch, Overflow or InvalidUseOfNull as the runtime does.
std::string to_string_param(const Value& v);  // Null is an error, Empty gives ""
int16_t to_integer(const Value& v);
int32_t to_long(const Value& v);
double to_double(const Value& v);
bool to_boolean(const Value& v);
Decimal to_decimal(const Value& v);
Date to_date(const Value& v);
ObjectRef to_object(const Value& v);  // an object Value, possibly holding no object

// The value-or-default rule: Empty, Null, Missing, or a Value whose text trimmed of blanks
// is "", counts as not given. (An array or object raises TypeMismatch.)
bool is_given(const Value& v);
bool is_given_text(std::string_view text) noexcept;  // the rule for a text
inline const Value& value_or_default(const Value& v, const Value& def) {
  return is_given(v) ? v : def;
}
// Appends the Value when given, otherwise the default text.
void append_or_default(std::string& out, const Value& v, std::string_view def);

// Comparisons as the runtime makes them between a Value and a typed constant.
bool equals_number(const Value& v, double n);          // numeric comparison; Empty is 0
bool equals_text(const Value& v, std::string_view s);  // text comparison; Empty is ""

// Decimal text of an integer.
void append_number(std::string& out, int64_t n);

}  // namespace lema
