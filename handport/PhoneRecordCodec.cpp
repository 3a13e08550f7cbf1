// The phone object's records as the phone's own bytes: the group-name block, contact records of
// 524 bytes, schedule records of 76 and to-do records of 80, the used bytes of each kind, and the
// raw blocks. The whole-phone flash files and the phone data file both carry these layouts.
//
//   contact record (an unused slot is all 0xFF; text fields are UTF-8, their rest 0xFF)
//     0 name length, 1 name (41), 42 seven numbers (13 each), 133 two e-mails (101 each),
//     335 two further texts (65 each), 465 text 3 length, 466 text 3 (31), 497 text 4 length,
//     498 text 4 (21), 519 attribute 2, 520 attribute 1, 521 to 523 attributes 3 to 5
//   schedule record (unused: zero): 0 description (at most 66 of 68 bytes), 68 u16 year,
//     70 month, 71 day, 72 hour, 73 minute
//   to-do record (unused: zero): 0 description (at most 66 of 68 bytes), 68 u32 value,
//     72 u16 year, 74 month, 75 day, 76 priority + 1
#include "PhoneBase.h"

#include "DialNumber.h"
#include "PhoneText.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>

namespace {

constexpr std::size_t kContactRecord = 524;
constexpr std::size_t kScheduleRecord = 76;
constexpr std::size_t kToDoRecord = 80;
constexpr std::size_t kDescriptionField = 68;
constexpr std::size_t kDescriptionLimit = 66;

struct ContactLayout {
  std::size_t nameLength = 0, name = 1, nameSize = 41;
  std::size_t numbers = 42;
  std::size_t emails = 133, emailSize = 101;
  std::size_t texts = 335, textSize = 65;
  std::size_t text3Length = 465, text3 = 466, text3Size = 31;
  std::size_t text4Length = 497, text4 = 498, text4Size = 21;
  // Attributes 1 to 5 by their place in the record.
  std::size_t attributes[5] = {520, 519, 521, 522, 523};
};
constexpr ContactLayout kContact;

void PutU16(std::span<BYTE> at, unsigned value) {
  at[0] = static_cast<BYTE>(value);
  at[1] = static_cast<BYTE>(value >> 8);
}
void PutU32(std::span<BYTE> at, DWORD value) {
  for (int i = 0; i < 4; ++i) at[static_cast<std::size_t>(i)] = static_cast<BYTE>(value >> (8 * i));
}
unsigned U16(std::span<const BYTE> at) { return at[0] | static_cast<unsigned>(at[1]) << 8; }
DWORD U32(std::span<const BYTE> at) {
  return at[0] | static_cast<DWORD>(at[1]) << 8 | static_cast<DWORD>(at[2]) << 16 | static_cast<DWORD>(at[3]) << 24;
}

// The text as the phone's UTF-8 into the start of `field`; false with `longError` when it does
// not fit. The rest of the field keeps what it held.
bool PutText(std::span<BYTE> field, const CString& text, DWORD longError, std::size_t* length = nullptr) {
  CPhoneText phoneText(text);
  const BYTE* bytes = nullptr;
  int size = 0;
  phoneText.ToUtf8(bytes, size);
  if (static_cast<std::size_t>(size) > field.size()) {
    SetLastError(longError);
    return false;
  }
  std::copy_n(bytes, size, field.begin());
  if (length) *length = static_cast<std::size_t>(size);
  return true;
}

// A text of a field: up to its first 0xFF (and the first NUL).
CString TakeText(std::span<const BYTE> field) {
  const auto end = std::find(field.begin(), field.end(), BYTE{0xFF});
  CPhoneText text;
  text.FromUtf8(std::string_view(reinterpret_cast<const char*>(field.data()), static_cast<std::size_t>(end - field.begin())));
  return text.Text();
}

bool Failed(DWORD error) {
  SetLastError(error);
  return false;
}

int Refused(DWORD error) {
  SetLastError(error);
  return 0;
}

// The attribute bytes keep 0 as 0x80; a byte with bit 7 set reads as 0.
BYTE AttributeByte(BYTE value) { return value == 0 ? 0x80 : value; }
BYTE AttributeValue(BYTE stored) { return (stored & 0x80) ? 0 : stored; }

template <class Entry>
bool InSlots(const std::vector<Entry>& entries, int slot) {
  return slot >= 0 && slot < static_cast<int>(entries.size());
}

template <class Entry, class Compare>
void SortEntries(std::vector<Entry>& entries, Compare compare) {
  std::sort(entries.begin(), entries.end(), [&](const Entry& a, const Entry& b) { return compare(a, b) < 0; });
}

template <class Entry>
std::vector<BYTE> UsedBytes(const std::vector<Entry>& entries, int count) {
  std::vector<BYTE> bytes(static_cast<std::size_t>(std::max(count, 0)), 0);
  for (std::size_t i = 0; i < bytes.size() && i < entries.size(); ++i) bytes[i] = entries[i].used ? 1 : 0;
  return bytes;
}

}  // namespace

