#pragma once
// The shell's item lists: one item holding a folder's path (UTF-8, NUL-ended), then the empty item
// that ends every list. The computer (the drives and the file system together) has no path: its
// list holds a name no path can have, which SHGetPathFromIDList refuses as Windows does.
#include <shell/ShlObj.h>

#include <string>
#include <string_view>

namespace tolvar::shell {

inline constexpr std::string_view kComputerItem = "::Computer";

inline bool IsComputerItem(std::string_view text) { return text == kComputerItem; }

// A new list (CoTaskMemAlloc) naming `path`; null when the path is too long for an item.
LPITEMIDLIST MakeList(const std::string& path);
// The path (or the computer's name) in one of our lists; empty for a null or foreign list.
std::string PathOf(LPCITEMIDLIST list);

}  // namespace tolvar::shell
