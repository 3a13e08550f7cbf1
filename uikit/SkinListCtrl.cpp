// CSkinListCtrl's behaviour: taking over the list control and its header, the row order, deleting
// the selection, the label editor, and dragging rows between lists. The painting is in
// SkinListPaint.cpp.
#include "SkinListCtrl.h"

#include "FlatDrawing.h"
#include "ProgramManager.h"

#include <cctype>
#include <cstring>

IMPLEMENT_DYNAMIC(CSkinListCtrl, CListCtrl)

namespace {

constexpr const char* kLabelFace = "Verdana";
constexpr int kLabelFontHeight = 14;

// dd/dd/dddd
bool IsDate(const CString& text) {
  if (text.GetLength() != 10) return false;
  for (int i : {0, 1, 3, 4, 6, 7, 8, 9}) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return text[2] == '/' && text[5] == '/';
}

int Number(const CString& text, int from, int count) {
  int value = 0;
  for (int i = from; i < from + count; ++i) value = value * 10 + (text[i] - '0');
  return value;
}

// Year, then the middle field, then the first: the first difference decides.
int CompareDates(const CString& a, const CString& b) {
  const int fields[][2] = {{6, 4}, {3, 2}, {0, 2}};
  for (const auto& [from, count] : fields) {
    const int x = Number(a, from, count);
    const int y = Number(b, from, count);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

// A cell the pages fill with a blank or the placeholder " <name>" holds nothing to sort by.
bool IsEmptyCell(const CString& text) { return text == " " || text.CompareNoCase(" <name>") == 0; }

bool IsListControl(HWND window) {
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof name);
  return std::strcmp(name, WC_LISTVIEWA) == 0;
}

}  // namespace

CSkinListCtrl::CSkinListCtrl() { ColoursChanged(); }

CSkinListCtrl::~CSkinListCtrl() {
  if (m_hWnd) DestroyWindow();
}

const AFX_MSGMAP* CSkinListCtrl::GetMessageMap() const {
  static const AFX_MSGMAP map{CListCtrl::GetMessageMap(),
                              {
                                  MapMessage(WM_CREATE, &CSkinListCtrl::OnCreate),
                                  MapMessage(WM_PAINT, &CSkinListCtrl::OnPaint),
                                  MapMessage(WM_ERASEBKGND, &CSkinListCtrl::OnEraseBkgnd),
                                  MapMessage(WM_SIZE, &CSkinListCtrl::OnSizeOrScroll),
                                  MapMessage(WM_VSCROLL, &CSkinListCtrl::OnSizeOrScroll),
                                  MapMessage(WM_SETFOCUS, &CSkinListCtrl::OnSetFocus),
                                  MapMessage(WM_KILLFOCUS, &CSkinListCtrl::OnKillFocus),
                                  MapMessage(WM_LBUTTONDOWN, &CSkinListCtrl::OnLButtonDown),
                                  MapMessage(WM_KEYDOWN, &CSkinListCtrl::OnKeyDownMessage),
                                  MapMessage(WM_MOUSEMOVE, &CSkinListCtrl::OnMouseMove),
                                  MapMessage(WM_LBUTTONUP, &CSkinListCtrl::OnLButtonUp),
                                  MapNotifyReflect(LVN_BEGINDRAG, &CSkinListCtrl::OnBeginDrag),
                                  MapNotifyReflect(LVN_BEGINLABELEDITA, &CSkinListCtrl::OnBeginLabelEdit),
                                  MapNotifyReflect(LVN_ENDLABELEDITA, &CSkinListCtrl::OnEndLabelEditReflected),
                              }};
  return &map;
}

// Every message passes the scroll bar, which draws and runs the list's vertical bar.
LRESULT CSkinListCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return m_scrollBar.Filter(m_hWnd, message, wParam, lParam,
                            [&] { return CListCtrl::WindowProc(message, wParam, lParam); });
}

// ---- Taking over the list control ------------------------------------------------------------------

BOOL CSkinListCtrl::PreCreateWindow(CREATESTRUCTA& cs) {
  cs.style |= WS_CLIPCHILDREN | LVS_OWNERDRAWFIXED | LVS_REPORT;
  cs.dwExStyle = 0;
  return CListCtrl::PreCreateWindow(cs);
}

