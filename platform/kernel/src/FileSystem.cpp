// Whole-file and directory operations: delete, move, copy, directories and attributes.
#include <kernel/File.h>

#include <kernel/Path.h>

#include "FileInfo.h"
#include "FileObject.h"
#include "HostErrors.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace tolvar::kernel;

namespace {

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

BOOL FailErrno(const std::string& hostPath) {
  SetLastErrorFromErrno(hostPath, errno);
  return FALSE;
}

// Deleting or renaming needs every open handle of the file to share delete access.
bool OpenHandlesAllowRemoving(const FileInfo& info) {
  return SharingAllows(info.device, info.inode, ShareAccessFor(DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE));
}

// Copies contents, permission bits and times of `from` into `to`. With `exclusive`, `to` must not
// exist. On failure a half-written new file is removed; returns the Win32 error.
DWORD CopyContents(const std::string& from, const std::string& to, bool exclusive) {
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Win32ErrorForPath(from, errno);
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC), 0600);
  if (out < 0) {
    DWORD error = errno == EEXIST ? ERROR_FILE_EXISTS : Win32ErrorForPath(to, errno);
    close(in);
    return error;
  }
  DWORD error = ERROR_SUCCESS;
  char buffer[65536];
  for (;;) {
    ssize_t n = read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n < 0) error = Win32ErrorFromErrno(errno);
      break;
    }
    for (ssize_t written = 0; written < n && error == ERROR_SUCCESS;) {
      ssize_t w = write(out, buffer + written, static_cast<size_t>(n - written));
      if (w < 0 && errno == EINTR) continue;
      if (w < 0) error = Win32ErrorFromErrno(errno);
      else written += w;
    }
    if (error != ERROR_SUCCESS) break;
  }
  if (error == ERROR_SUCCESS) {
    struct stat st {};
    fstat(in, &st);
    const timespec times[2] = {st.st_atim, st.st_mtim};
    futimens(out, times);
    fchmod(out, st.st_mode & 07777);
  }
  if (close(out) != 0 && error == ERROR_SUCCESS) error = Win32ErrorFromErrno(errno);
  close(in);
  if (error != ERROR_SUCCESS) unlink(to.c_str());
  return error;
}

// rename() that fails with EEXIST instead of replacing, where the file system can do that in one step.
int RenameNoReplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
  constexpr unsigned kNoReplace = 1;  // RENAME_NOREPLACE
  if (syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), kNoReplace) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
#endif
  struct stat st {};
  if (lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return -1;
  }
  return rename(from.c_str(), to.c_str());
}

std::string FolderOf(const std::string& hostPath) {
  auto slash = hostPath.find_last_of('/');
  if (slash == std::string::npos) return {};
  return hostPath.substr(0, slash + 1);
}

}  // namespace

BOOL DeleteFileA(LPCSTR fileName) {
  if (!fileName || !*fileName) return Fail(ERROR_PATH_NOT_FOUND);
  std::string host = ToHostPath(fileName);
  ShareLock lock;
  FileInfo info;
  if (!QueryFileInfo(host, info)) return FailErrno(host);
  if (info.IsDirectory() || info.IsReadOnly()) return Fail(ERROR_ACCESS_DENIED);
  if (!OpenHandlesAllowRemoving(info)) return Fail(ERROR_SHARING_VIOLATION);
  if (unlink(host.c_str()) != 0) return FailErrno(host);
  return TRUE;
}

BOOL MoveFileA(LPCSTR existingName, LPCSTR newName) {
  return MoveFileExA(existingName, newName, MOVEFILE_COPY_ALLOWED);
}

BOOL MoveFileExA(LPCSTR existingName, LPCSTR newName, DWORD flags) {
  if (!existingName || !newName || !*existingName || !*newName) return Fail(ERROR_INVALID_PARAMETER);
  bool replace = flags & MOVEFILE_REPLACE_EXISTING;
  std::string from = ToHostPath(existingName);
  std::string to = ToHostPath(newName);

  ShareLock lock;
  FileInfo source;
  if (!QueryFileInfo(from, source)) return FailErrno(from);
  if (!OpenHandlesAllowRemoving(source)) return Fail(ERROR_SHARING_VIOLATION);
  FileInfo target;
  if (QueryFileInfo(to, target)) {
    if (target.device == source.device && target.inode == source.inode) {
      // The same file under another letter case: a rename that changes only the case.
      to = FolderOf(to) + std::string(BaseNameOf(newName));
      if (rename(from.c_str(), to.c_str()) != 0) return FailErrno(to);
      return TRUE;
    }
    if (!replace) return Fail(ERROR_ALREADY_EXISTS);
    if (target.IsDirectory() || source.IsDirectory() || target.IsReadOnly()) return Fail(ERROR_ACCESS_DENIED);
    if (!OpenHandlesAllowRemoving(target)) return Fail(ERROR_SHARING_VIOLATION);
  }

  int result = replace ? rename(from.c_str(), to.c_str()) : RenameNoReplace(from, to);
  if (result == 0) return TRUE;
  if (errno == EEXIST) return Fail(ERROR_ALREADY_EXISTS);
  if (errno != EXDEV) return FailErrno(errno == ENOENT ? to : from);
  // Another file system: a file moves by copying when the caller allows it, a folder cannot.
  if (!(flags & MOVEFILE_COPY_ALLOWED) || source.IsDirectory()) return Fail(ERROR_NOT_SAME_DEVICE);
  if (DWORD error = CopyContents(from, to, !replace); error != ERROR_SUCCESS)
    return Fail(error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : error);
  if (unlink(from.c_str()) != 0) return FailErrno(from);
  return TRUE;
}