// --- groups ---

bool CPhoneBase::GetGroupNames(int count, int size, std::vector<BYTE>& bytes) const {
  if (count < 0 || size < 0) return Failed(ERROR_INVALID_PARAMETER);
  bytes.assign(static_cast<std::size_t>(count) * static_cast<std::size_t>(size), 0);
  for (int i = 0; i < count && i < static_cast<int>(m_groups.size()); ++i) {
    const auto slot = std::span<BYTE>(bytes).subspan(static_cast<std::size_t>(i * size), static_cast<std::size_t>(size));
    if (!PutText(slot, m_groups[static_cast<std::size_t>(i)].name, ERROR_SAVE_GROUP_LONG)) return false;
  }
  return true;
}

int CPhoneBase::SetGroupNames(std::span<const BYTE> bytes) {
  const int size = GetCapacity(1);
  if (size <= 0 || bytes.size() != static_cast<std::size_t>(GetCapacity(0)) * static_cast<std::size_t>(size)) {
    return Refused(ERROR_DATAFILE_BAD_TAG);
  }
  for (std::size_t i = 0; i < m_groups.size() && (i + 1) * static_cast<std::size_t>(size) <= bytes.size(); ++i) {
    const auto slot = bytes.subspan(i * static_cast<std::size_t>(size), static_cast<std::size_t>(size));
    CPhoneText text;
    if (slot[0] != 0) text.FromUtf8(std::string_view(reinterpret_cast<const char*>(slot.data()), slot.size()));
    m_groups[i].name = text.Text();
  }
  return 1;
}

// --- contacts ---

bool CPhoneBase::GetContactRecord(int slot, std::vector<BYTE>& bytes) const {
  if (!InSlots(m_contacts, slot)) return Failed(ERROR_INVALID_PARAMETER);
  bytes.assign(kContactRecord, 0xFF);
  const ContactEntry& entry = m_contacts[static_cast<std::size_t>(slot)];
  if (!entry.used) return true;
  const std::span<BYTE> record(bytes);
  std::size_t length = 0;
  if (!PutText(record.subspan(kContact.name, kContact.nameSize), entry.name, ERROR_SAVE_NAME_LONG, &length)) return false;
  record[kContact.nameLength] = static_cast<BYTE>(length);
  for (std::size_t i = 0; i < entry.numbers.size(); ++i) {
    if (entry.numbers[i].IsEmpty()) continue;
    const auto field = record.subspan(kContact.numbers + i * kShortDialFieldSize).first<kShortDialFieldSize>();
    if (!PackShortDialString(field, entry.numbers[i])) return Failed(ERROR_SAVE_NUMBER);
  }
  for (std::size_t i = 0; i < entry.emails.size(); ++i) {
    if (!PutText(record.subspan(kContact.emails + i * kContact.emailSize, kContact.emailSize), entry.emails[i],
                 ERROR_SAVE_EMAIL_LONG)) {
      return false;
    }
  }
  for (std::size_t i = 0; i < entry.texts.size(); ++i) {
    if (!PutText(record.subspan(kContact.texts + i * kContact.textSize, kContact.textSize), entry.texts[i],
                 ERROR_SAVE_TEXT_LONG)) {
      return false;
    }
  }
  if (!PutText(record.subspan(kContact.text3, kContact.text3Size), entry.text3, ERROR_SAVE_TEXT3_LONG, &length)) return false;
  record[kContact.text3Length] = static_cast<BYTE>(length);
  if (!PutText(record.subspan(kContact.text4, kContact.text4Size), entry.text4, ERROR_SAVE_TEXT4_LONG, &length)) return false;
  record[kContact.text4Length] = static_cast<BYTE>(length);
  for (std::size_t i = 0; i < 4; ++i) record[kContact.attributes[i]] = AttributeByte(entry.attributes[i]);
  record[kContact.attributes[4]] = AttributeByte(entry.attribute5);
  return true;
}

