#pragma once
// What a combo box and its list say to each other.
#include <base/WinDef.h>
#include <user/User.h>

namespace tolvar::controls {

// From a dropped list to its combo box: the pointer chose an item (wParam TRUE) or clicked outside
// the list (FALSE).
constexpr UINT kComboListDone = WM_USER + 0x7F0;

}  // namespace tolvar::controls
