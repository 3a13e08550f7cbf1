#pragma once
// Where the modules above the window manager plug in.
//
// - Class providers: a module that brings built-in window classes (the controls: "Button", "Edit",
//   "SysListView32"...) adds one provider per process. The first time this process looks up a class
//   it has not registered (CreateWindowEx, a dialog template naming the class by name or by atom,
//   GetClassInfo), every provider added since the last such miss is run once, and the lookup is tried
//   again. A provider registers its classes with RegisterClassExA; it must not create windows.
// - The creation hook: the class library attaches its object to a window before the window sees its
//   first message (WM_GETMINMAXINFO for overlapped and sizable windows, else WM_NCCREATE), so frames,
//   dialogs and subclassed controls handle WM_NCCREATE and WM_CREATE themselves. One hook per thread,
//   called for every window the thread creates while it is set.
#include <base/WinDef.h>
#include <user/Window.h>

namespace tolvar::user {

using ClassProvider = void (*)();
void AddClassProvider(ClassProvider provider);

using CreationHookProc = void (*)(HWND window, const CREATESTRUCTA& create, void* context);
struct CreationHook {
  CreationHookProc proc = nullptr;
  void* context = nullptr;
};
// Sets the calling thread's hook (a null proc removes it) and returns the one it replaces.
CreationHook SetCreationHook(CreationHook hook);

}  // namespace tolvar::user
