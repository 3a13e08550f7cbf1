// The schedule and to-do pages' rules. Both read and write the store slot by slot; neither keeps a
// copy of the records.
#include "CalendarModels.h"

#include <algorithm>

namespace daybook {
namespace {

bool SameDay(const CTime& a, const CTime& b) {
  return a.GetYear() == b.GetYear() && a.GetMonth() == b.GetMonth() && a.GetDay() == b.GetDay();
}

bool SameMinute(const CTime& a, const CTime& b) {
  return SameDay(a, b) && a.GetHour() == b.GetHour() && a.GetMinute() == b.GetMinute();
}

CString Stored(const CString& description) {
  return description == kDescriptionPlaceholder ? CString() : description;
}

}  // namespace

CTime EarliestPickerTime() { return CTime(2003, 1, 1, 0, 0, 0); }
CTime LatestPickerTime() { return CTime(2037, 12, 31, 23, 59, 0); }

int SelectionAfterDelete(int rowsBefore, int first, int count) {
  const int left = rowsBefore - count;
  if (left <= 0 || first < 0) return -1;
  return first < left ? first : left - 1;
}

// ---- schedule ----

PA_SCHEDULE_INFO CScheduleModel::Entry(int slot) const {
  PA_SCHEDULE_INFO entry;
  if (m_manager.PA_GetSchedule(&entry, static_cast<short>(slot)) != PA_OK) entry = PA_SCHEDULE_INFO{};
  return entry;
}

int CScheduleModel::UsedCount() const {
  int used = 0;
  for (int slot = 0; slot < kScheduleSlots; ++slot) used += Entry(slot).bValid ? 1 : 0;
  return used;
}

int CScheduleModel::FreeSlot() const {
  for (int slot = 0; slot < kScheduleSlots; ++slot) {
    if (!Entry(slot).bValid) return slot;
  }
  return -1;
}

std::vector<int> CScheduleModel::Rows(bool daily, const CTime& day) const {
  std::vector<int> rows;
  for (int slot = 0; slot < kScheduleSlots; ++slot) {
    const PA_SCHEDULE_INFO e = Entry(slot);
    if (e.bValid && (!daily || SameDay(e.tmStart, day))) rows.push_back(slot);
  }
  return rows;
}

bool CScheduleModel::Collides(const CTime& start, int exceptSlot) const {
  for (int slot = 0; slot < kScheduleSlots; ++slot) {
    if (slot == exceptSlot) continue;
    const PA_SCHEDULE_INFO e = Entry(slot);
    if (e.bValid && SameMinute(e.tmStart, start)) return true;
  }
  return false;
}

CTime CScheduleModel::ProposedStart(const CTime& picker, const CTime& now) {
  const CTime proposed = picker < now ? now : picker;
  return std::min(proposed, LatestPickerTime());
}

EntryPut CScheduleModel::Save(int slot, const ScheduleForm& form) {
  PA_SCHEDULE_INFO e = Entry(slot);
  e.strDescription = Stored(form.description);
  e.tmStart = CTime(form.start.GetYear(), form.start.GetMonth(), form.start.GetDay(), form.start.GetHour(),
                    form.start.GetMinute(), 0);
  e.bRepeat = static_cast<BYTE>(form.repeat);
  if (form.alarm) {
    e.bAlarm = 1;
    e.strMelodyName = form.melodyName;
    e.dwMelodyId = form.melodyId;
  } else {
    e.bAlarm = 0;
    e.strReserved.Empty();
    e.strMelodyName.Empty();
    e.dwMelodyId = 0;
  }
  e.bPrivate = form.isPrivate ? 1 : 0;
  e.bValid = 1;
  if (m_manager.PA_PutSchedule(&e, static_cast<short>(slot)) == PA_OK) {
    m_modified = true;
    return {};
  }
  const bool longText = m_manager.GetUTF8Length(e.strDescription) > m_manager.GetScheduleMaxDescriptionSize();
  return {false, longText ? EntryField::Description : EntryField::Start};
}

void CScheduleModel::Delete(std::span<const int> slots) {
  for (int slot : slots) {
    if (m_manager.PA_RemovePrivateSchedule(static_cast<short>(slot)) == PA_OK) m_modified = true;
  }
}

int CScheduleModel::DeleteAll(bool daily, const CTime& day) {
  const std::vector<int> rows = Rows(daily, day);
  Delete(rows);
  m_modified = true;
  return static_cast<int>(rows.size());
}

bool CScheduleModel::ClearAll() {
  for (int slot = 0; slot < kScheduleSlots; ++slot) {
    if (m_manager.PA_RemovePrivateSchedule(static_cast<short>(slot)) != PA_OK) return false;
  }
  return true;
}

DWORD CScheduleModel::FindMelodyId(const CString& name, std::span<const Melody> melodies) {
  CString wanted = name;
  if (const int slash = wanted.Find('\\'); slash >= 0) wanted = wanted.Mid(slash + 1);
  for (const Melody& melody : melodies) {
    if (melody.name == wanted) return melody.id;
  }
  return 0;
}

void CScheduleModel::ValidateMelodies(std::span<const Melody> melodies, bool afterDocumentRead) {
  const auto listed = [&](DWORD id) {
    return std::any_of(melodies.begin(), melodies.end(), [&](const Melody& m) {
      return afterDocumentRead ? (m.id & 0xFF) == (id & 0xFF) : m.id == id;
    });
  };
  for (int slot = 0; slot < kScheduleSlots; ++slot) {
    PA_SCHEDULE_INFO e = Entry(slot);
    if (!e.bValid) continue;
    if (e.dwMelodyId != 0 && !listed(e.dwMelodyId)) {
      e.dwMelodyId = 0;
      e.strMelodyName.Empty();
    }
    m_manager.PA_PutSchedule(&e, static_cast<short>(slot));
  }
}

// ---- to-do ----

PA_TODO_INFO CToDoModel::Item(int slot) const {
  PA_TODO_INFO item;
  if (m_manager.PA_GetToDo(&item, static_cast<short>(slot)) != PA_OK) item = PA_TODO_INFO{};
  return item;
}

int CToDoModel::UsedCount() const {
  int used = 0;
  for (int slot = 0; slot < kToDoSlots; ++slot) used += Item(slot).bValid ? 1 : 0;
  return used;
}

int CToDoModel::FreeSlot() const {
  for (int slot = 0; slot < kToDoSlots; ++slot) {
    if (!Item(slot).bValid) return slot;
  }
  return -1;
}

std::vector<int> CToDoModel::Rows() const {
  std::vector<int> rows;
  for (int slot = 0; slot < kToDoSlots; ++slot) {
    if (Item(slot).bValid) rows.push_back(slot);
  }
  return rows;
}

bool CToDoModel::HasExtendedFields() const {
  return m_manager.GetToDoMaxDescriptionSize(static_cast<PA_TODO_FIELD>(PA_TODO_EXTENDED1)) != 0;
}

EntryPut CToDoModel::Save(int slot, const ToDoForm& form) {
  PA_TODO_INFO t = Item(slot);
  t.strDescription = Stored(form.description);
  t.tmStart = form.start;
  t.tmDue = form.due;
  t.bStatus = form.done ? 1 : 0;
  // Without the extended fields the hidden controls keep their defaults.
  const bool extended = HasExtendedFields();
  t.bCategory = static_cast<BYTE>(extended ? form.category : 0);
  t.bPriority = static_cast<BYTE>(extended ? form.priority : 1);
  t.bPrivate = extended && form.isPrivate ? 1 : 0;
  t.bValid = 1;
  if (m_manager.PA_PutToDo(&t, static_cast<short>(slot)) == PA_OK) {
    m_modified = true;
    return {};
  }
  const bool longText = m_manager.GetUTF8Length(t.strDescription) >
                        m_manager.GetToDoMaxDescriptionSize(static_cast<PA_TODO_FIELD>(PA_TODO_DESCRIPTION));
  return {false, longText ? EntryField::Description : EntryField::Start};
}

void CToDoModel::Delete(std::span<const int> slots) {
  for (int slot : slots) {
    if (m_manager.PA_RemovePrivateToDo(static_cast<short>(slot)) == PA_OK) m_modified = true;
  }
}

int CToDoModel::DeleteAll() {
  const std::vector<int> rows = Rows();
  Delete(rows);
  m_modified = true;
  return static_cast<int>(rows.size());
}

void CToDoModel::ClearAll() {
  for (int slot = 0; slot < kToDoSlots; ++slot) m_manager.PA_RemovePrivateToDo(static_cast<short>(slot));
}

}  // namespace daybook
