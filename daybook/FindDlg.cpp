// The find dialog; see FindDlg.h.
#include "FindDlg.h"

#include "Daybook.h"
#include "resource.h"

#include <controls/ListView.h>

using namespace daybook;

namespace {

constexpr UINT kWordEdit = 1188, kFindButton = 1189, kNextButton = 1190, kHits = 1192;

}  // namespace

CFindDlg::CFindDlg(CManager& manager, FindMode mode, HWND list, int column, CWnd* owner)
    : CEmbeddableDialog(IDD_FIND, owner, FALSE), m_model(manager, mode), m_list(list), m_column(column),
      m_caption(mode == FindMode::Contacts ? 305 : mode == FindMode::Schedule ? 306 : 307) {}

const AFX_MSGMAP* CFindDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CEmbeddableDialog::GetMessageMap(), {
      MapCommand(kFindButton, &CFindDlg::OnFind),
      MapCommand(kNextButton, &CFindDlg::OnFindNext),
      MapControl(EN_UPDATE, kWordEdit, &CFindDlg::OnTextChange),
  }};
  return &map;
}

BOOL CFindDlg::OnInitDialog() {
  CEmbeddableDialog::OnInitDialog();
  SetWindowText(DaybookText(454));
  GetDlgItem(kFindButton)->SetWindowText(DaybookText(454));
  GetDlgItem(kNextButton)->SetWindowText(DaybookText(455));
  GetDlgItem(IDCANCEL)->SetWindowText(DaybookText(315));
  GetDlgItem(1191)->SetWindowText(DaybookText(459));
  GetDlgItem(kNextButton)->EnableWindow(FALSE);
  GetDlgItem(kWordEdit)->SetFocus();
  return FALSE;  // the focus was set
}

std::vector<CString> CFindDlg::Rows() const {
  std::vector<CString> rows;
  const int count = static_cast<int>(::SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) {
    char text[512] = {};
    LVITEMA item{};
    item.iSubItem = m_column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(m_list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    rows.emplace_back(text);
  }
  return rows;
}

CString CFindDlg::Word() const {
  CString word;
  GetDlgItem(kWordEdit)->GetWindowText(word);
  return word;
}

void CFindDlg::Show(const FindOutcome& outcome) {
  if (outcome.kind == FindOutcome::Hit) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(outcome.row), reinterpret_cast<LPARAM>(&item));
    ::SendMessageA(m_list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(outcome.row), FALSE);
    CString hits;
    hits.Format("%d", m_model.Hits());
    GetDlgItem(kHits)->SetWindowText(hits);
    GetDlgItem(kFindButton)->EnableWindow(m_model.FindEnabled() ? TRUE : FALSE);
    GetDlgItem(kNextButton)->EnableWindow(m_model.NextEnabled() ? TRUE : FALSE);
    return;
  }
  if (outcome.clearText) GetDlgItem(kWordEdit)->SetWindowText("");
  if (outcome.message != 0) DaybookMessage(static_cast<UINT>(outcome.message), m_caption, MB_ICONINFORMATION);
}

void CFindDlg::OnFind() { Show(m_model.Find(Word(), Rows())); }

void CFindDlg::OnFindNext() { Show(m_model.FindNext(Word(), Rows())); }

void CFindDlg::OnTextChange() {
  m_model.TextChanged();
  const int count = static_cast<int>(::SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0));
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  for (int row = 0; row < count; ++row) {
    ::SendMessageA(m_list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
  GetDlgItem(kNextButton)->EnableWindow(FALSE);
  GetDlgItem(kFindButton)->EnableWindow(TRUE);
}

BOOL CFindDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
    if (m_model.FindEnabled()) {
      OnFind();
    } else {
      OnFindNext();
    }
    return TRUE;
  }
  return CEmbeddableDialog::PreTranslateMessage(msg);
}

void CFindDlg::OnCancel() {
  m_model.Close();
  CEmbeddableDialog::OnCancel();
}
