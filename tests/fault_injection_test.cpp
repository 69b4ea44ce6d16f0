// Fault matrix: every member that talks to the host, a sibling component, DocumentGraphics
// or the database, run with that party failing at each of its operations in turn. The
// outcome is the one the failure rules give: defaults kept, outputs unchanged, False
// returned by the Call methods, nothing thrown, no reference kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "automation/class_info.h"
#include "automation/events.h"
#include "common/error.h"
#include "common/text.h"
#include "connect/clscg_connect.h"
#include "decode/clscg_decode.h"
#include "host/ado/connection.h"
#include "host/ado/recordset.h"
#include "lookup/clscg_lookup.h"
#include "support/databases.h"
#include "support/member_sweep.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

using testing_support::args_for;
using testing_support::fill_settings;
using testing_support::methods_of;
using testing_support::text_of;
using Names = std::set<std::string, std::less<>>;

// ---- the host ------------------------------------------------------------------------

// Who asks the host for what: the language code (with the default each member falls back
// on), the company code (default 0), translations.
struct HostUse {
  std::map<std::string, std::string, std::less<>> language;
  Names company;
  Names translation;
};

const HostUse& lookup_host_use() {
  static const HostUse use{
      {{"CausaliContabili", "ITA "},
       {"CausaliContabiliSoloIVA", "ITA "},
       {"CausaliContabiliIVAAperturaPartiteAcconti", "ITA "},
       {"CausaliContabiliPerClassificazione", "ITA "},
       {"CausaliContabiliContabilitaProgettiCommesse", "ITA "},
       {"TipiIVA", "ITA "},
       {"CategorieStampa", "ITA"},
       {"Servizio", "ITA"}},
      {"CausaliContabili", "ClassificazioneCausali", "ModalitaErogazione", "ModalitaIncasso"},
      {"Sezionali", "ContiCliFor", "CausaliContabili", "EserciziContabili", "Cespiti",
       "CausaliContabiliSoloIVA", "CespitiDitta", "AnagContribuente", "Tributo",
       "CausaliContabiliIVAAperturaPartiteAcconti", "AllegatiPerInventariContabili",
       "SpedizioneRBKF24", "CespitiPerContoContabile", "ContiCorrenti",
       "CausaliContabiliContabilitaProgettiCommesse", "CausaliContabiliPerClassificazione",
       "ContrattiMovimenti3000Euro", "EserciziContabili_LKPGRID", "LettereIntento"},
  };
  return use;
}

const HostUse& decode_host_use() {
  static const HostUse use{
      {{"CausaliContabili", "ITA "}, {"Servizio", "ITA"}, {"CategorieStampa", "ITA "}},
      {"ModalitaErogazione", "ModalitaIncasso"},
      {},
  };
  return use;
}

constexpr std::string_view kPlain = "A1";

// A host whose Translate fails at one call only (counting from 1); the other calls answer
// "T:" and the text.
class NthFailingHost final : public host::HostFramework {
 public:
  explicit NthFailingHost(int fail_at) : fail_at_(fail_at) {}
  Value LanguageCode() override { return Value("ENG"); }
  Value CompanyCode() override { return Value(int32_t{77}); }
  void Translate(std::string_view text, std::string& out) override {
    if (++calls_ == fail_at_) raise(ErrorCode::Host, "translation failed");
    out += "T:";
    out.append(text);
  }
  bool IsHostOptionSet() override { return false; }
  int calls() const { return calls_; }

 private:
  int fail_at_;
  int calls_ = 0;
};

struct HostCase {
  const char* cls;
  ObjectRef (*make)();
  const HostUse& (*use)();
};

const HostCase kHostCases[] = {
    {"CLSCG_LOOKUP", [] { return ObjectRef(make_object<CLSCG_LOOKUP>()); }, &lookup_host_use},
    {"CLSCG_DECODE", [] { return ObjectRef(make_object<CLSCG_DECODE>()); }, &decode_host_use},
};

// Every output the class exposes, after a call.
std::vector<Value> outputs_of(Object& o) {
  std::vector<Value> out;
  for (std::string_view name :
       {"StringaSQL", "Caption", "ColonneLookup", "IDLookup", "ColonneDiDecodifica"})
    if (o.class_info().find(name)) out.push_back(get_property(o, name));
  return out;
}

