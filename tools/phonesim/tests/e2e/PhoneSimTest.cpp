// The simulated phone as the PC sees it: a child process on a pseudo-terminal, driven through
// plain termios the way a serial port is.
#include <phonesim/PhoneSimProcess.h>
#include <registry/SerialDevices.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace std::string_literals;
using Clock = std::chrono::steady_clock;
using phonesim::Fault;
using phonesim::PhoneSimProcess;

namespace {

const std::string kWakeUpParts[] = {"AT*TRACE\r", std::string(92, '\x16'), "V\x16L\x16", "Z\x16"};

// The PC's end: the slave device opened and set up as the suite's serial port sets it up.
class Port {
 public:
  ~Port() { Close(); }

  bool Open(const std::string& path) {
    m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    if (m_fd < 0) return false;
    termios modes{};
    tcgetattr(m_fd, &modes);
    cfmakeraw(&modes);
    cfsetspeed(&modes, B115200);
    modes.c_cc[VMIN] = 0;
    modes.c_cc[VTIME] = 0;
    tcsetattr(m_fd, TCSANOW, &modes);
    tcflush(m_fd, TCIOFLUSH);
    return true;
  }

  void Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_hungUp = false;
  }

  void Write(const std::string& bytes) { ASSERT_EQ(::write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }

  // Reads until the bytes end with the terminator, or the time runs out: generous, since a phone
  // just started on a loaded machine can take seconds to answer its first line.
  std::string ReadUntil(const std::string& terminator, std::chrono::milliseconds limit = 10000ms) {
    std::string got;
    const auto deadline = Clock::now() + limit;
    while (!got.ends_with(terminator) && ReadSome(got, deadline) > 0) {}
    return got;
  }

  // Everything that arrives within the time.
  std::string ReadFor(std::chrono::milliseconds time) {
    std::string got;
    const auto deadline = Clock::now() + time;
    while (ReadSome(got, deadline) >= 0 && Clock::now() < deadline) {}
    return got;
  }

  // Reads one frame (up to a SYN that no DLE escapes).
  std::string ReadFrame(std::chrono::milliseconds limit = 10000ms) {
    std::string got;
    const auto deadline = Clock::now() + limit;
    while (ReadSome(got, deadline, 1) > 0) {
      if (EndsFrame(got)) break;
    }
    return got;
  }

  // -1 on a failed read (the line was dropped), 0 when the time ran out, else the bytes read.
  int ReadSome(std::string& into, Clock::time_point deadline, std::size_t most = 4096) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return 0;
    pollfd fd{m_fd, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) return 0;
    if (fd.revents & POLLHUP) m_hungUp = true;
    char buffer[4096];
    const ssize_t n = ::read(m_fd, buffer, std::min(most, sizeof buffer));
    if (n < 0 && errno == EAGAIN) return 0;
    if (n <= 0) return -1;  // a hung-up line reads as its end
    into.append(buffer, static_cast<std::size_t>(n));
    return static_cast<int>(n);
  }

  void WakeUp() {
    for (const std::string& part : kWakeUpParts) Write(part);
    std::this_thread::sleep_for(100ms);
    ReadFor(50ms);  // the echo and the OK of "AT*TRACE"
  }

  int Descriptor() const { return m_fd; }
  // Whether the phone's end hung up: the port reports HUP and reads give nothing more.
  bool HungUp() const { return m_hungUp; }

 private:
  // Whether the bytes end in a SYN that closes a frame: one preceded by an even run of DLEs.
  static bool EndsFrame(const std::string& bytes) {
    if (bytes.empty() || bytes.back() != '\x16') return false;
    std::size_t run = 0;
    for (std::size_t i = bytes.size() - 1; i > 0 && bytes[i - 1] == '\x10'; --i) ++run;
    return run % 2 == 0;
  }

  int m_fd = -1;
  bool m_hungUp = false;
};

std::string Frame(const std::string& text) {
  std::string frame = "\0"s;
  for (char c : text) {
    if (c == '\x10' || c == '\x16') frame.push_back('\x10');
    frame.push_back(c);
  }
  return frame + "\x16";
}

