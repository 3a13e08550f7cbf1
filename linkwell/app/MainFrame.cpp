#include "MainFrame.h"
#include "TrafficLog.h"

#include "LinkMessageBox.h"
#include "LinkSettings.h"
#include "PhoneSetupDlg.h"
#include "PortMenu.h"
#include "ProcessTools.h"
#include "resource.h"

#include <controls/Controls.h>
#include <resources/Resource.h>
#include <StringLoader.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT WM_RUN_FRAME_TASKS = WM_USER + 20;
constexpr char kPhoneListFile[] = "Phones.ini";
constexpr char kTestCommandLine[] = "Test";
// Where a test runs the link when 4000 may be taken by another run on the machine.
constexpr char kLinkPortVariable[] = "TOLVAR_LINK_PORT";
constexpr SuiteProgramLimits kMenuLimits{kMaxSuitePrograms, 32, 40};
constexpr char kSuiteAppComments[] = "Dravik App";

struct TrayAnimationSpec {
  UINT first, last, intervalMs;
};
constexpr TrayAnimationSpec kAnimations[] = {
    {IDI_SEARCH_FIRST, IDI_SEARCH_LAST, 50},    // TrayAnimation::Search
    {IDI_IN_USE_FIRST, IDI_IN_USE_LAST, 500},   // TrayAnimation::InUse
};

// The texts of the tray menu, set from the string files when the frame is made.
struct MenuText {
  UINT id;
  UINT stringId;
};
constexpr MenuText kMenuTexts[] = {
    {ID_SHOW_LAUNCHER, IDS_NO_PHONE}, {ID_CONNECT, IDS_FIND_PHONE}, {ID_PHONE_SETUP, IDS_PHONE_SELECTION},
    {ID_ABOUT, IDS_ABOUT_ITEM},       {ID_EXIT, IDS_EXIT_ITEM},
};

bool IsTestStart() {
  const CWinApp* app = AfxGetApp();
  return app && app->m_lpCmdLine && std::strcmp(app->m_lpCmdLine, kTestCommandLine) == 0;
}

}  // namespace

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

UINT CMainFrame::LinkPort() {
  if (const char* text = std::getenv(kLinkPortVariable)) {
    unsigned port = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, port);
    if (error == std::errc() && stop == end && port > 0 && port <= 0xFFFF) return port;
  }
  return CLinkService::kLinkPort;
}

CMainFrame::CMainFrame() : m_link(*this) {
  m_link.Start(LinkPort(), kPhoneListFile);
  m_linkStarted = true;
}

CMainFrame::~CMainFrame() { m_link.Stop(); }

const AFX_MSGMAP* CMainFrame::GetMessageMap() const {
  static const AFX_MSGMAP map{CFrameWnd::GetMessageMap(), {
      MapMessage(WM_CREATE, &CMainFrame::OnCreate),
      MapMessage(WM_TIMER, &CMainFrame::OnTimer),
      MapMessage(WM_LINK_NOTICE, &CMainFrame::OnLinkNotice),
      MapMessage(WM_RUN_FRAME_TASKS, &CMainFrame::OnRunTasks),
      MapMessage(WM_DESTROY, &CMainFrame::OnDestroy),
      MapCommand(ID_SHOW_LAUNCHER, &CMainFrame::OnShowVezezudara),
      MapCommandRange(ID_SUITE_APP_FIRST, ID_SUITE_APP_LAST, &CMainFrame::OnStartSuiteApp),
      MapCommand(ID_CONNECT, &CMainFrame::OnConnect),
      MapCommand(ID_PHONE_SETUP, &CMainFrame::OnPhoneSetup),
      MapCommandRange(ID_PORT_FIRST, ID_PORT_LAST, &CMainFrame::OnSelectPortOrPhone),
      MapCommand(ID_EXIT, &CMainFrame::OnAppExit),
  }};
  return &map;
}

