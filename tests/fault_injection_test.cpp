// The sibling connector, an event handler and a database failing at each operation in turn:
// the Call methods answer False and stop at the failure, the fiscal-year list keeps what it
// read, nothing is thrown and no reference is kept. (The host failing is part of every
// golden path; the sibling lookup's faults are in frame_test.cpp.)
#include <gtest/gtest.h>

#include "automation/class_info.h"
#include "automation/events.h"
#include "common/error.h"
#include "common/text.h"
#include "connect/clscg_connect.h"
#include "host/ado/recordset.h"
#include "lookup/clscg_lookup.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

class ConnectorFaults : public ::testing::Test {
 protected:
  Ref<CLSCG_CONNECT> make() {
    auto cn = make_object<CLSCG_CONNECT>();
    cn->ActiveInterface =
        ObjectRef(make_object<host::RecordingHost>(host::RecordingHostConfig{}, nullptr));
    cn->ConnectField = host::make_control("txt");
    cn->Stato = 5;
    cn->Errore = "before";
    return cn;
  }
  // Creations and releases of stand-ins in the log balance.
  bool all_released() const {
    int live = 0;
    for (const std::string& l : log->lines)
      live += l.ends_with(" create") - l.ends_with(" release");
    return live == 0;
  }
  // The members the connector uses on its sibling, in the order of first use.
  std::vector<std::string> sibling_ops() const {
    std::vector<std::string> ops;
    for (const std::string& l : log->lines) {
      const size_t a = l.find(' '), b = l.find(' ', a + 1);
      if (!l.starts_with("PIRO_CONNECT") || b == std::string::npos) continue;
      const std::string name = l.substr(b + 1, l.find(' ', b + 1) - b - 1);
      if (std::find(ops.begin(), ops.end(), name) == ops.end()) ops.push_back(name);
    }
    return ops;
  }
  host::StandInConfig& fresh_config() {
    host::StandInConfig& cfg = board->config(host::kSiblingConnect);
    cfg = {};
    cfg.byref["CallElenchiMov3000"] = Value(int16_t{9});
    log->lines.clear();
    return cfg;
  }
  std::shared_ptr<host::TextLog> log = std::make_shared<host::TextLog>();
  std::shared_ptr<host::StandInBoard> board = std::make_shared<host::StandInBoard>(log);
  std::vector<std::unique_ptr<ScopedClass>> installed = board->install();
};

TEST_F(ConnectorFaults, EveryCallMethodAnswersFalseWhereverTheSiblingFails) {
  int cases = 0;
  for (const Member& m : CLSCG_CONNECT::static_class_info().members()) {
    if (!m.name.starts_with("Call") || m.name == "CallRiferimentiGraficiDocumento") continue;
    fresh_config();
    EXPECT_EQ(call_method(*make(), m.name), Value(true)) << m.name;
    std::vector<std::string> ops = sibling_ops();
    ASSERT_FALSE(ops.empty()) << m.name;
    auto position = [&](std::string_view op) {
      return std::find(ops.begin(), ops.end(), op) - ops.begin();
    };
    ops.insert(ops.begin(), "");  // the sibling cannot be created
    for (const std::string& op : ops) {
      host::StandInConfig& cfg = fresh_config();
      if (op.empty())
        cfg.absent = true;
      else
        cfg.fail.insert(op);
      {
        auto cn = make();
        std::vector<Value> args;
        if (m.name == "CallElenchiMov3000") args.emplace_back(int16_t{3});
        EXPECT_EQ(call_method(*cn, m.name, args), Value(false)) << m.name << " / " << op;
        // The first failure ends the method: nothing more is asked of the sibling.
        auto failed = std::find_if(log->lines.begin(), log->lines.end(), [&](const std::string& l) {
          return !op.empty() && l.find(" " + op) != std::string::npos;
        });
        for (auto it = failed == log->lines.end() ? failed : failed + 1; it != log->lines.end();
             ++it)
          EXPECT_TRUE(it->ends_with(" release")) << m.name << " / " << op << ": " << *it;
        // Outputs written only after the sibling answered keep their values before that.
        if (m.name != "CallAssociazioneNoteVariazione3000" || op.empty() ||
            position(op) < position("Stato")) {
          EXPECT_EQ(cn->Stato, 5) << m.name << " / " << op;
          EXPECT_EQ(cn->Errore, "before") << m.name << " / " << op;
        }
        if (!args.empty()) {
          const bool called = !op.empty() && position(op) > position("CallElenchiMov3000");
          EXPECT_EQ(args[0], Value(static_cast<int16_t>(called ? 9 : 3))) << op;
        }
      }
      EXPECT_TRUE(all_released()) << m.name << " / " << op;
      ++cases;
    }
  }
  EXPECT_GT(cases, 80);
}

// Raises from inside the screen's handler.
class ThrowingSink final : public EventSink {
 public:
  void on_event(const Object&, std::string_view, std::span<Value> args) override {
    args[0] = Value(true);
    raise(ErrorCode::Host, "handler failed");
  }
};

TEST_F(ConnectorFaults, AHandlerThatFailsDoesNotReachTheSibling) {
  auto cn = make();
  cn->advise(std::make_shared<ThrowingSink>());
  EXPECT_TRUE(cn->CallServizio());
  Value cancel(false), called(int32_t{3});
  EXPECT_NO_THROW(host::pick(*cn->sibling(), cancel, Value("S01"), called));
  EXPECT_NO_THROW(call_method(*cn, "TerminateConnect"));
  cn.reset();
  EXPECT_TRUE(all_released());
}

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
  struct Case {
    const char* op;
    int rows;          // rows of the list; -1: no list
    const char* eser;  // ESER of the first row
  };
  const Case cases[] = {
      {"", 2, "2023/1"},          {"Execute", -1, ""},    {"RecordCount", -1, ""},
      {"MoveFirst", 2, "2023/1"}, {"EOF", 0, ""},         {"Fields", 2, "0000/0"},
      {"Item", 2, "0000/0"},      {"Value", 2, "0000/0"}, {"MoveNext", 1, "2023/1"},
      {"Close", 2, "2023/1"},
  };
  for (const Case& k : cases) {
    auto lk = make_object<CLSCG_LOOKUP>();
    lk->Valute();
    auto db = make_object<ScriptedDb>();
    db->fail = k.op;
    ObjectRef connection(db);
    call_method(*lk, "EserciziContabili", {Value(connection), Value(int32_t{12})});
    EXPECT_EQ(lk->Caption(), Value("Elenco esercizi contabili")) << k.op;
    EXPECT_EQ(lk->StringaSQL(),
              Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));
    auto* list = dynamic_cast<ado::Recordset*>(lk->LookupRecordset.get());
    EXPECT_EQ(list ? list->RecordCount() : -1, k.rows) << k.op;
    EXPECT_EQ(lk->IDLookup, Value(k.rows < 0 ? "Lkp_Valute" : "Lkp_EserciziContabili")) << k.op;
    if (k.rows > 0) {
      list->MoveFirst();
      EXPECT_EQ(list->value("ESER"), Value(k.eser)) << k.op;
    }
    connection.reset();
    EXPECT_EQ(db->ref_count(), 1u) << k.op;  // nothing kept on the connection or its result
  }
}

}  // namespace
}  // namespace lema
