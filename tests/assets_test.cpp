// Fixed-asset lookups: classification levels and master data, and the asset register.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "lookup/clscg_lookup.h"
#include "support/asset_expect.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

using asset_testing::headings;
using asset_testing::sql_of;
using asset_testing::translated;
using host::RecordingHost;
using host::RecordingHostConfig;

struct Outputs {
  std::string caption, id;
  std::vector<std::string> columns;
};
Outputs outputs(const CLSCG_LOOKUP& lk) {
  return {std::string(lk.Caption().as_string()), std::string(lk.IDLookup.as_string()),
          headings(lk.ColonneLookup())};
}
bool operator==(const Outputs& a, const Outputs& b) {
  return a.caption == b.caption && a.id == b.id && a.columns == b.columns;
}
void PrintTo(const Outputs& o, std::ostream* os) {
  *os << o.caption << " / " << o.id << " / " << o.columns.size() << " columns";
}

// ---- classification and master data ----------------------------------------------------

constexpr std::string_view kGruppoHead =
    "SELECT CG14_GRUPPO, CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) WHERE"
    " CG14_SPECIE = '0' AND CG14_SOTTOSPEC = 0"
    " ORDER BY ";

TEST(AssetClassification, GroupOrderingFollowsTheOrderingRule) {
  auto lk = make_object<CLSCG_LOOKUP>();
  const std::string def = std::string(kGruppoHead) + "CG14_GRUPPO";
  lk->GruppoCespiti();
  EXPECT_EQ(sql_of(*lk), def);
  EXPECT_EQ(outputs(*lk),
            (Outputs{"Elenco gruppi cespiti", "Lkp_GruppiCespiti", {"Gruppo", "Descrizione"}}));
  lk->GruppoCespiti(Value("CG14_DESCR"));
  EXPECT_EQ(sql_of(*lk), std::string(kGruppoHead) + "CG14_DESCR");
  lk->GruppoCespiti(Value());
  EXPECT_EQ(sql_of(*lk), def);
  lk->GruppoCespiti(Value("CG14_DESCR DESC"));
  lk->GruppoCespiti(Value(""));
  EXPECT_EQ(sql_of(*lk), def);
  // Null is not replaced: nothing follows the keyword.
  lk->GruppoCespiti(Value::null());
  EXPECT_EQ(sql_of(*lk), kGruppoHead);
  // Blanks are not "": used unchanged, untrimmed.
  lk->GruppoCespiti(Value("  "));
  EXPECT_EQ(sql_of(*lk), std::string(kGruppoHead) + "  ");
}

TEST(AssetClassification, SpeciesPlacesTheGroupOrZero) {
  auto lk = make_object<CLSCG_LOOKUP>();
  auto expected = [](std::string_view gruppo, std::string_view order) {
    return std::string(
               "SELECT CG14_SPECIE, CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) WHERE"
               " CG14_GRUPPO = ") +
           std::string(gruppo) +
           " AND CG14_SPECIE <> '0' AND CG14_SOTTOSPEC = 0"
           " ORDER BY " +
           std::string(order);
  };
  for (const Value& none : {Value(), Value::null(), Value("   "), Value("")}) {
    lk->SpecieCespiti(none);
    EXPECT_EQ(sql_of(*lk), expected("0", "CG14_SPECIE"));
  }
  lk->SpecieCespiti(Value(int32_t{12}));
  EXPECT_EQ(sql_of(*lk), expected("12", "CG14_SPECIE"));
  lk->SpecieCespiti(Value(" 12 "), Value("CG14_DESCR"));
  EXPECT_EQ(sql_of(*lk), expected(" 12 ", "CG14_DESCR"));
  EXPECT_EQ(outputs(*lk), (Outputs{"Elenco specie gruppi cespiti",
                                   "Lkp_SpecieGruppiCespiti",
                                   {"Specie", "Descrizione"}}));
}

TEST(AssetClassification, SubSpeciesPlacesGroupAndQuotedSpecies) {
  auto lk = make_object<CLSCG_LOOKUP>();
  auto expected = [](std::string_view gruppo, std::string_view specie, std::string_view order) {
    return std::string(
               "SELECT CG14_SOTTOSPEC,CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) "
               " WHERE CG14_GRUPPO = ") +
           std::string(gruppo) + " AND CG14_SPECIE = '" + std::string(specie) +
           "' AND CG14_SOTTOSPEC > 0 "
           " ORDER BY " +
           std::string(order);
  };
  lk->SottoSpecieCespiti(Value(int32_t{3}), Value::null());
  EXPECT_EQ(sql_of(*lk), expected("3", "", "CG14_SOTTOSPEC"));
  lk->SottoSpecieCespiti(Value(" "), Value("A'1"), Value::null());
  EXPECT_EQ(sql_of(*lk), expected("0", "A'1", ""));
  lk->SottoSpecieCespiti(Value(), Value(" 2 "), Value("CG14_DESCR"));
  EXPECT_EQ(sql_of(*lk), expected("0", " 2 ", "CG14_DESCR"));
  EXPECT_EQ(outputs(*lk), (Outputs{"Elenco sottospecie cespiti",
                                   "Lkp_SottospecieCespiti",
                                   {"Sottospecie", "Descrizione"}}));
}

