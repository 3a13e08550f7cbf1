// The schedule and to-do pages; see CalendarPages.h.
#include "CalendarPages.h"

#include "Daybook.h"
#include "MainDialogRules.h"
#include "resource.h"

#include <controls/DateTime.h>
#include <controls/ListView.h>
#include <user/Dialog.h>

using namespace daybook;

namespace {

constexpr UINT kScheduleCaption = 306;
constexpr UINT kToDoCaption = 307;

CTime Now() {
  const CTime now = CTime::GetCurrentTime();
  return std::min(std::max(now, EarliestPickerTime()), LatestPickerTime());
}

void Post(CEmbeddableDialog& page, UINT textId, int free) {
  if (!page.IsWindowVisible()) return;
  CString text;
  text.Format(DaybookText(textId), free);
  page.PostStatusToLauncher(std::string_view(text, static_cast<std::size_t>(text.GetLength())));
}

std::vector<int> Selected(const CListCtrl& list) {
  std::vector<int> slots;
  for (int row = list.GetNextItem(-1, LVNI_SELECTED); row >= 0; row = list.GetNextItem(row, LVNI_SELECTED)) {
    slots.push_back(static_cast<int>(list.GetItemData(row)));
  }
  return slots;
}

void EnableItem(CWnd& page, UINT id, bool on) {
  if (CWnd* item = page.GetDlgItem(static_cast<int>(id))) item->EnableWindow(on ? TRUE : FALSE);
}

bool Enabled(const CWnd& page, UINT id) {
  CWnd* item = page.GetDlgItem(static_cast<int>(id));
  return item != nullptr && ::IsWindowEnabled(item->m_hWnd);
}

bool Checked(const CWnd& page, UINT id) { return ::IsDlgButtonChecked(page.m_hWnd, static_cast<int>(id)) == BST_CHECKED; }

void Check(CWnd& page, UINT id, bool on) { ::CheckDlgButton(page.m_hWnd, static_cast<int>(id), on ? BST_CHECKED : 0); }

CString DayText(const CTime& time) { return time.Format("%d/%m/%Y"); }

void RefusedEntry(const EntryPut& refused, UINT caption) {
  CString text;
  text.Format(DaybookText(2005), static_cast<LPCSTR>(DaybookText(refused.field == EntryField::Description ? 2014 : 2015)));
  DaybookMessageText(text, caption, MB_ICONEXCLAMATION);
}

}  // namespace

// ---- schedule ----

CScheduleDlg::CScheduleDlg(CManager& manager, CWnd* parent)
    : CEmbeddableDialog(IDD_SCHEDULE, parent, FALSE), m_model(manager) {}

const AFX_MSGMAP* CScheduleDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CEmbeddableDialog::GetMessageMap(), {
      MapCommand(IDC_SCH_ADD, &CScheduleDlg::OnAdd),
      MapCommand(IDC_DOWNLOAD, &CScheduleDlg::OnDownloadButton),
      MapCommand(IDC_UPLOAD, &CScheduleDlg::OnUploadButton),
      MapCommand(IDC_CANCEL_TRANSFER, &CScheduleDlg::OnCancelTransferButton),
      MapCommand(IDC_SCH_DELETE, &CScheduleDlg::OnDelete),
      MapCommand(IDC_SCH_DELETE_ALL, &CScheduleDlg::OnDeleteAll),
      MapCommand(IDC_SCH_APPLY, &CScheduleDlg::OnApply),
      MapCommand(IDC_SCH_CANCEL, &CScheduleDlg::OnCancel),
      MapCommand(IDC_SHOW_DAILY, &CScheduleDlg::OnShowDaily),
      MapCommand(IDC_SHOW_ALL, &CScheduleDlg::OnShowAll),
      MapCommand(IDC_SCH_ALARM, &CScheduleDlg::OnFieldChange),
      MapCommand(IDC_SCH_PRIVATE, &CScheduleDlg::OnFieldChange),
      MapControl(CBN_SELCHANGE, IDC_SCH_REPEAT, &CScheduleDlg::OnFieldChange),
      MapControl(CBN_SELCHANGE, IDC_SCH_MELODY, &CScheduleDlg::OnFieldChange),
      MapControl(EN_UPDATE, IDC_SCH_DESCRIPTION, &CScheduleDlg::OnDescriptionChange),
      MapNotify(DTN_DATETIMECHANGE, IDC_SCH_DATE, &CScheduleDlg::OnDayPicked),
      MapNotify(DTN_DATETIMECHANGE, IDC_SCH_TIME, &CScheduleDlg::OnListChanging),
      MapNotify(MCN_SELCHANGE, IDC_CALENDAR, &CScheduleDlg::OnDayPicked),
      MapNotify(LVN_ITEMCHANGED, IDC_SCHEDULE_LIST, &CScheduleDlg::OnListChanged),
      MapNotify(LVN_ITEMCHANGING, IDC_SCHEDULE_LIST, &CScheduleDlg::OnListChanging),
      MapMessage(WM_SHOWWINDOW, &CScheduleDlg::OnShowWindow),
  }};
  return &map;
}