// --- window creation -----------------------------------------------------------------------------

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs) {
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
  }();
  if (registered) cs.lpszClass = kClassName;
  return CFrameWnd::PreCreateWindow(cs);
}

LRESULT CMainFrame::OnCreate(WPARAM wParam, LPARAM lParam) {
  if (CFrameWnd::OnCreate(wParam, lParam) == -1) return -1;
  HICON noPhone = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_STATE_NO_PHONE));
  // A desktop without a notification area still needs the link: the suite's programs reach the
  // phone through it. The icon, its tip and its menu are then simply not shown.
  m_tray.Create(nullptr, WM_TRAY_NOTIFY, GetText(IDS_TRAY_TIP), noPhone, IDR_MAINFRAME);
  m_trayPopup = m_tray.Menu().GetSafeHmenu() ? ::GetSubMenu(m_tray.Menu().GetSafeHmenu(), 0) : nullptr;
  BuildAppMenu(".");
  RebuildPortMenu(true);
  if (m_trayPopup) {
    for (const MenuText& text : kMenuTexts) m_tray.Menu().ModifyItem(static_cast<LPCSTR>(GetText(text.stringId)), text.id);
    if (HMENU ports = FindSubMenu(m_trayPopup, "Configure COM port   ")) {
      const int count = ::GetMenuItemCount(m_trayPopup);
      for (int position = 0; position < count; ++position) {
        if (::GetSubMenu(m_trayPopup, position) != ports) continue;
        if (auto* kit = dynamic_cast<GlyphMenu*>(CMenu::FromHandlePermanent(m_trayPopup))) {
          kit->SetItemByPosition(static_cast<UINT>(position), MF_OWNERDRAW | MF_POPUP, reinterpret_cast<UINT_PTR>(ports),
                                 GetText(IDS_CONFIGURE_PORT));
        }
      }
    }
  }
  m_tray.SetMenuDefaultItem(ID_CONNECT, FALSE);

  const bool test = IsTestStart();
  const bool hasBuild = CSettingsKey().ReadText("Build").has_value();
  if (!hasBuild) {
    // The setup runs once the frame is the main window; the launcher starts after it.
    Queue([this, test] {
      OnPhoneSetup();
      if (!test) StartProcess(kLauncherProgram);
    });
  } else if (!test) {
    StartProcess(kLauncherProgram);
  }
  return 0;
}

void CMainFrame::BuildAppMenu(const char* folder) {
  m_programs = FindSuitePrograms(folder, kSuiteAppComments, kMenuLimits);
  if (!m_trayPopup) return;
  for (std::size_t i = 0; i < m_programs.size(); ++i) {
    const SuiteProgram& program = m_programs[i];
    const UINT id = ID_SUITE_APP_FIRST + static_cast<UINT>(i);
    ::InsertMenuA(m_trayPopup, 2, MF_BYPOSITION | MF_STRING, id, program.description.c_str());
  }
  SyncMenuRecords(m_trayPopup);
  // Each program's entry shows the program's icon.
  for (std::size_t i = 0; i < m_programs.size(); ++i) {
    if (!m_programs[i].icon) continue;
    HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0);
    const int index = ImageList_AddIcon(images, m_programs[i].icon);
    m_tray.Menu().ModifyItemImage(nullptr, ID_SUITE_APP_FIRST + static_cast<UINT>(i), images, index);
    ImageList_Destroy(images);
  }
}

void CMainFrame::RebuildPortMenu(bool rediscover) {
  if (!m_trayPopup) return;
  HMENU ports = FindSubMenu(m_trayPopup, static_cast<LPCSTR>(GetText(IDS_CONFIGURE_PORT)));
  if (!ports) ports = FindSubMenu(m_trayPopup, "Configure COM port   ");
  if (!ports) return;
  if (rediscover) m_link.RediscoverPorts();
  FillPortMenu(ports, m_link.Ports(), m_link.SelectedPort().reportPort, static_cast<LPCSTR>(GetText(IDS_PORT_NONE)));
}

// --- ILinkFrame: queued to the main thread --------------------------------------------------------

