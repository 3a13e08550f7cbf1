// The write-then-rename writer: see AtomicFile.h for what it promises. The new file lives in the
// target's folder (a rename never crosses file systems), unnamed where the file system allows it.
#include <kernel/AtomicFile.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Path.h>

#include "HostErrors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <random>

namespace tolvar::kernel {
namespace {

std::mutex g_faultLock;
AtomicFileFault g_fault;

// How many of `size` bytes may be written before the injected fault strikes; `size` when none.
std::size_t AllowedByFault(std::size_t size, DWORD* error) {
  std::lock_guard lock(g_faultLock);
  if (!g_fault.active) return size;
  if (g_fault.bytesBeforeFailure >= size) {
    g_fault.bytesBeforeFailure -= size;
    return size;
  }
  const std::size_t allowed = g_fault.bytesBeforeFailure;
  g_fault.bytesBeforeFailure = 0;
  *error = g_fault.error ? g_fault.error : ERROR_DISK_FULL;
  return allowed;
}

bool CloseFaultInjected() {
  std::lock_guard lock(g_faultLock);
  return g_fault.active && g_fault.failClose;
}

std::string FolderOf(const std::string& hostPath) {
  const auto slash = hostPath.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : hostPath.substr(0, slash);
}

// A hidden name beside the target that no one else uses: ".<name>.<random>.part".
std::string TemporaryNameFor(const std::string& hostPath) {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 random{std::random_device{}()};
  const auto slash = hostPath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : hostPath.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? hostPath : hostPath.substr(slash + 1);
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, ".%08x%04x.part", static_cast<unsigned>(random()), counter++ & 0xFFFFu);
  return folder + "." + name + suffix;
}

}  // namespace

void SetAtomicFileFaultForTesting(const AtomicFileFault& fault) {
  std::lock_guard lock(g_faultLock);
  g_fault = fault;
}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Fail(DWORD error) {
  if (!m_broken) m_error = error;
  m_broken = true;
  SetLastError(error);
  return false;
}

bool AtomicFileWriter::Open(std::string_view path) {
  Discard();
  if (path.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  m_target = ToHostPath(path);
  mode_t mode = 0666;
  struct stat existing {};
  if (stat(m_target.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    // A file without write permission is read-only, and Windows refuses to replace a read-only file.
    if ((existing.st_mode & 0222) == 0) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    mode = existing.st_mode & 07777;
  }
  const std::string folder = FolderOf(m_target);
  m_fd = open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  m_unnamed = m_fd >= 0;
  if (!m_unnamed) {
    // EISDIR/EOPNOTSUPP: a kernel or file system without unnamed files. Any other error (a missing
    // folder, no permission) is the answer a named file would get too.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      SetLastErrorFromErrno(m_target, errno);
      m_target.clear();
      return false;
    }
    m_temporary = TemporaryNameFor(m_target);
    m_fd = open(m_temporary.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, mode);
    if (m_fd < 0) {
      SetLastErrorFromErrno(m_target, errno);
      m_temporary.clear();
      m_target.clear();
      return false;
    }
  }
  if (mode != 0666) fchmod(m_fd, mode);  // the umask must not narrow an existing file's permissions
  m_broken = false;
  return true;
}

bool AtomicFileWriter::Write(const void* data, std::size_t size) {
  if (m_fd < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (m_broken) return Fail(m_error);
  DWORD injected = 0;
  const std::size_t allowed = AllowedByFault(size, &injected);
  const char* bytes = static_cast<const char*>(data);
  std::size_t done = 0;
  while (done < allowed) {
    const ssize_t n = ::write(m_fd, bytes + done, allowed - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return Fail(errno == ENOSPC || errno == EDQUOT ? ERROR_DISK_FULL : Win32ErrorFromErrno(errno));
    }
    done += static_cast<std::size_t>(n);
  }
  if (injected) return Fail(injected);
  return true;
}

bool AtomicFileWriter::Commit() {
  if (m_fd < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (m_broken) {
    const DWORD error = m_error;
    Discard();
    SetLastError(error);
    return false;
  }
  // A full disk or a failing device often shows only when the data is flushed or the file closed.
  if (CloseFaultInjected() || fsync(m_fd) != 0) {
    const DWORD error = CloseFaultInjected() ? ERROR_WRITE_FAULT
                        : errno == ENOSPC     ? ERROR_DISK_FULL
                                              : Win32ErrorFromErrno(errno);
    Discard();
    SetLastError(error);
    return false;
  }
  if (m_unnamed) {
    // The unnamed file gets a hidden name, which the rename then moves over the target.
    m_temporary = TemporaryNameFor(m_target);
    const std::string self = "/proc/self/fd/" + std::to_string(m_fd);
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, m_temporary.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      const DWORD error = Win32ErrorFromErrno(errno);
      m_temporary.clear();
      Discard();
      SetLastError(error);
      return false;
    }
  }
  const int fd = m_fd;
  m_fd = -1;
  if (close(fd) != 0) {
    const DWORD error = errno == ENOSPC ? ERROR_DISK_FULL : Win32ErrorFromErrno(errno);
    unlink(m_temporary.c_str());
    m_temporary.clear();
    SetLastError(error);
    return false;
  }
  if (rename(m_temporary.c_str(), m_target.c_str()) != 0) {
    const DWORD error = Win32ErrorFromErrno(errno);
    unlink(m_temporary.c_str());
    m_temporary.clear();
    SetLastError(error);
    return false;
  }
  // The rename itself reaches the disk with the folder.
  const int folder = open(FolderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  m_temporary.clear();
  m_target.clear();
  return true;
}

void AtomicFileWriter::Discard() {
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
  if (!m_temporary.empty()) unlink(m_temporary.c_str());
  m_temporary.clear();
  m_target.clear();
  m_broken = false;
  m_error = 0;
  m_unnamed = false;
}

bool WriteFileAtomically(std::string_view path, std::span<const BYTE> bytes) {
  AtomicFileWriter writer;
  return writer.Open(path) && writer.Write(bytes) && writer.Commit();
}

}  // namespace tolvar::kernel
