#pragma once
// The progress of a whole-phone read or write, as WM_PHONE_STEP messages posted to the
// notification window. The sequences plan their steps ahead (CountReadSteps, EstimateWriteTime):
// each data kind has its share and each transfer within it a part of that. A transfer posts one
// step when it starts and one per chunk; whatever a transfer or a kind did not use of its share
// (a file that came back short or empty, a block with nothing to write) is posted when it ends,
// and no kind posts past its share. So the posts of a run that ends well add up to the planned
// count exactly, and a progress bar sized by it fills.
#include "PhoneBase.h"

#include <user/Messages.h>

#include <algorithm>

class CStepMeter {
 public:
  explicit CStepMeter(HWND window) : m_window(window) {}

  void BeginKind(int steps) { m_kindEnd = m_posted + std::max(steps, 0); }
  void EndKind() { PostUpTo(m_kindEnd); }
  // A transfer's part of the kind's share; `requestStep` posts its first step at once.
  void BeginUnit(int steps, bool requestStep = true) {
    m_unitEnd = std::min(m_posted + std::max(steps, 0), m_kindEnd);
    if (requestStep) Step();
  }
  void EndUnit() { PostUpTo(m_unitEnd); }
  // Steps outside any kind (the closing step of a read).
  void Extra(int steps) {
    m_kindEnd = m_posted + steps;
    PostUpTo(m_kindEnd);
  }

  void Step() {
    if (m_posted >= m_kindEnd) return;
    ++m_posted;
    // No window: nothing to tell (a null window would post to this thread's own queue).
    if (m_window) PostMessageA(m_window, WM_PHONE_STEP, 0, 0);
  }
  int Posted() const { return m_posted; }

  // The progress callback of every flash-file transfer of the sequences: one step per call.
  static int PostProgressStep(int, int, void* user) {
    static_cast<CStepMeter*>(user)->Step();
    return 1;
  }

 private:
  void PostUpTo(int end) {
    while (m_posted < end) Step();
  }

  HWND m_window;
  int m_posted = 0;
  int m_kindEnd = 0;
  int m_unitEnd = 0;
};