std::string Reply(const std::string& text) { return "\xFC"s + text + "\n\x16"; }

class PhoneSim : public ::testing::Test {
 protected:
  void Start(phonesim::PhoneSimOptions options = {}) {
    ASSERT_TRUE(m_phone.Start(options)) << m_phone.Error();
    ASSERT_TRUE(m_port.Open(m_phone.DevicePath())) << m_phone.DevicePath();
  }

  // Wakes the phone and opens its command set.
  void EnterCommandMode(const std::string& code) {
    m_port.WakeUp();
    m_port.Write(Frame("UsePteCommand," + code));
    ASSERT_EQ(m_port.ReadFrame(), Reply("UsePteCommand:RET:1"));
  }

  PhoneSimProcess m_phone;
  Port m_port;
};

}  // namespace

TEST_F(PhoneSim, IsListedAsAComPortOfItsHomeWhileItRuns) {
  Start();
  ASSERT_TRUE(m_phone.ComName().starts_with("COM")) << m_phone.ComName();
  const std::string home = m_phone.Home();
  setenv("TOLVAR_HOME", home.c_str(), 1);
  EXPECT_EQ(tolvar::registry::DevicePathForComName(m_phone.ComName()), m_phone.DevicePath());
  m_port.Close();
  m_phone.Stop();
  // The temporary home is gone with it; a home of the test's own keeps its registry, without the port.
  EXPECT_FALSE(std::filesystem::exists(home));
  const std::string own = std::filesystem::temp_directory_path() / ("phonesim-own-" + std::to_string(::getpid()));
  ASSERT_TRUE(m_phone.Start({.home = own})) << m_phone.Error();
  const std::string path = m_phone.DevicePath();
  m_phone.Stop();
  setenv("TOLVAR_HOME", own.c_str(), 1);
  for (const auto& [device, name] : tolvar::registry::ListSerialDevices()) EXPECT_NE(device, path) << name;
  unsetenv("TOLVAR_HOME");
  std::filesystem::remove_all(own);
}

TEST_F(PhoneSim, AnswersTheAtIdentificationOfEveryModelRow) {
  const struct { const char* row; const char* model; } rows[] = {
      {"1", "Ostrel-100"}, {"2", "Pimsy-S"}, {"3", "Quarn2"}, {"4", "Ruvel-E"}, {"5", "Selka-X"}, {"6", "Tavik-D"},
      {"7", "Ulmar-U"},    {"8", "Vesk-D"},  {"9", "Wirra-C"}, {"10", "Yorne-E"}, {"11", "Zenno-M"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.model);
    Start({.model = row.row});
    m_port.Write("ATE1\r");
    EXPECT_EQ(m_port.ReadUntil("OK\r\n"), "ATE1\r\r\nOK\r\n");
    m_port.Write("AT+GMM\r");
    EXPECT_EQ(m_port.ReadUntil("OK\r\n"), "AT+GMM\r\r\n"s + row.model + "\r\n\r\nOK\r\n");
    m_port.Write("AT+GMI\r");
    EXPECT_EQ(m_port.ReadUntil("OK\r\n"), "AT+GMI\r\r\nHalvane\r\n\r\nOK\r\n");
    m_port.Write("AT+CGMR\r");
    EXPECT_EQ(m_port.ReadUntil("ERROR\r\n"), "AT+CGMR\r\r\nERROR\r\n");
    m_port.Close();
    m_phone.Stop();
  }
}

