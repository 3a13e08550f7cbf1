// The program message box: the button sets, the icons, the layout arithmetic (the text decides the
// width, each line its height) and the keys.
#include "MessageBoxDlg.h"

#include "StringLoader.h"

#include <controls/MessageBox.h>
#include <gdi/Gdi.h>

#include <algorithm>
#include <cstring>
#include <string>

IMPLEMENT_DYNAMIC(CMessageBoxDlg, CEmbeddableDialog)

namespace {

MessageBoxSettings g_settings;

struct ButtonSpec {
  UINT MessageBoxSettings::*caption;  // where the settings keep its string id
  int result;
};

// The buttons of each set, 901 first. A set above 5 is shown as the first (OK alone).
constexpr ButtonSpec kOk{&MessageBoxSettings::ok, IDOK}, kCancel{&MessageBoxSettings::cancel, IDCANCEL},
    kAbort{&MessageBoxSettings::abort, IDABORT}, kRetry{&MessageBoxSettings::retry, IDRETRY},
    kIgnore{&MessageBoxSettings::ignore, IDIGNORE}, kYes{&MessageBoxSettings::yes, IDYES},
    kNo{&MessageBoxSettings::no, IDNO};
struct ButtonSet {
  int count;
  ButtonSpec buttons[3];
};
constexpr ButtonSet kButtonSets[] = {
    {1, {kOk}},                      // MB_OK
    {2, {kOk, kCancel}},             // MB_OKCANCEL
    {3, {kAbort, kRetry, kIgnore}},  // MB_ABORTRETRYIGNORE
    {3, {kYes, kNo, kCancel}},       // MB_YESNOCANCEL
    {2, {kYes, kNo}},                // MB_YESNO
    {2, {kRetry, kCancel}},          // MB_RETRYCANCEL
};

const ButtonSet& SetOf(UINT type) {
  const UINT set = type & MB_TYPEMASK;
  return set < std::size(kButtonSets) ? kButtonSets[set] : kButtonSets[0];
}

// The system icon of the icon bits; null for none (bits beyond the four still make room for one).
LPCSTR IconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case 0x10: return IDI_HAND;
    case 0x20: return IDI_QUESTION;
    case 0x30: return IDI_EXCLAMATION;
    case 0x40: return IDI_ASTERISK;
    default: return nullptr;
  }
}

SIZE Measure(HDC dc, const std::string& text) {
  SIZE size{};
  ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

}  // namespace

const AFX_MSGMAP* CMessageBoxDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CEmbeddableDialog::GetMessageMap(),
                              {MapCommandRange(IDC_UIKIT_MB_BUTTON1, IDC_UIKIT_MB_BUTTON3, &CMessageBoxDlg::OnButton)}};
  return &map;
}

CMessageBoxDlg::CMessageBoxDlg() : CEmbeddableDialog(IDD_UIKIT_MESSAGEBOX, nullptr, FALSE) {}

CMessageBoxDlg::~CMessageBoxDlg() = default;

void CMessageBoxDlg::DoDataExchange(CDataExchange* dx) {
  CEmbeddableDialog::DoDataExchange(dx);
  DDX_Control(dx, IDC_UIKIT_MB_TEXT, m_text);
  DDX_Control(dx, IDC_UIKIT_MB_ICON, m_icon);
  for (int i = 0; i < 3; ++i) DDX_Control(dx, IDC_UIKIT_MB_BUTTON1 + i, m_buttons[static_cast<size_t>(i)]);
}

