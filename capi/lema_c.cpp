// The C interface: every entry point catches whatever the library raises and turns it into
// an error number plus a per-thread text. Host classes and event sinks are C callbacks
// wrapped in the library's own object and sink types.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "automation/class_info.h"
#include "automation/events.h"
#include "automation/registry.h"
#include "capi/value_bridge.h"
#include "common/error.h"
#include "common/message_text.h"
#include "common/text.h"
#include "lema/lema.h"

#ifndef LEMA_VERSION_TEXT
#define LEMA_VERSION_TEXT "0.0.0"
#endif

namespace lema::capi {
namespace {

// The last error of each thread. Plain data: nothing to tear down when a thread ends or the
// library is unloaded.
struct ErrorSlot {
  int code;
  char text[1024];
};
thread_local ErrorSlot t_error;

void reset_error() noexcept {
  t_error.code = 0;
  t_error.text[0] = '\0';
}

int note_error(int code, std::string_view text) noexcept {
  // Cut to the slot, not in the middle of a UTF-8 sequence.
  text = utf8_truncate(text, sizeof t_error.text - 1);
  std::memcpy(t_error.text, text.data(), text.size());
  t_error.text[text.size()] = '\0';
  t_error.code = code;
  return code;
}

// Runs an entry point: failures become an error number and the thread's error text, which
// is reset first unless `keep_error` (the value helpers, which callbacks use after
// lema_set_error).
template <class F>
int guarded(F&& f, bool keep_error = false) noexcept {
  if (!keep_error) reset_error();
  try {
    f();
    return LEMA_OK;
  } catch (const Error& e) {
    return note_error(static_cast<int>(e.code()), e.what());
  } catch (const std::bad_alloc&) {
    return note_error(LEMA_E_OUT_OF_MEMORY, "Out of memory");
  } catch (const std::exception& e) {
    return note_error(LEMA_E_INTERNAL, e.what());
  } catch (...) {
    return note_error(LEMA_E_INTERNAL, "Internal error");
  }
}

Object& require(lema_object* h) {
  if (!h) invalid_call("no object handle");
  return *object_of(h);
}

std::string_view require_name(const char* name, const char* what) {
  if (!name) invalid_call(std::string("no ") + what);
  return name;
}

// The error a callback reported: the number and text it gave lema_set_error, or else
// `code` and `fallback`.
[[noreturn]] void raise_callback_error(int code, std::string fallback) {
  if (t_error.code != 0) code = t_error.code;
  std::string text = t_error.text[0] ? std::string(t_error.text) : std::move(fallback);
  raise(static_cast<ErrorCode>(code), text);
}

// ---- trace of the failures that members skip -----------------------------------------------
std::mutex g_trace_mutex;
lema_trace_fn g_trace = nullptr;
void* g_trace_user = nullptr;

void trace_to_host(std::string_view what) {
  lema_trace_fn trace;
  void* user;
  {
    std::lock_guard<std::mutex> lock(g_trace_mutex);
    trace = g_trace;
    user = g_trace_user;
  }
  if (!trace) return;
  std::string line(what);
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  trace(line.c_str(), line.size(), user);
}

// ---- host classes -----------------------------------------------------------------------
struct ForeignClass {
  ForeignClass(std::string class_name, const lema_class_callbacks& cb, void* class_data)
      : name(std::move(class_name)), info(name, {}), callbacks(cb), data(class_data) {}
  ~ForeignClass() {
    if (callbacks.drop_class) callbacks.drop_class(data);
  }
  ForeignClass(const ForeignClass&) = delete;
  ForeignClass& operator=(const ForeignClass&) = delete;

  const std::string name;
  const ClassInfo info;  // no member table: every name goes to the host
  const lema_class_callbacks callbacks;
  void* const data;
};

// An instance of a host class: every member access goes to the host's callback.
class ForeignObject final : public Object {
 public:
  ForeignObject(std::shared_ptr<const ForeignClass> cls, void* state)
      : class_(std::move(cls)), state_(state) {}
  ~ForeignObject() override {
    if (class_->callbacks.release) class_->callbacks.release(class_->data, state_);
  }

  const ClassInfo& class_info() const override { return class_->info; }

