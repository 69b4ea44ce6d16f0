#include "common/object.h"

#include <limits>

namespace lema {

void Object::release() const noexcept {
  if (--refs_ == 0) {
    // Keep the count high while the destructor runs, so that a temporary reference taken
    // during destruction cannot delete the object a second time.
    refs_ = std::numeric_limits<uint32_t>::max() / 2;
    // Weak references stop reaching the object as soon as its destruction begins.
    if (anchor_) anchor_->target = nullptr;
    delete this;
  }
}

Object::~Object() {
  if (anchor_) anchor_->target = nullptr;
}

std::shared_ptr<detail::WeakAnchor> Object::weak_anchor() const {
  if (!anchor_)
    anchor_ = std::make_shared<detail::WeakAnchor>(detail::WeakAnchor{const_cast<Object*>(this)});
  return anchor_;
}

}  // namespace lema
