#include "support/golden.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

namespace lema::golden {
namespace {

using nlohmann::json;

[[noreturn]] void fail(const std::string& file, int line, const std::string& what) {
  throw std::runtime_error(file + ":" + std::to_string(line) + ": " + what);
}

}  // namespace

// Tokens are separated by blanks outside quotes and brackets: "a b", [..], (..) and
// Name="a b" are one token each.
std::vector<std::string> tokens(const std::string& s) {
  std::vector<std::string> out;
  std::string cur;
  int depth = 0;
  bool quoted = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (quoted) {
      cur += c;
      if (c == '\\' && i + 1 < s.size()) cur += s[++i];
      if (c == '"') quoted = false;
    } else if (c == ' ' && depth == 0) {
      if (!cur.empty()) out.push_back(std::move(cur));
      cur.clear();
    } else {
      cur += c;
      if (c == '"') quoted = true;
      if (c == '[' || c == '(') ++depth;
      if (c == ']' || c == ')') --depth;
    }
  }
  if (!cur.empty()) out.push_back(std::move(cur));
  return out;
}

namespace {

// The comma-separated items of "(a, b, c)".
std::vector<std::string> items(const std::string& paren) {
  std::vector<std::string> out;
  for (const std::string& t : tokens(paren.substr(1, paren.size() - 2)))
    out.push_back(t.back() == ',' ? t.substr(0, t.size() - 1) : t);
  return out;
}

std::string text_of_token(const std::string& t, const std::map<std::string, std::string>& pieces) {
  if (t.starts_with('"')) return json::parse(t).get<std::string>();
  if (t.starts_with('[')) return t;
  auto it = pieces.find(t);
  if (it == pieces.end()) throw std::runtime_error("unknown piece " + t);
  return it->second;
}

Hunks parse_hunks(const std::vector<std::string>& t, size_t from) {
  Hunks h;
  for (size_t i = from; i < t.size(); i += 3) {
    if (i + 2 >= t.size() || t[i + 1] != ">")
      throw std::runtime_error("hunks read \"old\" > \"new\"");
    h.emplace_back(json::parse(t[i]).get<std::string>(), json::parse(t[i + 2]).get<std::string>());
  }
  return h;
}

// Expected values are compared in one canonical form: JSON texts re-dumped.
std::string canonical(const std::string& v) {
  if (v.starts_with('"') || v.starts_with('[')) return json::parse(v).dump();
  return v;
}

// A path line: SETUP [=> EXPECT...] [: STATEMENT].
Path parse_path(const std::vector<std::string>& t, size_t from, int line,
                const std::map<std::string, std::string>& pieces, const std::string& file) {
  Path p;
  p.line = line;
  size_t i = from;
  for (; i < t.size() && t[i] != "=>" && t[i] != ":"; ++i) {
    p.setup += (p.setup.empty() ? "" : " ") + t[i];
    if (t[i].starts_with('(')) {
      p.args = items(t[i]);
    } else if (t[i].starts_with("host=")) {
      const size_t comma = t[i].rfind(',');
      p.with_host = {t[i].substr(5, comma - 5), t[i].substr(comma + 1)};
    } else if (const size_t eq = t[i].find('='); eq != std::string::npos) {
      p.settings.emplace_back(t[i].substr(0, eq), t[i].substr(eq + 1));
    } else {
      fail(file, line, "not a setting: " + t[i]);
    }
  }
  if (i < t.size() && t[i] == "=>")
    for (++i; i < t.size() && t[i] != ":"; ++i) {
      const size_t eq = t[i].find('=');
      if (eq == std::string::npos) fail(file, line, "not an expectation: " + t[i]);
      const std::string v = t[i].substr(eq + 1);
      p.expect[t[i].substr(0, eq)] = canonical(pieces.count(v) ? pieces.at(v) : v);
    }
  if (i < t.size()) {
    ++i;
    if (i < t.size() && t[i] == "keep") {
      p.sql.kind = Statement::Kind::Keep;
    } else if (i < t.size() && t[i] == "=") {
      p.sql.kind = Statement::Kind::Full;
      for (++i; i < t.size(); ++i) p.sql.full += text_of_token(t[i], pieces);
    } else {
      p.sql.hunks = parse_hunks(t, i);
    }
  }
  return p;
}

}  // namespace

std::string apply_hunks(std::string s, const Hunks& hunks, const std::string& where) {
  size_t at = 0;
  for (const auto& [from, to] : hunks) {
    const size_t p = s.find(from, at);
    if (p == std::string::npos) throw std::runtime_error(where + ": hunk does not apply: " + from);
    s.replace(p, from.size(), to);
    at = p + to.size();
  }
  return s;
}

