#pragma once
// The phone benches' measure of the serial line: the bytes a run put on the wire, read from the link
// service's traffic log, and the time they need at 115,200 baud (ten bits a byte).
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace wire_log {

constexpr double kWireBytesPerSecond = 11'520.0;

struct WireBytes {
  long long toPhone = 0;
  long long fromPhone = 0;
  long long Total() const { return toPhone + fromPhone; }
};

// The data bytes of the traffic log's lines from `offset` on: every byte is one character after
// its "Send: " or "Recv: " tag, and only the line ends are "\r\n".
inline WireBytes CountLoggedBytes(const std::string& path, std::streamoff offset) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(offset);
  WireBytes bytes;
  const std::string send = " : Send: ", receive = " : Recv: ";
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (const auto at = line.find(send); at != std::string::npos) bytes.toPhone += static_cast<long long>(line.size() - at - send.size());
    if (const auto at = line.find(receive); at != std::string::npos) bytes.fromPhone += static_cast<long long>(line.size() - at - receive.size());
  }
  return bytes;
}

// Where the log ends now: a run's bytes are those logged after it.
inline std::streamoff FileSize(const std::string& path) {
  std::error_code ignored;
  return static_cast<std::streamoff>(std::filesystem::file_size(path, ignored));
}

}  // namespace wire_log
