// Every lookup and decode path of the golden data, by name, with every kind of host; and the
// rules that hold for every member: a failing step keeps the previous statement, a failing
// translation keeps its text, the ordering rule.
//
// Equivalent mutants: a statement's capacity hint (asset_register.cpp's kStatementSize, the
// reserve sum in simple_decodes.cpp); in CodiceLarghezzaFissa, any width but 4 (no caller
// passes another) and && for || in its Empty-or-Null test (neither has text); the declared
// default of CausaliPagEff's omitted by-reference TipoCausale (the method then gets none); the
// kind of IFRS15_Tipi (no join reads it); the contract column's index tested without the
// grouping flag (the column is last, or alone); releasing a reference that ends with its scope
// anyway (the lookup's destructor, the fiscal-year list's local recordset).
#include "support/golden.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "automation/class_info.h"
#include "automation/registry.h"

namespace lema::golden {
namespace {

// Where two texts first differ, with some context.
::testing::AssertionResult same(const std::string& got, const std::string& want) {
  if (got == want) return ::testing::AssertionSuccess();
  size_t i = 0;
  while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
  const size_t from = i > 60 ? i - 60 : 0;
  auto part = [&](const std::string& s) {
    return nlohmann::json(s.substr(from, i - from + 60)).dump();
  };
  return ::testing::AssertionFailure()
         << "first difference at " << i << " (lengths " << got.size() << ", " << want.size()
         << ")\n   got: " << part(got) << "\n  want: " << part(want);
}

class Golden : public ::testing::TestWithParam<size_t> {
 protected:
  const Block& b = all_blocks()[GetParam()];
  const ClassInfo& info = create_object(b.label[0] == 'L' ? "LEMA_LOOKUPDECODE.CLSCG_LOOKUP"
                                                          : "LEMA_LOOKUPDECODE.CLSCG_DECODE")
                              ->class_info();
  const ::testing::ScopedTrace trace{__FILE__, __LINE__, b.label};
};

// No host, the standard one ("ENG", company 7) typed and by name, one whose language and
// company fail, one failing in everything.
TEST_P(Golden, EveryPathWithEveryHost) {
  std::ofstream dump;
  if (const char* d = std::getenv("LEMA_DUMP_STATEMENTS")) dump.open(d, std::ios::app);
  std::vector<const Path*> paths{&b.head};
  for (const Path& p : b.paths) paths.push_back(&p);
  for (const Path* p : paths)
    for (Host h : p->given_host ? std::vector<Host>{Host::Given}
                                : std::vector<Host>{Host::None, Host::Standard, Host::ByName,
                                                    Host::Defaults, Host::Failing}) {
      SCOPED_TRACE(b.file + ":" + std::to_string(p->line) + " " + p->setup + ", host " +
                   std::to_string(int(h)));
      const Outcome r = run(b, *p, h);
      std::string want = r.sentinel;
      if (!p->keep) {
        want = marked_statement(b, *p);
        if (h == Host::Standard || h == Host::ByName) want = apply_changes(want, b.host);
        want = unmark(want, h == Host::Standard || h == Host::ByName || h == Host::Defaults);
      }
      EXPECT_TRUE(same(r.sql, want));
      EXPECT_EQ(r.got, expected(b, *p, h));
      if (dump.is_open())
        dump << nlohmann::json{{"label", b.label + " " + p->setup}, {"host", int(h)}, {"sql", want}}
                    .dump()
             << "\n";
      if (HasFailure()) return;
    }
}

// Each Variant argument and setting in turn holds an array, which no statement can join: the
// statement is the default (the input unread) or the one held before, the failure swallowed,
// the other outputs set or kept; unless a path of the block sets that input to an array.
TEST_P(Golden, AFailingStepKeepsThePreviousStatement) {
  if (b.method == "CodiciIva") return;  // the sibling builds that statement
  std::set<std::string> own;
  for (const Path& p : b.paths) {
    for (const auto& [name, token] : p.settings)
      if (token == "array") own.insert(name);
    for (size_t i = 0; i < p.args.size(); ++i)
      if (p.args[i] == "array") own.insert(std::to_string(i));
  }
  const Member& m = *info.find(b.method);
  std::vector<std::pair<std::string, Path>> cases;
  for (size_t i = 0; i < m.params.size(); ++i)
    if (m.params[i].type == TypeTag::Variant) {
      Path c = b.head;
      c.args.resize(std::max(c.args.size(), i + 1), "missing");
      c.args[i] = "array";
      cases.emplace_back(std::to_string(i), c);
    }
  for (const Member& s : info.members())
    if (s.kind == MemberKind::Property && (s.access & access::L) && s.type == TypeTag::Variant &&
        s.name != "IDLookup") {
      Path c = b.head;
      c.settings.emplace_back(s.name, "array");
      cases.emplace_back(s.name, c);
    }
  const std::string plain = unmark(b.statement, false);
  for (const auto& [input, c] : cases) {
    if (own.count(input)) continue;
    const Outcome r = run(b, c, Host::None);
    SCOPED_TRACE("an array in " + input);
    EXPECT_TRUE(r.sql == r.sentinel || same(r.sql, plain));
    EXPECT_TRUE(r.sql == plain || r.got.at("swallowed") == "\"Type mismatch\"");
    for (const auto& [k, before] : r.before)
      EXPECT_TRUE(r.got.at(k) == b.head.expect.at(k) || r.got.at(k) == before) << k;
  }
}

// A translation failing at any one call leaves that text untranslated, the others not.
TEST_P(Golden, ATranslationFailingAtOneCallKeepsThatText) {
  const std::string numbered = unmark(b.statement, true);
  for (int n = 1; numbered != unmark(b.statement, false); ++n) {
    const std::string want = unmark(b.statement, true, n);
    ASSERT_TRUE(same(run(b, b.head, Host::FailNth, n).sql, want)) << "translation " << n;
    if (want == numbered) break;  // past the last one
  }
}

// A CampoOrdinamento left out, Empty or "" gives the default ordering; anything else (Null,
// blanks) is placed as it is, unless the method's own paths say otherwise.
TEST_P(Golden, OrderingRule) {
  const Member& m = *info.find(b.method);
  size_t at = 0;
  while (at < m.params.size() && m.params[at].name != "CampoOrdinamento") ++at;
  if (at == m.params.size() || b.label[0] != 'L') return;
  auto with = [&](const std::string& token) {
    Path c = b.head;
    c.args.resize(std::max(c.args.size(), at + 1), "missing");
    c.args[at] = token;
    return run(b, c, Host::None).sql;
  };
  auto own = [&](const std::string& token) {
    return std::any_of(b.paths.begin(), b.paths.end(),
                       [&](const Path& p) { return p.args.size() > at && p.args[at] == token; });
  };
  const std::string def = unmark(b.statement, false), given = with("\"ZZ9 DESC\"");
  const size_t p = given.find("ZZ9 DESC");
  ASSERT_NE(p, std::string::npos);
  const std::string before = given.substr(0, p), after = given.substr(p + 8);
  ASSERT_TRUE(def.starts_with(before) && def.ends_with(after) && def.size() > p + after.size());
  for (const char* left_out : {"missing", "empty", "\"\""})
    EXPECT_TRUE(same(with(left_out), def)) << left_out;
  EXPECT_TRUE(own("null") || same(with("null"), before + after));
  EXPECT_TRUE(own("\"  \"") || same(with("\"  \""), before + "  " + after));
}

INSTANTIATE_TEST_SUITE_P(Data, Golden, ::testing::Range(size_t{0}, all_blocks().size()));

}  // namespace
}  // namespace lema::golden
