// The schedule and to-do pages; see CalendarPages.h.
#include "CalendarPages.h"

#include "Daybook.h"
#include "MainDialogRules.h"
#include "resource.h"

#include <controls/DateTime.h>
#include <controls/ListView.h>
#include <user/Dialog.h>

#include <algorithm>

using namespace daybook;

namespace {

constexpr COLORREF kDarkText = 0x822A08;
constexpr COLORREF kGreyText = 0x979797;

CTime Now() {
  const CTime now = CTime::GetCurrentTime();
  return std::min(std::max(now, EarliestPickerTime()), LatestPickerTime());
}

CString DayText(const CTime& time) { return time.Format("%d/%m/%Y"); }

// `dateName`: what the page calls the dates the phone may refuse.
void RefusedEntry(const EntryPut& refused, UINT caption, UINT dateName) {
  CString text;
  text.Format(DaybookText(2018),
              static_cast<LPCSTR>(DaybookText(refused.field == EntryField::Description ? 2014 : dateName)));
  DaybookMessageText(text, caption, MB_ICONEXCLAMATION);
}

// The page's own buttons in the kit's look: add, delete, delete all, apply, cancel, Download, Upload.
void SkinButton(CSkinButton& button, UINT id, CWnd* page) {
  button.SubclassDlgItem(id, page);
  button.SetDefaultLook();
}

// Field icons: (static, bitmap of the usual look, bitmap while several rows are selected).
struct FieldIcon {
  UINT control, normal, inactive;
};
constexpr FieldIcon kScheduleIcons[] = {
    {IDC_ICON_SCH_DATE, 158, 218}, {IDC_ICON_SCH_TIME, 160, 216}, {IDC_ICON_SCH_REPEAT, 209, 210}};
constexpr FieldIcon kToDoIcons[] = {{IDC_ICON_TODO_START, 217, 218},
                                    {IDC_ICON_TODO_DUE, 217, 218},
                                    {IDC_ICON_TODO_CATEGORY, 162, 161},
                                    {IDC_ICON_TODO_PRIORITY, 207, 165}};

}  // namespace

// ---- what both pages share ----

CCalendarPage::CCalendarPage(const Ids& ids, CWnd* parent) : CEmbeddableDialog(ids.dialog, parent, FALSE), m_ids(ids) {}

CString CCalendarPage::FormDescription() const {
  CString text;
  m_description.GetWindowText(text);
  return text == Placeholder() ? CString() : text;
}

const AFX_MSGMAP* CCalendarPage::GetMessageMap() const {
  static const AFX_MSGMAP map{CEmbeddableDialog::GetMessageMap(), {
      MapCommand(IDC_DOWNLOAD, &CCalendarPage::OnDownloadButton),
      MapCommand(IDC_UPLOAD, &CCalendarPage::OnUploadButton),
      MapCommand(IDC_CANCEL_TRANSFER, &CCalendarPage::OnCancelTransferButton),
      MapMessage(WM_SHOWWINDOW, &CCalendarPage::OnShowWindow),
      MapMessage(WM_SIZE, &CCalendarPage::OnSize),
      MapMessage(WM_CTLCOLORSTATIC, &CCalendarPage::OnCtlColor),
      MapMessage(WM_CTLCOLORBTN, &CCalendarPage::OnCtlColor),
  }};
  return &map;
}

BOOL CCalendarPage::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  const UINT code = HIWORD(wParam);
  if (id == m_ids.description && (code == EN_SETFOCUS || code == EN_KILLFOCUS)) {
    // The placeholder gives way to typing and comes back to an empty field.
    CString text;
    m_description.GetWindowText(text);
    const bool entering = code == EN_SETFOCUS;
    if (entering ? text == Placeholder() : text.IsEmpty()) {
      const bool filling = m_filling;
      m_filling = true;
      m_description.SetWindowText(entering ? CString() : Placeholder());
      m_filling = filling;
    }
    m_description.SetTextColor(entering || !text.IsEmpty() ? kDarkText : kGreyText);
    return TRUE;
  }
  if (code == CBN_DROPDOWN && Guarded(id)) {
    // The click that was refused the focus would still drop the list: it closes again.
    ::PostMessageA(reinterpret_cast<HWND>(lParam), CB_SHOWDROPDOWN, FALSE, 0);
    return TRUE;
  }
  if ((code == CBN_SETFOCUS || code == BN_CLICKED) && Guarded(id)) {
    // A field other than the description cannot start an edit with nothing selected: the focus
    // goes to add, and a check box stays as it was.
    if (code == BN_CLICKED) Check(id, !Checked(id));
    GetDlgItem(static_cast<int>(m_ids.add))->SetFocus();
    return TRUE;
  }
  if (code == BN_CLICKED) {
    if (id == m_ids.remove) return OnDelete(), TRUE;
    if (id == m_ids.removeAll) return OnDeleteAll(), TRUE;
    if (id == m_ids.cancel) return CancelEdit(), TRUE;
  }
  // The kit's buttons tell a quick second click as a double click: each click turns the order.
  if (code == BN_CLICKED || code == BN_DOUBLECLICKED) {
    for (UINT sort : m_ids.sortButtons) {
      if (id == sort) return OnSortButton(id), TRUE;
    }
  }
  return CEmbeddableDialog::OnCommand(wParam, lParam);
}

BOOL CCalendarPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header && header->code == NM_SETFOCUS && Guarded(static_cast<UINT>(header->idFrom))) {
    GetDlgItem(static_cast<int>(m_ids.add))->SetFocus();
    *result = 0;
    return TRUE;
  }
  if (header && header->code == DTN_DATETIMECHANGE && !m_filling) {
    // A picker stepped by its up-down buttons (the click that was refused the focus still steps
    // it) starts no edit where a field may not: the step is undone.
    if (Guarded(static_cast<UINT>(header->idFrom))) {
      RestoreShownTime(header->hwndFrom);
      GetDlgItem(static_cast<int>(m_ids.add))->SetFocus();
      *result = 0;
      return TRUE;
    }
    NoteShownTime(header->hwndFrom);
  }
  if (header && header->idFrom == m_ids.list) {
    switch (header->code) {
      case LVN_ITEMCHANGED: OnListChanged(header, result); return TRUE;
      case LVN_ITEMCHANGING: OnListChanging(header, result); return TRUE;
      case NM_RCLICK: OnListRightClick(header, result); return TRUE;
      default: break;
    }
  }
  return CEmbeddableDialog::OnNotify(wParam, lParam, result);
}

