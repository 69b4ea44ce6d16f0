// Reference-counted automation object and the smart references that hold it.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <utility>

namespace lema {

class ClassInfo;  // automation/class_info.h
class Value;
class Object;

enum class InvokeKind : uint8_t { Get, Let, Set, Call };

namespace detail {
// Shared by an object and its weak references. The mutex orders a weak reference's lock
// against the object's end: the target is cleared under it before the object is deleted.
struct WeakAnchor {
  explicit WeakAnchor(Object* t) noexcept : target(t) {}
  // The target with one reference added, or null when its count has reached 0.
  Object* acquire() noexcept;
  std::mutex mutex;
  Object* target;
};
}  // namespace detail

// Base of every object a host can hold: the three classes, host objects, stand-ins,
// recordsets. Members are reached by name through invoke(); the default implementation
// dispatches on the class's member table. The reference count is atomic, so references to
// one object may be taken and dropped on several threads; the object's members are not
// made safe for concurrent use by this.
class Object {
 public:
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  void add_ref() const noexcept { refs_.fetch_add(1, std::memory_order_relaxed); }
  void release() const noexcept;
  uint32_t ref_count() const noexcept { return refs_.load(std::memory_order_relaxed); }
  // Adds a reference unless the count has already reached 0 (the object is ending).
  bool try_add_ref() const noexcept;

  virtual const ClassInfo& class_info() const = 0;
  // The object this one stands for (a forwarding back-reference answers its target).
  virtual const Object* identity() const noexcept { return this; }
  // Late-bound access by member name. For Let and Set the new value is the last argument.
  virtual Value invoke(std::string_view member, InvokeKind kind, std::span<Value> args);

  std::shared_ptr<detail::WeakAnchor> weak_anchor() const;

 protected:
  Object() = default;
  virtual ~Object();

 private:
  mutable std::atomic<uint32_t> refs_{0};
  mutable std::shared_ptr<detail::WeakAnchor> anchor_;  // made on first use, under a lock
};

// Intrusive strong reference.
template <class T>
class Ref {
 public:
  using element_type = T;
  Ref() noexcept = default;
  Ref(std::nullptr_t) noexcept {}
  explicit Ref(T* p) noexcept : p_(p) {
    if (p_) p_->add_ref();
  }
  // Takes over a reference already counted.
  static Ref adopt(T* p) noexcept {
    Ref r;
    r.p_ = p;
    return r;
  }
  Ref(const Ref& o) noexcept : Ref(o.p_) {}
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(const Ref<U>& o) noexcept : Ref(o.get()) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(Ref<U>&& o) noexcept : p_(o.detach()) {}
  ~Ref() { reset(); }

  Ref& operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  void reset() noexcept {
    if (T* p = std::exchange(p_, nullptr)) p->release();
  }
  T* detach() noexcept { return std::exchange(p_, nullptr); }
  T* get() const noexcept { return p_; }
  T* operator->() const noexcept { return p_; }
  T& operator*() const noexcept { return *p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }
  friend bool operator==(const Ref& a, const Ref& b) noexcept { return a.p_ == b.p_; }

 private:
  T* p_ = nullptr;
};

template <class T, class... A>
Ref<T> make_object(A&&... a) {
  return Ref<T>(new T(std::forward<A>(a)...));
}

using ObjectRef = Ref<Object>;

// Reference that does not keep its target alive.
template <class T>
class WeakRef {
 public:
  WeakRef() = default;
  explicit WeakRef(const T* p) : anchor_(p ? p->weak_anchor() : nullptr) {}
  // A strong reference while the target lives; never one to an object whose count has
  // reached 0, even when its last reference is dropped on another thread meanwhile.
  Ref<T> lock() const noexcept {
    if (!anchor_) return {};
    return Ref<T>::adopt(static_cast<T*>(anchor_->acquire()));
  }
  bool expired() const noexcept { return !lock(); }

 private:
  std::shared_ptr<detail::WeakAnchor> anchor_;
};

}  // namespace lema
