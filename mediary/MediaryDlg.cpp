#include "MediaryDlg.h"

#include "PaneRows.h"
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
#include <shell/ShellApi.h>
#include <shell/ShlObj.h>

#include <GlyphMenu.h>
#include <PathSplit.h>

#include <user/Cursor.h>

#include <algorithm>
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
  ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_PROGRESS), &m_barPlace);
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&m_barPlace), 2);
  m_barWidth = m_barPlace.right - m_barPlace.left;
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
  m_progress.SetGradientColors({0x822A08, 0xFDEAE1});
  m_pcList->SetParentText(static_cast<LPCSTR>(GetText(1004)));
  m_folderBox.SubclassDlgItem(IDC_FOLDER_BOX, this);
  SetUpLook();
  m_folder = StartFolder(ReadRegistryText(kPathKey, "Path"), DocumentsFolder());
  m_pcList->SetSystemImageList(m_folder);  // the PC rows' icons
  m_folderBox.FillFolders(m_folder);
  m_folderBox.SetWindowText(m_folder.c_str());
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

void CMediaryDlg::SetUpLook() {
  m_activeBrush.CreateSolidBrush(0x822A08);
  m_quietBrush.CreateSolidBrush(0xFDEAE1);
  // The lists' headers in the program's colours, and their own icons (the parent entry, folders,
  // the media kinds and the marks).
  m_pcList->GetHeader().SetColours(0xFDEAE1, 0x0000FF, 0x000080);
  m_phoneList->GetHeader().SetColours(0xFDEAE1, 0x0000FF, 0x000080);
  if (m_icons.Create(IDB_ICON_STRIP, 16, 0, RGB(255, 255, 255))) {
    m_phoneList->SetIconStrip(&m_icons);
    m_pcList->SetIconStrip(&m_icons);
  }

  // The frames round the lists lie right under them and leave them out when they paint, so that a
  // frame repainted in the active pane's colour draws only the ring round its list. The group box
  // goes under everything it surrounds.
  ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_FRAME), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (auto [frame, list] : {std::pair{IDC_PC_FRAME, IDC_PC_LIST}, std::pair{IDC_PHONE_FRAME, IDC_PHONE_LIST}}) {
    HWND ring = ::GetDlgItem(m_hWnd, frame);
    ::SetWindowLongA(ring, GWL_STYLE, ::GetWindowLongA(ring, GWL_STYLE) | WS_CLIPSIBLINGS);
    ::SetWindowPos(ring, ::GetDlgItem(m_hWnd, list), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }

  // The phone picture, and the preview in its screen; "Key.bmp" of the current folder instead of it.
  HWND picture = ::GetDlgItem(m_hWnd, IDC_PHONE_PICTURE);
  m_phonePicture = HBITMAP(::LoadImageA(nullptr, "Key.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
  if (!m_phonePicture && m_variant.phonePicture)
    m_phonePicture = ::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(WORD(m_variant.phonePicture)));
  if (m_phonePicture) ::SendMessageA(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_phonePicture));
  RECT area{};
  HWND placeholder = ::GetDlgItem(m_hWnd, IDC_PREVIEW);
  ::GetWindowRect(placeholder, &area);
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&area), 2);
  const ScreenPlace screen = PreviewPlaceIn(m_variant.phonePicture);
  if (m_phonePicture && screen.right > screen.left) {
    RECT frame{};
    ::GetWindowRect(picture, &frame);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&frame), 2);
    area = {frame.left + screen.left, frame.top + screen.top, frame.left + screen.right, frame.top + screen.bottom};
  }
  ::ShowWindow(placeholder, SW_HIDE);
  ::SetWindowPos(placeholder, nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  if (m_preview.Create(m_hWnd, area, IDC_PREVIEW_WINDOW)) {
    // Above the phone picture, which leaves it out when it paints.
    ::SetWindowPos(m_preview.GetHwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SetWindowLongA(picture, GWL_STYLE, ::GetWindowLongA(picture, GWL_STYLE) | WS_CLIPSIBLINGS);
    m_preview.ShowBitmapResource(PreviewBackground(0));
  }

  // Two main kinds: no Movies button, the others and the kind label moved right.
  if (!m_variant.moviesShown) {
    ::ShowWindow(::GetDlgItem(m_hWnd, IDC_MOVIES), SW_HIDE);
    for (UINT id : {IDC_IMAGES, IDC_MELODIES, IDC_KIND_LABEL}) MoveControl(id, 45, 0, 0, 0);
  }

  // The menu buttons with the kit's menus and the texts of the string table.
  const std::pair<CSkinButton*, UINT> menus[] = {{&m_fileButton, IDC_FILE_MENU}, {&m_viewButton, IDC_VIEW_MENU}};
  for (auto [button, id] : menus) {
    button->SubclassDlgItem(id, this);
    button->SetColor(kSkinInBack, 0xFDEAE1, FALSE);
    button->SetColor(kSkinInText, 0x822A08, FALSE);
    button->SetColor(kSkinOutBack, 0xFDEAE1, FALSE);
    button->SetColor(kSkinOutText, 0x822A08, FALSE);
    button->SetColor(kSkinFocusBack, 0xFDEAE1, FALSE);
    button->SetColor(kSkinFocusText, 0x822A08);
  }
  // The menus with their 16 by 16 pictures, magenta showing through.
  m_fileButton.SetMenu(IDR_FILE_MENU, m_hWnd, TRUE, IDR_FILE_MENU, 16, 16, RGB(255, 0, 255));
  m_viewButton.SetMenu(IDR_VIEW_MENU, m_hWnd, TRUE, IDR_VIEW_MENU, 16, 16, RGB(255, 0, 255));
  m_fileButton.SetFont("Verdana", 14, FALSE, FALSE);
  m_viewButton.SetFont("Verdana", 14, FALSE, FALSE);
  m_fileButton.SetWindowText(GetText(1006));
  m_viewButton.SetWindowText(GetText(1007));
  const std::pair<UINT, UINT> fileTexts[] = {{IDC_DELETE, 1033}, {IDC_NEW_FOLDER, 1032}, {ID_FILE_EXIT, 1012},
                                             {ID_FILE_DOWN, 1014}, {ID_FILE_UP, 1013}, {IDC_GET, 1015},
                                             {IDC_TRANSFER, 1016}};
  for (auto [command, text] : fileTexts) m_fileButton.Menu().ModifyItem(static_cast<LPCSTR>(GetText(text)), command);
  const std::pair<UINT, UINT> viewTexts[] = {
      {ID_VIEW_MELODIES, 1011}, {ID_VIEW_IMAGES, 1009}, {ID_VIEW_REFRESH, 1073}, {ID_VIEW_MOVIES, 1078}};
  for (auto [command, text] : viewTexts) m_viewButton.Menu().ModifyItem(static_cast<LPCSTR>(GetText(text)), command);
  if (!m_variant.moviesShown)
    if (CMenu* view = m_viewButton.Menu().GetSubMenu(0)) view->DeleteMenu(ID_VIEW_MOVIES, MF_BYCOMMAND);

  // The command buttons.
  const std::pair<UINT, UINT> commands[] = {
      {IDC_GET, 1030}, {IDC_TRANSFER, 1031}, {IDC_NEW_FOLDER, 1032}, {IDC_DELETE, 1033}, {IDC_CANCEL_RUN, 1036}};
  for (std::size_t i = 0; i < std::size(commands); ++i) {
    CSkinButton& button = m_commandButtons[i];
    button.SubclassDlgItem(commands[i].first, this);
    button.SetDefaultLook();
    button.SetWindowText(GetText(commands[i].second));
  }
  CSkinButton* handing[] = {&m_fileButton, &m_viewButton, &m_commandButtons[0], &m_commandButtons[1],
                            &m_commandButtons[2], &m_commandButtons[3], &m_commandButtons[4]};
  for (std::size_t i = 0; i < std::size(handing); ++i) m_focusHooks[i].AttachHook(handing[i]->m_hWnd);
  const UINT kinds[] = {IDC_IMAGES, IDC_MELODIES, IDC_MOVIES};
  for (int kind = 0; kind < 3; ++kind) {
    m_kindButtons[kind].SubclassDlgItem(kinds[kind], this);
    m_kindButtons[kind].SetDrawBorder(FALSE, FALSE);
  }
  ShowViewButtons();

  // The labels' fonts.
  m_titleFont.CreateFont(20, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "Verdana");
  m_labelFont.CreateFont(16, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "Verdana");
  ::SendDlgItemMessageA(m_hWnd, IDC_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(m_titleFont.m_hObject), FALSE);
  for (UINT id : {IDC_KIND_LABEL, IDC_PC_LABEL, IDC_PHONE_LABEL})
    ::SendDlgItemMessageA(m_hWnd, int(id), WM_SETFONT, reinterpret_cast<WPARAM>(m_labelFont.m_hObject), FALSE);
  ::SetDlgItemTextA(m_hWnd, IDC_TITLE, GetText(1001));
}

void CMediaryDlg::ShowViewButtons() {
  const int chosen = m_phoneModel.GetKind();
  // The kind label names the chosen kind in the current language, from the start on.
  static constexpr UINT kLabels[] = {1009, 1011, 1078};
  if (chosen >= 0 && chosen < 3) ::SetDlgItemTextA(m_hWnd, IDC_KIND_LABEL, GetText(kLabels[chosen]));
  for (int kind = 0; kind < 3; ++kind) {
    const ViewButtonFaces faces = ViewButtonBitmaps(kind, chosen);
    m_kindButtons[kind].SetBitmaps(faces.hover, RGB(255, 0, 255), faces.normal, RGB(255, 0, 255));
  }
  // The check mark on the chosen View item only.
  if (CMenu* view = m_viewButton.Menu().GetSubMenu(0)) {
    const UINT items[] = {ID_VIEW_IMAGES, ID_VIEW_MELODIES, ID_VIEW_MOVIES};
    for (int kind = 0; kind < 3; ++kind)
      view->CheckMenuItem(items[kind], MF_BYCOMMAND | (kind == chosen ? MF_CHECKED : MF_UNCHECKED));
  }
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
  // The view buttons and the arrows stay as they are (their commands do nothing during a run), and
  // so does the phone list's frame: a frame drawn again would cover the list it surrounds.
  for (UINT id : {IDC_GET, IDC_TRANSFER, IDC_DELETE, IDC_NEW_FOLDER, IDC_FILE_MENU, IDC_VIEW_MENU, IDC_PC_LIST,
                  IDC_PHONE_LIST})
    ::EnableWindow(::GetDlgItem(m_hWnd, int(id)), !running);
  if (m_phoneList) m_phoneList->SetBusy(running);
  PlaceProgressBar(running);
  ::ShowWindow(::GetDlgItem(m_hWnd, IDC_PROGRESS), running ? SW_SHOW : SW_HIDE);
  ::SetDlgItemTextA(m_hWnd, IDC_CANCEL_RUN, GetText(1036));
  ::ShowWindow(::GetDlgItem(m_hWnd, IDC_CANCEL_RUN), running ? SW_SHOW : SW_HIDE);
  if (running) ::SendDlgItemMessageA(m_hWnd, IDC_PROGRESS, PBM_SETPOS, 0, 0);
}

void CMediaryDlg::PlaceProgressBar(bool running) {
  RECT place = m_barPlace;
  const bool squeezed = running && place.right - place.left < m_barWidth;
  if (squeezed) {
    RECT first{};
    ::GetWindowRect(::GetDlgItem(m_hWnd, IDC_GET), &first);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&first), 2);
    place.left = std::min(place.left, first.left);
  }
  for (UINT id : {IDC_GET, IDC_TRANSFER, IDC_NEW_FOLDER, IDC_DELETE})
    ::ShowWindow(::GetDlgItem(m_hWnd, int(id)), squeezed ? SW_HIDE : SW_SHOW);
  ::SetWindowPos(::GetDlgItem(m_hWnd, IDC_PROGRESS), nullptr, place.left, place.top, place.right - place.left,
                 place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
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
  ShowViewButtons();
  m_preview.Reset();
  m_preview.ShowBitmapResource(PreviewBackground(kind));
  m_phoneList->Refill();
  LoadPcFolder();
}

