#include "capi/value_bridge.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "common/error.h"
#include "common/message_text.h"

namespace lema::capi {

void invalid_call(std::string_view why) {
  raise(ErrorCode::InvalidProcedureCall,
        std::string("Invalid procedure call or argument: ").append(why));
}

namespace {

static_assert(
    LEMA_EMPTY == static_cast<int>(Kind::Empty) && LEMA_NULL == static_cast<int>(Kind::Null) &&
    LEMA_MISSING == static_cast<int>(Kind::Missing) &&
    LEMA_INTEGER == static_cast<int>(Kind::Integer) && LEMA_LONG == static_cast<int>(Kind::Long) &&
    LEMA_DOUBLE == static_cast<int>(Kind::Double) &&
    LEMA_DECIMAL == static_cast<int>(Kind::Decimal) &&
    LEMA_STRING == static_cast<int>(Kind::String) && LEMA_DATE == static_cast<int>(Kind::Date) &&
    LEMA_BOOLEAN == static_cast<int>(Kind::Boolean) &&
    LEMA_OBJECT == static_cast<int>(Kind::Object) && LEMA_ARRAY == static_cast<int>(Kind::Array));

static_assert(LEMA_MAX_NESTING == kMaxArrayNesting);

// Raised before going one array deeper than allowed (`depth` arrays already enclose it).
void check_depth(size_t depth) {
  if (depth >= kMaxArrayNesting)
    invalid_call("arrays nested more than " + std::to_string(kMaxArrayNesting) + " deep");
}

size_t entry_count(const lema_array& a) noexcept {
  if (a.rank == 0 || a.rank > 2) return 0;
  size_t n = 1;
  for (uint32_t d = 0; d < a.rank; ++d)
    n *= a.bounds[d].count > 0 ? static_cast<size_t>(a.bounds[d].count) : 0;
  return n;
}

void* allocate(size_t bytes) {
  void* p = std::calloc(1, bytes ? bytes : 1);
  if (!p) throw std::bad_alloc();
  return p;
}

// An owned, NUL-terminated copy.
void store_text(lema_value& out, std::string_view text) {
  char* p = static_cast<char*>(allocate(text.size() + 1));
  if (!text.empty()) std::memcpy(p, text.data(), text.size());
  out.u.text.data = p;
  out.u.text.length = text.size();
}

std::string_view text_of(const lema_value& v) {
  if (!v.u.text.data) {
    if (v.u.text.length)
      raise(ErrorCode::InvalidProcedureCall, "Text value without its characters");
    return {};
  }
  return std::string_view(v.u.text.data, v.u.text.length);
}

// Fills `out` (already Empty and marked owned), allocating as it goes: a failure part way
// leaves what was allocated reachable from `out`, for clear().
void fill(const Value& v, lema_value& out, size_t depth) {
  out.kind = static_cast<int32_t>(v.kind());
  switch (v.kind()) {
    case Kind::Empty:
    case Kind::Null:
    case Kind::Missing:
      break;
    case Kind::Integer:
      out.u.integer = v.as_integer();
      break;
    case Kind::Long:
      out.u.lng = v.as_long();
      break;
    case Kind::Double:
      out.u.dbl = v.as_double();
      break;
    case Kind::Boolean:
      out.u.boolean = v.as_boolean() ? 1 : 0;
      break;
    case Kind::Decimal:
      store_text(out, v.as_decimal().to_text());
      break;
    case Kind::String:
      store_text(out, v.as_string());
      break;
    case Kind::Date: {
      const Date::Civil c = v.as_date().civil();
      out.u.date = lema_date{c.year, c.month, c.day, c.hour, c.minute, c.second};
      break;
    }
    case Kind::Object: {
      Object* o = v.as_object().get();
      if (o) o->add_ref();
      out.u.object = handle_of(o);
      break;
    }
    case Kind::Array: {
      const Array& a = v.as_array();
      check_depth(depth);
      if (a.rank() > 2)
        raise(ErrorCode::TypeMismatch,
              "Arrays of more than two dimensions cannot be passed to the host");
      auto* arr = static_cast<lema_array*>(allocate(sizeof(lema_array)));
      out.u.array = arr;
      arr->rank = static_cast<uint32_t>(a.rank());
      for (size_t d = 0; d < a.rank(); ++d)
        arr->bounds[d] = lema_bound{a.bounds()[d].lower, a.bounds()[d].count};
      const size_t n = a.items().size();
      if (n == 0) break;
      arr->items = static_cast<lema_value*>(allocate(n * sizeof(lema_value)));
      for (size_t i = 0; i < n; ++i) {
        arr->items[i].flags = LEMA_VALUE_OWNED;
        fill(a.items()[i], arr->items[i], depth + 1);
      }
      break;
    }
  }
}

// Owned arrays waiting to be freed are chained through their own bounds, which are not
// needed any more: freeing a value of any depth takes neither stack nor memory.
struct Pending {
  lema_array* next;
  size_t count;
};
static_assert(sizeof(Pending) <= sizeof(lema_array::bounds));

void push_pending(lema_array*& list, lema_array* a) noexcept {
  const Pending p{list, a->items ? entry_count(*a) : 0};
  std::memcpy(static_cast<void*>(a->bounds), &p, sizeof p);
  list = a;
}

// Frees an owned value's own storage; an array goes to `list` instead.
void free_owned(lema_value& v, lema_array*& list) noexcept {
  switch (v.kind) {
    case LEMA_STRING:
    case LEMA_DECIMAL:
      std::free(const_cast<char*>(v.u.text.data));
      break;
    case LEMA_OBJECT:
      if (v.u.object) object_of(v.u.object)->release();
      break;
    case LEMA_ARRAY:
      if (v.u.array) push_pending(list, v.u.array);
      break;
    default:
      break;
  }
}
}  // namespace

void clear(lema_value& v) noexcept {
  if (v.flags & LEMA_VALUE_OWNED) {
    lema_array* list = nullptr;
    free_owned(v, list);
    while (lema_array* a = list) {
      Pending p;
      std::memcpy(&p, static_cast<const void*>(a->bounds), sizeof p);
      list = p.next;
      for (size_t i = 0; i < p.count; ++i)
        if (a->items[i].flags & LEMA_VALUE_OWNED) free_owned(a->items[i], list);
      std::free(a->items);
      std::free(a);
    }
  }
  v = lema_value{};
}

void to_c(const Value& v, lema_value& out) {
  out = lema_value{};
  out.flags = LEMA_VALUE_OWNED;
  try {
    fill(v, out, 0);
  } catch (...) {
    clear(out);
    throw;
  }
}

namespace {
Value from_c_at(const lema_value& v, size_t depth) {
  switch (v.kind) {
    case LEMA_EMPTY:
      return Value();
    case LEMA_NULL:
      return Value::null();
    case LEMA_MISSING:
      return Value::missing();
    case LEMA_INTEGER:
      return Value(v.u.integer);
    case LEMA_LONG:
      return Value(v.u.lng);
    case LEMA_DOUBLE:
      return Value(v.u.dbl);
    case LEMA_BOOLEAN:
      return Value(v.u.boolean != 0);
    case LEMA_STRING:
      return Value(std::string(text_of(v)));
    case LEMA_DECIMAL: {
      std::string_view t = text_of(v);
      auto d = Decimal::parse(t);
      if (!d)
        raise(ErrorCode::TypeMismatch,
              "Type mismatch: not a decimal number: \"" + message_text(t) + "\"");
      return Value(*d);
    }
    case LEMA_DATE: {
      const lema_date& c = v.u.date;
      auto d = Date::from_civil(c.year, c.month, c.day, c.hour, c.minute, c.second);
      if (!d) invalid_call("not a valid date");
      return Value(*d);
    }
    case LEMA_OBJECT:
      return Value(ObjectRef(object_of(v.u.object)));
    case LEMA_ARRAY: {
      const lema_array* a = v.u.array;
      check_depth(depth);
      if (!a || a->rank > 2) invalid_call("malformed array");
      std::vector<Array::Bound> bounds;
      for (uint32_t d = 0; d < a->rank; ++d)
        bounds.push_back(Array::Bound{a->bounds[d].lower, a->bounds[d].count});
      Array out(std::move(bounds));
      if (!out.items().empty() && !a->items) invalid_call("array without its entries");
      for (size_t i = 0; i < out.items().size(); ++i)
        out.items()[i] = from_c_at(a->items[i], depth + 1);
      return Value(std::move(out));
    }
    default:
      invalid_call("unknown value kind " + std::to_string(v.kind));
  }
}
}  // namespace

Value from_c(const lema_value& v) {
  return from_c_at(v, 0);
}

CArgs::CArgs(std::span<const Value> values) {
  items_.reserve(values.size());
  try {
    for (const Value& v : values) {
      items_.emplace_back();
      to_c(v, items_.back());
    }
  } catch (...) {
    for (lema_value& v : items_) clear(v);
    throw;
  }
}

CArgs::~CArgs() {
  for (lema_value& v : items_) clear(v);
}

void CArgs::write_back(std::span<Value> values) const {
  for (size_t i = 0; i < items_.size() && i < values.size(); ++i) {
    Value now = from_c(items_[i]);
    if (!(now == values[i])) values[i] = std::move(now);
  }
}

}  // namespace lema::capi
