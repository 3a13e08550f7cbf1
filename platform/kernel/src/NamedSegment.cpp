#include "NamedSegment.h"

#include <base/Home.h>
#include <kernel/LockByte.h>
#include <base/WinError.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tolvar::kernel {
namespace {

constexpr std::uint32_t kMagic = 0x4B4F424A;  // "KOBJ"
constexpr off_t kGuardByte = 0;
constexpr off_t kHolderByte = 1;
constexpr size_t kMaxEncoded = 200;  // well under NAME_MAX with the prefix

size_t HeaderMapSize() {
  size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  return (sizeof(SegmentHeader) + page - 1) / page * page;
}

DWORD ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case EACCES: case EPERM: return ERROR_ACCESS_DENIED;
    case EMFILE: case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    default: return ERROR_NOT_ENOUGH_MEMORY;  // ENOSPC, ENOMEM, EFBIG: the space is not there
  }
}

std::uint64_t Fnv1a(std::string_view text) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 0x100000001b3ull;
  }
  return h;
}

class UniqueFd {
public:
  explicit UniqueFd(int fd) : m_fd(fd) {}
  ~UniqueFd() { if (m_fd >= 0) close(m_fd); }
  int Get() const { return m_fd; }
  int Release() { int fd = m_fd; m_fd = -1; return fd; }

private:
  int m_fd;
};

}  // namespace

std::string NamedSegment::SegmentName(std::string_view name) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : name) {
    if (std::isalnum(c) || c == '.' || c == '_' || c == '-') {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  if (encoded.size() > kMaxEncoded) {
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Fnv1a(name)));
    encoded = encoded.substr(0, kMaxEncoded - 17) + "~" + hash;
  }
  return "/tolvar-" + HomeTag() + "-" + encoded;
}

NamedSegment::Result NamedSegment::Open(std::string_view name, NamedKind kind, std::uint64_t payloadSize,
                                        Mode mode,
                                        const std::function<void(SegmentHeader&)>& initialise) {
  Result result;
  if (name.size() > MAX_PATH) {
    result.error = ERROR_FILENAME_EXCED_RANGE;
    return result;
  }
  const std::string segmentName = SegmentName(name);
  const size_t mapSize = HeaderMapSize();
  for (;;) {
    int flags = O_RDWR | O_CLOEXEC | (mode == Mode::CreateOrOpen ? O_CREAT : 0);
    UniqueFd fd(shm_open(segmentName.c_str(), flags, 0600));
    if (fd.Get() < 0) {
      result.error = ErrorFromErrno(errno);
      return result;
    }
    LockByte(fd.Get(), kGuardByte, ByteLock::Exclusive, true);
    struct stat status;
    if (fstat(fd.Get(), &status) != 0) {
      result.error = ErrorFromErrno(errno);
      return result;
    }
    if (status.st_nlink == 0) continue;  // the last holder removed it meanwhile: look again

    const bool alone = LockByte(fd.Get(), kHolderByte, ByteLock::Exclusive, false);
    if (alone && mode == Mode::OpenExisting) {
      shm_unlink(segmentName.c_str());  // left over by a process that died: nobody has it open
      result.error = ERROR_FILE_NOT_FOUND;
      return result;
    }
    if (alone) {
      // New, or a leftover of a crashed process: start from zero either way.
      if (ftruncate(fd.Get(), 0) != 0 ||
          ftruncate(fd.Get(), static_cast<off_t>(kPayloadOffset + payloadSize)) != 0) {
        result.error = ErrorFromErrno(errno);
        shm_unlink(segmentName.c_str());
        return result;
      }
    } else if (static_cast<size_t>(status.st_size) < mapSize) {
      result.error = ERROR_INVALID_HANDLE;  // not one of ours
      return result;
    }
    void* address = mmap(nullptr, mapSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd.Get(), 0);
    if (address == MAP_FAILED) {
      result.error = ErrorFromErrno(errno);
      if (alone) shm_unlink(segmentName.c_str());
      return result;
    }
    auto* header = static_cast<SegmentHeader*>(address);
    if (alone) {
      header->kind = kind;
      header->payloadSize = payloadSize;
      std::memcpy(header->name, name.data(), name.size());
      InitSyncBlock(&header->sync);
      if (initialise) initialise(*header);
      std::atomic_ref<std::uint32_t>(header->magic).store(kMagic, std::memory_order_release);
    } else if (std::atomic_ref<std::uint32_t>(header->magic).load(std::memory_order_acquire) != kMagic ||
               header->kind != kind || std::string_view(header->name) != name) {
      // A name in use by an object of another kind, as Windows answers it.
      munmap(address, mapSize);
      result.error = ERROR_INVALID_HANDLE;
      return result;
    } else if (kind == NamedKind::FileMapping &&
               (static_cast<std::uint64_t>(status.st_size) < kPayloadOffset ||
                header->payloadSize > static_cast<std::uint64_t>(status.st_size) - kPayloadOffset)) {
      // The header is only the other processes' word: a segment cut short (or a size written over)
      // would let a view run past the end of the file, where every access faults.
      munmap(address, mapSize);
      result.error = ERROR_INVALID_HANDLE;
      return result;
    }
    LockByte(fd.Get(), kHolderByte, ByteLock::Shared, true);
    LockByte(fd.Get(), kGuardByte, ByteLock::Unlocked, true);
    result.existed = !alone;
    result.segment.reset(new NamedSegment(segmentName, fd.Release(), header));
    return result;
  }
}

NamedSegment::NamedSegment(std::string segmentName, int fd, SegmentHeader* header)
    : m_segmentName(std::move(segmentName)), m_fd(fd), m_header(header) {}

NamedSegment::~NamedSegment() {
  LockByte(m_fd, kGuardByte, ByteLock::Exclusive, true);
  LockByte(m_fd, kHolderByte, ByteLock::Unlocked, true);
  struct stat status;
  if (LockByte(m_fd, kHolderByte, ByteLock::Exclusive, false) && fstat(m_fd, &status) == 0 && status.st_nlink > 0) {
    shm_unlink(m_segmentName.c_str());
  }
  munmap(m_header, HeaderMapSize());
  close(m_fd);  // drops this process's locks
}

}  // namespace tolvar::kernel
