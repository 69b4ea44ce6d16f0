// A small host in C++: the typed API of the lookup class and the by-name API side by side,
// with the host's own interface object (a class derived from the library's) and the
// library's errors caught as C++ exceptions.
#include <iostream>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "host/host_framework.h"
#include "lookup/clscg_lookup.h"

namespace {

class Host final : public lema::host::HostFramework {
 public:
  lema::Value LanguageCode() override { return lema::Value("ITA"); }
  lema::Value CompanyCode() override { return lema::Value(int32_t{1}); }
  void Translate(std::string_view text, std::string& out) override { out.append(text); }
  bool IsHostOptionSet() override { return false; }
};

}  // namespace

int main() {
  lema::Ref<lema::CLSCG_LOOKUP> typed = lema::make_object<lema::CLSCG_LOOKUP>();
  typed->ActiveInterface = lema::make_object<Host>();
  typed->Valute();

  lema::ObjectRef by_name = lema::create_object("LEMA_LOOKUPDECODE.CLSCG_LOOKUP");
  lema::set_property(*by_name, "ActiveInterface", lema::Value(typed->ActiveInterface));
  lema::call_method(*by_name, "Valute", {});
  const lema::Value sql = lema::get_property(*by_name, "StringaSQL");
  const lema::Value host = lema::get_property(*by_name, "ActiveInterface");
  if (!(sql == typed->StringaSQL()) || !dynamic_cast<Host*>(host.as_object().get())) {
    std::cerr << "the two paths disagree\n";
    return 1;
  }
  try {
    lema::call_method(*by_name, "NoSuchLookup", {});
    return 1;
  } catch (const lema::Error& e) {
    if (e.code() != lema::ErrorCode::NotSupported) return 1;
  }
  std::cout << "Caption: " << lema::to_text(typed->Caption()) << "\n"
            << "StringaSQL: " << lema::to_text(sql) << "\n";
  return 0;
}
