// The launcher's frame: its parts, the program slots' operations, the hosting protocol's messages
// and the suite close.
#include "MainFrame.h"

#include "AboutDlg.h"
#include "LauncherMessages.h"
#include "VezezudaraView.h"
#include "resource.h"

#include <StringLoader.h>
#include <LauncherProtocol.h>
#include <SharedMemory.h>

#include <controls/Controls.h>
#include <kernel/Kernel.h>
#include <kernel/Module.h>
#include <registry/RegistryKey.h>
#include <resources/Resource.h>

#include <algorithm>

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

namespace {

constexpr char kSettingsKey[] = "Software\\Halvane\\Tolvar\\Settings";
constexpr char kLinkwellKey[] = "Software\\Halvane\\Tolvar\\Linkwell";
constexpr COLORREF kBarBackground = 0xFDEAE1;
constexpr int kMinWidth = 800;
constexpr int kMinHeight = 580;
constexpr UINT kStartTimeoutMs = 10000;
constexpr UINT kFrontDelayMs = 1000;
constexpr UINT kClosingCheckMs = 250;
// A program that destroyed its window ends at once; one that hangs in its exit is left to the next
// refresh rather than hanging the launcher.
constexpr DWORD kExitWaitMs = 5000;
constexpr int kIconArea = 18;  // the caption's icon cell, left of the title

enum CaptionButtonId : UINT { kButtonClose = 1, kButtonMaximize = 2, kButtonMinimize = 3, kButtonAbout = 4 };

HBITMAP ModuleBitmap(int id) { return LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)); }

// Texts through the suite's string loader (bound to "Vezezudara" by the program), so they follow
// the chosen language; the program's own string table answers what the loader cannot.
CString ModuleString(UINT id) { return GetText(id); }

// A REG_DWORD of at most four bytes (fewer leave the rest zero); 0 when absent or of another kind.
DWORD ReadDword(LPCSTR key, LPCSTR name) {
  tolvar::registry::RegistryKey opened;
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
  if (opened.Open(HKEY_CURRENT_USER, key, KEY_READ) != ERROR_SUCCESS ||
      opened.QueryValue(name, type, bytes) != ERROR_SUCCESS || type != REG_DWORD || bytes.size() > 4)
    return 0;
  bytes.resize(4, 0);
  return static_cast<DWORD>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<DWORD>(bytes[3]) << 24);
}

// A REG_SZ of at most `limit` - 1 characters: a longer or unterminated value counts as absent.
bool ReadText(LPCSTR key, LPCSTR name, DWORD limit, std::string& text) {
  tolvar::registry::RegistryKey opened;
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
  if (opened.Open(HKEY_CURRENT_USER, key, KEY_READ) != ERROR_SUCCESS ||
      opened.QueryValue(name, type, bytes) != ERROR_SUCCESS || type != REG_SZ || bytes.size() > limit)
    return false;
  const auto end = std::find(bytes.begin(), bytes.end(), BYTE{0});
  if (end == bytes.end()) return false;
  text.assign(bytes.begin(), end);
  return true;
}

}  // namespace

CMainFrame::CMainFrame() { m_displayStatusBar = ReadDword(kSettingsKey, "DisplayStatusBar"); }

CMainFrame::~CMainFrame() {
  if (m_statusFont) DeleteObject(m_statusFont);
}

// ---- Creation ---------------------------------------------------------------------------------

BOOL CMainFrame::PreCreateWindow(CREATESTRUCTA& cs) {
  static const bool registered = [] {
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcA;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
  }();
  if (registered) cs.lpszClass = kClassName;
  if (!CFrameWnd::PreCreateWindow(cs)) return FALSE;
  cs.cx = kMinWidth;
  cs.cy = kMinHeight;
  cs.hMenu = nullptr;
  cs.style |= WS_CLIPCHILDREN;
  return TRUE;
}

