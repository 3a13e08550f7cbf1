// Daybook's main dialog; see DaybookDlg.h.
#include "DaybookDlg.h"

#include "Daybook.h"
#include "DaybookDocument.h"
#include "FindDlg.h"
#include "resource.h"

#include <controls/ListView.h>
#include <PathSplit.h>
#include <GlyphMenu.h>

#include <cstdio>

#include <framework/FileDialog.h>
#include <kernel/File.h>
#include <registry/WinReg.h>
#include <resources/Resource.h>
#include <shell/ShlObj.h>

using namespace daybook;

namespace {

constexpr UINT kCaption = 305;
// The worker's queue holds events: one posted message asks this thread to apply them.
constexpr UINT kTransferEventsMessage = WM_APP + 43;
constexpr UINT_PTR kTransferTimer = 1000;
constexpr UINT kArrow = 32512;
constexpr COLORREF kPageButtonMask = 0xFDEAE1;

// What a transfer locks on each page.
struct PageControls {
  UINT bar;
  std::vector<UINT> buttons;  // hidden while a transfer runs: every one in the bar's place
  std::vector<UINT> lists;    // disabled while a transfer runs
  UINT caption;
};
const PageControls& ControlsOf(Page page) {
  static const PageControls controls[3] = {
      {IDC_CTS_PROGRESS,
       {IDC_DOWNLOAD, IDC_UPLOAD, IDC_NEW, IDC_DELETE, IDC_DELETE_ALL, IDC_APPLY, IDC_CANCEL, IDC_RESET_GROUPS},
       {IDC_GROUP_LIST, IDC_CONTACT_LIST},
       305},
      {IDC_SCH_PROGRESS,
       {IDC_DOWNLOAD, IDC_UPLOAD, IDC_SCH_ADD, IDC_SCH_DELETE, IDC_SCH_DELETE_ALL, IDC_SCH_APPLY, IDC_SCH_CANCEL,
        IDC_SHOW_DAILY, IDC_SHOW_ALL},
       {IDC_SCHEDULE_LIST},
       306},
      {IDC_TODO_PROGRESS,
       {IDC_DOWNLOAD, IDC_UPLOAD, IDC_TODO_ADD, IDC_TODO_DELETE, IDC_TODO_DELETE_ALL, IDC_TODO_APPLY, IDC_TODO_CANCEL},
       {IDC_TODO_LIST},
       307},
  };
  return controls[static_cast<int>(page)];
}
constexpr Page kPages[3] = {Page::Contacts, Page::Schedule, Page::ToDo};
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

CDaybookDlg::~CDaybookDlg() { StopTransfer(); }

const AFX_MSGMAP* CDaybookDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CEmbeddableDialog::GetMessageMap(), {
      MapCommand(IDC_CONTACTS_BUTTON, &CDaybookDlg::OnShowContacts),
      MapCommand(IDC_SCHEDULE_BUTTON, &CDaybookDlg::OnShowSchedule),
      MapCommand(IDC_TODO_BUTTON, &CDaybookDlg::OnShowToDo),
      MapCommand(CMD_FILE_NEW, &CDaybookDlg::OnFileNew),
      MapCommand(CMD_FILE_OPEN, &CDaybookDlg::OnFileOpen),
      MapCommand(CMD_FILE_SAVE, &CDaybookDlg::OnFileSave),
      MapCommand(CMD_FILE_SAVEAS, &CDaybookDlg::OnFileSaveAs),
      MapCommand(CMD_DOWNLOAD, &CDaybookDlg::OnDownload),
      MapCommand(CMD_UPLOAD, &CDaybookDlg::OnUpload),
      MapCommand(CMD_GET_RESOURCES, &CDaybookDlg::OnGetResourceList),
      MapCommand(IDC_CANCEL_TRANSFER, &CDaybookDlg::OnCancelTransfer),
      MapMessage(kTransferEventsMessage, &CDaybookDlg::OnTransferEvents),
      MapMessage(WM_TIMER, &CDaybookDlg::OnTimer),
      MapMessage(WM_SETCURSOR, &CDaybookDlg::OnSetCursor),
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
      MapMessage(WM_SHOWWINDOW, &CDaybookDlg::OnShowWindow),
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

  for (Page page : kPages) {
    CWnd* window = PageWindow(page);
    CSkinProgressCtrl& bar = m_bars[static_cast<int>(page)];
    bar.SubclassDlgItem(ControlsOf(page).bar, window);
    bar.ShowWindow(SW_HIDE);
    ::ShowWindow(::GetDlgItem(window->m_hWnd, IDC_CANCEL_TRANSFER), SW_HIDE);
  }
  m_transfer.closing = &m_bClosing;

  m_fileButton.SubclassDlgItem(IDC_FILE_BUTTON, this);
  m_fileButton.SetMenu(IDR_FILE_MENU, m_hWnd);
  const COLORREF fileColours[6] = {0x822A08, 0xFDEAE1, 0x822A08, 0xFFFFFF, 0x822A08, 0xFFFFFF};
  for (BYTE slot = 0; slot < 6; ++slot) m_fileButton.SetColor(slot, fileColours[slot], FALSE);
  m_fileButton.SetFont("Verdana", 14, FALSE, FALSE);
  m_fileButton.SetFlatFocus(TRUE);
  SetMenuTexts();
  GetDlgItem(IDC_HELP_BUTTON)->ShowWindow(SW_HIDE);
  const UINT pageButtons[3] = {IDC_CONTACTS_BUTTON, IDC_SCHEDULE_BUTTON, IDC_TODO_BUTTON};
  for (int i = 0; i < 3; ++i) {
    CSkinButton& button = m_pageButtons[i];
    button.SubclassDlgItem(pageButtons[i], this);
    for (BYTE slot = 0; slot < 6; ++slot) button.SetColor(slot, kPageButtonMask, FALSE);
    button.SetDrawBorder(FALSE, FALSE);
    button.SetWindowText("");
  }
  m_fileButton.SetWindowText(DaybookText(320));
  SetLogo();
  if (HICON icon = ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(1000))) {
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  // The page title: the dialog's font in Verdana 20 bold, one font for the label's lifetime.
  LOGFONTA font{};
  if (CFont* own = GetFont()) own->GetLogFont(&font);
  font.lfHeight = 20;
  font.lfWeight = 700;
  std::snprintf(font.lfFaceName, sizeof font.lfFaceName, "%s", "Verdana");
  if (m_titleFont.CreateFontIndirect(&font)) GetDlgItem(IDC_PAGE_TITLE)->SetFont(&m_titleFont);
  LoadDocumentFolder();
  m_page = Page::ToDo;  // so that showing the contacts page below changes everything
  ShowPage(Page::Contacts);
  // Seven pixels taller than the template, for the header's bitmaps.
  RECT window{};
  GetWindowRect(&window);
  SetWindowPos(nullptr, 0, 0, window.right - window.left, window.bottom - window.top + 7, SWP_NOMOVE | SWP_NOZORDER);
  RECT client{};
  GetClientRect(&client);
  Layout(client.right - client.left, client.bottom - client.top);
  return TRUE;
}

void CDaybookDlg::SetLogo() {
  HBITMAP logo = ::LoadBitmapA(AfxGetResourceHandle(), MAKEINTRESOURCEA(159));
  HGDIOBJ before = reinterpret_cast<HGDIOBJ>(
      ::SendDlgItemMessageA(m_hWnd, IDC_LOGO, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo)));
  if (before && before != logo) ::DeleteObject(before);
}

