#pragma once
// The link service's dialog buttons: the kit's skinned push button whose click also reaches the
// dialog. The kit's button takes its own click notification for its menu and check-box roles, which
// a plain push button has none of; the dialog must still see BN_CLICKED to run the command.
#include <SkinButton.h>

class CLinkButton : public CSkinButton {
 public:
  const AFX_MSGMAP* GetMessageMap() const override {
    static const AFX_MSGMAP map{CSkinButton::GetMessageMap(), {
        {WM_REFLECT_BASE + WM_COMMAND, BN_CLICKED, 0, 0, [](CCmdTarget& target, AFX_CALL&) {
           ::SetFocus(static_cast<CLinkButton&>(target).m_hWnd);
           return FALSE;  // declined: the parent gets the click as well
         }},
    }};
    return &map;
  }
};
