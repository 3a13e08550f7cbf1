// The PC pane's window: drops in both directions and the removal of queued downloads.
#include "PcPaneCtrl.h"

#include <cstdio>

void CPcPaneCtrl::OnDropOnList(CSkinListCtrl* target) {
  auto* phone = dynamic_cast<CPhonePaneCtrl*>(target);
  if (!phone) return;
  std::vector<std::size_t> selected;
  for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED))
    selected.push_back(std::size_t(row));
  const CPcPaneModel::DropResult result = m_model.DropOnPhone(selected, phone->Model(), m_voiceMemo);
  for (const std::string& name : result.tooLarge) {
    char text[512];
    std::snprintf(text, sizeof text, "File %s is larger than %u bytes, it cannot be used.", name.c_str(),
                  unsigned(result.tooLargeLimit));
    m_ask(1048, text, MB_ICONEXCLAMATION);
  }
  if (result.message == 1080) {
    char text[256];
    std::snprintf(text, sizeof text, "Phone cannot display files bigger than %u (width) x %u (height). \nFile(s) will not be transferred.",
                  unsigned(m_model.Rules().GetRefusedWidth()), unsigned(m_model.Rules().GetRefusedHeight()));
    m_ask(1080, text, MB_ICONEXCLAMATION);
  } else if (result.message) {
    m_ask(UINT(result.message), {}, MB_ICONEXCLAMATION);
  }
  // The rows keep their new marks (queued, refused, unusable) in the list's item data.
  for (std::size_t row = 0; row < m_model.Rows().size() && int(row) < GetItemCount(); ++row)
    SetItemData(int(row), m_model.Rows()[row].dataWord);
  Invalidate();
  phone->Refill();
}

void CPcPaneCtrl::OnKeyDown(UINT key, UINT repeat, UINT flags) {
  if (key != VK_DELETE) {
    CPaneListCtrl::OnKeyDown(key, repeat, flags);
    return;
  }
  std::vector<int> rows;
  for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED)) rows.push_back(row);
  bool removed = false;
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) removed = m_model.RemoveQueued(std::size_t(*it)) || removed;
  if (removed) Refill();
}

void CPcPaneCtrl::SortByClickedColumn(int column) {
  m_ascending = column == m_sortColumn ? !m_ascending : true;
  m_sortColumn = column;
  m_model.Sort(column, m_ascending);
  Refill();
  m_arrow.SetSortArrow(column, m_ascending);
}

BOOL CPcPaneCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_COLUMNCLICK) {
    SortByClickedColumn(reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem);
    if (result) *result = 0;
    return TRUE;
  }
  return CPaneListCtrl::OnChildNotify(message, wParam, lParam, result);
}

BOOL CPcPaneCtrl::CanEditLabel(int row) {
  if (row < 0 || std::size_t(row) >= m_model.Rows().size()) return FALSE;
  const PcRow& pc = m_model.Rows()[std::size_t(row)];
  return pc.queued || (m_model.NewFolderPending() && (pc.dataWord & RowBits::Queued) && (pc.dataWord & RowBits::Folder));
}

void CPcPaneCtrl::NewFolder(const std::string& base) {
  const std::size_t row = m_model.NewFolder(base);
  Refill();
  SetFocus();
  EnsureVisible(int(row), FALSE);
  EditLabel(int(row));
}

void CPcPaneCtrl::OnEndLabelEdit(NMHDR* notify, LRESULT* result) {
  const auto* info = reinterpret_cast<NMLVDISPINFOA*>(notify);
  const int row = info->item.iItem;
  CString typed;
  if (GetLabelEditor().m_hWnd && info->item.pszText) GetLabelEditor().GetWindowText(typed);
  const std::string text = info->item.pszText ? std::string(typed) : std::string();
  bool exists = false;
  if (m_model.NewFolderPending()) {
    exists = m_model.EndNewFolder(std::size_t(row), text, m_parentText) == CPcPaneModel::NewFolderEnd::Exists;
  } else if (info->item.pszText) {
    exists = m_model.RenameQueued(std::size_t(row), text) == CPcPaneModel::RenameResult::Exists;
  }
  if (GetLabelEditor().m_hWnd) GetLabelEditor().UnsubclassWindow();
  *result = 0;
  if (exists) {
    m_ask(1067, {}, MB_ICONEXCLAMATION);
    PostMessage(EditLabelMessage(), static_cast<WPARAM>(row), 0);
    return;
  }
  Refill();
}

void HandPhoneSelectionToPc(CPhonePaneCtrl& phone, CPhonePaneModel& phoneModel, CPcPaneCtrl& pc,
                            CPcPaneModel& pcModel) {
  for (int row = phone.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = phone.GetNextItem(row, LVNI_SELECTED)) {
    if (!phoneModel.HandToPc(std::size_t(row))) continue;
    pcModel.AddDroppedPhoneItem(phoneModel.Shown().rows[std::size_t(row)]);
  }
  pcModel.Sort(0, true);
  pc.Refill();
  phone.Refill();
}