BOOL CScheduleDlg::OnInitDialog() {
  CEmbeddableDialog::OnInitDialog();
  m_filling = true;
  const std::pair<UINT, UINT> texts[] = {{IDC_SCH_ADD, 316}, {IDC_SCH_DELETE, 312}, {IDC_SCH_DELETE_ALL, 313},
                                         {IDC_SCH_APPLY, 314}, {IDC_SCH_CANCEL, 315}, {IDC_SHOW_DAILY, 318},
                                         {IDC_SHOW_ALL, 317}, {IDC_UPLOAD, 468}, {IDC_DOWNLOAD, 469},
                                         {1152, 369}, {1153, 370}, {1154, 371}};
  for (const auto& [id, text] : texts) GetDlgItem(static_cast<int>(id))->SetWindowText(DaybookText(text));
  m_list.SubclassDlgItem(IDC_SCHEDULE_LIST, this);
  m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  m_list.InsertColumn(0, "", LVCFMT_LEFT, 1);
  m_list.InsertColumn(1, "", LVCFMT_LEFT, 1);
  m_list.InsertColumn(2, "", LVCFMT_LEFT, 110);
  m_list.InsertColumn(3, "", LVCFMT_LEFT, 95);
  m_list.InsertColumn(4, "", LVCFMT_LEFT, 266);
  m_description.SubclassDlgItem(IDC_SCH_DESCRIPTION, this);
  m_description.SetLimit(m_model.Manager().GetScheduleMaxDescriptionSize());
  m_date.SubclassDlgItem(IDC_SCH_DATE, this);
  m_time.SubclassDlgItem(IDC_SCH_TIME, this);
  m_calendar.SubclassDlgItem(IDC_CALENDAR, this);
  m_date.SetFormat("dd/MM/yyyy");
  m_time.SetFormat("HH:mm");
  const CTime earliest = EarliestPickerTime(), latest = LatestPickerTime();
  m_date.SetRange(&earliest, &latest);
  m_time.SetRange(&earliest, &latest);
  m_calendar.SetRange(&earliest, &latest);
  m_repeat.SubclassDlgItem(IDC_SCH_REPEAT, this);
  for (UINT id = 402; id <= 405; ++id) m_repeat.AddString(DaybookText(id));
  m_melody.SubclassDlgItem(IDC_SCH_MELODY, this);
  SetMelodies({});
  Check(*this, IDC_SHOW_DAILY, true);
  Check(*this, IDC_SHOW_ALL, false);
  ClearEditor();
  SetButtons(true, false, false, false, false);
  m_filling = false;
  return TRUE;
}

bool CScheduleDlg::Daily() const { return Checked(*this, IDC_SHOW_DAILY); }

bool CScheduleDlg::HasPendingEdit() const { return Enabled(*this, IDC_SCH_APPLY); }

void CScheduleDlg::SetButtons(bool add, bool remove, bool removeAll, bool apply, bool cancel) {
  EnableItem(*this, IDC_SCH_ADD, add);
  EnableItem(*this, IDC_SCH_DELETE, remove);
  EnableItem(*this, IDC_SCH_DELETE_ALL, removeAll);
  EnableItem(*this, IDC_SCH_APPLY, apply);
  EnableItem(*this, IDC_SCH_CANCEL, cancel);
}

