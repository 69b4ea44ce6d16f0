// F24 tax payments: tax codes (short and extended description) and the bank accounts of a
// party of a taxpayer record.
#include "common/error.h"
#include "common/sql.h"
#include "decode/clscg_decode.h"
#include "decode/detail/binding.h"
#include "decode/detail/simple_decode.h"

namespace lema {
namespace {

using namespace detail;  // the piece makers of the tables below

// clang-format off
// Tributo (Sezione, CodiceTributo)
constexpr SimpleDecode kTributo{
    "CG0F_DESCR",
    {lit("SELECT CG0F_DESCR FROM CG0F_CODTRIBUTI WITH (NOLOCK) "
         " WHERE CG0F_INDSEZIONE = "),
     or_zero(0), lit(" AND CG0F_CODTRIBUTO = '"), fixed4(1), lit("'")}};

// TributoExt (Sezione, CodiceTributo)
constexpr SimpleDecode kTributoExt{
    "CG0F_DESCREXT",
    {lit("SELECT CG0F_DESCREXT FROM CG0F_CODTRIBUTI WITH (NOLOCK) "
         " WHERE CG0F_INDSEZIONE = "),
     or_zero(0), lit(" AND CG0F_CODTRIBUTO = '"), fixed4(1), lit("'")}};
// clang-format on

}  // namespace

void CLSCG_DECODE::Tributo(const ObjectRef& TextEdit, const Value& Sezione,
                           const Value& CodiceTributo) noexcept {
  detail::run_simple(kTributo, TextEdit, {&Sezione, &CodiceTributo}, ColonneDiDecodifica_,
                     StringaSQL_);
}

void CLSCG_DECODE::TributoExt(const ObjectRef& TextEdit, const Value& Sezione,
                              const Value& CodiceTributo) noexcept {
  detail::run_simple(kTributoExt, TextEdit, {&Sezione, &CodiceTributo}, ColonneDiDecodifica_,
                     StringaSQL_);
}

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
    SqlText sql(224);  // longest measured: 195 bytes
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

}  // namespace lema
