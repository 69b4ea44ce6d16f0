#include "server/server.h"

#include "connect/clscg_connect.h"
#include "decode/clscg_decode.h"
#include "host/date_text_converter.h"
#include "lookup/clscg_lookup.h"

namespace lema {
namespace server {
namespace {
template <class C>
void add(Registry& reg, const ClassInfo* info) {
  reg.register_class(
      std::string(C::kProgId), [] { return ObjectRef(make_object<C>()); }, info);
}
}  // namespace

void register_own_classes(Registry& reg) {
  add<CLSCG_LOOKUP>(reg, &CLSCG_LOOKUP::static_class_info());
  add<CLSCG_DECODE>(reg, &CLSCG_DECODE::static_class_info());
  add<CLSCG_CONNECT>(reg, &CLSCG_CONNECT::static_class_info());
  add<host::DateTextConverter>(reg, nullptr);
}
}  // namespace server

Registry& Registry::global() {
  static Registry reg;
  static const bool filled = (server::register_own_classes(reg), true);
  (void)filled;
  return reg;
}

}  // namespace lema
