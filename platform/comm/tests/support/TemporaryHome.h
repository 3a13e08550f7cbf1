#pragma once
#include <base/TemporaryHome.h>

namespace tolvar::comm::testing {
using tolvar::testing::TemporaryHome;
}  // namespace tolvar::comm::testing