BOOL CCalendarPage::OnInitDialog() {
  CEmbeddableDialog::OnInitDialog();
  ModifyStyle(0, WS_CLIPCHILDREN);
  const std::pair<UINT, UINT> texts[] = {{m_ids.add, 316},    {m_ids.remove, 312}, {m_ids.removeAll, 313},
                                         {m_ids.apply, 314},  {m_ids.cancel, 315}, {IDC_UPLOAD, 468},
                                         {IDC_DOWNLOAD, 469}, {m_ids.captions[0], m_ids.captionTexts[0]},
                                         {m_ids.captions[1], m_ids.captionTexts[1]},
                                         {m_ids.captions[2], m_ids.captionTexts[2]}};
  for (const auto& [id, text] : texts) GetDlgItem(static_cast<int>(id))->SetWindowText(DaybookText(text));
  const UINT buttons[] = {m_ids.add, m_ids.remove, m_ids.removeAll, m_ids.apply, m_ids.cancel,
                          m_ids.sortButtons[0], m_ids.sortButtons[1], m_ids.sortButtons[2]};
  for (std::size_t i = 0; i < m_buttons.size(); ++i) SkinButton(m_buttons[i], buttons[i], this);
  for (std::size_t i = 5; i < m_buttons.size(); ++i) m_buttons[i].SetWindowText("v");
  SkinButton(m_transferButtons[0], IDC_DOWNLOAD, this);
  SkinButton(m_transferButtons[1], IDC_UPLOAD, this);
  m_list.SubclassDlgItem(m_ids.list, this);
  m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  m_list.SetFont("Verdana", 14, FALSE, FALSE);
  m_list.DisableDrag();
  for (int column = 0; column < 5; ++column) m_list.InsertColumn(column, "", LVCFMT_LEFT, 1);
  m_description.SubclassDlgItem(m_ids.description, this);
  m_description.SetFont("Verdana", 16, FALSE, FALSE);
  m_description.SetTextColor(kGreyText);
  LayoutCaptions();
  CaptureLayout();
  return TRUE;
}

void CCalendarPage::CaptureLayout() {
  m_layout.Capture(*this, Anchors(),
                   {m_ids.add, m_ids.remove, m_ids.removeAll, m_ids.apply, m_ids.cancel, IDC_DOWNLOAD, IDC_UPLOAD});
}

void CCalendarPage::LayoutCaptions() {
  // Each caption as wide as its text (at least its minimum), its sort button 15 pixels after it;
  // the columns under them reach from one caption to the next, and never narrower than the first
  // widths, which fit a date and a time.
  CClientDC dc(this);
  RECT list{};
  m_list.GetWindowRect(&list);
  ScreenToClient(&list);
  int x = list.left;
  std::array<int, 2> widths{};
  for (std::size_t i = 0; i < 3; ++i) {
    CWnd* caption = GetDlgItem(static_cast<int>(m_ids.captions[i]));
    CWnd* sort = GetDlgItem(static_cast<int>(m_ids.sortButtons[i]));
    RECT c{}, s{};
    caption->GetWindowRect(&c);
    ScreenToClient(&c);
    sort->GetWindowRect(&s);
    ScreenToClient(&s);
    CString text;
    caption->GetWindowText(text);
    dc.SelectObject(caption->GetFont());
    const int width = std::max(static_cast<int>(dc.GetTextExtent(text).cx) + 4, m_ids.minCaptionWidth[i]);
    const int sortWidth = s.right - s.left;
    const int column = std::max(width + 15 + sortWidth + 4, i < 2 ? m_ids.columnWidths[i] : 0);
    caption->MoveWindow(x, c.top, width, c.bottom - c.top);
    sort->MoveWindow(x + std::max(width + 15, column - sortWidth - 4), s.top, sortWidth, s.bottom - s.top);
    if (i < 2) widths[i] = column;
    x += column;
  }
  // Columns 0 and 1 are one pixel each and come before column 2.
  m_list.SetColumnWidth(2, widths[0] - 2);
  m_list.SetColumnWidth(3, widths[1]);
  StretchDescriptionColumn();
}

void CCalendarPage::StretchDescriptionColumn() {
  RECT client{};
  m_list.GetClientRect(&client);
  int used = 0;
  for (int column = 0; column < 4; ++column) used += m_list.GetColumnWidth(column);
  m_list.SetColumnWidth(4, std::max(static_cast<int>(client.right) - used, 20));
}

LRESULT CCalendarPage::OnSize(WPARAM, LPARAM size) {
  Default();
  m_layout.Apply(*this, LOWORD(size), HIWORD(size));
  if (m_list.m_hWnd) StretchDescriptionColumn();
  return 0;
}

LRESULT CCalendarPage::OnCtlColor(WPARAM dc, LPARAM control) {
  if (HBRUSH white = m_framed.Brush(dc, control)) return reinterpret_cast<LRESULT>(white);
  return Default();
}

bool CCalendarPage::Guarded(UINT id) const {
  const std::vector<UINT> fields = GuardedFields();
  if (m_filling || std::find(fields.begin(), fields.end(), id) == fields.end()) return false;
  if (m_edit.multiSelect) return true;
  return Enabled(m_ids.add) && !m_edit.adding && m_list.GetNextItem(-1, LVNI_SELECTED) < 0;
}

void CCalendarPage::SetPicker(CFlatDateTimeCtrl& picker, const CTime& time) {
  const bool filling = m_filling;
  m_filling = true;
  picker.SetTime(time);
  m_filling = filling;
  NoteShownTime(picker.m_hWnd);
}

void CCalendarPage::NoteShownTime(HWND picker) {
  SYSTEMTIME fields{};
  if (::SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&fields)) != GDT_VALID) return;
  const UINT id = static_cast<UINT>(::GetDlgCtrlID(picker));
  const CTime shown(fields);
  for (auto& [noted, time] : m_shownTimes) {
    if (noted == id) {
      time = shown;
      return;
    }
  }
  m_shownTimes.emplace_back(id, shown);
}

