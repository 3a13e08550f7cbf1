#pragma once
// Listing a folder: FindFirstFileA("folder\pattern"), FindNextFileA, FindClose.
//
// `*` and `?` match without regard to letter case, and "*.*" matches every name. Entries come sorted
// by name without regard to case, as NTFS lists them, with "." and ".." first (except at the root of
// a drive). A pattern that ends in ".exe" or ".dll" also matches the suite's programs and libraries
// by their Windows names and reports those names: "*.exe" finds "Linkwell" as "Linkwell.exe",
// "*.dll" finds "libHandport.so" as "Handport.dll".
#include <kernel/File.h>

#include <base/WinDef.h>

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};
using WIN32_FIND_DATA = WIN32_FIND_DATAA;
using LPWIN32_FIND_DATAA = WIN32_FIND_DATAA*;
using LPWIN32_FIND_DATA = WIN32_FIND_DATAA*;

// A search handle, or INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND (nothing matches) or
// ERROR_PATH_NOT_FOUND (no such folder).
HANDLE FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData);
inline HANDLE FindFirstFile(LPCSTR fileName, LPWIN32_FIND_DATAA findData) { return FindFirstFileA(fileName, findData); }
// FALSE with ERROR_NO_MORE_FILES after the last entry.
BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA findData);
inline BOOL FindNextFile(HANDLE find, LPWIN32_FIND_DATAA findData) { return FindNextFileA(find, findData); }
BOOL FindClose(HANDLE find);
