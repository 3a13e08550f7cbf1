#pragma once
// The candidate ports for a phone: the serial device map (HKEY_LOCAL_MACHINE
// "HARDWARE\DEVICEMAP\SERIALCOMM"), with a phone's separate modem and data ports joined into one row,
// less the ports that cannot be opened now.
#include <string>
#include <vector>

struct PortRow {
  std::string probePort;   // "COMn" on which the phone is probed (its modem port)
  std::string reportPort;  // "COMn" reported to the client and used for the relay (its data port)
  std::string deviceName;  // the name under which the port is registered
  bool operator==(const PortRow&) const = default;
};

using PortList = std::vector<PortRow>;

// The maker's USB vendor id as device keys spell it.
constexpr char PHONE_VENDOR_ID[] = "VID_2F3A";

// Empties `ports` and fills it with the rows of the ports that exist and can be opened now. Ports
// are listed on systems of major version 4 and 5 only; on version 4 the device keys below
// "Enum\WDM_MODEM" join modem and data ports (ScanDeviceEnumKey).
void DiscoverSerialPorts(PortList& ports);

// Walks the device keys below HKEY_LOCAL_MACHINE "Enum\<keyPath>" depth first: each "PORTNAME" value
// gives its port to the row named after the key's instance (the text after the key path's last
// "&"), as the probe port below a modem key and as the report port below an "OBEX" key, and rows
// named after the port take the instance as their name.
void ScanDeviceEnumKey(const std::string& keyPath, PortList& ports);
