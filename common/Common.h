#pragma once
// Common: small utilities the suite delivers for other programs (no program of the suite loads it).
// Registry values by key path, the Windows version and technology, the administrator test, full
// screen, a bitmap file with its palette, and a system error code as text. The bitmap file dialog
// with its preview is CBmpFileDialog (BmpFileDialog.h).
//
// The registry functions answer the registry's error code (0 success), plus 4306 for a value that
// is empty or could not be read and 24 for a number whose size is not 4 bytes.
#include <framework/Afx.h>
#include <framework/GdiObjects.h>
#include <registry/WinReg.h>

enum enumWINDOWS_VERSION {
  WINDOWS_VERSION_OTHER = 0,
  WINDOWS_VERSION_WIN32S = 1,
  WINDOWS_VERSION_95 = 16,
  WINDOWS_VERSION_98_ME = 18,
  WINDOWS_VERSION_NT3 = 33,
  WINDOWS_VERSION_NT4 = 34,
  WINDOWS_VERSION_NT5 = 36,
};

enum enumWINDOWS_TECHNOLOGY {
  WINDOWS_TECHNOLOGY_WIN32S = 1,
  WINDOWS_TECHNOLOGY_9X = 16,
  WINDOWS_TECHNOLOGY_NT = 32,
};

// The code of an empty or unreadable value, and of a number of the wrong size.
constexpr LONG kCommonEmptyValue = 4306;
constexpr LONG kCommonBadNumberSize = 24;

LONG GetRegistryKeyValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, CString& value);
LONG GetRegistryKeyValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, DWORD& value);
// The first path, and when that read fails the alternative one (whose code is answered).
LONG GetRegistryAltKeyValue(HKEY root, LPCSTR keyPath, LPCSTR altKeyPath, LPCSTR valueName, CString& value);
LONG GetRegistryAltKeyValue(HKEY root, LPCSTR keyPath, LPCSTR altKeyPath, LPCSTR valueName, DWORD& value);
// `create` makes the key when it is missing; otherwise it must exist.
LONG SetRegistryKeyValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, DWORD value, BOOL create);
LONG SetRegistryKeyValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, LPCSTR value, BOOL create);
// The key's sub-key names into `names` (when given), at most `count` of them when `count` is not 0
// (`names` must then hold that many; with 0 it must hold them all); `count` becomes the number
// stored. The answer is that of opening the key.
LONG GetRegistryEnumKey(HKEY root, LPCSTR keyPath, CString* names, int& count);

enumWINDOWS_VERSION GetWindowsVersion();
// The technology, with the version stored into `version`.
enumWINDOWS_TECHNOLOGY GetWindowsVersion(enumWINDOWS_VERSION& version);
enumWINDOWS_TECHNOLOGY GetWindowsTechnology();
enumWINDOWS_TECHNOLOGY GetWindowsTechnology(enumWINDOWS_VERSION version);

// 1 when the caller belongs to the local Administrators group.
int IsAdmin();

// On: keeps the window's rectangle in `saved`, drops the dialog frame and covers the screen with the
// window's borders just outside it. Off: gives back the caption and the kept rectangle.
void GoFullScreen(HWND window, int full, RECT& saved);

// Loads a .bmp file at its own size and depth into `bitmap`, with `palette` its colours (the file's
// colour table; a halftone palette for more than 8 bits per pixel). What the objects held before is
// deleted first. 1 loaded, 0 failed.
int LoadBitmapFromBMPFile(LPCSTR path, CBitmap* bitmap, CPalette* palette);

// The system's message for an error code ("" when it has none).
CString GetWinErrorString(DWORD code);
