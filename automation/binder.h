// Builds member-table entries from typed C++ members, so that one table per class maps
// names to the typed API:
//
//   bind::method<&CLSCG_LOOKUP::Sezionali>("Sezionali", {bind::req("CodiceDitta")})
//   bind::field<&CLSCG_LOOKUP::FiltroStringaSQL>("FiltroStringaSQL", access::GLS)
//   bind::getter<&CLSCG_LOOKUP::Caption>("Caption")
//
// Parameter types: `const Value&` (Variant), `Value&` (Variant by reference), `Value*`
// (optional Variant by reference, null when not passed), int16_t, int32_t, enums, bool,
// double, std::string, ObjectRef; `T&` is by reference, `T*` optional by reference.
#pragma once

#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"

namespace lema::bind {

struct Param {
  std::string_view name;
  bool optional = false;
  Value def;
};
inline Param req(std::string_view name) {
  return {name, false, Value()};
}
inline Param opt(std::string_view name, Value def = Value::missing()) {
  return {name, true, std::move(def)};
}

namespace detail {

template <class B>
constexpr TypeTag tag_of() {
  if constexpr (std::is_same_v<B, void>)
    return TypeTag::Void;
  else if constexpr (std::is_same_v<B, Value>)
    return TypeTag::Variant;
  else if constexpr (std::is_same_v<B, bool>)
    return TypeTag::Boolean;
  else if constexpr (std::is_same_v<B, int16_t>)
    return TypeTag::Integer;
  else if constexpr (std::is_same_v<B, int32_t> || std::is_enum_v<B>)
    return TypeTag::Long;
  else if constexpr (std::is_same_v<B, double>)
    return TypeTag::Double;
  else if constexpr (std::is_same_v<B, std::string>)
    return TypeTag::String;
  else if constexpr (std::is_convertible_v<B, ObjectRef>)
    return TypeTag::Object;
  else
    static_assert(sizeof(B) == 0, "unsupported member type");
}

template <class B>
B from_value(const Value& v) {
  if constexpr (std::is_same_v<B, Value>)
    return v;
  else if constexpr (std::is_same_v<B, bool>)
    return to_boolean(v);
  else if constexpr (std::is_same_v<B, int16_t>)
    return to_integer(v);
  else if constexpr (std::is_same_v<B, int32_t>)
    return to_long(v);
  else if constexpr (std::is_enum_v<B>)
    return static_cast<B>(to_long(v));
  else if constexpr (std::is_same_v<B, double>)
    return to_double(v);
  else if constexpr (std::is_same_v<B, std::string>)
    return to_string_param(v);
  else if constexpr (std::is_same_v<B, ObjectRef>)
    return to_object(v);
  else {
    ObjectRef o = to_object(v);
    return B(dynamic_cast<typename B::element_type*>(o.get()));
  }
}

template <class B>
Value to_value(const B& b) {
  if constexpr (std::is_enum_v<B>)
    return Value(static_cast<int32_t>(b));
  else if constexpr (std::is_convertible_v<B, ObjectRef> && !std::is_same_v<B, Value>)
    return Value(ObjectRef(b));
  else
    return Value(b);
}

// One argument: found (or defaulted), converted to the parameter type, written back when
// the parameter is by reference and the caller passed it.
template <class P>
class Holder {
 public:
  using B = std::remove_cvref_t<std::remove_pointer_t<P>>;
  static constexpr bool kOptionalRef = std::is_pointer_v<P>;
  static constexpr bool kByRef = kOptionalRef || (std::is_lvalue_reference_v<P> &&
                                                  !std::is_const_v<std::remove_reference_t<P>>);
  static constexpr bool kVariantIn = std::is_same_v<B, Value> && !kByRef;

  Holder(std::span<Value> args, size_t i, const ParamInfo& p) {
    Value* a = (i < args.size() && !args[i].is_missing()) ? &args[i] : nullptr;
    if (!a && !p.optional)
      raise(ErrorCode::ArgumentNotOptional, "Argument not optional: " + std::string(p.name));
    slot_ = a;
    if constexpr (kOptionalRef) {
      if (!a) return;
    }
    const Value& src = a ? *a : p.def;
    if constexpr (kVariantIn)
      cref_ = &src;
    else
      storage_.emplace(from_value<B>(src));
  }

  P get() {
    if constexpr (kOptionalRef)
      return slot_ ? &*storage_ : nullptr;
    else if constexpr (kVariantIn)
      return *cref_;
    else
      return *storage_;
  }

  void write_back() {
    if constexpr (kByRef) {
      if (slot_ && storage_) *slot_ = to_value<B>(*storage_);
    }
  }

