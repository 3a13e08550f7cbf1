#pragma once
// Splitting PC paths as the panes need it. The PC pane shows drive paths ("C:\a\b") and absolute
// Linux paths ("/a/b"); every rule that looks for the last separator or asks whether a folder is a
// root goes through these, never through a search for '\' alone. They follow the kit's path helper
// and are to give way to it once it is in the tree.
#include <string>
#include <string_view>

namespace panepath {

// Index of the last '\' or '/', or npos.
std::size_t LastSeparator(std::string_view path);
// "X:\", "X:/", "X:" and "/" are roots.
bool IsRoot(std::string_view path);
// "C:\a\b.txt" -> "C:\a", "C:\b" -> "C:\", "/b" -> "/", "b" -> "".
std::string Folder(std::string_view path);
// What follows the last separator.
std::string Name(std::string_view path);
// One separator between: '\' after a drive path, '/' otherwise; none added after a root's own.
std::string Join(std::string_view folder, std::string_view name);
// "C:" -> "C:\"; "C:\a\" -> "C:\a"; roots are kept.
std::string Normalize(std::string_view folder);

}  // namespace panepath
