#include "SerialPort.h"

#include "LineSettings.h"

#include <kernel/Thread.h>

#include <base/WinError.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tolvar::comm {

// One read, write or event wait. `overlapped` is null when a caller sleeps in the call until it ends.
struct PortRequest {
  enum class Kind { Read, Write, Wait };
  Kind kind = Kind::Read;
  BYTE* readTo = nullptr;
  const BYTE* writeFrom = nullptr;
  DWORD length = 0;
  DWORD done = 0;
  DWORD* eventMask = nullptr;
  OVERLAPPED* overlapped = nullptr;
  DWORD thread = 0;

  bool started = false;
  ReadPlan plan;
  std::optional<std::uint64_t> writeLimitMs;
  std::optional<std::chrono::steady_clock::time_point> deadline;  // the total limit
  std::optional<std::chrono::steady_clock::time_point> lastByte;  // for the interval limit

  bool finished = false;
  DWORD error = ERROR_SUCCESS;
  DWORD events = 0;
};

namespace {

constexpr DWORD kKnownPurge = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

DWORD OpenError(int error) {
  switch (error) {
    case ENOENT: case ENXIO: case ENODEV: case ENOTDIR: return ERROR_FILE_NOT_FOUND;
    case EBUSY: case EACCES: case EPERM: case EWOULDBLOCK: return ERROR_ACCESS_DENIED;
    default: return ERROR_GEN_FAILURE;
  }
}

std::chrono::milliseconds Ms(std::uint64_t ms) {
  // Limits as long as MAXDWORD times a length are far beyond any wait worth having; keep them finite.
  constexpr std::uint64_t kLongest = std::uint64_t{1} << 40;
  return std::chrono::milliseconds(static_cast<std::int64_t>(std::min(ms, kLongest)));
}

}  // namespace

std::shared_ptr<SerialPort> SerialPort::Open(const std::string& devicePath, bool overlapped, DWORD& error) {
  // Non-blocking so that an open never waits for a carrier and the I/O thread never blocks in a read.
  int fd = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = OpenError(errno);
    return nullptr;
  }
  auto fail = [&](DWORD code) -> std::shared_ptr<SerialPort> {
    ::close(fd);
    error = code;
    return nullptr;
  };
  // A serial port belongs to one handle at a time. TIOCEXCL keeps other programs out (though not
  // root); the lock on the device node is what keeps our own handles, in any process, apart.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(ERROR_ACCESS_DENIED);
  termios modes{};
  if (::tcgetattr(fd, &modes) != 0) return fail(ERROR_FILE_NOT_FOUND);  // not a terminal device
  ::ioctl(fd, TIOCEXCL);
  int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd < 0) return fail(ERROR_NOT_ENOUGH_MEMORY);

  std::shared_ptr<SerialPort> port(new SerialPort(fd, wakeFd, overlapped, DcbFromModes(modes)));
  port->m_thread = std::thread([raw = port.get()] { raw->Run(); });
  return port;
}

SerialPort::SerialPort(int fd, int wakeFd, bool overlapped, const DCB& dcb)
    : m_fd(fd), m_wakeFd(wakeFd), m_overlapped(overlapped), m_dcb(dcb) {}

SerialPort::~SerialPort() {
  HandleClosed();
  ::close(m_wakeFd);
}

void SerialPort::HandleClosed() {
  Requests completed;
  {
    std::lock_guard guard(m_lock);
    if (m_closed) return;
    m_closed = true;
    m_stopping = true;
    AbortAllLocked();
    completed.swap(m_completed);
  }
  Wake();
  Deliver(completed);
  if (m_thread.joinable()) m_thread.join();
  std::lock_guard guard(m_lock);
  ::ioctl(m_fd, TIOCNXCL);
  ::close(m_fd);  // also gives up the lock on the device, so the port can be opened again at once
  m_fd = -1;
}

// I/O thread -------------------------------------------------------------------------------------

