// A database failing at each operation in turn under the fiscal-year list: it keeps what it
// read, nothing is thrown and no reference is kept.
#include <gtest/gtest.h>

#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"
#include "host/ado/recordset.h"
#include "lookup/clscg_lookup.h"

namespace lema {
namespace {

// A connection answered by member name whose result is itself: one row per entry of
// `years`, fields by name; `fail` names the member that raises.
class ScriptedDb final : public Object {
 public:
  const ClassInfo& class_info() const override {
    static const ClassInfo info("ScriptedDb", {});
    return info;
  }
  Value invoke(std::string_view m, InvokeKind, std::span<Value> a) override {
    if (m == fail) raise(ErrorCode::DataAccess, "scripted failure: " + std::string(m));
    if (m == "MoveFirst") row = 0;
    if (m == "RecordCount") return Value(static_cast<int32_t>(years.size()));
    if (m == "EOF") return Value(row >= years.size());
    if (m == "MoveNext") ++row;
    if (m == "Item") column = to_text(a[0]);
    if (m != "Value") return Value(ObjectRef(this));
    if (column == "CG19_ANNO") return Value(years[row]);
    if (column == "CG19_PROGESER") return Value(int16_t{1});
    if (column == "CG19_DATAAPE" || column == "CG19_DATACHIU") return Value::null();
    return Value("No");
  }
  std::vector<int16_t> years{2023, 2024};
  std::string fail, column;
  size_t row = 0;
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
    call_method(*lk, "EserciziContabili", {Value(ObjectRef(db)), Value(int32_t{12})});
    EXPECT_EQ(lk->Caption(), Value("Elenco esercizi contabili"));
    EXPECT_EQ(lk->StringaSQL(),
              Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));
    auto* list = dynamic_cast<ado::Recordset*>(lk->LookupRecordset.get());
    EXPECT_EQ(list ? list->RecordCount() : -1, rows);
    EXPECT_EQ(lk->IDLookup, Value(rows < 0 ? "Lkp_Valute" : "Lkp_EserciziContabili"));
    if (rows > 0) {
      list->MoveFirst();
      EXPECT_EQ(list->value("ESER"), Value(eser));
    }
    EXPECT_EQ(db->ref_count(), 1u);
  }
}

}  // namespace
}  // namespace lema
