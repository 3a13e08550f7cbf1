#include <kernel/File.h>

#include <kernel/Path.h>

#include "Devices.h"
#include "FileInfo.h"
#include "FileObject.h"
#include "HostErrors.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using namespace tolvar::kernel;

namespace {

HANDLE Fail(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

HANDLE OpenDeviceHandle(std::string_view name, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  DeviceOpenRequest request{std::string(name), access, share, disposition, flags};
  std::shared_ptr<IoObject> device = OpenDevice(request);
  if (!device) return INVALID_HANDLE_VALUE;
  SetLastError(ERROR_SUCCESS);
  return InsertHandle(std::move(device));
}

}  // namespace

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE) {
  if (!fileName || !*fileName) return Fail(ERROR_PATH_NOT_FOUND);
  if (std::string_view device; IsDevicePath(fileName, &device))
    return OpenDeviceHandle(device, desiredAccess, shareMode, creationDisposition, flagsAndAttributes);
  if (creationDisposition < CREATE_NEW || creationDisposition > TRUNCATE_EXISTING)
    return Fail(ERROR_INVALID_PARAMETER);

  ShareAccess access = ShareAccessFor(desiredAccess, shareMode);
  if (creationDisposition == TRUNCATE_EXISTING && !access.write) return Fail(ERROR_INVALID_PARAMETER);
  bool truncates = creationDisposition == CREATE_ALWAYS || creationDisposition == TRUNCATE_EXISTING;
  std::string host = ToHostPath(fileName);

  ShareLock lock;
  FileInfo existing;
  bool exists = QueryFileInfo(host, existing);
  if (exists) {
    if (creationDisposition == CREATE_NEW) return Fail(ERROR_FILE_EXISTS);
    if (existing.IsDirectory()) return Fail(ERROR_ACCESS_DENIED);
    if (existing.IsReadOnly() && (access.write || truncates)) return Fail(ERROR_ACCESS_DENIED);
    // Checked before opening, so that a forbidden CREATE_ALWAYS does not empty the file first.
    if (!SharingAllows(existing.device, existing.inode, access)) return Fail(ERROR_SHARING_VIOLATION);
  } else if (creationDisposition == OPEN_EXISTING || creationDisposition == TRUNCATE_EXISTING) {
    return Fail(NotFoundError(host));
  }

  int flags = O_CLOEXEC | (access.write ? (access.read ? O_RDWR : O_WRONLY) : O_RDONLY);
  switch (creationDisposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
    default: break;
  }
  mode_t mode = (flagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
  int fd = open(host.c_str(), flags, mode);
  if (fd < 0) {
    if (errno == EEXIST) return Fail(ERROR_FILE_EXISTS);
    SetLastErrorFromErrno(host, errno);
    return INVALID_HANDLE_VALUE;
  }
  FileInfo opened;
  if (!QueryFileInfo(fd, opened)) {
    int error = errno;
    close(fd);
    return Fail(Win32ErrorFromErrno(error));
  }
  auto file = std::make_shared<FileObject>(fd, opened.device, opened.inode, access,
                                           (flagsAndAttributes & FILE_FLAG_OVERLAPPED) != 0);
  bool reportsExisting = exists && (creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS);
  SetLastError(reportsExisting ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return InsertHandle(std::move(file));
}

DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod) {
  auto object = LookupHandleAs<FileObject>(file);
  if (!object) return INVALID_SET_FILE_POINTER;
  // Without the high part the distance is a signed 32-bit number; with it, a signed 64-bit one.
  LONGLONG move = distanceHigh ? static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                                       static_cast<DWORD>(distance))
                               : distance;
  LONGLONG base = 0;
  switch (moveMethod) {
    case FILE_BEGIN: break;
    case FILE_CURRENT: base = lseek(object->Fd(), 0, SEEK_CUR); break;
    case FILE_END: {
      FileInfo info;
      if (!QueryFileInfo(object->Fd(), info)) {
        SetLastError(Win32ErrorFromErrno(errno));
        return INVALID_SET_FILE_POINTER;
      }
      base = static_cast<LONGLONG>(info.size);
      break;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_SET_FILE_POINTER;
  }
  LONGLONG target = base + move;
  if (target < 0) {
    SetLastError(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  if (!distanceHigh && target > 0xFFFFFFFELL) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (lseek(object->Fd(), target, SEEK_SET) < 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<ULONGLONG>(target) >> 32);
  // A position whose low part is 0xFFFFFFFF is told from a failure by the last error.
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(target);
}

BOOL SetEndOfFile(HANDLE file) {
  auto object = LookupHandleAs<FileObject>(file);
  if (!object) return FALSE;
  if (!object->CanWrite()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  off_t position = lseek(object->Fd(), 0, SEEK_CUR);
  if (position < 0 || ftruncate(object->Fd(), position) != 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  auto object = LookupHandleAs<FileObject>(file);
  if (!object) return INVALID_FILE_SIZE;
  FileInfo info;
  if (!QueryFileInfo(object->Fd(), info)) {
    SetLastError(Win32ErrorFromErrno(errno));
    return INVALID_FILE_SIZE;
  }
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(info.size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(info.size);
}

BOOL GetFileTime(HANDLE file, LPFILETIME creation, LPFILETIME lastAccess, LPFILETIME lastWrite) {
  auto object = LookupHandleAs<FileObject>(file);
  if (!object) return FALSE;
  FileInfo info;
  if (!QueryFileInfo(object->Fd(), info)) {
    SetLastError(Win32ErrorFromErrno(errno));
    return FALSE;
  }
  if (creation) *creation = info.creation;
  if (lastAccess) *lastAccess = info.lastAccess;
  if (lastWrite) *lastWrite = info.lastWrite;
  return TRUE;
}