LRESULT CMainFrame::OnCreate(WPARAM wParam, LPARAM lParam) {
  m_closeMainFrame = CloseMainFrameMessage();
  if (CFrameWnd::OnCreate(wParam, lParam) == -1) return -1;
  // One pane, stretched and without border.
  if (!m_statusBar.Create(this)) return -1;
  m_statusBar.SetIndicators(nullptr, 1);
  m_statusFont = CreateFontA(13, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Verdana");
  ::SendMessageA(m_statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(m_statusFont), TRUE);
  SetStatusText("");

  m_caption.Install(m_hWnd, WM_CAPTION_REPAINT);
  m_buttons.Attach(m_hWnd);
  m_buttons.SetTransparentColour(RGB(255, 0, 255));
  m_buttons.SetBackgroundColour(0);
  // The same bitmap stands for the normal and the hot look; the bar deletes it once.
  HBITMAP close = ModuleBitmap(IDB_CLOSE), maximize = ModuleBitmap(IDB_MAXIMIZE);
  HBITMAP minimize = ModuleBitmap(IDB_MINIMIZE), about = ModuleBitmap(IDB_ABOUT);
  m_buttons.AddButton(kButtonClose, close, close, ModuleBitmap(IDB_CLOSE_PRESSED), ModuleString(IDS_CLOSE));
  m_buttons.AddButton(kButtonMaximize, maximize, maximize, ModuleBitmap(IDB_MAXIMIZE_PRESSED),
                      ModuleString(IDS_MAXIMIZE));
  m_buttons.AddButton(kButtonMinimize, minimize, minimize, ModuleBitmap(IDB_MINIMIZE_PRESSED),
                      ModuleString(IDS_MINIMIZE));
  m_buttons.AddButton(kButtonAbout, about, about, ModuleBitmap(IDB_ABOUT_PRESSED), ModuleString(IDS_ABOUT));
  RecalcLayout();
  return 0;
}

BOOL CMainFrame::OnCreateClient(LPCREATESTRUCTA, CCreateContext* context) {
  if (!m_splitter.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST)) return FALSE;
  if (!m_splitter.CreateView(0, 1, context && context->m_pNewViewClass ? context->m_pNewViewClass
                                                                        : RUNTIME_CLASS(CVezezudaraView),
                             SIZE{0, 0}, context)) {
    return FALSE;
  }
  if (!m_outBar.Create(WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, RECT{0, 0, 0, 0}, &m_splitter,
                       m_splitter.IdFromRowCol(0, 0), CGfxOutBarCtrl::kSelectionRepaint)) {
    return FALSE;
  }
  m_outBar.SetNotifyWindow(m_hWnd);
  m_outBar.SetBackColour(kBarBackground);
  m_outBar.SetTextColour(RGB(0, 0, 0));
  m_outBar.SetAnimationTickCount(20);
  m_largeImages.Create(IDB_LARGE_ICONS, 32, 1, RGB(0x80, 0x80, 0x80));
  m_smallImages.Create(IDB_SMALL_ICONS, 16, 1, 0x808000);
  m_outBar.SetImageList(m_largeImages, 2);
  m_outBar.SetImageList(m_smallImages, 1);
  m_splitter.SetColumnInfo(0, 110, 0);
  m_splitter.SetColumnInfo(1, 110, 0);
  m_splitter.RecalcLayout();

  // The suite's programs, higher SpecialBuild first.
  m_outBar.AddFolder("Tools", 0);
  for (int pass = 8; pass >= 0; --pass) ScanPrograms(m_folder.c_str(), pass);
  m_outBar.SetSelFolder(0);
  m_splitter.RecalcLayout();
  m_pView = static_cast<CVezezudaraView*>(m_splitter.GetPane(0, 1));
  SetActiveView(m_pView, FALSE);
  MeasureView();

  if (!m_linkService.empty()) LaunchProgram(m_linkService, CProgramSlots::kLinkSlot, nullptr);
  if (!ShowProgramByCommand(GetCommandLineA())) {
    // "LastApp" is at most 31 characters; anything else counts as absent.
    std::string last;
    if (ReadText(kLinkwellKey, "LastApp", 32, last)) {
      m_lastApp = last;
      ShowProgramByCommand(("App=" + last).c_str());
    }
  }
  return TRUE;
}

void CMainFrame::SetCaptionTitle(LPCSTR title) {
  m_caption.SetTitle(title);
  m_caption.PaintCaption();
}

// ---- Program slots ----------------------------------------------------------------------------

void CMainFrame::ScanPrograms(LPCSTR folder, int pass) {
  for (int slot : m_slots.Scan(folder, pass)) {
    m_outBar.InsertItem(0, slot, m_slots[slot].description, slot, 0);
    if (!m_slots[slot].icon) continue;
    if (slot < m_largeImages.GetImageCount()) m_largeImages.Replace(slot, m_slots[slot].icon);
    else m_largeImages.Add(m_slots[slot].icon);
  }
}

