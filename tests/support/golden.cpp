#include "support/golden.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"
#include "host/clock.h"
#include "testing/stand_ins.h"

namespace lema::golden {
namespace {

using nlohmann::json;
using Pieces = std::map<std::string, std::string>;
Pieces g_pieces;  // the named texts of the file last read

}  // namespace

std::vector<std::string> tokens(const std::string& s, char sep) {
  std::vector<std::string> out(1);
  int depth = 0;
  bool quoted = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == sep && depth == 0 && !quoted) {
      if (!out.back().empty()) out.emplace_back();
      continue;
    }
    out.back() += c;
    if (quoted && c == '\\') out.back() += s[++i];
    if (c == '"') quoted = !quoted;
    if (!quoted && c == '(') ++depth;
    if (!quoted && c == ')') --depth;
  }
  if (out.back().empty()) out.pop_back();
  return out;
}

namespace {

// "text", a piece's name, or several of them joined by + ("a"+NAME+"b").
std::string text_of(const std::string& t) {
  std::string out;
  for (const std::string& part : tokens(t, '+'))
    out += part.starts_with('"') ? json::parse(part).get<std::string>() : g_pieces.at(part);
  return out;
}

Hunks hunks_of(const std::vector<std::string>& t, size_t i) {
  Hunks h;
  for (; i + 2 < t.size() && t[i + 1] == ">"; i += 3)
    h.emplace_back(text_of(t[i]), text_of(t[i + 2]));
  if (i != t.size()) throw std::runtime_error("changes read \"old\" > \"new\"");
  return h;
}

// SETUP [=> EXPECTED...] [: STATEMENT]; `previous`: the index of the block's last path.
Path path_of(const std::vector<std::string>& t, size_t i, const Path* head, int previous = -1) {
  Path p;
  if (head) p.args = head->args, p.settings = head->settings;
  for (; i < t.size() && t[i] != "=>" && t[i] != ":"; ++i) {
    p.setup += (p.setup.empty() ? "" : " ") + t[i];
    const size_t eq = t[i].find('=');
    if (t[i].starts_with('(')) {
      p.args.clear();
      for (std::string a : tokens(t[i].substr(1, t[i].size() - 2), ',')) {
        a = a.substr(a.find_first_not_of(' '));
        const size_t star = a.starts_with('"') ? std::string::npos : a.find('*');  // x*3: x, x, x
        p.args.insert(p.args.end(), star == std::string::npos ? 1 : std::stoul(a.substr(star + 1)),
                      a.substr(0, star));
      }
    } else if (t[i].starts_with("host=")) {
      const size_t comma = t[i].rfind(',');
      p.given_host = {t[i].substr(5, comma - 5), t[i].substr(comma + 1)};
    } else if (eq != std::string::npos) {
      p.settings.emplace_back(t[i].substr(0, eq), t[i].substr(eq + 1));
    } else {
      throw std::runtime_error("not a setting: " + t[i]);
    }
  }
  if (i < t.size() && t[i] == "=>")
    for (++i; i < t.size() && t[i] != ":"; ++i) {
      const size_t eq = t[i].find('=');
      std::string v = t[i].substr(eq + 1);
      if (g_pieces.count(v)) v = json(g_pieces.at(v)).dump();
      p.expect[t[i].substr(0, eq)] = v.starts_with('"') ? json::parse(v).dump() : v;
    }
  if (++i >= t.size()) return p;
  for (size_t k = i; k < t.size(); ++k) p.written += " " + t[k];
  if (t[i] == "keep") {
    p.keep = true;
  } else if (t[i] == "^") {
    if (previous < 0) throw std::runtime_error("^ without a previous path");
    p.base = previous;
    p.changes = hunks_of(t, i + 1);
  } else {
    p.changes = hunks_of(t, i);
  }
  return p;
}

// One path per value of its first token with alternatives a|b|c (outside quotes).
std::vector<Path> expand(const Path& p) {
  std::vector<std::string*> slots;
  Path copy = p;
  for (auto& a : copy.args) slots.push_back(&a);
  for (auto& s : copy.settings) slots.push_back(&s.second);
  for (std::string* slot : slots)
    if (std::vector<std::string> alts = tokens(*slot, '|'); alts.size() > 1) {
      std::vector<Path> out;
      for (const std::string& a : alts) {
        *slot = a;
        out.push_back(copy);
        copy.first = false;
      }
      return out;
    }
  return {p};
}

}  // namespace

