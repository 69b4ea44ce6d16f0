#include "common/value.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <type_traits>

#include "common/error.h"

namespace lema {

// The classes assign literal captions and identifiers to their outputs outside any step
// frame: moving a Value in must not be able to fail.
static_assert(std::is_nothrow_move_assignable_v<Value>);

std::string_view kind_name(Kind k) noexcept {
  switch (k) {
    case Kind::Empty:
      return "Empty";
    case Kind::Null:
      return "Null";
    case Kind::Missing:
      return "Missing";
    case Kind::Integer:
      return "Integer";
    case Kind::Long:
      return "Long";
    case Kind::Double:
      return "Double";
    case Kind::Decimal:
      return "Decimal";
    case Kind::String:
      return "String";
    case Kind::Date:
      return "Date";
    case Kind::Boolean:
      return "Boolean";
    case Kind::Object:
      return "Object";
    case Kind::Array:
      return "Array";
  }
  return "?";
}

// ---- Decimal ---------------------------------------------------------------------------
namespace {
constexpr int kMaxDigits = 28;

int128 pow10(int n) {
  int128 r = 1;
  while (n-- > 0) r *= 10;
  return r;
}
const int128 kMaxMantissa = pow10(kMaxDigits) - 1;

void append_uint128(std::string& out, uint128 v) {
  char buf[48];
  int n = 0;
  do {
    buf[n++] = static_cast<char>('0' + static_cast<int>(v % 10));
    v /= 10;
  } while (v != 0);
  while (n > 0) out.push_back(buf[--n]);
}
}  // namespace

std::optional<Decimal> Decimal::parse(std::string_view t) {
  size_t i = 0;
  bool neg = false;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) neg = t[i++] == '-';
  int128 m = 0;
  int scale = 0, digits = 0;
  bool dot = false, any = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c == '.' && !dot) {
      dot = true;
      continue;
    }
    if (c < '0' || c > '9') return std::nullopt;
    any = true;
    if (m == 0 && c == '0' && !dot) continue;
    if (digits >= kMaxDigits) {
      if (!dot) return std::nullopt;  // too large
      continue;                       // extra fraction digits are dropped
    }
    m = m * 10 + (c - '0');
    ++digits;
    if (dot) ++scale;
  }
  if (!any) return std::nullopt;
  return Decimal{neg ? -m : m, static_cast<uint8_t>(scale)};
}

std::optional<Decimal> Decimal::from_double(double v) {
  if (!std::isfinite(v) || std::fabs(v) > 7.9e28) return std::nullopt;
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  if (r.ec != std::errc()) return std::nullopt;
  return parse(std::string_view(buf, static_cast<size_t>(r.ptr - buf)));
}

double Decimal::to_double() const noexcept {
  return static_cast<double>(mantissa) / std::pow(10.0, scale);
}

std::string Decimal::to_text() const {
  int128 m = mantissa;
  int s = scale;
  while (s > 0 && m % 10 == 0) {
    m /= 10;
    --s;
  }
  std::string digits;
  uint128 a = m < 0 ? static_cast<uint128>(-(m + 1)) + 1 : static_cast<uint128>(m);
  append_uint128(digits, a);
  if (s > 0) {
    if (static_cast<int>(digits.size()) <= s)
      digits.insert(0, static_cast<size_t>(s) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<size_t>(s), 1, '.');
  }
  if (m < 0) digits.insert(0, 1, '-');
  return digits;
}

bool operator==(const Decimal& a, const Decimal& b) noexcept {
  int128 x = a.mantissa, y = b.mantissa;
  int sa = a.scale, sb = b.scale;
  while (sa < sb) {
    x *= 10;
    ++sa;
  }
  while (sb < sa) {
    y *= 10;
    ++sb;
  }
  return x == y;
}

// ---- Date ------------------------------------------------------------------------------
namespace {
// Days from 1970-01-01 of a civil date (H. Hinnant's algorithm).
constexpr int64_t days_from_civil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}
void civil_from_days(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}
constexpr int64_t kEpochOffset = days_from_civil(1899, 12, 30);  // serial day 0
bool leap(int y) {
  return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}
int month_days(int y, int m) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && leap(y) ? 29 : kDays[m - 1];
}
}  // namespace

std::optional<Date> Date::from_civil(int y, int m, int d, int hh, int mi, int ss) {
  if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1 || d > month_days(y, m)) return std::nullopt;
  if (hh < 0 || hh > 23 || mi < 0 || mi > 59 || ss < 0 || ss > 59) return std::nullopt;
  Date r;
  r.days = static_cast<int32_t>(
      days_from_civil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - kEpochOffset);
  r.seconds = hh * 3600 + mi * 60 + ss;
  return r;
}

std::optional<Date> Date::from_serial(double serial) {
  if (!std::isfinite(serial) || serial < -657434.0 || serial >= 2958466.0) return std::nullopt;
  double day = std::trunc(serial);
  double frac = std::fabs(serial - day);
  Date r;
  r.days = static_cast<int32_t>(day);
  r.seconds = static_cast<int32_t>(std::lround(frac * 86400.0));
  if (r.seconds >= 86400) r.seconds = 86399;
  return r;
}

Date::Civil Date::civil() const noexcept {
  Civil c{};
  civil_from_days(days + kEpochOffset, c.year, c.month, c.day);
  c.hour = seconds / 3600;
  c.minute = seconds / 60 % 60;
  c.second = seconds % 60;
  return c;
}

