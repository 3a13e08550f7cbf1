#pragma once
// What the link service's end-to-end tests run it with: a frame that records what the service asks
// of it, a main thread that hosts the service as the program's main thread does (it pumps the
// listener's socket notifications and runs timer 2), and a client that speaks link packets over
// loopback TCP as the phone-access library does.
#include "LinkFrame.h"
#include "LinkService.h"

#include <linkwell/LinkPacket.h>

#include <base/WinDef.h>
#include <net/WinSock.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace linkwell::testing {

using Bytes = std::vector<BYTE>;

// Records each call as a line ("StartAnimation InUse", "ShowStatus 138 Tavik-D connected on COM1",
// "SetIdleTimer 7000", "PostNotice 129"...), and keeps timer 2 as a deadline the host runs.
class RecordingFrame : public ILinkFrame {
 public:
  void StartAnimation(TrayAnimation animation) override;
  void StopAnimation() override;
  void ShowStatus(UINT icon, const std::string& status) override;
  void SetIdleTimer(UINT ms) override;
  void KillIdleTimer() override;
  void PostNotice(UINT stringId) override;
  std::string LoadText(UINT stringId) override;
  void ReportSocketError(int error) override;

  std::vector<std::string> Calls() const;
  bool Called(const std::string& call) const;
  // Waits until `call` was made, at most `ms`.
  bool WaitFor(const std::string& call, DWORD ms) const;
  void Forget();
  // True once each time timer 2 ran out; it then runs again, as a window timer does.
  bool TakeTimerTick();

 private:
  void Record(std::string call);

  mutable std::mutex m_lock;
  mutable std::condition_variable m_changed;
  std::vector<std::string> m_calls;
  std::optional<DWORD> m_timerDue;
  UINT m_timerPeriod = 0;
};

// The link service on a main thread of its own, listening on a free loopback port.
class ServiceHost {
 public:
  ServiceHost(RecordingFrame& frame, std::string phoneListPath);
  ~ServiceHost();  // stops the service on its main thread
  ServiceHost(const ServiceHost&) = delete;
  ServiceHost& operator=(const ServiceHost&) = delete;

  UINT Port() const { return m_port; }
  // Runs `task` on the main thread and waits for it.
  void OnMainThread(const std::function<void(CLinkService&)>& task);
  // Stops the service now; gives how long that took.
  DWORD Stop();

 private:
  void Run();

  RecordingFrame& m_frame;
  std::string m_phoneListPath;
  UINT m_port = 0;
  std::mutex m_lock;
  std::condition_variable m_changed;
  bool m_started = false;
  bool m_stop = false;
  bool m_stopped = false;
  DWORD m_stopTook = 0;
  std::function<void(CLinkService&)> m_task;
  std::thread m_thread;
};

struct LinkPacket {
  BYTE type = 0;
  Bytes payload;
  std::string Text() const { return std::string(payload.begin(), payload.end()); }
};

class LinkClient {
 public:
  explicit LinkClient(UINT port);
  ~LinkClient();
  LinkClient(const LinkClient&) = delete;
  LinkClient& operator=(const LinkClient&) = delete;

  bool Connected() const { return m_connected; }
  void Send(BYTE type, const Bytes& payload = {});
  void Send(BYTE type, const std::string& payload) { Send(type, Bytes(payload.begin(), payload.end())); }
  // The next packet, waiting at most `ms`; none when nothing came.
  std::optional<LinkPacket> Receive(DWORD ms);
  // The next packet that is not an empty PKT_FROM_PHONE.
  std::optional<LinkPacket> ReceiveSome(DWORD ms);
  // The phone's bytes, gathered from PKT_FROM_PHONE packets until a whole PTE reply frame came;
  // its reply text, or none (also when another kind of packet came first: it is kept in `other`).
  std::optional<std::string> ReceiveReply(DWORD ms, std::optional<LinkPacket>* other = nullptr);
  // Sends the PTE wake-up sequence and drops what the phone says to it.
  void WakePhone();
  void SendFrame(const std::string& command);
  void Close();
  // Closes with a reset instead of an orderly end, as a client that crashes or is killed does.
  void Reset();

 private:
  SOCKET m_socket = INVALID_SOCKET;
  bool m_connected = false;
  Bytes m_pending;
};

// The hello: sends PKT_CONNECT and gives the text of PKT_CONNECT_RESULT (without its NUL), or
// "<none>" when none came within `ms`.
std::string Hello(LinkClient& client, DWORD ms = 15000);

}  // namespace linkwell::testing
