#pragma once
// X key symbols to virtual keys.
#include <X11/Xlib.h>

namespace tolvar::display {

// The virtual key of an unshifted key symbol (XLookupKeysym's index 0), 0 for keys without one.
unsigned VirtualKeyOf(KeySym symbol);

}  // namespace tolvar::display
