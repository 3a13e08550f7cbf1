#include "PhoneListCtrl.h"

#include <controls/Controls.h>

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
  rect.left = 0;  // LVIR_BOUNDS
  ::SendMessageA(m_hWnd, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
  return rect;
}
