// The whole phone in one run: every kind the kind mask selects read from the phone's flash files
// into the phone object's record arrays (ReadAll), or written from them to the phone (WriteAll).
// Both open the phone's test mode themselves, check its software version against the phone
// family and its lock state, post a WM_PHONE_STEP for every step to the notification window, and
// switch the phone off at the end (the write always, the read only after a failure).
#include "PhoneBase.h"

#include "FlashBlock.h"
#include "LinkEngine.h"
#include "StepMeter.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <new>
#include <string_view>

namespace {

constexpr std::string_view kFamily8Versions = "Q,V,P,R,WD";
constexpr std::string_view kFamily16Versions = "WJ";
constexpr std::string_view kLockCheckedVersions = "P,R,WJ,WD,E";
constexpr int kConvertTimeout = 15000;

// Capacity parameters the sequences use.
enum Parameter : int {
  kGroupSlots = 0,
  kGroupSize = 1,
  kContactSlots = 3,
  kContactSize = 4,
  kScheduleSize = 16,
  kToDoSize = 22,
  kScheduleBlock = 32,
  kToDoBlock = 33,
  kChunk = 39,
  kRawItems = 43,
};

// Whether `text` begins with one of the comma-separated entries of `list`.
bool ListHasPrefixOf(std::string_view list, std::string_view text) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view entry = list.substr(0, comma);
    if (!entry.empty() && text.starts_with(entry)) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

std::string_view View(const CString& text) { return {text, static_cast<std::size_t>(text.GetLength())}; }

int Ceil(long long value, long long by) { return by <= 0 ? 0 : static_cast<int>((value + by - 1) / by); }

DWORD LastErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return error ? error : fallback;
}

}  // namespace

DWORD CPhoneBase::ReadAll() {
  if (!m_client) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR_INVALID_HANDLE;
  }
  CStepMeter meter(m_notifyWindow);
  bool powerOff = true;
  DWORD result = 0;
  try {
    result = ReadAllSteps(meter, powerOff);
  } catch (const std::bad_alloc&) {
    result = ERROR_NOT_ENOUGH_MEMORY;
  }
  if (result && powerOff) m_client->PowerOff();
  SetLastError(result);
  return result;
}

// Checks the software version against the phone family: 0, or ERROR_WRONG_SW_VERSION (to be
// returned without switching the phone off), or the command's error.
static DWORD CheckFamily(CLinkEngine& client, int family, CString& model, bool& powerOff) {
  if (family != 8 && family != 16) return 0;
  CString version;
  if (!client.ShowSwVersion(version)) return LastErrorOr(ERROR_PHONE_BAD_REPLY);
  model = version;
  if (ListHasPrefixOf(family == 8 ? kFamily8Versions : kFamily16Versions, View(version))) return 0;
  powerOff = false;
  return ERROR_WRONG_SW_VERSION;
}