host::RecordingHostConfig working_host() {
  host::RecordingHostConfig cfg;
  cfg.language = Value("ENG");
  cfg.company = Value(int32_t{77});
  cfg.translation = host::RecordingHostConfig::Translation::Prefix;
  cfg.prefix = "T:";
  return cfg;
}

class HostFaults : public ::testing::Test {
 protected:
  // Runs `m` on a fresh instance (plain settings and arguments) with `host` as its
  // interface object (none when null). Nothing may escape, and the instance may keep no
  // reference to the host but its ActiveInterface.
  std::vector<Value> run(const HostCase& c, const Member& m, const ObjectRef& host,
                         bool plain_settings = true) {
    ObjectRef o = c.make();
    if (plain_settings) fill_settings(*o, Value(kPlain));
    if (host) set_property(*o, "ActiveInterface", Value(host));
    const uint32_t refs = host ? host->ref_count() : 0;
    std::vector<Value> args = args_for(m, Value(kPlain), control);
    EXPECT_NO_THROW(call_method(*o, m.name, args)) << m.name;
    if (host) {
      EXPECT_EQ(host->ref_count(), refs) << m.name;
    }
    std::vector<Value> out = outputs_of(*o);
    o.reset();
    if (host) {
      EXPECT_EQ(host->ref_count(), refs - 1) << m.name;  // released with the instance
    }
    return out;
  }
  std::vector<Value> run(const HostCase& c, const Member& m, host::RecordingHostConfig cfg,
                         const std::shared_ptr<host::TextLog>& log = nullptr,
                         bool plain_settings = true) {
    return run(c, m, ObjectRef(make_object<host::RecordingHost>(std::move(cfg), log)),
               plain_settings);
  }

  ObjectRef control = host::make_control("txt");
};

TEST_F(HostFaults, TheTablesNameEveryMemberThatAsksTheHost) {
  for (const HostCase& c : kHostCases) {
    ObjectRef probe = c.make();
    Names language, company, translation;
    for (const Member* m : methods_of(probe->class_info())) {
      // Settings given and settings left empty: some members ask only on one of the paths.
      auto log = std::make_shared<host::TextLog>();
      run(c, *m, working_host(), log, true);
      run(c, *m, working_host(), log, false);
      for (const std::string& line : log->lines) {
        if (line.starts_with("host get LanguageCode")) language.emplace(m->name);
        if (line.starts_with("host get CompanyCode")) company.emplace(m->name);
        if (line.starts_with("host call Translate")) translation.emplace(m->name);
      }
    }
    Names want_language;
    for (const auto& [name, def] : c.use().language) want_language.insert(name);
    EXPECT_EQ(language, want_language) << c.cls;
    EXPECT_EQ(company, c.use().company) << c.cls;
    EXPECT_EQ(translation, c.use().translation) << c.cls;
  }
}

TEST_F(HostFaults, EachHostOperationFailingGivesItsDefault) {
  int checked = 0;
  for (const HostCase& c : kHostCases) {
    ObjectRef probe = c.make();
    const HostUse& use = c.use();
    for (const Member* m : methods_of(probe->class_info())) {
      const std::string name(m->name);
      const auto lang = use.language.find(name);
      const bool asks =
          lang != use.language.end() || use.company.count(name) || use.translation.count(name);
      if (!asks) continue;
      const std::vector<Value> ok = run(c, *m, working_host());
      auto failing = [&](std::initializer_list<const char*> ops) {
        host::RecordingHostConfig cfg = working_host();
        for (const char* op : ops) cfg.fail.insert(op);
        return run(c, *m, cfg);
      };
      if (lang != use.language.end()) {
        host::RecordingHostConfig cfg = working_host();
        cfg.language = Value(lang->second);
        EXPECT_EQ(failing({"LanguageCode"}), run(c, *m, cfg)) << name;
        EXPECT_NE(ok, run(c, *m, cfg)) << name << ": the host's language shows";
        ++checked;
      }
      if (use.company.count(name)) {
        host::RecordingHostConfig cfg = working_host();
        cfg.company = Value();
        EXPECT_EQ(failing({"CompanyCode"}), run(c, *m, cfg)) << name;
        EXPECT_NE(ok, run(c, *m, cfg)) << name << ": the host's company shows";
        ++checked;
      }
      if (use.translation.count(name)) {
        host::RecordingHostConfig cfg = working_host();
        cfg.translation = host::RecordingHostConfig::Translation::Identity;
        EXPECT_EQ(failing({"Translate"}), run(c, *m, cfg)) << name;
        ++checked;
      }
      // Everything failing is the same as no host at all.
      EXPECT_EQ(failing({"LanguageCode", "CompanyCode", "Translate", "IsHostOptionSet"}),
                run(c, *m, ObjectRef()))
          << name;
    }
  }
  EXPECT_EQ(checked, 8 + 4 + 19 + 3 + 2);
}