void SerialPort::Run() {
  std::unique_lock lock(m_lock);
  while (!m_stopping) {
    ServiceLocked(Clock::now());
    Requests completed;
    completed.swap(m_completed);

    pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {-1, 0, 0}};
    if (!m_gone) {
      fds[1].fd = m_fd;
      if (m_raw && m_input.size() < m_inCapacity) fds[1].events |= POLLIN;
      if (!m_writes.empty()) fds[1].events |= POLLOUT;
    }
    int timeout = -1;
    if (auto deadline = NextDeadlineLocked()) {
      auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
      timeout = static_cast<int>(std::clamp<std::int64_t>(left, 0, 1 << 30));
    }
    lock.unlock();
    Deliver(completed);
    int ready = ::poll(fds, 2, timeout);
    lock.lock();
    if (ready <= 0) continue;
    if (fds[0].revents & POLLIN) {
      std::uint64_t count;
      [[maybe_unused]] auto ignored = ::read(m_wakeFd, &count, sizeof count);
    }
    if (m_gone || fds[1].fd < 0) continue;
    if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      DeviceGoneLocked();  // a pulled adapter or a closed pseudo-terminal master
    } else if (fds[1].revents & POLLIN) {
      PullLocked();
    }
  }
  Requests completed;
  completed.swap(m_completed);
  lock.unlock();
  Deliver(completed);
}

void SerialPort::Wake() {
  std::uint64_t one = 1;
  [[maybe_unused]] auto ignored = ::write(m_wakeFd, &one, sizeof one);
}

void SerialPort::PullLocked() {
  bool arrived = false;
  while (!m_gone && m_input.size() < m_inCapacity) {
    BYTE chunk[4096];
    std::size_t room = std::min(sizeof chunk, m_inCapacity - m_input.size());
    ssize_t n = ::read(m_fd, chunk, room);
    if (n > 0) {
      for (ssize_t i = 0; i < n; ++i)
        if (chunk[i] != 0 || !m_dcb.fNull) m_input.push_back(chunk[i]);
      arrived = true;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) break;
    DeviceGoneLocked();  // end of file or EIO: the terminal was hung up
  }
  if (arrived && !m_gone) RaiseLocked(EV_RXCHAR);
}

// Transfers -------------------------------------------------------------------------------------

// The line goes raw when it is first used, not when it is opened: a port opened only to see
// whether it can be opened (as port discovery does) is left exactly as it was.
DWORD SerialPort::MakeRawLocked() {
  if (m_raw) return ERROR_SUCCESS;
  termios modes{};
  if (::tcgetattr(m_fd, &modes) != 0) return ERROR_GEN_FAILURE;
  MakeRaw(modes);
  if (::tcsetattr(m_fd, TCSANOW, &modes) != 0) return ERROR_GEN_FAILURE;
  m_raw = true;
  Wake();  // the I/O thread starts taking input
  return ERROR_SUCCESS;
}

DWORD SerialPort::UsableLocked() const {
  if (m_closed) return ERROR_INVALID_HANDLE;
  if (m_gone) return ERROR_GEN_FAILURE;
  return ERROR_SUCCESS;
}

void SerialPort::FinishLocked(const std::shared_ptr<PortRequest>& request, DWORD error) {
  request->finished = true;
  request->error = error;
  if (request->overlapped)
    m_completed.push_back(request);
  else
    m_done.notify_all();
}

void SerialPort::Deliver(const Requests& completed) {
  for (const auto& request : completed) {
    // The caller may reuse the OVERLAPPED (and the mask) the moment the result is published.
    if (request->eventMask) *request->eventMask = request->error == ERROR_SUCCESS ? request->events : 0;
    kernel::CompleteOverlapped(request->overlapped, request->error, request->done);
  }
}

void SerialPort::ServiceLocked(Clock::time_point now) {
  if (m_gone) return;
  ServiceReadsLocked(now);
  ServiceWritesLocked(now);
}

