// Balance-sheet reclassification codes and accounts.
#include "common/error.h"
#include "decode/clscg_decode.h"
#include "decode/detail/simple_decode.h"

namespace lema {
namespace {

using namespace detail;  // the piece makers of the tables below

// clang-format off
// RiclassificazionePdC (Codice)
constexpr SimpleDecode kRiclassificazionePdC{
    "CG21_DESCR",
    {lit("SELECT CG21_DESCR FROM CG21_DESBILCEE WITH (NOLOCK) WHERE CG21_CODICE = "), raw(0)}};

// RiclassificazioneBilancioCEE (CodiceBilancioCEE, CodiceConto)
constexpr SimpleDecode kRiclassificazioneBilancioCEE{
    "CG23_DESCR",
    {lit("SELECT CG23_DESCR FROM CG23_RICLBILCEE WITH (NOLOCK) WHERE CG23_CODICE = "), raw(1),
     lit(" AND CG23_CODICE_CG21 = '"), quoted_raw(0), lit("'")}};
// clang-format on

}  // namespace

void CLSCG_DECODE::RiclassificazionePdC(const ObjectRef& TextEdit, const Value& Codice) noexcept {
  detail::run_simple(kRiclassificazionePdC, TextEdit, {&Codice}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::RiclassificazioneBilancioCEE(const ObjectRef& TextEdit,
                                                const Value& CodiceBilancioCEE,
                                                const Value& CodiceConto) noexcept {
  detail::run_simple(kRiclassificazioneBilancioCEE, TextEdit, {&CodiceBilancioCEE, &CodiceConto},
                     ColonneDiDecodifica_, StringaSQL_);
}

}  // namespace lema
