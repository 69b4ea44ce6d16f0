#include "common/object.h"

#include <limits>

namespace lema {
namespace {
// Guards the first creation of an object's weak anchor (rare: objects that hand out weak
// references).
std::mutex g_anchor_creation;
}  // namespace

namespace detail {
Object* WeakAnchor::acquire() noexcept {
  std::lock_guard lock(mutex);
  return target && target->try_add_ref() ? target : nullptr;
}
}  // namespace detail

bool Object::try_add_ref() const noexcept {
  uint32_t n = refs_.load(std::memory_order_relaxed);
  while (n != 0)
    if (refs_.compare_exchange_weak(n, n + 1, std::memory_order_acquire, std::memory_order_relaxed))
      return true;
  return false;
}

void Object::release() const noexcept {
  if (refs_.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
  // Weak references stop reaching the object before anything else happens to it: a lock
  // racing with this one either saw the count at 0 or waits here.
  if (anchor_) {
    std::lock_guard lock(anchor_->mutex);
    anchor_->target = nullptr;
  }
  // Keep the count high while the destructor runs, so that a temporary reference taken
  // during destruction cannot delete the object a second time.
  refs_.store(std::numeric_limits<uint32_t>::max() / 2, std::memory_order_relaxed);
  delete this;
}

Object::~Object() {
  if (anchor_) {
    std::lock_guard lock(anchor_->mutex);
    anchor_->target = nullptr;
  }
}

std::shared_ptr<detail::WeakAnchor> Object::weak_anchor() const {
  std::lock_guard lock(g_anchor_creation);
  if (!anchor_) anchor_ = std::make_shared<detail::WeakAnchor>(const_cast<Object*>(this));
  return anchor_;
}

}  // namespace lema