void CCalendarPage::RestoreShownTime(HWND picker) {
  const UINT id = static_cast<UINT>(::GetDlgCtrlID(picker));
  for (const auto& [noted, time] : m_shownTimes) {
    if (noted != id) continue;
    SYSTEMTIME fields{};
    time.GetAsSystemTime(fields);
    const bool filling = m_filling;
    m_filling = true;
    ::SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&fields));
    m_filling = filling;
  }
}

bool CCalendarPage::Enabled(UINT id) const {
  CWnd* item = GetDlgItem(static_cast<int>(id));
  return item != nullptr && ::IsWindowEnabled(item->m_hWnd);
}

void CCalendarPage::Enable(UINT id, bool on) {
  if (CWnd* item = GetDlgItem(static_cast<int>(id))) item->EnableWindow(on ? TRUE : FALSE);
}

bool CCalendarPage::Checked(UINT id) const { return ::IsDlgButtonChecked(m_hWnd, static_cast<int>(id)) == BST_CHECKED; }

void CCalendarPage::Check(UINT id, bool on) { ::CheckDlgButton(m_hWnd, static_cast<int>(id), on ? BST_CHECKED : 0); }

bool CCalendarPage::HasPendingEdit() const { return Enabled(m_ids.apply); }

void CCalendarPage::SetButtons(bool add, bool remove, bool removeAll, bool apply, bool cancel) {
  Enable(m_ids.add, add);
  Enable(m_ids.remove, remove);
  Enable(m_ids.removeAll, removeAll);
  Enable(m_ids.apply, apply);
  Enable(m_ids.cancel, cancel);
}

std::vector<int> CCalendarPage::SelectedSlots() const {
  std::vector<int> slots;
  for (int row = m_list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = m_list.GetNextItem(row, LVNI_SELECTED)) {
    slots.push_back(static_cast<int>(m_list.GetItemData(row)));
  }
  return slots;
}

void CCalendarPage::FoldModified() {
  if (ModelModified()) g_bDocumentModified = TRUE;
  ClearModelModified();
}

void CCalendarPage::BeginEdit() {
  if (m_filling) return;
  if (!m_edit.adding) {
    m_edit.modified = true;
    m_edit.pendingRow = m_list.GetNextItem(-1, LVNI_SELECTED);
  }
  SetButtons(false, false, false, true, true);
}

void CCalendarPage::DeselectAll() {
  m_filling = true;
  for (int row = 0; row < m_list.GetItemCount(); ++row) m_list.SetItemState(row, 0, LVIS_SELECTED);
  m_filling = false;
}

void CCalendarPage::AddRow(int slot, const CString& column2, const CString& column3, const CString& column4) {
  const int row = m_list.AddItem("", slot, 0);
  m_list.SetItemText(row, 2, column2);
  m_list.SetItemText(row, 3, column3);
  m_list.SetItemText(row, 4, column4);
}

int CCalendarPage::AppendNewRow(int slot, const CString& column2, const CString& column3) {
  m_edit.adding = true;
  m_filling = true;
  const int row = m_list.AddItem("", slot, 0);
  m_list.SetItemText(row, 2, column2);
  m_list.SetItemText(row, 3, column3);
  m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_filling = false;
  SetButtons(false, false, false, true, true);
  m_description.SetFocus();
  return row;
}

void CCalendarPage::RefillRows() {
  m_filling = true;
  m_list.LockWindowUpdate();
  m_list.DeleteAllItems();
  bool sorted = false;
  FillRows(sorted);
  if (sorted && m_sortColumn >= 2) m_list.SortByColumn(m_sortColumn, FALSE);
  StretchDescriptionColumn();
  m_list.UnlockWindowUpdate();
  m_filling = false;
  Enable(m_ids.removeAll, m_list.GetItemCount() > 0 && !HasPendingEdit());
  PublishFreeCount();
}

void CCalendarPage::OnSortButton(UINT id) {
  for (int i = 0; i < 3; ++i) {
    if (m_ids.sortButtons[static_cast<std::size_t>(i)] == id) m_sortColumn = i + 2;
  }
  m_filling = true;
  m_list.LockWindowUpdate();
  m_list.SortByColumn(m_sortColumn, TRUE);
  m_list.UnlockWindowUpdate();
  m_filling = false;
}

