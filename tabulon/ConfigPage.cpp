// The configuration page: see ConfigPage.h.
#include "ConfigPage.h"

#include "CsvText.h"
#include "WizardSheet.h"

#include <framework/FileDialog.h>
#include <kernel/File.h>
#include <kernel/Io.h>
#include <kernel/UniqueHandle.h>

#include <optional>

using tabulon::CConfigChoice;
using tabulon::SeparatorChoice;

namespace {

constexpr int kSeparatorButtons[] = {IDC_COLON, IDC_SEMICOLON, IDC_COMMA, IDC_TAB, IDC_OTHER};

std::string WindowText(HWND window) {
  const int length = ::GetWindowTextLengthA(window);
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
  const int got = ::GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path) {
  tolvar::kernel::UniqueHandle file(
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  // Room for the whole file at once: a large file then is not copied again at each doubling. The
  // size only guides; the reads decide.
  DWORD high = 0;
  const DWORD low = GetFileSize(file.Get(), &high);
  if (low != INVALID_FILE_SIZE && high == 0) bytes.reserve(low);
  char buffer[65536];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
    if (read == 0) break;
    bytes.append(buffer, read);
  }
  return bytes;
}

}  // namespace

const AFX_MSGMAP* CConfigPage::GetMessageMap() const {
  static const AFX_MSGMAP map{CTabulonPage::GetMessageMap(), {
      MapControl(CBN_SELCHANGE, IDC_FILE, &CConfigPage::OnFileChosen),
      MapControl(CBN_EDITCHANGE, IDC_FILE, &CConfigPage::UpdateNext),
      MapCommand(IDC_BROWSE, &CConfigPage::OnBrowse),
      MapCommandRange(IDC_COLON, IDC_OTHER, &CConfigPage::OnSeparatorClicked),
      MapControl(EN_CHANGE, IDC_OTHER_TEXT, &CConfigPage::OnOtherChanged),
  }};
  return &map;
}

BOOL CConfigPage::OnInitDialog() {
  CTabulonPage::OnInitDialog();
  SetText(IDC_HEADING1, Sheet().IsExport() ? IDS_HEADING_EXPORT : IDS_HEADING_IMPORT);
  SetText(IDC_HEADING2, IDS_HEADING_SEPARATOR);
  SetText(IDC_HEADING3, IDS_HEADING_NAMES);
  for (int id : {IDC_HEADING1, IDC_HEADING2, IDC_HEADING3}) SetHeadingFont(id);
  SetText(IDC_BROWSE, IDS_BROWSE);
  const UINT labels[] = {IDS_COLON, IDS_SEMICOLON, IDS_COMMA, IDS_TAB, IDS_OTHER};
  for (int i = 0; i < 5; ++i) SetText(kSeparatorButtons[i], labels[i]);
  SetText(IDC_HEADER_LINE, IDS_HEADER_LINE);
  ::SendDlgItemMessageA(m_hWnd, IDC_OTHER_TEXT, EM_LIMITTEXT, 1, 0);
  return TRUE;
}

BOOL CConfigPage::OnSetActive() {
  CWizardSheet& sheet = Sheet();
  // The export writes every field in order: it has no mapping page.
  if (sheet.IsExport() && sheet.GetPageIndex(&sheet.m_mappingPage) >= 0) sheet.RemovePage(&sheet.m_mappingPage);

  HWND combo = ::GetDlgItem(m_hWnd, IDC_FILE);
  ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const tabulon::CsvFileSlot& slot : sheet.m_settings.Slots())
    if (!slot.path.empty()) ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(slot.path.c_str()));
  if (::SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0) {
    ::SendMessageA(combo, CB_SETCURSEL, 0, 0);
    if (!WindowText(combo).empty()) ShowSlot(0);
  }
  UpdateNext();
  return CTabulonPage::OnSetActive();
}

CConfigChoice CConfigPage::ReadControls() const {
  CConfigChoice choice;
  choice.file = WindowText(::GetDlgItem(m_hWnd, IDC_FILE));
  const SeparatorChoice choices[] = {SeparatorChoice::Colon, SeparatorChoice::Semicolon, SeparatorChoice::Comma,
                                     SeparatorChoice::Tab, SeparatorChoice::Other};
  for (int i = 0; i < 5; ++i)
    if (::IsDlgButtonChecked(m_hWnd, kSeparatorButtons[i]) == BST_CHECKED) choice.choice = choices[i];
  choice.other = WindowText(::GetDlgItem(m_hWnd, IDC_OTHER_TEXT));
  choice.headerLine = ::IsDlgButtonChecked(m_hWnd, IDC_HEADER_LINE) == BST_CHECKED;
  return choice;
}

