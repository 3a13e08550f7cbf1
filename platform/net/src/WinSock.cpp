// The Winsock functions over the host's sockets.
#include <net/AsyncSelect.h>
#include <net/WinSock.h>

#include "AsyncPoller.h"
#include "Errors.h"
#include "Host.h"
#include "SocketObject.h"
#include "Startup.h"

#include <base/LastError.h>
#include <kernel/QueueExtension.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>

static_assert(std::endian::native == std::endian::little, "the byte-order functions assume a little-endian host");
static_assert(sizeof(sockaddr_in) == 16 && sizeof(sockaddr) == 16 && sizeof(in_addr) == 4);

using tolvar::net::AsyncPoller;
using tolvar::net::SocketObject;
using tolvar::net::SocketState;
namespace host = tolvar::net::host;

namespace {

int Fail(int error) {
  SetLastError(static_cast<DWORD>(error));
  return SOCKET_ERROR;
}

// The error of a failed host call; a call that failed because the socket was closed under it
// reports WSAEINTR, as a blocking call ended by closesocket does on Windows.
int FailFromErrno(const SocketObject& s, int error) {
  return Fail(s.Closed() ? WSAEINTR : tolvar::net::WinsockErrorFromErrno(error));
}

std::shared_ptr<SocketObject> Find(SOCKET s) {
  if (!tolvar::net::Started()) {
    Fail(WSANOTINITIALISED);
    return nullptr;
  }
  auto object = tolvar::kernel::LookupHandleAs<SocketObject>(reinterpret_cast<HANDLE>(s));
  if (!object) Fail(WSAENOTSOCK);
  return object;
}

// Reads a caller's sockaddr_in field by field: callers pass any sockaddr of at least its size.
bool ReadAddress(const sockaddr* name, int length, host::Address& address, int& error) {
  if (!name || length < static_cast<int>(sizeof(sockaddr_in))) {
    error = WSAEFAULT;
    return false;
  }
  sockaddr_in in;
  std::memcpy(&in, name, sizeof in);
  if (in.sin_family != AF_INET) {
    error = WSAEAFNOSUPPORT;
    return false;
  }
  address = {in.sin_addr.s_addr, in.sin_port};
  return true;
}

bool WriteAddress(const host::Address& address, sockaddr* name, int* length) {
  if (!name || !length || *length < static_cast<int>(sizeof(sockaddr_in))) return false;
  sockaddr_in out{};
  out.sin_family = AF_INET;
  out.sin_port = address.port;
  out.sin_addr.s_addr = address.ip;
  std::memcpy(name, &out, sizeof out);
  *length = sizeof out;
  return true;
}

SOCKET FailSocket(int error) {
  Fail(error);
  return INVALID_SOCKET;
}

SOCKET Insert(const std::shared_ptr<SocketObject>& object) {
  object->handle = reinterpret_cast<SOCKET>(tolvar::kernel::InsertHandle(object));
  return object->handle;
}

}  // namespace

SOCKET socket(int family, int type, int protocol) {
  if (!tolvar::net::Started()) return FailSocket(WSANOTINITIALISED);
  if (family != AF_INET) return FailSocket(WSAEAFNOSUPPORT);
  int fd = host::Socket(type, protocol);
  if (fd < 0) return FailSocket(tolvar::net::WinsockErrorFromErrno(errno));
  return Insert(std::make_shared<SocketObject>(fd, type));
}

int closesocket(SOCKET s) {
  if (!Find(s)) return SOCKET_ERROR;
  // HandleClosed stops the notifications and shuts the socket down; the descriptor goes with
  // the last user.
  if (!tolvar::kernel::RemoveHandle(reinterpret_cast<HANDLE>(s))) return Fail(WSAENOTSOCK);
  return 0;
}

int bind(SOCKET s, const sockaddr* name, int nameLength) {
  auto object = Find(s);
  if (!object) return SOCKET_ERROR;
  host::Address address;
  int error;
  if (!ReadAddress(name, nameLength, address, error)) return Fail(error);
  if (!host::Bind(object->Fd(), address)) return FailFromErrno(*object, errno);
  return 0;
}

