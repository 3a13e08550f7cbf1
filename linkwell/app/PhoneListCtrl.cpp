// The phone list and its header: taking over the list control, the font and row height, the rows'
// painting, the off-screen painting of the whole list, the focus look, and dragging rows between
// lists of this class.
#include "PhoneListCtrl.h"

#include <FlatDrawing.h>
#include <OffscreenPaint.h>

#include <controls/Controls.h>
#include <gdi/Unique.h>

#include <cstdlib>

namespace {

constexpr UINT kCellFormat = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;

UINT Alignment(int format) {
  switch (format & LVCFMT_JUSTIFYMASK) {
    case LVCFMT_RIGHT: return DT_RIGHT;
    case LVCFMT_CENTER: return DT_CENTER;
    default: return DT_LEFT;
  }
}

tolvar::gdi::UniqueFont BoldOf(HFONT font) {
  LOGFONTA logical{};
  ::GetObjectA(font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT), sizeof logical, &logical);
  logical.lfWeight = FW_BOLD;
  return tolvar::gdi::UniqueFont(::CreateFontIndirectA(&logical));
}

}  // namespace

// ---- The header -------------------------------------------------------------------------------------

namespace linkwell {

const AFX_MSGMAP* CMyHeader::GetMessageMap() const {
  static const AFX_MSGMAP map{CHeaderCtrl::GetMessageMap(),
                              {
                                  MapMessage(WM_PAINT, &CMyHeader::OnPaint),
                                  MapMessage(WM_PRINTCLIENT, &CMyHeader::OnPrintClient),
                              }};
  return &map;
}

LRESULT CMyHeader::OnPaint(WPARAM, LPARAM) {
  CPaintDC dc(this);
  PaintHeader(&dc);
  return 0;
}

// Printed into the list's off-screen bitmap it looks as on screen.
LRESULT CMyHeader::OnPrintClient(WPARAM wParam, LPARAM) {
  PaintHeader(CDC::FromHandle(reinterpret_cast<HDC>(wParam)));
  return 0;
}

void CMyHeader::DrawItem(LPDRAWITEMSTRUCT) {}

void CMyHeader::PaintHeader(CDC* dc) {
  RECT clip{};
  if (dc->GetClipBox(&clip) == ERROR) return;
  RECT client{};
  GetClientRect(&client);
  dc->FillSolidRect(&clip, m_background);

  tolvar::gdi::UniquePen dark(::CreatePen(PS_SOLID, 1, m_darkLine));
  tolvar::gdi::UniquePen light(::CreatePen(PS_SOLID, 1, m_lightLine));
  tolvar::gdi::ScopedSelect keepPen(*dc, dark.Get());
  tolvar::gdi::ScopedSelect keepFont(*dc, reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
  dc->SetBkColor(m_background);
  dc->SetTextColor(m_text);

  const int count = GetItemCount();
  int total = 0;
  for (int position = 0; position < count; ++position) {
    char text[80] = {};
    HDITEMA item{};
    item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    const int index = OrderToIndex(position);
    GetItem(index, &item);
    RECT rect{};
    GetItemRect(index, &rect);
    total += item.cxy;
    if (rect.right <= clip.left || rect.left >= clip.right) continue;
    if (item.fmt & HDF_OWNERDRAW) {
      DRAWITEMSTRUCT draw{};
      draw.CtlType = ODT_HEADER;
      draw.CtlID = static_cast<UINT>(GetDlgCtrlID());
      draw.itemID = static_cast<UINT>(index);
      draw.itemAction = ODA_DRAWENTIRE;
      draw.hwndItem = m_hWnd;
      draw.hDC = *dc;
      draw.rcItem = rect;
      DrawItem(&draw);
    } else {
      PaintItem(dc, RECT{rect.left + m_textMargin, rect.top, rect.right - m_textMargin, rect.bottom}, item);
    }
    if (position != count - 1) {
      ::SelectObject(*dc, light.Get());
      dc->MoveTo(rect.right - 1, rect.top + 2);
      dc->LineTo(rect.right - 1, rect.bottom - 2);
      ::SelectObject(*dc, dark.Get());
      dc->MoveTo(rect.right, rect.top + 2);
      dc->LineTo(rect.right, rect.bottom - 2);
    }
  }
  if (count > 0 && total > 0) {
    RECT frame = client;
    frame.right = frame.left + total;
    dc->Draw3dRect(&frame, m_darkLine, m_lightLine);
  }
}

void CMyHeader::PaintItem(CDC* dc, RECT rect, const HDITEMA& item) {
  if (rect.right <= rect.left || !(item.fmt & HDF_STRING) || !item.pszText) return;
  dc->SetTextColor(m_text);
  dc->DrawText(item.pszText, -1, &rect, Alignment(item.fmt) | kCellFormat);
}

}  // namespace linkwell

// ---- Taking over the list control ------------------------------------------------------------------

CPhoneListCtrl::~CPhoneListCtrl() {
  if (m_hWnd) DestroyWindow();
}

const AFX_MSGMAP* CPhoneListCtrl::GetMessageMap() const {
  static const AFX_MSGMAP map{CListCtrl::GetMessageMap(),
                              {
                                  MapMessage(WM_CREATE, &CPhoneListCtrl::OnCreate),
                                  MapMessage(WM_PAINT, &CPhoneListCtrl::OnPaint),
                                  MapReflect(WM_MEASUREITEM, &CPhoneListCtrl::OnMeasureItem),
                                  MapMessage(WM_ERASEBKGND, &CPhoneListCtrl::OnEraseBkgnd),
                                  MapMessage(WM_SIZE, &CPhoneListCtrl::OnSizeOrScroll),
                                  MapMessage(WM_VSCROLL, &CPhoneListCtrl::OnSizeOrScroll),
                                  MapMessage(WM_SETFOCUS, &CPhoneListCtrl::OnSetFocus),
                                  MapMessage(WM_KILLFOCUS, &CPhoneListCtrl::OnKillFocus),
                                  MapMessage(WM_KEYDOWN, &CPhoneListCtrl::OnKeyDownMessage),
                                  MapMessage(WM_MOUSEMOVE, &CPhoneListCtrl::OnMouseMove),
                                  MapMessage(WM_LBUTTONUP, &CPhoneListCtrl::OnLButtonUp),
                                  MapNotifyReflect(LVN_BEGINDRAG, &CPhoneListCtrl::OnBeginDrag),
                                  MapNotifyReflect(LVN_ENDLABELEDITA, &CPhoneListCtrl::OnEndLabelEditReflected),
                              }};
  return &map;
}

BOOL CPhoneListCtrl::PreCreateWindow(CREATESTRUCTA& cs) {
  cs.style |= LVS_OWNERDRAWFIXED | LVS_REPORT;
  return CListCtrl::PreCreateWindow(cs);
}

void CPhoneListCtrl::PreSubclassWindow() {
  CListCtrl::PreSubclassWindow();
  // A list made by Create is attached before its header exists (it comes with WM_CREATE); one
  // from a dialog template is complete already.
  TakeOverHeader();
}

LRESULT CPhoneListCtrl::OnCreate(WPARAM, LPARAM) {
  const LRESULT result = Default();
  if (result != -1) TakeOverHeader();
  return result;
}

void CPhoneListCtrl::TakeOverHeader() {
  auto header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
  if (header && !m_header.m_hWnd) m_header.SubclassWindow(header);
}

// The control takes its row height from its small images: an empty list of images as tall as the
// font makes the rows exactly that high.
void CPhoneListCtrl::SetFont(LPCSTR face, int height, BOOL bold, BOOL italic) {
  if (!m_hWnd) return;
  auto font = uikit::ReplaceFont(m_hWnd, face, height, bold, italic);
  if (!font) return;
  m_font = std::move(font);
  m_rowHeight = std::abs(height);
  SetImageList(static_cast<HIMAGELIST>(nullptr), LVSIL_SMALL);
  m_rowHeightImages.DeleteImageList();
  if (m_rowHeight > 0 && m_rowHeightImages.Create(1, m_rowHeight, ILC_COLOR24, 1, 1)) {
    SetImageList(&m_rowHeightImages, LVSIL_SMALL);
  }
  Invalidate();
}

// The control asks for the rows' height with the line of the font and images plus a pixel; the
// rows are the font's height, not a pixel more.
LRESULT CPhoneListCtrl::OnMeasureItem(WPARAM, LPARAM lParam) {
  auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
  if (m_rowHeight > 0) measure->itemHeight = static_cast<UINT>(m_rowHeight);
  return TRUE;
}

void CPhoneListCtrl::SetTextIndent(int indent) {
  m_textIndent = indent;
  if (m_hWnd) Invalidate();
}

void CPhoneListCtrl::SetSelectionColor(COLORREF colour) {
  m_selection = colour;
  if (m_hWnd) Invalidate();
}

// ---- The setup dialog's rows ------------------------------------------------------------------------

void CPhoneListCtrl::Setup(int height) {
  SetFont("Verdana", height, FALSE, FALSE);
  SetTextIndent(kTextIndent);
  SetSelectionColor(kSelectionColour);
  DisableDrag();
  SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  RECT client{};
  GetClientRect(&client);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  column.fmt = LVCFMT_LEFT;
  column.cx = client.right;  // phone names: as wide as the list
  SendMessage(LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  column.cx = 0;  // build strings: kept, not shown
  column.iSubItem = 1;
  SendMessage(LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
}

void CPhoneListCtrl::SetRows(const std::vector<std::string>& names, const std::vector<std::string>& builds) {
  SendMessage(LVM_DELETEALLITEMS);
  for (std::size_t row = 0; row < names.size(); ++row) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(row);
    item.pszText = const_cast<LPSTR>(names[row].c_str());
    const int at = static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    item.iItem = at;
    item.iSubItem = 1;
    item.pszText = const_cast<LPSTR>(row < builds.size() ? builds[row].c_str() : "");
    SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}

int CPhoneListCtrl::RowCount() const {
  return static_cast<int>(::SendMessageA(m_hWnd, LVM_GETITEMCOUNT, 0, 0));
}

std::string CPhoneListCtrl::RowText(int row, int column) const {
  char text[256] = {};
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  if (!::SendMessageA(m_hWnd, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return {};
  return item.pszText ? item.pszText : "";
}

int CPhoneListCtrl::Selected() const {
  return static_cast<int>(::SendMessageA(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void CPhoneListCtrl::Select(int row) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  if (row < 0) return;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

RECT CPhoneListCtrl::RowRect(int row) const {
  RECT rect{};
  rect.left = LVIR_BOUNDS;
  ::SendMessageA(m_hWnd, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
  return rect;
}

void CPhoneListCtrl::DeleteSelected() {
  for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row - 1, LVNI_SELECTED)) {
    DeleteItem(row);
  }
}

// ---- Painting ---------------------------------------------------------------------------------------

void CPhoneListCtrl::DrawItem(LPDRAWITEMSTRUCT draw) {
  CDC* dc = CDC::FromHandle(draw->hDC);
  const int row = static_cast<int>(draw->itemID);
  const RECT& r = draw->rcItem;
  // The control marks a drop target as selected for its drawing too; only a selected row is one.
  const bool selected = (draw->itemState & ODS_SELECTED) && (GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED);
  if (selected) {
    dc->SetTextColor(m_textColour);
    dc->FillSolidRect(&r, m_selection);
    if (m_rowBitmap.m_hObject) {
      BITMAP description{};
      m_rowBitmap.GetBitmap(&description);
      tolvar::gdi::UniqueDC memory(::CreateCompatibleDC(*dc));
      if (memory) {
        tolvar::gdi::ScopedSelect select(memory.Get(), m_rowBitmap);
        const int side = r.bottom - r.top;
        ::StretchBlt(*dc, r.left, r.top, side, side, memory.Get(), 0, 0, description.bmWidth, description.bmHeight,
                     SRCAND);
      }
    }
    if (m_inverted) {
      dc->SetTextColor(m_background);
      dc->FillSolidRect(&r, m_textColour);
    }
  } else {
    dc->SetTextColor(m_textColour);
    dc->FillSolidRect(&r, m_background);
  }
  if (row != 0 && (GetItemState(row, LVIS_DROPHILITED) & LVIS_DROPHILITED)) {
    dc->SetTextColor(m_textColour);
    dc->FillSolidRect(&r, m_selection);
  }

  tolvar::gdi::UniqueFont bold;
  if (selected) bold = BoldOf(reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
  tolvar::gdi::ScopedSelect font(*dc, selected ? bold.Get() : reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
  int x = r.left;
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  for (int c = 0; GetColumn(c, &column); ++c) {
    // The text stays inside its column: a text too wide for it ends in an ellipsis at the
    // column's edge instead of running under the next column or off the list.
    RECT cell{x + m_textIndent, r.top, x + column.cx, r.bottom};
    x += column.cx;
    const CString text = GetItemText(row, c);
    if (text.IsEmpty() || cell.right <= cell.left) continue;
    dc->DrawText(text, &cell, Alignment(column.fmt) | kCellFormat);
  }
}

LRESULT CPhoneListCtrl::OnPaint(WPARAM, LPARAM) {
  uikit::PaintOffscreen(*this, GetBkColor());
  return 0;
}

LRESULT CPhoneListCtrl::OnEraseBkgnd(WPARAM, LPARAM) { return 0; }

LRESULT CPhoneListCtrl::OnSizeOrScroll(WPARAM, LPARAM) {
  const LRESULT result = Default();
  Invalidate();
  return result;
}

LRESULT CPhoneListCtrl::OnSetFocus(WPARAM, LPARAM) {
  m_inverted = TRUE;
  const LRESULT result = Default();
  Invalidate();
  return result;
}

LRESULT CPhoneListCtrl::OnKillFocus(WPARAM, LPARAM) {
  m_inverted = FALSE;
  const LRESULT result = Default();
  Invalidate();
  return result;
}

void CPhoneListCtrl::OnKeyDown(UINT, UINT, UINT) { Default(); }

LRESULT CPhoneListCtrl::OnKeyDownMessage(WPARAM key, LPARAM flags) {
  OnKeyDown(static_cast<UINT>(key), LOWORD(flags), HIWORD(flags));
  return 0;
}

void CPhoneListCtrl::OnEndLabelEditReflected(NMHDR* notify, LRESULT* result) { OnEndLabelEdit(notify, result); }

// A committed label becomes the row's text; Escape leaves it as it was.
void CPhoneListCtrl::OnEndLabelEdit(NMHDR* notify, LRESULT* result) {
  const auto* info = reinterpret_cast<NMLVDISPINFOA*>(notify);
  *result = info->item.pszText != nullptr;
}

// ---- Drag and drop ---------------------------------------------------------------------------------

CPhoneListCtrl* CPhoneListCtrl::PhoneListAt(POINT screen) {
  return dynamic_cast<CPhoneListCtrl*>(CWnd::FromHandlePermanent(::WindowFromPoint(screen)));
}

std::unique_ptr<CImageList> CPhoneListCtrl::CreateSelectionDragImage(POINT* hotSpot) {
  RECT all{};
  bool any = false;
  for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED)) {
    const RECT bounds = RowRect(row);
    if (any) ::UnionRect(&all, &all, &bounds);
    else all = bounds;
    any = true;
  }
  if (!any || all.right <= all.left || all.bottom <= all.top) return nullptr;
  const int width = all.right - all.left;
  const int height = all.bottom - all.top;
  CClientDC client(this);
  tolvar::gdi::UniqueDC memory(::CreateCompatibleDC(client));
  tolvar::gdi::UniqueBitmap bitmap(::CreateCompatibleBitmap(client, width, height));
  if (!memory || !bitmap) return nullptr;
  {
    tolvar::gdi::ScopedSelect select(memory.Get(), bitmap.Get());
    tolvar::gdi::ScopedSelect font(memory.Get(), reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)));
    RECT whole{0, 0, width, height};
    tolvar::gdi::UniqueBrush transparent(::CreateSolidBrush(kDragTransparent));
    ::FillRect(memory.Get(), &whole, transparent.Get());
    ::SetBkMode(memory.Get(), TRANSPARENT);
    ::SetTextColor(memory.Get(), m_textColour);
    for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED)) {
      RECT text = RowRect(row);
      ::OffsetRect(&text, -all.left, -all.top);
      text.left += m_textIndent;
      const CString label = GetItemText(row, 0);
      ::DrawTextA(memory.Get(), label, label.GetLength(), &text, kCellFormat);
    }
  }
  auto images = std::make_unique<CImageList>();
  if (!images->Create(width, height, ILC_MASK | ILC_COLOR32, 0, 1)) return nullptr;
  if (images->Add(CBitmap::FromHandle(bitmap.Get()), kDragTransparent) < 0) return nullptr;
  if (hotSpot) {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ScreenToClient(&cursor);
    *hotSpot = POINT{cursor.x - all.left, cursor.y - all.top};
  }
  return images;
}

void CPhoneListCtrl::OnBeginDrag(NMHDR* notify, LRESULT* result) {
  *result = 0;
  if (!m_dragAllowed) return;
  const auto* info = reinterpret_cast<NMLISTVIEW*>(notify);
  POINT hotSpot{};
  m_dragImage = CreateSelectionDragImage(&hotSpot);
  if (m_dragImage) {
    m_dragImage->BeginDrag(0, hotSpot);
    POINT at = info->ptAction;
    ClientToScreen(&at);
    CImageList::DragEnter(::GetDesktopWindow(), at);
  }
  m_dragging = TRUE;
  m_dropIndex = -1;
  m_dropWindow = nullptr;
  ::SetCapture(m_hWnd);
}

void CPhoneListCtrl::MarkDropTarget(HWND list, int row, bool on) {
  if (!list || row < 0 || !::IsWindow(list)) return;
  LVITEMA state{};
  state.state = on ? LVIS_DROPHILITED : 0;
  state.stateMask = LVIS_DROPHILITED;
  ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  ::SendMessageA(list, LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
  ::UpdateWindow(list);
}

LRESULT CPhoneListCtrl::OnMouseMove(WPARAM, LPARAM lParam) {
  if (!m_dragging) return Default();
  POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(&at);
  CImageList::DragMove(at);
  CImageList::DragShowNolock(FALSE);
  CPhoneListCtrl* under = PhoneListAt(at);
  if (under && under != this) {
    LVHITTESTINFO hit{};
    hit.pt = at;
    under->ScreenToClient(&hit.pt);
    const int row = static_cast<int>(under->SendMessage(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (under->m_hWnd != m_dropWindow || row != m_dropIndex) {
      MarkDropTarget(m_dropWindow, m_dropIndex, false);
      MarkDropTarget(under->m_hWnd, row, true);
      m_dropWindow = under->m_hWnd;
      m_dropIndex = row;
    }
  }
  CImageList::DragShowNolock(TRUE);
  return 0;
}

LRESULT CPhoneListCtrl::OnLButtonUp(WPARAM, LPARAM lParam) {
  if (m_dragging) {
    m_dragging = FALSE;
    ::ReleaseCapture();
    if (m_dragImage) {
      CImageList::DragLeave(::GetDesktopWindow());
      CImageList::EndDrag();
      m_dragImage.reset();
    }
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(&at);
    // The mark must not stay behind whatever the release does.
    MarkDropTarget(m_dropWindow, m_dropIndex, false);
    m_dropWindow = nullptr;
    m_dropIndex = -1;
    // Only a list of this class knows what dragged phone rows mean; anywhere else nothing happens.
    if (CPhoneListCtrl* target = PhoneListAt(at)) OnDropOnList(target);
  }
  return Default();
}

// What a drop means is the owner's to say; the setup dialog drags nothing.
void CPhoneListCtrl::OnDropOnList(CPhoneListCtrl*) {}
