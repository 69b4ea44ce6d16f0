// Every lookup and decode definition against the golden data (tests/golden/*.txt), by name
// as a host calls them, and the rules that hold for all of them at once: the host's
// language, company and translations (in text order, and the Italian texts when the host
// fails), a failing step keeping the previous statement, the ordering rule.
#include "support/golden.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "host/clock.h"
#include "host/stand_ins.h"

namespace lema::golden {
namespace {

using nlohmann::json;

enum class Host {
  None,
  Standard,
  ByName,
  DefaultsNumbered,
  Failing,
  Explicit,
  Mark,
  MarkStandard,
  FailNth
};

// A host reached by member name only (as a host registered through the C interface is).
class ByNameHost final : public Object {
 public:
  explicit ByNameHost(ObjectRef inner) : inner_(std::move(inner)) {}
  const ClassInfo& class_info() const override { return inner_->class_info(); }
  Value invoke(std::string_view m, InvokeKind k, std::span<Value> a) override {
    return inner_->invoke(m, k, a);
  }

 private:
  ObjectRef inner_;
};

// Marks each translated text «x» (the golden form); language and company as configured,
// failing when not.
class MarkingHost final : public host::HostFramework {
 public:
  explicit MarkingHost(bool standard) : standard_(standard) {}
  Value LanguageCode() override { return standard_ ? Value("ENG") : fail(); }
  Value CompanyCode() override { return standard_ ? Value(int32_t{7}) : fail(); }
  void Translate(std::string_view text, std::string& out) override {
    out.append("\u00ab").append(text);
    if (counted) out += "#" + std::to_string(++calls_);
    out.append("\u00bb");
  }
  static inline bool counted = false;  // «x#k»: when texts are placed more than once
  bool IsHostOptionSet() override { return false; }

 private:
  static Value fail() { raise(ErrorCode::Host, "no"); }
  bool standard_;
  int calls_ = 0;
};

// Numbers its translations as the recording host does, but fails at call `fail_at`.
class NthFailingHost final : public host::HostFramework {
 public:
  explicit NthFailingHost(int n) : fail_at_(n) {}
  Value LanguageCode() override { raise(ErrorCode::Host, "no"); }
  Value CompanyCode() override { raise(ErrorCode::Host, "no"); }
  void Translate(std::string_view text, std::string& out) override {
    if (++calls_ == fail_at_) raise(ErrorCode::Host, "translation failed");
    out.append(text).append("#" + std::to_string(calls_));
  }
  bool IsHostOptionSet() override { return false; }
  static inline int fail_at = 0;

