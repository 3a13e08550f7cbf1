#pragma once
// The Windows Sockets 1.1 functions the suite calls, over BSD sockets. Errors are Winsock's numbers
// (WSAEWOULDBLOCK 10035, WSAECONNREFUSED 10061, ...) through WSAGetLastError, which is the thread's
// last error as on Windows. Every function but the byte-order ones, inet_addr and inet_ntoa fails
// with WSANOTINITIALISED until WSAStartup has been called.
//
// A SOCKET is a handle of the process's handle table. closesocket (or CloseHandle) ends the
// socket's blocking calls on other threads: they fail with WSAEINTR. Sending never raises SIGPIPE;
// a send on a broken connection fails with WSAECONNRESET.
//
// Only IPv4 (AF_INET) stream and datagram sockets. INADDR_ANY means every address of the machine,
// as on Windows: a listener meant for this machine alone binds INADDR_LOOPBACK.
#include <base/WinDef.h>
#include <base/WinError.h>

// The same types as the C library's, so that both may be seen in one translation unit.
using u_char = unsigned char;
using u_short = unsigned short;
using u_int = unsigned int;
using u_long = unsigned long;

using SOCKET = UINT_PTR;
constexpr SOCKET INVALID_SOCKET = ~SOCKET{0};
constexpr int SOCKET_ERROR = -1;

constexpr int AF_UNSPEC = 0;
constexpr int AF_INET = 2;
constexpr int PF_INET = AF_INET;
constexpr int SOCK_STREAM = 1;
constexpr int SOCK_DGRAM = 2;
constexpr int IPPROTO_IP = 0;
constexpr int IPPROTO_TCP = 6;
constexpr int IPPROTO_UDP = 17;

constexpr ULONG INADDR_ANY = 0x00000000;
constexpr ULONG INADDR_LOOPBACK = 0x7F000001;
constexpr ULONG INADDR_BROADCAST = 0xFFFFFFFF;
constexpr ULONG INADDR_NONE = 0xFFFFFFFF;

constexpr int MSG_OOB = 0x1;
constexpr int MSG_PEEK = 0x2;

constexpr int SD_RECEIVE = 0;
constexpr int SD_SEND = 1;
constexpr int SD_BOTH = 2;

// As a listen backlog: the system's maximum (net.core.somaxconn), as Windows takes it.
constexpr int SOMAXCONN = 0x7FFFFFFF;

// ioctlsocket
constexpr long FIONREAD = 0x4004667F;
constexpr long FIONBIO = static_cast<long>(0x8004667EU);

// setsockopt and getsockopt: the options below, and no others (WSAENOPROTOOPT).
constexpr int SOL_SOCKET = 0xFFFF;
constexpr int SO_REUSEADDR = 0x0004;
constexpr int SO_KEEPALIVE = 0x0008;
constexpr int SO_LINGER = 0x0080;
constexpr int SO_SNDBUF = 0x1001;
constexpr int SO_RCVBUF = 0x1002;
constexpr int SO_SNDTIMEO = 0x1005;  // a DWORD of milliseconds
constexpr int SO_RCVTIMEO = 0x1006;  // a DWORD of milliseconds
constexpr int SO_ERROR = 0x1007;     // get only: the pending error as a Winsock number
constexpr int SO_TYPE = 0x1008;      // get only
constexpr int TCP_NODELAY = 0x0001;  // level IPPROTO_TCP

// The Winsock numbers that <base/WinError.h> does not list.
constexpr int WSAEHOSTDOWN = 10064;
constexpr int WSASYSNOTREADY = 10091;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSANO_DATA = 11004;

struct in_addr {
  // Windows' three views of the address, in network byte order; s_addr is the whole of it.
  union {
    union {
      struct {
        UCHAR s_b1, s_b2, s_b3, s_b4;
      } S_un_b;
      struct {
        USHORT s_w1, s_w2;
      } S_un_w;
      ULONG S_addr;
    } S_un;
    ULONG s_addr;
  };
};

struct sockaddr {
  USHORT sa_family;
  char sa_data[14];
};

struct sockaddr_in {
  SHORT sin_family;
  USHORT sin_port;  // network byte order
  in_addr sin_addr;
  char sin_zero[8];
};

using SOCKADDR = sockaddr;
using PSOCKADDR = sockaddr*;
using LPSOCKADDR = sockaddr*;
using SOCKADDR_IN = sockaddr_in;
using PSOCKADDR_IN = sockaddr_in*;
using LPSOCKADDR_IN = sockaddr_in*;
using IN_ADDR = in_addr;

struct linger {
  u_short l_onoff;
  u_short l_linger;
};

// One result per thread, overwritten by the thread's next gethostbyname.
struct hostent {
  char* h_name;
  char** h_aliases;
  short h_addrtype;
  short h_length;
  char** h_addr_list;
};
using HOSTENT = hostent;
using LPHOSTENT = hostent*;

constexpr int WSADESCRIPTION_LEN = 256;
constexpr int WSASYS_STATUS_LEN = 128;
struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  char szDescription[WSADESCRIPTION_LEN + 1];
  char szSystemStatus[WSASYS_STATUS_LEN + 1];
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
};
using LPWSADATA = WSADATA*;

// Network events of the asynchronous notifications (<net/AsyncSelect.h>).
constexpr long FD_READ = 0x01;
constexpr long FD_WRITE = 0x02;
constexpr long FD_OOB = 0x04;
constexpr long FD_ACCEPT = 0x08;
constexpr long FD_CONNECT = 0x10;
constexpr long FD_CLOSE = 0x20;

// Counts its calls; each needs a WSACleanup. Versions 1.1 to 2.2 are accepted.
int WSAStartup(WORD versionRequested, LPWSADATA data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);

SOCKET socket(int family, int type, int protocol);
int closesocket(SOCKET s);
int bind(SOCKET s, const sockaddr* name, int nameLength);
int listen(SOCKET s, int backlog);
SOCKET accept(SOCKET s, sockaddr* address, int* addressLength);
int connect(SOCKET s, const sockaddr* name, int nameLength);
int send(SOCKET s, const char* buffer, int length, int flags);
int recv(SOCKET s, char* buffer, int length, int flags);
int shutdown(SOCKET s, int how);
int ioctlsocket(SOCKET s, long command, u_long* argument);
int setsockopt(SOCKET s, int level, int name, const char* value, int length);
int getsockopt(SOCKET s, int level, int name, char* value, int* length);
int getsockname(SOCKET s, sockaddr* name, int* nameLength);
int getpeername(SOCKET s, sockaddr* name, int* nameLength);

// IPv4 addresses of a host name (or a dotted address); NULL with WSAHOST_NOT_FOUND and its
// relatives when there are none.
hostent* gethostbyname(const char* name);
// A dotted address ("127.0.0.1", also Windows' shorter forms) in network byte order, INADDR_NONE
// when the text is no address.
ULONG inet_addr(const char* text);
// The dotted form, in a buffer of the calling thread that its next call overwrites.
char* inet_ntoa(in_addr address);

constexpr u_short htons(u_short v) { return static_cast<u_short>(((v & 0xFF) << 8) | (v >> 8)); }
constexpr u_short ntohs(u_short v) { return htons(v); }
constexpr ULONG htonl(ULONG v) {
  return ((v & 0xFF) << 24) | ((v & 0xFF00) << 8) | ((v >> 8) & 0xFF00) | (v >> 24);
}
constexpr ULONG ntohl(ULONG v) { return htonl(v); }
