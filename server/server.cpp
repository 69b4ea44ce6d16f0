// The in-process server frame: the process-wide class registry, holding the library's own
// classes under the names by which hosts create them.
#include "automation/registry.h"
#include "connect/clscg_connect.h"
#include "decode/clscg_decode.h"
#include "host/date_text_converter.h"
#include "lookup/clscg_lookup.h"

namespace lema {

Registry& Registry::global() {
  static Registry reg = [] {
    Registry r;
    r.register_class(
        std::string(CLSCG_LOOKUP::kProgId), [] { return ObjectRef(make_object<CLSCG_LOOKUP>()); },
        &CLSCG_LOOKUP::static_class_info());
    r.register_class(
        std::string(CLSCG_DECODE::kProgId), [] { return ObjectRef(make_object<CLSCG_DECODE>()); },
        &CLSCG_DECODE::static_class_info());
    r.register_class(
        std::string(CLSCG_CONNECT::kProgId), [] { return ObjectRef(make_object<CLSCG_CONNECT>()); },
        &CLSCG_CONNECT::static_class_info());
    r.register_class(std::string(host::DateTextConverter::kProgId),
                     [] { return ObjectRef(make_object<host::DateTextConverter>()); });
    return r;
  }();
  return reg;
}

}  // namespace lema