void CDaybookDlg::SetMenuTexts() {
  GlyphMenu& menu = m_fileButton.Menu();
  const std::pair<UINT, UINT> texts[] = {
      {CMD_FILE_NEW, 321},     {CMD_FILE_OPEN, 322},   {CMD_FILE_SAVE, 323},      {CMD_FILE_SAVEAS, 324},
      {CMD_DOWNLOAD, 325},     {CMD_UPLOAD, 326},      {CMD_IMPORT_CSV, 327},     {CMD_EXPORT_CSV, 328},
      {CMD_CLOSE, 329},        {CMD_GET_RESOURCES, 332}, {CMD_IMPORT_VCARD, 443}, {CMD_IMPORT_VCAL, 444},
      {CMD_EXPORT_VCARD, 445}, {CMD_EXPORT_VCAL, 446}, {CMD_IMPORT_VCAL_TODO, 466}, {CMD_EXPORT_VCAL_TODO, 467},
      {CMD_RESET_GROUPS, 310}};
  for (const auto& [command, text] : texts) menu.ModifyItem(static_cast<LPCSTR>(DaybookText(text)), command);
  // The two pop-ups are found by the program's own texts and given the current language's.
  GlyphMenu* file = menu.SubMenu(::GetSubMenu(menu.m_hMenu, 0));
  if (!file) return;
  for (UINT id : {439u, 442u}) {
    char own[64] = {};
    ::LoadStringA(AfxGetResourceHandle(), id, own, sizeof own);
    const int index = file->FindPopup(own);
    if (index >= 0) file->Items()[static_cast<std::size_t>(index)]->SetText(DaybookText(id));
  }
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
  // The page buttons: (in, out) bitmaps while their page is shown, and otherwise.
  static constexpr UINT kBitmaps[3][4] = {{168, 168, 166, 167}, {171, 171, 169, 170}, {175, 175, 173, 174}};
  for (int i = 0; i < 3; ++i) {
    const bool shown = static_cast<int>(page) == i;
    m_pageButtons[i].SetBitmaps(kBitmaps[i][shown ? 0 : 2], kPageButtonMask, kBitmaps[i][shown ? 1 : 3],
                                kPageButtonMask);
  }
  ::EnableMenuItem(m_fileButton.Menu().m_hMenu, CMD_RESET_GROUPS,
                   MF_BYCOMMAND | (page == Page::Contacts ? MF_ENABLED : MF_GRAYED));
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
    input.renaming = m_contacts && m_contacts->Renaming();
    input.groupListFocused = m_contacts && m_contacts->GroupListFocused();
    switch (KeyActionFor(input)) {
      case KeyAction::Pass: break;
      case KeyAction::Swallow: return TRUE;
      case KeyAction::EmptyRenameThenPass: m_contacts->EmptyRename(); break;
      case KeyAction::StartRename: m_contacts->StartRename(); return TRUE;
      case KeyAction::EndRenameMoveDown: m_contacts->EndRenameAndMove(1); break;
      case KeyAction::EndRenameMoveUp: m_contacts->EndRenameAndMove(-1); break;
      case KeyAction::NextPage:
        ShowPage(NextPage(m_page));
        SetFocus();
        return TRUE;
      case KeyAction::Close: OnCloseCommand(); return TRUE;
      case KeyAction::ToggleDaily: m_schedule->ToggleDaily(); break;
      case KeyAction::GetResourceList: OnGetResourceList(); break;
      case KeyAction::Upload: OnUpload(); break;
      case KeyAction::Download: OnDownload(); break;
      case KeyAction::New: OnNew(); break;
      case KeyAction::Open: OnOpen(); break;
      case KeyAction::Save: OnSave(); break;
    }
  }
  return CEmbeddableDialog::PreTranslateMessage(msg);
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
  if (!outcome.closes) return;
  // The library is unloaded after the dialog ends: no worker may still be inside it then.
  StopTransfer();
  EndModalLoop(IDOK);
}

