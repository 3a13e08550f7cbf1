#include <kernel/Path.h>

#include <kernel/Module.h>

#include "HostErrors.h"

#include <base/Home.h>
#include <base/LastError.h>
#include <base/Time.h>
#include <base/WinError.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tolvar::kernel {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// The lower-case drive letter of a path that starts with "X:", else 0.
char DriveLetter(std::string_view path) {
  if (path.size() < 2 || path[1] != ':') return 0;
  char c = path[0];
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c >= 'a' && c <= 'z' ? c : 0;
}

std::string DriveFolder(char letter) { return HomeFolder() + "/drive_" + letter; }

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string_view> SplitComponents(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && IsSeparator(path[i])) ++i;
    size_t start = i;
    while (i < path.size() && !IsSeparator(path[i])) ++i;
    if (i > start) parts.push_back(path.substr(start, i - start));
  }
  return parts;
}

// The entry of `folder` whose name equals `name` but for ASCII letter case, or "".
std::string FindNoCase(const std::string& folder, std::string_view name) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  std::string wanted(name);
  std::string found;
  while (dirent* entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, wanted.c_str()) == 0) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

std::string Join(const std::string& folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  if (folder.back() == '/') return folder + std::string(name);
  return folder + "/" + std::string(name);
}

// Copies a result out with Windows' buffer contract: the length without the NUL when it fits, else
// the size needed including the NUL and the buffer untouched.
DWORD CopyOut(const std::string& text, DWORD size, LPSTR buffer) {
  if (!buffer || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<DWORD>(text.size());
}

std::string CurrentHostDirectory() {
  std::vector<char> buffer(4096);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

}  // namespace

std::string ToHostPath(std::string_view path) {
  std::string root;
  std::string_view rest = path;
  if (char letter = DriveLetter(path)) {
    root = DriveFolder(letter);
    if (letter == 'c') mkdir(root.c_str(), 0755);
    rest = path.substr(2);
  } else if (!path.empty() && IsSeparator(path[0])) {
    root = "/";
  }
  std::vector<std::string_view> parts = SplitComponents(rest);

  std::string direct = root;
  for (std::string_view part : parts) direct = Join(direct, part);
  if (direct.empty()) return root.empty() ? std::string(path) : root;
  if (Exists(direct)) return direct;

  // Walk the components that exist, matching letter case as Windows would, and keep the rest as
  // written once one is missing.
  std::string resolved = root;
  bool resolving = true;
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string_view part = parts[i];
    std::string candidate = Join(resolved, part);
    if (!resolving || part == "." || part == ".." || Exists(candidate)) {
      resolved = std::move(candidate);
      continue;
    }
    if (std::string match = FindNoCase(resolved, part); !match.empty()) {
      resolved = Join(resolved, match);
      continue;
    }
    bool last = i + 1 == parts.size();
    std::string disk = last ? MapModuleName(part) : std::string(part);
    if (last && disk != part) {
      std::string diskPath = Join(resolved, disk);
      if (Exists(diskPath)) return diskPath;
      if (std::string match = FindNoCase(resolved, disk); !match.empty()) return Join(resolved, match);
    }
    resolving = false;
    resolved = std::move(candidate);
  }
  return resolved;
}

std::string ToWindowsPath(std::string_view hostPath) {
  std::string prefix = tolvar::HomeFolder() + "/drive_";
  if (hostPath.size() < prefix.size() + 1 || !hostPath.starts_with(prefix)) return std::string(hostPath);
  char letter = hostPath[prefix.size()];
  std::string_view rest = hostPath.substr(prefix.size() + 1);
  if (letter < 'a' || letter > 'z' || (!rest.empty() && rest[0] != '/')) return std::string(hostPath);
  std::string windows = {static_cast<char>(letter - 'a' + 'A'), ':', '\\'};
  for (std::string_view part : SplitComponents(rest)) {
    if (windows.back() != '\\') windows += '\\';
    windows += part;
  }
  return windows;
}

}  // namespace tolvar::kernel

using namespace tolvar::kernel;

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer) {
  std::string host = CurrentHostDirectory();
  if (host.empty()) {
    SetLastErrorFromErrno(".", errno);
    return 0;
  }
  return CopyOut(ToWindowsPath(host), size, buffer);
}

BOOL SetCurrentDirectoryA(LPCSTR path) {
  if (!path || !*path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string host = ToHostPath(path);
  struct stat st {};
  if (stat(host.c_str(), &st) != 0) {
    SetLastErrorFromErrno(host, errno);
    return FALSE;
  }
  if (!S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_DIRECTORY);
    return FALSE;
  }
  if (chdir(host.c_str()) != 0) {
    SetLastErrorFromErrno(host, errno);
    return FALSE;
  }
  return TRUE;
}

