#pragma once
// The values of HKEY_LOCAL_MACHINE "HARDWARE\DEVICEMAP\SERIALCOMM" as they stand now: the serial
// devices of the machine (naming new ones in machine.reg), then the values stored in the key.
#include "RegKey.h"

#include <vector>

namespace tolvar::registry {

DWORD SerialCommValues(std::vector<RegValue>& values);

}  // namespace tolvar::registry
