// Revenue classification tables (IFRS 15): types, operating modes, natures, item and
// customer classifications.
#include "common/error.h"
#include "decode/clscg_decode.h"
#include "decode/detail/simple_decode.h"

namespace lema {
namespace {

using namespace detail;  // the piece makers of the tables below

// clang-format off
// IFRS15_Tipo (Id)
constexpr SimpleDecode kIFRS15_Tipo{
    "IF01_DESCRIZIONE",
    {lit(" SELECT IF01_DESCRIZIONE"
         " FROM IF01_TIPI WITH (NOLOCK)"
         " WHERE IF01_IDTIPO = "),
     or_zero(0)}};

// IFRS15_Operativita (Id)
constexpr SimpleDecode kIFRS15_Operativita{
    "IF02_DESCRIZIONE",
    {lit(" SELECT IF02_DESCRIZIONE"
         " FROM IF02_OPERATIVITA WITH (NOLOCK)"
         " WHERE IF02_IDOPERATIVITA = "),
     or_zero(0)}};

// IFRS15_Natura (Id)
constexpr SimpleDecode kIFRS15_Natura{
    "IF03_DESCRIZIONE",
    {lit(" SELECT IF03_DESCRIZIONE"
         " FROM IF03_NATURE WITH (NOLOCK)"
         " WHERE IF03_IDNATURA = "),
     or_zero(0)}};

// IFRS15_ClassificazioneArticolo (Id)
constexpr SimpleDecode kIFRS15_ClassificazioneArticolo{
    "IF04_DESCRIZIONE",
    {lit(" SELECT IF04_DESCRIZIONE"
         " FROM IF04_CLASSIFICAZIONI WITH (NOLOCK)"
         " WHERE IF04_IDCLASSIFICAZIONE = "),
     or_zero(0), lit(" AND IF04_INDCLASS = 1")}};

// IFRS15_ClassificazioneCliente (Id)
constexpr SimpleDecode kIFRS15_ClassificazioneCliente{
    "IF04_DESCRIZIONE",
    {lit(" SELECT IF04_DESCRIZIONE"
         " FROM IF04_CLASSIFICAZIONI WITH (NOLOCK)"
         " WHERE IF04_IDCLASSIFICAZIONE = "),
     or_zero(0), lit(" AND IF04_INDCLASS = 2")}};
// clang-format on

}  // namespace

void CLSCG_DECODE::IFRS15_Tipo(const ObjectRef& TextEdit, const Value& Id) noexcept {
  detail::run_simple(kIFRS15_Tipo, TextEdit, {&Id}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::IFRS15_Operativita(const ObjectRef& TextEdit, const Value& Id) noexcept {
  detail::run_simple(kIFRS15_Operativita, TextEdit, {&Id}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::IFRS15_Natura(const ObjectRef& TextEdit, const Value& Id) noexcept {
  detail::run_simple(kIFRS15_Natura, TextEdit, {&Id}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::IFRS15_ClassificazioneArticolo(const ObjectRef& TextEdit,
                                                  const Value& Id) noexcept {
  detail::run_simple(kIFRS15_ClassificazioneArticolo, TextEdit, {&Id}, ColonneDiDecodifica_,
                     StringaSQL_);
}

void CLSCG_DECODE::IFRS15_ClassificazioneCliente(const ObjectRef& TextEdit,
                                                 const Value& Id) noexcept {
  detail::run_simple(kIFRS15_ClassificazioneCliente, TextEdit, {&Id}, ColonneDiDecodifica_,
                     StringaSQL_);
}

}  // namespace lema