 private:
  int fail_at_, calls_ = 0;
};

std::vector<std::string>& swallowed() {
  static std::vector<std::string> s;
  return s;
}

std::string token_of(const Value& v, const std::vector<ObjectRef>& controls);

std::string object_name(const Value& v, const std::vector<ObjectRef>& controls) {
  if (!v.as_object()) return "nothing";
  for (size_t i = 0; i < controls.size(); ++i)
    if (controls[i] == v.as_object())
      return i + 1 == controls.size() ? "s" : "c" + std::to_string(i + 1);
  return "object";
}

std::string token_of(const Value& v, const std::vector<ObjectRef>& controls) {
  switch (v.kind()) {
    case Kind::Empty:
      return "empty";
    case Kind::Null:
      return "null";
    case Kind::Missing:
      return "missing";
    case Kind::Integer:
      return "i:" + to_text(v);
    case Kind::Double:
      return "f:" + to_text(v);
    case Kind::Decimal:
      return "m:" + to_text(v);
    case Kind::Date:
      return "d:" + to_text(v);
    case Kind::String:
      return json(std::string(v.as_string())).dump();
    case Kind::Object:
      return object_name(v, controls);
    case Kind::Array: {
      std::string s = "array(";
      for (const auto& b : v.as_array().bounds())
        s += std::to_string(b.lower) + ":" + std::to_string(b.count) + ";";
      for (const Value& x : v.as_array().items()) s += token_of(x, controls) + ",";
      return s + ")";
    }
    default:
      return to_text(v) == "True" ? "true" : to_text(v) == "False" ? "false" : to_text(v);
  }
}

bool standard_shape(const Array& a) {
  return a.rank() == 2 && a.lbound(0) == 0 && a.lbound(1) == 0 && a.ubound(1) == 1;
}

// A column table as its headings, null for a column left unfilled.
std::string headings(const Value& v, const std::vector<ObjectRef>& controls) {
  if (!v.is_array() || !standard_shape(v.as_array())) return token_of(v, controls);
  const Array& a = v.as_array();
  json out = json::array();
  for (int32_t c = 0; c <= a.ubound(0); ++c) {
    const Value &h = a.at(c, 0), &second = a.at(c, 1);
    if (h.is_empty() && second.is_empty())
      out.push_back(nullptr);
    else if (h.is_string() && second == Value(""))
      out.push_back(std::string(h.as_string()));
    else
      return token_of(v, controls);
  }
  return out.dump();
}

// A binding table as control:column pairs.
std::string binding(const Value& v, const std::vector<ObjectRef>& controls) {
  if (!v.is_array() || !standard_shape(v.as_array())) return token_of(v, controls);
  const Array& a = v.as_array();
  std::string out;
  for (int32_t i = 0; i <= a.ubound(0); ++i) {
    const Value &c = a.at(i, 0), &col = a.at(i, 1);
    if (!col.is_string()) return token_of(v, controls);
    out += (i ? "," : "") + (c.is_object() ? object_name(c, controls) : token_of(c, controls)) +
           ":" + std::string(col.as_string());
  }
  return out;
}

struct Outcome {
  std::string sql, sentinel;
  Expect got, before;  // what the call left, and what the first call had left
};

ObjectRef make_host(Host h, const Path& p, const std::vector<ObjectRef>& controls) {
  host::RecordingHostConfig cfg;
  cfg.language = Value("ENG");
  cfg.company = Value(int32_t{7});
  cfg.translation = host::RecordingHostConfig::Translation::Numbered;
  switch (h) {
    case Host::None:
      return {};
    case Host::Mark:
    case Host::MarkStandard:
      return make_object<MarkingHost>(h == Host::MarkStandard);
    case Host::FailNth:
      return make_object<NthFailingHost>(NthFailingHost::fail_at);
    case Host::DefaultsNumbered:
      cfg.fail = {"LanguageCode", "CompanyCode"};
      break;
    case Host::Failing:
      cfg.fail = {"LanguageCode", "CompanyCode", "Translate", "IsHostOptionSet"};
      break;
    case Host::Explicit:
      cfg.language = value_of(p.with_host->first, controls);
      cfg.company = value_of(p.with_host->second, controls);
      cfg.translation = host::RecordingHostConfig::Translation::Identity;
      break;
    default:
      break;
  }
  ObjectRef typed = make_object<host::RecordingHost>(cfg, nullptr);
  return h == Host::ByName ? ObjectRef(make_object<ByNameHost>(typed)) : typed;
}

bool is_output(std::string_view name) {
  for (std::string_view o : {"Caption", "StringaSQL", "ColonneLookup", "IDLookup",
                             "ColonneDiDecodifica", "LookupRecordset", "ActiveInterface"})
    if (name == o) return true;
  return false;
}

void outputs(Object& o, Expect& out, const std::vector<ObjectRef>& controls) {
  if (o.class_info().find("Caption")) {
    out["caption"] = token_of(get_property(o, "Caption"), controls);
    const Value id = get_property(o, "IDLookup");
    out["id"] = id.is_string() ? std::string(id.as_string()) : token_of(id, controls);
    out["head"] = headings(get_property(o, "ColonneLookup"), controls);
  } else {
    out["bind"] = binding(get_property(o, "ColonneDiDecodifica"), controls);
  }
}

// Runs one path on a fresh instance created by name, after a first call whose outputs
// the path may keep. `args` and `settings` are the value tokens after expansion.
Outcome run(const Block& b, const Path& p, Host h, const std::vector<std::string>& args,
            const std::vector<std::pair<std::string, std::string>>& settings) {
  struct Today {
    Today() { host::pin_today(*Date::from_civil(2024, 3, 15)); }
    ~Today() { host::pin_today(std::nullopt); }
  } today;
  auto board = std::make_shared<host::StandInBoard>(std::make_shared<host::TextLog>());
  auto installed = board->install();
  std::vector<ObjectRef> controls;
  for (int i = 1; i <= 11; ++i) controls.push_back(host::make_control("c" + std::to_string(i)));
  const bool lookup = b.cls == 'L';
  ObjectRef o =
      create_object(lookup ? "LEMA_LOOKUPDECODE.CLSCG_LOOKUP" : "LEMA_LOOKUPDECODE.CLSCG_DECODE");
  if (lookup)
    call_method(*o, "Valute");
  else
    call_method(*o, "GruppoCespiti", {Value(controls.back()), Value(int32_t{1})});
  Outcome r;
  r.sentinel = to_text(get_property(*o, "StringaSQL"));
  outputs(*o, r.before, controls);
  if (ObjectRef host = make_host(h, p, controls)) set_property(*o, "ActiveInterface", Value(host));
  for (const auto& [name, token] : settings) {
    Value v = value_of(token, controls);
    v.is_object() ? set_property(*o, name, v) : let_property(*o, name, v);
  }
  const ClassInfo& info = o->class_info();
  std::map<std::string, Value> before;
  for (const Member& m : info.members())
    if (m.kind == MemberKind::Property && (m.access & access::G) && !is_output(m.name))
      before[std::string(m.name)] = get_property(*o, m.name);
  std::vector<Value> values;
  for (const std::string& t : args) values.push_back(value_of(t, controls));
  const std::vector<Value> passed = values;
  swallowed().clear();
  set_swallow_observer([](std::string_view what) { swallowed().emplace_back(what); });
  const Member* m = info.find(b.method);
  try {
    Value ret = call_method(*o, b.method, values);
    if (m && m->type != TypeTag::Void) r.got["ret"] = token_of(ret, controls);
  } catch (const Error& e) {
    r.got["error"] = json(e.what()).dump();
  }
  set_swallow_observer(nullptr);
  for (size_t i = 0; m && i < values.size() && i < m->params.size(); ++i)
    if (m->params[i].byref && !(values[i] == passed[i]))
      r.got["arg" + std::to_string(i + 1)] = token_of(values[i], controls);
  for (const auto& [name, was] : before)
    if (Value now = get_property(*o, name); !(now == was))
      r.got["then." + name] = token_of(now, controls);
  const Value sql = get_property(*o, "StringaSQL");
  r.sql = sql.is_string() ? std::string(sql.as_string()) : token_of(sql, controls);
  outputs(*o, r.got, controls);
  if (h == Host::None && !swallowed().empty()) {
    std::vector<std::string> s = swallowed();
    std::sort(s.begin(), s.end());
    s.erase(std::unique(s.begin(), s.end()), s.end());
    std::string all;
    for (const std::string& x : s) all += (all.empty() ? "" : "|") + x;
    r.got["swallowed"] = json(all).dump();
  }
  return r;
}

bool inherited(const std::string& key) {
  return key == "caption" || key == "id" || key == "head" || key == "bind" || key == "ret";
}

Expect expected_of(const Block& b, const Path& p, Host h) {
  Expect e;
  for (const auto& [k, v] : b.head.expect)
    if (inherited(k) || &p == &b.head) e[k] = v;
  for (const auto& [k, v] : p.expect) e[k] = v;
  if (h != Host::None) e.erase("swallowed");
  return e;
}

std::string expected_sql(const Block& b, const Path& p, Host h, const Outcome& r) {
  if (p.sql.kind == Statement::Kind::Keep) return r.sentinel;
  std::string s = expected_statement(b, p);
  if (h == Host::Standard || h == Host::ByName) s = apply_hunks(s, p.host ? *p.host : b.host);
  const bool numbered = h == Host::Standard || h == Host::ByName || h == Host::DefaultsNumbered;
  return unmark(s, numbered);
}

// "where they first differ" with some context on both sides, instead of two whole texts.
std::string first_difference(const std::string& got, const std::string& want) {
  size_t i = 0;
  while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
  const size_t from = i > 60 ? i - 60 : 0;
  auto show = [&](const std::string& s) { return json(s.substr(from, i - from + 60)).dump(); };
  return "first difference at " + std::to_string(i) + " (lengths " + std::to_string(got.size()) +
         ", " + std::to_string(want.size()) + ")\n   got: " + show(got) + "\n  want: " + show(want);
}

::testing::AssertionResult same(const std::string& got, const std::string& want) {
  if (got == want) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << first_difference(got, want);
}

// Splits a value token at its '|' alternatives (outside quotes).
std::vector<std::string> alternatives(const std::string& t) {
  std::vector<std::string> out(1);
  bool quoted = false;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '"' && (i == 0 || t[i - 1] != '\\')) quoted = !quoted;
    if (t[i] == '|' && !quoted)
      out.emplace_back();
    else
      out.back() += t[i];
  }
  return out;
}

