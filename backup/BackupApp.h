#pragma once
// CBackupApp: Backup's application object. It loads the phone-access library by name at start and
// makes the process's one manager, runs the main dialog inside the launcher, and gives the manager
// back and unloads the library at the end.
#include <HostedApp.h>

#include <handport/Manager.h>

class CBackupApp : public CHostedApp {
 public:
  CBackupApp() : CHostedApp("Backup") {}

  BOOL InitInstance() override;
  int ExitInstance() override;

  CManager* m_pManager = nullptr;
  HMODULE m_hHandport = nullptr;
};
