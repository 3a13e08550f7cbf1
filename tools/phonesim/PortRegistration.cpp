#include "PortRegistration.h"

#include <registry/SerialDevices.h>

namespace phonesim {

PortRegistration::PortRegistration(std::string devicePath)
    : m_devicePath(std::move(devicePath)), m_comName(tolvar::registry::RegisterSerialDevice(m_devicePath)) {}

PortRegistration::~PortRegistration() {
  if (!m_comName.empty()) tolvar::registry::UnregisterSerialDevice(m_devicePath);
}

}  // namespace phonesim
