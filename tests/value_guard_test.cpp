// The value guard: its three rules, its switch, and a sweep over every lookup and decode
// member showing that no value reaches a statement against its rule while the guard is on,
// and that plain values give the same statements with the guard on or off.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "automation/class_info.h"
#include "common/guard.h"
#include "common/sql.h"
#include "decode/clscg_decode.h"
#include "lookup/clscg_lookup.h"
#include "support/member_sweep.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

using testing_support::args_for;
using testing_support::fill_settings;
using testing_support::methods_of;
using testing_support::takes_text;
using testing_support::text_of;
using testing_support::text_settings_of;

TEST(ValueGuardRules, QuotedBareAndOrdering) {
  for (std::string_view ok : {"", "ABC", "A B-C/1", "20240315", "d\xC3\xA8"})
    EXPECT_TRUE(guard::is_quotable(ok)) << ok;
  for (std::string_view bad : {"'", "O'Brien", "x' OR '1'='1"})
    EXPECT_FALSE(guard::is_quotable(bad)) << bad;

  for (std::string_view ok : {"0", "-12", "+3", "12.5", ".5", "1e+20", "1.5E-07", "  5",
                              "CG33_CODICE", "_x1", "True", "NaN"})
    EXPECT_TRUE(guard::is_bare_token(ok)) << ok;
  for (std::string_view bad : {"", " ", "1 OR 1=1", "1;", "-Infinity", "2024-03-15", "1e", "1.2.3",
                               "A.B", "x'", "--", "1/*", "\xC3\xA8"})
    EXPECT_FALSE(guard::is_bare_token(bad)) << bad;

  for (std::string_view ok :
       {"CG14_GRUPPO", "CG14_GRUPPO, CG14_SPECIE", "CG1F_DITTA_CG18 DESC, CG1F_CODICE",
        "a asc,b DESC", " CG0L_05.CG0L_DESCRIZIONE ", "X\tDesc"})
    EXPECT_TRUE(guard::is_ordering(ok)) << ok;
  for (std::string_view bad : {"", "1", "A,", ",A", "A B", "A DESC DESC", "A; DROP TABLE T", "A.",
                               "A..B", "(SELECT 1)", "A -- x", "LEN(A)", "A ASC'"})
    EXPECT_FALSE(guard::is_ordering(bad)) << bad;
}

TEST(ValueGuardRules, CheckRaisesOnlyWhenTheGuardIsOn) {
  {
    ValueGuardScope off(false);
    EXPECT_FALSE(value_guard());
    EXPECT_NO_THROW(guard::check_quoted("O'Brien"));
    EXPECT_NO_THROW(guard::check_bare("1 OR 1=1"));
    EXPECT_NO_THROW(guard::check_ordering(""));
  }
  ValueGuardScope on(true);
  EXPECT_TRUE(value_guard());
  EXPECT_THROW(guard::check_quoted("O'Brien"), ValueRejected);
  EXPECT_THROW(guard::check_bare("1 OR 1=1"), ValueRejected);
  EXPECT_THROW(guard::check_ordering(""), ValueRejected);
  try {
    guard::check_quoted("O'Brien");
  } catch (const Error& e) {
    EXPECT_EQ(e.code(), ErrorCode::InvalidProcedureCall);
  }
}

TEST(ValueGuardRules, SqlTextPiecesKeepTheDefaultTextAndCheckTheirOwnPart) {
  const Value hostile("x'; DROP TABLE T --");
  {
    ValueGuardScope off(false);
    SqlText sql;
    sql << "A = '" << quoted(hostile) << "' AND B = " << Value("1 OR 1=1") << " ORDER BY "
        << order_list(Value::null()) << sql_condition(Value(" AND 'a'='a'"));
    EXPECT_EQ(sql.str(), "A = 'x'; DROP TABLE T --' AND B = 1 OR 1=1 ORDER BY  AND 'a'='a'");
  }
  ValueGuardScope on(true);
  SqlText sql;
  // The literal pieces around may hold quotes; only the inserted text is checked.
  sql << "A = 'it''s' AND B = '" << quoted(Value("ok"), "") << "' AND C = " << bare(Value(), "0")
      << " ORDER BY " << order_list(Value(), "CG08_CODICE") << sql_condition(Value(" AND 'a'='a'"));
  EXPECT_EQ(sql.str(), "A = 'it''s' AND B = 'ok' AND C = 0 ORDER BY CG08_CODICE AND 'a'='a'");
  EXPECT_THROW(sql << quoted(hostile), ValueRejected);
  EXPECT_THROW(sql << Value("1 OR 1=1"), ValueRejected);
  EXPECT_THROW(sql.or_default(Value("2024-03-15"), "0"), ValueRejected);
  EXPECT_THROW(sql << order_list(Value("CG08_CODICE; SELECT 1")), ValueRejected);
  EXPECT_THROW(sql << quoted(std::string("a'b")), ValueRejected);
}

