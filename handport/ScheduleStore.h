#pragma once
// The phone's 600 schedule slots in the phone's own record layout, moved between the phone and
// the PC in files of ten slots, with a file of the slots' used flags. CScheduleStore keeps the
// standard layout (88-byte records); CScheduleStoreEx the extended one (280 bytes, a description
// of up to 256 units) of the phones whose build letter is "Z" or "U". The two differ in nothing
// else; the manager uses one of them for the life of the library.
//
// The field accessors act on the selected slot's record; every setter of a record field also
// marks the slot as holding an entry. Operations return 1, or 0 with the thread's last error.
#include "RecordBlocks.h"
#include "ResourceCache.h"

#include <base/WinDef.h>
#include <framework/Afx.h>

#include <cstddef>
#include <span>
#include <vector>

class CLinkEngine;

constexpr DWORD ERROR_SCHEDULE_BAD_SLOT = 0x200c010a;
constexpr DWORD ERROR_SCHEDULE_TOO_EARLY = 0x200c022a;   // before 2001-01-01 00:00
constexpr DWORD ERROR_SCHEDULE_TOO_LATE = 0x200c032b;    // at or after 2021-01-01 00:00
constexpr DWORD ERROR_DESCRIPTION_TOO_LONG = 0x200c052e;  // schedule and to-do
constexpr DWORD ERROR_SCHEDULE_NO_FLAGS = 0x200c0736;
constexpr DWORD ERROR_SCHEDULE_BAD_FLAGS = 0x200c081c;
constexpr DWORD ERROR_SCHEDULE_NO_BLOCK = 0x200c0814;
// A block file shorter than ten records: the download stops before taking any of it.
constexpr DWORD ERROR_SCHEDULE_SHORT_BLOCK = 0x200c0a1c;

class CScheduleStore {
 public:
  static constexpr int kSlotCount = 600;
  static constexpr int kFlagsFile = 99, kFlagsSub = 3, kBlockFile = 100;

  // A description of 64 units in a field of 65 bytes.
  CScheduleStore() : CScheduleStore(65, 64) {}
  virtual ~CScheduleStore() = default;
  CScheduleStore(const CScheduleStore&) = delete;
  CScheduleStore& operator=(const CScheduleStore&) = delete;

  // Slot 0, every slot empty; the records stay.
  int Reset();
  // Selects the slot and writes its number into the record's slot field.
  int Select(int slot);
  int IsUsed() const { return m_slots.Used(m_selected); }
  int SelectedSlot() const { return m_selected; }
  // The slot no longer holds an entry; its record bytes stay.
  int ClearSlot();

  // The selected slot as it is, to be put back when a put of several fields fails part way.
  using SavedSlot = CBlockRecords::SavedSlot;
  SavedSlot SaveSelected() const { return m_slots.Save(m_selected); }
  void RestoreSelected(const SavedSlot& saved) { m_slots.Restore(m_selected, saved); }

  CString GetDescription() const;
  int SetDescription(const CString& description);
  // Minute resolution, local time; 2001-01-01 00:00 up to but not including 2021-01-01 00:00.
  CTime GetStart() const;
  int SetStart(const CTime& start);
  BYTE GetAlarm() const;
  int SetAlarm(int alarm);
  // 0 once, 1 daily, 2 weekly, 3 monthly; a stored value of 4 or more reads as 0.
  BYTE GetRepeat() const;
  int SetRepeat(int repeat);
  BYTE GetPrivate() const;
  int SetPrivate(int isPrivate);
  DWORD GetMelodyId() const;
  int SetMelodyId(DWORD id);
  // The name of the alarm melody, kept on the PC only; it does not mark the slot.
  CString GetMelodyName() const { return m_melodyNames[static_cast<std::size_t>(m_selected)]; }
  int SetMelodyName(const CString& name);

  // The Sounds list the upload takes the melodies' display names from; not owned.
  void SetResourceLists(const CResourceCaches* caches) { m_resources = caches; }

  // first = last = -1: the whole store. `cancel` may be null.
  int Download(HANDLE cancel, CLinkEngine& engine, int first, int last);
  // A partial upload changes on the phone only the slots from first to last: the others keep the
  // phone's used flags and records, which are read from the phone first.
  int Upload(HANDLE cancel, CLinkEngine& engine, int first, int last);

  std::size_t RecordSize() const { return m_slots.RecordSize(); }
  std::span<const BYTE> SlotRecord(int slot) const { return m_slots.Record(slot); }

 protected:
  // The description field's size in bytes and its limit in units of the GSM alphabet; the other
  // fields follow the description.
  CScheduleStore(std::size_t descriptionSize, int descriptionUnits);

 private:
  std::span<BYTE> Selected() { return m_slots.Record(m_selected); }
  std::span<const BYTE> Selected() const { return m_slots.Record(m_selected); }
  std::size_t At(std::size_t offsetAfterDescription) const { return m_descriptionSize + offsetAfterDescription; }
  // Ten entries: each record followed by the display name of its alarm melody.
  std::vector<BYTE> BlockFile(std::span<const BYTE> records) const;

  const std::size_t m_descriptionSize;
  const int m_descriptionUnits;
  const CResourceCaches* m_resources = nullptr;
  std::vector<CString> m_melodyNames;
  int m_selected = 0;
  CBlockRecords m_slots;
};

class CScheduleStoreEx final : public CScheduleStore {
 public:
  // A description of 256 units in a field of 257 bytes.
  CScheduleStoreEx() : CScheduleStore(257, 256) {}
};
