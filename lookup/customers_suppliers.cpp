// Customer and supplier accounts of a company with their registry data.
#include "common/error.h"
#include "common/sql.h"
#include "common/text.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"
#include "lookup/detail/statement_parts.h"

namespace lema {

// The second parameter (TipoCF) is named apart here: the class has a setting of that name.
void CLSCG_LOOKUP::ContiCliFor(const Value& CodiceDitta, const Value& TipoCFArg) noexcept {
  static const detail::HeadingTable kColumns{
      "Tipo",
      "Codice",
      "Ragione sociale",
      "Indirizzo",
      "CAP",
      "Città",
      "Prov.",
      "Partita IVA",
      "Codice Fiscale",
      "Ragione sociale estesa",
      "Alias",
      "Telefono 1",
      "Telefono 2",
      "Fax",
      "Cell.",
      "E-mail",
      "Stato est.",
      "Descrizione Stato",
      "Agente",
      "Attivo",
      "Anag. valida",
      "Data validità",
      "Anag. sost.",
      "Ragione sociale sostitutiva",
      "Data dismiss.",
      "Cod. intermedio",
      "Descr. intermedio",
      "Tipo Nazione",
  };
  static const Value kZero(int32_t{0});
  auto T = [this](std::string_view word) {
    return detail::Deferred{[this, word](std::string& out) { Traduci(out, word); }};
  };

  // 0 customers, 1 suppliers, 2 both; an open kind or company counts as 0.
  Value tipo = TipoCFArg;
  Value ditta = CodiceDitta;
  detail::step([&] { tipo = value_or_default(tipo, kZero); });
  detail::step([&] { ditta = value_or_default(ditta, kZero); });

  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  // Any other kind leaves the previous title.
  detail::step([&] {
    if (detail::numeric_equals(tipo, 0))
      Caption_ = Value::literal("Elenco Clienti");
    else if (detail::numeric_equals(tipo, 1))
      Caption_ = Value::literal("Elenco Fornitori");
    else if (detail::numeric_equals(tipo, 2))
      Caption_ = Value::literal("Elenco Clienti/Fornitori");
  });
  detail::step([&] {
    SqlText sql(1856);  // longest measured: 1642 bytes
    // Select part.
    sql << " SELECT"
        << "    CASE WHEN CG44_TIPOCF = 0 THEN '" << T("Cliente") << "' WHEN CG44_TIPOCF = 1 THEN '"
        << T("Fornitore") << "' END AS TIPO,"
        << "    CG44_CLIFOR,"
        << "    CG16_RAGSOANAG,"
        << "    CG16_INDIRIZZO,"
        << "    CG16_CAP,"
        << "    CG16_CITTA,"
        << "    CG16_PROV,"
        << "    CG16_PARTIVA,"
        << "    CG16_CODFISCALE,"
        << "    CG16_RAGSOANAGEX,"
        << "    CG16_ALIAS,"
        << "    CG16_TEL1NUM,"
        << "    CG16_TEL2NUM,"
        << "    CG16_FAXNUM,"
        << "    CG16_CELLNUM,"
        << "    CG16_INDEMAIL,"
        << "    CG16_CODICE_CG07,"
        << "    (SELECT CG07_DESCR FROM CG07_TABSTATIEST WITH (NOLOCK) WHERE CG16_CODICE_CG07 = CG07_CODICE ) AS CG07_DESCR, MG17_AGENTE,"
        << "    CASE WHEN CG44_FLGATTIVO = 1 THEN '" << T("Si") << "' ELSE '" << T("No")
        << "' END AS CG44_FLGATTIVO, "
        << "    CASE WHEN CG16_FLGANAGVAL = 1 THEN '" << T("Si") << "' ELSE '" << T("No")
        << "' END AS CG16_FLGANAGVAL, CG16_DATAVALID, CODICESOST, DESCRSOST, MG19_DATADISMIS "
        << "  , CG44_INTERMEDIO_CG40 " << kCR << "  , CG40_DESCR"
        << "  ,"
        << "  CASE"
        << "     WHEN CG07_INDTIPOSTATO = 0 THEN '" << T("Extracomunitario") << "'"
        << "     WHEN CG07_INDTIPOSTATO = 1 THEN '" << T("Intracomunitario") << "'"
        << "     WHEN CG07_INDTIPOSTATO = 2 THEN '" << T("Rep. San Marino") << "'"
        << "  END AS CG07_INDTIPOSTATO "
        << kCRLF
        // From part.
        << "from CG44_VCO_AnagCliForWithSost " << kCRLF
        << " LEFT OUTER JOIN MG19_CLIFORVA WITH(NOLOCK) "
        << "    ON  MG19_DITTA_CG18 = CG44_DITTA_CG18"
        << "    AND MG19_TIPOCF_CG44 = CG44_TIPOCF "
        << "    AND MG19_CLIFOR_CG44 = CG44_CLIFOR " << kCRLF
        << " LEFT OUTER JOIN MG1C_CLIFORAGEMUL WITH(NOLOCK)" << kCR
        << " ON  CG44_DITTA_CG18=MG1C_DITTA_CG18" << kCR << " AND CG44_TIPOCF=MG1C_TIPOCF_CG44"
        << kCR << " AND CG44_CLIFOR=MG1C_CLIFOR_CG44" << kCR
        << " LEFT OUTER JOIN MG17_AGENTI WITH(NOLOCK)" << kCR
        << " ON MG1C_IDAGENTE_MG17=MG17_IDAGENTE" << kCR
        << " LEFT OUTER JOIN CG07_TABSTATIEST WITH(NOLOCK) "
        << "    ON CG07_CODICE = CG16_CODICE_CG07 " << kCR
        << " OUTER APPLY dbo.FNCG40_ANADITTAINTER(CG44_TIPOCF,CG44_INTERMEDIO_CG40,CG44_DITTA_CG18) "
        << kCRLF
        // Where part: the kind filter is left out when both kinds are listed.
        << "where CG44_DITTA_CG18 = " << ditta;
    if (!detail::numeric_equals(tipo, 2)) sql << " and cg44_tipocf = " << tipo;
    sql << kCRLF << " ORDER BY CG44_TIPOCF, CG44_CLIFOR";
    StringaSQL_ = sql.value();
  });
  IDLookup = Value::literal("Lkp_ContiCliFor");
}

}  // namespace lema
