#pragma once
// The one thread of the process that watches sockets with asynchronous notifications and posts
// them to the threads that asked (see <net/AsyncSelect.h> for the rules it keeps). It sleeps in
// poll() on exactly the conditions that some armed notification reports, so it never spins.
#include "SocketObject.h"

#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tolvar::net {

class AsyncPoller {
public:
  static AsyncPoller& Instance();
  ~AsyncPoller();

  // Replaces the socket's request (events 0 removes it).
  void Select(const std::shared_ptr<SocketObject>& socket, const AsyncRequest& request);
  AsyncRequest RequestOf(SocketObject& socket);
  void SetState(SocketObject& socket, SocketState state);
  // A call re-enabled these events (recv: FD_READ, accept: FD_ACCEPT, ...).
  void Rearm(SocketObject& socket, long events);
  // Posts a notification now, if the socket asked for the event (a connect refused at once).
  void PostNow(SocketObject& socket, long event, int error);
  void Forget(SocketObject& socket);

private:
  AsyncPoller();
  void Run();
  void PostLocked(SocketObject& socket, long event, int error);
  void HandleLocked(SocketObject& socket, short revents);

  std::mutex m_lock;
  std::vector<std::shared_ptr<SocketObject>> m_sockets;
  int m_wakeFd = -1;
  bool m_stopping = false;
  std::thread m_thread;
};

}  // namespace tolvar::net