void CMediaryDlg::OnDelete() {
  if (Busy()) return;
  // The active pane is the one that last gained the focus; the panes ask and mark.
  CPaneListCtrl* pane = m_activePane == Pane::Pc ? static_cast<CPaneListCtrl*>(m_pcList.get())
                                                 : static_cast<CPaneListCtrl*>(m_phoneList.get());
  if (m_activePane == Pane::Phone) {
    // The other list's selection goes, so the preview and the commands follow this pane.
    for (int row = m_pcList->GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_pcList->GetNextItem(row, LVNI_SELECTED))
      m_pcList->SetItemState(row, 0, LVIS_SELECTED);
  }
  pane->SendMessage(WM_KEYDOWN, VK_DELETE, 0);
  pane->SetFocus();
  UpdateDeleteCommand();
}

void CMediaryDlg::OnNewFolder() {
  if (Busy()) return;
  if (::GetFocus() == m_pcList->m_hWnd || (m_activePane == Pane::Pc && !m_phoneModel.IsLoaded())) {
    m_pcList->NewFolder(static_cast<LPCSTR>(GetText(1032)));
    return;
  }
  if (!m_phoneModel.IsLoaded()) return;
  const std::size_t row = m_phoneModel.NewFolder(static_cast<LPCSTR>(GetText(1032)), "..");
  m_phoneList->Refill();
  m_phoneList->SetFocus();
  m_phoneList->EditLabel(int(row));
}

