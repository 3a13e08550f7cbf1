// A store side: its stores and caches, its slots, and its transfers to and from the phone. The
// records themselves are taken out and put in by RecordMarshalling.cpp.
#include "SideStore.h"

#include "LinkEngine.h"

#include <base/LastError.h>
#include <base/WinError.h>

CSideStore::CSideStore(CLinkEngine& engine) : m_engine(engine), m_phone(engine) {
  // Uploads name the pictures and melodies that records refer to from this side's lists.
  m_contacts.SetResourceLists(&m_resources);
  m_schedule.SetResourceLists(&m_resources);
  m_scheduleEx.SetResourceLists(&m_resources);
  m_groups.ClearAll();
  m_contacts.Reset();
  m_schedule.Reset();
  m_scheduleEx.Reset();
  m_toDo.Reset();
  m_toDoEx.Reset();
}

CSideStore::~CSideStore() {
  m_mails.Clear();
  m_messages.Clear();
  for (int type = 0; type < CResourceCaches::kTypeCount; ++type) m_resources.Clear(type);
}

bool CSideStore::Select(RecordKind kind, int slot) {
  switch (kind) {
    case RecordKind::Groups: return m_groups.Select(slot) != 0;
    case RecordKind::Contacts: return m_contacts.Select(slot) != 0;
    case RecordKind::Schedule: return Schedule().Select(slot) != 0;
    case RecordKind::ToDo: return ToDo().Select(slot) != 0;
  }
  return false;
}

bool CSideStore::IsValidSlot(RecordKind kind, int slot) { return Select(kind, slot); }

PA_RESULT CSideStore::RemoveRecord(RecordKind kind, int slot) {
  if (!Select(kind, slot)) return PA_OUT_OF_RANGE;
  switch (kind) {
    case RecordKind::Groups: m_groups.ClearSlot(); break;
    case RecordKind::Contacts: m_contacts.ClearSlot(); break;
    case RecordKind::Schedule: Schedule().ClearSlot(); break;
    case RecordKind::ToDo: ToDo().ClearSlot(); break;
  }
  return PA_OK;
}

bool CSideStore::Exists(RecordKind kind, int slot, BYTE& exists) {
  exists = 0;
  if (!Select(kind, slot)) return false;
  switch (kind) {
    case RecordKind::Groups: exists = static_cast<BYTE>(m_groups.IsUsed()); break;
    case RecordKind::Contacts: exists = static_cast<BYTE>(m_contacts.IsUsed()); break;
    case RecordKind::Schedule: exists = static_cast<BYTE>(Schedule().IsUsed()); break;
    case RecordKind::ToDo: exists = static_cast<BYTE>(ToDo().IsUsed()); break;
  }
  return true;
}

bool CSideStore::EmptySlots(RecordKind kind, int slot) {
  if (slot != -1) return RemoveRecord(kind, slot) == PA_OK;
  switch (kind) {
    case RecordKind::Groups: m_groups.ClearAll(); break;
    case RecordKind::Contacts: m_contacts.ClearAll(); break;
    case RecordKind::Schedule: Schedule().Reset(); break;
    case RecordKind::ToDo: ToDo().Reset(); break;
  }
  return true;
}

bool CSideStore::CopyFrom(CSideStore& source, RecordKind kind, int slot) {
  if (slot != -1) {
    if (!Select(kind, slot) || !source.Select(kind, slot)) return false;
    CopySelected(source, kind);
    return true;
  }
  if (kind == RecordKind::Groups) {
    m_groups.ClearAll();
    for (int group = 1; group <= CGroupStore::kGroupCount; ++group) {
      Select(kind, group);
      source.Select(kind, group);
      CopySelected(source, kind);
    }
    return true;
  }
  for (int each = 0; Select(kind, each) && source.Select(kind, each); ++each) CopySelected(source, kind);
  return true;
}

int CSideStore::ReadFromPhone(RecordKind kind, int slot, HANDLE cancel) {
  switch (kind) {
    case RecordKind::Groups: return m_groups.Download(m_engine);
    case RecordKind::Contacts: return m_contacts.Download(cancel, m_engine, slot, slot);
    case RecordKind::Schedule: return Schedule().Download(cancel, m_engine, slot, slot);
    case RecordKind::ToDo: return ToDo().Download(cancel, m_engine, slot, slot);
  }
  return 0;
}

int CSideStore::WriteToPhone(RecordKind kind, int slot, HANDLE cancel) {
  switch (kind) {
    case RecordKind::Groups: return m_groups.Upload(m_engine);
    case RecordKind::Contacts: return m_contacts.Upload(cancel, m_engine, slot, slot);
    case RecordKind::Schedule: return Schedule().Upload(cancel, m_engine, slot, slot);
    case RecordKind::ToDo: return ToDo().Upload(cancel, m_engine, slot, slot);
  }
  return 0;
}

PA_RESULT CSideStore::CountResources(int type, int& count) const {
  if (!CResourceCaches::IsValidType(type)) return PA_OUT_OF_RANGE;
  count = m_resources.GetCount(type);
  return PA_OK;
}

PA_RESULT CSideStore::GetResourceList(int type, std::span<PA_RESOURCE_INFO> records) const {
  if (!CResourceCaches::IsValidType(type)) return PA_OUT_OF_RANGE;
  m_resources.GetList(type, records);
  return PA_OK;
}

PA_RESULT CSideStore::PutResourceList(int type, std::span<const PA_RESOURCE_INFO> records) {
  if (!CResourceCaches::IsValidType(type)) return PA_OUT_OF_RANGE;
  m_resources.PutList(type, records);
  return PA_OK;
}

PA_RESULT CSideStore::PutResourceInfo(int type, const PA_RESOURCE_INFO& record, DWORD fileId) {
  if (!CResourceCaches::IsValidType(type)) return PA_OUT_OF_RANGE;
  m_resources.PutOne(type, record, fileId);
  return PA_OK;
}

PA_RESULT CSideStore::ClearResourceInfo(int type) {
  if (!CResourceCaches::IsValidType(type)) return PA_OUT_OF_RANGE;
  m_resources.Clear(type);
  return PA_OK;
}
