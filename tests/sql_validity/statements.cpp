// Prints every statement the library produces on its default path and on its main
// conditional paths, one JSON object per line: {"label": "...", "sql": "..."}. The
// statements the library runs itself (fiscal years, document references) are taken from
// the connection they are handed to. check.py parses each of them.
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "automation/class_info.h"
#include "common/error.h"
#include "common/text.h"
#include "connect/clscg_connect.h"
#include "decode/clscg_decode.h"
#include "lookup/clscg_lookup.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

// A connection that keeps the command texts it is asked to run and has no rows.
class RecordingConnection final : public Object {
 public:
  const ClassInfo& class_info() const override {
    static const ClassInfo info("RecordingConnection", {});
    return info;
  }
  Value invoke(std::string_view m, InvokeKind, std::span<Value> a) override {
    if (m == "Execute") executed.push_back(to_text(a[0]));
    if (m == "RecordCount") return Value(int32_t{0});
    if (m == "EOF") return Value(true);
    return Value(ObjectRef(this));
  }
  std::vector<std::string> executed;
};

void emit(const std::string& label, const Value& sql) {
  nlohmann::json line{{"label", label},
                      {"sql", sql.is_string() ? std::string(sql.as_string()) : ""}};
  std::cout << line.dump() << "\n";
}

ObjectRef make(std::string_view cls) {
  if (cls == "L") return ObjectRef(make_object<CLSCG_LOOKUP>());
  return ObjectRef(make_object<CLSCG_DECODE>());
}

const ObjectRef& control() {
  static const ObjectRef c = host::make_control("txt");
  return c;
}

// The arguments of the default path: required ones with a plain code, optional ones left out.
std::vector<Value> default_args(const Member& m) {
  std::vector<Value> args;
  for (const ParamInfo& p : m.params) {
    if (p.optional) break;
    switch (p.type) {
      case TypeTag::Object:
        args.emplace_back(control());
        break;
      case TypeTag::String:
        args.emplace_back("A1");
        break;
      case TypeTag::Integer:
        args.emplace_back(int16_t{1});
        break;
      case TypeTag::Boolean:
        args.emplace_back(true);
        break;
      default:
        args.emplace_back(int32_t{1});
        break;
    }
  }
  return args;
}

struct Case {
  std::string label;
  std::string_view cls;  // "L" lookup, "D" decode
  std::string_view method;
  std::vector<std::pair<std::string_view, Value>> settings;
  std::vector<Value> args;
  bool host = false;
};

Value day(int y, int m, int d) {
  return Value(*Date::from_civil(y, m, d));
}

