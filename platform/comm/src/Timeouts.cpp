#include "Timeouts.h"

namespace tolvar::comm {

ReadPlan PlanRead(const COMMTIMEOUTS& t, DWORD length) {
  ReadPlan plan;
  const std::uint64_t total = std::uint64_t{t.ReadTotalTimeoutMultiplier} * length + t.ReadTotalTimeoutConstant;
  if (t.ReadIntervalTimeout == MAXDWORD) {
    if (t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0) {
      plan.returnAtOnce = true;
    } else if (t.ReadTotalTimeoutMultiplier == MAXDWORD && t.ReadTotalTimeoutConstant != 0 &&
               t.ReadTotalTimeoutConstant != MAXDWORD) {
      // The multiplier only marks the mode here: the limit is the constant alone.
      plan.returnOnAny = true;
      plan.totalMs = t.ReadTotalTimeoutConstant;
    } else if (t.ReadTotalTimeoutMultiplier != MAXDWORD && t.ReadTotalTimeoutConstant != MAXDWORD) {
      plan.returnOnAny = true;
      plan.totalMs = total;
    }
    // Any other combination sets no limit at all: the read waits for every byte.
    return plan;
  }
  if (t.ReadTotalTimeoutMultiplier != 0 || t.ReadTotalTimeoutConstant != 0) plan.totalMs = total;
  if (t.ReadIntervalTimeout != 0) plan.intervalMs = t.ReadIntervalTimeout;
  return plan;
}

std::optional<std::uint64_t> PlanWrite(const COMMTIMEOUTS& t, DWORD length) {
  if (t.WriteTotalTimeoutMultiplier == 0 && t.WriteTotalTimeoutConstant == 0) return std::nullopt;
  return std::uint64_t{t.WriteTotalTimeoutMultiplier} * length + t.WriteTotalTimeoutConstant;
}

}  // namespace tolvar::comm
