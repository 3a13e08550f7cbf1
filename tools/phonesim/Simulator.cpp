#include "Simulator.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace phonesim {

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

void OnStopSignal(int) { g_stopSignal = 1; }

// While no one has the pseudo-terminal open, look again this often instead of spinning on HUP.
constexpr std::chrono::milliseconds kPeerRecheck{10};

// Closing a pty master throws away what the slave has not read yet; a cable that is pulled still
// delivers the bytes already on it. So the line goes down this long after its last byte.
constexpr std::chrono::milliseconds kHangUpGrace{100};

void WriteOut(const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // nobody reads our answers any more; carry on regardless
    done += static_cast<std::size_t>(n);
  }
}

}  // namespace

Simulator::Simulator(SerialLine& line, Phone& phone, int baud, Faults faults, bool control,
                     PortRegistration* registration)
    : m_line(line),
      m_phone(phone),
      m_registration(registration),
      m_byteTime(std::chrono::nanoseconds(10'000'000'000LL / baud)),
      // About a millisecond's worth per write: smooth enough for honest timing, few enough writes.
      m_sliceBytes(std::max<std::size_t>(1, static_cast<std::size_t>(baud) / 10'000)),
      m_faults(std::move(faults)),
      m_control(control) {}

void Simulator::Queue(std::deque<Pending>& queue, Clock::time_point due, std::string bytes) {
  // Ordered by due time; equal times keep their order.
  auto at = std::upper_bound(queue.begin(), queue.end(), due,
                             [](Clock::time_point t, const Pending& p) { return t < p.due; });
  queue.insert(at, Pending{due, std::move(bytes)});
}

void Simulator::ReadLine(Clock::time_point now) {
  char buffer[4096];
  while (m_line.IsUp() && !m_hangUpAt) {
    ssize_t n = m_line.Read(buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // drained, or the PC side closed the port (EIO)
    bool hangUp = false;
    if (m_faults.dropAfterReceived) {
      long long& left = *m_faults.dropAfterReceived;
      if (n >= left) {
        n = static_cast<ssize_t>(left);
        hangUp = true;
      }
      left -= n;
    }
    if (hangUp) {
      // The phone acts on what it heard before the line went, though it can answer nothing now.
      for (const Pending& chunk : m_input) m_phone.Receive(chunk.bytes, chunk.due);
      m_phone.Receive(std::string_view(buffer, static_cast<std::size_t>(n)), now);
      HangUp(now, false);
      return;
    }
    m_rxClock = std::max(m_rxClock, now) + m_byteTime * n;
    Queue(m_input, m_rxClock, std::string(buffer, static_cast<std::size_t>(n)));
  }
}

void Simulator::ProcessInput(Clock::time_point now) {
  while (!m_input.empty() && m_input.front().due <= now) {
    Pending chunk = std::move(m_input.front());
    m_input.pop_front();
    Emit(m_phone.Receive(chunk.bytes, chunk.due), now);
  }
}

void Simulator::Emit(std::vector<Emission> emissions, Clock::time_point now) {
  for (Emission& emission : emissions) {
    if (m_faults.silent || !m_line.IsUp() || m_hangUpAt) continue;
    Clock::time_point due = now;
    if (emission.answer) {
      if (m_faults.silentAnswers > 0) {
        --m_faults.silentAnswers;
        continue;
      }
      if (m_faults.garbage) emission.bytes = m_noise.Make(emission.bytes.size());
      due += m_faults.delay;
    }
    Queue(m_output, due, std::move(emission.bytes));
  }
}

std::optional<Clock::time_point> Simulator::Transmit(Clock::time_point now) {
  m_writeBlocked = false;
  const bool peer = m_line.PeerPresent();
  while (m_line.IsUp() && !m_hangUpAt && !m_output.empty()) {
    Pending& item = m_output.front();
    std::size_t count = std::min(m_sliceBytes, item.bytes.size());
    if (m_faults.dropAfterSent) count = std::min<std::size_t>(count, static_cast<std::size_t>(*m_faults.dropAfterSent));
    if (count == 0) {
      HangUp(now, false);
      break;
    }
    // A byte reaches the PC when its stop bit has crossed the wire.
    const Clock::time_point start = std::max(item.due, m_txClock);
    const Clock::time_point end = start + m_byteTime * static_cast<long long>(count);
    if (end > now) return end;
    ssize_t written = static_cast<ssize_t>(count);
    if (peer) {
      written = m_line.Write(item.bytes.data(), count);
      if (written < 0) {
        if (errno == EAGAIN || errno == EINTR) {
          m_writeBlocked = true;
          return std::nullopt;
        }
        written = static_cast<ssize_t>(count);  // the port closed under us: the bytes are lost
      }
    }
    // Without a peer the bytes go nowhere, as on a cable into a closed port.
    m_txClock = start + m_byteTime * written;
    item.bytes.erase(0, static_cast<std::size_t>(written));
    if (item.bytes.empty()) m_output.pop_front();
    if (m_faults.dropAfterSent) {
      *m_faults.dropAfterSent -= written;
      if (*m_faults.dropAfterSent == 0) HangUp(now, true);
    }
  }
  return std::nullopt;
}

void Simulator::HangUp(Clock::time_point now, bool afterSending) {
  m_input.clear();
  m_output.clear();
  m_faults.dropAfterSent.reset();
  m_faults.dropAfterReceived.reset();
  if (afterSending) {
    m_hangUpAt = now + kHangUpGrace;
    return;
  }
  m_line.HangUp();
  m_hangUpAt.reset();
}

void Simulator::ReadControl() {
  char buffer[1024];
  const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
  if (n < 0) {
    if (errno != EINTR && errno != EAGAIN) m_stop = true;
    return;
  }
  if (n == 0) {
    m_stop = true;  // whoever started us has gone
    return;
  }
  m_controlBuffer.append(buffer, static_cast<std::size_t>(n));
  std::size_t end;
  while ((end = m_controlBuffer.find('\n')) != std::string::npos) {
    std::string line = m_controlBuffer.substr(0, end);
    m_controlBuffer.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    RunControlLine(line);
  }
}

void Simulator::RunControlLine(const std::string& line) {
  if (line == "quit") {
    WriteOut("ok\n");
    m_stop = true;
    return;
  }
  if (line == "reconnect") {
    const std::string error = Reconnect();
    WriteOut(error.empty() ? "ok\n" : "error " + error + "\n");
    return;
  }
  // The phone's own state (its locks) first; every other verb is a fault switch.
  if (const std::optional<std::string> refused = m_phone.Control(line)) {
    WriteOut(refused->empty() ? "ok\n" : "error " + *refused + "\n");
    return;
  }
  const bool wasUp = m_line.IsUp() && !m_hangUpAt;
  const std::string error = ApplyControlLine(line, m_faults);
  if (!error.empty()) {
    WriteOut("error " + error + "\n");
    return;
  }
  if ((m_faults.dropAfterSent || m_faults.dropAfterReceived) && !wasUp) {
    WriteOut("error the line is already down\n");
    return;
  }
  // A count of 0 drops the line at once.
  if (m_faults.dropAfterSent == 0 || m_faults.dropAfterReceived == 0) HangUp(Clock::now(), false);
  WriteOut("ok\n");
}

std::string Simulator::Reconnect() {
  if (m_hangUpAt) HangUp(Clock::now(), false);  // a drop under way completes first
  std::string error;
  if (!m_line.Reconnect(error)) return error;
  m_writeBlocked = false;
  if (m_registration && !m_registration->Move(m_line.DevicePath())) {
    return "the registry did not keep the name for " + m_line.DevicePath();
  }
  return {};
}

int Simulator::Run() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
  // Stop signals are let through only while waiting in ppoll, so that none is missed between the
  // check of the flag and the wait.
  sigset_t blocked, waiting;
  sigemptyset(&blocked);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&blocked, signal);
  sigprocmask(SIG_BLOCK, &blocked, &waiting);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigdelset(&waiting, signal);

  while (!m_stop && !g_stopSignal) {
    Clock::time_point now = Clock::now();
    if (m_hangUpAt && now >= *m_hangUpAt) HangUp(now, false);
    m_phone.Tick(now);
    ProcessInput(now);
    std::optional<Clock::time_point> wake = Transmit(now);
    auto consider = [&](std::optional<Clock::time_point> t) {
      if (t && (!wake || *t < *wake)) wake = t;
    };
    if (!m_input.empty()) consider(m_input.front().due);
    consider(m_phone.NextTick());
    consider(m_hangUpAt);

    std::vector<pollfd> fds;
    const bool peer = m_line.PeerPresent();
    if (m_line.IsUp() && peer && !m_hangUpAt) {
      fds.push_back({m_line.Descriptor(), static_cast<short>(POLLIN | (m_writeBlocked ? POLLOUT : 0)), 0});
    } else if (m_line.IsUp()) {
      consider(now + kPeerRecheck);
    }
    if (m_control) fds.push_back({STDIN_FILENO, POLLIN, 0});

    timespec timeout{};
    timespec* timeoutPointer = nullptr;
    if (wake) {
      const auto left = std::max(std::chrono::nanoseconds(0), *wake - now);
      timeout.tv_sec = static_cast<time_t>(left.count() / 1'000'000'000);
      timeout.tv_nsec = static_cast<long>(left.count() % 1'000'000'000);
      timeoutPointer = &timeout;
    }
    const int ready = ::ppoll(fds.data(), fds.size(), timeoutPointer, &waiting);
    if (ready <= 0) continue;
    now = Clock::now();
    for (const pollfd& fd : fds) {
      if (fd.revents == 0) continue;
      if (fd.fd == STDIN_FILENO) {
        ReadControl();
      } else if (fd.revents & (POLLIN | POLLHUP | POLLERR)) {
        ReadLine(now);
      }
    }
  }
  sigprocmask(SIG_SETMASK, &waiting, nullptr);
  return 0;
}

}  // namespace phonesim
