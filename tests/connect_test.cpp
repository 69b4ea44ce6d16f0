// The program connector. Equivalent mutant: && for || in ValorePresente's Empty-or-Null test.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "automation/class_info.h"
#include "automation/events.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "connect/clscg_connect.h"
#include "support/golden.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

using Lines = std::vector<std::string>;

class Connector : public ::testing::Test {
 protected:
  Ref<CLSCG_CONNECT> make() {
    Ref<CLSCG_CONNECT> o(dynamic_cast<CLSCG_CONNECT*>(create_object(CLSCG_CONNECT::kProgId).get()));
    set_property(*o, "ActiveInterface", Value(host_));
    set_property(*o, "ConnectField", Value(field_));
    o->Stato = 5;
    o->Errore = "before";
    return o;
  }
  ObjectRef make_host(bool option) {
    host::RecordingHostConfig cfg;
    cfg.host_option = option;
    return make_object<host::RecordingHost>(std::move(cfg), log_);
  }
  Lines take() { return std::exchange(log_->lines, {}); }
  host::StandInConfig& sibling() { return board_->config(host::kSiblingConnect); }

  std::shared_ptr<host::TextLog> log_ = std::make_shared<host::TextLog>();
  std::shared_ptr<host::StandInBoard> board_ = std::make_shared<host::StandInBoard>(log_);
  std::vector<std::unique_ptr<ScopedClass>> scoped_ = board_->install();
  ObjectRef host_ = make_host(false);
  ObjectRef field_ = host::make_control("txtCodice");
  Ref<CLSCG_CONNECT> cn = make();
};

TEST_F(Connector, EachMethodPassesItsValuesInOrder) {
  sibling().byref["CallElenchiMov3000"] = Value(int16_t{7});
  sibling().returns = {{"Stato", Value(3)}, {"Errore", Value("nota non trovata")}};
  std::ifstream in(std::string(LEMA_GOLDEN_DIR) + "/connector.txt");
  int cases = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with('#')) continue;
    SCOPED_TRACE(line.substr(0, 80));
    const size_t colon = line.find(" : ");
    const std::vector<std::string> t = golden::tokens(line.substr(0, colon));
    const std::string& method = t[0];
    const Lines want = golden::tokens(line.substr(colon + 3), '|');
    auto fresh = make();
    std::vector<Value> args;
    for (size_t i = 1; i < t.size() && t[i] != "*"; ++i) {
      const size_t eq = t[i].find('=');
      if (eq == std::string::npos)
        args.push_back(golden::value_of(t[i], {}));
      else
        let_property(*fresh, t[i].substr(0, eq), golden::value_of(t[i].substr(eq + 1), {}));
    }
    for (size_t i = 0; t.back() == "*" && i < want.size(); ++i) {
      const size_t eq = want[i].find(" = ");
      const std::string name = want[i].substr(4, eq - 4), text = want[i].substr(eq + 3);
      if (want[i].starts_with("set ") && text == "#Control")
        set_property(*fresh, name, Value(field_));
      else if (want[i].starts_with("let ") && text != "Empty")
        let_property(*fresh, name, Value(text));
    }
    take();
    EXPECT_EQ(call_method(*fresh, method, args), Value(true));
    Lines got = take();  // less the sibling's links (no ConnectField for totals)
    const size_t linked = method.find("Progressivi") == std::string::npos ? 4 : 3;
    ASSERT_GT(got.size(), linked);
    got.erase(got.begin(), got.begin() + static_cast<long>(linked));
    for (std::string& g : got)
      if (g.starts_with("PIRO_CONNECT.CLSCG_CONNECT#")) g.erase(0, g.find(' ') + 1);
    EXPECT_EQ(got, want);
    EXPECT_TRUE(method != "CallAziendeIntercompany" ||
                get_property(*fresh->sibling(), "TipoVisualizzazioneIntercompany").kind() ==
                    Kind::Decimal);
    EXPECT_TRUE(method != "CallElenchiMov3000" || args[0] == Value(int16_t{7}));
    EXPECT_TRUE(method != "CallAssociazioneNoteVariazione3000" ||
                (fresh->Stato == 3 && fresh->Errore == "nota non trovata"));
    ++cases;
  }
  EXPECT_EQ(cases, 17);
}