int listen(SOCKET s, int backlog) {
  auto object = Find(s);
  if (!object) return SOCKET_ERROR;
  if (object->SocketType() != SOCK_STREAM) return Fail(WSAEOPNOTSUPP);
  // The system cuts a larger backlog to its own maximum, so SOMAXCONN gets exactly that.
  if (!host::Listen(object->Fd(), std::max(backlog, 1))) return FailFromErrno(*object, errno);
  AsyncPoller::Instance().SetState(*object, SocketState::Listening);
  return 0;
}

SOCKET accept(SOCKET s, sockaddr* address, int* addressLength) {
  auto listener = Find(s);
  if (!listener) return INVALID_SOCKET;
  if (address && (!addressLength || *addressLength < static_cast<int>(sizeof(sockaddr_in))))
    return FailSocket(WSAEFAULT);
  host::Address peer;
  int fd = host::Accept(listener->Fd(), &peer);
  int error = errno;
  AsyncPoller& poller = AsyncPoller::Instance();
  poller.Rearm(*listener, FD_ACCEPT);
  if (fd < 0) {
    FailFromErrno(*listener, error);
    return INVALID_SOCKET;
  }
  if (address) WriteAddress(peer, address, addressLength);

  auto accepted = std::make_shared<SocketObject>(fd, SOCK_STREAM);
  accepted->state = SocketState::Connected;
  SOCKET handle = Insert(accepted);
  // The new socket has the listener's notifications, as on Windows.
  tolvar::net::AsyncRequest request = poller.RequestOf(*listener);
  if (request.events) {
    host::SetNonBlocking(fd, true);
    accepted->nonBlocking = true;
    poller.Select(accepted, request);
  }
  return handle;
}

int connect(SOCKET s, const sockaddr* name, int nameLength) {
  auto object = Find(s);
  if (!object) return SOCKET_ERROR;
  host::Address address;
  int error;
  if (!ReadAddress(name, nameLength, address, error)) return Fail(error);
  AsyncPoller& poller = AsyncPoller::Instance();
  bool async = poller.RequestOf(*object).events != 0;
  if (host::Connect(object->Fd(), address)) {
    if (!object->nonBlocking) {
      poller.SetState(*object, SocketState::Connected);
      return 0;
    }
    // Windows finishes a non-blocking connect through FD_CONNECT even when it is done at once.
    poller.SetState(*object, SocketState::Connecting);
    return Fail(WSAEWOULDBLOCK);
  }
  error = errno;
  if (error == EINPROGRESS) {
    poller.SetState(*object, SocketState::Connecting);
    return Fail(WSAEWOULDBLOCK);
  }
  int winsock = tolvar::net::WinsockErrorFromErrno(error);
  if (async && object->nonBlocking && error != EALREADY && error != EISCONN) {
    // Refused at once (loopback): Windows says "would block" and reports the refusal by FD_CONNECT.
    poller.SetState(*object, SocketState::Finished);
    poller.PostNow(*object, FD_CONNECT, winsock);
    return Fail(WSAEWOULDBLOCK);
  }
  return FailFromErrno(*object, error);
}

int send(SOCKET s, const char* buffer, int length, int flags) {
  auto object = Find(s);
  if (!object) return SOCKET_ERROR;
  if (length < 0 || (!buffer && length > 0)) return Fail(WSAEFAULT);
  if (object->sendShut) return Fail(WSAESHUTDOWN);
  long sent = host::Send(object->Fd(), buffer, static_cast<std::size_t>(length), flags);
  if (sent >= 0) return static_cast<int>(sent);
  int error = errno;
  if (error == EAGAIN) AsyncPoller::Instance().Rearm(*object, FD_WRITE);
  if (error == EAGAIN && !object->nonBlocking) return Fail(WSAETIMEDOUT);  // SO_SNDTIMEO ran out
  return FailFromErrno(*object, error);
}

int recv(SOCKET s, char* buffer, int length, int flags) {
  auto object = Find(s);
  if (!object) return SOCKET_ERROR;
  if (length < 0 || (!buffer && length > 0)) return Fail(WSAEFAULT);
  if (object->receiveShut) return Fail(WSAESHUTDOWN);
  long got = host::Receive(object->Fd(), buffer, static_cast<std::size_t>(length), flags);
  int error = errno;
  // Any recv re-enables the notification, so that what is left is announced again.
  AsyncPoller::Instance().Rearm(*object, (flags & MSG_OOB) ? FD_OOB : FD_READ);
  if (got < 0 && error == EAGAIN && !object->nonBlocking) return Fail(WSAETIMEDOUT);  // SO_RCVTIMEO ran out
  if (got < 0) return FailFromErrno(*object, error);
  if (got == 0 && length > 0 && object->Closed()) return Fail(WSAEINTR);
  return static_cast<int>(got);
}