BOOL CopyFileA(LPCSTR existingName, LPCSTR newName, BOOL failIfExists) {
  if (!existingName || !newName || !*existingName || !*newName) return Fail(ERROR_INVALID_PARAMETER);
  std::string from = ToHostPath(existingName);
  std::string to = ToHostPath(newName);

  ShareLock lock;
  FileInfo source;
  if (!QueryFileInfo(from, source)) return FailErrno(from);
  if (source.IsDirectory()) return Fail(ERROR_ACCESS_DENIED);
  if (!SharingAllows(source.device, source.inode,
                     ShareAccessFor(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)))
    return Fail(ERROR_SHARING_VIOLATION);
  FileInfo target;
  if (QueryFileInfo(to, target)) {
    if (failIfExists) return Fail(ERROR_FILE_EXISTS);
    if (target.device == source.device && target.inode == source.inode) return Fail(ERROR_SHARING_VIOLATION);
    if (target.IsDirectory() || target.IsReadOnly()) return Fail(ERROR_ACCESS_DENIED);
    if (!SharingAllows(target.device, target.inode,
                       ShareAccessFor(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE)))
      return Fail(ERROR_SHARING_VIOLATION);
  }
  if (DWORD error = CopyContents(from, to, failIfExists); error != ERROR_SUCCESS) return Fail(error);
  return TRUE;
}

BOOL CreateDirectoryA(LPCSTR pathName, LPSECURITY_ATTRIBUTES) {
  if (!pathName || !*pathName) return Fail(ERROR_PATH_NOT_FOUND);
  std::string host = ToHostPath(pathName);
  if (mkdir(host.c_str(), 0777) != 0) return FailErrno(host);
  return TRUE;
}

BOOL RemoveDirectoryA(LPCSTR pathName) {
  if (!pathName || !*pathName) return Fail(ERROR_PATH_NOT_FOUND);
  std::string host = ToHostPath(pathName);
  if (rmdir(host.c_str()) != 0) {
    if (errno == ENOTDIR) {
      struct stat st {};
      // A file named as the folder itself, not a missing folder on the way to it.
      if (stat(host.c_str(), &st) == 0) return Fail(ERROR_DIRECTORY);
    }
    return FailErrno(host);
  }
  return TRUE;
}

DWORD GetFileAttributesA(LPCSTR fileName) {
  if (!fileName || !*fileName) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
  }
  std::string host = ToHostPath(fileName);
  FileInfo info;
  if (!QueryFileInfo(host, info)) {
    SetLastErrorFromErrno(host, errno);
    return INVALID_FILE_ATTRIBUTES;
  }
  return FileAttributesOf(info, BaseNameOf(host));
}

BOOL SetFileAttributesA(LPCSTR fileName, DWORD attributes) {
  if (!fileName || !*fileName) return Fail(ERROR_PATH_NOT_FOUND);
  std::string host = ToHostPath(fileName);
  FileInfo info;
  if (!QueryFileInfo(host, info)) return FailErrno(host);
  DWORD hidden = FileAttributesOf(info, BaseNameOf(host)) & FILE_ATTRIBUTE_HIDDEN;
  // Hidden is a matter of the name here, and there is no system attribute at all.
  if ((attributes & FILE_ATTRIBUTE_SYSTEM) || (attributes & FILE_ATTRIBUTE_HIDDEN) != hidden)
    return Fail(ERROR_INVALID_PARAMETER);
  if (info.IsDirectory()) return TRUE;  // Windows ignores read-only on folders for file operations
  mode_t mode = info.mode & 07777;
  mode_t wanted = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~0222) : (info.IsReadOnly() ? mode | 0200 : mode);
  if (wanted != mode && chmod(host.c_str(), wanted) != 0) return FailErrno(host);
  return TRUE;
}
