// Currency decode: symbol and description of a currency, each bound to the control the screen has.
#include "common/error.h"
#include "common/sql.h"
#include "decode/clscg_decode.h"
#include "decode/detail/binding.h"
#include "decode/detail/simple_decode.h"

namespace lema {

void CLSCG_DECODE::Valute(const Value& CodiceValuta, const ObjectRef& TextEditSigla,
                          const ObjectRef& TextEditDescr) noexcept {
  // Without a control to fill there is nothing to decode: the outputs stay as they are.
  if (!TextEditSigla && !TextEditDescr) return;
  detail::step([&] {
    detail::Binding rows[2];
    size_t n = 0;
    if (TextEditSigla) rows[n++] = {&TextEditSigla, "CG08_SIGLA"};
    if (TextEditDescr) rows[n++] = {&TextEditDescr, "CG08_DESCR"};
    ColonneDiDecodifica_ = detail::binding_table(std::span<const detail::Binding>(rows, n));
  });
  detail::step([&] {
    SqlText sql(128);  // longest measured: 90 bytes
    sql << "SELECT CG08_SIGLA, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) WHERE CG08_CODICE = '"
        << quoted(detail::CodiceLarghezzaFissa(CodiceValuta, 4)) << "'";
    StringaSQL_ = sql.value();
  });
}

}  // namespace lema