std::vector<int> CScheduleDlg::SelectedSlots() const { return Selected(m_list); }

void CScheduleDlg::FoldModified() {
  if (m_model.Modified()) g_bDocumentModified = TRUE;
  m_model.SetModified(false);
}

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

void CScheduleDlg::ClearEditor() {
  m_filling = true;
  m_description.SetWindowText(kDescriptionPlaceholder);
  m_repeat.SetCurSel(0);
  m_melody.SetCurSel(0);
  m_melody.EnableWindow(FALSE);
  Check(*this, IDC_SCH_ALARM, false);
  Check(*this, IDC_SCH_PRIVATE, false);
  const CTime now = Now();
  m_time.SetTime(now);
  m_filling = false;
}

void CScheduleDlg::RefreshList() {
  m_filling = true;
  m_list.DeleteAllItems();
  CTime day;
  m_date.GetTime(day);
  for (int slot : m_model.Rows(Daily(), day)) {
    const PA_SCHEDULE_INFO e = m_model.Entry(slot);
    const int row = m_list.AddItem("", slot, 0);
    m_list.SetItemText(row, 2, DayText(e.tmStart));
    m_list.SetItemText(row, 3, e.tmStart.Format("%H:%M"));
    m_list.SetItemText(row, 4, e.strDescription);
  }
  m_filling = false;
  EnableItem(*this, IDC_SCH_DELETE_ALL, m_list.GetItemCount() > 0 && !HasPendingEdit());
  PublishFreeCount();
}

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
  m_date.SetTime(now);
  return true;
}

void CScheduleDlg::PublishFreeCount() { Post(*this, 472, m_model.FreeCount()); }

void CScheduleDlg::ToggleDaily() {
  if (Daily()) {
    OnShowAll();
  } else {
    OnShowDaily();
  }
}

void CScheduleDlg::OnShowDaily() {
  if (HasPendingEdit() && m_edit.adding) {
    Check(*this, IDC_SHOW_DAILY, !Checked(*this, IDC_SHOW_ALL));
    DaybookMessage(kPendingEditText, kScheduleCaption, MB_ICONINFORMATION);
    return;
  }
  Check(*this, IDC_SHOW_DAILY, true);
  Check(*this, IDC_SHOW_ALL, false);
  RefreshList();
}

void CScheduleDlg::OnShowAll() {
  if (HasPendingEdit() && m_edit.adding) {
    Check(*this, IDC_SHOW_ALL, !Checked(*this, IDC_SHOW_DAILY));
    DaybookMessage(kPendingEditText, kScheduleCaption, MB_ICONINFORMATION);
    return;
  }
  Check(*this, IDC_SHOW_ALL, true);
  Check(*this, IDC_SHOW_DAILY, false);
  RefreshList();
}

void CScheduleDlg::BeginEdit() {
  if (m_filling) return;
  if (!m_edit.adding) {
    m_edit.modified = true;
    m_edit.pendingRow = m_list.GetNextItem(-1, LVNI_SELECTED);
  }
  SetButtons(false, false, false, true, true);
}

void CScheduleDlg::OnFieldChange() {
  if (m_filling) return;
  m_melody.EnableWindow(Checked(*this, IDC_SCH_ALARM) ? TRUE : FALSE);
  BeginEdit();
}

void CScheduleDlg::OnDescriptionChange() {
  if (m_filling) return;
  CString text;
  m_description.GetWindowText(text);
  if (text.IsEmpty() || text == kDescriptionPlaceholder) return;
  BeginEdit();
}

