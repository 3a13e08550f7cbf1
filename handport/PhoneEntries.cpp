// The phone object's record arrays: sizing them to the model, resetting, copying and sorting
// their entries, and the progress plans of the whole-phone sequences.
#include "PhoneBase.h"

#include "LinkEngine.h"

#include <base/LastError.h>
#include <registry/WinReg.h>

#include <algorithm>
#include <tuple>

namespace {

// Capacity parameters of the record kinds.
enum Parameter : int {
  kGroupSlots = 0,
  kGroupSize = 1,
  kContactSlots = 3,
  kContactSize = 4,
  kOffLevelsB = 13,
  kOffLevelsA = 14,
  kScheduleSlots = 15,
  kScheduleSize = 16,
  kScheduleDefault0 = 18,
  kScheduleDefault2 = 19,
  kScheduleDefault1 = 20,
  kToDoSlots = 21,
  kToDoSize = 22,
  kScheduleBlock = 32,
  kToDoBlock = 33,
  kChunk = 39,
};

int Ceil(long long value, long long by) { return by <= 0 ? 0 : static_cast<int>((value + by - 1) / by); }

template <class T>
int Sign(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Used entries first; two unused ones are equal.
int CompareUse(BYTE a, BYTE b, int& result) {
  if (a && b) return 0;
  result = a ? -1 : (b ? 1 : 0);
  return 1;
}

}  // namespace

int CompareScheduleEntries(const ScheduleEntry& a, const ScheduleEntry& b) {
  int result = 0;
  if (CompareUse(a.used, b.used, result)) return result;
  return Sign(std::tuple(a.year, a.month, a.day, a.hour, a.minute),
              std::tuple(b.year, b.month, b.day, b.hour, b.minute));
}

int CompareToDoEntries(const ToDoEntry& a, const ToDoEntry& b) {
  int result = 0;
  if (CompareUse(a.used, b.used, result)) return result;
  return Sign(std::tuple(a.year, a.month, a.day), std::tuple(b.year, b.month, b.day));
}

void CPhoneBase::ClearAll() {
  m_groups.clear();
  m_contacts.clear();
  m_schedule.clear();
  m_toDo.clear();
  for (auto& items : m_media) items.clear();
  m_blobs.clear();
  m_raw1.Release();
  m_raw2.Release();
  m_rawItems.clear();
}

void CPhoneBase::SetPhoneType(int type) {
  ClearAll();
  m_phoneType = type;
  m_groups.resize(static_cast<std::size_t>(std::max(GetCapacity(kGroupSlots), 0)));
  m_contacts.resize(static_cast<std::size_t>(std::max(GetCapacity(kContactSlots), 0)));
  m_schedule.resize(static_cast<std::size_t>(std::max(GetCapacity(kScheduleSlots), 0)));
  m_toDo.resize(static_cast<std::size_t>(std::max(GetCapacity(kToDoSlots), 0)));
  for (int array = 0; array < kMediaArrays; ++array) {
    m_media[array].resize(static_cast<std::size_t>(std::max(CapacityOf(static_cast<MediaArray>(array)), 0)));
  }
  for (int slot = 0; slot < static_cast<int>(m_contacts.size()); ++slot) ResetContactEntry(slot, 0);
  for (int slot = 0; slot < static_cast<int>(m_schedule.size()); ++slot) ResetScheduleEntry(slot, 0);
  for (int slot = 0; slot < static_cast<int>(m_toDo.size()); ++slot) ResetToDoEntry(slot, 0);
}

void CPhoneBase::CopyFrom(const CPhoneBase& other) {
  if (&other == this) return;
  SetPhoneType(other.m_phoneType);
  m_serialNumber = other.m_serialNumber;
  m_kindMask = other.m_kindMask;
  m_extraContact = other.m_extraContact;
  m_groups = other.m_groups;
  m_contacts = other.m_contacts;
  m_schedule = other.m_schedule;
  m_toDo = other.m_toDo;
  for (int array = 0; array < kMediaArrays; ++array) m_media[array] = other.m_media[array];
  m_blobs = other.m_blobs;
  m_model = other.m_model;
}

void CPhoneBase::ResetContactEntry(int slot, DWORD number) {
  if (slot < 0 || slot >= static_cast<int>(m_contacts.size())) return;
  ContactEntry entry;
  entry.number = number;
  m_contacts[static_cast<std::size_t>(slot)] = entry;
}

void CPhoneBase::ResetScheduleEntry(int slot, DWORD number) {
  if (slot < 0 || slot >= static_cast<int>(m_schedule.size())) return;
  ScheduleEntry entry;
  entry.number = number;
  entry.defaults = {static_cast<BYTE>(GetCapacity(kScheduleDefault0)), static_cast<BYTE>(GetCapacity(kScheduleDefault1)),
                    static_cast<BYTE>(GetCapacity(kScheduleDefault2))};
  m_schedule[static_cast<std::size_t>(slot)] = entry;
}

void CPhoneBase::ResetToDoEntry(int slot, DWORD number) {
  if (slot < 0 || slot >= static_cast<int>(m_toDo.size())) return;
  ToDoEntry entry;
  entry.number = number;
  m_toDo[static_cast<std::size_t>(slot)] = entry;
}

void CPhoneBase::ClearSelectedKinds() {
  if (m_kindMask & DATA_GROUPS) std::fill(m_groups.begin(), m_groups.end(), GroupEntry{});
  if (m_kindMask & DATA_CONTACTS) {
    for (int slot = 0; slot < static_cast<int>(m_contacts.size()); ++slot) ResetContactEntry(slot, 0);
  }
  if (m_kindMask & DATA_SCHEDULE) {
    for (int slot = 0; slot < static_cast<int>(m_schedule.size()); ++slot) ResetScheduleEntry(slot, 0);
  }
  if (m_kindMask & DATA_TODO) {
    for (int slot = 0; slot < static_cast<int>(m_toDo.size()); ++slot) ResetToDoEntry(slot, 0);
  }
  // Array D is reset with the others: items kept from before would come back in a read or a load
  // that never held them, and go up to the next phone with the rest.
  constexpr std::pair<DWORD, MediaArray> kMediaBits[] = {
      {DATA_MEDIA_A, MediaArray::A}, {DATA_MEDIA_B, MediaArray::B}, {DATA_MEDIA_C, MediaArray::C},
      {DATA_MEDIA_D, MediaArray::D}};
  for (const auto& [bit, array] : kMediaBits) {
    if (!(m_kindMask & bit)) continue;
    for (int n = 0; n < static_cast<int>(MediaItems(array).size()); ++n) ClearMediaItem(array, n, 0);
  }
  if (m_kindMask & DATA_BLOBS) m_blobs.clear();
  if (m_kindMask & DATA_RAW_BLOCKS) {
    m_raw1.Release();
    m_raw2.Release();
    m_rawItems.clear();
  }
}

void CPhoneBase::GetOffLevelListA(CStringArray& list) const {
  list.RemoveAll();
  list.Add("Off");
  for (int level = 1; level <= GetCapacity(kOffLevelsA); ++level) list.Add(CString(std::to_string(level).c_str()));
}

void CPhoneBase::GetOffLevelListB(CStringArray& list) const {
  list.RemoveAll();
  list.Add("Off");
  for (int level = 1; level <= GetCapacity(kOffLevelsB); ++level) list.Add(CString(std::to_string(level).c_str()));
}

bool CPhoneBase::CheckSerialNumber() {
  if (!m_client) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  CString serial;
  if (!m_client->ShowProductSerialNum(serial)) return false;
  // The phone's answer is read as the 64 bytes a reply buffer of 65 holds.
  if (serial.GetLength() > 64) serial = serial.Left(64);
  if (serial == m_serialNumber) return true;
  SetLastError(ERROR_SERIAL_MISMATCH);
  return false;
}

bool CPhoneBase::HasModelType(HKEY applicationKey) const {
  HKEY model = nullptr;
  if (!applicationKey || RegOpenKeyExA(applicationKey, m_model, 0, KEY_READ, &model) != ERROR_SUCCESS) return false;
  const bool found = RegQueryValueExA(model, "Type", nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(model);
  return found;
}

void CPhoneBase::ClosePort() {
  if (m_client) m_client->Disconnect();
}

// --- progress plans ---

int CPhoneBase::ReadStepsOf(DWORD kind) const {
  const int c = GetCapacity(kChunk);
  switch (kind) {
    case DATA_GROUPS:
      return 1 + Ceil(GetCapacity(kGroupSlots) * GetCapacity(kGroupSize), c);
    case DATA_CONTACTS:
      return GetCapacity(kContactSlots) * (1 + Ceil(GetCapacity(kContactSize), c));
    case DATA_SCHEDULE: {
      const int blocks = Ceil(GetCapacity(kScheduleSlots), GetCapacity(kScheduleBlock));
      return 1 + Ceil(GetCapacity(kScheduleSlots), c) +
             blocks * (1 + Ceil(GetCapacity(kScheduleBlock) * GetCapacity(kScheduleSize), c));
    }
    case DATA_TODO: {
      const int blocks = Ceil(GetCapacity(kToDoSlots), GetCapacity(kToDoBlock));
      return 1 + Ceil(GetCapacity(kToDoSlots), c) +
             blocks * (1 + Ceil(GetCapacity(kToDoBlock) * GetCapacity(kToDoSize), c));
    }
    default:
      return 0;
  }
}

int CPhoneBase::CountReadSteps(int* steps) const {
  int count = 1;
  for (DWORD bit = 1; bit <= DATA_RAW_BLOCKS; bit <<= 1) {
    if (m_kindMask & bit) count += ReadStepsOf(bit);
  }
  if (steps) *steps = count;
  return 0;
}

void CPhoneBase::WriteStepsOf(DWORD kind, int& steps, long long& bytes) const {
  const int c = GetCapacity(kChunk);
  // Each transfer: one step, one per chunk, and its payload plus 20 bytes of commands.
  const auto transfer = [&](int size) {
    steps += 1 + Ceil(size, c);
    bytes += size + 20;
  };
  // Blocks of `block` entries that hold a used one.
  const auto usedBlocks = [](const auto& entries, int block) {
    int count = 0;
    for (std::size_t first = 0; block > 0 && first < entries.size(); first += static_cast<std::size_t>(block)) {
      const auto last = std::min(entries.size(), first + static_cast<std::size_t>(block));
      count += std::any_of(entries.begin() + static_cast<std::ptrdiff_t>(first),
                           entries.begin() + static_cast<std::ptrdiff_t>(last), [](const auto& e) { return e.used != 0; });
    }
    return count;
  };
  switch (kind) {
    case DATA_GROUPS:
      transfer(GetCapacity(kGroupSlots) * GetCapacity(kGroupSize));
      break;
    case DATA_CONTACTS:
      for (std::size_t slot = 0; slot < m_contacts.size(); ++slot) {
        if (m_contacts[slot].used) {
          transfer(GetCapacity(kContactSize));
        } else {
          steps += 1;
          bytes += static_cast<long long>(CommandText("FFSErase,%d,%d", GetFirstFileNumber(220), static_cast<int>(slot)).size());
        }
      }
      break;
    case DATA_SCHEDULE:
      transfer(GetCapacity(kScheduleSlots));
      for (int b = usedBlocks(m_schedule, GetCapacity(kScheduleBlock)); b > 0; --b) {
        transfer(GetCapacity(kScheduleBlock) * GetCapacity(kScheduleSize));
      }
      break;
    case DATA_TODO:
      transfer(GetCapacity(kToDoSlots));
      for (int b = usedBlocks(m_toDo, GetCapacity(kToDoBlock)); b > 0; --b) {
        transfer(GetCapacity(kToDoBlock) * GetCapacity(kToDoSize));
      }
      break;
    default:
      break;
  }
}

int CPhoneBase::EstimateWriteTime(int* steps, int* estimate) const {
  int count = 0;
  long long bytes = 0;
  for (DWORD bit : {DATA_GROUPS, DATA_CONTACTS, DATA_SCHEDULE, DATA_TODO}) {
    if (m_kindMask & bit) WriteStepsOf(bit, count, bytes);
  }
  if (steps) *steps = count;
  if (estimate) *estimate = static_cast<int>(40 * bytes / 38400) + 3;
  return 0;
}
