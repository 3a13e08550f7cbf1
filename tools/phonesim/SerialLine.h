#pragma once
// The phone's end of the cable: the master side of a pseudo-terminal (whose slave path the suite
// opens as its COM port), or a real serial device at a fixed speed. Non-blocking throughout.
#include <memory>
#include <string>
#include <sys/types.h>

namespace phonesim {

class SerialLine {
 public:
  static std::unique_ptr<SerialLine> OpenPseudoTerminal(std::string& error);
  static std::unique_ptr<SerialLine> OpenDevice(const std::string& path, int baud, std::string& error);
  ~SerialLine();
  SerialLine(const SerialLine&) = delete;
  SerialLine& operator=(const SerialLine&) = delete;

  // The path the PC side opens.
  const std::string& DevicePath() const { return m_path; }
  int Descriptor() const { return m_fd; }
  bool IsUp() const { return m_fd >= 0; }

  // Whether someone has the other end open. A pty master reads EIO and polls HUP while no
  // process holds the slave; a real device always counts as connected.
  bool PeerPresent() const;

  ssize_t Read(char* buffer, size_t size);
  ssize_t Write(const char* bytes, size_t size);

  // Drops the line so that the PC side's reads and writes fail: the master is closed (the slave
  // then reports a hang-up), a real device gets its modem lines dropped and is closed.
  void HangUp();

  // Brings a dropped line back, as a cable plugged in again: a new pseudo-terminal (whose path
  // differs from the old one), or the same device opened again. False, with the reason, when the
  // line is up or cannot be had.
  bool Reconnect(std::string& error);

 private:
  SerialLine(int fd, std::string path, bool pseudo, int baud);

  int m_fd = -1;
  std::string m_path;
  bool m_pseudo = true;
  int m_baud = 0;  // of a real device
};

}  // namespace phonesim
