#pragma once
// CMediaryApp: Mediary's application object. It starts the imaging library (the preview draws
// through it), loads the phone-access library by name and makes the process's one manager, runs the
// main dialog inside the launcher, and gives the manager back and unloads the library at the end.
#include <HostedApp.h>

#include <handport/Manager.h>

class CMediaryApp : public CHostedApp {
 public:
  CMediaryApp() : CHostedApp("Mediary") {}

  BOOL InitInstance() override;
  int ExitInstance() override;

  CManager* m_pManager = nullptr;
  HMODULE m_hHandport = nullptr;
  ULONG_PTR m_imagingToken = 0;
};
