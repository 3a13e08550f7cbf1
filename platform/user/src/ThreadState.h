#pragma once
// What the window manager keeps per thread: the messages other threads (and processes) sent it, the
// stack of sent messages it is running, its input state (focus, active window, capture), its caret,
// and the time and place of the last message it dispatched.
#include <base/WinDef.h>
#include <kernel/MessageQueue.h>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace tolvar::user {

// A message (or an operation) sent to a thread, waiting to run on it.
struct SentMessage {
  HWND window = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  std::function<LRESULT()> task;           // runs in place of the window procedure when set
  std::function<void(LRESULT)> onReply;    // told the result once (answers to other processes)
  HANDLE done = nullptr;                   // signalled with the result when a sender waits
  std::atomic<bool> replied{false};
  LRESULT result = 0;

  SentMessage() = default;
  SentMessage(const SentMessage&) = delete;
  SentMessage& operator=(const SentMessage&) = delete;
  ~SentMessage();
  // Records the result and releases the sender; only the first reply counts.
  void Reply(LRESULT value);
};

// Focus, activation and capture, shared by threads whose input is attached.
struct InputState {
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND capture = nullptr;
  // The focus the thread had in a window hosted by another process's top-level window when one of
  // its own top-level windows was last activated: it returns there when that window goes.
  HWND hostedFocus = nullptr;
};

struct CaretState {
  HWND window = nullptr;
  HBITMAP bitmap = nullptr;
  int width = 0;
  int height = 0;
  POINT position{};
  int hideCount = 1;  // shown when 0
  bool on = false;    // drawn now
};

struct MouseTracking {
  HWND window = nullptr;
  DWORD flags = 0;
  DWORD hoverTime = 0;
};

class ThreadState {
public:
  explicit ThreadState(DWORD id);
  ~ThreadState();

  // When the thread ends: what was sent to it and never ran is answered 0, and later sends are
  // refused. A sender may still hold the state, so this cannot wait for the destructor.
  void End();

  DWORD Id() const { return m_id; }

  // From any thread: queues a sent message and wakes the thread. False once the thread has ended.
  bool Queue(std::shared_ptr<SentMessage> message);
  // From any thread: queues mouse or keyboard input. It comes after posted messages and before
  // WM_PAINT, as the input queue does on Windows.
  bool QueueInput(const MSG& message);
  // On the thread: the first input message that passes the filter. Keyboard input queued without a
  // window goes to the thread's focus as it is when the message is taken.
  bool TakeInput(HWND filter, UINT first, UINT last, bool remove, MSG& message,
                 const std::function<bool(HWND filter, HWND window)>& inFilter);
  DWORD InputStatus();
  // On the thread: the input queued now, in order; and the first queued message equal to `was`
  // replaced by `now`, or taken out when `now` is empty (false when it is no longer queued).
  std::vector<MSG> QueuedInput();
  bool ReplaceQueuedInput(const MSG& was, const std::optional<MSG>& now);
  // On the thread: runs what was sent to it.
  void DeliverSent();
  bool HasSent();

  // The sent messages the thread is running now, innermost last.
  std::vector<std::shared_ptr<SentMessage>> handling;

  std::shared_ptr<InputState> input = std::make_shared<InputState>();
  CaretState caret;
  MouseTracking tracking;
  DWORD messageTime = 0;
  POINT messagePos{};
  int sendDepth = 0;
  // Shift, Ctrl (MK_ bits) and Alt (kAltModifier) as of the last input message the thread handled.
  WPARAM modifiers = 0;
  bool modifiersKnown = false;

private:
  bool ResolveKeyboardTarget(MSG& message);

  const DWORD m_id;
  std::mutex m_lock;
  std::deque<std::shared_ptr<SentMessage>> m_incoming;
  std::deque<MSG> m_input;
  bool m_ended = false;
};

// The calling thread's state, made on first use; it ends with the thread, destroying the thread's
// windows and failing the messages still sent to it.
ThreadState& CurrentThreadState();
std::shared_ptr<ThreadState> FindThreadState(DWORD threadId);

// Waits for a sent message's reply while running what is sent to the calling thread meanwhile.
// False on time-out (or when `alive` says the receiver is gone).
bool WaitForReply(SentMessage& message, DWORD timeout, const std::function<bool()>& alive = {});

// Makes sure the window manager serves this process: its queue extension and its mailbox.
void EnsureUserProcess();

}  // namespace tolvar::user
