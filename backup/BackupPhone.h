#pragma once
// What the backup and restore runs use of the phone-access library, behind a seam: CManagerPhone
// forwards to the process's CManager, tests give a phone of their own. The names and arguments are
// the manager's. The session and media calls are those the multimedia manager's runs make, through
// its own seam; this one adds the records, the messages and the restore's writes.
#include "../mediary/PhoneRuns.h"

#include <handport/Manager.h>

class IBackupPhone {
 public:
  virtual ~IBackupPhone() = default;

  // The same phone's session and media calls.
  virtual IMediaryPhone& Media() = 0;
  virtual PA_MS_RESULT PA_GetIMEI(char* text) = 0;
  // Downloads into the PC side, and what they bring.
  virtual PA_MS_RESULT PA_DownloadIModeMessages() = 0;
  virtual PA_RESULT PA_GetNumIModeMessages(int* count) = 0;
  virtual PA_RESULT PA_GetIModeMessage(unsigned int index, PA_IMODE_INFO* mail) = 0;
  virtual PA_MS_RESULT PA_DownloadMessages() = 0;
  virtual PA_RESULT PA_GetNumMessages(int* count) = 0;
  virtual PA_RESULT PA_GetMessage(unsigned int index, PA_MESSAGE_INFO* message) = 0;
  virtual PA_MS_RESULT PA_DownloadResourceList(int option) = 0;
  virtual PA_RESULT PA_GetNumResourcesList(short* count, short type) = 0;
  virtual PA_RESULT PA_GetResourceList(unsigned short type, PA_RESOURCE_INFO* records) = 0;
  virtual PA_MS_RESULT PA_DownloadGroups() = 0;
  virtual PA_MS_RESULT PA_DownloadPhoneBook(short slot) = 0;
  virtual PA_MS_RESULT PA_DownloadSchedule(short slot) = 0;
  virtual PA_MS_RESULT PA_DownloadToDo(short slot) = 0;
  virtual PA_RESULT PA_GetGroup(PA_GROUP_INFO* group, short slot) = 0;
  virtual PA_RESULT PA_GetPhoneBook(PA_PHONEBOOK_INFO* contact, short slot) = 0;
  virtual PA_RESULT PA_GetSchedule(PA_SCHEDULE_INFO* entry, short slot) = 0;
  virtual PA_RESULT PA_GetToDo(PA_TODO_INFO* item, short slot) = 0;
  // What a restore uses besides.
  virtual PA_RESULT PA_ClearResourceInfo(unsigned short type) = 0;
  virtual PA_RESULT PA_RemovePrivatePhoneBook(short slot) = 0;
  virtual PA_RESULT PA_RemovePrivateGroup(short slot) = 0;
  virtual PA_RESULT PA_RemovePrivateSchedule(short slot) = 0;
  virtual PA_RESULT PA_RemovePrivateToDo(short slot) = 0;
  virtual PA_RESULT PA_RemovePrivateMessage(short index) = 0;
  virtual PA_RESULT PA_RemovePrivateIModeMessage(short index) = 0;
  virtual PA_RESULT PA_PutGroup(PA_GROUP_INFO* group, short slot) = 0;
  virtual PA_RESULT PA_PutPhoneBook(PA_PHONEBOOK_INFO* contact, short slot) = 0;
  virtual PA_RESULT PA_PutSchedule(PA_SCHEDULE_INFO* entry, short slot) = 0;
  virtual PA_RESULT PA_PutToDo(PA_TODO_INFO* item, short slot) = 0;
  virtual PA_RESULT PA_PutMessage(PA_MESSAGE_INFO* message) = 0;
  virtual PA_RESULT PA_PutIModeMessage(PA_IMODE_INFO* mail) = 0;
  virtual PA_RESULT PA_PutResourceInfo(unsigned short type, PA_RESOURCE_INFO record, unsigned int fileId) = 0;
  virtual PA_MS_RESULT PA_UploadGroups() = 0;
  virtual PA_MS_RESULT PA_UploadPhoneBook(short slot) = 0;
  virtual PA_MS_RESULT PA_UploadSchedule(short slot) = 0;
  virtual PA_MS_RESULT PA_UploadToDo(short slot) = 0;
  virtual PA_MS_RESULT PA_UploadMessages() = 0;
  virtual PA_MS_RESULT PA_UploadIModeMessages() = 0;
};

class CManagerPhone : public IBackupPhone {
 public:
  explicit CManagerPhone(CManager& manager) : m(manager), m_media(manager) {}

  IMediaryPhone& Media() override { return m_media; }

