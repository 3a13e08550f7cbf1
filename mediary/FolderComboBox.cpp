// The folder box: the special folders, the drives and the levels of the current path.
#include "FolderComboBox.h"

#include "PanePath.h"

#include <kernel/Path.h>
#include <shell/ShellApi.h>
#include <shell/ShlObj.h>

#include <cstring>

namespace {

constexpr int kIconSize = 16;

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
  m_items.clear();
  for (const FolderEntry& entry : list.entries) {
    const int index = AddString(entry.text.c_str());
    if (index < 0) continue;
    if (std::size_t(index) >= m_items.size()) m_items.resize(std::size_t(index) + 1);
    Item& item = m_items[std::size_t(index)];
    item = {entry.path, -1, entry.indent};
    SHFILEINFOA info{};
    if (!entry.path.empty()) {
      if (const auto images = reinterpret_cast<HIMAGELIST>(::SHGetFileInfoA(
              entry.path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))) {
        m_shellIcons = images;
        item.icon = info.iIcon;
      }
    }
  }
  // The list's rows hold a small icon.
  if (m_hWnd && GetItemHeight(0) < kIconSize + 2) SetItemHeight(0, kIconSize + 2);
  if (list.match >= 0) SetCurSel(list.match);
  return list.match;
}

const CFolderComboBox::Item* CFolderComboBox::ItemAt(int index) const {
  return index >= 0 && std::size_t(index) < m_items.size() ? &m_items[std::size_t(index)] : nullptr;
}

std::string CFolderComboBox::GetFolder(int index) const {
  const Item* item = ItemAt(index);
  return item ? item->path : std::string();
}

int CFolderComboBox::GetItemIcon(int index) const {
  const Item* item = ItemAt(index);
  return item ? item->icon : -1;
}

int CFolderComboBox::GetItemIndent(int index) const {
  const Item* item = ItemAt(index);
  return item ? item->indent : 0;
}

int CFolderComboBox::DrawItemImage(CDC& dc, int index, const RECT& rect, UINT state) {
  const Item* item = ItemAt(index);
  if (!item || item->icon < 0 || !m_shellIcons) return 0;
  // The field shows the chosen folder without its level's indent.
  const int indent = (state & ODS_COMBOBOXEDIT) ? 0 : item->indent * kIndentStep;
  const int x = rect.left + kTextMargin + indent;
  const int y = rect.top + (rect.bottom - rect.top - kIconSize) / 2;
  ::ImageList_Draw(m_shellIcons, item->icon, dc.GetSafeHdc(), x, y, ILD_TRANSPARENT);
  return indent + kIconSize + kTextMargin + 2;
}
