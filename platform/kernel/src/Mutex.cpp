#include <kernel/Sync.h>

#include "Futex.h"
#include "NamedObjects.h"
#include "SyncObjects.h"
#include "ThreadRecord.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Wait.h>

#include <cerrno>
#include <linux/futex.h>

namespace tolvar::kernel {
namespace {

// The futex word of a robust pthread mutex follows the kernel's robust-futex protocol: the owner's
// thread id, FUTEX_WAITERS when someone sleeps on it, FUTEX_OWNER_DIED after the kernel found its
// owner dead. Waits sleep on it directly, so a dying owner's process wakes them.
std::atomic_ref<int> OwnerWord(SyncBlock* block) { return std::atomic_ref<int>(block->owner.__data.__lock); }
const std::uint32_t* OwnerAddress(SyncBlock* block) {
  return reinterpret_cast<const std::uint32_t*>(&block->owner.__data.__lock);
}

}  // namespace

DWORD MutexObject::OwnerId() const {
  return static_cast<std::uint32_t>(OwnerWord(Block()).load()) & FUTEX_TID_MASK;
}

bool MutexObject::IsSignalled(DWORD threadId) const {
  DWORD owner = OwnerId();
  return owner == 0 || owner == threadId;
}

DWORD MutexObject::Acquire(DWORD threadId) {
  SyncBlock* block = Block();
  if (OwnerId() == threadId) {
    ++block->recursion;
    return WAIT_OBJECT_0;
  }
  // Free, as tested under the state lock, which every taker holds: the attempt succeeds.
  bool abandoned = false;
  if (pthread_mutex_trylock(&block->owner) == EOWNERDEAD) {
    pthread_mutex_consistent(&block->owner);
    abandoned = true;  // the owner's process died
  }
  block->recursion = 1;
  if (block->abandoned) {
    abandoned = true;  // the owner thread ended
    block->abandoned = 0;
  }
  CurrentThread().AddOwned(std::static_pointer_cast<MutexObject>(shared_from_this()));
  return abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0;
}

SharedWaitable::Watch MutexObject::WatchWord() {
  // Set FUTEX_WAITERS while owned, or the kernel would not wake anyone when the owner dies.
  std::atomic_ref<int> word = OwnerWord(Block());
  int value = word.load();
  while ((static_cast<std::uint32_t>(value) & FUTEX_TID_MASK) != 0 &&
         (static_cast<std::uint32_t>(value) & FUTEX_WAITERS) == 0) {
    int marked = static_cast<int>(static_cast<std::uint32_t>(value) | FUTEX_WAITERS);
    if (word.compare_exchange_weak(value, marked)) {
      value = marked;
      break;
    }
  }
  return {OwnerAddress(Block()), static_cast<std::uint32_t>(value)};
}

void MutexObject::PassOnWake() {
  // The kernel wakes one waiter for a dead owner; if that was us and we are not taking it, wake the rest.
  if (OwnerId() == 0) WakeWaiters();
}

void MutexObject::WakeWaiters() { futex::WakeAll(OwnerAddress(Block()), true); }

void MutexObject::TakeAtCreation(SyncBlock& block) {
  pthread_mutex_lock(&block.owner);
  block.recursion = 1;
}

void MutexObject::AdoptOwnership() {
  CurrentThread().AddOwned(std::static_pointer_cast<MutexObject>(shared_from_this()));
}

bool MutexObject::Release() {
  if (OwnerId() != CurrentThreadId()) {
    SetLastError(ERROR_NOT_OWNER);
    return false;
  }
  bool freed = false;
  {
    BlockLock lock(Block());
    if (--Block()->recursion == 0) {
      pthread_mutex_unlock(&Block()->owner);
      freed = true;
    }
  }
  if (freed) {
    CurrentThread().RemoveOwned(this);
    WakeWaiters();
  }
  return true;
}

void MutexObject::AbandonAtThreadEnd() {
  {
    BlockLock lock(Block());
    Block()->abandoned = 1;
    Block()->recursion = 0;
    pthread_mutex_unlock(&Block()->owner);
  }
  WakeWaiters();
}

}  // namespace tolvar::kernel

using namespace tolvar::kernel;

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
  if (!name || !*name) {
    auto mutex = std::make_shared<MutexObject>(nullptr);
    if (initialOwner) {
      MutexObject::TakeAtCreation(*mutex->Block());
      mutex->AdoptOwnership();
    }
    SetLastError(ERROR_SUCCESS);
    return InsertHandle(mutex);
  }
  // An existing mutex is opened as it is: the initial-owner request applies only to a new one.
  NamedOpenResult result = OpenNamedObject(
      name, NamedKind::Mutex, 0, NamedSegment::Mode::CreateOrOpen,
      [&](SegmentHeader& header) {
        if (initialOwner) MutexObject::TakeAtCreation(header.sync);
      },
      [](std::unique_ptr<NamedSegment> segment) { return std::make_shared<MutexObject>(std::move(segment)); });
  if (result.object && !result.existed && initialOwner) {
    std::static_pointer_cast<MutexObject>(result.object)->AdoptOwnership();
  }
  return HandleForCreated(result);
}

HANDLE OpenMutexA(DWORD, BOOL, LPCSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return HandleForOpened(OpenNamedObject(
      name, NamedKind::Mutex, 0, NamedSegment::Mode::OpenExisting, nullptr,
      [](std::unique_ptr<NamedSegment> segment) { return std::make_shared<MutexObject>(std::move(segment)); }));
}

BOOL ReleaseMutex(HANDLE handle) {
  auto mutex = LookupHandleAs<MutexObject>(handle);
  if (!mutex) return FALSE;
  return mutex->Release() ? TRUE : FALSE;
}
