#include <kernel/Object.h>
#include <kernel/HandleTable.h>

#include <base/LastError.h>
#include <base/WinError.h>


namespace tolvar::kernel {
namespace {

// Kernel handles start high enough that they never look like small integers or like the
// pseudo-handles (-1, -2).
HandleTable<Object>& Table() {
  static auto* table = new HandleTable<Object>(0x1000);  // never destroyed: handles may be closed during exit
  return *table;
}

std::uintptr_t Key(HANDLE handle) { return reinterpret_cast<std::uintptr_t>(handle); }

}  // namespace

HANDLE InsertHandle(std::shared_ptr<Object> object) {
  return reinterpret_cast<HANDLE>(Table().Insert(std::move(object)));
}

std::shared_ptr<Object> LookupHandle(HANDLE handle) {
  if (auto object = Table().Lookup(Key(handle))) return object;
  SetInvalidHandleError();
  return nullptr;
}

void SetInvalidHandleError() { SetLastError(ERROR_INVALID_HANDLE); }

bool RemoveHandle(HANDLE handle) {
  std::shared_ptr<Object> doomed = Table().Remove(Key(handle));
  if (!doomed) return false;
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