void CCalendarPage::CancelEdit() {
  if (DaybookMessage(362, m_ids.caption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (m_edit.adding) {
    // The new row goes; the next row (or the one before, when it was the last) takes the selection.
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    m_filling = true;
    if (row >= 0) m_list.DeleteItem(row);
    m_filling = false;
  }
  m_edit = {};
  ClearEditor();
  SetButtons(true, false, m_list.GetItemCount() > 0, false, false);
  m_list.SetFocus();
}

void CCalendarPage::OnDelete() {
  const std::vector<int> slots = SelectedSlots();
  if (slots.empty()) {
    ClearEditor();
    SetButtons(true, false, m_list.GetItemCount() > 0, false, false);
    DaybookMessage(358, m_ids.caption, MB_ICONINFORMATION);
    return;
  }
  if (DaybookMessage(361, m_ids.caption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    SetButtons(true, true, true, false, false);
    return;
  }
  const int rowsBefore = m_list.GetItemCount();
  const int first = m_list.GetNextItem(-1, LVNI_SELECTED);
  DeleteSlots(slots);
  FoldModified();
  m_edit = {};
  RefillRows();
  const int select = SelectionAfterDelete(rowsBefore, first, static_cast<int>(slots.size()));
  if (select >= 0) {
    m_list.SetItemState(select, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetButtons(true, true, true, false, false);
  } else {
    ClearEditor();
    SetButtons(true, false, false, false, false);
  }
  m_list.SetFocus();
}

void CCalendarPage::OnDeleteAll() {
  if (DaybookMessage(m_ids.deleteAllQuestion, m_ids.caption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    SetButtons(true, true, true, false, false);
    return;
  }
  DeleteAllRows();
  FoldModified();
  m_edit = {};
  RefillRows();
  ClearEditor();
  SetButtons(true, false, false, false, false);
  m_list.SetFocus();
}

void CCalendarPage::OnListChanged(NMHDR* header, LRESULT*) {
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
  if (m_filling || !(change->uChanged & LVIF_STATE)) return;
  const std::vector<int> slots = SelectedSlots();
  const bool multi = slots.size() >= 2;
  if (multi != m_edit.multiSelect) {
    m_edit.multiSelect = multi;
    EnableFields(!multi);
  }
  if (multi) {
    ClearEditor();
    SetButtons(true, true, true, false, false);
  } else if (slots.size() == 1 && !m_edit.adding) {
    ShowSlot(slots.front());
  } else if (slots.empty() && !m_edit.adding) {
    ClearEditor();
    SetButtons(true, false, m_list.GetItemCount() > 0, false, false);
  }
}

void CCalendarPage::OnListChanging(NMHDR*, LRESULT* result) { *result = !m_filling && HasPendingEdit() ? 1 : 0; }

void CCalendarPage::OnListRightClick(NMHDR*, LRESULT*) {
  if (HasPendingEdit()) {
    DaybookMessage(kPendingEditText, m_ids.caption, MB_ICONINFORMATION);
    return;
  }
  TrackListMenu(*this);
}

LRESULT CCalendarPage::OnShowWindow(WPARAM show, LPARAM) {
  Default();
  if (show) {
    CString text;
    text.Format(DaybookText(m_ids.freeText), FreeCount());
    PostStatusToLauncher(std::string_view(text, static_cast<std::size_t>(text.GetLength())));
  }
  return 0;
}

// ---- schedule ----

namespace {
constexpr CCalendarPage::Ids kScheduleIds{
    IDD_SCHEDULE, IDC_SCHEDULE_LIST, IDC_SCH_DESCRIPTION, 357, IDC_SCH_ADD, IDC_SCH_DELETE, IDC_SCH_DELETE_ALL,
    IDC_SCH_APPLY, IDC_SCH_CANCEL, 306, 472, 360, {1152, 1153, 1154}, {369, 370, 371},
    {IDC_SORT_SCH_DATE, IDC_SORT_SCH_TIME, IDC_SORT_SCH_TEXT}, {55, 20, 65}, {110, 95}};
}  // namespace

CScheduleDlg::CScheduleDlg(CManager& manager, CWnd* parent) : CCalendarPageOf(kScheduleIds, manager, parent) {}

const AFX_MSGMAP* CScheduleDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CCalendarPage::GetMessageMap(), {
      MapCommand(IDC_SCH_ADD, &CScheduleDlg::OnAdd),
      MapCommand(IDC_SCH_APPLY, &CScheduleDlg::OnApply),
      MapCommand(IDC_SHOW_DAILY, &CScheduleDlg::OnShowDaily),
      MapCommand(IDC_SHOW_ALL, &CScheduleDlg::OnShowAll),
      MapCommand(IDC_SCH_ALARM, &CScheduleDlg::OnFieldChange),
      MapCommand(IDC_SCH_PRIVATE, &CScheduleDlg::OnFieldChange),
      MapControl(CBN_SELCHANGE, IDC_SCH_REPEAT, &CScheduleDlg::OnFieldChange),
      MapControl(CBN_SELCHANGE, IDC_SCH_MELODY, &CScheduleDlg::OnFieldChange),
      MapControl(EN_UPDATE, IDC_SCH_DESCRIPTION, &CScheduleDlg::OnDescriptionChange),
      MapNotify(DTN_DATETIMECHANGE, IDC_SCH_DATE, &CScheduleDlg::OnDayPicked),
      MapNotify(DTN_DATETIMECHANGE, IDC_SCH_TIME, &CScheduleDlg::OnTimeChange),
      MapNotify(MCN_SELCHANGE, IDC_CALENDAR, &CScheduleDlg::OnDayPicked),
  }};
  return &map;
}

std::vector<UINT> CScheduleDlg::GuardedFields() const {
  return {IDC_SCH_DATE, IDC_SCH_TIME, IDC_SCH_REPEAT, IDC_SCH_MELODY, IDC_SCH_ALARM, IDC_SCH_PRIVATE};
}

std::vector<std::pair<UINT, unsigned>> CScheduleDlg::Anchors() const {
  std::vector<std::pair<UINT, unsigned>> anchors = {
      {IDC_SCHEDULE_LIST, kGrowX | kGrowY}, {IDC_SCH_PROGRESS, kMoveY | kGrowX},
      {IDC_CANCEL_TRANSFER, kMoveX | kMoveY}};
  for (UINT id : {IDC_CALENDAR_FRAME, IDC_CALENDAR, IDC_SHOW_DAILY, IDC_SHOW_ALL, IDC_EDITOR_FRAME_SCH,
                  IDC_SCH_DESCRIPTION, IDC_ICON_SCH_DATE, IDC_SCH_DATE, IDC_ICON_SCH_TIME, IDC_SCH_TIME,
                  IDC_ICON_SCH_REPEAT, IDC_SCH_REPEAT, IDC_ICON_SCH_ALARM, IDC_SCH_ALARM, IDC_SCH_MELODY,
                  IDC_ICON_SCH_PRIVATE, IDC_SCH_PRIVATE}) {
    anchors.emplace_back(id, kMoveX);
  }
  return anchors;
}

BOOL CScheduleDlg::OnInitDialog() {
  CCalendarPage::OnInitDialog();
  m_filling = true;
  for (const auto& [id, text] : {std::pair<UINT, UINT>{IDC_SHOW_DAILY, 318}, {IDC_SHOW_ALL, 317}}) {
    CWnd* box = GetDlgItem(static_cast<int>(id));
    box->SetWindowText(DaybookText(text));
    // Each check box 25 pixels wider than its text.
    CClientDC dc(box);
    dc.SelectObject(box->GetFont());
    RECT r{};
    box->GetWindowRect(&r);
    ScreenToClient(&r);
    box->MoveWindow(r.left, r.top, static_cast<int>(dc.GetTextExtent(DaybookText(text)).cx) + 25, r.bottom - r.top);
  }
  m_description.SetLimit(m_model.Manager().GetScheduleMaxDescriptionSize());
  m_date.SubclassDlgItem(IDC_SCH_DATE, this);
  m_time.SubclassDlgItem(IDC_SCH_TIME, this);
  m_calendar.SubclassDlgItem(IDC_CALENDAR, this);
  m_calendar.SetFont("Verdana", 13, FALSE, FALSE);
  m_date.SetFont("Verdana", 13, FALSE, FALSE);
  m_time.SetFont("Verdana", 13, FALSE, FALSE);
  m_date.SetFormat("dd/MM/yyyy");
  m_time.SetFormat("HH:mm");
  const CTime earliest = EarliestPickerTime(), latest = LatestPickerTime();
  m_date.SetRange(&earliest, &latest);
  m_time.SetRange(&earliest, &latest);
  m_calendar.SetRange(&earliest, &latest);
  const CTime now = Now();
  m_calendar.SetCurSel(now);
  SetPicker(m_date, now);
  m_repeat.SubclassDlgItem(IDC_SCH_REPEAT, this);
  m_repeat.SetFont("Verdana", 13, FALSE, FALSE);
  for (UINT id = 402; id <= 405; ++id) m_repeat.AddString(DaybookText(id));
  m_melody.SubclassDlgItem(IDC_SCH_MELODY, this);
  m_melody.SetFont("Verdana", 13, FALSE, FALSE);
  m_calendarFrame.SubclassDlgItem(IDC_CALENDAR_FRAME, this);
  m_framed.Add(*this, m_calendarFrame, {IDC_CALENDAR, IDC_SHOW_DAILY, IDC_SHOW_ALL});
  m_editorFrame.SubclassDlgItem(IDC_EDITOR_FRAME_SCH, this);
  m_framed.Add(*this, m_editorFrame, {IDC_SCH_DESCRIPTION, IDC_ICON_SCH_DATE, IDC_SCH_DATE, IDC_ICON_SCH_TIME, IDC_SCH_TIME,
                        IDC_ICON_SCH_REPEAT, IDC_SCH_REPEAT, IDC_ICON_SCH_ALARM, IDC_SCH_ALARM, IDC_SCH_MELODY,
                        IDC_ICON_SCH_PRIVATE, IDC_SCH_PRIVATE});
  SetMelodies({});
  Check(IDC_SHOW_DAILY, true);
  Check(IDC_SHOW_ALL, false);
  EnableFields(true);
  ClearEditor();
  SetButtons(true, false, false, false, false);
  m_filling = false;
  return TRUE;
}

bool CScheduleDlg::Daily() const { return Checked(IDC_SHOW_DAILY); }

void CScheduleDlg::SetMelodies(std::vector<Melody> melodies) {
  m_melodies = std::move(melodies);
  m_melody.ResetContent();
  m_melody.AddString(DaybookText(407));
  m_melody.SetItemData(0, 0);
  for (const Melody& melody : m_melodies) {
    const int row = m_melody.AddString(melody.name);
    m_melody.SetItemData(row, melody.id);
  }
  m_melody.SetCurSel(0);
}

void CScheduleDlg::ShowAlarmIcons() {
  SetFieldIcon(*this, IDC_ICON_SCH_ALARM, Checked(IDC_SCH_ALARM) ? 211 : 212);
  SetFieldIcon(*this, IDC_ICON_SCH_PRIVATE, Checked(IDC_SCH_PRIVATE) ? 213 : 215);
}

void CScheduleDlg::EnableFields(bool on) {
  for (UINT id : {IDC_SCH_DESCRIPTION, IDC_SCH_ALARM, IDC_SCH_PRIVATE}) Enable(id, on);
  for (const FieldIcon& icon : kScheduleIcons) SetFieldIcon(*this, icon.control, on ? icon.normal : icon.inactive);
  if (!on) {
    // Several rows: the pickers stand on now, as no one entry's date is shown.
    m_calendar.SetCurSel(Now());
    SetPicker(m_date, Now());
  }
}

void CScheduleDlg::ClearEditor() {
  m_filling = true;
  m_description.SetWindowText(Placeholder());
  m_description.SetTextColor(kGreyText);
  m_repeat.SetCurSel(0);
  m_repeat.SetTextColor(kGreyText);
  m_melody.SetCurSel(0);
  m_melody.SetTextColor(kGreyText);
  m_melody.EnableWindow(FALSE);
  Check(IDC_SCH_ALARM, false);
  Check(IDC_SCH_PRIVATE, false);
  ShowAlarmIcons();
  SetPicker(m_time, Now());
  m_filling = false;
}

void CScheduleDlg::FillRows(bool& sorted) {
  CTime day;
  m_date.GetTime(day);
  const bool daily = Daily();
  for (int slot : m_model.Rows(daily, day)) {
    const PA_SCHEDULE_INFO e = m_model.Entry(slot);
    AddRow(slot, DayText(e.tmStart), e.tmStart.Format("%H:%M"), e.strDescription);
  }
  sorted = !daily;  // the daily rows stay in slot order
}

void CScheduleDlg::RefreshList() { RefillRows(); }

bool CScheduleDlg::ClearAll() {
  if (!m_model.ClearAll()) return false;
  m_edit = {};
  m_filling = true;
  m_list.DeleteAllItems();
  m_filling = false;
  ClearEditor();
  SetButtons(true, false, false, false, false);
  const CTime now = Now();
  m_calendar.SetCurSel(now);
  SetPicker(m_date, now);
  return true;
}

void CScheduleDlg::ToggleDaily() { SwitchView(!Daily()); }

void CScheduleDlg::SwitchView(bool daily) {
  if (HasPendingEdit() && m_edit.adding) {
    // The boxes go back to the view that holds the new row.
    Check(IDC_SHOW_DAILY, m_dailyView);
    Check(IDC_SHOW_ALL, !m_dailyView);
    DaybookMessage(kPendingEditText, m_ids.caption, MB_ICONINFORMATION);
    return;
  }
  if (m_edit.multiSelect) {
    m_edit.multiSelect = false;
    EnableFields(true);
  }
  m_dailyView = daily;
  Check(IDC_SHOW_DAILY, daily);
  Check(IDC_SHOW_ALL, !daily);
  RefreshList();
  m_list.SetFocus();
}

void CScheduleDlg::OnFieldChange() {
  if (m_filling) return;
  m_melody.EnableWindow(Checked(IDC_SCH_ALARM) ? TRUE : FALSE);
  m_repeat.SetTextColor(kDarkText);
  m_melody.SetTextColor(kDarkText);
  ShowAlarmIcons();
  BeginEdit();
}

void CScheduleDlg::OnDescriptionChange() {
  if (m_filling) return;
  CString text;
  m_description.GetWindowText(text);
  if (text.IsEmpty() || text == Placeholder()) return;
  m_description.SetTextColor(kDarkText);
  BeginEdit();
}

void CScheduleDlg::OnTimeChange(NMHDR*, LRESULT* result) {
  BeginEdit();
  *result = 0;
}

void CScheduleDlg::OnAdd() {
  DeselectAll();
  ClearEditor();
  if (m_model.IsFull()) {
    m_edit = {};
    SetButtons(true, false, true, false, false);
    DaybookMessage(356, m_ids.caption, MB_ICONINFORMATION);
    m_list.SetFocus();
    return;
  }
  CTime picker;
  m_date.GetTime(picker);
  const CTime start = CScheduleModel::ProposedStart(picker, Now());
  m_filling = true;
  SetPicker(m_date, start);
  m_calendar.SetCurSel(start);
  m_filling = false;
  AppendNewRow(m_model.FreeSlot(), DayText(start), start.Format("%H:%M"));
  m_repeat.SetTextColor(kDarkText);
}

void CScheduleDlg::OnApply() {
  const int selected = m_list.GetNextItem(-1, LVNI_SELECTED);
  const int row = m_edit.TargetRow(selected);
  CTime day, time;
  m_date.GetTime(day);
  m_time.GetTime(time);
  const CTime start(day.GetYear(), day.GetMonth(), day.GetDay(), time.GetHour(), time.GetMinute(), 0);
  const int ownSlot = !m_edit.adding && row >= 0 ? static_cast<int>(m_list.GetItemData(row)) : -1;
  if (m_model.Collides(start, ownSlot)) {
    DaybookMessage(423, m_ids.caption, MB_ICONINFORMATION);
    return;
  }
  int slot = row >= 0 ? static_cast<int>(m_list.GetItemData(row)) : -1;
  if (slot < 0) slot = m_model.FreeSlot();
  if (slot < 0) {
    DaybookMessage(356, m_ids.caption, MB_ICONINFORMATION);
    return;
  }
  ScheduleForm form;
  form.description = FormDescription();
  form.start = start;
  form.repeat = std::max(m_repeat.GetCurSel(), 0);
  form.alarm = Checked(IDC_SCH_ALARM);
  const int melody = std::max(m_melody.GetCurSel(), 0);
  form.melodyName = m_melody.GetFullText(melody);
  form.melodyId = static_cast<DWORD>(m_melody.GetItemData(melody));
  form.isPrivate = Checked(IDC_SCH_PRIVATE);
  if (const EntryPut refused = m_model.Save(slot, form); !refused) {
    RefusedEntry(refused, m_ids.caption, 2015);  // the edit stays open with the user's values
    return;
  }
  FoldModified();
  m_edit = {};
  SetButtons(true, false, true, false, false);
  RefreshList();
  ClearEditor();
  m_list.SetFocus();
}

void CScheduleDlg::DeleteAllRows() {
  CTime day;
  m_date.GetTime(day);
  m_model.DeleteAll(Daily(), day);
}

void CScheduleDlg::ShowSlot(int slot) {
  const PA_SCHEDULE_INFO e = m_model.Entry(slot);
  m_filling = true;
  m_description.SetWindowText(e.strDescription.IsEmpty() ? Placeholder() : e.strDescription);
  m_description.SetTextColor(e.strDescription.IsEmpty() ? kGreyText : kDarkText);
  SetPicker(m_date, e.tmStart);
  SetPicker(m_time, e.tmStart);
  m_calendar.SetCurSel(e.tmStart);
  if (e.bRepeat <= 3) m_repeat.SetCurSel(e.bRepeat);
  m_repeat.SetTextColor(kDarkText);
  Check(IDC_SCH_ALARM, e.bAlarm == 1);
  int melodyRow = 0;
  if (e.bAlarm == 1) {
    const DWORD id = e.dwMelodyId != 0 ? e.dwMelodyId : CScheduleModel::FindMelodyId(e.strMelodyName, m_melodies);
    for (int row = 1; row < m_melody.GetCount() && melodyRow == 0; ++row) {
      if (id != 0 && static_cast<DWORD>(m_melody.GetItemData(row)) == id) melodyRow = row;
    }
  }
  m_melody.SetCurSel(melodyRow);
  m_melody.SetTextColor(melodyRow != 0 ? kDarkText : kGreyText);
  m_melody.EnableWindow(e.bAlarm == 1 ? TRUE : FALSE);
  Check(IDC_SCH_PRIVATE, e.bPrivate == 1);
  ShowAlarmIcons();
  m_filling = false;
  SetButtons(true, true, true, false, false);
}

void CScheduleDlg::OnDayPicked(NMHDR* header, LRESULT*) {
  if (m_filling) return;
  if (m_edit.multiSelect) {
    m_calendar.SetCurSel(Now());
    SetPicker(m_date, Now());
    return;
  }
  CTime day;
  if (header->idFrom == IDC_CALENDAR) {
    m_calendar.GetCurSel(day);
    day = CTime(day.GetYear(), day.GetMonth(), day.GetDay(), 0, 0, 0);
    m_filling = true;
    SetPicker(m_date, day);
    m_filling = false;
  } else {
    m_date.GetTime(day);
    m_filling = true;
    m_calendar.SetCurSel(day);
    m_filling = false;
  }
  if (HasPendingEdit()) {
    if (header->idFrom == IDC_SCH_DATE) BeginEdit();
    return;
  }
  m_filling = true;
  SetPicker(m_time, day);
  m_filling = false;
  ClearEditor();
  m_edit = {};
  SetButtons(true, false, false, false, false);
  RefreshList();
}

// ---- to-do ----

namespace {
constexpr CCalendarPage::Ids kToDoIds{
    IDD_TODO, IDC_TODO_LIST, IDC_TODO_DESCRIPTION, 363, IDC_TODO_ADD, IDC_TODO_DELETE, IDC_TODO_DELETE_ALL,
    IDC_TODO_APPLY, IDC_TODO_CANCEL, 307, 473, 367, {1155, 1156, 1157}, {372, 373, 374},
    {IDC_SORT_TODO_START, IDC_SORT_TODO_DUE, IDC_SORT_TODO_TEXT}, {55, 55, 65}, {135, 120}};
}  // namespace

CToDoDlg::CToDoDlg(CManager& manager, CWnd* parent) : CCalendarPageOf(kToDoIds, manager, parent) {}

const AFX_MSGMAP* CToDoDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CCalendarPage::GetMessageMap(), {
      MapCommand(IDC_TODO_ADD, &CToDoDlg::OnAdd),
      MapCommand(IDC_TODO_APPLY, &CToDoDlg::OnApply),
      MapCommand(IDC_TODO_DONE, &CToDoDlg::OnFieldChange),
      MapCommand(IDC_TODO_PRIVATE, &CToDoDlg::OnFieldChange),
      MapControl(CBN_SELCHANGE, IDC_TODO_PRIORITY, &CToDoDlg::OnFieldChange),
      MapControl(CBN_SELCHANGE, IDC_TODO_CATEGORY, &CToDoDlg::OnFieldChange),
      MapControl(EN_UPDATE, IDC_TODO_DESCRIPTION, &CToDoDlg::OnFieldChange),
      MapNotify(DTN_DATETIMECHANGE, IDC_TODO_START, &CToDoDlg::OnDateChange),
      MapNotify(DTN_DATETIMECHANGE, IDC_TODO_DUE, &CToDoDlg::OnDateChange),
  }};
  return &map;
}

std::vector<UINT> CToDoDlg::GuardedFields() const {
  return {IDC_TODO_START, IDC_TODO_DUE, IDC_TODO_PRIORITY, IDC_TODO_CATEGORY, IDC_TODO_DONE, IDC_TODO_PRIVATE};
}

std::vector<std::pair<UINT, unsigned>> CToDoDlg::Anchors() const {
  std::vector<std::pair<UINT, unsigned>> anchors = {
      {IDC_TODO_LIST, kGrowX | kGrowY}, {IDC_TODO_PROGRESS, kMoveY | kGrowX}, {IDC_CANCEL_TRANSFER, kMoveX | kMoveY}};
  for (UINT id : std::initializer_list<UINT>{IDC_EDITOR_FRAME_TODO, IDC_TODO_DESCRIPTION, IDC_ICON_TODO_START, 1134u, IDC_TODO_START,
                  IDC_ICON_TODO_DUE, 1135u, IDC_TODO_DUE, IDC_ICON_TODO_PRIORITY, IDC_TODO_PRIORITY,
                  IDC_ICON_TODO_CATEGORY, IDC_TODO_CATEGORY, IDC_ICON_TODO_DONE, IDC_TODO_DONE,
                  IDC_ICON_TODO_PRIVATE, IDC_TODO_PRIVATE}) {
    anchors.emplace_back(id, kMoveX);
  }
  return anchors;
}

BOOL CToDoDlg::OnInitDialog() {
  CCalendarPage::OnInitDialog();
  m_filling = true;
  GetDlgItem(1134)->SetWindowText(DaybookText(372));
  GetDlgItem(1135)->SetWindowText(DaybookText(373));
  m_description.SetLimit(m_model.Manager().GetToDoMaxDescriptionSize(PA_TODO_DESCRIPTION));
  m_start.SubclassDlgItem(IDC_TODO_START, this);
  m_due.SubclassDlgItem(IDC_TODO_DUE, this);
  for (CFlatDateTimeCtrl* picker : {&m_start, &m_due}) {
    picker->SetFont("Verdana", 13, FALSE, FALSE);
    picker->SetFormat("dd/MM/yyyy");
    const CTime earliest = EarliestPickerTime(), latest = LatestPickerTime();
    picker->SetRange(&earliest, &latest);
  }
  m_priority.SubclassDlgItem(IDC_TODO_PRIORITY, this);
  for (UINT id = 451; id <= 453; ++id) m_priority.AddString(DaybookText(id));
  m_category.SubclassDlgItem(IDC_TODO_CATEGORY, this);
  for (UINT id = 447; id <= 449; ++id) m_category.AddString(DaybookText(id));
  for (CFlatComboBox* combo : {&m_priority, &m_category}) combo->SetFont("Verdana", 13, FALSE, FALSE);
  m_editorFrame.SubclassDlgItem(IDC_EDITOR_FRAME_TODO, this);
  if (!m_model.HasExtendedFields()) {
    // The phone's to-do record has no priority, category or private field: their controls go, and
    // the done box and the frame close up below the dates.
    for (UINT id : {IDC_TODO_PRIORITY, IDC_ICON_TODO_PRIORITY, IDC_TODO_CATEGORY, IDC_ICON_TODO_CATEGORY,
                    IDC_TODO_PRIVATE, IDC_ICON_TODO_PRIVATE}) {
      GetDlgItem(static_cast<int>(id))->ShowWindow(SW_HIDE);
    }
    const auto rectOf = [this](UINT id) {
      RECT r{};
      GetDlgItem(static_cast<int>(id))->GetWindowRect(&r);
      ScreenToClient(&r);
      return r;
    };
    const int rise = rectOf(IDC_ICON_TODO_DONE).top - rectOf(IDC_ICON_TODO_PRIORITY).top;
    for (UINT id : {IDC_ICON_TODO_DONE, IDC_TODO_DONE}) {
      const RECT r = rectOf(id);
      GetDlgItem(static_cast<int>(id))->MoveWindow(r.left, r.top - rise, r.right - r.left, r.bottom - r.top);
    }
    const RECT frame = rectOf(IDC_EDITOR_FRAME_TODO);
    m_editorFrame.MoveWindow(frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top - rise);
    // The layout measured the controls before they moved.
    CaptureLayout();
  }
  m_framed.Add(*this, m_editorFrame, {IDC_TODO_DESCRIPTION, IDC_ICON_TODO_START, 1134u, IDC_TODO_START, IDC_ICON_TODO_DUE, 1135u,
                        IDC_TODO_DUE, IDC_ICON_TODO_PRIORITY, IDC_TODO_PRIORITY, IDC_ICON_TODO_CATEGORY,
                        IDC_TODO_CATEGORY, IDC_ICON_TODO_DONE, IDC_TODO_DONE, IDC_ICON_TODO_PRIVATE,
                        IDC_TODO_PRIVATE});
  EnableFields(true);
  ClearEditor();
  SetButtons(true, false, false, false, false);
  m_filling = false;
  return TRUE;
}

void CToDoDlg::ShowCheckIcons() {
  SetFieldIcon(*this, IDC_ICON_TODO_DONE, Checked(IDC_TODO_DONE) ? 164 : 163);
  SetFieldIcon(*this, IDC_ICON_TODO_PRIVATE, Checked(IDC_TODO_PRIVATE) ? 204 : 205);
}

void CToDoDlg::EnableFields(bool on) {
  for (UINT id : {IDC_TODO_DESCRIPTION, IDC_TODO_DONE, IDC_TODO_PRIVATE}) Enable(id, on);
  for (const FieldIcon& icon : kToDoIcons) SetFieldIcon(*this, icon.control, on ? icon.normal : icon.inactive);
}

void CToDoDlg::ClearEditor() {
  m_filling = true;
  m_description.SetWindowText(Placeholder());
  m_description.SetTextColor(kGreyText);
  m_category.SetCurSel(0);
  m_priority.SetCurSel(1);
  for (CFlatComboBox* combo : {&m_priority, &m_category}) combo->SetTextColor(kGreyText);
  const CTime now = Now();
  SetPicker(m_start, now);
  SetPicker(m_due, now);
  Check(IDC_TODO_DONE, false);
  Check(IDC_TODO_PRIVATE, false);
  ShowCheckIcons();
  m_filling = false;
}

void CToDoDlg::FillRows(bool& sorted) {
  for (int slot : m_model.Rows()) {
    const PA_TODO_INFO t = m_model.Item(slot);
    AddRow(slot, DayText(t.tmStart), DayText(t.tmDue), t.strDescription);
  }
  sorted = true;
}

void CToDoDlg::RefreshList() { RefillRows(); }

void CToDoDlg::ClearAll() {
  m_model.ClearAll();
  m_edit = {};
  m_filling = true;
  m_list.DeleteAllItems();
  m_filling = false;
  ClearEditor();
  SetButtons(true, false, false, false, false);
}

void CToDoDlg::OnFieldChange() {
  if (m_filling) return;
  for (CFlatComboBox* combo : {&m_priority, &m_category}) combo->SetTextColor(kDarkText);
  m_description.SetTextColor(kDarkText);
  ShowCheckIcons();
  BeginEdit();
}

void CToDoDlg::OnDateChange(NMHDR* header, LRESULT*) {
  if (m_filling) return;
  if (header->idFrom == IDC_TODO_START) {
    CTime start, due;
    m_start.GetTime(start);
    m_due.GetTime(due);
    const CTime moved = CToDoModel::DueAfterStartChange(start, due);
    if (moved != due) {
      m_filling = true;
      SetPicker(m_due, moved);
      m_filling = false;
    }
  }
  BeginEdit();
}

void CToDoDlg::OnAdd() {
  DeselectAll();
  ClearEditor();
  const int slot = m_model.FreeSlot();
  if (slot < 0) {
    m_edit = {};
    SetButtons(true, false, true, false, false);
    DaybookMessage(365, m_ids.caption, MB_ICONINFORMATION);
    return;
  }
  CTime start, due;
  m_start.GetTime(start);
  m_due.GetTime(due);
  AppendNewRow(slot, DayText(start), DayText(due));
  for (CFlatComboBox* combo : {&m_priority, &m_category}) combo->SetTextColor(kDarkText);
}

void CToDoDlg::OnApply() {
  ToDoForm form;
  m_start.GetTime(form.start);
  m_due.GetTime(form.due);
  if (CToDoModel::StartAfterDue(form.start, form.due)) {
    Enable(IDC_TODO_CANCEL, true);
    DaybookMessage(366, m_ids.caption, MB_ICONINFORMATION);
    return;
  }
  const int row = m_edit.TargetRow(m_list.GetNextItem(-1, LVNI_SELECTED));
  const int slot = row >= 0 ? static_cast<int>(m_list.GetItemData(row)) : m_model.FreeSlot();
  if (slot < 0) {
    DaybookMessage(365, m_ids.caption, MB_ICONINFORMATION);
    return;
  }
  form.description = FormDescription();
  form.done = Checked(IDC_TODO_DONE);
  form.priority = std::max(m_priority.GetCurSel(), 0);
  form.category = std::max(m_category.GetCurSel(), 0);
  form.isPrivate = Checked(IDC_TODO_PRIVATE);
  if (const EntryPut refused = m_model.Save(slot, form); !refused) {
    RefusedEntry(refused, m_ids.caption, 2019);
    return;
  }
  FoldModified();
  m_edit = {};
  RefreshList();
  ClearEditor();
  SetButtons(true, false, true, false, false);
  m_list.SetFocus();
}

void CToDoDlg::ShowSlot(int slot) {
  const PA_TODO_INFO t = m_model.Item(slot);
  m_filling = true;
  m_description.SetWindowText(t.strDescription.IsEmpty() ? Placeholder() : t.strDescription);
  m_description.SetTextColor(t.strDescription.IsEmpty() ? kGreyText : kDarkText);
  SetPicker(m_start, t.tmStart);
  SetPicker(m_due, t.tmDue);
  if (t.bCategory <= 2) m_category.SetCurSel(t.bCategory);
  if (t.bPriority <= 2) m_priority.SetCurSel(t.bPriority);
  for (CFlatComboBox* combo : {&m_priority, &m_category}) combo->SetTextColor(kDarkText);
  Check(IDC_TODO_DONE, t.bStatus != 0);
  Check(IDC_TODO_PRIVATE, t.bPrivate != 0);
  ShowCheckIcons();
  m_filling = false;
  SetButtons(true, true, true, false, false);
}
