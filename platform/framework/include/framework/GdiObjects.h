#pragma once
// The GDI object classes: each holds one handle and deletes it with the object (Detach gives it
// away). FromHandle gives the calling thread a temporary object for a handle it does not own (what
// CDC::SelectObject returns for the object it replaced); temporaries live until the thread's next
// idle time and never delete their handle.
#include <framework/Object.h>

#include <gdi/Gdi.h>

class CGdiObject : public CObject {
  DECLARE_DYNCREATE(CGdiObject)

public:
  CGdiObject() = default;
  ~CGdiObject() override;

  HGDIOBJ m_hObject = nullptr;
  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  operator HGDIOBJ() const { return m_hObject; }

  static CGdiObject* FromHandle(HGDIOBJ object);
  static void DeleteTempMap();
  BOOL Attach(HGDIOBJ object);
  HGDIOBJ Detach();
  BOOL DeleteObject();
  int GetObject(int size, LPVOID buffer) const { return ::GetObjectA(m_hObject, size, buffer); }
  BOOL CreateStockObject(int index);

protected:
  // A temporary object of class T for `object`.
  template <class T>
  static T* Temporary(HGDIOBJ object);
  bool m_temporary = false;
};

class CPen : public CGdiObject {
  DECLARE_DYNAMIC(CPen)

public:
  CPen() = default;
  CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  static CPen* FromHandle(HPEN pen) { return Temporary<CPen>(pen); }
  BOOL CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }
  BOOL CreatePenIndirect(const LOGPEN* pen) { return Attach(::CreatePenIndirect(pen)); }
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject {
  DECLARE_DYNAMIC(CBrush)

public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  static CBrush* FromHandle(HBRUSH brush) { return Temporary<CBrush>(brush); }
  BOOL CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }
  BOOL CreateHatchBrush(int hatch, COLORREF color) { return Attach(::CreateHatchBrush(hatch, color)); }
  BOOL CreatePatternBrush(class CBitmap* bitmap);
  BOOL CreateBrushIndirect(const LOGBRUSH* brush) { return Attach(::CreateBrushIndirect(brush)); }
  BOOL CreateSysColorBrush(int index) { return Attach(::CreateSolidBrush(::GetSysColor(index))); }
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CFont : public CGdiObject {
  DECLARE_DYNAMIC(CFont)

public:
  static CFont* FromHandle(HFONT font) { return Temporary<CFont>(font); }
  BOOL CreateFontIndirect(const LOGFONTA* font) { return Attach(::CreateFontIndirectA(font)); }
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic, BYTE underline,
                  BYTE strikeOut, BYTE charSet, BYTE outPrecision, BYTE clipPrecision, BYTE quality,
                  BYTE pitchAndFamily, LPCSTR faceName);
  // `pointSize` in tenths of a point, at the display's 96 pixels per inch.
  BOOL CreatePointFont(int pointSize, LPCSTR faceName);
  int GetLogFont(LOGFONTA* font) const { return GetObject(sizeof(LOGFONTA), font); }
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
};

class CBitmap : public CGdiObject {
  DECLARE_DYNAMIC(CBitmap)

public:
  static CBitmap* FromHandle(HBITMAP bitmap) { return Temporary<CBitmap>(bitmap); }
  // From the current module's resources (AfxGetResourceHandle).
  BOOL LoadBitmap(UINT id);
  BOOL LoadBitmap(LPCSTR name);
  BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
    return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
  }
  BOOL CreateCompatibleBitmap(class CDC* dc, int width, int height);
  int GetBitmap(BITMAP* bitmap) const { return GetObject(sizeof(BITMAP), bitmap); }
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
};

class CRgn : public CGdiObject {
  DECLARE_DYNAMIC(CRgn)

public:
  static CRgn* FromHandle(HRGN region) { return Temporary<CRgn>(region); }
  BOOL CreateRectRgn(int left, int top, int right, int bottom) { return Attach(::CreateRectRgn(left, top, right, bottom)); }
  BOOL CreateRectRgnIndirect(const RECT* rect) { return Attach(::CreateRectRgnIndirect(rect)); }
  int CombineRgn(const CRgn* a, const CRgn* b, int mode) {
    return ::CombineRgn(*this, *a, b ? static_cast<HRGN>(*b) : nullptr, mode);
  }
  int OffsetRgn(int dx, int dy) { return ::OffsetRgn(*this, dx, dy); }
  BOOL PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
  int GetRgnBox(LPRECT rect) const { return ::GetRgnBox(*this, rect); }
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }
};

class CPalette : public CGdiObject {
  DECLARE_DYNAMIC(CPalette)

public:
  static CPalette* FromHandle(HPALETTE palette) { return Temporary<CPalette>(palette); }
  BOOL CreatePalette(const LOGPALETTE* palette) { return Attach(::CreatePalette(palette)); }
  BOOL CreateHalftonePalette(class CDC* dc);
  UINT GetPaletteEntries(UINT start, UINT count, PALETTEENTRY* entries) const {
    return ::GetPaletteEntries(*this, start, count, entries);
  }
  operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }
};
