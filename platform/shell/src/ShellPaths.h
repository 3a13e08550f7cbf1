#pragma once
// Paths in the form the caller wrote them: a drive path ("C:\x") joins with '\', a Linux path with
// '/', so that what the dialogs hand back reads like what they were given.
#include <string>
#include <string_view>

namespace tolvar::shell {

inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

inline char SeparatorOf(std::string_view path) {
  const bool drive = path.size() >= 2 && path[1] == ':';
  return drive || path.find('\\') != std::string_view::npos ? '\\' : '/';
}

inline std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string joined(folder);
  if (!joined.empty() && !IsPathSeparator(joined.back())) joined.push_back(SeparatorOf(folder));
  joined += name;
  return joined;
}

// The length of the root: "C:\" is 3, "/" is 1, a relative path 0.
inline std::size_t RootLength(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return path.size() >= 3 && IsPathSeparator(path[2]) ? 3 : 2;
  return !path.empty() && IsPathSeparator(path[0]) ? 1 : 0;
}

// The folder holding `path`; empty for a root.
inline std::string ParentPath(std::string_view path) {
  std::size_t end = path.size();
  const std::size_t root = RootLength(path);
  while (end > root && IsPathSeparator(path[end - 1])) --end;
  if (end <= root) return {};
  std::size_t cut = end;
  while (cut > root && !IsPathSeparator(path[cut - 1])) --cut;
  std::size_t keep = cut;
  while (keep > root && IsPathSeparator(path[keep - 1])) --keep;
  return std::string(path.substr(0, std::max(keep, root)));
}

// The last name of a path; a root is its own name.
inline std::string LastComponent(std::string_view path) {
  std::size_t end = path.size();
  const std::size_t root = RootLength(path);
  while (end > root && IsPathSeparator(path[end - 1])) --end;
  if (end <= root) return std::string(path);
  std::size_t start = end;
  while (start > root && !IsPathSeparator(path[start - 1])) --start;
  return std::string(path.substr(start, end - start));
}

}  // namespace tolvar::shell
