#include "MediaryDlg.h"

#include "resource.h"

#include <HostedApp.h>
#include <LauncherProtocol.h>
#include <MessageBoxDlg.h>
#include <StringLoader.h>

#include <kernel/File.h>
#include <kernel/Sync.h>
#include <kernel/Wait.h>
#include <registry/WinReg.h>
#include <resources/Resource.h>
#include <shell/ShlObj.h>

#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kPathKey[] = "Software\\Halvane\\Tolvar\\Mediary";
constexpr char kSettingsKey[] = "Software\\Halvane\\Tolvar\\Settings";

// A registry value of text of any length; empty when absent.
std::string ReadRegistryText(LPCSTR keyName, LPCSTR valueName) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
  DWORD type = 0;
  DWORD size = 0;
  std::string buffer;
  if (RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ) {
    buffer.resize(size + 1);
    if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<LPBYTE>(buffer.data()), &size) != ERROR_SUCCESS)
      buffer.clear();
    buffer.resize(std::strlen(buffer.c_str()));
  }
  RegCloseKey(key);
  return buffer;
}

std::string DocumentsFolder() {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, path))) return {};
  return path;
}

CString Joined(const std::vector<int>& ids) {
  CString text;
  for (int id : ids) {
    if (!text.IsEmpty()) text += "\n";
    text += GetText(UINT(id));
  }
  return text;
}

}  // namespace

// --- the worker's reports ---

void CMediaryDlg::CPostedView::OverlayId(int id, unsigned mode) {
  Push({Event::kOverlay, std::string(static_cast<LPCSTR>(GetText(UINT(id)))), mode, 0});
}

int CMediaryDlg::CPostedView::Ask(const std::vector<int>& ids, unsigned type) {
  Question question{ids, type, 0};
  // Sent: the window's thread answers, also while it waits for the worker at a close.
  ::SendMessageA(m_window, kAskMessage, 0, reinterpret_cast<LPARAM>(&question));
  return question.answer;
}

void CMediaryDlg::CPostedView::Pause() { std::this_thread::sleep_for(std::chrono::milliseconds(2000)); }

void CMediaryDlg::CPostedView::Push(Event event) {
  std::lock_guard lock(m_lock);
  m_events.push_back(std::move(event));
  if (!m_posted && m_window) m_posted = ::PostMessageA(m_window, kRunMessage, 0, 0) != FALSE;
}

std::vector<CMediaryDlg::CPostedView::Event> CMediaryDlg::CPostedView::Take() {
  std::lock_guard lock(m_lock);
  m_posted = false;
  return std::exchange(m_events, {});
}

// --- the dialog ---

