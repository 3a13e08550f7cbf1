#pragma once
// One line of text as the engine draws it: characters with their advances, drawn from a reference
// point in any of the four quarter-turn directions, with an optional background and underlines.
#include "DeviceContext.h"
#include "FontFace.h"

#include <string>

namespace tolvar::gdi {

struct TextCell {
  char32_t ch = 0;
  int advance = 0;
  bool underline = false;  // a prefixed character of DrawText
};

struct TextRunStyle {
  COLORREF colour = 0;
  bool opaque = false;   // fill the text cell with `background`
  COLORREF background = 0;
  const RECT* limit = nullptr;  // an extra clip rectangle, surface coordinates
};

// The realized face of the DC's font (realizing it on first use), or nullptr.
std::shared_ptr<FontFace> DcFace(DeviceContext& dc);
// The font's direction in quarter turns counter-clockwise (escapement rounded to 90 degrees).
int DcQuarterTurns(const DeviceContext& dc);

std::vector<TextCell> MakeCells(FontFace& face, const std::u32string& text, const INT* dx = nullptr);
int CellsWidth(const std::vector<TextCell>& cells);

// Draws the cells with the pen starting at `origin` on the baseline (surface coordinates), in the
// font's direction. Underlines, strike-outs and prefix underlines are drawn too.
void DrawCells(DeviceContext& dc, Dib& target, FontFace& face, int quarterTurns, const std::vector<TextCell>& cells,
               POINT origin, const TextRunStyle& style);

}  // namespace tolvar::gdi