int CPhoneBase::SetContactUsedFlags(std::span<const BYTE> bytes) {
  if (bytes.size() != m_contacts.size() || bytes.size() != static_cast<std::size_t>(GetCapacity(3))) {
    return Refused(ERROR_DATAFILE_CONTACT_FLAGS);
  }
  for (std::size_t i = 0; i < bytes.size(); ++i) m_contacts[i].used = bytes[i];
  return 1;
}

int CPhoneBase::SetContactRecord(int slot, std::span<const BYTE> record) {
  if (!InSlots(m_contacts, slot)) return Refused(ERROR_INVALID_PARAMETER);
  if (record.size() < kContactRecord) return Refused(ERROR_INVALID_DATA);
  ContactEntry& entry = m_contacts[static_cast<std::size_t>(slot)];
  if (!entry.used) return 1;
  entry.name = TakeText(record.subspan(kContact.name, kContact.nameSize));
  for (std::size_t i = 0; i < entry.numbers.size(); ++i) {
    const auto field = record.subspan(kContact.numbers + i * kShortDialFieldSize).first<kShortDialFieldSize>();
    entry.numbers[i] = field[0] == 0xFF ? CString() : UnpackShortDialString(field);
  }
  for (std::size_t i = 0; i < entry.emails.size(); ++i) {
    entry.emails[i] = TakeText(record.subspan(kContact.emails + i * kContact.emailSize, kContact.emailSize));
  }
  for (std::size_t i = 0; i < entry.texts.size(); ++i) {
    entry.texts[i] = TakeText(record.subspan(kContact.texts + i * kContact.textSize, kContact.textSize));
  }
  entry.text3 = TakeText(record.subspan(kContact.text3, kContact.text3Size));
  entry.text4 = TakeText(record.subspan(kContact.text4, kContact.text4Size));
  for (std::size_t i = 0; i < 4; ++i) entry.attributes[i] = AttributeValue(record[kContact.attributes[i]]);
  entry.attribute5 = AttributeValue(record[kContact.attributes[4]]);
  return 1;
}

// --- schedule ---

bool CPhoneBase::GetScheduleUsedFlags(int count, std::vector<BYTE>& bytes) {
  SortEntries(m_schedule, CompareScheduleEntries);
  bytes = UsedBytes(m_schedule, count);
  return true;
}

bool CPhoneBase::GetScheduleRecord(int slot, std::vector<BYTE>& bytes) const {
  if (!InSlots(m_schedule, slot)) return Failed(ERROR_INVALID_PARAMETER);
  bytes.assign(kScheduleRecord, 0);
  const ScheduleEntry& entry = m_schedule[static_cast<std::size_t>(slot)];
  if (!entry.used) return true;
  const std::span<BYTE> record(bytes);
  if (!PutText(record.first(kDescriptionLimit), entry.description, ERROR_SAVE_SCHEDULE_LONG)) return false;
  PutU16(record.subspan(68), static_cast<unsigned short>(entry.year));
  record[70] = entry.month;
  record[71] = entry.day;
  record[72] = entry.hour;
  record[73] = entry.minute;
  return true;
}

int CPhoneBase::SetScheduleUsedFlags(std::span<const BYTE> bytes) {
  if (bytes.size() != m_schedule.size() || bytes.size() != static_cast<std::size_t>(GetCapacity(15))) {
    return Refused(ERROR_DATAFILE_SCHEDULE_FLAGS);
  }
  for (std::size_t i = 0; i < bytes.size(); ++i) m_schedule[i].used = bytes[i] == 1 ? 1 : 0;
  return 1;
}

