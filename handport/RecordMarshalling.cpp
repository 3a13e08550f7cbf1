// The records of the CManager interface taken out of a store slot and put into one, and one slot
// copied from the other side, field by field through the stores' getters and setters (which check
// and convert each value). Fields the stores do not keep are neither read nor written.
#include "SideStore.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>

namespace {

// What a contact, a schedule entry and a to-do item carry, in the order the setters take them;
// Put and the copy between the sides share these, so both write the same fields.
struct ContactFields {
  CString name, reading, numbers[CPhoneBookStore::kNumberCount], emails[2], texts[2];
  BYTE group = 0, choice = 0;
  DWORD picture = 0, melody = 0;
};

// Collects what the setters answer: the first field refused, by its put error, or 0 while every
// field was taken whole. Every setter still runs, so a copy takes what it can.
class FieldRefusals {
 public:
  void Take(bool whole, DWORD field) {
    if (!whole && m_first == 0) m_first = field;
  }
  DWORD First() const { return m_first; }

 private:
  DWORD m_first = 0;
};

// Each setter checks its field; the result is the first field not taken whole (0: all were). The
// contact store works on a copy of the slot until Commit, so a refused put commits nothing.
DWORD SetContact(CPhoneBookStore& store, const ContactFields& fields) {
  FieldRefusals refused;
  refused.Take(store.SetName(fields.name), ERROR_PA_PUT_NAME);
  refused.Take(store.SetReading(fields.reading), ERROR_PA_PUT_READING);
  for (int i = 0; i < CPhoneBookStore::kNumberCount; ++i) refused.Take(store.SetNumber(i, fields.numbers[i]), PutNumberError(i + 1));
  for (int i = 0; i < 2; ++i) refused.Take(store.SetEmail(i, fields.emails[i]), PutEmailError(i + 1));
  for (int i = 0; i < 2; ++i) refused.Take(store.SetText(i, fields.texts[i]), PutTextError(i + 1));
  refused.Take(store.SetGroup(fields.group), ERROR_PA_PUT_VALUE);
  refused.Take(store.SetChoice(fields.choice), ERROR_PA_PUT_VALUE);
  refused.Take(store.SetPicture(fields.picture), ERROR_PA_PUT_VALUE);
  refused.Take(store.SetMelody(fields.melody), ERROR_PA_PUT_VALUE);
  return refused.First();
}

ContactFields ContactOf(const PA_PHONEBOOK_INFO& record) {
  ContactFields fields{record.strName, record.strReading, {}, {}, {}, record.bGroup, record.bChoice,
                       record.dwPictureId, record.dwMelodyId};
  std::copy(std::begin(record.strNumber), std::end(record.strNumber), std::begin(fields.numbers));
  std::copy(std::begin(record.strEmail), std::end(record.strEmail), std::begin(fields.emails));
  std::copy(std::begin(record.strText), std::end(record.strText), std::begin(fields.texts));
  return fields;
}

ContactFields ContactOf(const CPhoneBookStore& store) {
  ContactFields fields;
  fields.name = store.GetName();
  fields.reading = store.GetReading();
  for (int i = 0; i < CPhoneBookStore::kNumberCount; ++i) store.GetNumber(i, fields.numbers[i]);
  for (int i = 0; i < 2; ++i) store.GetEmail(i, fields.emails[i]);
  for (int i = 0; i < 2; ++i) store.GetText(i, fields.texts[i]);
  fields.group = store.GetGroup();
  fields.choice = store.GetChoice();
  fields.picture = store.GetPicture();
  fields.melody = store.GetMelody();
  return fields;
}

struct ScheduleFields {
  CTime start;
  CString description;
  BYTE repeat = 0, isPrivate = 0, alarm = 0;
  DWORD melodyId = 0;
  CString melodyName;
};

DWORD SetSchedule(CScheduleStore& store, const ScheduleFields& fields) {
  FieldRefusals refused;
  refused.Take(store.SetStart(fields.start), ERROR_PA_PUT_START);
  refused.Take(store.SetDescription(fields.description), ERROR_PA_PUT_DESCRIPTION);
  refused.Take(store.SetRepeat(fields.repeat), ERROR_PA_PUT_VALUE);
  refused.Take(store.SetPrivate(fields.isPrivate), ERROR_PA_PUT_VALUE);
  refused.Take(store.SetAlarm(fields.alarm), ERROR_PA_PUT_VALUE);
  refused.Take(store.SetMelodyId(fields.melodyId), ERROR_PA_PUT_VALUE);
  refused.Take(store.SetMelodyName(fields.melodyName), ERROR_PA_PUT_VALUE);
  return refused.First();
}

ScheduleFields ScheduleOf(const CScheduleStore& store) {
  return {store.GetStart(),   store.GetDescription(), store.GetRepeat(),    store.GetPrivate(),
          store.GetAlarm(),   store.GetMelodyId(),    store.GetMelodyName()};
}

struct ToDoFields {
  CString description;
  CTime start, due;
  BYTE status = 0, category = 0, priority = 0, isPrivate = 0;
};

// The extended fields go only into the extended store.
DWORD SetToDo(CToDoStore& store, CToDoStoreEx* extended, const ToDoFields& fields) {
  FieldRefusals refused;
  refused.Take(store.SetDescription(fields.description), ERROR_PA_PUT_DESCRIPTION);
  refused.Take(store.SetStart(fields.start), ERROR_PA_PUT_START);
  refused.Take(store.SetDue(fields.due), ERROR_PA_PUT_DUE);
  refused.Take(store.SetStatus(fields.status), ERROR_PA_PUT_VALUE);
  if (extended) {
    refused.Take(extended->SetCategory(fields.category), ERROR_PA_PUT_VALUE);
    refused.Take(extended->SetPriority(fields.priority), ERROR_PA_PUT_VALUE);
    refused.Take(extended->SetPrivate(fields.isPrivate), ERROR_PA_PUT_VALUE);
  }
  return refused.First();
}

ToDoFields ToDoOf(const CToDoStore& store, const CToDoStoreEx* extended) {
  ToDoFields fields{store.GetDescription(), store.GetStart(), store.GetDue(), store.GetStatus()};
  if (extended) {
    fields.category = extended->GetCategory();
    fields.priority = extended->GetPriority();
    fields.isPrivate = extended->GetPrivate();
  }
  return fields;
}

}  // namespace

