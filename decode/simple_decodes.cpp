// The single-control decodes (one binding row, a statement of literal pieces with the
// arguments in between), the currency decode and the intercompany-database decode.
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "common/error.h"
#include "common/guard.h"
#include "common/sql.h"
#include "common/text.h"
#include "decode/clscg_decode.h"
#include "decode/detail/binding.h"

namespace lema {
namespace {

// How a piece of a simple decode's statement is produced.
enum class Put : uint8_t {
  End,        // no more pieces
  Text,       // the literal
  Raw,        // the argument in its own text form (Empty and Null add nothing)
  QuotedRaw,  // the same, between quotes the literals write
  OrZero,     // the argument, or 0 when not given
  OrNothing,  // the argument, or nothing when not given (always between quotes)
  Fixed4,     // the argument as a fixed-width code of 4 characters (always between quotes)
};

struct Piece {
  Put put = Put::End;
  std::string_view text;
  uint8_t arg = 0;  // index among the arguments that follow the control
};
// clang-format off
constexpr Piece lit(std::string_view s) { return {Put::Text, s, 0}; }
constexpr Piece raw(uint8_t a) { return {Put::Raw, {}, a}; }
constexpr Piece quoted_raw(uint8_t a) { return {Put::QuotedRaw, {}, a}; }
constexpr Piece or_zero(uint8_t a) { return {Put::OrZero, {}, a}; }
constexpr Piece or_nothing(uint8_t a) { return {Put::OrNothing, {}, a}; }
constexpr Piece fixed4(uint8_t a) { return {Put::Fixed4, {}, a}; }

struct SimpleDecode {
  std::string_view column;      // the column bound to the control
  std::array<Piece, 8> pieces;  // the statement, up to the first End
};

// Shared first piece of the three depreciation-class decodes.
#define LEMA_CG14_HEAD "SELECT CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) WHERE CG14_GRUPPO = "

// Argument indexes count from the first argument after the control.
// AttivitàISTAT (CodiceISTAT)
constexpr SimpleDecode kAttivitaISTAT{
    "CG06_DESCR",
    {lit("SELECT CG06_DESCR FROM CG06_TABATTISTAT WITH (NOLOCK) WHERE CG06_CODICE = '"), quoted_raw(0),
     lit("'")}};

// ContiCliFor (Ditta, TipoCF, CodiceCF)
constexpr SimpleDecode kContiCliFor{
    "CG16_RAGSOANAG",
    {lit("SELECT CG16_RAGSOANAG FROM CG44_CLIFOR WITH (NOLOCK) INNER JOIN "
         " CG16_ANAGGEN WITH (NOLOCK) ON "
         " CG44_CODICE_CG16 = CG16_CODICE "
         " WHERE CG44_DITTA_CG18 = "),
     raw(0), lit(" AND CG44_TIPOCF = "), raw(1), lit(" AND CG44_CLIFOR = "), raw(2)}};

// RiclassificazionePdC (Codice)
constexpr SimpleDecode kRiclassificazionePdC{
    "CG21_DESCR",
    {lit("SELECT CG21_DESCR FROM CG21_DESBILCEE WITH (NOLOCK) WHERE CG21_CODICE = "), raw(0)}};

// RiclassificazioneBilancioCEE (CodiceBilancioCEE, CodiceConto)
constexpr SimpleDecode kRiclassificazioneBilancioCEE{
    "CG23_DESCR",
    {lit("SELECT CG23_DESCR FROM CG23_RICLBILCEE WITH (NOLOCK) WHERE CG23_CODICE = "), raw(1),
     lit(" AND CG23_CODICE_CG21 = '"), quoted_raw(0), lit("'")}};

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

// BeneUsato (Ditta, Codice)
constexpr SimpleDecode kBeneUsato{
    "CGM0_DESCR",
    {lit("SELECT CGM0_DESCR"
         " FROM   CGM0_ANAGBENIUSATI WITH (NOLOCK)"
         " WHERE  CGM0_DITTA_CG18 = "),
     or_zero(0), lit(" AND    CGM0_CODICE = "), or_zero(1)}};

// DeducibilitàCespiti (IDDeducibilità)
constexpr SimpleDecode kDeducibilitaCespiti{
    "CS07_DESCRIZIONE",
    {lit(" SELECT   CASE WHEN CS07_DESCRIZIONE = '' THEN 'Totalmente deducibile' ELSE CS07_DESCRIZIONE END CS07_DESCRIZIONE"
         " FROM     CS07_ANAGDEDUCIBILITA WITH(NOLOCK)"
         " WHERE    CS07_IDDEDUCIBILITA = "),
     or_zero(0)}};

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

#undef LEMA_CG14_HEAD
// clang-format on

// Builds the one-row table, then the statement, each as one step.
void run_simple(const SimpleDecode& d, const ObjectRef& control,
                std::initializer_list<const Value*> args, Value& table, Value& statement) noexcept {
  detail::step([&] { table = detail::binding_row(control, d.column); });
  detail::step([&] {
    size_t reserve = 0;
    for (const Piece& p : d.pieces) reserve += p.put == Put::Text ? p.text.size() : 16;
    SqlText sql(reserve);
    for (const Piece& p : d.pieces) {
      if (p.put == Put::End) break;
      if (p.put == Put::Text) {
        sql << p.text;
        continue;
      }
      const Value& v = *args.begin()[p.arg];
      switch (p.put) {
        case Put::Raw:
          sql << bare(v);
          break;
        case Put::QuotedRaw:
          sql << quoted(v);
          break;
        case Put::OrZero:
          sql << bare(v, "0");
          break;
        case Put::OrNothing:
          sql << quoted(v, "");
          break;
        case Put::Fixed4:
          sql << quoted(CLSCG_DECODE::CodiceLarghezzaFissa(v, 4));
          break;
        case Put::End:
        case Put::Text:
          break;
      }
    }
    statement = sql.value();
  });
}

}  // namespace

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
    SqlText sql(96);
    sql << "SELECT CG08_SIGLA, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) WHERE CG08_CODICE = '"
        << quoted(CodiceLarghezzaFissa(CodiceValuta, 4)) << "'";
    StringaSQL_ = sql.value();
  });
}

