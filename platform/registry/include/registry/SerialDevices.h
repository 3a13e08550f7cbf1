#pragma once
// The serial device map: which device file stands behind each "COMn".
//
// HKEY_LOCAL_MACHINE "HARDWARE\DEVICEMAP\SERIALCOMM" lists one value per serial device (name = the
// device path such as "/dev/ttyUSB0", data = "COMn"): the devices found under /sys/class/tty (ttyS
// with a real UART, ttyUSB, ttyACM), then those registered here (pseudo-terminals of tests and of the
// simulated phone). A device keeps the name it was first given, stored in machine.reg under
// "SOFTWARE\Tolvar\Ports" and keyed by its stable identity (its /dev/serial/by-id link, else its
// path), so a phone that comes back on another ttyUSB keeps its COM name. New devices take the lowest
// free number from COM1.
//
// TOLVAR_SYSFS_ROOT and TOLVAR_DEVFS_ROOT replace "/sys" and "/dev" for tests with a fake tree.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tolvar::registry {

// Registers a device (typically a pseudo-terminal) so that it shows in SERIALCOMM, and returns its
// "COMn": the name it already has when it is registered or known, else the lowest free one. Returns
// "" when machine.reg cannot be read or written.
std::string RegisterSerialDevice(const std::string& devicePath);

// Removes a registration. A device known only by its path (no by-id link, as a pseudo-terminal) also
// gives its name back, so the next pseudo-terminal can have it.
void UnregisterSerialDevice(const std::string& devicePath);

// The device path behind a COM name ("COM3", any case), as listed in SERIALCOMM now.
std::optional<std::string> DevicePathForComName(std::string_view comName);

// SERIALCOMM as it stands now: (device path, "COMn") in enumeration order.
std::vector<std::pair<std::string, std::string>> ListSerialDevices();

}  // namespace tolvar::registry
