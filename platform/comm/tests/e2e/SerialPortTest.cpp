// Serial ports over pseudo-terminals: the line settings, Windows' read time-outs, event waits,
// overlapped transfers with cancelling, a far end that goes away, and exclusive opening.
#include <comm/Comm.h>
#include <kernel/Sync.h>
#include <kernel/Wait.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include "PseudoPort.h"
#include "TemporaryHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <future>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using tolvar::comm::testing::PseudoPort;
using tolvar::comm::testing::TemporaryHome;

// Waits until the port holds at least `count` received bytes, so a test does not guess how long the
// far end's bytes take to arrive. False when they have not come within two seconds.
bool WaitForQueued(HANDLE port, DWORD count) {
  const auto deadline = Clock::now() + 2s;
  COMSTAT status{};
  while (ClearCommError(port, nullptr, &status) && status.cbInQue < count) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(2ms);
  }
  return status.cbInQue >= count;
}

struct Handle {
  HANDLE h = INVALID_HANDLE_VALUE;
  Handle() = default;
  explicit Handle(HANDLE handle) : h(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { Close(); }
  void Close() {
    if (h != INVALID_HANDLE_VALUE && h != nullptr) CloseHandle(h);
    h = INVALID_HANDLE_VALUE;
  }
  operator HANDLE() const { return h; }
};

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class SerialPortTest : public ::testing::Test {
protected:
  HANDLE Open(DWORD flags = 0) {
    return CreateFileA(line.DeviceName().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, flags,
                       nullptr);
  }
  static void SetTimeouts(HANDLE port, COMMTIMEOUTS timeouts) { ASSERT_TRUE(SetCommTimeouts(port, &timeouts)); }
  static std::string ReadSome(HANDLE port, DWORD count) {
    std::string buffer(count, '\0');
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(port, buffer.data(), count, &got, nullptr)) << GetLastError();
    buffer.resize(got);
    return buffer;
  }

  TemporaryHome home;
  PseudoPort line;
};

TEST_F(SerialPortTest, SetsTheLineAsTheBlockAsksAndTransfersBothWays) {
  Handle port(Open());
  ASSERT_NE(port.h, INVALID_HANDLE_VALUE) << GetLastError();
  ASSERT_TRUE(SetupComm(port, 65536, 65536));

  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  ASSERT_TRUE(GetCommState(port, &dcb));
  dcb.BaudRate = CBR_115200;
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = 1;
  dcb.fParity = 1;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_DISABLE;  // a pseudo-terminal has no RTS line: still no failure
  dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fOutX = dcb.fInX = 0;
  dcb.XonChar = 17;
  dcb.XoffChar = 19;
  ASSERT_TRUE(SetCommState(port, &dcb)) << GetLastError();
  EXPECT_TRUE(EscapeCommFunction(port, SETDTR));
  EXPECT_TRUE(EscapeCommFunction(port, CLRRTS));

  termios modes = line.SlaveModes();
  EXPECT_EQ(cfgetospeed(&modes), B115200);
  EXPECT_EQ(cfgetispeed(&modes), B115200);
  EXPECT_EQ(modes.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_FALSE(modes.c_cflag & (PARENB | CSTOPB | CRTSCTS));
  EXPECT_FALSE(modes.c_iflag & (IXON | IXOFF | ICRNL | INLCR));
  EXPECT_FALSE(modes.c_lflag & (ICANON | ECHO | ISIG));
  EXPECT_FALSE(modes.c_oflag & OPOST);

  DCB back{};
  ASSERT_TRUE(GetCommState(port, &back));
  EXPECT_EQ(back.BaudRate, CBR_115200);
  EXPECT_EQ(back.ByteSize, 8);

  dcb.BaudRate = 14400;  // no such terminal speed: refused, and the line keeps its speed
  EXPECT_FALSE(SetCommState(port, &dcb));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  modes = line.SlaveModes();
  EXPECT_EQ(cfgetospeed(&modes), B115200);

  // Bytes go out as they are, line ends and control bytes included.
  const std::string out("AT\r\n\x16\x10\x00\xFC", 8);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(port, out.data(), static_cast<DWORD>(out.size()), &written, nullptr));
  EXPECT_EQ(written, out.size());
  ASSERT_TRUE(FlushFileBuffers(port));
  EXPECT_EQ(line.Receive(out.size(), 2s), out);

  const std::string in("OK\r\n\x00\x16", 6);
  line.Send(in);
  SetTimeouts(port, {0, 0, 1000, 0, 0});
  std::string got;
  while (got.size() < in.size()) {
    std::string piece = ReadSome(port, static_cast<DWORD>(in.size() - got.size()));
    if (piece.empty()) break;
    got += piece;
  }
  EXPECT_EQ(got, in);
}

