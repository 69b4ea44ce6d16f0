// The automation layer: member tables, dispatch by name, the registry, back-references
// and events.
#include <gtest/gtest.h>

#include "automation/back_reference.h"
#include "automation/binder.h"
#include "automation/class_info.h"
#include "automation/events.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"

namespace lema {
namespace {

class Sample final : public Object, public EventSource {
 public:
  Value Note;
  int16_t Count = 0;
  bool Flag = false;
  ObjectRef Link;
  std::string last;

  std::string Join(const Value& a, int16_t b, const std::string& c) {
    return to_text(a) + "|" + std::to_string(b) + "|" + c;
  }
  void Bump(int16_t& n, Value* extra) {
    n = static_cast<int16_t>(n + 1);
    if (extra) *extra = Value("touched");
  }
  int32_t Optional(const Value& v, bool flag) {
    last = v.is_missing() ? "missing" : to_text(v);
    return flag ? 1 : 0;
  }
  void Fire(bool& cancel) {
    Value args[] = {Value(cancel), Value("data")};
    raise_event(*this, "Changed", args);
    cancel = to_boolean(args[0]);
  }

  const ClassInfo& class_info() const override {
    using namespace bind;
    static const ClassInfo info(
        "Test.Sample",
        {field<&Sample::Note>("Note", access::GLS), field<&Sample::Count>("Count", access::GL),
         field<&Sample::Flag>("Flag", access::GL), field<&Sample::Link>("Link", access::GS),
         method<&Sample::Join>("Join", {req("A"), req("B"), req("C")}),
         method<&Sample::Bump>("Bump", {req("N"), opt("Extra")}),
         method<&Sample::Optional>("Optional", {opt("V"), opt("Flag", Value(true))}),
         method<&Sample::Fire>("Fire", {req("Cancel")})},
        {EventInfo{"Changed", {}}});
    return info;
  }
};

TEST(Dispatch, PropertiesByNameWithAccessorsAndConversions) {
  auto s = make_object<Sample>();
  let_property(*s, "Note", Value("x"));
  EXPECT_EQ(get_property(*s, "note"), Value("x"));  // names ignore case
  let_property(*s, "Count", Value("12"));
  EXPECT_EQ(s->Count, 12);
  EXPECT_EQ(get_property(*s, "Count"), Value(int16_t{12}));
  try {
    let_property(*s, "Count", Value("twelve"));
    FAIL();
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), ErrorCode::TypeMismatch);
  }
  EXPECT_THROW(let_property(*s, "Count", Value(int32_t{70000})), Error);
  EXPECT_THROW(let_property(*s, "Link", Value(int32_t{1})), Error);  // no Let on an object
  EXPECT_THROW(set_property(*s, "Count", Value::nothing()), Error);  // no Set on a number
  EXPECT_THROW(set_property(*s, "Note", Value(int32_t{1})), Error);  // Set needs an object
  ObjectRef other = make_object<Sample>();
  set_property(*s, "Note", Value(other));
  EXPECT_EQ(s->Note.as_object(), other);
  EXPECT_THROW(get_property(*s, "Nope"), Error);
}

TEST(Dispatch, MethodsWithOptionalAndByReferenceArguments) {
  auto s = make_object<Sample>();
  EXPECT_EQ(call_method(*s, "Join", {Value(int32_t{1}), Value("2"), Value(3.0)}), Value("1|2|3"));
  EXPECT_THROW(call_method(*s, "Join", {Value(int32_t{1})}), Error);  // required missing
  EXPECT_THROW(call_method(*s, "Join", {Value(), Value("x"), Value("c")}), Error);     // conversion
  EXPECT_THROW(call_method(*s, "Join", {Value(), Value(), Value(), Value()}), Error);  // too many

  std::vector<Value> args{Value(int32_t{4})};
  call_method(*s, "Bump", args);
  EXPECT_EQ(args[0], Value(int16_t{5}));  // written back in the declared type
  args = {Value(int16_t{1}), Value("keep")};
  call_method(*s, "Bump", args);
  EXPECT_EQ(args[1], Value("touched"));

  args = {};
  EXPECT_EQ(call_method(*s, "Optional", args), Value(int32_t{1}));  // default true
  EXPECT_EQ(s->last, "missing");
  args = {Value::missing(), Value(false)};
  EXPECT_EQ(call_method(*s, "Optional", args), Value(int32_t{0}));
  EXPECT_TRUE(args[0].is_missing());
}

TEST(Dispatch, MemberTableKeepsSlotOrderAndKinds) {
  auto s = make_object<Sample>();
  const auto& m = s->class_info().members();
  ASSERT_EQ(m.size(), 8u);
  EXPECT_EQ(m[0].kind_letters(), "GLS");
  EXPECT_EQ(m[1].kind_letters(), "GL");
  EXPECT_EQ(m[3].kind_letters(), "GS");
  EXPECT_EQ(m[4].kind_letters(), "method");
  EXPECT_EQ(m[5].params[0].byref, true);
  EXPECT_EQ(m[5].params[1].optional, true);
}

struct Flipper final : EventSink {
  int calls = 0;
  void on_event(const Object&, std::string_view name, std::span<Value> args) override {
    ++calls;
    EXPECT_EQ(name, "Changed");
    args[0] = Value(true);
  }
};

TEST(Events, SinksSeeAndChangeByReferenceArguments) {
  auto s = make_object<Sample>();
  auto sink = std::make_shared<Flipper>();
  uint32_t cookie = s->advise(sink);
  bool cancel = false;
  s->Fire(cancel);
  EXPECT_TRUE(cancel);
  s->unadvise(cookie);
  cancel = false;
  s->Fire(cancel);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(sink->calls, 1);
}

TEST(Registry, CreatesByNameAndHostsReplaceFactories) {
  Registry reg;
  EXPECT_THROW(reg.create("Test.Sample"), Error);
  reg.register_class("Test.Sample", [] { return ObjectRef(make_object<Sample>()); });
  EXPECT_EQ(reg.create("TEST.SAMPLE")->class_info().prog_id(), "Test.Sample");
  {
    ScopedClass scoped(
        "Test.Sample", []() -> ObjectRef { raise(ErrorCode::Host, "refused"); }, reg);
    EXPECT_THROW(reg.create("Test.Sample"), Error);
  }
  EXPECT_TRUE(reg.create("Test.Sample"));
  EXPECT_TRUE(Registry::global().find("LEMA_LOOKUPDECODE.CLSCG_LOOKUP"));
  EXPECT_TRUE(Registry::global().find("DateTextConverter"));
  EXPECT_FALSE(Registry::global().find("PIRO_CONNECT.CLSCG_CONNECT"));  // hosts bring siblings
}

TEST(BackReference, ForwardsWithoutKeepingTheTargetAlive) {
  auto target = make_object<Sample>();
  ObjectRef back = make_back_reference(*target);
  EXPECT_EQ(target->ref_count(), 1u);
  EXPECT_EQ(back->identity(), target.get());
  let_property(*back, "Note", Value("via back"));
  EXPECT_EQ(target->Note, Value("via back"));
  target.reset();
  EXPECT_NE(back->identity(), nullptr);
  EXPECT_THROW(get_property(*back, "Note"), Error);
}

}  // namespace
}  // namespace lema