TEST(AssetClassification, CombinedListsShareCaptionsButNotIdentifiers) {
  auto lk = make_object<CLSCG_LOOKUP>();
  const std::string all =
      "SELECT CG14_GRUPPO, CG14_SPECIE, CG14_SOTTOSPEC, CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) "
      " ORDER BY ";
  lk->ElencoGruppoSpecieSottospecieCesp();
  EXPECT_EQ(sql_of(*lk), all + "CG14_GRUPPO, CG14_SPECIE, CG14_SOTTOSPEC");
  EXPECT_EQ(outputs(*lk), (Outputs{"Elenco gruppi cespiti",
                                   "Lkp_GruppiSpecieSottospecieCesp",
                                   {"Gruppo", "Specie", "Sottospecie", "Descrizione"}}));
  lk->ElencoGruppoSpecieSottospecieCesp(Value::null());
  EXPECT_EQ(sql_of(*lk), all);

  const std::string species =
      "SELECT CG14_GRUPPO, CG14_SPECIE, CG14_DESCR FROM CG14_PERCAMM WITH (NOLOCK) "
      " ORDER BY ";
  lk->ElencoGruppoSpecieCesp(Value(""));
  EXPECT_EQ(sql_of(*lk), species + "CG14_GRUPPO, CG14_SPECIE");
  lk->ElencoGruppoSpecieCesp(Value("CG14_DESCR"));
  EXPECT_EQ(sql_of(*lk), species + "CG14_DESCR");
  EXPECT_EQ(outputs(*lk), (Outputs{"Elenco specie cespiti",
                                   "Lkp_GruppiSpecieCesp",
                                   {"Gruppo", "Specie", "Descrizione"}}));

  auto sub = [](std::string_view gruppo, std::string_view order) {
    return std::string("SELECT ") + "CG14_SPECIE, CG14_SOTTOSPEC, CG14_DESCR" +
           " FROM CG14_PERCAMM WITH (NOLOCK) "
           " WHERE CG14_GRUPPO = " +
           std::string(gruppo) + " ORDER BY " + std::string(order);
  };
  lk->ElencoSpecieSottoSpecieCesp(Value(int32_t{5}));
  EXPECT_EQ(sql_of(*lk), sub("5", "CG14_SPECIE, CG14_SOTTOSPEC"));
  lk->ElencoSpecieSottoSpecieCesp(Value::null(), Value("CG14_DESCR"));
  EXPECT_EQ(sql_of(*lk), sub("0", "CG14_DESCR"));
  EXPECT_EQ(outputs(*lk), (Outputs{"Elenco sottospecie cespiti",
                                   "Lkp_SpecieSottoSpecieCesp",
                                   {"Specie", "Sottospecie", "Descrizione"}}));
}

TEST(AssetMasterData, LocationsPlaceTheCompanyTwiceBare) {
  auto lk = make_object<CLSCG_LOOKUP>();
  auto expected = [](std::string_view ditta, std::string_view order) {
    return std::string(
               "SELECT CS05_CODICE, (SELECT CS05_DESCR FROM FNCS05_UBICAZIONE(CS05_CODICE, ") +
           std::string(ditta) +
           ")) AS CS05_DESCR "
           " FROM CS05_UBICAZIONE WITH (NOLOCK) WHERE "
           "CS05_DITTA_CG18 = " +
           std::string(ditta) + " ORDER BY " + std::string(order);
  };
  lk->Ubicazioni(Value(int32_t{7}));
  EXPECT_EQ(sql_of(*lk), expected("7", "CS05_CODICE"));
  EXPECT_NE(sql_of(*lk).find(")) AS CS05_DESCR  FROM"), std::string::npos);
  // No default: an Empty company leaves nothing after the comma and the "=".
  lk->Ubicazioni(Value(), Value("CS05_DESCR"));
  EXPECT_EQ(sql_of(*lk), expected("", "CS05_DESCR"));
  EXPECT_EQ(outputs(*lk),
            (Outputs{"Elenco ubicazioni", "Lkp_Ubicazioni", {"Codice", "Descrizione"}}));
}