ObjectRef by_name(ObjectRef inner) {
  struct ByName final : Object {
    ObjectRef inner;
    const ClassInfo& class_info() const override { return inner->class_info(); }
    Value invoke(std::string_view m, InvokeKind k, std::span<Value> a) override {
      return inner->invoke(m, k, a);
    }
  };
  auto o = make_object<ByName>();
  o->inner = std::move(inner);
  return o;
}

Value value_of(const std::string& t, const std::vector<ObjectRef>& controls) {
  if (t.starts_with('"')) return Value(json::parse(t).get<std::string>());
  const std::map<std::string, Value> words{{"empty", Value()},
                                           {"null", Value::null()},
                                           {"missing", Value::missing()},
                                           {"nothing", Value::nothing()},
                                           {"true", Value(true)},
                                           {"false", Value(false)},
                                           {"array", Value(Array::matrix(1, 1))}};
  if (words.count(t)) return words.at(t);
  if (t.size() > 1 && t[0] == 'c' && std::isdigit(static_cast<unsigned char>(t[1])))
    return Value(controls.at(std::stoul(t.substr(1)) - 1));
  const std::string rest = t.substr(std::min<size_t>(2, t.size()));
  if (t.starts_with("i:")) return Value(static_cast<int16_t>(std::stoi(rest)));
  if (t.starts_with("f:")) return Value(std::stod(rest));
  if (t.starts_with("m:")) return Value(*Decimal::parse(rest));
  if (t.starts_with("d:"))
    return Value(
        *Date::from_civil(std::stoi(rest), std::stoi(rest.substr(5)), std::stoi(rest.substr(8))));
  if (t.empty() || t.find_first_not_of("-0123456789") != std::string::npos)
    throw std::runtime_error("not a value: " + t);
  return Value(static_cast<int32_t>(std::stol(t)));
}

namespace {

std::string token_of(const Value& v, const std::vector<ObjectRef>& controls) {
  const Kind k = v.kind();
  if (k == Kind::String) return json(std::string(v.as_string())).dump();
  if (k == Kind::Object) {
    const auto at = std::find(controls.begin(), controls.end(), v.as_object());
    return !v.as_object()             ? "nothing"
           : at == controls.end()     ? "object"
           : at + 1 == controls.end() ? "s"
                                      : "c" + std::to_string(at - controls.begin() + 1);
  }
  if (k == Kind::Array) {
    std::string s = "array(";
    for (const auto& b : v.as_array().bounds())
      s += std::to_string(b.lower) + ":" + std::to_string(b.count) + ";";
    for (const Value& x : v.as_array().items()) s += token_of(x, controls) + ",";
    return s + ")";
  }
  static const std::map<Kind, std::string> prefix{
      {Kind::Integer, "i:"}, {Kind::Double, "f:"}, {Kind::Decimal, "m:"}, {Kind::Date, "d:"}};
  if (k == Kind::Empty || k == Kind::Null || k == Kind::Missing || k == Kind::Boolean) {
    std::string name(k == Kind::Boolean ? to_text(v) : kind_name(k));  // empty, null, true ...
    std::transform(name.begin(), name.end(), name.begin(), ::tolower);
    return name;
  }
  const auto at = prefix.find(k);
  return (at == prefix.end() ? "" : at->second) + to_text(v);
}

// A column table as its headings joined by '|' ('~' for a column left unfilled), a binding
// table as control:column pairs; anything else in full.
std::string table_of(const Value& v, bool binding, const std::vector<ObjectRef>& controls) {
  if (!v.is_array()) return token_of(v, controls);
  const Array& a = v.as_array();
  if (a.rank() != 2 || a.lbound(0) != 0 || a.lbound(1) != 0 || a.ubound(1) != 1)
    return token_of(v, controls);
  std::string out;
  for (int32_t c = 0; c <= a.ubound(0); ++c) {
    const Value &first = a.at(c, 0), &second = a.at(c, 1);
    out += c ? binding ? "," : "|" : "";
    if (binding && second.is_string())
      out += token_of(first, controls) + ":" + std::string(second.as_string());
    else if (!binding && first.is_empty() && second.is_empty())
      out += "~";
    else if (!binding && first.is_string() && second == Value(""))
      out += first.as_string();
    else
      return token_of(v, controls);
  }
  return binding ? out : json(out).dump();
}

void outputs(Object& o, Expect& out, const std::vector<ObjectRef>& controls) {
  if (!o.class_info().find("Caption")) {
    out["bind"] = table_of(get_property(o, "ColonneDiDecodifica"), true, controls);
    return;
  }
  out["caption"] = token_of(get_property(o, "Caption"), controls);
  const Value id = get_property(o, "IDLookup");
  out["id"] = id.is_string() ? std::string(id.as_string()) : token_of(id, controls);
  out["head"] = table_of(get_property(o, "ColonneLookup"), false, controls);
}

// Language and company as configured (failing when not given); translations marked «x»
// (counted «x#n» when `counted`), or numbered and failing at call `fail_at`.
class TestHost final : public host::HostFramework {
 public:
  TestHost(bool standard, int fail_at) : standard_(standard), fail_at_(fail_at) {}
  Value LanguageCode() override { return standard_ ? Value("ENG") : fail(); }
  Value CompanyCode() override { return standard_ ? Value(int32_t{7}) : fail(); }
  void Translate(std::string_view text, std::string& out) override {
    if (++calls_ == fail_at_) fail();
    const std::string n = "#" + std::to_string(calls_);
    if (fail_at_) out.append(text).append(n);
    if (!fail_at_) out.append("\u00ab").append(text).append(counted ? n : "").append("\u00bb");
  }
  bool IsHostOptionSet() override { return false; }
  static inline bool counted = false;