CMediaryDlg::CMediaryDlg(CManager* manager, CWnd* parent)
    : CEmbeddableDialog(IDD_MEDIARY_DIALOG, parent, TRUE), m_manager(manager) {
  m_changeEvent = tolvar::kernel::UniqueHandle(::CreateEventA(nullptr, FALSE, FALSE, "CHANGE_RESOURCES"));
  m_stopEvent = tolvar::kernel::UniqueHandle(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

CMediaryDlg::~CMediaryDlg() {
  m_worker.reset();
  StopWatcher();
}

int CMediaryDlg::ShowMessage(const CString& text, UINT type) {
  return ShowMessageBox(text, GetText(IDS_CAPTION), type);
}

std::unique_ptr<IMediaryPhone> CMediaryDlg::MakePhone() {
  if (!m_manager) return nullptr;
  return std::make_unique<CManagerMediaryPhone>(*m_manager);
}

BOOL CMediaryDlg::OnInitDialog() {
  CEmbeddableDialog::OnInitDialog();
  RECT client{};
  ::GetClientRect(m_hWnd, &client);
  m_lastClient = {client.right, client.bottom};
  const std::string build = ReadRegistryText(kSettingsKey, "Build");
  m_variant = MediaryVariant::FromBuild(build);
  m_phoneModel.SetBuild(build);
  m_rules.SetBuild(build);
  auto ask = [this](UINT id, UINT type) { return ShowMessage(GetText(id), type); };
  m_phoneList = std::make_unique<CPhonePaneCtrl>(m_phoneModel, ask);
  m_pcList = std::make_unique<CPcPaneCtrl>(m_pcModel, [this](UINT id, const std::string& text, UINT type) {
    return ShowMessage(text.empty() ? GetText(id) : CString(text.c_str()), type);
  });
  m_phoneList->SubclassDlgItem(IDC_PHONE_LIST, this);
  m_pcList->SubclassDlgItem(IDC_PC_LIST, this);
  m_progress.SubclassDlgItem(IDC_PROGRESS, this);
  m_progress.SetTextColors(0xFFFFFF, 0x822A08);
  if (!m_variant.moviesShown) ::ShowWindow(::GetDlgItem(m_hWnd, IDC_MOVIES), SW_HIDE);
  m_folder = StartFolder(ReadRegistryText(kPathKey, "Path"), DocumentsFolder());
  ::SetDlgItemTextA(m_hWnd, IDC_FOLDER_BOX, m_folder.c_str());
  LoadPcFolder();
  m_phoneList->Refill();

  m_phone = MakePhone();
  if (m_phone) {
    m_runs = std::make_unique<CPhoneRuns>(*m_phone, m_view, m_phoneModel, m_pcModel, m_rules);
    m_runs->SetSpecialFolderId(m_variant.specialFolder);
    m_worker = std::make_unique<CRunWorker>(*m_runs);
  }
  m_view.Attach(m_hWnd);

  // The watcher: waits on the event and on the stop event; each refresh goes to this thread.
  HWND window = m_hWnd;
  HANDLE events[2] = {m_changeEvent.Get(), m_stopEvent.Get()};
  if (events[0] && events[1]) {
    m_watcher = std::thread([window, events] {
      while (::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0) ::PostMessageA(window, kChangedMessage, 0, 0);
    });
  }
  return TRUE;
}

void CMediaryDlg::StopWatcher() {
  if (m_stopEvent) ::SetEvent(m_stopEvent.Get());
  if (m_watcher.joinable()) m_watcher.join();
}

void CMediaryDlg::LoadPcFolder() {
  m_pcModel.ListFolder(m_folder, static_cast<LPCSTR>(GetText(1004)));
  if (m_pcList && m_pcList->m_hWnd) m_pcList->Refill();
}

bool CMediaryDlg::AskLanguage() {
  if (!m_firstUse) return true;
  if (ShowMessage(GetText(1061), MB_YESNO | MB_ICONINFORMATION) == IDNO) return false;
  m_firstUse = false;
  return true;
}

void CMediaryDlg::OnGet() {
  if (Busy() || !m_worker) return;
  if (!AskLanguage()) return;
  StartRun(false, 0);
}

void CMediaryDlg::OnTransfer() {
  if (Busy() || !m_runs) return;
  const int total = m_runs->CountQueued();
  if (total <= 0 || !AskLanguage()) return;
  StartRun(true, total);
}

void CMediaryDlg::StartRun(bool transfer, int total) {
  SetRunning(true);
  CPhoneRuns* runs = m_runs.get();
  m_worker->Start([runs, transfer, total] { transfer ? runs->TransferSession(total) : runs->ListSession(); },
                  [this] { m_view.Finished(); });
}

void CMediaryDlg::SetRunning(bool running) {
  for (UINT id : {IDC_GET, IDC_TRANSFER, IDC_DELETE, IDC_NEW_FOLDER, IDC_FILE_MENU, IDC_VIEW_MENU, IDC_PC_LIST,
                  IDC_PHONE_LIST, IDC_PHONE_FRAME, IDC_TO_PHONE, IDC_TO_PC, IDC_IMAGES, IDC_MELODIES, IDC_MOVIES})
    ::EnableWindow(::GetDlgItem(m_hWnd, int(id)), !running);
  if (m_phoneList) m_phoneList->SetBusy(running);
  ::ShowWindow(::GetDlgItem(m_hWnd, IDC_PROGRESS), running ? SW_SHOW : SW_HIDE);
  ::SetDlgItemTextA(m_hWnd, IDC_CANCEL_RUN, GetText(1036));
  ::ShowWindow(::GetDlgItem(m_hWnd, IDC_CANCEL_RUN), running ? SW_SHOW : SW_HIDE);
  if (running) ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS, PBM_SETPOS, 0, 0);
}

void CMediaryDlg::OnCancelRun() {
  if (!Busy()) return;
  CString shown;
  ::GetDlgItemTextA(m_hWnd, IDC_CANCEL_RUN, shown.GetBuffer(64), 64);
  shown.ReleaseBuffer();
  if (shown == GetText(1075)) return;
  // The run goes on while the question is open; a Yes cancels only the exchange still under way.
  m_asking = true;
  const int answer = ShowMessage(GetText(1076), MB_YESNO | MB_ICONQUESTION);
  m_asking = false;
  if (answer == IDYES && Busy()) {
    ::SetDlgItemTextA(m_hWnd, IDC_CANCEL_RUN, GetText(1075));
    m_worker->CancelConfirmed();
  }
}

void CMediaryDlg::OnToPhone() {
  if (Busy()) return;
  const std::vector<std::size_t> selected = [&] {
    std::vector<std::size_t> rows;
    for (int i = m_pcList->GetNextItem(-1, LVNI_SELECTED); i >= 0; i = m_pcList->GetNextItem(i, LVNI_SELECTED))
      rows.push_back(std::size_t(i));
    return rows;
  }();
  m_pcModel.DropOnPhone(selected, m_phoneModel, false);
  m_phoneList->Refill();
}

void CMediaryDlg::OnToPc() {
  if (Busy()) return;
  HandPhoneSelectionToPc(*m_phoneList, m_phoneModel, *m_pcList, m_pcModel);
}

void CMediaryDlg::OnExit() { EndModalLoop(0); }

void CMediaryDlg::OnRefresh() { LoadPcFolder(); }

void CMediaryDlg::ShowKind(int kind) {
  if (Busy()) return;
  if (kind == 2 && !m_variant.moviesShown) return;
  m_phoneModel.SetKind(kind);
  m_pcModel.SetMediaClass(kind);
  static constexpr UINT kLabels[] = {1009, 1011, 1078};
  ::SetDlgItemTextA(m_hWnd, IDC_KIND_LABEL, GetText(kLabels[kind]));
  m_phoneList->Refill();
  LoadPcFolder();
}

void CMediaryDlg::OnDelete() {
  if (Busy()) return;
  // The active pane is the one that has (or last had) the focus; the panes ask and mark.
  CPaneListCtrl* pane = ::GetFocus() == m_pcList->m_hWnd ? static_cast<CPaneListCtrl*>(m_pcList.get())
                                                         : static_cast<CPaneListCtrl*>(m_phoneList.get());
  pane->SendMessage(WM_KEYDOWN, VK_DELETE, 0);
  pane->SetFocus();
}

void CMediaryDlg::OnNewFolder() {
  if (Busy() || !m_phoneModel.IsLoaded()) return;
  const std::size_t row = m_phoneModel.NewFolder(static_cast<LPCSTR>(GetText(1032)) , "..");
  m_phoneList->Refill();
  m_phoneList->SetFocus();
  m_phoneList->EditLabel(int(row));
}

void CMediaryDlg::PopUp(UINT menuId, UINT button) {
  HMENU menu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(WORD(menuId)));
  if (!menu) return;
  RECT rect{};
  ::GetWindowRect(::GetDlgItem(m_hWnd, int(button)), &rect);
  if (menuId == IDR_VIEW_MENU) {
    // The check mark on the chosen kind only.
    const UINT items[] = {ID_VIEW_IMAGES, ID_VIEW_MELODIES, ID_VIEW_MOVIES};
    for (int kind = 0; kind < 3; ++kind)
      ::CheckMenuItem(menu, items[kind], MF_BYCOMMAND | (kind == m_phoneModel.GetKind() ? MF_CHECKED : MF_UNCHECKED));
    if (!m_variant.moviesShown) ::DeleteMenu(menu, ID_VIEW_MOVIES, MF_BYCOMMAND);
  }
  ::TrackPopupMenu(::GetSubMenu(menu, 0), TPM_LEFTALIGN, rect.left, rect.bottom, 0, m_hWnd, nullptr);
  ::DestroyMenu(menu);
}

