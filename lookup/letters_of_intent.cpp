// Letters of intent that apply to one document, read through the database function that
// works out the remaining plafond.
#include <array>
#include <string>

#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "host/date_text_converter.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"

namespace lema {

void CLSCG_LOOKUP::LettereIntento() noexcept {
  static const detail::HeadingTable kColumns{
      "Id",
      "Anno",
      "Tipo",
      "Num. lett.",
      "Ricevuta il",
      "Num. ns. prot.",
      "Data reg.",
      "Dogana",
      "Fino a Euro",
      "Plafond residuo",
      "Num. protocollo ADE",
      "Data protocollo ADE",
      "Progr. invio ADE",
      "Revoca",
      "Aliq. IVA",
      "Note",
      "Dal",
      "Al",
  };
  // Declaration kinds 0, 1, 2. The apostrophes are already doubled for the SQL literal, and
  // the translator receives them so.
  static constexpr std::string_view kTipiDichiarazione[] = {
      "La sola operazione sopraspecificata",
      "Le operazioni effettuate nell''anno .... fino a concorrenza di Euro/Lire ...",
      "Le operazioni effettuate nell''anno .... per il",
  };

  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  std::array<std::string, 3> tipo;
  detail::step([&] {
    for (size_t k = 0; k < tipo.size(); ++k) Traduci(tipo[k], kTipiDichiarazione[k]);
  });
  detail::step([&] {
    SqlText sql(832);  // longest measured: 722 bytes
    sql << " SELECT MG28_ID, MG28_ANNO,"
        << "        CASE MG28_INDTIPODICH"
        << "            WHEN 0 THEN '" << tipo[0] << "'"
        << "            WHEN 1 THEN '" << tipo[1] << "'"
        << "            WHEN 2 THEN '" << tipo[2] << "'"
        << "        END AS MG28_INDTIPODICH,"
        << "        MG28_NUMLETDICH, MG28_DATARICEZ,"
        << "        MG28_NUMNSPROT, MG28_DATANSREG,"
        << "        MG28_DOGANA, MG28_FINOAEURO,"
        << "        MG28_PLFDRESIDUO, MG28_NUMPROTOCOLLO,"
        << "        MG28_DATAPROTOCOLLO, MG28_PROGRINVIO,"
        << "        MG28_DATAREVOCA, MG28_ALQIVA_CG28,"
        << "        MG28_NOTE,"
        << "        MG28_DATAINVAL, MG28_DATAFINEVAL"
        << " FROM DBO.FNMG28_LETTINT("
        // Company, customer/supplier kind and code as they stand (nothing for Empty/Null).
        << CodAzienda << "," << TipoCF << "," << CodCliFor << ",'"
        << quoted(host::sql_date_text(DataDocumento)) << "',"
        << "0"
        << ",'" << quoted(NumRegistrazione, "") << "',0,";
    sql.number(TipoOperazionePlafond);
    sql << ")"
        << " WHERE MG28_INDTIPODICH IN (0,1)";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco lettere di intento");
  IDLookup = Value::literal("Lkp_LettereIntento");
}

}  // namespace lema
