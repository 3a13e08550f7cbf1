#include "SyncBlock.h"

#include <cerrno>
#include <new>

namespace tolvar::kernel {
namespace {

void InitRobust(pthread_mutex_t* mutex) {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
  pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
  pthread_mutex_init(mutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

}  // namespace

void InitSyncBlock(SyncBlock* block) {
  new (&block->generation) std::atomic<std::uint32_t>(0);
  InitRobust(&block->lock);
  InitRobust(&block->owner);
}

void DestroySyncBlock(SyncBlock* block) {
  pthread_mutex_destroy(&block->lock);
  pthread_mutex_destroy(&block->owner);
}

void LockRobust(pthread_mutex_t* mutex) {
  if (pthread_mutex_lock(mutex) == EOWNERDEAD) pthread_mutex_consistent(mutex);
}

}  // namespace tolvar::kernel
