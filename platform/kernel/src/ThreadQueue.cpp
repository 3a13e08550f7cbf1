#include "ThreadQueue.h"

#include <base/Time.h>

#include "Futex.h"

#include <algorithm>

namespace tolvar::kernel {
namespace {

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

// Which status bit a posted message sets: input messages count as input, everything else as a post.
struct MessageClass {
  UINT first;
  UINT last;
  DWORD bits;
};
constexpr MessageClass kMessageClasses[] = {
    {0x0100, 0x0109, QS_KEY},          // keyboard messages
    {0x0200, 0x0200, QS_MOUSEMOVE},    // mouse move
    {0x0201, 0x020E, QS_MOUSEBUTTON},  // mouse buttons and wheel
    {0x0312, 0x0312, QS_HOTKEY},       // hot key
};

DWORD StatusBits(UINT message) {
  for (const MessageClass& c : kMessageClasses) {
    if (message >= c.first && message <= c.last) return c.bits | QS_ALLPOSTMESSAGE;
  }
  return QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
}

enum class Match { Yes, No, Ask };

Match WindowMatch(const ThreadQueue::Filter& filter, HWND window, UINT message) {
  if (message == WM_QUIT || filter.window == nullptr) return Match::Yes;
  if (filter.window == kThreadMessagesOnly) return window == nullptr ? Match::Yes : Match::No;
  if (window == filter.window) return Match::Yes;
  if (window == nullptr || !filter.isInWindow) return Match::No;
  return Match::Ask;
}

}  // namespace

DWORD MessageTime() { return GetTickCount(); }

namespace {

// Timers run on GetTickCount's clock, which a test may hold (<kernel/TestClock.h>); it reads the
// same monotonic clock as the waits otherwise, so a due time is also a wait's deadline.
timespec TimerNow() {
  ULONGLONG ms = GetTickCount64();
  return timespec{static_cast<time_t>(ms / 1000), static_cast<long>((ms % 1000) * 1000000)};
}

timespec TimerAfter(UINT elapse) {
  timespec t = TimerNow();
  t.tv_sec += static_cast<time_t>(elapse / 1000);
  t.tv_nsec += static_cast<long>((elapse % 1000) * 1000000);
  if (t.tv_nsec >= 1000000000) {
    t.tv_sec += 1;
    t.tv_nsec -= 1000000000;
  }
  return t;
}

}  // namespace

bool ThreadQueue::InRange(const Filter& filter, UINT message) {
  if (message == WM_QUIT) return true;
  if (filter.first == 0 && filter.last == 0) return true;
  return message >= filter.first && message <= filter.last;
}

void ThreadQueue::Post(const MSG& message) {
  std::lock_guard guard(m_lock);
  m_posted.push_back({m_nextSerial++, message});
  DWORD bits = StatusBits(message.message);
  m_postedBits |= bits;
  m_newBits |= bits;
}

void ThreadQueue::AddWakeBits(DWORD bits) {
  std::lock_guard guard(m_lock);
  m_newBits |= bits;
}

void ThreadQueue::PostQuit(int exitCode) {
  std::lock_guard guard(m_lock);
  m_quit = true;
  m_quitCode = exitCode;
  m_newBits |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
}

bool ThreadQueue::TakePosted(const Filter& filter, bool remove, MSG& message) {
  // Messages whose window only the window layer can judge are asked about outside the lock, since
  // the window layer posts with its own locks held.
  std::vector<std::pair<std::uint64_t, HWND>> ask;
  std::uint64_t chosen = 0;
  {
    std::lock_guard guard(m_lock);
    for (const Posted& p : m_posted) {
      if (!InRange(filter, p.message.message)) continue;
      Match match = WindowMatch(filter, p.message.hwnd, p.message.message);
      if (match == Match::Yes) {
        chosen = p.serial;
        break;
      }
      if (match == Match::Ask) ask.emplace_back(p.serial, p.message.hwnd);
    }
  }
  for (const auto& [serial, window] : ask) {
    if (filter.isInWindow(window)) {
      chosen = serial;
      break;
    }
  }
  std::lock_guard guard(m_lock);
  if (chosen != 0) {
    // Only this thread removes messages, so the chosen one is still there.
    auto it = std::find_if(m_posted.begin(), m_posted.end(),
                           [chosen](const Posted& p) { return p.serial == chosen; });
    message = it->message;
    if (remove) {
      m_posted.erase(it);
      m_postedBits = 0;
      for (const Posted& p : m_posted) m_postedBits |= StatusBits(p.message.message);
    }
    return true;
  }
  if (m_quit) {
    message = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(m_quitCode), 0, MessageTime(), {0, 0}};
    if (remove) m_quit = false;
    return true;
  }
  return false;
}

