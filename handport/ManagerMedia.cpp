// The media and message operations: the PC side's resource lists and message caches, and the
// phone's folders, files, messages and mails.
#include <handport/Manager.h>
#include <handport/PhoneErrors.h>

#include "Library.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <span>

namespace {

// What a phone holds of its identity: at most this many bytes of text and a NUL.
constexpr std::size_t kIdentitySize = 32;

// The chunked transfers report the bytes still to go; the application is told how far the
// transfer has come, so that its progress never runs backwards.
int ReportPosition(int total, int remaining, void*) {
  const CLibrarySettings& settings = LibrarySettings();
  if (settings.progress) settings.progress(total, std::max(total - remaining, 0), settings.progressUser);
  return 0;
}

TransferControl Control() {
  const CLibrarySettings& settings = LibrarySettings();
  return {MSStore().Phone().GetCancelEvent(), settings.progress ? ReportPosition : nullptr, nullptr};
}

CPhoneDevice& Phone() { return PrivateStore().Phone(); }

// A failed media operation's result, by the last error it left.
PA_MS_RESULT MediaFailure(bool existsCounts = false) {
  const DWORD error = GetLastError();
  if (error == ERROR_LINK_DOWN) return PA_MS_LINK_DOWN;
  if (error == ERROR_PA_CANCELLED) return PA_MS_CANCELLED;
  if (existsCounts && error == ERROR_PA_EXISTS) return PA_MS_EXISTS;
  return PA_MS_FAILED;
}

PA_MS_RESULT MediaResult(int done, bool existsCounts = false) { return done ? PA_MS_OK : MediaFailure(existsCounts); }
PA_MS_RESULT PlainResult(int done) { return done ? PA_MS_OK : PA_MS_FAILED; }

PA_MS_RESULT Refuse() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return PA_MS_FAILED;
}

}  // namespace

// --- the PC side's resource lists: types 0 to 2 only ---

PA_RESULT CManager::PA_GetResourceList(unsigned short type, PA_RESOURCE_INFO* records) {
  int count = 0;
  if (const PA_RESULT result = PrivateStore().CountResources(type, count); result != PA_OK) return result;
  if (count > 0 && !records) return PA_NULL_POINTER;
  return PrivateStore().GetResourceList(type, std::span<PA_RESOURCE_INFO>(records, static_cast<std::size_t>(count)));
}

PA_RESULT CManager::PA_GetNumResourcesList(short* count, short type) {
  int cached = 0;
  if (const PA_RESULT result = PrivateStore().CountResources(type, cached); result != PA_OK) return result;
  if (!count) return PA_NULL_POINTER;
  *count = static_cast<short>(cached);
  return PA_OK;
}

PA_RESULT CManager::PA_PutResourceList(unsigned short type, PA_RESOURCE_INFO* records, unsigned short count) {
  if (count > 0 && !records) return PA_NULL_POINTER;
  return PrivateStore().PutResourceList(type, std::span<const PA_RESOURCE_INFO>(records, count));
}

PA_RESULT CManager::PA_PutResourceInfo(unsigned short type, PA_RESOURCE_INFO record, unsigned int fileId) {
  return PrivateStore().PutResourceInfo(type, record, fileId);
}

PA_RESULT CManager::PA_ClearResourceInfo(unsigned short type) { return PrivateStore().ClearResourceInfo(type); }

// --- the PC side's messages and mails ---

PA_RESULT CManager::PA_GetNumMessages(int* count) {
  if (!count) return PA_NULL_POINTER;
  *count = PrivateStore().Messages().Count();
  return PA_OK;
}
PA_RESULT CManager::PA_GetMessage(unsigned int index, PA_MESSAGE_INFO* message) {
  return PrivateStore().Messages().Get(index, message);
}
PA_RESULT CManager::PA_PutMessage(PA_MESSAGE_INFO* message) { return PrivateStore().Messages().Put(message); }
PA_RESULT CManager::PA_RemovePrivateMessage(short index) { return PrivateStore().Messages().Remove(index); }

PA_RESULT CManager::PA_GetNumIModeMessages(int* count) {
  if (!count) return PA_NULL_POINTER;
  *count = PrivateStore().Mails().Count();
  return PA_OK;
}
PA_RESULT CManager::PA_GetIModeMessage(unsigned int index, PA_IMODE_INFO* mail) {
  return PrivateStore().Mails().Get(index, mail);
}
PA_RESULT CManager::PA_PutIModeMessage(PA_IMODE_INFO* mail) { return PrivateStore().Mails().Put(mail); }
PA_RESULT CManager::PA_RemovePrivateIModeMessage(short index) { return PrivateStore().Mails().Remove(index); }

