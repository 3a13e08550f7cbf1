#include "BackupDlg.h"

#include "resource.h"

#include <HostedApp.h>
#include <LauncherProtocol.h>
#include <MessageBoxDlg.h>
#include <PathSplit.h>
#include <StringLoader.h>

#include <framework/FileDialog.h>
#include <kernel/Process.h>
#include <kernel/Sync.h>
#include <registry/RegistryKey.h>
#include <resources/Resource.h>
#include <shell/ShellApi.h>
#include <shell/ShlObj.h>

#include <array>
#include <chrono>
#include <utility>

namespace {

constexpr COLORREF kTextColour = 0x822A08;
constexpr COLORREF kBackColour = 0xFDEAE1;
constexpr UINT kBusyTimer = 1000;
// The bar's busy look: a block running along a gradient squeezed into it, stepped by the timer.
constexpr DWORD kBusyStyle = PBS_SKIN_GRADIENTINDONE | PBS_SKIN_WRAPPING;
constexpr UINT kAboutCommand = 0x10;
constexpr char kPathKey[] = "Software\\Halvane\\Tolvar\\Backup\\Path";
constexpr char kSettingsKey[] = "Software\\Halvane\\Tolvar\\Settings";
constexpr UINT kReportMessage = WM_APP + 1;

UINT ExitTransferMessage() {
  static const UINT message = RegisterWindowMessageA("WM_EXIT_BCK_TRANSFER");
  return message;
}

constexpr char kFilter[] = "Backup File(*.bck)|*.bck|All files(*.*)|*.*||";

// A registry text value, cut to `limit` bytes; empty when absent or not text.
CString ReadText(LPCSTR keyName, LPCSTR valueName, std::size_t limit) {
  tolvar::registry::RegistryKey key;
  std::string value;
  if (key.Open(HKEY_CURRENT_USER, keyName) != ERROR_SUCCESS || key.QueryString(valueName, value) != ERROR_SUCCESS) {
    return CString();
  }
  if (value.size() > limit) value.resize(limit);
  return CString(value.c_str());
}

CString DocumentsFolder() {
  char path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, path))) return CString();
  return CString(path);
}

