#include "common/value.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"

namespace lema {
namespace {

TEST(ValueText, NumbersBooleansDatesAndEmpties) {
  EXPECT_EQ(to_text(Value(int32_t{12})), "12");
  EXPECT_EQ(to_text(Value(int16_t{-3})), "-3");
  EXPECT_EQ(to_text(Value(12.0)), "12");
  EXPECT_EQ(to_text(Value(12.5)), "12.5");
  EXPECT_EQ(to_text(Value(0.1)), "0.1");
  EXPECT_EQ(to_text(Value(*Decimal::parse("12.50"))), "12.5");
  EXPECT_EQ(to_text(Value(*Decimal::parse("-0.25"))), "-0.25");
  EXPECT_EQ(to_text(Value(*Decimal::parse("7.000"))), "7");
  EXPECT_EQ(to_text(Value(true)), "True");
  EXPECT_EQ(to_text(Value(false)), "False");
  EXPECT_EQ(to_text(Value()), "");
  EXPECT_EQ(to_text(Value::null()), "");
  EXPECT_EQ(to_text(Value(*Date::from_civil(2024, 3, 15))), "2024-03-15");
  EXPECT_EQ(to_text(Value(*Date::from_civil(999, 1, 2, 10, 30, 5))), "0999-01-02 10:30:05");
}

TEST(ValueText, ObjectsArraysAndMissingCannotBeJoined) {
  EXPECT_THROW(to_text(Value(Array::matrix(1, 1))), Error);
  EXPECT_THROW(to_text(Value::nothing()), Error);
  EXPECT_THROW(to_text(Value::missing()), Error);
}

TEST(ValueOrDefault, BlanksEmptyNullAndMissingTakeTheDefault) {
  const Value def("D");
  EXPECT_EQ(value_or_default(Value("  "), def), def);
  EXPECT_EQ(value_or_default(Value(""), def), def);
  EXPECT_EQ(value_or_default(Value(), def), def);
  EXPECT_EQ(value_or_default(Value::null(), def), def);
  EXPECT_EQ(value_or_default(Value::missing(), def), def);
  EXPECT_EQ(value_or_default(Value(" A "), def), Value(" A "));
  EXPECT_EQ(value_or_default(Value(int32_t{0}), def), Value(int32_t{0}));
  EXPECT_EQ(value_or_default(Value(false), def), Value(false));
}

TEST(Conversions, FollowTheRuntimeRules) {
  EXPECT_EQ(to_integer(Value("12")), 12);
  EXPECT_EQ(to_integer(Value(" 7 ")), 7);
  EXPECT_EQ(to_integer(Value(2.5)), 2);  // ties to even
  EXPECT_EQ(to_integer(Value(3.5)), 4);
  EXPECT_EQ(to_integer(Value()), 0);
  EXPECT_EQ(to_long(Value(true)), -1);
  EXPECT_THROW(to_integer(Value("abc")), Error);
  EXPECT_THROW(to_integer(Value(int32_t{40000})), Error);
  EXPECT_THROW(to_integer(Value::null()), Error);
  EXPECT_TRUE(to_boolean(Value("True")));
  EXPECT_FALSE(to_boolean(Value(int32_t{0})));
  EXPECT_EQ(to_decimal(Value("12")).to_text(), "12");
  EXPECT_EQ(to_decimal(Value()).to_text(), "0");
  EXPECT_THROW(to_decimal(Value("x1")), Error);
  EXPECT_THROW(to_string_param(Value::null()), Error);
}

TEST(Arrays, BoundsAndCopyOnWrite) {
  Array a({{1, 2}, {0, 3}});
  EXPECT_EQ(a.lbound(0), 1);
  EXPECT_EQ(a.ubound(0), 2);
  EXPECT_EQ(a.ubound(1), 2);
  a.at(2, 1) = Value("x");
  EXPECT_THROW(a.at(0, 0), Error);
  Value v(a);
  Value copy = v;
  copy.as_array_mut().at(2, 1) = Value("y");
  EXPECT_EQ(v.as_array().at(2, 1), Value("x"));
  EXPECT_EQ(copy.as_array().at(2, 1), Value("y"));
}

TEST(StatementText, SeparatorsAndReplacement) {
  SqlText s;
  s << "SELECT " LEMA_CRLF << Value(int32_t{5}) << kCR << Value::null() << "X";
  EXPECT_EQ(s.str(), "SELECT \r\n5\rX");
  EXPECT_EQ(replace_all("F(<C>, <C>)", "<C>", "1"), "F(1, 1)");
}

}  // namespace
}  // namespace lema