TEST_F(PhoneSim, ExactWakeUpEntersCommandModeAndTheFirstCommandsAnswer) {
  Start({.model = "Tavik", .arguments = {"--off-time", "400"}});
  // A wake-up one SYN short leaves a modem, which ignores the frame and answers AT.
  m_port.Write("AT*TRACE\r");
  m_port.Write(std::string(91, '\x16'));
  m_port.Write("V\x16L\x16");
  m_port.Write("Z\x16");
  m_port.ReadFor(100ms);
  m_port.Write(Frame("UsePteCommand,00129"));
  EXPECT_EQ(m_port.ReadFor(300ms), Frame("UsePteCommand,00129"));  // echoed, not answered
  m_port.Write("\rAT\r");
  EXPECT_EQ(m_port.ReadUntil("OK\r\n"), "\rAT\r\r\nOK\r\n");

  // The exact wake-up, written in its four parts.
  m_port.WakeUp();
  m_port.Write(Frame("ShowSwVersion"));
  EXPECT_EQ(m_port.ReadFrame(), "\xFCShowSwVersion:ERROR:2\n\x16"s);
  m_port.Write(Frame("UsePteCommand,00126"));
  EXPECT_EQ(m_port.ReadFrame(), "\xFCUsePteCommand:RET:0\n\x16"s);
  m_port.Write(Frame("UsePteCommand,00129"));
  EXPECT_EQ(m_port.ReadFrame(), "\xFCUsePteCommand:RET:1\n\x16"s);
  m_port.Write(Frame("ShowSwVersion"));
  EXPECT_EQ(m_port.ReadFrame(), "\xFCShowSwVersion:RET:ZDE_0402\n\x16"s);
  // Escaped bytes travel both ways: the unknown name comes back in the error, escaped again.
  m_port.Write(Frame("Odd\x16\x10"));
  EXPECT_EQ(m_port.ReadFrame(), "\xFCOdd\x10\x16\x10\x10:ERROR:1\n\x16"s);
  // A frame longer than any command is dropped whole; the next one is answered.
  m_port.Write(Frame(std::string(9000, 'x')) + Frame("ShowSwVersion"));
  EXPECT_EQ(m_port.ReadFrame(), "\xFCShowSwVersion:RET:ZDE_0402\n\x16"s);

  m_port.Write(Frame("PowerOff"));
  EXPECT_EQ(m_port.ReadFrame(), "\xFCPowerOff:DONE\n\x16"s);
  // Off: nothing is answered, neither frames nor AT commands ...
  m_port.Write(Frame("ShowSwVersion") + "AT\r");
  EXPECT_EQ(m_port.ReadFor(200ms), "");
  // ... until it is on again, as a modem.
  std::this_thread::sleep_for(300ms);
  m_port.Write("AT\r");
  EXPECT_EQ(m_port.ReadUntil("OK\r\n"), "AT\r\r\nOK\r\n");
}

TEST_F(PhoneSim, PacesItsAnswersAtTheBaudRate) {
  Start({.model = "Selka"});
  EnterCommandMode("00129");
  // An unknown command of 1141 characters is answered with a frame of exactly 1152 bytes, which at
  // 11,520 bytes a second takes 100 ms on the wire; the command itself takes 99 ms to arrive.
  const std::string name(1141, 'N');
  const auto sent = Clock::now();
  m_port.Write(Frame(name));
  std::string reply;
  ASSERT_GT(m_port.ReadSome(reply, sent + 3s), 0);
  while (reply.size() < 1152 && m_port.ReadSome(reply, sent + 3s) > 0) {}
  const auto last = Clock::now();
  ASSERT_EQ(reply, Reply(name + ":ERROR:1"));
  // Measured from before the command went out, which a paused reader can only lengthen; the time
  // between the first and the last bytes read is not, since a reader paused after its first read
  // finds the rest already there.
  EXPECT_GE(last - sent, 170ms);
}

TEST_F(PhoneSim, StaysSilentWhenToldAndSpeaksAgain) {
  Start({.arguments = {"--silent"}});
  m_port.Write("ATE1\r");
  EXPECT_EQ(m_port.ReadFor(300ms), "");
  ASSERT_TRUE(m_phone.SetFault(Fault::Silent, 0)) << m_phone.Error();
  m_port.Write("AT\r");
  EXPECT_EQ(m_port.ReadUntil("OK\r\n"), "AT\r\r\nOK\r\n");

  // Swallowing a count of answers: the first copy of a command goes unanswered, the second not.
  EnterCommandMode("00126");
  ASSERT_TRUE(m_phone.SetFault(Fault::SilentAnswers, 1)) << m_phone.Error();
  m_port.Write(Frame("ShowSwVersion"));
  EXPECT_EQ(m_port.ReadFor(300ms), "");
  m_port.Write(Frame("ShowSwVersion"));
  EXPECT_EQ(m_port.ReadFrame(), Reply("ShowSwVersion:RET:YAA_0412"));
}