 private:
  static Value fail() { raise(ErrorCode::Host, "no"); }
  bool standard_;
  int fail_at_, calls_ = 0;
};

ObjectRef make_host(Host h, const Path& p, int fail_at, const std::vector<ObjectRef>& controls) {
  if (h == Host::None) return {};
  if (h == Host::Mark || h == Host::MarkStandard || h == Host::FailNth)
    return make_object<TestHost>(h == Host::MarkStandard, fail_at);
  host::RecordingHostConfig cfg;
  cfg.language = h == Host::Given ? value_of(p.given_host->first, controls) : Value("ENG");
  cfg.company = h == Host::Given ? value_of(p.given_host->second, controls) : Value(int32_t{7});
  if (h != Host::Given) cfg.translation = host::RecordingHostConfig::Translation::Numbered;
  if (h == Host::Defaults || h == Host::Failing) cfg.fail = {"LanguageCode", "CompanyCode"};
  if (h == Host::Failing) cfg.fail.insert({"Translate", "IsHostOptionSet"});
  ObjectRef typed = make_object<host::RecordingHost>(cfg, nullptr);
  return h == Host::ByName ? by_name(typed) : typed;
}

std::set<std::string> g_swallowed;

// Changes that turn `a` into `b`, cut at blanks, each old text first found where it is
// meant; one change of the whole text when no such list exists.
Hunks diff(const std::string& a, const std::string& b) {
  std::vector<std::array<size_t, 4>> cuts;  // position and length in a, then in b
  for (size_t i = 0, j = 0;;) {
    while (i < a.size() && j < b.size() && a[i] == b[j]) ++i, ++j;
    if (i == a.size() && j == b.size()) break;
    size_t bi = a.size(), bj = b.size();
    for (size_t s = 1; s <= 1200 && bi == a.size(); ++s)
      for (size_t di = 0; di <= s; ++di) {
        const size_t x = i + di, y = j + s - di;
        if (x > a.size() || y > b.size()) continue;
        const size_t k = std::min<size_t>(24, std::min(a.size() - x, b.size() - y));
        if (a.compare(x, k, b, y, k) == 0 &&
            (k == 24 || (x + k == a.size() && y + k == b.size()))) {
          bi = x, bj = y;
          break;
        }
      }
    cuts.push_back({i, bi - i, j, bj - j});
    i = bi, j = bj;
  }
  auto blank = [&](size_t at) { return a[at] == ' ' || a[at] == '\r' || a[at] == '\n'; };
  Hunks h;
  size_t floor = 0;
  for (size_t n = 0; n < cuts.size(); ++n) {
    auto& [pa, la, pb, lb] = cuts[n];
    const size_t ceil = n + 1 < cuts.size() ? cuts[n + 1][0] : a.size();
    while (pa > floor && !blank(pa - 1)) --pa, --pb, ++la, ++lb;
    while (pa + la < ceil && !blank(pa + la)) ++la, ++lb;
    while (pa > floor && (la == 0 || a.find(a.substr(pa, la), floor) != pa)) {
      do --pa, --pb, ++la, ++lb;
      while (pa > floor && !blank(pa - 1));
    }
    if (!h.empty() && pa <= floor) {  // touches the previous change: one change of both
      auto& [qa, qla, qb, qlb] = cuts[n - 1];
      h.back() = {a.substr(qa, pa + la - qa), b.substr(qb, pb + lb - qb)};
    } else {
      h.emplace_back(a.substr(pa, la), b.substr(pb, lb));
    }
    floor = pa + la;
  }
  try {
    if (apply_changes(a, h) == b) return h;
  } catch (const std::exception&) {
  }
  return {{a, b}};
}

std::string render(const Hunks& h) {
  std::string out;
  for (const auto& [from, to] : h) out += " " + json(from).dump() + " > " + json(to).dump();
  return out;
}

std::vector<Block> load(const std::string& file) {
  std::ifstream in(file);
  if (!in) throw std::runtime_error("cannot read " + file);
  std::vector<Block> blocks;
  g_pieces.clear();
  std::string line;
  for (int n = 1; std::getline(in, line); ++n) try {
      const std::vector<std::string> t = tokens(line);
      if (t.empty() || t[0].starts_with('#')) continue;
      if (t[0] == "piece") {
        std::string& text = g_pieces[t[1]];
        for (size_t i = 2; i < t.size(); ++i) text += text_of(t[i]);
      } else if (t[0] == "@L" || t[0] == "@D") {
        Block& b = blocks.emplace_back();
        b.file = file;
        b.method = t[1].substr(0, t[1].find('('));
        b.label = t[0].substr(1) + "." + b.method;
        std::vector<std::string> rest{t[1].substr(b.method.size())};
        rest.insert(rest.end(), t.begin() + 2, t.end());
        b.head = path_of(rest, 0, nullptr);
        b.head.line = n;
        std::vector<Path> heads = expand(b.head);  // a head with alternatives: a path per value
        b.head = heads[0];
        b.paths.insert(b.paths.end(), heads.begin() + 1, heads.end());
      } else if (t[0] == "=") {  // TEXT... [: CHANGES]; then a piece named by the label
        Block& b = blocks.back();
        b.statement_line = n;
        size_t i = 1;
        for (; i < t.size() && t[i] != ":"; ++i) b.statement += text_of(t[i]);
        if (i < t.size()) b.statement = apply_changes(b.statement, hunks_of(t, i + 1));
        g_pieces[b.label] = b.statement;
      } else if (t[0] == "*") {
        blocks.back().host_line = n;
        blocks.back().host = hunks_of(t, 1);
      } else if (t[0] == "-") {
        std::vector<Path>& paths = blocks.back().paths;
        Path p = path_of(t, 1, &blocks.back().head, static_cast<int>(paths.size()) - 1);
        if (p.base >= 0 && paths[p.base].keep)
          throw std::runtime_error("^ after a path that keeps the statement");
        p.line = n;
        for (Path& q : expand(p)) paths.push_back(std::move(q));
      } else {
        throw std::runtime_error("unknown line");
      }
    } catch (const std::exception& e) {
      throw std::runtime_error(file + ":" + std::to_string(n) + ": " + e.what());
    }
  return blocks;
}

}  // namespace

