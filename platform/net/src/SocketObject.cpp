#include "SocketObject.h"

#include "AsyncPoller.h"
#include "Host.h"

namespace tolvar::net {

SocketObject::~SocketObject() { host::Close(m_fd); }

void SocketObject::HandleClosed() {
  if (m_closed.exchange(true)) return;
  AsyncPoller::Instance().Forget(*this);
  // Wakes calls blocked in the socket on other threads (recv, accept); they report WSAEINTR.
  host::Shutdown(m_fd, 2);
}

}  // namespace tolvar::net
