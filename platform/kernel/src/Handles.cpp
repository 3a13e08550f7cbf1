#include <kernel/Object.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <mutex>
#include <unordered_map>

namespace tolvar::kernel {
namespace {

// Handles are multiples of four starting high enough that they never look like small integers or
// like the pseudo-handles (-1, -2).
constexpr std::uintptr_t kFirstHandle = 0x1000;

struct HandleTable {
  std::mutex lock;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Object>> objects;
  std::uintptr_t next = kFirstHandle;
};

HandleTable& Table() {
  static auto* table = new HandleTable;  // never destroyed: handles may be closed during exit
  return *table;
}

}  // namespace

HANDLE InsertHandle(std::shared_ptr<Object> object) {
  HandleTable& t = Table();
  std::lock_guard guard(t.lock);
  std::uintptr_t value;
  do {
    value = t.next;
    t.next += 4;
    if (t.next >= 0x7FFFFFF0) t.next = kFirstHandle;  // handles stay 31-bit, like Windows'
  } while (t.objects.contains(value));
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<Object> LookupHandle(HANDLE handle) {
  HandleTable& t = Table();
  {
    std::lock_guard guard(t.lock);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it != t.objects.end()) return it->second;
  }
  SetInvalidHandleError();
  return nullptr;
}

void SetInvalidHandleError() { SetLastError(ERROR_INVALID_HANDLE); }

bool RemoveHandle(HANDLE handle) {
  std::shared_ptr<Object> doomed;  // destroyed outside the lock: destructors may close other handles
  HandleTable& t = Table();
  {
    std::lock_guard guard(t.lock);
    auto it = t.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == t.objects.end()) return false;
    doomed = std::move(it->second);
    t.objects.erase(it);
  }
  doomed->HandleClosed();
  return true;
}

}  // namespace tolvar::kernel

BOOL CloseHandle(HANDLE handle) {
  if (!tolvar::kernel::RemoveHandle(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