struct Variant {
  std::vector<std::string> args;
  std::vector<std::pair<std::string, std::string>> settings;
};

// The runs a path stands for: one, or one per alternative of its one token with some.
std::vector<Variant> variants(const Block& b, const Path& p) {
  Variant base{p.args ? *p.args : *b.head.args, b.head.settings};
  if (&p != &b.head)
    base.settings.insert(base.settings.end(), p.settings.begin(), p.settings.end());
  std::vector<Variant> out;
  auto expand = [&](std::string& slot) {
    const std::vector<std::string> alts = alternatives(slot);
    if (alts.size() < 2 || !out.empty()) return;
    for (const std::string& a : alts) {
      slot = a;
      out.push_back(base);
    }
  };
  for (std::string& a : base.args) expand(a);
  for (auto& s : base.settings) expand(s.second);
  if (out.empty()) out.push_back(base);
  return out;
}

std::vector<Block> all_blocks() {
  std::vector<Block> out;
  for (const char* f : {"lookups.txt", "decodes.txt"}) {
    std::vector<Block> b = load(std::string(LEMA_GOLDEN_DIR) + "/" + f);
    out.insert(out.end(), std::make_move_iterator(b.begin()), std::make_move_iterator(b.end()));
  }
  return out;
}

const std::vector<Block>& blocks() {
  static const std::vector<Block> b = all_blocks();
  return b;
}