double Date::serial() const noexcept {
  double f = seconds / 86400.0;
  return days >= 0 ? days + f : days - f;
}

std::string Date::to_text() const {
  Civil c = civil();
  char buf[32];
  int n = seconds == 0 ? std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.year, c.month, c.day)
                       : std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", c.year,
                                       c.month, c.day, c.hour, c.minute, c.second);
  return std::string(buf, static_cast<size_t>(n));
}

// ---- Array -----------------------------------------------------------------------------
Array::Array(std::initializer_list<Bound> bounds) {
  init(std::span<const Bound>(bounds.begin(), bounds.size()));
}

Array::Array(const std::vector<Bound>& bounds) {
  init(bounds);
}

void Array::init(std::span<const Bound> bounds) {
  size_t n = bounds.empty() ? 0 : 1;
  for (const Bound& b : bounds) {
    if (b.count < 0) raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
    n *= static_cast<size_t>(b.count);
  }
  rank_ = bounds.size();
  if (rank_ <= kInline)
    std::copy(bounds.begin(), bounds.end(), inline_.begin());
  else
    more_.assign(bounds.begin(), bounds.end());
  items_.resize(n);
}

Array Array::matrix(int32_t rows, int32_t cols) {
  return Array({{0, rows}, {0, cols}});
}

int32_t Array::lbound(size_t dim) const {
  if (dim >= rank_) raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
  return bounds()[dim].lower;
}
int32_t Array::ubound(size_t dim) const {
  if (dim >= rank_) raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
  return bounds()[dim].lower + bounds()[dim].count - 1;
}

size_t Array::offset(int32_t i, int32_t j) const {
  if (rank_ != 2) raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
  const Bound& r = inline_[0];
  const Bound& c = inline_[1];
  int64_t a = int64_t{i} - r.lower, b = int64_t{j} - c.lower;
  if (a < 0 || a >= r.count || b < 0 || b >= c.count)
    raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
  return static_cast<size_t>(a * c.count + b);
}

Value& Array::at(int32_t i) {
  return const_cast<Value&>(std::as_const(*this).at(i));
}
const Value& Array::at(int32_t i) const {
  if (rank_ != 1) raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
  int64_t a = int64_t{i} - inline_[0].lower;
  if (a < 0 || a >= inline_[0].count)
    raise(ErrorCode::SubscriptOutOfRange, "Subscript out of range");
  return items_[static_cast<size_t>(a)];
}
Value& Array::at(int32_t i, int32_t j) {
  return items_[offset(i, j)];
}
const Value& Array::at(int32_t i, int32_t j) const {
  return items_[offset(i, j)];
}

bool operator==(const Array& a, const Array& b) {
  if (a.rank_ != b.rank_) return false;
  auto ab = a.bounds(), bb = b.bounds();
  for (size_t i = 0; i < a.rank_; ++i)
    if (ab[i].lower != bb[i].lower || ab[i].count != bb[i].count) return false;
  return a.items_ == b.items_;
}

// ---- Value -----------------------------------------------------------------------------
Kind Value::kind() const noexcept {
  static constexpr Kind kByIndex[] = {Kind::Empty,  Kind::Null,   Kind::Missing, Kind::Integer,
                                      Kind::Long,   Kind::Double, Kind::Decimal, Kind::String,
                                      Kind::String, Kind::Date,   Kind::Boolean, Kind::Object,
                                      Kind::Array};
  return kByIndex[v_.index()];
}

namespace {
[[noreturn]] void wrong_kind() {
  raise(ErrorCode::TypeMismatch, "Type mismatch");
}
template <class T, class V>
const T& get_or_raise(const V& v) {
  if (const T* p = std::get_if<T>(&v)) return *p;
  wrong_kind();
}
}  // namespace

int16_t Value::as_integer() const {
  return get_or_raise<int16_t>(v_);
}
int32_t Value::as_long() const {
  return get_or_raise<int32_t>(v_);
}
double Value::as_double() const {
  return get_or_raise<double>(v_);
}
bool Value::as_boolean() const {
  return get_or_raise<bool>(v_);
}
const Decimal& Value::as_decimal() const {
  return get_or_raise<Decimal>(v_);
}
const Date& Value::as_date() const {
  return get_or_raise<Date>(v_);
}
std::string_view Value::as_string() const {
  if (const auto* s = std::get_if<std::string>(&v_)) return *s;
  if (const auto* s = std::get_if<Static>(&v_)) return s->text;
  wrong_kind();
}
const ObjectRef& Value::as_object() const {
  return get_or_raise<ObjectRef>(v_);
}
const Array& Value::as_array() const {
  return *get_or_raise<std::shared_ptr<Array>>(v_);
}
Array& Value::as_array_mut() {
  auto* p = std::get_if<std::shared_ptr<Array>>(&v_);
  if (!p) wrong_kind();
  if (p->use_count() > 1) *p = std::make_shared<Array>(**p);
  return **p;
}

bool operator==(const Value& a, const Value& b) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case Kind::String:
      return a.as_string() == b.as_string();
    case Kind::Array:
      return a.as_array() == b.as_array();
    default:
      return a.v_ == b.v_;
  }
}

}  // namespace lema
