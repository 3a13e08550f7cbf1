#include "ScheduleStore.h"

#include "LinkEngine.h"
#include "PhoneText.h"
#include "StoreFields.h"
#include "StoreTransfer.h"

#include <base/LastError.h>

#include <algorithm>

namespace {

// Offsets after the description field.
constexpr std::size_t kYear = 3, kMonth = 5, kDay = 6, kHour = 7, kMinute = 8;
constexpr std::size_t kAlarm = 11, kRepeat = 12, kMelody = 15, kSlot = 19, kEnd = 23;

}  // namespace

constexpr BlockFiles kFiles{.flagsFile = CScheduleStore::kFlagsFile,
                            .flagsSub = CScheduleStore::kFlagsSub,
                            .blockFile = CScheduleStore::kBlockFile,
                            .badSlot = ERROR_SCHEDULE_BAD_SLOT,
                            .noFlags = ERROR_SCHEDULE_NO_FLAGS,
                            .badFlags = ERROR_SCHEDULE_BAD_FLAGS,
                            .noBlock = ERROR_SCHEDULE_NO_BLOCK,
                            .badBlock = ERROR_SCHEDULE_SHORT_BLOCK,
                            .reportSkippedBlocks = true,
                            .exactBlocks = false};

CScheduleStore::CScheduleStore(std::size_t descriptionSize, int descriptionUnits)
    : m_descriptionSize(descriptionSize),
      m_descriptionUnits(descriptionUnits),
      m_melodyNames(kSlotCount),
      m_slots(kSlotCount, descriptionSize + kEnd, kFiles) {}

int CScheduleStore::Reset() {
  m_selected = 0;
  m_slots.ClearFlags();
  return 1;
}

int CScheduleStore::Select(int slot) {
  if (slot < 0 || slot >= kSlotCount) {
    SetLastError(ERROR_SCHEDULE_BAD_SLOT);
    return 0;
  }
  m_selected = slot;
  PutU16(Selected(), At(kSlot), static_cast<WORD>(slot));
  return 1;
}

int CScheduleStore::ClearSlot() {
  m_slots.Used(m_selected) = 0;
  return 1;
}

CString CScheduleStore::GetDescription() const { return ReadFieldText(Selected().first(m_descriptionSize), false); }

int CScheduleStore::SetDescription(const CString& description) {
  if (!WriteFieldText(Selected().first(m_descriptionSize), description, m_descriptionUnits)) {
    SetLastError(ERROR_DESCRIPTION_TOO_LONG);
    return 0;
  }
  m_slots.Used(m_selected) = 1;
  return 1;
}

CTime CScheduleStore::GetStart() const {
  const std::span<const BYTE> record = Selected();
  return CTime(GetU16(record, At(kYear)), record[At(kMonth)], record[At(kDay)], record[At(kHour)],
               record[At(kMinute)], 0);
}

int CScheduleStore::SetStart(const CTime& start) {
  switch (CheckDateWindow(start)) {
    case DateWindow::Earlier: SetLastError(ERROR_SCHEDULE_TOO_EARLY); return 0;
    case DateWindow::Later: SetLastError(ERROR_SCHEDULE_TOO_LATE); return 0;
    case DateWindow::Inside: break;
  }
  const std::span<BYTE> record = Selected();
  PutU16(record, At(kYear), static_cast<WORD>(start.GetYear()));
  record[At(kMonth)] = static_cast<BYTE>(start.GetMonth());
  record[At(kDay)] = static_cast<BYTE>(start.GetDay());
  record[At(kHour)] = static_cast<BYTE>(start.GetHour());
  record[At(kMinute)] = static_cast<BYTE>(start.GetMinute());
  m_slots.Used(m_selected) = 1;
  return 1;
}

BYTE CScheduleStore::GetAlarm() const { return Selected()[At(kAlarm)] >> 7; }

int CScheduleStore::SetAlarm(int alarm) {
  // The value times 128, as a byte: only its lowest bit counts.
  Selected()[At(kAlarm)] = static_cast<BYTE>((alarm & 1) << 7);
  m_slots.Used(m_selected) = 1;
  return 1;
}

BYTE CScheduleStore::GetRepeat() const {
  const BYTE repeat = Selected()[At(kRepeat)] & 0x7F;
  return repeat > 3 ? 0 : repeat;
}

int CScheduleStore::SetRepeat(int repeat) {
  BYTE& byte = Selected()[At(kRepeat)];
  byte = static_cast<BYTE>((byte & 0x80) | (repeat & 0x7F));
  m_slots.Used(m_selected) = 1;
  return 1;
}

BYTE CScheduleStore::GetPrivate() const { return Selected()[At(kRepeat)] >> 7; }

int CScheduleStore::SetPrivate(int isPrivate) {
  BYTE& byte = Selected()[At(kRepeat)];
  byte = static_cast<BYTE>((byte & 0x7F) | (isPrivate & 1) << 7);
  m_slots.Used(m_selected) = 1;
  return 1;
}

DWORD CScheduleStore::GetMelodyId() const { return GetU32(Selected(), At(kMelody)); }

int CScheduleStore::SetMelodyId(DWORD id) {
  PutU32(Selected(), At(kMelody), id);
  m_slots.Used(m_selected) = 1;
  return 1;
}

int CScheduleStore::SetMelodyName(const CString& name) {
  m_melodyNames[static_cast<std::size_t>(m_selected)] = name;
  return 1;
}

int CScheduleStore::Download(HANDLE cancel, CLinkEngine& engine, int first, int last) {
  if (first == -1 && last == -1) m_selected = 0;
  return m_slots.Download(cancel, engine, first, last);
}

std::vector<BYTE> CScheduleStore::BlockFile(std::span<const BYTE> records) const {
  const std::size_t recordSize = m_slots.RecordSize();
  std::vector<BYTE> file;
  for (std::size_t at = 0; at < records.size(); at += recordSize) {
    const std::span<const BYTE> record = records.subspan(at, recordSize);
    CString name;
    if (m_resources != nullptr) name = m_resources->DisplayNameOf(RESOURCE_SOUNDS, GetU32(record, At(kMelody)));
    CPhoneText text(name);
    const BYTE* utf8 = nullptr;
    int length = 0;
    text.ToUtf8(utf8, length);
    const std::size_t entry = file.size();
    file.insert(file.end(), record.begin(), record.end());
    file.resize(file.size() + 4);
    PutU16(file, entry + recordSize, static_cast<WORD>(recordSize + 4 + static_cast<std::size_t>(length)));
    PutU16(file, entry + recordSize + 2, static_cast<WORD>(length));
    file.insert(file.end(), utf8, utf8 + length);
  }
  return file;
}

int CScheduleStore::Upload(HANDLE cancel, CLinkEngine& engine, int first, int last) {
  if (!m_slots.Upload(cancel, engine, first, last,
                      [this](int, std::span<const BYTE> records) { return BlockFile(records); })) {
    return 0;
  }
  // The phone takes the new schedule when told so; its answer does not change the upload's result.
  int restarted = 0;
  if (engine.ScheduleInit(restarted) && restarted == 1) engine.SetFunctionTest();
  return 1;
}