DWORD CPhoneBase::ReadAllSteps(CStepMeter& meter, bool& powerOff) {
  CLinkEngine& client = *m_client;
  const auto failed = [] { return LastErrorOr(ERROR_PHONE_BAD_REPLY); };
  ClearSelectedKinds();
  if (const DWORD error = CheckFamily(client, m_family, m_model, powerOff)) return error;
  CString serial;
  if (!client.TestModeOn() || !client.ShowProductSerialNum(serial) || !client.BackLightOff()) return failed();
  m_serialNumber = serial;
  CString version;
  if (!client.ShowSwVersion(version)) return failed();
  m_model = version;
  if (ListHasPrefixOf(kLockCheckedVersions, View(version)) && !client.VerifyLockInfo()) return failed();

  // One flash file into `block`, as a transfer of `steps` steps.
  const auto read = [&](CFlashBlock& block, int steps) {
    meter.BeginUnit(steps);
    const int ok = client.ReadBlock(block, &CStepMeter::PostProgressStep, &meter);
    meter.EndUnit();
    return ok;
  };
  const int c = GetCapacity(kChunk);

  if (m_kindMask & DATA_RAW_BLOCKS) {
    meter.BeginKind(0);
    CFlashBlock first(GetFirstFileNumber(9052), GetSecondFileNumber(9052), m_cancel.Get());
    if (!read(first, 0) || (first.Length() > 0 && !SetRawBlock1(first.data))) return failed();
    CFlashBlock second(GetFirstFileNumber(9051), GetSecondFileNumber(9051), m_cancel.Get());
    if (!read(second, 0) || (second.Length() > 0 && !SetRawBlock2(second.data))) return failed();
    for (int i = 0; i < GetCapacity(kRawItems); ++i) {
      CFlashBlock item(GetFirstFileNumber(9050),
                       GetSecondFileNumber(9050) + GetFileStride(9050) * (i / 2) + i % 2, m_cancel.Get());
      if (!read(item, 0) || !SetRawBlockItem(i, item.data)) return failed();
      m_rawItems[static_cast<std::size_t>(i)].owned = item.Length() > 0 ? 1 : 0;
    }
  }

  if (m_kindMask & DATA_GROUPS) {
    meter.BeginKind(ReadStepsOf(DATA_GROUPS));
    CFlashBlock block(GetFirstFileNumber(0), GetSecondFileNumber(0), m_cancel.Get());
    if (!read(block, 1 + Ceil(GetCapacity(kGroupSlots) * GetCapacity(kGroupSize), c))) return failed();
    if (block.Length() > 0 && !SetGroupNames(block.data)) return failed();
    meter.EndKind();
  }

  if (m_kindMask & DATA_CONTACTS) {
    // Older versions of an odd phone type keep their contacts in another form.
    if (GetPhoneType() % 2 != 0 && m_model.GetLength() >= 2 && std::string_view(m_model).substr(2) < "5716") {
      return ERROR_CONTACTS_OLD_VERSION;
    }
    meter.BeginKind(ReadStepsOf(DATA_CONTACTS));
    for (int slot = 0; slot < static_cast<int>(m_contacts.size()); ++slot) {
      CFlashBlock block(GetFirstFileNumber(220), slot, m_cancel.Get());
      if (!read(block, 1 + Ceil(GetCapacity(kContactSize), c))) return failed();
      m_contacts[static_cast<std::size_t>(slot)].used = block.Length() > 0 ? 1 : 0;
      if (block.Length() > 0 && !SetContactRecord(slot, block.data)) return failed();
    }
    meter.EndKind();
  }

  // Schedule and to-do: the used bytes, then the blocks that hold a used slot.
  struct BlockKind {
    DWORD bit;
    int flagsKind, blockKind;
    int slotsParameter, blockParameter, sizeParameter;
    std::vector<BYTE> (CPhoneBase::*usedOf)() const;
    int (CPhoneBase::*setFlags)(std::span<const BYTE>);
    int (CPhoneBase::*setRecord)(int, std::span<const BYTE>);
  };
  const BlockKind kBlockKinds[] = {
      {DATA_SCHEDULE, 1000, 1001, 15, kScheduleBlock, kScheduleSize, &CPhoneBase::ScheduleUsed,
       &CPhoneBase::SetScheduleUsedFlags, &CPhoneBase::SetScheduleRecord},
      {DATA_TODO, 2000, 2001, 21, kToDoBlock, kToDoSize, &CPhoneBase::ToDoUsed, &CPhoneBase::SetToDoUsedFlags,
       &CPhoneBase::SetToDoRecord},
  };
  for (const BlockKind& kind : kBlockKinds) {
    if (!(m_kindMask & kind.bit)) continue;
    meter.BeginKind(ReadStepsOf(kind.bit));
    const int slots = GetCapacity(kind.slotsParameter);
    const int perBlock = GetCapacity(kind.blockParameter);
    const int size = GetCapacity(kind.sizeParameter);
    CFlashBlock flags(GetFirstFileNumber(kind.flagsKind), GetSecondFileNumber(kind.flagsKind), m_cancel.Get());
    if (!read(flags, 1 + Ceil(slots, c))) return failed();
    if (flags.Length() > 0) {
      if (!(this->*kind.setFlags)(flags.data)) return failed();
      const std::vector<BYTE> used = (this->*kind.usedOf)();
      for (int b = 0; perBlock > 0 && b * perBlock < slots; ++b) {
        const int first = b * perBlock;
        const int last = std::min(slots, first + perBlock);
        const bool any = std::any_of(used.begin() + first, used.begin() + last, [](BYTE u) { return u != 0; });
        const int steps = 1 + Ceil(perBlock * size, c);
        if (!any) {
          meter.BeginUnit(steps, false);
          meter.EndUnit();
          continue;
        }
        CFlashBlock block(GetFirstFileNumber(kind.blockKind), b, m_cancel.Get());
        if (!read(block, steps)) return failed();
        if (block.Length() != 0 && block.Length() != perBlock * size) return ERROR_BLOCK_SIZE;
        for (int slot = first; block.Length() > 0 && slot < last; ++slot) {
          if (!used[static_cast<std::size_t>(slot)]) continue;
          (this->*kind.setRecord)(slot, std::span<const BYTE>(block.data).subspan(
                                            static_cast<std::size_t>((slot - first) * size), static_cast<std::size_t>(size)));
        }
      }
    }
    meter.EndKind();
  }

  for (DWORD bit : {DATA_MEDIA_C, DATA_MEDIA_A, DATA_MEDIA_B, DATA_MEDIA_D}) {
    if (!(m_kindMask & bit)) continue;
    meter.BeginKind(ReadStepsOf(bit));
    if (!ReadMediaArray(bit, meter)) return failed();
    meter.EndKind();
  }
  if (m_kindMask & DATA_BLOBS) {
    meter.BeginKind(0);
    if (!ReadMediaArray(0, meter)) return failed();
  }
  meter.Extra(1);
  return 0;
}