TEST_F(HostFaults, ATranslationFailingAtAnyCallLeavesThatTextAsItIs) {
  int members = 0;
  for (const Member* m : methods_of(CLSCG_LOOKUP::static_class_info())) {
    if (!lookup_host_use().translation.count(m->name)) continue;
    const HostCase& c = kHostCases[0];
    auto all = make_object<NthFailingHost>(0);
    const std::string full = text_of(run(c, *m, ObjectRef(all))[0]);
    const int calls = all->calls();
    auto count = [](const std::string& s) {
      int n = 0;
      for (size_t p = s.find("T:"); p != std::string::npos; p = s.find("T:", p + 2)) ++n;
      return n;
    };
    if (count(full) != calls) continue;  // the translations do not all end in the statement
    ++members;
    auto strip = [](std::string s) {
      for (size_t p; (p = s.find("T:")) != std::string::npos;) s.erase(p, 2);
      return s;
    };
    for (int n = 1; n <= calls; ++n) {
      const std::string sql = text_of(run(c, *m, ObjectRef(make_object<NthFailingHost>(n)))[0]);
      EXPECT_EQ(count(sql), calls - 1) << m->name << " call " << n;
      EXPECT_EQ(strip(sql), strip(full)) << m->name << " call " << n;
    }
  }
  EXPECT_GE(members, 15);
}

// ---- the sibling lookup ------------------------------------------------------------------

class SiblingFaults : public ::testing::Test {
 protected:
  std::shared_ptr<host::TextLog> log = std::make_shared<host::TextLog>();
  std::shared_ptr<host::StandInBoard> board = std::make_shared<host::StandInBoard>(log);
  std::vector<std::unique_ptr<ScopedClass>> installed = board->install();

  // Creations and releases of stand-ins in the log balance.
  bool all_released() const {
    int live = 0;
    for (const std::string& l : log->lines) {
      if (l.ends_with(" create")) ++live;
      if (l.ends_with(" release")) --live;
    }
    return live == 0;
  }
};

TEST_F(SiblingFaults, CodiciIvaKeepsWhatTheFailingOperationFeeds) {
  struct Case {
    const char* op;              // "" for a sibling that cannot be created
    bool sql, columns, caption;  // which outputs keep the previous call's values
  };
  const Case cases[] = {
      {"", true, true, true},
      {"ActiveInterface", false, false, false},
      {"FiltroStringaSQL", false, false, false},
      {"AliquoteIVA", false, false, false},
      {"StringaSQL", true, false, false},
      {"ArrayFields", false, true, false},
      {"Titolo", false, false, true},
  };
  for (const Case& k : cases) {
    host::StandInConfig& cfg = board->config(host::kSiblingLookup);
    cfg = {};
    if (*k.op)
      cfg.fail.insert(k.op);
    else
      cfg.absent = true;
    auto lk = make_object<CLSCG_LOOKUP>();
    lk->Valute();
    const std::vector<Value> before = outputs_of(*lk);
    EXPECT_NO_THROW(call_method(*lk, "CodiciIva", {Value("CG28_ALIQUOTA > 0")})) << k.op;
    EXPECT_EQ(lk->StringaSQL() == before[0], k.sql) << k.op;
    EXPECT_EQ(lk->ColonneLookup() == before[2], k.columns) << k.op;
    EXPECT_EQ(lk->Caption() == before[1], k.caption) << k.op;
    EXPECT_EQ(lk->IDLookup, Value("Lkp_CodiciIVA")) << k.op;
    EXPECT_TRUE(all_released()) << k.op;  // the sibling ends with the call
  }
}

