#pragma once
// What a hosted program and the launcher say to each other, for both sides.
//
// The launcher starts a program with " hWnd=%08X hMainWnd=%08X" after its file name: the window
// the program's main dialog goes into, and the launcher's main window, which every message below
// is posted to (never sent: the launcher must not wait on a busy program, nor a program on it).
// Texts too long for a message travel through the status record: one named block of 128 bytes
// holding one NUL-terminated text, guarded by a named mutex that every writer and reader holds for
// the copy. The newest text wins; the record keeps no queue.
#include <user/User.h>

#include <string>
#include <string_view>

// Posted to the launcher's main window.
constexpr UINT WM_CHILD_READY = WM_USER + 0;        // wParam: the dialog, initialised
constexpr UINT WM_INSTANCE_COMMAND = WM_USER + 1;   // a second launcher left its command in the record
constexpr UINT WM_CHILD_DESTROYED = WM_USER + 2;    // wParam: the dialog, destroyed
constexpr UINT WM_CHILD_ACTIVATE = WM_USER + 3;     // wParam: WM_ACTIVATE's wParam; lParam: the dialog
// WM_USER + 4 to WM_USER + 6 are the launcher's own.
constexpr UINT WM_CHILD_STATUS = WM_USER + 7;       // wParam: the dialog; the text is in the record
constexpr UINT WM_CHILD_CLOSE_REFUSED = WM_USER + 8;
// Registered by this name: the program has ended.
constexpr char kCloseMainFrameName[] = "WM_CLOSE_MAIN_FRAME";

// The status record.
constexpr char kStatusRecordName[] = "VezezudaraSharedMemory";  // the mutex: this name + "Mutex"
constexpr DWORD kStatusRecordSize = 128;                        // at most 127 bytes of text and the NUL

// The command-line keys; each is followed by a hexadecimal window handle.
constexpr char kHostWindowKey[] = "hWnd=";
constexpr char kMainWindowKey[] = "hMainWnd=";

// The number of "WM_CLOSE_MAIN_FRAME", registered on first use. Not at static initialisation as
// the message's name suggests: registering opens the window station, which must wait until the
// process (a test, say) has chosen its home.
UINT CloseMainFrameMessage();

struct HostingHandles {
  HWND host = nullptr;        // the window the main dialog goes into
  HWND mainWindow = nullptr;  // the launcher's main window
};
// The handles named on a command line; each is null when its key is absent. Each key's first
// occurrence counts, read as "%x" reads it.
HostingHandles ParseHostingCommandLine(std::string_view commandLine);
// " hWnd=%08X hMainWnd=%08X", what the launcher appends to a program's file name.
std::string FormatHostingArguments(HWND host, HWND mainWindow);