int CMainFrame::LaunchProgram(const std::string& exeName, int slot, LPCSTR directory) {
  return m_slots.Launch(exeName, slot, directory, m_pView ? m_pView->GetSafeHwnd() : nullptr, m_hWnd);
}

void CMainFrame::RefreshSlots() {
  m_slots.Refresh(m_pView ? m_pView->GetSafeHwnd() : nullptr);
  if (m_closing && CloseAnswered()) FinishClose();
}

void CMainFrame::HideAllPrograms() {
  RefreshSlots();
  for (int i = 0; i < CProgramSlots::kProgramSlots; ++i) {
    const ProgramSlot& slot = m_slots[i];
    if (slot.running && slot.hosted && ::IsWindow(slot.hosted)) ::ShowWindow(slot.hosted, SW_HIDE);
  }
}

CMainFrame::ShowResult CMainFrame::ShowOrStart(int index) {
  RefreshSlots();
  ProgramSlot& slot = m_slots[index];
  if (slot.running) {
    if (!slot.hosted || !::IsWindow(slot.hosted) || ::IsWindowVisible(slot.hosted)) return ShowResult::Nothing;
    HideAllPrograms();
    if (m_pView) m_pView->SetNothingShown(false);
    ::ShowWindow(slot.hosted, SW_SHOW);
    return ShowResult::Shown;
  }
  HideAllPrograms();
  EnableWindow(FALSE);
  LaunchProgram(slot.exeName, index, nullptr);
  // Enabled again by the program's WM_CHILD_READY, or here when it never comes.
  SetTimer(kStartTimer, kStartTimeoutMs);
  return ShowResult::Started;
}

int CMainFrame::ShowProgramByCommand(LPCSTR text) {
  std::string name;
  if (!AppCommandName(text, name)) return 0;
  const int index = m_slots.FindByName(name);
  if (index < 0) return 0;
  const ShowResult result = ShowOrStart(index);
  if (result == ShowResult::Nothing) return 1;
  if (result == ShowResult::Started) m_lastApp = m_slots[index].exeName;
  m_outBar.SetSelItem(index);
  m_outBar.Invalidate();
  return 1;
}

LRESULT CMainFrame::OnOutBarNotify(WPARAM code, LPARAM index) {
  if (code != CGfxOutBarCtrl::kItemClicked) return 0;
  RefreshSlots();
  // Only listed programs: slot 10 (the link service) and empty slots have nothing to start.
  if (index < 0 || index >= m_slots.Count()) return 0;
  if (ShowOrStart(static_cast<int>(index)) != ShowResult::Nothing) m_lastApp = m_slots[static_cast<int>(index)].exeName;
  return 0;
}

LRESULT CMainFrame::OnOutBarNotifyMessage(WPARAM wParam, LPARAM lParam) { return OnOutBarNotify(wParam, lParam); }

// ---- The hosting protocol ---------------------------------------------------------------------

BOOL CMainFrame::PreTranslateMessage(MSG* msg) {
  if (msg->hwnd == m_hWnd) {
    switch (msg->message) {
      case WM_CLOSE:
        m_linkwellWindow = reinterpret_cast<HWND>(msg->wParam);
        break;  // then closed as any WM_CLOSE
      case WM_CHILD_READY: OnChildReady(reinterpret_cast<HWND>(msg->wParam)); return TRUE;
      case WM_INSTANCE_COMMAND: OnInstanceCommand(); return TRUE;
      case WM_CHILD_DESTROYED: OnChildDestroyed(reinterpret_cast<HWND>(msg->wParam)); return TRUE;
      case WM_CHILD_ACTIVATE: OnChildActivate(msg->wParam); return TRUE;
      case WM_VIEW_PAINTED:
        KillTimer(kFrontTimer);
        SetTimer(kFrontTimer, kFrontDelayMs);
        return TRUE;
      case WM_CHILD_STATUS: OnChildStatus(); return TRUE;
      case WM_CHILD_CLOSE_REFUSED:
        m_pendingCloses = 0;
        m_linkwellWindow = nullptr;
        m_closing = false;
        m_closeAsked.fill(false);
        KillTimer(kClosingTimer);
        return TRUE;
      case WM_CAPTION_BUTTON: OnCaptionButton(static_cast<UINT>(msg->wParam)); return TRUE;
      default:
        if (m_closeMainFrame && msg->message == m_closeMainFrame) {
          OnCloseMainFrame();
          return TRUE;
        }
        break;
    }
  }
  if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
    RefreshSlots();
    for (int i = 0; i < CProgramSlots::kProgramSlots; ++i) {
      const ProgramSlot& slot = m_slots[i];
      if (slot.running && slot.hosted && ::IsWindow(slot.hosted) && ::IsWindowVisible(slot.hosted)) {
        ::PostMessageA(slot.hosted, msg->message, msg->wParam, msg->lParam);
        break;
      }
    }
  }
  return CFrameWnd::PreTranslateMessage(msg);
}