void CMediaryDlg::PaneMenu(Pane pane) {
  if (Busy()) return;
  GlyphMenu menu;
  if (!menu.LoadMenu(IDR_PANE_MENU)) return;
  CString deleteText = GetText(1033);
  if (pane == Pane::Phone) ::GetDlgItemTextA(m_hWnd, IDC_DELETE, deleteText.GetBuffer(64), 64), deleteText.ReleaseBuffer();
  menu.ModifyItem(static_cast<LPCSTR>(GetText(1032)), ID_PANE_NEW_FOLDER);
  menu.ModifyItem(static_cast<LPCSTR>(deleteText), ID_PANE_DELETE);
  if (pane == Pane::Phone && !::IsWindowEnabled(::GetDlgItem(m_hWnd, IDC_DELETE)))
    if (CMenu* sub = menu.GetSubMenu(0)) sub->EnableMenuItem(ID_PANE_DELETE, MF_BYCOMMAND | MF_GRAYED);
  m_activePane = pane;
  POINT at{};
  ::GetCursorPos(&at);
  CMenu* sub = menu.GetSubMenu(0);
  const UINT chosen = sub ? UINT(sub->TrackPopupMenu(TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.x, at.y, this)) : 0;
  menu.DestroyItems();
  if (chosen) SendMessage(WM_COMMAND, MAKEWPARAM(WORD(chosen), 0), 0);
}

