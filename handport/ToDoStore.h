#pragma once
// The phone's 100 to-do slots in the phone's own record layout, moved between the phone and the
// PC in files of ten slots, with a file of the slots' used flags. CToDoStore keeps the standard
// layout (80-byte records); CToDoStoreEx the extended one (272 bytes, a description of up to 256
// units, and priority, category and a private mark) of the phones whose build letter is "Z" or
// "U".
//
// The field accessors act on the selected slot's record. The description, dates and status mark
// the slot as holding an item; the extended fields do not. Operations return 1, or 0 with the
// thread's last error.
#include "RecordBlocks.h"
#include "ScheduleStore.h"  // the description's last error, which both stores share

#include <base/WinDef.h>
#include <framework/Afx.h>

#include <cstddef>
#include <span>

class CLinkEngine;

constexpr DWORD ERROR_TODO_BAD_SLOT = 0x200f010a;
constexpr DWORD ERROR_TODO_START_TOO_EARLY = 0x200f0231;  // before 2001-01-01
constexpr DWORD ERROR_TODO_START_TOO_LATE = 0x200f0332;   // on or after 2021-01-01
constexpr DWORD ERROR_TODO_DUE_TOO_EARLY = 0x200f0433;
constexpr DWORD ERROR_TODO_DUE_TOO_LATE = 0x200f0534;
constexpr DWORD ERROR_TODO_NO_FLAGS = 0x200f0837;
constexpr DWORD ERROR_TODO_BAD_FLAGS = 0x200f091c;
constexpr DWORD ERROR_TODO_NO_BLOCK = 0x200f0a14;
constexpr DWORD ERROR_TODO_BAD_BLOCK = 0x200f0b1c;

class CToDoStore {
 public:
  static constexpr int kSlotCount = 100;
  static constexpr int kFlagsFile = 102, kFlagsSub = 4, kBlockFile = 103;

  // A description of 32 units in a field of 65 bytes.
  CToDoStore() : CToDoStore(65, 32) {}
  virtual ~CToDoStore() = default;
  CToDoStore(const CToDoStore&) = delete;
  CToDoStore& operator=(const CToDoStore&) = delete;

  // Slot 0, every slot empty; the records stay.
  int Reset();
  int Select(int slot);
  int IsUsed() const { return m_slots.Used(m_selected); }
  int SelectedSlot() const { return m_selected; }
  // The slot no longer holds an item; its record bytes stay.
  int ClearSlot();

  // The selected slot as it is, to be put back when a put of several fields fails part way.
  using SavedSlot = CBlockRecords::SavedSlot;
  SavedSlot SaveSelected() const { return m_slots.Save(m_selected); }
  void RestoreSelected(const SavedSlot& saved) { m_slots.Restore(m_selected, saved); }

  CString GetDescription() const;
  int SetDescription(const CString& description);
  // Dates at 00:00 local time; 2001-01-01 up to but not including 2021-01-01.
  CTime GetStart() const;
  int SetStart(const CTime& start);
  CTime GetDue() const;
  int SetDue(const CTime& due);
  // 1 done, 0 not.
  BYTE GetStatus() const;
  int SetStatus(int status);

  // first = last = -1: the whole store. `cancel` may be null.
  int Download(HANDLE cancel, CLinkEngine& engine, int first, int last);
  // A partial upload changes on the phone only the slots from first to last: the others keep the
  // phone's used flags and records, which are read from the phone first.
  int Upload(HANDLE cancel, CLinkEngine& engine, int first, int last);

  std::size_t RecordSize() const { return m_slots.RecordSize(); }
  std::span<const BYTE> SlotRecord(int slot) const { return m_slots.Record(slot); }

 protected:
  // The description field's size in bytes and its limit in units of the GSM alphabet.
  CToDoStore(std::size_t descriptionSize, int descriptionUnits);
  std::span<BYTE> Selected() { return m_slots.Record(m_selected); }
  std::span<const BYTE> Selected() const { return m_slots.Record(m_selected); }
  std::size_t At(std::size_t offsetAfterDescription) const { return m_descriptionSize + offsetAfterDescription; }

 private:
  CTime GetDate(std::size_t at) const;
  int SetDate(std::size_t at, const CTime& date, DWORD tooEarly, DWORD tooLate);

  const std::size_t m_descriptionSize;
  const int m_descriptionUnits;
  int m_selected = 0;
  CBlockRecords m_slots;
};

class CToDoStoreEx final : public CToDoStore {
 public:
  // A description of 256 units in a field of 257 bytes.
  CToDoStoreEx() : CToDoStore(257, 256) {}

  // 0 to 2 each; 1 or 0 for the private mark.
  BYTE GetPriority() const;
  int SetPriority(int priority);
  BYTE GetCategory() const;
  int SetCategory(int category);
  BYTE GetPrivate() const;
  int SetPrivate(int isPrivate);
};
