// The class library's per-thread state, and the window objects it owns for their windows' life.
#include <framework/Dc.h>
#include <framework/GdiObjects.h>
#include <framework/Menu.h>
#include <framework/Wnd.h>

#include "ThreadState.h"

namespace tolvar::framework {

namespace {
thread_local bool t_stateGone = false;  // trivial: readable even after the state's destruction
}

ThreadState::~ThreadState() {
  t_stateGone = true;
  auto owned = std::move(ownedWindows);
  owned.clear();
  auto windowsLeft = std::move(tempWindows);
  for (auto& w : windowsLeft) w->m_hWnd = nullptr;
}

ThreadState& Thread() {
  thread_local ThreadState state;
  return state;
}

ThreadState* ThreadIfAlive() { return t_stateGone ? nullptr : &Thread(); }

void AdoptWindowObject(std::unique_ptr<CWnd> object) {
  CWnd* key = object.get();
  Thread().ownedWindows[key] = std::move(object);
}

void ReleaseWindowObject(CWnd* object) {
  auto& owned = Thread().ownedWindows;
  auto it = owned.find(object);
  if (it == owned.end()) return;
  std::unique_ptr<CWnd> doomed = std::move(it->second);
  owned.erase(it);
}

}  // namespace tolvar::framework