void SetBoxCheck(HWND dialog, UINT id, bool checked) {
  ::SendDlgItemMessageA(dialog, static_cast<int>(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ShowItem(HWND dialog, UINT id, bool shown) {
  ::ShowWindow(::GetDlgItem(dialog, static_cast<int>(id)), shown ? SW_SHOW : SW_HIDE);
}

void EnableItem(HWND dialog, UINT id, bool enabled) { ::EnableWindow(::GetDlgItem(dialog, static_cast<int>(id)), enabled); }

RECT ItemRect(HWND dialog, UINT id) {
  RECT rect{};
  HWND item = ::GetDlgItem(dialog, static_cast<int>(id));
  ::GetWindowRect(item, &rect);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

CString ReadBuildSetting() { return ReadText(kSettingsKey, "Build", 128); }

// --- the log list ---

void CBackupLogList::DrawItem(LPDRAWITEMSTRUCT drawItem) {
  const auto kind = static_cast<int>(GetItemData(static_cast<int>(drawItem->itemID)));
  if (kind != CBackupDlg::kFile && kind != CBackupDlg::kHeadline) {
    CSkinListCtrl::DrawItem(drawItem);
    return;
  }
  HDC dc = drawItem->hDC;
  RECT row = drawItem->rcItem;
  HBRUSH background = ::CreateSolidBrush(GetRowBkColor());
  ::FillRect(dc, &row, background);
  ::DeleteObject(background);
  const CString text = GetItemText(static_cast<int>(drawItem->itemID), 0);
  const int oldMode = ::SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColour = ::SetTextColor(dc, kind == CBackupDlg::kFile ? kFileColour : kHeadlineColour);
  HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)));
  row.left += GetTextIndent();
  ::DrawTextA(dc, text, text.GetLength(), &row, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  ::SelectObject(dc, oldFont);
  ::SetTextColor(dc, oldColour);
  ::SetBkMode(dc, oldMode);
}

// --- the dialog ---

CBackupAboutDlg::CBackupAboutDlg(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}

CBackupDlg::CBackupDlg(CManager* manager, const BackupVariant& variant, CWnd* parent)
    : CEmbeddableDialog(IDD_BACKUP_DIALOG, parent, TRUE), m_manager(manager), m_model(variant) {
  m_icon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
  LoadSettings();
}

CBackupDlg::~CBackupDlg() {
  CancelAndWait();
  if (m_icon) ::DestroyIcon(m_icon);
}

// --- the worker's reports ---

void CBackupDlg::CQueuedReport::Push(Event event) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_events.push_back(std::move(event));
  if (!m_posted && m_window) m_posted = ::PostMessageA(m_window, kReportMessage, 0, 0) != FALSE;
}

std::vector<CBackupDlg::CQueuedReport::Event> CBackupDlg::CQueuedReport::Take() {
  std::lock_guard<std::mutex> hold(m_lock);
  m_posted = false;
  return std::exchange(m_events, {});
}

const AFX_MSGMAP* CBackupDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CEmbeddableDialog::GetMessageMap(), {
      MapCommandRange(IDC_BACKUP_ALL, IDC_RESTORE_ALL, &CBackupDlg::OnRowClicked),
      MapCommand(IDC_BACKUP_MOVIES, &CBackupDlg::OnBackupMovies),
      MapCommand(IDC_RESTORE_MOVIES, &CBackupDlg::OnRestoreMovies),
      MapCommand(IDC_BACKUP, &CBackupDlg::OnBackupCommand),
      MapCommand(ID_FILE_BACKUP, &CBackupDlg::OnBackupCommand),
      MapCommand(IDC_RESTORE, &CBackupDlg::OnRestoreCommand),
      MapCommand(ID_FILE_RESTORE, &CBackupDlg::OnRestoreCommand),
      MapCommand(IDC_OPEN, &CBackupDlg::OnOpenCommand),
      MapCommand(ID_FILE_OPEN, &CBackupDlg::OnOpenCommand),
      MapCommand(ID_FILE_CLOSE, &CBackupDlg::OnCloseCommand),
      MapCommand(IDC_CANCEL_RUN, &CBackupDlg::OnCancelRun),
      MapMessage(WM_SYSCOMMAND, &CBackupDlg::OnSysCommand),
      MapMessage(WM_SETCURSOR, &CBackupDlg::OnSetCursor),
      MapMessage(WM_SIZE, &CBackupDlg::OnSize),
      MapMessage(WM_DESTROY, &CBackupDlg::OnDestroy),
      MapMessage(WM_TIMER, &CBackupDlg::OnTimer),
      MapMessage(kReportMessage, &CBackupDlg::OnReport),
      MapMessage(ExitTransferMessage(), &CBackupDlg::OnExitTransfer),
  }};
  return &map;
}

void CBackupDlg::LoadSettings() {
  const CString documents = DocumentsFolder();
  const CString stored = ReadText(kPathKey, "Path", MAX_PATH);
  SHFILEINFOA info{};
  const bool exists = !stored.IsEmpty() && SHGetFileInfo(stored, 0, &info, sizeof(info), SHGFI_ATTRIBUTES) != 0;
  m_lastFolder = LastFolderFromStored(documents, stored, exists);
}

void CBackupDlg::SaveLastFolder() const {
  tolvar::registry::RegistryKey key;
  if (key.Create(HKEY_CURRENT_USER, kPathKey) != ERROR_SUCCESS || m_lastFolder.IsEmpty()) return;
  key.SetString("Path", static_cast<LPCSTR>(LastFolderToStored(m_lastFolder)));
}