void CMediaryDlg::ChangeFolder(const std::string& folder) {
  m_folder = folder;
  m_folderBox.FillFolders(m_folder);
  m_folderBox.SetWindowText(m_folder.c_str());
  LoadPcFolder();
  m_preview.Reset();
  m_preview.ShowBitmapResource(PreviewBackground(m_pcModel.GetMediaClass()));
}

void CMediaryDlg::OpenInPane(Pane pane, bool parent) {
  if (Busy()) return;
  if (pane == Pane::Pc) {
    if (parent) {
      if (!IsRootPath(m_folder.c_str())) ChangeFolder(static_cast<LPCSTR>(PathFolder(CString(m_folder.c_str()))));
      return;
    }
    const int row = m_pcList->GetNextItem(-1, LVNI_FOCUSED);
    if (row < 0) return;
    const std::string folder = m_pcModel.FolderOfRow(std::size_t(row));
    if (!folder.empty()) return ChangeFolder(folder);
    const CPcPaneModel::ShellOpen file = m_pcModel.FileToOpen(std::size_t(row));
    if (!file.path.empty()) ::ShellExecuteA(m_hWnd, file.verb, file.path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return;
  }
  const auto& rows = m_phoneModel.Shown().rows;
  int row = m_phoneList->GetNextItem(-1, LVNI_FOCUSED);
  if (parent) {
    row = -1;
    for (std::size_t i = 0; i < rows.size(); ++i)
      if (rows[i].dataWord & RowBits::Parent) row = int(i);
  }
  if (row >= 0 && m_phoneModel.Open(std::size_t(row))) {
    m_phoneList->Refill();
    if (m_phoneList->GetItemCount() > 0) m_phoneList->SetItemState(0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  }
}

void CMediaryDlg::OnPaneNotify(NMHDR* header, LRESULT* result) {
  *result = 0;
  if (!m_pcList || !m_phoneList) return;
  const Pane pane = header->hwndFrom == m_pcList->m_hWnd ? Pane::Pc : Pane::Phone;
  switch (header->code) {
    case kPaneFocusNotify:
      if (reinterpret_cast<CPaneListCtrl::FocusNotify*>(header)->gained) {
        m_activePane = pane;
        for (UINT id : {IDC_PC_FRAME, IDC_PHONE_FRAME}) ::InvalidateRect(::GetDlgItem(m_hWnd, int(id)), nullptr, TRUE);
      }
      break;
    case kPaneSelectionNotify:
      if (pane == Pane::Pc) UpdatePreview();
      else UpdateDeleteCommand();
      break;
    case NM_DBLCLK:
      OpenInPane(pane, false);
      break;
    case NM_RCLICK:
      PaneMenu(pane);
      break;
    default:
      break;
  }
}

void CMediaryDlg::UpdatePreview() {
  const int mediaClass = m_pcModel.GetMediaClass();
  if (mediaClass != kMediaPicture) {
    m_preview.Reset();
    m_preview.ShowBitmapResource(PreviewBackground(mediaClass));
    return;
  }
  const int row = m_pcList->GetNextItem(-1, LVNI_SELECTED);
  if (row >= 0 && std::size_t(row) < m_pcModel.Rows().size()) {
    const PcRow& pc = m_pcModel.Rows()[std::size_t(row)];
    const std::size_t dot = pc.name.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : pc.name.substr(dot + 1);
    if (!(pc.dataWord & (RowBits::Folder | RowBits::Parent | RowBits::Queued)) && m_pcModel.IsAllowedExtension(extension)) {
      const std::string path = static_cast<LPCSTR>(JoinPath(CString(m_folder.c_str()), CString(pc.name.c_str())));
      if (m_preview.GetPath() != path) m_preview.ShowFile(path);
      return;
    }
  }
  m_preview.Reset();
  m_preview.ShowBitmapResource(PreviewBackground(0));
}

void CMediaryDlg::UpdateDeleteCommand() {
  // The Delete button and the File menu's item follow the phone pane's selection: all marked rows
  // offer Undelete, a mix of marked and unmarked ones neither.
  if (m_activePane != Pane::Phone || Busy()) return;
  std::vector<std::uint32_t> words;
  const auto& rows = m_phoneModel.Shown().rows;
  for (int row = m_phoneList->GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_phoneList->GetNextItem(row, LVNI_SELECTED))
    if (std::size_t(row) < rows.size()) words.push_back(rows[std::size_t(row)].dataWord);
  const DeleteCommand command = DeleteCommandFor(words);
  const CString text = GetText(command == DeleteCommand::Undelete ? 1071 : 1033);
  ::SetDlgItemTextA(m_hWnd, IDC_DELETE, text);
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_DELETE), command != DeleteCommand::Disabled);
  m_fileButton.Menu().ModifyItem(static_cast<LPCSTR>(text), IDC_DELETE);
  if (CMenu* file = m_fileButton.Menu().GetSubMenu(0))
    file->EnableMenuItem(IDC_DELETE, MF_BYCOMMAND | (command == DeleteCommand::Disabled ? MF_GRAYED : MF_ENABLED));
}

