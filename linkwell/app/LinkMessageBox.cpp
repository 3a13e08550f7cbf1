#include "LinkMessageBox.h"

#include "resource.h"

#include <controls/Controls.h>
#include <StringLoader.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

struct ButtonSpec {
  UINT stringId;
  int result;
};

// The button sets, indexed by the type's low four bits.
constexpr std::array<std::array<ButtonSpec, 3>, 6> kButtonSets{{
    {{{IDS_OK, IDOK}, {0, 0}, {0, 0}}},
    {{{IDS_OK, IDOK}, {IDS_CANCEL, IDCANCEL}, {0, 0}}},
    {{{IDS_ABORT, IDABORT}, {IDS_RETRY, IDRETRY}, {IDS_IGNORE, IDIGNORE}}},
    {{{IDS_YES, IDYES}, {IDS_NO, IDNO}, {IDS_CANCEL, IDCANCEL}}},
    {{{IDS_YES, IDYES}, {IDS_NO, IDNO}, {0, 0}}},
    {{{IDS_RETRY, IDRETRY}, {IDS_CANCEL, IDCANCEL}, {0, 0}}},
}};

constexpr std::array<UINT, 3> kButtonIds{IDC_MESSAGE_BUTTON1, IDC_MESSAGE_BUTTON2, IDC_MESSAGE_BUTTON3};

LPCSTR IconOfType(UINT type) {
  switch (type & 0xF0) {
    case 0x10: return IDI_HAND;
    case 0x20: return IDI_QUESTION;
    case 0x30: return IDI_EXCLAMATION;
    case 0x40: return IDI_ASTERISK;
    default: return nullptr;
  }
}

SIZE Measure(HDC dc, const std::string& text) {
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size;
}

}  // namespace

CLinkMessageBox::CLinkMessageBox(std::string text, std::string caption, UINT type, CWnd* parent)
    : CDialog(IDD_LINK_MESSAGE, parent), m_text(std::move(text)), m_caption(std::move(caption)), m_type(type) {}

int CLinkMessageBox::ButtonX(int index, int count, int width, int clientWidth) {
  return (width + 8) * (index - 1) - (width * count) / 2 + clientWidth / 2 - 8 * count + 8;
}

BOOL CLinkMessageBox::OnInitDialog() {
  CDialog::OnInitDialog();
  HWND textControl = ::GetDlgItem(m_hWnd, IDC_MESSAGE_TEXT);
  HWND iconControl = ::GetDlgItem(m_hWnd, IDC_MESSAGE_ICON);
  HWND first = ::GetDlgItem(m_hWnd, IDC_MESSAGE_BUTTON1);

  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)), sizeof font, &font);
  std::snprintf(font.lfFaceName, sizeof font.lfFaceName, "%s", "Verdana");
  font.lfHeight = 14;
  m_messageFont.CreateFontIndirect(&font);
  SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_messageFont.m_hObject), TRUE);
  ::SendMessageA(textControl, WM_SETFONT, reinterpret_cast<WPARAM>(m_messageFont.m_hObject), TRUE);

  // The lines are measured in the font they are shown in, so the text control fits the text (in the
  // text control's own default font a longer line in the wider message font would be cut off).
  RECT buttonRect{};
  ::GetClientRect(first, &buttonRect);
  int width = 3 * (buttonRect.right - buttonRect.left);
  int height = 0;
  HDC dc = ::GetDC(textControl);
  HGDIOBJ previous = SelectObject(dc, m_messageFont.m_hObject);
  std::string work = m_text + " ";
  for (std::size_t feed = work.find('\n'); feed != std::string::npos; feed = work.find('\n')) {
    const SIZE line = Measure(dc, work.substr(0, feed) + " ");
    if (line.cx > width - 10) width = line.cx + 20;
    work.erase(0, feed + 1);
    height += line.cy + 5;
  }
  const SIZE last = Measure(dc, work);
  if (last.cx > width - 10) width = last.cx + 20;
  height += last.cy;
  SelectObject(dc, previous);
  ::ReleaseDC(textControl, dc);

  HDC dialogDc = ::GetDC(m_hWnd);
  const int captionWidth = Measure(dialogDc, m_caption).cx;
  ::ReleaseDC(m_hWnd, dialogDc);

  ::SetWindowPos(textControl, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
  int dialogWidth = width + 40;
  // Any icon bits make room for an icon and move the text beside it, also those that name no icon
  // (0x50 to 0xF0): the box then shows none in that room.
  LPCSTR icon = IconOfType(m_type);
  if (m_type & 0xF0) {
    dialogWidth += 40;
    ::SetWindowPos(iconControl, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::SetWindowPos(textControl, nullptr, 55, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  } else {
    ::SetWindowPos(textControl, nullptr, 15, 35, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }
  dialogWidth = std::max({dialogWidth, captionWidth + 20, 200});
  SetWindowPos(nullptr, 0, 0, dialogWidth, height + 120, SWP_NOMOVE | SWP_NOZORDER);

  for (std::size_t i = 0; i < kButtonIds.size(); ++i) {
    m_buttons[i].SubclassDlgItem(kButtonIds[i], this);
    m_buttons[i].SetDefaultLook();
  }
  const auto& set = kButtonSets[std::min<std::size_t>(m_type & 0x0F, kButtonSets.size() - 1)];
  int count = 0;
  for (std::size_t i = 0; i < set.size(); ++i) {
    if (set[i].stringId == 0) continue;
    HWND button = ::GetDlgItem(m_hWnd, kButtonIds[i]);
    ::SetWindowTextA(button, GetText(set[i].stringId));
    ::ShowWindow(button, SW_SHOW);
    m_results[i] = set[i].result;
    ++count;
  }
  RECT client{};
  GetClientRect(&client);
  for (int i = 0; i < count; ++i) {
    HWND button = ::GetDlgItem(m_hWnd, kButtonIds[static_cast<std::size_t>(i)]);
    RECT rect{};
    ::GetWindowRect(button, &rect);
    const int bw = rect.right - rect.left, bh = rect.bottom - rect.top;
    ::SetWindowPos(button, nullptr, ButtonX(i + 1, count, bw, client.right), client.bottom - bh - 15, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER);
  }
  if (icon) {
    ::SendMessageA(iconControl, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, icon)), 0);
    ::ShowWindow(iconControl, SW_SHOW);
  }
  SetWindowText(m_caption.c_str());
  ::SetWindowTextA(textControl, m_text.c_str());
  CenterWindow();
  return TRUE;
}

BOOL CLinkMessageBox::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  for (std::size_t i = 0; i < kButtonIds.size(); ++i) {
    if (id == kButtonIds[i] && m_results[i] != 0) {
      EndDialog(m_results[i]);
      return TRUE;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}

int ShowLinkMessage(const std::string& text, const std::string& caption, UINT type) {
  CLinkMessageBox box(text, caption, type, AfxGetMainWnd());
  return static_cast<int>(box.DoModal());
}