TEST(AssetMasterData, AssetAccountCodesJoinLinesWithCarriageReturnAlone) {
  auto lk = make_object<CLSCG_LOOKUP>();
  auto expected = [](std::string_view gruppo, std::string_view order) {
    return std::string(
               " SELECT CG22_GRUPPO_CG10, CG22_CODICE, CG22_DESCR,"
               "\r"
               "        DBO.SFCG_FORMATCONTO_COGECLIFOR(CG22_GRUPPO_CG10, CG22_CONTOIMM, NULL, NULL, NULL) AS CG22_CONTOIMM, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_CONTOFOND) AS CG22_CONTOFOND, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_CONTOAMM) AS CG22_CONTOAMM, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_CONTOPLUS) AS CG22_CONTOPLUS, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_CONTOMINUS) AS CG22_CONTOMINUS, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_CONTOPROCPROD) AS CG22_CONTOPROCPROD, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_CONTOCESSBENECUM) AS CG22_CONTOCESSBENECUM, "
               "\r"
               "        DBO.SFCG_FORMATCONTO_COGECLIFOR(CG22_GRUPPO_CG10, CG22_IASCONTORISRIV, NULL, NULL, NULL) AS CG22_IASCONTORISRIV, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_IASCONTORISUTILI) AS CG22_IASCONTORISUTILI, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_IASCONTORISCOMPAP) AS CG22_IASCONTORISCOMPAP, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_IASCONTOSVALUT) AS CG22_IASCONTOSVALUT, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_IASCONTORECSVPR) AS CG22_IASCONTORECSVPR, DBO.SFCG_FORMATCONTO(CG22_GRUPPO_CG10, CG22_IASCONTOREALIZRIS) AS CG22_IASCONTOREALIZRIS"
               "\r"
               " FROM   CG22_CONTICESPITI WITH (NOLOCK)"
               "\r"
               " WHERE  CG22_GRUPPO_CG10 = ") +
           std::string(gruppo) +
           "\r"
           " ORDER  BY " +
           std::string(order);
  };
  lk->ContiImmobilizzi(Value("PDC1"));
  const std::string s = sql_of(*lk);
  EXPECT_EQ(s, expected("PDC1", "CG22_CODICE"));
  EXPECT_EQ(std::count(s.begin(), s.end(), '\r'), 5);
  EXPECT_EQ(s.find('\n'), std::string::npos);
  lk->ContiImmobilizzi(Value(), Value::null());
  EXPECT_EQ(sql_of(*lk), expected("", ""));
  EXPECT_EQ(
      outputs(*lk),
      (Outputs{"Elenco codici immobilizzi",
               "Lkp_ContiImmobilizzi",
               {"PdC", "Codice immobilizzo", "Descrizione", "Immobilizzi", "Fondo ammortamento",
                "Quote ammortamento", "Plusvalenze", "Minusvalenze",
                "Eliminazione processo produttivo", "Cessione bene cumulativo",
                "Riserve di rivalutazioni (IAS)", "IAS: riserve utili FTA (First Time Adoption)",
                "IAS: riserve utili comparazione anno precedente", "IAS: svalutazioni",
                "IAS: recupero svalutazioni precedenti", "IAS: realizzazione riserve"}}));
}

