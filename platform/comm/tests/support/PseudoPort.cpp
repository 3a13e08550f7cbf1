#include "PseudoPort.h"

#include <registry/SerialDevices.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace tolvar::comm::testing {

PseudoPort::PseudoPort() {
  m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  char name[128];
  if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
      ptsname_r(m_master, name, sizeof name) != 0) {
    if (m_master >= 0) close(m_master);
    throw std::runtime_error("no pseudo-terminal");
  }
  m_slavePath = name;
  m_comName = tolvar::registry::RegisterSerialDevice(m_slavePath);
  if (m_comName.empty()) {
    close(m_master);
    throw std::runtime_error("cannot register " + m_slavePath);
  }
}

PseudoPort::~PseudoPort() {
  tolvar::registry::UnregisterSerialDevice(m_slavePath);
  HangUp();
}

void PseudoPort::Send(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = write(m_master, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && errno == EAGAIN) {
      pollfd p{m_master, POLLOUT, 0};
      poll(&p, 1, 100);
    } else if (!(n < 0 && errno == EINTR)) {
      throw std::runtime_error("cannot write to the pseudo-terminal");
    }
  }
}

std::string PseudoPort::Receive(std::size_t count, std::chrono::milliseconds timeout) {
  std::string got;
  auto deadline = std::chrono::steady_clock::now() + timeout;
  while (got.size() < count && m_master >= 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() < 0) break;
    pollfd p{m_master, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[4096];
    ssize_t n = read(m_master, buffer, std::min(sizeof buffer, count - got.size()));
    if (n > 0) {
      got.append(buffer, static_cast<std::size_t>(n));
    } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
      continue;
    } else {
      // EIO: nobody holds the slave open right now.
      break;
    }
  }
  return got;
}

termios PseudoPort::SlaveModes() const {
  termios modes{};
  if (tcgetattr(m_master, &modes) != 0) throw std::runtime_error("tcgetattr failed");
  return modes;
}

void PseudoPort::HangUp() {
  if (m_master >= 0) close(m_master);
  m_master = -1;
}

}  // namespace tolvar::comm::testing
