#pragma once
// What the file functions report about a file on disk: attributes, sizes and times.
#include <base/WinDef.h>

#include <string>
#include <string_view>
#include <sys/stat.h>

namespace tolvar::kernel {

struct FileInfo {
  mode_t mode = 0;
  dev_t device = 0;
  ino_t inode = 0;
  ULONGLONG size = 0;
  FILETIME creation{};
  FILETIME lastAccess{};
  FILETIME lastWrite{};
  bool IsDirectory() const { return S_ISDIR(mode); }
  bool IsReadOnly() const { return !S_ISDIR(mode) && (mode & 0222) == 0; }
};

// Follows symbolic links; a dangling link is described as itself. False with errno set when the
// path does not exist.
bool QueryFileInfo(const std::string& hostPath, FileInfo& info);
bool QueryFileInfo(int fd, FileInfo& info);

// The FILE_ATTRIBUTE_* bits of a file named `name` (its last path component).
DWORD FileAttributesOf(const FileInfo& info, std::string_view name);

// The last component of a path.
std::string_view BaseNameOf(std::string_view path);

}  // namespace tolvar::kernel