TEST_F(SerialPortTest, ReadWithTotalTimeoutReturnsTheBytesSoFarWhenItRunsOut) {
  Handle port(Open());
  ASSERT_NE(port.h, INVALID_HANDLE_VALUE);
  SetTimeouts(port, {0, 0, 300, 0, 0});
  line.Send("ab");
  auto start = Clock::now();
  EXPECT_EQ(ReadSome(port, 10), "ab");
  auto elapsed = MsSince(start);
  EXPECT_GE(elapsed, 280);
  EXPECT_LT(elapsed, 2000);
}

// Each row: the time-outs, what the far end has sent before the read, what it sends 150 ms into
// the read, the bytes asked for, what the read returns and about when.
TEST_F(SerialPortTest, ReadTimeoutCombinationsBehaveAsOnWindows) {
  struct Case {
    const char* name;
    COMMTIMEOUTS timeouts;
    const char* before;
    const char* later;
    DWORD asked;
    const char* expected;
    long long atLeastMs;
    long long aboutMs;
  };
  const Case cases[] = {
      {"interval MAXDWORD: at once with nothing", {MAXDWORD, 0, 0, 0, 0}, "", "x", 8, "", 0, 0},
      {"interval MAXDWORD: at once with what is there", {MAXDWORD, 0, 0, 0, 0}, "xy", "z", 8, "xy", 0, 0},
      {"MAXDWORD, MAXDWORD, N: at once when bytes are there", {MAXDWORD, MAXDWORD, 1000, 0, 0}, "ab", "c", 8, "ab", 0, 0},
      {"MAXDWORD, MAXDWORD, N: with the first bytes that come", {MAXDWORD, MAXDWORD, 1000, 0, 0}, "", "c", 8, "c", 130, 150},
      {"MAXDWORD, MAXDWORD, N: nothing after N", {MAXDWORD, MAXDWORD, 300, 0, 0}, "", "", 8, "", 280, 300},
      {"all zero: waits for every byte", {0, 0, 0, 0, 0}, "abc", "de", 5, "abcde", 130, 150},
      {"interval: ends a pause after the first bytes", {50, 0, 0, 0, 0}, "abc", "", 8, "abc", 40, 50},
      {"total: multiplier times length plus constant", {0, 20, 100, 0, 0}, "a", "", 10, "a", 280, 300},
      {"total and interval, as a link port sets them", {2, 0, 20, 0, 0}, "", "", 512, "", 15, 20},
  };
  Handle port(Open());
  ASSERT_NE(port.h, INVALID_HANDLE_VALUE);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(PurgeComm(port, PURGE_RXCLEAR));
    SetTimeouts(port, c.timeouts);
    line.Send(c.before);
    ASSERT_TRUE(WaitForQueued(port, static_cast<DWORD>(std::string_view(c.before).size())));
    std::jthread far([&] {
      std::this_thread::sleep_for(150ms);
      line.Send(c.later);
    });
    auto start = Clock::now();
    EXPECT_EQ(ReadSome(port, c.asked), c.expected);
    auto elapsed = MsSince(start);
    EXPECT_GE(elapsed, c.atLeastMs);
    EXPECT_LT(elapsed, c.aboutMs + 1000);
  }
}

