// CSerialPort on pseudo-terminals and against the simulated phone: open, read, write and close with
// their traffic log lines, a held port, the receive events, a pulled cable and a write that cannot
// finish.
#include "SerialPort.h"
#include "TrafficLog.h"

#include "support/TestHome.h"

#include <PseudoPort.h>
#include <TemporaryHome.h>
#include <phonesim/PhoneSimProcess.h>

#include <base/Time.h>
#include <base/WinError.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>
#include <kernel/Wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
using linkwell::testing::ReadWholeFile;
using linkwell::testing::SetSetting;

// The named receive events, as a waiter such as the link worker opens them.
struct ReceiveEvents {
  ReceiveEvents()
      : first(CreateEventA(nullptr, FALSE, FALSE, "Serial recv event")),
        second(CreateEventA(nullptr, FALSE, FALSE, "Serial recv event2")) {}
  ~ReceiveEvents() {
    CloseHandle(first);
    CloseHandle(second);
  }
  HANDLE first;
  HANDLE second;
};

// The status texts and tags of the log's lines, in order, without their time prefix.
std::vector<std::string> LogEntries(const std::string& home) {
  const std::string text = ReadWholeFile(home + "/drive_c/Tolvar.log");
  std::vector<std::string> entries;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find("\r\n", at);
    const std::string line = text.substr(at, end - at);
    const std::size_t colon = line.find(" : ");
    entries.push_back(colon == std::string::npos ? line : line.substr(colon + 3));
    if (end == std::string::npos) break;
    at = end + 2;
  }
  return entries;
}

class SerialPortTest : public testing::Test {
 protected:
  SerialPortTest() {
    SetSetting("EnableLogging", 1);
    OpenTrafficLog();
  }
  ~SerialPortTest() override { CloseTrafficLog(); }

  std::vector<std::string> Log() {
    CloseTrafficLog();  // the lines are on disk either way; closing keeps the file from changing
    return LogEntries(m_home.Path());
  }

  tolvar::comm::testing::TemporaryHome m_home;
  tolvar::comm::testing::PseudoPort m_line;
};

TEST_F(SerialPortTest, OpenReadWriteCloseAreLogged) {
  ReceiveEvents events;
  CSerialPort port;
  port.SetPortName(m_line.ComName().c_str(), 115200);
  ASSERT_EQ(port.OpenPort(), 0);
  EXPECT_TRUE(port.IsOpen());
  const WORD number = port.GetPortNumber();

  const BYTE out[] = {'A', 'T', '\r', '\n'};
  EXPECT_EQ(port.Write(out, sizeof out), 4);
  EXPECT_EQ(m_line.Receive(4, 1s), "AT\r\n");

  m_line.Send("\rOK\xFC");
  ASSERT_EQ(WaitForSingleObject(events.first, 2000), WAIT_OBJECT_0);
  std::string got;
  for (int i = 0; i < 20 && got.size() < 4; ++i) {
    BYTE buffer[64];
    DWORD count = sizeof buffer;
    const int n = port.Read(buffer, count);
    ASSERT_GE(n, 0);
    EXPECT_EQ(static_cast<DWORD>(n), count);
    got.append(reinterpret_cast<char*>(buffer), count);
  }
  EXPECT_EQ(got, "\rOK\xFC");

  port.ClosePort();
  EXPECT_FALSE(port.IsOpen());
  std::vector<std::string> log = Log();
  // Reads that found nothing write no line.
  const std::vector<std::string> expected = {"Start Open", "Open OK", "Send: AT..", "Recv: .OK.", "Close OK"};
  EXPECT_EQ(log, expected) << "port COM" << number;
}

