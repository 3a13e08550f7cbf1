#include <kernel/MessageQueue.h>
#include <kernel/QueueExtension.h>

#include "Futex.h"
#include "ThreadQueue.h"
#include "ThreadRecord.h"
#include "WaitEngine.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Wait.h>

#include <atomic>
#include <string>
#include <unistd.h>

namespace tolvar::kernel {
namespace {

std::atomic<QueueExtension*> g_extension{nullptr};

QueueExtension* Extension() { return g_extension.load(std::memory_order_acquire); }

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

ThreadQueue::Filter MakeFilter(HWND window, UINT first, UINT last) {
  ThreadQueue::Filter filter{window, first, last, nullptr};
  QueueExtension* extension = Extension();
  if (extension && window && window != kThreadMessagesOnly) {
    filter.isInWindow = [extension, window](HWND other) { return extension->IsInFilter(window, other); };
  }
  return filter;
}

bool IsValidWindowFilter(HWND window) {
  if (!window || window == kThreadMessagesOnly) return true;
  QueueExtension* extension = Extension();
  return extension && extension->WindowThread(window) != 0;
}

// One look at the calling thread's queue, in Windows' order of precedence.
bool LookOnce(ThreadQueue& queue, const ThreadQueue::Filter& filter, bool remove, MSG& message) {
  QueueExtension* extension = Extension();
  if (extension) extension->DeliverSentMessages();
  queue.MarkLooked();
  if (queue.TakePosted(filter, remove, message)) return true;
  if (extension && extension->SynthesizeMessage(filter.window, filter.first, filter.last, remove, message)) {
    return true;
  }
  return queue.TakeTimer(filter, remove, message);
}

bool IsThreadOfThisProcess(DWORD threadId) {
  return access(("/proc/self/task/" + std::to_string(threadId)).c_str(), F_OK) == 0;
}

}  // namespace

void SetQueueExtension(QueueExtension* extension) { g_extension.store(extension, std::memory_order_release); }

QueueExtension* GetQueueExtension() { return Extension(); }

DWORD WindowQueueThread(HWND window) {
  QueueExtension* extension = Extension();
  DWORD thread = extension && window ? extension->WindowThread(window) : 0;
  return thread && IsThreadOfThisProcess(thread) ? thread : 0;
}

BOOL PostThreadQueueMessage(DWORD threadId, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto thread = FindThread(threadId);
  if (!thread || !thread->Post(MSG{window, message, wParam, lParam, MessageTime(), {0, 0}})) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  return TRUE;
}

void WakeThreadQueue(DWORD threadId, DWORD wakeBits) {
  if (auto thread = FindThread(threadId)) thread->Notify(wakeBits);
}

void KillWindowTimers(HWND window) { CurrentThread().Queue().KillWindowTimers(window); }

}  // namespace tolvar::kernel

using namespace tolvar::kernel;

BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  if (FindThread(threadId)) return PostThreadQueueMessage(threadId, nullptr, message, wParam, lParam);
  QueueExtension* extension = Extension();
  if (threadId != 0 && extension && !IsThreadOfThisProcess(threadId)) {
    return extension->PostToOtherProcess(threadId, message, wParam, lParam) ? TRUE : FALSE;
  }
  SetLastError(ERROR_INVALID_THREAD_ID);
  return FALSE;
}

BOOL GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
  if (!message) {
    SetLastError(ERROR_NOACCESS);
    return -1;
  }
  if (!IsValidWindowFilter(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return -1;
  }
  ThreadRecord& me = CurrentThread();
  ThreadQueue& queue = me.Queue();
  const ThreadQueue::Filter filter = MakeFilter(window, filterMin, filterMax);
  for (;;) {
    const std::uint32_t seen = me.WakeValue();  // before looking: a post after the look wakes the sleep
    if (LookOnce(queue, filter, true, *message)) return message->message == WM_QUIT ? FALSE : TRUE;
    const futex::WaitOn wake{me.WakeWord(), seen, false};
    futex::WaitAny({&wake, 1}, queue.NextTimerDue());
  }
}

BOOL PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!message) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  if (!IsValidWindowFilter(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  ThreadQueue& queue = CurrentThread().Queue();
  return LookOnce(queue, MakeFilter(window, filterMin, filterMax), (removeFlags & PM_REMOVE) != 0, *message)
             ? TRUE
             : FALSE;
}

BOOL WaitMessage() {
  return MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, 0) == WAIT_FAILED ? FALSE : TRUE;
}

void PostQuitMessage(int exitCode) { CurrentThread().Queue().PostQuit(exitCode); }

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                DWORD wakeMask) {
  return MsgWaitForMultipleObjectsEx(count, handles, milliseconds, wakeMask, waitAll ? MWMO_WAITALL : 0);
}

DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD milliseconds, DWORD wakeMask,
                                  DWORD flags) {
  if (count > MAXIMUM_WAIT_OBJECTS - 1 || (count > 0 && !handles) ||
      (flags & ~(MWMO_WAITALL | MWMO_ALERTABLE | MWMO_INPUTAVAILABLE)) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<std::shared_ptr<Waitable>> objects;
  if (!ResolveWaitables(handles, count, objects)) return WAIT_FAILED;
  ThreadQueue& queue = CurrentThread().Queue();
  const bool available = (flags & MWMO_INPUTAVAILABLE) != 0;
  WaitExtra input;
  input.satisfied = [&] {
    DWORD bits = available ? queue.Status() : queue.NewStatus();
    if (available) {
      if (QueueExtension* extension = Extension()) bits |= extension->PendingStatus();
    }
    return (bits & wakeMask) != 0;
  };
  if (wakeMask & QS_TIMER) input.nextDue = [&] { return queue.NextTimerDue(); };
  return WaitForObjects(objects, (flags & MWMO_WAITALL) != 0, milliseconds, &input);
}

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
  ThreadRecord& me = CurrentThread();
  if (window) {
    QueueExtension* extension = Extension();
    DWORD owner = extension ? extension->WindowThread(window) : 0;
    if (owner == 0) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    if (owner != me.Id()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return 0;
    }
  }
  return me.Queue().SetTimer(window, id, elapse, timerProc);
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  if (!CurrentThread().Queue().KillTimer(window, id)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return TRUE;
}
