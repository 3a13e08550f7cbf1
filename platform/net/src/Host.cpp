#include "Host.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tolvar::net::host {
namespace {

// Winsock's numbers, which differ from Linux's for the socket level and its options.
constexpr int kWinSolSocket = 0xFFFF;
constexpr int kWinTcpLevel = 6;
constexpr int kWinMsgOob = 0x1;
constexpr int kWinMsgPeek = 0x2;

enum class Form { Int, Linger, Millis, Error };
struct Option {
  int winLevel;
  int winName;
  int level;
  int name;
  Form form;
  bool settable;
};
constexpr std::array<Option, 10> kOptions{{
    {kWinSolSocket, 0x0004, SOL_SOCKET, SO_REUSEADDR, Form::Int, true},
    {kWinSolSocket, 0x0008, SOL_SOCKET, SO_KEEPALIVE, Form::Int, true},
    {kWinSolSocket, 0x0080, SOL_SOCKET, SO_LINGER, Form::Linger, true},
    {kWinSolSocket, 0x1001, SOL_SOCKET, SO_SNDBUF, Form::Int, true},
    {kWinSolSocket, 0x1002, SOL_SOCKET, SO_RCVBUF, Form::Int, true},
    {kWinSolSocket, 0x1005, SOL_SOCKET, SO_SNDTIMEO, Form::Millis, true},
    {kWinSolSocket, 0x1006, SOL_SOCKET, SO_RCVTIMEO, Form::Millis, true},
    {kWinSolSocket, 0x1007, SOL_SOCKET, SO_ERROR, Form::Error, false},
    {kWinSolSocket, 0x1008, SOL_SOCKET, SO_TYPE, Form::Int, false},
    {kWinTcpLevel, 0x0001, IPPROTO_TCP, TCP_NODELAY, Form::Int, true},
}};

const Option* FindOption(int level, int name) {
  for (const Option& o : kOptions)
    if (o.winLevel == level && o.winName == name) return &o;
  errno = ENOPROTOOPT;
  return nullptr;
}

sockaddr_in ToSystem(Address a) {
  sockaddr_in s{};
  s.sin_family = AF_INET;
  s.sin_port = a.port;
  s.sin_addr.s_addr = a.ip;
  return s;
}

Address FromSystem(const sockaddr_in& s) { return {s.sin_addr.s_addr, s.sin_port}; }

int SystemFlags(int winsockFlags) {
  return ((winsockFlags & kWinMsgOob) ? MSG_OOB : 0) | ((winsockFlags & kWinMsgPeek) ? MSG_PEEK : 0);
}

template <class Get>
bool NameOf(int fd, Address* address, Get get) {
  sockaddr_in s{};
  socklen_t length = sizeof s;
  if (get(fd, reinterpret_cast<sockaddr*>(&s), &length) != 0) return false;
  if (s.sin_family != AF_INET) {
    errno = EINVAL;
    return false;
  }
  *address = FromSystem(s);
  return true;
}

constexpr std::array<std::pair<Events, short>, 6> kPollBits{
    {{In, POLLIN}, {Pri, POLLPRI}, {Out, POLLOUT}, {Err, POLLERR}, {Hup, POLLHUP}, {RdHup, POLLRDHUP}}};

}  // namespace

int Socket(int type, int protocol) {
  int systemType = type == 1 ? SOCK_STREAM : type == 2 ? SOCK_DGRAM : -1;
  if (systemType < 0) {
    errno = ESOCKTNOSUPPORT;
    return -1;
  }
  return ::socket(AF_INET, systemType | SOCK_CLOEXEC, protocol);
}

void Close(int fd) { ::close(fd); }

bool Bind(int fd, Address address) {
  sockaddr_in s = ToSystem(address);
  return ::bind(fd, reinterpret_cast<sockaddr*>(&s), sizeof s) == 0;
}

bool Listen(int fd, int backlog) { return ::listen(fd, backlog) == 0; }

int Accept(int fd, Address* peer) {
  sockaddr_in s{};
  socklen_t length = sizeof s;
  int accepted = ::accept4(fd, reinterpret_cast<sockaddr*>(&s), &length, SOCK_CLOEXEC);
  if (accepted >= 0 && peer) *peer = FromSystem(s);
  return accepted;
}

bool Connect(int fd, Address address) {
  sockaddr_in s = ToSystem(address);
  return ::connect(fd, reinterpret_cast<sockaddr*>(&s), sizeof s) == 0;
}

long Send(int fd, const void* bytes, std::size_t length, int winsockFlags) {
  return ::send(fd, bytes, length, SystemFlags(winsockFlags) | MSG_NOSIGNAL);
}

long Receive(int fd, void* bytes, std::size_t length, int winsockFlags) {
  return ::recv(fd, bytes, length, SystemFlags(winsockFlags));
}

bool Shutdown(int fd, int how) { return ::shutdown(fd, how) == 0; }

bool SetNonBlocking(int fd, bool on) {
  int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0) return false;
  return ::fcntl(fd, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK) == 0;
}

bool ReadableBytes(int fd, int* count) { return ::ioctl(fd, FIONREAD, count) == 0; }

bool LocalAddress(int fd, Address* address) { return NameOf(fd, address, ::getsockname); }
bool PeerAddress(int fd, Address* address) { return NameOf(fd, address, ::getpeername); }

