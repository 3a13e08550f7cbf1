#include "GroupStore.h"

#include "FlashFile.h"
#include "PhoneText.h"

#include <base/LastError.h>

#include <algorithm>

int CGroupStore::ClearAll() {
  m_slot = 0;
  m_table.fill(0x00);
  return 1;
}

int CGroupStore::Select(int group) {
  if (group < 1 || group > kGroupCount) {
    SetLastError(ERROR_GROUP_NUMBER);
    return 0;
  }
  m_slot = group - 1;
  return 1;
}

std::span<BYTE, CGroupStore::kNameSize> CGroupStore::Record() {
  return std::span<BYTE, kNameSize>(m_table.data() + m_slot * kNameSize, kNameSize);
}

std::span<const BYTE, CGroupStore::kNameSize> CGroupStore::Record() const {
  return std::span<const BYTE, kNameSize>(m_table.data() + m_slot * kNameSize, kNameSize);
}

int CGroupStore::IsUsed() const { return Record()[0] != 0x00 ? 1 : 0; }

CString CGroupStore::GetName() const {
  // A name that uses all 41 bytes has no terminator of its own: it is read from a copy that has.
  std::array<char, kNameSize + 1> scratch{};
  std::copy(Record().begin(), Record().end(), scratch.begin());
  CPhoneText text;
  text.FromUtf8(scratch.data());
  return text.Text();
}

int CGroupStore::SetName(const CString& name) {
  CPhoneText text(name);
  const BYTE* utf8 = nullptr;
  int length = 0;
  text.ToUtf8(utf8, length);
  // The fit check counts GSM units, but a unit can take up to three bytes of UTF-8: a name of 41
  // "ä" passes it and would run 41 bytes into the next group.
  if (!text.FitsGsmLimit(kNameSize) || length > kNameSize) {
    SetLastError(ERROR_GROUP_NAME_SIZE);
    return 0;
  }
  const std::span<BYTE, kNameSize> record = Record();
  std::fill(record.begin(), record.end(), BYTE{0x00});
  std::copy_n(utf8, length, record.begin());
  return 1;
}

int CGroupStore::ClearSlot() {
  const std::span<BYTE, kNameSize> record = Record();
  std::fill(record.begin(), record.end(), BYTE{0x00});
  return 1;
}

int CGroupStore::Download(CLinkEngine& engine) {
  CFlashFile file;
  file.Bind(engine, kFileNumber, kSubNumber);
  if (!file.Read()) return 0;
  // A phone that never had groups has no group file: size 0.
  if (file.Size() == 0) {
    m_table.fill(0x00);
  } else if (file.Size() == kFileSize) {
    std::copy(file.Data().begin(), file.Data().end(), m_table.begin());
  } else {
    SetLastError(ERROR_GROUP_FILE_SIZE);
    return 0;
  }
  engine.ReportProgress(1, 1);
  return 1;
}

int CGroupStore::Upload(CLinkEngine& engine) {
  CFlashFile file;
  file.Bind(engine, kFileNumber, kSubNumber);
  file.Fill(kFileSize, 0x00);
  std::copy(m_table.begin(), m_table.end(), file.Data().begin());
  if (!file.Write()) return 0;
  engine.ReportProgress(1, 1);
  return 1;
}