void SerialPort::ServiceReadsLocked(Clock::time_point now) {
  while (!m_reads.empty()) {
    const auto request = m_reads.front();
    PortRequest& r = *request;
    if (!r.started) {
      r.started = true;
      if (r.plan.totalMs) r.deadline = now + Ms(*r.plan.totalMs);
    }
    std::size_t n = std::min<std::size_t>(m_input.size(), r.length - r.done);
    if (n > 0) {
      std::memcpy(r.readTo + r.done, m_input.data(), n);
      m_input.erase(m_input.begin(), m_input.begin() + static_cast<std::ptrdiff_t>(n));
      r.done += static_cast<DWORD>(n);
      r.lastByte = now;
    }
    bool complete = r.done == r.length || r.plan.returnAtOnce || (r.plan.returnOnAny && r.done > 0) ||
                    (r.deadline && now >= *r.deadline) ||
                    (r.plan.intervalMs && r.lastByte && now >= *r.lastByte + Ms(*r.plan.intervalMs));
    if (!complete) return;
    m_reads.pop_front();
    FinishLocked(request, ERROR_SUCCESS);  // a read that ran out of time still succeeds
  }
}

void SerialPort::ServiceWritesLocked(Clock::time_point now) {
  while (!m_writes.empty()) {
    const auto request = m_writes.front();
    PortRequest& w = *request;
    if (!w.started) {
      w.started = true;
      if (w.writeLimitMs) w.deadline = now + Ms(*w.writeLimitMs);
    }
    while (w.done < w.length) {
      ssize_t n = ::write(m_fd, w.writeFrom + w.done, w.length - w.done);
      if (n > 0) {
        w.done += static_cast<DWORD>(n);
      } else if (n < 0 && errno == EINTR) {
        continue;
      } else if (n < 0 && errno == EAGAIN) {
        break;
      } else {
        DeviceGoneLocked();
        return;
      }
    }
    if (w.done < w.length && !(w.deadline && now >= *w.deadline)) return;
    m_writes.pop_front();
    FinishLocked(request, ERROR_SUCCESS);
    if (m_writes.empty()) m_done.notify_all();  // FlushFileBuffers waits for this
  }
}

std::optional<SerialPort::Clock::time_point> SerialPort::NextDeadlineLocked() const {
  std::optional<Clock::time_point> next;
  auto consider = [&](Clock::time_point t) {
    if (!next || t < *next) next = t;
  };
  if (!m_reads.empty()) {
    const PortRequest& r = *m_reads.front();
    if (r.deadline) consider(*r.deadline);
    if (r.plan.intervalMs && r.lastByte) consider(*r.lastByte + Ms(*r.plan.intervalMs));
  }
  if (!m_writes.empty() && m_writes.front()->deadline) consider(*m_writes.front()->deadline);
  return next;
}

DWORD SerialPort::SubmitLocked(std::unique_lock<std::mutex>& lock, const std::shared_ptr<PortRequest>& request,
                               Requests& completed) {
  request->thread = GetCurrentThreadId();
  // Bytes the device holds already count as there, even if the I/O thread has not taken them yet.
  DWORD error = MakeRawLocked();
  if (error == ERROR_SUCCESS && request->kind == PortRequest::Kind::Read) PullLocked();
  if (error == ERROR_SUCCESS) error = UsableLocked();
  if (error != ERROR_SUCCESS) {
    completed.swap(m_completed);  // a device found gone just now ended other transfers too
    return error;
  }
  auto& queue = request->kind == PortRequest::Kind::Read ? m_reads : m_writes;
  queue.push_back(request);
  ServiceLocked(Clock::now());
  if (request->finished) {
    // Ended inside the call: the caller reports it, not the completion path.
    std::erase(m_completed, request);
  } else if (request->overlapped) {
    completed.swap(m_completed);
    Wake();  // the I/O thread may need a new deadline or POLLOUT
    return ERROR_IO_PENDING;
  } else {
    Wake();
    m_done.wait(lock, [&] { return request->finished; });
  }
  completed.swap(m_completed);
  return request->error;
}

