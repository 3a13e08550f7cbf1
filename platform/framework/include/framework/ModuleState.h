#pragma once
// Module states: which module's resources the class library loads from. The program and every
// shared library built on the class library have one state each; a thread works in one at a time
// (the program's unless switched). A library's exported function switches to its own state first
//
//   AFX_MANAGE_STATE(AfxGetStaticModuleState());
//
// so that dialogs, strings, menus and bitmaps it asks for by id come from its own resources even
// where the program's resources use the same ids; the state goes back when the function returns.
#include <base/WinDef.h>

class CWinApp;

struct AFX_MODULE_STATE {
  explicit AFX_MODULE_STATE(HMODULE module);
  AFX_MODULE_STATE(const AFX_MODULE_STATE&) = delete;
  AFX_MODULE_STATE& operator=(const AFX_MODULE_STATE&) = delete;

  HINSTANCE m_hCurrentInstanceHandle;  // the module itself
  HINSTANCE m_hCurrentResourceHandle;  // where its resources are looked up (AfxSetResourceHandle)
  CWinApp* m_pCurrentWinApp = nullptr; // the program's application object (program state only)
};

// The calling thread's current state.
AFX_MODULE_STATE* AfxGetModuleState();
// The program's state.
AFX_MODULE_STATE* AfxGetAppModuleState();
// The state of the module that holds `address` (made on first use, kept for the process).
AFX_MODULE_STATE* AfxModuleStateOf(const void* address);
// Makes `state` the calling thread's current one (null: the program's); returns the previous one.
AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state);

// The state of the module that compiles this call: internal linkage gives every module its own
// copy of the function and of its anchor.
static inline AFX_MODULE_STATE* AfxGetStaticModuleState() {
  static const char anchor = 0;
  return AfxModuleStateOf(&anchor);
}

// Switches the thread to a module state for the life of the object.
class AFX_MAINTAIN_STATE {
public:
  explicit AFX_MAINTAIN_STATE(AFX_MODULE_STATE* state) : m_previous(AfxSetModuleState(state)) {}
  ~AFX_MAINTAIN_STATE() { AfxSetModuleState(m_previous); }
  AFX_MAINTAIN_STATE(const AFX_MAINTAIN_STATE&) = delete;
  AFX_MAINTAIN_STATE& operator=(const AFX_MAINTAIN_STATE&) = delete;

private:
  AFX_MODULE_STATE* m_previous;
};
#define AFX_MANAGE_STATE(state) AFX_MAINTAIN_STATE afxManagedState_(state)

// The current module's resource handle, where the class library finds resources named by id.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resources);
HINSTANCE AfxGetInstanceHandle();
// The module that holds resource `name` of `type`: the current resource handle's, else the
// program's; the current resource handle when neither has it.
HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type);

// The process's dialog colours, set once by the application (CWinApp::SetDialogBkColor): dialogs,
// their static texts and buttons are painted on `background` with `text`. Null when never set.
HBRUSH AfxGetDialogBkBrush();
COLORREF AfxGetDialogTextColor();
void AfxSetDialogBkColor(COLORREF background, COLORREF text);