class Golden : public ::testing::TestWithParam<size_t> {
 protected:
  const Block& b = blocks()[GetParam()];
};

TEST_P(Golden, EveryPathWithEveryHost) {
  std::ofstream dump;
  if (const char* d = std::getenv("LEMA_DUMP_STATEMENTS")) dump.open(d, std::ios::app);
  std::vector<const Path*> paths{&b.head};
  for (const Path& p : b.paths) paths.push_back(&p);
  for (const Path* p : paths) {
    const std::vector<Host> hosts =
        p->with_host ? std::vector<Host>{Host::Explicit}
                     : std::vector<Host>{Host::None, Host::Standard, Host::ByName,
                                         Host::DefaultsNumbered, Host::Failing};
    for (const Variant& v : variants(b, *p))
      for (Host h : hosts) {
        static const char* const kHost[] = {"none", "standard", "standard by name",
                                            "defaults, numbered", "failing"};
        SCOPED_TRACE(b.file + ":" + std::to_string(p->line) + " " + p->setup + ", host " +
                     (p->with_host ? "as given" : kHost[static_cast<int>(h)]));
        const Outcome r = run(b, *p, h, v.args, v.settings);
        const std::string want = expected_sql(b, *p, h, r);
        EXPECT_TRUE(same(r.sql, want));
        EXPECT_EQ(r.got, expected_of(b, *p, h));
        if (HasFailure()) return;
        if (dump.is_open())
          dump
              << json{{"label", b.label() + " " + p->setup}, {"host", int(h)}, {"sql", want}}.dump()
              << "\n";
      }
  }
}

