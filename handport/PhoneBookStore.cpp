#include "PhoneBookStore.h"

#include "DialNumber.h"
#include "StoreFields.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <array>

namespace {

constexpr std::size_t kNameField = 32;  // the length byte and the name
constexpr std::size_t kNumberField = 22;
constexpr std::size_t kPaddedField = 65;  // each e-mail and text
constexpr std::size_t kReadingField = 31;  // the length byte and the reading
constexpr std::size_t kTrailerField = 22;
// The flag byte, the reserved bytes, the melody ids, the picture id, the choices and the group.
constexpr std::size_t kTailField = 25;
constexpr int kNameUnits = 30;
constexpr int kPaddedUnits = 64;
constexpr DWORD kNoPicture = 0xFFFFFFFF;
constexpr DWORD kNoMelody = 0x80000000;
constexpr BYTE kNoChoice = 0x80;

}  // namespace

CPhoneBookStore::CPhoneBookStore(int slotCount) : m_slotCount(slotCount) { Reset(); }

DWORD CPhoneBookStore::IdOf(std::span<const BYTE> record, std::size_t at) {
  return (record[at + 3] & 0x80) != 0 ? 0 : record[at];
}

CPhoneBookStore::Layout CPhoneBookStore::MakeLayout(bool shortLayout) {
  Layout layout;
  layout.flag = shortLayout ? layout.reading : layout.trailer + kTrailerField;
  layout.melody = layout.flag + 5;
  layout.picture = layout.melody + 12;
  layout.choice = layout.picture + 4;
  layout.group = layout.choice + 3;
  layout.size = layout.group + 1;
  return layout;
}

int CPhoneBookStore::Reset() {
  m_selected = 0;
  m_used.assign(static_cast<std::size_t>(m_slotCount), 0);
  m_table.clear();
  ApplyLayout();
  return 1;
}

void CPhoneBookStore::ApplyLayout() {
  const Layout old = m_layout;
  const Layout layout = MakeLayout(m_shortLayout);
  std::vector<BYTE> table(static_cast<std::size_t>(m_slotCount) * layout.size, 0xFF);
  if (!m_table.empty()) {
    const bool bothFull = old.size == kFullRecordSize && layout.size == kFullRecordSize;
    for (std::size_t slot = 0; slot < static_cast<std::size_t>(m_slotCount); ++slot) {
      const BYTE* from = m_table.data() + slot * old.size;
      BYTE* to = table.data() + slot * layout.size;
      auto carry = [&](std::size_t oldAt, std::size_t newAt, std::size_t count) {
        std::copy_n(from + oldAt, count, to + newAt);
      };
      carry(old.name, layout.name, kNameField);
      carry(old.numbers, layout.numbers, kNumberCount * kNumberField);
      carry(old.emails, layout.emails, kEmailBytes);
      carry(old.emails + kPaddedField, layout.emails + kPaddedField, kEmailBytes);
      carry(old.texts, layout.texts, 2 * kPaddedField);
      if (bothFull) carry(old.reading, layout.reading, kReadingField + kTrailerField);
      carry(old.flag, layout.flag, kTailField);
    }
  }
  m_table = std::move(table);
  m_layout = layout;
  m_work.assign(layout.size, 0xFF);
}

std::span<BYTE> CPhoneBookStore::Slot(int slot) {
  return std::span<BYTE>(m_table).subspan(static_cast<std::size_t>(slot) * m_layout.size, m_layout.size);
}

std::span<const BYTE> CPhoneBookStore::SlotRecord(int slot) const {
  return std::span<const BYTE>(m_table).subspan(static_cast<std::size_t>(slot) * m_layout.size, m_layout.size);
}

int CPhoneBookStore::Select(int slot) {
  if (slot < 0 || slot >= m_slotCount) {
    SetLastError(ERROR_PB_BAD_SLOT);
    return 0;
  }
  m_selected = slot;
  const std::span<const BYTE> record = SlotRecord(slot);
  std::copy(record.begin(), record.end(), m_work.begin());
  return 1;
}

CString CPhoneBookStore::GetName() const {
  return ReadFieldText(Field(m_layout.name + 1, kNameField - 1), true);
}

int CPhoneBookStore::SetName(const CString& name) {
  std::vector<BYTE> utf8;
  if (!name.IsEmpty() && !FieldText(name, kNameUnits, kNameBytes, utf8)) {
    SetLastError(ERROR_PB_NAME_TOO_LONG);
    return 0;
  }
  if (!m_shortLayout) {
    const std::span<BYTE> trailer = Field(m_layout.trailer, kTrailerField);
    std::fill(trailer.begin(), trailer.end(), 0xFF);
    std::fill_n(trailer.begin(), 4, 0x00);
  }
  const std::span<BYTE> field = Field(m_layout.name, kNameField);
  std::fill(field.begin(), field.end(), 0x00);
  field[0] = static_cast<BYTE>(utf8.size());
  std::copy(utf8.begin(), utf8.end(), field.begin() + 1);
  return 1;
}

CString CPhoneBookStore::GetReading() const {
  if (m_shortLayout) return {};
  return ReadFieldText(Field(m_layout.reading + 1, kReadingField - 1), true);
}

int CPhoneBookStore::SetReading(const CString& reading) {
  if (m_shortLayout) return 1;  // the short layout has no reading to write
  std::vector<BYTE> utf8;
  if (!reading.IsEmpty() && !FieldText(reading, kNameUnits, kReadingBytes, utf8)) {
    SetLastError(ERROR_PB_NAME_TOO_LONG);
    return 0;
  }
  const std::span<BYTE> field = Field(m_layout.reading, kReadingField);
  std::fill(field.begin(), field.end(), 0xFF);
  field[0] = static_cast<BYTE>(utf8.size());
  std::copy(utf8.begin(), utf8.end(), field.begin() + 1);
  return 1;
}

