#pragma once
// Pens, brushes, palettes and stock objects; selecting objects into DCs, asking them and deleting them.
#include <gdi/GdiTypes.h>

HGDIOBJ GetStockObject(int index);
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object);  // a region returns its clip result, not a handle
BOOL DeleteObject(HGDIOBJ object);              // stock objects survive: TRUE, nothing happens
int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
inline int GetObject(HGDIOBJ object, int size, LPVOID buffer) { return GetObjectA(object, size, buffer); }
DWORD GetObjectType(HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);

HPEN CreatePen(int style, int width, COLORREF color);
HPEN CreatePenIndirect(const LOGPEN* pen);
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH CreateHatchBrush(int hatch, COLORREF color);
HBRUSH CreatePatternBrush(HBITMAP bitmap);  // the brush keeps its own copy of the pattern
HBRUSH CreateBrushIndirect(const LOGBRUSH* brush);

// Palettes only matter on palette displays; ours is 32-bit, so they carry colours and are realized
// without changing any pixel.
HPALETTE CreatePalette(const LOGPALETTE* palette);
HPALETTE CreateHalftonePalette(HDC hdc);
HPALETTE SelectPalette(HDC hdc, HPALETTE palette, BOOL forceBackground);
UINT RealizePalette(HDC hdc);
UINT GetPaletteEntries(HPALETTE palette, UINT start, UINT count, PALETTEENTRY* entries);
