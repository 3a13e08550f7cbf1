#include <framework/AsyncSocket.h>

#include <kernel/Thread.h>
#include <net/AsyncSelect.h>
#include <user/User.h>

#include <cstring>
#include <mutex>
#include <unordered_map>

IMPLEMENT_DYNAMIC(CAsyncSocket, CObject)

namespace {

// Which object owns each socket, and on which thread its handlers run. One table for the process,
// so that an object destroyed on another thread cannot stay behind in its owner thread's table.
struct Owner {
  CAsyncSocket* object;
  DWORD thread;
};

struct SocketTable {
  std::mutex lock;
  std::unordered_map<SOCKET, Owner> owners;
};

SocketTable& Table() {
  static auto* table = new SocketTable;  // never destroyed: sockets may close during exit
  return *table;
}

void SetOwner(SOCKET socket, CAsyncSocket* object) {
  SocketTable& t = Table();
  std::lock_guard guard(t.lock);
  t.owners[socket] = {object, GetCurrentThreadId()};
}

void RemoveOwner(SOCKET socket) {
  SocketTable& t = Table();
  std::lock_guard guard(t.lock);
  t.owners.erase(socket);
}

CAsyncSocket* OwnerOn(SOCKET socket, DWORD thread) {
  SocketTable& t = Table();
  std::lock_guard guard(t.lock);
  auto it = t.owners.find(socket);
  return it != t.owners.end() && it->second.thread == thread ? it->second.object : nullptr;
}

// The hidden window each thread's socket notifications are posted to. A window, not the thread
// queue, because every message loop dispatches window messages: a notification that arrives while
// a dialog, a menu or a message box runs its own loop still reaches its socket at once.
constexpr char kSocketWindowClass[] = "TolvarSocketSink";

struct Handler {
  long event;
  void (CAsyncSocket::*call)(int);
};
constexpr Handler kHandlers[] = {
    {FD_READ, &CAsyncSocket::OnReceive},      {FD_WRITE, &CAsyncSocket::OnSend},
    {FD_OOB, &CAsyncSocket::OnOutOfBandData}, {FD_ACCEPT, &CAsyncSocket::OnAccept},
    {FD_CONNECT, &CAsyncSocket::OnConnect},   {FD_CLOSE, &CAsyncSocket::OnClose},
};

// Calls the handler of the event a notification names, when its socket still has an object here.
void DeliverNotification(SOCKET socket, LPARAM reply) {
  CAsyncSocket* object = OwnerOn(socket, GetCurrentThreadId());
  if (!object) return;  // closed or detached since the event was posted
  long event = WSAGETSELECTEVENT(reply);
  int error = WSAGETSELECTERROR(reply);
  if (event == FD_READ && error == 0) {
    // An FD_READ whose bytes an earlier Receive already took has nothing to announce.
    u_long waiting = 0;
    if (ioctlsocket(socket, FIONREAD, &waiting) == SOCKET_ERROR) error = WSAGetLastError();
    if (waiting == 0 && error == 0) return;
  }
  for (const Handler& h : kHandlers) {
    if (h.event == event) {
      (object->*h.call)(error);
      return;
    }
  }
}

LRESULT SocketWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SOCKET_NOTIFY) {
    DeliverNotification(static_cast<SOCKET>(wParam), lParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// Trivial, so reading it registers nothing; the window manager destroys the window with its thread.
thread_local HWND t_socketWindow = nullptr;

HWND SocketWindow() {
  if (t_socketWindow && IsWindow(t_socketWindow)) return t_socketWindow;
  static const bool registered = [] {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = SocketWindowProc;
    windowClass.lpszClassName = kSocketWindowClass;
    return RegisterClassA(&windowClass) != 0;
  }();
  if (!registered) return nullptr;
  t_socketWindow = CreateWindowExA(0, kSocketWindowClass, "Socket Notification Sink", WS_OVERLAPPED, 0, 0, 0, 0,
                                   nullptr, nullptr, nullptr, nullptr);
  return t_socketWindow;
}

BOOL FailWith(int error) {
  WSASetLastError(error);
  return FALSE;
}

struct Startup {
  bool started = false;
  WSADATA data{};
  Startup() { started = WSAStartup(MAKEWORD(1, 1), &data) == 0; }
  ~Startup() {
    if (started) WSACleanup();
  }
};

}  // namespace

BOOL AfxSocketInit(WSADATA* data) {
  static Startup startup;
  if (startup.started && data) *data = startup.data;
  return startup.started ? TRUE : FALSE;
}

CAsyncSocket::~CAsyncSocket() { Close(); }

BOOL CAsyncSocket::Create(UINT socketPort, int socketType, long events, LPCSTR socketAddress) {
  if (m_hSocket != INVALID_SOCKET) return FailWith(WSAEINVAL);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(socketPort));
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (socketAddress) {
    address.sin_addr.s_addr = inet_addr(socketAddress);
    if (address.sin_addr.s_addr == INADDR_NONE) return FailWith(WSAEINVAL);
  }
  SOCKET socket = ::socket(AF_INET, socketType, 0);
  if (socket == INVALID_SOCKET) return FALSE;
  if (!Attach(socket, events)) {
    int error = WSAGetLastError();
    closesocket(socket);
    return FailWith(error);
  }
  if (bind(m_hSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) == SOCKET_ERROR) {
    int error = WSAGetLastError();
    Close();
    return FailWith(error);
  }
  return TRUE;
}

