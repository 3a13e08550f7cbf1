#pragma once
// A table that hands out handle numbers for shared objects: multiples of four from `first`, kept
// below 2^31 like Windows' handles so they survive being printed with %08X and parsed back. The
// kernel's objects and the GDI's have one table each, in ranges of their own.
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace tolvar::kernel {

template <class T>
class HandleTable {
public:
  explicit HandleTable(std::uintptr_t first) : m_first(first), m_next(first) {}

  // The new handle's number; never 0.
  std::uintptr_t Insert(std::shared_ptr<T> object) {
    std::lock_guard guard(m_lock);
    std::uintptr_t value;
    do {
      value = m_next;
      m_next += 4;
      if (m_next >= kLast) m_next = m_first;
    } while (m_objects.contains(value));
    m_objects.emplace(value, std::move(object));
    return value;
  }

  std::shared_ptr<T> Lookup(std::uintptr_t value) const {
    std::lock_guard guard(m_lock);
    auto it = m_objects.find(value);
    return it == m_objects.end() ? nullptr : it->second;
  }

  // Takes the object out of the table and hands it to the caller, who lets it go outside the
  // table's lock: destructors may close other handles. nullptr when the handle is unknown.
  std::shared_ptr<T> Remove(std::uintptr_t value) {
    std::lock_guard guard(m_lock);
    auto it = m_objects.find(value);
    if (it == m_objects.end()) return nullptr;
    std::shared_ptr<T> object = std::move(it->second);
    m_objects.erase(it);
    return object;
  }

private:
  static constexpr std::uintptr_t kLast = 0x7FFFFFF0;
  mutable std::mutex m_lock;
  std::unordered_map<std::uintptr_t, std::shared_ptr<T>> m_objects;
  const std::uintptr_t m_first;
  std::uintptr_t m_next;
};

}  // namespace tolvar::kernel
