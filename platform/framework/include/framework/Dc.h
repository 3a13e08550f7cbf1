#pragma once
// Device-context objects: CDC wraps an HDC (and deletes one it created); CPaintDC, CClientDC and
// CWindowDC get theirs from a window and give it back with the object.
#include <framework/GdiObjects.h>
#include <framework/String.h>

#include <user/User.h>

class CWnd;

class CDC : public CObject {
  DECLARE_DYNCREATE(CDC)

public:
  CDC() = default;
  ~CDC() override;  // deletes a DC it made (CreateCompatibleDC)

  HDC m_hDC = nullptr;
  HDC m_hAttribDC = nullptr;
  operator HDC() const { return m_hDC; }
  HDC GetSafeHdc() const { return m_hDC; }

  static CDC* FromHandle(HDC dc);
  static void DeleteTempMap();
  BOOL Attach(HDC dc);
  HDC Detach();
  BOOL CreateCompatibleDC(CDC* dc);
  BOOL DeleteDC();

  int SaveDC() { return ::SaveDC(m_hDC); }
  BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }

  // Selecting returns the object it replaced (a temporary object), null on failure.
  CPen* SelectObject(CPen* pen);
  CBrush* SelectObject(CBrush* brush);
  CFont* SelectObject(CFont* font);
  CBitmap* SelectObject(CBitmap* bitmap);
  int SelectObject(CRgn* region) { return ::SelectClipRgn(m_hDC, region ? static_cast<HRGN>(*region) : nullptr); }
  CGdiObject* SelectObject(CGdiObject* object);
  CGdiObject* SelectStockObject(int index);
  CPalette* SelectPalette(CPalette* palette, BOOL forceBackground);
  UINT RealizePalette() { return ::RealizePalette(m_hDC); }
  CFont* GetCurrentFont() const { return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT))); }
  CBitmap* GetCurrentBitmap() const {
    return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
  }

  COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
  COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
  COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
  COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  int GetBkMode() const { return ::GetBkMode(m_hDC); }
  int SetROP2(int rop) { return ::SetROP2(m_hDC, rop); }
  UINT SetTextAlign(UINT align) { return ::SetTextAlign(m_hDC, align); }
  int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
  POINT SetViewportOrg(int x, int y);
  POINT SetWindowOrg(int x, int y);
  POINT OffsetViewportOrg(int dx, int dy);
  POINT SetBrushOrg(int x, int y);
  int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

  int GetClipBox(LPRECT rect) const { return ::GetClipBox(m_hDC, rect); }
  int SelectClipRgn(CRgn* region) { return SelectObject(region); }
  int IntersectClipRect(int left, int top, int right, int bottom) {
    return ::IntersectClipRect(m_hDC, left, top, right, bottom);
  }
  int IntersectClipRect(const RECT* rect) { return IntersectClipRect(rect->left, rect->top, rect->right, rect->bottom); }
  int ExcludeClipRect(int left, int top, int right, int bottom) {
    return ::ExcludeClipRect(m_hDC, left, top, right, bottom);
  }
  int ExcludeClipRect(const RECT* rect) { return ExcludeClipRect(rect->left, rect->top, rect->right, rect->bottom); }

  POINT MoveTo(int x, int y);
  BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
  BOOL Polyline(const POINT* points, int count) { return ::Polyline(m_hDC, points, count); }
  BOOL Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count); }
  BOOL Rectangle(int left, int top, int right, int bottom) { return ::Rectangle(m_hDC, left, top, right, bottom); }
  BOOL Rectangle(const RECT* rect) { return Rectangle(rect->left, rect->top, rect->right, rect->bottom); }
  BOOL Ellipse(int left, int top, int right, int bottom) { return ::Ellipse(m_hDC, left, top, right, bottom); }
  BOOL Ellipse(const RECT* rect) { return Ellipse(rect->left, rect->top, rect->right, rect->bottom); }
  void FillRect(const RECT* rect, CBrush* brush) { ::FillRect(m_hDC, rect, *brush); }
  void FrameRect(const RECT* rect, CBrush* brush) { ::FrameRect(m_hDC, rect, *brush); }
  void InvertRect(const RECT* rect) { ::InvertRect(m_hDC, rect); }
  BOOL FillRgn(CRgn* region, CBrush* brush) { return ::FillRgn(m_hDC, *region, *brush); }
  BOOL FrameRgn(CRgn* region, CBrush* brush, int width, int height) {
    return ::FrameRgn(m_hDC, *region, *brush, width, height);
  }
  // A rectangle of one colour, without touching the DC's brush (the background colour is left set
  // to `color`, as the text-drawing way of filling does).
  void FillSolidRect(const RECT* rect, COLORREF color);
  void FillSolidRect(int x, int y, int width, int height, COLORREF color);
  // A one-pixel frame: top and left in `topLeft`, bottom and right in `bottomRight`.
  void Draw3dRect(const RECT* rect, COLORREF topLeft, COLORREF bottomRight);
  void Draw3dRect(int x, int y, int width, int height, COLORREF topLeft, COLORREF bottomRight);
  BOOL DrawEdge(LPRECT rect, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, rect, edge, flags); }
  void DrawFocusRect(const RECT* rect) { ::DrawFocusRect(m_hDC, rect); }
  BOOL DrawFrameControl(LPRECT rect, UINT type, UINT state) { return ::DrawFrameControl(m_hDC, rect, type, state); }
  BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
  COLORREF SetPixel(int x, int y, COLORREF color) { return ::SetPixel(m_hDC, x, y, color); }
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

  BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSource, ySource, rop);
  }
  BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int xSource, int ySource, int widthSource,
                  int heightSource, DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, xSource, ySource, widthSource,
                        heightSource, rop);
  }
  BOOL PatBlt(int x, int y, int width, int height, DWORD rop) { return ::PatBlt(m_hDC, x, y, width, height, rop); }

  BOOL TextOut(int x, int y, LPCSTR text, int length) { return ::TextOutA(m_hDC, x, y, text, length); }
  BOOL TextOut(int x, int y, const CString& text) { return TextOut(x, y, text, text.GetLength()); }
  BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length, const INT* widths) {
    return ::ExtTextOutA(m_hDC, x, y, options, rect, text, length, widths);
  }
  int DrawText(LPCSTR text, int length, LPRECT rect, UINT format) { return ::DrawTextA(m_hDC, text, length, rect, format); }
  int DrawText(const CString& text, LPRECT rect, UINT format) { return DrawText(text, text.GetLength(), rect, format); }
  SIZE GetTextExtent(LPCSTR text, int length) const;
  SIZE GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }
  BOOL GetTextMetrics(LPTEXTMETRICA metrics) const { return ::GetTextMetricsA(m_hDC, metrics); }

protected:
  bool m_owned = false;       // made by CreateCompatibleDC: deleted with the object
  bool m_temporary = false;
};

// The DC of a WM_PAINT: BeginPaint with the object, EndPaint with its end.
class CPaintDC : public CDC {
  DECLARE_DYNAMIC(CPaintDC)

public:
  explicit CPaintDC(CWnd* window);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps{};

protected:
  HWND m_hWnd;
};

// GetDC / ReleaseDC of the client area.
class CClientDC : public CDC {
  DECLARE_DYNAMIC(CClientDC)

public:
  explicit CClientDC(CWnd* window);
  ~CClientDC() override;

protected:
  HWND m_hWnd;
};

// GetWindowDC / ReleaseDC of the whole window.
class CWindowDC : public CDC {
  DECLARE_DYNAMIC(CWindowDC)

public:
  explicit CWindowDC(CWnd* window);
  ~CWindowDC() override;

protected:
  HWND m_hWnd;
};
