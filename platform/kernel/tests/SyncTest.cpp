#include <kernel/Kernel.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

struct Handle {
  HANDLE value;
  explicit Handle(HANDLE h) : value(h) {}
  ~Handle() { if (value) CloseHandle(value); }
  operator HANDLE() const { return value; }
};

// Waits until `done` reaches `count` or a second passes.
void AwaitCount(const std::atomic<int>& done, int count) {
  for (int i = 0; i < 1000 && done.load() < count; ++i) std::this_thread::sleep_for(1ms);
}

}  // namespace

TEST(Event, AutoResetLetsExactlyOneWaiterThroughPerSet) {
  Handle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  std::atomic<int> through{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 4; ++i) {
    waiters.emplace_back([&] {
      EXPECT_EQ(WaitForSingleObject(event, 10000), WAIT_OBJECT_0);
      ++through;
    });
  }
  std::this_thread::sleep_for(50ms);  // let them all sleep
  for (int set = 1; set <= 4; ++set) {
    ASSERT_TRUE(SetEvent(event));
    AwaitCount(through, set);
    std::this_thread::sleep_for(30ms);  // time for a second waiter to slip through, were it wrong
    EXPECT_EQ(through.load(), set);
  }
  for (auto& t : waiters) t.join();
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(Event, ManualResetLetsEveryoneThroughUntilReset) {
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  std::atomic<int> through{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 3; ++i) {
    waiters.emplace_back([&] {
      EXPECT_EQ(WaitForSingleObject(event, 10000), WAIT_OBJECT_0);
      ++through;
    });
  }
  std::this_thread::sleep_for(30ms);
  SetEvent(event);
  for (auto& t : waiters) t.join();
  EXPECT_EQ(through.load(), 3);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
  ResetEvent(event);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
}

TEST(Mutex, IsRecursiveAndOnlyItsOwnerReleasesIt) {
  Handle mutex(CreateMutexA(nullptr, TRUE, nullptr));
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);  // owned twice now
  std::thread other([&] {
    EXPECT_EQ(WaitForSingleObject(mutex, 20), WAIT_TIMEOUT);
    SetLastError(0);
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
  });
  other.join();
  EXPECT_TRUE(ReleaseMutex(mutex));
  std::thread stillOwned([&] { EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_TIMEOUT); });
  stillOwned.join();
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(GetLastError(), ERROR_NOT_OWNER);
  std::thread taker([&] {
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(mutex));
  });
  taker.join();
}

TEST(Mutex, ReleaseWakesAThreadWaitingForIt) {
  Handle mutex(CreateMutexA(nullptr, TRUE, nullptr));
  std::atomic<bool> got{false};
  std::thread waiter([&] {
    EXPECT_EQ(WaitForSingleObject(mutex, 10000), WAIT_OBJECT_0);
    got = true;
    ReleaseMutex(mutex);
  });
  std::this_thread::sleep_for(30ms);
  EXPECT_FALSE(got.load());
  ReleaseMutex(mutex);
  waiter.join();
  EXPECT_TRUE(got.load());
}

DWORD TakeAndEnd(LPVOID mutex) {
  EXPECT_EQ(WaitForSingleObject(static_cast<HANDLE>(mutex), 0), WAIT_OBJECT_0);
  return 0;
}

TEST(Mutex, IsAbandonedWhenItsOwnerThreadEnds) {
  Handle mutex(CreateMutexA(nullptr, FALSE, nullptr));
  Handle other(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  // A thread of the kernel's own, and one it did not start, both end owning the mutex.
  Handle thread(CreateThread(nullptr, 0, TakeAndEnd, mutex.value, 0, nullptr));
  ASSERT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
  HANDLE waitList[] = {other, mutex};
  EXPECT_EQ(WaitForMultipleObjects(2, waitList, FALSE, 1000), WAIT_ABANDONED_0 + 1);
  EXPECT_TRUE(ReleaseMutex(mutex));

  std::thread([&] { TakeAndEnd(mutex.value); }).join();
  SetEvent(other);
  EXPECT_EQ(WaitForMultipleObjects(2, waitList, TRUE, 1000), WAIT_ABANDONED_0 + 1);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "abandonment is reported once";
  EXPECT_TRUE(ReleaseMutex(mutex));
}

TEST(Semaphore, CountsAndRefusesToPassItsMaximum) {
  Handle semaphore(CreateSemaphoreA(nullptr, 2, 3, nullptr));
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);
  LONG previous = -1;
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 2, &previous));
  EXPECT_EQ(previous, 0);
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 2, &previous));
  EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_POSTS);
  EXPECT_EQ(previous, 0) << "a refused release reports nothing";
  EXPECT_TRUE(ReleaseSemaphore(semaphore, 1, &previous));
  EXPECT_EQ(previous, 2);
  EXPECT_FALSE(ReleaseSemaphore(semaphore, 0, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  struct Bad { LONG initial, maximum; };
  for (Bad bad : {Bad{0, 0}, Bad{-1, 3}, Bad{4, 3}}) {
    EXPECT_EQ(CreateSemaphoreA(nullptr, bad.initial, bad.maximum, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  }
}

TEST(SyncHandles, AHandleOfAnotherKindIsRefused) {
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  Handle mutex(CreateMutexA(nullptr, FALSE, nullptr));
  SetLastError(0);
  EXPECT_FALSE(SetEvent(mutex));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(ReleaseMutex(event));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(ReleaseSemaphore(event, 1, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

namespace {

TEST(UniqueHandle, ClosesWhatItOwnsAndTreatsBothFailureValuesAsNone) {
  HANDLE raw = nullptr;
  {
    tolvar::kernel::UniqueHandle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    raw = event.Get();
    tolvar::kernel::UniqueHandle moved = std::move(event);
    EXPECT_FALSE(event);
    EXPECT_EQ(WaitForSingleObject(moved.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  }
  EXPECT_EQ(WaitForSingleObject(raw, 0), WAIT_FAILED) << "closed with its owner";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(tolvar::kernel::UniqueHandle(INVALID_HANDLE_VALUE));
  EXPECT_FALSE(tolvar::kernel::UniqueHandle());
}

}  // namespace
