#include "TestApp.h"

namespace {
CTestApp theApp;
}

CTestApp& TestApp() { return theApp; }

void PumpThroughLibrary() {
  MSG waiting;
  while (PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!AfxPumpMessage()) break;
  }
}
