// Ledger reason lists: every reason (or those of one print category), the VAT-only list,
// the VAT / down-payment / opening list and the list of one reason classification. Most
// columns are coded flags of CG33_TABCAU that the statement decodes into words, each word
// passed through the host's translation in the order it appears.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "host/host_framework.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"
#include "lookup/detail/translated_run.h"

namespace lema {
namespace {

// One branch of a decoded flag. `text` is a display text and goes through the translation
// (an empty one is not asked for); `literal` follows it as it stands.
struct Branch {
  int16_t key;
  std::string_view text;
  std::string_view literal = {};
};

// The spellings in which the flag decodes differ.
struct FlagForm {
  std::string_view equals = " =";   // between the column and the key
  std::string_view otherwise = {};  // an ELSE branch before END AS
  std::string_view end = ",";       // after the alias
};

// Flag decode: " CASE", " WHEN <column> =<key> THEN '<text>'" per branch, " END AS <alias>,".
template <class Tr>
void flag_decode(SqlText& sql, Tr& tr, std::string_view column, std::string_view alias,
                 std::span<const Branch> branches, const FlagForm& form = {}) {
  sql << " CASE";
  for (const Branch& b : branches) {
    sql << " WHEN " << column << form.equals;
    sql.number(b.key) << " THEN '";
    if (!b.text.empty()) tr(sql.str(), b.text);
    sql << b.literal << "'";
  }
  sql << form.otherwise << " END AS " << alias << form.end;
}

// Line decode: each part on its own CR-introduced line, the column doubling as alias.
template <class Tr>
void line_decode(SqlText& sql, Tr& tr, std::string_view column, std::span<const Branch> branches) {
  sql << LEMA_CR "  , CASE " << column << " ";
  for (const Branch& b : branches) {
    sql << LEMA_CR "      WHEN ";
    sql.number(b.key) << " THEN '";
    tr(sql.str(), b.text);
    sql << "' ";
  }
  sql << LEMA_CR "    END AS " << column << " ";
}

constexpr Branch kNoSi[] = {{0, "No"}, {1, "Si"}};
constexpr Branch kTipoRegistro[] = {{0, ""}, {1, "Acquisti"}, {2, "Vendite"}, {3, "Corrispettivi"}};
constexpr Branch kBeniUsati[] = {
    {0, "No"}, {1, "Analitico"}, {2, "Globale"}, {3, "Forfettario"}, {4, "Normale"}};
// The narrower lists decode the used-goods regime with other words.
constexpr Branch kBeniUsatiVarianti[] = {
    {0, "No"}, {1, "Forfettario"}, {2, "Globale"}, {3, "Ordinario"}, {4, "Misto"}};
constexpr Branch kDareAvere[] = {{0, "No"}, {1, "Dare"}, {2, "Avere"}};
// The VAT lists decode only the first three of these.
constexpr Branch kInsoluti[] = {{0, "No"},
                                {1, "Insoluto"},
                                {2, "Richiamato"},
                                {3, "Chiusura effetti"},
                                {4, "Incasso buon fine"}};
constexpr Branch kTipoEffetto[] = {{0, "Tutti"},
                                   {1, "Contanti"},
                                   {2, "Ricevuta bancaria"},
                                   {3, "Tratta"},
                                   {4, "Tratta accettata"},
                                   {5, "Cessione"},
                                   {6, "Cambiale"},
                                   {7, "Carta di credito"},
                                   {8, "Bancomat"},
                                   {9, "Contrassegno"},
                                   {10, "Lettera di credito"},
                                   {11, "RID"},
                                   {12, "Leasing"},
                                   {13, "Rimessa diretta"},
                                   {14, "Bonifico"},
                                   {15, "C/C postale"},
                                   {16, "MAV"},
                                   {99, "Solo descrittivo"}};
// The classification list keeps four effect types untranslated and translates the stem
// of "Contrassegno" only.
constexpr Branch kTipoEffettoClassificazione[] = {{0, "Tutti"},
                                                  {1, "Contanti"},
                                                  {2, "Ricevuta bancaria"},
                                                  {3, "Tratta"},
                                                  {4, "Tratta accettata"},
                                                  {5, "Cessione"},
                                                  {6, "Cambiale"},
                                                  {7, "Carta di credito"},
                                                  {8, "", "Bancomat"},
                                                  {9, "Contrassegn", "o"},
                                                  {10, "Lettera di credito"},
                                                  {11, "", "RID"},
                                                  {12, "", "Leasing"},
                                                  {13, "Rimessa diretta"},
                                                  {14, "Bonifico"},
                                                  {15, "C/C postale"},
                                                  {16, "", "MAV"},
                                                  {99, "Solo descrittivo"}};
constexpr Branch kGestioneEstrattoConto[] = {
    {1, "Apertura"}, {2, "Chiusura"}, {3, "Apertura/chiusura"}};
constexpr Branch kTipoMovimento[] = {
    {0, "criterio Gestionale"},       {1, "criterio di Cassa"},
    {2, "Gestionale/Cassa"},          {3, "Gestionale/Cassa sospeso"},
    {4, "Gestionale/Cassa speciale"}, {5, "Gestionale/Cassa esteso"}};
constexpr Branch kFattureProforma[] = {
    {0, "No proforma"}, {1, "Fattura proforma"}, {2, "Fattura di incasso fattura proforma"}};
constexpr Branch kScadenzeProforma[] = {
    {0, "No proforma"}, {1, "Da consolidare"}, {2, "Consolidato"}};

// What the SELECT lists of the reason lookups differ in.
struct SelectList {
  std::string_view head;
  std::span<const Branch> beni_usati;
  std::span<const Branch> insoluti;
  std::span<const Branch> tipo_effetto;
  std::string_view monofase_end;      // after the alias of CG33_INDMONOFASERSM
  std::string_view dati_assegno_end;  // after the alias of CG33_FLGDATIASSEGNO; empty: no column
};

constexpr SelectList kSelectCausali{
    " SELECT CG33_CODICE, CG0L_05.CG0L_DESCRIZIONE AS CG33_DESCR, CG33_CAUALIAS,",
    kBeniUsati,
    kInsoluti,
    kTipoEffetto,
    ",",
    ","};
constexpr SelectList kSelectSoloIVA{
    " SELECT CG33_CODICE, CG0L_DESCRIZIONE AS CG33_DESCR, CG33_CAUALIAS,",
    kBeniUsatiVarianti,
    std::span(kInsoluti).first(3),
    kTipoEffetto,
    " ",
    {}};
constexpr SelectList kSelectClassificazione{
    " SELECT CG33_CODICE, CG0L_DESCRIZIONE AS CG33_DESCR, CG33_CAUALIAS,",
    kBeniUsatiVarianti,
    kInsoluti,
    kTipoEffettoClassificazione,
    ",",
    " "};

template <class Tr>
void select_list(SqlText& sql, Tr& tr, const SelectList& s) {
  sql << s.head;
  flag_decode(sql, tr, "CG33_INDTIPOREG", "CG33_TIPOREG", kTipoRegistro);
  sql << " CG33_CAUSALEIVA,";
  flag_decode(sql, tr, "CG33_INDCAUBENIUS", "CG33_INDCAUBENIUS", s.beni_usati);
  sql << " CG33_CAUSALECOLL,";
  flag_decode(sql, tr, "CG33_INDDAAV", "CG33_INDAAV", kDareAvere);
  for (std::string_view c : {"CG33_FLGFATTDIFF", "CG33_FLGSUBFORNI", "CG33_FLGAGVIAG",
                             "CG33_FLGPROTSEMP", "CG33_FLGACCONTO"})
    flag_decode(sql, tr, c, c, kNoSi);
  flag_decode(sql, tr, "CG33_FLGINSOLUTI", "CG33_FLGINSOLUTI", s.insoluti);
  for (std::string_view c : {"CG33_FLGCOMP", "CG33_FLGECONTO", "CG33_FLGPORTAF"})
    flag_decode(sql, tr, c, c, kNoSi);
  flag_decode(sql, tr, "CG33_TIPOEFF", "CG33_TIPOEFF", s.tipo_effetto);
  flag_decode(sql, tr, "CG33_INDGESTEC", "CG33_INDGESTEC", kGestioneEstrattoConto,
              {.otherwise = " ELSE ' '"});
  flag_decode(sql, tr, "CG33_FLGIVAEDIT", "CG33_FLGIVAEDIT", kNoSi, {.equals = "="});
  sql << " CASE CG33_INDMONOFASERSM"
         " WHEN 1 THEN '";
  tr(sql.str(), "Acquisti interni");
  sql << "'"
         " WHEN 2 THEN '";
  tr(sql.str(), "Importazioni");
  sql << "'"
         " WHEN 3 THEN '";
  tr(sql.str(), "Vendite interne");
  sql << "'"
         " WHEN 4 THEN '";
  tr(sql.str(), "Esportazioni");
  sql << "' ELSE '' END AS CG33_INDMONOFASERSM" << s.monofase_end;
  if (!s.dati_assegno_end.empty())
    flag_decode(sql, tr, "CG33_FLGDATIASSEGNO", "CG33_FLGDATIASSEGNO", kNoSi,
                {.equals = " = ", .end = s.dati_assegno_end});
}

// The single description join of the narrower lists, four CR-introduced lines.
void language_join(SqlText& sql, std::string_view lingua) {
  sql << LEMA_CR " LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK)" LEMA_CR
                 "              ON CG0L_CODLINGUA_MG52 = '"
      << quoted(lingua)
      << "'" LEMA_CR "             AND CG0L_PROVID = 5" LEMA_CR
         "             AND CG0L_IDPROV = CG33_IDPROV";
}

// The VAT lists up to and including the language join (163 bytes and the language code),
// with room for the conditions and the ordering that follow (115 bytes at most).
SqlText solo_iva_head(const ObjectRef& host, std::string_view lingua) {
  static const detail::TranslatedRun kHead([](SqlText& s, auto& tr) {
    select_list(s, tr, kSelectSoloIVA);
    line_decode(s, tr, "CG33_INDTIPOMOV", kTipoMovimento);
    s << LEMA_CR " FROM CG33_TABCAU WITH (NOLOCK)";
  });
  SqlText sql(kHead.untranslated().size() + 320);
  kHead.append(sql.str(), host);
  language_join(sql, lingua);
  return sql;
}

const detail::HeadingTable& columns_solo_iva() {
  static const detail::HeadingTable kColumns{
      "Codice",           "Descrizione",    "Alias",        "Tipo.reg.",   "Caus.IVA",
      "Reg.marg.",        "Cau.coll.",      "Segno",        "Comp. IVA",   "Sub.forn.",
      "Ag.viag.",         "Nr.doc.",        "Cau.acc.",     "Cau.ins.",    "C.es.pr.",
      "Mov.EC",           "Mov.por.",       "Eff. da sel.", "Gest. Ec/Pf", "Editoria",
      "Op. monofase RSM", "Tipo operazione"};
  return kColumns;
}

}  // namespace

void CLSCG_LOOKUP::CausaliContabili() noexcept {
  const std::string lingua = host::language_or_default(ActiveInterface, "ITA ");
  const Value ditta = host::company_or_empty(ActiveInterface);
  static const detail::HeadingTable kColumns{"Codice",
                                             "Descrizione",
                                             "Alias",
                                             "Tipo.reg.",
                                             "Caus.rif.",
                                             "Reg.marg.",
                                             "Cau.coll.",
                                             "Segno",
                                             "Comp. IVA",
                                             "Sub.forn.",
                                             "Ag.viag.",
                                             "Nr.doc.",
                                             "Cau.acc.",
                                             "Causale per reg. effetti",
                                             "C.es.pr.",
                                             "Mov.EC",
                                             "Mov.por.",
                                             "Eff. da sel.",
                                             "Gest. Ec/Pf",
                                             "Editoria",
                                             "Op. monofase RSM",
                                             "Rich. dati assegni",
                                             "Classificazione causale",
                                             "Tipo operazione",
                                             "Gestione fatture proforma",
                                             "Scadenze in fatture proforma",
                                             "Categoria di stampa",
                                             "Categoria di stampa descrizione"};
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  const bool per_categoria =
      CausaliContabiliTipoLookup == CausaliContabiliLookupEnum::kwLookupCategoriaStampa;
  // The sort column defaults to the code and is remembered for the next call.
  detail::step([&] {
    if (!is_given(CampoOrdinamentoStringaSQL))
      CampoOrdinamentoStringaSQL = Value::literal("CG33_CODICE");
  });
  detail::step([&] {
    static const detail::TranslatedRun kSelect(
        [](SqlText& s, auto& t) { select_list(s, t, kSelectCausali); });
    static const detail::TranslatedRun kDecodesAndJoins([](SqlText& s, auto& t) {
      line_decode(s, t, "CG33_INDTIPOMOV", kTipoMovimento);
      line_decode(s, t, "CG33_INDGESTFATTPROFORMA", kFattureProforma);
      line_decode(s, t, "CG33_INDSCADFATTPROFORMA", kScadenzeProforma);
      s << LEMA_CR "  , CG0Z_CATEGORIA " LEMA_CR
                   "  , CG0L_14.CG0L_DESCRIZIONE AS CG0Z_DESCRIZIONE " LEMA_CR
                   " FROM CG33_TABCAU WITH (NOLOCK) " LEMA_CR
                   " LEFT OUTER JOIN CGD1_TIPOCAUSALE WITH (NOLOCK)"
                   "              ON CGD1_ID = CG33_ID_CGD1" LEMA_CR
                   " LEFT OUTER JOIN CG0Z_CATEGORIESTP WITH(NOLOCK)"
                   "              ON CG0Z_ID = CG33_ID_CG0Z" LEMA_CR
                   " LEFT OUTER JOIN CG0L_DESLINGUA AS CG0L_05 WITH(NOLOCK)"
                   "              ON CG0L_05.CG0L_CODLINGUA_MG52 = '";
    });
    // After the runs: 460 bytes of text at most, and the codes.
    SqlText sql(kSelect.untranslated().size() + kDecodesAndJoins.untranslated().size() + 512);
    kSelect.append(sql.str(), ActiveInterface);
    sql << " (SELECT CGD1_DESCR FROM FNCGD1_TIPOCAUSALE(CGD1_TIPOLOGIA, ";
    sql.or_default(ditta, "0") << ")) AS CGD1_DESCR ";
    kDecodesAndJoins.append(sql.str(), ActiveInterface);
    sql << quoted(lingua)
        << "'"
           "             AND CG0L_05.CG0L_PROVID = 5"
           "             AND CG0L_05.CG0L_IDPROV = CG33_IDPROV" LEMA_CR
           " LEFT OUTER JOIN CG0L_DESLINGUA AS CG0L_14 WITH(NOLOCK)"
           "              ON CG0L_14.CG0L_CODLINGUA_MG52 = '"
        << quoted(lingua)
        << "'"
           "             AND CG0L_14.CG0L_PROVID = 14 "
           "             AND CG0L_14.CG0L_IDPROV = CG33_ID_CG0Z ";
    if (per_categoria) {
      sql << LEMA_CR " WHERE CG0Z_CATEGORIA = '" << quoted(sCategoriaStampa_Cod) << "' ";
    } else {
      if (is_given(FiltroStringaSQL))
        sql << " WHERE " << sql_condition(FiltroStringaSQL);
      else
        sql << " WHERE 1=1";
      if (is_given(CausaleFissaPerCauCont))
        sql << " AND CG33_FLGCAUFISSA = " << CausaleFissaPerCauCont;
      if (is_given(IndTipoRegPerCauCont)) sql << " AND CG33_INDTIPOREG = " << IndTipoRegPerCauCont;
    }
    sql << " ORDER BY " << order_list(CampoOrdinamentoStringaSQL);
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal(per_categoria ? "Elenco causali contabili per categoria di stampa"
                                          : "Elenco causali contabili");
  IDLookup = Value::literal(per_categoria ? "Lkp_CausaliContabiliCatStp" : "Lkp_CausaliContabili");
}

void CLSCG_LOOKUP::CausaliContabiliSoloIVA() noexcept {
  const std::string lingua = host::language_or_default(ActiveInterface, "ITA ");
  detail::step([&] { ColonneLookup_ = columns_solo_iva().value(); });
  detail::step([&] {
    SqlText sql = solo_iva_head(ActiveInterface, lingua);
    sql << LEMA_CR " WHERE CG33_INDTIPOREG <> 0" LEMA_CR " ORDER BY CG33_CODICE";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco causali contabili");
  IDLookup = Value::literal("Lkp_CausaliContabili");
}

void CLSCG_LOOKUP::CausaliContabiliIVAAperturaPartiteAcconti() noexcept {
  const std::string lingua = host::language_or_default(ActiveInterface, "ITA ");
  detail::step([&] { ColonneLookup_ = columns_solo_iva().value(); });
  detail::step([&] {
    SqlText sql = solo_iva_head(ActiveInterface, lingua);
    sql << LEMA_CR
        " WHERE CG33_INDTIPOREG <> 0"
        " OR CG33_FLGACCONTO = 1 OR CG33_INDGESTEC = 1";
    if (IncludiCausaliConGestioneSezionali) sql << " OR CG33_FLGGESTSEZ = 1";
    sql << " ORDER BY CG33_CODICE";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco causali contabili");
  IDLookup = Value::literal("Lkp_CauContIvaApAc");
}

void CLSCG_LOOKUP::CausaliContabiliPerClassificazione() noexcept {
  const std::string lingua = host::language_or_default(ActiveInterface, "ITA ");
  static const detail::HeadingTable kColumns{"Codice",
                                             "Descrizione",
                                             "Alias",
                                             "Tipo.reg.",
                                             "Caus.IVA",
                                             "Reg.marg.",
                                             "Cau.coll.",
                                             "Segno",
                                             "Comp. IVA",
                                             "Sub.forn.",
                                             "Ag.viag.",
                                             "Nr.doc.",
                                             "Cau.acc.",
                                             "Causale per reg. effetti",
                                             "C.es.pr.",
                                             "Mov.EC",
                                             "Mov.por.",
                                             "Eff. da sel.",
                                             "Gest. Ec/Pf",
                                             "Editoria",
                                             "Op. monofase RSM",
                                             "Rich. dati assegni",
                                             "Tipo operazione"};
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    static const detail::TranslatedRun kHead([](SqlText& s, auto& t) {
      select_list(s, t, kSelectClassificazione);
      line_decode(s, t, "CG33_INDTIPOMOV", kTipoMovimento);
      s << LEMA_CR
          " FROM CG33_TABCAU WITH (NOLOCK) "
          "     LEFT OUTER JOIN CGD1_TIPOCAUSALE WITH (NOLOCK)"
          "         ON CGD1_ID = CG33_ID_CGD1";
    });
    // After the run: the language join (163 bytes), the condition and the ordering.
    SqlText sql(kHead.untranslated().size() + 320);
    kHead.append(sql.str(), ActiveInterface);
    language_join(sql, lingua);
    sql << LEMA_CR;
    if (is_given(ClassificazioneCausale))
      sql << " WHERE CGD1_TIPOLOGIA = '" << quoted(ClassificazioneCausale) << "'";
    sql << " ORDER BY CG33_CODICE";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco causali contabili per classificazione");
  IDLookup = Value::literal("Lkp_CausaliContabiliClass");
}

}  // namespace lema
