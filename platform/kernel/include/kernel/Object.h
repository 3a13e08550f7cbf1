#pragma once
// Kernel objects and the process's handle table. Every HANDLE the layer gives out names an Object in
// this table; modules above the kernel (serial ports, sockets) add their own kinds of Object.
#include <base/WinDef.h>

#include <cstdint>
#include <memory>
#include <string>

namespace tolvar::kernel {

enum class ObjectType {
  Event, Mutex, Semaphore, Thread, Process, File, FileMapping, Find, Snapshot, Device, Other
};

class Object : public std::enable_shared_from_this<Object> {
public:
  virtual ~Object() = default;
  virtual ObjectType Type() const = 0;

  // Called when a handle of the object is closed, before the table lets go of it. A device, which
  // has one handle, ends its pending transfers here as Windows does when its handle goes, including
  // a transfer another thread is still blocked in (that thread holds the object until it returns).
  virtual void HandleClosed() {}
};

// An object a thread can wait on with WaitForSingleObject and its relatives.
//
// The wait functions call IsSignalled() and Acquire() while holding the process's wait lock, so the
// test and the taking happen as one step. An object whose state changes to signalled calls
// Signalled() afterwards so that the threads waiting on it look again.
class Waitable : public Object {
public:
  // True when a wait on the object would be satisfied now. `threadId` is the waiting thread
  // (a mutex it already owns is signalled for it).
  virtual bool IsSignalled(DWORD threadId) const = 0;

  // Takes the signal for `threadId`: resets an auto-reset event, takes ownership of a mutex, takes one
  // count of a semaphore. Returns WAIT_OBJECT_0, or WAIT_ABANDONED_0 for a mutex whose owner died.
  // The default takes nothing: right for objects that stay signalled (threads, processes).
  virtual DWORD Acquire(DWORD threadId);

protected:
  // Wakes every thread waiting on this object. Safe to call from any thread, with no lock held.
  void Signalled();
};

// A waitable whose state lives in a block that may be shared with other processes (the events,
// mutexes and semaphores). Such an object is not woken through Signalled(): its state has a lock
// of its own, and a 32-bit futex word that changes whenever the object may have become signalled,
// so that waiters in any process sleep on the word without polling.
class SharedWaitable : public Waitable {
public:
  // The state lock, held around IsSignalled() and Acquire(). A wait for several objects takes their
  // locks in the order of OrderKey(), which is the same in every process.
  virtual void LockState() = 0;
  virtual void UnlockState() = 0;
  virtual const std::string& OrderKey() const = 0;

  // The futex word to sleep on and its value now, read before the state is tested: a change in
  // between cuts the sleep short.
  struct Watch {
    const std::uint32_t* word;
    std::uint32_t value;
  };
  virtual Watch WatchWord() = 0;

  // Called when a wait that included this object ends without taking it, so that a wake-up meant
  // for one waiter is not lost with a waiter that no longer needs it.
  virtual void PassOnWake() {}
};

// Handle table ------------------------------------------------------------------------------------

// Adds an object to the table and returns its new handle (never NULL or INVALID_HANDLE_VALUE).
HANDLE InsertHandle(std::shared_ptr<Object> object);

// The object a handle names, or nullptr with ERROR_INVALID_HANDLE set.
std::shared_ptr<Object> LookupHandle(HANDLE handle);

void SetInvalidHandleError();

// The object a handle names when it is of type T, else nullptr with ERROR_INVALID_HANDLE set.
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE handle) {
  auto object = LookupHandle(handle);
  auto typed = std::dynamic_pointer_cast<T>(object);
  if (object && !typed) SetInvalidHandleError();
  return typed;
}

// Removes a handle from the table; the object lives on while other handles or users hold it.
bool RemoveHandle(HANDLE handle);

}  // namespace tolvar::kernel

BOOL CloseHandle(HANDLE handle);