void CScheduleDlg::OnAdd() {
  m_filling = true;
  for (int row = 0; row < m_list.GetItemCount(); ++row) m_list.SetItemState(row, 0, LVIS_SELECTED);
  m_filling = false;
  ClearEditor();
  if (m_model.IsFull()) {
    m_edit = {};
    SetButtons(true, false, true, false, false);
    DaybookMessage(356, kScheduleCaption, MB_ICONINFORMATION);
    return;
  }
  CTime picker;
  m_date.GetTime(picker);
  const CTime start = CScheduleModel::ProposedStart(picker, Now());
  m_date.SetTime(start);
  m_calendar.SetCurSel(start);
  m_edit.adding = true;
  m_filling = true;
  const int row = m_list.AddItem("", m_model.FreeSlot(), 0);
  m_list.SetItemText(row, 2, DayText(start));
  m_list.SetItemText(row, 3, start.Format("%H:%M"));
  m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_filling = false;
  SetButtons(false, false, false, true, true);
  m_description.SetFocus();
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
    DaybookMessage(423, kScheduleCaption, MB_ICONINFORMATION);
    return;
  }
  int slot = row >= 0 ? static_cast<int>(m_list.GetItemData(row)) : -1;
  if (slot < 0) slot = m_model.FreeSlot();
  if (slot < 0) {
    DaybookMessage(356, kScheduleCaption, MB_ICONINFORMATION);
    return;
  }
  ScheduleForm form;
  m_description.GetWindowText(form.description);
  form.start = start;
  form.repeat = std::max(m_repeat.GetCurSel(), 0);
  form.alarm = Checked(*this, IDC_SCH_ALARM);
  const int melody = std::max(m_melody.GetCurSel(), 0);
  m_melody.GetLBText(melody, form.melodyName);
  form.melodyId = static_cast<DWORD>(m_melody.GetItemData(melody));
  form.isPrivate = Checked(*this, IDC_SCH_PRIVATE);
  if (const EntryPut refused = m_model.Save(slot, form); !refused) {
    RefusedEntry(refused, kScheduleCaption);  // the edit stays open with the user's values
    return;
  }
  FoldModified();
  m_edit = {};
  SetButtons(true, false, true, false, false);
  RefreshList();
  ClearEditor();
  m_list.SetFocus();
}