void CMediaryDlg::OnFolderPicked() {
  const std::string folder = m_folderBox.GetFolder(m_folderBox.GetCurSel());
  if (!folder.empty() && folder != m_folder) ChangeFolder(folder);
}

void CMediaryDlg::OnFolderCloseUp() {
  if (m_folderBox.GetCurSel() < 0) m_folderBox.SetWindowText(m_folder.c_str());
}

void CMediaryDlg::OnFolderEditEnd() {
  CString typed;
  m_folderBox.GetWindowText(typed);
  std::string path = static_cast<LPCSTR>(typed);
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') && !IsRootPath(path.c_str())) path.pop_back();
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
      ::strcasecmp(path.c_str(), m_folder.c_str()) != 0 && m_pcModel.ListFolder(path, static_cast<LPCSTR>(GetText(1004)))) {
    ChangeFolder(path);
    return;
  }
  m_folderBox.SetWindowText(m_folder.c_str());
}

LRESULT CMediaryDlg::OnShowWindow(WPARAM wParam, LPARAM) {
  if (wParam) {
    char text[64] = {};
    if (m_freeSpace >= 0) std::snprintf(text, sizeof text, static_cast<LPCSTR>(GetText(1081)), m_freeSpace);
    PostStatusToLauncher(text);
  }
  return Default();
}

