#pragma once
// Thread message queues and thread timers. A thread gets its queue on first use: its first
// GetMessage, PeekMessage, MsgWaitForMultipleObjects, PostQuitMessage or SetTimer, or the first
// message posted to it once it has called into the kernel (GetCurrentThreadId is enough). Posting
// to a thread that has not yet looked at its queue therefore never loses the message.
//
// GetMessage and PeekMessage look, in this order, at: messages other threads sent (run through the
// queue extension), posted messages in the order they came, the WM_QUIT of PostQuitMessage, messages
// the extension makes when nothing else is there (WM_PAINT), and last expired timers, so WM_TIMER
// comes only when the queue is otherwise empty and never piles up. WM_QUIT passes every range filter.
#include <base/WinDef.h>

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
using LPMSG = MSG*;
using PMSG = MSG*;

using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;

// Queue status bits, the wake masks of MsgWaitForMultipleObjects.
constexpr DWORD QS_KEY = 0x0001;
constexpr DWORD QS_MOUSEMOVE = 0x0002;
constexpr DWORD QS_MOUSEBUTTON = 0x0004;
constexpr DWORD QS_POSTMESSAGE = 0x0008;
constexpr DWORD QS_TIMER = 0x0010;
constexpr DWORD QS_PAINT = 0x0020;
constexpr DWORD QS_SENDMESSAGE = 0x0040;
constexpr DWORD QS_HOTKEY = 0x0080;
constexpr DWORD QS_ALLPOSTMESSAGE = 0x0100;
constexpr DWORD QS_RAWINPUT = 0x0400;
constexpr DWORD QS_MOUSE = QS_MOUSEMOVE | QS_MOUSEBUTTON;
constexpr DWORD QS_INPUT = QS_MOUSE | QS_KEY | QS_RAWINPUT;
constexpr DWORD QS_ALLEVENTS = QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY;
constexpr DWORD QS_ALLINPUT = QS_ALLEVENTS | QS_SENDMESSAGE;

// MsgWaitForMultipleObjectsEx flags. There are no asynchronous procedure calls, so an alertable
// wait behaves as a plain one.
constexpr DWORD MWMO_WAITALL = 0x0001;
constexpr DWORD MWMO_ALERTABLE = 0x0002;
constexpr DWORD MWMO_INPUTAVAILABLE = 0x0004;

constexpr UINT USER_TIMER_MINIMUM = 0x0000000A;
constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;

// Posts to a thread of this process (or, through the queue extension, of another process). Fails
// with ERROR_INVALID_THREAD_ID for a thread that does not exist, has ended, or never called into
// the kernel.
BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
inline BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  return PostThreadMessageA(threadId, message, wParam, lParam);
}

// `window` NULL takes every message of the thread, (HWND)-1 only thread messages, a window only
// that window's (and its children's). Returns 0 for WM_QUIT, -1 on a bad argument.
BOOL GetMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax);
inline BOOL GetMessage(LPMSG message, HWND window, UINT filterMin, UINT filterMax) {
  return GetMessageA(message, window, filterMin, filterMax);
}
BOOL PeekMessageA(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
inline BOOL PeekMessage(LPMSG message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  return PeekMessageA(message, window, filterMin, filterMax, removeFlags);
}

// Sleeps until input arrives that the thread has not yet looked at with GetMessage or PeekMessage.
BOOL WaitMessage();
void PostQuitMessage(int exitCode);

// As WaitForMultipleObjects (at most 63 handles), and also returns WAIT_OBJECT_0 + count when input
// of the kinds in `wakeMask` arrived since the thread last looked at its queue (any input already
// there, with MWMO_INPUTAVAILABLE).
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                DWORD wakeMask);
DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD milliseconds,
                                  DWORD wakeMask, DWORD flags);

// Thread timers (window NULL) and, through the queue extension, timers of the calling thread's
// windows. A thread timer gets a new id unless `id` names one of the thread's timers, which is
// then reset; a window timer keeps `id`, and setting it again resets it. Returns the timer's id (1
// for a window timer of id 0), 0 on failure.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc);
BOOL KillTimer(HWND window, UINT_PTR id);
