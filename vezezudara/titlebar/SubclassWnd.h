#pragma once
// CSubclassWnd: a hook object that sees a window's messages before the window's own procedure,
// without being a window object of the class library. Several hooks may hang on one window: the
// most recently attached one sees a message first, and each passes it on with Default() to the
// next, the last one to the procedure the window had before the first hook came.
//
// Hooks attach and detach in any order. The window's procedure is replaced once, by the first hook;
// it is put back when the last hook goes, provided nobody subclassed the window after us (otherwise
// the shared procedure stays as a plain link that passes every message on). WM_NCDESTROY detaches
// every hook of the window before the previous procedure sees it.
//
// Threads: a window's hooks are used on the thread that owns the window.
#include <user/User.h>

class CSubclassWnd {
public:
  CSubclassWnd() = default;
  virtual ~CSubclassWnd();
  CSubclassWnd(const CSubclassWnd&) = delete;
  CSubclassWnd& operator=(const CSubclassWnd&) = delete;

  // Hooks `window` (a null window unhooks); FALSE when `window` is not a window.
  BOOL HookWindow(HWND window);
  void Unhook() { HookWindow(nullptr); }
  BOOL IsHooked() const { return m_hWnd != nullptr; }
  HWND GetHwnd() const { return m_hWnd; }

  // The number of hooks on `window` (0 when none): for tests and diagnostics.
  static int HookCount(HWND window);

protected:
  // A hook's own handling; the base passes the message on.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The message on to the next hook, or to the window's previous procedure.
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam);
  // Called when the window is being destroyed, after the hook was detached.
  virtual void OnWindowGone() {}

  HWND m_hWnd = nullptr;
  CSubclassWnd* m_pNext = nullptr;

private:
  friend LRESULT SubclassHookProc(HWND, UINT, WPARAM, LPARAM);
};
