// Daybook's main dialog; see DaybookDlg.h.
#include "DaybookDlg.h"

#include "Daybook.h"
#include "DaybookDocument.h"
#include "FindDlg.h"
#include "resource.h"

#include <controls/ListView.h>
#include <PathSplit.h>

#include <framework/FileDialog.h>
#include <kernel/File.h>
#include <registry/WinReg.h>
#include <shell/ShlObj.h>

using namespace daybook;

namespace {

constexpr UINT kCaption = 305;
constexpr char kDaybookKey[] = "Software\\Halvane\\Tolvar\\Daybook";
constexpr char kPathKey[] = "Software\\Halvane\\Tolvar\\Daybook\\Path";
constexpr char kPathValue[] = "Path";
constexpr char kFilter[] = "Daybook File(*.daybook)|*.daybook|All files(*.*)|*.*||";

// A registry key closed when it goes.
struct RegistryKey {
  HKEY key = nullptr;
  ~RegistryKey() {
    if (key) RegCloseKey(key);
  }
};

// The folder of a path in either form, at its last "\\" or "/"; a root keeps its separator.
CString FolderOf(const CString& path) { return PathFolder(path); }

CString NameOf(const CString& path) { return PathName(path); }

CString ReadProblem(ReadStatus status) {
  (void)status;
  return DaybookText(2016);
}

}  // namespace

CDaybookDlg::CDaybookDlg(CManager& manager) : CEmbeddableDialog(IDD_DAYBOOK, nullptr, TRUE), m_manager(manager) {}

CDaybookDlg::~CDaybookDlg() = default;

const AFX_MSGMAP* CDaybookDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CEmbeddableDialog::GetMessageMap(), {
      MapCommand(IDC_CONTACTS_BUTTON, &CDaybookDlg::OnShowContacts),
      MapCommand(IDC_SCHEDULE_BUTTON, &CDaybookDlg::OnShowSchedule),
      MapCommand(IDC_TODO_BUTTON, &CDaybookDlg::OnShowToDo),
      MapCommand(CMD_FILE_NEW, &CDaybookDlg::OnFileNew),
      MapCommand(CMD_FILE_OPEN, &CDaybookDlg::OnFileOpen),
      MapCommand(CMD_FILE_SAVE, &CDaybookDlg::OnFileSave),
      MapCommand(CMD_FILE_SAVEAS, &CDaybookDlg::OnFileSaveAs),
      MapCommand(CMD_DOWNLOAD, &CDaybookDlg::OnTransfer),
      MapCommand(CMD_UPLOAD, &CDaybookDlg::OnTransfer),
      MapCommand(CMD_GET_RESOURCES, &CDaybookDlg::OnTransfer),
      MapCommand(CMD_CLOSE, &CDaybookDlg::OnCloseCommand),
      MapCommand(CMD_NEW_ITEM, &CDaybookDlg::OnNewItem),
      MapCommand(CMD_DELETE_ITEM, &CDaybookDlg::OnDeleteItem),
      MapCommand(CMD_DELETE_ALL, &CDaybookDlg::OnDeleteAll),
      MapCommand(CMD_RESET_GROUPS, &CDaybookDlg::OnResetGroups),
      MapCommand(CMD_FIND, &CDaybookDlg::OnFindCommand),
      MapCommandRange(CMD_IMPORT_CSV, CMD_EXPORT_CSV, &CDaybookDlg::OnExchange),
      MapCommandRange(CMD_IMPORT_VCARD, CMD_EXPORT_POPUP, &CDaybookDlg::OnExchange),
      MapCommandRange(CMD_EXPORT_VCAL_TODO, CMD_IMPORT_VCAL_TODO, &CDaybookDlg::OnExchange),
      MapMessage(WM_SIZE, &CDaybookDlg::OnSize),
      MapMessage(WM_GETMINMAXINFO, &CDaybookDlg::OnGetMinMaxInfo),
      MapMessage(WM_DESTROY, &CDaybookDlg::OnDestroy),
  }};
  return &map;
}