// Every text input of the method (its Variant arguments and the class's Variant settings)
// given a value that cannot be joined into a statement: the statement is either the default
// one (the input is not read on this path) or the one the instance held; the other outputs
// are set all the same.
TEST_P(Golden, AFailingStepKeepsThePreviousStatement) {
  const Variant v = variants(b, b.head)[0];
  const ClassInfo& info = create_object(b.cls == 'L' ? "LEMA_LOOKUPDECODE.CLSCG_LOOKUP"
                                                     : "LEMA_LOOKUPDECODE.CLSCG_DECODE")
                              ->class_info();
  const Member& m = *info.find(b.method);
  std::vector<Variant> cases;
  for (size_t i = 0; i < m.params.size(); ++i)
    if (m.params[i].type == TypeTag::Variant) {
      Variant c = v;
      c.args.resize(std::max(c.args.size(), i + 1), "missing");
      c.args[i] = "array";
      cases.push_back(c);
    }
  for (const Member& s : info.members())
    if (s.kind == MemberKind::Property && (s.access & access::L) && s.type == TypeTag::Variant &&
        !is_output(s.name)) {
      Variant c = v;
      c.settings.emplace_back(s.name, "array");
      cases.push_back(c);
    }
  // Inputs that a path of the block sets to an array have their own expectations there.
  std::set<std::string> own;
  for (const Path& p : b.paths) {
    for (const auto& [name, token] : p.settings)
      if (token == "array") own.insert(name);
    for (size_t i = 0; p.args && i < p.args->size(); ++i)
      if ((*p.args)[i] == "array") own.insert(std::to_string(i));
  }
  const std::string plain = unmark(b.statement, false);
  for (const Variant& c : cases) {
    const std::string input =
        c.settings.size() > v.settings.size()
            ? c.settings.back().first
            : std::to_string(std::find(c.args.begin(), c.args.end(), "array") - c.args.begin());
    if (own.count(input) || b.method == "CodiciIva") continue;  // the sibling builds that one
    const Outcome r = run(b, b.head, Host::None, c.args, c.settings);
    SCOPED_TRACE(b.label() + " with an array in " + input);
    if (r.sql != r.sentinel) {
      EXPECT_TRUE(same(r.sql, plain));
    }
    if (r.sql != plain) {
      EXPECT_EQ(r.got.at("swallowed"), "\"Type mismatch\"");
    }
    for (const auto& [k, want] : r.before) {
      EXPECT_TRUE(r.got.at(k) == b.head.expect.at(k) || r.got.at(k) == want) << k;
    }
  }
}

// A translation failing at any one call leaves that text in Italian; the others are
// translated, in text order.
TEST_P(Golden, ATranslationFailingAtOneCallKeepsThatText) {
  const Variant v = variants(b, b.head)[0];
  const std::string numbered = unmark(b.statement, true);
  for (int n = 1; numbered != unmark(b.statement, false); ++n) {
    NthFailingHost::fail_at = n;
    const std::string got = run(b, b.head, Host::FailNth, v.args, v.settings).sql;
    const std::string want = unmark(b.statement, true, n);
    ASSERT_TRUE(same(got, want)) << "translation " << n;
    if (want == numbered) break;  // past the last one
  }
}

// The ordering rule, on every method with a CampoOrdinamento argument: left out, Empty or
// "" gives the default ordering; anything else (Null, blanks) is placed as it is.
TEST_P(Golden, OrderingRule) {
  const Variant v = variants(b, b.head)[0];
  const ClassInfo& info = create_object("LEMA_LOOKUPDECODE.CLSCG_LOOKUP")->class_info();
  const Member* m = b.cls == 'L' ? info.find(b.method) : nullptr;
  size_t at = 0;
  while (m && at < m->params.size() && m->params[at].name != "CampoOrdinamento") ++at;
  if (!m || at == m->params.size()) return;  // no ordering argument
  auto with = [&](const std::string& token) {
    Variant c = v;
    c.args.resize(std::max(c.args.size(), at + 1), "missing");
    c.args[at] = token;
    return run(b, b.head, Host::None, c.args, c.settings).sql;
  };
  const std::string def = unmark(b.statement, false), given = with("\"ZZ9 DESC\"");
  const size_t p = given.find("ZZ9 DESC");
  ASSERT_NE(p, std::string::npos);
  const std::string before = given.substr(0, p), after = given.substr(p + 8);
  ASSERT_TRUE(def.starts_with(before) && def.ends_with(after) && def.size() > p + after.size());
  for (const char* left_out : {"missing", "empty", "\"\""})
    EXPECT_TRUE(same(with(left_out), def)) << left_out;
  // A method whose Part says otherwise has paths of its own for Null and blanks.
  auto own = [&](const std::string& token) {
    for (const Path& q : b.paths)
      if (q.args && q.args->size() > at && (*q.args)[at] == token) return true;
    return false;
  };
  if (!own("null")) {
    EXPECT_TRUE(same(with("null"), before + after));
  }
  if (!own("\"  \"")) {
    EXPECT_TRUE(same(with("\"  \""), before + "  " + after));
  }
}

