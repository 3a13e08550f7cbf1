#include "Futex.h"

#include <cerrno>
#include <climits>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tolvar::kernel::futex {

bool WaitAny(std::span<const WaitOn> words, const std::optional<timespec>& deadline) {
  futex_waitv waiters[FUTEX_WAITV_MAX] = {};
  size_t count = std::min<size_t>(words.size(), FUTEX_WAITV_MAX);
  for (size_t i = 0; i < count; ++i) {
    waiters[i].val = words[i].value;
    waiters[i].uaddr = reinterpret_cast<std::uintptr_t>(words[i].word);
    waiters[i].flags = FUTEX_32 | (words[i].shared ? 0 : FUTEX_PRIVATE_FLAG);
  }
  const timespec* limit = deadline ? &*deadline : nullptr;
  long result = syscall(SYS_futex_waitv, waiters, count, 0, limit, CLOCK_MONOTONIC);
  // EAGAIN (a word changed), EINTR (a signal) and a wake-up all mean: look again.
  return !(result < 0 && errno == ETIMEDOUT);
}

void WakeAll(const std::uint32_t* word, bool shared) {
  syscall(SYS_futex, word, shared ? FUTEX_WAKE : FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

timespec Now() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now;
}

timespec After(std::uint64_t milliseconds) {
  timespec t = Now();
  t.tv_sec += static_cast<time_t>(milliseconds / 1000);
  t.tv_nsec += static_cast<long>((milliseconds % 1000) * 1000000);
  if (t.tv_nsec >= 1000000000) {
    t.tv_sec += 1;
    t.tv_nsec -= 1000000000;
  }
  return t;
}

bool Before(const timespec& a, const timespec& b) {
  return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

std::uint64_t MillisecondsUntil(const timespec& when) {
  timespec now = Now();
  if (!Before(now, when)) return 0;
  std::int64_t ns = (when.tv_sec - now.tv_sec) * 1000000000LL + (when.tv_nsec - now.tv_nsec);
  return static_cast<std::uint64_t>((ns + 999999) / 1000000);
}

}  // namespace tolvar::kernel::futex
