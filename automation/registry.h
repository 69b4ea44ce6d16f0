// Class registry: instances are created by class name; hosts register or replace factories
// (that is how the sibling components and the in-house classes are obtained).
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/object.h"

namespace lema {

// Every member may be called from any thread, also while other threads register, replace
// or unregister classes: the table is copied on write, and a reader holds a lock only while
// it takes a reference to the current one; factories run outside any lock, so a factory may
// create other objects by name. An unregistered factory stays alive until the creations
// that were already using it have returned.
class Registry {
 public:
  using Factory = std::function<ObjectRef()>;
  struct Entry {
    std::string prog_id;
    Factory factory;
    const ClassInfo* info = nullptr;  // known member table, when the class has a fixed one
  };

  Registry();
  // Moves the table of a registry that no other thread uses yet (building one to share).
  Registry(Registry&& other);
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;
  Registry& operator=(Registry&&) = delete;

  // The process-wide registry, holding the library's own classes (server frame).
  static Registry& global();

  // Raises Error(CannotCreateObject) for an unknown name or a failing factory.
  ObjectRef create(std::string_view prog_id) const;
  // Registers a factory, replacing any earlier one under the same name (names ignore case).
  void register_class(std::string prog_id, Factory factory, const ClassInfo* info = nullptr);
  bool unregister_class(std::string_view prog_id);
  std::optional<Entry> find(std::string_view prog_id) const;
  std::vector<std::string> names() const;

 private:
  using Table = std::vector<std::shared_ptr<const Entry>>;
  std::shared_ptr<const Table> snapshot() const;
  void publish(std::shared_ptr<const Table> table);  // the old one is released by the caller
  static const Entry* lookup(const Table& table, std::string_view prog_id) noexcept;

  mutable std::mutex table_mutex_;  // guards the pointer table_ only
  std::shared_ptr<const Table> table_;
  std::mutex writers_;  // one change at a time; readers never take it
};

inline ObjectRef create_object(std::string_view prog_id) {
  return Registry::global().create(prog_id);
}

// Registers a factory for its lifetime and restores what was there before.
class ScopedClass {
 public:
  ScopedClass(std::string prog_id, Registry::Factory factory, Registry& reg = Registry::global());
  ~ScopedClass();
  ScopedClass(const ScopedClass&) = delete;
  ScopedClass& operator=(const ScopedClass&) = delete;

 private:
  Registry& reg_;
  std::string prog_id_;
  std::optional<Registry::Entry> previous_;
};

}  // namespace lema
