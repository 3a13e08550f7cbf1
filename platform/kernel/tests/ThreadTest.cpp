#include <kernel/Kernel.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <atomic>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <unistd.h>

namespace {

struct Handle {
  HANDLE value;
  explicit Handle(HANDLE h) : value(h) {}
  ~Handle() { if (value) CloseHandle(value); }
  operator HANDLE() const { return value; }
};

struct Start {
  HANDLE go;
  std::atomic<DWORD> seenId{0};
};

DWORD WaitForGo(LPVOID parameter) {
  auto* start = static_cast<Start*>(parameter);
  start->seenId = GetCurrentThreadId();
  WaitForSingleObject(start->go, INFINITE);
  return 42;
}

struct Destructed {
  bool* flag;
  ~Destructed() { *flag = true; }
};

bool g_destructed = false;

DWORD EndEarly(LPVOID) {
  Destructed guard{&g_destructed};
  ExitThread(7);
}

}  // namespace

TEST(Thread, ReportsItsIdAndExitCodeAndIsSignalledWhenItEnds) {
  Handle go(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  Start start{go};
  DWORD id = 0;
  Handle thread(CreateThread(nullptr, 0, WaitForGo, &start, 0, &id));
  ASSERT_NE(thread.value, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);
  SetEvent(go);
  EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  EXPECT_EQ(start.seenId.load(), id);
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
}

TEST(Thread, ExitThreadEndsWithItsCodeAndUnwinds) {
  g_destructed = false;
  Handle thread(CreateThread(nullptr, 0, EndEarly, nullptr, 0, nullptr));
  ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(g_destructed);
}

TEST(Thread, IdsAreLinuxThreadIdsUniqueAcrossThreads) {
  EXPECT_EQ(GetCurrentThreadId(), static_cast<DWORD>(gettid()));
  std::set<DWORD> ids{GetCurrentThreadId()};
  for (int i = 0; i < 3; ++i) {
    std::thread([&] {
      EXPECT_EQ(GetCurrentThreadId(), static_cast<DWORD>(gettid()));
      ids.insert(GetCurrentThreadId());
    }).join();
  }
  EXPECT_EQ(ids.size(), 4u);
}

TEST(Thread, CurrentThreadPseudoHandleNamesTheCaller) {
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(GetCurrentThread(), &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(GetCurrentThread(), 0), WAIT_TIMEOUT);
}

TEST(Thread, RefusesWhatItCannotDo) {
  SetLastError(0);
  EXPECT_EQ(CreateThread(nullptr, 0, WaitForGo, nullptr, CREATE_SUSPENDED, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  DWORD code = 0;
  EXPECT_FALSE(GetExitCodeThread(event, &code));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Thread, KeepsThePriorityItIsGiven) {
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_NORMAL);
  for (int priority : {THREAD_PRIORITY_IDLE, THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_TIME_CRITICAL,
                       THREAD_PRIORITY_NORMAL}) {
    ASSERT_TRUE(SetThreadPriority(GetCurrentThread(), priority));
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), priority);
  }
  SetLastError(0);
  EXPECT_FALSE(SetThreadPriority(GetCurrentThread(), 3));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  EXPECT_FALSE(SetThreadPriority(event, THREAD_PRIORITY_NORMAL));
  EXPECT_EQ(GetThreadPriority(event), THREAD_PRIORITY_ERROR_RETURN);
}
