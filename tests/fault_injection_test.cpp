// A database failing at each operation in turn under the fiscal-year list: the lookup keeps
// what it read, nothing is thrown and no reference is kept.
#include <gtest/gtest.h>

#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"
#include "host/ado/recordset.h"
#include "lookup/clscg_lookup.h"

namespace lema {
namespace {

// A connection answered by member name whose every result is itself: two years' rows, fields
// by name; `fail` names the member that raises.
struct ScriptedDb final : Object {
  const ClassInfo& class_info() const override {
    static const ClassInfo info("ScriptedDb", {});
    return info;
  }
  Value invoke(std::string_view m, InvokeKind, std::span<Value> a) override {
    if (m == fail) raise(ErrorCode::DataAccess, "scripted failure");
    if (m == "MoveFirst") row = 0;
    if (m == "RecordCount") return 2;
    if (m == "EOF") return row >= 2;
    if (m == "MoveNext") ++row;
    if (m == "Item") column = to_text(a[0]);
    if (m != "Value") return ObjectRef(this);
    if (column == "CG19_ANNO") return int16_t(2023 + row);
    if (column == "CG19_PROGESER") return int16_t{1};
    if (column == "CG19_DATAAPE" || column == "CG19_DATACHIU") return Value::null();
    return "No";
  }
  std::string fail, column;
  int row = 0;
};

TEST(DatabaseFaults, FiscalYearsOverAConnectionFailingAtEachOperation) {
  const std::tuple<const char*, int, const char*> cases[] = {
      // failing member, rows, first ESER
      {"", 2, "2023/1"},          {"Execute", -1, ""},    {"RecordCount", -1, ""},
      {"MoveFirst", 2, "2023/1"}, {"EOF", 0, ""},         {"Fields", 2, "0000/0"},
      {"Item", 2, "0000/0"},      {"Value", 2, "0000/0"}, {"MoveNext", 1, "2023/1"},
      {"Close", 2, "2023/1"}};
  for (const auto& [op, rows, eser] : cases) {
    SCOPED_TRACE(op);
    auto lk = make_object<CLSCG_LOOKUP>();
    lk->Valute();
    auto db = make_object<ScriptedDb>();
    db->fail = op;
    call_method(*lk, "EserciziContabili", {ObjectRef(db), 12});
    EXPECT_EQ(lk->Caption(), "Elenco esercizi contabili");
    EXPECT_EQ(lk->StringaSQL(),
              "SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) ");
    auto* list = dynamic_cast<ado::Recordset*>(lk->LookupRecordset.get());
    EXPECT_EQ(list ? list->RecordCount() : -1, rows);
    EXPECT_EQ(lk->IDLookup, rows < 0 ? "Lkp_Valute" : "Lkp_EserciziContabili");
    if (rows > 0) {
      list->MoveFirst();
      EXPECT_EQ(list->value("ESER"), eser);
    }
    EXPECT_EQ(db->ref_count(), 1u);
  }
}

}  // namespace
}  // namespace lema