BOOL CDaybookDlg::OnInitDialog() {
  CEmbeddableDialog::OnInitDialog();
  ModifyStyle(0, WS_CLIPCHILDREN);
  RECT area{};
  GetDlgItem(IDC_PAGE_AREA)->GetWindowRect(&area);
  ScreenToClient(&area);
  m_nPageTop = area.top;

  m_contacts = std::make_unique<CContactsDlg>(m_manager, this);
  m_toDo = std::make_unique<CToDoDlg>(m_manager, this);
  m_schedule = std::make_unique<CScheduleDlg>(m_manager, this);
  for (CEmbeddableDialog* page : {static_cast<CEmbeddableDialog*>(m_contacts.get()),
                                  static_cast<CEmbeddableDialog*>(m_toDo.get()),
                                  static_cast<CEmbeddableDialog*>(m_schedule.get())}) {
    page->CreateEmbedded(m_hWnd);
    page->MoveWindow(area);
  }

  m_fileButton.SubclassDlgItem(IDC_FILE_BUTTON, this);
  m_fileButton.SetDefaultLook();
  m_fileButton.SetMenu(IDR_FILE_MENU, m_hWnd);
  m_fileButton.SetWindowText(DaybookText(320));
  GetDlgItem(IDC_HELP_BUTTON)->ShowWindow(SW_HIDE);
  GetDlgItem(IDC_CONTACTS_BUTTON)->SetWindowText(DaybookText(305));
  GetDlgItem(IDC_SCHEDULE_BUTTON)->SetWindowText(DaybookText(306));
  GetDlgItem(IDC_TODO_BUTTON)->SetWindowText(DaybookText(307));
  LoadDocumentFolder();
  m_page = Page::ToDo;  // so that showing the contacts page below changes everything
  ShowPage(Page::Contacts);
  RECT client{};
  GetClientRect(&client);
  Layout(client.right - client.left, client.bottom - client.top);
  return TRUE;
}

PendingEdits CDaybookDlg::Pending() const {
  if (!m_contacts || !m_contacts->m_hWnd) return {};
  return {m_contacts->HasPendingEdit(), m_schedule->HasPendingEdit(), m_toDo->HasPendingEdit()};
}

bool CDaybookDlg::RefuseWhileEditing() {
  if (!AnyPending(Pending())) return false;
  DaybookMessage(kPendingEditText, kCaption, MB_ICONINFORMATION);
  return true;
}

void CDaybookDlg::ShowPage(Page page) {
  if (!CanShowPage(page, Pending())) {
    DaybookMessage(kPendingEditText, kCaption, MB_ICONINFORMATION);
    return;
  }
  m_page = page;
  static constexpr UINT kTitles[3] = {305, 306, 307};
  GetDlgItem(IDC_PAGE_TITLE)->SetWindowText(DaybookText(kTitles[static_cast<int>(page)]));
  m_contacts->ShowWindow(page == Page::Contacts ? SW_SHOW : SW_HIDE);
  m_schedule->ShowWindow(page == Page::Schedule ? SW_SHOW : SW_HIDE);
  m_toDo->ShowWindow(page == Page::ToDo ? SW_SHOW : SW_HIDE);
}

void CDaybookDlg::Layout(int cx, int cy) {
  CWnd* logo = GetDlgItem(IDC_LOGO);
  CWnd* header = GetDlgItem(IDC_HEADER);
  CWnd* area = GetDlgItem(IDC_PAGE_AREA);
  CWnd* toDo = GetDlgItem(IDC_TODO_BUTTON);
  CWnd* schedule = GetDlgItem(IDC_SCHEDULE_BUTTON);
  CWnd* contacts = GetDlgItem(IDC_CONTACTS_BUTTON);
  CWnd* title = GetDlgItem(IDC_PAGE_TITLE);
  if (!logo || !header || !area || !toDo || !schedule || !contacts || !title || !m_contacts) return;
  struct Size {
    int width, height;
  };
  const auto size = [](CWnd* w) {
    RECT r{};
    w->GetWindowRect(&r);
    return Size{r.right - r.left, r.bottom - r.top};
  };
  const Size rl = size(logo), rh = size(header), rt = size(toDo), rs = size(schedule), rc = size(contacts),
             rti = size(title);
  const HeaderLayout l = LayoutHeader(cx, {rl.width, rt.width, rs.width, rc.width, rti.width});
  logo->MoveWindow(l.logoX, 7, rl.width, rl.height);
  header->MoveWindow(0, 0, l.headerWidth, rh.height);
  area->MoveWindow(0, m_nPageTop, cx, cy - m_nPageTop);
  for (CEmbeddableDialog* page : {static_cast<CEmbeddableDialog*>(m_contacts.get()),
                                  static_cast<CEmbeddableDialog*>(m_toDo.get()),
                                  static_cast<CEmbeddableDialog*>(m_schedule.get())}) {
    page->MoveWindow(0, m_nPageTop, cx, cy - m_nPageTop);
  }
  toDo->MoveWindow(l.toDoX, 7, rt.width, rt.height);
  schedule->MoveWindow(l.scheduleX, 7, rs.width, rs.height);
  contacts->MoveWindow(l.contactsX, 7, rc.width, rc.height);
  title->MoveWindow(l.titleX, 23, rti.width, rti.height);
}

