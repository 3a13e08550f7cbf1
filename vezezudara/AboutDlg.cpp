// The About dialog: the rows of the suite's files, the title with the build, and its size.
#include "AboutDlg.h"

#include "LauncherMessages.h"
#include "ProgramSlots.h"
#include "resource.h"

#include <StringLoader.h>
#include <shell/ShellApi.h>
#include <controls/Controls.h>
#include <kernel/Find.h>
#include <kernel/Module.h>
#include <resources/Resource.h>

#include <algorithm>
#include <cstring>

namespace {
constexpr char kSuiteFamily[] = "Dravik";

HBITMAP ModuleBitmap(int id) { return LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)); }

// Texts through the suite's string loader (bound to "Vezezudara" by the program), so they follow
// the chosen language; the program's own string table answers what the loader cannot.
CString ModuleString(UINT id) { return GetText(id); }
}  // namespace

CAboutDlg::CAboutDlg(CWnd* parent, LPCSTR folder) : CDialog(IDD_ABOUTBOX, parent), m_folder(folder) {}

CAboutDlg::~CAboutDlg() {
  for (Row& row : m_rows) {
    if (row.iconHandle) DestroyIcon(row.iconHandle);
  }
}

std::string CAboutDlg::RowDescription(int index) const {
  CString text;
  m_rows[index].description->GetWindowText(text);
  return static_cast<LPCSTR>(text);
}

std::string CAboutDlg::RowVersion(int index) const {
  CString text;
  m_rows[index].version->GetWindowText(text);
  return static_cast<LPCSTR>(text);
}

void CAboutDlg::AddRow(LPCSTR path, const std::string& description, const std::string& version) {
  const int iconSize = m_smallIcons ? 16 : 32;
  const int rowHeight = iconSize * 3 / 2;
  const int top = m_height + (rowHeight - iconSize) / 2;
  Row row;
  SHFILEINFOA info{};
  if (SHGetFileInfoA(path, 0, &info, sizeof info, SHGFI_ICON | (m_smallIcons ? SHGFI_SMALLICON : SHGFI_LARGEICON))) {
    row.iconHandle = info.hIcon;
  }
  row.icon = std::make_unique<CStatic>();
  row.icon->Create("", WS_CHILD | WS_VISIBLE | SS_ICON, RECT{10, top, 10 + iconSize, top + iconSize}, this);
  if (row.iconHandle) row.icon->SetIcon(row.iconHandle);
  row.description = std::make_unique<CStatic>();
  row.description->Create(description.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE,
                          RECT{50, m_height, 270, m_height + rowHeight}, this);
  row.version = std::make_unique<CStatic>();
  row.version->Create(version.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE,
                      RECT{280, m_height, 340, m_height + rowHeight}, this);
  for (CStatic* text : {row.description.get(), row.version.get()}) {
    ::SendMessageA(*text, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
  }
  m_rows.push_back(std::move(row));
  m_height += rowHeight;
}

BOOL CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_buttons.Attach(m_hWnd);
  m_buttons.SetTransparentColour(RGB(255, 0, 255));
  m_buttons.SetBackgroundColour(0);
  m_buttons.AddButton(kCloseButton, ModuleBitmap(IDB_CLOSE), ModuleBitmap(IDB_CLOSE), ModuleBitmap(IDB_CLOSE_PRESSED),
                      ModuleString(IDS_CLOSE));
  m_font.Reset(CreateFontA(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Verdana"));

  WIN32_FIND_DATAA found;
  const std::string pattern = m_folder + "\\*.exe";
  HANDLE find = FindFirstFileA(pattern.c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string path = m_folder + "\\" + found.cFileName;
      const ProgramRecord record = ReadProgramRecord(path.c_str());
      if (!record.hasRecord || record.comments.compare(0, sizeof kSuiteFamily - 1, kSuiteFamily) != 0) continue;
      if (record.privateBuild > m_privateBuild) m_privateBuild = record.privateBuild;
      // The texts as far as the record's fields hold them: 31 and 15 characters.
      AddRow(path.c_str(), record.description.substr(0, 31), record.version.substr(0, 15));
    } while (FindNextFileA(find, &found));
    FindClose(find);
  }

  CString title;
  title.Format("%s - %s[%d]", static_cast<LPCSTR>(ModuleString(IDS_TITLE)),
               static_cast<LPCSTR>(ModuleString(IDS_BUILD)), m_privateBuild);
  SetWindowText(title);

  RECT client, window;
  GetClientRect(&client);
  GetWindowRect(&window);
  POINT origin{0, 0};
  ::ClientToScreen(m_hWnd, &origin);
  const int edge = origin.x - window.left;
  SetWindowPos(nullptr, 0, 0, 350 + edge, m_height + 32,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

LRESULT CAboutDlg::OnCaptionButton(WPARAM wParam, LPARAM) {
  if (wParam == kCloseButton) OnCancel();
  return 0;
}

const AFX_MSGMAP* CAboutDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CDialog::GetMessageMap(), {
      MapMessage(WM_CAPTION_BUTTON, &CAboutDlg::OnCaptionButton),
  }};
  return &map;
}
