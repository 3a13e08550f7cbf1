#pragma once
// The class library's asynchronous socket: a Windows Sockets socket whose network events arrive as
// calls of its virtual On... handlers on the thread that created (or attached) it.
//
// The events travel as messages WM_SOCKET_NOTIFY (wParam the socket, lParam the event and error)
// to a hidden window of that thread, made with its first socket, whose procedure calls the socket
// object's handler. Any loop that dispatches the thread's messages therefore runs the handlers:
// the application's, a modal dialog's, a tracked menu's, a message box's. A thread without a
// message loop of its own calls PumpSocketNotifications. Notifications of a socket closed meanwhile
// are dropped, as are FD_READs that find nothing left to read.
#include <framework/Object.h>

#include <kernel/MessageQueue.h>
#include <net/WinSock.h>

#include <base/WinDef.h>

constexpr UINT WM_SOCKET_NOTIFY = 0x0373;

// Starts Windows Sockets for the process (once; the matching cleanup runs at exit). FALSE when it
// cannot be started.
BOOL AfxSocketInit(WSADATA* data = nullptr);

class CAsyncSocket : public CObject {
  DECLARE_DYNAMIC(CAsyncSocket)

public:
  static constexpr long kAllEvents = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

  CAsyncSocket() = default;
  ~CAsyncSocket() override;  // closes the socket

  // A socket of `socketType` bound to `socketPort` (0: any) on `socketAddress` (a dotted address;
  // null: every address of the machine), with `events` posted to the calling thread.
  BOOL Create(UINT socketPort = 0, int socketType = SOCK_STREAM, long events = kAllEvents,
              LPCSTR socketAddress = nullptr);
  BOOL Listen(int connectionBacklog = 5);
  // Accepts into `connected`, which gets this socket's events on the calling thread.
  BOOL Accept(CAsyncSocket& connected, SOCKADDR* address = nullptr, int* addressLength = nullptr);
  // `hostAddress` is a dotted address or a host name. An asynchronous connect gives FALSE with
  // WSAEWOULDBLOCK, then OnConnect with the outcome.
  BOOL Connect(LPCSTR hostAddress, UINT hostPort);
  // The bytes sent or received, or SOCKET_ERROR (see GetLastError).
  int Send(const void* buffer, int length, int flags = 0);
  int Receive(void* buffer, int length, int flags = 0);
  BOOL AsyncSelect(long events = kAllEvents);
  void Close();

  // Takes over `socket` (its events now come to this object on the calling thread) or lets go of
  // it, returning it.
  BOOL Attach(SOCKET socket, long events = kAllEvents);
  SOCKET Detach();

  // The object that owns `socket` on the calling thread, or null.
  static CAsyncSocket* FromHandle(SOCKET socket);
  static int GetLastError() { return WSAGetLastError(); }

  SOCKET m_hSocket = INVALID_SOCKET;

  // Called on the owning thread with 0 or the Winsock error of the event.
  virtual void OnReceive(int errorCode);
  virtual void OnSend(int errorCode);
  virtual void OnOutOfBandData(int errorCode);
  virtual void OnAccept(int errorCode);
  virtual void OnConnect(int errorCode);
  virtual void OnClose(int errorCode);
};

namespace tolvar::framework {

// Calls the handler a socket notification names (one taken from the queue by hand rather than
// dispatched). False when `message` is no socket notification of this thread (the loop then handles
// it as usual); true when it was one, whether or not its socket still lives.
bool DispatchSocketNotification(const MSG& message);

// Dispatches every socket notification waiting in the calling thread's queue, leaving other
// messages where they are; returns how many there were.
int PumpSocketNotifications();

}  // namespace tolvar::framework