LRESULT CDaybookDlg::OnSize(WPARAM, LPARAM size) {
  Default();
  Layout(LOWORD(size), HIWORD(size));
  return 0;
}

LRESULT CDaybookDlg::OnGetMinMaxInfo(WPARAM, LPARAM info) {
  auto* minMax = reinterpret_cast<MINMAXINFO*>(info);
  minMax->ptMinTrackSize.x = 675;
  minMax->ptMinTrackSize.y = 521;
  return 0;
}

BOOL CDaybookDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
    KeyInput input;
    input.key = static_cast<UINT>(msg->wParam);
    input.systemKey = msg->message == WM_SYSKEYDOWN;
    input.ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
    input.page = m_page;
    switch (KeyActionFor(input)) {
      case KeyAction::Pass: break;
      case KeyAction::Swallow: return TRUE;
      case KeyAction::EmptyRenameThenPass:
      case KeyAction::StartRename:
      case KeyAction::EndRenameMoveDown:
      case KeyAction::EndRenameMoveUp: break;  // the group list handles its own editing
      case KeyAction::NextPage:
        ShowPage(NextPage(m_page));
        SetFocus();
        return TRUE;
      case KeyAction::Close: OnCloseCommand(); return TRUE;
      case KeyAction::ToggleDaily: m_schedule->ToggleDaily(); break;
      case KeyAction::GetResourceList:
      case KeyAction::Upload:
      case KeyAction::Download: OnTransfer(); break;
      case KeyAction::New: OnNew(); break;
      case KeyAction::Open: OnOpen(); break;
      case KeyAction::Save: OnSave(); break;
    }
  }
  return CEmbeddableDialog::PreTranslateMessage(msg);
}

void CDaybookDlg::OnTransfer() {
  // The phone transfers come with the workers; until then the command only keeps the edit rule.
  RefuseWhileEditing();
}

void CDaybookDlg::OnNewItem() {
  switch (m_page) {
    case Page::Contacts: m_contacts->OnNew(); break;
    case Page::Schedule: m_schedule->OnAdd(); break;
    case Page::ToDo: m_toDo->OnAdd(); break;
  }
}

void CDaybookDlg::OnDeleteItem() {
  switch (m_page) {
    case Page::Contacts: m_contacts->OnDelete(); break;
    case Page::Schedule: m_schedule->OnDelete(); break;
    case Page::ToDo: m_toDo->OnDelete(); break;
  }
}

void CDaybookDlg::OnDeleteAll() {
  switch (m_page) {
    case Page::Contacts: m_contacts->OnDeleteAll(); break;
    case Page::Schedule: m_schedule->OnDeleteAll(); break;
    case Page::ToDo: m_toDo->OnDeleteAll(); break;
  }
}

void CDaybookDlg::OnResetGroups() { m_contacts->OnResetGroups(); }

void CDaybookDlg::OnFindCommand() {
  CWnd* page = m_page == Page::Contacts ? static_cast<CWnd*>(m_contacts.get())
               : m_page == Page::Schedule ? static_cast<CWnd*>(m_schedule.get())
                                          : static_cast<CWnd*>(m_toDo.get());
  const int listId = m_page == Page::Contacts ? IDC_CONTACT_LIST : m_page == Page::Schedule ? IDC_SCHEDULE_LIST : IDC_TODO_LIST;
  HWND list = ::GetDlgItem(page->m_hWnd, listId);
  // Every row deselected: the page empties its editor.
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
  const FindMode mode = m_page == Page::Contacts ? FindMode::Contacts : m_page == Page::Schedule ? FindMode::Schedule : FindMode::ToDo;
  CFindDlg find(m_manager, mode, list, m_page == Page::Contacts ? 0 : 4, this);
  find.DoModal();
}

