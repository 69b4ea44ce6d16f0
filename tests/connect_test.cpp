// The program connector: the sibling connector it creates, links and drives by name, the
// values each Call method hands on (in order), the event relayed to the screen, and the
// graphic references of a document read over a connection. (Empty and Null tested with &&
// instead of || in ValorePresente is an equivalent mutant: neither has any text.)
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "automation/class_info.h"
#include "automation/events.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "connect/clscg_connect.h"
#include "support/document_query.h"
#include "support/errors.h"
#include "support/golden.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

using Lines = std::vector<std::string>;
const std::string S1 = "PIRO_CONNECT.CLSCG_CONNECT#1 ", S2 = "PIRO_CONNECT.CLSCG_CONNECT#2 ";

// Records each TransferData event, then answers as configured.
class Handler final : public EventSink {
 public:
  void on_event(const Object&, std::string_view event, std::span<Value> args) override {
    std::string line(event);
    for (const Value& a : args) line += " " + to_text(a);
    seen.push_back(line);
    if (cancel) args[0] = *cancel;
    if (program) args[2] = *program;
  }
  Lines seen;
  std::optional<Value> cancel, program;
};

class Connector : public ::testing::Test {
 protected:
  Connector() {
    cn->ActiveInterface = host_;
    cn->ConnectField = field_;
  }
  static Ref<CLSCG_CONNECT> by_name() {
    return Ref<CLSCG_CONNECT>(
        dynamic_cast<CLSCG_CONNECT*>(create_object(CLSCG_CONNECT::kProgId).get()));
  }
  ObjectRef make_host(bool option, std::set<std::string, host::CaseInsensitiveLess> fail = {}) {
    host::RecordingHostConfig cfg;
    cfg.host_option = option;
    cfg.fail = std::move(fail);
    return make_object<host::RecordingHost>(std::move(cfg), log_);
  }
  Lines take() { return std::exchange(log_->lines, {}); }
  host::StandInConfig& sibling_config() { return board_->config(host::kSiblingConnect); }
  // Creation and link of a sibling, then `rest`, each line prefixed by `who`.
  static Lines linked(const std::string& who, const Lines& rest, bool field = true) {
    Lines l{"create", "set Plookup = #LEMA_LOOKUPDECODE.CLSCG_CONNECT",
            "set ActiveInterface = #TUSK_LibSrv.HostFramework"};
    if (field) l.push_back("set ConnectField = #Control");
    l.insert(l.end(), rest.begin(), rest.end());
    for (std::string& s : l) s = who + s;
    return l;
  }

  std::shared_ptr<host::TextLog> log_ = std::make_shared<host::TextLog>();
  std::shared_ptr<host::StandInBoard> board_ = std::make_shared<host::StandInBoard>(log_);
  std::vector<std::unique_ptr<ScopedClass>> scoped_ = board_->install();
  ObjectRef host_ = make_host(false);
  ObjectRef field_ = host::make_control("txtCodice");
  Ref<CLSCG_CONNECT> cn = by_name();
};

TEST_F(Connector, TheFirstCallCreatesAndLinksTheSiblingLaterCallsReuseIt) {
  Value code("C01");
  EXPECT_TRUE(cn->CallCausaliContabili(&code));
  EXPECT_EQ(take(), linked(S1, {"let CodiceCausaliContabili = C01", "call CallCauCont = True ()"}));
  EXPECT_EQ(board_->sibling_of(*cn), cn->sibling());  // its Plookup reaches this connector...
  EXPECT_EQ(cn->ref_count(), 1u);                     // ...without keeping it alive
  cn->CategorieStp_Categoria = "CAT1";
  EXPECT_EQ(call_method(*cn, "CallCategorieStampa"), Value(true));
  EXPECT_EQ(take(),
            (Lines{S1 + "set ConnectField = #Control", S1 + "let CategorieStp_Categoria = CAT1",
                   S1 + "call CallCategorieStampa = True ()"}));
}

