// The C interface seen from C++: ownership of values, the value helpers, event sinks and error
// texts (host classes, values both ways, dispatch errors: python/smoke.py). calloc(2, n) for
// calloc(1, n) in a value's block is an equivalent mutant.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "capi/value_bridge.h"
#include "common/error.h"
#include "lema/lema.h"

namespace lema {
namespace {

lema_object* handle(const ObjectRef& o) {
  return reinterpret_cast<lema_object*>(o.get());
}

std::string text(const lema_value& v) {
  return std::string(v.u.text.data, v.u.text.length);
}

// A C value as "Kind payload", arrays as their bounds and entries.
std::string show(const lema_value& v) {
  static const char* const kinds[] = {"Empty",   "Null",   "Missing", "Integer", "Long",   "Double",
                                      "Decimal", "String", "Date",    "Boolean", "Object", "Array"};
  std::string s = kinds[v.kind];
  const lema_date& d = v.u.date;
  switch (v.kind) {
    case LEMA_INTEGER:
      return s + " " + std::to_string(v.u.integer);
    case LEMA_LONG:
      return s + " " + std::to_string(v.u.lng);
    case LEMA_DOUBLE:
      return s + " " + std::to_string(v.u.dbl);
    case LEMA_BOOLEAN:
      return s + " " + std::to_string(v.u.boolean);
    case LEMA_DECIMAL:
    case LEMA_STRING:
      return s + " " + text(v);
    case LEMA_DATE:
      for (int32_t n : {d.year, d.month, d.day, d.hour, d.minute, d.second})
        (s += ' ') += std::to_string(n);
      return s;
    case LEMA_ARRAY: {
      size_t n = v.u.array->rank ? 1 : 0;
      for (uint32_t i = 0; i < v.u.array->rank; ++i) {
        (((s += ' ') += std::to_string(v.u.array->bounds[i].lower)) += ':') +=
            std::to_string(v.u.array->bounds[i].count);
        n *= v.u.array->bounds[i].count;
      }
      for (size_t i = 0; i < n; ++i) s += (i ? ", " : " [") + show(v.u.array->items[i]);
      return s + (n ? "]" : "");
    }
  }
  return s;
}

// Sets Cancel and adds 10 to the program, then fails with the number `user` points to, if any.
int sink(void* user, lema_object*, const char*, lema_value* args, size_t) {
  lema_value_set_boolean(&args[0], 1);
  lema_value_set_long(&args[2], args[2].u.lng + 10);
  const int fail = *static_cast<int*>(user);
  if (fail) lema_set_error(fail, "sink refused");
  return fail;
}

// The connector's event, raised by calling TransferData: a failing sink does not stop the next,
// and the changes of both come back. (What a sink receives, and unadvise: python/smoke.py.)
TEST(CInterface, AFailingSinkDoesNotStopTheNext) {
  lema_object* cn = nullptr;
  ASSERT_EQ(lema_create("LEMA_LOOKUPDECODE.CLSCG_CONNECT", &cn), LEMA_OK);
  int fail = 5, pass = 0;
  uint32_t c = 0;
  ASSERT_EQ(lema_advise(cn, &sink, &fail, &c) + lema_advise(cn, &sink, &pass, &c), LEMA_OK);
  lema_value args[3] = {LEMA_VALUE_INIT, LEMA_VALUE_INIT, LEMA_VALUE_INIT};
  lema_value_set_boolean(&args[0], 0);
  lema_value_set_string(&args[1], "pick", 4);
  lema_value_set_long(&args[2], 3);
  ASSERT_EQ(lema_call(cn, "TransferData", args, 3, nullptr), LEMA_OK);
  EXPECT_TRUE(args[0].kind == LEMA_BOOLEAN && args[0].u.boolean && args[2].kind == LEMA_LONG &&
              args[2].u.lng == 23);
  lema_value_clear(&args[1]);
  lema_release(cn);
}

TEST(CInterface, OwnedValuesHoldTheirOwnReferencesAndCopies) {
  ObjectRef target = create_object("LEMA_LOOKUPDECODE.CLSCG_LOOKUP");
  const uint32_t refs = target->ref_count();
  lema_value arr = LEMA_VALUE_INIT, copy = LEMA_VALUE_INIT;
  lema_bound b{0, 2};
  ASSERT_EQ(lema_value_set_array(&arr, 1, &b), LEMA_OK);
  ASSERT_EQ(lema_value_set_object(&arr.u.array->items[0], handle(target)), LEMA_OK);
  ASSERT_EQ(lema_value_set_string(&arr.u.array->items[1], "a\0b", 3), LEMA_OK);
  ASSERT_EQ(lema_value_copy(&copy, &arr), LEMA_OK);
  EXPECT_EQ(target->ref_count(), refs + 2);
  EXPECT_NE(copy.u.array->items[1].u.text.data, arr.u.array->items[1].u.text.data);
  EXPECT_EQ(text(copy.u.array->items[1]), std::string("a\0b", 3));
  EXPECT_EQ(copy.u.array->items[1].u.text.data[3], '\0');
  lema_value_clear(&arr);
  lema_value_clear(&copy);
  EXPECT_EQ(target->ref_count(), refs);
  EXPECT_EQ(copy.kind, LEMA_EMPTY);
  EXPECT_TRUE(lema_same_object(nullptr, nullptr) && !lema_same_object(handle(target), nullptr));
}

// What each value helper builds, owned (the round trip of every kind: python/smoke.py).
TEST(CInterface, ValueHelpersBuildOwnedValues) {
  lema_bound b[2] = {{1, 2}, {-1, 1}};
  const std::pair<std::function<int(lema_value*)>, const char*> cases[] = {
      {[](lema_value* x) { return lema_value_set_boolean(x, 7); }, "Boolean 1"},
      {[](lema_value* x) { return lema_value_set_integer(x, -3); }, "Integer -3"},
      {[](lema_value* x) { return lema_value_set_long(x, 70000); }, "Long 70000"},
      {[](lema_value* x) { return lema_value_set_double(x, 2.5); }, "Double 2.500000"},
      {[](lema_value* x) { return lema_value_set_decimal(x, "-12.50", 6); }, "Decimal -12.5"},
      {[](lema_value* x) { return lema_value_set_date(x, 2024, 2, 29, 10, 30, 5); },
       "Date 2024 2 29 10 30 5"},
      {&lema_value_set_null, "Null"},
      {[&](lema_value* x) {
         int rc = lema_value_set_array(x, 2, b);
         return rc ? rc : lema_value_set_string(&x->u.array->items[1], "b", 1);
       },
       "Array 1:2 -1:1 [Empty, String b]"},
      {[](lema_value* x) { return lema_value_set_array(x, 0, nullptr); }, "Array"},
      {&lema_value_set_empty, "Empty"},
  };
  lema_value v = LEMA_VALUE_INIT;
  for (const auto& [set, want] : cases) {
    EXPECT_EQ(set(&v), LEMA_OK);
    EXPECT_EQ(v.flags, LEMA_VALUE_OWNED);
    EXPECT_EQ(show(v), want);
  }
  EXPECT_EQ(lema_value_set_array(&v, 3, b), LEMA_E_INVALID_CALL);
  EXPECT_STREQ(lema_last_error(),
               "Invalid procedure call or argument: arrays have 0 to 2 dimensions");
}

// Entry points reset the thread's error and report their own; the value helpers keep the one a
// callback set, and a refused value leaves the old one. Long texts are cut on a character.
TEST(CInterface, ErrorsAndTheirTexts) {
  lema_set_error(LEMA_E_HOST, "refused by the host");
  lema_value v = LEMA_VALUE_INIT;
  EXPECT_EQ(lema_value_set_string(&v, "x", 1) + lema_value_set_long(&v, 1), LEMA_OK);
  lema_value c = LEMA_VALUE_INIT;
  EXPECT_EQ(lema_value_copy(&c, &v), LEMA_OK);
  lema_value_clear(&c);
  EXPECT_EQ(lema_last_error_code(), LEMA_E_HOST);
  EXPECT_STREQ(lema_last_error(), "refused by the host");
  EXPECT_EQ(lema_value_set_date(&v, 2023, 2, 29, 0, 0, 0), LEMA_E_INVALID_CALL);
  EXPECT_STREQ(lema_last_error(), "Invalid procedure call or argument: not a valid date");
  EXPECT_EQ(lema_value_set_long(nullptr, 1), LEMA_E_INVALID_CALL);
  EXPECT_STREQ(lema_last_error(), "Invalid procedure call or argument: no value");
  EXPECT_EQ(v.kind, LEMA_LONG);
  lema_member* members = nullptr;
  size_t n = 0;
  EXPECT_EQ(lema_members("No.Class", &members, &n), LEMA_E_CANNOT_CREATE);
  EXPECT_STREQ(lema_last_error(), "Cannot create an instance of No.Class");
  EXPECT_EQ(lema_unregister_class("No.Class"), LEMA_E_CANNOT_CREATE);
  EXPECT_STREQ(lema_last_error(), "No class registered as No.Class");

  lema_object* lk = nullptr;
  ASSERT_EQ(lema_create("LEMA_LOOKUPDECODE.CLSCG_LOOKUP", &lk), LEMA_OK);
  EXPECT_EQ(lema_get(lk, "Nope", &v), LEMA_E_NOT_SUPPORTED);
  EXPECT_EQ(v.kind, LEMA_EMPTY);  // a failed call leaves its result empty
  EXPECT_EQ(lema_get(nullptr, "Caption", &v), LEMA_E_INVALID_CALL);
  for (int rc : {lema_class_name(lk, nullptr), lema_get(lk, "Caption", nullptr),
                 lema_let(lk, "IDLookup", nullptr), lema_set(lk, "LookupRecordset", nullptr)}) {
    EXPECT_EQ(rc, LEMA_E_INVALID_CALL);
    EXPECT_STREQ(lema_last_error(), "Invalid procedure call or argument: no value");
  }
  lema_value other = LEMA_VALUE_INIT, back = LEMA_VALUE_INIT;
  ASSERT_EQ(lema_create("LEMA_LOOKUPDECODE.CLSCG_LOOKUP", &other.u.object), LEMA_OK);
  other.kind = LEMA_OBJECT;
  EXPECT_EQ(lema_set(lk, "LookupRecordset", &other), LEMA_OK);
  EXPECT_EQ(lema_get(lk, "LookupRecordset", &back), LEMA_OK);
  EXPECT_EQ(back.u.object, other.u.object);
  lema_value_clear(&back);
  lema_release(other.u.object);
  EXPECT_EQ(lema_call(lk, nullptr, nullptr, 0, nullptr), LEMA_E_INVALID_CALL);
  EXPECT_EQ(lema_invoke(lk, "Valute", 7, nullptr, 0, nullptr), LEMA_E_INVALID_CALL);
  EXPECT_STREQ(lema_last_error(), "Invalid procedure call or argument: unknown access kind");
  uint32_t cookie = 0;
  EXPECT_EQ(lema_advise(lk, &sink, nullptr, &cookie), LEMA_E_NOT_SUPPORTED);
  EXPECT_STREQ(lema_last_error(), "Object doesn't support this action: it raises no events");
  let_property(*capi::object_of(lk), "IDLookup", Value(Array({{0, 1}, {0, 1}, {0, 1}})));
  EXPECT_EQ(lema_get(lk, "IDLookup", &v), LEMA_E_TYPE_MISMATCH);
  EXPECT_STREQ(lema_last_error(),
               "Arrays of more than two dimensions cannot be passed to the host");
  lema_release(lk);
  EXPECT_STREQ(lema_version(), LEMA_PROJECT_VERSION);

  std::string longer;
  while (longer.size() < 2000) longer += "è";
  lema_set_error(LEMA_E_HOST, longer.c_str());
  const std::string kept = lema_last_error();
  EXPECT_LT(kept.size(), longer.size());
  EXPECT_EQ(kept, longer.substr(0, kept.size()));
  EXPECT_EQ(kept.size() % 2, 0u);  // whole two-byte characters only
}

}  // namespace
}  // namespace lema