LRESULT CMediaryDlg::OnRunReport(WPARAM, LPARAM) {
  for (const auto& event : m_view.Take()) {
    switch (event.kind) {
      case CPostedView::Event::kOverlay:
        m_progress.SetText(event.text.c_str(), event.a);
        break;
      case CPostedView::Event::kDetecting:
        // The timer belongs to this thread: the worker only asks for it.
        if (event.a) {
          ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS, PBM_SETRANGE32, 0, 100);
          ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS, PBM_SETSTEP, 1, 0);
          ::SetTimer(m_hWnd, kDetectTimer, 50, nullptr);
        } else {
          ::KillTimer(m_hWnd, kDetectTimer);
        }
        m_waitCursor = event.a != 0;
        ::SetCursor(::LoadCursorA(nullptr, m_waitCursor ? IDC_WAIT : IDC_ARROW));
        break;
      case CPostedView::Event::kProgress:
        if (event.a != 0xFFFFFFFF) ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS, PBM_SETRANGE32, 0, LPARAM(event.a));
        ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS, PBM_SETPOS, WPARAM(event.b), 0);
        break;
      case CPostedView::Event::kCounter:
        ::SetDlgItemTextA(m_hWnd, IDC_COUNTER, event.text.c_str());
        break;
      case CPostedView::Event::kStatus: {
        m_freeSpace = int(event.a);
        char text[64];
        std::snprintf(text, sizeof text, static_cast<LPCSTR>(GetText(1081)), m_freeSpace);
        PostStatusToLauncher(text);
        break;
      }
      case CPostedView::Event::kReloadPc:
        LoadPcFolder();
        break;
      case CPostedView::Event::kFinished:
        ::KillTimer(m_hWnd, kDetectTimer);
        m_waitCursor = false;
        if (m_worker) m_worker->Join();
        if (m_runs && !m_runs->IsClosing()) {
          SetRunning(false);
          m_phoneList->Refill();
          LoadPcFolder();
          if (m_changePending) OnChanged(0, 0);
        }
        break;
    }
  }
  return 0;
}

