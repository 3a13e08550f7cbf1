#pragma once
// CRefusedCharsHook: a set of characters an edit control does not take. It hangs on the edit as a
// subclass hook (beside the kit's own filter) and drops each typed character of the set; the empty
// set refuses nothing. The phone pane refuses "," in its names while a label is edited.
#include <SubclassWnd.h>

#include <string>

class CRefusedCharsHook : public CSubclassWnd {
 public:
  BOOL AttachHook(HWND edit) { return HookWindow(edit); }
  // At most 255 characters.
  void SetRefusedChars(const std::string& chars) { m_refused = chars.substr(0, 255); }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CHAR && wParam < 0x100 && m_refused.find(static_cast<char>(wParam)) != std::string::npos)
      return 0;
    return Default(message, wParam, lParam);
  }

 private:
  std::string m_refused;
};
