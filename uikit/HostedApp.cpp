// The hosted program's application object: the hosting command line at start, the main dialog's
// run, the end message at exit.
#include "HostedApp.h"

#include "EmbeddableDialog.h"
#include "LauncherProtocol.h"

#include <kernel/CommandLine.h>

IMPLEMENT_DYNAMIC(CHostedApp, CWinApp)

BOOL CHostedApp::InitApplication() {
  const HostingHandles handles = ParseHostingCommandLine(GetCommandLineA());
  m_hHostWnd = handles.host;
  m_hMainWnd = handles.mainWindow;
  return CWinApp::InitApplication();
}

int CHostedApp::RunMainDialog(CEmbeddableDialog& dialog) {
  // The main dialog is the main window while it runs: message boxes are owned by it.
  CWnd* previous = m_pMainWnd;
  m_pMainWnd = &dialog;
  const int result = dialog.RunModalLoop(m_hHostWnd, FALSE);
  dialog.DestroyWindow();
  m_pMainWnd = previous;
  return result;
}

int CHostedApp::ExitInstance() {
  if (m_hMainWnd && IsWindow(m_hMainWnd)) PostMessageA(m_hMainWnd, CloseMainFrameMessage(), 0, 0);
  return CWinApp::ExitInstance();
}

CHostedApp* AfxGetHostedApp() {
  CWinApp* app = AfxGetApp();
  return app && app->IsKindOf(RUNTIME_CLASS(CHostedApp)) ? static_cast<CHostedApp*>(app) : nullptr;
}
