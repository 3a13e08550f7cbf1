#include "LinkServiceHost.h"

#include "LinkFrame.h"
#include "LinkService.h"

#include <base/Time.h>
#include <framework/AsyncSocket.h>
#include <kernel/MessageQueue.h>

#include <optional>

namespace {

// The main frame as far as the service asks it: only timer 2 does something, the rest is shown
// to nobody.
class QuietFrame : public ILinkFrame {
 public:
  void StartAnimation(TrayAnimation) override {}
  void StopAnimation() override {}
  void ShowStatus(UINT, const std::string&) override {}
  void SetIdleTimer(UINT ms) override {
    std::lock_guard lock(m_lock);
    m_period = ms;
    m_due = GetTickCount() + ms;
  }
  void KillIdleTimer() override {
    std::lock_guard lock(m_lock);
    m_due.reset();
  }
  void PostNotice(UINT) override {}
  std::string LoadText(UINT stringId) override {
    return stringId == IDS_NO_PHONE_CONNECTED ? "No phone connected." : " connected on ";
  }
  void ReportSocketError(int) override {}

  // True once each time timer 2 ran out; it then runs again, as a window timer does.
  bool TakeTimerTick() {
    std::lock_guard lock(m_lock);
    if (!m_due || static_cast<LONG>(GetTickCount() - *m_due) < 0) return false;
    m_due = GetTickCount() + m_period;
    return true;
  }

 private:
  std::mutex m_lock;
  std::optional<DWORD> m_due;
  UINT m_period = 0;
};

}  // namespace

LinkServiceHost::LinkServiceHost(std::string phoneListPath) : m_phoneListPath(std::move(phoneListPath)) {
  m_thread = std::thread([this] { Run(); });
  std::unique_lock lock(m_lock);
  m_changed.wait(lock, [this] { return m_started; });
}

LinkServiceHost::~LinkServiceHost() {
  {
    std::lock_guard lock(m_lock);
    m_stop = true;
  }
  m_thread.join();
}

void LinkServiceHost::Run() {
  AfxSocketInit();
  QuietFrame frame;
  CLinkService service(frame);
  const bool listening = service.Start(0, m_phoneListPath.c_str()) == 0;
  {
    std::lock_guard lock(m_lock);
    m_port = listening ? static_cast<u_short>(service.ListeningPort()) : 0;
    m_started = true;
  }
  m_changed.notify_all();
  while (true) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    tolvar::framework::PumpSocketNotifications();
    if (frame.TakeTimerTick()) service.OnIdleTimer();
    std::lock_guard lock(m_lock);
    if (m_stop) break;
  }
  service.Stop();
}