// The cases of golden/connector.txt, each on a new connector created by name.
TEST_F(Connector, EachMethodPassesItsValuesInOrder) {
  sibling_config().byref["CallElenchiMov3000"] = Value(int16_t{7});
  sibling_config().returns = {{"Stato", Value(int32_t{3})}, {"Errore", Value("nota non trovata")}};
  std::ifstream in(std::string(LEMA_GOLDEN_DIR) + "/connector.txt");
  const std::vector<ObjectRef> objects{host::make_control("db"), host::make_control("rs")};
  int cases = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with('#')) continue;
    SCOPED_TRACE(line.substr(0, 80));
    const size_t colon = line.find(" : ");
    std::vector<std::string> t = golden::tokens(line.substr(0, colon));
    const std::string method = t[0].substr(0, t[0].find('('));
    Ref<CLSCG_CONNECT> fresh = by_name();
    set_property(*fresh, "ActiveInterface", Value(host_));
    set_property(*fresh, "ConnectField", Value(field_));
    std::vector<Value> args;
    for (const std::string& a :
         golden::tokens(t[0].substr(method.size() + 1, t[0].size() - method.size() - 2), ','))
      args.push_back(golden::value_of(a.substr(a.find_first_not_of(' ')), objects));
    for (size_t i = 1; i + 2 < t.size(); ++i) {
      const size_t eq = t[i].find('=');
      Value v = golden::value_of(t[i].substr(eq + 1), objects);
      v.is_object() ? set_property(*fresh, t[i].substr(0, eq), v)
                    : let_property(*fresh, t[i].substr(0, eq), v);
    }
    take();
    EXPECT_EQ(call_method(*fresh, method, args), golden::value_of(t.back(), objects));
    Lines want;
    for (size_t at = colon + 3, bar; at != std::string::npos;
         at = bar == std::string::npos ? bar : bar + 3) {
      bar = line.find(" | ", at);
      want.push_back(line.substr(at, bar - at));
    }
    Lines l = take();
    const std::string who = l.at(0).substr(0, l[0].find(' ') + 1);
    EXPECT_EQ(l, linked(who, want, method.find("Progressivi") == std::string::npos));
    if (method == "CallAziendeIntercompany") {
      EXPECT_EQ(get_property(*fresh->sibling(), "TipoVisualizzazioneIntercompany").kind(),
                Kind::Decimal);
    }
    EXPECT_TRUE(method != "CallElenchiMov3000" || args[0] == Value(int16_t{7}));
    EXPECT_TRUE(method != "CallAssociazioneNoteVariazione3000" ||
                (fresh->Stato == 3 && fresh->Errore == "nota non trovata"));
    ++cases;
  }
  EXPECT_EQ(cases, 20);
}

TEST_F(Connector, TheFirstFailureStopsTheMethodWithFalse) {
  sibling_config().fail.insert("CallServizio");
  cn->CodServizio = Value("SRV");
  EXPECT_FALSE(cn->CallServizio());
  EXPECT_EQ(take(), linked(S1, {"let CodServizio = SRV", "call CallServizio ()"}));
  sibling_config().fail.insert("ConnectField");
  EXPECT_EQ(call_method(*cn, "CallModalitaIncasso"), Value(false));
  EXPECT_EQ(take(), (Lines{S1 + "set ConnectField = #Control"}));
  EXPECT_TRUE(cn->CallStampaProgressiviIVACliFor());  // takes no ConnectField
  sibling_config().fail.clear();
  set_property(*cn, "CodModalitaErogazione", Value(field_));  // an object has no text to test
  EXPECT_FALSE(cn->CallModalitaErogazione());
  EXPECT_TRUE(cn->sibling());
  sibling_config().absent = true;
  Ref<CLSCG_CONNECT> other = by_name();
  EXPECT_FALSE(other->CallCausaliContabili());
  EXPECT_FALSE(other->CallElenchiMov3000());
  EXPECT_FALSE(other->sibling());
}

TEST_F(Connector, TheTwoMethodsThatEndTheLinkReleaseTheSiblingWhateverItAnswers) {
  ObjectRef db = host::make_control("db");
  cn->Connessione = db;
  sibling_config().returns = {{"CallElenchiMov3000", Value(false)}, {"Stato", Value("x")}};
  std::vector<Value> args{Value(int16_t{1})};
  EXPECT_EQ(call_method(*cn, "CallElenchiMov3000", args), Value(false));  // the sibling's answer
  EXPECT_FALSE(cn->sibling());
  EXPECT_EQ(db->ref_count(), 2u);  // the released sibling keeps nothing
  EXPECT_EQ(take().back(), S1 + "release");
  EXPECT_TRUE(cn->CallCategorieStampa());  // a new sibling, whose clearing fails: kept
  sibling_config().fail.insert("Plookup");
  take();
  EXPECT_FALSE(cn->CallElenchiMov3000());
  Lines l = take();
  EXPECT_EQ(l.at(l.size() - 8), S2 + "call CallElenchiMov3000 = False (0)");
  EXPECT_TRUE(cn->sibling());
  sibling_config().fail.clear();
  cn->Stato = 5;
  EXPECT_FALSE(cn->CallAssociazioneNoteVariazione3000());  // a state that is no number
  EXPECT_EQ(cn->Stato, 5);
  EXPECT_TRUE(cn->sibling());
}

