#include "host/clock.h"

#include <ctime>

namespace lema::host {
namespace {
std::optional<Date> g_pinned;
}

Date today() {
  if (g_pinned) return *g_pinned;
  std::time_t t = std::time(nullptr);
  std::tm tm{};
  localtime_r(&t, &tm);
  return *Date::from_civil(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

void pin_today(std::optional<Date> date) {
  g_pinned = date;
}

}  // namespace lema::host
