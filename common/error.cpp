#include "common/error.h"

#include <string>

namespace lema {
namespace {
SwallowObserver g_observer = nullptr;
}

void raise(ErrorCode code, std::string_view message) {
  throw Error(code, std::string(message));
}

void set_swallow_observer(SwallowObserver observer) noexcept {
  g_observer = observer;
}

namespace detail {
void note_swallowed() noexcept {
  if (!g_observer) return;
  try {
    throw;
  } catch (const std::exception& e) {
    g_observer(e.what());
  } catch (...) {
    g_observer("unknown failure");
  }
}
}  // namespace detail
}  // namespace lema
