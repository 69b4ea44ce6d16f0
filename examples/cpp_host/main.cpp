// A small host in C++: the typed API of the lookup class and the by-name API side by side.
#include <iostream>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/text.h"
#include "lookup/clscg_lookup.h"

int main() {
  lema::Ref<lema::CLSCG_LOOKUP> typed = lema::make_object<lema::CLSCG_LOOKUP>();
  typed->Valute();

  lema::ObjectRef by_name = lema::create_object("LEMA_LOOKUPDECODE.CLSCG_LOOKUP");
  lema::call_method(*by_name, "Valute", {});
  const lema::Value sql = lema::get_property(*by_name, "StringaSQL");
  if (!(sql == typed->StringaSQL())) {
    std::cerr << "the two paths disagree\n";
    return 1;
  }
  std::cout << "Caption: " << lema::to_text(typed->Caption()) << "\n"
            << "StringaSQL: " << lema::to_text(sql) << "\n";
  return 0;
}
