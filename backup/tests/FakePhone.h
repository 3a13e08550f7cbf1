#pragma once
// A phone in memory for the runs' tests: every operation answers from its tables, failures where
// the test says; Fill gives it a little of everything.
#include "BackupPhone.h"
#include "BackupRun.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <map>
#include <string>
#include <vector>

namespace {

struct FakeFile {
  std::string name;
  std::vector<BYTE> bytes;
  DWORD id = 0;
};
struct FakeFolder {
  DWORD id = 0;
  std::string name;
};

// A phone in memory; every operation answers from its tables, failures where the test says.
class FakePhone : public IBackupPhone, public IMediaryPhone {
 public:
  IMediaryPhone& Media() override { return *this; }
  // Calls of the multimedia manager's that the runs never make.
  PA_MS_RESULT PA_GetFileSystemFreeSpace(int*) override { return PA_MS_NOT_SUPPORTED; }
  PA_MS_RESULT PA_GetNumMainFolders(short*) override { return PA_MS_NOT_SUPPORTED; }
  PA_MS_RESULT PA_GetMainFolder(PA_FOLDER_INFO*, short) override { return PA_MS_NOT_SUPPORTED; }

  std::map<short, CString> groups;
  std::map<short, PA_PHONEBOOK_INFO> contacts;
  std::map<short, PA_SCHEDULE_INFO> schedule;
  std::map<short, PA_TODO_INFO> todo;
  std::vector<std::pair<DWORD, std::vector<BYTE>>> messages;  // box, bytes
  std::vector<std::vector<BYTE>> mails;
  std::vector<PA_RESOURCE_INFO> lists[2];
  std::map<short, std::vector<FakeFolder>> subfolders;
  std::map<short, std::vector<FakeFile>> files;

  PA_MS_RESULT testMode = PA_MS_OK;
  DWORD lastError = 0;
  PA_MS_RESULT lock = PA_MS_OK;
  std::string imei = "0x35,0x40,0x00,1122334455667788";
  // The download of file number `failAt` (counted over the run, from 0) answers `failWith`.
  int failAt = -1;
  PA_MS_RESULT failWith = PA_MS_OK;
  PA_MS_RESULT downloadMessages = PA_MS_OK;
  // The upload of that name ("upload contacts") answers this result instead of done.
  std::map<std::string, PA_MS_RESULT> answers;

  // With `hold` set, a file download waits until the transfer is cancelled and then answers 7.
  // With `detection` set, TestModeOn waits (`waiting`) until `released`.
  struct Hold {
    std::atomic<bool> on{false}, waiting{false}, cancelled{false};
    std::atomic<bool> detection{false}, released{false};
  };
  std::shared_ptr<Hold> hold = std::make_shared<Hold>();

  int powerOffs = 0, closes = 0, downloads = 0, outstanding = 0, testModes = 0;
  // The PC-side store as the restore fills it, and what the uploads took to the phone.
  std::map<short, CString> pcGroups;
  std::map<short, PA_PHONEBOOK_INFO> pcContacts;
  std::map<short, PA_SCHEDULE_INFO> pcSchedule;
  std::map<short, PA_TODO_INFO> pcToDo;
  std::vector<std::pair<DWORD, std::vector<BYTE>>> pcMessages;
  std::vector<std::vector<BYTE>> pcMails;
  std::vector<std::pair<DWORD, DWORD>> resourceInfos;  // media kind, old file id (0xFFFFFFFF: a list entry)
  DWORD nextFolderId = 20, nextFileId = 100;
  int mediaChanges = 0;
  std::vector<std::string> calls;

