// The value guard: its three rules, its switch, and a sweep over every lookup and decode
// member showing that no value reaches a statement against its rule while the guard is on,
// and that plain values give the same statements with the guard on or off.
#include <gtest/gtest.h>

#include "common/guard.h"
#include "common/sql.h"
#include "decode/clscg_decode.h"
#include "lookup/clscg_lookup.h"
#include "support/errors.h"
#include "support/member_sweep.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

using namespace testing_support;

TEST(ValueGuard, Rules) {
  for (std::string_view ok : {"", "ABC", "A B-C/1", "d\xC3\xA8"})
    EXPECT_TRUE(guard::is_quotable(ok)) << ok;
  for (std::string_view bad : {"'", "x' OR '1'='1"}) EXPECT_FALSE(guard::is_quotable(bad)) << bad;
  for (std::string_view ok :
       {"0", "-12", "+3", "12.5", ".5", "1e+20", "1.5E-07", "  5 ", "CG33_CODICE", "_x1", "NaN"})
    EXPECT_TRUE(guard::is_bare_token(ok)) << ok;
  for (std::string_view bad : {"", " ", "1 OR 1=1", "1;", "-Infinity", "2024-03-15", "1e", "1.2.3",
                               "A.B", "x'", "--", "1/*", "\xC3\xA8", "-", "+", "1e+", ".", "1x"})
    EXPECT_FALSE(guard::is_bare_token(bad)) << bad;
  for (std::string_view ok :
       {"CG14_GRUPPO", "CG14_GRUPPO, CG14_SPECIE", "CG1F_DITTA_CG18 DESC, CG1F_CODICE",
        "a asc,b DESC", " CG0L_05.CG0L_DESCRIZIONE ", "X\tDesc"})
    EXPECT_TRUE(guard::is_ordering(ok)) << ok;
  for (std::string_view bad : {"", "1", "A,", ",A", "A B", "A DESC DESC", "A; DROP TABLE T", "A.",
                               "A..B", "(SELECT 1)", "A -- x", "LEN(A)", "A ASC'", ".A", "A, ,B"})
    EXPECT_FALSE(guard::is_ordering(bad)) << bad;
}

TEST(ValueGuard, PiecesKeepTheirTextAndAreCheckedOnlyWhenTheGuardIsOn) {
  const Value hostile("x'; DROP TABLE T --");
  auto build = [&] {
    SqlText sql;
    sql << "A = 'it''s' AND B = '" << quoted(hostile) << "' AND C = " << Value("1 OR 1=1")
        << " ORDER BY " << order_list(Value::null()) << sql_condition(Value(" AND 'a'='a'"));
    return sql.str();
  };
  {
    ValueGuardScope off(false);
    EXPECT_FALSE(value_guard());
    EXPECT_EQ(build(),
              "A = 'it''s' AND B = 'x'; DROP TABLE T --' AND C = 1 OR 1=1 ORDER BY  AND 'a'='a'");
  }
  ValueGuardScope on(true);
  EXPECT_TRUE(value_guard());
  EXPECT_EQ(
      error_of([&] { build(); }),
      "5 value refused by the value guard (quote inside a quoted value): x'; DROP TABLE T --");
  SqlText sql;
  sql << quoted(Value("ok"), "") << bare(Value(), "0") << order_list(Value(), "CG08_CODICE")
      << quoted(std::string("b"));
  EXPECT_EQ(sql.str(), "ok0CG08_CODICEb");
  EXPECT_EQ(error_of([&] { sql << Value("1 OR 1=1"); }),
            "5 value refused by the value guard (not a number or identifier): 1 OR 1=1");
  EXPECT_EQ(error_of([&] { sql.or_default(Value("2024-03-15"), "0"); }),
            "5 value refused by the value guard (not a number or identifier): 2024-03-15");
  EXPECT_EQ(error_of([&] { sql << order_list(Value("A; SELECT 1")); }),
            "5 value refused by the value guard (not a list of column names): A; SELECT 1");
}

// Each method on a fresh instance with every setting and argument plain, then once more with
// `hostile` in one input. Returns the statement after each call.
std::pair<std::string, std::string> run(ObjectRef o, const Member& m, int param,
                                        std::string_view setting, std::string_view hostile) {
  const ObjectRef control = host::make_control("txt");
  fill_settings(*o, Value("A1"));
  std::vector<Value> args = args_for(m, Value("A1"), control);
  call_method(*o, m.name, args);
  const std::string first = text_of(get_property(*o, "StringaSQL"));
  args = args_for(m, Value("A1"), control);
  if (param >= 0) args[static_cast<size_t>(param)] = Value(hostile);
  if (!setting.empty()) let_property(*o, setting, Value(hostile));
  call_method(*o, m.name, args);
  return {first, text_of(get_property(*o, "StringaSQL"))};
}