TEST(AssetMasterData, DeductibilityHasAFixedOrderAndAnEmptyThirdColumn) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->DeducibilitàCespiti();
  EXPECT_EQ(
      sql_of(*lk),
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
      " CS07_IMPLIMITE DESC, CS07_PERCENTUALE");
  const Array& a = lk->ColonneLookup().as_array();
  ASSERT_EQ(a.ubound(0), 2);
  ASSERT_EQ(a.ubound(1), 1);
  EXPECT_EQ(a.at(0, 0), Value("Codice ID"));
  EXPECT_EQ(a.at(1, 0), Value("Descrizione"));
  EXPECT_EQ(a.at(0, 1), Value(""));
  EXPECT_EQ(a.at(1, 1), Value(""));
  EXPECT_TRUE(a.at(2, 0).is_empty());
  EXPECT_TRUE(a.at(2, 1).is_empty());
  EXPECT_EQ(lk->Caption(), Value("Elenco deducibilità cespiti"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_DeduzCespiti"));
}

TEST(AssetMasterData, UsedGoodsKeepTheirPiecesOnOneLine) {
  auto lk = make_object<CLSCG_LOOKUP>();
  auto expected = [](std::string_view ditta, std::string_view order) {
    return std::string(
               "SELECT CGM0_CODICE,"
               "        CGM0_DESCR,"
               "        CGM0_INVENTARIO,"
               "        CASE CGM0_FLGVENDUTOTOT"
               "             WHEN 0 THEN ''"
               "             WHEN 1 THEN 'Si'"
               "        END AS CGM0_FLGVENDUTOTOT"
               " FROM   CGM0_ANAGBENIUSATI WITH (NOLOCK)"
               " WHERE  CGM0_DITTA_CG18 = ") +
           std::string(ditta) + " ORDER BY " + std::string(order);
  };
  lk->BeniUsati(Value(int32_t{1}));
  EXPECT_EQ(sql_of(*lk), expected("1", "CGM0_CODICE"));
  EXPECT_NE(sql_of(*lk).find(" WHERE  CGM0_DITTA_CG18 = 1 ORDER BY "), std::string::npos);
  lk->BeniUsati(Value(), Value::null());
  EXPECT_EQ(sql_of(*lk), expected("", ""));
  EXPECT_EQ(outputs(*lk), (Outputs{"Elenco Beni usati",
                                   "Lkp_BeniUsati",
                                   {"Codice", "Descrizione", "Inventario", "Ven. tot."}}));
}

TEST(AssetMasterData, LiteralTextsAreNotTranslated) {
  auto log = std::make_shared<host::TextLog>();
  RecordingHostConfig cfg;
  cfg.translation = RecordingHostConfig::Translation::Numbered;
  auto h = make_object<RecordingHost>(cfg, log);
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->ActiveInterface = h;
  lk->BeniUsati(Value(int32_t{1}));
  lk->DeducibilitàCespiti();
  lk->GruppoCespiti();
  lk->SpecieCespiti(Value(int32_t{1}));
  lk->SottoSpecieCespiti(Value(int32_t{1}), Value("A"));
  lk->ElencoGruppoSpecieSottospecieCesp();
  lk->ElencoGruppoSpecieCesp();
  lk->ElencoSpecieSottoSpecieCesp(Value(int32_t{1}));
  lk->Ubicazioni(Value(int32_t{1}));
  lk->ContiImmobilizzi(Value(int32_t{1}));
  EXPECT_EQ(h->translate_calls(), 0);
  EXPECT_TRUE(log->lines.empty());
}

TEST(AssetMasterData, ByNameWithOptionalOrderingLeftOut) {
  ObjectRef lk = create_object(CLSCG_LOOKUP::kProgId);
  auto& typed = static_cast<CLSCG_LOOKUP&>(*lk);
  call_method(*lk, "DeducibilitàCespiti", {});
  EXPECT_EQ(get_property(*lk, "IDLookup"), Value("Lkp_DeduzCespiti"));
  EXPECT_EQ(get_property(*lk, "ColonneLookup").as_array().ubound(0), 2);
  call_method(*lk, "GruppoCespiti", {});
  EXPECT_EQ(sql_of(typed), std::string(kGruppoHead) + "CG14_GRUPPO");
  call_method(*lk, "GruppoCespiti", {Value::null()});
  EXPECT_EQ(sql_of(typed), kGruppoHead);
  call_method(*lk, "SpecieCespiti", {Value(int32_t{4}), Value("X")});
  EXPECT_NE(sql_of(typed).find(" CG14_GRUPPO = 4 AND"), std::string::npos);
  EXPECT_TRUE(sql_of(typed).ends_with(" ORDER BY X"));
  call_method(*lk, "SottoSpecieCespiti", {Value(int32_t{4}), Value("B")});
  EXPECT_EQ(get_property(*lk, "IDLookup"), Value("Lkp_SottospecieCespiti"));
  call_method(*lk, "ElencoGruppoSpecieSottospecieCesp", {});
  EXPECT_EQ(get_property(*lk, "IDLookup"), Value("Lkp_GruppiSpecieSottospecieCesp"));
  call_method(*lk, "ElencoGruppoSpecieCesp", {});
  EXPECT_EQ(get_property(*lk, "IDLookup"), Value("Lkp_GruppiSpecieCesp"));
  call_method(*lk, "ElencoSpecieSottoSpecieCesp", {Value(int32_t{4})});
  EXPECT_EQ(get_property(*lk, "IDLookup"), Value("Lkp_SpecieSottoSpecieCesp"));
  call_method(*lk, "Ubicazioni", {Value(int32_t{2})});
  EXPECT_EQ(get_property(*lk, "IDLookup"), Value("Lkp_Ubicazioni"));
  call_method(*lk, "ContiImmobilizzi", {Value(int32_t{2})});
  EXPECT_EQ(get_property(*lk, "IDLookup"), Value("Lkp_ContiImmobilizzi"));
  call_method(*lk, "BeniUsati", {Value(int32_t{2}), Value::missing()});
  EXPECT_TRUE(sql_of(typed).ends_with(" ORDER BY CGM0_CODICE"));
  // A required argument cannot be left out.
  EXPECT_THROW(call_method(*lk, "BeniUsati", {}), Error);
}

// ---- asset register ---------------------------------------------------------------------

// The select part shared by the register lookups; «x» marks a translated text, «RATE2» the
// method's text for rate type 2.
// clang-format off
const std::string kSelect = std::string(
    "SELECT" " CS04_CESPITE, CS04_GRUPPO_CG14, CS04_SPECIE_CG14, CS04_SOTTOSPEC_CG14,"
    " CS04_PROGRSSPECIE, CS04_DESCR, CS04_CODCESRAGGR,"
    " ISNULL((SELECT TOP 1 TIPOMOV = CASE CS03_INDTIPOMOV" " WHEN 0 THEN 'VT'" " WHEN 1 THEN 'VP'"
    " ELSE '' END" " FROM CS03_MOVVENDITA WITH(NOLOCK)" " WHERE CS03_DITTA_CG18 = CS04_DITTA_CG18"
    " AND CS03_CESPITE_CS04 = CS04_CESPITE" " AND CS03_INDTIPOMOV IN(0,1)"
    " AND CS03_NUMRIGA = (SELECT ISNULL(MAX(CS03_NUMRIGA),-1) AS NUMRIGA"
    " FROM CS03_MOVVENDITA WITH(NOLOCK)" " WHERE CS03_DITTA_CG18 = CS04_DITTA_CG18"
    " AND CS03_CESPITE_CS04 = CS04_CESPITE" " AND CS03_INDTIPOMOV IN(0,1))),'')" " AS WK_VEN,"
    " ISNULL((SELECT TOP 1 TIPOMOV = CASE CS03_INDTIPOMOV" " WHEN 2 THEN 'ET'" " WHEN 3 THEN 'PP'"
    " WHEN 4 THEN 'EP'" " ELSE '' END" " FROM CS03_MOVVENDITA WITH(NOLOCK)"
    " WHERE CS03_DITTA_CG18 = CS04_DITTA_CG18" " AND CS03_CESPITE_CS04 = CS04_CESPITE"
    " AND CS03_INDTIPOMOV IN(2,3,4)"
    " AND CS03_NUMRIGA = (SELECT ISNULL(MAX(CS03_NUMRIGA),-1) AS NUMRIGA"
    " FROM CS03_MOVVENDITA WITH(NOLOCK)" " WHERE CS03_DITTA_CG18 = CS04_DITTA_CG18"
    " AND CS03_CESPITE_CS04 = CS04_CESPITE" " AND CS03_INDTIPOMOV IN(2,3,4))),'')" " AS WK_ELI,"
    " CS04_CODICE_CG22, CS04_CODICE_CG31, CS04_UBIC_CS05,"
    " CASE WHEN CS04_INDPERCADOTT = 0 THEN '" "«di legge»" "'" " WHEN CS04_INDPERCADOTT = 1 THEN '"
    "«minima»" "'" " WHEN CS04_INDPERCADOTT = 2 THEN '" "«RATE2»" "'"
    " WHEN CS04_INDPERCADOTT = 3 THEN '" "«manuale»" "'" " END AS TIPOPERC,"
    " CASE WHEN CS04_INDCATFIS = 0 THEN '" "«materiale»" "'" " WHEN CS04_INDCATFIS = 1 THEN '"
    "«immateriale»" "'" " END AS CATFISCALE,"
    " CASE WHEN CS04_INDTIPOACQ = 0 THEN '" "«nuovo»" "'" " WHEN CS04_INDTIPOACQ = 1 THEN '"
    "«usato»" "'" " END AS TIPOACQ,"
    " CASE WHEN CS04_INDTIPOBENE = 0 THEN ''" " WHEN CS04_INDTIPOBENE = 1 THEN '" "«in affitto»" "'"
    " WHEN CS04_INDTIPOBENE = 2 THEN '" "«in leasing»" "'" " WHEN CS04_INDTIPOBENE = 3 THEN '"
    "«in comodato»" "'" " WHEN CS04_INDTIPOBENE = 4 THEN '" "«a noleggio»" "'" " END AS TIPOBENE,"
    " CASE WHEN CS04_FLGUSOPROM = 0 THEN '" "«No»" "'" " WHEN CS04_FLGUSOPROM = 1 THEN '" "«Si»" "'"
    " END AS USOPROM,"
    " CS04_INDTIPODEDUZ," " CS04_DATAATTIV, CS04_DATADISATT, CS04_DATAINISTP,"
    " CS04_ANNOACQ, CS04_ANNOVEND, CS04_ANNOAGG," " CS04_PERCMANUT, CS04_DATAINPROM,"
    " CASE CS04_FLGAMMINVEND WHEN 1 THEN '" "«Si»" "' ELSE '" "«No»" "' END AS WK_FLGAMMINVEND,"
    " CASE CS04_FLGCOSTOST WHEN 1 THEN '" "«Si»" "' ELSE '" "«No»" "' END AS WK_FLGCOSTOST,"
    " CASE CS04_FLGMINUSO WHEN 1 THEN '" "«Si»" "' ELSE '" "«No»" "' END AS WK_FLGMINUSO,"
    " CASE CS04_FLGMAGGUSO WHEN 1 THEN '" "«Si»" "' ELSE '" "«No»" "' END AS WK_FLGMAGGUSO,"
    " CS04_PERCAMMCIV, CS04_NRESERAMMCIV, CS04_TOTGGAMMCIV, CS04_DATAINICIV, CS04_DATAFINECIV,"
    " CASE CS04_INDTIPOCALCCIV " " WHEN 0 THEN '" "«Uguale a quello fiscale»" "'" " WHEN 1 THEN '"
    "«A percentuale fissa»" "'" " WHEN 2 THEN '" "«Con ripartizione temporale»" "'" " WHEN 3 THEN '"
    "«Aritmetico»" "'" " END AS TIPOCALCCIV,"
    " CS04_MATRICOLA, CS04_NOTE" " FROM CS04_ANAGCESPITE WITH (NOLOCK) " " WHERE CS04_DITTA_CG18 = ");
// clang-format on

const std::string kDefaultOrder =
    "CS04_CESPITE, CS04_GRUPPO_CG14, CS04_SPECIE_CG14, CS04_SOTTOSPEC_CG14";
constexpr std::string_view kRateCespiti = "antincipata";
constexpr std::string_view kRateDitta = "antincip.";
constexpr std::string_view kRateConto = "anticip.";

const std::vector<std::string> kRegisterColumns = {
    // clang-format off
    "Codice", "Gruppo", "Specie", "Sottospecie", "Progressivo", "Descrizione", "Cespite rif.",
    "Ven.", "Eli.", "Immob.", "Sede", "Ubic.", "Tipo % Amm.", "Cat. Fis.", "Tipo Acq.", "Tipo Bene",
    "Uso Prom.", "Tipo Deduz.", "Data Att.", "Data Disatt.", "Data Ini. stp.", "Anno Acq.",
    "Anno Ven.", "Anno ult. stp.", "% manu.", "Data ini. deduz.", "Amm. in ven.", "Costo storico",
    "Minor uso", "Maggior uso", "% civ.", "Num.Eser.civ.", "Tot.GG civ.", "Data ini. amm.civ",
    "Data fine amm.civ", "Tipo calcolo civ.", "Matricola", "Note aggiuntive",
    // clang-format on
};

TEST(AssetRegister, AllAssetsOfACompany) {
  auto lk = make_object<CLSCG_LOOKUP>();
  const std::string head = translated(kSelect, false, kRateCespiti) + "1";
  lk->Cespiti(Value(int32_t{1}));
  EXPECT_EQ(sql_of(*lk), head + " ORDER BY " + kDefaultOrder);
  EXPECT_EQ(outputs(*lk), (Outputs{"Elenco cespiti", "Lkp_Cespiti", kRegisterColumns}));
  EXPECT_EQ(kRegisterColumns.size(), 38u);
  // The site clause only for a given site code, placed bare right after the company filter.
  for (const Value& none : {Value(), Value::null(), Value("   ")}) {
    lk->CodiceSede = none;
    lk->Cespiti(Value(int32_t{1}), Value(""));
    EXPECT_EQ(sql_of(*lk), head + " ORDER BY " + kDefaultOrder);
  }
  lk->CodiceSede = Value(" S1");
  lk->Cespiti(Value(int32_t{1}), Value("CS04_DESCR"));
  EXPECT_EQ(sql_of(*lk), head + " AND CS04_CODICE_CG31 = " + " S1" + " ORDER BY " + "CS04_DESCR");
  lk->Cespiti(Value(int32_t{1}), Value::null());
  EXPECT_EQ(sql_of(*lk), head + " AND CS04_CODICE_CG31 = " + " S1" + " ORDER BY ");
}

TEST(AssetRegister, ComponentsOfAParent) {
  auto lk = make_object<CLSCG_LOOKUP>();
  const std::string head = translated(kSelect, false, kRateCespiti) + "1";
  lk->CodiceSede = Value("S");
  lk->CodCespPadre = Value(int32_t{40});
  lk->Cespiti(Value(int32_t{1}), Value("CS04_DESCR"));
  EXPECT_EQ(sql_of(*lk), head + " AND CS04_CODICE_CG31 = " + "S" + " AND CS04_CESPITE <> " + "40" +
                             " AND CS04_CODCESRAGGR = " + "40" + " ORDER BY " + "CS04_DESCR");
  EXPECT_EQ(lk->IDLookup, Value("Lkp_Cespiti"));
  EXPECT_EQ(lk->Caption(), Value("Elenco cespiti"));

  // The parent included: no exclusion, fixed parent-first ordering even with an argument.
  lk->CodCespPadreCompreso = true;
  lk->Cespiti(Value(int32_t{1}), Value("CS04_DESCR"));
  const std::string included =
      head + " AND CS04_CODICE_CG31 = " + "S" + " AND CS04_CODCESRAGGR = " + "40" +
      " ORDER BY CASE WHEN CS04_CESPITE = CS04_CODCESRAGGR THEN 0 ELSE 1 END, CS04_CESPITE";
  EXPECT_EQ(sql_of(*lk), included);
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CespitiRif"));
  EXPECT_EQ(lk->Caption(), Value("Elenco cespiti"));
  lk->Cespiti(Value(int32_t{1}), Value::null());
  EXPECT_EQ(sql_of(*lk), included);

  // A blank parent is no parent; the flag alone changes nothing.
  lk->CodiceSede = Value();
  lk->CodCespPadre = Value("  ");
  lk->Cespiti(Value(int32_t{1}));
  EXPECT_EQ(sql_of(*lk), head + " ORDER BY " + kDefaultOrder);
  EXPECT_EQ(lk->IDLookup, Value("Lkp_Cespiti"));
}

TEST(AssetRegister, AssetsOfOneClassification) {
  auto lk = make_object<CLSCG_LOOKUP>();
  const std::string head = translated(kSelect, false, kRateDitta) + "2";
  lk->CespitiDitta(Value(int32_t{2}), Value(int32_t{3}), Value::null(), Value());
  EXPECT_EQ(sql_of(*lk), head + " AND CS04_GRUPPO_CG14 = " + "3" + " AND CS04_SPECIE_CG14 = '" +
                             "'" + " AND CS04_SOTTOSPEC_CG14 = " + "0" + " AND CS04_CESPITE > 0" +
                             " ORDER BY " + kDefaultOrder);
  EXPECT_EQ(outputs(*lk), (Outputs{"Elenco codice cespiti", "Lkp_CespitiDitta", kRegisterColumns}));

  // Not components: every sub-species, the component clause after the code filter, then the site.
  lk->CespitiNonFigli = true;
  lk->CodiceSede = Value(int32_t{9});
  lk->CespitiDitta(Value(int32_t{2}), Value(" "), Value("01"), Value(int32_t{5}),
                   Value("CS04_DESCR"));
  EXPECT_EQ(sql_of(*lk),
            head + " AND CS04_GRUPPO_CG14 = " + "0" + " AND CS04_SPECIE_CG14 = '" + "01'" +
                " AND CS04_CESPITE > 0" +
                " AND (CS04_FLGRAGGR = 0 OR ISNULL(CS04_CODCESRAGGR,CS04_CESPITE) = CS04_CESPITE)" +
                " AND CS04_CODICE_CG31 = " + "9" + " ORDER BY " + "CS04_DESCR");
  lk->CespitiNonFigli = false;
  lk->CespitiDitta(Value(int32_t{2}), Value(int32_t{1}), Value("01"), Value(int32_t{5}), Value(""));
  EXPECT_EQ(sql_of(*lk), head + " AND CS04_GRUPPO_CG14 = " + "1" + " AND CS04_SPECIE_CG14 = '" +
                             "01'" + " AND CS04_SOTTOSPEC_CG14 = " + "5" + " AND CS04_CESPITE > 0" +
                             " AND CS04_CODICE_CG31 = " + "9" + " ORDER BY " + kDefaultOrder);
}

TEST(AssetRegister, AssetsPostingToALedgerAccount) {
  auto lk = make_object<CLSCG_LOOKUP>();
  const std::string head = translated(kSelect, false, kRateConto) + "3";
  auto exists = [](std::string_view pdc, std::string_view conto) {
    return std::string(
               " AND EXISTS (SELECT 1"
               "             FROM   CG22_CONTICESPITI WITH(NOLOCK)"
               "             WHERE  CG22_GRUPPO_CG10 = ") +
           std::string(pdc) +
           "             AND    CG22_CODICE = CS04_CODICE_CG22"
           "             AND    CG22_CONTOIMM = '" +
           std::string(conto) + "' )";
  };
  lk->CespitiPerContoContabile(Value(int32_t{3}), Value("P1"), Value(" 0101 "));
  EXPECT_EQ(sql_of(*lk), head + exists("P1", " 0101 ") + " ORDER BY " + kDefaultOrder);
  EXPECT_EQ(outputs(*lk), (Outputs{"Elenco cespiti", "Lkp_Cespiti", kRegisterColumns}));
  lk->CodiceSede = Value("S2");
  lk->CespitiPerContoContabile(Value(int32_t{3}), Value(), Value::null(), Value::null());
  EXPECT_EQ(sql_of(*lk), head + exists("", "") + " AND CS04_CODICE_CG31 = " + "S2" + " ORDER BY ");
}

TEST(AssetRegister, TranslatesEachTextInStatementOrderOnEveryCall) {
  struct Case {
    std::string_view rate2;
    void (*call)(CLSCG_LOOKUP&);
    std::string tail;
  };
  const Case cases[] = {
      {kRateCespiti, [](CLSCG_LOOKUP& lk) { lk.Cespiti(Value(int32_t{1})); },
       std::string(" ORDER BY ") + kDefaultOrder},
      {kRateDitta,
       [](CLSCG_LOOKUP& lk) {
         lk.CespitiDitta(Value(int32_t{1}), Value(int32_t{2}), Value("3"), Value(int32_t{4}));
       },
       std::string(" AND CS04_GRUPPO_CG14 = ") + "2" + " AND CS04_SPECIE_CG14 = '" + "3'" +
           " AND CS04_SOTTOSPEC_CG14 = " + "4" + " AND CS04_CESPITE > 0" + " ORDER BY " +
           kDefaultOrder},
      {kRateConto,
       [](CLSCG_LOOKUP& lk) {
         lk.CespitiPerContoContabile(Value(int32_t{1}), Value("P"), Value("C"));
       },
       std::string(" AND EXISTS (SELECT 1"
                   "             FROM   CG22_CONTICESPITI WITH(NOLOCK)"
                   "             WHERE  CG22_GRUPPO_CG10 = ") +
           "P" +
           "             AND    CG22_CODICE = CS04_CODICE_CG22"
           "             AND    CG22_CONTOIMM = '" +
           "C" + "' )" + " ORDER BY " + kDefaultOrder},
  };
  for (const Case& c : cases) {
    auto log = std::make_shared<host::TextLog>();
    RecordingHostConfig cfg;
    cfg.translation = RecordingHostConfig::Translation::Numbered;
    auto h = make_object<RecordingHost>(cfg, log);
    auto lk = make_object<CLSCG_LOOKUP>();
    lk->ActiveInterface = h;
    c.call(*lk);
    // The movement codes stay literal; everything marked is translated, in order.
    std::vector<std::string> texts;
    EXPECT_EQ(sql_of(*lk), translated(kSelect, true, c.rate2, &texts) + "1" + c.tail) << c.rate2;
    EXPECT_EQ(log->lines, asset_testing::numbered_log(texts));
    EXPECT_EQ(texts.size(), 26u);
    // A second call asks again.
    c.call(*lk);
    EXPECT_EQ(h->translate_calls(), 52);
  }
}

TEST(AssetRegister, FailingHostLeavesTheItalianTexts) {
  RecordingHostConfig cfg;
  cfg.translation = RecordingHostConfig::Translation::Numbered;
  cfg.fail.insert("Translate");
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->ActiveInterface = make_object<RecordingHost>(cfg, nullptr);
  lk->CespitiDitta(Value(int32_t{1}), Value(int32_t{2}), Value("3"), Value(int32_t{4}));
  EXPECT_TRUE(sql_of(*lk).starts_with(translated(kSelect, false, kRateDitta) + "1 AND"));
}

TEST(AssetRegister, AFailingStatementKeepsThePreviousOne) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->Valute();
  const Value before = lk->StringaSQL();
  // A company code that cannot be joined as text fails the statement step only.
  lk->CodCespPadre = Value(int32_t{8});
  lk->CodCespPadreCompreso = true;
  lk->Cespiti(Value(Array::matrix(1, 1)));
  EXPECT_EQ(lk->StringaSQL(), before);
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CespitiRif"));
  EXPECT_EQ(lk->Caption(), Value("Elenco cespiti"));
  EXPECT_EQ(headings(lk->ColonneLookup()), kRegisterColumns);
  lk->CespitiPerContoContabile(Value(int32_t{1}), Value("P"), Value::nothing());
  EXPECT_EQ(lk->StringaSQL(), before);
  EXPECT_EQ(lk->IDLookup, Value("Lkp_Cespiti"));
}

