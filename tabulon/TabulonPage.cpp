// The pages' shared behaviour: see TabulonPage.h.
#include "TabulonPage.h"

#include "WizardSheet.h"

#include <kernel/Module.h>

namespace {

using GetStringProc = int (*)(int, char*, int);

}  // namespace

CString TabulonText(UINT id) {
  if (HMODULE glossa = GetModuleHandleA("Glossa.dll")) {
    auto get = reinterpret_cast<GetStringProc>(reinterpret_cast<void (*)()>(GetProcAddress(glossa, "Glossa_GetString")));
    const int length = get ? get(static_cast<int>(id), nullptr, 0) : 0;
    if (length > 0) {
      CString text;
      LPSTR buffer = text.GetBuffer(length);
      buffer[0] = '\0';
      if (get(static_cast<int>(id), buffer, length) != 0) {
        buffer[length] = '\0';
        text.ReleaseBuffer();
        return text;
      }
      text.ReleaseBuffer(0);
    }
  }
  CString own;
  own.LoadString(id);
  return own;
}

std::string TabulonString(UINT id) {
  const CString text = TabulonText(id);
  return std::string(static_cast<LPCSTR>(text), static_cast<std::size_t>(text.GetLength()));
}

BOOL CTabulonPage::OnQueryCancel() { return Ask(TabulonText(IDS_QUIT), MB_YESNO | MB_ICONQUESTION) == IDYES; }

int CTabulonPage::Ask(const CString& text, UINT type) const {
  HWND sheet = ::GetParent(m_hWnd);
  char caption[128] = {};
  ::GetWindowTextA(sheet, caption, sizeof caption);
  return ::MessageBoxA(sheet, text, caption, type);
}

void CTabulonPage::SetText(int id, UINT stringId) { ::SetDlgItemTextA(m_hWnd, id, TabulonText(stringId)); }

void CTabulonPage::SetHeadingFont(int id) {
  if (!m_headingFont.GetSafeHandle())
    m_headingFont.CreateFont(-16, 0, 0, 0, FW_BOLD, FALSE, FALSE, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
  ::SendDlgItemMessageA(m_hWnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(m_headingFont.GetSafeHandle()), TRUE);
}

// The first pages are drawn on the button face with the menu text colour; the last page's edit and
// list controls are white with black text. The brushes are the system's and outlive the page.
// Edit and list controls are white with black text on a page that asks for it; everything else,
// the page itself included, is on the button face.
LRESULT CTabulonPage::OnCtlColorField(WPARAM wParam, LPARAM lParam) {
  if (!m_whiteControls) return OnCtlColor(wParam, lParam);
  HDC dc = reinterpret_cast<HDC>(wParam);
  ::SetTextColor(dc, RGB(0, 0, 0));
  ::SetBkColor(dc, RGB(255, 255, 255));
  return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
}

LRESULT CTabulonPage::OnCtlColor(WPARAM wParam, LPARAM) {
  HDC dc = reinterpret_cast<HDC>(wParam);
  ::SetTextColor(dc, ::GetSysColor(COLOR_MENUTEXT));
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

const AFX_MSGMAP* CTabulonPage::GetMessageMap() const {
  static const AFX_MSGMAP map{CPropertyPage::GetMessageMap(), {
      MapMessage(WM_CTLCOLORDLG, &CTabulonPage::OnCtlColor),
      MapMessage(WM_CTLCOLORSTATIC, &CTabulonPage::OnCtlColor),
      MapMessage(WM_CTLCOLORBTN, &CTabulonPage::OnCtlColor),
      MapMessage(WM_CTLCOLOREDIT, &CTabulonPage::OnCtlColorField),
      MapMessage(WM_CTLCOLORLISTBOX, &CTabulonPage::OnCtlColorField),
  }};
  return &map;
}