void CMainFrame::OnChildReady(HWND child) {
  if (m_pView) m_pView->SetNothingShown(false);
  ::MoveWindow(child, 0, 0, m_viewRect.right - m_viewRect.left, m_viewRect.bottom - m_viewRect.top, TRUE);
  KillTimer(kStartTimer);
  EnableWindow(TRUE);
  ::ShowWindow(child, SW_SHOW);
  RefreshSlots();
}

void CMainFrame::OnInstanceCommand() {
  // The text is copied under the record's mutex, which is released before any program is shown
  // or started: a program writing its status meanwhile must not wait on us while we wait on it.
  const CString text = m_record ? m_record->ReadText() : CString();
  if (text == "Close") PostMessage(WM_CLOSE, 0, 0);
  ShowProgramByCommand(text);
}

void CMainFrame::OnChildDestroyed(HWND child) {
  m_outBar.SetSelItem(-1);
  for (int i = 0; i < CProgramSlots::kProgramSlots; ++i) {
    if (m_slots[i].running && m_slots[i].hosted == child) m_slots.WaitAndFree(i, kExitWaitMs);
  }
  if (m_pView) m_pView->SetNothingShown(true);
  bool shown = false;
  for (int i = 0; i < CProgramSlots::kProgramSlots && !shown; ++i) {
    const ProgramSlot& slot = m_slots[i];
    if (slot.running && slot.hosted && slot.hosted != child && ::IsWindow(slot.hosted)) {
      ::ShowWindow(slot.hosted, SW_SHOW);
      if (m_pView) m_pView->SetNothingShown(false);
      m_outBar.SetSelItem(i);
      shown = true;
    }
  }
  if (!shown && m_pView) ::RedrawWindow(m_pView->GetSafeHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  m_outBar.Invalidate();
  if (m_closing && CloseAnswered()) FinishClose();
}

void CMainFrame::BringToFront(HWND after, UINT flags) {
  HWND foreground = ::GetForegroundWindow();
  const DWORD own = GetCurrentThreadId();
  const DWORD other = foreground ? GetWindowThreadProcessId(foreground, nullptr) : own;
  const bool attach = other != own && other != 0;
  if (attach) AttachThreadInput(own, other, TRUE);
  ::SetWindowPos(m_hWnd, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | flags);
  if (attach) AttachThreadInput(own, other, FALSE);
}

void CMainFrame::SetCaptionActive() {
  m_caption.SetActive((m_ownActive | m_programActive) != 0);
  m_caption.PaintCaption();
}

void CMainFrame::OnChildActivate(WPARAM state) {
  m_programActive = static_cast<DWORD>(state);
  SetCaptionActive();
  if (state) BringToFront(HWND_TOP, SWP_NOACTIVATE);
}

void CMainFrame::OnChildStatus() {
  if (!m_displayStatusBar) return;  // the record is not even read
  const CString text = m_record ? m_record->ReadText() : CString();
  SetStatusText(text);
}

void CMainFrame::SetStatusText(LPCSTR text) {
  if (m_statusBar.GetSafeHwnd()) m_statusBar.SetPaneText(0, text);
}

void CMainFrame::OnCaptionButton(UINT id) {
  switch (id) {
    case kButtonClose: OnClose(); break;
    case kButtonMaximize: ShowWindow(::IsZoomed(m_hWnd) ? SW_RESTORE : SW_MAXIMIZE); break;
    case kButtonMinimize: ShowWindow(SW_MINIMIZE); break;
    case kButtonAbout: RunAbout(); break;
    default: break;
  }
}

void CMainFrame::RunAbout() {
  if (m_aboutOpen) return;  // one at a time
  m_aboutOpen = true;
  const HWND frame = m_hWnd;
  {
    CAboutDlg about(this, m_folder.c_str());
    about.DoModal();
  }
  // A close request (the link service's "Exit", a second instance's "Close") may have ended the
  // frame, and this object with it, while the box was open.
  if (!::IsWindow(frame) || CWnd::FromHandlePermanent(frame) != this) return;
  m_aboutOpen = false;
}

// ---- Suite close ------------------------------------------------------------------------------

void CMainFrame::OnClose() {
  m_pendingCloses = 0;
  m_closeAsked.fill(false);
  for (int i = 0; i < CProgramSlots::kProgramSlots; ++i) {
    if (!m_slots[i].running) continue;
    if (PostThreadMessageA(m_slots[i].threadId, WM_CLOSE, 0, 0)) {
      ++m_pendingCloses;
      m_closeAsked[static_cast<size_t>(i)] = true;
    }
  }
  if (m_pendingCloses == 0) {
    FinishClose();
    return;
  }
  m_closing = true;
  SetTimer(kClosingTimer, kClosingCheckMs);
}

bool CMainFrame::CloseAnswered() {
  if (m_pendingCloses <= 0) return true;
  for (int i = 0; i < CProgramSlots::kProgramSlots; ++i) {
    if (m_closeAsked[static_cast<size_t>(i)] && m_slots[i].running) return false;
  }
  return true;
}

void CMainFrame::OnCloseMainFrame() {
  --m_pendingCloses;
  if (m_closing && m_pendingCloses == 0) FinishClose();
}

void CMainFrame::FinishClose() {
  // Done from the queue: the frame deletes itself with its window, and the callers (a refresh in
  // the middle of a loop, a timer) must not be standing on it then.
  m_closing = false;
  KillTimer(kClosingTimer);
  if (!m_finishPosted) m_finishPosted = PostMessage(kFinishClose, 0, 0);
}

LRESULT CMainFrame::OnFinishClose(WPARAM, LPARAM) {
  for (int i = 0; i < CProgramSlots::kProgramSlots; ++i) {
    if (m_slots[i].running) m_slots[i].Free();
  }
  const HWND linkwell = m_linkwellWindow;
  m_linkwellWindow = nullptr;
  CFrameWnd::OnClose();  // the frame is gone after this
  if (linkwell) ::PostMessageA(linkwell, WM_CLOSE, 0, 0);
  return 0;
}

// ---- Timers, size, destruction ----------------------------------------------------------------

void CMainFrame::MeasureView() {
  if (m_pView && m_pView->GetSafeHwnd()) m_pView->GetClientRect(&m_viewRect);
}

LRESULT CMainFrame::OnTimer(WPARAM id, LPARAM) {
  switch (id) {
    case kStartTimer:
      KillTimer(kStartTimer);
      EnableWindow(TRUE);
      break;
    case kFrontTimer: {
      KillTimer(kFrontTimer);
      MeasureView();
      RefreshSlots();
      HWND foreground = ::GetForegroundWindow();
      for (int i = 0; i < CProgramSlots::kProgramSlots; ++i) {
        const ProgramSlot& slot = m_slots[i];
        if (!slot.running || !slot.hosted || !::IsWindow(slot.hosted) || !::IsWindowVisible(slot.hosted) ||
            slot.hosted == foreground) {
          continue;
        }
        if (foreground != m_hWnd) {
          ::ShowWindow(slot.hosted, SW_HIDE);
          ::ShowWindow(slot.hosted, SW_SHOWNA);
          if (m_pView) ::ValidateRect(m_pView->GetSafeHwnd(), nullptr);
        }
        break;
      }
      break;
    }
    case kClosingTimer:
      RefreshSlots();  // finishes the close once every asked program answered or ended
      break;
    default: break;
  }
  return Default();
}

LRESULT CMainFrame::OnSize(WPARAM wParam, LPARAM lParam) {
  CFrameWnd::OnSize(wParam, lParam);
  const bool zoomed = ::IsZoomed(m_hWnd);
  HBITMAP face = ModuleBitmap(zoomed ? IDB_RESTORE : IDB_MAXIMIZE);
  m_buttons.ReplaceBitmaps(kButtonMaximize, face, face, ModuleBitmap(zoomed ? IDB_RESTORE_PRESSED : IDB_MAXIMIZE_PRESSED));
  if (m_pView && m_pView->GetSafeHwnd()) {
    MeasureView();
    RefreshSlots();
    for (int i = 0; i < CProgramSlots::kProgramSlots; ++i) {
      const ProgramSlot& slot = m_slots[i];
      if (slot.running && slot.hosted && ::IsWindow(slot.hosted)) {
        ::MoveWindow(slot.hosted, 0, 0, m_viewRect.right, m_viewRect.bottom, TRUE);
      }
    }
  }
  return 0;
}

LRESULT CMainFrame::OnGetMinMaxInfo(WPARAM, LPARAM lParam) {
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  if (m_hWnd) info->ptMinTrackSize = POINT{kMinWidth, kMinHeight};
  return 0;
}

LRESULT CMainFrame::OnDestroy(WPARAM, LPARAM) {
  if (!m_lastApp.empty()) {
    tolvar::registry::RegistryKey key;
    if (key.Create(HKEY_CURRENT_USER, kLinkwellKey, KEY_WRITE) == ERROR_SUCCESS) key.SetString("LastApp", m_lastApp);
  }
  m_slots[CProgramSlots::kLinkSlot].process.Reset();
  m_slots[CProgramSlots::kLinkSlot].thread.Reset();
  return Default();
}

// ---- Caption ----------------------------------------------------------------------------------

LRESULT CMainFrame::OnCaptionRepaint(WPARAM wParam, LPARAM lParam) {
  auto* block = reinterpret_cast<CaptionPaintBlock*>(lParam);
  if (!block) {
    m_caption.DeleteCaptionFont();
    return 0;
  }
  const int textRight = block->width - m_buttons.ButtonsWidth() - 2;
  PaintCaptionGradient(block->dc, block->width, block->height, wParam != 0, m_caption.GetTitle(),
                       m_caption.CaptionFont(), kIconArea + 2, textRight);
  return 0;
}

LRESULT CMainFrame::OnCaptionDrawButtons(WPARAM wParam, LPARAM) {
  const RECT caption = CaptionRect(m_hWnd);
  m_buttons.SetPaintDC(reinterpret_cast<HDC>(wParam), POINT{caption.left, caption.top});
  m_buttons.DrawButtons();
  m_buttons.SetPaintDC(nullptr, POINT{0, 0});
  return 0;
}

LRESULT CMainFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACTIVATE) {
    m_ownActive = LOWORD(wParam);
    SetCaptionActive();
    if (LOWORD(wParam)) BringToFront(HWND_NOTOPMOST, SWP_NOACTIVATE);
  }
  switch (message) {
    case WM_ACTIVATE:
    case WM_PAINT:
    case WM_ACTIVATEAPP:
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED:
    case WM_NCPAINT:
    case WM_NCACTIVATE:
    case WM_NCMOUSEMOVE:
    case WM_SYSCOMMAND:
    case WM_INITMENU:
    case WM_CAPTURECHANGED:
    case 0x036D:  // the class library's floating-status message
      m_caption.PaintCaption();
      break;
    default: break;
  }
  return CFrameWnd::WindowProc(message, wParam, lParam);
}

const AFX_MSGMAP* CMainFrame::GetMessageMap() const {
  static const AFX_MSGMAP map{CFrameWnd::GetMessageMap(), {
      MapMessage(WM_CREATE, &CMainFrame::OnCreate),
      MapMessage(WM_CLOSE, &CMainFrame::OnClose),
      MapMessage(WM_TIMER, &CMainFrame::OnTimer),
      MapMessage(WM_SIZE, &CMainFrame::OnSize),
      MapMessage(WM_GETMINMAXINFO, &CMainFrame::OnGetMinMaxInfo),
      MapMessage(WM_DESTROY, &CMainFrame::OnDestroy),
      MapMessage(WM_CAPTION_REPAINT, &CMainFrame::OnCaptionRepaint),
      MapMessage(WM_CAPTION_DRAWBUTTONS, &CMainFrame::OnCaptionDrawButtons),
      MapMessage(WM_OUTBAR_NOTIFY, &CMainFrame::OnOutBarNotifyMessage),
      MapMessage(kFinishClose, &CMainFrame::OnFinishClose),
      MapCommand(ID_APP_ABOUT, &CMainFrame::RunAbout),
  }};
  return &map;
}