// --- the phone's identity and memory ---

PA_MS_RESULT CManager::PA_GetIMEI(char* text) {
  if (!text) return Refuse();
  return PlainResult(TheLinkEngine().ShowIMEI(std::span<char>(text, kIdentitySize)));
}

PA_MS_RESULT CManager::PA_GetFileSystemFreeSpace(int* bytes) {
  if (!bytes) return Refuse();
  return PlainResult(TheLinkEngine().GetFileSystemFreeSpace(*bytes));
}

// --- the phone's folders and files ---

PA_MS_RESULT CManager::PA_DownloadResourceList(int option) {
  // Each main folder's list is made anew; the first folder that fails ends the walk, and the
  // folders after it keep their lists.
  // An unknown build reported no main folders, and none is listed.
  CResourceCaches& caches = PrivateStore().Resources();
  const int folders = LibrarySettings().buildKnown ? LibrarySettings().mainFolderCount : 0;
  for (int type = 0; type < folders; ++type) {
    caches.Clear(type);
    if (!Phone().ListFolder(caches, type, option)) return MediaFailure();
  }
  return PA_MS_OK;
}

PA_MS_RESULT CManager::PA_DownloadResource(PA_RESOURCE_INFO* record, short folder, short index, unsigned char option) {
  if (!record) return Refuse();
  return MediaResult(Phone().DownloadResource(*record, folder, index, option, Control()));
}

PA_MS_RESULT CManager::PA_GetNumSubfolders(short* count, short folder) {
  int found = 0;
  if (!count) return Refuse();
  if (!Phone().GetNumSubfolders(folder, found)) return PA_MS_FAILED;
  *count = static_cast<short>(found);
  return PA_MS_OK;
}

PA_MS_RESULT CManager::PA_GetFolderInfo(PA_FOLDER_INFO* info, short folder, short index) {
  if (!info) return Refuse();
  return MediaResult(Phone().GetFolderInfo(*info, folder, index));
}

PA_MS_RESULT CManager::PA_GetNumResources(short* count, short folder, unsigned char option) {
  int found = 0;
  if (!count) return Refuse();
  if (!Phone().GetNumResources(folder, option, found)) return PA_MS_FAILED;
  *count = static_cast<short>(found);
  return PA_MS_OK;
}

PA_MS_RESULT CManager::PA_GetResourceInfo(PA_RESOURCE_INFO* record, short folder, short index, unsigned char option) {
  if (!record) return Refuse();
  return MediaResult(Phone().GetResourceInfo(*record, folder, index, option));
}

PA_MS_RESULT CManager::PA_UploadResource(PA_RESOURCE_INFO* record) {
  if (!record) return Refuse();
  return MediaResult(Phone().UploadResource(*record, Control()), true);
}

PA_MS_RESULT CManager::PA_CreateFolder(PA_FOLDER_INFO* folder) {
  if (!folder) return Refuse();
  return MediaResult(Phone().CreateFolder(*folder), true);
}

PA_MS_RESULT CManager::PA_RemoveMSResource(short fileId) { return MediaResult(Phone().DeleteResource(fileId)); }
PA_MS_RESULT CManager::PA_RemoveMSFolder(short first, short second) {
  return MediaResult(Phone().DeleteFolder(first, second));
}

PA_MS_RESULT CManager::PA_RenameMSFile(PA_RESOURCE_INFO* record) {
  if (!record) return Refuse();
  return PlainResult(Phone().RenameFile(*record));
}

PA_MS_RESULT CManager::PA_MoveMSFile(short fileId, short folder) { return PlainResult(Phone().MoveFile(fileId, folder)); }

// --- messages and mails on the phone ---

PA_MS_RESULT CManager::PA_DownloadMessages() {
  return PlainResult(Phone().DownloadMessages(PrivateStore().Messages(), Control()));
}
PA_MS_RESULT CManager::PA_UploadMessages() {
  return PlainResult(Phone().UploadMessages(PrivateStore().Messages(), Control()));
}
PA_MS_RESULT CManager::PA_DownloadIModeMessages() {
  return PlainResult(Phone().DownloadIModeMessages(PrivateStore().Mails(), Control()));
}
PA_MS_RESULT CManager::PA_UploadIModeMessages() {
  return PlainResult(Phone().UploadIModeMessages(PrivateStore().Mails(), Control()));
}
