#pragma once
// Version records of files on disk. Any program or library of the suite can be asked, loaded or not;
// Windows names ("Vezezudara.exe", "Handport.dll") find their Linux files.
#include <base/WinDef.h>

struct VS_FIXEDFILEINFO {
  DWORD dwSignature;  // 0xFEEF04BD
  DWORD dwStrucVersion;
  DWORD dwFileVersionMS;
  DWORD dwFileVersionLS;
  DWORD dwProductVersionMS;
  DWORD dwProductVersionLS;
  DWORD dwFileFlagsMask;
  DWORD dwFileFlags;
  DWORD dwFileOS;
  DWORD dwFileType;
  DWORD dwFileSubtype;
  DWORD dwFileDateMS;
  DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

// The buffer size GetFileVersionInfoA needs, or 0 with the last error set (ERROR_FILE_NOT_FOUND,
// ERROR_RESOURCE_DATA_NOT_FOUND, ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_INVALID_DATA). *handle is set to 0.
DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle);
inline DWORD GetFileVersionInfoSize(LPCSTR fileName, LPDWORD handle) { return GetFileVersionInfoSizeA(fileName, handle); }

// Fills `data` with the version record and room for its texts in UTF-8. A buffer smaller than
// GetFileVersionInfoSizeA asked for fails with ERROR_INSUFFICIENT_BUFFER.
BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD handle, DWORD size, LPVOID data);
inline BOOL GetFileVersionInfo(LPCSTR fileName, DWORD handle, DWORD size, LPVOID data) {
  return GetFileVersionInfoA(fileName, handle, size, data);
}

// "\\" gives VS_FIXEDFILEINFO, "\VarFileInfo\Translation" the language and code-page pairs (length in
// bytes), "\StringFileInfo\040904b0\Comments" a NUL-terminated UTF-8 text (length with the NUL).
// Keys are matched without regard to case.
BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* length);
inline BOOL VerQueryValue(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* length) {
  return VerQueryValueA(block, subBlock, buffer, length);
}