std::vector<Case> conditional_cases() {
  const Value c = Value(control());
  const Value one(int32_t{1}), two(int32_t{2}), t(true), none = Value::missing();
  const Value text("A1"), order("CG14_DESCR DESC, CG14_GRUPPO");
  return {
      // journals
      {"L.Sezionali/anno", "L", "Sezionali", {{"AnnoAttivita", Value(int32_t{2024})}}, {one}},
      {"L.Sezionali/attivita+anno",
       "L",
       "Sezionali",
       {{"AnnoAttivita", Value(int32_t{2024})}, {"CodiceAttivita", text}},
       {one}},
      {"L.Sezionali/attivita", "L", "Sezionali", {{"CodiceAttivita", text}}, {one}},
      {"L.Sezionali/tipologia1", "L", "Sezionali", {{"TipologiaSezionale", one}}, {one}},
      {"L.Sezionali/tipologia2", "L", "Sezionali", {{"TipologiaSezionale", two}}, {one}},
      {"L.Sezionali/tipologia3",
       "L",
       "Sezionali",
       {{"TipologiaSezionale", Value(int32_t{3})}},
       {one}},
      // ledger reasons
      {"L.CausaliContabili/host", "L", "CausaliContabili", {}, {}, true},
      {"L.CausaliContabili/filtro",
       "L",
       "CausaliContabili",
       {{"FiltroStringaSQL", Value("CG33_CODICE LIKE 'V%'")},
        {"CausaleFissaPerCauCont", one},
        {"IndTipoRegPerCauCont", two},
        {"CampoOrdinamentoStringaSQL", Value("CG33_DESCR DESC")}},
       {}},
      {"L.CausaliContabili/fissa", "L", "CausaliContabili", {{"CausaleFissaPerCauCont", one}}, {}},
      {"L.CausaliContabili/categoria",
       "L",
       "CausaliContabili",
       {{"CausaliContabiliTipoLookup", one}, {"sCategoriaStampa_Cod", text}},
       {}},
      {"L.CausaliContabiliIVAAperturaPartiteAcconti/sezionali",
       "L",
       "CausaliContabiliIVAAperturaPartiteAcconti",
       {{"IncludiCausaliConGestioneSezionali", t}},
       {}},
      {"L.CausaliContabiliPerClassificazione/classificazione",
       "L",
       "CausaliContabiliPerClassificazione",
       {{"ClassificazioneCausale", text}},
       {}},
      {"L.CausaliContabiliContabilitaProgettiCommesse/host",
       "L",
       "CausaliContabiliContabilitaProgettiCommesse",
       {},
       {one},
       true},
      {"L.CausaliPagEff/tipo", "L", "CausaliPagEff", {{"CodAzienda", one}}, {Value(int16_t{1})}},
      {"L.CategorieStampa/host", "L", "CategorieStampa", {}, {}, true},
      // assets
      {"L.GruppoCespiti/ordine", "L", "GruppoCespiti", {}, {order}},
      {"L.SpecieCespiti/ordine", "L", "SpecieCespiti", {}, {one, Value("CG14_SPECIE DESC")}},
      {"L.SottoSpecieCespiti/specie",
       "L",
       "SottoSpecieCespiti",
       {},
       {one, text, Value("CG14_DESCR")}},
      {"L.Cespiti/padre",
       "L",
       "Cespiti",
       {{"CodCespPadre", Value(int32_t{7})}, {"CodiceSede", one}},
       {one}},
      {"L.Cespiti/padre-compreso",
       "L",
       "Cespiti",
       {{"CodCespPadre", Value(int32_t{7})}, {"CodCespPadreCompreso", t}},
       {one}},
      {"L.CespitiDitta/non-figli",
       "L",
       "CespitiDitta",
       {{"CespitiNonFigli", t}, {"CodiceSede", one}},
       {one, one, text, one}},
      {"L.CespitiPerContoContabile/sede",
       "L",
       "CespitiPerContoContabile",
       {{"CodiceSede", one}},
       {one, one, text, Value("CS04_DESCR")}},
      {"L.Ubicazioni/ordine", "L", "Ubicazioni", {}, {one, Value("CS05_DESCR")}},
      {"L.BeniUsati/ordine", "L", "BeniUsati", {}, {one, Value("CGM0_DESCR")}},
      {"L.ContiImmobilizzi/ordine", "L", "ContiImmobilizzi", {}, {one, Value("CG22_DESCR")}},
      {"L.ElencoGruppoSpecieSottospecieCesp/ordine",
       "L",
       "ElencoGruppoSpecieSottospecieCesp",
       {},
       {Value("CG14_DESCR")}},
      {"L.RiclassificazioneBilancioCEE/ordine",
       "L",
       "RiclassificazioneBilancioCEE",
       {},
       {one, Value("CG23_DESCR")}},
      // F24
      {"L.AnagContribuente/azienda", "L", "AnagContribuente", {{"CodAzienda", one}}, {}},
      {"L.AnagContribuente/ordine", "L", "AnagContribuente", {}, {Value("CG1F_RAGSOC")}},
      {"L.Tributo/tutte", "L", "Tributo", {}, {Value(int32_t{0})}},
      {"L.SpedizioneRBKF24/contribuente", "L", "SpedizioneRBKF24", {}, {Value("CG5F_ANNO"), one}},
      {"L.SpedizioneRBKF24/contribuente-vuoto", "L", "SpedizioneRBKF24", {}, {none, Value()}},
      {"L.ContiCorrenti/firmatario", "L", "ContiCorrenti", {}, {one, two, Value("CG7F_NUMCC")}},
      // customers and suppliers
      {"L.ContiCliFor/clienti", "L", "ContiCliFor", {}, {one, Value(int32_t{0})}},
      {"L.ContiCliFor/entrambi", "L", "ContiCliFor", {}, {one, two}},
      // small tables, intercompany
      {"L.TipiIVA/host", "L", "TipiIVA", {{"IndMonofaseRSM", one}}, {}, true},
      {"L.ModalitaErogazione/host", "L", "ModalitaErogazione", {}, {}, true},
      {"L.ModalitaIncasso/host", "L", "ModalitaIncasso", {}, {}, true},
      {"L.Servizio/anno", "L", "Servizio", {{"Anno_Nomenclatura", Value(int16_t{2024})}}, {}, true},
      {"L.AziendeIntercompany/data",
       "L",
       "AziendeIntercompany",
       {{"DataStrutturaIntercompany", day(2024, 1, 1)}},
       {}},
      {"L.AziendeIntercompany/data+figlio",
       "L",
       "AziendeIntercompany",
       {{"DataStrutturaIntercompany", day(2024, 1, 1)}, {"CodIntercompanyFiglio", one}},
       {}},
      // contracts of the 3000-euro lists
      {"L.ContrattiMovimenti3000Euro/tutto-aperto",
       "L",
       "ContrattiMovimenti3000Euro",
       {{"DataRegistrazione", day(2024, 6, 30)}},
       {Value(false)}},
      {"L.ContrattiMovimenti3000Euro/tutto-dato",
       "L",
       "ContrattiMovimenti3000Euro",
       {{"CodAzienda", one},
        {"TipoCF", Value(int32_t{0})},
        {"CodCliFor", Value(int32_t{123})},
        {"NumRegistrazione", Value("2024/000123")},
        {"Elenchi_IndGestioneElenchiMov3000", two},
        {"DataRegistrazione", day(2024, 6, 30)}},
       {Value(false)}},
      {"L.ContrattiMovimenti3000Euro/codice-senza-tipo",
       "L",
       "ContrattiMovimenti3000Euro",
       {{"CodCliFor", Value(int32_t{123})}, {"DataRegistrazione", day(2024, 6, 30)}},
       {Value(false)}},
      {"L.ContrattiCorrispettivi3000Euro/tutto-aperto",
       "L",
       "ContrattiCorrispettivi3000Euro",
       {},
       {Value(false)}},
      {"L.ContrattiCorrispettivi3000Euro/tutto-dato",
       "L",
       "ContrattiCorrispettivi3000Euro",
       {{"CodAzienda", one}, {"CodFiscale", Value("RSSMRA80A01H501U")}, {"CodAnagrafica", one}},
       {Value(false)}},
      {"L.LettereIntento/dati",
       "L",
       "LettereIntento",
       {{"CodAzienda", one},
        {"TipoCF", Value(int32_t{0})},
        {"CodCliFor", Value(int32_t{123})},
        {"DataDocumento", day(2024, 6, 30)},
        {"NumRegistrazione", Value("2024/000123")},
        {"TipoOperazionePlafond", Value(int16_t{1})}},
       {},
       true},
      {"L.IFRS15_Nature/ordine",
       "L",
       "IFRS15_Nature",
       {},
       {Value(int16_t{1}), Value("IF03_DESCRIZIONE")}},
      // invalid by the library's own rules (listed in check.py)
      {"L.GruppoCespiti/ordine-null", "L", "GruppoCespiti", {}, {Value::null()}},
      {"L.IFRS15_Tipi/ordine-null", "L", "IFRS15_Tipi", {}, {Value::null()}},
      {"L.Sezionali/ditta-vuota", "L", "Sezionali", {}, {Value()}},
      {"D.ContiCliFor/tipo-vuoto", "D", "ContiCliFor", {}, {c, one, Value(), Value(int32_t{123})}},
      // decodes
      {"D.Valute/controlli", "D", "Valute", {}, {Value("EUR"), c, c}},
      {"D.ContiCorrenti/id", "D", "ContiCorrenti", {}, {one, none, none, none, c, c}},
      {"D.ContiCorrenti/chiave", "D", "ContiCorrenti", {}, {none, one, two, one, c}},
      {"D.ContiCorrenti/chiave-incompleta", "D", "ContiCorrenti", {}, {none, one, none, none, c}},
      {"D.Cespiti/campi",
       "D",
       "Cespiti",
       {{"CampoDecodificaCespitiSottoSpecie", c}, {"CampoDecodificaCespitiCodImmobilizzo", c}},
       {c, one, one}},
      {"D.CausaliContabili/host", "D", "CausaliContabili", {}, {c, text}, true},
      {"D.Servizio/anno",
       "D",
       "Servizio",
       {{"Anno_Nomenclatura", Value(int16_t{2024})}},
       {c, text},
       true},
      {"D.CategorieStampa/identita", "D", "CategorieStampa", {}, {c, one}},
      {"D.CategorieStampa/codice", "D", "CategorieStampa", {}, {c, none, Value("CAT1")}, true},
      {"D.AziendaIntercompany/data",
       "D",
       "AziendaIntercompany",
       {{"DataStrutturaIntercompany", day(2024, 1, 1)}},
       {c, one}},
      {"D.CausaliPagEff/tipo", "D", "CausaliPagEff", {}, {c, one, one, Value(int16_t{1})}},
      {"D.ModalitaErogazione/host", "D", "ModalitaErogazione", {}, {c, text}, true},
      {"D.ClienteFornitore/data",
       "D",
       "ClienteFornitore",
       {},
       {one, Value(int32_t{0}), Value(int32_t{123}), day(2024, 6, 30)}},
  };
}

