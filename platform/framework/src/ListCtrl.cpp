// The list and header objects' members that are more than one message: the item calls that fill a
// record, the texts read into a CString, the drag image handed over as an object, and the rows and
// items an owner-drawn control gets back from its parent.
#include <framework/ListCtrl.h>
#include <framework/String.h>

IMPLEMENT_DYNAMIC(CHeaderCtrl, CWnd)
IMPLEMENT_DYNAMIC(CListCtrl, CWnd)

namespace {
// The parent hands an owner-drawn control's WM_DRAWITEM back to it: the object paints itself.
template <class Control>
BOOL DrawReflected(Control& control, UINT message, LPARAM lParam, LRESULT* result) {
  if (message != WM_DRAWITEM) return FALSE;
  control.DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
  if (result) *result = TRUE;
  return TRUE;
}
}  // namespace

// ---- CHeaderCtrl ---------------------------------------------------------------------------------

void CHeaderCtrl::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CHeaderCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DrawReflected(*this, message, lParam, result) || CWnd::OnChildNotify(message, wParam, lParam, result);
}

// ---- CListCtrl -----------------------------------------------------------------------------------

void CListCtrl::DrawItem(LPDRAWITEMSTRUCT) {}

BOOL CListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  return DrawReflected(*this, message, lParam, result) || CWnd::OnChildNotify(message, wParam, lParam, result);
}

BOOL CListCtrl::SetItem(int item, int subItem, UINT mask, LPCSTR text, int image, UINT state, UINT stateMask,
                        LPARAM data) {
  LVITEMA record{};
  record.mask = mask;
  record.iItem = item;
  record.iSubItem = subItem;
  record.state = state;
  record.stateMask = stateMask;
  record.pszText = const_cast<LPSTR>(text);
  record.iImage = image;
  record.lParam = data;
  return SetItem(&record);
}

int CListCtrl::InsertItem(UINT mask, int item, LPCSTR text, UINT state, UINT stateMask, int image, LPARAM data) {
  LVITEMA record{};
  record.mask = mask;
  record.iItem = item;
  record.state = state;
  record.stateMask = stateMask;
  record.pszText = const_cast<LPSTR>(text);
  record.iImage = image;
  record.lParam = data;
  return InsertItem(&record);
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
  LVITEMA record{};
  record.mask = LVIF_PARAM;
  record.iItem = item;
  return GetItem(&record) ? static_cast<DWORD_PTR>(record.lParam) : 0;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
  LVITEMA record{};
  record.state = state;
  record.stateMask = mask;
  return SetItemState(item, &record);
}

int CListCtrl::GetItemText(int item, int subItem, LPSTR buffer, int length) const {
  if (!buffer || length <= 0) return 0;
  LVITEMA record{};
  record.iSubItem = subItem;
  record.pszText = buffer;
  record.cchTextMax = length;
  buffer[0] = '\0';
  return Int(LVM_GETITEMTEXTA, static_cast<WPARAM>(item), Ptr(&record));
}

CString CListCtrl::GetItemText(int item, int subItem) const {
  // The control says only how much it copied: a buffer it filled to the brim may have been too
  // small, so it grows until the text leaves room.
  CString text;
  for (int size = 256;; size *= 2) {
    LPSTR buffer = text.GetBuffer(size);
    const int copied = GetItemText(item, subItem, buffer, size);
    text.ReleaseBuffer(copied);
    if (copied < size - 1) return text;
  }
}

BOOL CListCtrl::SetItemText(int item, int subItem, LPCSTR text) {
  LVITEMA record{};
  record.iSubItem = subItem;
  record.pszText = const_cast<LPSTR>(text);
  return Int(LVM_SETITEMTEXTA, static_cast<WPARAM>(item), Ptr(&record));
}

BOOL CListCtrl::GetItemRect(int item, LPRECT rect, UINT code) const {
  if (!rect) return FALSE;
  rect->left = static_cast<LONG>(code);
  return Int(LVM_GETITEMRECT, static_cast<WPARAM>(item), Ptr(rect));
}

BOOL CListCtrl::GetSubItemRect(int item, int subItem, int code, RECT& rect) const {
  rect.top = subItem;
  rect.left = code;
  return Int(LVM_GETSUBITEMRECT, static_cast<WPARAM>(item), Ptr(&rect));
}

int CListCtrl::HitTest(POINT point, UINT* flags) const {
  LVHITTESTINFO info{};
  info.pt = point;
  const int item = HitTest(&info);
  if (flags) *flags = info.flags;
  return item;
}

int CListCtrl::InsertColumn(int column, LPCSTR heading, int format, int width, int subItem) {
  LVCOLUMNA info{};
  info.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
  info.fmt = format;
  info.pszText = const_cast<LPSTR>(heading);
  info.iSubItem = subItem == -1 ? column : subItem;
  if (width != -1) {
    info.mask |= LVCF_WIDTH;
    info.cx = width;
  }
  return InsertColumn(column, &info);
}

std::unique_ptr<CImageList> CListCtrl::CreateDragImage(int item, LPPOINT point) {
  POINT origin{};
  auto made = reinterpret_cast<HIMAGELIST>(Send(LVM_CREATEDRAGIMAGE, static_cast<WPARAM>(item), Ptr(&origin)));
  if (!made) return nullptr;
  if (point) *point = origin;
  auto images = std::make_unique<CImageList>();
  images->Attach(made);
  return images;
}