TEST_F(Connector, EveryCallMethodAnswersFalseWhereverTheSiblingFails) {
  int cases = 0;
  for (const Member& m : CLSCG_CONNECT::static_class_info().members()) {
    if (!m.name.starts_with("Call") || m.name == "CallRiferimentiGraficiDocumento") continue;
    sibling() = {};
    take();
    call_method(*make(), m.name);
    Lines ops{""};  // "": no sibling; then its members in order of first use
    for (const std::string& l : log_->lines) {
      std::string who, verb, name;
      std::istringstream(l) >> who >> verb >> name;
      if (who.starts_with("PIRO_CONNECT") && !name.empty() &&
          std::find(ops.begin(), ops.end(), name) == ops.end())
        ops.push_back(name);
    }
    for (const std::string& op : ops) {
      SCOPED_TRACE(std::string(m.name) + " / " + op);
      host::StandInConfig& cfg = sibling() = {};
      cfg.absent = op.empty();
      cfg.fail.insert(op);
      take();
      {
        auto c = make();
        EXPECT_EQ(call_method(*c, m.name), Value(false));
        // Only releases after the failure.
        auto it = std::find_if(log_->lines.begin(), log_->lines.end(), [&](const std::string& l) {
          return !op.empty() && l.find(" " + op) != std::string::npos;
        });
        for (it += it != log_->lines.end(); it != log_->lines.end(); ++it)
          EXPECT_TRUE(it->ends_with(" release")) << *it;
        // Outputs stay until the sibling answered.
        EXPECT_TRUE((c->Stato == 5 && c->Errore == "before") ||
                    (!op.empty() && std::find(ops.begin(), ops.end(), op) >
                                        std::find(ops.begin(), ops.end(), "Stato")));
      }
      int live = 0;
      for (const std::string& l : log_->lines)
        live += l.ends_with("create") - l.ends_with("release");
      EXPECT_EQ(live, 0);
      ++cases;
    }
  }
  EXPECT_GT(cases, 80);
}

TEST_F(Connector, TheSiblingIsReusedAndKeptOnFailureUntilTheLinkEnds) {
  EXPECT_TRUE(cn->CallAggiornamentoProgressiviIVACliFor());
  EXPECT_EQ(board_->sibling_of(*cn), cn->sibling());  // its Plookup reaches this connector...
  EXPECT_EQ(cn->ref_count(), 1u);                     // ...without keeping it alive
  take();
  EXPECT_TRUE(cn->CallStampaProgressiviIVACliFor());
  EXPECT_EQ(take(),
            Lines{"PIRO_CONNECT.CLSCG_CONNECT#1 call CallStampaProgressiviIVACliFor = True ()"});
  EXPECT_EQ(call_method(*cn, "TerminateConnect"), Value());
  EXPECT_FALSE(cn->sibling() || cn->ActiveInterface || cn->ConnectField);
  cn->ActiveInterface = host_;  // no sibling
  EXPECT_TRUE(cn->TerminateConnect().is_empty());
  EXPECT_FALSE(cn->ActiveInterface);
  EXPECT_TRUE(cn->CallAggiornamentoProgressiviIVACliFor());
  ObjectRef kept = cn->sibling();
  take();
  cn.reset();
  EXPECT_EQ(take(), (Lines{"PIRO_CONNECT.CLSCG_CONNECT#2 set ActiveInterface = Nothing"}));
  kept.reset();
  EXPECT_EQ(take(), (Lines{"PIRO_CONNECT.CLSCG_CONNECT#2 release"}));
  cn = make();
  set_property(*cn, "CodModalitaErogazione", Value(field_));  // no text to test
  EXPECT_FALSE(cn->CallModalitaErogazione());
  EXPECT_TRUE(cn->sibling());
  sibling().returns = {{"CallElenchiMov3000", Value(false)}, {"Stato", Value("x")}};
  std::vector<Value> args{Value(int16_t{1})};
  EXPECT_EQ(call_method(*cn, "CallElenchiMov3000", args), Value(false));  // the sibling's answer
  EXPECT_FALSE(cn->sibling());
  sibling().fail.insert("Plookup");  // a failed clearing keeps it
  EXPECT_FALSE(cn->CallElenchiMov3000());
  EXPECT_TRUE(cn->sibling());
  sibling().fail.clear();
  EXPECT_FALSE(cn->CallAssociazioneNoteVariazione3000());  // Stato no number
  EXPECT_EQ(cn->Stato, 5);
  EXPECT_TRUE(cn->sibling());
}

