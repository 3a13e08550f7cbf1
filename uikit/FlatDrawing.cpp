// The flat controls' shared font setter and frame drawing.
#include "FlatDrawing.h"

#include <gdi/Unique.h>
#include <user/Paint.h>

#include <cstring>

namespace uikit {

void CopyFaceName(LOGFONTA& font, LPCSTR face) {
  std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
  if (face) std::strncpy(font.lfFaceName, face, sizeof font.lfFaceName - 1);
}

std::unique_ptr<CFont> ReplaceFont(HWND window, LPCSTR face, int height, BOOL bold, BOOL italic) {
  LOGFONTA logical{};
  auto current = reinterpret_cast<HFONT>(::SendMessageA(window, WM_GETFONT, 0, 0));
  if (!current) current = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  ::GetObjectA(current, sizeof logical, &logical);
  logical.lfHeight = height;
  logical.lfItalic = italic ? 1 : 0;
  logical.lfWeight = bold ? FW_BOLD : FW_DONTCARE;
  CopyFaceName(logical, face);
  auto font = std::make_unique<CFont>();
  if (!font->CreateFontIndirect(&logical)) return nullptr;
  ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(*font)), TRUE);
  return font;
}

void FrameColour(HDC dc, const RECT& rect, COLORREF colour) {
  tolvar::gdi::UniqueBrush brush(::CreateSolidBrush(colour));
  ::FrameRect(dc, &rect, brush.Get());
}

void DrawFlatDropFrame(HWND window, COLORREF state, COLORREF hot, COLORREF face, int buttonWidth, bool pressed) {
  tolvar::user::WindowDC dc(window);
  if (!dc) return;
  RECT client{};
  ::GetClientRect(window, &client);
  FrameColour(dc.Get(), client, state);
  RECT inside = client;
  ::InflateRect(&inside, -1, -1);
  FrameColour(dc.Get(), inside, ::IsWindowEnabled(window) ? 0xFFFFFF : hot);
  RECT button{client.right - 2 - buttonWidth, client.top + 2, client.right - 2, client.bottom - 2};
  FrameColour(dc.Get(), button, face);
  ::InflateRect(&button, -1, -1);
  FrameColour(dc.Get(), button, pressed ? state : face);
}

RECT ClientInWindow(HWND window) {
  RECT client{}, outer{};
  ::GetClientRect(window, &client);
  ::GetWindowRect(window, &outer);
  POINT origin{0, 0};
  ::ClientToScreen(window, &origin);
  ::OffsetRect(&client, origin.x - outer.left, origin.y - outer.top);
  return client;
}

bool CursorOver(HWND window) {
  POINT cursor{};
  RECT rect{};
  ::GetCursorPos(&cursor);
  ::GetWindowRect(window, &rect);
  return ::PtInRect(&rect, cursor);
}

}  // namespace uikit