// Whether every occurrence of `what` in `sql` stands between the statement's quotes.
bool only_inside_quotes(const std::string& sql, std::string_view what) {
  for (size_t p = sql.find(what); p != std::string::npos; p = sql.find(what, p + 1))
    if (std::count(sql.begin(), sql.begin() + static_cast<long>(p), '\'') % 2 == 0) return false;
  return true;
}

TEST(ValueGuard, NoValueReachesAStatementAgainstItsRuleAndPlainOnesPass) {
  int compared = 0, quote_reached = 0, phrase_reached = 0, phrase_refused = 0;
  for (const char* cls : {"LEMA_LOOKUPDECODE.CLSCG_LOOKUP", "LEMA_LOOKUPDECODE.CLSCG_DECODE"}) {
    const ClassInfo& info = create_object(cls)->class_info();
    for (const Member* m : methods_of(info)) {
      std::string off, on;
      {
        ValueGuardScope g(false);
        off = run(create_object(cls), *m, -1, {}, "").second;
      }
      ValueGuardScope g(true);
      EXPECT_EQ(run(create_object(cls), *m, -1, {}, "").second, off) << m->name;
      compared += off.size() > 8;
      std::vector<std::pair<int, std::string_view>> inputs;
      for (size_t i = 0; i < m->params.size(); ++i)
        if (takes_text(m->params[i])) inputs.emplace_back(static_cast<int>(i), "");
      for (const Member* s : text_settings_of(info))
        if (s->name != "FiltroStringaSQL")
          inputs.emplace_back(-1, s->name);  // the caller's SQL, by contract
      for (const auto& [param, setting] : inputs)
        for (std::string_view hostile :
             {"zq'zq", "1 OR zb=zb"}) {  // refused quoted and bare; refused bare
          const std::string where = std::string(m->name) + " <- " +
                                    (param >= 0 ? std::to_string(param) : std::string(setting));
          std::string unguarded;
          {
            ValueGuardScope gg(false);
            unguarded = run(create_object(cls), *m, param, setting, hostile).second;
          }
          if (unguarded.find(hostile) == std::string::npos)
            continue;  // the input does not reach it
          auto [before, after] = run(create_object(cls), *m, param, setting, hostile);
          if (hostile[2] == '\'') {
            ++quote_reached;  // refused: the statement stays as the previous call left it (or
                              // cleared)
            EXPECT_TRUE(after == before || after.empty()) << where << "\n" << after;
          } else {
            ++phrase_reached;
            phrase_refused += after.find(hostile) == std::string::npos;
            EXPECT_TRUE(only_inside_quotes(after, hostile)) << where << "\n" << after;
          }
        }
    }
  }
  EXPECT_GT(compared, 70);
  EXPECT_GT(quote_reached, 100);
  EXPECT_GT(phrase_refused, 80);
  EXPECT_LT(phrase_refused, phrase_reached);
}

TEST(ValueGuard, ConditionAndTranslationsPassAndARefusedClauseFailsTheWholeStatement) {
  ValueGuardScope g(true);
  auto lk = make_object<CLSCG_LOOKUP>();
  host::RecordingHostConfig cfg;
  cfg.translation = host::RecordingHostConfig::Translation::Prefix;
  cfg.prefix = "l'";  // the host's own translations stay as given
  lk->ActiveInterface = ObjectRef(make_object<host::RecordingHost>(cfg, nullptr));
  lk->FiltroStringaSQL = Value("CG33_CODICE LIKE 'A%'");
  lk->CampoOrdinamentoStringaSQL = Value("CG33_CODICE DESC, CG33_DESCR");
  lk->CausaliContabili();
  const std::string sql = text_of(lk->StringaSQL());
  EXPECT_TRUE(sql.ends_with(" WHERE CG33_CODICE LIKE 'A%' ORDER BY CG33_CODICE DESC, CG33_DESCR"))
      << sql;
  EXPECT_NE(sql.find("THEN 'l'Acquisti'"), std::string::npos);
  lk->CampoOrdinamentoStringaSQL = Value("CG33_CODICE; DELETE FROM CG33_TABCAU");
  lk->Valute();
  lk->CausaliContabili();
  EXPECT_EQ(lk->StringaSQL(),
            Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));
  EXPECT_EQ(lk->IDLookup, Value("Lkp_CausaliContabili"));  // the other steps ran
  lk->CodAzienda =
      Value("1 OR 1=1");  // the company clause is a step of its own: no list of every company
  lk->AnagContribuente();
  EXPECT_EQ(lk->StringaSQL(),
            Value("SELECT CG08_CODICE, CG08_DESCR FROM CG08_TABVALUTE WITH (NOLOCK) "));
}

}  // namespace
}  // namespace lema
