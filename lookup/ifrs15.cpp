// Revenue classification tables (IFRS 15): types, operating modes, natures, item and
// customer classifications. One table row per lookup drives a single builder.
#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"
#include "lookup/detail/statement_parts.h"

namespace lema {
namespace {

struct Ifrs15Lookup {
  std::string_view table;
  std::string_view code_column;
  std::string_view description_column;
  std::string_view join;          // empty: the type table itself, no join and no filter
  std::string_view class_filter;  // the classification kind line, when there is one
  std::string_view type_filter;   // followed by the type code
  std::string_view default_order;
  std::string_view caption;
  std::string_view id;
};

enum Ifrs15 { kTipi, kOperativita, kNature, kClassificazioneArticoli, kClassificazioneClienti };

constexpr Ifrs15Lookup kIfrs15[] = {
    {"   IF01_TIPI WITH (NOLOCK)", "   IF01_CODICE", "   , IF01_DESCRIZIONE", "", "", "",
     "IF01_CODICE", "Tipi IFRS", "Lkp_IFRS_Tipi"},
    {"   IF02_OPERATIVITA WITH (NOLOCK)", "   IF02_CODICE", "   , IF02_DESCRIZIONE",
     "   IF01_IDTIPO = IF02_IDTIPO_IF01", "", "   IF01_CODICE = ", "IF02_CODICE",
     "Operatività IFRS", "Lkp_IFRS_Operativita"},
    {"   IF03_NATURE WITH (NOLOCK)", "   IF03_CODICE", "   , IF03_DESCRIZIONE",
     "   IF01_IDTIPO = IF03_IDTIPO_IF01", "", "   IF01_CODICE = ", "IF03_CODICE", "Nature IFRS",
     "Lkp_IFRS_Nature"},
    {"   IF04_CLASSIFICAZIONI WITH (NOLOCK)", "   IF04_CODICE", "   , IF04_DESCRIZIONE",
     "   IF01_IDTIPO = IF04_IDTIPO_IF01", "   IF04_INDCLASS = 1", "   AND IF01_CODICE = ",
     "IF04_CODICE", "Classificazione articoli IFRS", "Lkp_IFRS_ClassificazioneArticoli"},
    {"   IF04_CLASSIFICAZIONI WITH (NOLOCK)", "   IF04_CODICE", "   , IF04_DESCRIZIONE",
     "   IF01_IDTIPO = IF04_IDTIPO_IF01", "   IF04_INDCLASS = 2", "   AND IF01_CODICE = ",
     "IF04_CODICE", "Classificazione clienti IFRS", "Lkp_IFRS_ClassificazioneClienti"},
};

struct Outputs {
  Value& columns;
  Value& statement;
  Value& caption;
  Value& id;
};

// `ordine` is the caller's ordering already settled (the member's default when not given).
void build_ifrs15(const Ifrs15Lookup& t, int16_t tipo, const Value& ordine, Outputs out) noexcept {
  static const detail::HeadingTable kColumns{"Codice", "Descrizione"};
  detail::step([&] { out.columns = kColumns.value(); });
  // The statement is cleared first and then written line by line, each line but the last
  // followed by CRLF.
  out.statement = Value::literal("");
  detail::step([&] {
    SqlText sql(288);  // longest measured: 253 bytes
    sql << " SELECT" LEMA_CRLF << t.code_column << kCRLF << t.description_column << kCRLF
        << " FROM" LEMA_CRLF << t.table << kCRLF;
    if (!t.join.empty()) {
      sql << " INNER JOIN IF01_TIPI WITH (NOLOCK) ON" LEMA_CRLF << t.join << kCRLF
          << " WHERE" LEMA_CRLF;
      if (!t.class_filter.empty()) sql << t.class_filter << kCRLF;
      sql << t.type_filter;
      sql.number(tipo);
      sql << kCRLF;
    }
    sql << " ORDER BY" LEMA_CRLF;
    detail::clause_step(sql, [&] { sql << "   " << order_list(ordine); });
    out.statement = sql.value();
  });
  out.caption = Value::literal(t.caption);
  out.id = Value::literal(t.id);
}

}  // namespace

void CLSCG_LOOKUP::IFRS15_Tipi(const Value& CampoOrdinamento) noexcept {
  static const Value kOrdine = Value::literal(kIfrs15[kTipi].default_order);
  build_ifrs15(kIfrs15[kTipi], 0, ordering(CampoOrdinamento, kOrdine),
               {ColonneLookup_, StringaSQL_, Caption_, IDLookup});
}

void CLSCG_LOOKUP::IFRS15_Operativita(int16_t TipoIFRS, const Value& CampoOrdinamento) noexcept {
  static const Value kOrdine = Value::literal(kIfrs15[kOperativita].default_order);
  build_ifrs15(kIfrs15[kOperativita], TipoIFRS, ordering(CampoOrdinamento, kOrdine),
               {ColonneLookup_, StringaSQL_, Caption_, IDLookup});
}

void CLSCG_LOOKUP::IFRS15_Nature(int16_t TipoIFRS, const Value& CampoOrdinamento) noexcept {
  static const Value kOrdine = Value::literal(kIfrs15[kNature].default_order);
  build_ifrs15(kIfrs15[kNature], TipoIFRS, ordering(CampoOrdinamento, kOrdine),
               {ColonneLookup_, StringaSQL_, Caption_, IDLookup});
}

void CLSCG_LOOKUP::IFRS15_ClassificazioneArticoli(int16_t TipoIFRS,
                                                  const Value& CampoOrdinamento) noexcept {
  static const Value kOrdine = Value::literal(kIfrs15[kClassificazioneArticoli].default_order);
  build_ifrs15(kIfrs15[kClassificazioneArticoli], TipoIFRS, ordering(CampoOrdinamento, kOrdine),
               {ColonneLookup_, StringaSQL_, Caption_, IDLookup});
}

void CLSCG_LOOKUP::IFRS15_ClassificazioneClienti(int16_t TipoIFRS,
                                                 const Value& CampoOrdinamento) noexcept {
  static const Value kOrdine = Value::literal(kIfrs15[kClassificazioneClienti].default_order);
  build_ifrs15(kIfrs15[kClassificazioneClienti], TipoIFRS, ordering(CampoOrdinamento, kOrdine),
               {ColonneLookup_, StringaSQL_, Caption_, IDLookup});
}

}  // namespace lema
