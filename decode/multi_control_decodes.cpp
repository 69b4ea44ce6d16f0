// Decodes that fill several controls at once and bind only the controls the screen has:
// bank accounts of an F24 party and fixed assets.
#include <string_view>

#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "decode/detail/binding.h"

namespace lema {

void CLSCG_DECODE::ContiCorrenti(const Value& Id, const Value& CodContr, const Value& IndSogg,
                                 const Value& NumCC, const ObjectRef& TextDescr,
                                 const ObjectRef& TextID, const ObjectRef& TextCodContr,
                                 const ObjectRef& TextIndSogg, const ObjectRef& TextNumCC,
                                 const ObjectRef& TextContoCorrente, const ObjectRef& TextABI,
                                 const ObjectRef& TextCAB, const ObjectRef& TextCIN,
                                 const ObjectRef& ChkPredefinito) noexcept {
  const detail::Binding all[] = {
      {&TextDescr, "CG7F_DESCRIZIONE"},
      {&TextID, "CG7F_IDCONTOCORRENTE"},
      {&TextCodContr, "CG7F_CONTRIBUENTE_CG1F"},
      {&TextIndSogg, "CG7F_INDSOGGETTO"},
      {&TextNumCC, "CG7F_NUMCC"},
      {&TextContoCorrente, "CG7F_CONTOCORRENTE"},
      {&TextABI, "CG7F_ABI_CG13"},
      {&TextCAB, "CG7F_CAB_CG13"},
      {&TextCIN, "CG7F_CIN"},
      {&ChkPredefinito, "CG7F_PREDEFINITO"},
  };
  detail::Binding taken[std::size(all)];
  size_t n = 0;
  for (const detail::Binding& b : all)
    if (*b.control) taken[n++] = b;
  // Without a control to fill there is nothing to decode: the outputs stay as they are.
  if (n == 0) return;
  const std::span<const detail::Binding> rows(taken, n);

  detail::step([&] { ColonneDiDecodifica_ = detail::binding_table(rows); });
  detail::step([&] {
    SqlText sql(320);
    sql << " SELECT  ";
    for (size_t i = 0; i < rows.size(); ++i) {
      if (i) sql << ", ";
      sql << rows[i].column;
    }
    sql << " FROM    CG7F_CONTICORRENTI WITH (NOLOCK)";
    // A key counts as passed when the caller supplied it, even as Empty.
    if (!Id.is_missing()) {
      sql << " WHERE CG7F_IDCONTOCORRENTE = ";
      sql.or_default(Id, "0");
    } else if (CodContr.is_missing() || IndSogg.is_missing() || NumCC.is_missing()) {
      sql << " WHERE 0 = 1";  // an incomplete key names no account
    } else {
      sql << " WHERE   CG7F_CONTRIBUENTE_CG1F = ";
      sql.or_default(CodContr, "0");
      sql << "         AND CG7F_INDSOGGETTO = ";
      sql.or_default(IndSogg, "0");
      sql << "         AND CG7F_NUMCC = ";
      sql.or_default(NumCC, "0");
    }
    StringaSQL_ = sql.value();
  });
}

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
    SqlText sql(224);
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
