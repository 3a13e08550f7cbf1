#pragma once
// Events, mutexes and semaphores. Each keeps its state in a SyncBlock: on the heap when unnamed, in
// its shared-memory segment when named, so both kinds behave alike and wait alike.
#include "NamedSegment.h"
#include "SyncBlock.h"

#include <kernel/Object.h>

#include <memory>
#include <string>

namespace tolvar::kernel {

class SyncObject : public SharedWaitable {
public:
  // `segment` null: an unnamed object with a private block.
  explicit SyncObject(std::unique_ptr<NamedSegment> segment);
  ~SyncObject() override;

  void LockState() override { LockRobust(&m_block->lock); }
  void UnlockState() override { pthread_mutex_unlock(&m_block->lock); }
  const std::string& OrderKey() const override { return m_key; }
  Watch WatchWord() override;

  SyncBlock* Block() const { return m_block; }

protected:
  // Bumps the futex word and wakes every waiter in every process.
  void Changed();

private:
  std::unique_ptr<NamedSegment> m_segment;
  std::unique_ptr<SyncBlock> m_private;
  SyncBlock* m_block;
  std::string m_key;
};

class EventObject : public SyncObject {
public:
  using SyncObject::SyncObject;
  ObjectType Type() const override { return ObjectType::Event; }
  bool IsSignalled(DWORD threadId) const override;
  DWORD Acquire(DWORD threadId) override;

  void Set();
  void Reset();
};

// Ownership is a robust pthread mutex held by the owning thread, so that the kernel marks it when the
// owner's process dies; an owner thread that ends in a live process gives it up through its thread
// record, marked abandoned. Either way the next taker gets WAIT_ABANDONED.
class MutexObject : public SyncObject {
public:
  using SyncObject::SyncObject;
  ObjectType Type() const override { return ObjectType::Mutex; }
  bool IsSignalled(DWORD threadId) const override;
  DWORD Acquire(DWORD threadId) override;
  Watch WatchWord() override;
  void PassOnWake() override;

  // For a mutex created owned: registers the ownership taken at creation with the calling thread.
  void AdoptOwnership();
  // Fails with ERROR_NOT_OWNER unless the calling thread owns the mutex.
  bool Release();
  // The owner thread is ending while it owns the mutex.
  void AbandonAtThreadEnd();

  static void TakeAtCreation(SyncBlock& block);

private:
  DWORD OwnerId() const;
  void WakeWaiters();
};

class SemaphoreObject : public SyncObject {
public:
  using SyncObject::SyncObject;
  ObjectType Type() const override { return ObjectType::Semaphore; }
  bool IsSignalled(DWORD threadId) const override;
  DWORD Acquire(DWORD threadId) override;

  // 0, or ERROR_INVALID_PARAMETER / ERROR_TOO_MANY_POSTS.
  DWORD Release(LONG count, LONG* previous);
};

}  // namespace tolvar::kernel
