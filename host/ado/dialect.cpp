#include "host/ado/dialect.h"

#include <algorithm>

namespace lema::ado {
namespace {

enum class Tok { Word, Number, Text, Name, Comment, Space, Punct };

struct Token {
  Tok kind;
  size_t begin, end;
};

bool word_start(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == '@' || c == '#' ||
         c >= 0x80;
}
bool word_char(unsigned char c) {
  return word_start(c) || (c >= '0' && c <= '9') || c == '$';
}
bool digit(unsigned char c) {
  return c >= '0' && c <= '9';
}

// Position after a quoted piece opened at `i` and closed by `close` (doubled inside).
size_t quoted_end(std::string_view s, size_t i, char close) {
  for (size_t j = i + 1; j < s.size(); ++j) {
    if (s[j] != close) continue;
    if (j + 1 < s.size() && s[j + 1] == close) {
      ++j;
      continue;
    }
    return j + 1;
  }
  return s.size();
}

std::vector<Token> tokenize(std::string_view s) {
  std::vector<Token> out;
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t j = i + 1;
    Tok kind = Tok::Punct;
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      kind = Tok::Space;
      while (j < s.size() && (s[j] == ' ' || s[j] == '\t' || s[j] == '\r' || s[j] == '\n')) ++j;
    } else if (c == '-' && j < s.size() && s[j] == '-') {
      kind = Tok::Comment;
      while (j < s.size() && s[j] != '\n') ++j;
    } else if (c == '/' && j < s.size() && s[j] == '*') {
      kind = Tok::Comment;
      size_t e = s.find("*/", j + 1);
      j = e == std::string_view::npos ? s.size() : e + 2;
    } else if (c == '\'') {
      kind = Tok::Text;
      j = quoted_end(s, i, '\'');
    } else if (c == '"') {
      kind = Tok::Name;
      j = quoted_end(s, i, '"');
    } else if (c == '[') {
      kind = Tok::Name;
      j = quoted_end(s, i, ']');
    } else if (word_start(c)) {
      kind = Tok::Word;
      while (j < s.size() && word_char(static_cast<unsigned char>(s[j]))) ++j;
    } else if (digit(c)) {
      kind = Tok::Number;
      while (j < s.size() && (word_char(static_cast<unsigned char>(s[j])) || s[j] == '.')) ++j;
    }
    out.push_back({kind, i, j});
    i = j;
  }
  return out;
}

bool same_word(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (x != b[i]) return false;
  }
  return true;
}

class Rewriter {
 public:
  explicit Rewriter(std::string_view s) : s_(s) {
    for (const Token& t : tokenize(s))
      if (t.kind != Tok::Space && t.kind != Tok::Comment) sig_.push_back(t);
  }

  std::string run() {
    for (size_t k = 0; k < sig_.size(); ++k) {
      if (is_word(k, "WITH")) {
        nolock_hint(k);
      } else if (is_word(k, "ISNULL") && is_punct(k + 1, '(')) {
        replace(sig_[k], "IFNULL");
      } else if (is_word(k, "SELECT")) {
        top(k);
        assigned_aliases(k);
      } else if (is_word(k, "FROM") || is_word(k, "JOIN")) {
        table_function(k + 1, k + 1, nullptr);
      } else if ((is_word(k, "OUTER") || is_word(k, "CROSS")) && is_word(k + 1, "APPLY")) {
        table_function(k, k + 2, is_word(k, "OUTER") ? "LEFT JOIN " : "JOIN ");
      } else if (is_word(k, "DBO") && is_punct(k + 1, '.') && call_name(k) != kNone &&
                 !(k > 0 &&
                   (is_word(k - 1, "FROM") || is_word(k - 1, "JOIN") || is_word(k - 1, "APPLY")))) {
        remove(sig_[k].begin, sig_[k + 1].end);
      }
    }
    std::stable_sort(edits_.begin(), edits_.end(),
                     [](const Edit& a, const Edit& b) { return a.at < b.at; });
    std::string out;
    out.reserve(s_.size() + 16 * edits_.size());
    size_t pos = 0;
    for (const Edit& e : edits_) {
      if (e.at < pos) continue;  // overlapping edits cannot come from well-formed statements
      out.append(s_.substr(pos, e.at - pos));
      out.append(e.text);
      pos = e.at + e.len;
    }
    out.append(s_.substr(pos));
    return out;
  }

