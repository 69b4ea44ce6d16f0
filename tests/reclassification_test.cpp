// Balance-sheet reclassification lookups and the accounting-inventory attachment lookups.
#include <gtest/gtest.h>

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

TEST(Reclassification, CodesCarryTheKeywordInTheirOnlyPiece) {
  auto lk = make_object<CLSCG_LOOKUP>();
  const std::string head =
      "SELECT CG21_CODICE, CG21_DESCR FROM CG21_DESBILCEE WITH (NOLOCK) ORDER BY ";
  lk->RiclassificazionePdC();
  EXPECT_EQ(sql_of(*lk), head + "CG21_CODICE");
  EXPECT_EQ(headings(lk->ColonneLookup()), (std::vector<std::string>{"Codice", "Descrizione"}));
  EXPECT_EQ(lk->Caption(), Value("Elenco codici riclassificazione bilancio CEE"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_RiclassificazionePdC"));
  lk->RiclassificazionePdC(Value("CG21_DESCR"));
  EXPECT_EQ(sql_of(*lk), head + "CG21_DESCR");
  lk->RiclassificazionePdC(Value::null());
  EXPECT_EQ(sql_of(*lk), head);
  lk->RiclassificazionePdC(Value());
  EXPECT_EQ(sql_of(*lk), head + "CG21_CODICE");
}

TEST(Reclassification, AccountsOfOneCodeShareTheIdentifier) {
  auto lk = make_object<CLSCG_LOOKUP>();
  auto expected = [](std::string_view code, std::string_view order) {
    return std::string(
               "SELECT CG23_CODICE, CG23_DESCR "
               "FROM CG23_RICLBILCEE WITH (NOLOCK) WHERE CG23_CODICE_CG21 = ") +
           std::string(code) + " ORDER BY " + std::string(order);
  };
  lk->RiclassificazioneBilancioCEE(Value(int32_t{4}));
  EXPECT_EQ(sql_of(*lk), expected("4", "CG23_CODICE"));
  EXPECT_EQ(headings(lk->ColonneLookup()), (std::vector<std::string>{"Codice", "Descrizione"}));
  EXPECT_EQ(lk->Caption(), Value("Elenco conti riclassificazione bilancio CEE"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_RiclassificazionePdC"));
  // The code is placed bare, with no default.
  lk->RiclassificazioneBilancioCEE(Value(), Value(""));
  EXPECT_EQ(sql_of(*lk), expected("", "CG23_CODICE"));
  lk->RiclassificazioneBilancioCEE(Value("'A'"), Value::null());
  EXPECT_EQ(sql_of(*lk), expected("'A'", ""));
}

// The attachment statement; «x» marks a translated text.
// clang-format off
const std::string kAllegati = std::string("SELECT CG0A_CODALLEGATO, CG0A_DESCR,"
                                          " (CASE WHEN CG0A_INDTIPO = 0 THEN '" "«Generico»"
                                          "' ELSE CASE WHEN CG0A_INDTIPO = 1 THEN '"
                                          "«Inventario di magazzino»" "' ELSE '" "«Effetti attivi»"
                                          "' END END) AS CG0A_INDTIPO,"
                                          " (CASE WHEN CG0A_INDDAAV = 1 THEN '" "«Attivo»"
                                          "' ELSE CASE WHEN CG0A_INDDAAV = 2 THEN '" "«Passivo»"
                                          "' ELSE '' END END) AS CG0A_INDDAAV,"
                                          " (CASE WHEN CG0A_INDANALSINT = 1 THEN '" "«Analitica»"
                                          "' ELSE CASE WHEN CG0A_INDANALSINT = 2 THEN '"
                                          "«Sintetic per tipo eff.»"
                                          "' ELSE CASE WHEN CG0A_INDANALSINT = 3 THEN '"
                                          "«Sintetica per cliente»"
                                          "' ELSE '' END END END) AS CG0A_INDANALSINT,"
                                          " (CASE WHEN CG0A_INDANALMAGAZZ = 1 THEN '"
                                          "«Analitica (articolo/deposito)»"
                                          "' ELSE CASE WHEN CG0A_INDANALMAGAZZ = 2 THEN '"
                                          "«Sintetica (articolo)»"
                                          "' ELSE CASE WHEN CG0A_INDANALMAGAZZ = 3 THEN '"
                                          "«Analitica (art./variante/deposito)»"
                                          "' ELSE CASE WHEN CG0A_INDANALMAGAZZ = 4 THEN '"
                                          "«Sintetica (articolo/variante)»"
                                          "' ELSE '' END END END END) AS CG0A_INDANALMAGAZZ,"
                                          " (CASE WHEN CG0A_FLGINSUM = 1 THEN '" "«Si»"
                                          "' ELSE '' END) AS CG0A_FLGINSUM"
                                          " FROM CG0A_ALLEGATI WITH (NOLOCK) "
                                          " WHERE CG0A_CODGRUPPO = '0'");
// clang-format on

TEST(InventoryAttachments, ItalianWordsWithoutAHostAndNoOrdering) {
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->AllegatiPerInventariContabili();
  EXPECT_EQ(sql_of(*lk), translated(kAllegati, false));
  EXPECT_EQ(sql_of(*lk).find("ORDER BY"), std::string::npos);
  EXPECT_NE(sql_of(*lk).find("1 THEN 'Inventario di magazzino' ELSE 'Effetti attivi' END END"),
            std::string::npos);
  EXPECT_EQ(headings(lk->ColonneLookup()),
            (std::vector<std::string>{"Codice allegato", "Descrizione", "Tipo allegato",
                                      "Attivo/Passivo", "Esposizione effetti attivi",
                                      "Esposizione magazzino", "Pr. unitario"}));
  EXPECT_EQ(lk->Caption(), Value("Elenco allegati"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_AllegatiPerInventariContabili"));
}

TEST(InventoryAttachments, TranslatesThirteenTextsInOrder) {
  auto log = std::make_shared<host::TextLog>();
  RecordingHostConfig cfg;
  cfg.translation = RecordingHostConfig::Translation::Numbered;
  auto h = make_object<RecordingHost>(cfg, log);
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->ActiveInterface = h;
  lk->AllegatiPerInventariContabili();
  std::vector<std::string> texts;
  EXPECT_EQ(sql_of(*lk), translated(kAllegati, true, {}, &texts));
  const std::vector<std::string> order = {"Generico",
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
                                          "Si"};
  EXPECT_EQ(texts, order);
  EXPECT_EQ(log->lines, asset_testing::numbered_log(order));
  // A host whose translation fails leaves the Italian words.
  cfg.fail.insert("Translate");
  lk->ActiveInterface = make_object<RecordingHost>(cfg, nullptr);
  lk->AllegatiPerInventariContabili();
  EXPECT_EQ(sql_of(*lk), translated(kAllegati, false));
}

TEST(InventoryAttachments, GroupsOfAnAttachmentQuoteTheCodeOrNothing) {
  auto lk = make_object<CLSCG_LOOKUP>();
  auto expected = [](std::string_view code) {
    return std::string(
               "SELECT CG0A_CODGRUPPO, CG0A_DESCR FROM CG0A_ALLEGATI WITH (NOLOCK) "
               " WHERE CG0A_CODALLEGATO = '") +
           std::string(code) +
           "'"
           " AND CG0A_CODGRUPPO <> '0'";
  };
  for (const Value& none : {Value(), Value::null(), Value("  ")}) {
    lk->GruppiPerInventariContabili(none);
    EXPECT_EQ(sql_of(*lk), expected(""));
  }
  lk->GruppiPerInventariContabili(Value(" A'1"));
  EXPECT_EQ(sql_of(*lk), expected(" A'1"));
  lk->GruppiPerInventariContabili(Value(int32_t{0}));
  EXPECT_EQ(sql_of(*lk), expected("0"));
  EXPECT_EQ(headings(lk->ColonneLookup()),
            (std::vector<std::string>{"Codice gruppo", "Descrizione"}));
  EXPECT_EQ(lk->Caption(), Value("Elenco gruppi allegati"));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_GruppiPerInventariContabili"));
}

TEST(Reclassification, ByNameAndFailingSteps) {
  ObjectRef lk = create_object(CLSCG_LOOKUP::kProgId);
  auto& typed = static_cast<CLSCG_LOOKUP&>(*lk);
  call_method(*lk, "RiclassificazionePdC");
  EXPECT_TRUE(sql_of(typed).ends_with("CG21_CODICE"));
  call_method(*lk, "RiclassificazioneBilancioCEE", {Value(int32_t{7}), Value("CG23_DESCR")});
  EXPECT_TRUE(sql_of(typed).ends_with(" = 7 ORDER BY CG23_DESCR"));
  call_method(*lk, "AllegatiPerInventariContabili");
  EXPECT_EQ(get_property(*lk, "IDLookup"), Value("Lkp_AllegatiPerInventariContabili"));
  call_method(*lk, "GruppiPerInventariContabili", {Value("X")});
  EXPECT_EQ(get_property(*lk, "IDLookup"), Value("Lkp_GruppiPerInventariContabili"));
  EXPECT_THROW(call_method(*lk, "GruppiPerInventariContabili"), Error);
  // A code that cannot be joined as text keeps the previous statement; the rest is set.
  const Value before = typed.StringaSQL();
  typed.RiclassificazioneBilancioCEE(Value(Array::matrix(1, 1)));
  EXPECT_EQ(typed.StringaSQL(), before);
  EXPECT_EQ(typed.Caption(), Value("Elenco conti riclassificazione bilancio CEE"));
  EXPECT_EQ(typed.IDLookup, Value("Lkp_RiclassificazionePdC"));
}

}  // namespace
}  // namespace lema
