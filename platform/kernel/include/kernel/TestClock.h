#pragma once
// For tests: a clock that moves only when the test says so. While a TestClock lives, GetTickCount,
// the time stamps of messages and every thread and window timer of the process run on it, so a
// test of timer-driven behaviour (a blinking caret, a hover delay, an animation, a retry) advances
// the clock by the timer's period and looks at the outcome, with no sleeping and no slack for a
// loaded machine. Time-outs of waits (WaitForSingleObject, MsgWaitForMultipleObjects, a sent
// message's time-out) keep the machine's clock: they guard against hangs, and a test should not
// have to drive them.
//
// The clock starts at the machine's tick count, so timers set before it keep their place. One test
// clock at a time per process; it is not for use across processes.
#include <base/WinDef.h>

namespace tolvar::kernel {

class TestClock {
public:
  TestClock();
  ~TestClock();  // back to the machine's clock
  TestClock(const TestClock&) = delete;
  TestClock& operator=(const TestClock&) = delete;

  // Moves the clock forward and wakes every thread of the process, so that timers now due are
  // seen by the threads' waits and message loops. The caller then pumps its own queue.
  void Advance(DWORD milliseconds);
  ULONGLONG Now() const;
};

}  // namespace tolvar::kernel
