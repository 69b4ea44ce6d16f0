// Member tables: each class lists its members in slot order with their accessors.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/object.h"
#include "common/value.h"

namespace lema {

enum class MemberKind : uint8_t { Method, Property };

namespace access {
inline constexpr uint8_t G = 1;
inline constexpr uint8_t L = 2;
inline constexpr uint8_t S = 4;
inline constexpr uint8_t GL = G | L;
inline constexpr uint8_t GS = G | S;
inline constexpr uint8_t GLS = G | L | S;
}  // namespace access

// Declared type of a parameter, a property or a return value.
enum class TypeTag : uint8_t { Void, Variant, Integer, Long, Double, Boolean, String, Object };
std::string_view type_name(TypeTag t) noexcept;

struct ParamInfo {
  std::string_view name;
  TypeTag type = TypeTag::Variant;
  bool byref = false;
  bool optional = false;
  Value def;  // used when an optional argument is not passed (Missing for a Variant)
};

struct Member {
  std::string_view name;
  MemberKind kind = MemberKind::Method;
  uint8_t access = 0;  // properties: access::G | L | S
  TypeTag type = TypeTag::Variant;
  std::vector<ParamInfo> params;
  Value (*get)(Object&) = nullptr;
  void (*put)(Object&, const Value&) = nullptr;  // let or set, checked by the dispatcher
  Value (*call)(Object&, std::span<Value>, const Member&) = nullptr;

  // "method", or the accessor letters in the order G, L, S.
  std::string kind_letters() const;
};

struct EventInfo {
  std::string_view name;
  std::vector<ParamInfo> params;
};

class ClassInfo {
 public:
  ClassInfo(std::string_view prog_id, std::vector<Member> members,
            std::vector<EventInfo> events = {});

  std::string_view prog_id() const noexcept { return prog_id_; }
  const std::vector<Member>& members() const noexcept { return members_; }
  const std::vector<EventInfo>& events() const noexcept { return events_; }
  // By name: exact first, then ignoring ASCII case as automation hosts do.
  const Member* find(std::string_view name) const noexcept;

 private:
  std::string_view prog_id_;
  std::vector<Member> members_;
  std::vector<EventInfo> events_;
  std::unordered_map<std::string, size_t> folded_;
};

// Late-bound access on a member table; what Object::invoke does by default. Raises
// Error for an unknown member, a wrong accessor, a missing required argument or a value
// that cannot be converted to the declared type (dispatch errors, reported to the caller).
Value dispatch(Object& self, const ClassInfo& info, std::string_view name, InvokeKind kind,
               std::span<Value> args);

// Convenience wrappers for by-name use from C++.
Value get_property(Object& o, std::string_view name);
void let_property(Object& o, std::string_view name, Value v);
void set_property(Object& o, std::string_view name, Value v);
Value call_method(Object& o, std::string_view name, std::span<Value> args = {});
Value call_method(Object& o, std::string_view name, std::initializer_list<Value> args);

}  // namespace lema
