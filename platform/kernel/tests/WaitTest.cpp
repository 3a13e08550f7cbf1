#include <kernel/Kernel.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

// A waitable of another kind, changed from another thread the way process objects are: it sets its
// state and calls Signalled().
class Flag : public tolvar::kernel::Waitable {
public:
  tolvar::kernel::ObjectType Type() const override { return tolvar::kernel::ObjectType::Other; }
  bool IsSignalled(DWORD) const override { return m_set.load(); }
  void Set() {
    m_set.store(true);
    Signalled();
  }

private:
  std::atomic<bool> m_set{false};
};

struct Handle {
  HANDLE value;
  explicit Handle(HANDLE h) : value(h) {}
  ~Handle() { if (value) CloseHandle(value); }
  operator HANDLE() const { return value; }
};

auto Elapsed(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - since);
}

}  // namespace

TEST(WaitAny, ReturnsTheLowestSignalledIndexAndTakesOnlyThat) {
  Handle a(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  Handle b(CreateEventA(nullptr, FALSE, TRUE, nullptr));
  Handle c(CreateEventA(nullptr, FALSE, TRUE, nullptr));
  HANDLE all[] = {a, b, c};
  EXPECT_EQ(WaitForMultipleObjects(3, all, FALSE, 0), WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForMultipleObjects(3, all, FALSE, 0), WAIT_OBJECT_0 + 2);  // b was reset by the take
  EXPECT_EQ(WaitForMultipleObjects(3, all, FALSE, 0), WAIT_TIMEOUT);
}

TEST(WaitAny, WakesWhenAnotherThreadSignalsAnyKindOfWaitable) {
  auto flag = std::make_shared<Flag>();
  Handle flagHandle(tolvar::kernel::InsertHandle(flag));
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  HANDLE both[] = {event, flagHandle};
  std::thread setter([&] {
    std::this_thread::sleep_for(50ms);
    flag->Set();
  });
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 10000), WAIT_OBJECT_0 + 1);
  setter.join();

  std::thread eventSetter([&] {
    std::this_thread::sleep_for(50ms);
    SetEvent(event);
  });
  EXPECT_EQ(WaitForSingleObject(event, 10000), WAIT_OBJECT_0);
  eventSetter.join();
}

TEST(WaitAll, WaitsForEveryObjectAndTakesNoneBefore) {
  Handle autoEvent(CreateEventA(nullptr, FALSE, TRUE, nullptr));
  Handle semaphore(CreateSemaphoreA(nullptr, 0, 5, nullptr));
  HANDLE both[] = {autoEvent, semaphore};
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 30), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0) << "a failed wait-all took the event";
  SetEvent(autoEvent);

  std::thread releaser([&] {
    std::this_thread::sleep_for(50ms);
    ReleaseSemaphore(semaphore, 1, nullptr);
  });
  EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 10000), WAIT_OBJECT_0);
  releaser.join();
  EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);
}

TEST(WaitTimeout, ExpiresAfterTheGivenTimeAndNotBefore) {
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  HANDLE two[] = {event, event};
  for (DWORD ms : {0u, 60u}) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(event, ms), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForMultipleObjects(2, two, FALSE, ms), WAIT_TIMEOUT);
    EXPECT_GE(Elapsed(start).count(), 2 * static_cast<long>(ms));
  }
}

TEST(WaitErrors, FailWithTheWindowsErrors) {
  Handle event(CreateEventA(nullptr, TRUE, TRUE, nullptr));
  HANDLE many[MAXIMUM_WAIT_OBJECTS + 1];
  std::fill(std::begin(many), std::end(many), event.value);
  struct Case {
    DWORD count;
    const HANDLE* handles;
    BOOL all;
    DWORD error;
  };
  HANDLE bogus[] = {reinterpret_cast<HANDLE>(0x7777770)};
  HANDLE twice[] = {event, event};
  for (const Case& c : {Case{0, many, FALSE, ERROR_INVALID_PARAMETER},
                        Case{MAXIMUM_WAIT_OBJECTS + 1, many, FALSE, ERROR_INVALID_PARAMETER},
                        Case{1, bogus, FALSE, ERROR_INVALID_HANDLE},
                        Case{2, twice, TRUE, ERROR_INVALID_PARAMETER}}) {
    SetLastError(0);
    EXPECT_EQ(WaitForMultipleObjects(c.count, c.handles, c.all, 0), WAIT_FAILED) << c.count;
    EXPECT_EQ(GetLastError(), c.error) << c.count;
  }
  EXPECT_EQ(WaitForMultipleObjects(MAXIMUM_WAIT_OBJECTS, many, FALSE, 0), WAIT_OBJECT_0);
}

TEST(WaitHandles, AWaitOutlivesTheHandleClosedMeanwhile) {
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread closer([&] {
    std::this_thread::sleep_for(30ms);
    CloseHandle(event);
  });
  EXPECT_EQ(WaitForSingleObject(event, 100), WAIT_TIMEOUT);
  closer.join();
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}
