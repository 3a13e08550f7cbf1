#pragma once
// Raw access to resource bytes for the modules that interpret them (menus, dialog templates,
// bitmaps, icons, cursors, toolbars).
#include <base/WinDef.h>

#include <span>
#include <string>
#include <vector>

namespace tolvar::resources {

// The bytes of resource `name` of `type` in `module` (nullptr: the program), in the language
// FindResource picks. Empty, with the last error set, when there is none. The bytes stay valid for the
// life of the process. `type` and `name` are texts or MAKEINTRESOURCE values.
std::span<const BYTE> ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name);

// The resources of a program or library on disk that this process has not loaded (another program's
// icon): the bytes of `type`/`name` as ResourceBytes finds them, and the names of one type in the
// order Windows enumerates them (texts in order, then numbers ascending as "#n"). A file is read once
// while it stays the same, and its bytes stay valid for the life of the process. Empty, with the
// last error set, for a file that cannot be read or holds no such resource.
std::span<const BYTE> FileResourceBytes(const std::string& path, LPCSTR type, LPCSTR name);
std::vector<std::string> FileResourceNames(const std::string& path, LPCSTR type);

}  // namespace tolvar::resources
