#include "MediaryApp.h"

#include "MediaryDlg.h"
#include "MediaryKit.h"
#include "resource.h"

#include <MessageBoxDlg.h>
#include <StringLoader.h>

#include <kernel/Module.h>
#include <imaging/Startup.h>
#include <kernel/Process.h>

namespace {

// Mediary's texts come from the string library's "Mediary" files, else from its own table.
CStringLoader g_strings("Mediary");

}  // namespace

BOOL CMediaryApp::InitInstance() {
  // Without it every picture the preview draws comes out empty.
  const Gdiplus::GdiplusStartupInput imaging;
  Gdiplus::GdiplusStartup(&m_imagingToken, &imaging, nullptr);
  SetDialogBkColor(0xFDEAE1, 0x822A08);
  // Mediary's message boxes: the button captions under its own text ids, each box on top.
  ApplyMediaryKitSettings();
  m_hHandport = ::LoadLibraryA("Handport.dll");
  if (m_hHandport) {
    if (auto start = reinterpret_cast<PFN_START_MANAGER>(
            reinterpret_cast<void (*)()>(::GetProcAddress(m_hHandport, "StartManager")))) {
      start(&m_pManager);
    }
  }
  // Without a manager no phone run could work: a library without StartManager, or one that made
  // no manager, is reported as missing too.
  if (!m_hHandport || !m_pManager) {
    ShowMessageBox(GetText(IDS_DLL_MISSING), GetText(IDS_CAPTION), MB_ICONINFORMATION);
    ::ExitProcess(0);
  }
  CMediaryDlg dialog(m_pManager);
  RunMainDialog(dialog);
  return FALSE;
}

int CMediaryApp::ExitInstance() {
  if (m_imagingToken) Gdiplus::GdiplusShutdown(m_imagingToken);
  m_imagingToken = 0;
  if (m_hHandport) {
    if (auto destroy = reinterpret_cast<PFN_DESTROY_MANAGER>(
            reinterpret_cast<void (*)()>(::GetProcAddress(m_hHandport, "DestroyManager")))) {
      destroy(m_pManager);
    }
    m_pManager = nullptr;
    ::FreeLibrary(m_hHandport);
    m_hHandport = nullptr;
  }
  return CHostedApp::ExitInstance();
}
