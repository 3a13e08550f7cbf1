#include "ToDoStore.h"

#include "StoreFields.h"

#include <base/LastError.h>

#include <algorithm>

namespace {

// Offsets after the description field.
constexpr std::size_t kStart = 3, kDue = 7, kStatus = 11, kPriority = 12, kCategory = 13, kPrivate = 14;
constexpr std::size_t kEnd = 15;

constexpr BlockFiles kFiles{.flagsFile = CToDoStore::kFlagsFile,
                            .flagsSub = CToDoStore::kFlagsSub,
                            .blockFile = CToDoStore::kBlockFile,
                            .badSlot = ERROR_TODO_BAD_SLOT,
                            .noFlags = ERROR_TODO_NO_FLAGS,
                            .badFlags = ERROR_TODO_BAD_FLAGS,
                            .noBlock = ERROR_TODO_NO_BLOCK,
                            .badBlock = ERROR_TODO_BAD_BLOCK,
                            .reportSkippedBlocks = false,
                            .exactBlocks = true};

}  // namespace

CToDoStore::CToDoStore(std::size_t descriptionSize, int descriptionUnits)
    : m_descriptionSize(descriptionSize),
      m_descriptionUnits(descriptionUnits),
      m_slots(kSlotCount, descriptionSize + kEnd, kFiles) {}

int CToDoStore::Reset() {
  m_selected = 0;
  m_slots.ClearFlags();
  return 1;
}

int CToDoStore::Select(int slot) {
  if (slot < 0 || slot >= kSlotCount) {
    SetLastError(ERROR_TODO_BAD_SLOT);
    return 0;
  }
  m_selected = slot;
  return 1;
}

int CToDoStore::ClearSlot() {
  m_slots.Used(m_selected) = 0;
  return 1;
}

CString CToDoStore::GetDescription() const { return ReadFieldText(Selected().first(m_descriptionSize), false); }

int CToDoStore::SetDescription(const CString& description) {
  if (!WriteFieldText(Selected().first(m_descriptionSize), description, m_descriptionUnits)) {
    SetLastError(ERROR_DESCRIPTION_TOO_LONG);
    return 0;
  }
  m_slots.Used(m_selected) = 1;
  return 1;
}

CTime CToDoStore::GetDate(std::size_t at) const {
  const std::span<const BYTE> record = Selected();
  return CTime(GetU16(record, at), record[at + 2], record[at + 3], 0, 0, 0);
}

int CToDoStore::SetDate(std::size_t at, const CTime& date, DWORD tooEarly, DWORD tooLate) {
  switch (CheckDateWindow(date)) {
    case DateWindow::Earlier: SetLastError(tooEarly); return 0;
    case DateWindow::Later: SetLastError(tooLate); return 0;
    case DateWindow::Inside: break;
  }
  const std::span<BYTE> record = Selected();
  PutU16(record, at, static_cast<WORD>(date.GetYear()));
  record[at + 2] = static_cast<BYTE>(date.GetMonth());
  record[at + 3] = static_cast<BYTE>(date.GetDay());
  m_slots.Used(m_selected) = 1;
  return 1;
}

CTime CToDoStore::GetStart() const { return GetDate(At(kStart)); }
int CToDoStore::SetStart(const CTime& start) {
  return SetDate(At(kStart), start, ERROR_TODO_START_TOO_EARLY, ERROR_TODO_START_TOO_LATE);
}
CTime CToDoStore::GetDue() const { return GetDate(At(kDue)); }
int CToDoStore::SetDue(const CTime& due) {
  return SetDate(At(kDue), due, ERROR_TODO_DUE_TOO_EARLY, ERROR_TODO_DUE_TOO_LATE);
}

BYTE CToDoStore::GetStatus() const { return Selected()[At(kStatus)] == 1 ? 1 : 0; }

int CToDoStore::SetStatus(int status) {
  Selected()[At(kStatus)] = status == 0 ? 2 : 1;
  m_slots.Used(m_selected) = 1;
  return 1;
}

int CToDoStore::Download(HANDLE cancel, CLinkEngine& engine, int first, int last) {
  m_selected = 0;
  return m_slots.Download(cancel, engine, first, last);
}

int CToDoStore::Upload(HANDLE cancel, CLinkEngine& engine, int first, int last) {
  // The phone takes the ten records of a block as they are.
  return m_slots.Upload(cancel, engine, first, last, [](int, std::span<const BYTE> records) {
    return std::vector<BYTE>(records.begin(), records.end());
  });
}

// The extended fields store 1 to 3 for 0 to 2 (the private mark 2 for private, 1 for not); a
// byte the phone left otherwise reads as the middle value, or as not private.
BYTE CToDoStoreEx::GetPriority() const {
  const BYTE byte = Selected()[At(kPriority)];
  return byte == 1 ? 0 : byte == 3 ? 2 : 1;
}

int CToDoStoreEx::SetPriority(int priority) {
  Selected()[At(kPriority)] = priority == 0 ? 1 : priority == 2 ? 3 : 2;
  return 1;
}

BYTE CToDoStoreEx::GetCategory() const {
  const BYTE byte = Selected()[At(kCategory)];
  return byte == 2 ? 1 : byte == 3 ? 2 : 0;
}

int CToDoStoreEx::SetCategory(int category) {
  Selected()[At(kCategory)] = category == 1 ? 2 : category == 2 ? 3 : 1;
  return 1;
}

BYTE CToDoStoreEx::GetPrivate() const { return Selected()[At(kPrivate)] == 2 ? 1 : 0; }

int CToDoStoreEx::SetPrivate(int isPrivate) {
  Selected()[At(kPrivate)] = isPrivate == 0 ? 1 : 2;
  return 1;
}
