#pragma once
// What the Linkwell program's tests share: the process's application object (the program's own,
// so commands reach the same handlers, started with "Test" as the phone-access library starts it), a free loopback port for a link that must not meet another
// run's, and running steps from inside a modal loop.
#include <base/WinDef.h>

#include <functional>
#include <string>
#include <vector>

class CLinkwellApp;

namespace linkwell::testing {

CLinkwellApp& App();

// A loopback port nothing listens on now.
unsigned FreeLoopbackPort();

// Runs `steps` one after another from a timer of the calling thread, every `periodMs`, while the
// caller sits in a modal loop (a dialog's DoModal, a tracked menu). A step that returns false is
// run again at the next tick (it waits for something).
class TimedSteps {
 public:
  explicit TimedSteps(std::vector<std::function<bool()>> steps, UINT periodMs = 20);
  ~TimedSteps();
  bool Done() const;

 private:
  UINT_PTR m_timer = 0;
};

}  // namespace linkwell::testing