// ---- the sibling connector -----------------------------------------------------------------

std::vector<const Member*> sibling_call_methods() {
  std::vector<const Member*> out;
  for (const Member* m : methods_of(CLSCG_CONNECT::static_class_info()))
    if (m->name.starts_with("Call") && m->name != "CallRiferimentiGraficiDocumento")
      out.push_back(m);
  return out;
}

class ConnectorFaults : public SiblingFaults {
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
  // The members the connector uses on its sibling, in the order of first use.
  std::vector<std::string> sibling_ops(size_t from = 0) const {
    std::vector<std::string> ops;
    for (size_t i = from; i < log->lines.size(); ++i) {
      const std::string& l = log->lines[i];
      if (!l.starts_with("PIRO_CONNECT.CLSCG_CONNECT#")) continue;
      const size_t a = l.find(' ');
      const size_t b = l.find(' ', a + 1);
      if (b == std::string::npos) continue;  // create, release
      const std::string name = l.substr(b + 1, l.find(' ', b + 1) - b - 1);
      if (std::find(ops.begin(), ops.end(), name) == ops.end()) ops.push_back(name);
    }
    return ops;
  }
};

TEST_F(ConnectorFaults, EveryCallMethodAnswersFalseWhereverTheSiblingFails) {
  int cases = 0;
  for (const Member* m : sibling_call_methods()) {
    board->config(host::kSiblingConnect) = {};
    board->config(host::kSiblingConnect).byref["CallElenchiMov3000"] = Value(int16_t{9});
    log->lines.clear();
    std::vector<std::string> ops;
    {
      auto cn = make();
      EXPECT_EQ(call_method(*cn, m->name), Value(true)) << m->name;
      ops = sibling_ops();
    }
    ASSERT_FALSE(ops.empty()) << m->name;
    const auto position = [&](std::string_view op) {
      return std::find(ops.begin(), ops.end(), op) - ops.begin();
    };
    ops.insert(ops.begin(), "");  // the sibling cannot be created
    for (const std::string& op : ops) {
      host::StandInConfig& cfg = board->config(host::kSiblingConnect);
      cfg = {};
      cfg.byref["CallElenchiMov3000"] = Value(int16_t{9});
      if (op.empty())
        cfg.absent = true;
      else
        cfg.fail.insert(op);
      log->lines.clear();
      {
        auto cn = make();
        std::vector<Value> args;
        if (m->name == "CallElenchiMov3000") args.emplace_back(int16_t{3});
        Value r;
        EXPECT_NO_THROW(r = call_method(*cn, m->name, args)) << m->name << " / " << op;
        EXPECT_EQ(r, Value(false)) << m->name << " / " << op;
        // The first failure ends the method: nothing more is asked of the sibling.
        auto failed = std::find_if(log->lines.begin(), log->lines.end(), [&](const std::string& l) {
          return !op.empty() && l.find(" " + op) != std::string::npos;
        });
        if (failed != log->lines.end()) {
          for (auto it = failed + 1; it != log->lines.end(); ++it)
            EXPECT_TRUE(it->ends_with(" release")) << m->name << " / " << op << ": " << *it;
        }
        // Outputs written only after the sibling answered keep their values before that.
        const bool stato_read = m->name == "CallAssociazioneNoteVariazione3000" && !op.empty() &&
                                position(op) > position("Stato");
        if (!stato_read) {
          EXPECT_EQ(cn->Stato, 5) << m->name << " / " << op;
          EXPECT_EQ(cn->Errore, "before") << m->name << " / " << op;
        }
        if (m->name == "CallElenchiMov3000") {
          const bool called = !op.empty() && position(op) > position("CallElenchiMov3000");
          EXPECT_EQ(args[0], Value(static_cast<int16_t>(called ? 9 : 3))) << op;
        }
      }
      EXPECT_TRUE(all_released()) << m->name << " / " << op;
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
  ObjectRef sibling = cn->sibling();
  Value cancel(false), called(int32_t{0});
  EXPECT_NO_THROW(host::pick(*sibling, cancel, Value("S01"), called));
  sibling.reset();
  EXPECT_NO_THROW(call_method(*cn, "TerminateConnect"));
  EXPECT_FALSE(cn->sibling());
  cn.reset();
  EXPECT_TRUE(all_released());
}

// ---- the database ------------------------------------------------------------------------

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
    if (m == "Execute" || m == "Fields" || m == "MoveFirst" || m == "Close") {
      if (m == "MoveFirst") row = 0;
      return Value(ObjectRef(this));
    }
    if (m == "RecordCount") return Value(static_cast<int32_t>(years.size()));
    if (m == "EOF") return Value(row >= years.size());
    if (m == "MoveNext") {
      ++row;
      return Value();
    }
    if (m == "Item") {
      column = to_text(a[0]);
      return Value(ObjectRef(this));
    }
    if (m == "Value") {
      if (column == "CG19_ANNO") return Value(years[row]);
      if (column == "CG19_PROGESER") return Value(int16_t{1});
      if (column == "CG19_DATAAPE" || column == "CG19_DATACHIU") return Value::null();
      return Value("No");
    }
    raise(ErrorCode::NotSupported, std::string(m));
  }
  std::vector<int16_t> years{2023, 2024};
  std::string fail;
  size_t row = 0;
  std::string column;
};

