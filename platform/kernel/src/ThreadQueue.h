#pragma once
// One thread's message queue: posted messages in arrival order, the quit request, the thread's
// timers, and the "new input" bits that MsgWaitForMultipleObjects and WaitMessage wake on (input
// that arrived since the thread last called GetMessage or PeekMessage). Posts come from any thread;
// everything else runs on the owner thread.
#include <base/WinDef.h>
#include <kernel/MessageQueue.h>

#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace tolvar::kernel {

class ThreadQueue {
public:
  // Tells whether a message for `window` passes a window filter that is a window.
  using WindowFilter = std::function<bool(HWND window)>;

  struct Filter {
    HWND window = nullptr;  // NULL: everything; (HWND)-1: thread messages only
    UINT first = 0;
    UINT last = 0;
    WindowFilter isInWindow;  // for messages of other windows than `window` itself
  };

  // Any thread.
  void Post(const MSG& message);
  void AddWakeBits(DWORD bits);

  // Owner thread.
  void PostQuit(int exitCode);
  bool TakePosted(const Filter& filter, bool remove, MSG& message);  // posted messages, then WM_QUIT
  bool TakeTimer(const Filter& filter, bool remove, MSG& message);
  DWORD Status();     // what is there now
  DWORD NewStatus();  // what arrived since MarkLooked
  void MarkLooked();
  std::optional<timespec> NextTimerDue();

  UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
  bool KillTimer(HWND window, UINT_PTR id);
  void KillWindowTimers(HWND window);

private:
  struct Posted {
    std::uint64_t serial;
    MSG message;
  };
  struct Timer {
    HWND window;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    timespec due;
  };

  static bool InRange(const Filter& filter, UINT message);

  std::mutex m_lock;  // guards posted messages, the quit request and the new bits; timers are the
                      // owner thread's alone
  std::deque<Posted> m_posted;
  std::uint64_t m_nextSerial = 1;
  DWORD m_postedBits = 0;  // status bits of what m_posted holds, recomputed on removal
  DWORD m_newBits = 0;
  bool m_quit = false;
  int m_quitCode = 0;
  std::vector<Timer> m_timers;
  UINT_PTR m_nextTimerId = 1;
  timespec m_lookedAt = {};
};

// GetTickCount's clock, for the time stamps of messages.
DWORD MessageTime();

}  // namespace tolvar::kernel
