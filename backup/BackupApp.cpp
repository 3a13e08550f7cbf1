#include "BackupApp.h"

#include "BackupDlg.h"
#include "resource.h"

#include <MessageBoxDlg.h>
#include <StringLoader.h>

#include <kernel/Module.h>
#include <kernel/Process.h>

namespace {

// Backup's texts come from the string library's "BACKUP" files, else from its own table.
CStringLoader g_strings("BACKUP");

}  // namespace

BOOL CBackupApp::InitInstance() {
  SetDialogBkColor(0xFDEAE1, 0x822A08);
  m_hHandport = ::LoadLibraryA("Handport.dll");
  if (!m_hHandport) {
    ShowMessageBox(GetText(IDS_DLL_MISSING), GetText(IDS_CAPTION), MB_ICONINFORMATION);
    ::ExitProcess(0);
  }
  if (auto start = reinterpret_cast<PFN_START_MANAGER>(reinterpret_cast<void (*)()>(::GetProcAddress(m_hHandport, "StartManager")))) {
    start(&m_pManager);
  }
  CBackupDlg dialog(m_pManager, BackupVariant::FromBuild(ReadBuildSetting()));
  RunMainDialog(dialog);
  return FALSE;
}

int CBackupApp::ExitInstance() {
  if (m_hHandport) {
    if (auto destroy = reinterpret_cast<PFN_DESTROY_MANAGER>(reinterpret_cast<void (*)()>(::GetProcAddress(m_hHandport, "DestroyManager")))) {
      destroy(m_pManager);
    }
    m_pManager = nullptr;
    ::FreeLibrary(m_hHandport);
    m_hHandport = nullptr;
  }
  // Backup told the launcher at its close request already; nothing is posted at the exit.
  return CWinApp::ExitInstance();
}