// A remembered file's separator and header option shown in the controls.
void CConfigPage::ShowSlot(int slot) {
  if (slot < 0 || slot >= Sheet().m_settings.SlotCount()) return;
  const tabulon::CsvFileSlot& file = Sheet().m_settings.Slot(slot);
  CConfigChoice choice;
  choice.ShowSeparator(file.separator);
  for (int i = 0; i < 5; ++i)
    ::CheckDlgButton(m_hWnd, kSeparatorButtons[i],
                     static_cast<int>(choice.choice) == i + 1 ? BST_CHECKED : BST_UNCHECKED);
  m_settingOther = true;
  ::SetDlgItemTextA(m_hWnd, IDC_OTHER_TEXT, choice.choice == SeparatorChoice::Other ? choice.other.c_str() : "");
  m_settingOther = false;
  ::CheckDlgButton(m_hWnd, IDC_HEADER_LINE, file.headerLine ? BST_CHECKED : BST_UNCHECKED);
}

void CConfigPage::UpdateNext() {
  Sheet().SetWizardButtons(ReadControls().CanGoNext() ? PSWIZB_NEXT : 0);
}

void CConfigPage::OnSeparatorClicked(UINT id) {
  ::CheckRadioButton(m_hWnd, IDC_COLON, IDC_OTHER, static_cast<int>(id));
  UpdateNext();
}

void CConfigPage::OnFileChosen() {
  HWND combo = ::GetDlgItem(m_hWnd, IDC_FILE);
  const auto index = ::SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (index >= 0) {
    char path[2048] = {};
    if (::SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) < static_cast<LRESULT>(sizeof path)) {
      ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(path));
      ::SetWindowTextA(combo, path);
      ShowSlot(Sheet().m_settings.Find(path));
    }
  }
  UpdateNext();
}

void CConfigPage::OnBrowse() {
  const bool exporting = Sheet().IsExport();
  const DWORD flags = OFN_HIDEREADONLY | (exporting ? OFN_OVERWRITEPROMPT | OFN_CREATEPROMPT : OFN_FILEMUSTEXIST);
  CFileDialog dialog(exporting ? FALSE : TRUE, "csv", nullptr, flags, "CSV Files(*.csv)|*.csv|All Files(*.*)|*.*||",
                     this);
  if (dialog.DoModal() != IDOK) return;
  const CString chosen = dialog.GetPathName();
  HWND combo = ::GetDlgItem(m_hWnd, IDC_FILE);
  std::vector<std::string> entries;
  const auto count = ::SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = ::SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    std::string entry(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    ::SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry.data()));
    entry.resize(std::char_traits<char>::length(entry.c_str()));
    entries.push_back(entry);
  }
  const int selected = tabulon::InsertBrowsedPath(entries, static_cast<LPCSTR>(chosen), Sheet().m_settings.SlotCount());
  ::SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const std::string& entry : entries) ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  ::SetWindowTextA(combo, entries[static_cast<std::size_t>(selected)].c_str());
  UpdateNext();
}

// A quote cannot separate values: typing one empties the box. Typing chooses "Other :".
void CConfigPage::OnOtherChanged() {
  if (m_settingOther) return;
  HWND edit = ::GetDlgItem(m_hWnd, IDC_OTHER_TEXT);
  if (!tabulon::IsAcceptedOtherText(WindowText(edit))) {
    m_settingOther = true;
    ::SetWindowTextA(edit, "");
    m_settingOther = false;
  }
  for (int id : kSeparatorButtons) ::CheckDlgButton(m_hWnd, id, id == IDC_OTHER ? BST_CHECKED : BST_UNCHECKED);
  UpdateNext();
}

LRESULT CConfigPage::OnWizardNext() {
  const CConfigChoice choice = ReadControls();
  if (!choice.CanGoNext()) return -1;
  CWizardSheet& sheet = Sheet();
  if (!sheet.IsExport()) {
    std::optional<std::string> bytes = ReadWholeFile(choice.file);
    if (!bytes) {
      Ask(CString(tabulon::FormatText(TabulonString(IDS_NO_FILE), choice.file)), MB_OK | MB_ICONEXCLAMATION);
      return -1;
    }
    sheet.m_file.Read(std::move(*bytes));
    const auto lines = sheet.m_file.Lines();
    if (lines.empty()) {
      Ask(TabulonText(IDS_NO_DATA), MB_OK | MB_ICONEXCLAMATION);
      return -1;
    }
    if (lines.size() == 1 && choice.headerLine) {
      Ask(TabulonText(IDS_ONLY_HEADER), MB_OK | MB_ICONEXCLAMATION);
      return -1;
    }
  }
  sheet.m_path = choice.file;
  sheet.m_separator = choice.Separator();
  sheet.m_headerLine = choice.headerLine;
  sheet.m_settings.Remember({choice.file, choice.Separator(), choice.headerLine});
  return CTabulonPage::OnWizardNext();
}