BOOL CBackupDlg::OnInitDialog() {
  CEmbeddableDialog::OnInitDialog();
  if (m_icon) {
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    ::SendMessageA(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
  }
  if (HMENU system = ::GetSystemMenu(m_hWnd, FALSE)) {
    ::AppendMenuA(system, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(system, MF_STRING, kAboutCommand, GetText(IDS_ABOUTBOX));
  }

  // The fonts: headings, labels and the bar's text.
  auto makeFont = [](CFont& font, int height) {
    font.CreateFont(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                    DEFAULT_QUALITY, DEFAULT_PITCH, "Verdana");
  };
  makeFont(m_headingFont, 20);
  makeFont(m_labelFont, 16);
  makeFont(m_barFont, 14);
  auto setFont = [this](UINT id, CFont& font) {
    ::SendDlgItemMessageA(m_hWnd, static_cast<int>(id), WM_SETFONT, reinterpret_cast<WPARAM>(font.m_hObject), TRUE);
  };
  setFont(IDC_HEADING_BACKUP, m_headingFont);
  setFont(IDC_HEADING_RESTORE, m_headingFont);
  setFont(IDC_TITLE, m_labelFont);
  setFont(IDC_LABEL_ALL, m_labelFont);
  for (const BackupRowInfo& info : BackupRows()) setFont(info.label, m_labelFont);

  // The log list: one wide column and one of no width, no titles.
  m_log.SubclassDlgItem(IDC_LOG, this);
  m_log.InsertColumn(0, "", LVCFMT_LEFT, 260);
  m_log.InsertColumn(1, "", LVCFMT_LEFT, 0);
  m_log.SetFont("Verdana", 13, FALSE, FALSE);
  m_log.SetTextIndent(20);
  m_log.SetRowBkColor(0xFFFFFF);
  m_log.SetSelectionColor(0xFDDAC9);
  m_log.SetRowTextColor(kTextColour);
  m_log.EnableDrag();

  // The buttons and the File menu.
  for (auto [button, id] : {std::pair{&m_backupButton, IDC_BACKUP}, std::pair{&m_restoreButton, IDC_RESTORE},
                            std::pair{&m_openButton, IDC_OPEN}, std::pair{&m_cancelButton, IDC_CANCEL_RUN},
                            std::pair{&m_fileButton, IDC_FILE_MENU}}) {
    button->SubclassDlgItem(static_cast<UINT>(id), this);
    button->SetColor(kSkinInBack, kTextColour, FALSE);
    button->SetColor(kSkinInText, kBackColour, FALSE);
    button->SetColor(kSkinOutBack, kTextColour, FALSE);
    button->SetColor(kSkinOutText, 0xFFFFFF, FALSE);
    button->SetColor(kSkinFocusBack, kTextColour, FALSE);
    button->SetColor(kSkinFocusText, 0xFFFFFF);
  }
  // The File menu with its 16 by 16 pictures, magenta showing through.
  m_fileButton.SetMenu(IDR_FILE_MENU, m_hWnd, TRUE, IDR_FILE_MENU, 16, 16, RGB(255, 0, 255));
  m_fileButton.SetFont("Verdana", 14, FALSE, FALSE);
  const std::array<std::pair<UINT, UINT>, 4> menuTexts{
      {{ID_FILE_OPEN, IDS_OPEN}, {ID_FILE_BACKUP, IDS_BACKUP}, {ID_FILE_RESTORE, IDS_RESTORE}, {ID_FILE_CLOSE, IDS_CLOSE}}};
  for (auto [command, text] : menuTexts) m_fileButton.Menu().ModifyItem(GetText(text), command);

  // The progress bar, hidden until a run.
  m_progress.SubclassDlgItem(IDC_PROGRESS, this);
  m_progress.SetGradientColors({kTextColour, kBackColour});
  m_progress.SetTextColors(0xFFFFFF, kTextColour);
  ::SendMessageA(m_progress.m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_barFont.m_hObject), FALSE);

  // The texts.
  const std::array<std::pair<UINT, UINT>, 10> texts{{{IDC_TITLE, IDS_TITLE}, {IDC_HEADING_BACKUP, IDS_BACKUP},
                                                     {IDC_HEADING_RESTORE, IDS_RESTORE}, {IDC_LABEL_ALL, IDS_SELECT_ALL},
                                                     {IDC_BACKUP, IDS_BACKUP}, {IDC_RESTORE, IDS_RESTORE},
                                                     {IDC_OPEN, IDS_OPEN}, {IDC_FILE_MENU, IDS_FILE},
                                                     {IDC_CANCEL_RUN, IDS_CANCEL}, {IDC_STATIC_1075, 0}}};
  for (auto [control, text] : texts) {
    if (text) ::SetDlgItemTextA(m_hWnd, static_cast<int>(control), GetText(text));
  }
  for (const BackupRowInfo& info : BackupRows()) ::SetDlgItemTextA(m_hWnd, static_cast<int>(info.label), GetText(info.nameString));

  // The variant's rows: without movies "Select all" closes the gap; i-mode takes MMS's place.
  const BackupVariant& variant = m_model.Variant();
  if (!variant.showMovies) {
    for (UINT id : {IDC_LABEL_ALL, IDC_RESTORE_ALL, IDC_BACKUP_ALL}) MoveControl(id, 0, -15, 0, 0);
  }
  if (variant.showIMode) {
    const BackupRowInfo& mms = RowInfo(BackupRow::Mms);
    const BackupRowInfo& imode = RowInfo(BackupRow::IMode);
    for (auto [to, from] : {std::pair{imode.label, mms.label}, std::pair{imode.backupBox, mms.backupBox},
                            std::pair{imode.restoreBox, mms.restoreBox}}) {
      const RECT place = ItemRect(m_hWnd, from);
      ::SetWindowPos(::GetDlgItem(m_hWnd, static_cast<int>(to)), nullptr, place.left, place.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  ShowModel();

  RECT window{};
  ::GetWindowRect(m_hWnd, &window);
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + 7,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

void CBackupDlg::MoveControl(UINT id, int dx, int dy, int dw, int dh) {
  HWND item = ::GetDlgItem(m_hWnd, static_cast<int>(id));
  if (!item) return;
  const RECT rect = ItemRect(m_hWnd, id);
  ::MoveWindow(item, rect.left + dx, rect.top + dy, rect.right - rect.left + dw, rect.bottom - rect.top + dh, TRUE);
}

bool CBackupDlg::IsChecked(UINT id) const {
  return ::SendDlgItemMessageA(m_hWnd, static_cast<int>(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CBackupDlg::ShowModel() {
  for (const BackupRowInfo& info : BackupRows()) {
    const auto& backup = m_model.Get(CBackupModel::kBackup, info.row);
    const auto& restore = m_model.Get(CBackupModel::kRestore, info.row);
    for (auto [id, box] : {std::pair{info.backupBox, &backup}, std::pair{info.restoreBox, &restore}}) {
      SetBoxCheck(m_hWnd, id, box->checked);
      EnableItem(m_hWnd, id, box->enabled);
      ShowItem(m_hWnd, id, box->visible);
    }
    ShowItem(m_hWnd, info.label, backup.visible);
  }
  for (auto [id, column] : {std::pair{IDC_BACKUP_ALL, CBackupModel::kBackup}, std::pair{IDC_RESTORE_ALL, CBackupModel::kRestore}}) {
    SetBoxCheck(m_hWnd, id, m_model.SelectAll(column).checked);
    EnableItem(m_hWnd, id, m_model.SelectAll(column).enabled);
  }
  EnableItem(m_hWnd, IDC_RESTORE, m_model.RestoreEnabled());
}

void CBackupDlg::OnRowClicked(UINT id) {
  const bool checked = IsChecked(id);
  if (id == IDC_BACKUP_ALL || id == IDC_RESTORE_ALL) {
    m_model.SetSelectAll(id == IDC_BACKUP_ALL ? CBackupModel::kBackup : CBackupModel::kRestore, checked);
    ShowModel();
    return;
  }
  for (const BackupRowInfo& info : BackupRows()) {
    if (id != info.backupBox && id != info.restoreBox) continue;
    const auto column = id == info.backupBox ? CBackupModel::kBackup : CBackupModel::kRestore;
    const std::optional<RowWarning> warning = m_model.SetRow(column, info.row, checked);
    ShowModel();
    if (warning) {
      CString text;
      text.Format(GetText(warning->stringId), static_cast<LPCSTR>(warning->Names(GetText(IDS_CONTACTS), GetText(IDS_SCHEDULE))));
      ShowMessage(text, MB_ICONINFORMATION);
    }
    return;
  }
}

void CBackupDlg::AddLogLine(const CString& text, int kind) {
  if (!m_log.m_hWnd) return;
  for (const CString& line : SplitLogText(text)) m_log.AddItem(line, kind, -1);
  const int count = m_log.GetItemCount();
  if (count == 0) return;
  m_log.EnsureVisible(count - 1, FALSE);
  if (count > m_log.GetCountPerPage()) {
    RECT client{};
    ::GetClientRect(m_log.m_hWnd, &client);
    m_log.SetColumnWidth(0, client.right - client.left);
  }
}

bool CBackupDlg::ShowFileKinds(const CString& path) {
  const BYTE result = m_archive.Open(path);
  if (result != BCK_OK) {
    // Kinds of an earlier file must not stay behind: Restore would take them for this file's.
    m_model.ResetRestoreRows();
    ShowModel();
    ShowMessage(GetText(IDS_NOT_A_BACKUP), MB_ICONINFORMATION);
    return false;
  }
  m_model.ShowKinds(m_archive.GetKinds());
  m_archive.Close();
  ShowModel();
  return true;
}

void CBackupDlg::OpenBackupFile(const CString& path) {
  m_backupPath = path;
  m_lastFolder = PathFolder(path);
  ShowFileKinds(path);
  AddLogLine(" ", kStep);
  CString line;
  line.Format("%s %s", static_cast<LPCSTR>(GetText(IDS_OPEN)), static_cast<LPCSTR>(path));
  AddLogLine(line, kHeadline);
}

void CBackupDlg::OnOpenCommand() {
  const CString path = ChooseFile(false);
  if (!path.IsEmpty()) OpenBackupFile(path);
}

void CBackupDlg::OnBackupCommand() {
  // One run at a time: nothing is asked or reset while one goes on.
  if (Running() || !m_model.AnyChecked(CBackupModel::kBackup)) return;
  const CString path = ChooseFile(true);
  if (path.IsEmpty() || Running()) return;
  m_model.ResetRestoreRows();
  ShowModel();
  m_backupPath = path;
  m_lastFolder = PathFolder(path);
  StartRun(false);
}

void CBackupDlg::OnRestoreCommand() {
  if (Running() || !m_model.RestoreEnabled() || !m_model.AnyChecked(CBackupModel::kRestore)) return;
  StartRun(true);
}

void CBackupDlg::CQueuedReport::MediaChanged() {
  if (!m_mediaEvent) m_mediaEvent = tolvar::kernel::UniqueHandle(OpenEventA(EVENT_ALL_ACCESS, FALSE, "CHANGE_RESOURCES"));
  // When no multimedia manager made the event, nobody needs telling.
  if (m_mediaEvent) SetEvent(m_mediaEvent.Get());
}

bool CBackupDlg::Exchanging() const {
  return (m_run && m_run->Exchanging()) || (m_restore && m_restore->Exchanging());
}

std::unique_ptr<IBackupPhone> CBackupDlg::MakePhone() {
  return m_manager ? std::make_unique<CManagerPhone>(*m_manager) : nullptr;
}

bool CBackupDlg::StartRun(bool restore) {
  m_phone = MakePhone();
  if (!m_phone) return false;
  m_report.Attach(m_hWnd);
  m_restoring = restore;
  RunChoice choice{m_model.BackupKinds(), m_model.Variant()};
  if (restore) {
    choice.kinds = 0;
    for (const BackupRowInfo& info : BackupRows()) {
      if (m_model.RestoreChecked(info.row)) choice.kinds |= info.kind;
    }
    m_restore = std::make_unique<CRestoreRun>(*m_phone, m_report);
  } else {
    m_run = std::make_unique<CBackupRun>(*m_phone, m_report);
  }
  m_workerDone = false;
  SetRunning(true);
  const CString path = m_backupPath;
  // Everything the worker reads is set up before it starts.
  m_worker = std::thread([this, choice, path, restore] {
    m_outcome = restore ? m_restore->Run(path, choice) : m_run->Run(path, choice);
    m_workerDone = true;
    m_report.Finished();
  });
  return true;
}

void CBackupDlg::SetRunning(bool running) {
  ShowItem(m_hWnd, IDC_CANCEL_RUN, running);
  if (running) ::SetDlgItemTextA(m_hWnd, IDC_CANCEL_RUN, GetText(IDS_CANCEL));
  for (UINT id : {IDC_OPEN, IDC_BACKUP, IDC_RESTORE}) ShowItem(m_hWnd, id, !running);
  EnableItem(m_hWnd, IDC_FILE_MENU, !running);
  for (const BackupRowInfo& info : BackupRows()) {
    EnableItem(m_hWnd, info.backupBox, !running && m_model.Get(CBackupModel::kBackup, info.row).enabled);
    EnableItem(m_hWnd, info.restoreBox, !running && m_model.Get(CBackupModel::kRestore, info.row).enabled);
  }
  EnableItem(m_hWnd, IDC_BACKUP_ALL, !running);
  EnableItem(m_hWnd, IDC_RESTORE_ALL, !running && m_model.SelectAll(CBackupModel::kRestore).enabled);
  if (m_progress.m_hWnd) {
    m_progress.SetPos(0);
    ShowItem(m_hWnd, IDC_PROGRESS, running);
  }
  m_cursor = running ? IDC_APPSTARTING : IDC_ARROW;
  // Shown at once under a resting pointer (the pointer shows it only while it is over this thread's
  // windows); WM_SETCURSOR keeps it as the pointer moves.
  ::SetCursor(::LoadCursorA(nullptr, m_cursor));
  if (!running) {
    KillTimer(kBusyTimer);
    if (m_progress.m_hWnd) m_progress.ModifyStyle(kBusyStyle, 0);
    EnableItem(m_hWnd, IDC_RESTORE, m_model.RestoreEnabled());
  }
}

LRESULT CBackupDlg::OnReport(WPARAM, LPARAM) {
  for (CQueuedReport::Event& event : m_report.Take()) {
    switch (event.kind) {
      case CQueuedReport::Event::kLog: AddLogLine(event.text, event.a); break;
      case CQueuedReport::Event::kOverlay: m_progress.SetText(event.text, PBS_SKIN_CALLERTEXT); break;
      case CQueuedReport::Event::kBusy:
        // The busy mode's timer belongs to this thread.
        if (event.a) {
          m_progress.SetRange32(0, 100);
          m_progress.SetStep(1);
          m_progress.ModifyStyle(0, kBusyStyle);
          SetTimer(kBusyTimer, 50);
        } else {
          KillTimer(kBusyTimer);
          m_progress.ModifyStyle(kBusyStyle, 0);
        }
        m_progress.Invalidate();
        break;
      case CQueuedReport::Event::kProgress:
        m_progress.SetRange32(0, event.a);
        m_progress.SetPos(event.b);
        break;
      case CQueuedReport::Event::kFinished: EndRun(); break;
    }
  }
  return 0;
}

void CBackupDlg::EndRun() {
  if (m_worker.joinable()) m_worker.join();
  m_run.reset();
  m_restore.reset();
  m_phone.reset();
  SetRunning(false);
  if (m_outcome.fileWritten || m_restoring) ShowFileKinds(m_backupPath);
  if (m_outcome.endMessage) {
    m_endText = m_outcome.endText;
    ::PostMessageA(m_hWnd, ExitTransferMessage(), 0, 0);
  }
}

LRESULT CBackupDlg::OnExitTransfer(WPARAM, LPARAM) {
  if (m_asking) {
    m_endPending = true;  // handled once the cancel question is answered
    return 0;
  }
  if (m_manager) {
    while (m_manager->PA_RemovePrivateMessage(0) == PA_OK) {
    }
    while (m_manager->PA_RemovePrivateIModeMessage(0) == PA_OK) {
    }
  }
  AddLogLine(m_endText, kHeadline);
  ShowMessage(m_endText, MB_ICONINFORMATION);
  return 0;
}

void CBackupDlg::OnCancelRun() {
  if (!Running() || m_asking) return;
  char text[64] = {};
  ::GetDlgItemTextA(m_hWnd, IDC_CANCEL_RUN, text, sizeof text);
  if (GetText(IDS_WAIT) == text) return;  // a cancel is on its way
  // The run goes on while the question is up.
  m_asking = true;
  const int answer = ShowMessage(GetText(IDS_CANCEL_QUESTION), MB_YESNO | MB_ICONQUESTION);
  m_asking = false;
  if (answer != IDNO && Running() && Exchanging()) {
    ::SetDlgItemTextA(m_hWnd, IDC_CANCEL_RUN, GetText(IDS_WAIT));
    m_phone->Media().PA_CancelTransfer();
  }
  if (m_endPending) {
    m_endPending = false;
    OnExitTransfer(0, 0);
  }
}

void CBackupDlg::CancelAndWait() {
  if (!m_worker.joinable()) return;
  if (Exchanging() && m_phone) m_phone->Media().PA_CancelTransfer();
  while (!m_workerDone) {
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // answers messages sent to this thread
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  m_worker.join();
  m_report.Take();
  m_run.reset();
  m_restore.reset();
  m_phone.reset();
}

void CBackupDlg::OnCloseCommand() { EndModalLoop(IDOK); }

BOOL CBackupDlg::QueryClose() {
  CHostedApp* app = AfxGetHostedApp();
  if (Running()) {
    // The dialog must not go away under the worker: a Yes cancels and waits for it.
    m_asking = true;
    const int answer = ShowMessage(GetText(IDS_CANCEL_QUESTION), MB_YESNO | MB_ICONQUESTION);
    m_asking = false;
    if (answer == IDNO) {
      NotifyCloseRefused();
      if (m_endPending) {
        m_endPending = false;
        OnExitTransfer(0, 0);
      }
      return FALSE;
    }
    CancelAndWait();
    m_endPending = false;
    SetRunning(false);
  }
  // Hosted, the launcher decides: it closes the suite, and Backup with it.
  if (app && app->m_hMainWnd && ::IsWindow(app->m_hMainWnd)) {
    ::PostMessageA(app->m_hMainWnd, CloseMainFrameMessage(), 0, 0);
    return FALSE;
  }
  return TRUE;
}

BOOL CBackupDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))) {
    switch (msg->wParam) {
      case VK_F8: OnBackupCommand(); return TRUE;
      case VK_F9: OnRestoreCommand(); return TRUE;
      case VK_ESCAPE: return TRUE;
      default: break;
    }
  }
  return CEmbeddableDialog::PreTranslateMessage(msg);
}

LRESULT CBackupDlg::OnSysCommand(WPARAM wParam, LPARAM) {
  if ((wParam & 0xFFF0) == kAboutCommand) {
    CBackupAboutDlg about(this);
    about.DoModal();
    return 0;
  }
  return Default();
}

LRESULT CBackupDlg::OnSetCursor(WPARAM, LPARAM) {
  if (m_cursor != IDC_ARROW) {
    ::SetCursor(::LoadCursorA(nullptr, m_cursor));
    return TRUE;
  }
  return Default();
}

LRESULT CBackupDlg::OnTimer(WPARAM id, LPARAM) {
  if (id == kBusyTimer && m_progress.m_hWnd) {
    for (int i = 0; i < 3; ++i) m_progress.StepIt();
    return 0;
  }
  return Default();
}

LRESULT CBackupDlg::OnSize(WPARAM type, LPARAM size) {
  const SIZE now{LOWORD(size), HIWORD(size)};
  if (!m_haveReferenceSize || !m_log.m_hWnd) {
    m_referenceSize = now;
    m_haveReferenceSize = m_log.m_hWnd != nullptr;
    return Default();
  }
  const int dx = (now.cx - m_referenceSize.cx) & ~1;
  const int dy = (now.cy - m_referenceSize.cy) & ~1;
  if (type != SIZE_MINIMIZED && (dx || dy)) {
    MoveControl(IDC_FRAME_ROWS, 0, 0, 0, dy);
    MoveControl(IDC_FRAME_1074, 0, 0, dx, dy);
    MoveControl(IDC_FRAME_1073, 0, 0, dx, 0);
    for (UINT id : {IDC_BACKUP, IDC_RESTORE, IDC_OPEN}) MoveControl(id, 0, dy, 0, 0);
    // The File button keeps its place beside the static before it: left behind, it would lie under
    // that static once the dialog is wider than its template, out of the pointer's reach.
    for (UINT id : {IDC_TITLE, IDC_STATIC_1075, IDC_FILE_MENU}) MoveControl(id, dx, 0, 0, 0);
    MoveControl(IDC_CANCEL_RUN, dx, dy, 0, 0);
    MoveControl(IDC_PROGRESS, 0, dy, dx, 0);
    MoveControl(IDC_FRAME_LOG, 0, 0, dx, dy);
    const RECT frame = ItemRect(m_hWnd, IDC_FRAME_LOG);
    ::MoveWindow(m_log.m_hWnd, frame.left + 1, frame.top + 1, frame.right - frame.left - 2, frame.bottom - frame.top - 2, TRUE);
    ::InvalidateRect(::GetDlgItem(m_hWnd, IDC_STATIC_1075), nullptr, TRUE);
    RECT client{};
    ::GetClientRect(m_log.m_hWnd, &client);
    m_log.SetColumnWidth(0, client.right - client.left);
    m_referenceSize = SIZE{m_referenceSize.cx + dx, m_referenceSize.cy + dy};
  }
  return Default();
}

LRESULT CBackupDlg::OnDestroy(WPARAM, LPARAM) {
  CancelAndWait();
  SaveLastFolder();
  return Default();
}

int CBackupDlg::ShowMessage(const CString& text, UINT type) { return ShowMessageBox(text, GetText(IDS_TITLE), type); }

CString CBackupDlg::ChooseFile(bool forSaving) {
  const DWORD flags = forSaving ? OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_CREATEPROMPT
                                : OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  CFileDialog dialog(forSaving ? FALSE : TRUE, "bck", nullptr, flags, kFilter, this);
  const CString title = CaptionOfCommand(GetText(forSaving ? IDS_BACKUP : IDS_OPEN));
  dialog.m_ofn.lpstrTitle = title;
  dialog.m_ofn.lpstrInitialDir = m_lastFolder;
  if (dialog.DoModal() != IDOK) return CString();
  return dialog.GetPathName();
}
