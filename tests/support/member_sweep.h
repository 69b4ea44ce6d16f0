// Table-driven sweeps over a class's member table: every method called by name with
// arguments of the declared kinds, every text setting set by name. Used by the tests that
// drive all members at once (value guard, fault injection).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "automation/class_info.h"
#include "common/value.h"
#include "testing/stand_ins.h"

namespace lema::testing_support {

inline std::vector<const Member*> methods_of(const ClassInfo& info) {
  std::vector<const Member*> out;
  for (const Member& m : info.members())
    if (m.kind == MemberKind::Method) out.push_back(&m);
  return out;
}

// Settings a host lets as plain values: Variant and String properties with a let accessor.
inline std::vector<const Member*> text_settings_of(const ClassInfo& info) {
  std::vector<const Member*> out;
  for (const Member& m : info.members())
    if (m.kind == MemberKind::Property && (m.access & access::L) &&
        (m.type == TypeTag::Variant || m.type == TypeTag::String))
      out.push_back(&m);
  return out;
}

inline bool takes_text(const ParamInfo& p) {
  return p.type == TypeTag::Variant || p.type == TypeTag::String;
}

// One argument per parameter: `fill` for values and texts, `control` for objects, 1 for
// numbers, True for Booleans.
inline std::vector<Value> args_for(const Member& m, const Value& fill, const ObjectRef& control) {
  std::vector<Value> args;
  for (const ParamInfo& p : m.params) {
    switch (p.type) {
      case TypeTag::Object:
        args.emplace_back(control);
        break;
      case TypeTag::Integer:
        args.emplace_back(int16_t{1});
        break;
      case TypeTag::Long:
        args.emplace_back(int32_t{1});
        break;
      case TypeTag::Double:
        args.emplace_back(1.0);
        break;
      case TypeTag::Boolean:
        args.emplace_back(true);
        break;
      default:
        args.push_back(fill);
        break;
    }
  }
  return args;
}

// Sets every text setting of `o` to `fill`.
inline void fill_settings(Object& o, const Value& fill) {
  for (const Member* s : text_settings_of(o.class_info())) let_property(o, s->name, fill);
}

inline std::string text_of(const Value& v) {
  return v.is_string() ? std::string(v.as_string())
                       : std::string("<") + std::string(kind_name(v.kind())) + ">";
}

}  // namespace lema::testing_support
