#pragma once
// The library's process-wide objects, built when the library is loaded, in this order: the link
// engine (which starts the link service), PrivateStore (the PC side), MSStore (the phone side) and
// the table of main media folders. Unloading destroys them in the reverse order. Beside them the
// library keeps the values the manager reads from the settings and the progress callback.
#include "LinkEngine.h"
#include "ResourceTypeTable.h"
#include "SideStore.h"

#include <handport/PhoneRecords.h>

struct CLibrarySettings {
  DWORD europeanSupport = 0;   // "EuropeanSupport"
  DWORD resetSupport = 0;      // "ResetSupport"
  DWORD commsTimeOut = 5000;   // "CommsTimeOut", ms
  CString build;               // "Build", at most 128 bytes
  int mainFolderCount = 2;     // served by PA_GetMainFolder; 3 with the build letters "Z" and "U"
  bool buildKnown = false;     // a Build letter of the table chose them: only then are they reported and listed
  PA_PROGRESS_CALLBACK progress = nullptr;
  void* progressUser = nullptr;
};

CSideStore& PrivateStore();
CSideStore& MSStore();
CResourceTypeTable& ResourceTypes();
CLibrarySettings& LibrarySettings();
