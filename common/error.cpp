#include "common/error.h"

#include <atomic>
#include <string>

namespace lema {
namespace {
std::atomic<SwallowObserver> g_observer{nullptr};  // set and read from any thread
}

void raise(ErrorCode code, std::string_view message) {
  throw Error(code, std::string(message));
}

void set_swallow_observer(SwallowObserver observer) noexcept {
  g_observer.store(observer, std::memory_order_release);
}

namespace detail {
void note_swallowed() noexcept {
  const SwallowObserver observer = g_observer.load(std::memory_order_acquire);
  if (!observer) return;
  try {
    try {
      throw;
    } catch (const Error& e) {
      if (e.operation().empty()) {
        observer(e.what());
      } else {
        std::string text(e.operation());
        text += ": ";
        text += e.what();
        observer(text);
      }
    } catch (const std::exception& e) {
      observer(e.what());
    } catch (...) {
      observer("unknown failure");
    }
  } catch (...) {
    // Neither the text nor the observer may let an error out of the step frame.
  }
}
}  // namespace detail
}  // namespace lema
