#include "AsyncPoller.h"

#include "Errors.h"
#include "Host.h"

#include <net/AsyncSelect.h>

#include <kernel/QueueExtension.h>

#include <algorithm>

namespace tolvar::net {

AsyncPoller& AsyncPoller::Instance() {
  static AsyncPoller poller;
  return poller;
}

AsyncPoller::AsyncPoller() : m_wakeFd(host::MakeWakeFd()) {}

AsyncPoller::~AsyncPoller() {
  {
    std::lock_guard guard(m_lock);
    m_stopping = true;
    m_sockets.clear();
  }
  host::WakeUp(m_wakeFd);
  if (m_thread.joinable()) m_thread.join();
  host::Close(m_wakeFd);
}

void AsyncPoller::Select(const std::shared_ptr<SocketObject>& socket, const AsyncRequest& request) {
  std::lock_guard guard(m_lock);
  socket->async = request;
  socket->armed = request.events;
  socket->parked = false;
  auto it = std::find(m_sockets.begin(), m_sockets.end(), socket);
  if (request.events == 0) {
    if (it != m_sockets.end()) m_sockets.erase(it);
  } else if (it == m_sockets.end()) {
    m_sockets.push_back(socket);
  }
  if (!m_thread.joinable() && !m_sockets.empty()) m_thread = std::thread([this] { Run(); });
  host::WakeUp(m_wakeFd);
}

AsyncRequest AsyncPoller::RequestOf(SocketObject& socket) {
  std::lock_guard guard(m_lock);
  return socket.async;
}

void AsyncPoller::SetState(SocketObject& socket, SocketState state) {
  std::lock_guard guard(m_lock);
  socket.state = state;
  socket.parked = false;
  if (state == SocketState::Connecting) socket.armed |= socket.async.events & FD_CONNECT;
  if (socket.async.events) host::WakeUp(m_wakeFd);
}

void AsyncPoller::Rearm(SocketObject& socket, long events) {
  std::lock_guard guard(m_lock);
  long wanted = events & socket.async.events;
  if (!wanted || ((socket.armed & wanted) == wanted && !socket.parked)) return;
  socket.armed |= wanted;
  socket.parked = false;
  host::WakeUp(m_wakeFd);
}

void AsyncPoller::PostNow(SocketObject& socket, long event, int error) {
  std::lock_guard guard(m_lock);
  PostLocked(socket, event, error);
}

void AsyncPoller::Forget(SocketObject& socket) {
  std::lock_guard guard(m_lock);
  socket.async = {};
  socket.armed = 0;
  std::erase_if(m_sockets, [&](const auto& s) { return s.get() == &socket; });
  host::WakeUp(m_wakeFd);
}

void AsyncPoller::PostLocked(SocketObject& socket, long event, int error) {
  if (!(socket.async.events & event)) return;
  // A thread that has ended has no queue any more; its notifications have nowhere to go.
  kernel::PostThreadQueueMessage(socket.async.thread, socket.async.window, socket.async.message, socket.handle,
                                 WSAMAKESELECTREPLY(static_cast<WORD>(event), static_cast<WORD>(error)));
}

namespace {

// The conditions worth waking for: those that some armed event reports.
short WatchedEvents(const SocketObject& s) {
  short events = 0;
  switch (s.state) {
    case SocketState::Listening:
      if (s.armed & FD_ACCEPT) events |= host::In;
      break;
    case SocketState::Connecting:
      events |= host::Out;  // the end of the connect, which also readies FD_WRITE
      break;
    case SocketState::Connected:
      if (s.armed & FD_READ) events |= host::In;
      if (s.armed & FD_OOB) events |= host::Pri;
      if (s.armed & FD_WRITE) events |= host::Out;
      // The peer's close is reported after the data before it was read: while an FD_READ waits
      // for its recv, the close waits too.
      if ((s.armed & FD_CLOSE) && ((s.armed & FD_READ) || !(s.async.events & FD_READ))) events |= host::RdHup;
      break;
    case SocketState::Fresh:
    case SocketState::Finished:
      break;
  }
  return events;
}

}  // namespace

void AsyncPoller::HandleLocked(SocketObject& s, short revents) {
  bool acted = false;
  auto post = [&](long event, int error) {
    PostLocked(s, event, error);
    s.armed &= ~event;
    acted = true;
  };
  switch (s.state) {
    case SocketState::Listening:
      if ((revents & (host::In | host::Err | host::Hup)) && (s.armed & FD_ACCEPT)) post(FD_ACCEPT, 0);
      break;
    case SocketState::Connecting: {
      int error = host::PendingError(s.Fd());
      if (error == 0 && !(revents & (host::Err | host::Hup))) {
        s.state = SocketState::Connected;
        s.armed |= s.async.events & FD_WRITE;
        post(FD_CONNECT, 0);
      } else {
        s.state = SocketState::Finished;
        post(FD_CONNECT, error ? WinsockErrorFromErrno(error) : WSAECONNREFUSED);
      }
      break;
    }
    case SocketState::Connected: {
      if (revents & host::Err) {
        int error = host::PendingError(s.Fd());
        s.state = SocketState::Finished;
        post(FD_CLOSE, error ? WinsockErrorFromErrno(error) : WSAECONNRESET);
        break;
      }
      int readable = 0;
      host::ReadableBytes(s.Fd(), &readable);
      if ((revents & host::In) && (s.armed & FD_READ) && readable > 0) post(FD_READ, 0);
      if ((revents & host::Pri) && (s.armed & FD_OOB)) post(FD_OOB, 0);
      if ((revents & host::Out) && (s.armed & FD_WRITE)) post(FD_WRITE, 0);
      // Readable with nothing to read is the peer's end only when a peek finds the end too: another
      // thread may have taken the bytes that woke poll() in the meantime (the socket is non-blocking).
      char next = 0;
      bool ended = (revents & (host::RdHup | host::Hup)) ||
                   ((revents & host::In) && readable == 0 && host::Receive(s.Fd(), &next, 1, MSG_PEEK) == 0);
      if (ended && readable == 0) {
        int error = host::PendingError(s.Fd());
        s.state = SocketState::Finished;
        acted = true;
        if (s.armed & FD_CLOSE) post(FD_CLOSE, error ? WinsockErrorFromErrno(error) : 0);
      }
      break;
    }
    case SocketState::Fresh:
    case SocketState::Finished:
      break;
  }
  // A condition that no armed event reports (data while FD_READ waits for its recv, say) would
  // wake poll() again at once: leave the socket alone until a call re-arms it.
  if (!acted) s.parked = true;
}

void AsyncPoller::Run() {
  std::unique_lock lock(m_lock);
  while (!m_stopping) {
    std::vector<std::shared_ptr<SocketObject>> watched;
    std::vector<host::Watch> watches;
    for (const auto& s : m_sockets) {
      if (s->Closed() || s->parked) continue;
      short events = WatchedEvents(*s);
      if (!events) continue;
      watched.push_back(s);
      watches.push_back({s->Fd(), events, 0});
    }
    lock.unlock();
    bool ok = host::Poll(watches, m_wakeFd);
    lock.lock();
    if (!ok) continue;
    for (std::size_t i = 0; i < watches.size(); ++i) {
      SocketObject& s = *watched[i];
      // A socket closed or re-selected meanwhile is looked at afresh on the next round.
      if (!watches[i].revents || s.Closed() || std::find(m_sockets.begin(), m_sockets.end(), watched[i]) == m_sockets.end())
        continue;
      HandleLocked(s, watches[i].revents);
    }
    // Sockets let go of here may be the last users: their descriptors close outside the lock.
    lock.unlock();
    watched.clear();
    lock.lock();
  }
}

}  // namespace tolvar::net
