#pragma once
// The link service program: one instance per user; a second start hands over to the launcher (or,
// started by the phone-access library with "Test", ends silently). The first creates the hidden
// main frame, which runs the link and the tray icon until it closes.
#include <framework/Afx.h>

#include <kernel/UniqueHandle.h>

#include <memory>

class CMainFrame;

class CLinkwellApp : public CWinApp {
 public:
  CLinkwellApp();
  ~CLinkwellApp() override;

  BOOL InitInstance() override;
  int ExitInstance() override;
  const AFX_MSGMAP* GetMessageMap() const override;

  void OnAppAbout();

 private:
  tolvar::kernel::UniqueHandle m_instanceMutex;
  std::unique_ptr<CMainFrame> m_frame;
  bool m_aboutOpen = false;
};
