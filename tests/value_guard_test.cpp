// The value guard: its rules, its switch, and a sweep over every lookup and decode member.
#include <gtest/gtest.h>

#include "automation/class_info.h"
#include "common/guard.h"
#include "common/sql.h"
#include "common/text.h"
#include "lookup/clscg_lookup.h"
#include "support/errors.h"
#include "testing/stand_ins.h"

namespace lema {
namespace {

using testing_support::error_of;

TEST(ValueGuard, Rules) {
  using Texts = std::vector<std::string_view>;
  const std::tuple<bool (*)(std::string_view), Texts, Texts> rules[] = {
      {guard::is_quotable, {"", "ABC", "A B-C/1", "d\xC3\xA8"}, {"'", "x' OR '1'='1"}},
      {guard::is_bare_token,
       {"0", "-12", "+3", "12.5", ".5", "1e+20", "1.5E-07", "  5 ", "CG33_CODICE", "_x1", "NaN"},
       {"", " ", "1 OR 1=1", "1;", "-Infinity", "2024-03-15", "1e", "1.2.3", "A.B", "x'", "--",
        "1/*", "\xC3\xA8", "-", "+", "1e+", ".", "1x"}},
      {guard::is_ordering,
       {"CG14_GRUPPO", "CG14_GRUPPO, CG14_SPECIE", "CG1F_DITTA_CG18 DESC, CG1F_CODICE",
        "a asc,b DESC", " CG0L_05.CG0L_DESCRIZIONE ", "X\tDesc"},
       {"", "1", "A,", ",A", "A B", "A DESC DESC", "A; DROP TABLE T", "A.", "A..B", "(SELECT 1)",
        "A -- x", "LEN(A)", "A ASC'", ".A", "A, ,B"}}};
  for (const auto& [rule, ok, bad] : rules) {
    for (std::string_view t : ok) EXPECT_TRUE(rule(t)) << t;
    for (std::string_view t : bad) EXPECT_FALSE(rule(t)) << t;
  }
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
    EXPECT_EQ(build(),
              "A = 'it''s' AND B = 'x'; DROP TABLE T --' AND C = 1 OR 1=1 ORDER BY  AND 'a'='a'");
  }
  ValueGuardScope on(true);
  const std::string refused = "5 value refused by the value guard (";
  EXPECT_EQ(error_of([&] { build(); }),
            refused + "quote inside a quoted value): x'; DROP TABLE T --");
  SqlText sql;
  sql << quoted(Value("ok"), "") << bare(Value(), "0") << order_list(Value(), "CG08_CODICE")
      << quoted(std::string("b"));
  EXPECT_EQ(sql.str(), "ok0CG08_CODICEb");
  EXPECT_EQ(error_of([&] { sql << Value("1 OR 1=1"); }),
            refused + "not a number or identifier): 1 OR 1=1");
  EXPECT_EQ(error_of([&] { sql.or_default(Value("2024-03-15"), "0"); }),
            refused + "not a number or identifier): 2024-03-15");
  EXPECT_EQ(error_of([&] { sql << order_list(Value("A; SELECT 1")); }),
            refused + "not a list of column names): A; SELECT 1");
}

bool takes_text(TypeTag t) {
  return t == TypeTag::Variant || t == TypeTag::String;
}

bool text_setting(const Member& s) {
  return s.kind == MemberKind::Property && (s.access & access::L) && takes_text(s.type);
}

// The statement after two calls on a new instance, texts "A1", the second call with `hostile`
// in argument `param` or `setting`.
std::string run(const char* cls, const Member& m, int param, std::string_view setting,
                std::string_view hostile, bool on) {
  ValueGuardScope g(on);
  ObjectRef o = create_object(cls);
  const ObjectRef control = host::make_control("txt");
  for (const Member& s : o->class_info().members())
    if (text_setting(s)) let_property(*o, s.name, Value("A1"));
  for (int call = 0; call < 2; ++call) {
    std::vector<Value> args;
    for (const ParamInfo& p : m.params)
      args.push_back(p.type == TypeTag::Object ? Value(control)
                     : takes_text(p.type)      ? Value("A1")
                                               : Value(int16_t{1}));
    if (call == 1 && param >= 0) args[static_cast<size_t>(param)] = Value(hostile);
    if (call == 1 && !setting.empty()) let_property(*o, setting, Value(hostile));
    call_method(*o, m.name, args);
  }
  return to_text(get_property(*o, "StringaSQL"));
}

bool only_inside_quotes(const std::string& sql, std::string_view what) {
  for (size_t p = sql.find(what); p != std::string::npos; p = sql.find(what, p + 1))
    if (std::count(sql.begin(), sql.begin() + static_cast<long>(p), '\'') % 2 == 0) return false;
  return true;
}

TEST(ValueGuard, NoValueReachesAStatementAgainstItsRuleAndPlainOnesPass) {
  int compared = 0, quote_reached = 0, phrase_reached = 0, phrase_refused = 0;
  for (const char* cls : {"LEMA_LOOKUPDECODE.CLSCG_LOOKUP", "LEMA_LOOKUPDECODE.CLSCG_DECODE"}) {
    const ClassInfo& info = create_object(cls)->class_info();
    for (const Member& m : info.members()) {
      if (m.kind != MemberKind::Method) continue;
      const std::string plain = run(cls, m, -1, {}, "", false);
      EXPECT_EQ(run(cls, m, -1, {}, "", true), plain) << m.name;
      compared += plain.size() > 8;
      std::vector<std::pair<int, std::string_view>> inputs;
      for (size_t i = 0; i < m.params.size(); ++i)
        if (takes_text(m.params[i].type)) inputs.emplace_back(static_cast<int>(i), "");
      for (const Member& s : info.members())  // FiltroStringaSQL is the caller's SQL
        if (text_setting(s) && s.name != "FiltroStringaSQL") inputs.emplace_back(-1, s.name);
      for (const auto& [param, setting] : inputs)
        for (std::string_view hostile : {"zq'zq", "1 OR zb=zb"}) {  // refused quoted and bare
          if (run(cls, m, param, setting, hostile, false).find(hostile) == std::string::npos)
            continue;  // not reached
          const std::string after = run(cls, m, param, setting, hostile, true);
          if (hostile[2] == '\'') {  // refused: the previous statement stays
            ++quote_reached;
            EXPECT_TRUE(after == plain || after.empty()) << m.name << param << setting;
          } else {
            ++phrase_reached;
            phrase_refused += after.find(hostile) == std::string::npos;
            EXPECT_TRUE(only_inside_quotes(after, hostile)) << m.name << param << setting;
          }
        }
    }
  }
  EXPECT_GT(compared, 70);
  EXPECT_GT(quote_reached, 100);
  EXPECT_GT(phrase_refused, 80);
  EXPECT_LT(phrase_refused, phrase_reached);
}

TEST(ValueGuard, ConditionAndTranslationsPassAndARefusedCompanyFailsTheWholeStatement) {
  ValueGuardScope g(true);
  auto lk = make_object<CLSCG_LOOKUP>();
  host::RecordingHostConfig cfg;
  cfg.translation = host::RecordingHostConfig::Translation::Prefix;
  cfg.prefix = "l'";  // the host's translations stay as given
  lk->ActiveInterface = ObjectRef(make_object<host::RecordingHost>(cfg, nullptr));
  lk->FiltroStringaSQL = Value("CG33_CODICE LIKE 'A%'");
  lk->CausaliContabili();
  const Value sql = lk->StringaSQL();
  EXPECT_TRUE(sql.as_string().ends_with(" WHERE CG33_CODICE LIKE 'A%' ORDER BY CG33_CODICE"));
  EXPECT_NE(sql.as_string().find("THEN 'l'Acquisti'"), std::string::npos);
  lk->CodAzienda = Value("1 OR 1=1");  // not a list of every company
  lk->AnagContribuente();
  EXPECT_EQ(lk->StringaSQL(), sql);
}

}  // namespace
}  // namespace lema
