#pragma once
// Windows' serial time-out rules, worked out for one read or write before it starts.
#include <comm/Comm.h>

#include <cstdint>
#include <optional>

namespace tolvar::comm {

struct ReadPlan {
  bool returnAtOnce = false;                 // complete now with what is there, even nothing
  bool returnOnAny = false;                  // complete as soon as any bytes are there
  std::optional<std::uint64_t> totalMs;      // limit for the whole read, from its start
  std::optional<std::uint64_t> intervalMs;   // limit between two bytes, from the first byte
};

ReadPlan PlanRead(const COMMTIMEOUTS& timeouts, DWORD length);

// The total limit of a write, none when both write values are 0.
std::optional<std::uint64_t> PlanWrite(const COMMTIMEOUTS& timeouts, DWORD length);

}  // namespace tolvar::comm
