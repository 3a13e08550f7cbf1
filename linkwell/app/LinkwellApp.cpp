#include "LinkwellApp.h"

#include "AboutDlg.h"
#include "MainFrame.h"
#include "ProcessTools.h"
#include "resource.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <controls/CommCtrl.h>
#include <kernel/Sync.h>

#include <cstring>

namespace {
constexpr char kInstanceMutex[] = "LinkwellApp";
constexpr COLORREF kDialogBackground = RGB(0xE1, 0xEA, 0xFD);
constexpr DWORD kFrameStyle = 0xCF8000;  // WS_OVERLAPPEDWINDOW
}  // namespace

CLinkwellApp::CLinkwellApp() : CWinApp("Linkwell") {}
CLinkwellApp::~CLinkwellApp() = default;

const AFX_MSGMAP* CLinkwellApp::GetMessageMap() const {
  static const AFX_MSGMAP map{CWinApp::GetMessageMap(), {
      MapCommand(ID_APP_ABOUT, &CLinkwellApp::OnAppAbout),
  }};
  return &map;
}

BOOL CLinkwellApp::InitInstance() {
  SetDialogBkColor(kDialogBackground, RGB(0, 0, 0));
  SetLastError(0);
  m_instanceMutex.Reset(CreateMutexA(nullptr, FALSE, kInstanceMutex));
  if (!m_instanceMutex) return FALSE;  // the name belongs to another kind of object, or no mutex
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    // A second start: the suite is what the person wants to see. The phone-access library's start
    // ("Test", exactly) only makes sure a service runs. The running service shows the launcher, or
    // starts it: a launcher started from here would belong to this start (its session, its
    // process group) rather than to the suite, and outlive the suite's stop.
    if (!m_lpCmdLine || std::strcmp(m_lpCmdLine, "Test") != 0) {
      if (HWND running = ::FindWindowA(CMainFrame::kClassName, nullptr)) {
        ::PostMessageA(running, WM_COMMAND, ID_SHOW_LAUNCHER, 0);
      } else if (HWND launcher = FindRunningWindow(kLauncherName)) {
        if (::IsIconic(launcher)) ::ShowWindow(launcher, SW_RESTORE);
      } else {
        StartProcess(kLauncherProgram);
      }
    }
    m_instanceMutex.Reset();
    return FALSE;
  }
  InitCommonControls();
  if (!AfxSocketInit()) return FALSE;
  m_frame = std::make_unique<CMainFrame>();
  if (!m_frame->LoadFrame(IDR_MAINFRAME, kFrameStyle)) return FALSE;
  m_pMainWnd = m_frame.get();
  return TRUE;
}

int CLinkwellApp::ExitInstance() {
  m_pMainWnd = nullptr;
  m_frame.reset();
  m_instanceMutex.Reset();
  return CWinApp::ExitInstance();
}

void CLinkwellApp::OnAppAbout() {
  if (m_aboutOpen) return;
  if (HWND launcher = FindRunningWindow(kLauncherName)) {
    ::PostMessageA(launcher, WM_COMMAND, ID_APP_ABOUT, 0);
    return;
  }
  m_aboutOpen = true;
  CLinkwellAboutDlg about(".", m_pMainWnd);
  about.DoModal();
  m_aboutOpen = false;
}
