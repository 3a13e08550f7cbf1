#pragma once
// Paths as the panes hold them (std::string, either form: "C:\a\b" or "/a/b"), split and joined by
// the kit's path helper, so that every rule that looks for the last separator or asks whether a
// folder is a root treats drive paths and Linux paths alike.
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
