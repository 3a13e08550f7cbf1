#include <kernel/Kernel.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

namespace {

struct Handle {
  HANDLE value;
  explicit Handle(HANDLE h) : value(h) {}
  ~Handle() { if (value) CloseHandle(value); }
  operator HANDLE() const { return value; }
};

auto Elapsed(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since);
}

void Drain() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
  }
}

// The test body runs on the main thread, whose queue lives as long as the process: start and end
// with it empty.
class Queue : public ::testing::Test {
protected:
  void SetUp() override { Drain(); }
  void TearDown() override { Drain(); }
};

std::vector<UINT> Take(int count, HWND window = nullptr, UINT first = 0, UINT last = 0) {
  std::vector<UINT> got;
  MSG m;
  for (int i = 0; i < count && PeekMessageA(&m, window, first, last, PM_REMOVE); ++i) got.push_back(m.message);
  return got;
}

const HWND kThreadOnly = reinterpret_cast<HWND>(static_cast<LONG_PTR>(-1));

}  // namespace

TEST_F(Queue, PostedMessagesComeInOrderAndQuitAfterThem) {
  const DWORD me = GetCurrentThreadId();
  for (UINT m : {WM_USER + 1, WM_USER + 2, WM_USER + 3}) EXPECT_TRUE(PostThreadMessageA(me, m, m, 0));
  PostQuitMessage(5);
  PostThreadMessageA(me, WM_APP, 0, 0);
  MSG m;
  for (UINT expected : {WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_APP}) {
    ASSERT_EQ(GetMessageA(&m, nullptr, 0, 0), TRUE);
    EXPECT_EQ(m.message, expected);
    EXPECT_EQ(m.hwnd, nullptr);
  }
  EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), FALSE);
  EXPECT_EQ(m.message, WM_QUIT);
  EXPECT_EQ(m.wParam, 5u);
  EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << "one quit, taken once";
}

TEST_F(Queue, FiltersPickByRangeAndWindowAndNoRemoveLeavesTheMessage) {
  const DWORD me = GetCurrentThreadId();
  const HWND window = reinterpret_cast<HWND>(0x1234);
  PostThreadMessageA(me, WM_USER + 1, 0, 0);
  tolvar::kernel::PostThreadQueueMessage(me, window, WM_USER + 2, 0, 0);
  PostThreadMessageA(me, WM_APP, 0, 0);
  PostThreadMessageA(me, WM_USER + 5, 0, 0);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_USER, WM_USER + 10, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_USER + 1);
  EXPECT_EQ(Take(1, nullptr, WM_APP, WM_APP), std::vector<UINT>{WM_APP});
  EXPECT_EQ(Take(9, kThreadOnly), (std::vector<UINT>{WM_USER + 1, WM_USER + 5}));
  SetLastError(0);
  EXPECT_FALSE(PeekMessageA(&m, window, 0, 0, PM_REMOVE)) << "no window layer: no windows";
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.hwnd, window);

  PostQuitMessage(0);
  EXPECT_EQ(Take(1, nullptr, WM_USER, WM_USER), std::vector<UINT>{WM_QUIT}) << "WM_QUIT passes any range";
}

DWORD CollectUntilQuit(LPVOID out) {
  auto* got = static_cast<std::vector<WPARAM>*>(out);
  MSG m;
  BOOL result;
  while ((result = GetMessageA(&m, nullptr, 0, 0)) > 0) got->push_back(m.wParam);
  return result == 0 ? static_cast<DWORD>(m.wParam) : 99;
}

