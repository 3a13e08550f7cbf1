// The status bar object: the panes' ids, styles and widths kept beside the control, turned into the
// control's part edges on every size change and into its texts on every change of a pane; the
// standard texts of the indicators; and the frame's layout asked for when the bar's height may have
// changed.
#include <framework/StatusBar.h>
#include <framework/String.h>

#include <gdi/Gdi.h>

#include <algorithm>
#include <cstring>

IMPLEMENT_DYNAMIC(CStatusBar, CWnd)

namespace {

// The texts a program's resources usually carry for the class library; here they need not.
constexpr struct {
  UINT id;
  const char* text;
} kStandardTexts[] = {
    {AFX_IDS_IDLEMESSAGE, "Ready"}, {ID_INDICATOR_EXT, "EXT"}, {ID_INDICATOR_CAPS, "CAP"},
    {ID_INDICATOR_NUM, "NUM"},      {ID_INDICATOR_SCRL, "SCRL"}, {ID_INDICATOR_OVR, "OVR"},
    {ID_INDICATOR_REC, "REC"},
};

// Room a part needs around its text: the control's inset and edge on each side.
constexpr int kPartPadding = 2 * (3 + 1);

constexpr DWORD kBarBits = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP;

int TextWidth(HWND bar, LPCSTR text) {
  HDC dc = ::GetDC(bar);
  auto font = reinterpret_cast<HFONT>(bar ? ::SendMessageA(bar, WM_GETFONT, 0, 0) : 0);
  HGDIOBJ old = ::SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(SYSTEM_FONT));
  SIZE size{};
  ::GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(bar, dc);
  return size.cx;
}

}  // namespace

BOOL AfxLoadStandardString(UINT id, CString& text) {
  if (text.LoadString(id)) return TRUE;
  for (const auto& entry : kStandardTexts) {
    if (entry.id == id) {
      text = entry.text;
      return TRUE;
    }
  }
  return FALSE;
}

const AFX_MSGMAP* CStatusBar::GetMessageMap() const {
  static const AFX_MSGMAP map{CWnd::GetMessageMap(),
                              {
                                  MapMessage(WM_SIZE, &CStatusBar::OnSize),
                                  MapMessage(WM_SETFONT, &CStatusBar::OnSetFont),
                              }};
  return &map;
}

BOOL CStatusBar::Create(CWnd* parent, DWORD style, UINT id) { return CreateEx(parent, 0, style, id); }

BOOL CStatusBar::CreateEx(CWnd* parent, DWORD controlStyle, DWORD style, UINT id) {
  // The CBRS_ bits are the class library's; the control would read them as its own styles.
  const DWORD windowStyle = (style & ~kBarBits) | controlStyle | WS_CHILD;
  if (!CWnd::Create(STATUSCLASSNAMEA, nullptr, windowStyle, RECT{0, 0, 0, 0}, parent, id)) return FALSE;
  if (m_panes.empty()) m_panes.resize(1);  // the control's one part until indicators are set
  UpdateParts();
  AskFrameForLayout();
  return TRUE;
}

BOOL CStatusBar::SetIndicators(const UINT* ids, int count) {
  if (count < 0) return FALSE;
  m_panes.assign(static_cast<size_t>(count), Pane{});
  BOOL all = TRUE;
  for (int i = 0; i < count; ++i) {
    Pane& pane = m_panes[static_cast<size_t>(i)];
    pane.id = ids ? ids[i] : ID_SEPARATOR;
    if (pane.id != ID_SEPARATOR) {
      if (!AfxLoadStandardString(pane.id, pane.text)) {
        all = FALSE;
        m_panes.resize(static_cast<size_t>(i));
        break;
      }
      pane.width = TextWidth(m_hWnd, pane.text);
    } else {
      pane.width = ::GetSystemMetrics(SM_CXSCREEN) / 4;
      if (i == 0) pane.style |= SBPS_STRETCH | SBPS_NOBORDERS;
    }
  }
  if (m_panes.empty()) m_panes.resize(1);  // the control cannot have fewer than one part
  UpdateParts();
  for (int i = 0; i < GetCount(); ++i) ShowPane(i);
  return all;
}

int CStatusBar::CommandToIndex(UINT id) const {
  for (size_t i = 0; i < m_panes.size(); ++i) {
    if (m_panes[i].id == id) return static_cast<int>(i);
  }
  return -1;
}

UINT CStatusBar::GetItemID(int index) const {
  return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].id : ID_SEPARATOR;
}

void CStatusBar::GetItemRect(int index, LPRECT rect) const {
  if (!rect) return;
  *rect = RECT{};
  if (index >= 0 && index < GetCount()) ::SendMessageA(m_hWnd, SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect));
}

CString CStatusBar::GetPaneText(int index) const {
  return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].text : CString();
}