TEST_F(SerialPortTest, WaitCommEventWakesOncePerArrivalAndSleepsWhenNothingComes) {
  Handle port(Open(FILE_FLAG_OVERLAPPED));
  ASSERT_NE(port.h, INVALID_HANDLE_VALUE);
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(SetCommMask(port, EV_RXCHAR));
  DWORD mask = 0;
  ASSERT_TRUE(GetCommMask(port, &mask));
  EXPECT_EQ(mask, EV_RXCHAR);

  OVERLAPPED o{};
  o.hEvent = event;
  DWORD events = 0xDEAD;
  for (const char* arrival : {"a", "bc"}) {
    SCOPED_TRACE(arrival);
    ASSERT_FALSE(WaitCommEvent(port, &events, &o));
    ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
    EXPECT_EQ(WaitForSingleObject(event, 300), static_cast<DWORD>(WAIT_TIMEOUT));  // nothing came
    line.Send(arrival);
    ASSERT_EQ(WaitForSingleObject(event, 2000), WAIT_OBJECT_0);
    DWORD transferred = 0;
    ASSERT_TRUE(GetOverlappedResult(port, &o, &transferred, FALSE));
    EXPECT_EQ(events, EV_RXCHAR);
    // The bytes stay unread; that is no new arrival.
  }

  // Arrivals while no wait is pending are remembered as one event.
  line.Send("d");
  ASSERT_TRUE(WaitForQueued(port, 4));
  line.Send("e");
  ASSERT_TRUE(WaitForQueued(port, 5));
  events = 0;
  EXPECT_TRUE(WaitCommEvent(port, &events, &o));
  EXPECT_EQ(events, EV_RXCHAR);
  ASSERT_FALSE(WaitCommEvent(port, &events, &o));
  ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
  EXPECT_EQ(WaitForSingleObject(event, 300), static_cast<DWORD>(WAIT_TIMEOUT));

  // A new mask ends the pending wait with no event.
  ASSERT_TRUE(SetCommMask(port, EV_RXCHAR));
  ASSERT_EQ(WaitForSingleObject(event, 2000), WAIT_OBJECT_0);
  DWORD transferred = 0;
  EXPECT_TRUE(GetOverlappedResult(port, &o, &transferred, TRUE));
  EXPECT_EQ(events, 0u);

  COMSTAT status{};
  DWORD errors = 1;
  ASSERT_TRUE(ClearCommError(port, &errors, &status));
  EXPECT_EQ(errors, 0u);
  EXPECT_EQ(status.cbInQue, 5u);
  EXPECT_FALSE(SetCommMask(port, 0x0004));  // only received characters are reported here
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(SerialPortTest, OverlappedReadCompletesLaterAndCancelIoAbortsItWithoutLosingBytes) {
  Handle port(Open(FILE_FLAG_OVERLAPPED));
  ASSERT_NE(port.h, INVALID_HANDLE_VALUE);
  SetTimeouts(port, {0, 0, 0, 0, 0});
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED o{};
  o.hEvent = event;
  char buffer[16] = {};
  DWORD got = 0;

  ASSERT_FALSE(ReadFile(port, buffer, 3, &got, &o));
  ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
  EXPECT_FALSE(GetOverlappedResult(port, &o, &got, FALSE));
  EXPECT_EQ(GetLastError(), ERROR_IO_INCOMPLETE);
  line.Send("xyz");
  ASSERT_TRUE(GetOverlappedResult(port, &o, &got, TRUE));
  EXPECT_EQ(std::string(buffer, got), "xyz");

  ASSERT_FALSE(ReadFile(port, buffer, 3, &got, &o));
  ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
  ASSERT_TRUE(CancelIo(port));
  EXPECT_FALSE(GetOverlappedResult(port, &o, &got, TRUE));
  EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
  EXPECT_EQ(got, 0u);

  // The cancelled read took nothing: the next bytes go to the next read.
  line.Send("uvw");
  if (!ReadFile(port, buffer, 3, &got, &o)) {  // the bytes may be there already: done at once
    ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
    ASSERT_TRUE(GetOverlappedResult(port, &o, &got, TRUE));
  }
  EXPECT_EQ(std::string(buffer, got), "uvw");

  // Overlapped writes complete through the same record.
  DWORD written = 0;
  BOOL done = WriteFile(port, "hello", 5, &written, &o);
  if (!done) {
    ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
    ASSERT_TRUE(GetOverlappedResult(port, &o, &written, TRUE));
  }
  EXPECT_EQ(written, 5u);
  EXPECT_EQ(line.Receive(5, 2s), "hello");
}

TEST_F(SerialPortTest, PurgeAbortsPendingTransfersAndClearsTheQueues) {
  Handle port(Open(FILE_FLAG_OVERLAPPED));
  ASSERT_NE(port.h, INVALID_HANDLE_VALUE);
  SetTimeouts(port, {0, 0, 0, 0, 0});
  OVERLAPPED readO{};
  char buffer[8];
  DWORD got = 0;
  ASSERT_FALSE(ReadFile(port, buffer, sizeof buffer, &got, &readO));
  ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);

  // The far end does not read: a large write stays pending until aborted.
  std::string big(1 << 20, 'w');
  OVERLAPPED writeO{};
  DWORD written = 0;
  ASSERT_FALSE(WriteFile(port, big.data(), static_cast<DWORD>(big.size()), &written, &writeO));
  ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
  COMSTAT status{};
  ASSERT_TRUE(ClearCommError(port, nullptr, &status));
  EXPECT_GT(status.cbOutQue, 0u);

  ASSERT_TRUE(PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR));
  EXPECT_FALSE(GetOverlappedResult(port, &readO, &got, TRUE));
  EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
  EXPECT_FALSE(GetOverlappedResult(port, &writeO, &written, TRUE));
  EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
  EXPECT_LT(written, big.size());

  // Received bytes that nobody read are dropped by PURGE_RXCLEAR.
  line.Receive(big.size(), 200ms);
  line.Send("old");
  ASSERT_TRUE(WaitForQueued(port, 3));
  ASSERT_TRUE(ClearCommError(port, nullptr, &status));
  EXPECT_EQ(status.cbInQue, 3u);
  ASSERT_TRUE(PurgeComm(port, PURGE_RXCLEAR));
  ASSERT_TRUE(ClearCommError(port, nullptr, &status));
  EXPECT_EQ(status.cbInQue, 0u);
}

