#include "FileObject.h"

#include "HostErrors.h"

#include <kernel/File.h>

#include <base/WinError.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <unistd.h>

namespace tolvar::kernel {
namespace {

struct OpenFiles {
  std::recursive_mutex lock;
  std::multimap<std::pair<dev_t, ino_t>, const ShareAccess*> opens;
};

OpenFiles& Table() {
  static auto* table = new OpenFiles;  // never destroyed: handles may be closed during exit
  return *table;
}

bool HasData(const ShareAccess& a) { return a.read || a.write || a.remove; }

// Windows' rule: each side's access must be within the other side's share mode. Opens that ask for
// no data access (attribute queries) take part in no check.
bool Compatible(const ShareAccess& open, const ShareAccess& wanted) {
  if (!HasData(open) || !HasData(wanted)) return true;
  auto within = [](const ShareAccess& access, DWORD share) {
    return (!access.read || (share & FILE_SHARE_READ)) && (!access.write || (share & FILE_SHARE_WRITE)) &&
           (!access.remove || (share & FILE_SHARE_DELETE));
  };
  return within(wanted, open.shareMode) && within(open, wanted.shareMode);
}

DWORD ErrorFromErrno() { return Win32ErrorFromErrno(errno); }

}  // namespace

ShareAccess ShareAccessFor(DWORD desiredAccess, DWORD shareMode) {
  ShareAccess access;
  access.read = desiredAccess & (GENERIC_READ | GENERIC_ALL | FILE_READ_DATA);
  access.write = desiredAccess & (GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA);
  access.remove = desiredAccess & (DELETE | GENERIC_ALL);
  access.shareMode = shareMode;
  return access;
}

ShareLock::ShareLock() { Table().lock.lock(); }
ShareLock::~ShareLock() { Table().lock.unlock(); }

bool SharingAllows(dev_t device, ino_t inode, const ShareAccess& access) {
  auto [first, last] = Table().opens.equal_range({device, inode});
  for (auto it = first; it != last; ++it)
    if (!Compatible(*it->second, access)) return false;
  return true;
}

FileObject::FileObject(int fd, dev_t device, ino_t inode, ShareAccess access, bool overlapped)
    : m_fd(fd), m_device(device), m_inode(inode), m_access(access), m_overlapped(overlapped) {
  Table().opens.emplace(std::make_pair(m_device, m_inode), &m_access);
}

FileObject::~FileObject() {
  {
    std::lock_guard guard(Table().lock);
    auto [first, last] = Table().opens.equal_range({m_device, m_inode});
    for (auto it = first; it != last; ++it) {
      if (it->second == &m_access) {
        Table().opens.erase(it);
        break;
      }
    }
  }
  close(m_fd);
}

DWORD FileObject::Read(std::span<BYTE> buffer, DWORD& done, OVERLAPPED* overlapped) {
  done = 0;
  if (!m_access.read) return ERROR_ACCESS_DENIED;
  if (m_overlapped && !overlapped) return ERROR_INVALID_PARAMETER;
  if (overlapped) {
    // A positioned read; on a handle opened without FILE_FLAG_OVERLAPPED it also moves the file
    // pointer, as Windows does.
    off_t offset = static_cast<off_t>((static_cast<ULONGLONG>(overlapped->OffsetHigh) << 32) | overlapped->Offset);
    ssize_t n;
    do n = pread(m_fd, buffer.data(), buffer.size(), offset);
    while (n < 0 && errno == EINTR);
    if (n < 0) return ErrorFromErrno();
    done = static_cast<DWORD>(n);
    if (!m_overlapped) lseek(m_fd, offset + n, SEEK_SET);
    return n == 0 && !buffer.empty() ? ERROR_HANDLE_EOF : ERROR_SUCCESS;
  }
  while (done < buffer.size()) {
    ssize_t n = read(m_fd, buffer.data() + done, buffer.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ErrorFromErrno();
    if (n == 0) break;  // end of file: a synchronous read succeeds with what it got
    done += static_cast<DWORD>(n);
  }
  return ERROR_SUCCESS;
}

DWORD FileObject::Write(std::span<const BYTE> buffer, DWORD& done, OVERLAPPED* overlapped) {
  done = 0;
  if (!m_access.write) return ERROR_ACCESS_DENIED;
  if (m_overlapped && !overlapped) return ERROR_INVALID_PARAMETER;
  if (overlapped) {
    bool append = overlapped->Offset == 0xFFFFFFFF && overlapped->OffsetHigh == 0xFFFFFFFF;
    off_t offset = append ? lseek(m_fd, 0, SEEK_END)
                          : static_cast<off_t>((static_cast<ULONGLONG>(overlapped->OffsetHigh) << 32) |
                                               overlapped->Offset);
    while (done < buffer.size()) {
      ssize_t n = pwrite(m_fd, buffer.data() + done, buffer.size() - done, offset + done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return ErrorFromErrno();
      done += static_cast<DWORD>(n);
    }
    if (!m_overlapped) lseek(m_fd, offset + done, SEEK_SET);
    return ERROR_SUCCESS;
  }
  while (done < buffer.size()) {
    ssize_t n = write(m_fd, buffer.data() + done, buffer.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return ErrorFromErrno();
    done += static_cast<DWORD>(n);
  }
  return ERROR_SUCCESS;
}

DWORD FileObject::Flush() {
  if (!m_access.write) return ERROR_ACCESS_DENIED;
  return fsync(m_fd) == 0 ? ERROR_SUCCESS : ErrorFromErrno();
}

DWORD FileObject::Cancel() { return ERROR_SUCCESS; }

}  // namespace tolvar::kernel