void CSkinListCtrl::PreSubclassWindow() {
  CListCtrl::PreSubclassWindow();
  // A list made by Create is attached before it exists as a list control: its header comes with
  // WM_CREATE. One from a dialog template is complete already.
  if (!SendMessage(LVM_GETHEADER)) return;
  ModifyStyle(0, WS_CLIPCHILDREN | LVS_OWNERDRAWFIXED | LVS_REPORT);
  ModifyStyleEx(GetExStyle(), 0);
  TakeOverHeader();
}

void CSkinListCtrl::TakeOverHeader() {
  auto header = reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
  if (header && !m_header.m_hWnd) m_header.SubclassWindow(header);
}

LRESULT CSkinListCtrl::OnCreate(WPARAM, LPARAM) {
  const LRESULT result = Default();
  if (result != -1) TakeOverHeader();
  return result;
}

void CSkinListCtrl::SetFont(LPCSTR face, int height, BOOL bold, BOOL italic) {
  if (!m_hWnd) return;
  auto font = uikit::ReplaceFont(m_hWnd, face, height, bold, italic);
  if (!font) return;
  m_font = std::move(font);
  // The control takes its row height from the small images: an empty list of images one pixel
  // wide and as tall as a row sets it.
  m_rowHeight = std::abs(height) * 12 / 10;
  SetImageList(static_cast<HIMAGELIST>(nullptr), LVSIL_SMALL);
  m_rowHeightImages.DeleteImageList();
  if (m_rowHeight > 0 && m_rowHeightImages.Create(1, m_rowHeight, ILC_COLOR32, 1, 1)) {
    SetImageList(&m_rowHeightImages, LVSIL_SMALL);
  }
  Invalidate();
}

// ---- Look -----------------------------------------------------------------------------------------

void CSkinListCtrl::SetTextIndent(int indent) {
  m_textIndent = indent;
  if (m_hWnd) Invalidate();
}

void CSkinListCtrl::SetRowTextColor(COLORREF colour) {
  m_textColour = colour;
  ColoursChanged();
}

void CSkinListCtrl::SetRowBkColor(COLORREF colour) {
  m_background = colour;
  ColoursChanged();
}

void CSkinListCtrl::SetSelectionColor(COLORREF colour) {
  m_selection = colour;
  ColoursChanged();
}

// The bar is drawn as a selected row of the focused list: text-colour arrows and thumb with glyphs
// in the selection colour, on the rows' background.
void CSkinListCtrl::ColoursChanged() {
  m_scrollBar.SetColours(m_textColour, m_selection, m_background);
  if (m_hWnd) Invalidate();
}

// ---- Rows ------------------------------------------------------------------------------------------

int CSkinListCtrl::AddItem(LPCSTR text, LPARAM data, int image) { return InsertItem(text, data, image, GetItemCount()); }

int CSkinListCtrl::InsertItem(LPCSTR text, LPARAM data, int image, int) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  item.iItem = GetItemCount();
  item.iSubItem = 0;
  item.pszText = const_cast<LPSTR>(text);
  item.iImage = image;
  item.lParam = data;
  return CListCtrl::InsertItem(&item);
}

int CSkinListCtrl::DeleteSelected() {
  int start = -1;
  int found;
  while ((found = GetNextItem(start, LVNI_SELECTED)) >= 0) {
    DeleteItem(found);
    start = found - 1;
  }
  return found;
}

int CSkinListCtrl::GetDragData(int* result) {
  if (result) *result = 0;
  return 0;
}

void CSkinListCtrl::OnDropOnList(CSkinListCtrl*) {}

void CSkinListCtrl::OnKeyDown(UINT, UINT, UINT) { Default(); }

LRESULT CSkinListCtrl::OnKeyDownMessage(WPARAM key, LPARAM flags) {
  OnKeyDown(static_cast<UINT>(key), LOWORD(flags), HIWORD(flags));
  return 0;
}

// ---- Sorting ---------------------------------------------------------------------------------------

