#pragma once
// What the kernel keeps for each thread that uses it: the thread's id, its wake word (the futex word
// every wait of the thread sleeps on besides the objects' own words), its message queue, the mutexes
// it owns, and its thread object. A record exists from the thread's first kernel call to its end.
#include <base/WinDef.h>
#include <kernel/MessageQueue.h>
#include <kernel/Object.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace tolvar::kernel {

class ThreadQueue;
class MutexObject;

// The waitable object of a thread: signalled when the thread has ended.
class ThreadObject : public Waitable {
public:
  explicit ThreadObject(DWORD id) : m_id(id) {}
  ObjectType Type() const override { return ObjectType::Thread; }
  bool IsSignalled(DWORD) const override { return m_ended.load(); }

  DWORD Id() const { return m_id; }
  void SetId(DWORD id) { m_id = id; }
  DWORD ExitCode() const { return m_exitCode.load(); }  // STILL_ACTIVE while it runs
  void Finish(DWORD exitCode);
  int Priority() const { return m_priority.load(); }
  void SetPriority(int priority) { m_priority.store(priority); }

private:
  DWORD m_id;
  std::atomic<int> m_priority{0};
  std::atomic<DWORD> m_exitCode{259};
  std::atomic<bool> m_ended{false};
};

class ThreadRecord {
public:
  explicit ThreadRecord(DWORD id);
  ~ThreadRecord();

  DWORD Id() const { return m_id; }

  // The thread's wake word: anything the thread may be waiting for bumps it and wakes the thread.
  const std::uint32_t* WakeWord() const;
  std::uint32_t WakeValue() const { return m_wake.load(); }
  void Wake();

  // The thread's own queue, made on first use; only the thread itself calls this.
  ThreadQueue& Queue();

  // From any thread: adds a posted message to the queue (making it), or tells the queue that the
  // queue extension holds something for the thread (QS_ bits), and wakes the thread. False once the
  // thread has ended.
  bool Post(const MSG& message);
  bool Notify(DWORD wakeBits);

  std::shared_ptr<ThreadObject> Object();
  void AttachObject(std::shared_ptr<ThreadObject> object);

  // Mutexes the thread owns; only the thread itself changes the list.
  void AddOwned(std::shared_ptr<MutexObject> mutex);
  void RemoveOwned(const MutexObject* mutex);

  // Runs once, on the thread, when it ends: abandons the mutexes it still owns, drops its queue and
  // timers, and signals its thread object with `exitCode`.
  void End(DWORD exitCode);
  bool Ended() const { return m_ended.load(); }

  DWORD pendingExitCode = 259;  // set by ExitThread before it unwinds

private:
  const DWORD m_id;
  std::atomic<std::uint32_t> m_wake{0};
  std::atomic<bool> m_ended{false};
  std::mutex m_lock;  // guards m_queue and m_object
  std::unique_ptr<ThreadQueue> m_queue;
  std::shared_ptr<ThreadObject> m_object;
  std::vector<std::shared_ptr<MutexObject>> m_owned;
};

// The calling thread's record, made on first use.
ThreadRecord& CurrentThread();

// The record of a live thread of this process that has used the kernel, or null.
std::shared_ptr<ThreadRecord> FindThread(DWORD id);
// Wakes every thread of the process from its waits, to look at its queue again.
void WakeEveryThread();

// The calling thread's id: its Linux thread id, unique across processes.
DWORD CurrentThreadId();

}  // namespace tolvar::kernel
