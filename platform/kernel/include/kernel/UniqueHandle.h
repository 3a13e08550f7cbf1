#pragma once
// An owned kernel handle (event, mutex, semaphore, thread, process, file, mapping, find handle
// excepted): closed with CloseHandle when the owner goes. Both NULL and INVALID_HANDLE_VALUE mean
// "none", since the creating functions fail with one or the other.
#include <kernel/Object.h>

#include <utility>

namespace tolvar::kernel {

class UniqueHandle {
public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : m_handle(handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  HANDLE Get() const { return m_handle; }
  explicit operator bool() const { return m_handle && m_handle != INVALID_HANDLE_VALUE; }
  // Gives the handle up without closing it.
  HANDLE Release() { return std::exchange(m_handle, nullptr); }
  // Closes the handle held, then holds `handle`.
  void Reset(HANDLE handle = nullptr) {
    HANDLE old = std::exchange(m_handle, handle);
    if (old && old != INVALID_HANDLE_VALUE) CloseHandle(old);
  }

private:
  HANDLE m_handle = nullptr;
};

}  // namespace tolvar::kernel
