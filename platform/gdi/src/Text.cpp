#include <gdi/Text.h>
#include <gdi/Shapes.h>

#include "Raster.h"
#include "TextRun.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <cstring>

namespace tolvar::gdi {

std::shared_ptr<FontFace> DcFace(DeviceContext& dc) {
  FontObject* font = dc.state.font.object.get();
  if (!font) return nullptr;
  if (!font->face) font->face = FontFace::Realize(font->logfont);
  return font->face;
}

int DcQuarterTurns(const DeviceContext& dc) {
  const FontObject* font = dc.state.font.object.get();
  if (!font) return 0;
  const int tenths = ((font->logfont.lfEscapement % 3600) + 3600) % 3600;
  return ((tenths + 450) / 900) % 4;
}

std::vector<TextCell> MakeCells(FontFace& face, const std::u32string& text, const INT* dx) {
  std::vector<TextCell> cells;
  cells.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    TextCell cell;
    cell.ch = text[i];
    cell.advance = dx ? dx[i] : face.Advance(text[i]);
    cells.push_back(cell);
  }
  return cells;
}

int CellsWidth(const std::vector<TextCell>& cells) {
  int width = 0;
  for (const TextCell& c : cells) width += c.advance;
  return width;
}

namespace {

// Where the text-frame pixel (u, v) (u along the baseline, v downwards) lands for a reference point.
POINT Turn(POINT origin, int quarterTurns, int u, int v) {
  switch (quarterTurns) {
    case 1: return POINT{origin.x + v, origin.y - u - 1};
    case 2: return POINT{origin.x - u - 1, origin.y - v - 1};
    case 3: return POINT{origin.x - v - 1, origin.y + u};
    default: return POINT{origin.x + u, origin.y + v};
  }
}

struct Painter {
  Dib& target;
  const RegionData& clip;
  const RECT* limit;

  bool Inside(POINT p) const {
    if (limit && (p.x < limit->left || p.x >= limit->right || p.y < limit->top || p.y >= limit->bottom)) return false;
    return clip.Contains(p.x, p.y);
  }

  void Blend(POINT p, int coverage, COLORREF colour, std::uint32_t value) {
    if (coverage == 0 || !Inside(p)) return;
    if (coverage >= 255 || target.Bpp() < 16) {
      if (coverage >= 128) target.Set(p.x, p.y, value);
      return;
    }
    const COLORREF under = target.ValueToColour(target.Get(p.x, p.y));
    auto mix = [&](int a, int b) { return static_cast<BYTE>((a * coverage + b * (255 - coverage) + 127) / 255); };
    target.Set(p.x, p.y, target.ColourToValue(RGB(mix(GetRValue(colour), GetRValue(under)),
                                                  mix(GetGValue(colour), GetGValue(under)),
                                                  mix(GetBValue(colour), GetBValue(under)))));
  }
};

}  // namespace

void DrawCells(DeviceContext& dc, Dib& target, FontFace& face, int quarterTurns, const std::vector<TextCell>& cells,
               POINT origin, const TextRunStyle& style) {
  Painter painter{target, dc.EffectiveClip(), style.limit};
  const TEXTMETRICA& tm = face.Metrics();
  const int width = CellsWidth(cells);
  if (style.opaque) {
    const std::uint32_t back = ColourValue(target, style.background);
    for (int v = -tm.tmAscent; v < tm.tmDescent; ++v)
      for (int u = 0; u < width; ++u) painter.Blend(Turn(origin, quarterTurns, u, v), 255, style.background, back);
  }
  const std::uint32_t value = ColourValue(target, style.colour);
  int pen = 0;
  for (const TextCell& cell : cells) {
    const Glyph& g = face.GetGlyph(cell.ch);
    for (int y = 0; y < g.height; ++y)
      for (int x = 0; x < g.width; ++x) {
        const int coverage = g.coverage[static_cast<std::size_t>(y) * g.width + x];
        if (coverage) painter.Blend(Turn(origin, quarterTurns, pen + g.left + x, y - g.top), coverage, style.colour, value);
      }
    if (cell.underline) {
      for (int t = 0; t < face.UnderlineThickness(); ++t)
        for (int u = pen; u < pen + cell.advance; ++u)
          painter.Blend(Turn(origin, quarterTurns, u, face.UnderlinePosition() + t), 255, style.colour, value);
    }
    pen += cell.advance;
  }
  const LOGFONTA& lf = dc.state.font.object->logfont;
  auto line = [&](int v, int thickness) {
    for (int t = 0; t < thickness; ++t)
      for (int u = 0; u < width; ++u) painter.Blend(Turn(origin, quarterTurns, u, v + t), 255, style.colour, value);
  };
  if (lf.lfUnderline) line(face.UnderlinePosition(), face.UnderlineThickness());
  if (lf.lfStrikeOut) line(-face.StrikeoutPosition(), face.UnderlineThickness());
}

}  // namespace tolvar::gdi

using namespace tolvar::gdi;

HFONT CreateFontIndirectA(const LOGFONTA* logfont) {
  if (!logfont) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto font = std::make_shared<FontObject>();
  font->logfont = *logfont;
  font->logfont.lfFaceName[LF_FACESIZE - 1] = '\0';
  return static_cast<HFONT>(InsertObject(std::move(font)));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR face) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic);
  lf.lfUnderline = static_cast<BYTE>(underline);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (face) std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}