bool CDaybookDlg::AskToSave(SaveAnswer& answer) {
  answer = SaveAnswer::NotAsked;
  if (!g_bDocumentModified) return true;
  switch (DaybookMessage(397, kCaption, MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: answer = SaveAnswer::Yes; return OnSave() == 1;
    case IDNO: answer = SaveAnswer::No; return true;
    default: answer = SaveAnswer::Cancel; return false;
  }
}

void CDaybookDlg::OnCloseCommand() {
  if (RefuseWhileEditing()) return;
  SaveAnswer answer;
  const bool saved = AskToSave(answer);
  const CloseOutcome outcome = AfterSaveQuestion(answer, saved, false);
  if (outcome.postRefused) NotifyCloseRefused();
  if (outcome.closes) EndModalLoop(IDOK);
}

BOOL CDaybookDlg::QueryClose() {
  SaveAnswer answer;
  const bool saved = AskToSave(answer);
  const CloseOutcome outcome = AfterSaveQuestion(answer, saved, true);
  if (outcome.postRefused) NotifyCloseRefused();
  if (!outcome.closes) return FALSE;
  m_bClosing = TRUE;
  m_manager.PA_CancelTransfer();
  return CEmbeddableDialog::QueryClose();
}

LRESULT CDaybookDlg::OnDestroy(WPARAM, LPARAM) {
  PostStatusToLauncher("");
  SaveDocumentFolder();
  return Default();
}

// ---- documents ----

void CDaybookDlg::EmptyAllPages() {
  m_contacts->ClearAll();
  m_schedule->ClearAll();
  m_toDo->ClearAll();
  m_manager.PA_ClearResourceInfo(0);
  m_manager.PA_ClearResourceInfo(1);
  m_schedule->SetMelodies({});
}

void CDaybookDlg::OnNew() {
  if (RefuseWhileEditing()) return;
  SaveAnswer answer;
  if (!AskToSave(answer)) return;
  m_strDocumentPath.Empty();
  EmptyAllPages();
  g_bDocumentModified = FALSE;
}

bool CDaybookDlg::OpenDocument(const CString& path) {
  g_bDocumentModified = FALSE;
  m_strDocumentPath.Empty();
  EmptyAllPages();
  g_strLastFolder = FolderOf(path);
  GroupDefaults defaults{};
  const ReadResult result = ReadDaybookFile(std::string_view(path, static_cast<std::size_t>(path.GetLength())),
                                            m_manager, defaults);
  for (int g = 1; g <= kGroupCount; ++g) {
    if (defaults[g].set) m_contacts->Model().Defaults()[g] = defaults[g];
  }
  RebuildChoices(true);
  m_contacts->RefreshGroups();
  m_schedule->RefreshList();
  m_toDo->RefreshList();
  g_bDocumentModified = FALSE;
  switch (result.status) {
    case ReadStatus::Read:
      m_strDocumentPath = path;
      if (result.refusedRecords > 0) {
        CString text;
        text.Format(DaybookText(2001), result.refusedRecords);
        DaybookMessageText(text, kCaption, MB_ICONEXCLAMATION);
      }
      return true;
    case ReadStatus::Refused: DaybookMessage(416, kCaption, MB_ICONINFORMATION); return false;
    case ReadStatus::NotOpened: return false;
    case ReadStatus::Stopped: {
      // The document was not read whole: a later Save must not write the partial store over it.
      CString text;
      text.Format(DaybookText(2000), static_cast<LPCSTR>(ReadProblem(result.status)));
      DaybookMessageText(text, kCaption, MB_ICONEXCLAMATION);
      return false;
    }
  }
  return false;
}

void CDaybookDlg::RebuildChoices(bool afterDocument) {
  const auto list = [this](short type) {
    std::vector<Melody> entries;
    short count = 0;
    if (m_manager.PA_GetNumResourcesList(&count, type) != PA_OK || count <= 0) return entries;
    std::vector<PA_RESOURCE_INFO> records(static_cast<std::size_t>(count));
    m_manager.PA_GetResourceList(static_cast<unsigned short>(type), records.data());
    for (const PA_RESOURCE_INFO& r : records) entries.push_back({r.strDisplayName, r.dwFileId});
    return entries;
  };
  const std::vector<Melody> pictures = list(0);
  std::vector<Melody> melodies = list(1);
  m_contacts->SetChoices(pictures, melodies);
  m_schedule->Model().ValidateMelodies(melodies, afterDocument);
  m_schedule->SetMelodies(std::move(melodies));
}

void CDaybookDlg::OnOpen() {
  if (RefuseWhileEditing()) return;
  SaveAnswer answer;
  if (!AskToSave(answer)) return;
  CFileDialog dialog(TRUE, "daybook", nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, kFilter, this);
  dialog.m_ofn.lpstrInitialDir = g_strLastFolder;
  const INT_PTR chosen = dialog.DoModal();
  ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  if (chosen != IDOK) return;
  OpenDocument(dialog.GetPathName());
}

bool CDaybookDlg::TargetRefused(const CString& path) {
  const DWORD attributes = ::GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & ~FILE_ATTRIBUTE_ARCHIVE & ~FILE_ATTRIBUTE_NORMAL) == 0) {
    return false;
  }
  // Tell why, rather than returning without a word; the document stays modified.
  const UINT why = (attributes & FILE_ATTRIBUTE_READONLY) ? 2003 : (attributes & FILE_ATTRIBUTE_HIDDEN) ? 2004 : 2016;
  CString text;
  text.Format(DaybookText(2002), static_cast<LPCSTR>(DaybookText(why)));
  DaybookMessageText(text, kCaption, MB_ICONEXCLAMATION);
  return true;
}

