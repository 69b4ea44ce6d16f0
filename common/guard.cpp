#include "common/guard.h"

#include <atomic>
#include <cstdlib>
#include <string>

namespace lema {
namespace {

// -1: not decided yet (read the environment on first use), 0: off, 1: on.
std::atomic<int> g_guard{-1};

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_name_start(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool is_name_char(char c) {
  return is_name_start(c) || is_digit(c);
}
bool is_space(char c) {
  return c == ' ' || c == '\t';
}

bool is_identifier(std::string_view s) {
  if (s.empty() || !is_name_start(s.front())) return false;
  for (char c : s)
    if (!is_name_char(c)) return false;
  return true;
}

// [-+]digits[.digits][e[-+]digits], or [-+].digits[...]: the forms numbers take as text.
bool is_number(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
  size_t digits = 0;
  while (i < s.size() && is_digit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && is_digit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    size_t exp = 0;
    while (i < s.size() && is_digit(s[i])) ++i, ++exp;
    if (exp == 0) return false;
  }
  return i == s.size();
}

bool equals_word(std::string_view s, std::string_view upper) {
  if (s.size() != upper.size()) return false;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    if (c != upper[i]) return false;
  }
  return true;
}

// One item of an ordering: a (possibly qualified) column name, blanks, optional ASC/DESC.
bool is_order_item(std::string_view item) {
  size_t b = 0, e = item.size();
  while (b < e && is_space(item[b])) ++b;
  while (e > b && is_space(item[e - 1])) --e;
  item = item.substr(b, e - b);
  size_t name_end = 0;
  while (name_end < item.size() && !is_space(item[name_end])) ++name_end;
  std::string_view name = item.substr(0, name_end);
  // Qualified names: parts separated by single dots.
  size_t start = 0;
  for (;;) {
    size_t dot = name.find('.', start);
    if (!is_identifier(name.substr(start, dot == std::string_view::npos ? dot : dot - start)))
      return false;
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  std::string_view rest = item.substr(name_end);
  while (!rest.empty() && is_space(rest.front())) rest.remove_prefix(1);
  return rest.empty() || equals_word(rest, "ASC") || equals_word(rest, "DESC");
}

[[noreturn]] void reject(std::string_view rule, std::string_view text) {
  constexpr size_t kShown = 64;
  std::string msg = "value refused by the value guard (" + std::string(rule) + "): ";
  msg.append(text.substr(0, kShown));
  if (text.size() > kShown) msg += "...";
  throw ValueRejected(msg);
}

}  // namespace

void set_value_guard(bool on) noexcept {
  g_guard.store(on ? 1 : 0, std::memory_order_relaxed);
}

bool value_guard() noexcept {
  int state = g_guard.load(std::memory_order_relaxed);
  if (state < 0) {
    const char* env = std::getenv("LEMA_VALUE_GUARD");
    const int from_env = env && std::string_view(env) == "1" ? 1 : 0;
    int expected = -1;
    // A set_value_guard call that came first keeps its word.
    if (!g_guard.compare_exchange_strong(expected, from_env, std::memory_order_relaxed))
      return expected == 1;
    return from_env == 1;
  }
  return state == 1;
}

namespace guard {

bool is_quotable(std::string_view text) noexcept {
  return text.find('\'') == std::string_view::npos;
}

bool is_bare_token(std::string_view text) noexcept {
  // Blanks around the token change nothing in the statement.
  while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
  return is_number(text) || is_identifier(text);
}

bool is_ordering(std::string_view text) noexcept {
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    if (!is_order_item(text.substr(start, comma == std::string_view::npos ? comma : comma - start)))
      return false;
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

void check_quoted(std::string_view text) {
  if (value_guard() && !is_quotable(text)) reject("quote inside a quoted value", text);
}

void check_bare(std::string_view text) {
  if (value_guard() && !is_bare_token(text)) reject("not a number or identifier", text);
}

void check_ordering(std::string_view text) {
  if (value_guard() && !is_ordering(text)) reject("not a list of column names", text);
}

}  // namespace guard
}  // namespace lema
