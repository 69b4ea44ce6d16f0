#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "automation/class_info.h"
#include "automation/events.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "connect/clscg_connect.h"
#include "host/stand_ins.h"

namespace lema {
namespace {

using Lines = std::vector<std::string>;
const std::string S1 = "PIRO_CONNECT.CLSCG_CONNECT#1 ";
const std::string S2 = "PIRO_CONNECT.CLSCG_CONNECT#2 ";

// ---- data-access stand-ins: the members the connector uses by name ---------------------
using Row = std::map<std::string, Value>;

class FakeField final : public Object {
 public:
  explicit FakeField(Value v) : v_(std::move(v)) {}
  const ClassInfo& class_info() const override {
    static const ClassInfo info("FakeField", {});
    return info;
  }
  Value invoke(std::string_view m, InvokeKind k, std::span<Value>) override {
    if (m == "Value" && k == InvokeKind::Get) return v_;
    raise(ErrorCode::NotSupported, std::string(m));
  }

 private:
  Value v_;
};

class FakeRecordset final : public Object {
 public:
  explicit FakeRecordset(std::optional<Row> row) : row_(std::move(row)) {}
  const ClassInfo& class_info() const override {
    static const ClassInfo info("FakeRecordset", {});
    return info;
  }
  Value invoke(std::string_view m, InvokeKind k, std::span<Value> args) override {
    if (m == "EOF" && k == InvokeKind::Get) return Value(!row_);
    if (m == "Fields" && k == InvokeKind::Get) return Value(ObjectRef(this));
    if (m == "Item" && row_ && args.size() == 1) {
      auto it = row_->find(to_text(args[0]));
      if (it == row_->end()) raise(ErrorCode::DataAccess, "no such column");
      return Value(ObjectRef(make_object<FakeField>(it->second)));
    }
    raise(ErrorCode::NotSupported, std::string(m));
  }

 private:
  std::optional<Row> row_;
};

class FakeConnection final : public Object {
 public:
  const ClassInfo& class_info() const override {
    static const ClassInfo info("FakeConnection", {});
    return info;
  }
  Value invoke(std::string_view m, InvokeKind k, std::span<Value> args) override {
    if (m != "Execute" || k != InvokeKind::Call || args.size() != 1)
      raise(ErrorCode::NotSupported, std::string(m));
    executed.push_back(to_text(args[0]));
    if (fail) raise(ErrorCode::DataAccess, "query failed");
    return Value(ObjectRef(make_object<FakeRecordset>(row)));
  }
  std::optional<Row> row;
  bool fail = false;
  std::vector<std::string> executed;
};

// Records each TransferData event and answers as configured.
class Handler final : public EventSink {
 public:
  void on_event(const Object&, std::string_view event, std::span<Value> args) override {
    std::string line(event);
    for (const Value& a : args) line += " " + to_text(a);
    seen.push_back(line);
    if (fails) raise(ErrorCode::Host, "handler failed");
    if (cancel) args[0] = *cancel;
    if (program) args[2] = *program;
  }
  Lines seen;
  std::optional<Value> cancel, program;
  bool fails = false;
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
  Value sibling_prop(std::string_view name) {
    Value v = get_property(*cn->sibling(), name);
    log_->lines.pop_back();
    return v;
  }
  static Lines linked(const std::string& who) {
    return {who + "create", who + "set Plookup = #LEMA_LOOKUPDECODE.CLSCG_CONNECT",
            who + "set ActiveInterface = #TUSK_LibSrv.HostFramework",
            who + "set ConnectField = #Control"};
  }
  static Lines cat(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }

  std::shared_ptr<host::TextLog> log_ = std::make_shared<host::TextLog>();
  std::shared_ptr<host::StandInBoard> board_ = std::make_shared<host::StandInBoard>(log_);
  std::vector<std::unique_ptr<ScopedClass>> scoped_ = board_->install();
  ObjectRef host_ = make_host(false);
  ObjectRef field_ = host::make_control("txtCodice");
  Ref<CLSCG_CONNECT> cn = by_name();
};

// ---- the common frame --------------------------------------------------------------------

TEST_F(Connector, FirstCallCreatesAndLinksTheSiblingThenPassesTheCode) {
  Value code("C01");
  EXPECT_TRUE(cn->CallCausaliContabili(&code));
  EXPECT_EQ(take(), cat(linked(S1), {S1 + "let CodiceCausaliContabili = C01",
                                     S1 + "call CallCauCont = True ()"}));
  // The sibling reaches this connector, and does not keep it alive.
  ASSERT_TRUE(board_->sibling_of(*cn));
  EXPECT_EQ(board_->sibling_of(*cn), cn->sibling());
  EXPECT_EQ(cn->ref_count(), 1u);

  // Reused: the next method starts at ConnectField.
  cn->CategorieStp_Categoria = "CAT1";
  EXPECT_TRUE(to_boolean(call_method(*cn, "CallCategorieStampa")));
  EXPECT_EQ(take(),
            (Lines{S1 + "set ConnectField = #Control", S1 + "let CategorieStp_Categoria = CAT1",
                   S1 + "call CallCategorieStampa = True ()"}));
}

TEST_F(Connector, MissingEmptyOrNullCodesPassAnEmptyText) {
  EXPECT_TRUE(cn->CallCausaliContabili());
  EXPECT_EQ(sibling_prop("CodiceCausaliContabili"), Value(""));
  for (Value v : {Value(), Value::null(), Value("")}) {
    std::vector<Value> args{v};
    EXPECT_EQ(call_method(*cn, "CallCausaliContabili", args), Value(true));
    EXPECT_EQ(sibling_prop("CodiceCausaliContabili"), Value(""));
  }
  // Blanks count as present and pass unchanged.
  EXPECT_EQ(call_method(*cn, "CallAnagraficaBeniUsati", {Value("  ")}), Value(true));
  EXPECT_EQ(sibling_prop("CodiceBeneUsato"), Value("  "));
  EXPECT_EQ(call_method(*cn, "CallAnagraficaBeniUsati"), Value(true));
  EXPECT_EQ(sibling_prop("CodiceBeneUsato"), Value(""));
  Lines l = take();
  EXPECT_EQ(l.back(), S1 + "call CallAnagraficaBeniUsati = True ()");
  EXPECT_EQ(l[l.size() - 2], S1 + "let CodiceBeneUsato = ");
}

TEST_F(Connector, EachMethodPassesItsValuesInOrder) {
  struct Case {
    const char* method;
    std::vector<std::pair<const char*, Value>> settings;
    Lines after_link;  // what follows ConnectField (or creation, for the progressive totals)
  };
  const Value date(*Date::from_civil(2024, 3, 15));
  const std::vector<Case> cases = {
      {"CallAggiornamentoProgressiviIVACliFor",
       {},
       {"call CallAggiornamentoProgressiviIVACliFor = True ()"}},
      {"CallStampaProgressiviIVACliFor", {}, {"call CallStampaProgressiviIVACliFor = True ()"}},
      {"CallModalitaErogazione",
       {{"CodModalitaErogazione", Value("ME1")}},
       {"let CodModalitaErogazione = ME1", "call CallModalitaErogazione = True ()"}},
      {"CallModalitaIncasso",
       {{"CodModalitaIncasso", Value(int32_t{4})}},
       {"let CodModalitaIncasso = 4", "call CallModalitaIncasso = True ()"}},
      {"CallServizio",
       {{"CodServizio", Value("SRV")}, {"Anno_Nomenclatura", Value(int16_t{2024})}},
       {"let CodServizio = SRV", "let Anno_Nomenclatura = 2024", "call CallServizio = True ()"}},
      {"CallServizio",
       {{"CodServizio", Value::null()}, {"Anno_Nomenclatura", Value(int16_t{2024})}},
       {"let Anno_Nomenclatura = 2024", "call CallServizio = True ()"}},
      {"CallCausaliPagEff",
       {{"CodCausalePagEff", Value("PE")}},
       {"let CausaleEsterna = PE", "call CallCausaliPagEff = True ()"}},
      {"CallCausaliPagEff",
       {{"CodCausalePagEff", Value("")}},
       {"call CallCausaliPagEff = True ()"}},
      {"CallAnagraficaBlackList",
       {{"CodAnagBlackList", Value("")}, {"DataRiferimento", date}},
       {"let CodAnagBlackList = Null", "let DataRiferimento = 2024-03-15",
        "call CallAnagraficaBlackList = True ()"}},
      {"CallAnagraficaBlackList",
       {{"CodAnagBlackList", Value("BL9")}},
       {"let CodAnagBlackList = BL9", "let DataRiferimento = Empty",
        "call CallAnagraficaBlackList = True ()"}},
      {"CallAziendeIntercompany",
       {{"DataStrutturaIntercompany", date}, {"CodiceIntercompany", Value()}},
       {"let DataStrutturaIntercompany = 2024-03-15", "let CodiceIntercompany = Empty",
        "let TipoVisualizzazioneIntercompany = 0", "call CallAziendeIntercompany = True ()"}},
      {"CallAziendeIntercompany",
       {{"CodiceIntercompany", Value("IC")}, {"TipoVisualizzazioneIntercompany", Value("2")}},
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
    EXPECT_EQ(call_method(*fresh, c.method), Value(true));
    Lines l = take();
    const bool with_field =
        std::string_view(c.method).find("Progressivi") == std::string_view::npos;
    const size_t skip = with_field ? 4 : 3;
    ASSERT_GE(l.size(), skip);
    const std::string who = l[0].substr(0, l[0].find(' ') + 1);
    Lines want = linked(who);
    want.resize(skip);
    for (const std::string& s : c.after_link) want.push_back(who + s);
    EXPECT_EQ(l, want);
    if (std::string_view(c.method) == "CallAziendeIntercompany") {
      Value tipo = get_property(*fresh->sibling(), "TipoVisualizzazioneIntercompany");
      EXPECT_EQ(tipo.kind(), Kind::Decimal);
    }
  }
}

TEST_F(Connector, AnAbsentValueLeavesWhatAnEarlierCallPassed) {
  cn->CodModalitaErogazione = Value("ME1");
  EXPECT_TRUE(cn->CallModalitaErogazione());
  cn->CodModalitaErogazione = Value();
  take();
  EXPECT_TRUE(cn->CallModalitaErogazione());
  EXPECT_EQ(take(), (Lines{S1 + "set ConnectField = #Control",
                           S1 + "call CallModalitaErogazione = True ()"}));
  EXPECT_EQ(sibling_prop("CodModalitaErogazione"), Value("ME1"));
}

TEST_F(Connector, TheFirstFailureStopsTheMethodWithFalse) {
  // A failing sibling method: the values already passed stay on the sibling, still held.
  sibling_config().fail.insert("CallServizio");
  cn->CodServizio = Value("SRV");
  EXPECT_FALSE(cn->CallServizio());
  EXPECT_EQ(take(), cat(linked(S1), {S1 + "let CodServizio = SRV", S1 + "call CallServizio ()"}));
  ASSERT_TRUE(cn->sibling());
  EXPECT_EQ(sibling_prop("CodServizio"), Value("SRV"));

  // A failing ConnectField: nothing after it is passed.
  sibling_config().fail.insert("ConnectField");
  cn->CodModalitaIncasso = Value("MI");
  EXPECT_EQ(call_method(*cn, "CallModalitaIncasso"), Value(false));
  EXPECT_EQ(take(), (Lines{S1 + "set ConnectField = #Control"}));
  // ... which the progressive-totals methods do not touch.
  EXPECT_TRUE(cn->CallStampaProgressiviIVACliFor());

  // A value that cannot be tested (an object) fails the method before the sibling call.
  sibling_config().fail.clear();
  set_property(*cn, "CodModalitaErogazione", Value(field_));
  take();
  EXPECT_FALSE(cn->CallModalitaErogazione());
  EXPECT_EQ(take(), (Lines{S1 + "set ConnectField = #Control"}));
  // A sibling result that is not a Boolean.
  sibling_config().returns["CallAssociazioneNoteVariazione3000"] = Value("x");
  EXPECT_FALSE(cn->CallAssociazioneNoteVariazione3000());
  EXPECT_TRUE(cn->sibling());
}

TEST_F(Connector, AFailedLinkIsNotRepeated) {
  sibling_config().fail.insert("Plookup");
  EXPECT_FALSE(cn->CallCausaliContabili());
  EXPECT_EQ(take(), (Lines{S1 + "create", S1 + "set Plookup = #LEMA_LOOKUPDECODE.CLSCG_CONNECT"}));
  sibling_config().fail.clear();
  EXPECT_TRUE(cn->CallCausaliContabili());
  EXPECT_EQ(take().front(), S1 + "set ConnectField = #Control");
}

TEST_F(Connector, NoSiblingComponentMeansFalse) {
  sibling_config().absent = true;
  EXPECT_FALSE(cn->CallCausaliContabili());
  EXPECT_FALSE(cn->CallElenchiMov3000());
  EXPECT_EQ(call_method(*cn, "CallAziendeIntercompany"), Value(false));
  EXPECT_FALSE(cn->sibling());
  EXPECT_TRUE(take().empty());
  ScopedClass gone(std::string(host::kSiblingConnect), nullptr);
  sibling_config().absent = false;
  EXPECT_FALSE(cn->CallCategorieStampa());
}

// ---- the two methods that end the link -----------------------------------------------------

TEST_F(Connector, ListsOfTransactionsPassEverythingThenReleaseTheSibling) {
  ObjectRef db = host::make_control("db"), anag = host::make_control("rsAnag"),
            iva = host::make_control("rsIva"), mov = host::make_control("rsMov");
  cn->Connessione = db;
  cn->CodiceAzienda = 12;
  cn->NumeroRegistrazione = "2024/000123";
  cn->TipoCF = 1;
  cn->CodiceClifor = 4500;
  cn->DataRiferimento = Value(*Date::from_civil(2024, 6, 30));
  cn->CodAnagrafica = 77;
  cn->CodFiscale = "RSSMRA80A01H501U";
  cn->CodiceContratto = "K1";
  cn->NumCorrispettivo = 9;
  cn->ImpCorrispettivo = Value(*Decimal::parse("3600.50"));
  cn->CodiceIVA = "22";
  cn->IndTipoIVA = 2;
  cn->IndTipoOper = 3;
  cn->Elenchi_IndTipoGestione = Elenchi_TipoGestione::Contratti;
  cn->Elenchi_IndTipoProvenienza = Elenchi_TipoProvenienza::Retail;
  cn->Elenchi_IndGestioneElenchiMov3000 = IndicatoreGestioneElenchiMov3000Enum::NonDefinito;
  cn->Elenchi_IndTipoGenerazioneContratto = Elenchi_TipoGenerazioneContratto::ContrattoAutomatico;
  cn->Elenchi_RSDettagliDatiAnag = anag;
  cn->Elenchi_RSDettagliDatiIVA = iva;
  cn->Elenchi_RSMovimentiContratto = mov;
  cn->Elenchi_NomeCampoImporto = "IMP";
  cn->Elenchi_NomeCampoImposta = "IMPOSTA";
  cn->Elenchi_NomeCampoCodIVA = "CODIVA";
  cn->Elenchi_NomeCampoTipoIVA = "TIPOIVA";
  cn->Elenchi_NomeCampoTipoOper = "TIPOOPER";
  cn->Elenchi_NomeCampoConto = "CONTO";
  cn->Elenchi_NomeCampoDitta = "DITTA";
  cn->Elenchi_NomeCampoNumReg = "NUMREG";
  sibling_config().byref["CallElenchiMov3000"] = Value(int16_t{7});

  int16_t stato = 3;
  EXPECT_TRUE(cn->CallElenchiMov3000(&stato));
  EXPECT_EQ(stato, 7);
  const Lines passed = {"set Connessione = #Control",
                        "let CodiceAzienda = 12",
                        "let NumeroRegistrazione = 2024/000123",
                        "let TipoCF = 1",
                        "let CodiceClifor = 4500",
                        "let DataRiferimento = 2024-06-30",
                        "let CodAnagrafica = 77",
                        "let CodFiscale = RSSMRA80A01H501U",
                        "let CodiceContratto = K1",
                        "let NumCorrispettivo = 9",
                        "let ImpCorrispettivo = 3600.5",
                        "let CodiceIVA = 22",
                        "let IndTipoIVA = 2",
                        "let IndTipoOper = 3",
                        "let Elenchi_IndTipoGestione = 1",
                        "let Elenchi_IndTipoProvenienza = 3",
                        "let Elenchi_IndGestioneElenchiMov3000 = 99",
                        "let Elenchi_IndTipoGenerazioneContratto = 1",
                        "set Elenchi_RSDettagliDatiAnag = #Control",
                        "set Elenchi_RSDettagliDatiIVA = #Control",
                        "let Elenchi_NomeCampoImporto = IMP",
                        "let Elenchi_NomeCampoImposta = IMPOSTA",
                        "let Elenchi_NomeCampoCodIVA = CODIVA",
                        "let Elenchi_NomeCampoTipoIVA = TIPOIVA",
                        "let Elenchi_NomeCampoTipoOper = TIPOOPER",
                        "let Elenchi_NomeCampoConto = CONTO",
                        "set Elenchi_RSMovimentiContratto = #Control",
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
                        "release"};
  Lines want = linked(S1);
  for (const std::string& s : passed) want.push_back(S1 + s);
  EXPECT_EQ(take(), want);
  EXPECT_FALSE(cn->sibling());
  // Nothing handed over is kept by the released sibling.
  EXPECT_EQ(db->ref_count(), 2u);
  EXPECT_EQ(mov->ref_count(), 2u);

  // The next method creates a new sibling; the sibling's False is the method's, and the
  // sibling is released all the same. By name, the state comes back by reference.
  sibling_config().returns["CallElenchiMov3000"] = Value(false);
  std::vector<Value> args{Value(int16_t{1})};
  EXPECT_EQ(call_method(*cn, "CallElenchiMov3000", args), Value(false));
  EXPECT_EQ(args[0], Value(int16_t{7}));
  Lines l = take();
  EXPECT_EQ(l.front(), S2 + "create");
  EXPECT_EQ(l.back(), S2 + "release");
  // Without the argument the sibling still gets a state to write into.
  EXPECT_FALSE(cn->CallElenchiMov3000());
  l = take();
  EXPECT_NE(std::find(l.begin(), l.end(),
                      "PIRO_CONNECT.CLSCG_CONNECT#3 call CallElenchiMov3000 = False (0)"),
            l.end());
}

TEST_F(Connector, ListsOfTransactionsStopAtAFailedClearing) {
  EXPECT_TRUE(cn->CallCategorieStampa());
  sibling_config().fail.insert("Plookup");
  take();
  EXPECT_FALSE(cn->CallElenchiMov3000());
  Lines l = take();
  EXPECT_EQ(l.back(), S1 + "set Plookup = Nothing");
  EXPECT_EQ(l[l.size() - 2], S1 + "set ActiveInterface = Nothing");
  EXPECT_TRUE(cn->sibling());  // not released: the method stopped first
}

TEST_F(Connector, VariationNotesCopyBackStateAndErrorThenReleaseTheSibling) {
  cn->Connessione = host::make_control("db");
  cn->CodiceAzienda = 3;
  cn->NumeroRegistrazione = "R9";
  cn->Elenchi_IndTipoProvenienza = Elenchi_TipoProvenienza::Importazione;
  cn->WindowPositionHandle = 4242;
  cn->WindowPositionAddLeft = 10;
  cn->WindowPositionAddTop = -20;
  sibling_config().returns["Stato"] = Value(int32_t{3});
  sibling_config().returns["Errore"] = Value("nota non trovata");
  sibling_config().returns["CallAssociazioneNoteVariazione3000"] = Value(int32_t{0});
  EXPECT_FALSE(cn->CallAssociazioneNoteVariazione3000());
  EXPECT_EQ(cn->Stato, 3);
  EXPECT_EQ(cn->Errore, "nota non trovata");
  const Lines passed = {"set Connessione = #Control",
                        "let CodiceAzienda = 3",
                        "let NumeroRegistrazione = R9",
                        "let Elenchi_IndTipoProvenienza = 8",
                        "let WindowPositionHandle = 4242",
                        "let WindowPositionAddLeft = 10",
                        "let WindowPositionAddTop = -20",
                        "call CallAssociazioneNoteVariazione3000 = 0 ()",
                        "get Stato = 3",
                        "get Errore = nota non trovata",
                        "set ConnectField = Nothing",
                        "set Connessione = Nothing",
                        "set ActiveInterface = Nothing",
                        "set Plookup = Nothing",
                        "release"};
  Lines want = linked(S1);
  for (const std::string& s : passed) want.push_back(S1 + s);
  EXPECT_EQ(take(), want);
  EXPECT_FALSE(cn->sibling());

  sibling_config().returns["CallAssociazioneNoteVariazione3000"] = Value(true);
  EXPECT_EQ(call_method(*cn, "CallAssociazioneNoteVariazione3000"), Value(true));
  EXPECT_EQ(take().front(), S2 + "create");
}

// ---- ending the link ---------------------------------------------------------------------------

TEST_F(Connector, TerminateConnectReleasesTheSiblingAndTheReferences) {
  EXPECT_TRUE(cn->CallCausaliContabili());
  take();
  EXPECT_EQ(call_method(*cn, "TerminateConnect"), Value());
  EXPECT_EQ(take(), (Lines{S1 + "set ActiveInterface = Nothing", S1 + "release"}));
  EXPECT_FALSE(cn->sibling());
  EXPECT_FALSE(cn->ActiveInterface);
  EXPECT_FALSE(cn->ConnectField);
  EXPECT_EQ(cn->ref_count(), 1u);
  EXPECT_EQ(host_->ref_count(), 1u);
  EXPECT_EQ(field_->ref_count(), 1u);
  // Without a sibling it only clears its own references.
  cn->ActiveInterface = host_;
  EXPECT_TRUE(cn->TerminateConnect().is_empty());
  EXPECT_FALSE(cn->ActiveInterface);
  EXPECT_TRUE(take().empty());
  // The next method links a new sibling, now with no interface object.
  EXPECT_TRUE(cn->CallAggiornamentoProgressiviIVACliFor());
  EXPECT_EQ(take()[2], S2 + "set ActiveInterface = Nothing");
}

TEST_F(Connector, DestructionReleasesTheSiblingEvenWhileOthersHoldIt) {
  EXPECT_TRUE(cn->CallCausaliContabili());
  ObjectRef sibling = cn->sibling();
  WeakRef<CLSCG_CONNECT> weak(cn.get());
  take();
  cn.reset();
  EXPECT_TRUE(weak.expired());  // the sibling's Plookup did not keep it alive
  EXPECT_EQ(take(), (Lines{S1 + "set ActiveInterface = Nothing"}));
  // The sibling can no longer reach the connector that ended.
  Value cancel(false), program(int32_t{0});
  EXPECT_THROW(host::pick(*sibling, cancel, Value("X"), program), Error);
  sibling.reset();
  EXPECT_EQ(take(), (Lines{S1 + "release"}));

  // Without another holder the sibling ends with the connector.
  Ref<CLSCG_CONNECT> other = by_name();
  EXPECT_TRUE(other->CallAggiornamentoProgressiviIVACliFor());
  take();
  other.reset();
  EXPECT_EQ(take(), (Lines{S2 + "set ActiveInterface = Nothing", S2 + "release"}));
}

// ---- the event -------------------------------------------------------------------------------

TEST_F(Connector, TransferDataRaisesTheEventAndBringsBackTheAnswers) {
  auto handler = std::make_shared<Handler>();
  cn->advise(handler);

  bool cancel = false;
  kwEnumCalledProgram program = kwEnumCalledProgram::kwServizio;
  cn->TransferData(cancel, Value("C01"), program);
  EXPECT_EQ(handler->seen, (Lines{"TransferData False C01 14"}));
  EXPECT_FALSE(cancel);
  EXPECT_EQ(program, kwEnumCalledProgram::kwServizio);

  handler->cancel = Value(true);
  handler->program = Value(int32_t{5});
  cn->TransferData(cancel, Value(), program);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(program, kwEnumCalledProgram::kwAnagraficaBeniUsati);

  // Through the sibling, as an opened program does: its Cancel comes back True.
  EXPECT_TRUE(cn->CallCausaliContabili());
  Value c(false), p(int32_t{0});
  host::pick(*cn->sibling(), c, Value("C02"), p);
  EXPECT_EQ(c, Value(true));
  EXPECT_EQ(p, Value(int32_t{5}));
  EXPECT_EQ(handler->seen.back(), "TransferData False C02 0");

  // By name, the by-reference arguments are written back.
  std::vector<Value> args{Value(false), Value("C03"), Value(int32_t{0})};
  call_method(*cn, "TransferData", args);
  EXPECT_EQ(args[0], Value(true));
  EXPECT_EQ(args[2], Value(int32_t{5}));
}

TEST_F(Connector, TransferDataIgnoresFailingHandlersAndUnusableAnswers) {
  bool cancel = false;
  kwEnumCalledProgram program = kwEnumCalledProgram::kwCategorieStampa;
  cn->TransferData(cancel, Value("X"), program);  // no handler at all
  EXPECT_FALSE(cancel);

  auto bad = std::make_shared<Handler>();
  bad->cancel = Value("maybe");
  bad->program = Value(int32_t{12});
  uint32_t cookie = cn->advise(bad);
  cn->TransferData(cancel, Value("X"), program);
  EXPECT_FALSE(cancel);  // "maybe" is no Boolean: left as it was
  EXPECT_EQ(program, kwEnumCalledProgram::kwModalitaErogazione);
  cn->unadvise(cookie);

  auto failing = std::make_shared<Handler>();
  failing->fails = true;
  auto after = std::make_shared<Handler>();
  after->cancel = Value(true);
  cn->advise(failing);
  cn->advise(after);
  cn->TransferData(cancel, Value("X"), program);
  EXPECT_EQ(failing->seen.size(), 1u);
  EXPECT_TRUE(cancel);
}

// ---- graphic references of a document
// ------------------------------------------------------------

class DocumentReferences : public Connector {
 protected:
  DocumentReferences() {
    db->row = Row{};
    cn->Connessione = db;
    cn->CodiceAzienda = 12;
    cn->NumeroRegistrazione = "2024/000123";
  }
  void document(Value tipo_op, Value gest_ec, Value numreg_orig) {
    db->row = Row{{"INDTIPOOP", std::move(tipo_op)},
                  {"INDGESTEC", std::move(gest_ec)},
                  {"NUMREG_ORIG", std::move(numreg_orig)}};
  }
  static Lines shown(int n, const std::string& host_call, const std::string& args) {
    const std::string g = "DocumentGraphics#" + std::to_string(n) + " ";
    return {g + "create",
            g + "call SetHostInterface = Empty (#TUSK_LibSrv.HostFramework)",
            g + "call Prepare = Empty (0)",
            host_call,
            g + "call ShowReferences = Empty (" + args + ")",
            g + "call SetHostInterface = Empty (Nothing)",
            g + "release"};
  }
  Ref<FakeConnection> db = make_object<FakeConnection>();
};

TEST_F(DocumentReferences, RunsTheDocumentQueryOnTheConnection) {
  db->row.reset();
  EXPECT_TRUE(cn->CallRiferimentiGraficiDocumento());
  const std::string want =
      " SELECT CO99.CO99_INDTIPOOP AS INDTIPOOP,"
      "        ISNULL(CG33.CG33_INDGESTEC, CG33C.CG33_INDGESTEC) AS INDGESTEC,"
      "        ( SELECT TOP 1 EF06_NUMREG_CO99"
      "          FROM EF06_SCADSTO WITH (NOLOCK)"
      "              LEFT OUTER JOIN CO99_MASTERDOC CO99_STORICO WITH (NOLOCK)"
      "                  ON CO99_STORICO.CO99_DITTA_CG18 = CO99.CO99_DITTA_CG18"
      "                  AND CO99_STORICO.CO99_NUMREG = EF06_NUMREG_CO99"
      "          WHERE EF06_DITTA_CG18 = CO99.CO99_DITTA_CG18"
      "          AND EF06_NUMREGMOV_CO99 = CO99.CO99_NUMREG"
      "          AND CO99_STORICO.CO99_INDTIPOOP = 1"
      "          ORDER BY EF06_NUMREG_CO99"
      "        ) AS NUMREG_ORIG"
      " FROM CO99_MASTERDOC CO99 WITH (NOLOCK)"
      "     LEFT OUTER JOIN CG41_PRIMANOTA CG41 WITH (NOLOCK)"
      "         ON CG41.CG41_DITTA_CG18 = CO99.CO99_DITTA_CG18"
      "         AND CG41.CG41_NUMREG = CO99.CO99_NUMREG"
      "     LEFT OUTER JOIN CG41C_PRIMANOTA CG41C WITH (NOLOCK)"
      "         ON CG41C.CG41_DITTA_CG18 = CO99.CO99_DITTA_CG18"
      "         AND CG41C.CG41_NUMREG = CO99.CO99_NUMREG"
      "     LEFT OUTER JOIN CG33_TABCAU CG33 WITH (NOLOCK)"
      "         ON CG33.CG33_CODICE = CG41.CG41_CODICE_CG33"
      "     LEFT OUTER JOIN CG33_TABCAU CG33C WITH (NOLOCK)"
      "         ON CG33C.CG33_CODICE = CG41C.CG41_CODICE_CG33"
      " WHERE CO99.CO99_DITTA_CG18 = 12 AND CO99.CO99_NUMREG = '2024/000123'";
  EXPECT_EQ(db->executed, (std::vector<std::string>{want}));
  EXPECT_TRUE(take().empty());  // no row: nothing opened, and no sibling either
  EXPECT_FALSE(cn->sibling());

  cn->CodiceAzienda = -4;
  cn->NumeroRegistrazione = "A'B";
  EXPECT_TRUE(to_boolean(call_method(*cn, "CallRiferimentiGraficiDocumento")));
  EXPECT_TRUE(db->executed.back().ends_with(
      " WHERE CO99.CO99_DITTA_CG18 = -4 AND CO99.CO99_NUMREG = 'A'B'"));
}

TEST_F(DocumentReferences, OpensTheGraphicsOnTheChosenRegistration) {
  // Operation kind 1: the document's own number; the host option gives 1.
  cn->ActiveInterface = make_host(true);
  document(Value(int32_t{1}), Value(int32_t{3}), Value("2023/000045"));
  EXPECT_TRUE(cn->CallRiferimentiGraficiDocumento());
  EXPECT_EQ(take(), shown(1, "host call IsHostOptionSet = True ()", "1, , 2024/000123, 0, 0, 0"));

  // Ledger reason of kind 2 or 3 with an original registration: that one; option 0.
  cn->ActiveInterface = host_;
  for (int32_t g : {2, 3}) {
    document(Value(int16_t{0}), Value(g), Value(int32_t{45}));
    EXPECT_TRUE(cn->CallRiferimentiGraficiDocumento());
    EXPECT_EQ(take(), shown(g, "host call IsHostOptionSet = False ()", "0, , 45, 0, 0, 0"));
  }
  // Blanks count as an original registration.
  document(Value(), Value("2"), Value(" "));
  EXPECT_TRUE(cn->CallRiferimentiGraficiDocumento());
  EXPECT_EQ(take().at(4), "DocumentGraphics#4 call ShowReferences = Empty (0, ,  , 0, 0, 0)");
}

TEST_F(DocumentReferences, OpensNothingWithoutARegistrationToShow) {
  const std::vector<Row> rows = {
      {{"INDTIPOOP", Value(int32_t{0})},
       {"INDGESTEC", Value(int32_t{3})},
       {"NUMREG_ORIG", Value("")}},
      {{"INDTIPOOP", Value::null()}, {"INDGESTEC", Value::null()}, {"NUMREG_ORIG", Value::null()}},
      {{"INDTIPOOP", Value(int32_t{2})},
       {"INDGESTEC", Value(int32_t{1})},
       {"NUMREG_ORIG", Value("R1")}},
      {{"INDTIPOOP", Value(int32_t{0})},
       {"INDGESTEC", Value(int32_t{4})},
       {"NUMREG_ORIG", Value("R1")}},
  };
  for (const Row& r : rows) {
    db->row = r;
    EXPECT_TRUE(cn->CallRiferimentiGraficiDocumento());
  }
  EXPECT_TRUE(take().empty());
  cn->ActiveInterface.reset();  // not needed when nothing is shown
  EXPECT_TRUE(cn->CallRiferimentiGraficiDocumento());
}

TEST_F(DocumentReferences, AnyFailureGivesFalse) {
  document(Value(int32_t{1}), Value(), Value());
  db->fail = true;
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  db->fail = false;

  cn->Connessione.reset();
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  cn->Connessione = db;

  // A column the result lacks.
  db->row = Row{{"INDTIPOOP", Value(int32_t{1})}};
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  // A kind that is not a number.
  document(Value("uno"), Value(), Value());
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  EXPECT_TRUE(take().empty());

  document(Value(int32_t{1}), Value(), Value());
  board_->config(host::kDocumentGraphics).absent = true;
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  board_->config(host::kDocumentGraphics).absent = false;

  board_->config(host::kDocumentGraphics).fail.insert("ShowReferences");
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  Lines l = take();
  EXPECT_EQ(l.back(), "DocumentGraphics#1 release");  // the component is released all the same
  EXPECT_EQ(l[l.size() - 2], "DocumentGraphics#1 call ShowReferences (0, , 2024/000123, 0, 0, 0)");
  board_->config(host::kDocumentGraphics).fail.clear();

  cn->ActiveInterface = make_host(false, {"IsHostOptionSet"});
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  l = take();
  EXPECT_EQ(l[3], "host call IsHostOptionSet ()");
  EXPECT_EQ(l[4], "DocumentGraphics#2 release");

  // The connector does not test for an interface object: none is a failure.
  cn->ActiveInterface.reset();
  EXPECT_FALSE(cn->CallRiferimentiGraficiDocumento());
  EXPECT_EQ(take().at(1), "DocumentGraphics#3 call SetHostInterface = Empty (Nothing)");
}

// ---- the interface
// ---------------------------------------------------------------------------------

TEST(ConnectorInterface, MembersInSlotOrderWithTheirAccessors) {
  const std::string listed =
      "ActiveInterface G/S, CallCausaliContabili, ConnectField S, TransferData, "
      "CallAnagraficaBeniUsati, TerminateConnect, CallAggiornamentoProgressiviIVACliFor, "
      "CallStampaProgressiviIVACliFor, CodModalitaErogazione G/L/S, CodModalitaIncasso G/L/S, "
      "CodServizio G/L/S, CallModalitaErogazione, CallModalitaIncasso, CallServizio, "
      "CodCausalePagEff G/L/S, CallCausaliPagEff, CodAnagBlackList G/L/S, DataRiferimento G/L/S, "
      "CallAnagraficaBlackList, Connessione G/S, CodiceAzienda G/L, NumeroRegistrazione G/L, "
      "TipoCF G/L, CodiceClifor G/L, CodAnagrafica G/L, CodFiscale G/L, CodiceContratto G/L, "
      "NumCorrispettivo G/L, ImpCorrispettivo G/L/S, CodiceIVA G/L, IndTipoIVA G/L, IndTipoOper "
      "G/L, CallElenchiMov3000, Elenchi_RSDettagliDatiAnag G/S, Elenchi_NomeCampoImporto G/L, "
      "Elenchi_NomeCampoCodIVA G/L, Elenchi_NomeCampoTipoIVA G/L, Elenchi_NomeCampoTipoOper G/L, "
      "Elenchi_IndTipoGestione G/L, Elenchi_IndTipoProvenienza G/L, "
      "Elenchi_IndGestioneElenchiMov3000 G/L, Elenchi_IndTipoGenerazioneContratto G/L, "
      "Elenchi_RSDettagliDatiIVA G/S, Elenchi_NomeCampoConto G/L, CallRiferimentiGraficiDocumento, "
      "Elenchi_RSMovimentiContratto G/S, Elenchi_NomeCampoDitta G/L, Elenchi_NomeCampoNumReg G/L, "
      "WindowPositionHandle G/L, WindowPositionAddLeft G/L, WindowPositionAddTop G/L, "
      "CallAssociazioneNoteVariazione3000, Stato G/L, Errore G/L, Elenchi_NomeCampoImposta G/L, "
      "Anno_Nomenclatura G/L/S, DataStrutturaIntercompany G/L/S, CodiceIntercompany G/L/S, "
      "TipoVisualizzazioneIntercompany G/L/S, CallAziendeIntercompany, CategorieStp_Categoria G/L, "
      "CallCategorieStampa";
  std::vector<std::pair<std::string, std::string>> want;
  std::stringstream in(listed);
  for (std::string item; std::getline(in, item, ',');) {
    std::stringstream words(item);
    std::string name, acc, letters;
    words >> name >> acc;
    for (char c : acc)
      if (c != '/') letters += c;
    want.emplace_back(name, acc.empty() ? "method" : letters);
  }
  auto entry = Registry::global().find(CLSCG_CONNECT::kProgId);
  ASSERT_TRUE(entry && entry->info);
  std::vector<std::pair<std::string, std::string>> got;
  for (const Member& m : entry->info->members())
    got.emplace_back(std::string(m.name), m.kind_letters());
  EXPECT_EQ(got, want);

  ASSERT_EQ(entry->info->events().size(), 1u);
  const EventInfo& ev = entry->info->events()[0];
  EXPECT_EQ(ev.name, "TransferData");
  ASSERT_EQ(ev.params.size(), 3u);
  EXPECT_TRUE(ev.params[0].byref);
  EXPECT_EQ(ev.params[0].type, TypeTag::Boolean);
  EXPECT_FALSE(ev.params[1].byref);
  EXPECT_TRUE(ev.params[2].byref);

  ObjectRef o = create_object("lema_lookupdecode.clscg_connect");
  EXPECT_NE(dynamic_cast<EventSource*>(o.get()), nullptr);
  EXPECT_EQ(get_property(*o, "Stato"), Value(int16_t{0}));
  EXPECT_THROW(get_property(*o, "ConnectField"), Error);
  EXPECT_THROW(let_property(*o, "ConnectField", Value("x")), Error);
  set_property(*o, "ConnectField", Value(host::make_control("c")));
  EXPECT_THROW(let_property(*o, "Connessione", Value(1)), Error);
  let_property(*o, "Elenchi_IndTipoProvenienza", Value(int32_t{9}));
  EXPECT_EQ(get_property(*o, "Elenchi_IndTipoProvenienza"), Value(int32_t{9}));
}

}  // namespace
}  // namespace lema
