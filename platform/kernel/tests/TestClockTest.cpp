// Timers on the test clock: they come due when the test advances the clock, not when time passes,
// both for the test's own thread and for a thread asleep in GetMessage.
#include <kernel/TestClock.h>

#include <kernel/Kernel.h>
#include <base/Time.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

bool TimerWaiting(UINT_PTR id) {
  MSG message;
  return PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE) && message.wParam == id;
}

TEST(TestClock, TimersAndTheTickCountMoveOnlyWhenTheTestAdvancesThem) {
  tolvar::kernel::TestClock clock;
  const DWORD start = GetTickCount();
  UINT_PTR timer = SetTimer(nullptr, 0, 1000, nullptr);
  ASSERT_NE(timer, 0u);

  clock.Advance(999);
  EXPECT_EQ(GetTickCount() - start, 999u);
  EXPECT_FALSE(TimerWaiting(timer)) << "due only after its whole period";
  clock.Advance(1);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
  EXPECT_EQ(message.wParam, timer);
  EXPECT_EQ(message.time, start + 1000) << "messages are stamped with the test's time";
  EXPECT_FALSE(TimerWaiting(timer)) << "the next period starts when the message was taken";

  clock.Advance(5000);  // a late queue gets one WM_TIMER, not five
  EXPECT_TRUE(TimerWaiting(timer));
  EXPECT_FALSE(TimerWaiting(timer));
  KillTimer(nullptr, timer);
}

TEST(TestClock, AThreadAsleepInGetMessageWakesForATimerTheClockMadeDue) {
  tolvar::kernel::TestClock clock;
  std::atomic<DWORD> worker{0};
  std::atomic<ULONGLONG> firedAt{0};
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread thread([&] {
    worker = GetCurrentThreadId();
    UINT_PTR timer = SetTimer(nullptr, 0, 60000, nullptr);
    SetEvent(ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
      if (message.message == WM_TIMER && message.wParam == timer) {
        firedAt = GetTickCount64();
        break;
      }
    }
  });
  ASSERT_EQ(WaitForSingleObject(ready, 10000), WAIT_OBJECT_0);
  const ULONGLONG due = clock.Now() + 60000;
  clock.Advance(60000);  // a minute of the test's time, at once
  thread.join();
  EXPECT_EQ(firedAt.load(), due);
  CloseHandle(ready);
}

}  // namespace
