#pragma once
// Lists the phone's device as a COM port of the current home for as long as the simulator runs,
// so that the suite finds it the way it finds a real serial port. The name is given back at the
// end, so that a later pseudo-terminal on the same path starts afresh.
#include <string>

namespace phonesim {

class PortRegistration {
 public:
  explicit PortRegistration(std::string devicePath);
  ~PortRegistration();
  PortRegistration(const PortRegistration&) = delete;
  PortRegistration& operator=(const PortRegistration&) = delete;

  // "COMn", or empty when the registry could not take the device.
  const std::string& ComName() const { return m_comName; }

  // The device now stands at `devicePath` (a pseudo-terminal made anew) under the same COM name,
  // as a phone plugged in again keeps its name. False when the registry did not take it.
  bool Move(const std::string& devicePath);

 private:
  std::string m_devicePath;
  std::string m_comName;
};

}  // namespace phonesim
