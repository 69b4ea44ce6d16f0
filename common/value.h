// Value: the dynamically typed value exchanged with the host.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/object.h"

namespace lema {

__extension__ typedef __int128 int128;
__extension__ typedef unsigned __int128 uint128;

enum class Kind : uint8_t {
  Empty,
  Null,
  Missing,
  Integer,  // 16-bit
  Long,     // 32-bit
  Double,
  Decimal,
  String,
  Date,
  Boolean,
  Object,
  Array,
};
std::string_view kind_name(Kind k) noexcept;

// Fixed-point decimal: mantissa / 10^scale, up to 28 digits.
struct Decimal {
  int128 mantissa = 0;
  uint8_t scale = 0;

  static std::optional<Decimal> parse(std::string_view text);
  static Decimal from_integer(int64_t v) { return Decimal{v, 0}; }
  static std::optional<Decimal> from_double(double v);
  double to_double() const noexcept;
  std::string to_text() const;  // "12.5", "12", "-0.25"
  friend bool operator==(const Decimal& a, const Decimal& b) noexcept;
};

// Calendar date and time of day (proleptic Gregorian), years 100 to 9999.
struct Date {
  int32_t days = 0;     // days since 1899-12-30
  int32_t seconds = 0;  // seconds since midnight, 0..86399

  struct Civil {
    int year, month, day, hour, minute, second;
  };
  static std::optional<Date> from_civil(int y, int m, int d, int hh = 0, int mi = 0, int ss = 0);
  static std::optional<Date> from_serial(double serial);
  Civil civil() const noexcept;
  double serial() const noexcept;
  std::string to_text() const;  // "YYYY-MM-DD", plus " HH:MM:SS" when not midnight
  friend bool operator==(const Date&, const Date&) = default;
};

class Value;

// Deepest nesting of arrays (an array of scalars is 1 deep) in a Value that enters or leaves
// the library through the C interface or lemald: deeper ones are refused before anything
// walks them, so that the code that does walk Values recursively (comparison, conversion,
// destruction) stays within a small stack, a host thread's included.
inline constexpr size_t kMaxArrayNesting = 64;

// Array of Values with per-dimension bounds. Entries of a 2-D array are addressed (i, j).
class Array {
 public:
  struct Bound {
    int32_t lower = 0;
    int32_t count = 0;
  };
  Array() = default;
  Array(std::initializer_list<Bound> bounds);
  explicit Array(const std::vector<Bound>& bounds);
  // (0 To rows-1, 0 To cols-1)
  static Array matrix(int32_t rows, int32_t cols);

  size_t rank() const noexcept { return rank_; }
  int32_t lbound(size_t dim) const;
  int32_t ubound(size_t dim) const;
  std::span<const Bound> bounds() const noexcept {
    return {rank_ <= kInline ? inline_.data() : more_.data(), rank_};
  }
  size_t size() const noexcept;  // defined after Value (complete only there)

  Value& at(int32_t i);
  const Value& at(int32_t i) const;
  Value& at(int32_t i, int32_t j);
  const Value& at(int32_t i, int32_t j) const;
  // Flat storage, first subscript slowest.
  std::vector<Value>& items() noexcept { return items_; }
  const std::vector<Value>& items() const noexcept { return items_; }

  friend bool operator==(const Array& a, const Array& b);

 private:
  size_t offset(int32_t i, int32_t j) const;
  void init(std::span<const Bound> bounds);
  // Bounds of up to two dimensions are kept inline (no allocation for them).
  static constexpr size_t kInline = 2;
  std::array<Bound, kInline> inline_{};
  std::vector<Bound> more_;
  size_t rank_ = 0;
  std::vector<Value> items_;
};

class Value {
 public:
  struct EmptyT {
    bool operator==(const EmptyT&) const = default;
  };
  struct NullT {
    bool operator==(const NullT&) const = default;
  };
  struct MissingT {
    bool operator==(const MissingT&) const = default;
  };
  // Text that lives for the whole program (a literal); held without a copy.
  struct Static {
    std::string_view text;
    bool operator==(const Static&) const = default;
  };

  Value() noexcept = default;
  Value(int16_t v) noexcept : v_(v) {}
  Value(int32_t v) noexcept : v_(v) {}
  Value(double v) noexcept : v_(v) {}
  Value(bool v) noexcept : v_(v) {}
  Value(Decimal v) noexcept : v_(v) {}
  Value(Date v) noexcept : v_(v) {}
  Value(const char* s) : v_(std::string(s)) {}
  Value(std::string s) noexcept : v_(std::move(s)) {}
  Value(std::string_view s) : v_(std::string(s)) {}
  Value(ObjectRef o) noexcept : v_(std::move(o)) {}
  Value(Array a) : v_(std::make_shared<Array>(std::move(a))) {}

  static Value null() noexcept { return Value(NullT{}); }
  static Value missing() noexcept { return Value(MissingT{}); }
  static Value nothing() noexcept { return Value(ObjectRef()); }
  // A string kept by reference; `text` must outlive every copy (use for literals).
  static Value literal(std::string_view text) noexcept { return Value(Static{text}); }

  Kind kind() const noexcept;
  bool is_empty() const noexcept { return kind() == Kind::Empty; }
  bool is_null() const noexcept { return kind() == Kind::Null; }
  bool is_missing() const noexcept { return kind() == Kind::Missing; }
  bool is_string() const noexcept { return kind() == Kind::String; }
  bool is_object() const noexcept { return kind() == Kind::Object; }
  bool is_array() const noexcept { return kind() == Kind::Array; }

  // Accessors of the stored alternative; they throw Error(TypeMismatch) on another kind.
  int16_t as_integer() const;
  int32_t as_long() const;
  double as_double() const;
  bool as_boolean() const;
  const Decimal& as_decimal() const;
  const Date& as_date() const;
  std::string_view as_string() const;
  const ObjectRef& as_object() const;
  const Array& as_array() const;
  Array& as_array_mut();  // copies a shared array first

  friend bool operator==(const Value& a, const Value& b);

 private:
  explicit Value(EmptyT) noexcept {}
  explicit Value(NullT v) noexcept : v_(v) {}
  explicit Value(MissingT v) noexcept : v_(v) {}
  explicit Value(Static v) noexcept : v_(v) {}

  using Storage = std::variant<EmptyT, NullT, MissingT, int16_t, int32_t, double, Decimal,
                               std::string, Static, Date, bool, ObjectRef, std::shared_ptr<Array>>;
  Storage v_;
};

inline size_t Array::size() const noexcept {
  return items_.size();
}

}  // namespace lema
