// Currency list and the VAT-code list obtained from the sibling lookup component.
#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "host/class_names.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"

namespace lema {

void CLSCG_LOOKUP::Valute() noexcept {
  static const detail::HeadingTable kColumns{"Codice", "Descrizione"};
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  StringaSQL_ = Value::literal("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) ");
  Caption_ = Value::literal("Elenco valute");
  IDLookup = Value::literal("Lkp_Valute");
}

void CLSCG_LOOKUP::CodiciIva(Value* Filtro) noexcept {
  Value missing = Value::missing();
  LookupCodiciIvaEsterno(Filtro ? *Filtro : missing);
}

void CLSCG_LOOKUP::LookupCodiciIvaEsterno(Value& Filtro) {
  if (Filtro.is_missing()) Filtro = Value::literal("");
  ObjectRef sibling;
  detail::step([&] { sibling = create_object(host::kSiblingLookup); });
  auto on_sibling = [&](auto&& f) {
    detail::step([&] {
      if (!sibling) raise(ErrorCode::ObjectVariableNotSet, "Object variable not set");
      f(*sibling);
    });
  };
  on_sibling([&](Object& s) { set_property(s, "ActiveInterface", Value(ActiveInterface)); });
  on_sibling([&](Object& s) { let_property(s, "FiltroStringaSQL", Filtro); });
  on_sibling([&](Object& s) { call_method(s, "AliquoteIVA"); });
  on_sibling([&](Object& s) { StringaSQL_ = get_property(s, "StringaSQL"); });
  on_sibling([&](Object& s) { ColonneLookup_ = get_property(s, "ArrayFields"); });
  on_sibling([&](Object& s) { Caption_ = get_property(s, "Titolo"); });
  IDLookup = Value::literal("Lkp_CodiciIVA");
  sibling.reset();
}

}  // namespace lema
