// Devices reach their module through a registered opener, and the I/O functions dispatch to the
// device object, overlapped transfers included.
#include <kernel/File.h>
#include <kernel/Io.h>
#include <kernel/Sync.h>
#include <kernel/Wait.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using tolvar::kernel::CompleteOverlapped;
using tolvar::kernel::DeviceOpenRequest;
using tolvar::kernel::IoObject;
using tolvar::kernel::ObjectType;

// A device whose reads stay pending until the test finishes them, as a serial port's do.
class PendingDevice : public IoObject {
public:
  ObjectType Type() const override { return ObjectType::Device; }
  DWORD Read(std::span<BYTE> buffer, DWORD& done, OVERLAPPED* overlapped) override {
    if (!overlapped) {
      done = static_cast<DWORD>(std::min<size_t>(buffer.size(), 3));
      std::fill_n(buffer.begin(), done, BYTE{'r'});
      return ERROR_SUCCESS;
    }
    std::lock_guard guard(lock);
    pending.push_back(overlapped);
    return ERROR_IO_PENDING;
  }
  DWORD Write(std::span<const BYTE> buffer, DWORD& done, OVERLAPPED*) override {
    written.assign(buffer.begin(), buffer.end());
    done = static_cast<DWORD>(buffer.size());
    return ERROR_SUCCESS;
  }
  DWORD Flush() override {
    ++flushes;
    return ERROR_SUCCESS;
  }
  DWORD Cancel() override {
    std::lock_guard guard(lock);
    for (OVERLAPPED* o : pending) CompleteOverlapped(o, ERROR_OPERATION_ABORTED, 0);
    pending.clear();
    return ERROR_SUCCESS;
  }
  void FinishOne(DWORD bytes) {
    std::lock_guard guard(lock);
    CompleteOverlapped(pending.front(), ERROR_SUCCESS, bytes);
    pending.erase(pending.begin());
  }

  std::mutex lock;
  std::vector<OVERLAPPED*> pending;
  std::vector<BYTE> written;
  int flushes = 0;
};

struct Registry {
  std::shared_ptr<PendingDevice> device = std::make_shared<PendingDevice>();
  DeviceOpenRequest last;
};

TEST(FileDevice, OpenerReceivesTheRequestAndIoReachesTheDevice) {
  Registry registry;
  tolvar::kernel::RegisterDeviceOpener("TESTDEV", [&](const DeviceOpenRequest& request) -> std::shared_ptr<IoObject> {
    registry.last = request;
    if (request.name == "TESTDEV9") {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
    return registry.device;
  });

  HANDLE h = CreateFileA("\\\\.\\TestDev3", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(registry.last.name, "TestDev3");
  EXPECT_EQ(registry.last.desiredAccess, GENERIC_READ | GENERIC_WRITE);
  EXPECT_EQ(registry.last.creationDisposition, OPEN_EXISTING);
  EXPECT_EQ(registry.last.flagsAndAttributes, FILE_FLAG_OVERLAPPED);

  DWORD done = 0;
  ASSERT_TRUE(WriteFile(h, "AT\r", 3, &done, nullptr));
  EXPECT_EQ(done, 3u);
  EXPECT_EQ(std::string(registry.device->written.begin(), registry.device->written.end()), "AT\r");
  EXPECT_TRUE(FlushFileBuffers(h));
  EXPECT_EQ(registry.device->flushes, 1);

  // A pending read: incomplete until the device finishes it, from another thread.
  char buffer[8];
  OVERLAPPED o{};
  EXPECT_FALSE(ReadFile(h, buffer, sizeof buffer, &done, &o));
  EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);
  EXPECT_FALSE(HasOverlappedIoCompleted(&o));
  EXPECT_FALSE(GetOverlappedResult(h, &o, &done, FALSE));
  EXPECT_EQ(GetLastError(), ERROR_IO_INCOMPLETE);
  std::thread finisher([&] { registry.device->FinishOne(5); });
  ASSERT_TRUE(GetOverlappedResult(h, &o, &done, TRUE));
  EXPECT_EQ(done, 5u);
  finisher.join();

  // A cancelled read reports the abort.
  OVERLAPPED cancelled{};
  EXPECT_FALSE(ReadFile(h, buffer, sizeof buffer, &done, &cancelled));
  ASSERT_TRUE(CancelIo(h));
  EXPECT_FALSE(GetOverlappedResult(h, &cancelled, &done, TRUE));
  EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
  EXPECT_EQ(done, 0u);
  CloseHandle(h);

  // The opener's failure, and devices nobody claims.
  EXPECT_EQ(CreateFileA("//./TESTDEV9", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateFileA("\\\\.\\NOSUCH1", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(FileDevice, OverlappedTransfersResetAndSignalTheirEvent) {
  auto device = std::make_shared<PendingDevice>();
  tolvar::kernel::RegisterDeviceOpener("EVDEV", [&](const DeviceOpenRequest&) -> std::shared_ptr<IoObject> { return device; });
  HANDLE h = CreateFileA("\\\\.\\EVDEV1", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);  // manual reset, signalled before the read
  OVERLAPPED o{};
  o.hEvent = event;
  char buffer[4];
  DWORD done = 0;
  EXPECT_FALSE(ReadFile(h, buffer, sizeof buffer, &done, &o));
  EXPECT_EQ(GetLastError(), ERROR_IO_PENDING);
  EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);  // the read reset it
  std::thread finisher([&] { device->FinishOne(2); });
  EXPECT_EQ(WaitForSingleObject(event, 20000), WAIT_OBJECT_0);
  finisher.join();
  ASSERT_TRUE(GetOverlappedResult(h, &o, &done, FALSE));
  EXPECT_EQ(done, 2u);
  CloseHandle(h);
  CloseHandle(event);
}

// A caller that saw the result may reset the event or start the next transfer on it at once: the
// completer must be done with the event by then, or its late signal lands on the next transfer.
TEST(FileDevice, AnEndedTransferHasSignalledItsEventWhenItsResultIsSeen) {
  auto device = std::make_shared<PendingDevice>();
  tolvar::kernel::RegisterDeviceOpener("SEENDEV", [&](const DeviceOpenRequest&) -> std::shared_ptr<IoObject> { return device; });
  HANDLE h = CreateFileA("\\\\.\\SEENDEV1", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  char buffer[4];
  for (int round = 0; round < 300; ++round) {
    OVERLAPPED o{};
    o.hEvent = event;
    DWORD done = 0;
    ASSERT_FALSE(ReadFile(h, buffer, sizeof buffer, &done, &o));
    std::thread finisher([&] { device->FinishOne(1); });
    ASSERT_TRUE(GetOverlappedResult(h, &o, &done, TRUE));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0) << "round " << round;
    finisher.join();
    if (HasFailure()) break;
  }
  CloseHandle(h);
  CloseHandle(event);
}

TEST(FileDevice, IoOnHandlesThatAreNotIoObjects) {
  DWORD done = 0;
  char buffer[1];
  OVERLAPPED o{};
  HANDLE bogus = reinterpret_cast<HANDLE>(0x7FFFFFF0);
  EXPECT_FALSE(ReadFile(bogus, buffer, 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(GetOverlappedResult(bogus, &o, &done, FALSE));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(CancelIo(INVALID_HANDLE_VALUE));
}

}  // namespace
