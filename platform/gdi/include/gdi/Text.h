#pragma once
// Fonts and text. "A" strings are UTF-8, "W" strings UTF-16. The suite's faces map to fixed DejaVu
// faces ("Verdana", "Tahoma", "MS Sans Serif", "Small Fonts", "Arial" and any other face to DejaVu
// Sans; "Courier New" and fixed-pitch requests to DejaVu Sans Mono) rendered with one fixed hinting
// and grey antialiasing, so a string measures the same on every machine. Heights follow LOGFONT:
// negative = character height in pixels, positive = cell height; 96 DPI.
#include <gdi/GdiTypes.h>

HFONT CreateFontIndirectA(const LOGFONTA* logfont);
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR face);
inline HFONT CreateFontIndirect(const LOGFONTA* logfont) { return CreateFontIndirectA(logfont); }

constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length);
BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int length);
BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length, const INT* dx);
BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length, const INT* dx);
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, LPSIZE size);
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int length, LPSIZE size);
BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics);
inline BOOL TextOut(HDC hdc, int x, int y, LPCSTR text, int length) { return TextOutA(hdc, x, y, text, length); }
inline BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length, const INT* dx) {
  return ExtTextOutA(hdc, x, y, options, rect, text, length, dx);
}
inline BOOL GetTextExtentPoint32(HDC hdc, LPCSTR text, int length, LPSIZE size) {
  return GetTextExtentPoint32A(hdc, text, length, size);
}
inline BOOL GetTextMetrics(HDC hdc, LPTEXTMETRICA metrics) { return GetTextMetricsA(hdc, metrics); }

constexpr UINT DT_TOP = 0x00000000;
constexpr UINT DT_LEFT = 0x00000000;
constexpr UINT DT_CENTER = 0x00000001;
constexpr UINT DT_RIGHT = 0x00000002;
constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_BOTTOM = 0x00000008;
constexpr UINT DT_WORDBREAK = 0x00000010;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_EXPANDTABS = 0x00000040;
constexpr UINT DT_NOCLIP = 0x00000100;
constexpr UINT DT_CALCRECT = 0x00000400;
constexpr UINT DT_NOPREFIX = 0x00000800;
constexpr UINT DT_PATH_ELLIPSIS = 0x00004000;
constexpr UINT DT_END_ELLIPSIS = 0x00008000;
constexpr UINT DT_HIDEPREFIX = 0x00100000;

// Returns the height of the text drawn (with DT_VCENTER or DT_BOTTOM, the offset from the rectangle's
// top to the text's bottom), 0 on failure.
int DrawTextA(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format);
int DrawTextW(HDC hdc, LPCWSTR text, int length, LPRECT rect, UINT format);
inline int DrawText(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format) {
  return DrawTextA(hdc, text, length, rect, format);
}
