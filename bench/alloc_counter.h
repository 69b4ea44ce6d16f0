// Counts heap allocations of the process (benchmark-only hook: it replaces the global
// operator new of the benchmark binary).
#pragma once

#include <cstddef>

namespace lema::bench {
size_t allocations() noexcept;
}  // namespace lema::bench
