#pragma once
// The Windows version the layer reports: Windows XP, NT 5.1 build 2600, so the suite takes its XP
// paths on every machine.
//
// For tests of version-dependent code, the environment variable TOLVAR_WINDOWS_VERSION gives another
// version as "major.minor[.build][:platform]", e.g. "4.0" (NT 4.0) or "4.10.1998:1" (the 9x family,
// VER_PLATFORM_WIN32_WINDOWS). The platform defaults to NT; a value that does not parse is ignored.
#include <base/WinDef.h>

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
constexpr BYTE VER_NT_WORKSTATION = 1;

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
using OSVERSIONINFO = OSVERSIONINFOA;
using LPOSVERSIONINFOA = OSVERSIONINFOA*;
using LPOSVERSIONINFO = OSVERSIONINFOA*;

struct OSVERSIONINFOEXA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
using OSVERSIONINFOEX = OSVERSIONINFOEXA;
using LPOSVERSIONINFOEXA = OSVERSIONINFOEXA*;

// Low byte the major version, next byte the minor; the high word the build, with bit 31 set for the
// 9x family.
DWORD GetVersion();
// `dwOSVersionInfoSize` must be the size of OSVERSIONINFOA or OSVERSIONINFOEXA, else the call fails
// with ERROR_INSUFFICIENT_BUFFER. The EX fields are filled when the size says they are there.
BOOL GetVersionExA(LPOSVERSIONINFOA info);
inline BOOL GetVersionEx(LPOSVERSIONINFOA info) { return GetVersionExA(info); }
inline BOOL GetVersionExA(LPOSVERSIONINFOEXA info) { return GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(info)); }
inline BOOL GetVersionEx(LPOSVERSIONINFOEXA info) { return GetVersionExA(info); }
