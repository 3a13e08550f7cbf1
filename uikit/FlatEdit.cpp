// CFlatEdit: the hover frame and the input filter of the suite's edit fields. The filter runs on
// every EN_CHANGE the field reflects to itself, after the edit control has already taken the
// change, so a refused change is undone by putting back the last text that passed.
#include "FlatEdit.h"

#include "FlatDrawing.h"
#include "ProgramManager.h"

#include <user/Paint.h>

IMPLEMENT_DYNAMIC(CFlatEdit, CEdit)

namespace {

constexpr UINT_PTR kHoverTimer = 1;
constexpr UINT kHoverPeriod = 10;  // ms: how often the frame checks whether the cursor left

// A phone number of `limit` bytes at most with a leading '+' (which the phone does not store),
// `limit` - 1 without one (the phone's field keeps a place for its terminator); only digits, '#'
// and '*' besides that '+'.
bool IsPhoneNumber(const CString& text, int limit) {
  const int length = text.GetLength();
  const bool plus = length > 0 && text[0] == '+';
  if (length > (plus ? limit : limit - 1)) return false;
  for (int i = plus ? 1 : 0; i < length; ++i) {
    const char c = text[i];
    if (!((c >= '0' && c <= '9') || c == '#' || c == '*')) return false;
  }
  return true;
}

}  // namespace

CFlatEdit::CFlatEdit()
    : m_shadow(::GetSysColor(COLOR_BTNSHADOW)),
      m_darkShadow(::GetSysColor(COLOR_3DDKSHADOW)),
      m_face(::GetSysColor(COLOR_BTNFACE)),
      m_textColour(::GetSysColor(COLOR_GRAYTEXT)) {
  m_backgroundBrush.CreateSolidBrush(m_background);
}

CFlatEdit::~CFlatEdit() {
  // The window goes first, while the font it may still use exists.
  if (m_hWnd) DestroyWindow();
}

const AFX_MSGMAP* CFlatEdit::GetMessageMap() const {
  static const AFX_MSGMAP map{CEdit::GetMessageMap(),
                              {
                                  MapControlReflect(EN_CHANGE, &CFlatEdit::OnChange),
                                  MapCtlColorReflect(&CFlatEdit::CtlColor),
                                  MapMessage(WM_MOUSEMOVE, &CFlatEdit::OnMouseMove),
                                  MapMessage(WM_LBUTTONDOWN, &CFlatEdit::OnLButtonDown),
                                  MapMessage(WM_LBUTTONUP, &CFlatEdit::OnLButtonUp),
                                  MapMessage(WM_TIMER, &CFlatEdit::OnTimer),
                                  MapMessage(WM_PAINT, &CFlatEdit::OnPaint),
                                  MapMessage(WM_SETFOCUS, &CFlatEdit::OnSetFocus),
                                  MapMessage(WM_KILLFOCUS, &CFlatEdit::OnKillFocus),
                                  MapMessage(WM_SYSCOLORCHANGE, &CFlatEdit::OnSysColorChange),
                                  MapMessage(WM_WINDOWPOSCHANGING, &CFlatEdit::OnWindowPosChanging),
                                  MapMessage(WM_ERASEBKGND, &CFlatEdit::OnEraseBkgnd),
                              }};
  return &map;
}

void CFlatEdit::InitFilter(const CString& text, int limit) {
  m_lastAccepted = text;
  m_initial = text;
  m_limit = limit;
  m_phoneMode = TRUE;
}

void CFlatEdit::SetLimit(int limit) {
  m_limit = limit;
  // Without this the first refused keystroke would put back an empty text and wipe the field.
  if (m_hWnd) GetWindowText(m_lastAccepted);
}

void CFlatEdit::SetTextColor(COLORREF colour) {
  m_textColour = colour;
  if (m_hWnd) Invalidate();
}

void CFlatEdit::SetFont(LPCSTR face, int height, BOOL bold, BOOL italic) {
  if (!m_hWnd) return;
  if (auto font = uikit::ReplaceFont(m_hWnd, face, height, bold, italic)) m_font = std::move(font);
}