// ---- the sweep -------------------------------------------------------------------------

constexpr std::string_view kPlain = "A1";     // passes every rule
constexpr std::string_view kQuote = "zq'zq";  // refused between quotes and bare
constexpr std::string_view kPhrase =
    "1 OR zb=zb";  // fine between quotes, refused bare and as ordering

struct SweepClass {
  const char* name;
  std::function<ObjectRef()> make;
};

// Where a hostile value goes: argument `param` of the method, or the setting `setting`.
struct Input {
  int param = -1;
  std::string_view setting;
};

std::vector<Input> inputs_of(const ClassInfo& info, const Member& m) {
  std::vector<Input> out;
  for (size_t i = 0; i < m.params.size(); ++i)
    if (takes_text(m.params[i])) out.push_back({static_cast<int>(i), {}});
  for (const Member* s : text_settings_of(info))
    // The caller's condition is SQL text by contract and passes through.
    if (s->name != "FiltroStringaSQL") out.push_back({-1, s->name});
  return out;
}

// A fresh instance with every setting and argument plain: one call, then one more with the
// hostile value in `in`. Returns the statement after each call.
std::pair<std::string, std::string> run(const SweepClass& c, const Member& m, const Input& in,
                                        std::string_view hostile, const ObjectRef& control) {
  ObjectRef o = c.make();
  fill_settings(*o, Value(kPlain));
  std::vector<Value> args = args_for(m, Value(kPlain), control);
  call_method(*o, m.name, args);
  std::string first = text_of(get_property(*o, "StringaSQL"));
  args = args_for(m, Value(kPlain), control);
  if (in.param >= 0)
    args[static_cast<size_t>(in.param)] = Value(hostile);
  else if (!in.setting.empty())
    let_property(*o, in.setting, Value(hostile));
  call_method(*o, m.name, args);
  return {first, text_of(get_property(*o, "StringaSQL"))};
}

// Whether every occurrence of `what` in `sql` stands between the statement's quotes.
bool only_inside_quotes(const std::string& sql, std::string_view what) {
  for (size_t p = sql.find(what); p != std::string::npos; p = sql.find(what, p + 1)) {
    size_t quotes = 0;
    for (size_t i = 0; i < p; ++i) quotes += sql[i] == '\'';
    if (quotes % 2 == 0) return false;
  }
  return true;
}

class ValueGuardSweep : public ::testing::Test {
 protected:
  std::vector<SweepClass> classes{
      {"CLSCG_LOOKUP", [] { return ObjectRef(make_object<CLSCG_LOOKUP>()); }},
      {"CLSCG_DECODE", [] { return ObjectRef(make_object<CLSCG_DECODE>()); }},
  };
  ObjectRef control = host::make_control("txt");
};

TEST_F(ValueGuardSweep, PlainValuesGiveTheSameStatementsWithTheGuardOnOrOff) {
  int compared = 0;
  for (const SweepClass& c : classes) {
    ObjectRef probe = c.make();
    for (const Member* m : methods_of(probe->class_info())) {
      std::string off, on;
      {
        ValueGuardScope g(false);
        off = run(c, *m, {}, kPlain, control).second;
      }
      {
        ValueGuardScope g(true);
        on = run(c, *m, {}, kPlain, control).second;
      }
      EXPECT_EQ(on, off) << c.name << "." << m->name;
      compared += off.size() > 8;
    }
  }
  EXPECT_GT(compared, 70);
}

