#include "PortRegistration.h"

#include <registry/SerialDevices.h>
#include <registry/WinReg.h>

namespace phonesim {

PortRegistration::PortRegistration(std::string devicePath)
    : m_devicePath(std::move(devicePath)), m_comName(tolvar::registry::RegisterSerialDevice(m_devicePath)) {}

PortRegistration::~PortRegistration() {
  if (!m_comName.empty()) tolvar::registry::UnregisterSerialDevice(m_devicePath);
}

bool PortRegistration::Move(const std::string& devicePath) {
  if (m_comName.empty()) return false;
  if (devicePath == m_devicePath) return true;
  // The new path is entered under the old name before the old path gives the name back, so that no
  // other device can take the name in between; registering it then keeps the name it found.
  HKEY map = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_SET_VALUE, &map) != ERROR_SUCCESS) {
    return false;
  }
  const LSTATUS set = RegSetValueExA(map, devicePath.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(m_comName.c_str()),
                                     static_cast<DWORD>(m_comName.size() + 1));
  RegCloseKey(map);
  if (set != ERROR_SUCCESS) return false;
  tolvar::registry::UnregisterSerialDevice(m_devicePath);
  m_devicePath = devicePath;
  const std::string name = tolvar::registry::RegisterSerialDevice(m_devicePath);
  if (name == m_comName) return true;
  m_comName = name;  // the registry could not keep it; whatever it gave is what the device has now
  return false;
}

}  // namespace phonesim
