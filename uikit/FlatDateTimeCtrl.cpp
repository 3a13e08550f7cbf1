// CFlatDateTimeCtrl: the hover polling and the flat frame over the platform's date-time picker.
#include "FlatDateTimeCtrl.h"

#include "FlatDrawing.h"

IMPLEMENT_DYNAMIC(CFlatDateTimeCtrl, CDateTimeCtrl)

namespace {

constexpr UINT_PTR kHoverTimer = 1;
constexpr UINT_PTR kHotFrameTimer = 2;
constexpr UINT kMovePeriod = 1;     // ms, after a mouse move
constexpr UINT kCursorPeriod = 10;  // ms, after a cursor request

}  // namespace

UINT CFlatDateTimeCtrl::TestMessage() {
  static const UINT message = ::RegisterWindowMessageA("WM_TEST");
  return message;
}

CFlatDateTimeCtrl::CFlatDateTimeCtrl()
    : m_dropButtonWidth(::GetSystemMetrics(SM_CXHTHUMB)),
      m_shadow(::GetSysColor(COLOR_BTNSHADOW)),
      m_face(::GetSysColor(COLOR_BTNFACE)) {
  TestMessage();
}

CFlatDateTimeCtrl::~CFlatDateTimeCtrl() {
  if (m_hWnd) DestroyWindow();
}

const AFX_MSGMAP* CFlatDateTimeCtrl::GetMessageMap() const {
  static const AFX_MSGMAP map{CDateTimeCtrl::GetMessageMap(),
                              {
                                  MapMessage(WM_MOUSEMOVE, &CFlatDateTimeCtrl::OnMouseMove),
                                  MapMessage(WM_LBUTTONDOWN, &CFlatDateTimeCtrl::OnLButtonDown),
                                  MapMessage(WM_LBUTTONUP, &CFlatDateTimeCtrl::OnLButtonUp),
                                  MapMessage(WM_TIMER, &CFlatDateTimeCtrl::OnTimer),
                                  MapMessage(WM_PAINT, &CFlatDateTimeCtrl::OnPaint),
                                  MapMessage(WM_SETFOCUS, &CFlatDateTimeCtrl::OnSetFocus),
                                  MapMessage(WM_KILLFOCUS, &CFlatDateTimeCtrl::OnKillFocus),
                                  MapMessage(WM_SETCURSOR, &CFlatDateTimeCtrl::OnSetCursor),
                                  MapMessage(WM_ERASEBKGND, &CFlatDateTimeCtrl::OnEraseBkgnd),
                                  MapMessage(WM_NCPAINT, &CFlatDateTimeCtrl::OnNcPaint),
                                  MapMessage(TestMessage(), &CFlatDateTimeCtrl::OnTest),
                              }};
  return &map;
}

void CFlatDateTimeCtrl::SetFont(LPCSTR face, int height, BOOL bold, BOOL italic) {
  if (!m_hWnd) return;
  if (auto font = uikit::ReplaceFont(m_hWnd, face, height, bold, italic)) m_font = std::move(font);
}

void CFlatDateTimeCtrl::Draw(Look look, COLORREF colour) {
  if (!m_flat || !m_hWnd) return;
  uikit::DrawFlatDropFrame(m_hWnd, colour, m_hot, m_face, m_dropButtonWidth, look == Look::Pressed);
}

void CFlatDateTimeCtrl::HoverStep() {
  if (::GetAsyncKeyState(VK_LBUTTON) < 0) {
    KillTimer(kHoverTimer);
    KillTimer(kHotFrameTimer);
    Draw(Look::Pressed, m_hot);
    m_hotDrawn = FALSE;
  } else if (!uikit::CursorOver(m_hWnd) && !m_focus) {
    KillTimer(kHoverTimer);
    KillTimer(kHotFrameTimer);
    Draw(Look::Normal, m_face);
    m_hotDrawn = FALSE;
  } else if (!m_hotDrawn) {
    m_hotDrawn = TRUE;
    Draw(Look::Hot, m_hot);
  }
}

LRESULT CFlatDateTimeCtrl::OnMouseMove(WPARAM, LPARAM) {
  SetTimer(kHoverTimer, kMovePeriod);
  HoverStep();
  return Default();
}

LRESULT CFlatDateTimeCtrl::OnSetCursor(WPARAM, LPARAM) {
  SetTimer(kHoverTimer, kCursorPeriod);
  SetTimer(kHotFrameTimer, kCursorPeriod);
  HoverStep();
  Draw(Look::Normal, m_hot);
  return Default();
}

LRESULT CFlatDateTimeCtrl::OnLButtonDown(WPARAM, LPARAM) {
  m_pressed = TRUE;
  return Default();
}

LRESULT CFlatDateTimeCtrl::OnLButtonUp(WPARAM, LPARAM) {
  m_pressed = FALSE;
  Invalidate();
  return Default();
}

LRESULT CFlatDateTimeCtrl::OnTimer(WPARAM id, LPARAM) {
  if (id == kHoverTimer) HoverStep();
  else if (id == kHotFrameTimer) Draw(Look::Normal, m_hot);
  else return Default();
  return 0;
}

LRESULT CFlatDateTimeCtrl::OnPaint(WPARAM, LPARAM) {
  const LRESULT result = Default();
  ModifyStyleEx(WS_EX_STATICEDGE | WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME, 0, SWP_FRAMECHANGED);
  if (!uikit::CursorOver(m_hWnd) && !m_focus) Draw(Look::Normal, m_face);
  else Draw(Look::Hot, m_hot);
  PostMessage(TestMessage());
  return result;
}

LRESULT CFlatDateTimeCtrl::OnTest(WPARAM, LPARAM) {
  Draw(Look::Normal, m_face);
  return 0;
}

LRESULT CFlatDateTimeCtrl::OnEraseBkgnd(WPARAM, LPARAM) {
  const LRESULT result = Default();
  Draw(Look::Normal, m_face);
  return result;
}

LRESULT CFlatDateTimeCtrl::OnNcPaint(WPARAM, LPARAM) { return 0; }

LRESULT CFlatDateTimeCtrl::OnSetFocus(WPARAM, LPARAM) {
  const LRESULT result = Default();
  m_focus = TRUE;
  Draw(Look::Hot, m_hot);
  return result;
}

LRESULT CFlatDateTimeCtrl::OnKillFocus(WPARAM, LPARAM) {
  const LRESULT result = Default();
  m_focus = FALSE;
  Draw(Look::Normal, m_face);
  return result;
}
