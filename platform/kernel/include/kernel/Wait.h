#pragma once
// Waiting for kernel objects: events, mutexes, semaphores, threads, processes.
#include <base/WinDef.h>

constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_ABANDONED_0 = 0x00000080;
constexpr DWORD WAIT_ABANDONED = WAIT_ABANDONED_0;
// WAIT_TIMEOUT (258) is in <base/WinError.h>, where Windows has it too.
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// WAIT_OBJECT_0 when signalled (and taken), WAIT_ABANDONED for a mutex whose owner ended owning it,
// WAIT_TIMEOUT, or WAIT_FAILED with the last error set.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// Wait-any returns WAIT_OBJECT_0 + the lowest index that is signalled; wait-all takes every object at
// once and returns WAIT_OBJECT_0 (or WAIT_ABANDONED_0 + the index of an abandoned mutex). At most
// MAXIMUM_WAIT_OBJECTS handles; one object twice in a wait-all fails with ERROR_INVALID_PARAMETER.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);
