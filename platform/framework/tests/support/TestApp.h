#pragma once
// The test program's one application object. Tests may replace its idle work for a while.
#include <framework/Afx.h>

#include <functional>

class CTestApp : public CWinApp {
public:
  CTestApp() : CWinApp("framework tests") {}
  std::function<BOOL(LONG)> onIdle;  // replaces OnIdle while set
  BOOL OnIdle(LONG count) override { return onIdle ? onIdle(count) : CWinApp::OnIdle(count); }
};

CTestApp& TestApp();

// Runs the calling thread's queue through the class library's message step until it is empty.
void PumpThroughLibrary();