TEST_F(Queue, PostsReachAnotherThreadUntilItEnds) {
  std::vector<WPARAM> got;
  DWORD id = 0;
  Handle thread(CreateThread(nullptr, 0, CollectUntilQuit, &got, 0, &id));
  for (WPARAM i = 1; i <= 50; ++i) ASSERT_TRUE(PostThreadMessageA(id, WM_APP, i, 0));
  ASSERT_TRUE(PostThreadMessageA(id, WM_QUIT, 3, 0));
  ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 3u);
  ASSERT_EQ(got.size(), 50u);
  for (WPARAM i = 0; i < 50; ++i) EXPECT_EQ(got[i], i + 1);

  SetLastError(0);
  EXPECT_FALSE(PostThreadMessageA(id, WM_APP, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
  EXPECT_FALSE(PostThreadMessageA(0, WM_APP, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

TEST_F(Queue, MsgWaitWakesOnAPostOnAnObjectAndTimesOut) {
  Handle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  const DWORD me = GetCurrentThreadId();
  std::thread poster([me] {
    std::this_thread::sleep_for(40ms);
    PostThreadMessageA(me, WM_APP, 0, 0);
  });
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event.value, FALSE, 10000, QS_ALLINPUT), WAIT_OBJECT_0 + 1);
  poster.join();
  Drain();

  std::thread setter([&] {
    std::this_thread::sleep_for(40ms);
    SetEvent(event);
  });
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event.value, FALSE, 10000, QS_ALLINPUT), WAIT_OBJECT_0);
  setter.join();
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT) << "the auto-reset event was taken";

  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(MsgWaitForMultipleObjects(1, &event.value, FALSE, 50, QS_ALLINPUT), WAIT_TIMEOUT);
  EXPECT_GE(Elapsed(start).count(), 50);
}

TEST_F(Queue, MsgWaitCountsOnlyInputNotYetLookedAt) {
  PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_KEY | QS_MOUSE), WAIT_TIMEOUT);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_POSTMESSAGE), WAIT_OBJECT_0);
  MSG m;
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT), WAIT_TIMEOUT);
  EXPECT_EQ(MsgWaitForMultipleObjectsEx(0, nullptr, 0, QS_ALLINPUT, MWMO_INPUTAVAILABLE), WAIT_OBJECT_0);
  HANDLE many[MAXIMUM_WAIT_OBJECTS] = {};
  EXPECT_EQ(MsgWaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS, many, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(Queue, ThreadTimerComesWhenTheQueueIsEmptyAndDoesNotPileUp) {
  // The clock starts before the timer: a thread paused after SetTimer must not see it come early.
  auto start = std::chrono::steady_clock::now();
  UINT_PTR id = SetTimer(nullptr, 0, 20, nullptr);
  ASSERT_NE(id, 0u);
  MSG m;
  ASSERT_EQ(GetMessageA(&m, nullptr, 0, 0), TRUE);
  EXPECT_GE(Elapsed(start).count(), 19);
  EXPECT_EQ(m.message, WM_TIMER);
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_EQ(m.wParam, id);

  std::this_thread::sleep_for(150ms);  // several periods
  PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
  EXPECT_EQ(Take(9), (std::vector<UINT>{WM_APP, WM_TIMER})) << "a post first, then one WM_TIMER";

  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 10000, QS_TIMER), WAIT_OBJECT_0);
  // Far beyond any pause of a loaded machine, so only a timer that was not reset can come.
  EXPECT_EQ(SetTimer(nullptr, id, 600000, nullptr), id) << "an existing thread timer is reset";
  EXPECT_EQ(Take(9), std::vector<UINT>{});
  EXPECT_TRUE(KillTimer(nullptr, id));
  EXPECT_FALSE(KillTimer(nullptr, id));
}

namespace {

// A stand-in for the window layer: windows 0x10 (with child 0x11) belong to the main thread, 0x20 to
// no thread of ours; messages "sent" to the main thread are functions it runs when it looks.
class FakeWindows : public tolvar::kernel::QueueExtension {
public:
  static inline const HWND kWindow = reinterpret_cast<HWND>(0x10);
  static inline const HWND kChild = reinterpret_cast<HWND>(0x11);
  static inline const HWND kOther = reinterpret_cast<HWND>(0x20);
  static constexpr UINT kPaint = 0x000F;

  explicit FakeWindows(DWORD owner) : m_owner(owner) {}

  void Send(std::function<void()> work) {
    {
      std::lock_guard guard(m_lock);
      m_sent.push_back(std::move(work));
    }
    tolvar::kernel::WakeThreadQueue(m_owner, QS_SENDMESSAGE);
  }

