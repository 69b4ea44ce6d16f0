// The C interface seen from C++: ownership of values and handles, host classes made of C
// callbacks, and event sinks changing by-reference arguments. (The sanitizer build checks
// that nothing handed across leaks. Allocating a value's block with calloc(2, n) instead of
// calloc(1, n) is an equivalent mutant.)
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "automation/binder.h"
#include "automation/class_info.h"
#include "automation/events.h"
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

// An object that raises an event with a by-reference Boolean and Long, as the connector does.
class Raiser final : public Object, public EventSource {
 public:
  Value Fire(bool& cancel, int32_t& program) {
    Value args[] = {Value(cancel), Value("pick"), Value(program)};
    raise_event(*this, "TransferData", args);
    cancel = to_boolean(args[0]);
    program = to_long(args[2]);
    return Value();
  }
  const ClassInfo& class_info() const override {
    static const ClassInfo info(
        "Test.Raiser",
        {bind::method<&Raiser::Fire>("Fire", {bind::req("Cancel"), bind::req("Program")})});
    return info;
  }
};

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

TEST(CInterface, SinksChangeByReferenceArgumentsOfTheEvent) {
  auto raiser = make_object<Raiser>();
  SinkLog first, second;
  first.fail = 5;  // a failing sink does not stop the next one
  uint32_t c1 = 0, c2 = 0;
  ASSERT_EQ(lema_advise(handle(ObjectRef(raiser)), &sink, &first, &c1), LEMA_OK);
  ASSERT_EQ(lema_advise(handle(ObjectRef(raiser)), &sink, &second, &c2), LEMA_OK);

  lema_value args[2] = {LEMA_VALUE_INIT, LEMA_VALUE_INIT};
  args[0].kind = LEMA_BOOLEAN;
  args[1].kind = LEMA_LONG;
  args[1].u.lng = 3;
  ASSERT_EQ(lema_call(handle(ObjectRef(raiser)), "Fire", args, 2, nullptr), LEMA_OK);
  EXPECT_EQ(args[0].kind, LEMA_BOOLEAN);
  EXPECT_EQ(args[0].u.boolean, 1);
  EXPECT_EQ(args[1].u.lng, 23);  // each sink added 10
  EXPECT_EQ(first.seen, std::vector<std::string>{"TransferData/3/pick"});
  EXPECT_EQ(second.seen, first.seen);

  ASSERT_EQ(lema_unadvise(handle(ObjectRef(raiser)), c1), LEMA_OK);
  ASSERT_EQ(lema_call(handle(ObjectRef(raiser)), "Fire", args, 2, nullptr), LEMA_OK);
  EXPECT_EQ(args[1].u.lng, 33);
  EXPECT_EQ(first.seen.size(), 1u);
  EXPECT_EQ(raiser->sink_count(), 1u);
  lema_value_clear(&args[0]);
  lema_value_clear(&args[1]);
}