LRESULT CMediaryDlg::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
  const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
  HDC dc = reinterpret_cast<HDC>(wParam);
  if (id == IDC_PC_FRAME || id == IDC_PHONE_FRAME) {
    // The active pane's frame in the text blue, the other in the background colour.
    const bool active = (id == IDC_PC_FRAME) == (m_activePane == Pane::Pc);
    return reinterpret_cast<LRESULT>(active ? m_activeBrush.m_hObject : m_quietBrush.m_hObject);
  }
  if (id == IDC_PC_LABEL || id == IDC_PHONE_LABEL || id == IDC_TOP_BAR) {
    ::SetTextColor(dc, 0xFFFFFF);
    ::SetBkColor(dc, 0x822A08);
    return reinterpret_cast<LRESULT>(m_activeBrush.m_hObject);
  }
  return OnCtlColorBk(wParam, lParam);
}

LRESULT CMediaryDlg::OnRunReport(WPARAM, LPARAM) {
  for (const auto& event : m_view.Take()) {
    switch (event.kind) {
      case CPostedView::Event::kOverlay:
        m_progress.SetText(event.text.c_str(), event.a);
        break;
      case CPostedView::Event::kDetecting:
        // The timer belongs to this thread: the worker only asks for it.
        {
          // While the phone is looked for, a block runs along the bar (wrapping, the gradient in it).
          HWND bar = ::GetDlgItem(m_hWnd, IDC_PROGRESS);
          const LONG style = ::GetWindowLongA(bar, GWL_STYLE);
          constexpr LONG kSearching = LONG(PBS_SKIN_WRAPPING | PBS_SKIN_GRADIENTINDONE);
          ::SetWindowLongA(bar, GWL_STYLE, event.a ? style | kSearching : style & ~kSearching);
          // After the search the bar fills in the program's blue, not white: the part done carries
          // its text in white, and a white part on the pale background would show neither.
          ::SendMessageA(bar, PBM_SETBARCOLOR, 0, event.a ? 0xFDEAE1 : 0x822A08);
          if (event.a) {
            ::SendMessageA(bar, PBM_SETRANGE32, 0, 100);
            ::SendMessageA(bar, PBM_SETSTEP, 1, 0);
            ::SetTimer(m_hWnd, kDetectTimer, 50, nullptr);
          } else {
            ::KillTimer(m_hWnd, kDetectTimer);
            ::SendMessageA(bar, PBM_SETPOS, 0, 0);
          }
          ::InvalidateRect(bar, nullptr, TRUE);
        }
        // The wait cursor from the search on until the run ends (kFinished): the listing and the
        // transfer after a found phone run under it too.
        if (event.a) {
          m_waitCursor = true;
          ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT));
        }
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
        ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
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
  // The preview window goes with the phone picture whose screen it sits in (the template's
  // placeholder is hidden; the preview is a window of its own).
  for (UINT id : {IDC_TITLE, IDC_ICON, IDC_KIND_LABEL, IDC_IMAGES, IDC_MELODIES, IDC_MOVIES, IDC_PHONE_PICTURE,
                  IDC_PREVIEW, IDC_PREVIEW_WINDOW, IDC_PC_LABEL})
    MoveControl(id, dw, 0, 0, 0);
  MoveControl(IDC_PHONE_LABEL, dw, dh / 2, 0, 0);
  for (UINT id : {IDC_GET, IDC_TRANSFER, IDC_NEW_FOLDER, IDC_DELETE}) MoveControl(id, 0, dh, 0, 0);
  ::OffsetRect(&m_barPlace, 0, dh);
  m_barPlace.right += dw;
  PlaceProgressBar(Busy());
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
  ::InvalidateRect(::GetDlgItem(m_hWnd, IDC_PREVIEW_WINDOW), nullptr, TRUE);
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
  m_preview.Reset();
  ::SendDlgItemMessageA(m_hWnd, IDC_PHONE_PICTURE, STM_SETIMAGE, IMAGE_BITMAP, 0);
  if (m_phonePicture) ::DeleteObject(m_phonePicture);
  m_phonePicture = nullptr;
  return Default();
}

