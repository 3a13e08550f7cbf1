#pragma once
// Raw access to resource bytes for the modules that interpret them (menus, dialog templates,
// bitmaps, icons, cursors, toolbars).
#include <base/WinDef.h>

#include <span>

namespace tolvar::resources {

// The bytes of resource `name` of `type` in `module` (nullptr: the program), in the language
// FindResource picks. Empty, with the last error set, when there is none. The bytes stay valid for the
// life of the process. `type` and `name` are texts or MAKEINTRESOURCE values.
std::span<const BYTE> ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name);

}  // namespace tolvar::resources