INSTANTIATE_TEST_SUITE_P(Data, Golden, ::testing::Range(size_t{0}, blocks().size()),
                         [](const auto& param) {
                           std::string n = blocks()[param.param].label();
                           for (char& c : n)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n + "_" + std::to_string(param.param);
                         });

// ---- update mode ---------------------------------------------------------------------

// Changes that turn `a` into `b`, cut at blanks, each old text found first where it is
// meant; a whole text when no such list exists.
Statement diff(const std::string& a, const std::string& b) {
  struct Cut {
    size_t pa, la, pb, lb;
  };
  std::vector<Cut> cuts;
  size_t i = 0, j = 0;
  while (true) {
    while (i < a.size() && j < b.size() && a[i] == b[j]) ++i, ++j;
    if (i == a.size() && j == b.size()) break;
    size_t bi = a.size(), bj = b.size();
    bool found = false;
    for (size_t s = 1; s <= 1200 && !found; ++s)
      for (size_t di = 0; di <= s && !found; ++di) {
        const size_t ai = i + di, bk = j + (s - di);
        if (ai > a.size() || bk > b.size()) continue;
        const size_t k = std::min<size_t>(24, std::min(a.size() - ai, b.size() - bk));
        if (a.compare(ai, k, b, bk, k) == 0 &&
            (k == 24 || (ai + k == a.size() && bk + k == b.size()))) {
          bi = ai, bj = bk, found = true;
        }
      }
    cuts.push_back({i, bi - i, j, bj - j});
    i = bi, j = bj;
  }
  Statement st;
  for (size_t n = 0; n < cuts.size(); ++n) {
    Cut& c = cuts[n];
    const size_t floor = n ? cuts[n - 1].pa + cuts[n - 1].la : 0;
    auto blank = [&](size_t at) { return a[at] == ' ' || a[at] == '\r' || a[at] == '\n'; };
    while (c.pa > floor && !blank(c.pa - 1)) --c.pa, --c.pb, ++c.la, ++c.lb;
    while (c.pa + c.la < a.size() && !blank(c.pa + c.la) &&
           (n + 1 == cuts.size() || c.pa + c.la < cuts[n + 1].pa))
      ++c.la, ++c.lb;
    // Widened by whole words to the left until the old text is first found where it is.
    while (c.pa > floor && (c.la == 0 || a.find(a.substr(c.pa, c.la), floor) != c.pa)) {
      do --c.pa, --c.pb, ++c.la, ++c.lb;
      while (c.pa > floor && !blank(c.pa - 1));
    }
  }
  std::vector<Cut> merged;
  for (const Cut& c : cuts)
    if (!merged.empty() && c.pa <= merged.back().pa + merged.back().la) {
      Cut& m = merged.back();
      m.la = c.pa + c.la - m.pa;
      m.lb = c.pb + c.lb - m.pb;
    } else {
      merged.push_back(c);
    }
  size_t changed = 0;
  for (const Cut& c : merged) {
    st.hunks.emplace_back(a.substr(c.pa, c.la), b.substr(c.pb, c.lb));
    changed += c.la;
  }
  bool ok = changed * 2 < a.size() + 1;
  try {
    ok = ok && apply_hunks(a, st.hunks) == b;
  } catch (const std::exception&) {
    ok = false;
  }
  if (!ok) {
    st.kind = Statement::Kind::Full;
    st.full = b;
    st.hunks = {{a, b}};
  }
  return st;
}

std::string str(const std::string& s) {
  return json(s).dump();
}

std::map<std::string, std::string> pieces;  // of the file being rewritten

std::string render(const Expect& e) {
  std::string out;
  std::vector<std::string> order{"caption", "id", "head", "bind", "ret"};
  for (const auto& [k, v] : e)
    if (std::find(order.begin(), order.end(), k) == order.end()) order.push_back(k);
  for (const std::string& k : order)
    if (auto it = e.find(k); it != e.end()) {
      std::string v = it->second;
      for (const auto& [name, text] : pieces)
        if (text.starts_with('[') && json::parse(text).dump() == v) v = name;
      out += " " + k + "=" + v;
    }
  return out;
}

