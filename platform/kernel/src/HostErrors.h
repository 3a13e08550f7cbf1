#pragma once
// Turning the errno of a failed Linux call into the Win32 error the same failure gives on Windows.
#include <base/WinDef.h>

#include <string>

namespace tolvar::kernel {

// The Win32 error for an errno. ENOENT is ERROR_FILE_NOT_FOUND here; use NotFoundError where the
// difference between a missing file and a missing folder matters.
DWORD Win32ErrorFromErrno(int error);

// ERROR_PATH_NOT_FOUND when the folder that would hold `hostPath` is missing, else ERROR_FILE_NOT_FOUND.
DWORD NotFoundError(const std::string& hostPath);

// The Win32 error for a failed call on `hostPath`, telling a missing folder from a missing file.
DWORD Win32ErrorForPath(const std::string& hostPath, int error);

// Sets the last error for a failed call on `hostPath` from errno, telling a missing folder from a
// missing file. Returns the error set.
DWORD SetLastErrorFromErrno(const std::string& hostPath, int error);

}  // namespace tolvar::kernel