LRESULT CMediaryDlg::OnAsk(WPARAM, LPARAM lParam) {
  auto* question = reinterpret_cast<CPostedView::Question*>(lParam);
  question->answer = ShowMessage(Joined(question->ids), question->type);
  return 0;
}

LRESULT CMediaryDlg::OnChanged(WPARAM, LPARAM) {
  // Another program changed the phone's media: what this window shows of the phone is stale. The
  // models are the worker's during a run: the refresh waits for its end.
  if (Busy()) {
    m_changePending = true;
    return 0;
  }
  m_changePending = false;
  if (!m_pcModel.Queued().empty()) m_pcModel.ClearQueued();
  LoadPcFolder();
  m_phoneModel.Clear();
  m_phoneList->Refill();
  return 0;
}

void CMediaryDlg::MoveControl(UINT id, int dx, int dy, int dw, int dh) {
  HWND item = ::GetDlgItem(m_hWnd, int(id));
  if (!item) return;
  RECT rect{};
  ::GetWindowRect(item, &rect);
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
  ::SetWindowPos(item, nullptr, rect.left + dx, rect.top + dy, rect.right - rect.left + dw, rect.bottom - rect.top + dh,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CMediaryDlg::OnSize(WPARAM wParam, LPARAM lParam) {
  if (wParam == SIZE_MINIMIZED) return Default();
  const int width = LOWORD(lParam), height = HIWORD(lParam);
  if (m_lastClient.cx < 0) {
    m_lastClient = {width, height};
    return Default();
  }
  int dw = width - m_lastClient.cx, dh = height - m_lastClient.cy;
  dw -= dw % 2;  // an odd change is reduced by one, so the halves add up
  dh -= dh % 2;
  if (dw == 0 && dh == 0) return Default();
  m_lastClient.cx += dw;
  m_lastClient.cy += dh;
  MoveControl(IDC_TOP_BAR, 0, 0, dw, 0);
  MoveControl(IDC_FOLDER_BOX, 0, 0, dw, 0);
  MoveControl(IDC_FRAME, 0, 0, dw, dh);
  for (UINT id : {IDC_TITLE, IDC_ICON, IDC_KIND_LABEL, IDC_IMAGES, IDC_MELODIES, IDC_MOVIES, IDC_PHONE_PICTURE,
                  IDC_PREVIEW, IDC_PC_LABEL})
    MoveControl(id, dw, 0, 0, 0);
  MoveControl(IDC_PHONE_LABEL, dw, dh / 2, 0, 0);
  for (UINT id : {IDC_GET, IDC_TRANSFER, IDC_NEW_FOLDER, IDC_DELETE}) MoveControl(id, 0, dh, 0, 0);
  MoveControl(IDC_PROGRESS, 0, dh, dw, 0);
  MoveControl(IDC_COUNTER, dw, dh, 0, 0);
  MoveControl(IDC_CANCEL_RUN, dw, dh, 0, 0);
  MoveControl(IDC_PC_FRAME, 0, 0, dw, dh / 2);
  MoveControl(IDC_PHONE_FRAME, 0, dh / 2, dw, dh / 2);
  for (UINT id : {IDC_TO_PHONE, IDC_TO_PC, IDC_TRANSFER_LABEL}) MoveControl(id, dw / 2, dh / 2, 0, 0);
  // Each list one pixel inside its frame.
  const std::pair<UINT, UINT> fits[] = {{IDC_PC_LIST, IDC_PC_FRAME}, {IDC_PHONE_LIST, IDC_PHONE_FRAME}};
  for (auto [list, frame] : fits) {
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(m_hWnd, int(frame)), &rect);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
    ::SetWindowPos(::GetDlgItem(m_hWnd, int(list)), nullptr, rect.left + 1, rect.top + 1, rect.right - rect.left - 2,
                   rect.bottom - rect.top - 2, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  ::InvalidateRect(::GetDlgItem(m_hWnd, IDC_ICON), nullptr, TRUE);
  ::InvalidateRect(::GetDlgItem(m_hWnd, IDC_PREVIEW), nullptr, TRUE);
  return Default();
}

LRESULT CMediaryDlg::OnTimer(WPARAM wParam, LPARAM) {
  if (wParam == kDetectTimer) ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS, PBM_STEPIT, 0, 0);
  return 0;
}

LRESULT CMediaryDlg::OnSetCursor(WPARAM, LPARAM) {
  if (m_waitCursor) {
    ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
    return TRUE;
  }
  return Default();
}

BOOL CMediaryDlg::QueryClose() {
  if (Busy()) {
    m_asking = true;
    const int answer = ShowMessage(GetText(1076), MB_YESNO | MB_ICONQUESTION);
    m_asking = false;
    if (answer != IDYES) {
      NotifyCloseRefused();
      return FALSE;
    }
    // The run ends at its next phone wait; this thread keeps answering what the worker sends.
    m_worker->CloseAndJoin([] {
      MSG msg;
      ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    });
    m_view.Take();
  }
  return CEmbeddableDialog::QueryClose();
}

LRESULT CMediaryDlg::OnDestroy(WPARAM, LPARAM) {
  if (m_worker && m_worker->IsBusy()) m_worker->CloseAndJoin([] {
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  });
  StopWatcher();
  ::KillTimer(m_hWnd, kDetectTimer);
  char box[4096] = {};
  ::GetDlgItemTextA(m_hWnd, IDC_FOLDER_BOX, box, sizeof box);
  if (box[0]) m_folder = box;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kPathKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(m_folder.c_str()), DWORD(m_folder.size() + 1));
    RegCloseKey(key);
  }
  PostStatusToLauncher("");
  return Default();
}

