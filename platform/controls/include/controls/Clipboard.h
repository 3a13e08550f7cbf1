#pragma once
// The clipboard, shared by every process of the home. Data is handed over in global memory blocks
// (<kernel/GlobalMemory.h>): SetClipboardData takes the block, GetClipboardData lends one that stays
// valid until the clipboard is emptied or closed. CF_TEXT is UTF-8 (the ANSI
// code page); CF_TEXT and CF_UNICODETEXT are each made from the other when only one was set.
// Rendering on request (a NULL block) is not offered.
#include <base/WinDef.h>
#include <kernel/GlobalMemory.h>

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_OEMTEXT = 7;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_UNICODETEXT = 13;

constexpr UINT WM_DESTROYCLIPBOARD = 0x0307;

// One window (or task, with NULL) at a time, across processes: FALSE with ERROR_ACCESS_DENIED while
// another has it open.
BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
// Clears it and makes the window that opened it the owner (the previous owner gets WM_DESTROYCLIPBOARD).
BOOL EmptyClipboard();
HANDLE SetClipboardData(UINT format, HANDLE data);
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
int CountClipboardFormats();
HWND GetClipboardOwner();
HWND GetOpenClipboardWindow();