const std::vector<Block>& all_blocks() {
  static const std::vector<Block> all = [] {
    std::vector<Block> out;
    for (const char* f : {"lookups.txt", "decodes.txt"}) {
      std::vector<Block> b = load(std::string(LEMA_GOLDEN_DIR) + "/" + f);
      out.insert(out.end(), b.begin(), b.end());
    }
    return out;
  }();
  return all;
}

Outcome run(const Block& b, const Path& p, Host h, int fail_at) {
  struct Today {
    Today() { host::pin_today(*Date::from_civil(2024, 3, 15)); }
    ~Today() { host::pin_today(std::nullopt); }
  } today;  // the date some statements hold
  auto board = std::make_shared<host::StandInBoard>(std::make_shared<host::TextLog>());
  auto installed = board->install();
  std::vector<ObjectRef> controls;
  for (int i = 1; i <= 11; ++i) controls.push_back(host::make_control("c" + std::to_string(i)));
  const bool lookup = b.label[0] == 'L';
  ObjectRef o =
      create_object(lookup ? "LEMA_LOOKUPDECODE.CLSCG_LOOKUP" : "LEMA_LOOKUPDECODE.CLSCG_DECODE");
  if (lookup)
    call_method(*o, "Valute");
  else
    call_method(*o, "GruppoCespiti", {Value(controls.back()), Value(int32_t{1})});
  Outcome r;
  r.sentinel = to_text(get_property(*o, "StringaSQL"));
  outputs(*o, r.before, controls);
  if (ObjectRef host = make_host(h, p, fail_at, controls))
    set_property(*o, "ActiveInterface", Value(host));
  for (const auto& [name, token] : p.settings) {
    Value v = value_of(token, controls);
    v.is_object() ? set_property(*o, name, v) : let_property(*o, name, v);
  }
  const ClassInfo& info = o->class_info();
  std::map<std::string, Value> before;  // the settings, to see what the call changes
  for (const Member& m : info.members())
    if (m.kind == MemberKind::Property && m.put && (m.access & access::G) &&
        m.name != "ActiveInterface" && m.name != "IDLookup" && m.name != "LookupRecordset")
      before[std::string(m.name)] = get_property(*o, m.name);
  std::vector<Value> args;
  for (const std::string& t : p.args) args.push_back(value_of(t, controls));
  const std::vector<Value> passed = args;
  g_swallowed.clear();
  set_swallow_observer([](std::string_view what) { g_swallowed.emplace(what); });
  const Member& m = *info.find(b.method);
  try {
    Value ret = call_method(*o, b.method, args);
    if (m.type != TypeTag::Void) r.got["ret"] = token_of(ret, controls);
  } catch (const Error& e) {
    r.got["error"] = json(e.what()).dump();
  }
  set_swallow_observer(nullptr);
  for (size_t i = 0; i < args.size() && i < m.params.size(); ++i)
    if (m.params[i].byref && !(args[i] == passed[i]))
      r.got["arg" + std::to_string(i + 1)] = token_of(args[i], controls);
  for (const auto& [name, was] : before)
    if (Value now = get_property(*o, name); !(now == was))
      r.got["then." + name] = token_of(now, controls);
  const Value sql = get_property(*o, "StringaSQL");
  r.sql = sql.is_string() ? std::string(sql.as_string()) : token_of(sql, controls);
  outputs(*o, r.got, controls);
  std::string all;
  for (const std::string& x : g_swallowed) all += (all.empty() ? "" : "|") + x;
  if (h == Host::None && !all.empty()) r.got["swallowed"] = json(all).dump();
  return r;
}

