#include <kernel/Kernel.h>

#include <base/Home.h>
#include <base/LastError.h>
#include <base/WinError.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

struct Handle {
  HANDLE value;
  explicit Handle(HANDLE h) : value(h) {}
  ~Handle() { if (value) CloseHandle(value); }
  operator HANDLE() const { return value; }
};

// Each test has a home of its own, so its names meet no other test's, and checks that it leaves no
// shared-memory names behind.
class NamedObjects : public ::testing::Test {
protected:
  void SetUp() override {
    char pattern[] = "/tmp/tolvar-named-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_home = pattern;
    setenv("TOLVAR_HOME", m_home.c_str(), 1);
    m_prefix = "tolvar-" + tolvar::HomeTag() + "-";
  }
  void TearDown() override {
    EXPECT_EQ(Segments(), 0) << "shared-memory names left behind";
    std::filesystem::remove_all(m_home);
  }

  int Segments() const {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm")) {
      if (entry.path().filename().string().starts_with(m_prefix)) ++count;
    }
    return count;
  }

  std::string m_home;
  std::string m_prefix;
};

}  // namespace

TEST_F(NamedObjects, ASecondCreateOpensTheSameObject) {
  SetLastError(1234);
  Handle first(CreateEventA(nullptr, TRUE, FALSE, "MainFrame exit event"));
  ASSERT_NE(first.value, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  Handle second(CreateEventA(nullptr, FALSE, TRUE, "MainFrame exit event"));
  ASSERT_NE(second.value, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT) << "the second create's state was applied";
  SetEvent(first);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0) << "still manual-reset, as first created";
  Handle opened(OpenEventA(EVENT_ALL_ACCESS, FALSE, "MainFrame exit event"));
  ASSERT_NE(opened.value, nullptr);
  ResetEvent(opened);
  EXPECT_EQ(WaitForSingleObject(first, 0), WAIT_TIMEOUT);
}

TEST_F(NamedObjects, ANameHeldByAnotherKindOrByNobodyFails) {
  Handle mutex(CreateMutexA(nullptr, FALSE, "VezezudaraApp"));
  ASSERT_NE(mutex.value, nullptr);
  SetLastError(0);
  EXPECT_EQ(CreateEventA(nullptr, TRUE, FALSE, "VezezudaraApp"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(OpenEventA(SYNCHRONIZE, FALSE, "VezezudaraApp"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 128, "VezezudaraApp"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, "LinkwellApp"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "LinkwellApp"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(NamedObjects, TheNameGoesWithTheLastHandleAndView) {
  HANDLE event = CreateEventA(nullptr, FALSE, FALSE, "CHANGE_RESOURCES");
  HANDLE again = OpenEventA(EVENT_ALL_ACCESS, FALSE, "CHANGE_RESOURCES");
  EXPECT_EQ(Segments(), 1);
  CloseHandle(event);
  EXPECT_EQ(Segments(), 1);
  CloseHandle(again);
  EXPECT_EQ(Segments(), 0);
  Handle recreated(CreateEventA(nullptr, FALSE, FALSE, "CHANGE_RESOURCES"));
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);

  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 128, "VezezudaraSharedMemory");
  void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  ASSERT_NE(view, nullptr);
  CloseHandle(mapping);
  EXPECT_EQ(Segments(), 2) << "a view keeps its mapping";
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_EQ(Segments(), 1);
}

TEST_F(NamedObjects, ALeftoverOfACrashedProcessIsNotTakenForALiveObject) {
  // What a process killed while holding the mutex leaves: the name, with nobody holding it.
  std::string name = "/" + m_prefix + "LinkwellApp";
  int fd = shm_open(name.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 65536), 0);
  ASSERT_EQ(write(fd, "leftover", 8), 8);
  close(fd);
  EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, "LinkwellApp"), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  fd = shm_open(name.c_str(), O_RDWR | O_CREAT, 0600);
  close(fd);
  Handle mutex(CreateMutexA(nullptr, FALSE, "LinkwellApp"));
  ASSERT_NE(mutex.value, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
}

TEST_F(NamedObjects, WaitsOnNamedObjectsWakeWithoutPolling) {
  Handle semaphore(CreateSemaphoreA(nullptr, 0, 2, "Serial recv event"));
  Handle mutex(CreateMutexA(nullptr, TRUE, "VezezudaraSharedMemoryMutex"));
  std::thread other([] {
    Handle s(CreateSemaphoreA(nullptr, 0, 2, "Serial recv event"));
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    Handle m(OpenMutexA(SYNCHRONIZE, FALSE, "VezezudaraSharedMemoryMutex"));
    HANDLE both[] = {s, m};
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(m));
  });
  std::this_thread::sleep_for(30ms);
  ReleaseSemaphore(semaphore, 1, nullptr);
  std::this_thread::sleep_for(30ms);
  ReleaseMutex(mutex);
  other.join();
  EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  ReleaseMutex(mutex);
}

TEST_F(NamedObjects, NamedMutexOwnedByAnEndedThreadIsAbandoned) {
  Handle mutex(CreateMutexA(nullptr, FALSE, "VezezudaraApp"));
  std::thread([] {
    HANDLE own = OpenMutexA(SYNCHRONIZE, FALSE, "VezezudaraApp");
    EXPECT_EQ(WaitForSingleObject(own, 0), WAIT_OBJECT_0);
    CloseHandle(own);  // the ownership outlives the handle
  }).join();
  EXPECT_EQ(WaitForSingleObject(mutex, 1000), WAIT_ABANDONED);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ReleaseMutex(mutex));
}