TEST_F(SerialPortTest, WriteTimeoutReturnsWhatWentOut) {
  Handle port(Open());
  ASSERT_NE(port.h, INVALID_HANDLE_VALUE);
  SetTimeouts(port, {0, 0, 0, 0, 200});
  std::string big(1 << 20, 'w');
  DWORD written = 0;
  auto start = Clock::now();
  ASSERT_TRUE(WriteFile(port, big.data(), static_cast<DWORD>(big.size()), &written, nullptr));
  EXPECT_GE(MsSince(start), 180);
  EXPECT_LT(written, big.size());
}

TEST_F(SerialPortTest, FarEndGoingAwayEndsPendingWorkWithErrorsAndNeverHangs) {
  Handle port(Open(FILE_FLAG_OVERLAPPED));
  ASSERT_NE(port.h, INVALID_HANDLE_VALUE);
  SetTimeouts(port, {0, 0, 0, 0, 0});
  ASSERT_TRUE(SetCommMask(port, EV_RXCHAR));
  Handle waitEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED waitO{};
  waitO.hEvent = waitEvent;
  DWORD events = 0xDEAD;
  ASSERT_FALSE(WaitCommEvent(port, &events, &waitO));
  ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
  OVERLAPPED readO{};
  char buffer[8];
  DWORD got = 0;
  ASSERT_FALSE(ReadFile(port, buffer, sizeof buffer, &got, &readO));
  ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);

  line.HangUp();

  ASSERT_EQ(WaitForSingleObject(waitEvent, 5000), WAIT_OBJECT_0);
  DWORD transferred = 0;
  EXPECT_FALSE(GetOverlappedResult(port, &waitO, &transferred, FALSE));
  EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
  EXPECT_EQ(events, 0u);
  EXPECT_FALSE(GetOverlappedResult(port, &readO, &got, TRUE));
  EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);

  // From now on every call fails at once, so a receive loop ends instead of spinning.
  EXPECT_FALSE(WaitCommEvent(port, &events, &waitO));
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
  EXPECT_FALSE(ReadFile(port, buffer, sizeof buffer, &got, &readO));
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
  EXPECT_FALSE(WriteFile(port, "x", 1, &got, &readO));
  EXPECT_EQ(GetLastError(), ERROR_GEN_FAILURE);
  COMSTAT status{};
  EXPECT_FALSE(ClearCommError(port, nullptr, &status));
}

