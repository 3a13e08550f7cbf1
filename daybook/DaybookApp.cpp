// Daybook's start and end: the launcher's two windows from the command line (the kit's hosted
// application reads them), the phone library loaded by name with its one manager, the main dialog in
// the launcher's window, and at the end the manager destroyed and the library unloaded before the
// launcher hears that the program ended.
#include "Daybook.h"
#include "DaybookDlg.h"

#include <HostedApp.h>
#include <ProgramManager.h>
#include <StringLoader.h>

#include <kernel/Module.h>
#include <kernel/Process.h>

namespace {

CStringLoader g_strings("Daybook");

class CDaybookApp : public CHostedApp {
 public:
  BOOL InitInstance() override {
    SetDialogBkColor(RGB(0xE1, 0xEA, 0xFD), RGB(0x08, 0x2A, 0x82));
    g_bDocumentModified = FALSE;
    m_library = ::LoadLibraryA("Handport.dll");
    auto start = m_library ? reinterpret_cast<PFN_START_MANAGER>(reinterpret_cast<void (*)()>(::GetProcAddress(m_library, "StartManager"))) : nullptr;
    m_destroy = m_library ? reinterpret_cast<PFN_DESTROY_MANAGER>(reinterpret_cast<void (*)()>(::GetProcAddress(m_library, "DestroyManager"))) : nullptr;
    // A library without its two functions, or one that makes no manager, is as good as missing.
    if (start == nullptr || m_destroy == nullptr || start(&g_pManager) == nullptr || g_pManager == nullptr) {
      DaybookMessage(390, 300, MB_ICONINFORMATION);
      if (g_pManager != nullptr && m_destroy != nullptr) m_destroy(g_pManager);
      ::ExitProcess(0);
    }
    SetProgramManager(g_pManager);
    {
      CDaybookDlg dialog(*g_pManager);
      m_pMainWnd = &dialog;
      RunMainDialog(dialog);
      m_pMainWnd = nullptr;
    }
    return FALSE;
  }

  int ExitInstance() override {
    SetProgramManager(nullptr);
    if (m_destroy != nullptr && g_pManager != nullptr) m_destroy(g_pManager);
    g_pManager = nullptr;
    if (m_library != nullptr) ::FreeLibrary(m_library);
    m_library = nullptr;
    return CHostedApp::ExitInstance();
  }

 private:
  HMODULE m_library = nullptr;
  PFN_DESTROY_MANAGER m_destroy = nullptr;
};

CDaybookApp theApp;

}  // namespace
