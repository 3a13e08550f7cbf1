#include <kernel/Find.h>

#include <kernel/Module.h>
#include <kernel/Path.h>

#include "FileInfo.h"
#include "HostErrors.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace tolvar::kernel {
namespace {

class FindObject : public Object {
public:
  explicit FindObject(std::vector<WIN32_FIND_DATAA> entries) : m_entries(std::move(entries)) {}
  ObjectType Type() const override { return ObjectType::Find; }

  bool Next(WIN32_FIND_DATAA& data) {
    if (m_next >= m_entries.size()) return false;
    data = m_entries[m_next++];
    return true;
  }

private:
  std::vector<WIN32_FIND_DATAA> m_entries;
  size_t m_next = 0;
};

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// `*` matches any run of characters and `?` any one, without regard to letter case.
bool Matches(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || Lower(pattern[p]) == Lower(name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         strncasecmp(text.data() + text.size() - suffix.size(), suffix.data(), suffix.size()) == 0;
}

bool IsElfProgram(const std::string& path, const FileInfo& info) {
  if (!S_ISREG(info.mode) || (info.mode & 0111) == 0) return false;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char magic[4] = {};
  bool elf = read(fd, magic, sizeof magic) == 4 && std::memcmp(magic, "\x7f" "ELF", 4) == 0;
  close(fd);
  return elf;
}

// The Windows name of a program or library on disk ("Linkwell" -> "Linkwell.exe", "libX.so" ->
// "X.dll"), or "" when the file is neither.
std::string WindowsNameOf(const std::string& name, const std::string& path, const FileInfo& info) {
  if (name.size() > 6 && name.starts_with("lib") && name.ends_with(".so") && S_ISREG(info.mode))
    return WindowsModuleName(name, false);
  if (name.find('.') == std::string::npos && IsElfProgram(path, info)) return WindowsModuleName(name, true);
  return {};
}

WIN32_FIND_DATAA MakeEntry(const std::string& shownName, const FileInfo& info) {
  WIN32_FIND_DATAA data{};
  data.dwFileAttributes = FileAttributesOf(info, shownName);
  data.ftCreationTime = info.creation;
  data.ftLastAccessTime = info.lastAccess;
  data.ftLastWriteTime = info.lastWrite;
  ULONGLONG size = info.IsDirectory() ? 0 : info.size;
  data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data.nFileSizeLow = static_cast<DWORD>(size);
  size_t n = std::min<size_t>(shownName.size(), MAX_PATH - 1);
  std::memcpy(data.cFileName, shownName.data(), n);
  return data;
}

}  // namespace
}  // namespace tolvar::kernel

using namespace tolvar::kernel;

HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData) {
  if (!fileName || !findData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::string_view text = fileName;
  size_t split = text.find_last_of("/\\");
  if (split == std::string_view::npos && text.size() >= 2 && text[1] == ':') split = 1;  // "C:*.txt"
  std::string_view folder = split == std::string_view::npos ? std::string_view() : text.substr(0, split + 1);
  std::string pattern(split == std::string_view::npos ? text : text.substr(split + 1));
  if (pattern.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (pattern == "*.*") pattern = "*";  // Windows' "every name", dots or not

  std::string hostFolder = folder.empty() ? "." : ToHostPath(folder);
  DIR* dir = opendir(hostFolder.c_str());
  if (!dir) {
    SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  // Roots of drives (and of the file system) have no "." and ".." on Windows.
  std::string windowsFolder = ToWindowsPath(hostFolder);
  bool root = hostFolder == "/" || (windowsFolder.size() == 3 && windowsFolder[1] == ':');
  bool moduleNames = EndsWithNoCase(pattern, ".exe") || EndsWithNoCase(pattern, ".dll");

  std::vector<WIN32_FIND_DATAA> entries;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    bool dots = name == "." || name == "..";
    if (dots && root) continue;
    std::string path = hostFolder + "/" + name;
    FileInfo info;
    if (!QueryFileInfo(path, info)) continue;  // vanished meanwhile
    if (Matches(pattern, name)) {
      entries.push_back(MakeEntry(name, info));
    } else if (moduleNames && !dots) {
      std::string windowsName = WindowsNameOf(name, path, info);
      if (!windowsName.empty() && Matches(pattern, windowsName)) entries.push_back(MakeEntry(windowsName, info));
    }
  }
  closedir(dir);
  if (entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::sort(entries.begin(), entries.end(), [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
    auto rank = [](const char* name) { return std::strcmp(name, ".") == 0 ? 0 : std::strcmp(name, "..") == 0 ? 1 : 2; };
    if (rank(a.cFileName) != rank(b.cFileName)) return rank(a.cFileName) < rank(b.cFileName);
    int order = strcasecmp(a.cFileName, b.cFileName);
    return order != 0 ? order < 0 : std::strcmp(a.cFileName, b.cFileName) < 0;
  });
  auto find = std::make_shared<FindObject>(std::move(entries));
  find->Next(*findData);
  SetLastError(ERROR_SUCCESS);
  return InsertHandle(std::move(find));
}

BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA findData) {
  auto object = LookupHandleAs<FindObject>(find);
  if (!object) return FALSE;
  if (!findData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!object->Next(*findData)) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  return TRUE;
}

BOOL FindClose(HANDLE find) {
  if (!LookupHandleAs<FindObject>(find)) return FALSE;
  RemoveHandle(find);
  return TRUE;
}