TEST(AssetRegister, ByName) {
  ObjectRef lk = create_object(CLSCG_LOOKUP::kProgId);
  auto& typed = static_cast<CLSCG_LOOKUP&>(*lk);
  let_property(*lk, "CodCespPadre", Value("P"));
  let_property(*lk, "CodCespPadreCompreso", Value(true));
  call_method(*lk, "Cespiti", {Value(int32_t{1}), Value("X")});
  EXPECT_EQ(get_property(*lk, "IDLookup"), Value("Lkp_CespitiRif"));
  EXPECT_TRUE(sql_of(typed).ends_with(
      " ORDER BY CASE WHEN CS04_CESPITE = CS04_CODCESRAGGR THEN 0 ELSE 1 END, CS04_CESPITE"));
  let_property(*lk, "CespitiNonFigli", Value(true));
  call_method(*lk, "CespitiDitta",
              {Value(int32_t{1}), Value(int32_t{1}), Value("A"), Value(int32_t{1})});
  EXPECT_EQ(get_property(*lk, "IDLookup"), Value("Lkp_CespitiDitta"));
  EXPECT_EQ(sql_of(typed).find(" AND CS04_SOTTOSPEC_CG14 = "), std::string::npos);
  call_method(*lk, "CespitiPerContoContabile",
              {Value(int32_t{1}), Value("P"), Value("C"), Value("Y")});
  EXPECT_EQ(get_property(*lk, "Caption"), Value("Elenco cespiti"));
  EXPECT_TRUE(sql_of(typed).ends_with(" ORDER BY Y"));
  EXPECT_THROW(call_method(*lk, "CespitiPerContoContabile", {Value(int32_t{1}), Value("P")}),
               Error);
}

}  // namespace
}  // namespace lema
