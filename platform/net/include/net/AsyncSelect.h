#pragma once
// Asynchronous socket notifications, as WSAAsyncSelect gives them: posted to a window of this
// process, or to a thread's message queue as a thread message.
//
// A window is the safe target on a thread that shows modal loops (dialogs, menus, message boxes):
// every loop dispatches window messages, while a thread message reaches only the loop that knows
// it, and an event left undelivered stays off until the call that re-enables it. The class
// library's sockets use a hidden window per thread for this reason.
//
// Each notification is the message `message` with wParam = the socket and lParam =
// WSAMAKESELECTREPLY(event, error). Windows' rules hold: the socket becomes non-blocking; FD_READ,
// FD_OOB, FD_ACCEPT and FD_WRITE come once and again only after the call that re-enables them
// (recv, recv with MSG_OOB, accept, a send that failed with WSAEWOULDBLOCK), so a reader is never
// flooded; FD_CONNECT comes once when a connect ends (with WSAECONNREFUSED and the like when it
// failed), followed by FD_WRITE when it succeeded; FD_CLOSE comes once when the peer closed (0),
// reset (WSAECONNRESET) or the connection was aborted, after the data before it was read. A
// socket accepted from a listener with notifications gets the listener's. One thread of the process
// watches every such socket; it sleeps while nothing happens.
#include <net/WinSock.h>

namespace tolvar::net {

// Asks for the `events` (FD_* bits) of socket `s` to be posted to thread `threadId`, replacing an
// earlier request; events 0 stops them. 0, or SOCKET_ERROR with the Winsock error.
int AsyncSelect(SOCKET s, DWORD threadId, UINT message, long events);

}  // namespace tolvar::net

// The same, posting `message` to `window`, a window of this process (looked up now: its thread
// receives the messages). WSAEINVAL when `window` is no window of this process.
int WSAAsyncSelect(SOCKET s, HWND window, UINT message, long events);

constexpr LPARAM WSAMAKESELECTREPLY(WORD event, WORD error) { return static_cast<LPARAM>(MAKELONG(event, error)); }
constexpr WORD WSAGETSELECTEVENT(LPARAM lParam) { return LOWORD(static_cast<DWORD_PTR>(lParam)); }
constexpr WORD WSAGETSELECTERROR(LPARAM lParam) { return HIWORD(static_cast<DWORD_PTR>(lParam)); }
