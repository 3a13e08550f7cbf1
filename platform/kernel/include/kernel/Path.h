#pragma once
// Paths as the suite writes them and as they lie on disk, the current directory and temporary files.
//
// The suite writes Windows paths: either separator, drive letters, names in any letter case, programs
// as "Daybook.exe". ToHostPath is the one place that turns such a path into a Linux path; every file,
// directory and process function of the layer goes through it.
#include <base/WinDef.h>

#include <string>
#include <string_view>

DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
inline DWORD GetCurrentDirectory(DWORD size, LPSTR buffer) { return GetCurrentDirectoryA(size, buffer); }
BOOL SetCurrentDirectoryA(LPCSTR path);
inline BOOL SetCurrentDirectory(LPCSTR path) { return SetCurrentDirectoryA(path); }
DWORD GetFullPathNameA(LPCSTR fileName, DWORD size, LPSTR buffer, LPSTR* filePart);
inline DWORD GetFullPathName(LPCSTR fileName, DWORD size, LPSTR buffer, LPSTR* filePart) {
  return GetFullPathNameA(fileName, size, buffer, filePart);
}
DWORD GetTempPathA(DWORD size, LPSTR buffer);
inline DWORD GetTempPath(DWORD size, LPSTR buffer) { return GetTempPathA(size, buffer); }
UINT GetTempFileNameA(LPCSTR pathName, LPCSTR prefix, UINT unique, LPSTR tempFileName);
inline UINT GetTempFileName(LPCSTR pathName, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  return GetTempFileNameA(pathName, prefix, unique, tempFileName);
}

// The drives are C (always there) and every other letter whose folder "drive_<letter>" exists in
// the home folder. Bit 0 is A; the strings are "C:\" and so on, each ended by a NUL, with one more
// NUL after the last.
DWORD GetLogicalDrives();
DWORD GetLogicalDriveStringsA(DWORD size, LPSTR buffer);
inline DWORD GetLogicalDriveStrings(DWORD size, LPSTR buffer) { return GetLogicalDriveStringsA(size, buffer); }

namespace tolvar::kernel {

// The Linux path for a path as the suite writes it:
// - "\" and "/" both separate; "C:\x" (any letter, "C:x" too) is "$TOLVAR_HOME/drive_c/x", and the
//   folder of drive C is made when missing, as drive C always exists on Windows;
// - names are matched without regard to letter case where the exact name does not exist, one path
//   component at a time, as Windows file names ignore case;
// - a last component in Windows module form ("Daybook.exe", "Handport.dll") that does not exist
//   finds the program or library under its disk name (MapModuleName).
// Components that exist in no form are kept as written, so the result also names files to create.
std::string ToHostPath(std::string_view path);

// The reverse, for paths the layer reports: a path inside a drive folder becomes "C:\x"; any other
// path is returned unchanged.
std::string ToWindowsPath(std::string_view hostPath);

}  // namespace tolvar::kernel
