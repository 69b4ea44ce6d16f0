// Fixed-asset master data: the three levels of the asset classification, asset-account
// codes, locations, deductibility classes and used goods.
#include <string>

#include "common/error.h"
#include "common/guard.h"
#include "common/sql.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "decode/detail/binding.h"
#include "decode/detail/simple_decode.h"

namespace lema {
namespace {

using namespace detail;  // the piece makers of the tables below

// Shared first piece of the three depreciation-class decodes.
#define LEMA_CG14_HEAD "SELECT CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) WHERE CG14_GRUPPO = "

// clang-format off
// GruppoCespiti (Gruppo)
constexpr SimpleDecode kGruppoCespiti{
    "CG14_DESCR",
    {lit(LEMA_CG14_HEAD), or_zero(0), lit(" AND CG14_SPECIE = '0' AND CG14_SOTTOSPEC = 0")}};

// SpecieCespiti (Gruppo, Specie)
constexpr SimpleDecode kSpecieCespiti{
    "CG14_DESCR",
    {lit(LEMA_CG14_HEAD), or_zero(0), lit(" AND CG14_SPECIE = '"), or_nothing(1),
     lit("' AND CG14_SOTTOSPEC = 0")}};

// SottoSpecieCespiti (Gruppo, Specie, SottoSpecie)
constexpr SimpleDecode kSottoSpecieCespiti{
    "CG14_DESCR",
    {lit(LEMA_CG14_HEAD), or_zero(0), lit(" AND CG14_SPECIE = '"), or_nothing(1),
     lit("' AND CG14_SOTTOSPEC = "), or_zero(2)}};

// ContiImmobilizzi (Gruppo, CodiceImmobilizzo)
constexpr SimpleDecode kContiImmobilizzi{
    "CG22_DESCR",
    {lit("SELECT CG22_DESCR FROM CG22_CONTICESPITI WITH (NOLOCK) WHERE CG22_CODICE = "), raw(1),
     lit(" AND CG22_GRUPPO_CG10 = "), raw(0)}};

// DeducibilitàCespiti (IDDeducibilità)
constexpr SimpleDecode kDeducibilitaCespiti{
    "CS07_DESCRIZIONE",
    {lit(" SELECT   CASE WHEN CS07_DESCRIZIONE = '' THEN 'Totalmente deducibile' ELSE CS07_DESCRIZIONE END CS07_DESCRIZIONE"
         " FROM     CS07_ANAGDEDUCIBILITA WITH(NOLOCK)"
         " WHERE    CS07_IDDEDUCIBILITA = "),
     or_zero(0)}};

// BeneUsato (Ditta, Codice)
constexpr SimpleDecode kBeneUsato{
    "CGM0_DESCR",
    {lit("SELECT CGM0_DESCR"
         " FROM   CGM0_ANAGBENIUSATI WITH (NOLOCK)"
         " WHERE  CGM0_DITTA_CG18 = "),
     or_zero(0), lit(" AND    CGM0_CODICE = "), or_zero(1)}};

#undef LEMA_CG14_HEAD
// clang-format on

}  // namespace

void CLSCG_DECODE::GruppoCespiti(const ObjectRef& TextEdit, const Value& Gruppo) noexcept {
  detail::run_simple(kGruppoCespiti, TextEdit, {&Gruppo}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::SpecieCespiti(const ObjectRef& TextEdit, const Value& Gruppo,
                                 const Value& Specie) noexcept {
  detail::run_simple(kSpecieCespiti, TextEdit, {&Gruppo, &Specie}, ColonneDiDecodifica_,
                     StringaSQL_);
}

void CLSCG_DECODE::SottoSpecieCespiti(const ObjectRef& TextEdit, const Value& Gruppo,
                                      const Value& Specie, const Value& SottoSpecie) noexcept {
  detail::run_simple(kSottoSpecieCespiti, TextEdit, {&Gruppo, &Specie, &SottoSpecie},
                     ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::ContiImmobilizzi(const ObjectRef& TextEdit, const Value& Gruppo,
                                    const Value& CodiceImmobilizzo) noexcept {
  detail::run_simple(kContiImmobilizzi, TextEdit, {&Gruppo, &CodiceImmobilizzo},
                     ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::Ubicazioni(const ObjectRef& TextEdit, const Value& Ditta,
                              const Value& Codice) noexcept {
  detail::step([&] { ColonneDiDecodifica_ = detail::binding_row(TextEdit, "CS05_DESCR"); });
  detail::step([&] {
    // Both replacements run on the whole text in turn, the code's first; both values are
    // bare.
    const std::string codice = to_string_param(Codice);
    guard::check_bare(codice);
    const std::string ditta = to_string_param(Ditta);
    guard::check_bare(ditta);
    std::string sql = replace_all("SELECT CS05_DESCR FROM FNCS05_UBICAZIONE(<CODICE>, <DITTA>)",
                                  "<CODICE>", codice);
    StringaSQL_ = Value(replace_all(sql, "<DITTA>", ditta));
  });
}

void CLSCG_DECODE::DeducibilitàCespiti(const ObjectRef& TextEdit,
                                       const Value& IDDeducibilità) noexcept {
  detail::run_simple(kDeducibilitaCespiti, TextEdit, {&IDDeducibilità}, ColonneDiDecodifica_,
                     StringaSQL_);
}

void CLSCG_DECODE::BeneUsato(const ObjectRef& TextEdit, const Value& Ditta,
                             const Value& Codice) noexcept {
  detail::run_simple(kBeneUsato, TextEdit, {&Ditta, &Codice}, ColonneDiDecodifica_, StringaSQL_);
}

}  // namespace lema
