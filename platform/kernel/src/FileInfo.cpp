#include "FileInfo.h"

#include <kernel/File.h>

#include <base/Time.h>

#include <fcntl.h>
#include <sys/sysmacros.h>

namespace tolvar::kernel {
namespace {

FILETIME ToFileTime(const statx_timestamp& t) { return UnixTimeToFileTime(t.tv_sec, t.tv_nsec); }

void Fill(const struct statx& s, FileInfo& info) {
  info.mode = s.stx_mode;
  info.device = makedev(s.stx_dev_major, s.stx_dev_minor);
  info.inode = s.stx_ino;
  info.size = s.stx_size;
  info.lastAccess = ToFileTime(s.stx_atime);
  info.lastWrite = ToFileTime(s.stx_mtime);
  info.creation = (s.stx_mask & STATX_BTIME) ? ToFileTime(s.stx_btime) : info.lastWrite;
}

constexpr unsigned kWanted = STATX_BASIC_STATS | STATX_BTIME;

}  // namespace

bool QueryFileInfo(const std::string& hostPath, FileInfo& info) {
  struct statx s {};
  if (statx(AT_FDCWD, hostPath.c_str(), 0, kWanted, &s) != 0 &&
      statx(AT_FDCWD, hostPath.c_str(), AT_SYMLINK_NOFOLLOW, kWanted, &s) != 0)
    return false;
  Fill(s, info);
  return true;
}

bool QueryFileInfo(int fd, FileInfo& info) {
  struct statx s {};
  if (statx(fd, "", AT_EMPTY_PATH, kWanted, &s) != 0) return false;
  Fill(s, info);
  return true;
}

DWORD FileAttributesOf(const FileInfo& info, std::string_view name) {
  DWORD attributes = info.IsDirectory() ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  if (info.IsReadOnly()) attributes |= FILE_ATTRIBUTE_READONLY;
  if (name.size() > 1 && name[0] == '.' && name != "..") attributes |= FILE_ATTRIBUTE_HIDDEN;
  return attributes;
}

std::string_view BaseNameOf(std::string_view path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.remove_suffix(1);
  auto slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace tolvar::kernel
