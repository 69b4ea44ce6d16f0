#include "lookup/detail/translated_run.h"

#include "host/host_framework.h"

namespace lema::detail {

void TranslatedRun::append(std::string& out, const ObjectRef& host) const {
  if (!host) {
    out.append(text_);
    return;
  }
  const host::TextTranslator translate(host);
  size_t from = 0;
  for (const Mark& m : marks_) {
    out.append(text_, from, m.at - from);
    translate(out, m.text);
    from = m.at + m.text.size();
  }
  out.append(text_, from, std::string::npos);
}

}  // namespace lema::detail
