#pragma once
// A serial line for tests: a pseudo-terminal whose slave is registered as a COM port of the current
// home (make a TemporaryHome first). The test plays the far end on the master side.
#include <chrono>
#include <string>
#include <string_view>
#include <termios.h>

namespace tolvar::comm::testing {

class PseudoPort {
public:
  PseudoPort();  // throws std::runtime_error when no pseudo-terminal can be had
  ~PseudoPort();
  PseudoPort(const PseudoPort&) = delete;
  PseudoPort& operator=(const PseudoPort&) = delete;

  const std::string& ComName() const { return m_comName; }        // "COM1"
  std::string DeviceName() const { return "\\\\.\\" + m_comName; }  // "\\.\COM1", for CreateFileA
  const std::string& SlavePath() const { return m_slavePath; }

  // The far end: bytes to the port, and bytes from it (up to `count`, waiting at most `timeout`
  // for them all).
  void Send(std::string_view bytes);
  std::string Receive(std::size_t count, std::chrono::milliseconds timeout);

  // The line settings as the port set them (the master reports its slave's).
  termios SlaveModes() const;

  // Closes the far end, as a pulled cable would: the port's reads and waits fail from then on.
  void HangUp();

private:
  int m_master = -1;
  std::string m_slavePath;
  std::string m_comName;
};

}  // namespace tolvar::comm::testing
