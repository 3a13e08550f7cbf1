#include "AboutDlg.h"

#include "resource.h"

#include <controls/Controls.h>
#include <kernel/Module.h>
#include <resources/Resource.h>
#include <StringLoader.h>

#include <charconv>
#include <cstdio>

namespace {
// The About dialog's rows: anything of the suite, the link service included.
constexpr char kSuiteComments[] = "Dravik";
constexpr SuiteProgramLimits kAboutLimits{static_cast<std::size_t>(-1), 32, 16};
}  // namespace

CLinkwellAboutDlg::CLinkwellAboutDlg(std::string folder, CWnd* parent)
    : CDialog(IDD_ABOUTBOX, parent), m_folder(std::move(folder)) {}

int CLinkwellAboutDlg::HighestBuildOf(const std::vector<SuiteProgram>& programs) {
  int highest = 0;
  for (const SuiteProgram& program : programs) {
    int build = 0;
    const std::string& text = program.privateBuild;
    std::from_chars(text.data(), text.data() + text.size(), build);
    if (build > highest) highest = build;
  }
  return highest;
}

BOOL CLinkwellAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_buttons.Attach(m_hWnd);
  m_buttons.SetTransparentColour(RGB(255, 0, 255));
  m_buttons.SetBackgroundColour(0);
  // The same bitmap stands for the normal and the hot look; the bar deletes it once.
  HINSTANCE module = GetModuleHandleA(nullptr);
  HBITMAP close = LoadBitmapA(module, MAKEINTRESOURCEA(IDB_CLOSE));
  m_buttons.AddButton(kCloseButton, close, close, LoadBitmapA(module, MAKEINTRESOURCEA(IDB_CLOSE_DOWN)),
                      GetText(IDS_CLOSE_TIP));
  m_font.CreateFont(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Verdana");
  const std::vector<SuiteProgram> programs = FindSuitePrograms(m_folder, kSuiteComments, kAboutLimits);
  m_highestBuild = HighestBuildOf(programs);
  for (const SuiteProgram& program : programs) AddRow(program);

  char caption[160];
  std::snprintf(caption, sizeof caption, "%s - %s[%d]", static_cast<LPCSTR>(GetText(IDS_ABOUT_CAPTION)),
                static_cast<LPCSTR>(GetText(IDS_BUILD)), m_highestBuild);
  SetWindowText(caption);

  // 350 pixels from the client area's left edge, and as high as the rows and a margin.
  RECT window{}, client{};
  GetWindowRect(&window);
  GetClientRect(&client);
  POINT origin{0, 0};
  ClientToScreen(&origin);
  const int frameHeight = (window.bottom - window.top) - client.bottom;
  const int rowsHeight = m_nextY - 10;
  SetWindowPos(nullptr, 0, 0, (origin.x - window.left) + 350, rowsHeight + 32 + frameHeight,
               SWP_NOMOVE | SWP_NOZORDER);
  CenterWindow();
  return TRUE;
}

LRESULT CLinkwellAboutDlg::OnCaptionButton(WPARAM id, LPARAM) {
  if (id == kCloseButton) OnCancel();
  return 0;
}

const AFX_MSGMAP* CLinkwellAboutDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CDialog::GetMessageMap(), {
      MapMessage(WM_CAPTION_BUTTON, &CLinkwellAboutDlg::OnCaptionButton),
  }};
  return &map;
}

void CLinkwellAboutDlg::AddRow(const SuiteProgram& program) {
  const int y = m_nextY;
  const int centre = y + m_iconSize / 2;
  auto icon = std::make_unique<CStatic>();
  icon->Create("", WS_CHILD | WS_VISIBLE | SS_ICON, RECT{10, y, 42, y + m_iconSize}, this);
  if (program.icon) icon->SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(program.icon));
  m_rows.push_back(std::move(icon));

  struct Column {
    const std::string& text;
    int left, right;
  };
  for (const Column& column : {Column{program.description, 50, 270}, Column{program.version, 280, 340}}) {
    auto text = std::make_unique<CStatic>();
    text->Create(column.text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE,
                 RECT{column.left, centre - 9, column.right, centre + 9}, this);
    text->SetFont(&m_font);
    m_rows.push_back(std::move(text));
  }
  m_rowTexts.push_back({program.description, program.version});
  m_nextY += m_iconSize * 3 / 2;
}
