// CreateFileA("\\.\COMn") reaches the serial port behind COMn in the serial device map.
#include "SerialPort.h"

#include <kernel/File.h>
#include <kernel/Io.h>

#include <registry/SerialDevices.h>

#include <base/LastError.h>
#include <base/WinError.h>

namespace tolvar::comm {
namespace {

std::shared_ptr<kernel::IoObject> OpenComPort(const kernel::DeviceOpenRequest& request) {
  auto path = registry::DevicePathForComName(request.name);
  if (!path) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  DWORD error = ERROR_SUCCESS;
  auto port = SerialPort::Open(*path, (request.flagsAndAttributes & FILE_FLAG_OVERLAPPED) != 0, error);
  if (!port) SetLastError(error);
  return port;
}

// Registered when the library is loaded: by the program's own link, or by the kernel, which loads
// this module when a COM device is asked for before any opener was registered.
const bool g_registered = [] {
  kernel::RegisterDeviceOpener("COM", OpenComPort);
  return true;
}();

}  // namespace
}  // namespace tolvar::comm