void CMainFrame::Queue(std::function<void()> task) {
  {
    std::lock_guard lock(m_tasksLock);
    m_tasks.push_back(std::move(task));
  }
  if (m_hWnd) PostMessage(WM_RUN_FRAME_TASKS);
}

LRESULT CMainFrame::OnRunTasks(WPARAM, LPARAM) {
  std::vector<std::function<void()>> tasks;
  {
    std::lock_guard lock(m_tasksLock);
    tasks.swap(m_tasks);
  }
  for (auto& task : tasks) task();
  return 0;
}

void CMainFrame::StartAnimation(TrayAnimation animation) {
  const TrayAnimationSpec spec = kAnimations[animation == TrayAnimation::Search ? 0 : 1];
  Queue([this, spec] {
    m_tray.SetIconList(spec.first, spec.last);
    m_tray.Animate(spec.intervalMs, 0);
  });
}

void CMainFrame::StopAnimation() {
  // The link shows a search's outcome before it stops the search's animation; the tray would then
  // put back the icon from before the search. The state shown last is the one that holds.
  Queue([this] {
    m_tray.StopAnimation();
    m_tray.SetIcon(m_stateIcon);
  });
}

void CMainFrame::ShowStatus(UINT icon, const std::string& status) {
  Queue([this, icon, status] {
    SetStateIcon(icon);
    m_tray.SetTooltipText(status.c_str());
    SetStatusText(status);
  });
}

void CMainFrame::SetIdleTimer(UINT ms) {
  Queue([this, ms] { SetTimer(IDLE_TIMER_ID, ms); });
}

void CMainFrame::KillIdleTimer() {
  Queue([this] { KillTimer(IDLE_TIMER_ID); });
}

void CMainFrame::PostNotice(UINT stringId) { PostMessage(WM_LINK_NOTICE, stringId); }

std::string CMainFrame::LoadText(UINT stringId) { return static_cast<LPCSTR>(GetText(stringId)); }

void CMainFrame::ReportSocketError(int error) {
  const std::string text = FormatErrorText(static_cast<DWORD>(error));
  // One socket error is shown at a time: the box runs a loop of its own, in which more clients can
  // fail, and a box for each would let any local client pile windows up without end. What comes
  // while a box is up goes to the log.
  if (m_socketErrorShown) {
    LogTraffic(0, text.c_str(), TRAFFIC_STATUS, -1);
    return;
  }
  m_socketErrorShown = true;
  ShowLinkMessage(text, LoadText(IDS_PHONE_SELECTION), MB_ICONINFORMATION);
  m_socketErrorShown = false;
}

LRESULT CMainFrame::OnTimer(WPARAM id, LPARAM) {
  if (id == IDLE_TIMER_ID) m_link.OnIdleTimer();
  return 0;
}

LRESULT CMainFrame::OnLinkNotice(WPARAM stringId, LPARAM) {
  if (m_link.TakeNotice()) {
    ShowLinkMessage(LoadText(static_cast<UINT>(stringId)), LoadText(IDS_PHONE_SELECTION), MB_ICONINFORMATION);
  }
  return 0;
}

LRESULT CMainFrame::OnDestroy(WPARAM, LPARAM) {
  KillTimer(IDLE_TIMER_ID);
  m_link.Stop();
  return Default();
}

void CMainFrame::SetStatusText(const std::string& status) {
  if (m_trayPopup) m_tray.Menu().ModifyItem(status.c_str(), ID_SHOW_LAUNCHER);
}

void CMainFrame::SetStateIcon(UINT icon) {
  m_stateIcon = icon;
  m_tray.SetIcon(icon);
}

void CMainFrame::ShowNoPhone() {
  const std::string text = LoadText(IDS_NO_PHONE);
  SetStateIcon(IDI_STATE_NO_PHONE);
  m_tray.SetTooltipText(text.c_str());
  SetStatusText(text);
}

