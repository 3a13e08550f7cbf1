#pragma once
// Everything of the window manager.
//
// How it is built, in short:
// - The window station: one table in shared memory per home (every window's owner process and
//   thread, tree links, class name, text, style, id and rectangles; the registered messages; the
//   foreground window, the capture and the pointer). An HWND is a 32-bit number valid in every
//   process; a window whose process died is no window.
// - The owner process keeps the window object (procedure, extra bytes, update region, backing
//   bitmap). What another process does to it (posts, sends, ShowWindow, SetWindowPos, MoveWindow,
//   SetParent, EnableWindow, painting requests) travels as a datagram to the owner's mailbox (a Unix
//   datagram socket under home) and is carried out by the window's own thread; sends are answered
//   the same way and waited for with a time-out, the sender serving what is sent to it meanwhile.
// - Each thread's queue (the kernel's) is consulted in Windows' order: sent messages, posted ones,
//   mouse and keyboard input, WM_PAINT, timers.
// - Painting: every top-level window, and every window hosted in another process's window, has a
//   32-bit backing bitmap; its descendants paint into it through clipped DCs. A host gets a hosted
//   window's pixels from its owner on demand (see RenderWindow in <user/Headless.h>).
// - Headless: input is injected (<user/Headless.h>); a display module plugs in through
//   <user/DisplayBackend.h>.
#include <user/Styles.h>
#include <user/Messages.h>
#include <user/Window.h>
#include <user/WindowPos.h>
#include <user/Paint.h>
#include <user/Input.h>
#include <user/Dialog.h>
#include <user/Menu.h>
#include <user/ScrollBar.h>
#include <user/Cursor.h>
#include <user/Headless.h>
#include <user/DisplayBackend.h>
#include <user/Seams.h>
