#include <kernel/Sync.h>

#include "NamedObjects.h"
#include "SyncObjects.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Wait.h>

namespace tolvar::kernel {

bool SemaphoreObject::IsSignalled(DWORD) const { return Block()->count > 0; }

DWORD SemaphoreObject::Acquire(DWORD) {
  --Block()->count;
  return WAIT_OBJECT_0;
}

DWORD SemaphoreObject::Release(LONG count, LONG* previous) {
  if (count <= 0) return ERROR_INVALID_PARAMETER;
  {
    BlockLock lock(Block());
    if (Block()->count > Block()->maximum - count) return ERROR_TOO_MANY_POSTS;
    if (previous) *previous = Block()->count;
    Block()->count += count;
  }
  Changed();
  return ERROR_SUCCESS;
}

}  // namespace tolvar::kernel

using namespace tolvar::kernel;

HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES, LONG initialCount, LONG maximumCount, LPCSTR name) {
  if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto initialise = [&](SyncBlock& block) {
    block.count = initialCount;
    block.maximum = maximumCount;
  };
  if (!name || !*name) {
    auto semaphore = std::make_shared<SemaphoreObject>(nullptr);
    initialise(*semaphore->Block());
    SetLastError(ERROR_SUCCESS);
    return InsertHandle(semaphore);
  }
  return HandleForCreated(OpenNamedObject(
      name, NamedKind::Semaphore, 0, NamedSegment::Mode::CreateOrOpen,
      [&](SegmentHeader& header) { initialise(header.sync); },
      [](std::unique_ptr<NamedSegment> segment) {
        return std::make_shared<SemaphoreObject>(std::move(segment));
      }));
}

BOOL ReleaseSemaphore(HANDLE handle, LONG releaseCount, LPLONG previousCount) {
  auto semaphore = LookupHandleAs<SemaphoreObject>(handle);
  if (!semaphore) return FALSE;
  if (DWORD error = semaphore->Release(releaseCount, previousCount)) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}
