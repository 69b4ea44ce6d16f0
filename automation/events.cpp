#include "automation/events.h"

#include <algorithm>

#include "common/error.h"

namespace lema {

uint32_t EventSource::advise(std::shared_ptr<EventSink> sink) {
  uint32_t cookie = next_cookie_++;
  sinks_.emplace_back(cookie, std::move(sink));
  return cookie;
}

void EventSource::unadvise(uint32_t cookie) {
  std::erase_if(sinks_, [cookie](const auto& p) { return p.first == cookie; });
}

void EventSource::raise_event(const Object& source, std::string_view event, std::span<Value> args) {
  auto sinks = sinks_;  // a sink may detach itself while it runs
  for (auto& entry : sinks) detail::step([&] { entry.second->on_event(source, event, args); });
}

}  // namespace lema