std::vector<BYTE> CPhoneBase::ScheduleUsed() const {
  std::vector<BYTE> used;
  for (const ScheduleEntry& entry : m_schedule) used.push_back(entry.used);
  return used;
}

std::vector<BYTE> CPhoneBase::ToDoUsed() const {
  std::vector<BYTE> used;
  for (const ToDoEntry& entry : m_toDo) used.push_back(entry.used);
  return used;
}

DWORD CPhoneBase::WriteAll() {
  if (!m_client) {
    SetLastError(ERROR_INVALID_HANDLE);
    return ERROR_INVALID_HANDLE;
  }
  CLinkEngine& client = *m_client;
  CStepMeter meter(m_notifyWindow);
  bool powerOff = true;
  DWORD result = 0;
  try {
    result = WriteAllSteps(meter, powerOff);
  } catch (const std::bad_alloc&) {
    result = ERROR_NOT_ENOUGH_MEMORY;
  }
  if (!powerOff) {
    SetLastError(result);
    return result;
  }
  const auto& b = MediaItems(MediaArray::B);
  if (result == 0 && (m_kindMask & DATA_MEDIA_B) &&
      std::any_of(b.begin(), b.end(), [](const MediaItem& item) { return item.HoldsData(); })) {
    // The phone converts what it took into its own form, which takes a while. The engine's own
    // time-out comes back afterwards: the manager's later commands keep theirs.
    const int before = client.Timeout();
    client.SetTimeout(kConvertTimeout);
    if (!client.SetCliConvert()) result = LastErrorOr(ERROR_PHONE_BAD_REPLY);
    client.SetTimeout(before);
  }
  // The first failure stays the result: a power-off that fails after it fails for the same cause.
  if (!client.PowerOff() && result == 0) result = LastErrorOr(ERROR_PHONE_BAD_REPLY);
  SetLastError(result);
  return result;
}

