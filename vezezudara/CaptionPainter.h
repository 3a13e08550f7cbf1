#pragma once
// CCaptionPainter: the launcher's own title bar. It hooks the frame (CSubclassWnd) and keeps two
// cached caption bitmaps, one per look (active, inactive). A missing bitmap is made by asking the
// frame: WM_CAPTION_REPAINT with a CaptionPaintBlock paints gradient and title into it, then
// WM_CAPTION_DRAWBUTTONS draws the caption buttons into the same bitmap; the bitmap is then copied
// onto the window's caption. Painting from the cache is cheap, so the frame repaints it after
// every message that may have let the system draw a caption of its own.
#include "SubclassWnd.h"

#include <framework/Afx.h>
#include <gdi/Unique.h>

// The caption as it lies in window coordinates: inside the borders, SM_CYCAPTION - SM_CYBORDER high.
RECT CaptionRect(HWND window);

// The frame's answer to WM_CAPTION_REPAINT: a gradient from the start colour (the system's caption
// colour) at the left to the end colour from five sixths of the width on, in bands, and the title
// from `textLeft` to `textRight`, white on a dark start colour, else black.
void PaintCaptionGradient(HDC dc, int width, int height, bool active, LPCSTR title, HFONT font, int textLeft,
                          int textRight);
// The lightness of a colour on the 0 to 240 scale.
int ColourLightness(COLORREF colour);

class CCaptionPainter : public CSubclassWnd {
public:
  ~CCaptionPainter() override { Uninstall(); }
  // Hooks the frame and tells the system that the frame paints its own caption: a display then
  // shows the whole frame (our caption included) without the desktop's decorations. Uninstall
  // gives the caption back.
  BOOL Install(HWND frame, UINT repaintMessage, DWORD flags = 0);
  void Uninstall();
  void Unhook() { Uninstall(); }
  void SetTitle(LPCSTR title);
  const CString& GetTitle() const { return m_title; }
  // The look to draw (non-zero: active); the frame sets it and repaints.
  void SetActive(int active) { m_active = active; }
  int GetActive() const { return m_active; }
  // Copies the cached caption for the current look onto the window, making it when missing.
  void PaintCaption();
  // Drops both cached bitmaps (a new title, new settings).
  void DropCache();
  // The caption font, made from the system's caption font on first use.
  HFONT CaptionFont();
  void DeleteCaptionFont() { m_font.Reset(); }

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  LRESULT DefaultUnseen(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT NonClientPaint(WPARAM wParam, LPARAM lParam);

  UINT m_repaintMessage = 0;
  CString m_title;
  int m_active = 0;
  tolvar::gdi::UniqueFont m_font;
  tolvar::gdi::UniqueBitmap m_cache[2];  // [0] inactive, [1] active
  SIZE m_cacheSize{0, 0};
};
