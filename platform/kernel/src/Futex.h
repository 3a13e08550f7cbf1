#pragma once
// Futex calls the wait machinery uses. Words in private memory (a thread's own wake word) use the
// private futex operations; words that another process may touch use the shared ones. The
// process-shared pthread mutexes and the kernel's robust-futex clean-up wake with the shared
// operations, so every word of an object's state block is waited on as shared.
#include <atomic>
#include <cstdint>
#include <ctime>
#include <optional>
#include <span>

namespace tolvar::kernel::futex {

struct WaitOn {
  const std::uint32_t* word;
  std::uint32_t value;  // sleep only while the word still holds this
  bool shared;
};

// Sleeps until one of the words is woken or no longer holds its value, or until `deadline`
// (CLOCK_MONOTONIC; none waits without limit). At most 128 words. Returns false on time-out.
bool WaitAny(std::span<const WaitOn> words, const std::optional<timespec>& deadline);

void WakeAll(const std::uint32_t* word, bool shared);

inline const std::uint32_t* Address(const std::atomic<std::uint32_t>& word) {
  static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t));
  return reinterpret_cast<const std::uint32_t*>(&word);
}

// CLOCK_MONOTONIC now, and a deadline `milliseconds` from now.
timespec Now();
timespec After(std::uint64_t milliseconds);
// Milliseconds from now until `when`, 0 when it has passed.
std::uint64_t MillisecondsUntil(const timespec& when);
bool Before(const timespec& a, const timespec& b);

}  // namespace tolvar::kernel::futex
