#pragma once
// One side of the library's records. The library keeps the phone's records twice: MSStore, the
// phone side, holds what was last read from or written to the phone; PrivateStore, the PC side,
// is the applications' working copy. Each side holds, in this order, the group store, the contact
// store, the standard and the extended schedule and to-do stores, its phone object, the resource
// caches of the three main folder types, and the message and i-mode mail caches.
//
// The records of the CManager interface are taken out of a store slot and put into one here, one
// slot or a whole store is copied from the other side, and a side is read from or written to the
// phone. Every record operation selects its slot first.
#include "GroupStore.h"
#include "MessageCache.h"
#include "PhoneBookStore.h"
#include "PhoneDevice.h"
#include "ResourceCache.h"
#include "ScheduleStore.h"
#include "ToDoStore.h"

#include <handport/PhoneRecords.h>

#include <span>

class CLinkEngine;

// The record kinds and their slots: groups 1 to 19, contacts 0 to 499, schedule entries 0 to 599,
// to-do items 0 to 99.
enum class RecordKind { Groups, Contacts, Schedule, ToDo };

class CSideStore {
 public:
  // Every store empty; the phone object reaches the phone through `engine`.
  explicit CSideStore(CLinkEngine& engine);
  ~CSideStore();
  CSideStore(const CSideStore&) = delete;
  CSideStore& operator=(const CSideStore&) = delete;

  // From now on, for the life of the side, the schedule and to-do operations use the extended
  // stores (the build letters "Z" and "U"); the standard pair stays unused.
  void UseExtendedLayouts() { m_extended = true; }
  bool UsesExtendedLayouts() const { return m_extended; }

  // --- records of one slot ---
  // Fills the record from the slot: PA_OUT_OF_RANGE for a slot out of range; PA_EMPTY_SLOT for
  // an empty slot (the record's valid or exists byte becomes 0, nothing else is written) or no
  // record. Fields the stores do not keep stay as the caller had them.
  PA_RESULT GetGroup(int slot, PA_GROUP_INFO* record);
  PA_RESULT GetContact(int slot, PA_PHONEBOOK_INFO* record);
  PA_RESULT GetSchedule(int slot, PA_SCHEDULE_INFO* record);
  PA_RESULT GetToDo(int slot, PA_TODO_INFO* record);
  // Stores the record in the slot: PA_OUT_OF_RANGE; PA_EMPTY_SLOT for no record. A value a store
  // refuses (an over-long text, a date out of its window) leaves that field as it was and is no
  // failure of the Put.
  PA_RESULT PutGroup(int slot, const PA_GROUP_INFO* record);
  PA_RESULT PutContact(int slot, const PA_PHONEBOOK_INFO* record);
  PA_RESULT PutSchedule(int slot, const PA_SCHEDULE_INFO* record);
  PA_RESULT PutToDo(int slot, const PA_TODO_INFO* record);
  // Empties the slot: PA_OUT_OF_RANGE or PA_OK.
  PA_RESULT RemoveRecord(RecordKind kind, int slot);

  bool IsValidSlot(RecordKind kind, int slot);
  // Whether the slot holds a record; false (and `exists` 0) for a slot out of range.
  bool Exists(RecordKind kind, int slot, BYTE& exists);
  // Empties the slot, or every slot with -1; false for another slot out of range.
  bool EmptySlots(RecordKind kind, int slot);
  // Copies the slot, or every slot with -1, from the other side: an empty source slot empties the
  // slot here. False for another slot out of range on either side.
  bool CopyFrom(CSideStore& source, RecordKind kind, int slot);

  // --- the phone ---
  // Reads the slot, or every slot with -1, from the phone into this side's store of the kind (the
  // groups always as their one file). `cancel` stops it between two files.
  int ReadFromPhone(RecordKind kind, int slot, HANDLE cancel);
  // Writes the slot, or every slot with -1, of this side's store to the phone (the groups always
  // as their one file). Contacts and schedule entries give the phone the display names of their
  // pictures and melodies from this side's resource caches.
  int WriteToPhone(RecordKind kind, int slot, HANDLE cancel);

  CPhoneDevice& Phone() { return m_phone; }

  // --- the caches ---
  CResourceCaches& Resources() { return m_resources; }
  CMessageStore& Messages() { return m_messages; }
  CIModeStore& Mails() { return m_mails; }
  // The resource caches by main folder type (0 to 2): any other type is PA_OUT_OF_RANGE and
  // touches nothing.
  PA_RESULT CountResources(int type, int& count) const;
  // Copies the type's records, whole and in order, into `records`, at most records.size() of them.
  PA_RESULT GetResourceList(int type, std::span<PA_RESOURCE_INFO> records) const;
  PA_RESULT PutResourceList(int type, std::span<const PA_RESOURCE_INFO> records);
  PA_RESULT PutResourceInfo(int type, const PA_RESOURCE_INFO& record, DWORD fileId);
  PA_RESULT ClearResourceInfo(int type);

 private:
  bool Select(RecordKind kind, int slot);
  CScheduleStore& Schedule() { return m_extended ? m_scheduleEx : m_schedule; }
  CToDoStore& ToDo() { return m_extended ? m_toDoEx : m_toDo; }
  // The selected slots of the two sides, source to here.
  void CopySelected(CSideStore& source, RecordKind kind);

  CLinkEngine& m_engine;
  bool m_extended = false;
  CGroupStore m_groups;
  CPhoneBookStore m_contacts;
  CScheduleStore m_schedule;
  CScheduleStoreEx m_scheduleEx;
  CToDoStore m_toDo;
  CToDoStoreEx m_toDoEx;
  CPhoneDevice m_phone;
  CResourceCaches m_resources;
  CMessageStore m_messages;
  CIModeStore m_mails;
};