void CLSCG_DECODE::AttivitàISTAT(const ObjectRef& TextEdit, const Value& CodiceISTAT) noexcept {
  run_simple(kAttivitaISTAT, TextEdit, {&CodiceISTAT}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::ContiCliFor(const ObjectRef& TextEdit, const Value& Ditta, const Value& TipoCF,
                               const Value& CodiceCF) noexcept {
  run_simple(kContiCliFor, TextEdit, {&Ditta, &TipoCF, &CodiceCF}, ColonneDiDecodifica_,
             StringaSQL_);
}

void CLSCG_DECODE::RiclassificazionePdC(const ObjectRef& TextEdit, const Value& Codice) noexcept {
  run_simple(kRiclassificazionePdC, TextEdit, {&Codice}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::GruppoCespiti(const ObjectRef& TextEdit, const Value& Gruppo) noexcept {
  run_simple(kGruppoCespiti, TextEdit, {&Gruppo}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::SpecieCespiti(const ObjectRef& TextEdit, const Value& Gruppo,
                                 const Value& Specie) noexcept {
  run_simple(kSpecieCespiti, TextEdit, {&Gruppo, &Specie}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::RiclassificazioneBilancioCEE(const ObjectRef& TextEdit,
                                                const Value& CodiceBilancioCEE,
                                                const Value& CodiceConto) noexcept {
  run_simple(kRiclassificazioneBilancioCEE, TextEdit, {&CodiceBilancioCEE, &CodiceConto},
             ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::ContiImmobilizzi(const ObjectRef& TextEdit, const Value& Gruppo,
                                    const Value& CodiceImmobilizzo) noexcept {
  run_simple(kContiImmobilizzi, TextEdit, {&Gruppo, &CodiceImmobilizzo}, ColonneDiDecodifica_,
             StringaSQL_);
}

void CLSCG_DECODE::SottoSpecieCespiti(const ObjectRef& TextEdit, const Value& Gruppo,
                                      const Value& Specie, const Value& SottoSpecie) noexcept {
  run_simple(kSottoSpecieCespiti, TextEdit, {&Gruppo, &Specie, &SottoSpecie}, ColonneDiDecodifica_,
             StringaSQL_);
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

void CLSCG_DECODE::Tributo(const ObjectRef& TextEdit, const Value& Sezione,
                           const Value& CodiceTributo) noexcept {
  run_simple(kTributo, TextEdit, {&Sezione, &CodiceTributo}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::BeneUsato(const ObjectRef& TextEdit, const Value& Ditta,
                             const Value& Codice) noexcept {
  run_simple(kBeneUsato, TextEdit, {&Ditta, &Codice}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::DeducibilitàCespiti(const ObjectRef& TextEdit,
                                       const Value& IDDeducibilità) noexcept {
  run_simple(kDeducibilitaCespiti, TextEdit, {&IDDeducibilità}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::TributoExt(const ObjectRef& TextEdit, const Value& Sezione,
                              const Value& CodiceTributo) noexcept {
  run_simple(kTributoExt, TextEdit, {&Sezione, &CodiceTributo}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::DatabaseIntercompany(const ObjectRef& TextEdit, const ObjectRef& CheckBox,
                                        const Value& Codice) noexcept {
  detail::step([&] {
    const detail::Binding rows[] = {{&TextEdit, "CGB1_DATABASE"},
                                    {&CheckBox, "CGB1_FLGAGGIORNAMENTO"}};
    ColonneDiDecodifica_ = detail::binding_table(rows);
  });
  detail::step([&] {
    SqlText sql(128);
    sql << " SELECT CGB1_DATABASE, CGB1_FLGAGGIORNAMENTO"
           " FROM CGB1_DATABASEINFRAGRUPPO WITH(NOLOCK)"
           " WHERE CGB1_CODICE = ";
    sql.or_default(Codice, "0");
    StringaSQL_ = sql.value();
  });
}

void CLSCG_DECODE::LetteraIntento(const ObjectRef& fTextEdit, const Value& fId) noexcept {
  run_simple(kLetteraIntento, fTextEdit, {&fId}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::IFRS15_Tipo(const ObjectRef& TextEdit, const Value& Id) noexcept {
  run_simple(kIFRS15_Tipo, TextEdit, {&Id}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::IFRS15_Operativita(const ObjectRef& TextEdit, const Value& Id) noexcept {
  run_simple(kIFRS15_Operativita, TextEdit, {&Id}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::IFRS15_Natura(const ObjectRef& TextEdit, const Value& Id) noexcept {
  run_simple(kIFRS15_Natura, TextEdit, {&Id}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::IFRS15_ClassificazioneArticolo(const ObjectRef& TextEdit,
                                                  const Value& Id) noexcept {
  run_simple(kIFRS15_ClassificazioneArticolo, TextEdit, {&Id}, ColonneDiDecodifica_, StringaSQL_);
}

void CLSCG_DECODE::IFRS15_ClassificazioneCliente(const ObjectRef& TextEdit,
                                                 const Value& Id) noexcept {
  run_simple(kIFRS15_ClassificazioneCliente, TextEdit, {&Id}, ColonneDiDecodifica_, StringaSQL_);
}

}  // namespace lema
