// Threads drive lookups holding one host while the main thread registers, replaces and
// removes classes, and lock weak references to objects other threads end. Also under TSan.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "automation/class_info.h"
#include "automation/registry.h"
#include "lema/lema.h"

namespace {
using namespace lema;

std::atomic<int> g_failures{0}, g_registered{0}, g_dropped{0};
void expect(bool ok, const char* what) {
  if (!ok && g_failures.fetch_add(1) < 10) std::fprintf(stderr, "thread_stress: %s\n", what);
}

int sibling_invoke(void*, void*, lema_object*, const char* member, int, lema_value*, size_t,
                   lema_value* result) {
  return std::strcmp(member, "StringaSQL") ? LEMA_OK : lema_value_set_string(result, "SELECT 1", 8);
}
const lema_class_callbacks kSibling{nullptr, sibling_invoke, nullptr,
                                    [](void*) { g_dropped.fetch_add(1); }};
void register_c(const char* name) {
  g_registered.fetch_add(1);
  expect(lema_register_class(name, &kSibling, nullptr) == LEMA_OK, "register");
}

struct Ending final : Object {
  ~Ending() override {
    alive = false;
    std::this_thread::yield();
  }
  const ClassInfo& class_info() const override {
    static const ClassInfo info("Ending", {});
    return info;
  }
  bool alive = true;
};
std::mutex g_slots_mutex;
std::vector<WeakRef<Object>> g_slots(8);

void worker(const ObjectRef& host, size_t seed, std::chrono::steady_clock::time_point end) {
  for (size_t i = seed; std::chrono::steady_clock::now() < end; ++i) {
    ObjectRef mine = make_object<Ending>();  // swapped for another thread's, which may end
    WeakRef<Object> other;
    {
      std::lock_guard lock(g_slots_mutex);
      other = std::exchange(g_slots[i % g_slots.size()], WeakRef<Object>(mine.get()));
    }
    auto lock_other = [&] {
      if (ObjectRef o = other.lock())
        expect(static_cast<Ending&>(*o).alive, "a weak reference reached an ending object");
    };
    ObjectRef lk = create_object("LEMA_LOOKUPDECODE.CLSCG_LOOKUP");
    set_property(*lk, "ActiveInterface", Value(host));
    call_method(*lk, "CodiciIva");  // creates the sibling
    expect(get_property(*lk, "StringaSQL") == Value("SELECT 1"), "sibling lookup");
    lock_other();
    lema_object* extra = nullptr;
    if (lema_create("STRESS.EXTRA", &extra) == LEMA_OK) lema_release(extra);
    mine.reset();
    lock_other();
  }
}
}  // namespace

int main() {
  register_c("PIRO_LOOKUPDECODE.CLSCO_LOOKUP");
  ObjectRef host = make_object<Ending>();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < 4; ++t) threads.emplace_back(worker, std::cref(host), t, end);
  while (std::chrono::steady_clock::now() < end) {
    register_c("STRESS.EXTRA");
    register_c("PIRO_LOOKUPDECODE.CLSCO_LOOKUP");  // replaces the sibling in use
    expect(lema_unregister_class("STRESS.EXTRA") == LEMA_OK, "unregister");
    std::this_thread::sleep_for(std::chrono::microseconds(20));
  }
  for (auto& t : threads) t.join();
  g_slots.clear();
  lema_unregister_class("PIRO_LOOKUPDECODE.CLSCO_LOOKUP");
  expect(host->ref_count() == 1, "the shared host's count back to 1");
  expect(g_dropped == g_registered, "every replaced or removed class dropped");
  expect(!Registry::global().find("STRESS.EXTRA"), "registry left clean");
  return g_failures == 0 ? 0 : 1;
}