  void SetCallbackFunction(PA_PROGRESS_CALLBACK callback, void* user) override {
    if (callback) callback(40000, 20000, user);
  }
  PA_MS_RESULT TestModeOn() override {
    ++testModes;
    if (hold->detection) {
      hold->waiting = true;
      while (!hold->released) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (testMode != PA_MS_OK) SetLastError(lastError);
    return testMode;
  }
  DWORD LastError() override { return lastError; }
  void PowerOff() override { ++powerOffs; }
  PA_MS_RESULT PA_ClosePort() override { return ++closes, PA_MS_OK; }
  void PA_CancelTransfer() override { hold->cancelled = true; }
  PA_MS_RESULT CheckLockInfo() override { return lock; }
  PA_MS_RESULT PA_GetIMEI(char* text) override {
    std::snprintf(text, 32, "%s", imei.c_str());
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_DownloadIModeMessages() override { return Call("imode"); }
  PA_RESULT PA_GetNumIModeMessages(int* count) override { return *count = static_cast<int>(mails.size()), PA_OK; }
  PA_RESULT PA_GetIModeMessage(unsigned int index, PA_IMODE_INFO* mail) override {
    *mail = PA_IMODE_INFO{1, 1, index, static_cast<DWORD>(mails[index].size()), mails[index].data()};
    return PA_OK;
  }
  PA_MS_RESULT PA_DownloadMessages() override { return Call("messages") == PA_MS_OK ? downloadMessages : PA_MS_FAILED; }
  PA_RESULT PA_GetNumMessages(int* count) override { return *count = static_cast<int>(messages.size()), PA_OK; }
  PA_RESULT PA_GetMessage(unsigned int index, PA_MESSAGE_INFO* message) override {
    auto& [box, bytes] = messages[index];
    *message = PA_MESSAGE_INFO{1, box, index, static_cast<DWORD>(bytes.size()), bytes.data()};
    return PA_OK;
  }
  PA_MS_RESULT PA_DownloadResourceList(int) override { return Call("lists"); }
  PA_RESULT PA_GetNumResourcesList(short* count, short type) override {
    return *count = static_cast<short>(lists[type].size()), PA_OK;
  }
  PA_RESULT PA_GetResourceList(unsigned short type, PA_RESOURCE_INFO* records) override {
    for (std::size_t i = 0; i < lists[type].size(); ++i) records[i] = lists[type][i];
    return PA_OK;
  }
  PA_MS_RESULT PA_DownloadGroups() override { return Call("groups"); }
  PA_MS_RESULT PA_DownloadPhoneBook(short) override { return Call("contacts"); }
  PA_MS_RESULT PA_DownloadSchedule(short) override { return Call("schedule"); }
  PA_MS_RESULT PA_DownloadToDo(short) override { return Call("todo"); }
  PA_RESULT PA_GetGroup(PA_GROUP_INFO* group, short slot) override {
    auto it = groups.find(slot);
    group->bExists = it != groups.end();
    group->strName = group->bExists ? it->second : CString();
    return PA_OK;
  }
  template <typename Record>
  static PA_RESULT Get(const std::map<short, Record>& table, Record* record, short slot) {
    auto it = table.find(slot);
    if (it == table.end()) return PA_EMPTY_SLOT;
    *record = it->second;
    return PA_OK;
  }
  // Reading the PC side: what a download left (a backup) or what a restore put (a restore).
  PA_RESULT PA_GetPhoneBook(PA_PHONEBOOK_INFO* contact, short slot) override {
    return Get(restoring ? pcContacts : contacts, contact, slot);
  }
  PA_RESULT PA_GetSchedule(PA_SCHEDULE_INFO* entry, short slot) override {
    return Get(restoring ? pcSchedule : schedule, entry, slot);
  }
  bool restoring = false;
  PA_RESULT PA_GetToDo(PA_TODO_INFO* item, short slot) override { return Get(todo, item, slot); }
  PA_MS_RESULT PA_GetNumSubfolders(short* count, short folder) override {
    return *count = static_cast<short>(subfolders[folder].size()), PA_MS_OK;
  }
  PA_MS_RESULT PA_GetFolderInfo(PA_FOLDER_INFO* info, short folder, short index) override {
    const FakeFolder& sub = subfolders[folder][static_cast<std::size_t>(index)];
    info->dwNumber = sub.id;
    info->dwType = sub.id;
    info->strName = sub.name.c_str();
    info->lFolderId = folder;
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_GetNumResources(short* count, short folder, unsigned char) override {
    return *count = static_cast<short>(files[folder].size()), PA_MS_OK;
  }
  PA_MS_RESULT PA_GetResourceInfo(PA_RESOURCE_INFO* record, short folder, short index, unsigned char) override {
    const FakeFile& file = files[folder][static_cast<std::size_t>(index)];
    record->dwIndex = static_cast<DWORD>(index);
    record->dwFileId = file.id;
    record->strFileName = file.name.c_str();
    record->dwFolderId = static_cast<DWORD>(folder);
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_DownloadResource(PA_RESOURCE_INFO* record, short folder, short index, unsigned char) override {
    if (downloads++ == failAt) return failWith;
    if (hold->on) {
      hold->waiting = true;
      while (!hold->cancelled) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      return PA_MS_CANCELLED;
    }
    const FakeFile& file = files[folder][static_cast<std::size_t>(index)];
    record->dwSize = static_cast<DWORD>(file.bytes.size());
    record->pData = new BYTE[file.bytes.size() + 1];
    std::copy(file.bytes.begin(), file.bytes.end(), record->pData);
    ++outstanding;
    return PA_MS_OK;
  }
  void DeleteDataArray(unsigned char* data) override {
    delete[] data;
    --outstanding;
  }
  PA_RESULT PA_ClearResourceInfo(unsigned short type) override {
    Call(type ? "clear list 1" : "clear list 0");
    return PA_OK;
  }
  PA_RESULT PA_RemovePrivatePhoneBook(short slot) override { return pcContacts.erase(slot), PA_OK; }
  PA_RESULT PA_RemovePrivateGroup(short slot) override { return pcGroups.erase(slot), PA_OK; }
  PA_RESULT PA_RemovePrivateSchedule(short slot) override { return pcSchedule.erase(slot), PA_OK; }
  PA_RESULT PA_RemovePrivateToDo(short slot) override { return pcToDo.erase(slot), PA_OK; }
  PA_RESULT PA_RemovePrivateMessage(short) override {
    if (pcMessages.empty()) return PA_OUT_OF_RANGE;
    pcMessages.erase(pcMessages.begin());
    return PA_OK;
  }
  PA_RESULT PA_RemovePrivateIModeMessage(short) override {
    if (pcMails.empty()) return PA_OUT_OF_RANGE;
    pcMails.erase(pcMails.begin());
    return PA_OK;
  }
  PA_RESULT PA_PutGroup(PA_GROUP_INFO* group, short slot) override { return pcGroups[slot] = group->strName, PA_OK; }
  PA_RESULT PA_PutPhoneBook(PA_PHONEBOOK_INFO* contact, short slot) override { return pcContacts[slot] = *contact, PA_OK; }
  PA_RESULT PA_PutSchedule(PA_SCHEDULE_INFO* entry, short slot) override { return pcSchedule[slot] = *entry, PA_OK; }
  PA_RESULT PA_PutToDo(PA_TODO_INFO* item, short slot) override { return pcToDo[slot] = *item, PA_OK; }
  PA_RESULT PA_PutMessage(PA_MESSAGE_INFO* message) override {
    pcMessages.emplace_back(message->dwBox, std::vector<BYTE>(message->pData, message->pData + message->dwLength));
    return PA_OK;
  }
  PA_RESULT PA_PutIModeMessage(PA_IMODE_INFO* mail) override {
    pcMails.emplace_back(mail->pData, mail->pData + mail->dwLength);
    return PA_OK;
  }
  PA_RESULT PA_PutResourceInfo(unsigned short type, PA_RESOURCE_INFO, unsigned int fileId) override {
    resourceInfos.emplace_back(type, fileId);
    return PA_OK;
  }
  PA_MS_RESULT PA_UploadResource(PA_RESOURCE_INFO* record) override {
    calls.push_back("upload " + std::string(record->strFileName) + " into " + std::to_string(record->dwFolderId));
    record->dwFileId = nextFileId++;
    files[static_cast<short>(record->dwFolderId)].push_back(
        {std::string(record->strFileName), std::vector<BYTE>(record->pData, record->pData + record->dwSize), record->dwFileId});
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_CreateFolder(PA_FOLDER_INFO* folder) override {
    calls.push_back("create " + std::string(folder->strName) + " in " + std::to_string(folder->lFolderId));
    folder->dwNumber = folder->dwType = nextFolderId++;
    subfolders[static_cast<short>(folder->lFolderId)].push_back({folder->dwNumber, std::string(folder->strName)});
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_RemoveMSFolder(short first, short) override {
    calls.push_back("remove folder " + std::to_string(first));
    for (auto& [parent, list] : subfolders) std::erase_if(list, [&](const FakeFolder& f) { return f.id == static_cast<DWORD>(first); });
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_RemoveMSResource(short fileId) override {
    calls.push_back("remove file " + std::to_string(fileId));
    for (auto& [folder, list] : files) std::erase_if(list, [&](const FakeFile& f) { return f.id == static_cast<DWORD>(fileId); });
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_UploadGroups() override { groups = pcGroups; return Call("upload groups"); }
  PA_MS_RESULT PA_UploadPhoneBook(short) override { contacts = pcContacts; return Call("upload contacts"); }
  PA_MS_RESULT PA_UploadSchedule(short) override { schedule = pcSchedule; return Call("upload schedule"); }
  PA_MS_RESULT PA_UploadToDo(short) override { todo = pcToDo; return Call("upload todo"); }
  PA_MS_RESULT PA_UploadMessages() override { messages = pcMessages; return Call("upload messages"); }
  PA_MS_RESULT PA_UploadIModeMessages() override { mails = pcMails; return Call("upload mails"); }

 private:
  PA_MS_RESULT Call(const std::string& name) {
    calls.emplace_back(name);
    const auto answer = answers.find(name);
    return answer == answers.end() ? PA_MS_OK : answer->second;
  }
};

class RecordingReport : public IRunReport {
 public:
  std::vector<std::pair<std::string, int>> lines;
  std::vector<std::pair<int, int>> progress;
  int busy = 0;
  void Log(const CString& text, int kind) override { lines.emplace_back(static_cast<LPCSTR>(text), kind); }
  void Overlay(const CString&) override {}
  void Busy(bool on) override { busy = on; }
  void Progress(int maximum, int position) override { progress.emplace_back(maximum, position); }
  int mediaChanges = 0;
  void MediaChanged() override { ++mediaChanges; }
  bool Logged(const std::string& text) const {
    for (auto& [line, kind] : lines) {
      if (line == text) return true;
    }
    return false;
  }
};

// A filled phone: two groups, contacts, schedule and to-do entries, messages of all three boxes,
// two mails, resource lists, and media in nested folders (16 and 17 are the user's; 12 the phone's).
void Fill(FakePhone& phone) {
  phone.groups = {{1, "Family"}, {19, "Work"}};
  PA_PHONEBOOK_INFO contact;
  contact.bValid = 1;
  contact.strName = "Ann";
  contact.dwPictureId = 40;
  phone.contacts[0] = contact;
  contact.strName = "Bob";
  phone.contacts[499] = contact;
  PA_SCHEDULE_INFO entry;
  entry.bValid = 1;
  entry.strDescription = "Meet";
  entry.dwMelodyId = 41;
  phone.schedule[599] = entry;
  PA_TODO_INFO item;
  item.bValid = 1;
  item.strDescription = "Call";
  phone.todo[42] = item;
  phone.messages = {{1, {1}}, {2, {2, 2}}, {3, {3, 3, 3}}, {4, {4}}};
  phone.mails = {{9}, {9, 9}};
  PA_RESOURCE_INFO listed;
  listed.dwFileId = 40;
  listed.strFileName = "a.jpg";
  phone.lists[0] = {listed};
  listed.dwFileId = 41;
  listed.strFileName = "b.mid";
  phone.lists[1] = {listed};
  phone.subfolders[0] = {{12, "Camera"}, {16, "Trips"}};
  phone.subfolders[16] = {{17, "Alps"}};
  phone.files[0] = {{"a.jpg", {1, 2, 3}, 40}};
  phone.files[12] = {{"cam.jpg", {4}, 50}};
  phone.files[17] = {{"peak.jpg", std::vector<BYTE>(70000, 7), 51}};
  phone.files[1] = {{"b.mid", {5, 6}, 41}};
}

}  // namespace
