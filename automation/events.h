// Events: a source raises a named event to the sinks attached to it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "common/object.h"
#include "common/value.h"

namespace lema {

class EventSink {
 public:
  virtual ~EventSink() = default;
  // `args` are the event's arguments; by-reference ones may be changed by the sink.
  virtual void on_event(const Object& source, std::string_view event, std::span<Value> args) = 0;
};

class EventSource {
 public:
  uint32_t advise(std::shared_ptr<EventSink> sink);
  void unadvise(uint32_t cookie);
  size_t sink_count() const noexcept { return sinks_.size(); }

 protected:
  // Calls every sink in the order attached; a failing sink does not stop the others.
  void raise_event(const Object& source, std::string_view event, std::span<Value> args);

 private:
  uint32_t next_cookie_ = 1;
  std::vector<std::pair<uint32_t, std::shared_ptr<EventSink>>> sinks_;
};

}  // namespace lema
