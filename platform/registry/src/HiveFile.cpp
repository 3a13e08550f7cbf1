#include "HiveFile.h"

#include "HiveText.h"

#include <base/Time.h>
#include <base/WinError.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvar::registry {

namespace {

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::string DirectoryOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The exclusive lock on "<hive>.lock", held for the life of the object.
class FileLock {
public:
  explicit FileLock(const std::string& hivePath) {
    std::string lockPath = hivePath + ".lock";
    m_fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
      m_error = errno;
      return;
    }
    while (flock(m_fd, LOCK_EX) != 0) {
      if (errno != EINTR) {
        m_error = errno;
        close(m_fd);
        m_fd = -1;
        return;
      }
    }
  }
  ~FileLock() {
    if (m_fd >= 0) close(m_fd);  // closing releases the lock
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool Held() const { return m_fd >= 0; }
  int Error() const { return m_error; }

private:
  int m_fd = -1;
  int m_error = 0;
};

bool ReadAll(int fd, std::string& out) {
  char buffer[16384];
  while (true) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) return true;
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string TimeStamp() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
  return text;
}

}  // namespace

HiveFile::HiveFile(std::string path, std::string rootName, std::function<void(RegKey&)> prepare)
    : m_path(std::move(path)), m_rootName(std::move(rootName)), m_prepare(std::move(prepare)) {}

HiveFile::~HiveFile() {
  if (m_heldFd >= 0) close(m_heldFd);
}

DWORD HiveFile::Read(const std::function<DWORD(const RegKey&)>& reader) {
  std::lock_guard guard(m_mutex);
  if (DWORD error = Refresh(false)) return error;
  return reader(*m_root);
}

DWORD HiveFile::Modify(const std::function<DWORD(RegKey& root, bool& changed)>& change) {
  std::lock_guard guard(m_mutex);
  FileLock lock(m_path);
  if (!lock.Held())
    return lock.Error() == EACCES || lock.Error() == EROFS ? ERROR_ACCESS_DENIED
                                                           : ERROR_REGISTRY_IO_FAILED;
  // Load what other processes wrote since our last look, so their writes survive ours.
  if (DWORD error = Refresh(true)) return error;
  bool changed = false;
  DWORD result = change(*m_root, changed);
  if (result != ERROR_SUCCESS || !changed) return result;
  if (DWORD error = Write()) {
    // The tree holds a change the file does not: forget it and load the file again next time.
    m_root.reset();
    return error;
  }
  return ERROR_SUCCESS;
}

FILETIME HiveFile::LastWriteTime() const {
  if (!m_loaded.exists) return tolvar::UnixTimeToFileTime(0);
  return tolvar::UnixTimeToFileTime(m_loaded.modified.tv_sec,
                                    static_cast<std::uint32_t>(m_loaded.modified.tv_nsec));
}

void HiveFile::ResetEmpty() {
  m_root = std::make_unique<RegKey>(m_rootName);
  if (m_prepare) m_prepare(*m_root);
  if (m_heldFd >= 0) close(m_heldFd);
  m_heldFd = -1;
  m_loaded = FileId{};
}

void HiveFile::HoldFile(int fd, const FileId& id) {
  if (m_heldFd >= 0) close(m_heldFd);
  m_heldFd = fd;
  m_loaded = id;
}

