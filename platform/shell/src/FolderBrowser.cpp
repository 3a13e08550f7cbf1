// The folder browser and the item lists that name its folders. The folders show as a tree drawn
// in a list view with indents: the roots (the file system and every drive, or the caller's root),
// the chosen folder's ancestors under its root, and the chosen folder's sub-folders one step in.
// Choosing a folder opens it, so the tree always shows the way down to the selection. The caller's
// callback hears BFFM_INITIALIZED once the browser is up and BFFM_SELCHANGED after every change of
// the selection, and may send BFFM_SETSELECTION, BFFM_ENABLEOK and BFFM_SETSTATUSTEXT back.
#include <shell/ShellApi.h>
#include <shell/ShlObj.h>

#include <controls/Controls.h>
#include <kernel/File.h>
#include <kernel/Find.h>
#include <kernel/Path.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ItemList.h"
#include "ShellPaths.h"

namespace {

using tolvar::shell::IsComputerItem;
using tolvar::shell::JoinPath;
using tolvar::shell::MakeList;
using tolvar::shell::PathOf;
using tolvar::shell::LastComponent;
using tolvar::shell::ParentPath;

constexpr UINT kSelectionSettled = WM_APP + 0x52;
constexpr int kTitleId = 0x3742, kStatusId = 0x3743, kTreeId = 0x3741;

struct Browser {
  BROWSEINFOA* info = nullptr;
  HWND window = nullptr;
  HWND tree = nullptr;
  std::string root;                 // the caller's root, or empty for every root
  std::string selection;
  std::vector<std::string> paths;   // the tree's rows
  bool filling = false;
  bool pending = false;
};

Browser* BrowserOf(HWND window) { return reinterpret_cast<Browser*>(GetWindowLongPtrA(window, DWLP_USER)); }

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Normal(const std::string& path) {
  char buffer[4096];
  DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : path;
}

std::vector<std::string> Roots(const Browser& b) {
  if (!b.root.empty()) return {b.root};
  std::vector<std::string> roots{"/"};
  char drives[256] = {};
  GetLogicalDriveStringsA(sizeof drives, drives);
  for (const char* drive = drives; *drive; drive += std::strlen(drive) + 1) roots.emplace_back(drive);
  return roots;
}

bool Inside(const std::string& path, const std::string& root) {
  if (root.empty()) return true;
  for (std::string p = path; !p.empty(); p = ParentPath(p))
    if (p == root) return true;
  return false;
}

std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  HANDLE find = FindFirstFileA(JoinPath(folder, "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == ".." || (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)) continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) names.push_back(name);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return names;
}

void AddRow(Browser& b, const std::string& path, const std::string& label, int indent) {
  SHFILEINFOA info{};
  SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_INDENT | LVIF_PARAM;
  item.iItem = static_cast<int>(b.paths.size());
  item.pszText = const_cast<LPSTR>(label.c_str());
  item.iImage = info.iIcon;
  item.iIndent = indent;
  item.lParam = item.iItem;
  SendMessageA(b.tree, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  b.paths.push_back(path);
}

// Rebuilds the tree around the selection and tells the callback.
void Select(Browser& b, std::string path) {  // a copy: the rows it may come from are rebuilt
  b.selection = path;
  b.filling = true;
  SendMessageA(b.tree, LVM_DELETEALLITEMS, 0, 0);
  b.paths.clear();
  std::vector<std::string> chain;
  for (std::string p = path; !p.empty(); p = ParentPath(p)) {
    chain.insert(chain.begin(), p);
    if (p == b.root) break;
  }
  int selected = 0;
  for (const std::string& root : Roots(b)) {
    AddRow(b, root, root, 0);
    if (chain.empty() || chain.front() != root) continue;
    for (std::size_t i = 1; i < chain.size(); ++i) AddRow(b, chain[i], LastComponent(chain[i]), static_cast<int>(i));
    selected = static_cast<int>(b.paths.size()) - 1;
    for (const std::string& name : SubFolders(path)) AddRow(b, JoinPath(path, name), name, static_cast<int>(chain.size()));
  }
  LVITEMA state{};
  state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(b.tree, LVM_SETITEMSTATE, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&state));
  SendMessageA(b.tree, LVM_ENSUREVISIBLE, static_cast<WPARAM>(selected), FALSE);
  b.filling = false;
  if (b.info->lpfn) {
    LPITEMIDLIST list = MakeList(path);
    b.info->lpfn(b.window, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(list), b.info->lParam);
    CoTaskMemFree(list);
  }
}

struct Layout {
  int id;
  const char* className;
  DWORD style;
  DWORD exStyle;
  RECT rect;
};
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
const Layout kLayout[] = {
    {kTitleId, "Static", kChild | SS_LEFT | SS_NOPREFIX, 0, {12, 10, 308, 42}},
    {kStatusId, "Static", kChild | SS_LEFT | SS_NOPREFIX, 0, {12, 44, 308, 60}},
    {kTreeId, "SysListView32",
     kChild | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | LVS_SHAREIMAGELISTS,
     WS_EX_CLIENTEDGE, {12, 62, 308, 300}},
    {IDOK, "Button", kChild | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON, 0, {146, 310, 222, 333}},
    {IDCANCEL, "Button", kChild | WS_TABSTOP | BS_PUSHBUTTON, 0, {230, 310, 306, 333}},
};
constexpr SIZE kClient{320, 344};

void Build(Browser& b) {
  const WPARAM font = static_cast<WPARAM>(SendMessageA(b.window, WM_GETFONT, 0, 0));
  for (const Layout& l : kLayout) {
    const char* text = l.id == IDOK ? "OK" : l.id == IDCANCEL ? "Cancel" : l.id == kTitleId && b.info->lpszTitle ? b.info->lpszTitle : "";
    DWORD style = l.style;
    if (l.id == kStatusId && !(b.info->ulFlags & BIF_STATUSTEXT)) style &= ~WS_VISIBLE;
    HWND control = CreateWindowExA(l.exStyle, l.className, text, style, l.rect.left, l.rect.top, l.rect.right - l.rect.left,
                                   l.rect.bottom - l.rect.top, b.window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(l.id)), nullptr, nullptr);
    SendMessageA(control, WM_SETFONT, font, 0);
  }
  b.tree = GetDlgItem(b.window, kTreeId);
  SHFILEINFOA info{};
  auto images = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA("C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  SendMessageA(b.tree, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = kLayout[2].rect.right - kLayout[2].rect.left - 24;
  SendMessageA(b.tree, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));

  RECT frame{0, 0, kClient.cx, kClient.cy};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(b.window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(b.window, GWL_EXSTYLE)));
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (b.info->hwndOwner && IsWindowVisible(b.info->hwndOwner)) GetWindowRect(b.info->hwndOwner, &area);
  SetWindowPos(b.window, nullptr, std::max(0, (area.left + area.right - width) / 2),
               std::max(0, (area.top + area.bottom - height) / 2), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR BrowserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Browser* b = BrowserOf(window);
  switch (message) {
    case WM_INITDIALOG: {
      b = reinterpret_cast<Browser*>(lParam);
      SetWindowLongPtrA(window, DWLP_USER, lParam);
      b->window = window;
      SetWindowTextA(window, "Browse for Folder");
      Build(*b);
      char current[4096] = {};
      GetCurrentDirectoryA(sizeof current, current);
      std::string start = current;
      if (!Inside(start, b->root)) start = b->root;
      SetFocus(b->tree);
      if (b->info->lpfn) b->info->lpfn(window, BFFM_INITIALIZED, 0, b->info->lParam);
      if (b->selection.empty()) Select(*b, start);  // the callback chose none
      return FALSE;
    }
    case WM_COMMAND:
      if (!b) return FALSE;
      if (LOWORD(wParam) == IDOK && IsWindowEnabled(GetDlgItem(window, IDOK))) EndDialog(window, IDOK);
      else if (LOWORD(wParam) == IDCANCEL) EndDialog(window, IDCANCEL);
      return TRUE;
    case WM_NOTIFY: {
      if (!b) return FALSE;
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == static_cast<UINT_PTR>(kTreeId) && header->code == LVN_ITEMCHANGED && !b->filling) {
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uNewState & LVIS_SELECTED) && !(change->uOldState & LVIS_SELECTED) && !b->pending) {
          b->pending = true;
          PostMessageA(window, kSelectionSettled, 0, 0);
        }
      }
      return FALSE;  // the list's defaults for every notification
    }
    case kSelectionSettled: {
      if (!b) return TRUE;
      b->pending = false;
      int item = static_cast<int>(SendMessageA(b->tree, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
      if (item >= 0 && static_cast<std::size_t>(item) < b->paths.size() && b->paths[static_cast<std::size_t>(item)] != b->selection)
        Select(*b, b->paths[static_cast<std::size_t>(item)]);
      return TRUE;
    }
    case BFFM_SETSELECTIONA: {
      if (!b) return FALSE;
      std::string path = wParam ? std::string(lParam ? reinterpret_cast<LPCSTR>(lParam) : "")
                                : PathOf(reinterpret_cast<LPCITEMIDLIST>(lParam));
      if (!path.empty()) path = Normal(path);
      if (!path.empty() && IsFolder(path) && Inside(path, b->root)) Select(*b, path);
      return TRUE;
    }
    case BFFM_ENABLEOK:
      EnableWindow(GetDlgItem(window, IDOK), lParam != 0);
      return TRUE;
    case BFFM_SETSTATUSTEXTA:
      SetDlgItemTextA(window, kStatusId, reinterpret_cast<LPCSTR>(lParam));
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

void* CoTaskMemAlloc(SIZE_T size) { return std::malloc(size ? size : 1); }
void CoTaskMemFree(void* block) { std::free(block); }

BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path) {
  if (!path) return FALSE;
  path[0] = '\0';
  std::string text = PathOf(list);
  if (text.empty() || IsComputerItem(text) || text.size() >= MAX_PATH) return FALSE;
  std::memcpy(path, text.c_str(), text.size() + 1);
  return TRUE;
}

LPITEMIDLIST SHBrowseForFolderA(LPBROWSEINFOA info) {
  if (!info) return nullptr;
  InitCommonControls();
  Browser b;
  b.info = info;
  // The computer as the root is every root: the file system and the drives.
  if (info->pidlRoot && !IsComputerItem(PathOf(info->pidlRoot))) {
    b.root = PathOf(info->pidlRoot);
    if (b.root.empty() || !IsFolder(b.root)) return nullptr;
    b.root = Normal(b.root);
  }
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
  std::vector<WORD> bytes{static_cast<WORD>(style & 0xFFFF), static_cast<WORD>(style >> 16), 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8};
  for (char c : std::string("MS Sans Serif")) bytes.push_back(static_cast<WORD>(c));
  bytes.push_back(0);
  HWND owner = info->hwndOwner && IsWindow(info->hwndOwner) ? info->hwndOwner : nullptr;
  INT_PTR result = DialogBoxIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(bytes.data()), owner, BrowserProc,
                                           reinterpret_cast<LPARAM>(&b));
  if (result != IDOK || b.selection.empty()) return nullptr;
  if (info->pszDisplayName) {
    std::string name = LastComponent(b.selection);
    name.resize(std::min<std::size_t>(name.size(), MAX_PATH - 1));
    std::memcpy(info->pszDisplayName, name.c_str(), name.size() + 1);
  }
  SHFILEINFOA file{};
  SHGetFileInfoA(b.selection.c_str(), 0, &file, sizeof file, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
  info->iImage = file.iIcon;
  return MakeList(b.selection);
}

namespace tolvar::shell {

LPITEMIDLIST MakeList(const std::string& path) {
  const std::size_t itemSize = 2 + path.size() + 1;
  if (itemSize > 0xFFFF) return nullptr;
  auto* bytes = static_cast<BYTE*>(CoTaskMemAlloc(itemSize + 2));
  if (!bytes) return nullptr;
  const auto cb = static_cast<USHORT>(itemSize);
  std::memcpy(bytes, &cb, 2);
  std::memcpy(bytes + 2, path.c_str(), path.size() + 1);
  std::memset(bytes + itemSize, 0, 2);
  return reinterpret_cast<LPITEMIDLIST>(bytes);
}

std::string PathOf(LPCITEMIDLIST list) {
  if (!list) return {};
  const auto* bytes = reinterpret_cast<const BYTE*>(list);
  USHORT cb = 0;
  std::memcpy(&cb, bytes, 2);
  if (cb < 3) return {};
  const char* text = reinterpret_cast<const char*>(bytes + 2);
  if (text[cb - 3] != '\0' || std::strlen(text) != static_cast<std::size_t>(cb - 3)) return {};
  USHORT end = 1;
  std::memcpy(&end, bytes + cb, 2);
  return end == 0 ? std::string(text) : std::string();
}

}  // namespace tolvar::shell
