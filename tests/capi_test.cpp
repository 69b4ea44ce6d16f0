// The C interface seen from C++: ownership of values and handles, host classes made of C
// callbacks, and event sinks changing by-reference arguments. (The sanitizer build checks
// that nothing handed across leaks. Allocating a value's block with calloc(2, n) instead of
// calloc(1, n) is an equivalent mutant.)
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "automation/class_info.h"
#include "automation/registry.h"
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
        s += " " + std::to_string(n);
      return s;
    case LEMA_ARRAY: {
      size_t n = v.u.array->rank ? 1 : 0;
      for (uint32_t i = 0; i < v.u.array->rank; ++i) {
        s += " " + std::to_string(v.u.array->bounds[i].lower) + ":" +
             std::to_string(v.u.array->bounds[i].count);
        n *= v.u.array->bounds[i].count;
      }
      for (size_t i = 0; i < n; ++i) s += (i ? ", " : " [") + show(v.u.array->items[i]);
      return s + (n ? "]" : "");
    }
  }
  return s;
}

struct SinkLog {
  std::vector<std::string> seen;
  int fail = 0;
};

int sink(void* user, lema_object*, const char* event, lema_value* args, size_t nargs) {
  auto* log = static_cast<SinkLog*>(user);
  log->seen.push_back(std::string(event) + "/" + std::to_string(nargs) + "/" + text(args[1]));
  lema_value_set_boolean(&args[0], 1);
  lema_value_set_long(&args[2], args[2].u.lng + 10);
  if (log->fail) lema_set_error(log->fail, "sink refused");
  return log->fail;
}

// The connector's event, raised by calling TransferData: a failing sink does not stop the next.
TEST(CInterface, SinksChangeByReferenceArgumentsOfTheEvent) {
  lema_object* cn = nullptr;
  ASSERT_EQ(lema_create("LEMA_LOOKUPDECODE.CLSCG_CONNECT", &cn), LEMA_OK);
  SinkLog first, second;
  first.fail = 5;
  uint32_t c1 = 0, c2 = 0;
  ASSERT_EQ(lema_advise(cn, &sink, &first, &c1) + lema_advise(cn, &sink, &second, &c2), LEMA_OK);
  lema_value args[3] = {LEMA_VALUE_INIT, LEMA_VALUE_INIT, LEMA_VALUE_INIT};
  lema_value_set_boolean(&args[0], 0);
  lema_value_set_string(&args[1], "pick", 4);
  lema_value_set_long(&args[2], 3);
  ASSERT_EQ(lema_call(cn, "TransferData", args, 3, nullptr), LEMA_OK);
  EXPECT_EQ(show(args[0]) + ", " + show(args[2]), "Boolean 1, Long 23");  // each sink added 10
  EXPECT_EQ(first.seen, std::vector<std::string>{"TransferData/3/pick"});
  EXPECT_EQ(second.seen, first.seen);
  ASSERT_EQ(lema_unadvise(cn, c1), LEMA_OK);
  ASSERT_EQ(lema_call(cn, "TransferData", args, 3, nullptr), LEMA_OK);
  EXPECT_EQ(args[2].u.lng, 33);
  EXPECT_EQ(first.seen.size() * 10 + second.seen.size(), 12u);
  for (lema_value& v : args) lema_value_clear(&v);
  lema_release(cn);
}

// ---- a host class made of C callbacks ------------------------------------------------------
struct HostLog {
  int live = 0, created = 0, dropped = 0;
  bool refuse = false;
  std::string last;
};

int host_create(void* data, void** state) {
  auto* log = static_cast<HostLog*>(data);
  if (log->refuse) {
    lema_set_error(LEMA_E_HOST, "no licence for this component");
    return 1;
  }
  ++log->live;
  *state = new int(++log->created);
  return 0;
}

