// Conversions between Values and the tagged values of the C interface.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "common/object.h"
#include "common/value.h"
#include "lema/lema.h"

namespace lema::capi {

// A handle is the object's own address: the object carries its reference count.
inline Object* object_of(lema_object* h) noexcept {
  return reinterpret_cast<Object*>(h);
}
inline lema_object* handle_of(const Object* o) noexcept {
  return reinterpret_cast<lema_object*>(const_cast<Object*>(o));
}

// Raises "Invalid procedure call or argument: WHY", the error of a call the C interface
// refuses before it reaches an object.
[[noreturn]] void invalid_call(std::string_view why);
inline constexpr std::string_view kNoValue = "no value";

// Frees what the library allocated in `v` and leaves it Empty.
void clear(lema_value& v) noexcept;

// Writes an owned copy of `v` into `out`, which is overwritten without being freed. On
// failure `out` is left Empty and nothing stays allocated.
void to_c(const Value& v, lema_value& out);

// Reads a C value, owned or not; raises Error for a malformed one.
Value from_c(const lema_value& v);

// Owned C copies of a call's arguments for a callback; freed on destruction.
class CArgs {
 public:
  explicit CArgs(std::span<const Value> values);
  ~CArgs();
  CArgs(const CArgs&) = delete;
  CArgs& operator=(const CArgs&) = delete;

  lema_value* data() noexcept { return items_.data(); }
  size_t size() const noexcept { return items_.size(); }
  // Copies into `values` the entries the callback changed (by-reference arguments).
  void write_back(std::span<Value> values) const;

 private:
  std::vector<lema_value> items_;
};

}  // namespace lema::capi
