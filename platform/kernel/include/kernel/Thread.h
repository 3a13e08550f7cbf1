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

constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

// A thread's priority is kept with the thread and read back, but the scheduler is not asked: an
// unprivileged Linux thread cannot raise its niceness again once lowered, and the suite's workers
// only ever ask for the normal level. A value outside the levels above fails with
// ERROR_INVALID_PARAMETER; GetThreadPriority of a bad handle gives THREAD_PRIORITY_ERROR_RETURN.
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);

// The pseudo-handle (HANDLE)-2 that means "the calling thread" to the functions that take a thread.
inline HANDLE GetCurrentThread() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2)); }