void CScheduleDlg::OnCancel() {
  if (DaybookMessage(362, kScheduleCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (m_edit.adding) {
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

void CScheduleDlg::OnDelete() {
  const std::vector<int> slots = SelectedSlots();
  if (slots.empty()) {
    ClearEditor();
    SetButtons(true, false, false, false, false);
    DaybookMessage(358, kScheduleCaption, MB_ICONINFORMATION);
    return;
  }
  if (DaybookMessage(361, kScheduleCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    SetButtons(true, true, true, false, false);
    return;
  }
  const int rowsBefore = m_list.GetItemCount();
  const int first = m_list.GetNextItem(-1, LVNI_SELECTED);
  m_model.Delete(slots);
  FoldModified();
  m_edit = {};
  RefreshList();
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

void CScheduleDlg::OnDeleteAll() {
  if (DaybookMessage(360, kScheduleCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    SetButtons(true, true, true, false, false);
    return;
  }
  CTime day;
  m_date.GetTime(day);
  m_model.DeleteAll(Daily(), day);
  FoldModified();
  m_edit = {};
  RefreshList();
  ClearEditor();
  SetButtons(true, false, false, false, false);
}

void CScheduleDlg::ShowEntry(int slot) {
  const PA_SCHEDULE_INFO e = m_model.Entry(slot);
  m_filling = true;
  m_description.SetWindowText(e.strDescription.IsEmpty() ? CString(kDescriptionPlaceholder) : e.strDescription);
  m_date.SetTime(e.tmStart);
  m_time.SetTime(e.tmStart);
  m_calendar.SetCurSel(e.tmStart);
  if (e.bRepeat <= 3) m_repeat.SetCurSel(e.bRepeat);
  Check(*this, IDC_SCH_ALARM, e.bAlarm == 1);
  int melodyRow = 0;
  if (e.bAlarm == 1) {
    const DWORD id = e.dwMelodyId != 0 ? e.dwMelodyId : CScheduleModel::FindMelodyId(e.strMelodyName, m_melodies);
    for (int row = 1; row < m_melody.GetCount() && melodyRow == 0; ++row) {
      if (id != 0 && static_cast<DWORD>(m_melody.GetItemData(row)) == id) melodyRow = row;
    }
  }
  m_melody.SetCurSel(melodyRow);
  m_melody.EnableWindow(e.bAlarm == 1 ? TRUE : FALSE);
  Check(*this, IDC_SCH_PRIVATE, e.bPrivate == 1);
  m_filling = false;
  SetButtons(true, true, true, false, false);
}

void CScheduleDlg::OnListChanged(NMHDR* header, LRESULT*) {
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
  if (m_filling || !(change->uChanged & LVIF_STATE)) return;
  const std::vector<int> slots = SelectedSlots();
  const bool multi = slots.size() >= 2;
  if (multi != m_edit.multiSelect) {
    m_edit.multiSelect = multi;
    for (UINT id : {IDC_SCH_DESCRIPTION, IDC_SCH_ALARM, IDC_SCH_PRIVATE}) EnableItem(*this, id, !multi);
  }
  if (multi) {
    ClearEditor();
    SetButtons(true, true, true, false, false);
  } else if (slots.size() == 1 && !m_edit.adding) {
    ShowEntry(slots.front());
  } else if (slots.empty() && !m_edit.adding) {
    ClearEditor();
    SetButtons(true, false, m_list.GetItemCount() > 0, false, false);
  }
}

void CScheduleDlg::OnListChanging(NMHDR* header, LRESULT* result) {
  if (header->idFrom == IDC_SCH_TIME) {
    // A time changed: the edit begins.
    BeginEdit();
    *result = 0;
    return;
  }
  *result = !m_filling && HasPendingEdit() ? 1 : 0;
}

void CScheduleDlg::OnDayPicked(NMHDR* header, LRESULT*) {
  if (m_filling) return;
  if (m_edit.multiSelect) {
    m_calendar.SetCurSel(Now());
    m_date.SetTime(Now());
    return;
  }
  CTime day;
  if (header->idFrom == IDC_CALENDAR) {
    m_calendar.GetCurSel(day);
    day = CTime(day.GetYear(), day.GetMonth(), day.GetDay(), 0, 0, 0);
    m_filling = true;
    m_date.SetTime(day);
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
  m_time.SetTime(day);
  m_filling = false;
  ClearEditor();
  m_edit = {};
  SetButtons(true, false, false, false, false);
  RefreshList();
}

LRESULT CScheduleDlg::OnShowWindow(WPARAM show, LPARAM) {
  Default();
  if (show) {
    CString text;
    text.Format(DaybookText(472), m_model.FreeCount());
    PostStatusToLauncher(std::string_view(text, static_cast<std::size_t>(text.GetLength())));
  }
  return 0;
}

// ---- to-do ----

CToDoDlg::CToDoDlg(CManager& manager, CWnd* parent) : CEmbeddableDialog(IDD_TODO, parent, FALSE), m_model(manager) {}

const AFX_MSGMAP* CToDoDlg::GetMessageMap() const {
  static const AFX_MSGMAP map{CEmbeddableDialog::GetMessageMap(), {
      MapCommand(IDC_TODO_ADD, &CToDoDlg::OnAdd),
      MapCommand(IDC_DOWNLOAD, &CToDoDlg::OnDownloadButton),
      MapCommand(IDC_UPLOAD, &CToDoDlg::OnUploadButton),
      MapCommand(IDC_CANCEL_TRANSFER, &CToDoDlg::OnCancelTransferButton),
      MapCommand(IDC_TODO_DELETE, &CToDoDlg::OnDelete),
      MapCommand(IDC_TODO_DELETE_ALL, &CToDoDlg::OnDeleteAll),
      MapCommand(IDC_TODO_APPLY, &CToDoDlg::OnApply),
      MapCommand(IDC_TODO_CANCEL, &CToDoDlg::OnCancel),
      MapCommand(IDC_TODO_DONE, &CToDoDlg::OnFieldChange),
      MapCommand(IDC_TODO_PRIVATE, &CToDoDlg::OnFieldChange),
      MapControl(CBN_SELCHANGE, IDC_TODO_PRIORITY, &CToDoDlg::OnFieldChange),
      MapControl(CBN_SELCHANGE, IDC_TODO_CATEGORY, &CToDoDlg::OnFieldChange),
      MapControl(EN_UPDATE, IDC_TODO_DESCRIPTION, &CToDoDlg::OnFieldChange),
      MapNotify(DTN_DATETIMECHANGE, IDC_TODO_START, &CToDoDlg::OnStartChange),
      MapNotify(DTN_DATETIMECHANGE, IDC_TODO_DUE, &CToDoDlg::OnStartChange),
      MapNotify(LVN_ITEMCHANGED, IDC_TODO_LIST, &CToDoDlg::OnListChanged),
      MapNotify(LVN_ITEMCHANGING, IDC_TODO_LIST, &CToDoDlg::OnListChanging),
      MapMessage(WM_SHOWWINDOW, &CToDoDlg::OnShowWindow),
  }};
  return &map;
}

BOOL CToDoDlg::OnInitDialog() {
  CEmbeddableDialog::OnInitDialog();
  m_filling = true;
  const std::pair<UINT, UINT> texts[] = {{IDC_TODO_ADD, 316}, {IDC_TODO_DELETE, 312}, {IDC_TODO_DELETE_ALL, 313},
                                         {IDC_TODO_APPLY, 314}, {IDC_TODO_CANCEL, 315}, {IDC_UPLOAD, 468},
                                         {IDC_DOWNLOAD, 469}, {1155, 372}, {1156, 373}, {1157, 374},
                                         {1134, 372}, {1135, 373}};
  for (const auto& [id, text] : texts) GetDlgItem(static_cast<int>(id))->SetWindowText(DaybookText(text));
  m_list.SubclassDlgItem(IDC_TODO_LIST, this);
  m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  m_list.InsertColumn(0, "", LVCFMT_LEFT, 1);
  m_list.InsertColumn(1, "", LVCFMT_LEFT, 1);
  m_list.InsertColumn(2, "", LVCFMT_LEFT, 135);
  m_list.InsertColumn(3, "", LVCFMT_LEFT, 120);
  m_list.InsertColumn(4, "", LVCFMT_LEFT, 202);
  m_description.SubclassDlgItem(IDC_TODO_DESCRIPTION, this);
  m_description.SetLimit(m_model.Manager().GetToDoMaxDescriptionSize(PA_TODO_DESCRIPTION));
  m_start.SubclassDlgItem(IDC_TODO_START, this);
  m_due.SubclassDlgItem(IDC_TODO_DUE, this);
  m_start.SetFormat("dd/MM/yyyy");
  m_due.SetFormat("dd/MM/yyyy");
  const CTime earliest = EarliestPickerTime(), latest = LatestPickerTime();
  m_start.SetRange(&earliest, &latest);
  m_due.SetRange(&earliest, &latest);
  m_priority.SubclassDlgItem(IDC_TODO_PRIORITY, this);
  for (UINT id = 451; id <= 453; ++id) m_priority.AddString(DaybookText(id));
  m_category.SubclassDlgItem(IDC_TODO_CATEGORY, this);
  for (UINT id = 447; id <= 449; ++id) m_category.AddString(DaybookText(id));
  if (!m_model.HasExtendedFields()) {
    for (UINT id : {IDC_TODO_PRIORITY, IDC_TODO_CATEGORY, IDC_TODO_PRIVATE}) GetDlgItem(static_cast<int>(id))->ShowWindow(SW_HIDE);
  }
  ClearEditor();
  SetButtons(true, false, false, false, false);
  m_filling = false;
  return TRUE;
}

bool CToDoDlg::HasPendingEdit() const { return Enabled(*this, IDC_TODO_APPLY); }

void CToDoDlg::SetButtons(bool add, bool remove, bool removeAll, bool apply, bool cancel) {
  EnableItem(*this, IDC_TODO_ADD, add);
  EnableItem(*this, IDC_TODO_DELETE, remove);
  EnableItem(*this, IDC_TODO_DELETE_ALL, removeAll);
  EnableItem(*this, IDC_TODO_APPLY, apply);
  EnableItem(*this, IDC_TODO_CANCEL, cancel);
}

std::vector<int> CToDoDlg::SelectedSlots() const { return Selected(m_list); }

void CToDoDlg::FoldModified() {
  if (m_model.Modified()) g_bDocumentModified = TRUE;
  m_model.SetModified(false);
}

void CToDoDlg::ClearEditor() {
  m_filling = true;
  m_description.SetWindowText(kDescriptionPlaceholder);
  m_category.SetCurSel(0);
  m_priority.SetCurSel(1);
  const CTime now = Now();
  m_start.SetTime(now);
  m_due.SetTime(now);
  Check(*this, IDC_TODO_DONE, false);
  Check(*this, IDC_TODO_PRIVATE, false);
  m_filling = false;
}

void CToDoDlg::RefreshList() {
  m_filling = true;
  m_list.DeleteAllItems();
  for (int slot : m_model.Rows()) {
    const PA_TODO_INFO t = m_model.Item(slot);
    const int row = m_list.AddItem("", slot, 0);
    m_list.SetItemText(row, 2, DayText(t.tmStart));
    m_list.SetItemText(row, 3, DayText(t.tmDue));
    m_list.SetItemText(row, 4, t.strDescription);
  }
  m_filling = false;
  EnableItem(*this, IDC_TODO_DELETE_ALL, m_list.GetItemCount() > 0 && !HasPendingEdit());
  PublishFreeCount();
}

void CToDoDlg::ClearAll() {
  m_model.ClearAll();
  m_edit = {};
  m_filling = true;
  m_list.DeleteAllItems();
  m_filling = false;
  ClearEditor();
  SetButtons(true, false, false, false, false);
}

void CToDoDlg::PublishFreeCount() { Post(*this, 473, m_model.FreeCount()); }

void CToDoDlg::BeginEdit() {
  if (m_filling) return;
  if (!m_edit.adding) {
    m_edit.modified = true;
    m_edit.pendingRow = m_list.GetNextItem(-1, LVNI_SELECTED);
  }
  SetButtons(false, false, false, true, true);
}

void CToDoDlg::OnFieldChange() {
  if (m_filling) return;
  CString text;
  m_description.GetWindowText(text);
  BeginEdit();
}

void CToDoDlg::OnStartChange(NMHDR* header, LRESULT*) {
  if (m_filling) return;
  if (header->idFrom == IDC_TODO_START) {
    CTime start, due;
    m_start.GetTime(start);
    m_due.GetTime(due);
    const CTime moved = CToDoModel::DueAfterStartChange(start, due);
    if (moved != due) {
      m_filling = true;
      m_due.SetTime(moved);
      m_filling = false;
    }
  }
  BeginEdit();
}

void CToDoDlg::OnAdd() {
  m_filling = true;
  for (int row = 0; row < m_list.GetItemCount(); ++row) m_list.SetItemState(row, 0, LVIS_SELECTED);
  m_filling = false;
  ClearEditor();
  const int slot = m_model.FreeSlot();
  if (slot < 0) {
    m_edit = {};
    SetButtons(true, false, true, false, false);
    DaybookMessage(365, kToDoCaption, MB_ICONINFORMATION);
    return;
  }
  m_edit.adding = true;
  CTime start, due;
  m_start.GetTime(start);
  m_due.GetTime(due);
  m_filling = true;
  const int row = m_list.AddItem("", slot, 0);
  m_list.SetItemText(row, 2, DayText(start));
  m_list.SetItemText(row, 3, DayText(due));
  m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  m_filling = false;
  SetButtons(false, false, false, true, true);
  m_description.SetFocus();
}

void CToDoDlg::OnApply() {
  ToDoForm form;
  m_start.GetTime(form.start);
  m_due.GetTime(form.due);
  if (CToDoModel::StartAfterDue(form.start, form.due)) {
    EnableItem(*this, IDC_TODO_CANCEL, true);
    DaybookMessage(366, kToDoCaption, MB_ICONINFORMATION);
    return;
  }
  const int row = m_edit.TargetRow(m_list.GetNextItem(-1, LVNI_SELECTED));
  const int slot = row >= 0 ? static_cast<int>(m_list.GetItemData(row)) : m_model.FreeSlot();
  if (slot < 0) {
    DaybookMessage(365, kToDoCaption, MB_ICONINFORMATION);
    return;
  }
  m_description.GetWindowText(form.description);
  form.done = Checked(*this, IDC_TODO_DONE);
  form.priority = std::max(m_priority.GetCurSel(), 0);
  form.category = std::max(m_category.GetCurSel(), 0);
  form.isPrivate = Checked(*this, IDC_TODO_PRIVATE);
  if (const EntryPut refused = m_model.Save(slot, form); !refused) {
    RefusedEntry(refused, kToDoCaption);
    return;
  }
  FoldModified();
  m_edit = {};
  RefreshList();
  ClearEditor();
  SetButtons(true, false, true, false, false);
  m_list.SetFocus();
}

void CToDoDlg::OnCancel() {
  if (DaybookMessage(362, kToDoCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (m_edit.adding) {
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    m_filling = true;
    if (row >= 0) m_list.DeleteItem(row);
    m_filling = false;
  }
  m_edit = {};
  ClearEditor();
  SetButtons(true, false, m_list.GetItemCount() > 0, false, false);
}

void CToDoDlg::OnDelete() {
  const std::vector<int> slots = SelectedSlots();
  if (slots.empty()) {
    DaybookMessage(358, kToDoCaption, MB_ICONINFORMATION);
    return;
  }
  if (DaybookMessage(361, kToDoCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  const int rowsBefore = m_list.GetItemCount();
  const int first = m_list.GetNextItem(-1, LVNI_SELECTED);
  m_model.Delete(slots);
  FoldModified();
  m_edit = {};
  RefreshList();
  const int select = SelectionAfterDelete(rowsBefore, first, static_cast<int>(slots.size()));
  if (select >= 0) m_list.SetItemState(select, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  else ClearEditor();
}

void CToDoDlg::OnDeleteAll() {
  if (DaybookMessage(367, kToDoCaption, MB_YESNO | MB_ICONQUESTION) != IDYES) {
    SetButtons(true, true, true, false, false);
    return;
  }
  m_model.DeleteAll();
  FoldModified();
  m_edit = {};
  RefreshList();
  ClearEditor();
  SetButtons(true, false, false, false, false);
}

void CToDoDlg::ShowItem(int slot) {
  const PA_TODO_INFO t = m_model.Item(slot);
  m_filling = true;
  m_description.SetWindowText(t.strDescription.IsEmpty() ? CString(kDescriptionPlaceholder) : t.strDescription);
  m_start.SetTime(t.tmStart);
  m_due.SetTime(t.tmDue);
  m_category.SetCurSel(t.bCategory);
  if (t.bPriority <= 2) m_priority.SetCurSel(t.bPriority);
  Check(*this, IDC_TODO_DONE, t.bStatus != 0);
  Check(*this, IDC_TODO_PRIVATE, t.bPrivate != 0);
  m_filling = false;
  SetButtons(true, true, true, false, false);
}

void CToDoDlg::OnListChanged(NMHDR* header, LRESULT*) {
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
  if (m_filling || !(change->uChanged & LVIF_STATE)) return;
  const std::vector<int> slots = SelectedSlots();
  const bool multi = slots.size() >= 2;
  if (multi != m_edit.multiSelect) {
    m_edit.multiSelect = multi;
    for (UINT id : {IDC_TODO_DESCRIPTION, IDC_TODO_DONE, IDC_TODO_PRIVATE}) EnableItem(*this, id, !multi);
  }
  if (multi) {
    ClearEditor();
    SetButtons(true, true, true, false, false);
  } else if (slots.size() == 1 && !m_edit.adding) {
    ShowItem(slots.front());
  } else if (slots.empty() && !m_edit.adding) {
    ClearEditor();
    SetButtons(true, false, m_list.GetItemCount() > 0, false, false);
  }
}

void CToDoDlg::OnListChanging(NMHDR*, LRESULT* result) { *result = !m_filling && HasPendingEdit() ? 1 : 0; }

LRESULT CToDoDlg::OnShowWindow(WPARAM show, LPARAM) {
  Default();
  if (show) {
    CString text;
    text.Format(DaybookText(473), m_model.FreeCount());
    PostStatusToLauncher(std::string_view(text, static_cast<std::size_t>(text.GetLength())));
  }
  return 0;
}
