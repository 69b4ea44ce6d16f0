// What a lookup or decode call costs, against the physical limit: for each method, the
// time of a call on its default path, the time of a memcpy of as many bytes as the
// statement it produced (same run), their ratio, the statement's size and the heap
// allocations of one call. Without a host object and with a host whose Translate is the
// identity.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "automation/class_info.h"
#include "bench/alloc_counter.h"
#include "decode/clscg_decode.h"
#include "host/host_framework.h"
#include "lookup/clscg_lookup.h"
#include "testing/stand_ins.h"

namespace lema::bench {
namespace {

// The lean host a production screen would have: identity translation, fixed codes.
class IdentityHost final : public host::HostFramework {
 public:
  Value LanguageCode() override { return Value::literal("ITA"); }
  Value CompanyCode() override { return Value(int32_t{1}); }
  void Translate(std::string_view text, std::string& out) override { out.append(text); }
  bool IsHostOptionSet() override { return false; }
};

template <class Obj>
struct Case {
  const char* name;
  std::function<void(Obj&)> call;
};

ObjectRef control() {
  static ObjectRef c = host::make_control("ctl");
  return c;
}

std::vector<Case<CLSCG_LOOKUP>> lookup_cases() {
  using L = CLSCG_LOOKUP;
  const Value one(int32_t{1});
  return {
      {"Sezionali", [=](L& l) { l.Sezionali(one); }},
      {"Valute", [](L& l) { l.Valute(); }},
      {"ContiCliFor", [=](L& l) { l.ContiCliFor(one, Value(int32_t{0})); }},
      {"CausaliContabili", [](L& l) { l.CausaliContabili(); }},
      {"EserciziContabili_LKPGRID",
       [=](L& l) {
         ObjectRef c;
         l.EserciziContabili_LKPGRID(c, one);
       }},
      {"GruppoCespiti", [](L& l) { l.GruppoCespiti(); }},
      {"SpecieCespiti", [=](L& l) { l.SpecieCespiti(one); }},
      {"RiclassificazionePdC", [](L& l) { l.RiclassificazionePdC(); }},
      {"RiclassificazioneBilancioCEE", [=](L& l) { l.RiclassificazioneBilancioCEE(one); }},
      {"ContiImmobilizzi", [=](L& l) { l.ContiImmobilizzi(one); }},
      {"SottoSpecieCespiti", [=](L& l) { l.SottoSpecieCespiti(one, Value::literal("01")); }},
      {"Cespiti", [=](L& l) { l.Cespiti(one); }},
      {"ElencoGruppoSpecieSottospecieCesp", [](L& l) { l.ElencoGruppoSpecieSottospecieCesp(); }},
      {"ElencoGruppoSpecieCesp", [](L& l) { l.ElencoGruppoSpecieCesp(); }},
      {"ElencoSpecieSottoSpecieCesp", [=](L& l) { l.ElencoSpecieSottoSpecieCesp(one); }},
      {"Ubicazioni", [=](L& l) { l.Ubicazioni(one); }},
      {"CausaliContabiliSoloIVA", [](L& l) { l.CausaliContabiliSoloIVA(); }},
      {"CespitiDitta", [=](L& l) { l.CespitiDitta(one, one, Value::literal("01"), one); }},
      {"AnagContribuente", [](L& l) { l.AnagContribuente(); }},
      {"Tributo", [=](L& l) { l.Tributo(one); }},
      {"CausaliContabiliIVAAperturaPartiteAcconti",
       [](L& l) { l.CausaliContabiliIVAAperturaPartiteAcconti(); }},
      {"AllegatiPerInventariContabili", [](L& l) { l.AllegatiPerInventariContabili(); }},
      {"GruppiPerInventariContabili",
       [](L& l) { l.GruppiPerInventariContabili(Value::literal("A1")); }},
      {"SpedizioneRBKF24", [](L& l) { l.SpedizioneRBKF24(); }},
      {"CespitiPerContoContabile",
       [=](L& l) { l.CespitiPerContoContabile(one, one, Value::literal("1201")); }},
      {"BeniUsati", [=](L& l) { l.BeniUsati(one); }},
      {"AziendeIntercompany", [](L& l) { l.AziendeIntercompany(); }},
      {"ContiCorrenti", [=](L& l) { l.ContiCorrenti(one, TipoSoggettoF24::Contribuente); }},
      {"DeducibilitaCespiti", [](L& l) { l.DeducibilitàCespiti(); }},
      {"CausaliContabiliContabilitaProgettiCommesse",
       [=](L& l) { l.CausaliContabiliContabilitaProgettiCommesse(one); }},
      {"TipiIVA", [](L& l) { l.TipiIVA(); }},
      {"ModalitaErogazione", [](L& l) { l.ModalitaErogazione(); }},
      {"ModalitaIncasso", [](L& l) { l.ModalitaIncasso(); }},
      {"Servizio", [](L& l) { l.Servizio(); }},
      {"CausaliPagEff", [](L& l) { l.CausaliPagEff(); }},
      {"CausaliContabiliPerClassificazione", [](L& l) { l.CausaliContabiliPerClassificazione(); }},
      {"ClassificazioneCausali", [](L& l) { l.ClassificazioneCausali(); }},
      {"ContrattiMovimenti3000Euro", [](L& l) { l.ContrattiMovimenti3000Euro(); }},
      {"ContrattiCorrispettivi3000Euro", [](L& l) { l.ContrattiCorrispettivi3000Euro(); }},
      {"StruttureIntercompany", [](L& l) { l.StruttureIntercompany(); }},
      {"DatabaseIntercompany", [](L& l) { l.DatabaseIntercompany(); }},
      {"CategorieStampa", [](L& l) { l.CategorieStampa(); }},
      {"LettereIntento", [](L& l) { l.LettereIntento(); }},
      {"IFRS15_Tipi", [](L& l) { l.IFRS15_Tipi(); }},
      {"IFRS15_Operativita", [](L& l) { l.IFRS15_Operativita(1); }},
      {"IFRS15_Nature", [](L& l) { l.IFRS15_Nature(1); }},
      {"IFRS15_ClassificazioneArticoli", [](L& l) { l.IFRS15_ClassificazioneArticoli(1); }},
      {"IFRS15_ClassificazioneClienti", [](L& l) { l.IFRS15_ClassificazioneClienti(1); }},
  };
}

std::vector<Case<CLSCG_DECODE>> decode_cases() {
  using D = CLSCG_DECODE;
  const Value one(int32_t{1});
  const Value code = Value::literal("A1");
  return {
      {"Valute", [=](D& d) { d.Valute(Value::literal("EUR"), control(), control()); }},
      {"AttivitaISTAT", [=](D& d) { d.AttivitàISTAT(control(), code); }},
      {"ContiCliFor", [=](D& d) { d.ContiCliFor(control(), one, one, one); }},
      {"ClienteFornitore",
       [=](D& d) {
         d.ClienteFornitore(one, one, one, Value(*Date::from_civil(2024, 3, 15)), {}, control());
       }},
      {"RiclassificazionePdC", [=](D& d) { d.RiclassificazionePdC(control(), one); }},
      {"GruppoCespiti", [=](D& d) { d.GruppoCespiti(control(), one); }},
      {"SpecieCespiti", [=](D& d) { d.SpecieCespiti(control(), one, code); }},
      {"RiclassificazioneBilancioCEE",
       [=](D& d) { d.RiclassificazioneBilancioCEE(control(), code, one); }},
      {"ContiImmobilizzi", [=](D& d) { d.ContiImmobilizzi(control(), one, one); }},
      {"SottoSpecieCespiti", [=](D& d) { d.SottoSpecieCespiti(control(), one, code, one); }},
      {"Cespiti", [=](D& d) { d.Cespiti(control(), one, one); }},
      {"Ubicazioni", [=](D& d) { d.Ubicazioni(control(), one, one); }},
      {"CausaliContabili", [=](D& d) { d.CausaliContabili(control(), code); }},
      {"Tributo", [=](D& d) { d.Tributo(control(), one, Value::literal("1001")); }},
      {"BeneUsato", [=](D& d) { d.BeneUsato(control(), one, one); }},
      {"AziendaIntercompany", [=](D& d) { d.AziendaIntercompany(control(), one); }},
      {"ContiCorrenti",
       [=](D& d) {
         d.ContiCorrenti(one, Value::missing(), Value::missing(), Value::missing(), control(),
                         control());
       }},
      {"DeducibilitaCespiti", [=](D& d) { d.DeducibilitàCespiti(control(), one); }},
      {"ModalitaErogazione", [=](D& d) { d.ModalitaErogazione(control(), code); }},
      {"ModalitaIncasso", [=](D& d) { d.ModalitaIncasso(control(), code); }},
      {"Servizio", [=](D& d) { d.Servizio(control(), code); }},
      {"CausaliPagEff", [=](D& d) { d.CausaliPagEff(control(), code, one); }},
      {"TributoExt", [=](D& d) { d.TributoExt(control(), one, Value::literal("1001")); }},
      {"DatabaseIntercompany", [=](D& d) { d.DatabaseIntercompany(control(), control(), one); }},
      {"CategorieStampa", [=](D& d) { d.CategorieStampa(control(), Value(), "CAT"); }},
      {"LetteraIntento", [=](D& d) { d.LetteraIntento(control(), one); }},
      {"IFRS15_Tipo", [=](D& d) { d.IFRS15_Tipo(control(), one); }},
      {"IFRS15_Operativita", [=](D& d) { d.IFRS15_Operativita(control(), one); }},
      {"IFRS15_Natura", [=](D& d) { d.IFRS15_Natura(control(), one); }},
      {"IFRS15_ClassificazioneArticolo",
       [=](D& d) { d.IFRS15_ClassificazioneArticolo(control(), one); }},
      {"IFRS15_ClassificazioneCliente",
       [=](D& d) { d.IFRS15_ClassificazioneCliente(control(), one); }},
  };
}

// Nanoseconds per repetition of `f`, timed over enough repetitions to be steady.
template <class F>
double ns_per(F&& f) {
  using clock = std::chrono::steady_clock;
  size_t n = 64;
  for (;;) {
    auto t0 = clock::now();
    for (size_t i = 0; i < n; ++i) f();
    double ns = std::chrono::duration<double, std::nano>(clock::now() - t0).count();
    if (ns > 2e7 || n > (size_t{1} << 26)) return ns / static_cast<double>(n);
    n *= 4;
  }
}

template <class Obj>
void run_case(benchmark::State& state, const Case<Obj>& c, bool with_host) {
  auto obj = make_object<Obj>();
  if (with_host) obj->ActiveInterface = make_object<IdentityHost>();
  for (auto _ : state) {
    c.call(*obj);
    benchmark::DoNotOptimize(obj->StringaSQL());
  }
  const Value& sql = obj->StringaSQL();
  const size_t size = sql.is_string() ? sql.as_string().size() : 0;
  size_t before = allocations();
  c.call(*obj);
  state.counters["allocs"] = static_cast<double>(allocations() - before);
  state.counters["bytes"] = static_cast<double>(size);
  if (size > 0) {
    std::string src(sql.as_string()), dst(size, '\0');
    double t_call = ns_per([&] {
      c.call(*obj);
      benchmark::DoNotOptimize(obj->StringaSQL());
    });
    double t_copy = ns_per([&] {
      std::memcpy(dst.data(), src.data(), size);
      benchmark::DoNotOptimize(dst.data());
      benchmark::ClobberMemory();
    });
    state.counters["memcpy_ns"] = t_copy;
    state.counters["ratio"] = t_call / t_copy;
  }
}

void by_name(benchmark::State& state, const char* method, std::vector<Value> args) {
  ObjectRef lk = make_object<CLSCG_LOOKUP>();
  for (auto _ : state) {
    std::vector<Value> a = args;
    benchmark::DoNotOptimize(lk->invoke(method, InvokeKind::Call, a));
  }
  size_t before = allocations();
  std::vector<Value> a = args;
  lk->invoke(method, InvokeKind::Call, a);
  state.counters["allocs"] = static_cast<double>(allocations() - before);
}

int register_all() {
  for (const auto& c : lookup_cases()) {
    benchmark::RegisterBenchmark((std::string("lookup/") + c.name + "/nohost").c_str(),
                                 [c](benchmark::State& s) { run_case(s, c, false); });
    benchmark::RegisterBenchmark((std::string("lookup/") + c.name + "/identity").c_str(),
                                 [c](benchmark::State& s) { run_case(s, c, true); });
  }
  for (const auto& c : decode_cases()) {
    benchmark::RegisterBenchmark((std::string("decode/") + c.name + "/nohost").c_str(),
                                 [c](benchmark::State& s) { run_case(s, c, false); });
    benchmark::RegisterBenchmark((std::string("decode/") + c.name + "/identity").c_str(),
                                 [c](benchmark::State& s) { run_case(s, c, true); });
  }
  benchmark::RegisterBenchmark("byname/Valute",
                               [](benchmark::State& s) { by_name(s, "Valute", {}); });
  benchmark::RegisterBenchmark("byname/Sezionali", [](benchmark::State& s) {
    by_name(s, "Sezionali", {Value(int32_t{1})});
  });
  benchmark::RegisterBenchmark("byname/CausaliContabili",
                               [](benchmark::State& s) { by_name(s, "CausaliContabili", {}); });
  return 0;
}
const int registered = register_all();

}  // namespace
}  // namespace lema::bench

BENCHMARK_MAIN();
