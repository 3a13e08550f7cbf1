// Stand-in for the platform's write-then-rename writer (see compat/kernel/AtomicFile.h): the new
// contents go to a hidden temporary file beside the target, every write, the flush and the close are
// checked, and only a whole file is renamed over the target.
#include <kernel/AtomicFile.h>
#include <kernel/Path.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace tolvar::kernel {
namespace {

AtomicFileFault g_fault;
std::size_t g_faultBytes = 0;

DWORD ErrorOf(int error) {
  switch (error) {
    case ENOSPC: return ERROR_DISK_FULL;
    case EACCES: case EPERM: case EROFS: return ERROR_ACCESS_DENIED;
    default: return ERROR_WRITE_FAULT;
  }
}

}  // namespace

void SetAtomicFileFaultForTesting(const AtomicFileFault& fault) {
  g_fault = fault;
  g_faultBytes = 0;
}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Fail(DWORD error) {
  m_broken = true;
  SetLastError(error);
  return false;
}

bool AtomicFileWriter::Open(std::string_view path) {
  Discard();
  m_broken = false;
  m_target = ToHostPath(path);
  const std::size_t slash = m_target.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string(".") : m_target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
  std::random_device random;
  for (int attempt = 0; attempt < 16 && m_fd < 0; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
    m_temporary = (slash == std::string::npos ? std::string() : folder) + "." + name + suffix + ".tmp";
    m_fd = ::open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (m_fd < 0 && errno != EEXIST) break;
  }
  if (m_fd < 0) {
    SetLastError(ErrorOf(errno));
    m_temporary.clear();
    return false;
  }
  return true;
}

bool AtomicFileWriter::Write(const void* data, std::size_t size) {
  if (m_fd < 0 || m_broken) return Fail(ERROR_WRITE_FAULT);
  const auto* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    std::size_t chunk = size;
    if (g_fault.active) {
      if (g_faultBytes >= g_fault.bytesBeforeFailure) return Fail(g_fault.error);
      chunk = std::min(chunk, g_fault.bytesBeforeFailure - g_faultBytes);
    }
    const ssize_t written = ::write(m_fd, bytes, chunk);
    if (written < 0) {
      if (errno == EINTR) continue;
      return Fail(ErrorOf(errno));
    }
    g_faultBytes += static_cast<std::size_t>(written);
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

bool AtomicFileWriter::Commit() {
  if (m_fd < 0) return Fail(ERROR_WRITE_FAULT);
  bool ok = !m_broken;
  DWORD error = ERROR_WRITE_FAULT;
  if (ok && (g_fault.active && g_fault.failClose)) ok = false;
  if (ok && ::fsync(m_fd) != 0) {
    ok = false;
    error = ErrorOf(errno);
  }
  if (::close(m_fd) != 0 && ok) {
    ok = false;
    error = ErrorOf(errno);
  }
  m_fd = -1;
  if (ok && ::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
    ok = false;
    error = ErrorOf(errno);
  }
  if (!ok) {
    ::unlink(m_temporary.c_str());
    m_temporary.clear();
    return Fail(error);
  }
  m_temporary.clear();
  return true;
}

void AtomicFileWriter::Discard() {
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
  if (!m_temporary.empty()) {
    ::unlink(m_temporary.c_str());
    m_temporary.clear();
  }
}

bool WriteFileAtomically(std::string_view path, std::span<const BYTE> bytes) {
  AtomicFileWriter writer;
  return writer.Open(path) && writer.Write(bytes) && writer.Commit();
}

}  // namespace tolvar::kernel