TEST_F(SerialPortTest, FarEndGoingAwayEndsABlockingRead) {
  Handle port(Open());
  ASSERT_NE(port.h, INVALID_HANDLE_VALUE);
  SetTimeouts(port, {0, 0, 0, 0, 0});
  auto reader = std::async(std::launch::async, [&] {
    char buffer[8];
    DWORD got = 0;
    BOOL ok = ReadFile(port, buffer, sizeof buffer, &got, nullptr);
    return ok ? ERROR_SUCCESS : GetLastError();
  });
  std::this_thread::sleep_for(100ms);
  line.HangUp();
  ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(reader.get(), ERROR_OPERATION_ABORTED);
}

TEST_F(SerialPortTest, ClosingTheHandleEndsEveryPendingWaitAndFreesThePort) {
  Handle port(Open(FILE_FLAG_OVERLAPPED));
  ASSERT_NE(port.h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetCommMask(port, EV_RXCHAR));
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  OVERLAPPED o{};
  o.hEvent = event;
  DWORD events = 0xDEAD;
  ASSERT_FALSE(WaitCommEvent(port, &events, &o));
  ASSERT_EQ(GetLastError(), ERROR_IO_PENDING);
  port.Close();
  ASSERT_EQ(WaitForSingleObject(event, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(o.Internal, ERROR_OPERATION_ABORTED);

  // A blocking wait on another thread ends too when the handle goes.
  Handle blocking(Open());
  ASSERT_NE(blocking.h, INVALID_HANDLE_VALUE) << "a closed port opens again at once";
  ASSERT_TRUE(SetCommMask(blocking, EV_RXCHAR));
  auto waiter = std::async(std::launch::async, [&, h = blocking.h] {
    DWORD mask = 0;
    return WaitCommEvent(h, &mask, nullptr) ? ERROR_SUCCESS : GetLastError();
  });
  std::this_thread::sleep_for(100ms);
  blocking.Close();
  ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(waiter.get(), ERROR_OPERATION_ABORTED);
}

TEST_F(SerialPortTest, OpeningAPortOnlyToProbeItLeavesTheLineAsItWas) {
  termios before = line.SlaveModes();
  ASSERT_TRUE(before.c_lflag & ICANON);  // a fresh terminal line is cooked
  Handle port(Open());
  ASSERT_NE(port.h, INVALID_HANDLE_VALUE);
  port.Close();
  termios after = line.SlaveModes();
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
}

TEST_F(SerialPortTest, APortHeldElsewhereCannotBeOpenedAgain) {
  Handle first(Open());
  ASSERT_NE(first.h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);

  auto run = [&](const char* program = "comm_child_open_port") {
    const auto child = std::filesystem::read_symlink("/proc/self/exe").parent_path() / program;
    std::string command = child.string() + " '" + line.DeviceName() + "'";
    FILE* output = popen(command.c_str(), "r");
    char text[64] = {};
    if (output) {
      if (!fgets(text, sizeof text, output)) text[0] = 0;
      pclose(output);
    }
    return std::string(text);
  };
  EXPECT_EQ(run(), "5\n");  // ERROR_ACCESS_DENIED in the other process too
  first.Close();
  EXPECT_EQ(run(), "opened\n");
  // A program not linked with the serial module opens the port all the same: the kernel loads the
  // module that provides COM devices when no opener has been registered.
  EXPECT_EQ(run("comm_child_open_by_name"), "opened\n");

  EXPECT_EQ(CreateFileA("\\\\.\\COM99", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

}  // namespace