// --- the tray menu ---------------------------------------------------------------------------------

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_TRAY_NOTIFY && msg->lParam == WM_RBUTTONUP) return PrepareTrayMenu();
  // A request to close from outside (the launcher closing the suite) ends the way "Exit" does.
  if (msg->message == WM_CLOSE && msg->hwnd == m_hWnd) PostMessage(WM_COMMAND, ID_EXIT);
  return CFrameWnd::PreTranslateMessage(msg);
}

bool CMainFrame::PrepareTrayMenu() {
  if (m_setupRunning || m_link.IsSearching()) return true;
  if (m_link.IsRelayPortOpen()) {
    RebuildPortMenu(false);
    return false;
  }
  RebuildPortMenu(true);
  const std::string selected = m_link.SelectedPort().reportPort;
  bool listed = false;
  for (const PortRow& row : m_link.Ports()) listed = listed || row.reportPort == selected;
  if (!listed) {
    ShowNoPhone();
    m_link.ClearSelection();
  }
  return false;
}

void CMainFrame::OnShowVezezudara() {
  if (HWND launcher = FindRunningWindow(kLauncherName)) {
    if (::IsIconic(launcher)) ::ShowWindow(launcher, SW_RESTORE);
    return;
  }
  StartProcess(kLauncherProgram);
}

void CMainFrame::OnStartSuiteApp(UINT id) {
  const std::size_t index = id - ID_SUITE_APP_FIRST;
  if (index >= m_programs.size()) return;
  char commandLine[MAX_PATH + 32];
  std::snprintf(commandLine, sizeof commandLine, "Vezezudara.exe App=%s", m_programs[index].fileName.c_str());
  StartProcess(commandLine);
}

void CMainFrame::OnConnect() {
  // A search would take the port from under the program that owns the link: say so instead.
  if (m_link.IsLinkOwned()) {
    ShowLinkMessage(LoadText(IDS_PHONE_IN_USE), LoadText(IDS_PHONE_SELECTION), MB_ICONINFORMATION);
    return;
  }
  m_link.FindPhone();
}

void CMainFrame::OnPhoneSetup() {
  if (FindRunningWindow(kLauncherName)) {
    ShowLinkMessage(LoadText(IDS_CLOSE_LAUNCHER), LoadText(IDS_PHONE_SELECTION), MB_ICONINFORMATION);
    return;
  }
  m_setupRunning = true;
  ShowNoPhone();
  m_link.ClearSelection();
  CPhoneSetupDlg setup(*this, kPhoneListFile, this);
  setup.DoModal();
  m_setupRunning = false;
}

void CMainFrame::OnSelectPortOrPhone(UINT id) {
  HMENU ports = m_trayPopup ? FindSubMenu(m_trayPopup, static_cast<LPCSTR>(GetText(IDS_CONFIGURE_PORT))) : nullptr;
  if (!ports) return;
  const std::string port = MenuItemText(ports, id, MF_BYCOMMAND);
  const bool checked = (::GetMenuState(ports, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
  // Choosing the checked port again, or an entry that names no port ("None"), clears the choice.
  if (checked || !m_link.SelectPort(port)) {
    m_link.ClearSelection();
    ::CheckMenuItem(ports, id, MF_BYCOMMAND | MF_UNCHECKED);
    ShowNoPhone();
    return;
  }
  FillPortMenu(ports, m_link.Ports(), port, static_cast<LPCSTR>(GetText(IDS_PORT_NONE)));
  const std::string status = LoadText(IDS_SELECTED) + port;
  SetStateIcon(IDI_PORT_CHOSEN);
  m_tray.SetTooltipText(status.c_str());
  SetStatusText(status);
}

void CMainFrame::OnAppExit() {
  // The launcher closes the suite, and the link service with it.
  if (HWND launcher = FindRunningWindow(kLauncherName)) {
    ::PostMessageA(launcher, WM_CLOSE, reinterpret_cast<WPARAM>(m_hWnd), 0);
    return;
  }
  SendMessage(WM_CLOSE);
}
