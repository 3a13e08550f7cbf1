// CFlatComboBox: the full-text array beside the control's list, the shortening of folder paths, the
// tooltip for a text that does not fit, completion of typed text, and the hover frame.
#include "FlatComboBox.h"

#include "FlatDrawing.h"

#include <gdi/Unique.h>

IMPLEMENT_DYNAMIC(CFlatComboBox, CComboBox)

namespace {

constexpr UINT_PTR kHoverTimer = 1;
constexpr UINT kHoverPeriod = 10;
constexpr UINT_PTR kTipTimer = 2;
constexpr UINT kTipPeriod = 80;
constexpr COLORREF kWhite = 0xFFFFFF;

// The control's font selected into a DC of its own for as long as the object lives.
class FontDC {
public:
  explicit FontDC(CWnd* window) : m_dc(window), m_select(m_dc, reinterpret_cast<HFONT>(window->SendMessage(WM_GETFONT))) {}
  CDC& dc() { return m_dc; }

private:
  CClientDC m_dc;
  tolvar::gdi::ScopedSelect m_select;
};

}  // namespace

CFlatComboBox::CFlatComboBox()
    : m_dropButtonWidth(::GetSystemMetrics(SM_CXHTHUMB)),
      m_shadow(::GetSysColor(COLOR_BTNSHADOW)),
      m_face(::GetSysColor(COLOR_BTNFACE)) {}

CFlatComboBox::~CFlatComboBox() {
  if (m_toolTip.m_hWnd) m_toolTip.DestroyWindow();
  if (m_hWnd) DestroyWindow();
}

const AFX_MSGMAP* CFlatComboBox::GetMessageMap() const {
  static const AFX_MSGMAP map{CComboBox::GetMessageMap(),
                              {
                                  MapReflect(WM_DRAWITEM, &CFlatComboBox::OnDrawItem),
                                  MapReflect(WM_MEASUREITEM, &CFlatComboBox::OnMeasureItem),
                                  MapControlReflect(CBN_EDITUPDATE, &CFlatComboBox::OnEditUpdate),
                                  MapMessage(WM_MOUSEMOVE, &CFlatComboBox::OnMouseMove),
                                  MapMessage(WM_LBUTTONDOWN, &CFlatComboBox::OnLButtonDown),
                                  MapMessage(WM_LBUTTONUP, &CFlatComboBox::OnLButtonUp),
                                  MapMessage(WM_TIMER, &CFlatComboBox::OnTimer),
                                  MapMessage(WM_PAINT, &CFlatComboBox::OnPaint),
                                  MapMessage(WM_SYSCOLORCHANGE, &CFlatComboBox::OnSysColorChange),
                                  MapMessage(WM_SETFOCUS, &CFlatComboBox::OnSetFocus),
                                  MapMessage(WM_KILLFOCUS, &CFlatComboBox::OnKillFocus),
                                  MapMessage(WM_CTLCOLOREDIT, &CFlatComboBox::OnCtlColor),
                                  MapMessage(WM_CTLCOLORLISTBOX, &CFlatComboBox::OnCtlColor),
                                  MapMessage(WM_DESTROY, &CFlatComboBox::OnDestroy),
                              }};
  return &map;
}

// ---- The items and their full texts ---------------------------------------------------------------

CString CFlatComboBox::ShortenedText(CDC& dc, const CString& text) const {
  const int width = GetDroppedWidth();
  CString rest = text;
  CString candidate;
  bool formed = false;
  SIZE size = dc.GetTextExtent(text);
  while (size.cx > width) {
    const int slash = rest.Find('\\');
    if (slash < 0) break;
    rest = rest.Mid(slash + 1);
    candidate = CString("...\\") + rest;
    formed = true;
    size = dc.GetTextExtent(candidate);
  }
  return formed ? candidate : text;
}

CString CFlatComboBox::Shortened(const CString& text) const {
  FontDC measure(const_cast<CFlatComboBox*>(this));
  return ShortenedText(measure.dc(), text);
}

int CFlatComboBox::AddString(LPCSTR text) {
  // A sorted list places the item by its shortened text: the array follows where it went.
  const int index = CComboBox::AddString(Shortened(text));
  if (index < 0) return index;
  m_fullTexts.insert(m_fullTexts.begin() + std::min<size_t>(index, m_fullTexts.size()), CString(text));
  return index;
}

int CFlatComboBox::InsertString(int index, LPCSTR text) {
  const int at = CComboBox::InsertString(index, Shortened(text));
  if (at < 0) return at;
  m_fullTexts.insert(m_fullTexts.begin() + std::min<size_t>(at, m_fullTexts.size()), CString(text));
  return at;
}

int CFlatComboBox::DeleteString(UINT index) {
  if (index >= m_fullTexts.size()) return CB_ERR;
  const int left = CComboBox::DeleteString(index);
  if (left >= 0) m_fullTexts.erase(m_fullTexts.begin() + index);
  return left;
}