int CPhoneBase::SetScheduleRecord(int slot, std::span<const BYTE> record) {
  if (!InSlots(m_schedule, slot)) return Refused(ERROR_INVALID_PARAMETER);
  if (record.size() < kScheduleRecord) return Refused(ERROR_INVALID_DATA);
  ScheduleEntry& entry = m_schedule[static_cast<std::size_t>(slot)];
  if (!entry.used) return 1;
  CPhoneText text;
  text.FromUtf8(std::string_view(reinterpret_cast<const char*>(record.data()), kDescriptionLimit));
  entry.description = text.Text();
  entry.year = static_cast<SHORT>(U16(record.subspan(68)));
  entry.month = record[70];
  entry.day = record[71];
  entry.hour = record[72];
  entry.minute = record[73];
  return 1;
}

// --- to-do ---

bool CPhoneBase::GetToDoUsedFlags(int count, std::vector<BYTE>& bytes) {
  SortEntries(m_toDo, CompareToDoEntries);
  bytes = UsedBytes(m_toDo, count);
  return true;
}

bool CPhoneBase::GetToDoRecord(int slot, std::vector<BYTE>& bytes) const {
  if (!InSlots(m_toDo, slot)) return Failed(ERROR_INVALID_PARAMETER);
  bytes.assign(kToDoRecord, 0);
  const ToDoEntry& entry = m_toDo[static_cast<std::size_t>(slot)];
  if (!entry.used) return true;
  const std::span<BYTE> record(bytes);
  if (!PutText(record.first(kDescriptionLimit), entry.description, ERROR_SAVE_TODO_LONG)) return false;
  PutU32(record.subspan(68), entry.value);
  PutU16(record.subspan(72), static_cast<unsigned short>(entry.year));
  record[74] = entry.month;
  record[75] = entry.day;
  record[76] = static_cast<BYTE>(entry.priority + 1);
  return true;
}

int CPhoneBase::SetToDoUsedFlags(std::span<const BYTE> bytes) {
  if (bytes.size() != m_toDo.size() || bytes.size() != static_cast<std::size_t>(GetCapacity(21))) {
    return Refused(ERROR_DATAFILE_TODO_FLAGS);
  }
  for (std::size_t i = 0; i < bytes.size(); ++i) m_toDo[i].used = bytes[i] == 1 ? 1 : 0;
  return 1;
}

int CPhoneBase::SetToDoRecord(int slot, std::span<const BYTE> record) {
  if (!InSlots(m_toDo, slot)) return Refused(ERROR_INVALID_PARAMETER);
  if (record.size() < kToDoRecord) return Refused(ERROR_INVALID_DATA);
  ToDoEntry& entry = m_toDo[static_cast<std::size_t>(slot)];
  if (!entry.used) return 1;
  CPhoneText text;
  text.FromUtf8(std::string_view(reinterpret_cast<const char*>(record.data()), kDescriptionLimit));
  entry.description = text.Text();
  entry.value = U32(record.subspan(68));
  entry.year = static_cast<SHORT>(U16(record.subspan(72)));
  entry.month = record[74];
  entry.day = record[75];
  entry.priority = record[76] >= 2 ? static_cast<BYTE>(record[76] - 1) : 0;
  return 1;
}

// --- raw blocks ---

namespace {
int Keep(OwnedBlock& block, std::span<const BYTE> bytes) {
  block.bytes.assign(bytes.begin(), bytes.end());
  block.owned = 1;
  return 1;
}
}  // namespace

int CPhoneBase::SetRawBlock1(std::span<const BYTE> bytes) { return Keep(m_raw1, bytes); }
int CPhoneBase::SetRawBlock2(std::span<const BYTE> bytes) { return Keep(m_raw2, bytes); }
int CPhoneBase::SetRawBlockItem(int i, std::span<const BYTE> bytes) {
  if (i < 0) return Refused(ERROR_INVALID_PARAMETER);
  if (static_cast<std::size_t>(i) >= m_rawItems.size()) m_rawItems.resize(static_cast<std::size_t>(i) + 1);
  return Keep(m_rawItems[static_cast<std::size_t>(i)], bytes);
}
