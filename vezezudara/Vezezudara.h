#pragma once
// CVezezudaraApp: the launcher's application. One instance runs per user: a second start hands its
// command line ("App=<program>" or "Close") to the first through the status record and ends. The
// launcher needs the settings the link service's setup writes ("Build"); without them it ends
// silently.
#include <framework/Afx.h>

#include <memory>

class CSharedMemory;

class CVezezudaraApp : public CWinApp {
public:
  CVezezudaraApp();
  ~CVezezudaraApp() override;

  BOOL InitInstance() override;
  int ExitInstance() override;

  CSharedMemory& StatusRecord() { return *m_record; }

private:
  // The second instance's part: the command line into the record, the first instance told.
  void HandOver();

  std::unique_ptr<CSharedMemory> m_record;
  HANDLE m_instanceMutex = nullptr;
};

// The first instance's main window: the launcher's frame class with the window text string 129.
HWND FindLauncherWindow();
