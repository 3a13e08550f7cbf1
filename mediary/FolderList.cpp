// The folder box's entries.
#include "FolderList.h"

#include "PanePath.h"

#include <cctype>

namespace {

bool SameDrive(const std::string& drive, const std::string& path) {
  return path.size() >= 2 && drive.size() >= 2 && path[1] == ':' &&
         std::toupper(static_cast<unsigned char>(path[0])) == std::toupper(static_cast<unsigned char>(drive[0]));
}

bool SamePath(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const bool separators = (a[i] == '\\' || a[i] == '/') && (b[i] == '\\' || b[i] == '/');
    // Drive paths ignore case, as their names do; Linux paths do not.
    const bool same = a.size() > 1 && a[1] == ':'
                          ? std::toupper(static_cast<unsigned char>(a[i])) == std::toupper(static_cast<unsigned char>(b[i]))
                          : a[i] == b[i];
    if (!separators && !same) return false;
  }
  return true;
}

// The levels of `path` below its root: "C:\a\b" gives "C:\a", "C:\a\b".
std::vector<std::string> Levels(const std::string& path) {
  std::vector<std::string> levels;
  for (std::string at = panepath::Normalize(path); !panepath::IsRoot(at) && !at.empty(); at = panepath::Folder(at))
    levels.insert(levels.begin(), at);
  return levels;
}

}  // namespace

FolderList BuildFolderList(const std::string& path, const FolderEntry& desktop, const FolderEntry& documents,
                           const std::vector<std::string>& drives) {
  FolderList list;
  list.entries.push_back(desktop);
  list.entries.push_back(documents);
  std::vector<std::string> roots = drives;
  roots.push_back("/");
  const std::string current = panepath::Normalize(path);
  for (const std::string& root : roots) {
    list.entries.push_back({root, root, 0});
    const bool here = root == "/" ? (!current.empty() && (current[0] == '/')) : SameDrive(root, current);
    if (!here) continue;
    int indent = 1;
    for (const std::string& level : Levels(current)) list.entries.push_back({panepath::Name(level), level, indent++});
  }
  for (std::size_t i = 0; i < list.entries.size(); ++i)
    if (SamePath(panepath::Normalize(list.entries[i].path), current)) {
      list.match = int(i);
      break;
    }
  return list;
}