bool CFlatEdit::Accepts(const CString& text) const {
  if (m_phoneMode) return text == m_initial || IsPhoneNumber(text, m_limit);
  return ProgramUTF8Length(text) <= m_limit;
}

void CFlatEdit::Restore() {
  m_restoring = true;
  SetWindowText(m_lastAccepted);
  m_restoring = false;
  const int end = m_lastAccepted.GetLength();
  SendMessage(EM_SETSEL, static_cast<WPARAM>(end), end);
  SendMessage(EM_SCROLLCARET);
}

void CFlatEdit::OnChange() {
  if (m_limit <= 0 || m_restoring) return;
  CString text;
  GetWindowText(text);
  if (Accepts(text)) {
    // The placeholder passes but is no phone number: a refused change after it goes back to the
    // last number typed, not to the placeholder.
    if (!(m_phoneMode && text == m_initial)) m_lastAccepted = text;
  } else {
    Restore();
  }
  Invalidate();
}

HBRUSH CFlatEdit::CtlColor(CDC* dc, UINT) {
  dc->SetTextColor(m_textColour);
  dc->SetBkColor(m_background);
  return m_backgroundBrush;
}

void CFlatEdit::DrawBorder(bool hot) {
  if (!m_flat || !m_hWnd) return;
  tolvar::user::WindowDC dc(m_hWnd, true);
  if (!dc) return;
  const RECT client = uikit::ClientInWindow(m_hWnd);
  RECT outside = client;
  ::InflateRect(&outside, 1, 1);
  const bool enabled = IsWindowEnabled();
  uikit::FrameColour(dc.Get(), outside, enabled ? m_face : m_hot);
  if (!enabled) return;
  if (hot || m_focus) {
    if (m_plainFrame) {
      uikit::FrameColour(dc.Get(), client, m_hot);
    } else {
      uikit::FrameColour(dc.Get(), client, m_white);
      uikit::FrameColour(dc.Get(), outside, m_hot);
    }
  }
}

LRESULT CFlatEdit::OnMouseMove(WPARAM, LPARAM) {
  SetTimer(kHoverTimer, kHoverPeriod);
  return Default();
}

LRESULT CFlatEdit::OnLButtonDown(WPARAM, LPARAM) {
  m_pressed = TRUE;
  return Default();
}

LRESULT CFlatEdit::OnLButtonUp(WPARAM, LPARAM) {
  m_pressed = FALSE;
  return Default();
}

LRESULT CFlatEdit::OnTimer(WPARAM id, LPARAM) {
  if (id != kHoverTimer) return Default();
  if (uikit::CursorOver(m_hWnd)) {
    DrawBorder(true);
  } else {
    KillTimer(kHoverTimer);
    DrawBorder(false);
  }
  return 0;
}

LRESULT CFlatEdit::OnPaint(WPARAM, LPARAM) {
  const LRESULT result = Default();
  DrawBorder(false);
  return result;
}

LRESULT CFlatEdit::OnSetFocus(WPARAM, LPARAM) {
  const LRESULT result = Default();
  m_focus = TRUE;
  DrawBorder(true);
  return result;
}

LRESULT CFlatEdit::OnKillFocus(WPARAM, LPARAM) {
  const LRESULT result = Default();
  m_focus = FALSE;
  DrawBorder(false);
  Invalidate();
  return result;
}

LRESULT CFlatEdit::OnSysColorChange(WPARAM, LPARAM) {
  m_shadow = ::GetSysColor(COLOR_BTNSHADOW);
  m_darkShadow = ::GetSysColor(COLOR_3DDKSHADOW);
  m_face = ::GetSysColor(COLOR_BTNFACE);
  return Default();
}

LRESULT CFlatEdit::OnWindowPosChanging(WPARAM, LPARAM lParam) {
  if (m_fixedWidth) reinterpret_cast<WINDOWPOS*>(lParam)->cx = m_fixedWidth;
  return Default();
}

LRESULT CFlatEdit::OnEraseBkgnd(WPARAM wParam, LPARAM) {
  RECT client;
  GetClientRect(&client);
  ::FillRect(reinterpret_cast<HDC>(wParam), &client, m_backgroundBrush);
  return TRUE;
}