  Value invoke(std::string_view member, InvokeKind kind, std::span<Value> args) override {
    if (!class_->callbacks.invoke)
      raise(ErrorCode::NotSupported, "Object doesn't support this property or method: " +
                                         class_->name + "." + message_text(member));
    const std::string name(member);
    CArgs cargs(args);
    lema_value result{};
    reset_error();
    const int rc =
        class_->callbacks.invoke(class_->data, state_, handle_of(this), name.c_str(),
                                 static_cast<int>(kind), cargs.data(), cargs.size(), &result);
    Value out;
    try {
      cargs.write_back(args);
      if (rc == 0) out = from_c(result);
    } catch (...) {
      clear(result);
      throw;
    }
    clear(result);
    if (rc != 0) raise_callback_error(rc, "The host's " + class_->name + "." + name + " failed");
    return out;
  }

 private:
  std::shared_ptr<const ForeignClass> class_;
  void* state_;
};

ObjectRef create_foreign(const std::shared_ptr<const ForeignClass>& cls) {
  void* state = nullptr;
  if (cls->callbacks.create) {
    reset_error();
    const int rc = cls->callbacks.create(cls->data, &state);
    if (rc != 0)
      raise_callback_error(LEMA_E_CANNOT_CREATE, "Cannot create an instance of " + cls->name);
  }
  try {
    return ObjectRef(new ForeignObject(cls, state));
  } catch (...) {
    if (cls->callbacks.release) cls->callbacks.release(cls->data, state);
    throw;
  }
}

// ---- event sinks ----------------------------------------------------------------------------
class CallbackSink final : public EventSink {
 public:
  CallbackSink(lema_event_callback fn, void* user) : fn_(fn), user_(user) {}
  void on_event(const Object& source, std::string_view event, std::span<Value> args) override {
    const std::string name(event);
    CArgs cargs(args);
    reset_error();
    const int rc = fn_(user_, handle_of(&source), name.c_str(), cargs.data(), cargs.size());
    cargs.write_back(args);
    if (rc != 0) raise_callback_error(rc, "The handler of " + name + " failed");
  }

 private:
  lema_event_callback fn_;
  void* user_;
};

EventSource& event_source(lema_object* h) {
  auto* src = dynamic_cast<EventSource*>(&require(h));
  if (!src)
    raise(ErrorCode::NotSupported, "Object doesn't support this action: it raises no events");
  return *src;
}

// ---- member access ---------------------------------------------------------------------------
static_assert(LEMA_GET == static_cast<int>(InvokeKind::Get) &&
              LEMA_LET == static_cast<int>(InvokeKind::Let) &&
              LEMA_SET == static_cast<int>(InvokeKind::Set) &&
              LEMA_CALL == static_cast<int>(InvokeKind::Call));

// Runs a member; with `write_back`, arguments the member changed are replaced in `args`.
void invoke_member(lema_object* h, const char* name, int kind, lema_value* args, size_t nargs,
                   lema_value* result, bool write_back = true) {
  if (result) *result = lema_value{};
  Object& o = require(h);
  std::string_view member = require_name(name, "member name");
  if (kind < LEMA_GET || kind > LEMA_CALL) invalid_call("unknown access kind");
  if (nargs && !args) invalid_call("no arguments");

  std::vector<Value> values;
  values.reserve(nargs);
  for (size_t i = 0; i < nargs; ++i) values.push_back(from_c(args[i]));
  const std::vector<Value> passed = values;

  ObjectRef keep(&o);  // the member may drop the caller's last other reference
  Value r = o.invoke(member, static_cast<InvokeKind>(kind), values);

  // Convert everything before touching the caller's memory, so that a failure leaves it as
  // it was.
  lema_value converted{};
  if (result) to_c(r, converted);
  std::vector<std::pair<size_t, lema_value>> changed;
  try {
    for (size_t i = 0; write_back && i < nargs; ++i) {
      if (values[i] == passed[i]) continue;
      changed.emplace_back(i, lema_value{});
      to_c(values[i], changed.back().second);
    }
  } catch (...) {
    clear(converted);
    for (auto& c : changed) clear(c.second);
    throw;
  }
  for (auto& [i, v] : changed) {
    clear(args[i]);
    args[i] = v;
  }
  if (result) *result = converted;
}

template <class F>
int set_value(lema_value* v, F&& f) noexcept {
  return guarded(
      [&] {
        if (!v) invalid_call(kNoValue);
        Value built = f();
        lema_value out{};
        to_c(built, out);
        clear(*v);
        *v = out;
      },
      true);
}

// A value carried as text (a decimal or a string), converted as a value coming in is.
int set_text_value(lema_value* v, int32_t kind, const char* text, size_t length) noexcept {
  return set_value(v, [&] {
    lema_value t{};
    t.kind = kind;
    t.u.text = lema_text{text, length};
    return from_c(t);
  });
}

}  // namespace
}  // namespace lema::capi