// Raises when `program` is Empty.
class Handler final : public EventSink {
 public:
  void on_event(const Object&, std::string_view, std::span<Value> args) override {
    if (program.is_empty()) raise(ErrorCode::Host, "handler failed");
    args[0] = cancel;
    args[2] = program;
  }
  Value cancel, program;
};

TEST_F(Connector, TransferDataBringsBackTheHandlersAnswers) {
  auto handler = std::make_shared<Handler>();
  cn->advise(handler);
  handler->cancel = Value("maybe");  // no Boolean: Cancel stays, the program counts
  handler->program = Value(12);
  bool cancel = false;
  auto program = kwEnumCalledProgram::kwServizio;
  cn->TransferData(cancel, Value("X"), program);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(program, kwEnumCalledProgram::kwModalitaErogazione);
  handler->program = Value();  // a failing handler, reached through the sibling
  EXPECT_TRUE(cn->CallServizio());
  Value c(false), p(3);
  EXPECT_NO_THROW(host::pick(*cn->sibling(), c, Value("S01"), p));
}

// Plays the connection, its result, the result's Fields and each field.
class FakeDb final : public Object {
 public:
  const ClassInfo& class_info() const override {
    static const ClassInfo info("FakeDb", {});
    return info;
  }
  Value invoke(std::string_view m, InvokeKind, std::span<Value> a) override {
    if (m == "Execute") {
      EXPECT_TRUE(a[1].is_missing());  // records affected
      EXPECT_EQ(a[2], Value(1));       // a text command
      executed += to_text(a[0]);
    }
    if (m == "EOF") return Value(row.empty());
    if (m == "Item") column = to_text(a[0]);
    if (m == "Value") return row.at(column);  // a column the result lacks throws
    return Value(ObjectRef(this));
  }
  std::map<std::string, Value> row;
  std::string executed, column;
};

class DocumentReferences : public Connector {
 protected:
  DocumentReferences() {
    cn->Connessione = db;
    cn->CodiceAzienda = -4;
    cn->NumeroRegistrazione = "A'B";
  }
  void document(Value op, Value gest, Value orig) {
    db->row = {{"INDTIPOOP", op}, {"INDGESTEC", gest}, {"NUMREG_ORIG", orig}};
  }
  Ref<FakeDb> db = make_object<FakeDb>();
};

