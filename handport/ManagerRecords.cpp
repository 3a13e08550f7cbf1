// The record operations: the PC side's get, put and remove, the phone side's exists, and the
// downloads, uploads and removals that move records between the phone and the two sides.
#include <handport/Manager.h>

#include "Library.h"

namespace {

HANDLE CancelEvent() { return MSStore().Phone().GetCancelEvent(); }

// The phone into the phone side, then into the PC side; a failed read leaves the PC side as it was.
PA_MS_RESULT Download(RecordKind kind, int slot) {
  if (slot != -1 && !(MSStore().IsValidSlot(kind, slot) && PrivateStore().IsValidSlot(kind, slot)))
    return PA_MS_OUT_OF_RANGE;
  if (!MSStore().ReadFromPhone(kind, slot, CancelEvent())) return PA_MS_FAILED;
  PrivateStore().CopyFrom(MSStore(), kind, kind == RecordKind::Groups ? -1 : slot);
  return PA_MS_OK;
}

// The PC side onto the phone, then into the phone side; a failed write leaves the phone side as it
// was. The PC side's uploads name pictures and melodies from its own resource lists.
PA_MS_RESULT Upload(RecordKind kind, int slot) {
  if (slot != -1 && !(MSStore().IsValidSlot(kind, slot) && PrivateStore().IsValidSlot(kind, slot)))
    return PA_MS_OUT_OF_RANGE;
  if (!PrivateStore().WriteToPhone(kind, slot, CancelEvent())) return PA_MS_FAILED;
  MSStore().CopyFrom(PrivateStore(), kind, kind == RecordKind::Groups ? -1 : slot);
  return PA_MS_OK;
}

// The slot (or every slot) emptied in the phone side, then written from there to the phone; the
// PC side stays.
PA_MS_RESULT RemoveOnPhone(RecordKind kind, int slot) {
  if (slot != -1 && !MSStore().IsValidSlot(kind, slot)) return PA_MS_OUT_OF_RANGE;
  MSStore().EmptySlots(kind, slot);
  if (!MSStore().WriteToPhone(kind, slot, CancelEvent())) return PA_MS_FAILED;
  return PA_MS_OK;
}

PA_MS_RESULT ExistsOnPhone(RecordKind kind, int slot, unsigned char* exists) {
  BYTE held = 0;
  const bool valid = MSStore().Exists(kind, slot, held);
  if (exists) *exists = held;
  return valid ? PA_MS_OK : PA_MS_OUT_OF_RANGE;
}

}  // namespace

PA_RESULT CManager::PA_GetGroup(PA_GROUP_INFO* group, short slot) { return PrivateStore().GetGroup(slot, group); }
PA_RESULT CManager::PA_GetPhoneBook(PA_PHONEBOOK_INFO* contact, short slot) {
  return PrivateStore().GetContact(slot, contact);
}
PA_RESULT CManager::PA_GetSchedule(PA_SCHEDULE_INFO* entry, short slot) { return PrivateStore().GetSchedule(slot, entry); }
PA_RESULT CManager::PA_GetToDo(PA_TODO_INFO* item, short slot) { return PrivateStore().GetToDo(slot, item); }

PA_RESULT CManager::PA_PutGroup(PA_GROUP_INFO* group, short slot) { return PrivateStore().PutGroup(slot, group); }
PA_RESULT CManager::PA_PutPhoneBook(PA_PHONEBOOK_INFO* contact, short slot) {
  return PrivateStore().PutContact(slot, contact);
}
PA_RESULT CManager::PA_PutSchedule(PA_SCHEDULE_INFO* entry, short slot) { return PrivateStore().PutSchedule(slot, entry); }
PA_RESULT CManager::PA_PutToDo(PA_TODO_INFO* item, short slot) { return PrivateStore().PutToDo(slot, item); }

PA_RESULT CManager::PA_RemovePrivateGroup(short slot) { return PrivateStore().RemoveRecord(RecordKind::Groups, slot); }
PA_RESULT CManager::PA_RemovePrivatePhoneBook(short slot) {
  return PrivateStore().RemoveRecord(RecordKind::Contacts, slot);
}
PA_RESULT CManager::PA_RemovePrivateSchedule(short slot) {
  return PrivateStore().RemoveRecord(RecordKind::Schedule, slot);
}
PA_RESULT CManager::PA_RemovePrivateToDo(short slot) { return PrivateStore().RemoveRecord(RecordKind::ToDo, slot); }

PA_MS_RESULT CManager::PA_ExistsGroup(short slot, unsigned char* exists) {
  return ExistsOnPhone(RecordKind::Groups, slot, exists);
}
PA_MS_RESULT CManager::PA_ExistsPhoneBook(short slot, unsigned char* exists) {
  return ExistsOnPhone(RecordKind::Contacts, slot, exists);
}
PA_MS_RESULT CManager::PA_ExistsSchedule(short slot, unsigned char* exists) {
  return ExistsOnPhone(RecordKind::Schedule, slot, exists);
}
PA_MS_RESULT CManager::PA_ExistsToDo(short slot, unsigned char* exists) {
  return ExistsOnPhone(RecordKind::ToDo, slot, exists);
}

PA_MS_RESULT CManager::PA_DownloadGroups() { return Download(RecordKind::Groups, -1); }
PA_MS_RESULT CManager::PA_DownloadPhoneBook(short slot) { return Download(RecordKind::Contacts, slot); }
PA_MS_RESULT CManager::PA_DownloadSchedule(short slot) { return Download(RecordKind::Schedule, slot); }
PA_MS_RESULT CManager::PA_DownloadToDo(short slot) { return Download(RecordKind::ToDo, slot); }

PA_MS_RESULT CManager::PA_UploadGroups() { return Upload(RecordKind::Groups, -1); }
PA_MS_RESULT CManager::PA_UploadPhoneBook(short slot) { return Upload(RecordKind::Contacts, slot); }
PA_MS_RESULT CManager::PA_UploadSchedule(short slot) { return Upload(RecordKind::Schedule, slot); }
PA_MS_RESULT CManager::PA_UploadToDo(short slot) { return Upload(RecordKind::ToDo, slot); }

PA_MS_RESULT CManager::PA_RemoveMSGroup(short slot) { return RemoveOnPhone(RecordKind::Groups, slot); }
PA_MS_RESULT CManager::PA_RemoveMSPhoneBook(short slot) { return RemoveOnPhone(RecordKind::Contacts, slot); }
PA_MS_RESULT CManager::PA_RemoveMSSchedule(short slot) { return RemoveOnPhone(RecordKind::Schedule, slot); }
PA_MS_RESULT CManager::PA_RemoveMSToDo(short slot) { return RemoveOnPhone(RecordKind::ToDo, slot); }