bool CDaybookDlg::WriteDocument(const CString& path) {
  if (!WriteDaybookFile(std::string_view(path, static_cast<std::size_t>(path.GetLength())), m_manager,
                        m_contacts->Model().Defaults())) {
    CString reason;
    reason.Format("error %lu", static_cast<unsigned long>(::GetLastError()));
    CString text;
    text.Format(DaybookText(2002), static_cast<LPCSTR>(reason));
    DaybookMessageText(text, kCaption, MB_ICONEXCLAMATION);
    return false;
  }
  g_bDocumentModified = FALSE;
  return true;
}

int CDaybookDlg::OnSave() {
  if (RefuseWhileEditing()) return 0;
  if (m_strDocumentPath.IsEmpty()) return OnSaveAs();
  if (TargetRefused(m_strDocumentPath)) return 0;
  return WriteDocument(m_strDocumentPath) ? 1 : 0;
}

int CDaybookDlg::OnSaveAs() {
  if (RefuseWhileEditing()) return 0;
  const CString name = NameOf(m_strDocumentPath);
  const CString folder = m_strDocumentPath.IsEmpty() ? g_strLastFolder : FolderOf(m_strDocumentPath);
  CFileDialog dialog(FALSE, "daybook", name.IsEmpty() ? nullptr : static_cast<LPCSTR>(name),
                     OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT, kFilter, this);
  dialog.m_ofn.lpstrInitialDir = folder;
  const INT_PTR chosen = dialog.DoModal();
  ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  if (chosen != IDOK) return 0;
  const CString path = dialog.GetPathName();
  if (TargetRefused(path)) return 0;
  m_strDocumentPath = path;
  g_strLastFolder = FolderOf(path);
  return WriteDocument(path) ? 1 : 0;
}

void CDaybookDlg::LoadDocumentFolder() {
  char personal[MAX_PATH] = {};
  ::SHGetSpecialFolderPathA(m_hWnd, personal, CSIDL_PERSONAL, FALSE);
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kPathKey, 0, KEY_ALL_ACCESS, &key.key) != ERROR_SUCCESS) {
    g_strLastFolder = personal;
    return;
  }
  // Read whole and always terminated, whatever the value holds.
  char value[257] = {};
  DWORD size = 256;
  DWORD type = 0;
  if (RegQueryValueExA(key.key, kPathValue, nullptr, &type, reinterpret_cast<LPBYTE>(value), &size) != ERROR_SUCCESS) {
    return;
  }
  value[std::min<DWORD>(size, 256)] = '\0';
  const DWORD attributes = ::GetFileAttributesA(value);
  g_strLastFolder = value[0] == '\0' || attributes == INVALID_FILE_ATTRIBUTES ? CString(personal) : CString(value);
}

void CDaybookDlg::SaveDocumentFolder() {
  RegistryKey program, path;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kDaybookKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &program.key, nullptr) !=
          ERROR_SUCCESS ||
      RegCreateKeyExA(HKEY_CURRENT_USER, kPathKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &path.key, nullptr) !=
          ERROR_SUCCESS) {
    return;
  }
  if (!g_strLastFolder.IsEmpty()) {
    RegSetValueExA(path.key, kPathValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(static_cast<LPCSTR>(g_strLastFolder)),
                   static_cast<DWORD>(g_strLastFolder.GetLength() + 1));
  }
}
