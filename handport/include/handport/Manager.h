#pragma once
// CManager: the one object through which an application reaches the phone. An application loads
// "Handport.dll" by name, takes StartManager and DestroyManager by name, and calls the operations
// through the table of virtual operations, whose order is the interface: never reorder, insert or
// remove a virtual function above the destructor. The object holds nothing but that table; the
// settings, the link and the record stores are the library's process-wide objects.
//
// Operations run on the caller's thread, one at a time. Only PA_CancelTransfer (or setting the
// event of PA_GetCancelEventHandle) is meant for another thread while an operation runs.
// A cancel applies to the transfer in progress only: from the connection TestModeOn makes to
// PA_ClosePort. Each connection starts with the cancel cleared and PA_ClosePort clears it; with no
// connection open PA_CancelTransfer changes nothing, so a cancel that comes late cancels nothing later.
//
// Results: PA_RESULT for the PC-side store and the caches, PA_MS_RESULT for what reaches the phone
// or the phone-side store; 0 is success. Index arguments are slot numbers; -1 means every slot
// where an operation says so.
#include <handport/PhoneRecords.h>

#include <framework/Afx.h>

class CManager {
 public:
  // Reads the settings into the library's process-wide values (see StartManager).
  CManager();
  // Copying copies the table pointer and nothing else: there is nothing else.
  CManager(const CManager&) = default;
  CManager& operator=(const CManager&) = default;