int CPhoneBookStore::GetNumber(int index, CString& number) const {
  if (index < 0 || index >= kNumberCount) {
    SetLastError(ERROR_PB_BAD_NUMBER_INDEX);
    return 0;
  }
  const std::span<const BYTE, kNumberField> field(m_work.data() + m_layout.numbers + index * kNumberField, kNumberField);
  if (field[0] == 0xFF) {
    number.Empty();
    return 1;
  }
  number = UnpackDialString(field);
  return 1;
}

int CPhoneBookStore::SetNumber(int index, const CString& number) {
  if (index < 0 || index >= kNumberCount) {
    SetLastError(ERROR_PB_BAD_NUMBER_INDEX);
    return 0;
  }
  std::array<BYTE, kNumberField> packed;
  packed.fill(0xFF);
  // A text the dial-number rules refuse leaves the field as it was.
  if (!number.IsEmpty() && (!CheckDialString(number) || !PackDialString(packed, number))) return 0;
  std::copy(packed.begin(), packed.end(), m_work.begin() + static_cast<std::ptrdiff_t>(m_layout.numbers + index * kNumberField));
  return 1;
}

int CPhoneBookStore::SetPaddedText(std::size_t at, const CString& text, int gsmLimit, std::size_t capacity,
                                   DWORD failure) {
  std::vector<BYTE> utf8;
  if (!text.IsEmpty() && !FieldText(text, gsmLimit, capacity, utf8)) {
    SetLastError(failure);
    return 0;
  }
  const std::span<BYTE> field = Field(at, kPaddedField);
  std::fill(field.begin(), field.end(), 0x00);
  std::copy(utf8.begin(), utf8.end(), field.begin());
  return 1;
}

int CPhoneBookStore::GetEmail(int index, CString& email) const {
  if (index < 0 || index > 1) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  email = ReadFieldText(Field(m_layout.emails + index * kPaddedField, kPaddedField), true);
  return 1;
}

int CPhoneBookStore::SetEmail(int index, const CString& email) {
  if (index < 0 || index > 1) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return SetPaddedText(m_layout.emails + index * kPaddedField, email, kPaddedUnits, kEmailBytes, ERROR_PB_EMAIL_TOO_LONG);
}

int CPhoneBookStore::GetText(int index, CString& text) const {
  if (index < 0 || index > 1) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  text = ReadFieldText(Field(m_layout.texts + index * kPaddedField, kPaddedField), true);
  return 1;
}

int CPhoneBookStore::SetText(int index, const CString& text) {
  if (index < 0 || index > 1) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  return SetPaddedText(m_layout.texts + index * kPaddedField, text, kPaddedUnits, kTextBytes, ERROR_PB_TEXT_TOO_LONG);
}

BYTE CPhoneBookStore::GetChoice() const {
  const BYTE choice = m_work[m_layout.choice];
  return (choice & 0x80) != 0 ? 0 : choice;
}

int CPhoneBookStore::SetChoice(int choice) {
  if (choice < 0 || choice > 14) {
    SetLastError(ERROR_PB_BAD_CHOICE);
    return 0;
  }
  m_work[m_layout.choice] = choice == 0 ? kNoChoice : static_cast<BYTE>(choice);
  m_work[m_layout.choice + 1] = kNoChoice;
  m_work[m_layout.choice + 2] = kNoChoice;
  return 1;
}

BYTE CPhoneBookStore::GetGroup() const {
  const BYTE group = m_work[m_layout.group];
  return (group & 0x80) != 0 ? 0 : group;
}

int CPhoneBookStore::SetGroup(int group) {
  if (group < 0 || group > 19) {
    SetLastError(ERROR_PB_BAD_GROUP);
    return 0;
  }
  m_work[m_layout.group] = group == 0 ? 0x80 : static_cast<BYTE>(group);
  return 1;
}

WORD CPhoneBookStore::GetPhoneFlag() const { return (m_work[m_layout.flag] & 0x80) == 0 ? 1 : 0; }

DWORD CPhoneBookStore::GetPicture() const { return IdOf(m_work, m_layout.picture); }

int CPhoneBookStore::SetPicture(DWORD id) {
  PutU32(m_work, m_layout.picture, id == 0 ? kNoPicture : id);
  return 1;
}

DWORD CPhoneBookStore::GetMelody() const { return IdOf(m_work, m_layout.melody); }

int CPhoneBookStore::SetMelody(DWORD id) {
  PutU32(m_work, m_layout.melody, id == 0 ? kNoMelody : id);
  PutU32(m_work, m_layout.melody + 4, kNoMelody);
  PutU32(m_work, m_layout.melody + 8, kNoMelody);
  return 1;
}

int CPhoneBookStore::Commit() {
  std::copy(m_work.begin(), m_work.end(), Slot(m_selected).begin());
  m_used[static_cast<std::size_t>(m_selected)] = 1;
  return 1;
}

int CPhoneBookStore::ClearSlot() {
  const std::span<BYTE> record = Slot(m_selected);
  std::fill(record.begin(), record.end(), 0xFF);
  m_used[static_cast<std::size_t>(m_selected)] = 0;
  return 1;
}

int CPhoneBookStore::ClearAll() {
  for (int slot = 0; slot < m_slotCount; ++slot) {
    Select(slot);
    ClearSlot();
  }
  return 1;
}