namespace {

BOOL ExtTextOutImpl(HDC hdc, int x, int y, UINT options, const RECT* rect, const std::u32string& text, const INT* dx) {
  auto dc = LookupDc(hdc);
  if (!dc) return FALSE;
  Dib* target = dc->Target();
  if (!target) return FALSE;
  auto face = DcFace(*dc);
  if (!face) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  RECT limit{};
  if (rect) {
    const POINT a = dc->LogicalToSurface(rect->left, rect->top);
    const POINT b = dc->LogicalToSurface(rect->right, rect->bottom);
    limit = RECT{a.x, a.y, b.x, b.y};
    if (options & ETO_OPAQUE) {
      const BrushPaint back = BrushPaint::Solid(ColourValue(*target, dc->state.bkColour));
      FillRectRop(*target, dc->EffectiveClip(), limit, back, 0xF0);
    }
  }
  const std::vector<TextCell> cells = MakeCells(*face, text, dx);
  const int width = CellsWidth(cells);
  const TEXTMETRICA& tm = face->Metrics();
  const UINT align = dc->state.textAlign;
  const bool updateCp = align & TA_UPDATECP;
  if (updateCp) {
    x = dc->state.position.x;
    y = dc->state.position.y;
  }
  int u = 0;
  if ((align & TA_CENTER) == TA_CENTER) u = -width / 2;
  else if (align & TA_RIGHT) u = -width;
  int v = 0;
  if ((align & TA_BASELINE) == TA_BASELINE) v = 0;
  else if (align & TA_BOTTOM) v = -tm.tmDescent;
  else v = tm.tmAscent;
  const int turns = DcQuarterTurns(*dc);
  const POINT ref = dc->LogicalToSurface(x, y);
  // The pen's start: the reference point moved by (u, v) in the text's own direction.
  POINT origin = ref;
  switch (turns) {
    case 1: origin = POINT{ref.x + v, ref.y - u}; break;
    case 2: origin = POINT{ref.x - u, ref.y - v}; break;
    case 3: origin = POINT{ref.x - v, ref.y + u}; break;
    default: origin = POINT{ref.x + u, ref.y + v}; break;
  }
  TextRunStyle style;
  style.colour = dc->state.textColour;
  style.opaque = dc->state.bkMode == OPAQUE && !(rect && (options & ETO_OPAQUE));
  style.background = dc->state.bkColour;
  style.limit = rect && (options & ETO_CLIPPED) ? &limit : nullptr;
  DrawCells(*dc, *target, *face, turns, cells, origin, style);
  if (updateCp && (align & TA_CENTER) != TA_CENTER) {
    dc->state.position.x += (align & TA_RIGHT) ? -width : width;
  }
  return TRUE;
}

BOOL ExtentImpl(HDC hdc, const std::u32string& text, LPSIZE size) {
  auto dc = LookupDc(hdc);
  if (!dc || !size) return FALSE;
  auto face = DcFace(*dc);
  if (!face) return FALSE;
  size->cx = CellsWidth(MakeCells(*face, text));
  size->cy = face->Metrics().tmHeight;
  return TRUE;
}

std::u32string FromA(LPCSTR text, int length) {
  if (!text) return {};
  return DecodeUtf8(text, length < 0 ? std::strlen(text) : static_cast<std::size_t>(length));
}

std::u32string FromW(LPCWSTR text, int length) {
  if (!text) return {};
  std::size_t n = 0;
  if (length < 0) while (text[n]) ++n;
  else n = static_cast<std::size_t>(length);
  return DecodeUtf16(text, n);
}

}  // namespace

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length) {
  return ExtTextOutImpl(hdc, x, y, 0, nullptr, FromA(text, std::max(length, 0)), nullptr);
}
BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int length) {
  return ExtTextOutImpl(hdc, x, y, 0, nullptr, FromW(text, std::max(length, 0)), nullptr);
}
BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length, const INT* dx) {
  const std::u32string s = FromA(text, static_cast<int>(length));
  // Per-character advances belong to bytes of the string; they only line up with plain ASCII.
  const bool dxFits = dx && s.size() == length;
  return ExtTextOutImpl(hdc, x, y, options, rect, s, dxFits ? dx : nullptr);
}
BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT length, const INT* dx) {
  const std::u32string s = FromW(text, static_cast<int>(length));
  const bool dxFits = dx && s.size() == length;
  return ExtTextOutImpl(hdc, x, y, options, rect, s, dxFits ? dx : nullptr);
}
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, LPSIZE size) {
  return ExtentImpl(hdc, FromA(text, std::max(length, 0)), size);
}
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int length, LPSIZE size) {
  return ExtentImpl(hdc, FromW(text, std::max(length, 0)), size);
}

BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA metrics) {
  auto dc = LookupDc(hdc);
  if (!dc || !metrics) return FALSE;
  auto face = DcFace(*dc);
  if (!face) return FALSE;
  *metrics = face->Metrics();
  // Faces are shared between fonts; what only describes the logical font comes from it.
  const LOGFONTA& lf = dc->state.font.object->logfont;
  metrics->tmWeight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
  metrics->tmItalic = lf.lfItalic ? 1 : 0;
  metrics->tmUnderlined = lf.lfUnderline ? 1 : 0;
  metrics->tmStruckOut = lf.lfStrikeOut ? 1 : 0;
  metrics->tmCharSet = lf.lfCharSet;
  return TRUE;
}