// ---- a host class made of C callbacks ------------------------------------------------------
struct HostLog {
  int live = 0, created = 0, dropped = 0;
  bool refuse = false;
  std::vector<std::string> calls;
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
  auto* log = static_cast<HostLog*>(data);
  log->calls.push_back(std::to_string(*static_cast<int*>(state)) + ":" + member + ":" +
                       std::to_string(kind) + ":" + std::to_string(nargs));
  if (std::strcmp(member, "Self") == 0) return lema_value_set_object(result, self);
  if (std::strcmp(member, "Bump") == 0) {  // Bump(n by reference) -> "bumped"
    lema_value_set_integer(&args[0], static_cast<int16_t>(args[0].u.integer + 1));
    return lema_value_set_string(result, "bumped", 6);
  }
  if (std::strcmp(member, "Table") == 0) {  // a 2 x 1 table (1 To 2, 0 To 0)
    lema_bound b[2] = {{1, 2}, {0, 1}};
    int rc = lema_value_set_array(result, 2, b);
    if (rc == 0) rc = lema_value_set_date(&result->u.array->items[1], 2024, 2, 29, 0, 0, 0);
    return rc;
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
  void SetUp() override {
    lema_class_callbacks cb{&host_create, &host_invoke, &host_release, &host_drop};
    ASSERT_EQ(lema_register_class("Test.CHost", &cb, &log), LEMA_OK);
  }
  void TearDown() override { lema_unregister_class("Test.CHost"); }
  HostLog log;
};

TEST_F(HostClassTest, TheLibraryDrivesItLikeItsOwnObjects) {
  ObjectRef o = create_object("Test.CHost");
  EXPECT_EQ(o->class_info().prog_id(), "Test.CHost");

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
  EXPECT_EQ(log.calls.back(), "1:Note:1:1");

  try {
    call_method(*o, "Missing", {});
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(static_cast<int>(e.code()), LEMA_E_NOT_SUPPORTED);
    EXPECT_STREQ(e.what(), "no member Missing");
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
  lema_class_callbacks cb{&host_create, &host_invoke, &host_release, &host_drop};
  HostLog other;
  ASSERT_EQ(lema_register_class("Test.CHost", &cb, &other), LEMA_OK);  // replaces the factory
  EXPECT_EQ(log.dropped, 0);  // an instance of the old one lives
  lema_release(h);
  EXPECT_EQ(log.live, 0);
  EXPECT_EQ(log.dropped, 1);
  ASSERT_EQ(lema_unregister_class("Test.CHost"), LEMA_OK);
  EXPECT_EQ(other.dropped, 1);
  EXPECT_EQ(lema_unregister_class("Test.CHost"), LEMA_E_CANNOT_CREATE);
  SetUp();  // for TearDown
}

// ---- values and handles ------------------------------------------------------------------------
TEST(CInterface, OwnedValuesHoldTheirOwnReferencesAndCopies) {
  ObjectRef target = create_object("LEMA_LOOKUPDECODE.CLSCG_LOOKUP");
  const uint32_t refs = target->ref_count();

  lema_value arr = LEMA_VALUE_INIT;
  lema_bound b{0, 2};
  ASSERT_EQ(lema_value_set_array(&arr, 1, &b), LEMA_OK);
  ASSERT_EQ(lema_value_set_object(&arr.u.array->items[0], handle(target)), LEMA_OK);
  ASSERT_EQ(lema_value_set_string(&arr.u.array->items[1], "a\0b", 3), LEMA_OK);
  lema_value copy = LEMA_VALUE_INIT;
  ASSERT_EQ(lema_value_copy(&copy, &arr), LEMA_OK);
  EXPECT_EQ(target->ref_count(), refs + 2);
  EXPECT_NE(copy.u.array->items[1].u.text.data, arr.u.array->items[1].u.text.data);
  EXPECT_EQ(text(copy.u.array->items[1]), std::string("a\0b", 3));
  EXPECT_EQ(copy.u.array->items[1].u.text.data[3], '\0');
  lema_value_clear(&arr);
  lema_value_clear(&copy);
  EXPECT_EQ(target->ref_count(), refs);
  EXPECT_EQ(copy.kind, LEMA_EMPTY);

  // A value the caller built is only reset: its memory stays the caller's.
  char mine[] = "mine";
  lema_value borrowed = LEMA_VALUE_INIT;
  borrowed.kind = LEMA_STRING;
  borrowed.u.text = lema_text{mine, 4};
  lema_value_clear(&borrowed);
  EXPECT_EQ(borrowed.kind, LEMA_EMPTY);
  EXPECT_STREQ(mine, "mine");
}

TEST(CInterface, ResultsAreOwnedAndFailuresLeaveThemEmpty) {
  lema_object* lk = nullptr;
  ASSERT_EQ(lema_create("LEMA_LOOKUPDECODE.CLSCG_LOOKUP", &lk), LEMA_OK);
  lema_value r = LEMA_VALUE_INIT;
  ASSERT_EQ(lema_call(lk, "Valute", nullptr, 0, nullptr), LEMA_OK);
  ASSERT_EQ(lema_get(lk, "Caption", &r), LEMA_OK);
  EXPECT_EQ(r.flags, LEMA_VALUE_OWNED);
  EXPECT_STREQ(r.u.text.data, "Elenco valute");
  lema_value_clear(&r);

  EXPECT_EQ(lema_get(lk, "Nope", &r), LEMA_E_NOT_SUPPORTED);
  EXPECT_EQ(r.kind, LEMA_EMPTY);
  EXPECT_EQ(lema_get(nullptr, "Caption", &r), LEMA_E_INVALID_CALL);
  EXPECT_EQ(lema_call(lk, nullptr, nullptr, 0, nullptr), LEMA_E_INVALID_CALL);
  EXPECT_EQ(lema_invoke(lk, "Valute", 7, nullptr, 0, nullptr), LEMA_E_INVALID_CALL);

  lema_value wide = LEMA_VALUE_INIT;
  EXPECT_EQ(lema_value_set_decimal(&wide, "12,5", 4), LEMA_E_TYPE_MISMATCH);
  EXPECT_EQ(lema_value_set_date(&wide, 2023, 2, 29, 0, 0, 0), LEMA_E_INVALID_CALL);
  EXPECT_EQ(wide.kind, LEMA_EMPTY);
  lema_release(lk);
}

TEST(CInterface, LongErrorTextsAreCutOnACharacterBoundary) {
  std::string text;
  while (text.size() < 2000) text += "è";
  lema_set_error(LEMA_E_HOST, text.c_str());
  const std::string kept = lema_last_error();
  EXPECT_LT(kept.size(), text.size());
  EXPECT_EQ(kept, text.substr(0, kept.size()));
  EXPECT_EQ(kept.size() % 2, 0u);  // whole two-byte characters only
}

// Every kind of value across the boundary and back (a Variant property of the lookup holds it).
TEST(CInterface, EveryKindComesBackAsItWent) {
  lema_object* lk = nullptr;
  ASSERT_EQ(lema_create("lema_lookupdecode.clscg_lookup", &lk), LEMA_OK);
  auto round_trip = [&](const std::function<int(lema_value*)>& set) {
    lema_value in = LEMA_VALUE_INIT, out = LEMA_VALUE_INIT;
    EXPECT_EQ(set(&in), LEMA_OK);
    EXPECT_EQ(lema_let(lk, "CodAzienda", &in), LEMA_OK) << lema_last_error();
    EXPECT_EQ(lema_get(lk, "codazienda", &out), LEMA_OK);
    lema_value_clear(&in);
    return out;
  };
  lema_value v = round_trip([](lema_value* x) { return lema_value_set_boolean(x, 0); });
  EXPECT_EQ(v.kind, LEMA_BOOLEAN);
  EXPECT_EQ(v.u.boolean, 0);
  v = round_trip([](lema_value* x) { return lema_value_set_boolean(x, 7); });
  EXPECT_EQ(v.u.boolean, 1);
  v = round_trip([](lema_value* x) { return lema_value_set_integer(x, -3); });
  EXPECT_EQ(v.kind * 100 + v.u.integer, LEMA_INTEGER * 100 - 3);
  v = round_trip([](lema_value* x) { return lema_value_set_long(x, 70000); });
  EXPECT_EQ(v.kind * 100000 + v.u.lng, LEMA_LONG * 100000 + 70000);
  v = round_trip([](lema_value* x) { return lema_value_set_double(x, 2.5); });
  EXPECT_EQ(v.kind, LEMA_DOUBLE);
  EXPECT_EQ(v.u.dbl, 2.5);
  v = round_trip([](lema_value* x) { return lema_value_set_decimal(x, "-12.50", 6); });
  EXPECT_EQ(v.kind, LEMA_DECIMAL);
  EXPECT_EQ(text(v), "-12.5");
  lema_value_clear(&v);
  v = round_trip([](lema_value* x) { return lema_value_set_date(x, 2024, 2, 29, 10, 30, 5); });
  EXPECT_EQ(v.kind, LEMA_DATE);
  EXPECT_EQ(v.u.date.year * 10000 + v.u.date.month * 100 + v.u.date.day, 20240229);
  EXPECT_EQ(v.u.date.hour * 10000 + v.u.date.minute * 100 + v.u.date.second, 103005);
  for (auto set : {&lema_value_set_null, &lema_value_set_empty}) {
    v = round_trip(set);
    EXPECT_EQ(v.kind, set == &lema_value_set_null ? LEMA_NULL : LEMA_EMPTY);
  }
  lema_bound b[2] = {{1, 2}, {-1, 1}};
  v = round_trip([&](lema_value* x) {
    int rc = lema_value_set_array(x, 2, b);
    return rc ? rc : lema_value_set_string(&x->u.array->items[1], "b", 1);
  });
  ASSERT_EQ(v.kind, LEMA_ARRAY);
  EXPECT_EQ(v.u.array->rank, 2u);
  EXPECT_EQ(v.u.array->bounds[0].lower * 10 + v.u.array->bounds[0].count, 12);
  EXPECT_EQ(v.u.array->bounds[1].lower * 10 + v.u.array->bounds[1].count, -9);
  EXPECT_EQ(v.u.array->items[0].kind, LEMA_EMPTY);
  EXPECT_EQ(text(v.u.array->items[1]), "b");
  lema_value_clear(&v);
  v = round_trip([](lema_value* x) { return lema_value_set_array(x, 0, nullptr); });
  EXPECT_EQ(v.kind * 10 + static_cast<int>(v.u.array->rank), LEMA_ARRAY * 10);
  lema_value_clear(&v);
  EXPECT_EQ(lema_value_set_array(&v, 3, b), LEMA_E_INVALID_CALL);
  EXPECT_STREQ(lema_last_error(),
               "Invalid procedure call or argument: arrays have 0 to 2 dimensions");
  lema_value obj = LEMA_VALUE_INIT, back = LEMA_VALUE_INIT;
  ASSERT_EQ(lema_value_set_object(&obj, lk), LEMA_OK);
  ASSERT_EQ(lema_set(lk, "ActiveInterface", &obj), LEMA_OK);
  ASSERT_EQ(lema_get(lk, "ActiveInterface", &back), LEMA_OK);
  EXPECT_TRUE(lema_same_object(back.u.object, lk));
  lema_value_clear(&obj);
  lema_value_clear(&back);
  lema_value nothing = LEMA_VALUE_INIT;
  nothing.kind = LEMA_OBJECT;
  ASSERT_EQ(lema_set(lk, "ActiveInterface", &nothing), LEMA_OK);  // breaks the cycle
  ASSERT_EQ(lema_class_name(lk, &back), LEMA_OK);
  EXPECT_EQ(text(back), "LEMA_LOOKUPDECODE.CLSCG_LOOKUP");
  lema_value_clear(&back);
  EXPECT_TRUE(lema_same_object(nullptr, nullptr) && !lema_same_object(lk, nullptr));
  lema_release(lk);
}

TEST(CInterface, ValueHelpersKeepTheErrorACallbackSetAndReportTheirOwn) {
  lema_set_error(LEMA_E_HOST, "refused by the host");
  lema_value v = LEMA_VALUE_INIT;
  EXPECT_EQ(lema_value_set_string(&v, "x", 1), LEMA_OK);
  EXPECT_EQ(lema_value_set_long(&v, 1), LEMA_OK);
  EXPECT_EQ(lema_last_error_code(), LEMA_E_HOST);
  EXPECT_STREQ(lema_last_error(), "refused by the host");
  EXPECT_EQ(lema_value_set_decimal(&v, "12,5", 4), LEMA_E_TYPE_MISMATCH);
  EXPECT_EQ(lema_value_set_date(&v, 2023, 2, 29, 0, 0, 0), LEMA_E_INVALID_CALL);
  EXPECT_STREQ(lema_last_error(), "Invalid procedure call or argument: not a valid date");
  EXPECT_EQ(lema_value_set_long(nullptr, 1), LEMA_E_INVALID_CALL);
  EXPECT_STREQ(lema_last_error(), "Invalid procedure call or argument: no value");
  EXPECT_EQ(v.kind, LEMA_LONG);  // a refused value leaves the old one
  lema_member* members = nullptr;
  size_t n = 0;
  ASSERT_EQ(lema_members("LEMA_LOOKUPDECODE.CLSCG_DECODE", &members, &n), LEMA_OK);
  EXPECT_EQ(lema_last_error_code(), 0);  // any other call starts afresh
  ASSERT_EQ(n, 38u);
  EXPECT_EQ(std::string(members[0].name) + members[0].kind + members[37].name + members[37].kind,
            "StringaSQLGIFRS15_ClassificazioneClientemethod");
  lema_free(members);
  EXPECT_EQ(lema_members("No.Class", &members, &n), LEMA_E_CANNOT_CREATE);
  EXPECT_STREQ(lema_last_error(), "Cannot create an instance of No.Class");
  EXPECT_EQ(lema_unregister_class("No.Class"), LEMA_E_CANNOT_CREATE);
  EXPECT_STREQ(lema_last_error(), "No class registered as No.Class");
  lema_object* lk = nullptr;
  ASSERT_EQ(lema_create("LEMA_LOOKUPDECODE.CLSCG_LOOKUP", &lk), LEMA_OK);
  uint32_t cookie = 0;
  EXPECT_EQ(lema_advise(lk, &sink, nullptr, &cookie), LEMA_E_NOT_SUPPORTED);
  EXPECT_STREQ(lema_last_error(), "Object doesn't support this action: it raises no events");
  EXPECT_EQ(lema_call(lk, "Nope", nullptr, 0, nullptr), LEMA_E_NOT_SUPPORTED);
  EXPECT_STREQ(
      lema_last_error(),
      "Object doesn't support this property or method: LEMA_LOOKUPDECODE.CLSCG_LOOKUP.Nope");
  lema_release(lk);
  EXPECT_STREQ(lema_version(), LEMA_PROJECT_VERSION);
}

}  // namespace
}  // namespace lema
