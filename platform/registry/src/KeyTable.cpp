#include "KeyTable.h"

#include "Hives.h"

#include <unordered_map>

namespace tolvar::registry {

namespace {

struct Table {
  std::mutex mutex;
  std::unordered_map<std::uintptr_t, std::shared_ptr<KeyHandle>> keys;
  // Small multiples of 4, far from the predefined keys' 0x8000000n.
  std::uintptr_t next = 0x1000;
};

Table& TheTable() {
  static Table table;
  return table;
}

}  // namespace

bool IsPredefinedKey(HKEY key) { return key == HKEY_CURRENT_USER || key == HKEY_LOCAL_MACHINE; }

std::shared_ptr<KeyHandle> LookupKey(HKEY key) {
  if (IsPredefinedKey(key)) {
    auto handle = std::make_shared<KeyHandle>();
    handle->machine = key == HKEY_LOCAL_MACHINE;
    handle->hive = HiveOf(handle->machine ? HiveRoot::LocalMachine : HiveRoot::CurrentUser);
    handle->access = KEY_ALL_ACCESS;
    return handle;
  }
  Table& table = TheTable();
  std::lock_guard guard(table.mutex);
  auto it = table.keys.find(reinterpret_cast<std::uintptr_t>(key));
  return it == table.keys.end() ? nullptr : it->second;
}

HKEY InsertKey(std::shared_ptr<KeyHandle> handle) {
  Table& table = TheTable();
  std::lock_guard guard(table.mutex);
  std::uintptr_t value = table.next;
  table.next += 4;
  table.keys.emplace(value, std::move(handle));
  return reinterpret_cast<HKEY>(value);
}

bool RemoveKey(HKEY key) {
  Table& table = TheTable();
  std::lock_guard guard(table.mutex);
  return table.keys.erase(reinterpret_cast<std::uintptr_t>(key)) != 0;
}

}  // namespace tolvar::registry
