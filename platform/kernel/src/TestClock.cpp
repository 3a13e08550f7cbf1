// The test clock: GetTickCount's value held by the test, and every thread woken when it moves so
// that waits computed against the old time look again.
#include <kernel/TestClock.h>

#include "ThreadRecord.h"

#include <base/Time.h>

namespace tolvar::kernel {

TestClock::TestClock() { SetTestTickCount(GetTickCount64()); }

TestClock::~TestClock() {
  SetTestTickCount(std::nullopt);
  WakeEveryThread();
}

void TestClock::Advance(DWORD milliseconds) {
  SetTestTickCount(GetTickCount64() + milliseconds);
  WakeEveryThread();
}

ULONGLONG TestClock::Now() const { return GetTickCount64(); }

}  // namespace tolvar::kernel
