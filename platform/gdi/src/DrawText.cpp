#include <gdi/Text.h>

#include "Raster.h"
#include "TextRun.h"

#include <algorithm>
#include <cstring>

using namespace tolvar::gdi;

namespace {

constexpr char32_t kTab = U'\t';
const std::u32string kEllipsis = U"...";

using Line = std::vector<TextCell>;

// Prefix characters: "&x" underlines x, "&&" is one ampersand, a final "&" is dropped.
Line ParsePrefixes(FontFace& face, const std::u32string& text, UINT format) {
  Line cells;
  const bool prefixes = !(format & DT_NOPREFIX);
  for (std::size_t i = 0; i < text.size(); ++i) {
    TextCell cell;
    if (prefixes && text[i] == U'&') {
      if (i + 1 >= text.size()) break;
      ++i;
      cell.underline = text[i] != U'&' && !(format & DT_HIDEPREFIX);
    }
    cell.ch = text[i];
    cell.advance = face.Advance(cell.ch);
    cells.push_back(cell);
  }
  return cells;
}

// Tabs stop every eight average character widths from the line's start.
void ExpandTabs(Line& line, int tabWidth) {
  int x = 0;
  for (TextCell& cell : line) {
    if (cell.ch == kTab) {
      cell.advance = tabWidth - x % tabWidth;
      cell.ch = U' ';
    }
    x += cell.advance;
  }
}

std::vector<Line> SplitParagraphs(const Line& cells, bool singleLine) {
  std::vector<Line> lines(1);
  for (std::size_t i = 0; i < cells.size(); ++i) {
    const char32_t ch = cells[i].ch;
    if (ch == U'\r' || ch == U'\n') {
      if (singleLine) continue;  // a single line shows no line breaks
      if (ch == U'\r' && i + 1 < cells.size() && cells[i + 1].ch == U'\n') ++i;
      lines.emplace_back();
      continue;
    }
    lines.back().push_back(cells[i]);
  }
  return lines;
}

// Greedy word wrap at spaces; a word wider than the line stands alone and overflows.
std::vector<Line> WrapWords(const Line& paragraph, int width) {
  std::vector<Line> out;
  Line line;
  int lineWidth = 0;
  std::size_t i = 0;
  while (i < paragraph.size()) {
    std::size_t end = i;
    int wordWidth = 0;
    while (end < paragraph.size() && paragraph[end].ch != U' ') wordWidth += paragraph[end++].advance;
    std::size_t spaceEnd = end;
    int spaceWidth = 0;
    while (spaceEnd < paragraph.size() && paragraph[spaceEnd].ch == U' ') spaceWidth += paragraph[spaceEnd++].advance;
    if (!line.empty() && lineWidth + wordWidth > width) {
      while (!line.empty() && line.back().ch == U' ') line.pop_back();
      out.push_back(std::move(line));
      line.clear();
      lineWidth = 0;
    }
    line.insert(line.end(), paragraph.begin() + static_cast<std::ptrdiff_t>(i), paragraph.begin() + static_cast<std::ptrdiff_t>(spaceEnd));
    lineWidth += wordWidth + spaceWidth;
    i = spaceEnd;
  }
  while (!line.empty() && line.back().ch == U' ') line.pop_back();
  out.push_back(std::move(line));
  return out;
}

Line Dots(FontFace& face) { return MakeCells(face, kEllipsis); }

// The longest head of `line` that fits in `width` with "..." after it.
Line EndEllipsis(FontFace& face, const Line& line, int width) {
  const Line dots = Dots(face);
  const int dotsWidth = CellsWidth(dots);
  Line out;
  int used = 0;
  for (const TextCell& cell : line) {
    if (used + cell.advance + dotsWidth > width) break;
    out.push_back(cell);
    used += cell.advance;
  }
  out.insert(out.end(), dots.begin(), dots.end());
  return out;
}

// Keeps the last path component and as much of the start as fits: "C:\Dir\...\file.txt".
Line PathEllipsis(FontFace& face, const Line& line, int width) {
  std::size_t slash = line.size();
  for (std::size_t i = line.size(); i-- > 0;) {
    if (line[i].ch == U'\\' || line[i].ch == U'/') {
      slash = i;
      break;
    }
  }
  if (slash == line.size()) return EndEllipsis(face, line, width);
  const Line tail(line.begin() + static_cast<std::ptrdiff_t>(slash), line.end());
  const Line dots = Dots(face);
  const int fixed = CellsWidth(tail) + CellsWidth(dots);
  Line out;
  int used = 0;
  for (std::size_t i = 0; i < slash; ++i) {
    if (used + line[i].advance + fixed > width) break;
    out.push_back(line[i]);
    used += line[i].advance;
  }
  out.insert(out.end(), dots.begin(), dots.end());
  out.insert(out.end(), tail.begin(), tail.end());
  return out;
}

int DrawTextImpl(HDC hdc, const std::u32string& text, LPRECT rect, UINT format) {
  auto dc = LookupDc(hdc);
  if (!dc || !rect) return 0;
  auto face = DcFace(*dc);
  if (!face) return 0;
  const TEXTMETRICA& tm = face->Metrics();
  const int lineHeight = tm.tmHeight;
  if (text.empty()) {
    // Nothing is drawn; a single line still measures one line high.
    if (format & DT_CALCRECT) {
      rect->right = rect->left;
      rect->bottom = rect->top + ((format & DT_SINGLELINE) ? lineHeight : 0);
    }
    return 0;
  }
  const int rectWidth = rect->right - rect->left;
  const bool single = format & DT_SINGLELINE;

  Line all = ParsePrefixes(*face, text, format);
  std::vector<Line> lines;
  for (Line& paragraph : SplitParagraphs(all, single)) {
    if (format & DT_EXPANDTABS) ExpandTabs(paragraph, 8 * std::max<int>(1, tm.tmAveCharWidth));
    if ((format & DT_WORDBREAK) && !single) {
      for (Line& l : WrapWords(paragraph, rectWidth)) lines.push_back(std::move(l));
    } else {
      lines.push_back(std::move(paragraph));
    }
  }
  for (Line& line : lines) {
    if (CellsWidth(line) <= rectWidth) continue;
    if (format & DT_PATH_ELLIPSIS) line = PathEllipsis(*face, line, rectWidth);
    else if (format & DT_END_ELLIPSIS) line = EndEllipsis(*face, line, rectWidth);
  }
  const int total = lineHeight * static_cast<int>(lines.size());
  int maxWidth = 0;
  for (const Line& line : lines) maxWidth = std::max(maxWidth, CellsWidth(line));

  if (format & DT_CALCRECT) {
    rect->right = rect->left + maxWidth;
    rect->bottom = rect->top + total;
    return total;
  }
  int top = rect->top;
  if (single && (format & DT_VCENTER)) top = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
  else if (single && (format & DT_BOTTOM)) top = rect->bottom - lineHeight;

  Dib* target = dc->Target();
  if (!target) return total;  // the screen DC: laid out, with nothing of ours to draw on
  const POINT a = dc->LogicalToSurface(rect->left, rect->top);
  const POINT b = dc->LogicalToSurface(rect->right, rect->bottom);
  const RECT limit{a.x, a.y, b.x, b.y};
  TextRunStyle style;
  style.colour = dc->state.textColour;
  style.opaque = dc->state.bkMode == OPAQUE;
  style.background = dc->state.bkColour;
  style.limit = (format & DT_NOCLIP) ? nullptr : &limit;
  int y = top;
  for (const Line& line : lines) {
    const int width = CellsWidth(line);
    int x = rect->left;
    if (format & DT_CENTER) x = rect->left + (rectWidth - width) / 2;
    else if (format & DT_RIGHT) x = rect->right - width;
    DrawCells(*dc, *target, *face, 0, line, dc->LogicalToSurface(x, y + tm.tmAscent), style);
    y += lineHeight;
  }
  return (single && (format & (DT_VCENTER | DT_BOTTOM))) ? top - rect->top + total : total;
}

}  // namespace

int DrawTextA(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format) {
  if (!text) return 0;
  const std::size_t n = length < 0 ? std::strlen(text) : static_cast<std::size_t>(length);
  return DrawTextImpl(hdc, DecodeUtf8(text, n), rect, format);
}

int DrawTextW(HDC hdc, LPCWSTR text, int length, LPRECT rect, UINT format) {
  if (!text) return 0;
  std::size_t n = 0;
  if (length < 0) while (text[n]) ++n;
  else n = static_cast<std::size_t>(length);
  return DrawTextImpl(hdc, DecodeUtf16(text, n), rect, format);
}
