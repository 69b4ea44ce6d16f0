#include "automation/registry.h"

#include <algorithm>

#include "common/error.h"
#include "common/text.h"

namespace lema {

ObjectRef Registry::create(std::string_view prog_id) const {
  auto e = find(prog_id);
  if (!e || !e->factory)
    raise(ErrorCode::CannotCreateObject, "Cannot create an instance of " + std::string(prog_id));
  ObjectRef o;
  try {
    o = e->factory();
  } catch (const Error&) {
    throw;
  } catch (const std::exception& ex) {
    raise(ErrorCode::CannotCreateObject, std::string(prog_id) + ": " + ex.what());
  }
  if (!o)
    raise(ErrorCode::CannotCreateObject, "Cannot create an instance of " + std::string(prog_id));
  return o;
}

void Registry::register_class(std::string prog_id, Factory factory, const ClassInfo* info) {
  for (Entry& e : entries_)
    if (iequals_ascii(e.prog_id, prog_id)) {
      e.factory = std::move(factory);
      e.info = info;
      return;
    }
  entries_.push_back(Entry{std::move(prog_id), std::move(factory), info});
}

bool Registry::unregister_class(std::string_view prog_id) {
  return std::erase_if(entries_,
                       [&](const Entry& e) { return iequals_ascii(e.prog_id, prog_id); }) > 0;
}

std::optional<Registry::Entry> Registry::find(std::string_view prog_id) const {
  for (const Entry& e : entries_)
    if (iequals_ascii(e.prog_id, prog_id)) return e;
  return std::nullopt;
}

std::vector<std::string> Registry::names() const {
  std::vector<std::string> n;
  for (const Entry& e : entries_) n.push_back(e.prog_id);
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
