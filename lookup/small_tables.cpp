// Small coded tables whose descriptions depend on the user's language or on the current
// company: VAT types, payment-delivery and collection methods, nomenclature services.
#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "host/host_framework.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"

namespace lema {
namespace {
const detail::HeadingTable& code_and_description() {
  static const detail::HeadingTable kColumns{"Codice", "Descrizione"};
  return kColumns;
}
}  // namespace

void CLSCG_LOOKUP::TipiIVA() noexcept {
  detail::step([&] { ColonneLookup_ = code_and_description().value(); });
  detail::step([&] {
    SqlText sql(384);  // longest measured: 342 bytes
    sql << " SELECT          CG0T_CODICE,"
        << "                 CG0L_DESCRIZIONE AS CG0T_DESCR"
        << " FROM            CG0T_TIPOIVA WITH(NOLOCK)"
        << " LEFT OUTER JOIN CG0L_DESLINGUA WITH(NOLOCK)"
        << "              ON CG0L_CODLINGUA_MG52 = '"
        << quoted(host::language_or_default(ActiveInterface, "ITA ")) << "'"
        << "             AND CG0L_PROVID = 6"
        << "             AND CG0L_IDPROV = CG0T_CODICE"
        << " WHERE           CG0T_INDTIPO = ";
    sql.or_default(IndMonofaseRSM, "0");
    sql << " ORDER BY        CG0T_CODICE";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco tipi IVA");
  IDLookup = Value::literal("Lkp_TipiIVA");
}

void CLSCG_LOOKUP::ModalitaErogazione() noexcept {
  detail::step([&] { ColonneLookup_ = code_and_description().value(); });
  detail::step([&] {
    SqlText sql(192);  // longest measured: 157 bytes
    sql << " SELECT IN03_CODICE, (SELECT IN03_DESCR FROM FNIN03_MODEROGAZIONE(IN03_CODICE,";
    sql.or_default(host::company_or_empty(ActiveInterface), "0");
    sql << ")) AS IN03_DESCR "
        << " FROM   IN03_MODEROGAZIONE WITH(NOLOCK)"
        << " ORDER  BY IN03_CODICE";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco modalità erogazione");
  IDLookup = Value::literal("Lkp_ModalitaErogazione");
}

void CLSCG_LOOKUP::ModalitaIncasso() noexcept {
  detail::step([&] { ColonneLookup_ = code_and_description().value(); });
  detail::step([&] {
    SqlText sql(192);  // longest measured: 152 bytes
    sql << " SELECT IN04_CODICE, (SELECT IN04_DESCR FROM FNIN04_MODINCASSO(IN04_CODICE, ";
    sql.or_default(host::company_or_empty(ActiveInterface), "0");
    sql << " )) AS IN04_DESCR"
        << " FROM   IN04_MODINCASSO WITH(NOLOCK)"
        << " ORDER  BY IN04_CODICE";
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco modalità incasso");
  IDLookup = Value::literal("Lkp_ModalitaIncasso");
}

void CLSCG_LOOKUP::Servizio() noexcept {
  detail::step([&] { ColonneLookup_ = code_and_description().value(); });
  detail::step([&] {
    SqlText sql(512);  // longest measured: 435 bytes
    const std::string lingua = host::language_or_default(ActiveInterface, "ITA");
    if (Anno_Nomenclatura != 0) {
      // The services of the latest nomenclature year not after the one asked for.
      sql << "SELECT CG72_CODICE, CG0L_DESCRIZIONE AS CG72_DESCR " LEMA_CRLF
             " FROM CG72_NOMENCLATURE WITH (NOLOCK) " LEMA_CRLF
             " LEFT OUTER JOIN CG0L_DESLINGUA WITH (NOLOCK) " LEMA_CRLF
             "    ON CG0L_PROVID = 11 " LEMA_CRLF "    AND CG0L_CODLINGUA_MG52 = '"
          << quoted(lingua)
          << "'" LEMA_CRLF "    AND CG0L_IDPROV = CG72_CNKEY " LEMA_CRLF
             "  WHERE CG72_INDTIPO = 1 " LEMA_CRLF " AND CG72_ANNO = " LEMA_CRLF
             "  (SELECT MAX(CG72_ANNO) FROM CG72_NOMENCLATURE WITH (NOLOCK) " LEMA_CRLF
             "      WHERE  CG72_ANNO <= ";
      sql.number(Anno_Nomenclatura);
      sql << LEMA_CRLF "        AND CG72_INDTIPO = 1 ) " LEMA_CRLF " ORDER BY CG72_DESCR ";
    } else {
      // The services of the latest nomenclature year.
      sql << "SELECT  CG72_CODICE, CG0L_DESCRIZIONE AS CG72_DESCR " LEMA_CRLF
             "FROM CG72_NOMENCLATURE WITH (NOLOCK) " LEMA_CRLF
             " lEFT OUTER JOIN CG0L_DESLINGUA WITH (NOLOCK) " LEMA_CRLF
             "   ON CG0L_PROVID = 11 " LEMA_CRLF "  AND CG0L_CODLINGUA_MG52 = '"
          << quoted(lingua)
          << "'" LEMA_CRLF "  AND CG0L_IDPROV = CG72_CNKEY " LEMA_CRLF
             "WHERE CG72_INDTIPO = 1 " LEMA_CRLF
             " AND CG72_ANNO = "
             "     (SELECT MAX(CG72_ANNO) FROM CG72_NOMENCLATURE WITH (NOLOCK) "
             "             WHERE CG72_INDTIPO = 1 ) " LEMA_CRLF "ORDER BY CG72_DESCR";
    }
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco servizi");
  IDLookup = Value::literal("Lkp_ElencoServizi");
}

}  // namespace lema