TEST_F(PhoneSim, AnswersLateWhenToldButEchoesAtOnce) {
  Start();
  ASSERT_TRUE(m_phone.SetFault(Fault::Late, 400)) << m_phone.Error();
  const auto sent = Clock::now();
  m_port.Write("AT+GMI\r");
  std::string got;
  ASSERT_GT(m_port.ReadSome(got, sent + 3s), 0);
  EXPECT_LT(Clock::now() - sent, 300ms);  // the echo, long before the answer
  while (!got.ends_with("OK\r\n") && m_port.ReadSome(got, sent + 3s) > 0) {}
  EXPECT_GE(Clock::now() - sent, 400ms);
  EXPECT_EQ(got, "AT+GMI\r\r\nHalvane\r\n\r\nOK\r\n");

  ASSERT_TRUE(m_phone.SetFault(Fault::Late, 0));
  EnterCommandMode("00126");
  EXPECT_FALSE(m_phone.SetFault(Fault::Late, -1));  // refused, and said why
  EXPECT_NE(m_phone.Error().find("delay"), std::string::npos) << m_phone.Error();
}

TEST_F(PhoneSim, AnswersGarbageInsteadOfFramesWhenTold) {
  Start({.model = "Zenno"});
  EnterCommandMode("00130");
  ASSERT_TRUE(m_phone.SetFault(Fault::Garbage, 1)) << m_phone.Error();
  m_port.Write(Frame("ShowSwVersion"));
  const std::string garbage = m_port.ReadFrame();
  const std::string real = Reply("ShowSwVersion:RET:MZE_0107");
  ASSERT_EQ(garbage.size(), real.size());
  EXPECT_EQ(garbage.back(), '\x16');
  EXPECT_EQ(garbage.find('\xFC'), std::string::npos);
  ASSERT_TRUE(m_phone.SetFault(Fault::Garbage, 0));
  m_port.Write(Frame("ShowSwVersion"));
  EXPECT_EQ(m_port.ReadFrame(), real);
}

TEST_F(PhoneSim, DropsTheLineAfterTheBytesItWasToldToSend) {
  Start();
  ASSERT_TRUE(m_phone.SetFault(Fault::DropAfterSent, 12)) << m_phone.Error();
  m_port.Write("AT+GMM\r");
  std::string got;
  const auto deadline = Clock::now() + 3s;
  while (m_port.ReadSome(got, deadline) > 0) {}
  EXPECT_EQ(got, "AT+GMM\r\r\nOst");
  EXPECT_TRUE(m_port.HungUp());
  EXPECT_EQ(::write(m_port.Descriptor(), "AT\r", 3), -1);
  EXPECT_EQ(errno, EIO);
  // Once down it stays down; another drop is refused.
  EXPECT_FALSE(m_phone.SetFault(Fault::DropAfterSent, 1));
}

TEST_F(PhoneSim, DropsTheLineAfterTheBytesItWasToldToReceive) {
  Start({.arguments = {"--drop-after-received", "3"}});
  m_port.Write("ATE0\r");
  std::string got;
  EXPECT_EQ(m_port.ReadSome(got, Clock::now() + 3s), -1);
  EXPECT_TRUE(m_port.HungUp());
  EXPECT_EQ(got, "");  // the phone heard "ATE" and nothing more, so it never answered
}