TEST_F(NamedObjects, MappingViewsShareTheirBytes) {
  Handle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 128, "VezezudaraSharedMemory"));
  ASSERT_NE(mapping.value, nullptr);
  Handle same(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "VezezudaraSharedMemory"));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  auto* writer = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 128));
  auto* reader = static_cast<char*>(MapViewOfFile(same, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(writer, nullptr);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(reader[0], 0) << "a new mapping is zeroed";
  std::strcpy(writer, "12 schedules free");
  EXPECT_STREQ(reader, "12 schedules free");
  EXPECT_EQ(MapViewOfFile(same, FILE_MAP_READ, 0, 0, 129), nullptr) << "the existing size holds";
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_TRUE(UnmapViewOfFile(writer));
  EXPECT_TRUE(UnmapViewOfFile(reader));
}

TEST_F(NamedObjects, MappingCallsFailAsWindowsDoes) {
  Handle unnamed(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 70000, nullptr));
  ASSERT_NE(unnamed.value, nullptr);
  auto* head = static_cast<const char*>(MapViewOfFile(unnamed, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head[69999], 0);
  auto* tail = static_cast<const char*>(MapViewOfFile(unnamed, FILE_MAP_READ, 0, 65536, 0));
  EXPECT_NE(tail, nullptr);
  struct Case {
    HANDLE mapping;
    DWORD access;
    DWORD offset;
    SIZE_T bytes;
    DWORD error;
  };
  for (const Case& c : {Case{unnamed, FILE_MAP_WRITE, 0, 0, ERROR_ACCESS_DENIED},
                        Case{unnamed, FILE_MAP_READ, 4096, 0, ERROR_MAPPED_ALIGNMENT},
                        Case{unnamed, FILE_MAP_READ, 131072, 0, ERROR_ACCESS_DENIED},
                        Case{unnamed, FILE_MAP_READ, 0, 70001, ERROR_ACCESS_DENIED},
                        Case{nullptr, FILE_MAP_READ, 0, 0, ERROR_INVALID_HANDLE}}) {
    SetLastError(0);
    EXPECT_EQ(MapViewOfFile(c.mapping, c.access, 0, c.offset, c.bytes), nullptr) << c.offset;
    EXPECT_EQ(GetLastError(), c.error) << c.offset;
  }
  EXPECT_EQ(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 0, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(UnmapViewOfFile(head + 1));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_ADDRESS);
  EXPECT_TRUE(UnmapViewOfFile(head));
  EXPECT_TRUE(UnmapViewOfFile(tail));
  EXPECT_FALSE(UnmapViewOfFile(head));
}

// A named segment cut short by another process after this one opened it gives no view past the
// file's end, where an access would fault; what the file still holds can be seen. (Another process
// opening it is refused outright: the tests across processes show that.)
TEST_F(NamedObjects, AMappingGivesNoViewPastTheEndOfASegmentCutShort) {
  constexpr DWORD kSize = 1 << 20;
  Handle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSize, "Cut"));
  ASSERT_NE(mapping.value, nullptr);
  ASSERT_EQ(truncate(("/dev/shm/" + m_prefix + "Cut").c_str(), 65536 + 4096), 0);

  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4097), nullptr);
  auto* head = static_cast<const char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 4096));
  ASSERT_NE(head, nullptr);
  EXPECT_EQ(head[4095], 0);
  EXPECT_TRUE(UnmapViewOfFile(head));
}