std::vector<Block> load(const std::string& file, std::map<std::string, std::string>* named) {
  std::ifstream in(file);
  if (!in) throw std::runtime_error("cannot read " + file);
  std::vector<Block> blocks;
  std::map<std::string, std::string> local, &pieces = named ? *named : local;
  std::string line;
  char last = 0;  // the kind of the previous line
  for (int n = 1; std::getline(in, line); ++n) {
    const std::vector<std::string> t = tokens(line);
    if (t.empty() || t[0].starts_with('#')) continue;
    const char prev = last;
    last = t[0][0];
    try {
      if (t[0] == "piece") {
        std::string text;
        for (size_t i = 2; i < t.size(); ++i) text += text_of_token(t[i], pieces);
        pieces[t[1]] = text;
      } else if (t[0] == "@L" || t[0] == "@D") {
        Block b;
        b.file = file;
        b.cls = t[0][1];
        const size_t paren = t[1].find('(');
        b.method = t[1].substr(0, paren);
        std::vector<std::string> rest{t[1].substr(paren)};
        rest.insert(rest.end(), t.begin() + 2, t.end());
        b.head = parse_path(rest, 0, n, pieces, file);
        blocks.push_back(std::move(b));
      } else if (blocks.empty()) {
        fail(file, n, "a path before the first block");
      } else if (t[0] == "=") {
        // TEXT... [: CHANGES]; the statement is then known by the block's label as a piece.
        Block& b = blocks.back();
        b.statement_line = n;
        size_t i = 1;
        for (; i < t.size() && t[i] != ":"; ++i) b.statement += text_of_token(t[i], pieces);
        if (i < t.size()) b.statement = apply_hunks(b.statement, parse_hunks(t, i + 1), b.label());
        pieces[b.label()] = b.statement;
      } else if (t[0] == "*" && prev == '-') {
        blocks.back().paths.back().host = parse_hunks(t, 1);
        blocks.back().paths.back().host_line = n;
      } else if (t[0] == "*") {
        blocks.back().host_line = n;
        blocks.back().host = parse_hunks(t, 1);
      } else if (t[0] == "-") {
        blocks.back().paths.push_back(parse_path(t, 1, n, pieces, file));
      } else {
        fail(file, n, "unknown line");
      }
    } catch (const json::exception& e) {
      fail(file, n, e.what());
    }
  }
  return blocks;
}

Value value_of(const std::string& t, const std::vector<ObjectRef>& controls) {
  if (t.starts_with('"')) return Value(json::parse(t).get<std::string>());
  if (t == "empty") return Value();
  if (t == "null") return Value::null();
  if (t == "missing") return Value::missing();
  if (t == "nothing") return Value::nothing();
  if (t == "true" || t == "false") return Value(t == "true");
  if (t == "array") return Value(Array::matrix(1, 1));
  if (t.size() >= 2 && t[0] == 'c' && std::isdigit(static_cast<unsigned char>(t[1])))
    return Value(controls.at(std::stoul(t.substr(1)) - 1));
  if (t.starts_with("i:")) return Value(static_cast<int16_t>(std::stoi(t.substr(2))));
  if (t.starts_with("f:")) return Value(std::stod(t.substr(2)));
  if (t.starts_with("m:")) return Value(*Decimal::parse(t.substr(2)));
  if (t.starts_with("d:")) {
    int y = 0, m = 0, d = 0;
    std::sscanf(t.c_str() + 2, "%d-%d-%d", &y, &m, &d);
    return Value(*Date::from_civil(y, m, d));
  }
  if (t.empty() || t.find_first_not_of("-+0123456789") != std::string::npos)
    throw std::runtime_error("not a value: " + t);
  return Value(static_cast<int32_t>(std::stol(t)));
}

std::string unmark(const std::string& s, bool numbered, int plain_at) {
  static const std::string open = "\u00ab", close = "\u00bb";
  std::string out;
  int n = 0;
  size_t at = 0;
  for (size_t b; (b = s.find(open, at)) != std::string::npos;) {
    const size_t e = s.find(close, b);
    std::string text = s.substr(b + open.size(), e - b - open.size());
    // «x#k»: the k-th translation, placed again (a copied piece of the statement).
    const size_t hash = text.rfind('#');
    const bool counted = hash != std::string::npos && hash + 1 < text.size() &&
                         text.find_first_not_of("0123456789", hash + 1) == std::string::npos;
    if (counted) n = std::stoi(text.substr(hash + 1)) - 1;  // NOLINT
    out.append(s, at, b - at).append(text, 0, counted ? hash : text.size());
    if (++n != plain_at && numbered) out += "#" + std::to_string(n);
    at = e + close.size();
  }
  return out.append(s, at);
}

std::string expected_statement(const Block& b, const Path& p) {
  if (p.sql.kind == Statement::Kind::Full) return p.sql.full;
  return apply_hunks(b.statement, p.sql.hunks, b.file + ":" + std::to_string(p.line));
}

}  // namespace lema::golden
