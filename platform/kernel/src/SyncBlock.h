#pragma once
// The state of an event, mutex or semaphore. It lives on the heap for an unnamed object and in a
// shared-memory segment for a named one, so that the same code serves both. Both pthread mutexes are
// robust and process-shared: a process that dies holding one never wedges the others.
#include <atomic>
#include <cstdint>
#include <pthread.h>

namespace tolvar::kernel {

struct SyncBlock {
  pthread_mutex_t lock;   // guards the fields below; held only for a test or a change
  pthread_mutex_t owner;  // a mutex object's ownership: locked by the owning thread while it owns
  std::atomic<std::uint32_t> generation;  // futex word: bumped whenever the object may be signalled
  std::uint32_t manualReset;              // events
  std::uint32_t signalled;
  std::int32_t count;                     // semaphores
  std::int32_t maximum;
  std::uint32_t recursion;                // mutexes: times the owner has taken it
  std::uint32_t abandoned;                // mutexes: the owner thread ended while owning
};

// Constructs a block in zeroed memory (heap or a fresh segment).
void InitSyncBlock(SyncBlock* block);
void DestroySyncBlock(SyncBlock* block);

// Locks a robust mutex; a holder that died leaves the data consistent, as every change under the lock
// is a single store, so the lock is simply made usable again.
void LockRobust(pthread_mutex_t* mutex);

class BlockLock {
public:
  explicit BlockLock(SyncBlock* block) : m_block(block) { LockRobust(&m_block->lock); }
  ~BlockLock() { pthread_mutex_unlock(&m_block->lock); }
  BlockLock(const BlockLock&) = delete;
  BlockLock& operator=(const BlockLock&) = delete;

private:
  SyncBlock* m_block;
};

}  // namespace tolvar::kernel