BOOL CMessageBoxDlg::OnInitDialog() {
  CEmbeddableDialog::OnInitDialog();

  // The message font: the dialog's own, in "Verdana" 14 pixels high.
  LOGFONTA look{};
  ::GetObjectA(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)), sizeof look, &look);
  std::strncpy(look.lfFaceName, "Verdana", sizeof look.lfFaceName - 1);
  look.lfHeight = 14;
  m_font.CreateFontIndirect(&look);
  SetFont(&m_font, TRUE);
  m_text.SetFont(&m_font, TRUE);

  // The text's size: lines as they are (no wrapping), at least three buttons wide.
  RECT button{};
  m_buttons[0].GetClientRect(&button);
  int width = 3 * (button.right - button.left);
  int height = 0;
  {
    HDC dc = ::GetDC(m_text.m_hWnd);
    HGDIOBJ previous = ::SelectObject(dc, m_font.m_hObject);
    std::string work = std::string(m_lpszText ? m_lpszText : "") + " ";
    for (size_t feed; (feed = work.find('\n')) != std::string::npos;) {
      const SIZE line = Measure(dc, work.substr(0, feed) + " ");
      if (line.cx > width - 10) width = line.cx + 20;
      work.erase(0, feed + 1);
      height += line.cy + 5;
    }
    const SIZE last = Measure(dc, work);
    if (last.cx > width - 10) width = last.cx + 20;
    height += last.cy;
    ::SelectObject(dc, previous);
    ::ReleaseDC(m_text.m_hWnd, dc);
  }
  int captionWidth = 0;
  {
    HDC dc = ::GetDC(m_hWnd);
    captionWidth = Measure(dc, m_lpszCaption ? m_lpszCaption : "").cx;
    ::ReleaseDC(m_hWnd, dc);
  }
  m_text.SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  int dialogWidth = width + 40;
  if (m_nType & MB_ICONMASK) {
    dialogWidth += 40;
    m_icon.SetWindowPos(nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_text.SetWindowPos(nullptr, 55, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    m_text.SetWindowPos(nullptr, 15, 35, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  dialogWidth = std::max({dialogWidth, captionWidth + 20, 200});
  SetWindowPos(nullptr, 0, 0, dialogWidth, height + 120, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  // Every button in the kit's look, with a focus rectangle although flat.
  for (CSkinButton& b : m_buttons) {
    b.SetDefaultLook();
    b.SetFlatFocus(TRUE, TRUE);
  }
  // The buttons of the set, captioned, shown and placed side by side, centred.
  const ButtonSet& set = SetOf(m_nType);
  for (int i = 0; i < set.count; ++i) {
    CSkinButton& b = m_buttons[static_cast<size_t>(i)];
    b.SetWindowText(GetText(g_settings.*(set.buttons[i].caption)));
    b.ShowWindow(SW_SHOW);
    m_results[static_cast<size_t>(i)] = set.buttons[i].result;
  }
  RECT client{};
  GetClientRect(&client);
  for (int i = 1; i <= set.count; ++i) {
    CSkinButton& b = m_buttons[static_cast<size_t>(i - 1)];
    RECT r{};
    b.GetWindowRect(&r);
    const int bw = r.right - r.left, bh = r.bottom - r.top, n = set.count;
    const int x = (bw + 8) * (i - 1) - (bw * n) / 2 + client.right / 2 - 8 * n + 8;
    const int y = client.bottom - bh - 15;
    b.SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  if (LPCSTR icon = IconOf(m_nType)) {
    m_icon.SetIcon(::LoadIconA(nullptr, icon));
    m_icon.ShowWindow(SW_SHOW);
  }
  SetWindowText(m_lpszCaption ? m_lpszCaption : "");
  m_text.SetWindowText(m_lpszText ? m_lpszText : "");
  if (g_settings.raiseToTop) ::SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  return TRUE;  // the first visible button takes the focus
}

void CMessageBoxDlg::OnButton(UINT id) {
  const int result = m_results[id - IDC_UIKIT_MB_BUTTON1];
  if (result) EndDialog(result);
}

void CMessageBoxDlg::OnOK() {
  // Enter: the focused button, else the first.
  HWND focus = ::GetFocus();
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    if (focus == m_buttons[i].m_hWnd && m_results[i]) {
      EndDialog(m_results[i]);
      return;
    }
  }
  if (m_results[0]) EndDialog(m_results[0]);
}

void CMessageBoxDlg::OnCancel() {
  // Escape or closing: Cancel where it is offered, OK where it is all there is, else nothing.
  const ButtonSet& set = SetOf(m_nType);
  for (int i = 0; i < set.count; ++i) {
    if (set.buttons[i].result == IDCANCEL) {
      EndDialog(IDCANCEL);
      return;
    }
  }
  if (set.count == 1) EndDialog(set.buttons[0].result);
}

void SetMessageBoxSettings(const MessageBoxSettings& settings) { g_settings = settings; }
const MessageBoxSettings& GetMessageBoxSettings() { return g_settings; }

extern "C" int ShowMessageBox(const char* text, const char* caption, UINT type) {
  CMessageBoxDlg dialog;
  dialog.m_lpszText = text;
  dialog.m_lpszCaption = caption;
  dialog.m_nType = type;
  ::ReleaseCapture();
  return static_cast<int>(dialog.DoModal());
}