TEST_F(Connector, TerminateConnectAndDestructionReleaseTheSibling) {
  EXPECT_TRUE(cn->CallCausaliContabili());
  take();
  EXPECT_EQ(call_method(*cn, "TerminateConnect"), Value());
  EXPECT_EQ(take(), (Lines{S1 + "set ActiveInterface = Nothing", S1 + "release"}));
  EXPECT_FALSE(cn->sibling() || cn->ActiveInterface || cn->ConnectField);
  EXPECT_EQ(host_->ref_count(), 1u);
  EXPECT_EQ(field_->ref_count(), 1u);
  cn->ActiveInterface = host_;  // without a sibling it only clears its own references
  EXPECT_TRUE(cn->TerminateConnect().is_empty());
  EXPECT_FALSE(cn->ActiveInterface);

  EXPECT_TRUE(cn->CallAggiornamentoProgressiviIVACliFor());
  ObjectRef sibling = cn->sibling();
  WeakRef<CLSCG_CONNECT> weak(cn.get());
  take();
  cn.reset();
  EXPECT_TRUE(weak.expired());
  EXPECT_EQ(take(), (Lines{S2 + "set ActiveInterface = Nothing"}));
  Value cancel(false), program(int32_t{0});  // the sibling no longer reaches it
  EXPECT_EQ(testing_support::error_of([&] { host::pick(*sibling, cancel, Value("X"), program); }),
            "91 Object variable not set: the object has ended");
  sibling.reset();
  EXPECT_EQ(take(), (Lines{S2 + "release"}));
}

TEST_F(Connector, TransferDataBringsBackTheHandlersAnswers) {
  bool cancel = false;
  kwEnumCalledProgram program = kwEnumCalledProgram::kwServizio;
  cn->TransferData(cancel, Value("X"), program);  // no handler: nothing changes
  EXPECT_FALSE(cancel);
  auto handler = std::make_shared<Handler>();
  cn->advise(handler);
  handler->cancel = Value(true);
  handler->program = Value(int32_t{5});
  cn->TransferData(cancel, Value("C01"), program);
  EXPECT_EQ(handler->seen, (Lines{"TransferData False C01 14"}));
  EXPECT_TRUE(cancel);
  EXPECT_EQ(program, kwEnumCalledProgram::kwAnagraficaBeniUsati);
  // Through the sibling, as an opened program does: its Cancel comes back True.
  EXPECT_TRUE(cn->CallCausaliContabili());
  Value c(false), p(int32_t{0});
  host::pick(*cn->sibling(), c, Value("C02"), p);
  EXPECT_EQ(c, Value(true));
  EXPECT_EQ(p, Value(int32_t{5}));
  EXPECT_EQ(handler->seen.back(), "TransferData False C02 0");
  // An answer that is no Boolean leaves Cancel as it was; the other answer still counts.
  handler->cancel = Value("maybe");
  handler->program = Value(int32_t{12});
  cancel = false;
  cn->TransferData(cancel, Value("X"), program);
  EXPECT_FALSE(cancel);
  EXPECT_EQ(program, kwEnumCalledProgram::kwModalitaErogazione);
}

// ---- graphic references of a document -----------------------------------------------------

// Plays the connection, its result, the result's Fields and each field, by member name.
class FakeDb final : public Object {
 public:
  const ClassInfo& class_info() const override {
    static const ClassInfo info("FakeDb", {});
    return info;
  }
  Value invoke(std::string_view m, InvokeKind, std::span<Value> a) override {
    if (m == "Execute" && a.size() == 3) {
      // Command text, records affected not asked, options 1 (a text command).
      EXPECT_TRUE(a[1].is_missing());
      EXPECT_EQ(a[2], Value(int32_t{1}));
      executed.push_back(to_text(a[0]));
      if (fail) raise(ErrorCode::DataAccess, "query failed");
    } else if (m == "EOF") {
      return Value(row.empty());
    } else if (m == "Item" && a.size() == 1 && row.count(to_text(a[0]))) {
      column = to_text(a[0]);
    } else if (m == "Value") {
      return row.at(column);
    } else if (m != "Fields") {
      raise(ErrorCode::NotSupported, std::string(m));
    }
    return Value(ObjectRef(this));
  }
  std::map<std::string, Value> row;
  bool fail = false;
  std::vector<std::string> executed;
  std::string column;
};

