#include "WaitEngine.h"

#include "Futex.h"
#include "ThreadRecord.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Thread.h>
#include <kernel/Wait.h>

#include <algorithm>
#include <mutex>

namespace tolvar::kernel {
namespace {

// A wait in progress, registered so that Signalled() finds the threads to wake.
struct ActiveWait {
  ThreadRecord* thread;
  std::span<const std::shared_ptr<Waitable>> objects;
};

struct WaitRegistry {
  std::mutex lock;  // the process's wait lock
  std::vector<ActiveWait*> waits;
};

WaitRegistry& Registry() {
  static auto* registry = new WaitRegistry;  // never destroyed: threads may wait during exit
  return *registry;
}

class Registration {
public:
  explicit Registration(ActiveWait* wait) : m_wait(wait) {
    std::lock_guard guard(Registry().lock);
    Registry().waits.push_back(m_wait);
  }
  ~Registration() {
    std::lock_guard guard(Registry().lock);
    std::erase(Registry().waits, m_wait);
  }
  Registration(const Registration&) = delete;
  Registration& operator=(const Registration&) = delete;

private:
  ActiveWait* m_wait;
};

constexpr DWORD kNotYet = 0xFFFFFFFE;

class ObjectSet {
public:
  ObjectSet(std::span<const std::shared_ptr<Waitable>> objects, DWORD threadId)
      : m_objects(objects), m_threadId(threadId), m_shared(objects.size()) {
    for (size_t i = 0; i < objects.size(); ++i) {
      m_shared[i] = dynamic_cast<SharedWaitable*>(objects[i].get());
      if (m_shared[i]) m_lockOrder.push_back(i);
    }
    std::sort(m_lockOrder.begin(), m_lockOrder.end(), [&](size_t a, size_t b) {
      return m_shared[a]->OrderKey() < m_shared[b]->OrderKey();
    });
    m_taken.assign(objects.size(), false);
  }

  void CollectWords(std::vector<futex::WaitOn>& words) {
    for (SharedWaitable* shared : m_shared) {
      if (!shared) continue;
      SharedWaitable::Watch watch = shared->WatchWord();
      words.push_back({watch.word, watch.value, true});
    }
  }

  // The first signalled object, taken; or kNotYet.
  DWORD TryAny() {
    std::lock_guard guard(Registry().lock);
    for (size_t i = 0; i < m_objects.size(); ++i) {
      if (m_shared[i]) m_shared[i]->LockState();
      DWORD result = kNotYet;
      if (m_objects[i]->IsSignalled(m_threadId)) result = Take(i);
      if (m_shared[i]) m_shared[i]->UnlockState();
      if (result != kNotYet) return result;
    }
    return kNotYet;
  }

  // Every object taken at once, or none; or kNotYet.
  DWORD TryAll() {
    std::lock_guard guard(Registry().lock);
    for (size_t i : m_lockOrder) m_shared[i]->LockState();
    bool ready = std::all_of(m_objects.begin(), m_objects.end(),
                             [&](const auto& object) { return object->IsSignalled(m_threadId); });
    DWORD result = kNotYet;
    if (ready) {
      result = WAIT_OBJECT_0;
      for (size_t i = 0; i < m_objects.size(); ++i) {
        m_taken[i] = true;
        if (m_objects[i]->Acquire(m_threadId) == WAIT_ABANDONED_0 && result == WAIT_OBJECT_0) {
          result = WAIT_ABANDONED_0 + static_cast<DWORD>(i);  // the first abandoned mutex
        }
      }
    }
    for (auto it = m_lockOrder.rbegin(); it != m_lockOrder.rend(); ++it) m_shared[*it]->UnlockState();
    return result;
  }

  void PassOnWakes() {
    for (size_t i = 0; i < m_objects.size(); ++i) {
      if (m_shared[i] && !m_taken[i]) m_shared[i]->PassOnWake();
    }
  }

private:
  DWORD Take(size_t i) {
    m_taken[i] = true;
    DWORD result = m_objects[i]->Acquire(m_threadId);
    return result + static_cast<DWORD>(i);
  }

  std::span<const std::shared_ptr<Waitable>> m_objects;
  DWORD m_threadId;
  std::vector<SharedWaitable*> m_shared;
  std::vector<size_t> m_lockOrder;
  std::vector<bool> m_taken;
};

}  // namespace

void Waitable::Signalled() {
  std::lock_guard guard(Registry().lock);
  for (ActiveWait* wait : Registry().waits) {
    for (const auto& object : wait->objects) {
      if (object.get() == this) {
        wait->thread->Wake();
        break;
      }
    }
  }
}

DWORD Waitable::Acquire(DWORD) { return WAIT_OBJECT_0; }

DWORD WaitForObjects(std::span<const std::shared_ptr<Waitable>> objects, bool all, DWORD milliseconds,
                     const WaitExtra* extra) {
  if (all) {
    // Taking one object twice in one step cannot work (and would lock its state twice).
    for (size_t i = 0; i < objects.size(); ++i) {
      for (size_t j = i + 1; j < objects.size(); ++j) {
        if (objects[i] == objects[j]) {
          SetLastError(ERROR_INVALID_PARAMETER);
          return WAIT_FAILED;
        }
      }
    }
  }
  ThreadRecord& me = CurrentThread();
  ObjectSet set(objects, me.Id());
  ActiveWait active{&me, objects};
  Registration registration(&active);
  const std::optional<timespec> deadline =
      milliseconds == INFINITE ? std::nullopt : std::optional(futex::After(milliseconds));
  const DWORD inputResult = WAIT_OBJECT_0 + static_cast<DWORD>(objects.size());
  std::vector<futex::WaitOn> words;
  DWORD result = kNotYet;
  for (;;) {
    words.clear();
    words.push_back({me.WakeWord(), me.WakeValue(), false});
    set.CollectWords(words);

    if (all && extra) {
      if (extra->satisfied()) result = set.TryAll();
    } else if (all) {
      result = set.TryAll();
    } else {
      result = set.TryAny();
      if (result == kNotYet && extra && extra->satisfied()) result = inputResult;
    }
    if (result != kNotYet) break;

    std::optional<timespec> until = deadline;
    if (extra && extra->nextDue) {
      std::optional<timespec> due = extra->nextDue();
      if (due && (!until || futex::Before(*due, *until))) until = due;
    }
    if (deadline && !futex::Before(futex::Now(), *deadline)) {
      result = WAIT_TIMEOUT;
      break;
    }
    futex::WaitAny(words, until);
  }
  set.PassOnWakes();
  return result;
}

bool ResolveWaitables(const HANDLE* handles, DWORD count, std::vector<std::shared_ptr<Waitable>>& out) {
  out.clear();
  for (DWORD i = 0; i < count; ++i) {
    if (handles[i] == GetCurrentThread()) {
      out.push_back(CurrentThread().Object());
      continue;
    }
    auto waitable = LookupHandleAs<Waitable>(handles[i]);
    if (!waitable) {
      SetLastError(ERROR_INVALID_HANDLE);
      return false;
    }
    out.push_back(std::move(waitable));
  }
  return true;
}

}  // namespace tolvar::kernel
