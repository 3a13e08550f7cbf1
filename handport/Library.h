#pragma once
// The library's process-wide objects, built when the library is loaded, in this order: the link
// engine, PrivateStore (the PC side), MSStore (the phone side) and the table of main media folders.
// Unloading destroys them in the reverse order. Beside them the library keeps the values the
// manager reads from the settings and the progress callback.
//
// The link service is started by the first manager an application makes after loading the library,
// not by the load itself: every application makes its manager at its start, so the service still
// comes up long before the first connect, and it comes up in the home the application runs in by
// then. A program that loads the library before it has settled its home (a test choosing a home of
// its own, or only listing its cases) starts no service anywhere else. A manager pointed at a
// test's own link service (TestLinkPort) starts none at all.
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

// Starts "Linkwell.exe Test" the first time it is called after the library was loaded.
void StartLinkServiceOnce();
