#pragma once
// The zones the time conversions are tested in: UTC, a half-hour zone, and a zone with daylight
// saving time (changes on the last Sundays of March and October). POSIX rules: no zone database.
#include <base/ScopedTimeZone.h>

using ZoneGuard = tolvar::testing::ScopedTimeZone;

inline constexpr const char* kTestZones[] = {"UTC0", "IST-5:30", "CET-1CEST,M3.5.0,M10.5.0/3"};
