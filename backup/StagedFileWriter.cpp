// The temporary file is made with O_EXCL under a name that holds the process id and a counter, so
// two writers (of this process or another) never share one.
#include "StagedFileWriter.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Path.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

std::atomic<unsigned> g_counter{0};

DWORD ErrorOf(int error) {
  switch (error) {
    case ENOENT: case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES: case EPERM: case EROFS: case EISDIR: return ERROR_ACCESS_DENIED;
    case ENOSPC: case EDQUOT: return ERROR_DISK_FULL;
    default: return ERROR_WRITE_FAULT;
  }
}

bool Fail(int error) {
  SetLastError(ErrorOf(error));
  return false;
}

}  // namespace

CStagedFileWriter::~CStagedFileWriter() { Discard(); }

bool CStagedFileWriter::Open(std::string_view path) {
  Discard();
  m_failed = false;
  m_target = tolvar::kernel::ToHostPath(path);
  if (m_target.empty() || m_target.back() == '/') return Fail(ENOENT);
  const std::size_t slash = m_target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : m_target.substr(0, slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    m_temporary = folder + (slash == std::string::npos ? "/" : "") + ".~" +
                  m_target.substr(slash == std::string::npos ? 0 : slash + 1) + "." + std::to_string(getpid()) + "." +
                  std::to_string(g_counter.fetch_add(1)) + ".tmp";
    m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (m_fd >= 0) return true;
    if (errno != EEXIST) break;
  }
  const int error = errno;
  m_temporary.clear();
  return Fail(error);
}

bool CStagedFileWriter::Write(const void* data, std::size_t size) {
  if (m_fd < 0 || m_failed) {
    SetLastError(m_fd < 0 ? ERROR_INVALID_HANDLE : ERROR_WRITE_FAULT);
    return false;
  }
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t done = ::write(m_fd, bytes, size);
    if (done < 0) {
      if (errno == EINTR) continue;
      m_failed = true;
      return Fail(errno);
    }
    bytes += done;
    size -= static_cast<std::size_t>(done);
  }
  return true;
}

bool CStagedFileWriter::Commit() {
  if (m_fd < 0 || m_failed) {
    const DWORD error = m_fd < 0 ? ERROR_INVALID_HANDLE : ERROR_WRITE_FAULT;
    Discard();
    SetLastError(error);
    return false;
  }
  if (::fsync(m_fd) != 0 || ::close(m_fd) != 0) {
    const int error = errno;
    m_fd = -1;
    Discard();
    return Fail(error);
  }
  m_fd = -1;
  if (::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
    const int error = errno;
    Discard();
    return Fail(error);
  }
  m_temporary.clear();
  return true;
}

void CStagedFileWriter::Discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_temporary.empty()) ::unlink(m_temporary.c_str());
  m_temporary.clear();
}
