#pragma once
// CHostedApp: the application object of a program that the launcher can host. It reads the two
// window handles of the hosting command line (see LauncherProtocol.h) before anything else runs,
// runs the program's main dialog inside the launcher's window (or as a window of its own when the
// program was started by hand), and tells the launcher when the program ends.
//
// A program derives its application class from it and, in InitInstance:
//     CMainDlg dialog;                  // a CEmbeddableDialog with the notify flag set
//     RunMainDialog(dialog);
//     return FALSE;                     // straight on to ExitInstance and the program's end
#include <framework/Afx.h>

class CEmbeddableDialog;

class CHostedApp : public CWinApp {
  DECLARE_DYNAMIC(CHostedApp)

public:
  explicit CHostedApp(LPCSTR appName = nullptr) : CWinApp(appName) {}

  HWND m_hHostWnd = nullptr;  // the launcher's window for the main dialog; null when not hosted
  HWND m_hMainWnd = nullptr;  // the launcher's main window, target of its messages; null likewise

  // Reads the handles from the process's command line, then the class library's initialisation.
  BOOL InitApplication() override;
  // Runs `dialog` in its own loop inside m_hHostWnd (or shown on its own), destroys its window and
  // returns its result.
  int RunMainDialog(CEmbeddableDialog& dialog);
  // After the program's clean-up (a derived class calls this last): "WM_CLOSE_MAIN_FRAME" to the
  // launcher when its main window is there.
  int ExitInstance() override;
};

// The process's hosted application object, or null when the program has none (a test, a tool).
CHostedApp* AfxGetHostedApp();
