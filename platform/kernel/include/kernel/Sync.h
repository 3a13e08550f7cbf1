#pragma once
// Events, mutexes and semaphores, unnamed or named. Named objects are shared by every process of the
// same user and home folder (see NamedSegment in the sources); a Create call that opens an existing
// object succeeds with the last error ERROR_ALREADY_EXISTS, and a name held by an object of another
// kind fails with ERROR_INVALID_HANDLE. Access masks are accepted as given: every handle may do
// everything with its object.
#include <base/WinDef.h>

constexpr DWORD SYNCHRONIZE = 0x00100000;
constexpr DWORD EVENT_MODIFY_STATE = 0x0002;
constexpr DWORD EVENT_ALL_ACCESS = 0x001F0003;
constexpr DWORD MUTEX_MODIFY_STATE = 0x0001;
constexpr DWORD MUTEX_ALL_ACCESS = 0x001F0001;
constexpr DWORD SEMAPHORE_MODIFY_STATE = 0x0002;
constexpr DWORD SEMAPHORE_ALL_ACCESS = 0x001F0003;

// An auto-reset event lets exactly one waiter through per SetEvent; a manual-reset one lets all
// through until ResetEvent.
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
inline HANDLE CreateEvent(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name) {
  return CreateEventA(attributes, manualReset, initialState, name);
}
HANDLE OpenEventA(DWORD access, BOOL inheritHandle, LPCSTR name);
inline HANDLE OpenEvent(DWORD access, BOOL inheritHandle, LPCSTR name) {
  return OpenEventA(access, inheritHandle, name);
}
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// Mutexes are owned by a thread, recursively. A mutex whose owner thread ends (or whose owner's
// process dies) while owning it goes to the next waiter with WAIT_ABANDONED.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);
inline HANDLE CreateMutex(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name) {
  return CreateMutexA(attributes, initialOwner, name);
}
HANDLE OpenMutexA(DWORD access, BOOL inheritHandle, LPCSTR name);
inline HANDLE OpenMutex(DWORD access, BOOL inheritHandle, LPCSTR name) {
  return OpenMutexA(access, inheritHandle, name);
}
// Fails with ERROR_NOT_OWNER when the calling thread does not own the mutex.
BOOL ReleaseMutex(HANDLE mutex);

HANDLE CreateSemaphoreA(LPSECURITY_ATTRIBUTES attributes, LONG initialCount, LONG maximumCount, LPCSTR name);
inline HANDLE CreateSemaphore(LPSECURITY_ATTRIBUTES attributes, LONG initialCount, LONG maximumCount,
                              LPCSTR name) {
  return CreateSemaphoreA(attributes, initialCount, maximumCount, name);
}
// Adds `releaseCount` and reports the count before; fails with ERROR_TOO_MANY_POSTS, changing
// nothing, when that would pass the maximum.
BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LPLONG previousCount);