BOOL CDaybookDlg::QueryClose() {
  SaveAnswer answer;
  const bool saved = AskToSave(answer);
  const CloseOutcome outcome = AfterSaveQuestion(answer, saved, true);
  if (outcome.postRefused) NotifyCloseRefused();
  if (!outcome.closes) return FALSE;
  StopTransfer();
  return CEmbeddableDialog::QueryClose();
}

LRESULT CDaybookDlg::OnShowWindow(WPARAM show, LPARAM) {
  Default();
  if (!m_contacts) return 0;
  if (!show) {
    PostStatusToLauncher("");
    return 0;
  }
  // The page named by the title tells its free slots.
  CString title;
  GetDlgItem(IDC_PAGE_TITLE)->GetWindowText(title);
  if (title == DaybookText(305)) {
    m_contacts->PublishFreeCount();
  } else if (title == DaybookText(306)) {
    m_schedule->PublishFreeCount();
  } else if (title == DaybookText(307)) {
    m_toDo->PublishFreeCount();
  }
  return 0;
}

LRESULT CDaybookDlg::OnDestroy(WPARAM, LPARAM) {
  StopTransfer();
  KillTimer(kTransferTimer);
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

// ---- phone transfers ----

CWnd* CDaybookDlg::PageWindow(Page page) const {
  switch (page) {
    case Page::Contacts: return m_contacts.get();
    case Page::Schedule: return m_schedule.get();
    case Page::ToDo: return m_toDo.get();
  }
  return nullptr;
}

void CDaybookDlg::StartWorker(std::function<void()> body) {
  if (m_worker.joinable()) m_worker.join();  // it has told its end; only its return is left
  m_workerDone = false;
  m_worker = std::thread([this, body = std::move(body)] {
    body();
    m_workerDone = true;
  });
}

void CDaybookDlg::OnDownload() {
  if (!m_fileButton.IsWindowEnabled() || TransferRunning() || m_bClosing) return;
  if (RefuseWhileEditing()) return;
  if (m_bAskLanguage) {
    if (DaybookMessage(417, kCaption, MB_YESNO | MB_ICONQUESTION) == IDNO) return;
    m_bAskLanguage = FALSE;
  }
  const bool holds = m_page == Page::Contacts   ? m_contacts->Model().HasContacts()
                     : m_page == Page::Schedule ? m_schedule->HasAnyEntry()
                                                : m_toDo->HasAnyEntry();
  if (holds) {
    const UINT question = m_page == Page::Contacts ? 392 : m_page == Page::Schedule ? 410 : 411;
    if (DaybookMessage(question, kCaption, MB_YESNO | MB_ICONQUESTION) == IDNO) return;
  }
  const TransferKind kind = m_page == Page::Contacts   ? TransferKind::ContactsDownload
                            : m_page == Page::Schedule ? TransferKind::ScheduleDownload
                                                       : TransferKind::ToDoDownload;
  m_workerPage = m_page;
  StartWorker([this, kind] { RunTransferWorker(kind, m_manager, *this, m_transfer); });
}

void CDaybookDlg::OnUpload() {
  if (!m_fileButton.IsWindowEnabled() || TransferRunning() || m_bClosing) return;
  if (RefuseWhileEditing()) return;
  if (m_bAskLanguage) {
    if (DaybookMessage(417, kCaption, MB_YESNO | MB_ICONQUESTION) == IDNO) return;
    m_bAskLanguage = FALSE;
  }
  const TransferKind kind = m_page == Page::Contacts   ? TransferKind::ContactsUpload
                            : m_page == Page::Schedule ? TransferKind::ScheduleUpload
                                                       : TransferKind::ToDoUpload;
  m_workerPage = m_page;
  StartWorker([this, kind] { RunTransferWorker(kind, m_manager, *this, m_transfer); });
}

void CDaybookDlg::OnGetResourceList() {
  if (!m_fileButton.IsWindowEnabled() || TransferRunning() || m_bClosing) return;
  if (RefuseWhileEditing()) return;
  if (m_bAskLanguage) {
    if (DaybookMessage(417, kCaption, MB_YESNO | MB_ICONQUESTION) == IDNO) return;
    m_bAskLanguage = FALSE;
  }
  m_workerPage = Page::Contacts;
  StartWorker([this] { RunResourceListWorker(m_manager, *this, m_transfer); });
}

void CDaybookDlg::StopTransfer() {
  if (!m_worker.joinable()) return;
  m_bClosing = true;
  m_manager.PA_CancelTransfer();
  // The worker never waits for this thread (its window changes are queued), so joining cannot
  // deadlock; the phone operation ends at its next wait.
  m_worker.join();
  std::lock_guard lock(m_queueLock);
  m_queue.clear();
}

void CDaybookDlg::OnTransferEvent(TransferEvent event) {
  bool post = false;
  {
    std::lock_guard lock(m_queueLock);
    post = m_queue.empty();
    m_queue.push_back(std::move(event));
  }
  if (post) ::PostMessageA(m_hWnd, kTransferEventsMessage, 0, 0);
}

LRESULT CDaybookDlg::OnTransferEvents(WPARAM, LPARAM) {
  for (;;) {
    TransferEvent event;
    {
      std::lock_guard lock(m_queueLock);
      if (m_queue.empty()) break;
      event = std::move(m_queue.front());
      m_queue.pop_front();
    }
    // Once closing, the dialog is going away: no control changes any more.
    if (m_bClosing) continue;
    ApplyTransferEvent(event);
  }
  return 0;
}

void CDaybookDlg::ApplyTransferEvent(const TransferEvent& event) {
  using T = TransferEvent::Type;
  std::vector<Page> pages;
  if (event.allPages) pages.assign(std::begin(kPages), std::end(kPages));
  else pages.push_back(event.page);
  for (Page page : pages) {
    CWnd* window = PageWindow(page);
    const PageControls& controls = ControlsOf(page);
    CSkinProgressCtrl& bar = m_bars[static_cast<int>(page)];
    HWND cancel = ::GetDlgItem(window->m_hWnd, IDC_CANCEL_TRANSFER);
    switch (event.type) {
      case T::LockControls:
        bar.SendMessage(PBM_SETPOS, 0, 0);
        bar.ShowWindow(SW_SHOW);
        ::SetWindowTextA(cancel, DaybookText(kTextCancelButton));
        ::ShowWindow(cancel, SW_SHOW);
        for (UINT id : controls.buttons) ::ShowWindow(::GetDlgItem(window->m_hWnd, id), SW_HIDE);
        for (UINT id : controls.lists) ::EnableWindow(::GetDlgItem(window->m_hWnd, id), FALSE);
        m_fileButton.EnableWindow(FALSE);
        break;
      case T::RestoreControls:
        for (UINT id : controls.buttons) ::ShowWindow(::GetDlgItem(window->m_hWnd, id), SW_SHOW);
        for (UINT id : controls.lists) ::EnableWindow(::GetDlgItem(window->m_hWnd, id), TRUE);
        bar.ShowWindow(SW_HIDE);
        ::ShowWindow(cancel, SW_HIDE);
        m_fileButton.EnableWindow(TRUE);
        break;
      case T::HideBar:
        bar.ShowWindow(SW_HIDE);
        ::ShowWindow(cancel, SW_HIDE);
        break;
      case T::Detecting:
        if (event.value) {
          bar.SetText(DaybookText(event.textId), PBS_SKIN_CALLERTEXT);
          bar.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 100));
          bar.SendMessage(PBM_SETSTEP, page == Page::Contacts && event.allPages ? static_cast<WPARAM>(-1) : 1, 0);
          bar.ModifyStyle(0, PBS_SKIN_GRADIENTINDONE | PBS_SKIN_WRAPPING, SWP_FRAMECHANGED);
          SetTimer(kTransferTimer, 50);
        } else {
          KillTimer(kTransferTimer);
          bar.ModifyStyle(PBS_SKIN_GRADIENTINDONE | PBS_SKIN_WRAPPING, 0, SWP_FRAMECHANGED);
          bar.SendMessage(PBM_SETPOS, 0, 0);
          bar.SetText("", 0);
        }
        bar.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
        break;
      case T::Overlay:
        bar.SetText(DaybookText(event.textId), PBS_SKIN_CALLERTEXT);
        bar.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
        break;
      case T::Range: bar.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, event.value)); break;
      case T::Position: bar.SendMessage(PBM_SETPOS, static_cast<WPARAM>(event.value), 0); break;
      case T::Cursor:
        if (page == pages.front()) {
          m_nCursorId = static_cast<UINT>(event.value);
          // Shown at once under a resting pointer (the pointer shows it only while it is over this
          // thread's windows); WM_SETCURSOR keeps it as the pointer moves.
          ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(static_cast<WORD>(m_nCursorId))));
        }
        break;
      case T::GroupName: {
        LVITEMA item{};
        item.iSubItem = 0;
        item.pszText = const_cast<LPSTR>(static_cast<LPCSTR>(event.name));
        ::SendMessageA(::GetDlgItem(m_contacts->m_hWnd, IDC_GROUP_LIST), LVM_SETITEMTEXTA,
                       static_cast<WPARAM>(event.value + 1), reinterpret_cast<LPARAM>(&item));
        break;
      }
      case T::Choices:
        if (page == Page::Contacts) {
          m_contacts->SetChoices(event.pictures, event.melodies);
          std::vector<Melody> melodies = event.melodies;
          m_schedule->Model().ValidateMelodies(melodies, false);
          m_schedule->SetMelodies(std::move(melodies));
          g_bDocumentModified = TRUE;
        }
        break;
      case T::DeselectAll:
        if (page == Page::Contacts || page == Page::Schedule) {
          HWND list = ::GetDlgItem(window->m_hWnd, page == Page::Contacts ? IDC_CONTACT_LIST : IDC_SCHEDULE_LIST);
          LVITEMA item{};
          item.stateMask = LVIS_SELECTED;
          ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
        }
        break;
      case T::Refresh:
        if (page == Page::Contacts) m_contacts->RefreshGroups();
        else if (page == Page::Schedule) m_schedule->RefreshList();
        else m_toDo->RefreshList();
        break;
      case T::Ended:
        if (page == pages.front()) ShowTransferEnd(event);
        break;
      case T::PhoneOff: break;
    }
  }
}

