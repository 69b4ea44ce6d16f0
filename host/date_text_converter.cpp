#include "host/date_text_converter.h"

#include <cstdio>

#include "automation/binder.h"
#include "automation/class_info.h"
#include "automation/registry.h"
#include "common/error.h"
#include "common/text.h"

namespace lema::host {
namespace {

// Reads exactly `n` digits at `p`.
bool digits(std::string_view s, size_t p, size_t n, int& out) {
  if (p + n > s.size()) return false;
  out = 0;
  for (size_t i = p; i < p + n; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    out = out * 10 + (s[i] - '0');
  }
  return true;
}

// "HH:MM" or "HH:MM:SS" at `p`, up to the end of the text.
bool time_part(std::string_view s, size_t p, int& hh, int& mi, int& ss) {
  ss = 0;
  if (!digits(s, p, 2, hh) || p + 2 >= s.size() || s[p + 2] != ':' || !digits(s, p + 3, 2, mi))
    return false;
  size_t end = p + 5;
  if (end < s.size()) {
    if (s[end] != ':' || !digits(s, end + 1, 2, ss)) return false;
    end += 3;
  }
  return end == s.size();
}

}  // namespace

std::optional<Date> parse_date_text(std::string_view text) {
  std::string_view s = trim_blanks(text);
  int y, m, d, hh = 0, mi = 0, ss = 0;
  size_t rest;
  if (s.size() >= 10 && s[4] == '-' && s[7] == '-') {
    if (!digits(s, 0, 4, y) || !digits(s, 5, 2, m) || !digits(s, 8, 2, d)) return std::nullopt;
    rest = 10;
  } else if (s.size() >= 10 && s[2] == '/' && s[5] == '/') {
    if (!digits(s, 0, 2, d) || !digits(s, 3, 2, m) || !digits(s, 6, 4, y)) return std::nullopt;
    rest = 10;
  } else if (s.size() == 8) {
    if (!digits(s, 0, 4, y) || !digits(s, 4, 2, m) || !digits(s, 6, 2, d)) return std::nullopt;
    rest = 8;
  } else {
    return std::nullopt;
  }
  if (rest < s.size()) {
    if (s[rest] != ' ' && s[rest] != 'T') return std::nullopt;
    if (!time_part(s, rest + 1, hh, mi, ss)) return std::nullopt;
  }
  return Date::from_civil(y, m, d, hh, mi, ss);
}

void DateTextConverter::SetText(const std::string& text) {
  date_ = parse_date_text(text);
  error_ = date_ ? 0 : static_cast<int32_t>(ErrorCode::TypeMismatch);
}

std::string DateTextConverter::SqlDateText() const {
  if (!date_) return {};
  Date::Civil c = date_->civil();
  char buf[16];
  int n = std::snprintf(buf, sizeof buf, "%04d%02d%02d", c.year, c.month, c.day);
  return std::string(buf, static_cast<size_t>(n));
}

const ClassInfo& DateTextConverter::class_info() const {
  static const ClassInfo info(
      kProgId, {bind::method<&DateTextConverter::SetText>("SetText", {bind::req("Text")}),
                bind::getter<&DateTextConverter::ErrorNumber>("ErrorNumber"),
                bind::getter<&DateTextConverter::SqlDateText>("SqlDateText")});
  return info;
}

Value sql_date_text(const Value& v) {
  Value result = Value::null();
  lema::detail::step([&] {
    ObjectRef conv = create_object(DateTextConverter::kProgId);
    std::string text = to_text(v);
    if (auto* typed = dynamic_cast<DateTextConverter*>(conv.get())) {
      typed->SetText(text);
      if (typed->ErrorNumber() == 0) result = Value(typed->SqlDateText());
      return;
    }
    call_method(*conv, "SetText", {Value(std::move(text))});
    if (to_long(get_property(*conv, "ErrorNumber")) == 0)
      result = get_property(*conv, "SqlDateText");
  });
  return result;
}

}  // namespace lema::host