DWORD CPhoneBase::WriteAllSteps(CStepMeter& meter, bool& powerOff) {
  CLinkEngine& client = *m_client;
  const auto failed = [] { return LastErrorOr(ERROR_PHONE_BAD_REPLY); };
  if (const DWORD error = CheckFamily(client, m_family, m_model, powerOff)) return error;
  if (!client.TestModeOn() || !client.BackLightOff()) return failed();
  if (ListHasPrefixOf(kLockCheckedVersions, View(m_model)) && !client.VerifyLockInfo()) return failed();

  const auto write = [&](int file, int sub, std::span<const BYTE> bytes, int steps, HANDLE cancel) {
    CFlashBlock block(file, sub, cancel);
    block.SetData(bytes);
    meter.BeginUnit(steps);
    const int ok = client.WriteBlock(block, &CStepMeter::PostProgressStep, &meter);
    meter.EndUnit();
    return ok;
  };
  const int c = GetCapacity(kChunk);
  const auto kindSteps = [this](DWORD bit) {
    int steps = 0;
    long long bytes = 0;
    WriteStepsOf(bit, steps, bytes);
    return steps;
  };

  if (m_kindMask & DATA_RAW_BLOCKS) {
    meter.BeginKind(0);
    // A block the object does not hold (the phone gave none, or a save released it) is not
    // written: there is nothing of it to give back.
    if (m_raw1.owned) {
      if (!write(GetFirstFileNumber(9052), GetSecondFileNumber(9052), m_raw1.bytes, 0, nullptr)) return failed();
      m_raw1.Release();
    }
    if (m_raw2.owned) {
      if (!write(GetFirstFileNumber(9051), GetSecondFileNumber(9051), m_raw2.bytes, 0, nullptr)) return failed();
      m_raw2.Release();
    }
    for (std::size_t i = 0; i < m_rawItems.size(); ++i) {
      if (!m_rawItems[i].owned || m_rawItems[i].bytes.empty()) continue;
      const int sub = GetSecondFileNumber(9050) + GetFileStride(9050) * static_cast<int>(i / 2) + static_cast<int>(i % 2);
      if (!write(GetFirstFileNumber(9050), sub, m_rawItems[i].bytes, 0, m_cancel.Get())) return failed();
      m_rawItems[i].Release();
    }
    m_rawItems.clear();
  }

  if (m_kindMask & DATA_BLOBS) {
    meter.BeginKind(0);
    if (!WriteMediaArray(0, meter)) return failed();
  }

  if (m_kindMask & DATA_GROUPS) {
    meter.BeginKind(kindSteps(DATA_GROUPS));
    std::vector<BYTE> names;
    const int size = GetCapacity(kGroupSlots) * GetCapacity(kGroupSize);
    if (!GetGroupNames(GetCapacity(kGroupSlots), GetCapacity(kGroupSize), names) ||
        !write(GetFirstFileNumber(0), GetSecondFileNumber(0), names, 1 + Ceil(size, c), nullptr)) {
      return failed();
    }
    meter.EndKind();
  }

  if (m_kindMask & DATA_CONTACTS) {
    meter.BeginKind(kindSteps(DATA_CONTACTS));
    std::vector<BYTE> record;
    for (int slot = 0; slot < static_cast<int>(m_contacts.size()); ++slot) {
      if (m_contacts[static_cast<std::size_t>(slot)].used) {
        if (!GetContactRecord(slot, record) ||
            !write(GetFirstFileNumber(220), slot, record, 1 + Ceil(GetCapacity(kContactSize), c), nullptr)) {
          return failed();
        }
        continue;
      }
      // An empty slot's file goes; whether the phone had one to erase does not matter. A phone
      // that no longer answers does: each of the slots left would wait out its time-outs.
      meter.BeginUnit(1);
      const int erased = client.EraseBlock(CFlashBlock(GetFirstFileNumber(220), slot));
      meter.EndUnit();
      if (!erased && GetLastError() != ERROR_PHONE_BAD_REPLY) return failed();
    }
    meter.EndKind();
  }

  struct BlockKind {
    DWORD bit;
    int flagsKind, blockKind;
    int slotsParameter, blockParameter;
    bool (CPhoneBase::*usedFlags)(int, std::vector<BYTE>&);
    bool (CPhoneBase::*record)(int, std::vector<BYTE>&) const;
  };
  const BlockKind kBlockKinds[] = {
      {DATA_SCHEDULE, 1000, 1001, 15, kScheduleBlock, &CPhoneBase::GetScheduleUsedFlags, &CPhoneBase::GetScheduleRecord},
      {DATA_TODO, 2000, 2001, 21, kToDoBlock, &CPhoneBase::GetToDoUsedFlags, &CPhoneBase::GetToDoRecord},
  };
  for (const BlockKind& kind : kBlockKinds) {
    if (!(m_kindMask & kind.bit)) continue;
    meter.BeginKind(kindSteps(kind.bit));
    const int slots = GetCapacity(kind.slotsParameter);
    const int perBlock = GetCapacity(kind.blockParameter);
    std::vector<BYTE> used;
    if (!(this->*kind.usedFlags)(slots, used) ||
        !write(GetFirstFileNumber(kind.flagsKind), GetSecondFileNumber(kind.flagsKind), used, 1 + Ceil(slots, c),
               nullptr)) {
      return failed();
    }
    for (int b = 0; perBlock > 0 && b * perBlock < slots; ++b) {
      const int first = b * perBlock;
      const int last = std::min(slots, first + perBlock);
      if (std::none_of(used.begin() + first, used.begin() + last, [](BYTE u) { return u != 0; })) continue;
      std::vector<BYTE> block, record;
      for (int slot = first; slot < first + perBlock; ++slot) {
        if (slot < last) {
          if (!(this->*kind.record)(slot, record)) return failed();
        } else {
          record.assign(record.size(), 0);
        }
        block.insert(block.end(), record.begin(), record.end());
      }
      if (!write(GetFirstFileNumber(kind.blockKind), b, block, 1 + Ceil(static_cast<long long>(block.size()), c),
                 nullptr)) {
        return failed();
      }
    }
    meter.EndKind();
  }

  for (DWORD bit : {DATA_MEDIA_A, DATA_MEDIA_B, DATA_MEDIA_D, DATA_MEDIA_C}) {
    if (!(m_kindMask & bit)) continue;
    meter.BeginKind(kindSteps(bit));
    if (!WriteMediaArray(bit, meter)) return failed();
    meter.EndKind();
  }
  return 0;
}

int CPhoneBase::ReadMediaArray(DWORD, CStepMeter&) { return 1; }
int CPhoneBase::WriteMediaArray(DWORD, CStepMeter&) { return 1; }
