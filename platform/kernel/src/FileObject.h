#pragma once
// A file opened by CreateFileA, and the table of open files that enforces share modes.
#include <kernel/Io.h>

#include <base/WinDef.h>

#include <sys/types.h>

namespace tolvar::kernel {

// The kinds of access an open asks for, as share modes weigh them.
struct ShareAccess {
  bool read = false;
  bool write = false;
  bool remove = false;  // delete, rename
  DWORD shareMode = 0;
};

ShareAccess ShareAccessFor(DWORD desiredAccess, DWORD shareMode);

// Sharing checks and registrations happen under this lock, so that a check and the open it permits
// are one step for the other threads of the process.
class ShareLock {
public:
  ShareLock();
  ~ShareLock();
  ShareLock(const ShareLock&) = delete;
  ShareLock& operator=(const ShareLock&) = delete;
};

// False when an open handle of the file forbids `access` or `access` forbids an open handle.
// Call with a ShareLock held.
bool SharingAllows(dev_t device, ino_t inode, const ShareAccess& access);

class FileObject : public IoObject {
public:
  // Takes `fd` and registers the open for sharing checks (call with a ShareLock held).
  FileObject(int fd, dev_t device, ino_t inode, ShareAccess access, bool overlapped);
  ~FileObject() override;

  ObjectType Type() const override { return ObjectType::File; }
  DWORD Read(std::span<BYTE> buffer, DWORD& done, OVERLAPPED* overlapped) override;
  DWORD Write(std::span<const BYTE> buffer, DWORD& done, OVERLAPPED* overlapped) override;
  DWORD Flush() override;
  DWORD Cancel() override;  // nothing is ever pending: file transfers finish inside the call

  int Fd() const { return m_fd; }
  bool CanWrite() const { return m_access.write; }

private:
  int m_fd = -1;
  dev_t m_device = 0;
  ino_t m_inode = 0;
  ShareAccess m_access;
  bool m_overlapped = false;
};

}  // namespace tolvar::kernel
