#pragma once
// The flicker-free painting of the kit's list and month calendar: the control prints itself, its
// children and its frame into a memory bitmap of its window's size over a fill of one colour, and
// the client part of that bitmap goes to the screen in one copy.
#include <framework/Afx.h>

namespace uikit {

// Handles a WM_PAINT of `control` that way. Nothing is drawn while the parent's client area is
// empty (the update region is still validated, so the control is not asked again and again).
void PaintOffscreen(CWnd& control, COLORREF fill);

}  // namespace uikit
