#include "OffscreenPaint.h"

#include "FlatDrawing.h"

#include <controls/Controls.h>
#include <gdi/Unique.h>

namespace uikit {

void PaintOffscreen(CWnd& control, COLORREF fill) {
  CPaintDC paint(&control);
  RECT parentClient{};
  if (CWnd* parent = control.GetParent()) parent->GetClientRect(&parentClient);
  if (parentClient.right - parentClient.left == 0 && parentClient.bottom - parentClient.top == 0) return;

  RECT window{};
  control.GetWindowRect(&window);
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  tolvar::gdi::UniqueDC memory(::CreateCompatibleDC(paint));
  if (!memory) return;
  tolvar::gdi::UniqueBitmap bitmap(::CreateCompatibleBitmap(paint, width, height));
  if (!bitmap) return;
  {
    tolvar::gdi::ScopedSelect select(memory.Get(), bitmap.Get());
    tolvar::gdi::UniqueBrush brush(::CreateSolidBrush(fill));
    RECT all{0, 0, width, height};
    ::FillRect(memory.Get(), &all, brush.Get());
    control.SendMessage(WM_PRINT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT | PRF_CHILDREN);
    control.SendMessage(WM_PRINT, reinterpret_cast<WPARAM>(memory.Get()), PRF_NONCLIENT);
    // The bitmap holds the whole window; the paint DC starts at the client area. Only the control's
    // own size is copied: the parent's client area may be larger than the bitmap.
    const RECT client = ClientInWindow(control);
    ::BitBlt(paint, parentClient.left, parentClient.top, client.right - client.left, client.bottom - client.top,
             memory.Get(), client.left, client.top, SRCCOPY);
  }
}

}  // namespace uikit