BOOL CMediaryDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
    const bool ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
    switch (msg->wParam) {
      case VK_F4:
        if (msg->message == WM_SYSKEYDOWN) return TRUE;  // Alt+F4 is ignored
        if (ctrl) {
          EndModalLoop(0);
          return TRUE;
        }
        break;
      case VK_TAB:
        if (ctrl && !Busy()) {
          m_phoneModel.SetKind(m_variant.NextKind(m_phoneModel.GetKind()));
          m_pcModel.SetMediaClass(m_phoneModel.GetKind());
          m_phoneList->Refill();
          LoadPcFolder();
          return TRUE;
        }
        break;
      case VK_F5:
        OnRefresh();
        return TRUE;
      case VK_F7:
        OnGet();
        return TRUE;
      case VK_F8:
        OnTransfer();
        return TRUE;
      default:
        break;
    }
  }
  return CEmbeddableDialog::PreTranslateMessage(msg);
}

const AFX_MSGMAP* CMediaryDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CEmbeddableDialog::GetMessageMap(), {
      MapCommand(IDC_GET, &CMediaryDlg::OnGet),
      MapCommand(IDC_TRANSFER, &CMediaryDlg::OnTransfer),
      MapCommand(IDC_CANCEL_RUN, &CMediaryDlg::OnCancelRun),
      MapCommand(IDC_TO_PHONE, &CMediaryDlg::OnToPhone),
      MapCommand(ID_FILE_DOWN, &CMediaryDlg::OnToPhone),
      MapCommand(IDC_TO_PC, &CMediaryDlg::OnToPc),
      MapCommand(ID_FILE_UP, &CMediaryDlg::OnToPc),
      MapCommand(ID_FILE_EXIT, &CMediaryDlg::OnExit),
      MapCommand(ID_VIEW_REFRESH, &CMediaryDlg::OnRefresh),
      MapCommand(IDC_IMAGES, &CMediaryDlg::OnImages),
      MapCommand(ID_VIEW_IMAGES, &CMediaryDlg::OnImages),
      MapCommand(IDC_MELODIES, &CMediaryDlg::OnMelodies),
      MapCommand(ID_VIEW_MELODIES, &CMediaryDlg::OnMelodies),
      MapCommand(IDC_MOVIES, &CMediaryDlg::OnMovies),
      MapCommand(ID_VIEW_MOVIES, &CMediaryDlg::OnMovies),
      MapCommand(IDC_DELETE, &CMediaryDlg::OnDelete),
      MapCommand(ID_PANE_DELETE, &CMediaryDlg::OnDelete),
      MapCommand(IDC_NEW_FOLDER, &CMediaryDlg::OnNewFolder),
      MapCommand(ID_PANE_NEW_FOLDER, &CMediaryDlg::OnNewFolder),
      MapCommand(IDC_FILE_MENU, &CMediaryDlg::OnFileMenu),
      MapCommand(IDC_VIEW_MENU, &CMediaryDlg::OnViewMenu),
      MapMessage(kRunMessage, &CMediaryDlg::OnRunReport),
      MapMessage(kAskMessage, &CMediaryDlg::OnAsk),
      MapMessage(kChangedMessage, &CMediaryDlg::OnChanged),
      MapMessage(WM_TIMER, &CMediaryDlg::OnTimer),
      MapMessage(WM_SIZE, &CMediaryDlg::OnSize),
      MapMessage(WM_SETCURSOR, &CMediaryDlg::OnSetCursor),
      MapMessage(WM_DESTROY, &CMediaryDlg::OnDestroy),
  }};
  return &map;
}