int PendingError(int fd) {
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
  return error;
}

bool SetOption(int fd, int level, int name, const void* value, int length) {
  const Option* o = FindOption(level, name);
  if (!o) return false;
  if (!o->settable || !value || length < 1) {
    errno = EINVAL;
    return false;
  }
  switch (o->form) {
    case Form::Int: {
      // Windows takes a single byte for a BOOL option too.
      int v = 0;
      if (length >= static_cast<int>(sizeof v))
        std::memcpy(&v, value, sizeof v);
      else
        v = *static_cast<const unsigned char*>(value);
      return ::setsockopt(fd, o->level, o->name, &v, sizeof v) == 0;
    }
    case Form::Linger: {
      if (length < 4) break;
      unsigned short parts[2];
      std::memcpy(parts, value, sizeof parts);
      ::linger l{parts[0] != 0, parts[1]};
      return ::setsockopt(fd, o->level, o->name, &l, sizeof l) == 0;
    }
    case Form::Millis: {
      if (length < 4) break;
      std::uint32_t ms;
      std::memcpy(&ms, value, sizeof ms);
      timeval t{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>((ms % 1000) * 1000)};
      return ::setsockopt(fd, o->level, o->name, &t, sizeof t) == 0;
    }
    case Form::Error: break;
  }
  errno = EINVAL;
  return false;
}

bool GetOption(int fd, int level, int name, void* value, int* length) {
  const Option* o = FindOption(level, name);
  if (!o) return false;
  if (!value || !length || *length < 4) {
    errno = EFAULT;
    return false;
  }
  std::uint32_t out = 0;
  switch (o->form) {
    case Form::Int:
    case Form::Error: {
      int v = 0;
      socklen_t l = sizeof v;
      if (::getsockopt(fd, o->level, o->name, &v, &l) != 0) return false;
      out = static_cast<std::uint32_t>(v);
      break;
    }
    case Form::Linger: {
      ::linger l{};
      socklen_t size = sizeof l;
      if (::getsockopt(fd, o->level, o->name, &l, &size) != 0) return false;
      unsigned short parts[2] = {static_cast<unsigned short>(l.l_onoff != 0), static_cast<unsigned short>(l.l_linger)};
      std::memcpy(&out, parts, sizeof parts);
      break;
    }
    case Form::Millis: {
      timeval t{};
      socklen_t size = sizeof t;
      if (::getsockopt(fd, o->level, o->name, &t, &size) != 0) return false;
      out = static_cast<std::uint32_t>(t.tv_sec * 1000 + t.tv_usec / 1000);
      break;
    }
  }
  if (o->form == Form::Int && o->name == SO_TYPE) out = out == SOCK_STREAM ? 1 : out == SOCK_DGRAM ? 2 : out;
  std::memcpy(value, &out, sizeof out);
  *length = sizeof out;
  return true;
}

std::vector<std::uint32_t> Resolve(const std::string& name, std::string& canonical, int& error) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_CANONNAME;
  addrinfo* found = nullptr;
  int result = ::getaddrinfo(name.c_str(), nullptr, &hints, &found);
  std::vector<std::uint32_t> addresses;
  if (result != 0) {
    switch (result) {
      case EAI_AGAIN: error = 11002; break;                    // WSATRY_AGAIN
      case EAI_FAIL: error = 11003; break;                     // WSANO_RECOVERY
      case EAI_NODATA: case EAI_ADDRFAMILY: error = 11004; break;  // WSANO_DATA
      default: error = 11001; break;                           // WSAHOST_NOT_FOUND
    }
    return addresses;
  }
  canonical = found->ai_canonname ? found->ai_canonname : name;
  for (addrinfo* a = found; a; a = a->ai_next) {
    std::uint32_t ip = reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr.s_addr;
    if (std::find(addresses.begin(), addresses.end(), ip) == addresses.end()) addresses.push_back(ip);
  }
  ::freeaddrinfo(found);
  if (addresses.empty()) error = 11004;
  return addresses;
}

bool Poll(std::vector<Watch>& watches, int wakeFd) {
  std::vector<pollfd> fds;
  fds.reserve(watches.size() + 1);
  fds.push_back({wakeFd, POLLIN, 0});
  for (const Watch& w : watches) {
    short events = 0;
    for (auto [bit, system] : kPollBits)
      if (w.events & bit) events |= system;
    fds.push_back({w.fd, events, 0});
  }
  int ready = ::poll(fds.data(), fds.size(), -1);
  if (ready < 0) return errno == EINTR;
  if (fds[0].revents & POLLIN) {
    std::uint64_t count;
    [[maybe_unused]] auto ignored = ::read(wakeFd, &count, sizeof count);
  }
  for (std::size_t i = 0; i < watches.size(); ++i) {
    short revents = 0;
    for (auto [bit, system] : kPollBits)
      if (fds[i + 1].revents & system) revents |= bit;
    if (fds[i + 1].revents & POLLNVAL) revents |= Err;
    watches[i].revents = revents;
  }
  return true;
}

int MakeWakeFd() { return ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

void WakeUp(int wakeFd) {
  std::uint64_t one = 1;
  [[maybe_unused]] auto ignored = ::write(wakeFd, &one, sizeof one);
}

}  // namespace tolvar::net::host