template <class Plan>
DWORD SerialPort::Transfer(const std::shared_ptr<PortRequest>& request, DWORD& done, OVERLAPPED* overlapped,
                           Plan plan) {
  if (m_overlapped) request->overlapped = overlapped;
  Requests completed;
  DWORD error;
  {
    std::unique_lock lock(m_lock);
    if (DWORD unusable = UsableLocked()) return unusable;
    plan(*request);
    error = SubmitLocked(lock, request, completed);
  }
  Deliver(completed);
  if (error != ERROR_IO_PENDING) done = request->done;
  return error;
}

DWORD SerialPort::Read(std::span<BYTE> buffer, DWORD& done, OVERLAPPED* overlapped) {
  auto request = std::make_shared<PortRequest>();
  request->kind = PortRequest::Kind::Read;
  request->readTo = buffer.data();
  request->length = static_cast<DWORD>(buffer.size());
  return Transfer(request, done, overlapped,
                  [this](PortRequest& r) { r.plan = PlanRead(m_timeouts, r.length); });
}

DWORD SerialPort::Write(std::span<const BYTE> buffer, DWORD& done, OVERLAPPED* overlapped) {
  auto request = std::make_shared<PortRequest>();
  request->kind = PortRequest::Kind::Write;
  request->writeFrom = buffer.data();
  request->length = static_cast<DWORD>(buffer.size());
  return Transfer(request, done, overlapped,
                  [this](PortRequest& r) { r.writeLimitMs = PlanWrite(m_timeouts, r.length); });
}

DWORD SerialPort::Flush() {
  int copy;
  {
    std::unique_lock lock(m_lock);
    m_done.wait(lock, [&] { return m_writes.empty() || UsableLocked() != ERROR_SUCCESS; });
    if (DWORD unusable = UsableLocked()) return unusable;
    // A descriptor of our own, so that a close on another thread cannot hand the number to
    // someone else while tcdrain runs.
    copy = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
  }
  if (copy < 0) return ERROR_GEN_FAILURE;
  int result = ::tcdrain(copy);
  int error = errno;
  ::close(copy);
  return result == 0 || error == ENOTTY || error == EINVAL ? ERROR_SUCCESS : ERROR_GEN_FAILURE;
}

// Ends what the calling thread started, as CancelIo does.
DWORD SerialPort::Cancel() {
  Requests completed;
  {
    std::lock_guard guard(m_lock);
    if (m_closed) return ERROR_INVALID_HANDLE;
    DWORD thread = GetCurrentThreadId();
    AbortLocked(m_reads, thread);
    AbortLocked(m_writes, thread);
    if (m_wait && m_wait->thread == thread) {
      FinishLocked(m_wait, ERROR_OPERATION_ABORTED);
      m_wait.reset();
    }
    completed.swap(m_completed);
  }
  Wake();
  Deliver(completed);
  return ERROR_SUCCESS;
}

void SerialPort::AbortLocked(std::deque<std::shared_ptr<PortRequest>>& queue, std::optional<DWORD> thread) {
  for (auto it = queue.begin(); it != queue.end();) {
    if (thread && (*it)->thread != *thread) {
      ++it;
      continue;
    }
    FinishLocked(*it, ERROR_OPERATION_ABORTED);
    it = queue.erase(it);
  }
  m_done.notify_all();
}

void SerialPort::AbortAllLocked() {
  AbortLocked(m_reads, std::nullopt);
  AbortLocked(m_writes, std::nullopt);
  if (m_wait) {
    FinishLocked(m_wait, ERROR_OPERATION_ABORTED);
    m_wait.reset();
  }
}