// The line as an open port leaves it, read back from the terminal: the speed asked for, eight data
// bits, no parity, one stop bit, no flow control of either kind, and bytes passed as they are.
TEST_F(SerialPortTest, OpenSetsTheLineAsThePhoneSpeaksIt) {
  const std::pair<int, speed_t> kSpeeds[] = {{115200, B115200}, {9600, B9600}};
  for (const auto& [baud, speed] : kSpeeds) {
    SCOPED_TRACE(baud);
    CSerialPort port;
    port.SetPortName(m_line.ComName().c_str(), baud);
    ASSERT_EQ(port.OpenPort(), 0);
    termios modes = m_line.SlaveModes();
    EXPECT_EQ(cfgetospeed(&modes), speed);
    EXPECT_EQ(cfgetispeed(&modes), speed);
    EXPECT_EQ(modes.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(modes.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_FALSE(modes.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP));
    EXPECT_FALSE(modes.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(modes.c_oflag & OPOST);
    port.ClosePort();
  }
}

TEST_F(SerialPortTest, AHeldPortFailsToOpenAndStaysReusable) {
  CSerialPort holder, second;
  holder.SetPortName(m_line.ComName().c_str(), 115200);
  second.SetPortName(m_line.ComName().c_str(), 115200);
  ASSERT_EQ(holder.OpenPort(), 0);
  EXPECT_EQ(second.OpenPort(), -1);
  EXPECT_FALSE(second.IsOpen());
  holder.ClosePort();
  EXPECT_EQ(second.OpenPort(), 0);
  second.ClosePort();
  const std::vector<std::string> expected = {"Start Open", "Open OK",   "Start Open", "Open Failed",
                                             "Close OK",   "Start Open", "Open OK",   "Close OK"};
  EXPECT_EQ(Log(), expected);
}

TEST_F(SerialPortTest, AClosedPortRefusesReadsAndWritesAndStillLogsItsClose) {
  CSerialPort port;
  BYTE buffer[8];
  DWORD count = sizeof buffer;
  EXPECT_EQ(port.Read(buffer, count), CSerialPort::kReadClosed);
  EXPECT_EQ(port.Write(buffer, 1), CSerialPort::kWriteFailed);
  port.ClosePort();
  EXPECT_EQ(Log(), std::vector<std::string>{"Close OK"});
}

TEST_F(SerialPortTest, TheEventMaskChoosesWhichEventWakes) {
  ReceiveEvents events;
  CSerialPort port;
  port.SetPortName(m_line.ComName().c_str(), 115200);
  port.SetEventMask(2);
  ASSERT_EQ(port.OpenPort(), 0);
  m_line.Send("OK");
  EXPECT_EQ(WaitForSingleObject(events.second, 2000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(events.first, 200), WAIT_TIMEOUT);
  port.ClosePort();
  // A close on purpose wakes nobody.
  EXPECT_EQ(WaitForSingleObject(events.second, 200), WAIT_TIMEOUT);
}

TEST_F(SerialPortTest, APulledCableClosesThePortAndWakesTheReader) {
  ReceiveEvents events;
  CSerialPort port;
  port.SetPortName(m_line.ComName().c_str(), 115200);
  ASSERT_EQ(port.OpenPort(), 0);
  m_line.HangUp();
  ASSERT_EQ(WaitForSingleObject(events.first, 3000), WAIT_OBJECT_0);
  EXPECT_FALSE(port.IsOpen());
  BYTE buffer[8];
  DWORD count = sizeof buffer;
  EXPECT_EQ(port.Read(buffer, count), CSerialPort::kReadClosed);
  EXPECT_EQ(port.Write(buffer, 1), CSerialPort::kWriteFailed);
  port.ClosePort();
}

TEST_F(SerialPortTest, AWriteThatCannotFinishLeavesNothingPending) {
  CSerialPort port;
  port.SetPortName(m_line.ComName().c_str(), 115200);
  ASSERT_EQ(port.OpenPort(), 0);
  // Nobody reads the far end, so the line fills up and the write runs out of time.
  const std::vector<BYTE> lots(1 << 20, 'x');
  const DWORD start = GetTickCount();
  const int written = port.Write(lots.data(), static_cast<DWORD>(lots.size()));
  const DWORD took = GetTickCount() - start;
  EXPECT_GE(written, 0);
  EXPECT_LT(written, static_cast<int>(lots.size()));
  EXPECT_GE(took, 900u);
  EXPECT_LT(took, 5000u);
  // The cancelled write is over: draining the line shows no more bytes come after what was counted.
  const std::string drained = m_line.Receive(lots.size(), 500ms);
  EXPECT_EQ(drained.size(), static_cast<std::size_t>(written));
  const BYTE ping[] = {'p'};
  EXPECT_EQ(port.Write(ping, 1), 1);
  EXPECT_EQ(m_line.Receive(1, 1s), "p");
  port.ClosePort();
  EXPECT_FALSE(port.IsOpen());
}

TEST(SerialPortPhoneSim, AnswersAtCommands) {
  phonesim::PhoneSimProcess phone;
  ASSERT_TRUE(phone.Start({.model = "Selka"})) << phone.Error();
  setenv("TOLVAR_HOME", phone.Home().c_str(), 1);
  {
    ReceiveEvents events;
    CSerialPort port;
    port.SetPortName(phone.ComName().c_str(), 115200);
    port.SetEventMask(2);
    ASSERT_EQ(port.OpenPort(), 0);
    const std::string command = "AT+GMM\r\n";
    EXPECT_EQ(port.Write(reinterpret_cast<const BYTE*>(command.data()), static_cast<DWORD>(command.size())),
              static_cast<int>(command.size()));
    std::string answer;
    while (answer.find("OK") == std::string::npos && WaitForSingleObject(events.second, 3000) == WAIT_OBJECT_0) {
      for (;;) {
        BYTE buffer[128];
        DWORD count = sizeof buffer;
        if (port.Read(buffer, count) <= 0) break;
        answer.append(reinterpret_cast<char*>(buffer), count);
      }
    }
    EXPECT_NE(answer.find("Selka-X"), std::string::npos) << answer;
    EXPECT_NE(answer.find("OK"), std::string::npos) << answer;
    port.ClosePort();
  }
  unsetenv("TOLVAR_HOME");
}

}  // namespace
