// Hostile values at the C interface: arrays nested to the limit and past it, on a host
// thread with a small stack, and a long bad value in an error text.
#include <gtest/gtest.h>
#include <pthread.h>

#include <string>
#include <vector>

#include "lema/lema.h"

namespace {

// Runs `f` on a thread with a 256 KB stack.
template <class F>
void on_small_stack(F f) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  auto body = [](void* p) -> void* {
    (*static_cast<F*>(p))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, body, &f), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

// A value built by the host: `depth` arrays, each holding the next, the innermost a Long.
struct Nested {
  explicit Nested(size_t depth) : arrays(depth), values(depth + 1) {
    for (size_t i = 0; i < depth; ++i) {
      arrays[i] = lema_array{1, {{0, 1}, {0, 0}}, &values[i + 1]};
      values[i].kind = LEMA_ARRAY;
      values[i].u.array = &arrays[i];
    }
    values[depth].kind = LEMA_LONG;
    values[depth].u.lng = 7;
  }
  std::vector<lema_array> arrays;
  std::vector<lema_value> values;
};

size_t depth_of(const lema_value& v) {
  size_t d = 0;
  for (const lema_value* p = &v; p->kind == LEMA_ARRAY; p = p->u.array->items) ++d;
  return d;
}

TEST(Limits, NestingThroughTheCInterfaceOnASmallStack) {
  on_small_stack([] {
    lema_object* lk = nullptr;
    ASSERT_EQ(lema_create("LEMA_LOOKUPDECODE.CLSCG_LOOKUP", &lk), LEMA_OK);
    Nested at_limit(LEMA_MAX_NESTING);
    ASSERT_EQ(lema_let(lk, "IDLookup", &at_limit.values[0]), LEMA_OK);
    lema_value back = LEMA_VALUE_INIT;
    ASSERT_EQ(lema_get(lk, "IDLookup", &back), LEMA_OK);
    EXPECT_EQ(depth_of(back), size_t{LEMA_MAX_NESTING});
    lema_value_clear(&back);

    for (size_t depth : {LEMA_MAX_NESTING + 1, 100000}) {
      Nested over(depth);
      EXPECT_EQ(lema_let(lk, "IDLookup", &over.values[0]), LEMA_E_INVALID_CALL);
      EXPECT_STREQ(lema_last_error(),
                   "Invalid procedure call or argument: arrays nested more than 64 deep");
    }

    // The library's own arrays, nested by the host through the helpers, free without
    // recursion and are refused as well.
    lema_value owned = LEMA_VALUE_INIT;
    const lema_bound one{0, 1};
    lema_value* at = &owned;
    for (int i = 0; i < 100000; ++i, at = at->u.array->items)
      ASSERT_EQ(lema_value_set_array(at, 1, &one), LEMA_OK);
    EXPECT_EQ(lema_let(lk, "IDLookup", &owned), LEMA_E_INVALID_CALL);
    lema_value_clear(&owned);
    lema_release(lk);
  });
}

TEST(Limits, ErrorTextsQuoteAShortPrefixOfALongValue) {
  const std::string text(1000000, '9');
  lema_value bad = LEMA_VALUE_INIT;
  bad.kind = LEMA_DECIMAL;
  bad.u.text = lema_text{text.c_str(), text.size()};
  lema_value copy = LEMA_VALUE_INIT;
  EXPECT_EQ(lema_value_copy(&copy, &bad), LEMA_E_TYPE_MISMATCH);
  EXPECT_EQ(std::string(lema_last_error()), "Type mismatch: not a decimal number: \"" +
                                                text.substr(0, 200) + "... (1000000 bytes)\"");

  lema_object* none = nullptr;
  EXPECT_EQ(lema_create(std::string(5000, 'X').c_str(), &none), LEMA_E_CANNOT_CREATE);
  EXPECT_EQ(std::string(lema_last_error()),
            "Cannot create an instance of " + std::string(200, 'X') + "... (5000 bytes)");
}

}  // namespace
