#pragma once
// What Mediary does differently with the shared kit, in one place for the program's start: its
// message box captions its buttons with Mediary's own string ids and comes to the top of the window
// order; a kit button that is disabled while it has the focus hands the focus on first.
#include <SubclassWnd.h>

// Mediary's caption ids of the message box buttons: "Ok" 1037, "Cancel" 1038, "No" 1039, "Yes"
// 1040, "Abort" 1041, "Retry" 1042, "Ignore" 1043.
void ApplyMediaryKitSettings();

// A hook on a kit button: when the button is disabled while it has the focus, the focus moves to
// the parent dialog's next tab item (or to the parent) before the button's own handling.
class CFocusOnDisableHook : public CSubclassWnd {
 public:
  BOOL AttachHook(HWND button) { return HookWindow(button); }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};