void SerialPort::DeviceGoneLocked() {
  m_gone = true;
  m_input.clear();
  AbortAllLocked();
}

// Events ----------------------------------------------------------------------------------------

void SerialPort::RaiseLocked(DWORD event) {
  if (!(m_mask & event)) return;
  if (m_wait) {
    m_wait->events = event;
    FinishLocked(m_wait, ERROR_SUCCESS);
    m_wait.reset();
  } else {
    m_history |= event;
  }
}

DWORD SerialPort::SetMask(DWORD mask) {
  if (mask & ~EV_RXCHAR) return ERROR_INVALID_PARAMETER;
  Requests completed;
  {
    std::lock_guard guard(m_lock);
    if (DWORD unusable = UsableLocked()) return unusable;
    if (mask)
      if (DWORD error = MakeRawLocked()) return error;
    m_mask = mask;
    m_history = 0;
    if (m_wait) {
      m_wait->events = 0;
      FinishLocked(m_wait, ERROR_SUCCESS);
      m_wait.reset();
    }
    completed.swap(m_completed);
  }
  Deliver(completed);
  return ERROR_SUCCESS;
}

DWORD SerialPort::GetMask(DWORD& mask) {
  std::lock_guard guard(m_lock);
  if (DWORD unusable = UsableLocked()) return unusable;
  mask = m_mask;
  return ERROR_SUCCESS;
}

DWORD SerialPort::WaitEvent(DWORD* eventMask, OVERLAPPED* overlapped) {
  std::unique_lock lock(m_lock);
  if (DWORD unusable = UsableLocked()) return unusable;
  if (m_wait || m_mask == 0) return ERROR_INVALID_PARAMETER;
  if (DWORD error = MakeRawLocked()) return error;
  // Bytes already on the line arrived before this wait, as a driver would have seen them at once;
  // the port's own thread may not have taken them yet on a busy machine. What is taken here the
  // port's thread must still hand to a pending read: it is woken, since the line no longer will.
  const std::size_t held = m_input.size();
  const bool wasGone = m_gone;
  PullLocked();
  if (m_input.size() != held || m_gone != wasGone) Wake();
  if (DWORD happened = m_history & m_mask) {
    m_history = 0;
    *eventMask = happened;
    return ERROR_SUCCESS;
  }
  auto request = std::make_shared<PortRequest>();
  request->kind = PortRequest::Kind::Wait;
  request->thread = GetCurrentThreadId();
  m_wait = request;
  if (m_overlapped && overlapped) {
    request->overlapped = overlapped;
    request->eventMask = eventMask;
    return ERROR_IO_PENDING;
  }
  m_done.wait(lock, [&] { return request->finished; });
  *eventMask = request->error == ERROR_SUCCESS ? request->events : 0;
  return request->error;
}

// Line settings and queues ----------------------------------------------------------------------

DWORD SerialPort::Setup(DWORD inQueue) {
  if (inQueue == 0) return ERROR_INVALID_PARAMETER;
  std::lock_guard guard(m_lock);
  if (DWORD unusable = UsableLocked()) return unusable;
  m_inCapacity = inQueue;
  Wake();  // more room may mean polling for input again
  return ERROR_SUCCESS;
}

DWORD SerialPort::GetState(DCB& dcb) {
  std::lock_guard guard(m_lock);
  if (DWORD unusable = UsableLocked()) return unusable;
  dcb = m_dcb;
  return ERROR_SUCCESS;
}

