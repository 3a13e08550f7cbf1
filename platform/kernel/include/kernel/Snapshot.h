#pragma once
// Process snapshots: the processes running when the snapshot was taken, read from /proc.
//
// Every program is listed by its Windows name, the file name of its program with ".exe" added
// ("Linkwell" runs as "Linkwell.exe"), as Windows lists executables.
#include <base/WinDef.h>

constexpr DWORD TH32CS_SNAPPROCESS = 0x00000002;

struct PROCESSENTRY32 {
  DWORD dwSize;
  DWORD cntUsage;
  DWORD th32ProcessID;
  ULONG_PTR th32DefaultHeapID;
  DWORD th32ModuleID;
  DWORD cntThreads;
  DWORD th32ParentProcessID;
  LONG pcPriClassBase;
  DWORD dwFlags;
  CHAR szExeFile[MAX_PATH];
};
using LPPROCESSENTRY32 = PROCESSENTRY32*;

// Only TH32CS_SNAPPROCESS is kept; other kinds fail with ERROR_INVALID_PARAMETER. `processId` is
// not used for process snapshots, as on Windows.
HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
// `dwSize` must be at least sizeof(PROCESSENTRY32) (else ERROR_BAD_LENGTH). FALSE with
// ERROR_NO_MORE_FILES after the last process.
BOOL Process32First(HANDLE snapshot, LPPROCESSENTRY32 entry);
BOOL Process32Next(HANDLE snapshot, LPPROCESSENTRY32 entry);

namespace tolvar::kernel {
// Whether the process runs as the calling process's user (its real user). A snapshot lists every
// user's processes, as on Windows; a program that looks for the suite's programs by name asks this
// as well, so that a program of the same name that another user runs on the machine is never taken
// for its own. False for a process that is gone.
bool IsProcessOfThisUser(DWORD processId);
}  // namespace tolvar::kernel