BOOL CStatusBar::SetPaneText(int index, LPCSTR text, BOOL update) {
  if (index < 0 || index >= GetCount()) return FALSE;
  Pane& pane = m_panes[static_cast<size_t>(index)];
  pane.text = text ? text : "";
  ShowPane(index);
  if (update && m_hWnd) {
    RECT rect;
    GetItemRect(index, &rect);
    ::InvalidateRect(m_hWnd, &rect, TRUE);
    ::UpdateWindow(m_hWnd);
  }
  return TRUE;
}

void CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const {
  if (index < 0 || index >= GetCount()) {
    id = ID_SEPARATOR;
    style = SBPS_NORMAL;
    width = 0;
    return;
  }
  const Pane& pane = m_panes[static_cast<size_t>(index)];
  id = pane.id;
  style = pane.style;
  width = pane.width;
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width) {
  if (index < 0 || index >= GetCount()) return;
  Pane& pane = m_panes[static_cast<size_t>(index)];
  pane.id = id;
  pane.style = style;
  pane.width = std::max(0, width);
  UpdateParts();
  ShowPane(index);
}

UINT CStatusBar::GetPaneStyle(int index) const {
  return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].style : SBPS_NORMAL;
}

void CStatusBar::SetPaneStyle(int index, UINT style) {
  if (index < 0 || index >= GetCount()) return;
  const bool stretchChanged = ((m_panes[static_cast<size_t>(index)].style ^ style) & SBPS_STRETCH) != 0;
  m_panes[static_cast<size_t>(index)].style = style;
  if (stretchChanged) UpdateParts();
  ShowPane(index);
}

void CStatusBar::ShowPane(int index) {
  if (!m_hWnd) return;
  const Pane& pane = m_panes[static_cast<size_t>(index)];
  const UINT kind = pane.style & (SBT_NOBORDERS | SBT_POPOUT | SBT_OWNERDRAW);
  // An owner-drawn pane's value is its index; a disabled pane keeps its text but shows none.
  const LPARAM value = (kind & SBT_OWNERDRAW) ? static_cast<LPARAM>(index)
                       : (pane.style & SBPS_DISABLED) ? reinterpret_cast<LPARAM>("")
                                                      : reinterpret_cast<LPARAM>(static_cast<LPCSTR>(pane.text));
  ::SendMessageA(m_hWnd, SB_SETTEXTA, static_cast<WPARAM>(index) | kind, value);
}

void CStatusBar::UpdateParts() {
  if (!m_hWnd || m_panes.empty()) return;
  RECT client;
  GetClientRect(&client);
  int borders[3] = {0, 0, 0};
  ::SendMessageA(m_hWnd, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
  int available = client.right - 2 * borders[0];
  const bool grip = (GetStyle() & SBARS_SIZEGRIP) && !(GetParent() && ::IsZoomed(GetParent()->m_hWnd));
  if (grip) available -= std::min<int>(client.bottom, ::GetSystemMetrics(SM_CXVSCROLL));
  // The first stretching pane takes what the fixed ones leave.
  int fixed = 0;
  int stretch = -1;
  for (size_t i = 0; i < m_panes.size(); ++i) {
    if (stretch < 0 && (m_panes[i].style & SBPS_STRETCH)) {
      stretch = static_cast<int>(i);
    } else {
      fixed += m_panes[i].width + kPartPadding;
    }
    if (i > 0) fixed += borders[2];
  }
  std::vector<int> edges(m_panes.size());
  int right = borders[0];
  for (size_t i = 0; i < m_panes.size(); ++i) {
    const int width = static_cast<int>(i) == stretch ? std::max(0, available - fixed) : m_panes[i].width + kPartPadding;
    if (i > 0) right += borders[2];
    right += width;
    edges[i] = right;
  }
  ::SendMessageA(m_hWnd, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void CStatusBar::AskFrameForLayout() {
  CWnd* parent = GetParent();
  if (parent && parent->IsKindOf(RUNTIME_CLASS(CFrameWnd))) static_cast<CFrameWnd*>(parent)->RecalcLayout();
}

LRESULT CStatusBar::OnSize(WPARAM, LPARAM) {
  const LRESULT result = Default();
  UpdateParts();
  return result;
}

LRESULT CStatusBar::OnSetFont(WPARAM, LPARAM) {
  // The bar's height follows its font (the panes keep their widths: a program sets the font before
  // its indicators, whose widths are measured in it).
  const LRESULT result = Default();
  AskFrameForLayout();
  return result;
}

void CStatusBar::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CStatusBar::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message != WM_DRAWITEM) return CWnd::OnChildNotify(message, wParam, lParam, result);
  DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
  if (result) *result = TRUE;
  return TRUE;
}