void CFlatComboBox::ResetContent() {
  for (int i = GetCount() - 1; i >= 0; --i) CComboBox::DeleteString(static_cast<UINT>(i));
  m_fullTexts.clear();
}

CString CFlatComboBox::GetFullText(int index) const {
  if (index < 0 || index >= static_cast<int>(m_fullTexts.size())) return CString();
  return m_fullTexts[static_cast<size_t>(index)];
}

void CFlatComboBox::SetTextColor(COLORREF colour) {
  m_itemText = colour;
  if (m_hWnd) Invalidate();
}

void CFlatComboBox::SetFont(LPCSTR face, int height, BOOL bold, BOOL italic) {
  if (!m_hWnd) return;
  if (auto font = uikit::ReplaceFont(m_hWnd, face, height, bold, italic)) m_font = std::move(font);
}

int CFlatComboBox::DrawItemImage(CDC&, int, const RECT&, UINT) { return 0; }

LRESULT CFlatComboBox::OnDrawItem(WPARAM, LPARAM lParam) {
  const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
  CDC* dc = CDC::FromHandle(item.hDC);
  const COLORREF oldText = dc->GetTextColor();
  const COLORREF oldBack = dc->GetBkColor();
  const bool selected = item.itemState & ODS_SELECTED;
  dc->FillSolidRect(&item.rcItem, selected ? ::GetSysColor(COLOR_HIGHLIGHT) : kWhite);
  dc->SetTextColor(selected ? ::GetSysColor(COLOR_HIGHLIGHTTEXT) : m_itemText);
  // Item -1 is the face of an empty combo box: there is no text to show.
  const int index = static_cast<int>(item.itemID);
  if (index >= 0 && index < static_cast<int>(m_fullTexts.size())) {
    // The text keeps the small margin the system's lists leave from their left edge.
    RECT text = item.rcItem;
    text.left += DrawItemImage(*dc, index, item.rcItem, item.itemState) + kTextMargin;
    const CString shown = ShortenedText(*dc, m_fullTexts[static_cast<size_t>(index)]);
    dc->DrawText(shown, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  dc->SetTextColor(oldText);
  dc->SetBkColor(oldBack);
  return TRUE;
}

LRESULT CFlatComboBox::OnMeasureItem(WPARAM, LPARAM lParam) {
  auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
  FontDC measure(this);
  TEXTMETRICA metrics{};
  measure.dc().GetTextMetrics(&metrics);
  item.itemHeight = static_cast<UINT>(metrics.tmHeight);
  return TRUE;
}

// ---- Completion ------------------------------------------------------------------------------------

void CFlatComboBox::OnEditUpdate() {
  if (!m_autoComplete || m_completing) return;
  m_completing = true;
  CString typed;
  GetWindowText(typed);
  const int length = typed.GetLength();
  const DWORD selection = GetEditSel();
  const bool hadSelection = selection != static_cast<DWORD>(CB_ERR);
  const int start = LOWORD(selection);
  const int end = HIWORD(selection);
  if (SelectString(-1, typed) == CB_ERR) {
    SetWindowText(typed);
    if (hadSelection) SetEditSel(start, end);
  }
  if (!hadSelection || end >= length) SetEditSel(length, -1);
  else SetEditSel(start, end);
  m_completing = false;
}

BOOL CFlatComboBox::PreTranslateMessage(MSG* msg) {
  // Alt with a letter would otherwise reach the dialog's mnemonics while the list is open.
  if (msg->message == WM_SYSCHAR) return TRUE;
  return CComboBox::PreTranslateMessage(msg);
}

// ---- Hover, the frame and the tooltip ----------------------------------------------------------------

RECT CFlatComboBox::TextPart() const {
  RECT client;
  GetClientRect(&client);
  client.right -= 2 + m_dropButtonWidth;
  return client;
}

void CFlatComboBox::EnsureToolTip() {
  if (m_toolTip.m_hWnd) return;
  if (!m_toolTip.CreateEx(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP, 0, 0, 0, 0, m_hWnd, nullptr)) return;
  m_toolInfo = TOOLINFOA{};
  m_toolInfo.cbSize = sizeof m_toolInfo;
  m_toolInfo.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
  m_toolInfo.hwnd = m_hWnd;
  m_toolInfo.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
  m_toolInfo.lpszText = const_cast<LPSTR>("");
  m_toolTip.AddTool(&m_toolInfo);
  m_toolTip.SetMaxTipWidth(32767);
  m_toolTip.SetTipBkColor(kHotColour);
  m_toolTip.SetTipTextColor(kWhite);
  RECT margin{0, -1, 0, -1};
  m_toolTip.SetMargin(&margin);
  LOGFONTA logical{};
  auto current = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
  ::GetObjectA(current ? static_cast<HGDIOBJ>(current) : ::GetStockObject(DEFAULT_GUI_FONT), sizeof logical, &logical);
  uikit::CopyFaceName(logical, "Verdana");
  logical.lfHeight = 14;
  m_tipFont = std::make_unique<CFont>();
  if (m_tipFont->CreateFontIndirect(&logical)) m_toolTip.SetFont(m_tipFont.get(), FALSE);
}

void CFlatComboBox::HideToolTip() {
  if (m_toolTip.m_hWnd) m_toolTip.TrackActivate(FALSE, &m_toolInfo);
}

void CFlatComboBox::DrawCombo(Look look, COLORREF colour) {
  uikit::DrawFlatDropFrame(m_hWnd, colour, m_hot, m_face, m_dropButtonWidth, look == Look::Pressed);
}

void CFlatComboBox::HoverStep() {
  if (::GetAsyncKeyState(VK_LBUTTON) < 0) {
    KillTimer(kHoverTimer);
    if (m_hotDrawn) {
      DrawCombo(Look::Pressed, m_hot);
      m_hotDrawn = FALSE;
    }
  } else if (!uikit::CursorOver(m_hWnd) && !m_focus) {
    KillTimer(kHoverTimer);
    if (m_hotDrawn) {
      DrawCombo(Look::Normal, m_face);
      m_hotDrawn = FALSE;
    }
  } else if (!m_hotDrawn) {
    m_hotDrawn = TRUE;
    DrawCombo(Look::Hot, m_hot);
  }
}

LRESULT CFlatComboBox::OnMouseMove(WPARAM, LPARAM lParam) {
  SetTimer(kHoverTimer, kHoverPeriod);
  HoverStep();
  if (!m_fullTexts.empty()) {
    const RECT text = TextPart();
    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    const int selected = GetCurSel();
    bool show = false;
    if (::PtInRect(&text, at) && selected >= 0 && selected < static_cast<int>(m_fullTexts.size())) {
      const CString& full = m_fullTexts[static_cast<size_t>(selected)];
      FontDC measure(this);
      if (measure.dc().GetTextExtent(full).cx > text.right - text.left - 6) {
        EnsureToolTip();
        if (m_toolTip.m_hWnd) {
          m_toolInfo.lpszText = const_cast<LPSTR>(static_cast<LPCSTR>(full));
          m_toolTip.SetToolInfo(&m_toolInfo);
          POINT corner{text.left + 1, text.top + 4};
          ClientToScreen(&corner);
          m_toolTip.TrackPosition(corner.x, corner.y);
          m_toolTip.TrackActivate(TRUE, &m_toolInfo);
          SetTimer(kTipTimer, kTipPeriod);
          show = true;
        }
      }
    }
    if (!show) HideToolTip();
  }
  return Default();
}

LRESULT CFlatComboBox::OnLButtonDown(WPARAM, LPARAM) {
  m_pressed = TRUE;
  return Default();
}

LRESULT CFlatComboBox::OnLButtonUp(WPARAM, LPARAM) {
  m_pressed = FALSE;
  Invalidate();
  return Default();
}

LRESULT CFlatComboBox::OnTimer(WPARAM id, LPARAM) {
  if (id == kHoverTimer) {
    HoverStep();
    return 0;
  }
  if (id == kTipTimer) {
    POINT cursor;
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    const RECT text = TextPart();
    if (!::PtInRect(&text, cursor)) {
      KillTimer(kTipTimer);
      HideToolTip();
    }
    return 0;
  }
  return Default();
}

LRESULT CFlatComboBox::OnPaint(WPARAM, LPARAM) {
  ModifyStyleEx(WS_EX_STATICEDGE | WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME, 0, SWP_FRAMECHANGED);
  const LRESULT result = Default();
  if (uikit::CursorOver(m_hWnd) || m_focus) DrawCombo(Look::Hot, m_hot);
  else DrawCombo(Look::Normal, m_face);
  return result;
}

LRESULT CFlatComboBox::OnSysColorChange(WPARAM, LPARAM) {
  m_hot = ::GetSysColor(COLOR_BTNHIGHLIGHT);
  m_shadow = ::GetSysColor(COLOR_BTNSHADOW);
  m_face = ::GetSysColor(COLOR_BTNFACE);
  return Default();
}

LRESULT CFlatComboBox::OnSetFocus(WPARAM, LPARAM) {
  const LRESULT result = Default();
  m_focus = TRUE;
  DrawCombo(Look::Hot, m_hot);
  return result;
}

LRESULT CFlatComboBox::OnKillFocus(WPARAM, LPARAM) {
  const LRESULT result = Default();
  m_focus = FALSE;
  DrawCombo(Look::Normal, m_face);
  return result;
}

LRESULT CFlatComboBox::OnCtlColor(WPARAM wParam, LPARAM) {
  const LRESULT brush = Default();
  ::SetTextColor(reinterpret_cast<HDC>(wParam), m_itemText);
  return brush;
}

LRESULT CFlatComboBox::OnDestroy(WPARAM, LPARAM) {
  if (m_toolTip.m_hWnd) m_toolTip.DestroyWindow();
  return Default();
}
