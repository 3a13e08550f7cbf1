#pragma once
// What the window layer adds to thread message queues. The kernel knows threads, not windows; the
// window layer installs one QueueExtension per process and the kernel consults it at the points
// below, always on the thread whose queue is concerned and with no kernel lock held.
//
//   posting to a window:   resolve the window to its owner thread, then PostThreadQueueMessage;
//   sent messages:         queue them in the window layer, call WakeThreadQueue(thread,
//                          QS_SENDMESSAGE); GetMessage/PeekMessage/MsgWait... then call
//                          DeliverSentMessages on the receiving thread;
//   WM_PAINT:              SynthesizeMessage, asked when no posted message is there;
//   window timers:         SetTimer/KillTimer with a window of the calling thread (WindowThread),
//                          dropped by KillWindowTimers when the window goes;
//   other processes:       PostThreadMessage to a thread id that is not in this process goes to
//                          PostToOtherProcess; a mailbox thread in the receiving process hands
//                          what arrives to PostThreadQueueMessage.
// The network layer posts its socket notifications with PostThreadQueueMessage to the thread that
// asked for them, or to the thread of the window they were asked for (WindowQueueThread).
#include <base/WinDef.h>
#include <kernel/MessageQueue.h>

namespace tolvar::kernel {

class QueueExtension {
public:
  virtual ~QueueExtension() = default;

  // Runs, on the calling thread, the messages other threads have sent to it, and returns.
  virtual void DeliverSentMessages() = 0;

  // QS_SENDMESSAGE and QS_PAINT for what the extension holds for the calling thread now.
  virtual DWORD PendingStatus() = 0;

  // Makes a message for a queue that holds nothing else that passes the filter (WM_PAINT for a
  // window of the calling thread that needs painting). False when there is none.
  virtual bool SynthesizeMessage(HWND filter, UINT filterMin, UINT filterMax, bool remove,
                                 MSG& message) = 0;

  // The id of the thread that owns `window`, 0 when it is no window.
  virtual DWORD WindowThread(HWND window) = 0;

  // True when `window` is `filter` or one of its descendants.
  virtual bool IsInFilter(HWND filter, HWND window) = 0;

  // Carries a thread message to a thread of another process. False with the last error set.
  virtual bool PostToOtherProcess(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// Installs the process's extension (null removes it). The extension must outlive its use.
void SetQueueExtension(QueueExtension* extension);
// The installed extension (null: none), for one that wraps it.
QueueExtension* GetQueueExtension();

// Posts a message for `window` (NULL: a thread message) to a thread of this process, making its
// queue when it has none yet. FALSE with ERROR_INVALID_THREAD_ID when the thread is unknown or ended.
BOOL PostThreadQueueMessage(DWORD threadId, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The thread of this process that owns `window` (asked of the extension); 0 when `window` is no
// window of this process or no extension is installed.
DWORD WindowQueueThread(HWND window);

// Tells a thread of this process that the extension holds something for it (QS_SENDMESSAGE,
// QS_PAINT): wakes it from GetMessage, WaitMessage or MsgWaitForMultipleObjects. A thread that is
// unknown or has ended is passed over.
void WakeThreadQueue(DWORD threadId, DWORD wakeBits);

// Removes every timer of `window` from the calling thread's queue.
void KillWindowTimers(HWND window);

}  // namespace tolvar::kernel