  // 0 when the SIM is in and no lock is on; 8 no SIM, 9 phone lock, 10 data lock, 11 unknown or
  // no answer.
  virtual PA_MS_RESULT CheckLockInfo();
  // --- length limits ---
  virtual int GetUTF8Length(CString text);
  virtual int GetGroupMaxNameSize();
  virtual int GetScheduleMaxDescriptionSize();
  virtual int GetToDoMaxDescriptionSize(PA_TODO_FIELD field);
  virtual int GetContactMaxFieldSize(PA_CONTACT_FIELD field);
  virtual PA_RESULT PA_GetDLLVersion(CString* version);
  virtual PA_RESULT PA_GetPhoneInfo(PA_PHONE_INFO* info);
  // --- the PC side: get ---
  virtual PA_RESULT PA_GetGroup(PA_GROUP_INFO* group, short slot);
  virtual PA_RESULT PA_GetPhoneBook(PA_PHONEBOOK_INFO* contact, short slot);
  virtual PA_RESULT PA_GetSchedule(PA_SCHEDULE_INFO* entry, short slot);
  virtual PA_RESULT PA_GetToDo(PA_TODO_INFO* item, short slot);
  // `records` must hold PA_GetNumResourcesList's count.
  virtual PA_RESULT PA_GetResourceList(unsigned short type, PA_RESOURCE_INFO* records);
  virtual PA_RESULT PA_GetNumResourcesList(short* count, short type);
  virtual PA_RESULT PA_GetSupportTypes(short kind, PA_RESOURCE_TYPE* types, short* count);
  virtual PA_RESULT PA_GetNumMessages(int* count);
  virtual PA_RESULT PA_GetMessage(unsigned int index, PA_MESSAGE_INFO* message);
  // `text` must hold 32 bytes: the identity and its NUL (a longer identity fails).
  virtual PA_MS_RESULT PA_GetIMEI(char* text);
  virtual PA_MS_RESULT PA_GetFileSystemFreeSpace(int* bytes);
  virtual PA_RESULT PA_GetIModeMessage(unsigned int index, PA_IMODE_INFO* mail);
  virtual PA_RESULT PA_GetNumIModeMessages(int* count);
  // --- the PC side: put ---
  virtual PA_RESULT PA_PutGroup(PA_GROUP_INFO* group, short slot);
  virtual PA_RESULT PA_PutPhoneBook(PA_PHONEBOOK_INFO* contact, short slot);
  virtual PA_RESULT PA_PutSchedule(PA_SCHEDULE_INFO* entry, short slot);
  virtual PA_RESULT PA_PutToDo(PA_TODO_INFO* item, short slot);
  virtual PA_RESULT PA_PutResourceList(unsigned short type, PA_RESOURCE_INFO* records, unsigned short count);
  // The cache keeps a copy of the record's bytes; the caller keeps (and frees) its own.
  virtual PA_RESULT PA_PutMessage(PA_MESSAGE_INFO* message);
  virtual PA_RESULT PA_PutResourceInfo(unsigned short type, PA_RESOURCE_INFO record, unsigned int fileId);
  virtual PA_RESULT PA_PutIModeMessage(PA_IMODE_INFO* mail);
  // --- the PC side: remove ---
  virtual PA_RESULT PA_RemovePrivateGroup(short slot);
  virtual PA_RESULT PA_RemovePrivatePhoneBook(short slot);
  virtual PA_RESULT PA_RemovePrivateSchedule(short slot);
  virtual PA_RESULT PA_RemovePrivateToDo(short slot);
  virtual PA_RESULT PA_RemovePrivateMessage(short index);
  virtual PA_RESULT PA_ClearResourceInfo(unsigned short type);
  virtual PA_RESULT PA_RemovePrivateIModeMessage(short index);
  // --- the phone side: does it hold the slot ---
  virtual PA_MS_RESULT PA_ExistsGroup(short slot, unsigned char* exists);
  virtual PA_MS_RESULT PA_ExistsPhoneBook(short slot, unsigned char* exists);
  virtual PA_MS_RESULT PA_ExistsSchedule(short slot, unsigned char* exists);
  virtual PA_MS_RESULT PA_ExistsToDo(short slot, unsigned char* exists);
  // --- downloads: the phone into the phone side, then into the PC side ---
  virtual PA_MS_RESULT PA_DownloadGroups();
  virtual PA_MS_RESULT PA_DownloadPhoneBook(short slot);
  virtual PA_MS_RESULT PA_DownloadSchedule(short slot);
  virtual PA_MS_RESULT PA_DownloadToDo(short slot);
  // --- media folders and files ---
  virtual PA_MS_RESULT PA_GetNumMainFolders(short* count);
  virtual PA_MS_RESULT PA_GetMainFolder(PA_FOLDER_INFO* folder, short index);
  virtual PA_MS_RESULT PA_DownloadResourceList(int option);
  // The record's pData is the library's: give it back with DeleteDataArray.
  virtual PA_MS_RESULT PA_DownloadResource(PA_RESOURCE_INFO* record, short folder, short index, unsigned char option);
  virtual PA_MS_RESULT PA_DownloadResource(PA_RESOURCE_INFO* record, short index);
  virtual PA_MS_RESULT PA_GetNumSubfolders(short* count, short folder);
  virtual PA_MS_RESULT PA_GetFolderInfo(PA_FOLDER_INFO* info, short folder, short index);
  virtual PA_MS_RESULT PA_GetNumResources(short* count, short folder, unsigned char option);
  virtual PA_MS_RESULT PA_GetResourceInfo(PA_RESOURCE_INFO* record, short folder, short index, unsigned char option);
  virtual PA_MS_RESULT PA_DownloadMessages();
  virtual PA_MS_RESULT PA_DownloadIModeMessages();
  // --- uploads: the PC side onto the phone, then into the phone side ---
  virtual PA_MS_RESULT PA_UploadGroups();
  virtual PA_MS_RESULT PA_UploadPhoneBook(short slot);
  virtual PA_MS_RESULT PA_UploadSchedule(short slot);
  virtual PA_MS_RESULT PA_UploadToDo(short slot);
  virtual PA_MS_RESULT PA_UploadResource(PA_RESOURCE_INFO* record);
  virtual PA_MS_RESULT PA_CreateFolder(PA_FOLDER_INFO* folder);
  virtual PA_MS_RESULT PA_UploadMessages();
  virtual PA_MS_RESULT PA_UploadIModeMessages();
  // --- removals on the phone ---
  virtual PA_MS_RESULT PA_RemoveMSGroup(short slot);
  virtual PA_MS_RESULT PA_RemoveMSPhoneBook(short slot);
  virtual PA_MS_RESULT PA_RemoveMSSchedule(short slot);
  virtual PA_MS_RESULT PA_RemoveMSToDo(short slot);
  virtual PA_MS_RESULT PA_RemoveMSResource(short fileId);
  virtual PA_MS_RESULT PA_RemoveMSFolder(short first, short second);
  virtual PA_MS_RESULT PA_RenameMSFile(PA_RESOURCE_INFO* record);
  virtual PA_MS_RESULT PA_MoveMSFile(short fileId, short folder);
  // --- control ---
  virtual void PA_CancelTransfer();
  virtual void PA_GetCancelEventHandle(void** handle);
  virtual void DeleteDataArray(unsigned char* data);
  virtual PA_MS_RESULT PA_ClosePort();
  virtual void SetCallbackFunction(PA_PROGRESS_CALLBACK callback, void* user);
  virtual void PowerOff();
  virtual PA_MS_RESULT TestModeOn(char* code);
  virtual PA_MS_RESULT TestModeOn();

  // After every operation, so the operations keep their places in the table.
  virtual ~CManager() = default;
};

// The library's two exported functions, taken by name with GetProcAddress.
extern "C" {
// A new manager, also stored through `out`; null when it could not be made.
CManager* StartManager(CManager** out);
// false for null; otherwise the manager is destroyed. The link and the stores stay as they are.
bool DestroyManager(CManager* manager);
}
using PFN_START_MANAGER = CManager* (*)(CManager** out);
using PFN_DESTROY_MANAGER = bool (*)(CManager* manager);