 private:
  struct Edit {
    size_t at, len;
    std::string text;
  };

  std::string_view text(const Token& t) const { return s_.substr(t.begin, t.end - t.begin); }
  bool is_word(size_t k, std::string_view w) const {
    return k < sig_.size() && sig_[k].kind == Tok::Word && same_word(text(sig_[k]), w);
  }
  bool is_punct(size_t k, char c) const {
    return k < sig_.size() && sig_[k].kind == Tok::Punct && s_[sig_[k].begin] == c;
  }
  void replace(const Token& t, std::string text) {
    edits_.push_back({t.begin, t.end - t.begin, std::move(text)});
  }
  void remove(size_t from, size_t to) { edits_.push_back({from, to - from, {}}); }

  // WITH ( NOLOCK ) after a table name: dropped.
  void nolock_hint(size_t k) {
    if (is_punct(k + 1, '(') && is_word(k + 2, "NOLOCK") && is_punct(k + 3, ')'))
      remove(sig_[k].begin, sig_[k + 3].end);
  }

  // Index of the parenthesis that closes the one at `open`, or sig_.size().
  size_t closing(size_t open) const {
    int depth = 0;
    for (size_t k = open; k < sig_.size(); ++k) {
      if (is_punct(k, '('))
        ++depth;
      else if (is_punct(k, ')') && --depth == 0)
        return k;
    }
    return sig_.size();
  }

  // SELECT [ALL|DISTINCT] TOP n / TOP (n): TOP removed, LIMIT n at the end of the SELECT.
  void top(size_t select) {
    size_t k = select + 1;
    if (is_word(k, "ALL") || is_word(k, "DISTINCT")) ++k;
    if (!is_word(k, "TOP")) return;
    const size_t top_at = k;
    std::string count;
    size_t last;  // last token of the TOP clause
    if (is_punct(k + 1, '(')) {
      last = closing(k + 1);
      if (last >= sig_.size() || last == k + 2) return;
      count = std::string(s_.substr(sig_[k + 2].begin, sig_[last - 1].end - sig_[k + 2].begin));
    } else if (k + 1 < sig_.size() &&
               (sig_[k + 1].kind == Tok::Number || sig_[k + 1].kind == Tok::Word)) {
      last = k + 1;
      count = std::string(text(sig_[last]));
    } else {
      return;
    }
    if (is_word(last + 1, "PERCENT") || (is_word(last + 1, "WITH") && is_word(last + 2, "TIES")))
      return;
    // The SELECT ends before the parenthesis that closes the one it stands in, before a
    // semicolon at its own level, or at the end of the text.
    int depth = 0;
    size_t end = sig_.size();
    for (size_t j = last + 1; j < sig_.size(); ++j) {
      if (is_punct(j, '(')) {
        ++depth;
      } else if (is_punct(j, ')')) {
        if (depth == 0) {
          end = j;
          break;
        }
        --depth;
      } else if (is_punct(j, ';') && depth == 0) {
        end = j;
        break;
      }
    }
    if (end == last + 1) return;  // nothing after TOP n
    remove(sig_[top_at].begin, sig_[last].end);
    edits_.push_back({sig_[end - 1].end, 0, " LIMIT " + count});
  }

  static constexpr size_t kNone = static_cast<size_t>(-1);

  // The function call [dbo.]F( at token `k`: the index of F, or kNone.
  size_t call_name(size_t k) const {
    if (is_word(k, "DBO") && is_punct(k + 1, '.')) k += 2;
    return k < sig_.size() && sig_[k].kind == Tok::Word && is_punct(k + 1, '(') ? k : kNone;
  }

