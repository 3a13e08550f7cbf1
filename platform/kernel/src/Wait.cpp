#include <kernel/Wait.h>

#include "WaitEngine.h"

#include <base/LastError.h>
#include <base/WinError.h>

using namespace tolvar::kernel;

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &handle, FALSE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<std::shared_ptr<Waitable>> objects;
  if (!ResolveWaitables(handles, count, objects)) return WAIT_FAILED;
  return WaitForObjects(objects, waitAll != FALSE, milliseconds, nullptr);
}
