#pragma once
// The one wait loop behind WaitForSingleObject, WaitForMultipleObjects, MsgWaitForMultipleObjects,
// GetMessage and WaitMessage.
//
// A waiting thread sleeps in one futex_waitv call on its own wake word (bumped by Signalled() of the
// plain waitables it waits for, and by posts to its queue) and on the futex words of the shared
// waitables (events, mutexes, semaphores, whose state may be changed by another process). Each pass
// reads every word first, then tests the objects under their locks, then sleeps only while no word
// has changed, so no wake-up is lost and nothing polls.
#include <base/WinDef.h>
#include <kernel/Object.h>

#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace tolvar::kernel {

// A condition besides the objects (message-queue input), tested on every pass with no lock held.
struct WaitExtra {
  std::function<bool()> satisfied;
  std::function<std::optional<timespec>()> nextDue;  // when it may come true by itself (a timer)
};

// Waits as WaitForMultipleObjects does (WAIT_OBJECT_0 + i, WAIT_ABANDONED_0 + i, WAIT_TIMEOUT,
// WAIT_FAILED). With `extra`: returns WAIT_OBJECT_0 + objects.size() when it is satisfied; with
// `all`, the objects and the extra condition must hold together and the result is WAIT_OBJECT_0.
DWORD WaitForObjects(std::span<const std::shared_ptr<Waitable>> objects, bool all, DWORD milliseconds,
                     const WaitExtra* extra);

// The waitables behind handles, pseudo-handles included; false with ERROR_INVALID_HANDLE.
bool ResolveWaitables(const HANDLE* handles, DWORD count, std::vector<std::shared_ptr<Waitable>>& out);

}  // namespace tolvar::kernel