DWORD SerialPort::SetState(const DCB& dcb) {
  std::lock_guard guard(m_lock);
  if (DWORD unusable = UsableLocked()) return unusable;
  termios modes{};
  if (::tcgetattr(m_fd, &modes) != 0) return ERROR_GEN_FAILURE;
  if (!ApplyDcb(dcb, modes)) return ERROR_INVALID_PARAMETER;
  if (::tcsetattr(m_fd, TCSANOW, &modes) != 0) return errno == EIO ? ERROR_GEN_FAILURE : ERROR_INVALID_PARAMETER;
  if (!m_raw) {
    m_raw = true;
    Wake();
  }
  SetModemLineLocked(TIOCM_DTR, dcb.fDtrControl == DTR_CONTROL_ENABLE);
  if (dcb.fRtsControl != RTS_CONTROL_HANDSHAKE)
    SetModemLineLocked(TIOCM_RTS, dcb.fRtsControl == RTS_CONTROL_ENABLE);
  m_dcb = dcb;
  m_dcb.DCBlength = sizeof(DCB);
  return ERROR_SUCCESS;
}

// A pseudo-terminal has no modem lines; that is no reason to refuse the call.
void SerialPort::SetModemLineLocked(int line, bool on) { ::ioctl(m_fd, on ? TIOCMBIS : TIOCMBIC, &line); }

DWORD SerialPort::GetTimeouts(COMMTIMEOUTS& timeouts) {
  std::lock_guard guard(m_lock);
  if (DWORD unusable = UsableLocked()) return unusable;
  timeouts = m_timeouts;
  return ERROR_SUCCESS;
}

DWORD SerialPort::SetTimeouts(const COMMTIMEOUTS& timeouts) {
  std::lock_guard guard(m_lock);
  if (DWORD unusable = UsableLocked()) return unusable;
  m_timeouts = timeouts;
  return ERROR_SUCCESS;
}

DWORD SerialPort::Purge(DWORD flags) {
  if (flags & ~kKnownPurge) return ERROR_INVALID_PARAMETER;
  Requests completed;
  {
    std::lock_guard guard(m_lock);
    if (DWORD unusable = UsableLocked()) return unusable;
    if (flags & PURGE_TXABORT) AbortLocked(m_writes, std::nullopt);
    if (flags & PURGE_RXABORT) AbortLocked(m_reads, std::nullopt);
    if (flags & PURGE_TXCLEAR) ::tcflush(m_fd, TCOFLUSH);
    if (flags & PURGE_RXCLEAR) {
      m_input.clear();
      ::tcflush(m_fd, TCIFLUSH);
    }
    completed.swap(m_completed);
  }
  Wake();
  Deliver(completed);
  return ERROR_SUCCESS;
}

DWORD SerialPort::ClearError(DWORD* errors, COMSTAT* status) {
  std::lock_guard guard(m_lock);
  if (DWORD unusable = UsableLocked()) return unusable;
  if (errors) *errors = 0;
  if (status) {
    *status = COMSTAT{};
    int waiting = 0;
    if (::ioctl(m_fd, FIONREAD, &waiting) != 0) waiting = 0;
    status->cbInQue = static_cast<DWORD>(m_input.size()) + static_cast<DWORD>(std::max(waiting, 0));
    DWORD unsent = 0;
    for (const auto& w : m_writes) unsent += w->length - w->done;
    int queued = 0;
    if (::ioctl(m_fd, TIOCOUTQ, &queued) != 0) queued = 0;
    status->cbOutQue = unsent + static_cast<DWORD>(std::max(queued, 0));
  }
  return ERROR_SUCCESS;
}

DWORD SerialPort::Escape(DWORD function) {
  struct Line {
    DWORD function;
    int line;
    bool on;
  };
  static constexpr Line kLines[] = {
      {SETDTR, TIOCM_DTR, true}, {CLRDTR, TIOCM_DTR, false}, {SETRTS, TIOCM_RTS, true}, {CLRRTS, TIOCM_RTS, false}};
  std::lock_guard guard(m_lock);
  if (DWORD unusable = UsableLocked()) return unusable;
  for (const Line& l : kLines) {
    if (l.function == function) {
      SetModemLineLocked(l.line, l.on);
      return ERROR_SUCCESS;
    }
  }
  return ERROR_INVALID_PARAMETER;
}

}  // namespace tolvar::comm
