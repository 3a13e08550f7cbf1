#pragma once
// What the kit's flat controls share: the font setter they all offer and the one-pixel frames their
// borders are made of.
#include <framework/Afx.h>

#include <memory>

namespace uikit {

// The window's current font (the system's GUI font when it has none) with the given face (cut to the
// 31 characters a logical font holds), height, italic flag and weight 700 when bold (else the
// default weight); set on the window with a redraw. The caller keeps the returned font for as long
// as the window may use it, and frees the one it held before only after this call.
std::unique_ptr<CFont> ReplaceFont(HWND window, LPCSTR face, int height, BOOL bold, BOOL italic);

// A logical font's face name from `face`, cut to what the field holds.
void CopyFaceName(LOGFONTA& font, LPCSTR face);

// A one-pixel frame of `colour` on the edge of `rect`.
void FrameColour(HDC dc, const RECT& rect, COLORREF colour);

// The frame of a flat combo box or date-time control on its client area: a ring in the state's
// colour, a white ring inside it (the accent colour while disabled), and the drop button at the
// right sitting flat in two rings of the face colour, the inner one in the state's colour while
// pressed.
void DrawFlatDropFrame(HWND window, COLORREF state, COLORREF hot, COLORREF face, int buttonWidth, bool pressed);

// The client rectangle in the coordinates of the window's own DC (GetWindowDC), where borders
// outside the client area can be drawn.
RECT ClientInWindow(HWND window);

// Whether the cursor is over the window now.
bool CursorOver(HWND window);

}  // namespace uikit