BOOL CMediaryDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
    const bool ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
    HWND focus = ::GetFocus();
    const bool inPc = m_pcList && focus == m_pcList->m_hWnd;
    const bool inPhone = m_phoneList && focus == m_phoneList->m_hWnd;
    const bool inFolderBox = focus && (focus == m_folderBox.m_hWnd || ::GetParent(focus) == m_folderBox.m_hWnd);
    const bool inLabelEdit = focus && m_pcList && m_phoneList &&
                             (::GetParent(focus) == m_pcList->m_hWnd || ::GetParent(focus) == m_phoneList->m_hWnd);
    switch (msg->wParam) {
      case VK_ESCAPE:
        // Only an open label or folder-box edit takes Escape; the dialog itself ignores it.
        if (inLabelEdit || inFolderBox) return CEmbeddableDialog::PreTranslateMessage(msg);
        return TRUE;
      case VK_RETURN:
        if (inFolderBox) {
          OnFolderEditEnd();
          return TRUE;
        }
        [[fallthrough]];
      case VK_BACK:
        if (inPc || inPhone) {
          OpenInPane(inPc ? Pane::Pc : Pane::Phone, msg->wParam == VK_BACK);
          return TRUE;
        }
        break;
      case VK_F2:
        if ((inPc || inPhone) && !Busy()) {
          CPaneListCtrl* pane = inPc ? static_cast<CPaneListCtrl*>(m_pcList.get()) : m_phoneList.get();
          const int row = pane->GetNextItem(-1, LVNI_FOCUSED);
          if (row >= 0) pane->EditLabel(row);
          return TRUE;
        }
        break;
      case VK_F6:
        if (m_pcList && m_phoneList && !Busy()) {
          (m_activePane == Pane::Pc ? static_cast<CWnd*>(m_phoneList.get()) : m_pcList.get())->SetFocus();
          return TRUE;
        }
        break;
      case VK_F10:
        if (!Busy()) PostMessage(WM_COMMAND, MAKEWPARAM(IDC_FILE_MENU, BN_CLICKED), reinterpret_cast<LPARAM>(m_fileButton.m_hWnd));
        return TRUE;
      case VK_F4:
        if (msg->message == WM_SYSKEYDOWN) return TRUE;  // Alt+F4 is ignored
        if (ctrl) {
          EndModalLoop(0);
          return TRUE;
        }
        break;
      case VK_TAB:
        if (ctrl && !Busy()) {
          ShowKind(m_variant.NextKind(m_phoneModel.GetKind()));
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
      MapNotify(kPaneFocusNotify, IDC_PC_LIST, &CMediaryDlg::OnPaneNotify),
      MapNotify(kPaneFocusNotify, IDC_PHONE_LIST, &CMediaryDlg::OnPaneNotify),
      MapNotify(kPaneSelectionNotify, IDC_PC_LIST, &CMediaryDlg::OnPaneNotify),
      MapNotify(kPaneSelectionNotify, IDC_PHONE_LIST, &CMediaryDlg::OnPaneNotify),
      MapNotify(NM_DBLCLK, IDC_PC_LIST, &CMediaryDlg::OnPaneNotify),
      MapNotify(NM_DBLCLK, IDC_PHONE_LIST, &CMediaryDlg::OnPaneNotify),
      MapNotify(NM_RCLICK, IDC_PC_LIST, &CMediaryDlg::OnPaneNotify),
      MapNotify(NM_RCLICK, IDC_PHONE_LIST, &CMediaryDlg::OnPaneNotify),
      MapControl(CBN_SELCHANGE, IDC_FOLDER_BOX, &CMediaryDlg::OnFolderPicked),
      MapControl(CBN_CLOSEUP, IDC_FOLDER_BOX, &CMediaryDlg::OnFolderCloseUp),
      MapMessage(WM_SHOWWINDOW, &CMediaryDlg::OnShowWindow),
      MapMessage(WM_CTLCOLORSTATIC, &CMediaryDlg::OnCtlColorStatic),
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