TEST_F(ValueGuardSweep, NoValueReachesAStatementAgainstItsRule) {
  int quote_reached = 0, phrase_reached = 0, phrase_refused = 0;
  for (const SweepClass& c : classes) {
    ObjectRef probe = c.make();
    const ClassInfo& info = probe->class_info();
    for (const Member* m : methods_of(info)) {
      for (const Input& in : inputs_of(info, *m)) {
        const std::string where =
            std::string(c.name) + "." + std::string(m->name) + " <- " +
            (in.param >= 0 ? std::string(m->params[in.param].name) : std::string(in.setting));
        for (std::string_view hostile : {kQuote, kPhrase}) {
          std::string off;
          {
            ValueGuardScope g(false);
            off = run(c, *m, in, hostile, control).second;
          }
          if (off.find(hostile) == std::string::npos)
            continue;  // this input does not reach the statement
          ValueGuardScope g(true);
          auto [before, after] = run(c, *m, in, hostile, control);
          if (hostile == kQuote) {
            ++quote_reached;
            // Refused: the statement stays as the previous call left it (or as the method
            // cleared it before building).
            EXPECT_TRUE(after == before || after.empty()) << where << "\n" << after;
            EXPECT_EQ(after.find(kQuote), std::string::npos) << where;
          } else {
            ++phrase_reached;
            if (after.find(kPhrase) == std::string::npos) ++phrase_refused;
            EXPECT_TRUE(only_inside_quotes(after, kPhrase)) << where << "\n" << after;
          }
        }
      }
    }
  }
  // The sweep reaches the insertion points of many members; both kinds of place occur.
  EXPECT_GT(quote_reached, 100);
  EXPECT_GT(phrase_refused, 80);
  EXPECT_LT(phrase_refused, phrase_reached);
}

TEST(ValueGuard, ConditionAndTranslationsPassOrderingIsChecked) {
  ValueGuardScope g(true);
  auto lk = make_object<CLSCG_LOOKUP>();
  // A translation that holds a quote comes from the host's own service and stays as given.
  host::RecordingHostConfig cfg;
  cfg.translation = host::RecordingHostConfig::Translation::Prefix;
  cfg.prefix = "l'";
  lk->ActiveInterface = ObjectRef(make_object<host::RecordingHost>(cfg, nullptr));
  lk->FiltroStringaSQL = Value("CG33_CODICE LIKE 'A%'");
  lk->CausaliContabili();
  const std::string sql = text_of(lk->StringaSQL());
  EXPECT_NE(sql.find(" WHERE CG33_CODICE LIKE 'A%' ORDER BY CG33_CODICE"), std::string::npos);
  EXPECT_NE(sql.find("THEN 'l'Acquisti'"), std::string::npos);

  lk->CampoOrdinamentoStringaSQL = Value("CG33_CODICE DESC, CG33_DESCR");
  lk->CausaliContabili();
  EXPECT_TRUE(text_of(lk->StringaSQL()).ends_with(" ORDER BY CG33_CODICE DESC, CG33_DESCR"));
  lk->CampoOrdinamentoStringaSQL = Value("CG33_CODICE; DELETE FROM CG33_TABCAU");
  lk->Valute();
  lk->CausaliContabili();
  EXPECT_EQ(lk->StringaSQL(),
            Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CausaliContabili"));  // the other steps ran
  EXPECT_EQ(lk->Caption(), Value("Elenco causali contabili"));
}

TEST(ValueGuard, ARefusedClauseFailsTheWholeStatement) {
  // The company clause of the taxpayer list is a step of its own; a refused company must
  // not leave a statement that lists every company.
  ValueGuardScope g(true);
  auto lk = make_object<CLSCG_LOOKUP>();
  lk->Valute();
  lk->CodAzienda = Value("1 OR 1=1");
  lk->AnagContribuente();
  EXPECT_EQ(lk->StringaSQL(),
            Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));
  lk->CodAzienda = Value(int32_t{7});
  lk->AnagContribuente();
  EXPECT_TRUE(
      text_of(lk->StringaSQL())
          .ends_with(
              " WHERE    ISNULL(CG1F_DITTA_CG18,7) = 7 ORDER BY CG1F_DITTA_CG18 DESC, CG1F_CODICE"));
}

}  // namespace
}  // namespace lema
