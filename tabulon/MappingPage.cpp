// The mapping page: see MappingPage.h.
#include "MappingPage.h"

#include "CsvSplitter.h"
#include "WizardSheet.h"

namespace {

void AddColumn(HWND list, int index, const CString& title, int width) {
  LVCOLUMNA column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = const_cast<LPSTR>(static_cast<LPCSTR>(title));
  column.cx = width;
  ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void SetItem(HWND list, int row, int column, const std::string& text, bool insert) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<LPSTR>(text.c_str());
  ::SendMessageA(list, insert ? LVM_INSERTITEMA : LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void Select(HWND list, int row) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = 0;
  ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
  if (row < 0) return;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

const AFX_MSGMAP* CMappingPage::GetMessageMap() const {
  static const AFX_MSGMAP map{CTabulonPage::GetMessageMap(), {
      MapNotify(LVN_ITEMCHANGED, IDC_FIELD_LIST, &CMappingPage::OnFieldChanged),
      MapNotify(LVN_ITEMCHANGED, IDC_CSV_LIST, &CMappingPage::OnColumnChanged),
      MapNotify(NM_CUSTOMDRAW, IDC_CSV_LIST, &CMappingPage::OnColumnDraw),
      MapCommand(IDC_MAP, &CMappingPage::OnMap),
      MapCommand(IDC_UNMAP, &CMappingPage::OnUnmap),
      MapCommand(IDC_UP, &CMappingPage::OnUp),
      MapCommand(IDC_DOWN, &CMappingPage::OnDown),
      MapCommand(IDC_DEFAULT, &CMappingPage::OnDefault),
      MapCommand(IDC_ERASE, &CMappingPage::OnErase),
  }};
  return &map;
}

BOOL CMappingPage::OnInitDialog() {
  CTabulonPage::OnInitDialog();
  SetText(IDC_FROM, IDS_FROM);
  SetText(IDC_TO, IDS_TO);
  SetText(IDC_DEFAULT, IDS_DEFAULT_MAPPING);
  SetText(IDC_ERASE, IDS_ERASE_MAPPING);
  HWND columns = ::GetDlgItem(m_hWnd, IDC_CSV_LIST);
  HWND fields = ::GetDlgItem(m_hWnd, IDC_FIELD_LIST);
  for (HWND list : {columns, fields})
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  AddColumn(columns, 0, TabulonText(IDS_CSV_VALUES), 140);
  AddColumn(fields, 0, TabulonText(IDS_FIELDS), 110);
  AddColumn(fields, 1, TabulonText(IDS_MAPPED_FROM), 100);
  const auto infos = Sheet().Fields();
  for (std::size_t i = 0; i < infos.size(); ++i)
    SetItem(fields, static_cast<int>(i), 0, infos[i].name ? infos[i].name : "", true);
  m_up.SubclassDlgItem(IDC_UP, this);
  m_up.LoadBitmaps(IDB_UP, IDB_UP_PRESSED, IDB_UP_FOCUSED, IDB_UP_DISABLED);
  m_down.SubclassDlgItem(IDC_DOWN, this);
  m_down.LoadBitmaps(IDB_DOWN, IDB_DOWN_PRESSED, IDB_DOWN_FOCUSED, IDB_DOWN_DISABLED);
  Refresh();
  return TRUE;
}

BOOL CMappingPage::OnSetActive() {
  CWizardSheet& sheet = Sheet();
  sheet.SetWizardButtons(PSWIZB_BACK | PSWIZB_NEXT);
  // The first line's values, split without joining further lines.
  const auto lines = sheet.m_file.Lines();
  const std::string_view first = lines.empty() ? std::string_view() : lines.front();
  m_model.SetColumns(tabulon::SplitCsvLine(first, sheet.m_separator), sheet.m_headerLine);
  HWND columns = ::GetDlgItem(m_hWnd, IDC_CSV_LIST);
  m_refreshing = true;
  ::SendMessageA(columns, LVM_DELETEALLITEMS, 0, 0);
  for (int i = 0; i < m_model.ColumnCount(); ++i) SetItem(columns, i, 0, m_model.ColumnName(i), true);
  m_refreshing = false;
  Refresh();
  return CTabulonPage::OnSetActive();
}

// The lists' selections, the "Mapped From" texts and the buttons from the model.
void CMappingPage::Refresh() {
  m_refreshing = true;
  HWND fields = ::GetDlgItem(m_hWnd, IDC_FIELD_LIST);
  for (int i = 0; i < m_model.FieldCount(); ++i) SetItem(fields, i, 1, m_model.MappedFrom(i), false);
  Select(fields, m_model.SelectedField());
  Select(::GetDlgItem(m_hWnd, IDC_CSV_LIST), m_model.SelectedColumn());
  ::InvalidateRect(::GetDlgItem(m_hWnd, IDC_CSV_LIST), nullptr, TRUE);
  m_refreshing = false;
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_MAP), m_model.CanMap());
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_UNMAP), m_model.CanUnmap());
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_UP), m_model.CanMoveUp());
  ::EnableWindow(::GetDlgItem(m_hWnd, IDC_DOWN), m_model.CanMoveDown());
}

void CMappingPage::OnFieldChanged(NMHDR* header, LRESULT*) {
  const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
  if (m_refreshing || !(change->uChanged & LVIF_STATE) || !(change->uNewState & LVIS_SELECTED)) return;
  m_model.SelectField(change->iItem);
  Refresh();
}

void CMappingPage::OnColumnChanged(NMHDR* header, LRESULT*) {
  const auto* change = reinterpret_cast<NMLISTVIEW*>(header);
  if (m_refreshing || !(change->uChanged & LVIF_STATE) || !(change->uNewState & LVIS_SELECTED)) return;
  m_model.SelectColumn(change->iItem);
  Refresh();
}

// Columns already used are drawn in the button-shadow colour.
void CMappingPage::OnColumnDraw(NMHDR* header, LRESULT* result) {
  auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
    *result = CDRF_NOTIFYITEMDRAW;
  } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
    if (m_model.IsColumnUsed(static_cast<int>(draw->nmcd.dwItemSpec))) draw->clrText = ::GetSysColor(COLOR_BTNSHADOW);
    *result = CDRF_DODEFAULT;
  }
}

void CMappingPage::OnMap() {
  m_model.Map();
  Refresh();
}

void CMappingPage::OnUnmap() {
  m_model.Unmap();
  Refresh();
}

void CMappingPage::OnUp() {
  m_model.MoveUp();
  Refresh();
}

void CMappingPage::OnDown() {
  m_model.MoveDown();
  Refresh();
}

void CMappingPage::OnDefault() {
  m_model.DefaultMapping();
  Refresh();
}

void CMappingPage::OnErase() {
  m_model.EraseMapping();
  Refresh();
}

LRESULT CMappingPage::OnWizardNext() {
  if (!m_model.HasMapping()) {
    Ask(TabulonText(IDS_MAP_ONE), MB_OK | MB_ICONEXCLAMATION);
    return -1;
  }
  Sheet().m_mapping = m_model.Mapping();
  return CTabulonPage::OnWizardNext();
}