using namespace lema;
using namespace lema::capi;

extern "C" {

void lema_value_clear(lema_value* v) {
  if (v) clear(*v);
}

int lema_value_copy(lema_value* dst, const lema_value* src) {
  return guarded(
      [&] {
        if (!dst || !src) invalid_call(kNoValue);
        Value v = from_c(*src);
        to_c(v, *dst);
      },
      true);
}

int lema_value_set_empty(lema_value* v) {
  return set_value(v, [] { return Value(); });
}
int lema_value_set_null(lema_value* v) {
  return set_value(v, [] { return Value::null(); });
}
int lema_value_set_missing(lema_value* v) {
  return set_value(v, [] { return Value::missing(); });
}
int lema_value_set_integer(lema_value* v, int16_t n) {
  return set_value(v, [n] { return Value(n); });
}
int lema_value_set_long(lema_value* v, int32_t n) {
  return set_value(v, [n] { return Value(n); });
}
int lema_value_set_double(lema_value* v, double d) {
  return set_value(v, [d] { return Value(d); });
}
int lema_value_set_boolean(lema_value* v, int b) {
  return set_value(v, [b] { return Value(b != 0); });
}
int lema_value_set_decimal(lema_value* v, const char* text, size_t length) {
  return set_text_value(v, LEMA_DECIMAL, text, length);
}
int lema_value_set_string(lema_value* v, const char* data, size_t length) {
  return set_text_value(v, LEMA_STRING, data, length);
}
int lema_value_set_date(lema_value* v, int32_t year, int32_t month, int32_t day, int32_t hour,
                        int32_t minute, int32_t second) {
  return set_value(v, [&] {
    lema_value t{};
    t.kind = LEMA_DATE;
    t.u.date = lema_date{year, month, day, hour, minute, second};
    return from_c(t);
  });
}
int lema_value_set_object(lema_value* v, lema_object* object) {
  return set_value(v, [object] { return Value(ObjectRef(object_of(object))); });
}
int lema_value_set_array(lema_value* v, uint32_t rank, const lema_bound* bounds) {
  return set_value(v, [&] {
    if (rank > 2 || (rank && !bounds)) invalid_call("arrays have 0 to 2 dimensions");
    std::vector<Array::Bound> b;
    for (uint32_t d = 0; d < rank; ++d) b.push_back(Array::Bound{bounds[d].lower, bounds[d].count});
    return Value(Array(std::move(b)));
  });
}

void lema_free(void* block) {
  std::free(block);
}

const char* lema_last_error(void) {
  return t_error.text;
}
int lema_last_error_code(void) {
  return t_error.code;
}
void lema_set_error(int code, const char* text) {
  note_error(code, text ? text : "");
}

void lema_set_trace(lema_trace_fn trace, void* user) {
  {
    std::lock_guard<std::mutex> lock(g_trace_mutex);
    g_trace = trace;
    g_trace_user = user;
  }
  set_swallow_observer(trace ? trace_to_host : nullptr);
}

const char* lema_version(void) {
  return LEMA_VERSION_TEXT;
}

int lema_create(const char* class_name, lema_object** out) {
  if (out) *out = nullptr;
  return guarded([&] {
    std::string_view name = require_name(class_name, "class name");
    if (!out) invalid_call("no place for the object");
    *out = handle_of(create_object(name).detach());
  });
}

void lema_addref(lema_object* object) {
  if (object) object_of(object)->add_ref();
}

void lema_release(lema_object* object) {
  if (object) object_of(object)->release();
}

int lema_same_object(const lema_object* a, const lema_object* b) {
  if (!a || !b) return a == b;
  auto* x = reinterpret_cast<const Object*>(a);
  auto* y = reinterpret_cast<const Object*>(b);
  return x->identity() == y->identity();
}

int lema_class_name(lema_object* object, lema_value* out) {
  if (out) *out = lema_value{};
  return guarded([&] {
    Object& o = require(object);
    if (!out) invalid_call(kNoValue);
    to_c(Value(o.class_info().prog_id()), *out);
  });
}

int lema_get(lema_object* object, const char* name, lema_value* result) {
  return guarded([&] {
    if (!result) invalid_call(kNoValue);
    invoke_member(object, name, LEMA_GET, nullptr, 0, result);
  });
}

int lema_let(lema_object* object, const char* name, const lema_value* value) {
  return guarded([&] {
    if (!value) invalid_call(kNoValue);
    lema_value copy = *value;  // a property assignment writes nothing back
    invoke_member(object, name, LEMA_LET, &copy, 1, nullptr, false);
  });
}

int lema_set(lema_object* object, const char* name, const lema_value* value) {
  return guarded([&] {
    if (!value) invalid_call(kNoValue);
    lema_value copy = *value;
    invoke_member(object, name, LEMA_SET, &copy, 1, nullptr, false);
  });
}

int lema_call(lema_object* object, const char* name, lema_value* args, size_t nargs,
              lema_value* result) {
  return guarded([&] { invoke_member(object, name, LEMA_CALL, args, nargs, result); });
}

int lema_invoke(lema_object* object, const char* name, int kind, lema_value* args, size_t nargs,
                lema_value* result) {
  return guarded([&] { invoke_member(object, name, kind, args, nargs, result); });
}

int lema_members(const char* class_name, lema_member** out, size_t* count) {
  if (out) *out = nullptr;
  if (count) *count = 0;
  return guarded([&] {
    std::string_view name = require_name(class_name, "class name");
    if (!out || !count) invalid_call("no place for the list");
    auto entry = Registry::global().find(name);
    if (!entry)
      raise(ErrorCode::CannotCreateObject, "Cannot create an instance of " + message_text(name));
    const ClassInfo* info = entry->info;
    ObjectRef instance;  // a class without a fixed table shows the table of an instance
    if (!info) {
      instance = create_object(name);
      info = &instance->class_info();
    }
    const auto& members = info->members();
    if (members.empty()) return;
    std::vector<std::string> kinds;
    size_t bytes = members.size() * sizeof(lema_member);
    for (const Member& m : members) {
      kinds.push_back(m.kind_letters());
      bytes += m.name.size() + 1 + kinds.back().size() + 1;
    }
    auto* block = static_cast<lema_member*>(std::malloc(bytes));
    if (!block) throw std::bad_alloc();
    char* text = reinterpret_cast<char*>(block + members.size());
    auto put = [&text](std::string_view s) {
      char* start = text;
      std::memcpy(text, s.data(), s.size());
      text[s.size()] = '\0';
      text += s.size() + 1;
      return start;
    };
    for (size_t i = 0; i < members.size(); ++i) {
      block[i].name = put(members[i].name);
      block[i].kind = put(kinds[i]);
    }
    *out = block;
    *count = members.size();
  });
}

int lema_register_class(const char* class_name, const lema_class_callbacks* callbacks,
                        void* class_data) {
  return guarded([&] {
    std::string_view name = require_name(class_name, "class name");
    if (!callbacks) invalid_call("no callbacks");
    auto cls = std::make_shared<const ForeignClass>(std::string(name), *callbacks, class_data);
    Registry::global().register_class(std::string(name), [cls] { return create_foreign(cls); });
  });
}

int lema_unregister_class(const char* class_name) {
  return guarded([&] {
    std::string_view name = require_name(class_name, "class name");
    if (!Registry::global().unregister_class(name))
      raise(ErrorCode::CannotCreateObject, "No class registered as " + message_text(name));
  });
}

int lema_advise(lema_object* source, lema_event_callback callback, void* user, uint32_t* cookie) {
  if (cookie) *cookie = 0;
  return guarded([&] {
    EventSource& src = event_source(source);
    if (!callback || !cookie) invalid_call("no callback");
    *cookie = src.advise(std::make_shared<CallbackSink>(callback, user));
  });
}

int lema_unadvise(lema_object* source, uint32_t cookie) {
  return guarded([&] { event_source(source).unadvise(cookie); });
}

}  // extern "C"
