#include "SerialLine.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace phonesim {

namespace {

std::string Reason(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

std::optional<speed_t> SpeedConstant(int baud) {
  constexpr std::array<std::pair<int, speed_t>, 9> speeds{{{1200, B1200}, {2400, B2400}, {4800, B4800},
                                                            {9600, B9600}, {19200, B19200}, {38400, B38400},
                                                            {57600, B57600}, {115200, B115200}, {230400, B230400}}};
  for (const auto& [rate, constant] : speeds) {
    if (rate == baud) return constant;
  }
  return std::nullopt;
}

}  // namespace

SerialLine::SerialLine(int fd, std::string path, bool pseudo, int baud)
    : m_fd(fd), m_path(std::move(path)), m_pseudo(pseudo), m_baud(baud) {}

SerialLine::~SerialLine() {
  if (m_fd >= 0) ::close(m_fd);
}

std::unique_ptr<SerialLine> SerialLine::OpenPseudoTerminal(std::string& error) {
  const int fd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = Reason("posix_openpt");
    return nullptr;
  }
  char name[128];
  if (grantpt(fd) != 0 || unlockpt(fd) != 0 || ptsname_r(fd, name, sizeof name) != 0) {
    error = Reason("cannot prepare the pseudo-terminal");
    ::close(fd);
    return nullptr;
  }
  // Raw from the start, so that nothing the phone sends is echoed or translated before the PC
  // side sets its own modes.
  termios modes{};
  if (tcgetattr(fd, &modes) == 0) {
    cfmakeraw(&modes);
    cfsetspeed(&modes, B115200);
    tcsetattr(fd, TCSANOW, &modes);
  }
  return std::unique_ptr<SerialLine>(new SerialLine(fd, name, true, 0));
}

std::unique_ptr<SerialLine> SerialLine::OpenDevice(const std::string& path, int baud, std::string& error) {
  const std::optional<speed_t> speed = SpeedConstant(baud);
  if (!speed) {
    error = "a serial device cannot run at " + std::to_string(baud) + " baud";
    return nullptr;
  }
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = Reason(path.c_str());
    return nullptr;
  }
  termios modes{};
  if (tcgetattr(fd, &modes) != 0) {
    error = Reason("not a serial device");
    ::close(fd);
    return nullptr;
  }
  cfmakeraw(&modes);
  modes.c_cflag |= CLOCAL | CREAD | HUPCL;
  modes.c_cflag &= ~(CRTSCTS | CSTOPB | PARENB);
  cfsetspeed(&modes, *speed);
  if (tcsetattr(fd, TCSANOW, &modes) != 0) {
    error = Reason("cannot configure the serial device");
    ::close(fd);
    return nullptr;
  }
  tcflush(fd, TCIOFLUSH);
  return std::unique_ptr<SerialLine>(new SerialLine(fd, path, false, baud));
}

bool SerialLine::Reconnect(std::string& error) {
  if (m_fd >= 0) {
    error = "the line is up";
    return false;
  }
  std::unique_ptr<SerialLine> line = m_pseudo ? OpenPseudoTerminal(error) : OpenDevice(m_path, m_baud, error);
  if (!line) return false;
  m_fd = std::exchange(line->m_fd, -1);
  m_path = line->m_path;
  return true;
}

bool SerialLine::PeerPresent() const {
  if (m_fd < 0) return false;
  if (!m_pseudo) return true;
  pollfd probe{m_fd, POLLIN, 0};
  if (::poll(&probe, 1, 0) < 0) return true;
  return (probe.revents & POLLHUP) == 0;
}

ssize_t SerialLine::Read(char* buffer, size_t size) {
  if (m_fd < 0) return -1;
  return ::read(m_fd, buffer, size);
}

ssize_t SerialLine::Write(const char* bytes, size_t size) {
  if (m_fd < 0) return -1;
  return ::write(m_fd, bytes, size);
}

void SerialLine::HangUp() {
  if (m_fd < 0) return;
  if (!m_pseudo) {
    // Speed 0 drops DTR, which is how a serial line says the other end has gone.
    termios modes{};
    if (tcgetattr(m_fd, &modes) == 0) {
      cfsetspeed(&modes, B0);
      tcsetattr(m_fd, TCSANOW, &modes);
    }
  }
  ::close(m_fd);
  m_fd = -1;
}

}  // namespace phonesim
