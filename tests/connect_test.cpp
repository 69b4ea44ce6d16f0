// The program connector: the sibling connector it creates, links and drives by name, the
// values each Call method hands on (in order), the event relayed to the screen, and the
// graphic references of a document read over a connection.
#include <gtest/gtest.h>

#include <optional>

#include "automation/class_info.h"
#include "automation/events.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "connect/clscg_connect.h"
#include "host/stand_ins.h"
#include "support/document_query.h"
#include "support/errors.h"

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

TEST_F(Connector, EachMethodPassesItsValuesInOrder) {
  struct Case {
    const char* method;
    std::vector<std::pair<const char*, Value>> settings;
    std::vector<Value> args;
    Lines passed;  // after the link
  };
  const Value date(*Date::from_civil(2024, 3, 15)), i2024(int16_t{2024});
  const std::vector<Case> cases = {
      {"CallCausaliContabili",
       {},
       {},
       {"let CodiceCausaliContabili = ", "call CallCauCont = True ()"}},
      {"CallCausaliContabili",
       {},
       {Value::null()},
       {"let CodiceCausaliContabili = ", "call CallCauCont = True ()"}},
      {"CallAnagraficaBeniUsati",
       {},
       {Value("")},
       {"let CodiceBeneUsato = ", "call CallAnagraficaBeniUsati = True ()"}},
      {"CallAnagraficaBeniUsati",
       {},
       {Value(int32_t{0})},
       {"let CodiceBeneUsato = 0", "call CallAnagraficaBeniUsati = True ()"}},
      {"CallAggiornamentoProgressiviIVACliFor",
       {},
       {},
       {"call CallAggiornamentoProgressiviIVACliFor = True ()"}},
      {"CallStampaProgressiviIVACliFor", {}, {}, {"call CallStampaProgressiviIVACliFor = True ()"}},
      {"CallModalitaErogazione",
       {{"CodModalitaErogazione", Value("ME1")}},
       {},
       {"let CodModalitaErogazione = ME1", "call CallModalitaErogazione = True ()"}},
      {"CallModalitaIncasso",
       {{"CodModalitaIncasso", Value(int32_t{4})}},
       {},
       {"let CodModalitaIncasso = 4", "call CallModalitaIncasso = True ()"}},
      {"CallServizio",
       {{"CodServizio", Value("S")}, {"Anno_Nomenclatura", i2024}},
       {},
       {"let CodServizio = S", "let Anno_Nomenclatura = 2024", "call CallServizio = True ()"}},
      {"CallServizio",
       {{"CodServizio", Value::null()}, {"Anno_Nomenclatura", i2024}},
       {},
       {"let Anno_Nomenclatura = 2024", "call CallServizio = True ()"}},
      {"CallCausaliPagEff",
       {{"CodCausalePagEff", Value("PE")}},
       {},
       {"let CausaleEsterna = PE", "call CallCausaliPagEff = True ()"}},
      {"CallCausaliPagEff",
       {{"CodCausalePagEff", Value("")}},
       {},
       {"call CallCausaliPagEff = True ()"}},
      {"CallAnagraficaBlackList",
       {{"CodAnagBlackList", Value("")}, {"DataRiferimento", date}},
       {},
       {"let CodAnagBlackList = Null", "let DataRiferimento = 2024-03-15",
        "call CallAnagraficaBlackList = True ()"}},
      {"CallAnagraficaBlackList",
       {{"CodAnagBlackList", Value("B9")}},
       {},
       {"let CodAnagBlackList = B9", "let DataRiferimento = Empty",
        "call CallAnagraficaBlackList = True ()"}},
      {"CallAziendeIntercompany",
       {{"DataStrutturaIntercompany", date}},
       {},
       {"let DataStrutturaIntercompany = 2024-03-15", "let CodiceIntercompany = Empty",
        "let TipoVisualizzazioneIntercompany = 0", "call CallAziendeIntercompany = True ()"}},
      {"CallAziendeIntercompany",
       {{"CodiceIntercompany", Value("IC")}, {"TipoVisualizzazioneIntercompany", Value("2")}},
       {},
       {"let DataStrutturaIntercompany = Empty", "let CodiceIntercompany = IC",
        "let TipoVisualizzazioneIntercompany = 2", "call CallAziendeIntercompany = True ()"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.method);
    Ref<CLSCG_CONNECT> fresh = by_name();
    set_property(*fresh, "ActiveInterface", Value(host_));
    set_property(*fresh, "ConnectField", Value(field_));
    for (const auto& [name, v] : c.settings) let_property(*fresh, name, v);
    take();
    std::vector<Value> args = c.args;
    EXPECT_EQ(call_method(*fresh, c.method, args), Value(true));
    Lines l = take();
    const std::string who = l.at(0).substr(0, l[0].find(' ') + 1);
    EXPECT_EQ(
        l, linked(who, c.passed, std::string(c.method).find("Progressivi") == std::string::npos));
    if (std::string(c.method) == "CallAziendeIntercompany") {
      EXPECT_EQ(get_property(*fresh->sibling(), "TipoVisualizzazioneIntercompany").kind(),
                Kind::Decimal);
    }
  }
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
  take();
  EXPECT_FALSE(cn->CallModalitaErogazione());
  EXPECT_TRUE(cn->sibling());
  sibling_config().absent = true;
  Ref<CLSCG_CONNECT> other = by_name();
  EXPECT_FALSE(other->CallCausaliContabili());
  EXPECT_FALSE(other->CallElenchiMov3000());
  EXPECT_FALSE(other->sibling());
}

TEST_F(Connector, ListsOfTransactionsPassEverythingThenReleaseTheSibling) {
  ObjectRef db = host::make_control("db"), rs = host::make_control("rs");
  cn->Connessione = db;
  cn->CodiceAzienda = 12;
  cn->NumeroRegistrazione = "R1";
  cn->TipoCF = 1;
  cn->CodiceClifor = 45;
  cn->CodAnagrafica = 77;
  cn->CodFiscale = "CF";
  cn->CodiceContratto = "K";
  cn->NumCorrispettivo = 9;
  cn->ImpCorrispettivo = Value(*Decimal::parse("3600.50"));
  cn->CodiceIVA = "22";
  cn->IndTipoIVA = 2;
  cn->IndTipoOper = 3;
  cn->Elenchi_IndTipoGestione = Elenchi_TipoGestione::DatiAnagrafici;
  cn->Elenchi_IndTipoProvenienza = Elenchi_TipoProvenienza::Retail;
  cn->Elenchi_IndGestioneElenchiMov3000 = IndicatoreGestioneElenchiMov3000Enum::NonDefinito;
  cn->Elenchi_IndTipoGenerazioneContratto = Elenchi_TipoGenerazioneContratto::ContrattoAutomatico;
  cn->Elenchi_RSDettagliDatiIVA = rs;
  cn->Elenchi_NomeCampoImporto = "IMP";
  cn->Elenchi_NomeCampoImposta = "IMPOSTA";
  cn->Elenchi_NomeCampoCodIVA = "COD";
  cn->Elenchi_NomeCampoTipoIVA = "TIVA";
  cn->Elenchi_NomeCampoTipoOper = "TOP";
  cn->Elenchi_NomeCampoConto = "CONTO";
  cn->Elenchi_NomeCampoDitta = "DITTA";
  cn->Elenchi_NomeCampoNumReg = "NUMREG";
  sibling_config().byref["CallElenchiMov3000"] = Value(int16_t{7});
  int16_t stato = 3;
  EXPECT_TRUE(cn->CallElenchiMov3000(&stato));
  EXPECT_EQ(stato, 7);
  EXPECT_EQ(take(), linked(S1, {"set Connessione = #Control",
                                "let CodiceAzienda = 12",
                                "let NumeroRegistrazione = R1",
                                "let TipoCF = 1",
                                "let CodiceClifor = 45",
                                "let DataRiferimento = Empty",
                                "let CodAnagrafica = 77",
                                "let CodFiscale = CF",
                                "let CodiceContratto = K",
                                "let NumCorrispettivo = 9",
                                "let ImpCorrispettivo = 3600.5",
                                "let CodiceIVA = 22",
                                "let IndTipoIVA = 2",
                                "let IndTipoOper = 3",
                                "let Elenchi_IndTipoGestione = 2",
                                "let Elenchi_IndTipoProvenienza = 3",
                                "let Elenchi_IndGestioneElenchiMov3000 = 99",
                                "let Elenchi_IndTipoGenerazioneContratto = 1",
                                "set Elenchi_RSDettagliDatiAnag = Nothing",
                                "set Elenchi_RSDettagliDatiIVA = #Control",
                                "let Elenchi_NomeCampoImporto = IMP",
                                "let Elenchi_NomeCampoImposta = IMPOSTA",
                                "let Elenchi_NomeCampoCodIVA = COD",
                                "let Elenchi_NomeCampoTipoIVA = TIVA",
                                "let Elenchi_NomeCampoTipoOper = TOP",
                                "let Elenchi_NomeCampoConto = CONTO",
                                "set Elenchi_RSMovimentiContratto = Nothing",
                                "let Elenchi_NomeCampoDitta = DITTA",
                                "let Elenchi_NomeCampoNumReg = NUMREG",
                                "call CallElenchiMov3000 = True (3)",
                                "set Elenchi_RSDettagliDatiAnag = Nothing",
                                "set Elenchi_RSDettagliDatiIVA = Nothing",
                                "set Elenchi_RSMovimentiContratto = Nothing",
                                "set ConnectField = Nothing",
                                "set Connessione = Nothing",
                                "set ActiveInterface = Nothing",
                                "set Plookup = Nothing",
                                "release"}));
  EXPECT_FALSE(cn->sibling());
  EXPECT_EQ(db->ref_count(), 2u);  // the released sibling keeps nothing
  EXPECT_EQ(rs->ref_count(), 2u);
  // A new sibling next time; its False is the method's, and it is released all the same.
  sibling_config().returns["CallElenchiMov3000"] = Value(false);
  std::vector<Value> args{Value(int16_t{1})};
  EXPECT_EQ(call_method(*cn, "CallElenchiMov3000", args), Value(false));
  EXPECT_EQ(args[0], Value(int16_t{7}));
  Lines l = take();
  EXPECT_EQ(l.front(), S2 + "create");
  EXPECT_EQ(l.back(), S2 + "release");
  // Without the argument the sibling still gets a state; a failing clearing keeps it.
  EXPECT_TRUE(cn->CallCategorieStampa());
  sibling_config().fail.insert("Plookup");
  take();
  EXPECT_FALSE(cn->CallElenchiMov3000());
  l = take();
  EXPECT_EQ(l.at(l.size() - 8), "PIRO_CONNECT.CLSCG_CONNECT#3 call CallElenchiMov3000 = False (0)");
  EXPECT_TRUE(cn->sibling());
}

TEST_F(Connector, VariationNotesCopyBackStateAndErrorThenReleaseTheSibling) {
  cn->Connessione = host::make_control("db");
  cn->CodiceAzienda = 3;
  cn->NumeroRegistrazione = "R9";
  cn->Elenchi_IndTipoProvenienza = Elenchi_TipoProvenienza::Importazione;
  cn->WindowPositionHandle = 4242;
  cn->WindowPositionAddLeft = 10;
  cn->WindowPositionAddTop = -20;
  sibling_config().returns = {{"Stato", Value(int32_t{3})},
                              {"Errore", Value("nota non trovata")},
                              {"CallAssociazioneNoteVariazione3000", Value(int32_t{0})}};
  EXPECT_FALSE(cn->CallAssociazioneNoteVariazione3000());
  EXPECT_EQ(cn->Stato, 3);
  EXPECT_EQ(cn->Errore, "nota non trovata");
  EXPECT_EQ(take(),
            linked(S1, {"set Connessione = #Control", "let CodiceAzienda = 3",
                        "let NumeroRegistrazione = R9", "let Elenchi_IndTipoProvenienza = 8",
                        "let WindowPositionHandle = 4242", "let WindowPositionAddLeft = 10",
                        "let WindowPositionAddTop = -20",
                        "call CallAssociazioneNoteVariazione3000 = 0 ()", "get Stato = 3",
                        "get Errore = nota non trovata", "set ConnectField = Nothing",
                        "set Connessione = Nothing", "set ActiveInterface = Nothing",
                        "set Plookup = Nothing", "release"}));
  sibling_config().returns["CallAssociazioneNoteVariazione3000"] = Value(true);
  EXPECT_EQ(call_method(*cn, "CallAssociazioneNoteVariazione3000"), Value(true));
  sibling_config().returns["Stato"] = Value("x");  // not a number: False, sibling kept
  EXPECT_FALSE(cn->CallAssociazioneNoteVariazione3000());
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
