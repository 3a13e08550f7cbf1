#pragma once
// The device openers registered with RegisterDeviceOpener, for CreateFileA.
#include <kernel/Io.h>

#include <string_view>

namespace tolvar::kernel {

// True for "\\.\NAME" and "//./NAME"; `name` receives NAME.
bool IsDevicePath(std::string_view path, std::string_view* name);

// Opens a device through the opener registered for its name: nullptr with the last error set when
// that fails or when no opener claims the name (ERROR_FILE_NOT_FOUND).
std::shared_ptr<IoObject> OpenDevice(const DeviceOpenRequest& request);

}  // namespace tolvar::kernel
