// Hostile values at the C interface: arrays nested to the limit and past it on a small
// stack; a long bad value in an error text.
#include <gtest/gtest.h>
#include <pthread.h>

#include <string>
#include <vector>

#include "common/message_text.h"
#include "lema/lema.h"

namespace {

// `depth` arrays built by the host, each holding the next, the innermost a Long.
struct Nested {
  explicit Nested(size_t depth) : arrays(depth), values(depth + 1) {
    for (size_t i = 0; i < depth; ++i) {
      arrays[i] = lema_array{1, {{0, 1}, {0, 0}}, &values[i + 1]};
      values[i].kind = LEMA_ARRAY;
      values[i].u.array = &arrays[i];
    }
    values[depth].kind = LEMA_LONG;
  }
  std::vector<lema_array> arrays;
  std::vector<lema_value> values;
};

void* nesting_on_a_small_stack(void*) {
  lema_object* lk = nullptr;
  EXPECT_EQ(lema_create("LEMA_LOOKUPDECODE.CLSCG_LOOKUP", &lk), LEMA_OK);
  Nested at_limit(LEMA_MAX_NESTING);
  EXPECT_EQ(lema_let(lk, "IDLookup", &at_limit.values[0]), LEMA_OK);
  lema_value back = LEMA_VALUE_INIT;
  EXPECT_EQ(lema_get(lk, "IDLookup", &back), LEMA_OK);
  size_t depth = 0;
  for (const lema_value* v = &back; v->kind == LEMA_ARRAY; v = v->u.array->items) ++depth;
  EXPECT_EQ(depth, size_t{LEMA_MAX_NESTING});
  lema_value_clear(&back);

  for (size_t too_deep : {LEMA_MAX_NESTING + 1, 100000}) {
    Nested over(too_deep);
    EXPECT_EQ(lema_let(lk, "IDLookup", &over.values[0]), LEMA_E_INVALID_CALL);
    EXPECT_STREQ(lema_last_error(),
                 "Invalid procedure call or argument: arrays nested more than 64 deep");
  }
  // The library's own arrays: refused, freed without recursion.
  lema_value owned = LEMA_VALUE_INIT;
  const lema_bound one{0, 1};
  lema_value* at = &owned;
  for (int i = 0; i < 100000; ++i, at = at->u.array->items) lema_value_set_array(at, 1, &one);
  EXPECT_EQ(lema_let(lk, "IDLookup", &owned), LEMA_E_INVALID_CALL);
  lema_value_clear(&owned);
  lema_release(lk);
  return nullptr;
}

TEST(Limits, NestingThroughTheCInterfaceOnA256KBStack) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, nesting_on_a_small_stack, nullptr), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
}

TEST(Limits, ErrorTextsQuoteAShortPrefixOfALongValue) {
  const std::string text(1000000, '9');
  lema_value bad = LEMA_VALUE_INIT, copy = LEMA_VALUE_INIT;
  bad.kind = LEMA_DECIMAL;
  bad.u.text = lema_text{text.c_str(), text.size()};
  EXPECT_EQ(lema_value_copy(&copy, &bad), LEMA_E_TYPE_MISMATCH);
  EXPECT_EQ(lema_last_error(), "Type mismatch: not a decimal number: \"" + text.substr(0, 200) +
                                   "... (1000000 bytes)\"");
  EXPECT_EQ(lema::message_text(std::string("a\0\x1f\x7f\n\xc3\xa8", 7)),
            "a\\u0000\\u001f\\u007f\\u000a\xc3\xa8");
}

}  // namespace
