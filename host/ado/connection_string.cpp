#include "host/ado/connection_string.h"

#include <cstdlib>
#include <utility>
#include <vector>

#include "common/error.h"
#include "common/text.h"

namespace lema::ado {
namespace {

bool blank(char c) noexcept {
  return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && blank(s[b])) ++b;
  while (e > b && blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool starts_with_nocase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && lower_ascii(s.substr(0, prefix.size())) == prefix;
}

[[noreturn]] void bad_string(std::string_view why) {
  raise(ErrorCode::DataAccess, why);
}

[[noreturn]] void not_understood() {
  bad_string("The connection string is not understood.");
}

// One KEY=VALUE pair of a connection string and where it stands (from its first character
// to the separator after it, included).
struct Pair {
  std::string key;  // lower case
  std::string value;
  size_t begin = 0, end = 0;
};

// KEY=VALUE pairs separated by ';'. A value may stand between braces, as ODBC writes it, and
// in the OLE DB form also between double or single quotes (a doubled closing character
// inside stands for one).
std::vector<Pair> pairs_of(std::string_view s, bool ole_db) {
  std::vector<Pair> out;
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
    Pair p;
    p.begin = i;
    p.key = lower_ascii(trim(s.substr(i, eq - i)));
    if (p.key.empty()) not_understood();
    size_t j = eq + 1;
    while (j < s.size() && blank(s[j])) ++j;
    const bool quoted = j < s.size() && (s[j] == '{' || (ole_db && (s[j] == '"' || s[j] == '\'')));
    if (quoted) {
      const char close = s[j] == '{' ? '}' : s[j];
      ++j;
      for (;;) {
        if (j >= s.size()) not_understood();
        if (s[j] == close) {
          if (j + 1 < s.size() && s[j + 1] == close) {
            p.value += close;
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        p.value += s[j++];
      }
      while (j < s.size() && s[j] != ';') {
        if (!blank(s[j])) not_understood();
        ++j;
      }
    } else {
      size_t end = s.find(';', j);
      if (end == std::string_view::npos) end = s.size();
      p.value = std::string(trim(s.substr(j, end - j)));
      j = end;
    }
    i = j < s.size() ? j + 1 : j;
    p.end = i;
    out.push_back(std::move(p));
  }
  return out;
}

const Pair* find_pair(const std::vector<Pair>& pairs, std::string_view key) {
  for (const Pair& p : pairs)
    if (p.key == key) return &p;
  return nullptr;
}

bool is_sql_server_provider(std::string_view provider) {
  std::string p = lower_ascii(trim(provider));
  return p.starts_with("sqloledb") || p.starts_with("sqlncli") || p.starts_with("msoledbsql");
}

// A number of seconds ("5", "0.5"), in milliseconds; -1 when the text is not one.
int64_t seconds_in_ms(std::string_view text) {
  text = trim(text);
  int64_t whole = 0, ms = 0;
  size_t i = 0, digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    whole = whole * 10 + (text[i] - '0');
    if (whole > 2000000) return -1;
  }
  if (i < text.size() && text[i] == '.') {
    int64_t scale = 100;
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits, scale /= 10)
      ms += (text[i] - '0') * scale;
  }
  if (digits == 0 || i != text.size()) return -1;
  return whole * 1000 + ms;
}

int32_t whole_seconds(std::string_view key, std::string_view text) {
  const int64_t ms = seconds_in_ms(text);
  if (ms < 0 || ms % 1000 != 0)
    bad_string("The connection string's " + std::string(key) +
               " must be a whole number of seconds, not \"" + std::string(text) + "\".");
  return static_cast<int32_t>(ms / 1000);
}

bool yes_no(std::string_view key, std::string_view text) {
  const std::string v = lower_ascii(trim(text));
  if (v == "1" || v == "true" || v == "yes") return true;
  if (v == "0" || v == "false" || v == "no") return false;
  bad_string("The SQLite connection string's " + std::string(key) + " must be 1 or 0, not \"" +
             std::string(text) + "\".");
}

// A path as a SQLite "file:" URI: the characters a URI gives a meaning to are escaped, so
// that the name reaches the file system as it was written.
std::string file_uri(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string uri = path.starts_with('/') ? "file://" : "file:";
  for (unsigned char c : path) {
    if (c <= ' ' || c == '%' || c == '?' || c == '#' || c == '"' || c == 0x7F) {
      uri += '%';
      uri += kHex[c >> 4];
      uri += kHex[c & 15];
    } else {
      uri += static_cast<char>(c);
    }
  }
  return uri;
}

bool uri_names_mode(std::string_view uri) {
  size_t q = uri.find('?');
  while (q != std::string_view::npos) {
    if (uri.substr(q + 1).starts_with("mode=")) return true;
    q = uri.find('&', q + 1);
  }
  return false;
}

// sqlite3://KEY=VALUE KEY=VALUE ...
ConnectionTarget sqlite_target(std::string_view s) {
  ConnectionTarget t;
  std::string db;
  bool have_db = false, have_timeout = false, have_readonly = false, have_create = false;
  bool readonly = false, create = false;
  size_t i = 0;
  while (i < s.size()) {
    if (blank(s[i])) {
      ++i;
      continue;
    }
    size_t end = i;
    while (end < s.size() && s[end] != '=' && !blank(s[end])) ++end;
    if (end == s.size() || s[end] != '=') {
      size_t word_end = s.find_first_of(" \t", i);
      bad_string("The SQLite connection string holds \"" +
                 std::string(s.substr(
                     i, word_end == std::string_view::npos ? s.size() - i : word_end - i)) +
                 "\", which is not KEY=VALUE (a path with blanks goes between double quotes: "
                 "db=\"/my dir/a.db\").");
    }
    const std::string key = lower_ascii(s.substr(i, end - i));
    std::string value;
    i = end + 1;
    if (i < s.size() && s[i] == '"') {
      for (++i;; ++i) {
        if (i >= s.size()) bad_string("The SQLite connection string has an unclosed quote.");
        if (s[i] == '"') {
          if (i + 1 < s.size() && s[i + 1] == '"') {
            value += '"';
            ++i;
            continue;
          }
          ++i;
          break;
        }
        value += s[i];
      }
      if (i < s.size() && !blank(s[i]))
        bad_string("The SQLite connection string has text right after a closing quote.");
    } else {
      while (i < s.size() && !blank(s[i])) value += s[i++];
    }
    bool* seen = key == "db" || key == "dbname" ? &have_db
                 : key == "timeout"             ? &have_timeout
                 : key == "readonly"            ? &have_readonly
                 : key == "create"              ? &have_create
                                                : nullptr;
    if (!seen)
      bad_string("The SQLite connection string has the unknown key \"" + key +
                 "\" (known keys: db, timeout, readonly, create).");
    if (*seen) bad_string("The SQLite connection string gives \"" + key + "\" twice.");
    *seen = true;
    if (seen == &have_db) {
      db = std::move(value);
    } else if (seen == &have_timeout) {
      const int64_t ms = seconds_in_ms(value);
      if (ms < 0)
        bad_string("The SQLite connection string's timeout must be a number of seconds, not \"" +
                   value + "\".");
      t.busy_timeout_ms = static_cast<int32_t>(ms);
    } else if (seen == &have_readonly) {
      readonly = yes_no(key, value);
    } else {
      create = yes_no(key, value);
    }
  }
  if (db.empty()) bad_string("The SQLite connection string names no database (db=PATH).");
  if (readonly && create) bad_string("The SQLite connection string asks for readonly and create.");
  const char* mode = readonly ? "mode=ro" : create ? "mode=rwc" : "mode=rw";
  t.parameters = "db=";
  if (db == ":memory:") {
    t.parameters += db;
  } else if (starts_with_nocase(db, "file:")) {
    // The caller's own URI: only the access mode is added when it gives none.
    t.parameters += db;
    if (!uri_names_mode(db)) {
      t.parameters += db.find('?') == std::string::npos ? '?' : '&';
      t.parameters += mode;
    }
  } else {
    (t.parameters += file_uri(db)) += '?';
    t.parameters += mode;
  }
  return t;
}

// Reads and removes the library's own keys (LoginTimeout, QueryTimeout) of an ODBC string;
// the rest reaches the driver as it was written.
ConnectionTarget odbc_target(std::string_view s) {
  ConnectionTarget t;
  t.backend = ConnectionTarget::Backend::Odbc;
  size_t copied = 0;
  for (const Pair& p : pairs_of(s, false)) {
    int32_t* field = p.key == "logintimeout"   ? &t.login_timeout_s
                     : p.key == "querytimeout" ? &t.query_timeout_s
                                               : nullptr;
    if (!field) continue;
    *field = whole_seconds(p.key == "logintimeout" ? "LoginTimeout" : "QueryTimeout", p.value);
    t.parameters.append(s.substr(copied, p.begin - copied));
    copied = p.end;
  }
  t.parameters.append(s.substr(copied));
  if (!t.parameters.empty() && t.parameters.back() == ';' && s.back() != ';')
    t.parameters.pop_back();
  if (trim(t.parameters).empty()) not_understood();
  return t;
}

// Replaces the value of KEY (or appends the pair when it is absent).
void set_odbc_value(std::string& odbc, std::string_view key, std::string_view value) {
  const std::vector<Pair> pairs = pairs_of(odbc, false);
  if (const Pair* p = find_pair(pairs, lower_ascii(key))) {
    std::string rest = odbc.substr(p->end);
    odbc.resize(p->begin);
    append_odbc_pair(odbc, key, value);
    if (!rest.empty()) (odbc += ';') += rest;
  } else {
    append_odbc_pair(odbc, key, value);
  }
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
  for (const auto& [key, value, begin, end] : pairs_of(text, true)) {
    if (key == "provider") {
      if (!is_sql_server_provider(value)) not_understood();
    } else if (key == "data source" || key == "server" || key == "address" || key == "addr" ||
               key == "network address") {
      std::string_view server = value;
      if (starts_with_nocase(server, "tcp:")) server.remove_prefix(4);
      append_odbc_pair(out, "SERVER", server);
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
    // Other keys (Persist Security Info, Auto Translate, Packet Size, the timeouts read by
    // parse_connection_string, ...) only concern the OLE DB layer.
  }
  return out;
}

ConnectionTarget parse_connection_string(std::string_view text, std::string_view driver) {
  if (text.find('\0') != std::string_view::npos)
    bad_string("The connection string holds a NUL character.");
  std::string_view s = trim(text);
  if (starts_with_nocase(s, "sqlite3://")) {
    std::string_view rest = trim(s.substr(10));
    if (rest.empty()) bad_string("The SQLite connection string names no database (db=PATH).");
    return sqlite_target(rest);
  }
  if (starts_with_nocase(s, "odbc://")) {
    std::string_view rest = trim(s.substr(7));
    if (rest.empty()) not_understood();
    return odbc_target(rest);
  }
  const std::vector<Pair> pairs = pairs_of(s, true);
  if (pairs.empty()) not_understood();
  const bool names_driver =
      find_pair(pairs, "driver") || find_pair(pairs, "dsn") || find_pair(pairs, "filedsn");
  if (find_pair(pairs, "provider") ||
      (!names_driver && (find_pair(pairs, "data source") || find_pair(pairs, "server")))) {
    ConnectionTarget t;
    t.backend = ConnectionTarget::Backend::Odbc;
    t.parameters = ole_db_to_odbc(s, driver);
    if (const Pair* p = find_pair(pairs, "connect timeout"))
      t.login_timeout_s = whole_seconds("Connect Timeout", p->value);
    if (const Pair* p = find_pair(pairs, "command timeout"))
      t.query_timeout_s = whole_seconds("Command Timeout", p->value);
    return t;
  }
  if (names_driver) return odbc_target(s);
  not_understood();
}

OdbcDriverKind odbc_driver_kind(std::string_view name_or_library) {
  const std::string n = lower_ascii(name_or_library);
  if (n.find("sqlite") != std::string::npos) return OdbcDriverKind::Sqlite;
  if (n.find("freetds") != std::string::npos || n.find("tdsodbc") != std::string::npos)
    return OdbcDriverKind::FreeTds;
  return OdbcDriverKind::Other;
}

bool is_microsoft_sql_server_driver(std::string_view name) {
  const std::string n = lower_ascii(trim(name));
  return n == "sql server" || n == "sql native client" ||
         n.starts_with("sql server native client") ||
         (n.starts_with("odbc driver ") && n.ends_with(" for sql server"));
}

std::string odbc_value(std::string_view odbc, std::string_view key) {
  const std::vector<Pair> pairs = pairs_of(odbc, false);
  const Pair* p = find_pair(pairs, lower_ascii(key));
  return p ? p->value : std::string();
}

std::string odbc_string_for_driver(std::string_view odbc, OdbcDriverKind kind,
                                   std::string_view driver, int32_t busy_timeout_ms) {
  std::string out(odbc);
  if (!driver.empty()) set_odbc_value(out, "DRIVER", driver);
  const std::vector<Pair> pairs = pairs_of(out, false);
  if (kind == OdbcDriverKind::Sqlite && !find_pair(pairs, "timeout"))
    append_odbc_pair(out, "Timeout", std::to_string(busy_timeout_ms));
  if (kind == OdbcDriverKind::FreeTds) {
    const Pair* server = find_pair(pairs, "server");
    if (server && starts_with_nocase(server->value, "tcp:"))
      set_odbc_value(out, "SERVER", std::string_view(server->value).substr(4));
    if (!find_pair(pairs, "clientcharset")) append_odbc_pair(out, "ClientCharset", "UTF-8");
    if (!find_pair(pairs, "tds_version")) append_odbc_pair(out, "TDS_Version", "7.4");
  }
  return out;
}

}  // namespace lema::ado
