// The manager's making and unmaking, the length limits, and the operations that answer without
// the phone or the stores: the version, the main folders, the progress callback, the cancel event
// and the library's buffers.
#include <handport/Manager.h>

#include "DataArray.h"
#include "Library.h"
#include "ManagerSettings.h"
#include "PhoneText.h"


namespace {

constexpr char kLibraryVersion[] = "00.01";

constexpr int kGroupNameSize = 21;
constexpr int kScheduleDescriptionSize = 64;
constexpr int kExtendedDescriptionSize = 256;
constexpr int kToDoDescriptionSize = 32;

// The contact field limits by field number; the reading's 30 is 0 where the second form of the
// name is not offered.
int ContactFieldSize(int field) {
  if (field == PA_CONTACT_NAME || field == PA_CONTACT_READING) return 30;
  if (field >= PA_CONTACT_NUMBER1 && field <= PA_CONTACT_NUMBER7) return 41;
  if (field >= PA_CONTACT_BYTE1 && field <= PA_CONTACT_BYTE4) return 1;
  if (field >= PA_CONTACT_EMAIL1 && field <= PA_CONTACT_TEXT2) return 64;
  return 0;
}

}  // namespace

extern "C" CManager* StartManager(CManager** out) {
  // Nothing may leave the library as an exception: a manager that cannot be made is null.
  CManager* manager = nullptr;
  try {
    // The application's first manager brings the link service up, in the application's own home;
    // a manager pointed at a test's own link service has none to start.
    if (!TestLinkPort()) StartLinkServiceOnce();
    manager = new CManager;
  } catch (...) {
    manager = nullptr;
  }
  if (out) *out = manager;
  return manager;
}

extern "C" bool DestroyManager(CManager* manager) {
  if (!manager) return false;
  delete manager;
  return true;
}

CManager::CManager() {
  LoadManagerSettings();
  // The engine looks at the phone side's cancel event from the start, so a cancel from another
  // thread only sets the event and never changes what the engine's waits read.
  TheLinkEngine().SetCancelEvent(MSStore().Phone().GetCancelEvent());
}

// --- length limits ---

int CManager::GetUTF8Length(CString text) {
  CPhoneText phoneText(text);
  const BYTE* bytes = nullptr;
  int length = 0;
  phoneText.ToUtf8(bytes, length);
  return length;
}

int CManager::GetGroupMaxNameSize() { return kGroupNameSize; }

int CManager::GetScheduleMaxDescriptionSize() {
  return PrivateStore().UsesExtendedLayouts() ? kExtendedDescriptionSize : kScheduleDescriptionSize;
}

int CManager::GetToDoMaxDescriptionSize(PA_TODO_FIELD field) {
  const bool extended = PrivateStore().UsesExtendedLayouts();
  if (field == PA_TODO_DESCRIPTION) return extended ? kExtendedDescriptionSize : kToDoDescriptionSize;
  if (field == PA_TODO_UNIT1 || field == PA_TODO_UNIT2) return 1;
  if (field >= PA_TODO_EXTENDED1 && field <= PA_TODO_EXTENDED4) return extended ? 1 : 0;
  return 0;
}

int CManager::GetContactMaxFieldSize(PA_CONTACT_FIELD field) {
  if (field == PA_CONTACT_READING && LibrarySettings().europeanSupport != 0) return 0;
  return ContactFieldSize(field);
}

PA_RESULT CManager::PA_GetDLLVersion(CString* version) {
  if (version) *version = kLibraryVersion;
  return PA_OK;
}

// The phone's details and its supported file types are not reported by this library.
PA_RESULT CManager::PA_GetPhoneInfo(PA_PHONE_INFO*) { return PA_OK; }
PA_RESULT CManager::PA_GetSupportTypes(short, PA_RESOURCE_TYPE*, short*) { return PA_OK; }

// --- main folders ---

PA_MS_RESULT CManager::PA_GetNumMainFolders(short* count) {
  // An unknown build reports no count: the caller's variable keeps what it held. The two folders
  // every build has are still served by PA_GetMainFolder.
  if (count && LibrarySettings().buildKnown) *count = static_cast<short>(LibrarySettings().mainFolderCount);
  return PA_MS_OK;
}

PA_MS_RESULT CManager::PA_GetMainFolder(PA_FOLDER_INFO* folder, short index) {
  if (!folder) return PA_MS_OUT_OF_RANGE;
  return ResourceTypes().GetMainFolder(index, LibrarySettings().mainFolderCount, *folder);
}

PA_MS_RESULT CManager::PA_DownloadResource(PA_RESOURCE_INFO*, short) { return PA_MS_NOT_SUPPORTED; }

// --- control ---

void CManager::PA_CancelTransfer() { TheLinkEngine().CancelTransfer(); }

void CManager::PA_GetCancelEventHandle(void** handle) {
  if (handle) *handle = MSStore().Phone().GetCancelEvent();
}

void CManager::DeleteDataArray(unsigned char* data) { FreeDataArray(data); }

void CManager::SetCallbackFunction(PA_PROGRESS_CALLBACK callback, void* user) {
  CLibrarySettings& settings = LibrarySettings();
  settings.progress = callback;
  settings.progressUser = user;
  TheLinkEngine().SetProgressCallback(callback, user);
}

PA_MS_RESULT CManager::PA_ClosePort() {
  TheLinkEngine().Disconnect();
  return PA_MS_OK;
}
