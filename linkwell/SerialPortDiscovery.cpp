#include "SerialPortDiscovery.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/File.h>
#include <kernel/Object.h>
#include <kernel/UniqueHandle.h>
#include <kernel/Version.h>
#include <registry/WinReg.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <string_view>

namespace {

constexpr char kSerialComm[] = "HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr char kEnumRoot[] = "Enum";
constexpr DWORD kNameSize = 256;  // names and data of values and keys, as the device map holds them

bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Value data as text: up to its first NUL.
std::string DataText(const BYTE* data, DWORD size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  return std::string(bytes.substr(0, bytes.find('\0')));
}

// Calls `each` with the name and text data of every value of `key`, in enumeration order.
void ForEachValue(HKEY key, const std::function<void(const std::string&, const std::string&)>& each) {
  for (DWORD index = 0;; ++index) {
    char name[kNameSize + 1];
    DWORD nameSize = sizeof name;
    BYTE data[kNameSize];
    DWORD dataSize = sizeof data;
    const LSTATUS status = RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, data, &dataSize);
    if (status == ERROR_MORE_DATA) continue;  // longer than any port or device name: not one
    if (status != ERROR_SUCCESS) return;
    each(std::string(name, nameSize), DataText(data, dataSize));
  }
}

// A value named after a phone's modem ("MDM") or data ("OBX") port joins the row of the same
// device: the row whose name holds the texts before and after the tag.
PortRow* PairedRow(PortList& ports, const std::string& deviceName, std::string_view tag) {
  const std::size_t at = deviceName.find(tag);
  if (at == std::string::npos) return nullptr;
  const std::string before = deviceName.substr(0, at);
  const std::string after = deviceName.substr(at + tag.size());
  for (PortRow& row : ports) {
    if (Contains(row.deviceName, before) && Contains(row.deviceName, after)) return &row;
  }
  return nullptr;
}

bool CanOpen(const std::string& port) {
  const std::string device = "\\\\.\\" + port;
  const tolvar::kernel::UniqueHandle handle(
      CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  return static_cast<bool>(handle);
}

DWORD MajorVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) ? info.dwMajorVersion : 0;
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// The port of a "PORTNAME" value found below `keyPath` (the full path, "Enum\..."), given to the
// rows: see ScanDeviceEnumKey.
void GivePort(const std::string& keyPath, const std::string& port, PortList& ports) {
  const std::size_t amp = keyPath.rfind('&');
  const std::string instance = amp == std::string::npos ? keyPath : keyPath.substr(amp + 1);
  const bool dataPort = Contains(keyPath, "OBEX");
  for (std::size_t i = 0; i < ports.size(); ++i) {
    PortRow& row = ports[i];
    if (row.deviceName == instance) {
      std::string PortRow::*field = dataPort ? &PortRow::reportPort : &PortRow::probePort;
      row.*field = port;
      // The port now belongs to this device's row: the row that stood for it alone goes.
      for (std::size_t j = 0; j < ports.size();) {
        if (j != i && ports[j].*field == port) {
          ports.erase(ports.begin() + static_cast<std::ptrdiff_t>(j));
          if (j < i) --i;
        } else {
          ++j;
        }
      }
    } else if (row.deviceName == port) {
      row.deviceName = instance;
    }
  }
}

}  // namespace

void ScanDeviceEnumKey(const std::string& keyPath, PortList& ports) {
  const std::string fullPath = std::string(kEnumRoot) + "\\" + keyPath;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, fullPath.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS) return;
  for (DWORD index = 0;; ++index) {
    char name[kNameSize + 1];
    DWORD nameSize = sizeof name;
    const LSTATUS status = RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) break;
    const std::string subkey(name, nameSize);
    const std::string upper = Upper(subkey);
    if (Contains(upper, PHONE_VENDOR_ID) && (Contains(upper, "MODEM") || Contains(upper, "OBEX"))) {
      ScanDeviceEnumKey(keyPath + "\\" + subkey, ports);
    }
  }
  RegCloseKey(key);
  const LSTATUS opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, fullPath.c_str(), 0, KEY_QUERY_VALUE, &key);
  if (opened != ERROR_SUCCESS) {
    SetLastError(static_cast<DWORD>(opened));
    return;
  }
  ForEachValue(key, [&](const std::string& name, const std::string& data) {
    if (name == "PORTNAME") GivePort(fullPath, data, ports);
  });
  RegCloseKey(key);
}

void DiscoverSerialPorts(PortList& ports) {
  ports.clear();
  const DWORD major = MajorVersion();
  if (major != 4 && major != 5) return;

  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSerialComm, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    ForEachValue(key, [&](const std::string& deviceName, const std::string& port) {
      if (Contains(deviceName, "ATC")) return;
      if (PortRow* row = PairedRow(ports, deviceName, "MDM")) {
        row->probePort = port;
      } else if (PortRow* dataRow = PairedRow(ports, deviceName, "OBX")) {
        dataRow->reportPort = port;
      } else {
        ports.push_back({port, port, deviceName});
      }
    });
    RegCloseKey(key);
  }

  if (major == 4) ScanDeviceEnumKey("WDM_MODEM", ports);

  std::erase_if(ports, [](const PortRow& row) {
    const bool tagged = Contains(row.deviceName, "MDM") || Contains(row.deviceName, "OBX");
    if (tagged && row.probePort == row.reportPort) return true;  // half of a phone whose other half is missing
    if (!CanOpen(row.reportPort)) return true;
    return row.probePort != row.reportPort && !CanOpen(row.probePort);
  });
}
