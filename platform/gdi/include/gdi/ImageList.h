#pragma once
// Image lists: equal-sized images with masks, drawn transparently, blended or as masks, and the
// drag image that follows the mouse over a window.
#include <gdi/GdiTypes.h>

constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR = 0x0000;
constexpr UINT ILC_COLORDDB = 0x00FE;
constexpr UINT ILC_COLOR4 = 0x0004;
constexpr UINT ILC_COLOR8 = 0x0008;
constexpr UINT ILC_COLOR16 = 0x0010;
constexpr UINT ILC_COLOR24 = 0x0018;
constexpr UINT ILC_COLOR32 = 0x0020;

constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;
constexpr UINT ILD_BLEND25 = 0x0002;
constexpr UINT ILD_FOCUS = ILD_BLEND25;
constexpr UINT ILD_BLEND50 = 0x0004;
constexpr UINT ILD_SELECTED = ILD_BLEND50;
constexpr UINT ILD_BLEND = ILD_BLEND50;
constexpr UINT ILD_MASK = 0x0010;
constexpr UINT ILD_IMAGE = 0x0020;

constexpr COLORREF CLR_NONE = 0xFFFFFFFF;
constexpr COLORREF CLR_DEFAULT = 0xFF000000;

struct IMAGEINFO {
  HBITMAP hbmImage;  // the list's own bitmaps: not to be deleted or selected by the caller
  HBITMAP hbmMask;
  int Unused1;
  int Unused2;
  RECT rcImage;
};

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST list);
int ImageList_GetImageCount(HIMAGELIST list);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
// Adds every image of the bitmap (its width / cx images); the mask may be NULL. Returns the first
// new index, or -1.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// The mask comes from the pixels of `maskColour`, which are drawn transparent. The caller's bitmap
// is left as it was.
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF maskColour);
// Replaces image `index`, or appends with -1. Returns the index, or -1.
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
inline int ImageList_AddIcon(HIMAGELIST list, HICON icon) { return ImageList_ReplaceIcon(list, -1, icon); }
BOOL ImageList_Remove(HIMAGELIST list, int index);  // -1 removes all
HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT flags);
COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF colour);
COLORREF ImageList_GetBkColor(HIMAGELIST list);
BOOL ImageList_GetImageInfo(HIMAGELIST list, int index, IMAGEINFO* info);
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC hdc, int x, int y, UINT style);
BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC hdc, int x, int y, int dx, int dy, COLORREF background,
                      COLORREF foreground, UINT style);

// Dragging: one drag image per process, shown over the screen above every window while it is
// entered and not hidden (DragShowNolock). Positions are relative to the top-left corner of the
// window given to DragEnter (the screen for the desktop window or NULL); DragEnter fails when that
// is no window, or when no window manager is there to show the image.
BOOL ImageList_BeginDrag(HIMAGELIST track, int index, int dxHotspot, int dyHotspot);
BOOL ImageList_DragEnter(HWND lock, int x, int y);
BOOL ImageList_DragMove(int x, int y);
BOOL ImageList_DragShowNolock(BOOL show);
BOOL ImageList_DragLeave(HWND lock);
void ImageList_EndDrag();

namespace tolvar::gdi {

// The window manager shows the drag image: it is not drawn into any window's pixels (so nothing
// a window paints meanwhile can be lost or overdrawn), but over what windows show, when they are
// rendered for the screen or a picture. `origin` answers where a window's top-left corner lies on
// the screen (false: no such window; NULL is the screen itself); `changed` is told, outside any
// lock of the drag, the screen rectangles the image left and now covers (empty when not shown).
using DragOrigin = bool (*)(HWND window, POINT& screen);
using DragChanged = void (*)(const RECT& before, const RECT& after);
void SetDragScreen(DragOrigin origin, DragChanged changed);
// The screen rectangle the drag image covers now; empty when none is shown.
RECT DragImageRect();
// Draws the drag image, when it is shown, into `hdc`, whose point (0, 0) is the screen point
// `origin`.
void DrawDragImage(HDC hdc, POINT origin);

}  // namespace tolvar::gdi
