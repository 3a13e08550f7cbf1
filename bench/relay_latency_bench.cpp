// What the link service adds to one command's round trip. One client sends a short command frame
// and reads the short reply frame, again and again: once straight through the COM port to a far
// end that answers at once, once through the phone-access library's link engine and the link
// service's own core to the same far end. The far end (a pseudo-terminal played here) answers the
// link service's AT probe at the hello, then each frame with a reply frame at once. Prints the median
// and 99th percentile of both paths and their difference.
//
// The link service keeps three pauses of 1 ms (after each packet it sends, after each write to the
// port, and the library's after each packet): about 2.2 ms of the difference are theirs.
#include "support/LinkServiceHost.h"

#include "LinkEngine.h"

#include <PseudoPort.h>
#include <TemporaryHome.h>

#include <base/LastError.h>
#include <comm/Comm.h>
#include <kernel/File.h>
#include <kernel/Object.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRoundTrips = 1000;
constexpr int kWarmUp = 20;
constexpr BYTE kSyn = 0x16;
const std::string kCommand = std::string("\xFB", 1) + "ShowSwVersion\x16";        // a PTE command frame
const std::string kReply = std::string("\xFC", 1) + "ShowSwVersion:RET:1\n\x16";  // its reply frame

// The far end: answers AT lines as a phone of the maker the probe looks for, and every frame (a
// run of bytes ending in SYN) with the reply frame, as soon as the frame's last byte is in.
class FarEnd {
 public:
  explicit FarEnd(tolvar::comm::testing::PseudoPort& port) : m_port(port), m_thread([this] { Run(); }) {}
  ~FarEnd() {
    m_stop = true;
    m_thread.join();
  }

 private:
  void Run() {
    std::string line;
    while (!m_stop) {
      const std::string got = m_port.Receive(1, std::chrono::milliseconds(20));
      if (got.empty()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));  // nobody holds the port: no spinning
        continue;
      }
      line += got;
      if (line.back() == static_cast<char>(kSyn)) {
        m_port.Send(kReply);
        line.clear();
      } else if (line.ends_with("\r\n")) {
        if (line.starts_with("AT+GMM")) {
          m_port.Send("\r\nBench\r\n\r\nOK\r\n");
        } else if (line.starts_with("AT+GMI")) {
          m_port.Send("\r\nHalvane\r\n\r\nOK\r\n");
        } else {
          m_port.Send(line + "\r\nOK\r\n");
        }
        line.clear();
      }
    }
  }

  tolvar::comm::testing::PseudoPort& m_port;
  std::atomic<bool> m_stop{false};
  std::thread m_thread;
};

// The one client of both paths: sends the command, reads until the reply frame's SYN came.
class Path {
 public:
  virtual ~Path() = default;
  virtual bool Send(std::span<const BYTE> bytes) = 0;
  virtual int Read(BYTE* buffer, int size) = 0;  // what came, waiting for the first byte; 0: nothing

  bool RoundTrip() {
    if (!Send(std::span(reinterpret_cast<const BYTE*>(kCommand.data()), kCommand.size()))) return false;
    BYTE buffer[256];
    for (;;) {
      const int n = Read(buffer, sizeof buffer);
      if (n <= 0) return false;
      if (std::find(buffer, buffer + n, kSyn) != buffer + n) return true;
    }
  }
};

class DirectPath : public Path {
 public:
  explicit DirectPath(const std::string& device)
      : m_port(CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
    if (m_port == INVALID_HANDLE_VALUE) return;
    // A read returns with the first bytes that come.
    COMMTIMEOUTS timeouts{MAXDWORD, MAXDWORD, 1000, 0, 1000};
    SetCommTimeouts(m_port, &timeouts);
  }
  ~DirectPath() override {
    if (m_port != INVALID_HANDLE_VALUE) CloseHandle(m_port);
  }
  bool Open() const { return m_port != INVALID_HANDLE_VALUE; }
  bool Send(std::span<const BYTE> bytes) override {
    DWORD written = 0;
    return WriteFile(m_port, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  }
  int Read(BYTE* buffer, int size) override {
    DWORD got = 0;
    return ReadFile(m_port, buffer, static_cast<DWORD>(size), &got, nullptr) ? static_cast<int>(got) : 0;
  }

 private:
  HANDLE m_port;
};

class RelayPath : public Path {
 public:
  explicit RelayPath(CLinkEngine& engine) : m_engine(engine) {}
  bool Send(std::span<const BYTE> bytes) override { return m_engine.SendToPhone(bytes.data(), static_cast<DWORD>(bytes.size())); }
  int Read(BYTE* buffer, int size) override { return m_engine.ReadBytes(buffer, size); }

 private:
  CLinkEngine& m_engine;
};

struct Figures {
  double median = 0;
  double p99 = 0;
};

// Round trips in milliseconds; none when one failed.
std::vector<double> Measure(Path& path) {
  for (int i = 0; i < kWarmUp; ++i) {
    if (!path.RoundTrip()) return {};
  }
  std::vector<double> times;
  times.reserve(kRoundTrips);
  for (int i = 0; i < kRoundTrips; ++i) {
    const Clock::time_point start = Clock::now();
    if (!path.RoundTrip()) return {};
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return times;
}

Figures Summarise(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times[std::min(times.size() - 1, times.size() * 99 / 100)]};
}

}  // namespace

int main() {
  tolvar::comm::testing::TemporaryHome home;
  tolvar::comm::testing::PseudoPort line;
  FarEnd farEnd(line);

  std::vector<double> direct;
  {
    DirectPath path(line.DeviceName());
    if (!path.Open()) {
      std::fprintf(stderr, "the port %s did not open\n", line.ComName().c_str());
      return 1;
    }
    direct = Measure(path);
  }

  std::vector<double> relayed;
  {
    std::ofstream(home.Path() + "/Phones.ini") << "-Bench,ZSE_0100\r\n";
    LinkServiceHost service(home.Path() + "/Phones.ini");
    CLinkEngine engine(service.Address());
    engine.SetTimeout(1000);
    if (service.Port() == 0 || !engine.Connect()) {
      std::fprintf(stderr, "the link did not open (0x%lx)\n", static_cast<unsigned long>(GetLastError()));
      return 1;
    }
    RelayPath path(engine);
    relayed = Measure(path);
    engine.Disconnect();
  }

  if (direct.empty() || relayed.empty()) {
    std::fprintf(stderr, "a round trip failed (direct %zu, relayed %zu)\n", direct.size(), relayed.size());
    return 1;
  }
  const Figures d = Summarise(direct);
  const Figures r = Summarise(relayed);
  std::printf("%d round trips of a %zu-byte command and a %zu-byte reply\n", kRoundTrips, kCommand.size(), kReply.size());
  std::printf("  straight through the port:    median %6.2f ms, 99th percentile %6.2f ms\n", d.median, d.p99);
  std::printf("  through the link service:     median %6.2f ms, 99th percentile %6.2f ms\n", r.median, r.p99);
  std::printf("  the link service adds:        median %6.2f ms, 99th percentile %6.2f ms\n", r.median - d.median,
              r.p99 - d.p99);
  return 0;
}
