#pragma once
// The test program's one application object. Tests may replace its idle work for a while.
#include <framework/Afx.h>

#include <functional>

class CTestApp : public CWinApp {
public:
  CTestApp() : CWinApp("framework tests") {}
  std::function<BOOL(LONG)> onIdle;     // replaces OnIdle while set
  // A command handler of the application's, while set: whether it handles `id`, carrying it out
  // when `run`.
  std::function<BOOL(UINT id, bool run)> onCommand;
  BOOL OnIdle(LONG count) override { return onIdle ? onIdle(count) : CWinApp::OnIdle(count); }
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override {
    if (nCode == CN_COMMAND && onCommand && onCommand(nID, pHandlerInfo == nullptr)) return TRUE;
    return CWinApp::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
  }
};

CTestApp& TestApp();

// Runs the calling thread's queue through the class library's message step until it is empty.
void PumpThroughLibrary();
