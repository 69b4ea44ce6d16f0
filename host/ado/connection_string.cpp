#include "host/ado/connection_string.h"

#include <cstdlib>
#include <utility>
#include <vector>

#include "common/error.h"
#include "common/text.h"

namespace lema::ado {
namespace {

std::string_view trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

bool starts_with_nocase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && lower_ascii(s.substr(0, prefix.size())) == prefix;
}

[[noreturn]] void not_understood() {
  raise(ErrorCode::DataAccess, "The connection string is not understood.");
}

// KEY=VALUE pairs separated by ';'. A value may stand between double or single quotes
// (a doubled quote inside stands for one) or between braces, as ODBC writes it.
std::vector<std::pair<std::string, std::string>> pairs_of(std::string_view s) {
  std::vector<std::pair<std::string, std::string>> out;
  size_t i = 0;
  while (i < s.size()) {
    size_t eq = s.find('=', i);
    size_t semi = s.find(';', i);
    if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
      if (!trim(s.substr(i, semi == std::string_view::npos ? s.size() - i : semi - i)).empty())
        not_understood();
      if (semi == std::string_view::npos) break;
      i = semi + 1;
      continue;
    }
    std::string key = lower_ascii(trim(s.substr(i, eq - i)));
    if (key.empty()) not_understood();
    size_t j = eq + 1;
    while (j < s.size() && (s[j] == ' ' || s[j] == '\t')) ++j;
    std::string value;
    if (j < s.size() && (s[j] == '"' || s[j] == '\'' || s[j] == '{')) {
      const char close = s[j] == '{' ? '}' : s[j];
      ++j;
      for (;;) {
        if (j >= s.size()) not_understood();
        if (s[j] == close) {
          if (j + 1 < s.size() && s[j + 1] == close) {
            value += close;
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        value += s[j++];
      }
      while (j < s.size() && s[j] != ';') {
        if (s[j] != ' ' && s[j] != '\t') not_understood();
        ++j;
      }
    } else {
      size_t end = s.find(';', j);
      if (end == std::string_view::npos) end = s.size();
      value = std::string(trim(s.substr(j, end - j)));
      j = end;
    }
    out.emplace_back(std::move(key), std::move(value));
    i = j < s.size() ? j + 1 : j;
  }
  return out;
}

bool has_key(const std::vector<std::pair<std::string, std::string>>& pairs, std::string_view key) {
  for (const auto& p : pairs)
    if (p.first == key) return true;
  return false;
}

bool is_sql_server_provider(std::string_view provider) {
  std::string p = lower_ascii(trim(provider));
  return p.starts_with("sqloledb") || p.starts_with("sqlncli") || p.starts_with("msoledbsql");
}

}  // namespace

std::string sql_server_odbc_driver() {
  const char* env = std::getenv("LEMA_ODBC_DRIVER");
  return env && *env ? std::string(env) : std::string("FreeTDS");
}

void append_odbc_pair(std::string& out, std::string_view key, std::string_view value) {
  if (!out.empty() && out.back() != ';') out += ';';
  out.append(key);
  out += '=';
  const bool braces = value.find_first_of(";{}") != std::string_view::npos ||
                      (!value.empty() && (value.front() == ' ' || value.back() == ' '));
  if (!braces) {
    out.append(value);
    return;
  }
  out += '{';
  for (char c : value) {
    out += c;
    if (c == '}') out += '}';
  }
  out += '}';
}

std::string ole_db_to_odbc(std::string_view text, std::string_view driver) {
  std::string out;
  append_odbc_pair(out, "DRIVER", driver);
  for (const auto& [key, value] : pairs_of(text)) {
    if (key == "provider") {
      if (!is_sql_server_provider(value)) not_understood();
    } else if (key == "data source" || key == "server" || key == "address" || key == "addr" ||
               key == "network address") {
      append_odbc_pair(out, "SERVER", value);
    } else if (key == "initial catalog" || key == "database") {
      append_odbc_pair(out, "DATABASE", value);
    } else if (key == "user id" || key == "uid" || key == "user") {
      append_odbc_pair(out, "UID", value);
    } else if (key == "password" || key == "pwd") {
      append_odbc_pair(out, "PWD", value);
    } else if (key == "integrated security" || key == "trusted_connection") {
      std::string v = lower_ascii(value);
      if (v == "sspi" || v == "true" || v == "yes")
        append_odbc_pair(out, "Trusted_Connection", "Yes");
    } else if (key == "application name") {
      append_odbc_pair(out, "APP", value);
    } else if (key == "workstation id") {
      append_odbc_pair(out, "WSID", value);
    }
    // Other keys (Persist Security Info, Auto Translate, Packet Size, ...) only concern
    // the OLE DB layer.
  }
  return out;
}

ConnectionTarget parse_connection_string(std::string_view text, std::string_view driver) {
  std::string_view s = trim(text);
  if (starts_with_nocase(s, "sqlite3://")) {
    std::string_view rest = trim(s.substr(10));
    if (rest.empty()) not_understood();
    return {ConnectionTarget::Backend::Sqlite, std::string(rest)};
  }
  if (starts_with_nocase(s, "odbc://")) {
    std::string_view rest = trim(s.substr(7));
    if (rest.empty()) not_understood();
    return {ConnectionTarget::Backend::Odbc, std::string(rest)};
  }
  auto pairs = pairs_of(s);
  if (pairs.empty()) not_understood();
  if (has_key(pairs, "provider") ||
      (!has_key(pairs, "driver") && !has_key(pairs, "dsn") && !has_key(pairs, "filedsn") &&
       (has_key(pairs, "data source") || has_key(pairs, "server"))))
    return {ConnectionTarget::Backend::Odbc, ole_db_to_odbc(s, driver)};
  if (has_key(pairs, "driver") || has_key(pairs, "dsn") || has_key(pairs, "filedsn"))
    return {ConnectionTarget::Backend::Odbc, std::string(s)};
  not_understood();
}

}  // namespace lema::ado
