// The phone object's model answers and its operations on the multimedia folders and files.
#include "PhoneDevice.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <iterator>

namespace {

struct Capacity {
  int parameter;
  int value;
};
// Where this model differs from the base; every other parameter is the base's.
constexpr Capacity kDeviceCapacities[] = {
    {13, 23}, {14, 20}, {27, 10}, {29, 5}, {30, 20}, {31, 16},
    {34, 28}, {35, 31220}, {36, 26440}, {37, 9640}, {38, 32768},
};

constexpr std::size_t kMaxDepth = 32;

// The text a main folder's display names begin with; movies have none.
constexpr const char* kRootTexts[CResourceCaches::kTypeCount] = {"Pictures", "Sounds", ""};

// A query the phone refused (an ERROR answer, a reply of another shape) counts as finding
// nothing; one that never got its answer (no reply, link down, cancelled) fails the listing.
bool Refused() { return GetLastError() == ERROR_PHONE_BAD_REPLY; }

int Invalid() {
  SetLastError(ERROR_INVALID_PARAMETER);
  return 0;
}

}  // namespace

int CPhoneDevice::GetCapacity(int parameter) const {
  const auto found = std::find_if(std::begin(kDeviceCapacities), std::end(kDeviceCapacities),
                                  [parameter](const Capacity& capacity) { return capacity.parameter == parameter; });
  return found == std::end(kDeviceCapacities) ? CPhoneBase::GetCapacity(parameter) : found->value;
}

int CPhoneDevice::DownloadResource(PA_RESOURCE_INFO& record, int folder, int index, int option,
                                   const TransferControl& control) {
  // Whether the phone took the choice shows in the download that follows.
  m_engine.AssignResourceFileWFolder(option, folder, index);
  std::vector<BYTE> data;
  ResourceFileHeader header;
  if (!m_engine.GetResourceFileWFolder(control, data, header)) return 0;
  record.pData = NewDataArray(data);
  record.dwSize = static_cast<DWORD>(data.size());
  record.strFileName = header.name;
  record.strTitle = header.title;
  record.dwFolderId = header.folder;
  record.dwFileId = header.fileId;
  record.dwIndex = static_cast<DWORD>(index);
  return 1;
}

int CPhoneDevice::UploadResource(PA_RESOURCE_INFO& record, const TransferControl& control) {
  if (record.pData == nullptr && record.dwSize != 0) return Invalid();
  const int folder = static_cast<int>(record.dwFolderId);
  int count = 0;
  if (!m_engine.GetResourceFileNumWFolder(0, folder, count)) return 0;
  DWORD fileId = record.dwFileId;
  const int sent = m_engine.PutResourceFileWFolder(control, std::span<const BYTE>(record.pData, record.dwSize),
                                                   record.strFileName, record.strTitle, folder,
                                                   m_engine.UploadChunkSize(), fileId);
  if (sent || GetLastError() == ERROR_PA_EXISTS) {
    record.dwIndex = static_cast<DWORD>(count);
    record.dwFileId = fileId;
  }
  return sent;
}

int CPhoneDevice::GetNumSubfolders(int folder, int& count) { return m_engine.GetFolderNum(folder, count); }

int CPhoneDevice::GetFolderInfo(PA_FOLDER_INFO& record, int folder, int index) {
  return m_engine.GetFolderName(folder, index, record);
}

int CPhoneDevice::GetNumResources(int folder, int option, int& count) {
  return m_engine.GetResourceFileNumWFolder(option, folder, count);
}

int CPhoneDevice::GetResourceInfo(PA_RESOURCE_INFO& record, int folder, int index, int option) {
  return m_engine.GetResourceFileNameWFolder(option, folder, index, record);
}

int CPhoneDevice::DeleteResource(int fileId) { return m_engine.DeleteResourceFileWFolder(fileId); }

int CPhoneDevice::DeleteFolder(int first, int second) { return m_engine.DeleteFolderAll(first, second); }

int CPhoneDevice::CreateFolder(PA_FOLDER_INFO& record) {
  int type = -1;
  int number = -1;
  const int created = m_engine.CreateFolder(static_cast<int>(record.lFolderId), record.strName, type, number);
  if (created || GetLastError() == ERROR_PA_EXISTS) {
    record.dwType = static_cast<DWORD>(type);
    record.dwNumber = static_cast<DWORD>(number);
  }
  return created;
}

int CPhoneDevice::RenameFile(const PA_RESOURCE_INFO& record) {
  return m_engine.RenameResourceFileWFolder(static_cast<int>(record.dwFileId), record.strFileName);
}

int CPhoneDevice::MoveFile(int fileId, int folder) { return m_engine.MoveResourceFileWFolder(fileId, folder); }

int CPhoneDevice::ListFolder(CResourceCaches& caches, int type, int option) {
  if (!CResourceCaches::IsValidType(type)) return Invalid();
  std::vector<int> ancestors;
  return ListSubfolders(caches, type, type, option, kRootTexts[type], ancestors);
}

int CPhoneDevice::ListSubfolders(CResourceCaches& caches, int type, int folder, int option, const CString& path,
                                 std::vector<int>& ancestors) {
  // A tree that leads back to a folder on the way down would be listed for ever; one deeper than
  // any phone keeps is a garbled one.
  if (ancestors.size() == kMaxDepth || std::find(ancestors.begin(), ancestors.end(), folder) != ancestors.end()) {
    SetLastError(ERROR_PHONE_BAD_REPLY);
    return 0;
  }
  ancestors.push_back(folder);
  int subfolders = 0;
  if (!m_engine.GetFolderNum(folder, subfolders)) {
    if (!Refused()) return 0;
    subfolders = 0;
  }
  for (int index = 0; index < subfolders; ++index) {
    PA_FOLDER_INFO subfolder;
    if (!m_engine.GetFolderName(folder, index, subfolder)) return 0;
    if (!ListSubfolders(caches, type, static_cast<int>(subfolder.dwNumber), 1, path + "\\" + subfolder.strName,
                        ancestors)) {
      return 0;
    }
  }
  ancestors.pop_back();
  int files = 0;
  if (!m_engine.GetResourceFileNumWFolder(option, folder, files)) return Refused() ? 1 : 0;
  for (int index = 0; index < files; ++index) {
    PA_RESOURCE_INFO file;
    if (!m_engine.GetResourceFileNameWFolder(option, folder, index, file)) return 0;
    file.strDisplayName = path + "\\" + file.strFileName;
    caches.InsertInOrder(type, file);
  }
  return 1;
}