DWORD HiveFile::Refresh(bool haveFileLock) {
  struct stat st {};
  if (stat(m_path.c_str(), &st) != 0) {
    if (errno != ENOENT) return ERROR_REGISTRY_IO_FAILED;
    // No file is an empty hive (the first run, or a file the user removed).
    if (!m_root || m_loaded.exists) ResetEmpty();
    return ERROR_SUCCESS;
  }
  if (m_root && m_loaded.exists && st.st_dev == m_loaded.device && st.st_ino == m_loaded.inode &&
      st.st_size == m_loaded.size && SameTime(st.st_mtim, m_loaded.modified) &&
      SameTime(st.st_ctim, m_loaded.changed))
    return ERROR_SUCCESS;

  int fd = open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) {  // replaced or removed between stat and open
      ResetEmpty();
      return ERROR_SUCCESS;
    }
    return errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_REGISTRY_IO_FAILED;
  }
  struct stat opened {};
  std::string text;
  if (fstat(fd, &opened) != 0 || !ReadAll(fd, text)) {
    close(fd);
    return ERROR_REGISTRY_IO_FAILED;
  }
  FileId id{true, opened.st_dev, opened.st_ino, opened.st_size, opened.st_mtim, opened.st_ctim};

  HiveParseError parseError;
  std::unique_ptr<RegKey> root = ParseHive(text, m_rootName, parseError);
  if (root) {
    m_root = std::move(root);
    if (m_prepare) m_prepare(*m_root);
    HoldFile(fd, id);
    return ERROR_SUCCESS;
  }
  std::string reason = "line " + std::to_string(parseError.line) + ": " + parseError.message;
  if (haveFileLock) return SetAside(fd, id, reason);

  // Setting the file aside needs the file lock; a writer may have replaced the file meanwhile, so
  // look again once the lock is held.
  close(fd);
  FileLock lock(m_path);
  if (!lock.Held()) return ERROR_REGISTRY_CORRUPT;
  return Refresh(true);
}

DWORD HiveFile::SetAside(int fd, const FileId& id, const std::string& reason) {
  close(fd);
  struct stat st {};
  if (stat(m_path.c_str(), &st) != 0 || st.st_ino != id.inode || st.st_dev != id.device) {
    // Someone replaced the file without the lock (an editor): leave it for the next call to judge.
    m_root.reset();
    return ERROR_REGISTRY_CORRUPT;
  }
  std::string base = m_path + ".corrupt-" + TimeStamp();
  std::string aside;
  bool kept = false;
  for (int attempt = 1; attempt < 100 && !kept; ++attempt) {
    aside = attempt == 1 ? base : base + "-" + std::to_string(attempt);
    // link() never overwrites: an older kept file of the same second stays.
    if (link(m_path.c_str(), aside.c_str()) == 0) {
      kept = unlink(m_path.c_str()) == 0;
      if (!kept) unlink(aside.c_str());
      break;
    }
    if (errno != EEXIST) break;
  }
  if (!kept) {
    std::fprintf(stderr,
                 "registry: the hive %s cannot be read (%s), and it could not be set aside (%s); "
                 "it is left as it is.\n",
                 m_path.c_str(), reason.c_str(), std::strerror(errno));
    m_root.reset();
    return ERROR_REGISTRY_CORRUPT;
  }
  std::fprintf(stderr,
               "registry: the hive %s cannot be read (%s). It was kept as %s and a new, empty hive "
               "was started in its place.\n",
               m_path.c_str(), reason.c_str(), aside.c_str());
  ResetEmpty();
  return ERROR_REGISTRY_CORRUPT;
}

DWORD HiveFile::Write() {
  std::string text = FormatHive(*m_root, m_rootName);
  std::string temp = m_path + ".tmp-" + std::to_string(getpid()) + "-" +
                     std::to_string(++m_tempCounter);
  int fd = open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno == EACCES || errno == EROFS ? ERROR_ACCESS_DENIED : ERROR_REGISTRY_IO_FAILED;
  struct stat old {};
  if (stat(m_path.c_str(), &old) == 0) fchmod(fd, old.st_mode & 07777);  // keep the user's mode
  struct stat st {};
  if (!WriteAll(fd, text) || fsync(fd) != 0 || rename(temp.c_str(), m_path.c_str()) != 0 ||
      fstat(fd, &st) != 0) {
    int saved = errno;
    close(fd);
    unlink(temp.c_str());
    return saved == ENOSPC ? ERROR_DISK_FULL : ERROR_REGISTRY_IO_FAILED;
  }
  // The rename itself must reach the disk too.
  int dir = open(DirectoryOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  HoldFile(fd, FileId{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim});
  return ERROR_SUCCESS;
}

}  // namespace tolvar::registry
