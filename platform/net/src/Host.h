#pragma once
// The BSD socket calls, behind an interface with no system types, so that the Winsock functions
// (which share names with the C library's) never meet the system headers in one file. Failures
// return -1 or false with errno set, as the calls they wrap.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tolvar::net::host {

// An IPv4 address and port, both in network byte order.
struct Address {
  std::uint32_t ip = 0;
  std::uint16_t port = 0;
};

int Socket(int type, int protocol);  // SOCK_STREAM / SOCK_DGRAM as Winsock numbers them
void Close(int fd);
bool Bind(int fd, Address address);
bool Listen(int fd, int backlog);
int Accept(int fd, Address* peer);
bool Connect(int fd, Address address);
long Send(int fd, const void* bytes, std::size_t length, int winsockFlags);  // never raises SIGPIPE
long Receive(int fd, void* bytes, std::size_t length, int winsockFlags);
bool Shutdown(int fd, int how);
bool SetNonBlocking(int fd, bool on);
bool ReadableBytes(int fd, int* count);
bool LocalAddress(int fd, Address* address);
bool PeerAddress(int fd, Address* address);
int PendingError(int fd);  // SO_ERROR: the errno of a failed connect or a reset, 0 when none

// Socket options by their Winsock level and name. The value is given and returned in Winsock's
// form (BOOL and int options as 4 bytes, linger as two u_shorts, time-outs as a DWORD of ms);
// false with errno ENOPROTOOPT for an option not in the table, EINVAL for a bad length.
bool SetOption(int fd, int level, int name, const void* value, int length);
bool GetOption(int fd, int level, int name, void* value, int* length);

// The IPv4 addresses of `name`. Empty with `error` set to a Winsock number when there are none.
std::vector<std::uint32_t> Resolve(const std::string& name, std::string& canonical, int& error);

// What happened, as events of poll(): each watcher asks for some and gets some.
enum Events : short { In = 1, Pri = 2, Out = 4, Err = 8, Hup = 16, RdHup = 32 };
struct Watch {
  int fd;
  short events;   // Events
  short revents;  // Events
};
// Waits for the watched events or for `wakeFd` to become readable (which it then empties); -1 for
// no time limit. Returns false on a failure other than an interruption.
bool Poll(std::vector<Watch>& watches, int wakeFd);
int MakeWakeFd();
void WakeUp(int wakeFd);

}  // namespace tolvar::net::host