DWORD GetFullPathNameA(LPCSTR fileName, DWORD size, LPSTR buffer, LPSTR* filePart) {
  if (!fileName || !*fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string_view name = fileName;
  std::string current = ToWindowsPath(CurrentHostDirectory());
  char currentDrive = DriveLetter(current);

  // The absolute form before "." and ".." are taken out: a drive path, a rooted path (on the current
  // drive when there is one, as Windows reads "\x"), or a path relative to the current directory.
  std::string absolute;
  if (char letter = DriveLetter(name)) {
    std::string_view rest = name.substr(2);
    if (!rest.empty() && IsSeparator(rest[0]))
      absolute = std::string(name);
    else if (letter == currentDrive)
      absolute = current + "\\" + std::string(rest);
    else
      absolute = std::string(1, static_cast<char>(letter - 'a' + 'A')) + ":\\" + std::string(rest);
  } else if (IsSeparator(name[0])) {
    absolute = currentDrive ? current.substr(0, 2) + std::string(name) : std::string(name);
  } else {
    absolute = current + "/" + std::string(name);
  }

  char drive = DriveLetter(absolute);
  char separator = drive ? '\\' : '/';
  std::vector<std::string_view> parts;
  for (std::string_view part : SplitComponents(drive ? std::string_view(absolute).substr(2) : absolute)) {
    if (part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string full = drive ? std::string{static_cast<char>(drive - 'a' + 'A'), ':'} : std::string();
  for (std::string_view part : parts) full += separator + std::string(part);
  bool trailing = IsSeparator(name.back()) && !parts.empty();
  if (parts.empty() || trailing) full += separator;

  DWORD result = CopyOut(full, size, buffer);
  if (filePart && result == full.size()) {
    *filePart = trailing || parts.empty() ? nullptr : buffer + full.find_last_of(separator) + 1;
  }
  return result;
}

DWORD GetTempPathA(DWORD size, LPSTR buffer) {
  const char* tmp = std::getenv("TMPDIR");
  std::string path = tmp && *tmp ? tmp : "/tmp";
  if (path.back() != '/') path += '/';
  return CopyOut(path, size, buffer);
}

UINT GetTempFileNameA(LPCSTR pathName, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  if (!pathName || !tempFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string folder = pathName;
  // Keep the caller's separator style so the name reads as one path.
  char separator = folder.find('\\') == std::string::npos && folder.find('/') != std::string::npos ? '/' : '\\';
  if (!folder.empty() && !IsSeparator(folder.back())) folder += separator;
  std::string start = folder + std::string(prefix ? prefix : "").substr(0, 3);

  auto format = [&](UINT number) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%X", number & 0xFFFF);
    return start + hex + ".TMP";
  };
  if (unique != 0) {
    std::string name = format(unique);
    if (name.size() >= static_cast<size_t>(MAX_PATH)) {
      SetLastError(ERROR_BUFFER_OVERFLOW);
      return 0;
    }
    std::memcpy(tempFileName, name.c_str(), name.size() + 1);
    return unique;
  }

  // With no number given, try numbers from the clock on until a new file can be made, as Windows does.
  UINT number = (GetTickCount() ^ static_cast<UINT>(getpid())) & 0xFFFF;
  for (int attempt = 0; attempt < 0x10000; ++attempt, number = (number + 1) & 0xFFFF) {
    if (number == 0) continue;
    std::string name = format(number);
    if (name.size() >= static_cast<size_t>(MAX_PATH)) {
      SetLastError(ERROR_BUFFER_OVERFLOW);
      return 0;
    }
    std::string host = ToHostPath(name);
    int fd = open(host.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0) {
      close(fd);
      std::memcpy(tempFileName, name.c_str(), name.size() + 1);
      return number;
    }
    if (errno != EEXIST) {
      SetLastErrorFromErrno(host, errno);
      return 0;
    }
  }
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

DWORD GetLogicalDrives() {
  DWORD drives = 0;
  std::string prefix = tolvar::HomeFolder() + "/drive_";
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    struct stat st {};
    if (letter == 'c' || (stat((prefix + letter).c_str(), &st) == 0 && S_ISDIR(st.st_mode)))
      drives |= 1u << (letter - 'a');
  }
  return drives;
}

DWORD GetLogicalDriveStringsA(DWORD size, LPSTR buffer) {
  std::string strings;
  DWORD drives = GetLogicalDrives();
  for (int i = 0; i < 26; ++i)
    if (drives & (1u << i)) strings += std::string{static_cast<char>('A' + i), ':', '\\', '\0'};
  // Windows' count leaves out the NUL that ends the list.
  if (!buffer || size <= strings.size()) return static_cast<DWORD>(strings.size() + 1);
  std::memcpy(buffer, strings.data(), strings.size());
  buffer[strings.size()] = '\0';
  return static_cast<DWORD>(strings.size());
}
