#include <kernel/Thread.h>

#include "ThreadRecord.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <atomic>
#include <pthread.h>

namespace tolvar::kernel {
namespace {

struct StartBlock {
  LPTHREAD_START_ROUTINE start;
  LPVOID parameter;
  std::shared_ptr<ThreadObject> object;
  std::atomic<DWORD> id{0};  // published by the new thread, awaited by CreateThread
};

void* ThreadMain(void* argument) {
  std::unique_ptr<std::shared_ptr<StartBlock>> owner(static_cast<std::shared_ptr<StartBlock>*>(argument));
  std::shared_ptr<StartBlock> block = *owner;
  ThreadRecord& me = CurrentThread();
  block->object->SetId(me.Id());
  me.AttachObject(block->object);
  block->id.store(me.Id());
  block->id.notify_all();

  // Also runs when ExitThread unwinds the thread.
  struct EndAtExit {
    ThreadRecord& me;
    ~EndAtExit() { me.End(me.pendingExitCode); }
  } endAtExit{me};
  me.pendingExitCode = block->start(block->parameter);
  return nullptr;
}

std::shared_ptr<ThreadObject> ThreadFromHandle(HANDLE handle) {
  if (handle == GetCurrentThread()) return CurrentThread().Object();
  return LookupHandleAs<ThreadObject>(handle);
}

}  // namespace
}  // namespace tolvar::kernel

using namespace tolvar::kernel;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId) {
  if (!start || (creationFlags & ~STACK_SIZE_PARAM_IS_A_RESERVATION) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto block = std::make_shared<StartBlock>();
  block->start = start;
  block->parameter = parameter;
  block->object = std::make_shared<ThreadObject>(0);

  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  size_t defaultSize = 0;
  pthread_attr_getstacksize(&attributes, &defaultSize);
  if (stackSize > defaultSize) pthread_attr_setstacksize(&attributes, stackSize);
  auto argument = std::make_unique<std::shared_ptr<StartBlock>>(block);
  pthread_t thread;
  int error = pthread_create(&thread, &attributes, ThreadMain, argument.get());
  pthread_attr_destroy(&attributes);
  if (error != 0) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  argument.release();  // the thread owns it now
  block->id.wait(0);
  if (threadId) *threadId = block->id.load();
  return InsertHandle(block->object);
}

void ExitThread(DWORD exitCode) {
  CurrentThread().pendingExitCode = exitCode;
  pthread_exit(nullptr);
}

BOOL GetExitCodeThread(HANDLE handle, LPDWORD exitCode) {
  auto thread = ThreadFromHandle(handle);
  if (!thread) return FALSE;
  if (!exitCode) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *exitCode = thread->ExitCode();
  return TRUE;
}

DWORD GetCurrentThreadId() { return CurrentThreadId(); }

BOOL SetThreadPriority(HANDLE handle, int priority) {
  auto thread = ThreadFromHandle(handle);
  if (!thread) return FALSE;
  switch (priority) {
    case THREAD_PRIORITY_IDLE:
    case THREAD_PRIORITY_LOWEST:
    case THREAD_PRIORITY_BELOW_NORMAL:
    case THREAD_PRIORITY_NORMAL:
    case THREAD_PRIORITY_ABOVE_NORMAL:
    case THREAD_PRIORITY_HIGHEST:
    case THREAD_PRIORITY_TIME_CRITICAL: thread->SetPriority(priority); return TRUE;
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
  }
}

int GetThreadPriority(HANDLE handle) {
  auto thread = ThreadFromHandle(handle);
  return thread ? thread->Priority() : THREAD_PRIORITY_ERROR_RETURN;
}
