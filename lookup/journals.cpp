// Journal list of a company: code, description, use, region of the activity, point of sale
// and INTRA form, optionally narrowed to one journal type, activity and year.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"

namespace lema {
namespace {

// The CASE branches 1 to 21 of the activity region. The names are not translated; the
// doubled quote is the SQL escape of an apostrophe. Fixed text, built once.
const std::string& region_branches() {
  static const std::string text = [] {
    static constexpr std::string_view kRegioni[] = {"Abruzzo",
                                                    "Basilicata",
                                                    "Bolzano",
                                                    "Calabria",
                                                    "Campania",
                                                    "Emilia Romagna",
                                                    "Friuli Venezia Giulia",
                                                    "Lazio",
                                                    "Liguria",
                                                    "Lombardia",
                                                    "Marche",
                                                    "Molise",
                                                    "Piemonte",
                                                    "Puglia",
                                                    "Sardegna",
                                                    "Sicilia",
                                                    "Toscana",
                                                    "Trento",
                                                    "Umbria",
                                                    "Valle d''Aosta",
                                                    "Veneto"};
    SqlText s(629);  // the 21 lines, exactly
    int n = 0;
    for (std::string_view nome : kRegioni) {
      s << "    WHEN ";
      s.number(++n) << " THEN '" << nome << "' " LEMA_CRLF;
    }
    return s.take();
  }();
  return text;
}

std::string_view tipologia_clause(TipologiaSezionaleEnum t) {
  switch (t) {
    case TipologiaSezionaleEnum::SezionaliIVA:
      return " AND CG68_INDTIPOLOGIA = 0";
    case TipologiaSezionaleEnum::SezionaliAreaAmministrativa:
      return " AND CG68_INDTIPOLOGIA IN (1,3)";
    case TipologiaSezionaleEnum::SezionaliAreaCommerciale:
      return " AND CG68_INDTIPOLOGIA IN (2,3)";
    default:
      return {};
  }
}

}  // namespace

void CLSCG_LOOKUP::Sezionali(const Value& CodiceDitta) noexcept {
  // The activity column exists only when an activity is given; the table keeps 8 columns.
  static const detail::HeadingTable kColumns{
      {"Codice", "Descrizione", "Tipologia", "Regione attività", "Punto vendita",
       "Descrizione punto vendita", "Modelli INTRA 12 e INTRA 13"},
      8};
  static const detail::HeadingTable kColumnsAttivita{"Codice",
                                                     "Descrizione",
                                                     "Tipologia",
                                                     "Regione attività",
                                                     "Punto vendita",
                                                     "Descrizione punto vendita",
                                                     "Modelli INTRA 12 e INTRA 13",
                                                     "Attività"};
  bool attivita = false;
  bool anno = false;
  detail::step([&] { attivita = is_given(CodiceAttivita); });
  detail::step([&] { anno = is_given(AnnoAttivita); });

  detail::step([&] { ColonneLookup_ = (attivita ? kColumnsAttivita : kColumns).value(); });
  detail::step([&] {
    SqlText sql(2112);  // longest measured: 1874 bytes
    auto t = [&](std::string_view text) -> SqlText& {
      Traduci(sql.str(), text);
      return sql;
    };
    sql << "SELECT " LEMA_CRLF "  CG68_SEZIONALE, " LEMA_CRLF
           "  (SELECT CG68_DESCSEZ FROM FNCG68_NUMERDESC(CG68_SEZIONALE, CG68_DITTA_CG18)) AS CG68_DESCSEZ, " LEMA_CRLF
           "  CASE CG68_INDTIPOLOGIA " LEMA_CRLF "    WHEN 0 THEN '";
    t("IVA") << "' " LEMA_CRLF "    WHEN 1 THEN '";
    t("Gestionale area amministrativa") << "' " LEMA_CRLF "    WHEN 2 THEN '";
    t("Gestionale area commerciale") << "' " LEMA_CRLF "    WHEN 3 THEN '";
    t("Gestionale area amministrativa/commerciale")
        << "' " LEMA_CRLF "  END AS TIPOLOGIA, " LEMA_CRLF " CASE CG68_INDREGIONE " LEMA_CRLF
           "    WHEN 0 THEN '' " LEMA_CRLF
        << region_branches()
        << "  END AS CG68_INDREGIONE, " LEMA_CRLF "  CG68_PUNTOVEN_CG7A, " LEMA_CRLF
           "  CG7A_DESCRIZIONE, " LEMA_CRLF " CASE CG68_INDINTRA1213 " LEMA_CRLF "   WHEN 0 THEN '";
    t("No") << "' " LEMA_CRLF "   WHEN 1 THEN '";
    t("INTRA 12") << "' " LEMA_CRLF "   WHEN 2 THEN '";
    t("INTRA 13") << "' " LEMA_CRLF "  END AS CG68_INDINTRA1213 " LEMA_CRLF;
    if (attivita) sql << " , CG86_CODATTIVITA " LEMA_CRLF;
    sql << "FROM CG68_NUMERDESC WITH (NOLOCK) " LEMA_CRLF
           "LEFT OUTER JOIN CG7A_PUNTIVENDITA WITH (NOLOCK) " LEMA_CRLF
           "             ON CG7A_DITTA_CG18 = CG68_DITTA_CG18 " LEMA_CRLF
           "            AND CG7A_PUNTOVEN = CG68_PUNTOVEN_CG7A " LEMA_CRLF;
    if (attivita || anno)
      sql << " LEFT OUTER JOIN CG32_ANADITTAPSEZ" LEMA_CRLF
             "     ON CG32_DITTA_CG18 = CG68_DITTA_CG18" LEMA_CRLF
             "     AND CG32_SEZIONALE = CG68_SEZIONALE" LEMA_CRLF
             " LEFT OUTER JOIN CG86_AZIENDECOLL WITH (NOLOCK)" LEMA_CRLF
             "     ON CG86_IDATTIVITA = CG32_IDATTIVITA_CG86" LEMA_CRLF;
    sql << " WHERE CG68_DITTA_CG18 = " << CodiceDitta
        << LEMA_CRLF " AND CG68_SEZIONALE <> 'RP'" LEMA_CRLF;
    // The activity is a condition only together with the year.
    if (anno) {
      sql << " AND CG32_ANNO = " << AnnoAttivita << LEMA_CRLF;
      if (attivita) sql << " AND CG86_CODATTIVITA = " << CodiceAttivita << LEMA_CRLF;
    }
    sql << tipologia_clause(TipologiaSezionale) << " ORDER BY CG68_SEZIONALE, CG68_DESCSEZ";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco sezionali");
  IDLookup = Value::literal("Lkp_Sezionali");
}

}  // namespace lema
