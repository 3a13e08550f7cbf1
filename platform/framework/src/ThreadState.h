#pragma once
// What the class library keeps per thread: the window and menu objects of the thread's windows and
// menus (permanent and temporary), the window being created, the message being handled, the
// thread's CWinThread and its current module state.
#include <framework/ModuleState.h>

#include <user/User.h>

#include <memory>
#include <unordered_map>
#include <vector>

class CWnd;
class CMenu;
class CWinThread;
class CGdiObject;
class CDC;

namespace tolvar::framework {

// One per window the class library knows on this thread.
struct WindowRecord {
  CWnd* object = nullptr;    // the attached object, or null once it let go
  WNDPROC super = nullptr;   // the procedure AfxWndProc replaced, while AfxWndProc is in the chain
  bool temporary = false;    // made by FromHandle; freed at idle
};

struct ThreadState {
  ThreadState() = default;
  // Frees the thread's objects while the rest of the state still stands (their windows' last
  // messages come through it).
  ~ThreadState();
  std::unordered_map<HWND, WindowRecord> windows;
  std::vector<std::unique_ptr<CWnd>> tempWindows;
  std::unordered_map<HMENU, CMenu*> menus;
  std::vector<std::unique_ptr<CMenu>> tempMenus;
  std::vector<std::unique_ptr<CGdiObject>> tempGdiObjects;
  std::vector<std::unique_ptr<CDC>> tempDCs;
  // Window objects the class library owns until their window's WM_NCDESTROY (frames and views that
  // delete themselves with their window).
  std::unordered_map<CWnd*, std::unique_ptr<CWnd>> ownedWindows;

  CWnd* creating = nullptr;       // the object that takes the next window this thread creates
  MSG current{};                  // the message being handled by a window object
  MSG pumped{};                   // the message AfxPumpMessage took last (threads without a CWinThread)
  HMENU trackingMenu = nullptr;   // the pop-up being opened (WM_INITMENUPOPUP), for owner-drawn entries
  CWinThread* thread = nullptr;   // this thread's CWinThread, when it has one
  AFX_MODULE_STATE* moduleState = nullptr;  // null: the program's
};

ThreadState& Thread();
// Null once the thread's state has been destroyed (objects destroyed after it at the thread's or
// the process's end).
ThreadState* ThreadIfAlive();

// While it lives, the next window the calling thread creates gets `object` attached before its
// first message (and the class library's window procedure in its chain).
class CreatingWindow {
public:
  explicit CreatingWindow(CWnd* object);
  ~CreatingWindow();
  CreatingWindow(const CreatingWindow&) = delete;
  CreatingWindow& operator=(const CreatingWindow&) = delete;

private:
  CWnd* m_previous;
  tolvar::user::CreationHook m_previousHook;
};

// Attaches `object` to a window being created (from a creation hook, before its first message),
// for a class that picks its window among several the call creates (the file dialog's hook window).
void AttachCreatedWindow(CWnd* object, HWND window);

// AfxPumpMessage's step; without `wait`, only for a message that is there when it looks. 1: one
// was pumped; 0: WM_QUIT was taken; -1: none was there.
int PumpMessage(bool wait);

// The class library takes ownership of a window object until its window is destroyed.
void AdoptWindowObject(std::unique_ptr<CWnd> object);
// Frees an adopted object (from its PostNcDestroy); nothing for one the library does not own.
void ReleaseWindowObject(CWnd* object);

}  // namespace tolvar::framework
