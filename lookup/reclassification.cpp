// Balance-sheet reclassification codes and accounts, and the attachments of the accounting
// inventories with their groups.
#include <array>
#include <string>
#include <string_view>

#include "common/error.h"
#include "common/sql.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"

namespace lema {

void CLSCG_LOOKUP::RiclassificazionePdC(const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{"Codice", "Descrizione"};
  static const Value kOrder = Value::literal("CG21_CODICE");
  const Value& order = ordering(CampoOrdinamento, kOrder);
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    SqlText sql(96);  // longest measured: 85 bytes
    sql << "SELECT CG21_CODICE, CG21_DESCR FROM CG21_DESBILCEE WITH (NOLOCK) ORDER BY "
        << order_list(order);
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco codici riclassificazione bilancio CEE");
  IDLookup = Value::literal("Lkp_RiclassificazionePdC");
}

void CLSCG_LOOKUP::RiclassificazioneBilancioCEE(const Value& CodiceBilancioCEE,
                                                const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{"Codice", "Descrizione"};
  static const Value kOrder = Value::literal("CG23_CODICE");
  const Value& order = ordering(CampoOrdinamento, kOrder);
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    SqlText sql(128);  // longest measured: 113 bytes
    sql << "SELECT CG23_CODICE, CG23_DESCR "
           "FROM CG23_RICLBILCEE WITH (NOLOCK) WHERE CG23_CODICE_CG21 = "
        << CodiceBilancioCEE << " ORDER BY " << order_list(order);
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco conti riclassificazione bilancio CEE");
  // Both reclassification lookups answer to the same identifier.
  IDLookup = Value::literal("Lkp_RiclassificazionePdC");
}

void CLSCG_LOOKUP::AllegatiPerInventariContabili() noexcept {
  static const detail::HeadingTable kColumns{"Codice allegato",
                                             "Descrizione",
                                             "Tipo allegato",
                                             "Attivo/Passivo",
                                             "Esposizione effetti attivi",
                                             "Esposizione magazzino",
                                             "Pr. unitario"};
  // The decoded words, translated before the statement is built, in this order.
  static constexpr std::string_view kWords[] = {
      "Generico",
      "Inventario di magazzino",
      "Effetti attivi",
      "Attivo",
      "Passivo",
      "Analitica",
      "Sintetic per tipo eff.",
      "Sintetica per cliente",
      "Analitica (articolo/deposito)",
      "Sintetica (articolo)",
      "Analitica (art./variante/deposito)",
      "Sintetica (articolo/variante)",
      "Si",
  };
  std::string words;
  std::array<size_t, std::size(kWords) + 1> ends{};
  detail::step([&] {
    words.reserve(256);
    for (size_t i = 0; i < std::size(kWords); ++i) {
      Traduci(words, kWords[i]);
      ends[i + 1] = words.size();
    }
  });
  auto w = [&](size_t i) { return std::string_view(words).substr(ends[i], ends[i + 1] - ends[i]); };
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    SqlText sql(1184);  // longest measured: 1045 bytes
    sql << "SELECT CG0A_CODALLEGATO, CG0A_DESCR,"
        << " (CASE WHEN CG0A_INDTIPO = 0 THEN '" << w(0)       // "Generico"
        << "' ELSE CASE WHEN CG0A_INDTIPO = 1 THEN '" << w(1)  // "Inventario di magazzino"
        << "' ELSE '" << w(2)                                  // "Effetti attivi"
        << "' END END) AS CG0A_INDTIPO,"
        << " (CASE WHEN CG0A_INDDAAV = 1 THEN '" << w(3)       // "Attivo"
        << "' ELSE CASE WHEN CG0A_INDDAAV = 2 THEN '" << w(4)  // "Passivo"
        << "' ELSE '' END END) AS CG0A_INDDAAV,"
        << " (CASE WHEN CG0A_INDANALSINT = 1 THEN '" << w(5)       // "Analitica"
        << "' ELSE CASE WHEN CG0A_INDANALSINT = 2 THEN '" << w(6)  // "Sintetic per tipo eff."
        << "' ELSE CASE WHEN CG0A_INDANALSINT = 3 THEN '" << w(7)  // "Sintetica per cliente"
        << "' ELSE '' END END END) AS CG0A_INDANALSINT,"
        << " (CASE WHEN CG0A_INDANALMAGAZZ = 1 THEN '" << w(8)  // "Analitica (articolo/deposito)"
        << "' ELSE CASE WHEN CG0A_INDANALMAGAZZ = 2 THEN '" << w(9)  // "Sintetica (articolo)"
        << "' ELSE CASE WHEN CG0A_INDANALMAGAZZ = 3 THEN '"
        << w(10)  // "Analitica (art./variante/deposito)"
        << "' ELSE CASE WHEN CG0A_INDANALMAGAZZ = 4 THEN '"
        << w(11)  // "Sintetica (articolo/variante)"
        << "' ELSE '' END END END END) AS CG0A_INDANALMAGAZZ,"
        << " (CASE WHEN CG0A_FLGINSUM = 1 THEN '" << w(12)  // "Si"
        << "' ELSE '' END) AS CG0A_FLGINSUM"
        << " FROM CG0A_ALLEGATI WITH (NOLOCK) "
           " WHERE CG0A_CODGRUPPO = '0'";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco allegati");
  IDLookup = Value::literal("Lkp_AllegatiPerInventariContabili");
}

void CLSCG_LOOKUP::GruppiPerInventariContabili(const Value& CodAllegato) noexcept {
  static const detail::HeadingTable kColumns{"Codice gruppo", "Descrizione"};
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    SqlText sql(160);  // longest measured: 123 bytes
    sql << "SELECT CG0A_CODGRUPPO, CG0A_DESCR FROM CG0A_ALLEGATI WITH (NOLOCK) "
           " WHERE CG0A_CODALLEGATO = '";
    sql << quoted(CodAllegato, "")
        << "'"
           " AND CG0A_CODGRUPPO <> '0'";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco gruppi allegati");
  IDLookup = Value::literal("Lkp_GruppiPerInventariContabili");
}

}  // namespace lema
