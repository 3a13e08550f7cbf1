#pragma once
// A socket in the process's handle table. The descriptor is closed when the last user lets go, so
// a call still running on another thread never sees its number reused; closing the handle shuts the
// socket down at once, which ends such calls.
#include <kernel/Object.h>

#include <base/WinDef.h>

#include <atomic>

namespace tolvar::net {

enum class SocketState { Fresh, Listening, Connecting, Connected, Finished };

// Who receives the socket's notifications, and which (WSAAsyncSelect's arguments).
struct AsyncRequest {
  DWORD thread = 0;
  UINT message = 0;
  long events = 0;
  HWND window = nullptr;  // the message's window on `thread`; null for a thread message
};

class SocketObject : public kernel::Object {
public:
  SocketObject(int fd, int type) : m_fd(fd), m_type(type) {}
  ~SocketObject() override;
  SocketObject(const SocketObject&) = delete;
  SocketObject& operator=(const SocketObject&) = delete;

  kernel::ObjectType Type() const override { return kernel::ObjectType::Other; }
  void HandleClosed() override;

  int Fd() const { return m_fd; }
  int SocketType() const { return m_type; }
  bool Closed() const { return m_closed.load(); }

  UINT_PTR handle = 0;  // its own SOCKET value, which notifications carry
  std::atomic<bool> nonBlocking = false;
  std::atomic<bool> sendShut = false;
  std::atomic<bool> receiveShut = false;

  // Guarded by the notification poller's lock (AsyncPoller).
  SocketState state = SocketState::Fresh;
  AsyncRequest async;
  long armed = 0;       // the requested events that may be posted now
  bool parked = false;  // something is pending that no armed event reports: not watched until re-armed

private:
  int m_fd;
  int m_type;
  std::atomic<bool> m_closed = false;
};

}  // namespace tolvar::net
