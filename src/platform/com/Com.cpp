#include "platform/com/Com.h"

#include <mutex>
#include <string>
#include <vector>

#include "platform/components/Components.h"

namespace {

thread_local int nesting = 0;

struct Registry {
  std::mutex mutex;
  std::vector<std::pair<std::u16string, ComponentFactory>> entries;
};

Registry& TheRegistry() {
  static Registry* registry = [] {
    auto* r = new Registry;  // never destroyed: workers may outlive main()
    RegisterBuiltinComponents([r](std::u16string_view progId, ComponentFactory factory) {
      r->entries.emplace_back(std::u16string(progId), std::move(factory));
    });
    return r;
  }();
  return *registry;
}

}  // namespace

long CoInitialize(void*) {
  return nesting++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (nesting > 0)
    --nesting;
}

int ComNestingCount() {
  return nesting;
}

void RegisterComponent(std::u16string_view progId, ComponentFactory factory) {
  Registry& r = TheRegistry();
  std::lock_guard lock(r.mutex);
  for (auto& entry : r.entries) {
    if (SameName(entry.first, progId)) {
      entry.second = std::move(factory);
      return;
    }
  }
  r.entries.emplace_back(std::u16string(progId), std::move(factory));
}

std::shared_ptr<Dispatch> CreateComponent(std::u16string_view progId) {
  if (nesting <= 0)
    return nullptr;
  ComponentFactory factory;
  {
    Registry& r = TheRegistry();
    std::lock_guard lock(r.mutex);
    for (const auto& entry : r.entries) {
      if (SameName(entry.first, progId))
        factory = entry.second;
    }
  }
  return factory ? factory() : nullptr;
}
