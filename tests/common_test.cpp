// Values, statement text and the automation layer. Equivalent mutants: an object's count in its
// destructor, ParamInfo's default `byref` (always stated), the case of a name called by name.
#include <gtest/gtest.h>

#include "automation/back_reference.h"
#include "automation/binder.h"
#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "host/clock.h"
#include "support/errors.h"

namespace lema {
namespace {

using testing_support::error_of;

TEST(Values, TextForms) {
  std::string texts;
  for (const Value& v :
       {Value(12), Value(int16_t{-3}), Value(12.0), Value(-12.5), Value(0.1), Value(1e20),
        Value(*Decimal::parse("12.50")), Value(*Decimal::parse("-0.25")),
        Value(*Decimal::parse("7.000")), Value(true), Value(false), Value(), Value::null(),
        Value(*Date::from_civil(2024, 3, 15)), Value(*Date::from_civil(999, 1, 2, 10, 3, 5))})
    (texts += to_text(v)) += '|';
  EXPECT_EQ(texts,
            "12|-3|12|-12.5|0.1|1e+20|12.5|-0.25|7|True|False|||2024-03-15|0999-01-02 10:03:05|");
  std::string kinds;
  for (int k = 0; k <= static_cast<int>(Kind::Array); ++k)
    (kinds += kind_name(static_cast<Kind>(k))) += ' ';
  EXPECT_EQ(kinds,
            "Empty Null Missing Integer Long Double Decimal String Date Boolean Object Array ");
  for (const auto& [h, m, s] :
       {std::tuple{24, 0, 0}, {-1, 0, 0}, {0, 60, 0}, {0, -1, 0}, {0, 0, 60}, {0, 0, -1}})
    EXPECT_FALSE(Date::from_civil(2024, 1, 1, h, m, s)) << h << m << s;
  for (const Value& v : {Value(Array::matrix(1, 1)), Value::nothing(), Value::missing()})
    EXPECT_EQ(error_of([&] { to_text(v); }), "13 Type mismatch");
}

TEST(Values, ConversionsFollowTheRuntimeRules) {
  EXPECT_EQ(to_integer(Value(" +7 ")), 7);
  EXPECT_EQ(to_integer(Value(2.5)), 2);  // half to even
  EXPECT_EQ(to_integer(Value(3.5)), 4);
  EXPECT_EQ(to_integer(Value()), 0);
  EXPECT_EQ(to_long(Value(true)), -1);
  EXPECT_EQ(to_double(Value("1.5e3")), 1500);
  EXPECT_TRUE(to_boolean(Value(" TRUE ")) && to_boolean(Value("-1")));
  EXPECT_FALSE(to_boolean(Value("false")) || to_boolean(Value(0)));
  EXPECT_EQ(to_decimal(Value("+12.50")).to_text(), "12.5");
  EXPECT_EQ(to_decimal(Value(1e3)).to_text(), "1000");
  EXPECT_EQ(to_date(Value(2.5)), *Date::from_civil(1900, 1, 1, 12));
  EXPECT_EQ(to_string_param(Value()), "");
  const std::pair<const char*, std::vector<std::function<void()>>> errors[] = {
      {"13 Type mismatch",
       {[] { to_integer(Value("12abc")); }, [] { to_integer(Value("")); },
        [] { to_double(Value("1,5")); }, [] { to_boolean(Value("yes")); },
        [] { to_decimal(Value("x1")); }, [] { to_date(Value("2024-01-01")); },
        [] { Value("x").as_long(); }}},
      {"6 Overflow",
       {[] { to_integer(Value(40000)); }, [] { to_date(Value(3e6)); }, [] { to_date(Value(-7e5)); },
        [] { to_long(Value(3e9)); }}},
      {"94 Invalid use of Null",
       {[] { to_integer(Value::null()); }, [] { to_string_param(Value::null()); }}},
      {"424 Object required", {[] { to_object(Value("x")); }}},
  };
  for (const auto& [text, calls] : errors)
    for (const auto& f : calls) EXPECT_EQ(error_of(f), text);
}

TEST(Values, ArraysKeepTheirBoundsAndCopyOnWrite) {
  Array a({{1, 2}, {0, 3}});
  EXPECT_EQ(a.ubound(0), 2);
  EXPECT_EQ(a.ubound(1), 2);
  a.at(2, 1) = Value("x");
  Array list({{-1, 2}});
  for (auto f : std::initializer_list<std::function<void()>>{
           [&] { a.at(0, 0); }, [&] { a.at(3, 0); }, [&] { a.at(1, 3); }, [&] { a.at(1); },
           [&] { a.lbound(2); }, [&] { list.at(1); }, [&] { list.at(0, 0); },
           [] {
             Array bad({{0, -1}});
           }})
    EXPECT_EQ(error_of(f), "9 Subscript out of range");
  Value v(a), copy = v;
  copy.as_array_mut().at(2, 1) = Value("y");
  EXPECT_EQ(v.as_array().at(2, 1), Value("x"));
  EXPECT_FALSE(v == copy);
}

TEST(StatementText, SeparatorsNullsAndReplacement) {
  SqlText s;
  s << "SELECT " LEMA_CRLF << Value(5) << kCR << Value::null() << "X" << quoted(Value("a"))
    << sql_condition(Value(" AND 1=1"));
  s.number(-12).or_default(Value("  "), "D");
  EXPECT_EQ(s.str(), "SELECT \r\n5\rXa AND 1=1-12D");
  EXPECT_EQ(replace_all("F(<C>, <C>)", "<C>", "1"), "F(1, 1)");
  EXPECT_EQ(replace_all("abc", "", "x"), "abc");
}

class Sample final : public Object {
 public:
  Value Note;
  int16_t Count = 0;
  ObjectRef Link;