TEST(DatabaseFaults, FiscalYearsOverAConnectionFailingAtEachOperation) {
  struct Case {
    const char* op;
    int rows;          // rows of the list; -1: no list (the empty path)
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
    EXPECT_NO_THROW(call_method(*lk, "EserciziContabili", {Value(connection), Value(int32_t{12})}));
    // The statement is the caller's to see only through the connection: StringaSQL keeps
    // the previous lookup's, the title and table are the fiscal years'.
    EXPECT_EQ(lk->Caption(), Value("Elenco esercizi contabili")) << k.op;
    EXPECT_EQ(lk->StringaSQL(),
              Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));
    auto* list = dynamic_cast<ado::Recordset*>(lk->LookupRecordset.get());
    if (k.rows < 0) {
      EXPECT_EQ(list, nullptr) << k.op;
      EXPECT_EQ(lk->IDLookup, Value("Lkp_Valute")) << k.op;
    } else {
      ASSERT_NE(list, nullptr) << k.op;
      EXPECT_EQ(list->RecordCount(), k.rows) << k.op;
      EXPECT_EQ(lk->IDLookup, Value("Lkp_EserciziContabili")) << k.op;
      if (k.rows > 0) {
        list->MoveFirst();
        EXPECT_EQ(list->value("ESER"), Value(k.eser)) << k.op;
      }
    }
    connection.reset();
    EXPECT_EQ(db->ref_count(), 1u) << k.op;  // nothing kept on the connection or its result
  }
}

TEST(DatabaseFaults, CustomerDecodeWhenTheConnectionOrTheStatementFails) {
  const Value ditta(int32_t{5}), tipo(int32_t{0}), codice(int32_t{123});
  const Value date(*Date::from_civil(2024, 6, 30));
  // A database that cannot be opened: "" now, and the failed connection stays in use.
  auto dc = make_object<CLSCG_DECODE>();
  const std::string nowhere =
      "sqlite3://db=" + (testing::scratch_dir() / "no" / "such" / "x.db").string();
  EXPECT_EQ(dc->ClienteFornitore(ditta, tipo, codice, date, nowhere), Value(""));
  EXPECT_FALSE(dc->StringaSQL().is_empty());
  const std::string url = testing::url_for(testing::Backend::Sqlite, testing::fresh_db_path());
  {
    auto db = make_object<ado::Connection>();
    db->Open(Value(url));
    for (const auto& s : testing::customer_fixture()) db->Execute(s);
  }
  EXPECT_EQ(dc->ClienteFornitore(ditta, tipo, codice, date, url), Value(""));
  // A statement that fails on an open connection: "" as well.
  const std::string empty_db = testing::url_for(testing::Backend::Sqlite, testing::fresh_db_path());
  auto dc2 = make_object<CLSCG_DECODE>();
  EXPECT_EQ(call_method(*dc2, "ClienteFornitore", {ditta, tipo, codice, date, Value(empty_db)}),
            Value(""));
  // The working case, for contrast.
  auto dc3 = make_object<CLSCG_DECODE>();
  EXPECT_EQ(dc3->ClienteFornitore(ditta, tipo, codice, date, url), Value("Rossi Mario S.r.l."));
}

