// Letters of intent: the reference of one letter.
#include "common/error.h"
#include "decode/clscg_decode.h"
#include "decode/detail/simple_decode.h"

namespace lema {
namespace {

using namespace detail;  // the piece makers of the tables below

// clang-format off
// LetteraIntento (fId)
constexpr SimpleDecode kLetteraIntento{
    "RIFLETINT",
    {lit(" SELECT CASE WHEN MG28_TIPOCF_CG44 = 0"
         "             THEN MG28_NUMLETDICH"
         "             ELSE CAST(MG28_NUMNSPROT AS NVARCHAR(10))"
         "        END AS RIFLETINT"
         " FROM MG28_CLIFORINT WITH (NOLOCK)"
         " WHERE MG28_ID = "),
     or_zero(0)}};
// clang-format on

}  // namespace

void CLSCG_DECODE::LetteraIntento(const ObjectRef& fTextEdit, const Value& fId) noexcept {
  detail::run_simple(kLetteraIntento, fTextEdit, {&fId}, ColonneDiDecodifica_, StringaSQL_);
}

}  // namespace lema
