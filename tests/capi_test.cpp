// The C interface from C++. Equivalent mutant: calloc(2, n) for calloc(1, n) in a value block.
#include <gtest/gtest.h>

#include <string>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "capi/value_bridge.h"
#include "common/error.h"
#include "lema/lema.h"

namespace lema {
namespace {

// Sets Cancel, adds user[1] to the program, then fails with user[0] unless it is 0.
int sink(void* user, lema_object*, const char*, lema_value* args, size_t) {
  const int* u = static_cast<int*>(user);
  lema_value_set_boolean(&args[0], 1);
  lema_value_set_long(&args[2], args[2].u.lng + u[1]);
  if (u[0]) lema_set_error(u[0], "sink refused");
  return u[0];
}

TEST(CInterface, AFailingSinkDoesNotStopTheNextAndUnadviseRemovesOnlyItsOwn) {
  lema_object* cn = nullptr;
  ASSERT_EQ(lema_create("LEMA_LOOKUPDECODE.CLSCG_CONNECT", &cn), LEMA_OK);
  int failing[] = {5, 10}, passing[] = {0, 100};
  uint32_t first = 0, second = 0;
  ASSERT_EQ(lema_advise(cn, &sink, failing, &first) + lema_advise(cn, &sink, passing, &second),
            LEMA_OK);
  lema_value args[3] = {LEMA_VALUE_INIT, LEMA_VALUE_INIT, LEMA_VALUE_INIT};
  lema_value_set_boolean(&args[0], 0);
  lema_value_set_string(&args[1], "pick", 4);
  lema_value_set_long(&args[2], 3);
  ASSERT_EQ(lema_call(cn, "TransferData", args, 3, nullptr), LEMA_OK);
  EXPECT_EQ(capi::from_c(args[0]), Value(true));
  EXPECT_EQ(capi::from_c(args[2]), Value(113));
  ASSERT_EQ(lema_unadvise(cn, first), LEMA_OK);
  ASSERT_EQ(lema_call(cn, "TransferData", args, 3, nullptr), LEMA_OK);
  EXPECT_EQ(capi::from_c(args[2]), Value(213));
  lema_value_clear(&args[1]);
  lema_release(cn);
}

TEST(CInterface, OwnedValuesHoldTheirOwnReferencesAndCopies) {
  lema_value v = LEMA_VALUE_INIT, copy = LEMA_VALUE_INIT;
  auto built = [&](int rc) {
    EXPECT_EQ(rc, LEMA_OK);
    EXPECT_EQ(v.flags, LEMA_VALUE_OWNED);
    return capi::from_c(v);
  };
  EXPECT_EQ(built(lema_value_set_boolean(&v, 7)), Value(true));
  EXPECT_EQ(v.u.boolean, 1);
  EXPECT_EQ(built(lema_value_set_integer(&v, -3)), Value(int16_t{-3}));
  EXPECT_EQ(built(lema_value_set_long(&v, 70000)), Value(70000));
  EXPECT_EQ(built(lema_value_set_double(&v, 2.5)), Value(2.5));
  EXPECT_EQ(built(lema_value_set_date(&v, 2024, 2, 29, 10, 30, 5)),
            Value(*Date::from_civil(2024, 2, 29, 10, 30, 5)));
  EXPECT_EQ(built(lema_value_set_decimal(&v, "-12.50", 6)), Value(*Decimal::parse("-12.5")));
  EXPECT_EQ(std::string(v.u.text.data, v.u.text.length), "-12.5");
  EXPECT_EQ(built(lema_value_set_null(&v)), Value::null());
  EXPECT_EQ(built(lema_value_set_array(&v, 0, nullptr)), Value(Array()));
  ObjectRef target = create_object("LEMA_LOOKUPDECODE.CLSCG_LOOKUP");
  Array two({{1, 2}, {-1, 1}});
  two.at(1, -1) = Value(target);
  two.at(2, -1) = Value(std::string("a\0b", 3));
  const uint32_t refs = target->ref_count();
  const lema_bound b[2] = {{1, 2}, {-1, 1}};
  ASSERT_EQ(lema_value_set_array(&v, 2, b), LEMA_OK);
  ASSERT_EQ(lema_value_set_object(&v.u.array->items[0], capi::handle_of(target.get())), LEMA_OK);
  EXPECT_EQ(built(lema_value_set_string(&v.u.array->items[1], "a\0b", 3)), Value(two));
  ASSERT_EQ(lema_value_copy(&copy, &v), LEMA_OK);
  EXPECT_EQ(target->ref_count(), refs + 2);
  const lema_text& s = copy.u.array->items[1].u.text;
  EXPECT_NE(s.data, v.u.array->items[1].u.text.data);
  EXPECT_EQ(std::string(s.data, s.length + 1), std::string("a\0b\0", 4));
  lema_value_clear(&copy);
  EXPECT_EQ(copy.kind, LEMA_EMPTY);
  EXPECT_EQ(built(lema_value_set_empty(&v)), Value());
  EXPECT_EQ(target->ref_count(), refs);
}

std::string answer(int rc) {
  return std::to_string(rc) + " " + lema_last_error();
}

// Value helpers keep a callback's error; a refused value keeps the old one.
TEST(CInterface, ErrorsAndTheirTexts) {
  const std::string invalid = "5 Invalid procedure call or argument: ";
  lema_set_error(LEMA_E_HOST, "refused by the host");
  lema_value v = LEMA_VALUE_INIT, c = LEMA_VALUE_INIT;
  EXPECT_EQ(lema_value_set_string(&v, "x", 1) + lema_value_set_long(&v, 1), LEMA_OK);
  EXPECT_EQ(lema_value_copy(&c, &v), LEMA_OK);
  EXPECT_EQ(answer(lema_last_error_code()), "10000 refused by the host");
  EXPECT_EQ(answer(lema_value_set_date(&v, 2023, 2, 29, 0, 0, 0)), invalid + "not a valid date");
  const lema_bound bounds[3] = {};
  EXPECT_EQ(answer(lema_value_set_array(&v, 3, bounds)), invalid + "arrays have 0 to 2 dimensions");
  EXPECT_EQ(v.kind, LEMA_LONG);
  EXPECT_EQ(answer(lema_unregister_class("No.Class")), "429 No class registered as No.Class");
  lema_object* lk = nullptr;
  ASSERT_EQ(lema_create("LEMA_LOOKUPDECODE.CLSCG_LOOKUP", &lk), LEMA_OK);
  EXPECT_EQ(lema_get(lk, "Nope", &v), LEMA_E_NOT_SUPPORTED);
  EXPECT_EQ(v.kind, LEMA_EMPTY);  // a failed call leaves its result empty
  EXPECT_EQ(lema_value_set_object(&v, nullptr) + lema_set(lk, "LookupRecordset", &v), LEMA_OK);
  for (int rc : {lema_value_set_long(nullptr, 1), lema_get(nullptr, "Caption", &v),
                 lema_class_name(lk, nullptr), lema_get(lk, "Caption", nullptr),
                 lema_let(lk, "IDLookup", nullptr), lema_set(lk, "LookupRecordset", nullptr)})
    EXPECT_EQ(answer(rc), invalid + "no value");
  EXPECT_EQ(lema_call(lk, nullptr, nullptr, 0, nullptr), LEMA_E_INVALID_CALL);
  EXPECT_EQ(answer(lema_invoke(lk, "Valute", 7, nullptr, 0, nullptr)),
            invalid + "unknown access kind");
  uint32_t cookie = 0;
  EXPECT_EQ(answer(lema_advise(lk, &sink, nullptr, &cookie)),
            "438 Object doesn't support this action: it raises no events");
  let_property(*capi::object_of(lk), "IDLookup", Value(Array({{0, 1}, {0, 1}, {0, 1}})));
  EXPECT_EQ(answer(lema_get(lk, "IDLookup", &v)),
            "13 Arrays of more than two dimensions cannot be passed to the host");
  lema_release(lk);
  EXPECT_STREQ(lema_version(), LEMA_PROJECT_VERSION);
  std::string longer;
  while (longer.size() < 2000) longer += "è";
  lema_set_error(LEMA_E_HOST, longer.c_str());
  const std::string kept = lema_last_error();
  EXPECT_LT(kept.size(), longer.size());
  EXPECT_TRUE(longer.starts_with(kept));
  EXPECT_EQ(kept.size() % 2, 0u);  // whole two-byte characters only
}

}  // namespace
}  // namespace lema