bool ThreadQueue::TakeTimer(const Filter& filter, bool remove, MSG& message) {
  if (!InRange(filter, WM_TIMER)) return false;
  const timespec now = TimerNow();
  std::vector<Timer*> due;
  for (Timer& timer : m_timers) {
    if (!futex::Before(now, timer.due)) due.push_back(&timer);
  }
  std::sort(due.begin(), due.end(), [](Timer* a, Timer* b) { return futex::Before(a->due, b->due); });
  for (Timer* timer : due) {
    Match match = WindowMatch(filter, timer->window, WM_TIMER);
    if (match == Match::No || (match == Match::Ask && !filter.isInWindow(timer->window))) continue;
    message = MSG{timer->window, WM_TIMER, timer->id, reinterpret_cast<LPARAM>(timer->proc), MessageTime(),
                  {0, 0}};
    // The next expiry counts from now: a late queue gets one WM_TIMER, not a backlog.
    if (remove) timer->due = TimerAfter(timer->elapse);
    return true;
  }
  return false;
}

DWORD ThreadQueue::Status() {
  DWORD bits;
  {
    std::lock_guard guard(m_lock);
    bits = m_postedBits | (m_quit ? QS_POSTMESSAGE | QS_ALLPOSTMESSAGE : 0);
  }
  const timespec now = TimerNow();
  for (const Timer& timer : m_timers) {
    if (!futex::Before(now, timer.due)) bits |= QS_TIMER;
  }
  return bits;
}

DWORD ThreadQueue::NewStatus() {
  DWORD bits;
  {
    std::lock_guard guard(m_lock);
    bits = m_newBits;
  }
  const timespec now = TimerNow();
  for (const Timer& timer : m_timers) {
    if (!futex::Before(now, timer.due) && futex::Before(m_lookedAt, timer.due)) bits |= QS_TIMER;
  }
  return bits;
}

void ThreadQueue::MarkLooked() {
  std::lock_guard guard(m_lock);
  m_newBits = 0;
  m_lookedAt = TimerNow();
}

std::optional<timespec> ThreadQueue::NextTimerDue() {
  // On a test clock no real deadline comes: the test's Advance wakes the thread instead.
  if (TestTickCountRunning()) return std::nullopt;
  std::optional<timespec> next;
  for (const Timer& timer : m_timers) {
    if (!next || futex::Before(timer.due, *next)) next = timer.due;
  }
  return next;
}

UINT_PTR ThreadQueue::SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  elapse = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  auto existing = std::find_if(m_timers.begin(), m_timers.end(), [&](const Timer& t) {
    return t.window == window && t.id == id;
  });
  if (existing != m_timers.end() && (window != nullptr || id != 0)) {
    existing->elapse = elapse;
    existing->proc = proc;
    existing->due = TimerAfter(elapse);
    return window ? (id ? id : 1) : id;
  }
  if (window == nullptr) {
    // A thread timer gets an id of its own.
    auto used = [&](UINT_PTR candidate) {
      return std::any_of(m_timers.begin(), m_timers.end(),
                         [&](const Timer& t) { return t.window == nullptr && t.id == candidate; });
    };
    do {
      id = m_nextTimerId++;
      if (m_nextTimerId == 0) m_nextTimerId = 1;
    } while (id == 0 || used(id));
  }
  m_timers.push_back({window, id, elapse, proc, TimerAfter(elapse)});
  return window ? (id ? id : 1) : id;
}

bool ThreadQueue::KillTimer(HWND window, UINT_PTR id) {
  auto it = std::find_if(m_timers.begin(), m_timers.end(),
                         [&](const Timer& t) { return t.window == window && t.id == id; });
  if (it == m_timers.end()) return false;
  m_timers.erase(it);
  return true;
}

void ThreadQueue::KillWindowTimers(HWND window) {
  std::erase_if(m_timers, [&](const Timer& t) { return t.window == window; });
}

}  // namespace tolvar::kernel
