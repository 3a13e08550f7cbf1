#pragma once
// Icons and cursors as images: an AND mask and a colour (XOR) image. The resource runtime hands
// RT_ICON/RT_CURSOR bytes to CreateIconFromResourceEx; LoadIcon and LoadImage are built on it.
#include <gdi/GdiTypes.h>

struct ICONINFO {
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;
  HBITMAP hbmColor;
};
using PICONINFO = ICONINFO*;

constexpr UINT DI_MASK = 0x0001;
constexpr UINT DI_IMAGE = 0x0002;
constexpr UINT DI_NORMAL = 0x0003;
constexpr UINT DI_DEFAULTSIZE = 0x0008;

constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_MONOCHROME = 0x0001;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_SHARED = 0x8000;

// Copies the bitmaps: the caller keeps its own. A NULL colour bitmap makes a monochrome icon whose
// mask holds the AND half above the XOR half.
HICON CreateIconIndirect(const ICONINFO* info);
// Gives new copies of the bitmaps, which the caller deletes.
BOOL GetIconInfo(HICON icon, PICONINFO info);
BOOL DestroyIcon(HICON icon);
inline BOOL DestroyCursor(HCURSOR cursor) { return DestroyIcon(cursor); }
HICON CopyIcon(HICON icon);
// `bits` is an RT_ICON image (a DIB of doubled height: the colour rows, then the AND mask) or, with
// `isIcon` FALSE, an RT_CURSOR image (the hot spot as two little-endian WORDs, then the DIB). A
// non-zero cx/cy scales the image to that size.
HICON CreateIconFromResourceEx(const BYTE* bits, DWORD size, BOOL isIcon, DWORD version, int cx, int cy,
                               UINT flags);

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);
BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flickerFree, UINT flags);
