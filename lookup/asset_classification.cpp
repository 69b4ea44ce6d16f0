// Fixed-asset master data: the three levels of the asset classification and the lists
// combining them, asset-account codes, locations, deductibility classes and used goods.
#include "common/error.h"
#include "common/sql.h"
#include "lookup/clscg_lookup.h"
#include "lookup/detail/headings.h"

namespace lema {

void CLSCG_LOOKUP::GruppoCespiti(const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{"Gruppo", "Descrizione"};
  static const Value kOrder = Value::literal("CG14_GRUPPO");
  const Value& order = ordering(CampoOrdinamento, kOrder);
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    SqlText sql(192);  // longest measured: 147 bytes
    sql << "SELECT CG14_GRUPPO, CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) WHERE"
           " CG14_SPECIE = '0' AND CG14_SOTTOSPEC = 0"
           " ORDER BY "
        << order_list(order);
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco gruppi cespiti");
  IDLookup = Value::literal("Lkp_GruppiCespiti");
}

void CLSCG_LOOKUP::SpecieCespiti(const Value& Gruppo, const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{"Specie", "Descrizione"};
  static const Value kOrder = Value::literal("CG14_SPECIE");
  const Value& order = ordering(CampoOrdinamento, kOrder);
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    SqlText sql(192);  // longest measured: 151 bytes
    sql << "SELECT CG14_SPECIE, CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) WHERE"
           " CG14_GRUPPO = ";
    sql.or_default(Gruppo, "0");
    sql << " AND CG14_SPECIE <> '0' AND CG14_SOTTOSPEC = 0"
           " ORDER BY "
        << order_list(order);
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco specie gruppi cespiti");
  IDLookup = Value::literal("Lkp_SpecieGruppiCespiti");
}

void CLSCG_LOOKUP::SottoSpecieCespiti(const Value& Gruppo, const Value& Specie,
                                      const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{"Sottospecie", "Descrizione"};
  static const Value kOrder = Value::literal("CG14_SOTTOSPEC");
  const Value& order = ordering(CampoOrdinamento, kOrder);
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    SqlText sql(192);  // longest measured: 158 bytes
    sql << "SELECT CG14_SOTTOSPEC,CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) "
           " WHERE CG14_GRUPPO = ";
    sql.or_default(Gruppo, "0");
    sql << " AND CG14_SPECIE = '" << quoted(Specie, "")
        << "' AND CG14_SOTTOSPEC > 0 "
           " ORDER BY "
        << order_list(order);
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco sottospecie cespiti");
  IDLookup = Value::literal("Lkp_SottospecieCespiti");
}

void CLSCG_LOOKUP::ElencoGruppoSpecieSottospecieCesp(const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{"Gruppo", "Specie", "Sottospecie", "Descrizione"};
  static const Value kOrder = Value::literal("CG14_GRUPPO, CG14_SPECIE, CG14_SOTTOSPEC");
  const Value& order = ordering(CampoOrdinamento, kOrder);
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    SqlText sql(160);  // longest measured: 142 bytes
    // clang-format off
    sql
        << "SELECT CG14_GRUPPO, CG14_SPECIE, CG14_SOTTOSPEC, CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) "
           " ORDER BY "
        << order_list(order);
    // clang-format on
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco gruppi cespiti");
  IDLookup = Value::literal("Lkp_GruppiSpecieSottospecieCesp");
}

void CLSCG_LOOKUP::ElencoGruppoSpecieCesp(const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{"Gruppo", "Specie", "Descrizione"};
  static const Value kOrder = Value::literal("CG14_GRUPPO, CG14_SPECIE");
  const Value& order = ordering(CampoOrdinamento, kOrder);
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    SqlText sql(128);  // longest measured: 110 bytes
    sql << "SELECT CG14_GRUPPO, CG14_SPECIE, CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) "
           " ORDER BY "
        << order_list(order);
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco specie cespiti");
  IDLookup = Value::literal("Lkp_GruppiSpecieCesp");
}

void CLSCG_LOOKUP::ElencoSpecieSottoSpecieCesp(const Value& Gruppo,
                                               const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{"Specie", "Sottospecie", "Descrizione"};
  static const Value kOrder = Value::literal("CG14_SPECIE, CG14_SOTTOSPEC");
  const Value& order = ordering(CampoOrdinamento, kOrder);
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    SqlText sql(160);  // longest measured: 138 bytes
    sql << "SELECT "
           "CG14_SPECIE, CG14_SOTTOSPEC, CG14_DESCR"
        << " FROM CG14_PERCAMM WITH (NOLOCK) "
           " WHERE CG14_GRUPPO = ";
    sql.or_default(Gruppo, "0");
    sql << " ORDER BY " << order_list(order);
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco sottospecie cespiti");
  IDLookup = Value::literal("Lkp_SpecieSottoSpecieCesp");
}

void CLSCG_LOOKUP::Ubicazioni(const Value& Ditta, const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{"Codice", "Descrizione"};
  static const Value kOrder = Value::literal("CS05_CODICE");
  const Value& order = ordering(CampoOrdinamento, kOrder);
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    // The description comes from the location table function, given the code and the
    // company a second time.
    SqlText sql(224);  // longest measured: 175 bytes
    sql << "SELECT CS05_CODICE, (SELECT CS05_DESCR FROM FNCS05_UBICAZIONE(CS05_CODICE, " << Ditta
        << ")) AS CS05_DESCR "
           " FROM CS05_UBICAZIONE WITH (NOLOCK) WHERE "
           "CS05_DITTA_CG18 = "
        << Ditta << " ORDER BY " << order_list(order);
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco ubicazioni");
  IDLookup = Value::literal("Lkp_Ubicazioni");
}

void CLSCG_LOOKUP::ContiImmobilizzi(const Value& Gruppo, const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{
      "PdC",
      "Codice immobilizzo",
      "Descrizione",
      "Immobilizzi",
      "Fondo ammortamento",
      "Quote ammortamento",
      "Plusvalenze",
      "Minusvalenze",
      "Eliminazione processo produttivo",
      "Cessione bene cumulativo",
      "Riserve di rivalutazioni (IAS)",
      "IAS: riserve utili FTA (First Time Adoption)",
      "IAS: riserve utili comparazione anno precedente",
      "IAS: svalutazioni",
      "IAS: recupero svalutazioni precedenti",
      "IAS: realizzazione riserve",
  };
  static const Value kOrder = Value::literal("CG22_CODICE");
  const Value& order = ordering(CampoOrdinamento, kOrder);
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    // Lines joined by a carriage return alone. The account columns come formatted by the
    // database's account-formatting functions.
    SqlText sql(1440);  // longest measured: 1276 bytes
    // clang-format off
    sql << " SELECT CG22_GRUPPO_CG10, CG22_CODICE, CG22_DESCR," LEMA_CR
           "        DBO.SFCG_FORMATCONTO_COGECLIFOR(CG22_GRUPPO_CG10, CG22_CONTOIMM, NULL, NULL, NULL) AS CG22_CONTOIMM, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_CONTOFOND) AS CG22_CONTOFOND, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_CONTOAMM) AS CG22_CONTOAMM, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_CONTOPLUS) AS CG22_CONTOPLUS, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_CONTOMINUS) AS CG22_CONTOMINUS, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_CONTOPROCPROD) AS CG22_CONTOPROCPROD, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_CONTOCESSBENECUM) AS CG22_CONTOCESSBENECUM, " LEMA_CR
           "        DBO.SFCG_FORMATCONTO_COGECLIFOR(CG22_GRUPPO_CG10, CG22_IASCONTORISRIV, NULL, NULL, NULL) AS CG22_IASCONTORISRIV, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_IASCONTORISUTILI) AS CG22_IASCONTORISUTILI, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_IASCONTORISCOMPAP) AS CG22_IASCONTORISCOMPAP, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_IASCONTOSVALUT) AS CG22_IASCONTOSVALUT, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_IASCONTORECSVPR) AS CG22_IASCONTORECSVPR, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_IASCONTOREALIZRIS) AS CG22_IASCONTOREALIZRIS" LEMA_CR
           " FROM   CG22_CONTICESPITI WITH (NOLOCK)" LEMA_CR
           " WHERE  CG22_GRUPPO_CG10 = "
        << Gruppo
        << LEMA_CR " ORDER  BY "
        << order_list(order);
    // clang-format on
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco codici immobilizzi");
  IDLookup = Value::literal("Lkp_ContiImmobilizzi");
}

void CLSCG_LOOKUP::DeducibilitàCespiti() noexcept {
  // Three columns dimensioned, two filled: the third stays Empty in both cells.
  static const detail::HeadingTable kColumns({"Codice ID", "Descrizione"}, 3);
  // Fixed order: full deductibility first, then partial without and with an amount limit,
  // classes with no percentage last; within a rank higher limit, then lower percentage.
  // clang-format off
  static constexpr std::string_view kStatement =
      " SELECT   CS07_IDDEDUCIBILITA, CASE WHEN CS07_DESCRIZIONE = '' THEN 'Totalmente deducibile' ELSE CS07_DESCRIZIONE END CS07_DESCRIZIONE"
      " FROM     CS07_ANAGDEDUCIBILITA WITH(NOLOCK)"
      " ORDER BY "
      " (CASE ISNULL(CS07_PERCENTUALE,0)"
      "    WHEN 0 THEN 999"
      "    WHEN 100 THEN 0"
      "    ELSE CASE WHEN ISNULL(CS07_IMPLIMITE,0) = 0"
      "           THEN 1"
      "           ELSE 2 END"
      "    END),"
      " CS07_IMPLIMITE DESC, CS07_PERCENTUALE";
  // clang-format on
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  StringaSQL_ = Value::literal(kStatement);
  Caption_ = Value::literal("Elenco deducibilità cespiti");
  IDLookup = Value::literal("Lkp_DeduzCespiti");
}

void CLSCG_LOOKUP::BeniUsati(const Value& CodiceDitta, const Value& CampoOrdinamento) noexcept {
  static const detail::HeadingTable kColumns{"Codice", "Descrizione", "Inventario", "Ven. tot."};
  static const Value kOrder = Value::literal("CGM0_CODICE");
  const Value& order = ordering(CampoOrdinamento, kOrder);
  detail::step([&] { ColonneLookup_ = kColumns.value(); });
  detail::step([&] {
    // One line: the blanks at the head of each piece stay inside it. 'Si' is not translated.
    SqlText sql(320);  // longest measured: 270 bytes
    sql << "SELECT CGM0_CODICE,"
           "        CGM0_DESCR,"
           "        CGM0_INVENTARIO,"
           "        CASE CGM0_FLGVENDUTOTOT"
           "             WHEN 0 THEN ''"
           "             WHEN 1 THEN 'Si'"
           "        END AS CGM0_FLGVENDUTOTOT"
           " FROM   CGM0_ANAGBENIUSATI WITH (NOLOCK)"
           " WHERE  CGM0_DITTA_CG18 = "
        << CodiceDitta << " ORDER BY " << order_list(order);
    StringaSQL_ = sql.value();
  });
  Caption_ = Value::literal("Elenco Beni usati");
  IDLookup = Value::literal("Lkp_BeniUsati");
}

}  // namespace lema