void run_case(const Case& k) {
  ObjectRef o = make(k.cls);
  if (k.host) {
    host::RecordingHostConfig cfg;
    cfg.language = Value("ENG");
    cfg.company = Value(int32_t{12});
    set_property(*o, "ActiveInterface",
                 Value(ObjectRef(make_object<host::RecordingHost>(cfg, nullptr))));
  }
  for (const auto& [name, value] : k.settings) {
    if (value.is_object())
      set_property(*o, name, value);
    else
      let_property(*o, name, value);
  }
  std::vector<Value> args = k.args;
  call_method(*o, k.method, args);
  emit(k.label, get_property(*o, "StringaSQL"));
}

int run() {
  // Every member on its default path.
  for (std::string_view cls : {"L", "D"}) {
    ObjectRef probe = make(cls);
    for (const Member& m : probe->class_info().members()) {
      if (m.kind != MemberKind::Method) continue;
      if (m.name == "EserciziContabili" || m.name == "CodiciIva") continue;  // below / not ours
      Case k{std::string(cls) + "." + std::string(m.name), cls, m.name, {}, default_args(m)};
      run_case(k);
    }
  }
  for (const Case& k : conditional_cases()) run_case(k);

  // The statements the library runs itself, as the connection receives them.
  {
    auto db = make_object<RecordingConnection>();
    auto lk = make_object<CLSCG_LOOKUP>();
    ObjectRef connection(db);
    lk->EserciziContabili(connection, Value(int32_t{12}));
    for (const std::string& s : db->executed) emit("L.EserciziContabili/execute", Value(s));
  }
  {
    auto db = make_object<RecordingConnection>();
    auto cn = make_object<CLSCG_CONNECT>();
    cn->Connessione = ObjectRef(db);
    cn->CodiceAzienda = 12;
    cn->NumeroRegistrazione = "2024/000123";
    cn->CallRiferimentiGraficiDocumento();
    for (const std::string& s : db->executed)
      emit("C.CallRiferimentiGraficiDocumento/execute", Value(s));
  }
  return 0;
}

}  // namespace
}  // namespace lema

int main() {
  try {
    return lema::run();
  } catch (const std::exception& e) {
    std::cerr << "statements: " << e.what() << "\n";
    return 1;
  }
}
