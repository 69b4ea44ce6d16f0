#include "common/text.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "common/error.h"

namespace lema {

std::string lower_ascii(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = lower_ascii(c);
  return r;
}

bool iequals_ascii(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (lower_ascii(a[i]) != lower_ascii(b[i])) return false;
  return true;
}

namespace {
bool continues(char c) noexcept {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}
}  // namespace

size_t utf8_length(std::string_view s) noexcept {
  size_t n = 0;
  for (char c : s) n += !continues(c);
  return n;
}

std::string_view utf8_prefix(std::string_view s, size_t chars) noexcept {
  size_t i = 0;
  for (size_t n = 0; i < s.size(); ++i)
    if (!continues(s[i]) && n++ == chars) break;
  return s.substr(0, i);
}

std::string_view utf8_truncate(std::string_view s, size_t bytes) noexcept {
  if (bytes >= s.size()) return s;
  while (bytes > 0 && continues(s[bytes])) --bytes;
  return s.substr(0, bytes);
}

std::string_view trim_blanks(std::string_view s) noexcept {
  size_t b = 0, e = s.size();
  while (b < e && s[b] == ' ') ++b;
  while (e > b && s[e - 1] == ' ') --e;
  return s.substr(b, e - b);
}

void append_number(std::string& out, int64_t n) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, n);
  out.append(buf, r.ptr);
}

namespace {
void append_double(std::string& out, double d) {
  if (std::isnan(d)) {
    out += "NaN";
    return;
  }
  if (std::isinf(d)) {
    out += d < 0 ? "-Infinity" : "Infinity";
    return;
  }
  if (d == std::trunc(d) && std::fabs(d) < 1e15) {
    append_number(out, static_cast<int64_t>(d));
    return;
  }
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, d);
  out.append(buf, r.ptr);
}

[[noreturn]] void mismatch() {
  raise(ErrorCode::TypeMismatch, "Type mismatch");
}
[[noreturn]] void overflow() {
  raise(ErrorCode::Overflow, "Overflow");
}
[[noreturn]] void null_use() {
  raise(ErrorCode::InvalidUseOfNull, "Invalid use of Null");
}

// A number written as text: blanks around it allowed, a dot as decimal separator.
bool parse_number(std::string_view s, double& out) {
  s = trim_blanks(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  if (s.empty()) return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// Rounds half to even, as the runtime does when it converts to an integer type.
double round_even(double d) {
  double r = std::nearbyint(d);  // default rounding mode: to nearest, ties to even
  return r;
}

template <class I>
I to_int_type(const Value& v) {
  double d = to_double(v);
  if (std::isnan(d)) overflow();
  d = round_even(d);
  if (d < static_cast<double>(std::numeric_limits<I>::min()) ||
      d > static_cast<double>(std::numeric_limits<I>::max()))
    overflow();
  return static_cast<I>(d);
}
}  // namespace

void append_text(std::string& out, const Value& v) {
  switch (v.kind()) {
    case Kind::Empty:
    case Kind::Null:
      return;
    case Kind::Integer:
      append_number(out, v.as_integer());
      return;
    case Kind::Long:
      append_number(out, v.as_long());
      return;
    case Kind::Double:
      append_double(out, v.as_double());
      return;
    case Kind::Decimal:
      out += v.as_decimal().to_text();
      return;
    case Kind::String:
      out.append(v.as_string());
      return;
    case Kind::Date:
      out += v.as_date().to_text();
      return;
    case Kind::Boolean:
      out += v.as_boolean() ? "True" : "False";
      return;
    case Kind::Missing:
    case Kind::Object:
    case Kind::Array:
      mismatch();
  }
}

std::string to_text(const Value& v) {
  std::string s;
  append_text(s, v);
  return s;
}

std::string to_string_param(const Value& v) {
  if (v.is_null()) null_use();
  return to_text(v);
}

double to_double(const Value& v) {
  switch (v.kind()) {
    case Kind::Empty:
      return 0;
    case Kind::Null:
      null_use();
    case Kind::Integer:
      return v.as_integer();
    case Kind::Long:
      return v.as_long();
    case Kind::Double:
      return v.as_double();
    case Kind::Decimal:
      return v.as_decimal().to_double();
    case Kind::Boolean:
      return v.as_boolean() ? -1 : 0;
    case Kind::Date:
      return v.as_date().serial();
    case Kind::String: {
      double d;
      if (!parse_number(v.as_string(), d)) mismatch();
      return d;
    }
    default:
      mismatch();
  }
}

int16_t to_integer(const Value& v) {
  if (v.kind() == Kind::Integer) return v.as_integer();
  return to_int_type<int16_t>(v);
}

int32_t to_long(const Value& v) {
  if (v.kind() == Kind::Long) return v.as_long();
  if (v.kind() == Kind::Integer) return v.as_integer();
  return to_int_type<int32_t>(v);
}

bool to_boolean(const Value& v) {
  switch (v.kind()) {
    case Kind::Boolean:
      return v.as_boolean();
    case Kind::String: {
      std::string_view s = trim_blanks(v.as_string());
      if (iequals_ascii(s, "true")) return true;
      if (iequals_ascii(s, "false")) return false;
      double d;
      if (!parse_number(s, d)) mismatch();
      return d != 0;
    }
    default:
      return to_double(v) != 0;
  }
}

Decimal to_decimal(const Value& v) {
  switch (v.kind()) {
    case Kind::Decimal:
      return v.as_decimal();
    case Kind::Integer:
      return Decimal::from_integer(v.as_integer());
    case Kind::Long:
      return Decimal::from_integer(v.as_long());
    case Kind::Boolean:
      return Decimal::from_integer(v.as_boolean() ? -1 : 0);
    case Kind::Empty:
      return Decimal{};
    case Kind::String: {
      std::string_view s = trim_blanks(v.as_string());
      if (!s.empty() && s.front() == '+') s.remove_prefix(1);
      if (auto d = Decimal::parse(s)) return *d;
      double x;
      if (!parse_number(s, x)) mismatch();
      if (auto d = Decimal::from_double(x)) return *d;
      overflow();
    }
    default: {
      double x = to_double(v);
      if (auto d = Decimal::from_double(x)) return *d;
      overflow();
    }
  }
}

Date to_date(const Value& v) {
  switch (v.kind()) {
    case Kind::Date:
      return v.as_date();
    case Kind::Null:
      null_use();
    case Kind::String:
      mismatch();  // text dates go through DateTextConverter
    default: {
      if (auto d = Date::from_serial(to_double(v))) return *d;
      overflow();
    }
  }
}

ObjectRef to_object(const Value& v) {
  if (!v.is_object()) raise(ErrorCode::ObjectRequired, "Object required");
  return v.as_object();
}

bool is_given(const Value& v) {
  switch (v.kind()) {
    case Kind::Empty:
    case Kind::Null:
    case Kind::Missing:
      return false;
    case Kind::String:
      return is_given_text(v.as_string());
    case Kind::Object:
    case Kind::Array:
      mismatch();
    default:
      return true;  // a number, date or Boolean always has a non-blank text
  }
}

bool is_given_text(std::string_view text) noexcept {
  return !trim_blanks(text).empty();
}

void append_or_default(std::string& out, const Value& v, std::string_view def) {
  if (is_given(v))
    append_text(out, v);
  else
    out.append(def);
}

bool equals_number(const Value& v, double n) {
  if (v.is_null()) return false;
  return to_double(v) == n;
}

bool equals_text(const Value& v, std::string_view s) {
  if (v.is_null()) return false;
  if (v.is_string()) return v.as_string() == s;
  return to_text(v) == s;
}

}  // namespace lema
