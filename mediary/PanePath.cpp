// The panes' paths through the kit's path helper.
#include "PanePath.h"

#include <PathSplit.h>

namespace panepath {

namespace {
CString Of(std::string_view text) { return CString(std::string(text).c_str()); }
std::string Str(const CString& text) { return std::string(static_cast<const char*>(text)); }
}  // namespace

std::size_t LastSeparator(std::string_view path) {
  const int index = FindLastPathSeparator(std::string(path).c_str());
  return index < 0 ? std::string_view::npos : std::size_t(index);
}

bool IsRoot(std::string_view path) { return IsRootPath(std::string(path).c_str()); }

std::string Folder(std::string_view path) { return Str(PathFolder(Of(path))); }

std::string Name(std::string_view path) { return Str(PathName(Of(path))); }

std::string Join(std::string_view folder, std::string_view name) { return Str(JoinPath(Of(folder), Of(name))); }

std::string Normalize(std::string_view folder) {
  // A bare drive names its root.
  if (folder.size() == 2 && folder[1] == ':') return std::string(folder) + "\\";
  return Str(TrimTrailingSeparator(Of(folder)));
}

}  // namespace panepath