 private:
  Value* slot_ = nullptr;
  const Value* cref_ = nullptr;
  std::optional<B> storage_;
};

template <class F>
struct FnTraits;
template <class C, class R, class... P>
struct FnTraits<R (C::*)(P...)> {
  using Class = C;
  using Ret = R;
  using Params = std::tuple<P...>;
};
template <class C, class R, class... P>
struct FnTraits<R (C::*)(P...) noexcept> : FnTraits<R (C::*)(P...)> {};

template <auto Fn, class C, class R, class... P, size_t... I>
Value invoke_with(C& self, std::span<Value> args, const Member& m, std::tuple<P...>*,
                  std::index_sequence<I...>) {
  if (args.size() > sizeof...(P))
    raise(ErrorCode::WrongArgumentCount, "Wrong number of arguments: " + std::string(m.name));
  std::tuple<Holder<P>...> h{Holder<P>(args, I, m.params[I])...};
  if constexpr (std::is_void_v<R>) {
    (self.*Fn)(std::get<I>(h).get()...);
    (std::get<I>(h).write_back(), ...);
    return Value();
  } else {
    Value r = to_value<std::remove_cvref_t<R>>((self.*Fn)(std::get<I>(h).get()...));
    (std::get<I>(h).write_back(), ...);
    return r;
  }
}

template <auto Fn>
Value call_thunk(Object& o, std::span<Value> args, const Member& m) {
  using T = FnTraits<decltype(Fn)>;
  using Params = typename T::Params;
  return invoke_with<Fn, typename T::Class, typename T::Ret>(
      static_cast<typename T::Class&>(o), args, m, static_cast<Params*>(nullptr),
      std::make_index_sequence<std::tuple_size_v<Params>>{});
}

template <class Tuple, size_t... I>
std::vector<ParamInfo> param_infos(std::initializer_list<Param> ps, std::index_sequence<I...>) {
  if (ps.size() != sizeof...(I)) throw std::logic_error("member table: parameter count mismatch");
  std::vector<ParamInfo> out;
  out.reserve(sizeof...(I));
  auto it = ps.begin();
  (void)it;
  (
      [&] {
        using P = std::tuple_element_t<I, Tuple>;
        using H = Holder<P>;
        const Param& p = *it++;
        out.push_back(ParamInfo{p.name, tag_of<typename H::B>(), H::kByRef,
                                p.optional || H::kOptionalRef, p.def});
      }(),
      ...);
  return out;
}

template <class F>
struct FieldTraits;
template <class C, class B>
struct FieldTraits<B C::*> {
  using Class = C;
  using Type = B;
};
template <class F>
struct GetterTraits;
template <class C, class R>
struct GetterTraits<R (C::*)() const> {
  using Class = C;
  using Ret = std::remove_cvref_t<R>;
};
template <class C, class R>
struct GetterTraits<R (C::*)() const noexcept> : GetterTraits<R (C::*)() const> {};

// The common part of a property's entry: name, accessors and declared type.
inline Member property_entry(std::string_view name, uint8_t acc, TypeTag type) {
  Member m;
  m.name = name;
  m.kind = MemberKind::Property;
  m.access = acc;
  m.type = type;
  return m;
}
}  // namespace detail

// A method of the typed API.
template <auto Fn>
Member method(std::string_view name, std::initializer_list<Param> params = {}) {
  using T = detail::FnTraits<decltype(Fn)>;
  using Params = typename T::Params;
  Member m;
  m.name = name;
  m.kind = MemberKind::Method;
  m.type = detail::tag_of<std::remove_cvref_t<typename T::Ret>>();
  m.params =
      detail::param_infos<Params>(params, std::make_index_sequence<std::tuple_size_v<Params>>{});
  m.call = &detail::call_thunk<Fn>;
  return m;
}

// A public variable of the class, with the accessors given.
template <auto Field>
Member field(std::string_view name, uint8_t acc) {
  using T = detail::FieldTraits<decltype(Field)>;
  using C = typename T::Class;
  using B = typename T::Type;
  Member m = detail::property_entry(name, acc, detail::tag_of<B>());
  m.get = [](Object& o) -> Value { return detail::to_value<B>(static_cast<C&>(o).*Field); };
  m.put = [](Object& o, const Value& v) { static_cast<C&>(o).*Field = detail::from_value<B>(v); };
  return m;
}

// A read-only property served by a const member function.
template <auto Getter>
Member getter(std::string_view name) {
  using T = detail::GetterTraits<decltype(Getter)>;
  using C = typename T::Class;
  Member m = detail::property_entry(name, access::G, detail::tag_of<typename T::Ret>());
  m.get = [](Object& o) -> Value {
    return detail::to_value<typename T::Ret>((static_cast<C&>(o).*Getter)());
  };
  return m;
}

// A property served by a getter and a setter member function (let and/or set as given).
template <auto Getter, auto Setter>
Member property(std::string_view name, uint8_t acc) {
  using T = detail::GetterTraits<decltype(Getter)>;
  using C = typename T::Class;
  using B = typename T::Ret;
  Member m = detail::property_entry(name, acc, detail::tag_of<B>());
  m.get = [](Object& o) -> Value { return detail::to_value<B>((static_cast<C&>(o).*Getter)()); };
  m.put = [](Object& o, const Value& v) { (static_cast<C&>(o).*Setter)(detail::from_value<B>(v)); };
  return m;
}

}  // namespace lema::bind
