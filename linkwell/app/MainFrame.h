#pragma once
// The link service's hidden main window. It owns the link (CLinkService), the tray icon with its
// menu, and the suite program table, and carries out the tray menu's commands.
//
// Threads: the link worker and the connect thread reach the frame through ILinkFrame from any
// thread; those calls are queued and carried out on the main thread (a posted WM_RUN_FRAME_TASKS),
// in the order they were made. LoadText is answered at once (the string loader is shared safely).
#include "LinkFrame.h"
#include "LinkService.h"
#include "SuitePrograms.h"
#include "SystemTray.h"

#include <framework/Afx.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

constexpr UINT WM_TRAY_NOTIFY = WM_USER + 10;  // the tray icon's callback message
constexpr std::size_t kMaxSuitePrograms = 9;

class CMainFrame : public CFrameWnd, public ILinkFrame {
  DECLARE_DYNCREATE(CMainFrame)

 public:
  CMainFrame();
  ~CMainFrame() override;

  // The frame's window class: a second start of the service finds the running one's frame by it.
  static constexpr char kClassName[] = "LinkwellFrame";

  // The link listens on `port` of the loopback address (4000; a test may ask for another) and
  // reads the phone list from "Phones.ini" in the current folder.
  static UINT LinkPort();

  // ILinkFrame
  void StartAnimation(TrayAnimation animation) override;
  void StopAnimation() override;
  void ShowStatus(UINT icon, const std::string& status) override;
  void SetIdleTimer(UINT ms) override;
  void KillIdleTimer() override;
  void PostNotice(UINT stringId) override;
  std::string LoadText(UINT stringId) override;
  void ReportSocketError(int error) override;

  void BuildAppMenu(const char* folder);
  void RebuildPortMenu(bool rediscover);

  CLinkService& Link() { return m_link; }
  CSystemTray& Tray() { return m_tray; }
  HMENU TrayPopup() const { return m_trayPopup; }
  const std::vector<SuiteProgram>& Programs() const { return m_programs; }
  bool IsSetupRunning() const { return m_setupRunning; }

  // The tray menu's commands.
  void OnShowVezezudara();
  void OnStartSuiteApp(UINT id);
  void OnConnect();
  void OnPhoneSetup();
  void OnSelectPortOrPhone(UINT id);
  void OnAppExit();

  BOOL PreCreateWindow(CREATESTRUCTA& cs) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  const AFX_MSGMAP* GetMessageMap() const override;

 protected:
  LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
  LRESULT OnTimer(WPARAM id, LPARAM);
  LRESULT OnLinkNotice(WPARAM stringId, LPARAM);
  LRESULT OnRunTasks(WPARAM, LPARAM);
  LRESULT OnDestroy(WPARAM, LPARAM);

 private:
  // Runs `task` on the main thread, after every task queued before it.
  void Queue(std::function<void()> task);
  void SetStatusText(const std::string& status);
  void ShowNoPhone();
  // The icon of the link's state (no phone, found, port chosen), shown again after an animation.
  void SetStateIcon(UINT icon);
  // The tray's right click, before the menu opens: true refuses the menu.
  bool PrepareTrayMenu();

  CLinkService m_link;
  CSystemTray m_tray;
  HMENU m_trayPopup = nullptr;
  std::vector<SuiteProgram> m_programs;
  UINT m_stateIcon = 137;
  bool m_setupRunning = false;
  bool m_linkStarted = false;
  bool m_socketErrorShown = false;  // a socket error's box is up
  std::mutex m_tasksLock;
  std::vector<std::function<void()>> m_tasks;
};
