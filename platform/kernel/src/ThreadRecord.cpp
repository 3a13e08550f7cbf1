#include "ThreadRecord.h"

#include "Futex.h"
#include "SyncObjects.h"
#include "ThreadQueue.h"

#include <algorithm>
#include <kernel/Thread.h>
#include <unistd.h>
#include <unordered_map>

namespace tolvar::kernel {
namespace {

struct ThreadTable {
  std::mutex lock;
  std::unordered_map<DWORD, std::shared_ptr<ThreadRecord>> threads;
};

ThreadTable& Threads() {
  static auto* table = new ThreadTable;  // never destroyed: threads end during exit
  return *table;
}

// Holds the calling thread's record; its destructor, run as the thread ends (for any thread, also
// one the kernel did not start), ends the record.
struct CurrentRecord {
  std::shared_ptr<ThreadRecord> record;
  ~CurrentRecord() {
    if (record) record->End(record->pendingExitCode == STILL_ACTIVE ? 0 : record->pendingExitCode);
  }
};

thread_local CurrentRecord t_current;

}  // namespace

void ThreadObject::Finish(DWORD exitCode) {
  m_exitCode.store(exitCode);
  m_ended.store(true);
  Signalled();
}

ThreadRecord::ThreadRecord(DWORD id) : m_id(id) {}
ThreadRecord::~ThreadRecord() = default;

const std::uint32_t* ThreadRecord::WakeWord() const { return futex::Address(m_wake); }

void ThreadRecord::Wake() {
  m_wake.fetch_add(1);
  futex::WakeAll(WakeWord(), false);
}

ThreadQueue& ThreadRecord::Queue() {
  std::lock_guard guard(m_lock);
  if (!m_queue) m_queue = std::make_unique<ThreadQueue>();
  return *m_queue;
}

bool ThreadRecord::Post(const MSG& message) {
  {
    std::lock_guard guard(m_lock);
    if (m_ended.load()) return false;
    if (!m_queue) m_queue = std::make_unique<ThreadQueue>();
    m_queue->Post(message);
  }
  Wake();
  return true;
}

bool ThreadRecord::Notify(DWORD wakeBits) {
  {
    std::lock_guard guard(m_lock);
    if (m_ended.load()) return false;
    if (!m_queue) m_queue = std::make_unique<ThreadQueue>();
    m_queue->AddWakeBits(wakeBits);
  }
  Wake();
  return true;
}

std::shared_ptr<ThreadObject> ThreadRecord::Object() {
  std::lock_guard guard(m_lock);
  if (!m_object) m_object = std::make_shared<ThreadObject>(m_id);
  return m_object;
}

void ThreadRecord::AttachObject(std::shared_ptr<ThreadObject> object) {
  std::lock_guard guard(m_lock);
  m_object = std::move(object);
}

void ThreadRecord::AddOwned(std::shared_ptr<MutexObject> mutex) { m_owned.push_back(std::move(mutex)); }

void ThreadRecord::RemoveOwned(const MutexObject* mutex) {
  auto it = std::find_if(m_owned.begin(), m_owned.end(), [&](const auto& m) { return m.get() == mutex; });
  if (it != m_owned.end()) m_owned.erase(it);
}

void ThreadRecord::End(DWORD exitCode) {
  std::unique_ptr<ThreadQueue> queue;
  std::shared_ptr<ThreadObject> object;
  {
    std::lock_guard guard(m_lock);
    if (m_ended.exchange(true)) return;
    queue = std::move(m_queue);
    object = m_object;
  }
  std::vector<std::shared_ptr<MutexObject>> owned = std::move(m_owned);
  for (const auto& mutex : owned) mutex->AbandonAtThreadEnd();
  owned.clear();
  queue.reset();
  {
    ThreadTable& table = Threads();
    std::lock_guard guard(table.lock);
    if (auto it = table.threads.find(m_id); it != table.threads.end() && it->second.get() == this) {
      table.threads.erase(it);
    }
  }
  if (object) object->Finish(exitCode);
}

ThreadRecord& CurrentThread() {
  if (!t_current.record) {
    auto record = std::make_shared<ThreadRecord>(static_cast<DWORD>(gettid()));
    {
      ThreadTable& table = Threads();
      std::lock_guard guard(table.lock);
      table.threads[record->Id()] = record;
    }
    t_current.record = std::move(record);
  }
  return *t_current.record;
}

std::shared_ptr<ThreadRecord> FindThread(DWORD id) {
  ThreadTable& table = Threads();
  std::lock_guard guard(table.lock);
  auto it = table.threads.find(id);
  return it == table.threads.end() ? nullptr : it->second;
}

void WakeEveryThread() {
  ThreadTable& table = Threads();
  std::lock_guard guard(table.lock);
  for (auto& [id, thread] : table.threads) thread->Wake();
}

DWORD CurrentThreadId() { return CurrentThread().Id(); }

}  // namespace tolvar::kernel