  // A table-valued function [dbo.]F(a1, ..., an) at token `k`, read from the table or view F
  // whose columns P1 ... Pn hold the arguments. After FROM or JOIN (`join` null) the call
  // becomes a filtered derived table; after OUTER/CROSS APPLY (`join` the join that replaces
  // them, from token `from` on) a join on the argument columns.
  void table_function(size_t from, size_t k, const char* join) {
    const size_t name = call_name(k);
    if (name == kNone) return;
    const size_t close = closing(name + 1);
    if (close >= sig_.size()) return;
    const std::string f(text(sig_[name]));
    std::string on;
    int n = 0, depth = 0;
    for (size_t j = name + 2, start = j; j <= close && close > name + 2; ++j) {
      if (j < close && is_punct(j, '(')) {
        ++depth;
      } else if (j < close && is_punct(j, ')')) {
        --depth;
      } else if (j == close || (depth == 0 && is_punct(j, ','))) {
        if (j == start) return;  // an empty argument: left for the database to refuse
        if (n++) on += " AND ";
        on += f + ".P" + std::to_string(n) + " = (";
        on.append(s_.substr(sig_[start].begin, sig_[j - 1].end - sig_[start].begin)) += ')';
        start = j + 1;
      }
    }
    if (!join) {
      edits_.push_back({sig_[k].begin, sig_[close].end - sig_[k].begin,
                        "(SELECT * FROM " + f + (on.empty() ? "" : " WHERE " + on) + ")"});
      return;
    }
    size_t last = close;
    std::string alias;
    if (is_word(close + 1, "AS") && close + 2 < sig_.size()) {
      last = close + 2;
      alias = " AS " + std::string(text(sig_[last]));
    }
    edits_.push_back({sig_[from].begin, sig_[last].end - sig_[from].begin,
                      join + f + alias + " ON " + (on.empty() ? "1" : on)});
  }

  // Select-list items of the SELECT at `select` written alias = expression.
  void assigned_aliases(size_t select) {
    size_t k = select + 1;
    if (is_word(k, "ALL") || is_word(k, "DISTINCT")) ++k;
    if (is_word(k, "TOP")) k = is_punct(k + 1, '(') ? closing(k + 1) + 1 : k + 2;
    int depth = 0;
    for (size_t j = k, item = k; j <= sig_.size(); ++j) {
      const bool end = j == sig_.size() ||
                       (depth == 0 && (is_word(j, "FROM") || is_punct(j, ')') || is_punct(j, ';')));
      if (end || (depth == 0 && is_punct(j, ','))) {
        if (j > item + 2 && sig_[item].kind == Tok::Word && is_punct(item + 1, '=')) {
          remove(sig_[item].begin, sig_[item + 1].end);
          edits_.push_back({sig_[j - 1].end, 0, " AS " + std::string(text(sig_[item]))});
        }
        if (end) return;
        item = j + 1;
      } else if (is_punct(j, '(')) {
        ++depth;
      } else if (is_punct(j, ')')) {
        --depth;
      }
    }
  }

  std::string_view s_;
  std::vector<Token> sig_;
  std::vector<Edit> edits_;
};

}  // namespace

std::string to_sqlite_dialect(std::string_view sql) {
  return Rewriter(sql).run();
}

std::vector<std::string> split_statements(std::string_view script) {
  std::vector<std::string> out;
  size_t start = 0;
  bool content = false;
  auto flush = [&](size_t end) {
    if (content) {
      std::string_view piece = script.substr(start, end - start);
      size_t b = piece.find_first_not_of(" \t\r\n");
      size_t e = piece.find_last_not_of(" \t\r\n");
      out.emplace_back(piece.substr(b, e - b + 1));
    }
    content = false;
  };
  for (const Token& t : tokenize(script)) {
    if (t.kind == Tok::Punct && script[t.begin] == ';') {
      flush(t.begin);
      start = t.end;
    } else if (t.kind != Tok::Space && t.kind != Tok::Comment) {
      content = true;
    }
  }
  flush(script.size());
  return out;
}

}  // namespace lema::ado
