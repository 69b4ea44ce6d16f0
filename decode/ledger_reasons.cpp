// Ledger reasons: the description in the user's language.
#include <string>

#include "common/error.h"
#include "common/sql.h"
#include "decode/clscg_decode.h"
#include "decode/detail/binding.h"
#include "host/host_framework.h"

namespace lema {

void CLSCG_DECODE::CausaliContabili(const ObjectRef& TextEdit, const Value& Codice) noexcept {
  detail::step([&] { ColonneDiDecodifica_ = detail::binding_row(TextEdit, "CG33_DESCR"); });
  std::string language;
  detail::step([&] { language = host::language_or_default(ActiveInterface, "ITA "); });
  detail::step([&] {
    SqlText sql(352);  // longest measured: 287 bytes
    sql << " SELECT          CG0L_DESCRIZIONE AS CG33_DESCR"
           " FROM            CG33_TABCAU WITH(NOLOCK)"
           " LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK)"
           "              ON CG0L_CODLINGUA_MG52 = '"
        << quoted(language)
        << "'"
           "             AND CG0L_PROVID = 5"
           "             AND CG0L_IDPROV = CG33_IDPROV"
           " WHERE           CG33_CODICE = '"
        << quoted(Codice) << "'";
    StringaSQL_ = sql.value();
  });
}

}  // namespace lema