int shutdown(SOCKET s, int how) {
  auto object = Find(s);
  if (!object) return SOCKET_ERROR;
  if (how < SD_RECEIVE || how > SD_BOTH) return Fail(WSAEINVAL);
  if (!host::Shutdown(object->Fd(), how)) return FailFromErrno(*object, errno);
  if (how != SD_SEND) object->receiveShut = true;
  if (how != SD_RECEIVE) object->sendShut = true;
  return 0;
}

int ioctlsocket(SOCKET s, long command, u_long* argument) {
  auto object = Find(s);
  if (!object) return SOCKET_ERROR;
  if (!argument) return Fail(WSAEFAULT);
  if (command == FIONREAD) {
    int count = 0;
    if (!host::ReadableBytes(object->Fd(), &count)) return FailFromErrno(*object, errno);
    *argument = static_cast<u_long>(std::max(count, 0));
    return 0;
  }
  if (command == FIONBIO) {
    bool on = *argument != 0;
    // A socket with notifications stays non-blocking, as Windows insists.
    if (!on && AsyncPoller::Instance().RequestOf(*object).events) return Fail(WSAEINVAL);
    if (!host::SetNonBlocking(object->Fd(), on)) return FailFromErrno(*object, errno);
    object->nonBlocking = on;
    return 0;
  }
  return Fail(WSAEINVAL);
}

int setsockopt(SOCKET s, int level, int name, const char* value, int length) {
  auto object = Find(s);
  if (!object) return SOCKET_ERROR;
  if (!host::SetOption(object->Fd(), level, name, value, length)) return FailFromErrno(*object, errno);
  return 0;
}

int getsockopt(SOCKET s, int level, int name, char* value, int* length) {
  auto object = Find(s);
  if (!object) return SOCKET_ERROR;
  if (!host::GetOption(object->Fd(), level, name, value, length)) return FailFromErrno(*object, errno);
  if (level == SOL_SOCKET && name == SO_ERROR) {
    int error;
    std::memcpy(&error, value, sizeof error);
    if (error) error = tolvar::net::WinsockErrorFromErrno(error);
    std::memcpy(value, &error, sizeof error);
  }
  return 0;
}

int getsockname(SOCKET s, sockaddr* name, int* nameLength) {
  auto object = Find(s);
  if (!object) return SOCKET_ERROR;
  host::Address address;
  if (!host::LocalAddress(object->Fd(), &address)) return FailFromErrno(*object, errno);
  if (!WriteAddress(address, name, nameLength)) return Fail(WSAEFAULT);
  return 0;
}

int getpeername(SOCKET s, sockaddr* name, int* nameLength) {
  auto object = Find(s);
  if (!object) return SOCKET_ERROR;
  host::Address address;
  if (!host::PeerAddress(object->Fd(), &address)) return FailFromErrno(*object, errno);
  if (!WriteAddress(address, name, nameLength)) return Fail(WSAEFAULT);
  return 0;
}

namespace tolvar::net {

namespace {

int Select(SOCKET s, const AsyncRequest& request) {
  auto object = Find(s);
  if (!object) return SOCKET_ERROR;
  if (request.events & ~(FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE)) return Fail(WSAEINVAL);
  if (request.events && !object->nonBlocking) {
    if (!host::SetNonBlocking(object->Fd(), true)) return FailFromErrno(*object, errno);
    object->nonBlocking = true;
  }
  AsyncPoller::Instance().Select(object, request);
  return 0;
}

}  // namespace

int AsyncSelect(SOCKET s, DWORD threadId, UINT message, long events) {
  return Select(s, {threadId, message, events, nullptr});
}

}  // namespace tolvar::net

int WSAAsyncSelect(SOCKET s, HWND window, UINT message, long events) {
  // The window's thread is looked up once: the poller thread then posts without asking the window
  // manager, and a window destroyed later only leaves its messages undelivered, as on Windows.
  DWORD thread = window ? tolvar::kernel::WindowQueueThread(window) : 0;
  if (!thread) return Fail(WSAEINVAL);
  return tolvar::net::Select(s, {thread, message, events, window});
}
