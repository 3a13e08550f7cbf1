#include "ThreadState.h"

#include "Internal.h"

#include <user/Messages.h>
#include <user/Window.h>

#include <base/WinError.h>
#include <kernel/Kernel.h>

#include <algorithm>
#include <chrono>
#include <map>

namespace tolvar::user {
namespace {

struct Registry {
  std::mutex lock;
  std::map<DWORD, std::shared_ptr<ThreadState>> threads;
};

Registry& Threads() {
  static Registry registry;
  return registry;
}

thread_local ThreadState* t_state = nullptr;  // trivial: reading it registers nothing

// Ends the thread's window-manager life when the thread ends.
struct ThreadHolder {
  std::shared_ptr<ThreadState> state;
  ~ThreadHolder() {
    if (!state) return;
    t_state = nullptr;
    DestroyThreadWindows(state->Id());
    {
      std::lock_guard guard(Threads().lock);
      Threads().threads.erase(state->Id());
    }
    state->End();
    state.reset();
  }
};

thread_local ThreadHolder t_holder;

}  // namespace

SentMessage::~SentMessage() {
  if (done) CloseHandle(done);
}

void SentMessage::Reply(LRESULT value) {
  if (replied.load()) return;
  result = value;
  replied.store(true);
  if (onReply) onReply(value);
  if (done) SetEvent(done);
}

ThreadState::ThreadState(DWORD id) : m_id(id) {}

ThreadState::~ThreadState() { End(); }

void ThreadState::End() {
  std::deque<std::shared_ptr<SentMessage>> left;
  {
    std::lock_guard guard(m_lock);
    m_ended = true;
    left.swap(m_incoming);
  }
  for (auto& message : left) message->Reply(0);
}

bool ThreadState::Queue(std::shared_ptr<SentMessage> message) {
  {
    std::lock_guard guard(m_lock);
    if (m_ended) return false;
    m_incoming.push_back(std::move(message));
  }
  kernel::WakeThreadQueue(m_id, QS_SENDMESSAGE);
  return true;
}

bool ThreadState::QueueInput(const MSG& message) {
  {
    std::lock_guard guard(m_lock);
    if (m_ended) return false;
    m_input.push_back(message);
  }
  const bool key = message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
  kernel::WakeThreadQueue(m_id, key ? QS_KEY : message.message == WM_MOUSEMOVE || message.message == WM_NCMOUSEMOVE
                                                   ? QS_MOUSEMOVE
                                                   : QS_MOUSEBUTTON);
  return true;
}

bool ThreadState::ResolveKeyboardTarget(MSG& message) {
  // The focus as it is now, after the input queued before this key has been handled; without one,
  // the active window takes keys as system keys.
  if (input->focus && IsWindow(input->focus)) {
    message.hwnd = input->focus;
    return true;
  }
  if (!input->active || !IsWindow(input->active)) return false;
  message.hwnd = input->active;
  if (message.message == WM_KEYDOWN) message.message = WM_SYSKEYDOWN;
  if (message.message == WM_KEYUP) message.message = WM_SYSKEYUP;
  return true;
}

bool ThreadState::TakeInput(HWND filter, UINT first, UINT last, bool remove, MSG& message,
                            const std::function<bool(HWND, HWND)>& inFilter) {
  RouteInputLeftByCapture();
  // Input for a window that has gone goes nowhere.
  std::vector<MSG> candidates;
  {
    std::lock_guard guard(m_lock);
    candidates.assign(m_input.begin(), m_input.end());
  }
  std::vector<HWND> gone;
  for (const MSG& m : candidates) {
    if (m.hwnd && !IsWindow(m.hwnd)) gone.push_back(m.hwnd);
  }
  if (!gone.empty()) {
    std::lock_guard guard(m_lock);
    std::erase_if(m_input, [&](const MSG& m) { return std::find(gone.begin(), gone.end(), m.hwnd) != gone.end(); });
    candidates.assign(m_input.begin(), m_input.end());
  }
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    MSG& m = candidates[i];
    // A key that came here after a press which left the focus with another thread's window goes
    // on to that thread, once nothing is queued before it (the press has been handled).
    HWND elsewhere = m.hwnd || i > 0 ? nullptr : SharedFocusOfOtherThread();
    if (elsewhere || (!m.hwnd && !ResolveKeyboardTarget(m))) {
      if (elsewhere) PostKeyboardInput(elsewhere, m.message, m.wParam, m.lParam);
      // Else no focus and no active window take it: the key is lost, as on Windows.
      std::lock_guard guard(m_lock);
      m_input.erase(m_input.begin() + static_cast<std::ptrdiff_t>(i));
      candidates.erase(candidates.begin() + static_cast<std::ptrdiff_t>(i));
      --i;
      continue;
    }
    if (!(first == 0 && last == 0) && (m.message < first || m.message > last)) continue;
    if (filter && !inFilter(filter, m.hwnd)) continue;
    message = m;
    if (remove) {
      std::lock_guard guard(m_lock);
      // Only this thread takes input out, so the message is still where it was.
      m_input.erase(m_input.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return true;
  }
  return false;
}

std::vector<MSG> ThreadState::QueuedInput() {
  std::lock_guard guard(m_lock);
  return {m_input.begin(), m_input.end()};
}

bool ThreadState::ReplaceQueuedInput(const MSG& was, const std::optional<MSG>& now) {
  std::lock_guard guard(m_lock);
  const auto at = std::find_if(m_input.begin(), m_input.end(), [&](const MSG& m) {
    return m.hwnd == was.hwnd && m.message == was.message && m.wParam == was.wParam && m.lParam == was.lParam &&
           m.time == was.time;
  });
  if (at == m_input.end()) return false;
  if (now) *at = *now;
  else m_input.erase(at);
  return true;
}

DWORD ThreadState::InputStatus() {
  std::lock_guard guard(m_lock);
  DWORD bits = 0;
  for (const MSG& m : m_input) {
    if (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) bits |= QS_KEY;
    else if (m.message == WM_MOUSEMOVE || m.message == WM_NCMOUSEMOVE) bits |= QS_MOUSEMOVE;
    else bits |= QS_MOUSEBUTTON;
  }
  return bits;
}

bool ThreadState::HasSent() {
  std::lock_guard guard(m_lock);
  return !m_incoming.empty();
}

void ThreadState::DeliverSent() {
  for (;;) {
    std::shared_ptr<SentMessage> message;
    {
      std::lock_guard guard(m_lock);
      if (m_incoming.empty()) return;
      message = std::move(m_incoming.front());
      m_incoming.pop_front();
    }
    handling.push_back(message);
    LRESULT result = message->task ? message->task()
                                   : CallProcedure(message->window, message->message, message->wParam,
                                                   message->lParam);
    handling.pop_back();
    message->Reply(result);
  }
}

ThreadState& CurrentThreadState() {
  if (t_state) return *t_state;
  // The kernel's record of the thread is made first, so that it is destroyed after ours: ours
  // destroys the thread's windows, which still asks the kernel things.
  DWORD id = GetCurrentThreadId();
  if (!t_holder.state) {
    auto state = std::make_shared<ThreadState>(id);
    {
      std::lock_guard guard(Threads().lock);
      Threads().threads[id] = state;
    }
    t_holder.state = state;
    t_state = state.get();
    EnsureUserProcess();
  }
  return *t_holder.state;
}

std::shared_ptr<ThreadState> FindThreadState(DWORD threadId) {
  std::lock_guard guard(Threads().lock);
  auto it = Threads().threads.find(threadId);
  return it == Threads().threads.end() ? nullptr : it->second;
}

bool WaitForReply(SentMessage& message, DWORD timeout, const std::function<bool()>& alive) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  ThreadState& me = CurrentThreadState();
  for (;;) {
    if (message.replied.load()) return true;
    DWORD slice = timeout;
    if (timeout != INFINITE) {
      auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
      if (spent >= static_cast<long long>(timeout)) return false;
      slice = static_cast<DWORD>(timeout - spent);
    }
    if (alive && slice > 250) slice = 250;
    DWORD result = MsgWaitForMultipleObjectsEx(1, &message.done, slice, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
    if (result == WAIT_OBJECT_0) continue;
    if (result == WAIT_OBJECT_0 + 1) {
      me.DeliverSent();
    } else if (result == WAIT_TIMEOUT) {
      if (alive && !alive()) return false;
    } else {
      return false;
    }
  }
}

}  // namespace tolvar::user
