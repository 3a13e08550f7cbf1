#pragma once
// Phones in memory for the runs' tests: MemPhone answers from its tables with failures where the
// test says; HangingPhone's detection waits until the transfer is cancelled, as the library's
// waits do.
#include "PhoneRuns.h"

#include <handport/PhoneErrors.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace {

struct MemFile {
  std::string name, kind;
  std::vector<BYTE> bytes;
  DWORD id;
};
struct MemFolder {
  std::string name;
  DWORD id;
};

class MemPhone : public IMediaryPhone {
 public:
  std::map<short, std::vector<MemFolder>> folders;  // by parent id
  std::map<short, std::vector<MemFile>> files;      // by folder id
  PA_MS_RESULT detect = PA_MS_OK;
  DWORD detectError = 0;
  PA_MS_RESULT lock = PA_MS_OK;
  std::vector<int> downloadResults;  // consumed first, then 0
  std::vector<int> uploadResults;
  int powerOffs = 0, closes = 0, connects = 0;
  DWORD nextId = 500;
  std::vector<std::string> log;

  void SetCallbackFunction(PA_PROGRESS_CALLBACK, void*) override {}
  PA_MS_RESULT TestModeOn() override { ++connects; return detect; }
  DWORD LastError() override { return detectError; }
  void PowerOff() override { ++powerOffs; }
  PA_MS_RESULT PA_ClosePort() override { ++closes; return PA_MS_OK; }
  void PA_CancelTransfer() override { ++cancels; }
  std::atomic<int> cancels{0};
  PA_MS_RESULT CheckLockInfo() override { return lock; }
  PA_MS_RESULT PA_GetFileSystemFreeSpace(int* bytes) override { *bytes = 4096; return PA_MS_OK; }
  PA_MS_RESULT PA_GetNumMainFolders(short* count) override { *count = 3; return PA_MS_OK; }
  PA_MS_RESULT PA_GetMainFolder(PA_FOLDER_INFO* folder, short index) override {
    folder->dwNumber = DWORD(index);
    folder->dwType = DWORD(index);
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_GetNumSubfolders(short* count, short folder) override { *count = short(folders[folder].size()); return PA_MS_OK; }
  PA_MS_RESULT PA_GetFolderInfo(PA_FOLDER_INFO* info, short folder, short index) override {
    const MemFolder& f = folders[folder].at(std::size_t(index));
    info->strName = f.name.c_str();
    info->dwNumber = f.id;
    info->dwType = 1;
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_GetNumResources(short* count, short folder, unsigned char) override { *count = short(files[folder].size()); return PA_MS_OK; }
  PA_MS_RESULT PA_GetResourceInfo(PA_RESOURCE_INFO* record, short folder, short index, unsigned char) override {
    const MemFile& f = files[folder].at(std::size_t(index));
    record->strFileName = f.name.c_str();
    record->strTitle = f.kind.c_str();
    record->dwFileId = f.id;
    record->dwSize = DWORD(f.bytes.size());
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_DownloadResource(PA_RESOURCE_INFO* record, short folder, short index, unsigned char) override {
    log.push_back("down " + std::to_string(folder) + "," + std::to_string(index));
    if (!downloadResults.empty()) {
      const auto r = PA_MS_RESULT(downloadResults.front());
      downloadResults.erase(downloadResults.begin());
      if (r != 0) return r;
    }
    const MemFile& f = files[folder].at(std::size_t(index));
    record->strTitle = f.kind.c_str();
    record->dwSize = DWORD(f.bytes.size());
    record->pData = new BYTE[f.bytes.size()];
    std::copy(f.bytes.begin(), f.bytes.end(), record->pData);
    return PA_MS_OK;
  }
  void DeleteDataArray(unsigned char* data) override { delete[] data; }
  PA_MS_RESULT PA_UploadResource(PA_RESOURCE_INFO* record) override {
    log.push_back("up " + std::string(record->strFileName) + " to " + std::to_string(record->dwFolderId));
    if (!uploadResults.empty()) {
      const auto r = PA_MS_RESULT(uploadResults.front());
      uploadResults.erase(uploadResults.begin());
      if (r != 0) return r;
    }
    const DWORD id = nextId++;
    files[short(record->dwFolderId)].push_back(
        {std::string(record->strFileName), std::string(record->strTitle), {record->pData, record->pData + record->dwSize}, id});
    record->dwFileId = id;
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_CreateFolder(PA_FOLDER_INFO* folder) override {
    const DWORD id = nextId++;
    folders[short(folder->lFolderId)].push_back({std::string(folder->strName), id});
    log.push_back("mkdir " + std::string(folder->strName) + " in " + std::to_string(folder->lFolderId));
    folder->dwNumber = id;
    folder->dwType = 1;
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_RemoveMSResource(short fileId) override { log.push_back("rm " + std::to_string(fileId)); return PA_MS_OK; }
  PA_MS_RESULT PA_RemoveMSFolder(short first, short) override { log.push_back("rmdir " + std::to_string(first)); return PA_MS_OK; }
};

// A phone whose detection waits until the transfer is cancelled, as the library's waits do.
class HangingPhone : public MemPhone {
 public:
  std::mutex m;
  std::condition_variable cv;
  bool cancelled = false, waiting = false;
  bool hang = true;  // false: found at once, as the plain phone in memory
  PA_MS_RESULT TestModeOn() override {
    if (!hang) return MemPhone::TestModeOn();
    std::unique_lock lock(m);
    waiting = true;
    cv.notify_all();
    cv.wait(lock, [&] { return cancelled; });
    detectError = ERROR_PA_CANCELLED;
    return PA_MS_RESULT(1);
  }
  void PA_CancelTransfer() override {
    MemPhone::PA_CancelTransfer();
    std::lock_guard lock(m);
    cancelled = true;
    cv.notify_all();
  }
  void WaitUntilWaiting() {
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return waiting; });
  }
};

}  // namespace