PA_RESULT CSideStore::GetGroup(int slot, PA_GROUP_INFO* record) {
  if (!Select(RecordKind::Groups, slot)) return PA_OUT_OF_RANGE;
  if (record == nullptr) return PA_EMPTY_SLOT;
  if (!m_groups.IsUsed()) {
    record->bExists = 0;
    return PA_EMPTY_SLOT;
  }
  record->bExists = 1;
  record->strName = m_groups.GetName();
  return PA_OK;
}

PA_RESULT CSideStore::GetContact(int slot, PA_PHONEBOOK_INFO* record) {
  if (!Select(RecordKind::Contacts, slot)) return PA_OUT_OF_RANGE;
  if (record == nullptr) return PA_EMPTY_SLOT;
  if (!m_contacts.IsUsed()) {
    record->bValid = 0;
    return PA_EMPTY_SLOT;
  }
  const ContactFields fields = ContactOf(m_contacts);
  record->bValid = 1;
  record->strName = fields.name;
  record->strReading = fields.reading;
  std::copy(std::begin(fields.numbers), std::end(fields.numbers), std::begin(record->strNumber));
  std::copy(std::begin(fields.emails), std::end(fields.emails), std::begin(record->strEmail));
  std::copy(std::begin(fields.texts), std::end(fields.texts), std::begin(record->strText));
  record->bGroup = fields.group;
  record->bChoice = fields.choice;
  record->dwPictureId = fields.picture;
  record->dwMelodyId = fields.melody;
  record->wPhoneFlag = m_contacts.GetPhoneFlag();
  return PA_OK;
}

PA_RESULT CSideStore::GetSchedule(int slot, PA_SCHEDULE_INFO* record) {
  if (!Select(RecordKind::Schedule, slot)) return PA_OUT_OF_RANGE;
  if (record == nullptr) return PA_EMPTY_SLOT;
  if (!Schedule().IsUsed()) {
    record->bValid = 0;
    return PA_EMPTY_SLOT;
  }
  const ScheduleFields fields = ScheduleOf(Schedule());
  record->bValid = 1;
  record->tmStart = fields.start;
  record->strDescription = fields.description;
  record->bAlarm = fields.alarm;
  record->bRepeat = fields.repeat;
  record->bPrivate = fields.isPrivate;
  record->dwMelodyId = fields.melodyId;
  record->strMelodyName = fields.melodyName;
  return PA_OK;
}

PA_RESULT CSideStore::GetToDo(int slot, PA_TODO_INFO* record) {
  if (!Select(RecordKind::ToDo, slot)) return PA_OUT_OF_RANGE;
  if (record == nullptr) return PA_EMPTY_SLOT;
  if (!ToDo().IsUsed()) {
    record->bValid = 0;
    return PA_EMPTY_SLOT;
  }
  const ToDoFields fields = ToDoOf(ToDo(), m_extended ? &m_toDoEx : nullptr);
  record->bValid = 1;
  record->strDescription = fields.description;
  record->tmStart = fields.start;
  record->tmDue = fields.due;
  record->bStatus = fields.status;
  if (m_extended) {
    record->bPrivate = fields.isPrivate;
    record->bCategory = fields.category;
    record->bPriority = fields.priority;
  }
  return PA_OK;
}