// The query for a document's graphic references (company -4, registration A'B), on one line
// as the connector writes it.
std::string document_query() {
  std::string sql = R"( SELECT CO99.CO99_INDTIPOOP AS INDTIPOOP,
        ISNULL(CG33.CG33_INDGESTEC, CG33C.CG33_INDGESTEC) AS INDGESTEC,
        ( SELECT TOP 1 EF06_NUMREG_CO99
          FROM EF06_SCADSTO WITH (NOLOCK)
              LEFT OUTER JOIN CO99_MASTERDOC CO99_STORICO WITH (NOLOCK)
                  ON CO99_STORICO.CO99_DITTA_CG18 = CO99.CO99_DITTA_CG18
                  AND CO99_STORICO.CO99_NUMREG = EF06_NUMREG_CO99
          WHERE EF06_DITTA_CG18 = CO99.CO99_DITTA_CG18
          AND EF06_NUMREGMOV_CO99 = CO99.CO99_NUMREG
          AND CO99_STORICO.CO99_INDTIPOOP = 1
          ORDER BY EF06_NUMREG_CO99
        ) AS NUMREG_ORIG
 FROM CO99_MASTERDOC CO99 WITH (NOLOCK)
     LEFT OUTER JOIN CG41_PRIMANOTA CG41 WITH (NOLOCK)
         ON CG41.CG41_DITTA_CG18 = CO99.CO99_DITTA_CG18
         AND CG41.CG41_NUMREG = CO99.CO99_NUMREG
     LEFT OUTER JOIN CG41C_PRIMANOTA CG41C WITH (NOLOCK)
         ON CG41C.CG41_DITTA_CG18 = CO99.CO99_DITTA_CG18
         AND CG41C.CG41_NUMREG = CO99.CO99_NUMREG
     LEFT OUTER JOIN CG33_TABCAU CG33 WITH (NOLOCK)
         ON CG33.CG33_CODICE = CG41.CG41_CODICE_CG33
     LEFT OUTER JOIN CG33_TABCAU CG33C WITH (NOLOCK)
         ON CG33C.CG33_CODICE = CG41C.CG41_CODICE_CG33
 WHERE CO99.CO99_DITTA_CG18 = -4 AND CO99.CO99_NUMREG = 'A'B')";
  std::erase(sql, '\n');
  return sql;
}

// The document's own number (operation kind 1), the original one (ledger reason kind 2 or 3;
// blanks count), or nothing.
TEST_F(DocumentReferences, OpenTheGraphicsOnTheChosenRegistrationOrNothing) {
  const Value i0(0), i1(1), i3(3), n45(45), no = Value::null();
  const std::tuple<Value, Value, Value, const char*> cases[] = {
      {i1, i3, Value("2023/000045"), "A'B"},
      {Value(int16_t{0}), Value(2), n45, "45"},
      {i0, i3, n45, "45"},
      {Value(), Value("2"), Value(" "), " "},
      {i0, i3, Value(""), nullptr},
      {no, no, no, nullptr},
      {i3, i1, Value("R"), nullptr},
      {i0, Value(4.0), i1, nullptr}};
  EXPECT_TRUE(cn->CallRiferimentiGraficiDocumento());
  EXPECT_EQ(db->executed, document_query());
  EXPECT_TRUE(take().empty());
  int opened = 0;
  for (const auto& [op, gest, orig, number] : cases) {
    const bool option = opened == 0;
    cn->ActiveInterface = make_host(option);
    document(op, gest, orig);
    take();
    EXPECT_TRUE(cn->CallRiferimentiGraficiDocumento());
    if (!number) {
      EXPECT_EQ(take(), Lines{});
      continue;
    }
    const std::string g = "DocumentGraphics#" + std::to_string(++opened) + " ";
    EXPECT_EQ(
        take(),
        (Lines{g + "create", g + "call SetHostInterface = Empty (#TUSK_LibSrv.HostFramework)",
               g + "call Prepare = Empty (0)",
               std::string("host call IsHostOptionSet = ") + (option ? "True ()" : "False ()"),
               g + "call ShowReferences = Empty (" + (option ? "1" : "0") + ", , " + number +
                   ", 0, 0, 0)",
               g + "call SetHostInterface = Empty (Nothing)", g + "release"}));
  }
}

TEST_F(DocumentReferences, AnyFailureGivesFalse) {
  cn->Connessione = field_;  // no connection
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  cn->Connessione = db;
  document(Value(1), Value(), Value());
  db->row.erase("INDGESTEC");
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  document(Value("uno"), Value(), Value());  // a kind that is no number
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  EXPECT_TRUE(take().empty());
  document(Value(1), Value(), Value());
  host::StandInConfig& graphics = board_->config(host::kDocumentGraphics);
  for (const char* op : {"SetHostInterface", "Prepare", "ShowReferences"}) {
    graphics.fail = {op};
    EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento()) << op;
    EXPECT_TRUE(take().back().ends_with(" release")) << op;
  }
  graphics.fail.clear();
  cn->ActiveInterface.reset();  // not tested for
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
}

}  // namespace
}  // namespace lema