int CSkinListCtrl::CompareTexts(const CString& text1, const CString& text2, BOOL ascending) {
  if (IsDate(text1) && IsDate(text2)) return ascending ? CompareDates(text1, text2) : CompareDates(text2, text1);
  const bool empty1 = IsEmptyCell(text1);
  const bool empty2 = IsEmptyCell(text2);
  if (empty1 && empty2) return 0;
  if (empty1) return 1;
  if (empty2) return -1;
  if (ascending) {
    const int r = text1.CompareNoCase(text2);
    return r != 0 ? r : text2.Compare(text1);
  }
  const int r = text2.CompareNoCase(text1);
  return r != 0 ? r : text1.Compare(text2);
}

CString CSkinListCtrl::SortText(LPARAM data) const {
  LVFINDINFOA find{};
  find.flags = LVFI_PARAM;
  find.lParam = data;
  const int row = FindItem(&find, -1);
  return row >= 0 ? GetItemText(row, m_sortColumn) : CString();
}

int CSkinListCtrl::CompareRows(LPARAM data1, LPARAM data2, LPARAM list) {
  const auto* self = reinterpret_cast<const CSkinListCtrl*>(list);
  return CompareTexts(self->SortText(data1), self->SortText(data2), self->m_sortDirection);
}

void CSkinListCtrl::SortByColumn(int column, BOOL toggle) {
  m_sortColumn = column;
  if (toggle) m_sortDirection = !m_sortDirection;
  SortItems(&CSkinListCtrl::CompareRows, reinterpret_cast<DWORD_PTR>(this));
}

// ---- Focus and the plain messages -------------------------------------------------------------------

LRESULT CSkinListCtrl::OnEraseBkgnd(WPARAM, LPARAM) { return 0; }

LRESULT CSkinListCtrl::OnSizeOrScroll(WPARAM, LPARAM) {
  const LRESULT result = Default();
  Invalidate();
  return result;
}

LRESULT CSkinListCtrl::OnSetFocus(WPARAM, LPARAM) {
  m_focus = TRUE;
  const LRESULT result = Default();
  Invalidate();
  return result;
}

LRESULT CSkinListCtrl::OnKillFocus(WPARAM, LPARAM) {
  m_focus = FALSE;
  const LRESULT result = Default();
  Invalidate();
  return result;
}

LRESULT CSkinListCtrl::OnLButtonDown(WPARAM, LPARAM) { return Default(); }

// ---- Label editing ---------------------------------------------------------------------------------

void CSkinListCtrl::OnBeginLabelEdit(NMHDR* notify, LRESULT* result) {
  const auto* info = reinterpret_cast<NMLVDISPINFOA*>(notify);
  if (!CanEditLabel(info->item.iItem)) {
    *result = TRUE;
    return;
  }
  *result = FALSE;
  // The control makes its editor after this answer; it gets the focus once it is complete, and
  // that is when the flat editor takes it over (OnCommand).
  m_pendingEditRow = info->item.iItem;
  if (auto edit = reinterpret_cast<HWND>(SendMessage(LVM_GETEDITCONTROL))) SetUpLabelEditor(edit);
}

BOOL CSkinListCtrl::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (m_pendingEditRow >= 0 && HIWORD(wParam) == EN_SETFOCUS) {
    auto edit = reinterpret_cast<HWND>(lParam);
    if (edit && edit == reinterpret_cast<HWND>(SendMessage(LVM_GETEDITCONTROL))) SetUpLabelEditor(edit);
  }
  return CListCtrl::OnCommand(wParam, lParam);
}

void CSkinListCtrl::SetUpLabelEditor(HWND edit) {
  const int row = m_pendingEditRow;
  m_pendingEditRow = -1;
  if (m_labelEditor.m_hWnd || !m_labelEditor.SubclassWindow(edit)) return;
  m_editedColumn = 0;
  m_labelEditor.SetFont(kLabelFace, kLabelFontHeight, FALSE, FALSE);
  m_labelEditor.SetWindowText(GetItemText(row, 0));
  RECT label{};
  GetItemRect(row, &label, LVIR_LABEL);
  m_labelEditor.SetFixedWidth(label.right - label.left);
  m_labelEditor.SetPlainFrame(TRUE);
  m_labelEditor.SetTextColor(kTextColour);
  m_labelEditor.SetLimit(GetLabelLimit());
  m_labelEditor.SetSel(0, -1);
}

int CSkinListCtrl::GetLabelLimit() { return ProgramGroupMaxNameSize(); }

