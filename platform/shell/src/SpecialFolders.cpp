// The special folders the suite asks for: the desktop and the documents folder. On this desktop
// they are the XDG user directories, read from user-dirs.dirs (lines such as
// XDG_DOCUMENTS_DIR="$HOME/Documents"); where a folder is not set there, the home folder stands in,
// as the XDG convention says.
#include <shell/ShlObj.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Path.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>

#include "ItemList.h"

namespace {

std::string HomeOfUser() {
  const char* home = std::getenv("HOME");
  return home && *home ? home : "/";
}

// The value of `key` in user-dirs.dirs, with $HOME expanded; empty when not set.
std::string UserDir(const char* key) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string file = (config && *config ? std::string(config) : HomeOfUser() + "/.config") + "/user-dirs.dirs";
  std::ifstream in(file);
  std::string line;
  const std::string prefix = std::string(key) + "=\"";
  while (std::getline(in, line)) {
    if (line.compare(0, prefix.size(), prefix) != 0) continue;
    const auto end = line.rfind('"');
    if (end <= prefix.size() - 1) return {};
    std::string value = line.substr(prefix.size(), end - prefix.size());
    if (value.compare(0, 5, "$HOME") == 0) value = HomeOfUser() + value.substr(5);
    if (value.empty() || value[0] != '/') return {};  // only absolute paths and $HOME ones count
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    return value;
  }
  return {};
}

DWORD FolderPath(int folder, bool create, LPSTR path) {
  if (!path) return ERROR_INVALID_PARAMETER;
  *path = 0;
  const char* key = nullptr;
  switch (folder & ~CSIDL_FLAG_CREATE) {
  case CSIDL_DESKTOP: key = "XDG_DESKTOP_DIR"; break;
  case CSIDL_PERSONAL: key = "XDG_DOCUMENTS_DIR"; break;
  default: return ERROR_INVALID_PARAMETER;
  }
  std::string result = UserDir(key);
  if (result.empty()) result = HomeOfUser();
  struct stat info {};
  if (stat(result.c_str(), &info) != 0) {
    if (!create || mkdir(result.c_str(), 0700) != 0) return ERROR_FILE_NOT_FOUND;
  }
  result = tolvar::kernel::ToWindowsPath(result);
  if (result.size() >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
  std::memcpy(path, result.c_str(), result.size() + 1);
  return ERROR_SUCCESS;
}

}  // namespace

BOOL SHGetSpecialFolderPathA(HWND, LPSTR path, int folder, BOOL create) {
  const DWORD error = FolderPath(folder, create || (folder & CSIDL_FLAG_CREATE), path);
  if (error != ERROR_SUCCESS) SetLastError(error);
  return error == ERROR_SUCCESS;
}

HRESULT SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path) {
  const DWORD error = FolderPath(folder, folder & CSIDL_FLAG_CREATE, path);
  if (error == ERROR_INVALID_PARAMETER) return E_INVALIDARG;
  return HRESULT_FROM_WIN32(error);
}

HRESULT SHGetSpecialFolderLocation(HWND, int folder, LPITEMIDLIST* list) {
  if (!list) return E_INVALIDARG;
  *list = nullptr;
  if (folder == CSIDL_DRIVES) {
    *list = tolvar::shell::MakeList(std::string(tolvar::shell::kComputerItem));
    return *list ? S_OK : E_OUTOFMEMORY;
  }
  char path[MAX_PATH];
  const DWORD error = FolderPath(folder, false, path);
  if (error == ERROR_INVALID_PARAMETER) return E_INVALIDARG;
  if (error != ERROR_SUCCESS) return HRESULT_FROM_WIN32(error);
  *list = tolvar::shell::MakeList(path);
  return *list ? S_OK : E_OUTOFMEMORY;
}
