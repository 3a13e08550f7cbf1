#pragma once
// Painting: invalid regions, WM_PAINT, window DCs.
//
// Every top-level window (and every window hosted in another process's window) paints into a
// 32-bit backing bitmap of its own; its descendants paint into the same bitmap, each through a DC
// with its own origin and a visible region that honours WS_CLIPCHILDREN and WS_CLIPSIBLINGS. A
// window that needs painting gets WM_PAINT when its thread's queue has nothing else.
#include <base/WinDef.h>
#include <gdi/GdiTypes.h>

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;  // the background still needs erasing (WM_ERASEBKGND answered 0)
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};
using LPPAINTSTRUCT = PAINTSTRUCT*;
using PPAINTSTRUCT = PAINTSTRUCT*;

// NULL invalidates (validates) the whole client area. A window without WS_CLIPCHILDREN takes its
// children along.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL InvalidateRgn(HWND window, HRGN region, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);
BOOL ValidateRgn(HWND window, HRGN region);
BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase);
int GetUpdateRgn(HWND window, HRGN region, BOOL erase);
// Sends WM_PAINT now when the window needs painting.
BOOL UpdateWindow(HWND window);

constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_INTERNALPAINT = 0x0002;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_NOINTERNALPAINT = 0x0010;
constexpr UINT RDW_NOERASE = 0x0020;
constexpr UINT RDW_NOCHILDREN = 0x0040;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ERASENOW = 0x0200;
constexpr UINT RDW_FRAME = 0x0400;
constexpr UINT RDW_NOFRAME = 0x0800;
// `rect` or `region` in client coordinates; both NULL: the whole window.
BOOL RedrawWindow(HWND window, const RECT* rect, HRGN region, UINT flags);

// Sends WM_NCPAINT and WM_ERASEBKGND as needed, validates the update region and gives a DC clipped
// to it. Hides the caret until EndPaint.
HDC BeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// A DC on the client area (GetDC) or the whole window (GetWindowDC); NULL gives a DC of the screen,
// for measuring. Release it with ReleaseDC.
HDC GetDC(HWND window);
HDC GetWindowDC(HWND window);
constexpr DWORD DCX_WINDOW = 0x00000001;
constexpr DWORD DCX_CACHE = 0x00000002;
constexpr DWORD DCX_PARENTCLIP = 0x00000020;
constexpr DWORD DCX_CLIPSIBLINGS = 0x00000010;
constexpr DWORD DCX_CLIPCHILDREN = 0x00000008;
constexpr DWORD DCX_EXCLUDERGN = 0x00000040;
constexpr DWORD DCX_INTERSECTRGN = 0x00000080;
constexpr DWORD DCX_INTERSECTUPDATE = 0x00000200;
constexpr DWORD DCX_VALIDATE = 0x00200000;
HDC GetDCEx(HWND window, HRGN clip, DWORD flags);
int ReleaseDC(HWND window, HDC hdc);

namespace tolvar::user {

// A window's DC (GetDC, GetWindowDC) released with ReleaseDC when the owner goes.
class WindowDC {
public:
  explicit WindowDC(HWND window, bool wholeWindow = false)
      : m_window(window), m_dc(wholeWindow ? GetWindowDC(window) : GetDC(window)) {}
  ~WindowDC() {
    if (m_dc) ReleaseDC(m_window, m_dc);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;

  HDC Get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

private:
  HWND m_window;
  HDC m_dc;
};

}  // namespace tolvar::user

constexpr UINT SW_SCROLLCHILDREN = 0x0001;
constexpr UINT SW_INVALIDATE = 0x0002;
constexpr UINT SW_ERASE = 0x0004;
// Moves the pixels of the client area (clipped to `clip`) by (dx, dy), invalidates what was uncovered
// (with SW_INVALIDATE) and moves the children along with SW_SCROLLCHILDREN.
int ScrollWindowEx(HWND window, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
                   LPRECT updateRect, UINT flags);