void CSkinListCtrl::OnEndLabelEditReflected(NMHDR* notify, LRESULT* result) { OnEndLabelEdit(notify, result); }

void CSkinListCtrl::OnEndLabelEdit(NMHDR* notify, LRESULT* result) {
  const auto* info = reinterpret_cast<NMLVDISPINFOA*>(notify);
  // Escape cancels (no text in the record): the label stays as it was.
  if (m_labelEditor.m_hWnd && info->item.pszText) {
    CString text;
    m_labelEditor.GetWindowText(text);
    if (!text.IsEmpty()) SetItemText(info->item.iItem, 0, text);
  }
  m_editedColumn = -1;
  if (m_labelEditor.m_hWnd) m_labelEditor.UnsubclassWindow();
  *result = 0;
}

// ---- Drag and drop ---------------------------------------------------------------------------------

void CSkinListCtrl::OnBeginDrag(NMHDR* notify, LRESULT* result) {
  *result = 0;
  if (!m_dragEnabled) return;
  const auto* info = reinterpret_cast<NMLISTVIEW*>(notify);
  m_dragImage.reset();
  POINT hotSpot{};
  m_dragImage = CreateSelectionDragImage(&hotSpot);
  // Without an image (nothing selected, or no memory for it) the drag still runs, unseen.
  if (m_dragImage) {
    m_dragImage->BeginDrag(0, hotSpot);
    POINT at = info->ptAction;
    ClientToScreen(&at);
    CImageList::DragEnter(::GetDesktopWindow(), at);
  }
  m_dragging = TRUE;
  m_dropIndex = -1;
  m_dropWindow = m_hWnd;
  m_otherIndex = -1;
  ::SetCapture(m_hWnd);
}

void CSkinListCtrl::SetDropHighlight(HWND list, int row, bool on) {
  if (!list || row < 0 || !::IsWindow(list)) return;
  // A selected row keeps its look: the highlight never goes on or off over it.
  if (::SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) & LVIS_SELECTED) return;
  LVITEMA state{};
  state.state = on ? LVIS_DROPHILITED : 0;
  state.stateMask = LVIS_DROPHILITED;
  ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
  ::SendMessageA(list, LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
}

void CSkinListCtrl::ClearDropTarget() {
  if (m_dropWindow && m_dropWindow != m_hWnd) {
    SetDropHighlight(m_dropWindow, m_dropIndex, false);
    ::UpdateWindow(m_dropWindow);
  }
  m_dropIndex = -1;
  m_dropWindow = m_hWnd;
}

LRESULT CSkinListCtrl::OnMouseMove(WPARAM, LPARAM lParam) {
  if (!m_dragging) return Default();
  POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  ClientToScreen(&at);
  CImageList::DragMove(at);
  CImageList::DragShowNolock(FALSE);
  HWND under = ::WindowFromPoint(at);
  if (under && under != m_hWnd && IsListControl(under)) {
    LVHITTESTINFO hit{};
    hit.pt = at;
    ::ScreenToClient(under, &hit.pt);
    const int row = static_cast<int>(::SendMessageA(under, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (under != m_dropWindow || row != m_dropIndex) {
      // The highlight moves with the cursor, also from one list to another.
      if (under != m_dropWindow) ClearDropTarget();
      else SetDropHighlight(under, m_dropIndex, false);
      SetDropHighlight(under, row, true);
      m_dropIndex = row;
      m_dropWindow = under;
    }
    ::UpdateWindow(under);
  }
  CImageList::DragShowNolock(TRUE);
  return 0;
}

LRESULT CSkinListCtrl::OnLButtonUp(WPARAM wParam, LPARAM lParam) {
  if (m_dragging) {
    ::ReleaseCapture();
    m_dragging = FALSE;
    CImageList::DragLeave(::GetDesktopWindow());
    CImageList::EndDrag();
    m_dragImage.reset();
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(&at);
    // Only a list of this family, in this program, knows what dragged rows mean.
    if (auto* target = dynamic_cast<CSkinListCtrl*>(CWnd::FromHandlePermanent(::WindowFromPoint(at)))) {
      OnDropOnList(target);
    }
    // The drop handler has read the target row; the highlight must not stay behind.
    ClearDropTarget();
  }
  (void)wParam;
  return Default();
}