std::string marked_statement(const Block& b, const Path& p) {
  return apply_changes(p.base < 0 ? b.statement : marked_statement(b, b.paths[p.base]), p.changes);
}

Expect expected(const Block& b, const Path& p, Host h) {
  Expect e;
  for (const auto& [k, v] : b.head.expect) {
    const bool then = k.starts_with("then.");
    const bool set =
        std::any_of(p.settings.begin() + b.head.settings.size(), p.settings.end(),
                    [&, &k = k](const auto& s) { return then && s.first == k.substr(5); });
    if (&p == &b.head || k == "caption" || k == "id" || k == "head" || k == "bind" || k == "ret" ||
        (then && !set))
      e[k] = v;
  }
  for (const auto& [k, v] : p.expect) e[k] = v;
  if (h != Host::None) e.erase("swallowed");
  std::erase_if(e, [](const auto& kv) { return kv.second == "-"; });  // "-": not this time
  return e;
}

std::string unmark(const std::string& s, bool numbered, int plain_at) {
  std::string out;
  int n = 0;
  size_t at = 0;
  for (size_t b; (b = s.find("\u00ab", at)) != std::string::npos; at = s.find("\u00bb", b) + 2) {
    std::string text = s.substr(b + 2, s.find("\u00bb", b) - b - 2);
    // «x#k»: the k-th translation, placed again (a copied piece of the statement).
    const size_t hash = text.rfind('#');
    if (hash != std::string::npos &&
        text.find_first_not_of("0123456789", hash + 1) == std::string::npos) {
      n = std::stoi(text.substr(hash + 1)) - 1;
      text.resize(hash);
    }
    out.append(s, at, b - at).append(text);
    if (++n != plain_at && numbered) out += "#" + std::to_string(n);
  }
  return out.append(s, at);
}

std::string apply_changes(std::string s, const Hunks& hunks) {
  size_t at = 0;
  for (const auto& [from, to] : hunks) {
    const size_t p = s.find(from, at);
    if (p == std::string::npos) throw std::runtime_error("a change does not apply: " + from);
    s.replace(p, from.size(), to);
    at = p + to.size();
  }
  return s;
}

