#include "automation/class_info.h"

#include <string>

#include "common/error.h"
#include "common/message_text.h"
#include "common/text.h"

namespace lema {

std::string_view type_name(TypeTag t) noexcept {
  switch (t) {
    case TypeTag::Void:
      return "Void";
    case TypeTag::Variant:
      return "Variant";
    case TypeTag::Integer:
      return "Integer";
    case TypeTag::Long:
      return "Long";
    case TypeTag::Double:
      return "Double";
    case TypeTag::Boolean:
      return "Boolean";
    case TypeTag::String:
      return "String";
    case TypeTag::Object:
      return "Object";
  }
  return "?";
}

std::string Member::kind_letters() const {
  if (kind == MemberKind::Method) return "method";
  std::string s;
  if (access & access::G) s += 'G';
  if (access & access::L) s += 'L';
  if (access & access::S) s += 'S';
  return s;
}

ClassInfo::ClassInfo(std::string_view prog_id, std::vector<Member> members,
                     std::vector<EventInfo> events)
    : prog_id_(prog_id), members_(std::move(members)), events_(std::move(events)) {
  folded_.reserve(members_.size());
  for (size_t i = 0; i < members_.size(); ++i) folded_.emplace(lower_ascii(members_[i].name), i);
}

const Member* ClassInfo::find(std::string_view name) const noexcept {
  for (const Member& m : members_)
    if (m.name == name) return &m;
  try {
    auto it = folded_.find(lower_ascii(name));
    return it == folded_.end() ? nullptr : &members_[it->second];
  } catch (...) {
    return nullptr;
  }
}

namespace {
[[noreturn]] void no_member(const ClassInfo& info, std::string_view name, std::string_view why) {
  raise(ErrorCode::NotSupported,
        std::string(why) + ": " + std::string(info.prog_id()) + "." + message_text(name));
}
}  // namespace

namespace {
Value dispatch_member(Object& self, const ClassInfo& info, std::string_view name, InvokeKind kind,
                      std::span<Value> args) {
  const Member* m = info.find(name);
  if (!m) no_member(info, name, "Object doesn't support this property or method");
  switch (kind) {
    case InvokeKind::Call:
      if (m->kind == MemberKind::Method) return m->call(self, args, *m);
      [[fallthrough]];
    case InvokeKind::Get:
      if (m->kind == MemberKind::Method) return m->call(self, args, *m);
      if (!(m->access & access::G) || !m->get) no_member(info, name, "Property is write-only");
      if (!args.empty())
        raise(ErrorCode::WrongArgumentCount, "Wrong number of arguments: " + std::string(name));
      return m->get(self);
    case InvokeKind::Let:
    case InvokeKind::Set: {
      if (m->kind == MemberKind::Method || !m->put) no_member(info, name, "Not a property");
      if (args.size() != 1)
        raise(ErrorCode::WrongArgumentCount, "Wrong number of arguments: " + std::string(name));
      const Value& v = args[0];
      if (kind == InvokeKind::Set) {
        if (!(m->access & access::S)) no_member(info, name, "Property cannot be Set");
        if (!v.is_object())
          raise(ErrorCode::ObjectRequired, "Object required: " + std::string(name));
      } else {
        if (!(m->access & access::L)) no_member(info, name, "Property cannot be Let");
        if (v.is_object() || v.is_missing())
          raise(ErrorCode::TypeMismatch, "Type mismatch: " + std::string(name));
      }
      m->put(self, v);
      return Value();
    }
  }
  return Value();
}
}  // namespace

Value dispatch(Object& self, const ClassInfo& info, std::string_view name, InvokeKind kind,
               std::span<Value> args) {
  try {
    return dispatch_member(self, info, name, kind, args);
  } catch (const Error& e) {
    // Conversion failures carry no member name of their own: add it.
    std::string_view what = e.what();
    const std::string shown = message_text(name);
    if (what.find(shown) != std::string_view::npos) throw;
    throw Error(e.code(), std::string(what) + ": " + shown, e.operation());
  }
}

Value Object::invoke(std::string_view member, InvokeKind kind, std::span<Value> args) {
  return dispatch(*this, class_info(), member, kind, args);
}

Value get_property(Object& o, std::string_view name) {
  return o.invoke(name, InvokeKind::Get, {});
}

void let_property(Object& o, std::string_view name, Value v) {
  o.invoke(name, InvokeKind::Let, std::span<Value>(&v, 1));
}

void set_property(Object& o, std::string_view name, Value v) {
  o.invoke(name, InvokeKind::Set, std::span<Value>(&v, 1));
}

Value call_method(Object& o, std::string_view name, std::span<Value> args) {
  return o.invoke(name, InvokeKind::Call, args);
}

Value call_method(Object& o, std::string_view name, std::initializer_list<Value> args) {
  std::vector<Value> a(args);
  return o.invoke(name, InvokeKind::Call, a);
}

}  // namespace lema