  std::string Join(const Value& a, int16_t b, const std::string& c) {
    return to_text(a) + "|" + std::to_string(b) + "|" + c;
  }
  void Bump(int16_t& n, Value* extra) {
    n = static_cast<int16_t>(n + 1);
    if (extra) *extra = Value("touched");
  }
  std::string Optional(const Value& v, bool flag) {
    return (v.is_missing() ? "missing " : to_text(v)) + (flag ? "True" : "False");
  }
  const ClassInfo& class_info() const override {
    using namespace bind;
    static const ClassInfo info(
        "Test.Sample",
        {field<&Sample::Note>("Note", access::GLS), field<&Sample::Count>("Count", access::GL),
         field<&Sample::Link>("Link", access::GS),
         method<&Sample::Join>("Join", {req("A"), req("B"), req("C")}),
         method<&Sample::Bump>("Bump", {req("N"), opt("Extra")}),
         method<&Sample::Optional>("Optional", {opt("V"), opt("Flag", Value(true))})});
    return info;
  }
};

TEST(Dispatch, PropertiesAndMethodsByNameWithConversionsOptionalAndByReferenceArguments) {
  auto s = make_object<Sample>();
  let_property(*s, "Note", Value("x"));
  EXPECT_EQ(get_property(*s, "nOTE"), Value("x"));  // names ignore case
  let_property(*s, "Count", Value("12"));
  EXPECT_EQ(get_property(*s, "Count"), Value(int16_t{12}));
  const std::pair<std::function<void()>, const char*> errors[] = {
      {[&] { let_property(*s, "Note", Value::missing()); }, "13 Type mismatch: Note"},
      {[&] { let_property(*s, "Note", Value(ObjectRef(s))); }, "13 Type mismatch: Note"},
      {[&] { let_property(*s, "Link", Value(1)); }, "438 Property cannot be Let: Test.Sample.Link"},
      {[&] { set_property(*s, "Count", Value::nothing()); },
       "438 Property cannot be Set: Test.Sample.Count"},
      {[&] { set_property(*s, "Note", Value(1)); }, "424 Object required: Note"},
      {[&] { let_property(*s, "Join", Value(1)); }, "438 Not a property: Test.Sample.Join"},
      {[&] { call_method(*s, "Note", {Value(1)}); }, "450 Wrong number of arguments: Note"},
      {[&] {
         call_method(*s, "Join", {Value(), Value("x"), Value()});
       },
       "13 Type mismatch: Join"},
      {[&] {
         call_method(*s, "Join", {Value(), Value(), Value(), Value()});
       },
       "450 Wrong number of arguments: Join"},
  };
  for (const auto& [f, text] : errors) EXPECT_EQ(error_of(f), text);
  EXPECT_EQ(call_method(*s, "Join", {Value(1), Value("2"), Value(3.0)}), Value("1|2|3"));
  std::vector<Value> args{Value(4)};
  call_method(*s, "Bump", args);
  EXPECT_EQ(args[0], Value(int16_t{5}));  // written back in the declared type
  args = {Value(int16_t{1}), Value("keep")};
  call_method(*s, "Bump", args);
  EXPECT_EQ(args[1], Value("touched"));
  args = {};
  EXPECT_EQ(call_method(*s, "Optional", args), Value("missing True"));  // the declared default
  args = {Value::missing(), Value(false)};
  EXPECT_EQ(call_method(*s, "Optional", args), Value("missing False"));
  EXPECT_TRUE(args[0].is_missing());
}

TEST(Registry, CreatesByNameAndHostsReplaceFactories) {
  Registry reg;
  const std::string none = "429 Cannot create an instance of Test.Sample";
  auto error = [&] { return error_of([&] { reg.create("Test.Sample"); }); };
  reg.register_class("Test.Sample", [] { return ObjectRef(make_object<Sample>()); });
  EXPECT_EQ(reg.create("TEST.SAMPLE")->class_info().prog_id(), "Test.Sample");
  {
    ScopedClass scoped(
        "Test.Sample", []() -> ObjectRef { raise(ErrorCode::Host, "refused"); }, reg);
    EXPECT_EQ(error(), "10000 refused");
    ScopedClass other(
        "Test.Sample", []() -> ObjectRef { throw std::runtime_error("gone"); }, reg);
    EXPECT_EQ(error(), "429 Test.Sample: gone");
    ScopedClass empty(
        "test.sample", [] { return ObjectRef(); }, reg);
    EXPECT_EQ(error(), none);
  }
  EXPECT_TRUE(reg.create("Test.Sample"));
  EXPECT_TRUE(reg.unregister_class("test.SAMPLE"));
  EXPECT_FALSE(reg.unregister_class("Test.Sample"));
}

TEST(BackReference, DoesNotKeepTheTargetAlive) {
  auto target = make_object<Sample>();
  ObjectRef back = make_back_reference(*target);
  target.reset();
  EXPECT_EQ(error_of([&] { get_property(*back, "Note"); }),
            "91 Object variable not set: the object has ended");
}

TEST(Clock, TodayIsTheLocalDate) {
  const std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  EXPECT_EQ(host::today(), *Date::from_civil(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday));
}

TEST(StepFrame, SwallowsEveryFailureAndTellsTheObserver) {
  static std::string seen;
  set_swallow_observer([](std::string_view what) { seen = what; });
  EXPECT_FALSE(detail::step([] { throw 42; }));
  set_swallow_observer(nullptr);
  EXPECT_FALSE(detail::step([] { throw 1; }));
  EXPECT_EQ(seen, "unknown failure");
}

}  // namespace
}  // namespace lema
