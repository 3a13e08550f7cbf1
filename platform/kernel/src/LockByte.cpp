#include <kernel/LockByte.h>

#include <cerrno>
#include <fcntl.h>

namespace tolvar::kernel {

bool LockByte(int fd, long long byte, ByteLock kind, bool wait) {
  struct flock range = {};
  range.l_type = kind == ByteLock::Shared ? F_RDLCK : kind == ByteLock::Exclusive ? F_WRLCK : F_UNLCK;
  range.l_whence = SEEK_SET;
  range.l_start = static_cast<off_t>(byte);
  range.l_len = 1;
  while (fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &range) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

}  // namespace tolvar::kernel