TEST_F(PhoneSim, ComesBackUnderTheSameComNameWhenReconnected) {
  Start({.model = "Tavik"});
  setenv("TOLVAR_HOME", m_phone.Home().c_str(), 1);
  EXPECT_FALSE(m_phone.Control("reconnect"));  // the line is up
  ASSERT_TRUE(m_phone.SetFault(Fault::DropAfterSent, 0));
  std::string got;
  while (m_port.ReadSome(got, Clock::now() + 2s) > 0) {}
  ASSERT_TRUE(m_port.HungUp());
  m_port.Close();

  ASSERT_TRUE(m_phone.Control("reconnect"));
  const std::optional<std::string> path = tolvar::registry::DevicePathForComName(m_phone.ComName());
  ASSERT_TRUE(path.has_value());
  ASSERT_TRUE(m_port.Open(*path)) << *path;
  m_port.Write("AT+GMM\r");
  EXPECT_EQ(m_port.ReadUntil("OK\r\n"), "AT+GMM\r\r\nTavik-D\r\n\r\nOK\r\n");
  unsetenv("TOLVAR_HOME");
}

TEST_F(PhoneSim, KeepsServingAcrossClosesAndReopensWithoutSpinning) {
  rusage before{};
  getrusage(RUSAGE_CHILDREN, &before);
  Start();
  for (int i = 0; i < 3; ++i) {
    m_port.Write("AT\r");
    EXPECT_EQ(m_port.ReadUntil("OK\r\n"), "AT\r\r\nOK\r\n");
    m_port.Close();
    ASSERT_TRUE(m_port.Open(m_phone.DevicePath()));
  }
  // Answers that come due while the port is closed go nowhere, as on a cable into a closed port.
  ASSERT_TRUE(m_phone.SetFault(Fault::Late, 200));
  m_port.Write("AT\r");
  EXPECT_EQ(m_port.ReadFor(50ms), "AT\r");
  m_port.Close();
  std::this_thread::sleep_for(1000ms);  // nobody has the port open
  ASSERT_TRUE(m_port.Open(m_phone.DevicePath()));
  EXPECT_EQ(m_port.ReadFor(100ms), "");
  m_port.Close();
  m_phone.Stop();
  rusage after{};
  getrusage(RUSAGE_CHILDREN, &after);
  const auto cpu = [](const rusage& r) {
    return std::chrono::seconds(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           std::chrono::microseconds(r.ru_utime.tv_usec + r.ru_stime.tv_usec);
  };
  // A loop spinning on the master's hang-up would have burnt about a second of processor time.
  EXPECT_LT(cpu(after) - cpu(before), 600ms);
}

TEST(PhoneSimDevice, ServesAGivenSerialDeviceAtItsBaudRate) {
  // A pseudo-terminal stands in for the cable: phonesim gets the slave as its device and the test
  // is the PC at the master.
  const int pc = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(pc, 0);
  ASSERT_EQ(grantpt(pc), 0);
  ASSERT_EQ(unlockpt(pc), 0);
  const std::string device = ptsname(pc);
  PhoneSimProcess phone;
  ASSERT_TRUE(phone.Start({.model = "Wirra", .arguments = {"--device", device, "--baud", "9600"}})) << phone.Error();
  EXPECT_EQ(phone.DevicePath(), device);
  termios modes{};
  tcgetattr(pc, &modes);
  cfmakeraw(&modes);
  tcsetattr(pc, TCSANOW, &modes);

  // 26 bytes of echo and answer at 960 bytes a second take about 27 ms after the command's own 7.
  const auto sent = Clock::now();
  ASSERT_EQ(::write(pc, "AT+GMM\r", 7), 7);
  std::string got;
  while (!got.ends_with("OK\r\n") && Clock::now() - sent < 3s) {
    pollfd fd{pc, POLLIN, 0};
    if (::poll(&fd, 1, 100) <= 0) continue;
    char buffer[64];
    const ssize_t n = ::read(pc, buffer, sizeof buffer);
    if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
  }
  EXPECT_EQ(got, "AT+GMM\r\r\nWirra-C\r\n\r\nOK\r\n");
  EXPECT_GE(Clock::now() - sent, 30ms);
  phone.Stop();
  ::close(pc);
}
