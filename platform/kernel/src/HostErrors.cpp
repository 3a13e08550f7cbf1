#include "HostErrors.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <cerrno>
#include <sys/stat.h>
#include <utility>

namespace tolvar::kernel {
namespace {

constexpr std::pair<int, DWORD> kErrors[] = {
    {ENOENT, ERROR_FILE_NOT_FOUND},      {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EACCES, ERROR_ACCESS_DENIED},       {EPERM, ERROR_ACCESS_DENIED},
    {EROFS, ERROR_ACCESS_DENIED},        {EISDIR, ERROR_ACCESS_DENIED},
    {EEXIST, ERROR_ALREADY_EXISTS},      {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {EBUSY, ERROR_BUSY},                 {ETXTBSY, ERROR_SHARING_VIOLATION},
    {EXDEV, ERROR_NOT_SAME_DEVICE},      {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},           {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES}, {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},   {EINVAL, ERROR_INVALID_PARAMETER},
    {EBADF, ERROR_INVALID_HANDLE},       {ENOEXEC, ERROR_BAD_EXE_FORMAT},
    {ELOOP, ERROR_PATH_NOT_FOUND},       {EIO, ERROR_GEN_FAILURE},
    {EFBIG, ERROR_DISK_FULL},
    {EAGAIN, ERROR_LOCK_VIOLATION},      {ENODEV, ERROR_DEV_NOT_EXIST},
    {ENXIO, ERROR_DEV_NOT_EXIST},
};

}  // namespace

DWORD Win32ErrorFromErrno(int error) {
  for (const auto& [code, win32] : kErrors)
    if (code == error) return win32;
  return ERROR_GEN_FAILURE;
}

DWORD NotFoundError(const std::string& hostPath) {
  auto slash = hostPath.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return ERROR_FILE_NOT_FOUND;
  struct stat st {};
  std::string folder = hostPath.substr(0, slash);
  return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                              : ERROR_PATH_NOT_FOUND;
}

DWORD Win32ErrorForPath(const std::string& hostPath, int error) {
  return error == ENOENT ? NotFoundError(hostPath) : Win32ErrorFromErrno(error);
}

DWORD SetLastErrorFromErrno(const std::string& hostPath, int error) {
  DWORD win32 = Win32ErrorForPath(hostPath, error);
  SetLastError(win32);
  return win32;
}

}  // namespace tolvar::kernel