// The document tables the graphic-references query reads, with one document of kind 1.
std::vector<std::string> document_fixture() {
  return {
      "CREATE TABLE CO99_MASTERDOC (CO99_DITTA_CG18 INTEGER, CO99_NUMREG VARCHAR(20), CO99_INDTIPOOP INTEGER)",
      "CREATE TABLE EF06_SCADSTO (EF06_DITTA_CG18 INTEGER, EF06_NUMREG_CO99 VARCHAR(20), EF06_NUMREGMOV_CO99 VARCHAR(20))",
      "CREATE TABLE CG41_PRIMANOTA (CG41_DITTA_CG18 INTEGER, CG41_NUMREG VARCHAR(20), CG41_CODICE_CG33 VARCHAR(4))",
      "CREATE TABLE CG41C_PRIMANOTA (CG41_DITTA_CG18 INTEGER, CG41_NUMREG VARCHAR(20), CG41_CODICE_CG33 VARCHAR(4))",
      "CREATE TABLE CG33_TABCAU (CG33_CODICE VARCHAR(4), CG33_INDGESTEC INTEGER)",
      "INSERT INTO CO99_MASTERDOC VALUES (12, '2024/000123', 1)",
  };
}

TEST_F(SiblingFaults, DocumentReferencesWithTheDatabaseGraphicsOrHostFailing) {
  const std::string url = testing::url_for(testing::Backend::Sqlite, testing::fresh_db_path());
  auto db = make_object<ado::Connection>();
  db->Open(Value(url));
  for (const std::string& s : document_fixture()) db->Execute(s);

  auto run = [&](bool host_fails, const ObjectRef& connection) {
    auto cn = make_object<CLSCG_CONNECT>();
    host::RecordingHostConfig cfg;
    if (host_fails) cfg.fail.insert("IsHostOptionSet");
    cn->ActiveInterface = ObjectRef(make_object<host::RecordingHost>(cfg, log));
    cn->Connessione = connection;
    cn->CodiceAzienda = 12;
    cn->NumeroRegistrazione = "2024/000123";
    Value r;
    EXPECT_NO_THROW(r = call_method(*cn, "CallRiferimentiGraficiDocumento"));
    return r;
  };

  log->lines.clear();
  EXPECT_EQ(run(false, db), Value(true));
  std::vector<std::string> ops;  // what is asked of DocumentGraphics
  for (const std::string& l : log->lines)
    if (l.starts_with("DocumentGraphics#1 call "))
      ops.push_back(l.substr(24, l.find(' ', 24) - 24));
  EXPECT_EQ(ops, (std::vector<std::string>{"SetHostInterface", "Prepare", "ShowReferences",
                                           "SetHostInterface"}));

  for (const std::string& op : {std::string(), std::string("SetHostInterface"),
                                std::string("Prepare"), std::string("ShowReferences")}) {
    host::StandInConfig& cfg = board->config(host::kDocumentGraphics);
    cfg = {};
    if (op.empty())
      cfg.absent = true;
    else
      cfg.fail.insert(op);
    EXPECT_EQ(run(false, db), Value(false)) << op;
    EXPECT_TRUE(all_released()) << op;
  }
  board->config(host::kDocumentGraphics) = {};
  EXPECT_EQ(run(true, db), Value(false));
  EXPECT_TRUE(all_released());

  // The database failing: a table gone, then the connection closed.
  db->Execute("DROP TABLE EF06_SCADSTO");
  log->lines.clear();
  EXPECT_EQ(run(false, db), Value(false));
  db->Close();
  EXPECT_EQ(run(false, db), Value(false));
  EXPECT_EQ(run(false, ObjectRef()), Value(false));
  for (const std::string& l : log->lines) EXPECT_FALSE(l.starts_with("DocumentGraphics")) << l;
  EXPECT_EQ(db->ref_count(), 1u);
}

}  // namespace
}  // namespace lema
