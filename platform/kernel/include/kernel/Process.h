#pragma once
// Processes: starting programs, their exit codes, ending them.
//
// CreateProcessA finds a program as Windows does: by the name given (its Windows form,
// "Linkwell.exe", turned into the disk form by MapModuleName), in the folder of the running program,
// then the current directory, then the folders of PATH; ".exe" is assumed when the name has no
// extension. The program's GetCommandLineA gives back exactly the command line passed here.
//
// A process handle is waitable and signalled when the process has ended. The thread handle stands
// for the program's main thread and is signalled at the same time; its id is the process id, as the
// main thread's id on Linux is. An exit code is the value the program passed to ExitProcess or
// returned from main (0 to 255 on Linux), the value given to TerminateProcess, or for a crash the
// Windows exception code (0xC0000005 for a memory fault).
#include <kernel/Thread.h>  // STILL_ACTIVE, shared with threads

#include <base/WinDef.h>

// Accepted; a program of the suite has no console and one priority.
constexpr DWORD CREATE_NEW_CONSOLE = 0x00000010;
constexpr DWORD NORMAL_PRIORITY_CLASS = 0x00000020;

constexpr DWORD STARTF_USESHOWWINDOW = 0x00000001;

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
using STARTUPINFO = STARTUPINFOA;
using LPSTARTUPINFOA = STARTUPINFOA*;
using LPSTARTUPINFO = STARTUPINFOA*;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// Fails with ERROR_FILE_NOT_FOUND when no program is found, ERROR_DIRECTORY when `currentDirectory`
// is not a folder, ERROR_BAD_EXE_FORMAT when the file cannot be run. `environment` is a block of
// "NAME=value" strings ending with an empty one, or NULL for the caller's environment.
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION processInformation);
inline BOOL CreateProcess(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                          LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                          LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                          LPPROCESS_INFORMATION processInformation) {
  return CreateProcessA(applicationName, commandLine, processAttributes, threadAttributes, inheritHandles,
                        creationFlags, environment, currentDirectory, startupInfo, processInformation);
}

// STILL_ACTIVE while the process runs.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
// Ends the process with `exitCode`; fails with ERROR_ACCESS_DENIED when it has already ended.
BOOL TerminateProcess(HANDLE process, UINT exitCode);
[[noreturn]] void ExitProcess(UINT exitCode);
DWORD GetCurrentProcessId();
// The pseudo-handle (HANDLE)-1, which names the calling process in the functions above.
HANDLE GetCurrentProcess();
