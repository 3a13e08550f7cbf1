// How the five time-out values of a port turn into the rules of one read or write.
#include "Timeouts.h"

#include <gtest/gtest.h>

namespace {

using tolvar::comm::PlanRead;
using tolvar::comm::PlanWrite;

struct ReadCase {
  const char* name;
  COMMTIMEOUTS timeouts;
  DWORD length;
  bool atOnce;
  bool onAny;
  std::optional<std::uint64_t> total;
  std::optional<std::uint64_t> interval;
};

TEST(CommTimeouts, ReadRulesFollowWindowsCombinations) {
  const ReadCase cases[] = {
      {"all zero waits for every byte", {0, 0, 0, 0, 0}, 10, false, false, {}, {}},
      {"interval MAXDWORD alone returns at once", {MAXDWORD, 0, 0, 0, 0}, 10, true, false, {}, {}},
      {"MAXDWORD, MAXDWORD, N waits for the first byte up to N", {MAXDWORD, MAXDWORD, 300, 0, 0}, 10, false, true, 300, {}},
      {"interval MAXDWORD with totals returns on any byte", {MAXDWORD, 10, 100, 0, 0}, 5, false, true, 150, {}},
      {"MAXDWORD, MAXDWORD, MAXDWORD sets no limit", {MAXDWORD, MAXDWORD, MAXDWORD, 0, 0}, 10, false, false, {}, {}},
      {"total is multiplier times length plus constant", {0, 10, 100, 0, 0}, 10, false, false, 200, {}},
      {"interval and total together", {2, 0, 20, 0, 0}, 512, false, false, 20, 2},
      {"interval alone", {50, 0, 0, 0, 0}, 8, false, false, {}, 50},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto plan = PlanRead(c.timeouts, c.length);
    EXPECT_EQ(plan.returnAtOnce, c.atOnce);
    EXPECT_EQ(plan.returnOnAny, c.onAny);
    EXPECT_EQ(plan.totalMs, c.total);
    EXPECT_EQ(plan.intervalMs, c.interval);
  }
}

TEST(CommTimeouts, WriteLimitIsMultiplierTimesLengthPlusConstant) {
  EXPECT_EQ(PlanWrite({0, 0, 0, 0, 0}, 100), std::nullopt);
  EXPECT_EQ(PlanWrite({0, 0, 0, 2, 0}, 100), 200u);
  EXPECT_EQ(PlanWrite({0, 0, 0, 0, 1000}, 100), 1000u);
  // No wrap-around in 32 bits: the limit stays as long as asked.
  EXPECT_EQ(PlanWrite({0, 0, 0, MAXDWORD, 1}, 2), 2ull * MAXDWORD + 1);
}

}  // namespace