void update(const std::string& file) {
  std::vector<Block> blocks = load(file);
  std::vector<std::string> lines;
  std::ifstream in(file);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  std::map<int, std::vector<std::string>> instead;  // lines written in place of line n
  auto expects = [](const Expect& e) {
    std::string out;
    std::vector<std::string> keys{"caption", "id", "head", "bind", "ret"};
    for (const auto& [k, v] : e)
      if (std::find(keys.begin(), keys.end(), k) == keys.end()) keys.push_back(k);
    for (const std::string& k : keys)
      if (e.count(k)) {
        std::string v = e.at(k);
        for (const auto& [name, text] : g_pieces)
          if (k == "head" && json(text).dump() == v) v = name;
        out += " " + k + "=" + v;
      }
    return out.empty() ? "" : " =>" + out;
  };
  // The statement with its translated texts marked, counted in the marks only when the
  // plain marks do not give the host's numbering.
  auto marked = [](const Block& b, const Path& p, Host h) {
    const std::string numbered = run(b, p, Host::Defaults).sql;
    TestHost::counted = unmark(run(b, p, Host::Mark).sql, true) != numbered;
    std::string m = run(b, p, h).sql;
    TestHost::counted = false;
    return m;
  };
  for (const Block& b : blocks) {
    const Outcome plain = run(b, b.head, Host::None);
    const std::string m = marked(b, b.head, Host::Mark);
    const Hunks host = diff(m, marked(b, b.head, Host::MarkStandard));
    std::vector<std::string>& out = instead[b.head.line];
    out.push_back("@" + b.label.substr(0, 1) + " " + b.method + b.head.setup + expects(plain.got));
    out.push_back(b.statement == m && b.statement_line ? lines[b.statement_line - 1]
                                                       : "= " + json(m).dump());
    if (host.size() && host[0].first != host[0].second) out.push_back("*" + render(host));
    for (int n : {b.statement_line, b.host_line}) instead[n];
    // The statement a path gives, marked, or nothing when it keeps the one held before.
    auto statement_of = [&](const Path& p, const Outcome& r) -> std::optional<std::string> {
      if (r.sql == r.sentinel && unmark(m, false) != r.sql) return std::nullopt;
      return p.given_host ? r.sql : marked(b, p, Host::Mark);
    };
    std::optional<std::string> previous;  // the statement of the path before, for ^
    for (const Path& p : b.paths) {
      const Outcome r = run(b, p, p.given_host ? Host::Given : Host::None);
      const std::optional<std::string> pm = statement_of(p, r);
      const std::optional<std::string> before = std::exchange(previous, pm);
      if (!p.first) continue;
      Path bare = p;  // what the path expects without expectations of its own
      bare.expect.clear();
      const Expect inherited = expected(b, bare, Host::None);
      Expect pe;
      for (const auto& [k, v] : r.got)
        if (!inherited.count(k) || inherited.at(k) != v) pe[k] = v;
      for (const auto& [k, v] : inherited)
        if (!r.got.count(k)) pe[k] = "-";
      std::string sql = " : keep";
      if (pm) {  // the shortest of: as written, changes of the default, changes of the path before
        std::vector<std::string> forms;
        try {
          if (!p.keep && b.statement == m && marked_statement(b, p) == *pm)
            forms.push_back(p.written.empty() ? "" : " :" + p.written);  // pieces and all
        } catch (const std::exception&) {
        }
        forms.push_back(*pm == m ? "" : " :" + render(diff(m, *pm)));
        if (before && *before == *pm) {
          forms.push_back(" : ^");
        } else if (before) {
          const Hunks h = diff(*before, *pm);
          if (h[0].first != *before) forms.push_back(" : ^" + render(h));  // not the whole text
        }
        sql = *std::min_element(forms.begin(), forms.end(),
                                [](const auto& x, const auto& y) { return x.size() < y.size(); });
      }
      instead[p.line] = {"- " + p.setup + expects(pe) + sql};
    }
  }
  std::ofstream rewritten(file);
  for (size_t n = 1; n <= lines.size(); ++n) {
    auto it = instead.find(static_cast<int>(n));
    for (const std::string& l :
         it == instead.end() ? std::vector<std::string>{lines[n - 1]} : it->second)
      rewritten << l << "\n";
  }
}

}  // namespace lema::golden