  void DeliverSentMessages() override {
    std::vector<std::function<void()>> sent;
    {
      std::lock_guard guard(m_lock);
      sent.swap(m_sent);
    }
    for (auto& work : sent) work();
  }
  DWORD PendingStatus() override {
    std::lock_guard guard(m_lock);
    return (m_sent.empty() ? 0 : QS_SENDMESSAGE) | (needsPaint ? QS_PAINT : 0);
  }
  bool SynthesizeMessage(HWND filter, UINT first, UINT last, bool remove, MSG& message) override {
    bool inRange = (first == 0 && last == 0) || (kPaint >= first && kPaint <= last);
    if (!needsPaint || !inRange || (filter && filter != kWindow)) return false;
    message = MSG{kWindow, kPaint, 0, 0, 0, {0, 0}};
    if (remove) needsPaint = false;
    return true;
  }
  DWORD WindowThread(HWND window) override {
    if (window == kWindow || window == kChild) return m_owner;
    return window == kOther ? m_owner + 1 : 0;
  }
  bool IsInFilter(HWND filter, HWND window) override { return filter == kWindow && window == kChild; }
  bool PostToOtherProcess(DWORD threadId, UINT message, WPARAM, LPARAM) override {
    remotePosts.emplace_back(threadId, message);
    return true;
  }

  bool needsPaint = false;
  std::vector<std::pair<DWORD, UINT>> remotePosts;

private:
  DWORD m_owner;
  std::mutex m_lock;
  std::vector<std::function<void()>> m_sent;
};

class Extended : public Queue {
protected:
  void SetUp() override {
    Queue::SetUp();
    tolvar::kernel::SetQueueExtension(&windows);
  }
  void TearDown() override {
    tolvar::kernel::SetQueueExtension(nullptr);
    Queue::TearDown();
  }
  FakeWindows windows{GetCurrentThreadId()};
};

}  // namespace

TEST_F(Extended, GetMessageRunsSentMessagesWhileItWaits) {
  const DWORD me = GetCurrentThreadId();
  std::atomic<DWORD> ranOn{0};
  std::thread other([&] {
    std::this_thread::sleep_for(30ms);
    windows.Send([&] { ranOn = GetCurrentThreadId(); });
    std::this_thread::sleep_for(30ms);
    PostThreadMessageA(me, WM_APP, 0, 0);
  });
  MSG m;
  ASSERT_EQ(GetMessageA(&m, nullptr, 0, 0), TRUE);
  other.join();
  EXPECT_EQ(m.message, WM_APP);
  EXPECT_EQ(ranOn.load(), me);

  windows.Send([] {});
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_SENDMESSAGE), WAIT_OBJECT_0);
}

TEST_F(Extended, PaintComesAfterPostsAndBeforeTimers) {
  const DWORD me = GetCurrentThreadId();
  UINT_PTR timer = SetTimer(FakeWindows::kWindow, 7, 10, nullptr);
  EXPECT_EQ(timer, 7u);
  std::this_thread::sleep_for(30ms);
  windows.needsPaint = true;
  tolvar::kernel::PostThreadQueueMessage(me, FakeWindows::kChild, WM_USER, 0, 0);
  tolvar::kernel::PostThreadQueueMessage(me, FakeWindows::kOther, WM_USER + 1, 0, 0);
  MSG m;
  std::vector<std::pair<HWND, UINT>> got;
  for (int i = 0; i < 3 && PeekMessageA(&m, FakeWindows::kWindow, 0, 0, PM_REMOVE); ++i) {
    got.emplace_back(m.hwnd, m.message);
  }
  EXPECT_EQ(got, (std::vector<std::pair<HWND, UINT>>{
                     {FakeWindows::kChild, WM_USER}, {FakeWindows::kWindow, FakeWindows::kPaint},
                     {FakeWindows::kWindow, WM_TIMER}}));
  EXPECT_EQ(Take(9), std::vector<UINT>{WM_USER + 1});

  tolvar::kernel::KillWindowTimers(FakeWindows::kWindow);
  EXPECT_FALSE(KillTimer(FakeWindows::kWindow, 7));
  SetLastError(0);
  EXPECT_EQ(SetTimer(FakeWindows::kOther, 1, 10, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(SetTimer(reinterpret_cast<HWND>(0x99), 1, 10, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(Extended, PostsToThreadsOfOtherProcessesGoThroughTheExtension) {
  const DWORD elsewhere = static_cast<DWORD>(getppid());  // a thread id that is not in this process
  EXPECT_TRUE(PostThreadMessageA(elsewhere, WM_USER + 9, 0, 0));
  EXPECT_EQ(windows.remotePosts, (std::vector<std::pair<DWORD, UINT>>{{elsewhere, WM_USER + 9}}));
  tolvar::kernel::SetQueueExtension(nullptr);
  EXPECT_FALSE(PostThreadMessageA(elsewhere, WM_USER + 9, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}