BOOL CAsyncSocket::Listen(int connectionBacklog) { return listen(m_hSocket, connectionBacklog) != SOCKET_ERROR; }

BOOL CAsyncSocket::Accept(CAsyncSocket& connected, SOCKADDR* address, int* addressLength) {
  if (connected.m_hSocket != INVALID_SOCKET) return FailWith(WSAEINVAL);
  SOCKET socket = accept(m_hSocket, address, addressLength);
  if (socket == INVALID_SOCKET) return FALSE;
  if (!connected.Attach(socket)) {
    int error = WSAGetLastError();
    closesocket(socket);
    return FailWith(error);
  }
  return TRUE;
}

BOOL CAsyncSocket::Connect(LPCSTR hostAddress, UINT hostPort) {
  if (!hostAddress) return FailWith(WSAEINVAL);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(hostPort));
  address.sin_addr.s_addr = inet_addr(hostAddress);
  if (address.sin_addr.s_addr == INADDR_NONE) {
    hostent* host = gethostbyname(hostAddress);
    if (!host) return FALSE;
    std::memcpy(&address.sin_addr.s_addr, host->h_addr_list[0], sizeof address.sin_addr.s_addr);
  }
  return connect(m_hSocket, reinterpret_cast<sockaddr*>(&address), sizeof address) != SOCKET_ERROR;
}

int CAsyncSocket::Send(const void* buffer, int length, int flags) {
  return send(m_hSocket, static_cast<const char*>(buffer), length, flags);
}

int CAsyncSocket::Receive(void* buffer, int length, int flags) {
  return recv(m_hSocket, static_cast<char*>(buffer), length, flags);
}

BOOL CAsyncSocket::AsyncSelect(long events) {
  if (m_hSocket == INVALID_SOCKET) return FailWith(WSAENOTSOCK);
  HWND window = events ? SocketWindow() : nullptr;
  if (events && !window) return FailWith(WSAENOBUFS);
  SetOwner(m_hSocket, this);  // the events now come to the calling thread
  if (!events) return tolvar::net::AsyncSelect(m_hSocket, GetCurrentThreadId(), 0, 0) != SOCKET_ERROR;
  return WSAAsyncSelect(m_hSocket, window, WM_SOCKET_NOTIFY, events) != SOCKET_ERROR;
}

void CAsyncSocket::Close() {
  if (m_hSocket == INVALID_SOCKET) return;
  RemoveOwner(m_hSocket);
  closesocket(m_hSocket);
  m_hSocket = INVALID_SOCKET;
}

BOOL CAsyncSocket::Attach(SOCKET socket, long events) {
  if (socket == INVALID_SOCKET || m_hSocket != INVALID_SOCKET) return FailWith(WSAEINVAL);
  m_hSocket = socket;
  SetOwner(socket, this);
  if (events && !AsyncSelect(events)) {
    int error = WSAGetLastError();
    RemoveOwner(socket);
    m_hSocket = INVALID_SOCKET;
    return FailWith(error);
  }
  return TRUE;
}

SOCKET CAsyncSocket::Detach() {
  SOCKET socket = m_hSocket;
  if (socket != INVALID_SOCKET) RemoveOwner(socket);
  m_hSocket = INVALID_SOCKET;
  return socket;
}

CAsyncSocket* CAsyncSocket::FromHandle(SOCKET socket) { return OwnerOn(socket, GetCurrentThreadId()); }

void CAsyncSocket::OnReceive(int) {}
void CAsyncSocket::OnSend(int) {}
void CAsyncSocket::OnOutOfBandData(int) {}
void CAsyncSocket::OnAccept(int) {}
void CAsyncSocket::OnConnect(int) {}
void CAsyncSocket::OnClose(int) {}

namespace tolvar::framework {

bool DispatchSocketNotification(const MSG& message) {
  if (message.message != WM_SOCKET_NOTIFY) return false;
  if (message.hwnd && message.hwnd != t_socketWindow) return false;
  DeliverNotification(static_cast<SOCKET>(message.wParam), message.lParam);
  return true;
}

int PumpSocketNotifications() {
  int count = 0;
  MSG message;
  if (!t_socketWindow || !IsWindow(t_socketWindow)) return 0;
  while (PeekMessageA(&message, t_socketWindow, WM_SOCKET_NOTIFY, WM_SOCKET_NOTIFY, PM_REMOVE)) {
    DispatchSocketNotification(message);
    ++count;
  }
  return count;
}

}  // namespace tolvar::framework