int host_invoke(void* data, void* state, lema_object* self, const char* member, int kind,
                lema_value* args, size_t nargs, lema_value* result) {
  static_cast<HostLog*>(data)->last = std::to_string(*static_cast<int*>(state)) + ":" + member +
                                      ":" + std::to_string(kind) + ":" + std::to_string(nargs);
  if (std::strcmp(member, "Self") == 0) return lema_value_set_object(result, self);
  if (std::strcmp(member, "Bump") == 0) {  // Bump(n by reference) -> "bumped"
    lema_value_set_integer(&args[0], static_cast<int16_t>(args[0].u.integer + 1));
    return lema_value_set_string(result, "bumped", 6);
  }
  if (std::strcmp(member, "Table") == 0) {  // a 2 x 1 table (1 To 2, 0 To 0)
    lema_bound b[2] = {{1, 2}, {0, 1}};
    int rc = lema_value_set_array(result, 2, b);
    return rc ? rc : lema_value_set_date(&result->u.array->items[1], 2024, 2, 29, 0, 0, 0);
  }
  if (kind == LEMA_LET) return 0;
  lema_set_error(LEMA_E_NOT_SUPPORTED, (std::string("no member ") + member).c_str());
  return LEMA_E_NOT_SUPPORTED;
}

void host_release(void* data, void* state) {
  --static_cast<HostLog*>(data)->live;
  delete static_cast<int*>(state);
}

void host_drop(void* data) {
  ++static_cast<HostLog*>(data)->dropped;
}

class HostClassTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(lema_register_class("Test.CHost", &cb, &log), LEMA_OK); }
  void TearDown() override { lema_unregister_class("Test.CHost"); }
  lema_class_callbacks cb{&host_create, &host_invoke, &host_release, &host_drop};
  HostLog log;
};

TEST_F(HostClassTest, TheLibraryDrivesItLikeItsOwnObjects) {
  ObjectRef o = create_object("Test.CHost");
  lema_value name = LEMA_VALUE_INIT;
  ASSERT_EQ(lema_class_name(handle(o), &name), LEMA_OK);
  EXPECT_EQ(show(name), "String Test.CHost");
  lema_value_clear(&name);
  Value n[] = {Value(int16_t{41})};
  EXPECT_EQ(call_method(*o, "Bump", n), Value("bumped"));
  EXPECT_EQ(n[0], Value(int16_t{42}));  // written back into the caller's arguments
  Value table = call_method(*o, "Table", {});
  ASSERT_TRUE(table.is_array());
  EXPECT_EQ(table.as_array().lbound(0), 1);
  EXPECT_EQ(table.as_array().at(2, 0), Value(*Date::from_civil(2024, 2, 29)));
  EXPECT_TRUE(table.as_array().at(1, 0).is_empty());
  EXPECT_EQ(get_property(*o, "Self").as_object().get(), o.get());
  let_property(*o, "Note", Value("x"));
  EXPECT_EQ(log.last, "1:Note:1:1");
  try {
    call_method(*o, "Missing", {});
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::to_string(static_cast<int>(e.code())) + " " + e.what(), "438 no member Missing");
  }
  o.reset();
  EXPECT_EQ(log.live, 0);
}

TEST_F(HostClassTest, RefusedCreationAndTheEndOfTheClass) {
  log.refuse = true;
  lema_object* h = nullptr;
  EXPECT_EQ(lema_create("Test.CHost", &h), LEMA_E_HOST);
  EXPECT_STREQ(lema_last_error(), "no licence for this component");
  EXPECT_EQ(h, nullptr);
  log.refuse = false;
  ASSERT_EQ(lema_create("Test.CHost", &h), LEMA_OK);
  HostLog other;
  ASSERT_EQ(lema_register_class("Test.CHost", &cb, &other), LEMA_OK);  // replaces the factory
  EXPECT_EQ(log.dropped, 0);  // an instance of the old one lives
  lema_release(h);
  EXPECT_EQ(log.live * 10 + log.dropped, 1);
  ASSERT_EQ(lema_unregister_class("Test.CHost"), LEMA_OK);
  EXPECT_EQ(other.dropped, 1);
  EXPECT_EQ(lema_unregister_class("Test.CHost"), LEMA_E_CANNOT_CREATE);
  EXPECT_STREQ(lema_last_error(), "No class registered as Test.CHost");
  SetUp();  // for TearDown
}

// ---- values and handles ------------------------------------------------------------------------
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
  // A value the caller built is only reset: its memory stays the caller's.
  char mine[] = "mine";
  lema_value borrowed = LEMA_VALUE_INIT;
  borrowed.kind = LEMA_STRING;
  borrowed.u.text = lema_text{mine, 4};
  lema_value_clear(&borrowed);
  EXPECT_EQ(borrowed.kind, LEMA_EMPTY);
  EXPECT_STREQ(mine, "mine");
}

