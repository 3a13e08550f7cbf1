#pragma once
// Cursors, icons and bitmaps from the system's built-in set, from a module's resources and from
// files; the cursor shown; and the caret.
#include <base/WinDef.h>
#include <gdi/GdiTypes.h>
#include <gdi/Icon.h>

// Built-in cursors and icons, as MAKEINTRESOURCE values.
inline LPCSTR MakeSystemResource(WORD id) { return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(id)); }
#define IDC_ARROW MakeSystemResource(32512)
#define IDC_IBEAM MakeSystemResource(32513)
#define IDC_WAIT MakeSystemResource(32514)
#define IDC_CROSS MakeSystemResource(32515)
#define IDC_UPARROW MakeSystemResource(32516)
#define IDC_SIZENWSE MakeSystemResource(32642)
#define IDC_SIZENESW MakeSystemResource(32643)
#define IDC_SIZEWE MakeSystemResource(32644)
#define IDC_SIZENS MakeSystemResource(32645)
#define IDC_SIZEALL MakeSystemResource(32646)
#define IDC_NO MakeSystemResource(32648)
#define IDC_HAND MakeSystemResource(32649)
#define IDC_APPSTARTING MakeSystemResource(32650)
#define IDI_APPLICATION MakeSystemResource(32512)
#define IDI_HAND MakeSystemResource(32513)
#define IDI_QUESTION MakeSystemResource(32514)
#define IDI_EXCLAMATION MakeSystemResource(32515)
#define IDI_ASTERISK MakeSystemResource(32516)
#define IDI_WINLOGO MakeSystemResource(32517)
#define IDI_ERROR IDI_HAND
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_INFORMATION IDI_ASTERISK

// With a NULL instance, the built-in ones; otherwise the module's RT_GROUP_CURSOR/RT_GROUP_ICON
// resource (the image closest to the system size). Loaded cursors and icons are shared: loading the
// same one again gives the same handle, and they live as long as the process.
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
inline HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) { return LoadCursorA(instance, name); }
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
inline HICON LoadIcon(HINSTANCE instance, LPCSTR name) { return LoadIconA(instance, name); }
// A module's RT_BITMAP resource as a new 32-bit bitmap the caller deletes.
HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name);
inline HBITMAP LoadBitmap(HINSTANCE instance, LPCSTR name) { return LoadBitmapA(instance, name); }

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT IMAGE_CURSOR = 2;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_LOADTRANSPARENT = 0x0020;
constexpr UINT LR_CREATEDIBSECTION = 0x2000;
// A bitmap, icon or cursor from the module's resources or, with LR_LOADFROMFILE, from a .bmp, .ico
// or .cur file. cx/cy pick (and scale to) a size; 0 takes the image's own size, or the system size
// with LR_DEFAULTSIZE. LR_SHARED icons and cursors are shared as LoadIcon's.
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags);
inline HANDLE LoadImage(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
  return LoadImageA(instance, name, type, cx, cy, flags);
}

// The icons of a program or library file on disk, by their place in the file's icon groups (the
// order Windows enumerates them), each at cx x cy: up to `count` icons from `index` go to `icons`
// and their group ids to `ids` (either may be nullptr); returns how many were made. With `icons`
// nullptr, returns how many icon groups the file has. 0 for a file without icons.
UINT PrivateExtractIconsA(LPCSTR file, int index, int cx, int cy, HICON* icons, UINT* ids, UINT count, UINT flags);

// The cursor shown (for the whole process); returns the previous one.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// Counts up (TRUE) or down; the cursor shows while the count is 0 or more. Returns the new count.
int ShowCursor(BOOL show);

// The caret: one per thread, in a window of the thread. A NULL bitmap gives a solid caret of
// width x height (0: the border width or height of the system metrics), (HBITMAP)1 a grey one. The
// caret is drawn by inverting, is taken away during BeginPaint/EndPaint, and does not blink: a shown
// caret stays drawn, so what is rendered does not depend on the moment.
BOOL CreateCaret(HWND window, HBITMAP bitmap, int width, int height);
BOOL DestroyCaret();
BOOL ShowCaret(HWND window);
BOOL HideCaret(HWND window);
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(LPPOINT point);
