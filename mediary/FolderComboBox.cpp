// The folder box: the special folders, the drives and the levels of the current path.
#include "FolderComboBox.h"

#include "PanePath.h"

#include <kernel/Path.h>
#include <shell/ShlObj.h>

#include <cstring>

namespace {

FolderEntry SpecialFolder(int which, const char* fallbackName) {
  char path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, path, which, FALSE)) return {fallbackName, "", 0};
  const std::string name = panepath::Name(path);
  return {name.empty() ? fallbackName : name, path, 0};
}

std::vector<std::string> Drives() {
  char buffer[512] = {};
  std::vector<std::string> drives;
  const DWORD length = GetLogicalDriveStringsA(sizeof buffer, buffer);
  if (length == 0 || length >= sizeof buffer) return {"C:\\"};
  for (const char* at = buffer; *at; at += std::strlen(at) + 1) drives.emplace_back(at);
  return drives;
}

}  // namespace

int CFolderComboBox::FillFolders(const std::string& path) {
  const FolderList list =
      BuildFolderList(path, SpecialFolder(CSIDL_DESKTOP, "Desktop"), SpecialFolder(CSIDL_PERSONAL, "Documents"), Drives());
  ResetContent();
  m_paths.clear();
  for (const FolderEntry& entry : list.entries) {
    const std::string text = std::string(std::size_t(entry.indent) * 2, ' ') + entry.text;
    const int index = AddString(text.c_str());
    if (index < 0) continue;
    if (std::size_t(index) >= m_paths.size()) m_paths.resize(std::size_t(index) + 1);
    m_paths[std::size_t(index)] = entry.path;
  }
  if (list.match >= 0) SetCurSel(list.match);
  return list.match;
}

std::string CFolderComboBox::GetFolder(int index) const {
  return index >= 0 && std::size_t(index) < m_paths.size() ? m_paths[std::size_t(index)] : std::string();
}