// What each value helper builds, owned (the round trip of every kind: python/smoke.py).
TEST(CInterface, ValueHelpersBuildOwnedValues) {
  lema_bound b[2] = {{1, 2}, {-1, 1}};
  const std::pair<std::function<int(lema_value*)>, const char*> cases[] = {
      {[](lema_value* x) { return lema_value_set_boolean(x, 0); }, "Boolean 0"},
      {[](lema_value* x) { return lema_value_set_boolean(x, 7); }, "Boolean 1"},
      {[](lema_value* x) { return lema_value_set_integer(x, -3); }, "Integer -3"},
      {[](lema_value* x) { return lema_value_set_long(x, 70000); }, "Long 70000"},
      {[](lema_value* x) { return lema_value_set_double(x, 2.5); }, "Double 2.500000"},
      {[](lema_value* x) { return lema_value_set_decimal(x, "-12.50", 6); }, "Decimal -12.5"},
      {[](lema_value* x) { return lema_value_set_date(x, 2024, 2, 29, 10, 30, 5); },
       "Date 2024 2 29 10 30 5"},
      {&lema_value_set_null, "Null"},
      {&lema_value_set_missing, "Missing"},
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
  EXPECT_EQ(lema_last_error_code(), LEMA_E_HOST);
  EXPECT_STREQ(lema_last_error(), "refused by the host");
  EXPECT_EQ(lema_value_set_decimal(&v, "12,5", 4), LEMA_E_TYPE_MISMATCH);
  EXPECT_EQ(lema_value_set_date(&v, 2023, 2, 29, 0, 0, 0), LEMA_E_INVALID_CALL);
  EXPECT_STREQ(lema_last_error(), "Invalid procedure call or argument: not a valid date");
  EXPECT_EQ(lema_value_set_long(nullptr, 1), LEMA_E_INVALID_CALL);
  EXPECT_STREQ(lema_last_error(), "Invalid procedure call or argument: no value");
  EXPECT_EQ(v.kind, LEMA_LONG);
  lema_member* members = nullptr;
  size_t n = 0;
  ASSERT_EQ(lema_members("LEMA_LOOKUPDECODE.CLSCG_DECODE", &members, &n), LEMA_OK);
  EXPECT_EQ(lema_last_error_code(), 0);
  ASSERT_EQ(n, 38u);
  EXPECT_EQ(std::string(members[0].name) + members[0].kind + members[37].name + members[37].kind,
            "StringaSQLGIFRS15_ClassificazioneClientemethod");
  lema_free(members);
  EXPECT_EQ(lema_members("No.Class", &members, &n), LEMA_E_CANNOT_CREATE);
  EXPECT_STREQ(lema_last_error(), "Cannot create an instance of No.Class");

  lema_object* lk = nullptr;
  ASSERT_EQ(lema_create("LEMA_LOOKUPDECODE.CLSCG_LOOKUP", &lk), LEMA_OK);
  ASSERT_EQ(lema_call(lk, "Valute", nullptr, 0, nullptr), LEMA_OK);
  EXPECT_EQ(lema_get(lk, "Nope", &v), LEMA_E_NOT_SUPPORTED);
  EXPECT_EQ(v.kind, LEMA_EMPTY);  // a failed call leaves its result empty
  EXPECT_STREQ(
      lema_last_error(),
      "Object doesn't support this property or method: LEMA_LOOKUPDECODE.CLSCG_LOOKUP.Nope");
  EXPECT_EQ(lema_get(nullptr, "Caption", &v), LEMA_E_INVALID_CALL);
  EXPECT_EQ(lema_call(lk, nullptr, nullptr, 0, nullptr), LEMA_E_INVALID_CALL);
  EXPECT_EQ(lema_invoke(lk, "Valute", 7, nullptr, 0, nullptr), LEMA_E_INVALID_CALL);
  uint32_t cookie = 0;
  EXPECT_EQ(lema_advise(lk, &sink, nullptr, &cookie), LEMA_E_NOT_SUPPORTED);
  EXPECT_STREQ(lema_last_error(), "Object doesn't support this action: it raises no events");
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
