#include "host/host_framework.h"

#include "automation/binder.h"
#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"

namespace lema::host {
namespace {

// By-name view of a HostFramework: HostEnvironment -> HostContext / HostTranslator.
class Context final : public Object {
 public:
  explicit Context(Ref<HostFramework> h) : host_(std::move(h)) {}
  Value LanguageCode() const { return host_->LanguageCode(); }
  Value CompanyCode() const { return host_->CompanyCode(); }
  const ClassInfo& class_info() const override {
    static const ClassInfo info("HostContext",
                                {bind::getter<&Context::LanguageCode>("LanguageCode"),
                                 bind::getter<&Context::CompanyCode>("CompanyCode")});
    return info;
  }

 private:
  Ref<HostFramework> host_;
};

class Translator final : public Object {
 public:
  explicit Translator(Ref<HostFramework> h) : host_(std::move(h)) {}
  std::string Translate(const std::string& text) {
    std::string out;
    host_->Translate(text, out);
    return out;
  }
  const ClassInfo& class_info() const override {
    static const ClassInfo info(
        "HostTranslator", {bind::method<&Translator::Translate>("Translate", {bind::req("Text")})});
    return info;
  }

 private:
  Ref<HostFramework> host_;
};

class Environment final : public Object {
 public:
  explicit Environment(Ref<HostFramework> h) : host_(std::move(h)) {}
  ObjectRef HostContext() const { return make_object<Context>(host_); }
  ObjectRef HostTranslator() const { return make_object<Translator>(host_); }
  const ClassInfo& class_info() const override {
    static const ClassInfo info("HostEnvironment",
                                {bind::getter<&Environment::HostContext>("HostContext"),
                                 bind::getter<&Environment::HostTranslator>("HostTranslator")});
    return info;
  }

 private:
  Ref<HostFramework> host_;
};

struct FrameworkMembers {
  static ObjectRef environment(const HostFramework& h) {
    return make_object<Environment>(Ref<HostFramework>(const_cast<HostFramework*>(&h)));
  }
};

Value host_environment(Object& o) {
  return Value(FrameworkMembers::environment(static_cast<HostFramework&>(o)));
}
Value host_option(Object& o, std::span<Value> args, const Member& m) {
  if (!args.empty())
    raise(ErrorCode::WrongArgumentCount, "Wrong number of arguments: " + std::string(m.name));
  return Value(static_cast<HostFramework&>(o).IsHostOptionSet());
}

Value chain_get(Object& o, std::string_view a, std::string_view b, std::string_view c) {
  ObjectRef first = to_object(get_property(o, a));
  if (!first) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
  ObjectRef second = to_object(get_property(*first, b));
  if (!second) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
  return get_property(*second, c);
}

}  // namespace

const ClassInfo& HostFramework::class_info() const {
  static const ClassInfo info = [] {
    Member env;
    env.name = "HostEnvironment";
    env.kind = MemberKind::Property;
    env.access = access::G;
    env.type = TypeTag::Object;
    env.get = &host_environment;
    Member opt;
    opt.name = "IsHostOptionSet";
    opt.kind = MemberKind::Method;
    opt.type = TypeTag::Boolean;
    opt.call = &host_option;
    return ClassInfo("TUSK_LibSrv.HostFramework", {env, opt});
  }();
  return info;
}

Value language_code(Object& host) {
  if (auto* h = dynamic_cast<HostFramework*>(&host)) return h->LanguageCode();
  return chain_get(host, "HostEnvironment", "HostContext", "LanguageCode");
}

Value company_code(Object& host) {
  if (auto* h = dynamic_cast<HostFramework*>(&host)) return h->CompanyCode();
  return chain_get(host, "HostEnvironment", "HostContext", "CompanyCode");
}

void translate(Object& host, std::string_view text, std::string& out) {
  if (auto* h = dynamic_cast<HostFramework*>(&host)) {
    h->Translate(text, out);
    return;
  }
  ObjectRef env = to_object(get_property(host, "HostEnvironment"));
  if (!env) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
  ObjectRef tr = to_object(get_property(*env, "HostTranslator"));
  if (!tr) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
  Value r = call_method(*tr, "Translate", {Value(std::string(text))});
  append_text(out, r);
}

bool is_host_option_set(Object& host) {
  if (auto* h = dynamic_cast<HostFramework*>(&host)) return h->IsHostOptionSet();
  return to_boolean(call_method(host, "IsHostOptionSet", {}));
}

std::string language_or_default(const ObjectRef& host, std::string_view def) {
  std::string lang(def);
  if (host) lema::detail::step([&] { lang = to_string_param(language_code(*host)); });
  return lang;
}

Value company_or_empty(const ObjectRef& host) {
  Value company;
  if (host) lema::detail::step([&] { company = company_code(*host); });
  return company;
}

void translate_or_keep(const ObjectRef& host, std::string_view text, std::string& out) {
  if (!host) {
    out.append(text);
    return;
  }
  const size_t mark = out.size();
  if (!lema::detail::step([&] { translate(*host, text, out); })) {
    out.resize(mark);
    out.append(text);
  }
}

TextTranslator::TextTranslator(const ObjectRef& host) noexcept
    : host_(host), typed_(dynamic_cast<HostFramework*>(host.get())) {}

void TextTranslator::operator()(std::string& out, std::string_view text) const {
  if (!typed_) {
    translate_or_keep(host_, text, out);
    return;
  }
  const size_t mark = out.size();
  if (!lema::detail::step([&] { typed_->Translate(text, out); })) {
    out.resize(mark);
    out.append(text);
  }
}

}  // namespace lema::host