void CDaybookDlg::ShowTransferEnd(const TransferEvent& event) {
  // While the cancel question is open the end waits for its answer, so that the question never
  // hides the outcome.
  if (m_bAsking) {
    m_deferredEnds.push_back(event);
    return;
  }
  if (!event.toMainDialog) {
    if (event.page == Page::Schedule) m_schedule->ResetButtonsAfterTransfer();
    if (event.page == Page::ToDo) m_toDo->ResetButtonsAfterTransfer();
  }
  const UINT caption = event.toMainDialog ? kCaption : ControlsOf(event.page).caption;
  DaybookMessageText(ComposeText(event.text, &DaybookText), caption, MB_ICONINFORMATION);
}

void CDaybookDlg::OnCancelTransfer() {
  if (!TransferRunning() || m_bAsking) return;
  HWND button = ::GetDlgItem(PageWindow(m_workerPage)->m_hWnd, IDC_CANCEL_TRANSFER);
  char text[64] = {};
  ::GetWindowTextA(button, text, sizeof text);
  if (DaybookText(kTextWait) == text) return;  // a cancel is already under way
  // The worker goes on while the question is open; nothing here suspends it.
  m_bAsking = true;
  const int answer = DaybookMessage(kTextCancelQuestion, ControlsOf(m_workerPage).caption, MB_YESNO | MB_ICONQUESTION);
  m_bAsking = false;
  if (answer != IDNO && m_transfer.CancelIfRunning(m_manager)) {
    for (Page page : kPages) ::SetWindowTextA(::GetDlgItem(PageWindow(page)->m_hWnd, IDC_CANCEL_TRANSFER), DaybookText(kTextWait));
    if (m_workerPage == Page::Schedule) m_schedule->ResetButtonsAfterTransfer();
    if (m_workerPage == Page::ToDo) m_toDo->ResetButtonsAfterTransfer();
  }
  std::vector<TransferEvent> ends;
  ends.swap(m_deferredEnds);
  for (const TransferEvent& end : ends) ShowTransferEnd(end);
}

LRESULT CDaybookDlg::OnTimer(WPARAM id, LPARAM) {
  if (id != kTransferTimer) return Default();
  for (CSkinProgressCtrl& bar : m_bars) {
    if (bar.m_hWnd) bar.SendMessage(PBM_STEPIT, 0, 0);
  }
  return 0;
}

LRESULT CDaybookDlg::OnSetCursor(WPARAM, LPARAM) {
  if (m_nCursorId == kArrow) return Default();
  ::SetCursor(::LoadCursorA(nullptr, MAKEINTRESOURCEA(static_cast<WORD>(m_nCursorId))));
  return TRUE;
}
