// The asset register: description of an asset, with its subspecies and asset-account code
// for the controls the decode object holds.
#include "common/error.h"
#include "common/sql.h"
#include "decode/clscg_decode.h"
#include "decode/detail/binding.h"

namespace lema {

void CLSCG_DECODE::Cespiti(const ObjectRef& TextEdit, const Value& Ditta,
                           const Value& CodiceCespiti) noexcept {
  detail::step([&] {
    // Without a control the first cell stays Empty rather than holding an empty reference.
    detail::Binding rows[3] = {{TextEdit ? &TextEdit : nullptr, "CS04_DESCR"}};
    size_t n = 1;
    if (CampoDecodificaCespitiSottoSpecie)
      rows[n++] = {&CampoDecodificaCespitiSottoSpecie, "CS04_SOTTOSPEC_CG14"};
    if (CampoDecodificaCespitiCodImmobilizzo)
      rows[n++] = {&CampoDecodificaCespitiCodImmobilizzo, "CS04_CODICE_CG22"};
    ColonneDiDecodifica_ = detail::binding_table(std::span<const detail::Binding>(rows, n));
  });
  detail::step([&] {
    // Every column is selected whatever the table binds; lines end with CR alone.
    SqlText sql(192);  // longest measured: 168 bytes
    sql << " SELECT CS04_DESCR," LEMA_CR "        CS04_SOTTOSPEC_CG14," LEMA_CR
           "        CS04_CODICE_CG22" LEMA_CR " FROM   CS04_ANAGCESPITE WITH(NOLOCK)" LEMA_CR
           " WHERE  CS04_DITTA_CG18 = ";
    sql.or_default(Ditta, "0");
    sql << LEMA_CR "   AND  CS04_CESPITE = ";
    sql.or_default(CodiceCespiti, "0");
    sql << LEMA_CR;
    StringaSQL_ = sql.value();
  });
}

}  // namespace lema