class DocumentReferences : public Connector {
 protected:
  DocumentReferences() {
    cn->Connessione = db;
    cn->CodiceAzienda = 12;
    cn->NumeroRegistrazione = "2024/000123";
  }
  void document(Value tipo_op, Value gest_ec, Value numreg_orig) {
    db->row = {{"INDTIPOOP", std::move(tipo_op)},
               {"INDGESTEC", std::move(gest_ec)},
               {"NUMREG_ORIG", std::move(numreg_orig)}};
  }
  static Lines shown(int n, bool option, const std::string& number) {
    const std::string g = "DocumentGraphics#" + std::to_string(n) + " ";
    return {
        g + "create",
        g + "call SetHostInterface = Empty (#TUSK_LibSrv.HostFramework)",
        g + "call Prepare = Empty (0)",
        std::string("host call IsHostOptionSet = ") + (option ? "True ()" : "False ()"),
        g + "call ShowReferences = Empty (" + (option ? "1" : "0") + ", , " + number + ", 0, 0, 0)",
        g + "call SetHostInterface = Empty (Nothing)",
        g + "release"};
  }
  Ref<FakeDb> db = make_object<FakeDb>();
};

TEST_F(DocumentReferences, RunTheDocumentQueryOnTheConnection) {
  EXPECT_TRUE(cn->CallRiferimentiGraficiDocumento());
  EXPECT_EQ(db->executed,
            (std::vector<std::string>{test_data::document_query("12", "2024/000123")}));
  EXPECT_TRUE(take().empty());  // no row: nothing opened, and no sibling either
  cn->CodiceAzienda = -4;
  cn->NumeroRegistrazione = "A'B";
  EXPECT_EQ(call_method(*cn, "CallRiferimentiGraficiDocumento"), Value(true));
  EXPECT_EQ(db->executed.back(), test_data::document_query("-4", "A'B"));
}

TEST_F(DocumentReferences, OpenTheGraphicsOnTheChosenRegistrationOrNothing) {
  cn->ActiveInterface = make_host(true);
  document(Value(int32_t{1}), Value(int32_t{3}), Value("2023/000045"));  // the document's own
  EXPECT_TRUE(cn->CallRiferimentiGraficiDocumento());
  EXPECT_EQ(take(), shown(1, true, "2024/000123"));
  cn->ActiveInterface = host_;
  for (int32_t g : {2, 3}) {  // the original registration
    document(Value(int16_t{0}), Value(g), Value(int32_t{45}));
    EXPECT_TRUE(cn->CallRiferimentiGraficiDocumento());
    EXPECT_EQ(take(), shown(g, false, "45"));
  }
  document(Value(), Value("2"), Value(" "));  // blanks count as present
  EXPECT_TRUE(cn->CallRiferimentiGraficiDocumento());
  EXPECT_EQ(take(), shown(4, false, " "));
  const Value i0(int32_t{0}), i1(int32_t{1}), i3(int32_t{3}), null = Value::null();
  for (const auto& [tipo, gest, orig] :
       std::vector<std::tuple<Value, Value, Value>>{{i0, i3, Value("")},
                                                    {null, null, null},
                                                    {i3, i1, Value("R")},
                                                    {i0, Value(4.0), Value("R")}}) {
    document(tipo, gest, orig);
    EXPECT_TRUE(cn->CallRiferimentiGraficiDocumento());
  }
  EXPECT_TRUE(take().empty());
}

TEST_F(DocumentReferences, AnyFailureGivesFalse) {
  document(Value(int32_t{1}), Value(), Value());
  db->fail = true;
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  db->fail = false;
  cn->Connessione.reset();
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  cn->Connessione = db;
  db->row = {{"INDTIPOOP", Value(int32_t{1})}};  // a column the result lacks
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  document(Value("uno"), Value(), Value());  // a kind that is no number
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  EXPECT_TRUE(take().empty());
  document(Value(int32_t{1}), Value(), Value());
  for (const char* op : {"SetHostInterface", "Prepare", "ShowReferences"}) {
    board_->config(host::kDocumentGraphics).fail = {op};
    EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento()) << op;
    EXPECT_TRUE(take().back().ends_with(" release")) << op;
  }
  board_->config(host::kDocumentGraphics).fail.clear();
  cn->ActiveInterface = make_host(false, {"IsHostOptionSet"});
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  cn->ActiveInterface.reset();  // the connector does not test for an interface object
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  board_->config(host::kDocumentGraphics).absent = true;
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
}

}  // namespace
}  // namespace lema
