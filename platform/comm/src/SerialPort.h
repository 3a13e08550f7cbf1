#pragma once
// An open serial port: a terminal device owned exclusively and used in raw mode, with the input queue,
// pending transfers and event waits of a Windows serial driver.
//
// One I/O thread per port sleeps in poll() on the device and on a wake-up descriptor. It moves
// received bytes into the input queue (raising EV_RXCHAR), feeds pending writes to the device as it
// takes them, and ends transfers whose time-outs ran out. Callers start transfers under the port's
// lock and finish at once what can be finished; a blocking call sleeps until its transfer ends.
// Closing the handle aborts everything pending, stops the thread and closes the device, so the port
// can be opened again at once.
#include <comm/Comm.h>
#include <kernel/Io.h>

#include "Timeouts.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tolvar::comm {

struct PortRequest;

class SerialPort : public kernel::IoObject {
public:
  // Opens the terminal device at `devicePath` for exclusive use. nullptr with `error` set when it
  // cannot: ERROR_ACCESS_DENIED when another handle, in any process, holds it.
  static std::shared_ptr<SerialPort> Open(const std::string& devicePath, bool overlapped, DWORD& error);
  ~SerialPort() override;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  kernel::ObjectType Type() const override { return kernel::ObjectType::Device; }
  DWORD Read(std::span<BYTE> buffer, DWORD& done, OVERLAPPED* overlapped) override;
  DWORD Write(std::span<const BYTE> buffer, DWORD& done, OVERLAPPED* overlapped) override;
  DWORD Flush() override;
  DWORD Cancel() override;
  void HandleClosed() override;

  // Each returns ERROR_SUCCESS or the Win32 error of the call.
  DWORD Setup(DWORD inQueue);
  DWORD GetState(DCB& dcb);
  DWORD SetState(const DCB& dcb);
  DWORD GetTimeouts(COMMTIMEOUTS& timeouts);
  DWORD SetTimeouts(const COMMTIMEOUTS& timeouts);
  DWORD SetMask(DWORD mask);
  DWORD GetMask(DWORD& mask);
  // ERROR_IO_PENDING when an overlapped wait was started; `eventMask` is written when it ends.
  DWORD WaitEvent(DWORD* eventMask, OVERLAPPED* overlapped);
  DWORD Purge(DWORD flags);
  DWORD ClearError(DWORD* errors, COMSTAT* status);
  DWORD Escape(DWORD function);

private:
  using Clock = std::chrono::steady_clock;
  using Requests = std::vector<std::shared_ptr<PortRequest>>;

  SerialPort(int fd, int wakeFd, bool overlapped, const DCB& dcb);

  void Run();
  void Wake();

  // A read or write: `plan` fills in its time limits from the time-outs, under the lock; then it is
  // handed to the I/O thread like any request.
  template <class Plan>
  DWORD Transfer(const std::shared_ptr<PortRequest>& request, DWORD& done, OVERLAPPED* overlapped, Plan plan);

  // All of these run with m_lock held.
  DWORD UsableLocked() const;
  DWORD MakeRawLocked();
  DWORD SubmitLocked(std::unique_lock<std::mutex>& lock, const std::shared_ptr<PortRequest>& request,
                     Requests& completed);
  void ServiceLocked(Clock::time_point now);
  void ServiceReadsLocked(Clock::time_point now);
  void ServiceWritesLocked(Clock::time_point now);
  void PullLocked();
  void RaiseLocked(DWORD event);
  void FinishLocked(const std::shared_ptr<PortRequest>& request, DWORD error);
  void AbortLocked(std::deque<std::shared_ptr<PortRequest>>& queue, std::optional<DWORD> thread);
  void AbortAllLocked();
  void DeviceGoneLocked();
  std::optional<Clock::time_point> NextDeadlineLocked() const;
  void SetModemLineLocked(int line, bool on);

  // Publishes the ends of overlapped transfers; called with no lock held.
  static void Deliver(const Requests& completed);

  mutable std::mutex m_lock;
  std::condition_variable m_done;  // a blocking transfer ended, or the write queue emptied
  int m_fd = -1;
  int m_wakeFd = -1;
  bool m_overlapped = false;
  bool m_gone = false;    // the device went away: everything fails with ERROR_GEN_FAILURE
  bool m_closed = false;  // the handle was closed
  bool m_stopping = false;
  bool m_raw = false;  // the line has been set to raw bytes; input is taken only from then on
  DCB m_dcb{};
  COMMTIMEOUTS m_timeouts{};
  DWORD m_mask = 0;
  DWORD m_history = 0;  // events of the mask that happened while no wait was pending
  std::size_t m_inCapacity = 4096;
  std::vector<BYTE> m_input;
  std::deque<std::shared_ptr<PortRequest>> m_reads;
  std::deque<std::shared_ptr<PortRequest>> m_writes;
  std::shared_ptr<PortRequest> m_wait;
  Requests m_completed;  // overlapped transfers that ended, to be delivered outside the lock
  std::thread m_thread;
};

}  // namespace tolvar::comm
