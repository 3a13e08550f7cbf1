// The phone pane's window: Delete and Undelete, and new names.
#include "PhonePaneCtrl.h"

#include "PaneRows.h"

void CPhonePaneCtrl::Refill() { ShowPhoneRows(m_model.Shown()); }

void CPhonePaneCtrl::OnDropOnList(CSkinListCtrl* target) {
  if (target != this && m_drop) m_drop();
}

std::vector<int> CPhonePaneCtrl::SelectedRows() const {
  std::vector<int> rows;
  for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED)) rows.push_back(row);
  return rows;
}

BOOL CPhonePaneCtrl::CanEditLabel(int row) {
  const auto& rows = m_model.Shown().rows;
  return row >= 0 && std::size_t(row) < rows.size() && (rows[std::size_t(row)].dataWord & RowBits::Queued);
}

int CPhonePaneCtrl::GetLabelLimit() { return int(kMaxPhoneNameBytes); }

BOOL CPhonePaneCtrl::OnCommand(WPARAM wParam, LPARAM lParam) {
  const BOOL handled = CPaneListCtrl::OnCommand(wParam, lParam);
  // The in-place editor gets the focus once it is complete: a phone name takes no ",".
  const auto edit = reinterpret_cast<HWND>(lParam);
  CWnd* editor = HIWORD(wParam) == EN_SETFOCUS ? GetEditControl() : nullptr;
  if (edit && editor && edit == editor->m_hWnd && !m_refusedChars.IsHooked()) {
    m_refusedChars.SetRefusedChars(",");
    m_refusedChars.AttachHook(edit);
  }
  return handled;
}

void CPhonePaneCtrl::OnEndLabelEdit(NMHDR* notify, LRESULT* result) {
  m_refusedChars.Unhook();
  const auto* info = reinterpret_cast<NMLVDISPINFOA*>(notify);
  const int row = info->item.iItem;
  CString text;
  if (GetLabelEditor().m_hWnd && info->item.pszText) GetLabelEditor().GetWindowText(text);
  const auto check = info->item.pszText ? m_model.Rename(std::size_t(row), std::string(text))
                                        : CPhonePaneModel::NameCheck::Unchanged;
  if (check == CPhonePaneModel::NameCheck::Accepted) {
    CPaneListCtrl::OnEndLabelEdit(notify, result);
    return;
  }
  // Refused or left: the label stays; the editor is released without taking the text.
  if (GetLabelEditor().m_hWnd) GetLabelEditor().UnsubclassWindow();
  *result = 0;
  if (check == CPhonePaneModel::NameCheck::Exists) {
    m_ask(1067, MB_ICONEXCLAMATION);
    // The edit opens again on the row that was being edited.
    PostMessage(EditLabelMessage(), static_cast<WPARAM>(row), 0);
  }
}

void CPhonePaneCtrl::OnKeyDown(UINT key, UINT repeat, UINT flags) {
  if (key != VK_DELETE || m_busy) {
    CPaneListCtrl::OnKeyDown(key, repeat, flags);
    return;
  }
  const std::vector<int> selected = SelectedRows();
  if (selected.empty()) return;
  const auto& rows = m_model.Shown().rows;
  const TransferRecord& first = rows[std::size_t(selected.front())];
  if (IsFixedPhoneFolder(first.dataWord, first.id)) {
    m_ask(1051, MB_ICONEXCLAMATION);
    return;
  }
  std::vector<std::uint32_t> words;
  for (int row : selected) words.push_back(rows[std::size_t(row)].dataWord);
  const DeleteCommand command = DeleteCommandFor(words);
  if (command == DeleteCommand::Disabled) return;
  const UINT question = command == DeleteCommand::Undelete ? 1072 : 1046;
  if (m_ask(question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  for (int row : selected) {
    if (command == DeleteCommand::Undelete) m_model.Unmark(std::size_t(row));
    else m_model.Mark(std::size_t(row));
  }
  Refill();
  SetItemState(selected.front(), LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