// A put whose record holds a field the store cannot keep whole (a text too long for its field, a
// value out of its range) stores nothing and answers PA_EMPTY_SLOT ("the record could not be
// stored"); the slot keeps what it held, and the last error names the field (ERROR_PA_PUT_...),
// set after the slot was put back so that nothing overwrites it.
PA_RESULT CSideStore::PutGroup(int slot, const PA_GROUP_INFO* record) {
  if (!Select(RecordKind::Groups, slot)) return PA_OUT_OF_RANGE;
  if (record == nullptr) return PA_EMPTY_SLOT;
  if (!m_groups.SetName(record->strName)) {  // a refused name writes nothing
    SetLastError(ERROR_PA_PUT_GROUP_NAME);
    return PA_EMPTY_SLOT;
  }
  return PA_OK;
}

PA_RESULT CSideStore::PutContact(int slot, const PA_PHONEBOOK_INFO* record) {
  if (!Select(RecordKind::Contacts, slot)) return PA_OUT_OF_RANGE;
  if (record == nullptr) return PA_EMPTY_SLOT;
  if (const DWORD refused = SetContact(m_contacts, ContactOf(*record))) {
    m_contacts.Select(slot);  // drops the half-made copy
    SetLastError(refused);
    return PA_EMPTY_SLOT;
  }
  m_contacts.Commit();
  return PA_OK;
}

PA_RESULT CSideStore::PutSchedule(int slot, const PA_SCHEDULE_INFO* record) {
  if (!Select(RecordKind::Schedule, slot)) return PA_OUT_OF_RANGE;
  if (record == nullptr) return PA_EMPTY_SLOT;
  const CScheduleStore::SavedSlot saved = Schedule().SaveSelected();
  const CString savedMelodyName = Schedule().GetMelodyName();  // kept beside the record
  if (const DWORD refused = SetSchedule(Schedule(), {record->tmStart, record->strDescription, record->bRepeat,
                                                     record->bPrivate, record->bAlarm, record->dwMelodyId,
                                                     record->strMelodyName})) {
    Schedule().RestoreSelected(saved);
    Schedule().SetMelodyName(savedMelodyName);
    SetLastError(refused);
    return PA_EMPTY_SLOT;
  }
  return PA_OK;
}

PA_RESULT CSideStore::PutToDo(int slot, const PA_TODO_INFO* record) {
  if (!Select(RecordKind::ToDo, slot)) return PA_OUT_OF_RANGE;
  if (record == nullptr) return PA_EMPTY_SLOT;
  const CToDoStore::SavedSlot saved = ToDo().SaveSelected();
  if (const DWORD refused = SetToDo(ToDo(), m_extended ? &m_toDoEx : nullptr,
                                    {record->strDescription, record->tmStart, record->tmDue, record->bStatus,
                                     record->bCategory, record->bPriority, record->bPrivate})) {
    ToDo().RestoreSelected(saved);
    SetLastError(refused);
    return PA_EMPTY_SLOT;
  }
  return PA_OK;
}

void CSideStore::CopySelected(CSideStore& source, RecordKind kind) {
  switch (kind) {
    case RecordKind::Groups:
      if (source.m_groups.IsUsed()) {
        m_groups.SetName(source.m_groups.GetName());
      } else {
        m_groups.ClearSlot();
      }
      return;
    case RecordKind::Contacts:
      if (source.m_contacts.IsUsed()) {
        // A copy takes what it can of a record the phone gave, rather than lose it whole.
        SetContact(m_contacts, ContactOf(source.m_contacts));
        m_contacts.Commit();
      } else {
        m_contacts.ClearSlot();
      }
      return;
    case RecordKind::Schedule:
      if (source.Schedule().IsUsed()) {
        SetSchedule(Schedule(), ScheduleOf(source.Schedule()));
      } else {
        Schedule().ClearSlot();
      }
      return;
    case RecordKind::ToDo:
      if (source.ToDo().IsUsed()) {
        SetToDo(ToDo(), m_extended ? &m_toDoEx : nullptr,
                ToDoOf(source.ToDo(), source.m_extended ? &source.m_toDoEx : nullptr));
      } else {
        ToDo().ClearSlot();
      }
      return;
  }
}