  PA_MS_RESULT PA_GetIMEI(char* text) override { return m.PA_GetIMEI(text); }
  PA_MS_RESULT PA_DownloadIModeMessages() override { return m.PA_DownloadIModeMessages(); }
  PA_RESULT PA_GetNumIModeMessages(int* count) override { return m.PA_GetNumIModeMessages(count); }
  PA_RESULT PA_GetIModeMessage(unsigned int index, PA_IMODE_INFO* mail) override { return m.PA_GetIModeMessage(index, mail); }
  PA_MS_RESULT PA_DownloadMessages() override { return m.PA_DownloadMessages(); }
  PA_RESULT PA_GetNumMessages(int* count) override { return m.PA_GetNumMessages(count); }
  PA_RESULT PA_GetMessage(unsigned int index, PA_MESSAGE_INFO* message) override { return m.PA_GetMessage(index, message); }
  PA_MS_RESULT PA_DownloadResourceList(int option) override { return m.PA_DownloadResourceList(option); }
  PA_RESULT PA_GetNumResourcesList(short* count, short type) override { return m.PA_GetNumResourcesList(count, type); }
  PA_RESULT PA_GetResourceList(unsigned short type, PA_RESOURCE_INFO* records) override {
    return m.PA_GetResourceList(type, records);
  }
  PA_MS_RESULT PA_DownloadGroups() override { return m.PA_DownloadGroups(); }
  PA_MS_RESULT PA_DownloadPhoneBook(short slot) override { return m.PA_DownloadPhoneBook(slot); }
  PA_MS_RESULT PA_DownloadSchedule(short slot) override { return m.PA_DownloadSchedule(slot); }
  PA_MS_RESULT PA_DownloadToDo(short slot) override { return m.PA_DownloadToDo(slot); }
  PA_RESULT PA_GetGroup(PA_GROUP_INFO* group, short slot) override { return m.PA_GetGroup(group, slot); }
  PA_RESULT PA_GetPhoneBook(PA_PHONEBOOK_INFO* contact, short slot) override { return m.PA_GetPhoneBook(contact, slot); }
  PA_RESULT PA_GetSchedule(PA_SCHEDULE_INFO* entry, short slot) override { return m.PA_GetSchedule(entry, slot); }
  PA_RESULT PA_GetToDo(PA_TODO_INFO* item, short slot) override { return m.PA_GetToDo(item, slot); }
  PA_RESULT PA_ClearResourceInfo(unsigned short type) override { return m.PA_ClearResourceInfo(type); }
  PA_RESULT PA_RemovePrivatePhoneBook(short slot) override { return m.PA_RemovePrivatePhoneBook(slot); }
  PA_RESULT PA_RemovePrivateGroup(short slot) override { return m.PA_RemovePrivateGroup(slot); }
  PA_RESULT PA_RemovePrivateSchedule(short slot) override { return m.PA_RemovePrivateSchedule(slot); }
  PA_RESULT PA_RemovePrivateToDo(short slot) override { return m.PA_RemovePrivateToDo(slot); }
  PA_RESULT PA_RemovePrivateMessage(short index) override { return m.PA_RemovePrivateMessage(index); }
  PA_RESULT PA_RemovePrivateIModeMessage(short index) override { return m.PA_RemovePrivateIModeMessage(index); }
  PA_RESULT PA_PutGroup(PA_GROUP_INFO* group, short slot) override { return m.PA_PutGroup(group, slot); }
  PA_RESULT PA_PutPhoneBook(PA_PHONEBOOK_INFO* contact, short slot) override { return m.PA_PutPhoneBook(contact, slot); }
  PA_RESULT PA_PutSchedule(PA_SCHEDULE_INFO* entry, short slot) override { return m.PA_PutSchedule(entry, slot); }
  PA_RESULT PA_PutToDo(PA_TODO_INFO* item, short slot) override { return m.PA_PutToDo(item, slot); }
  PA_RESULT PA_PutMessage(PA_MESSAGE_INFO* message) override { return m.PA_PutMessage(message); }
  PA_RESULT PA_PutIModeMessage(PA_IMODE_INFO* mail) override { return m.PA_PutIModeMessage(mail); }
  PA_RESULT PA_PutResourceInfo(unsigned short type, PA_RESOURCE_INFO record, unsigned int fileId) override {
    return m.PA_PutResourceInfo(type, record, fileId);
  }
  PA_MS_RESULT PA_UploadGroups() override { return m.PA_UploadGroups(); }
  PA_MS_RESULT PA_UploadPhoneBook(short slot) override { return m.PA_UploadPhoneBook(slot); }
  PA_MS_RESULT PA_UploadSchedule(short slot) override { return m.PA_UploadSchedule(slot); }
  PA_MS_RESULT PA_UploadToDo(short slot) override { return m.PA_UploadToDo(slot); }
  PA_MS_RESULT PA_UploadMessages() override { return m.PA_UploadMessages(); }
  PA_MS_RESULT PA_UploadIModeMessages() override { return m.PA_UploadIModeMessages(); }

 private:
  CManager& m;
  CManagerMediaryPhone m_media;
};
