#pragma once
// Threads. A thread's id is its Linux thread id, unique across processes. Thread handles are
// waitable and signalled when the thread has ended. There is no suspended start and no
// TerminateThread: a worker is asked to stop and then waited for.
#include <base/WinDef.h>

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);
using PTHREAD_START_ROUTINE = LPTHREAD_START_ROUTINE;

constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD CREATE_SUSPENDED = 0x00000004;
constexpr DWORD STACK_SIZE_PARAM_IS_A_RESERVATION = 0x00010000;

// `stackSize` 0 gives the default stack; CREATE_SUSPENDED is refused with ERROR_INVALID_PARAMETER.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId);

// Ends the calling thread with `exitCode`; destructors of the frames it leaves run.
[[noreturn]] void ExitThread(DWORD exitCode);

// STILL_ACTIVE while the thread runs, then its exit code.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);

DWORD GetCurrentThreadId();

// The pseudo-handle (HANDLE)-2 that means "the calling thread" to the functions that take a thread.
inline HANDLE GetCurrentThread() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2)); }