std::string render(const Hunks& hunks) {
  std::string out;
  for (const auto& [from, to] : hunks) out += " " + str(from) + " > " + str(to);
  return out;
}

std::string render(const Statement& st) {
  if (st.kind == Statement::Kind::Keep) return " : keep";
  if (st.kind == Statement::Kind::Full) return " : = " + str(st.full);
  return st.hunks.empty() ? "" : " :" + render(st.hunks);
}

// A path's statement with its translated texts marked, numbered in the marks only when
// the plain marks do not give the host's numbering.
std::string marked(const Block& b, const Path& p, const Variant& v, Host h = Host::Mark) {
  const std::string numbered = run(b, p, Host::DefaultsNumbered, v.args, v.settings).sql;
  MarkingHost::counted = unmark(run(b, p, Host::Mark, v.args, v.settings).sql, true) != numbered;
  std::string m = run(b, p, h, v.args, v.settings).sql;
  MarkingHost::counted = false;
  return m;
}

}  // namespace

void update(const std::string& file) {
  pieces.clear();
  const std::vector<Block> bs = load(file, &pieces);
  std::vector<std::string> lines;
  {
    std::ifstream in(file);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
  }
  std::map<int, std::vector<std::string>> after;  // lines written after line n instead of it
  std::set<int> dropped;
  for (const Block& b : bs) {
    const Variant v = variants(b, b.head)[0];
    const Outcome plain = run(b, b.head, Host::None, v.args, v.settings);
    const std::string m = marked(b, b.head, v);
    const Statement host = diff(m, marked(b, b.head, v, Host::MarkStandard));
    Expect e = plain.got;
    std::string head = "@" + std::string(1, b.cls) + " " + b.method + b.head.setup;
    after[b.head.line] = {head + (e.empty() ? "" : " =>" + render(e))};
    dropped.insert(b.head.line);
    std::vector<std::string>& block_lines = after[b.head.line];
    if (b.statement == m && b.statement_line)
      block_lines.push_back(lines[b.statement_line - 1]);
    else
      block_lines.push_back("= " + str(m));
    if (!host.hunks.empty()) block_lines.push_back("*" + render(host.hunks));
    for (int n : {b.statement_line, b.host_line})
      if (n) dropped.insert(n);
    for (const Path& p : b.paths) {
      const Variant pv = variants(b, p)[0];
      const Outcome pr = run(b, p, p.with_host ? Host::Explicit : Host::None, pv.args, pv.settings);
      const std::string pm = p.with_host ? pr.sql : marked(b, p, pv);
      Expect pe;
      for (const auto& [k, val] : pr.got)
        if (!inherited(k) || e[k] != val) pe[k] = val;
      Statement st;
      if (pr.sql == pr.sentinel && unmark(m, false) != pr.sql)
        st.kind = Statement::Kind::Keep;
      else if (p.sql.kind == Statement::Kind::Changes && b.statement == m &&
               apply_hunks(m, p.sql.hunks) == pm)
        st = p.sql;
      else if (pm != m)
        st = diff(m, pm);
      after[p.line] = {"- " + p.setup + (pe.empty() ? "" : " =>" + render(pe)) + render(st)};
      if (!p.with_host && st.kind != Statement::Kind::Keep) {
        const std::string pms = marked(b, p, pv, Host::MarkStandard);
        bool block_host = false;
        try {
          block_host = apply_hunks(pm, host.hunks) == pms;
        } catch (const std::exception&) {
        }
        if (!block_host) after[p.line].push_back("*" + render(diff(pm, pms).hunks));
      }
      dropped.insert(p.line);
      if (p.host_line) dropped.insert(p.host_line);
    }
  }
  std::ofstream out(file);
  for (size_t n = 1; n <= lines.size(); ++n) {
    if (auto it = after.find(static_cast<int>(n)); it != after.end())
      for (const std::string& l : it->second) out << l << "\n";
    else if (!dropped.count(static_cast<int>(n)))
      out << lines[n - 1] << "\n";
  }
}

}  // namespace lema::golden
