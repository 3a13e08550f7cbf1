#pragma once
// A run's time beside the time its bytes need on the wire, as counters and a printed line.
#include "WireLog.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace wire_log {

inline void Report(benchmark::State& state, const char* what, double seconds, long long bytes) {
  const double wire = static_cast<double>(bytes) / kWireBytesPerSecond;
  state.counters[std::string(what) + "_s"] = seconds;
  state.counters[std::string(what) + "_wire_s"] = wire;
  state.counters[std::string(what) + "_ratio"] = wire > 0 ? seconds / wire : 0;
  std::printf("%s: %.2f s; %lld bytes on the wire, %.2f s at 11,520 bytes/s; ratio %.2f\n", what, seconds, bytes, wire,
              wire > 0 ? seconds / wire : 0.0);
}

}  // namespace wire_log
