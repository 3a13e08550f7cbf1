#include <kernel/Sync.h>

#include "NamedObjects.h"
#include "SyncObjects.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Wait.h>

namespace tolvar::kernel {

bool EventObject::IsSignalled(DWORD) const { return Block()->signalled != 0; }

DWORD EventObject::Acquire(DWORD) {
  if (!Block()->manualReset) Block()->signalled = 0;
  return WAIT_OBJECT_0;
}

void EventObject::Set() {
  {
    BlockLock lock(Block());
    Block()->signalled = 1;
  }
  Changed();
}

void EventObject::Reset() {
  BlockLock lock(Block());
  Block()->signalled = 0;
}

}  // namespace tolvar::kernel

using namespace tolvar::kernel;

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
  auto initialise = [&](SyncBlock& block) {
    block.manualReset = manualReset ? 1 : 0;
    block.signalled = initialState ? 1 : 0;
  };
  if (!name || !*name) {
    auto event = std::make_shared<EventObject>(nullptr);
    initialise(*event->Block());
    SetLastError(ERROR_SUCCESS);
    return InsertHandle(event);
  }
  return HandleForCreated(OpenNamedObject(
      name, NamedKind::Event, 0, NamedSegment::Mode::CreateOrOpen,
      [&](SegmentHeader& header) { initialise(header.sync); },
      [](std::unique_ptr<NamedSegment> segment) { return std::make_shared<EventObject>(std::move(segment)); }));
}

HANDLE OpenEventA(DWORD, BOOL, LPCSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return HandleForOpened(OpenNamedObject(
      name, NamedKind::Event, 0, NamedSegment::Mode::OpenExisting, nullptr,
      [](std::unique_ptr<NamedSegment> segment) { return std::make_shared<EventObject>(std::move(segment)); }));
}

BOOL SetEvent(HANDLE handle) {
  auto event = LookupHandleAs<EventObject>(handle);
  if (!event) return FALSE;
  event->Set();
  return TRUE;
}

BOOL ResetEvent(HANDLE handle) {
  auto event = LookupHandleAs<EventObject>(handle);
  if (!event) return FALSE;
  event->Reset();
  return TRUE;
}
