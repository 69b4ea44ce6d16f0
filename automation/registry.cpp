#include "automation/registry.h"

#include <algorithm>
#include <utility>

#include "common/error.h"
#include "common/message_text.h"
#include "common/text.h"

namespace lema {

Registry::Registry() : table_(std::make_shared<const Table>()) {}

Registry::Registry(Registry&& other)
    : table_(std::exchange(other.table_, std::make_shared<const Table>())) {}

std::shared_ptr<const Registry::Table> Registry::snapshot() const {
  std::lock_guard lock(table_mutex_);
  return table_;
}

void Registry::publish(std::shared_ptr<const Table> table) {
  std::lock_guard lock(table_mutex_);
  table_.swap(table);
}

const Registry::Entry* Registry::lookup(const Table& table, std::string_view prog_id) noexcept {
  for (const auto& e : table)
    if (iequals_ascii(e->prog_id, prog_id)) return e.get();
  return nullptr;
}

ObjectRef Registry::create(std::string_view prog_id) const {
  // The snapshot keeps the factory alive while it runs, whatever other threads change.
  const std::shared_ptr<const Table> table = snapshot();
  const Entry* e = lookup(*table, prog_id);
  if (!e || !e->factory)
    raise(ErrorCode::CannotCreateObject, "Cannot create an instance of " + message_text(prog_id));
  ObjectRef o;
  try {
    o = e->factory();
  } catch (const Error&) {
    throw;
  } catch (const std::exception& ex) {
    raise(ErrorCode::CannotCreateObject, message_text(prog_id) + ": " + ex.what());
  }
  if (!o)
    raise(ErrorCode::CannotCreateObject, "Cannot create an instance of " + message_text(prog_id));
  return o;
}

void Registry::register_class(std::string prog_id, Factory factory, const ClassInfo* info) {
  auto entry = std::make_shared<const Entry>(Entry{std::move(prog_id), std::move(factory), info});
  std::shared_ptr<const Table> old;  // released after the lock: a factory may end with it
  {
    std::lock_guard lock(writers_);
    old = snapshot();
    auto next = std::make_shared<Table>(*old);
    auto same = std::find_if(next->begin(), next->end(), [&](const auto& e) {
      return iequals_ascii(e->prog_id, entry->prog_id);
    });
    if (same != next->end())
      *same = std::move(entry);
    else
      next->push_back(std::move(entry));
    publish(std::move(next));
  }
}

bool Registry::unregister_class(std::string_view prog_id) {
  std::shared_ptr<const Table> old;
  {
    std::lock_guard lock(writers_);
    old = snapshot();
    auto next = std::make_shared<Table>(*old);
    if (std::erase_if(*next, [&](const auto& e) { return iequals_ascii(e->prog_id, prog_id); }) ==
        0)
      return false;
    publish(std::move(next));
  }
  return true;
}

std::optional<Registry::Entry> Registry::find(std::string_view prog_id) const {
  const std::shared_ptr<const Table> table = snapshot();
  if (const Entry* e = lookup(*table, prog_id)) return *e;
  return std::nullopt;
}

std::vector<std::string> Registry::names() const {
  const std::shared_ptr<const Table> table = snapshot();
  std::vector<std::string> n;
  for (const auto& e : *table) n.push_back(e->prog_id);
  return n;
}

ScopedClass::ScopedClass(std::string prog_id, Registry::Factory factory, Registry& reg)
    : reg_(reg), prog_id_(std::move(prog_id)), previous_(reg.find(prog_id_)) {
  reg_.register_class(prog_id_, std::move(factory));
}

ScopedClass::~ScopedClass() {
  if (previous_)
    reg_.register_class(previous_->prog_id, previous_->factory, previous_->info);
  else
    reg_.unregister_class(prog_id_);
}

}  // namespace lema
