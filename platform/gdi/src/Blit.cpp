#include "Blit.h"

#include <gdi/Bitmaps.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <algorithm>
#include <cstring>

namespace tolvar::gdi {

SourceConverter SourceConverter::DcRules(const Dib& src, const Dib& dst, COLORREF srcBk, COLORREF dstText,
                                         COLORREF dstBk) {
  SourceConverter c;
  c.m_src = &src;
  c.m_dst = &dst;
  if (src.SameFormat(dst) || (src.Bpp() == 1 && dst.Bpp() == 1)) {
    c.m_mode = Mode::Identity;
  } else if (src.Bpp() == 1) {
    c.m_mode = Mode::Table;
    c.m_table = {dst.ColourToValue(dstText & 0xFFFFFF), dst.ColourToValue(dstBk & 0xFFFFFF)};
  } else if (dst.Bpp() == 1) {
    c.m_monoMatch = srcBk & 0xFFFFFF;
    if (src.Indexed()) {
      c.m_mode = Mode::Table;
      for (std::uint32_t i = 0; i < (1u << src.Bpp()); ++i) {
        c.m_table.push_back(src.ValueToColour(i) == c.m_monoMatch ? 1 : 0);
      }
    } else {
      c.m_mode = Mode::ToMono;
    }
  } else {
    return ByColour(src, dst);
  }
  return c;
}

SourceConverter SourceConverter::ByColour(const Dib& src, const Dib& dst) {
  SourceConverter c;
  c.m_src = &src;
  c.m_dst = &dst;
  if (src.SameFormat(dst)) {
    c.m_mode = Mode::Identity;
  } else if (src.Indexed()) {
    c.m_mode = Mode::Table;
    for (std::uint32_t i = 0; i < (1u << src.Bpp()); ++i) c.m_table.push_back(dst.ColourToValue(src.ValueToColour(i)));
  } else {
    c.m_mode = Mode::Direct;
  }
  return c;
}

std::uint32_t SourceConverter::operator()(std::uint32_t v) const {
  switch (m_mode) {
    case Mode::Identity: return v;
    case Mode::Table: return v < m_table.size() ? m_table[v] : 0;
    case Mode::ToMono: return m_src->ValueToColour(v) == m_monoMatch ? 1 : 0;
    case Mode::Direct:
      if (m_dst->Bpp() >= 24 && m_src->Bpp() >= 24) return v & 0xFFFFFF;
      return m_dst->ColourToValue(m_src->ValueToColour(v));
  }
  return v;
}

SourceConverter ConverterFor(const DeviceContext& srcDc, const Dib& src, const DeviceContext& dstDc,
                             const Dib& dst) {
  return SourceConverter::DcRules(src, dst, srcDc.state.bkColour, dstDc.state.textColour, dstDc.state.bkColour);
}

namespace {

struct Axis {
  int dst0, dstLen;   // destination start and length (positive)
  int src0, srcLen;   // source start and length (positive)
  bool mirror;
  // The source block [first, last) that destination offset i covers.
  void Block(int i, int& first, int& last) const {
    const int k = mirror ? dstLen - 1 - i : i;
    first = src0 + static_cast<int>(static_cast<long long>(k) * srcLen / dstLen);
    last = src0 + static_cast<int>(static_cast<long long>(k + 1) * srcLen / dstLen);
    if (last <= first) last = first + 1;
  }
};

Axis MakeAxis(int dst, int dstLen, int src, int srcLen) {
  bool mirror = false;
  if (dstLen < 0) { dst += dstLen; dstLen = -dstLen; mirror = !mirror; }
  if (srcLen < 0) { src += srcLen; srcLen = -srcLen; mirror = !mirror; }
  return Axis{dst, dstLen, src, srcLen, mirror};
}

}  // namespace

void StretchCore(Dib& dst, const RegionData& clip, RECT dstRect, const Dib* src, RECT srcRect,
                 const SourceConverter* convert, const BrushPaint& brush, std::uint8_t rop, int stretchMode) {
  const bool useSource = RopUsesSource(rop) && src;
  const bool usePattern = RopUsesPattern(rop);
  if (usePattern && brush.Null()) return;
  const Axis ax = MakeAxis(dstRect.left, dstRect.right - dstRect.left, srcRect.left, srcRect.right - srcRect.left);
  const Axis ay = MakeAxis(dstRect.top, dstRect.bottom - dstRect.top, srcRect.top, srcRect.bottom - srcRect.top);
  if (ax.dstLen == 0 || ay.dstLen == 0 || (useSource && (ax.srcLen == 0 || ay.srcLen == 0))) return;

  // A blit within one bitmap reads from a copy, so overlapping moves (scrolling) come out right.
  std::shared_ptr<Dib> copy;
  if (useSource && src == &dst) {
    copy = std::make_shared<Dib>(dst);
    src = copy.get();
  }
  const std::uint32_t mask = dst.ValueMask();
  const bool exact = ax.dstLen == ax.srcLen && ay.dstLen == ay.srcLen && !ax.mirror && !ay.mirror;
  const bool fastCopy = useSource && exact && rop == 0xCC && convert && convert->Identity() && dst.Bpp() >= 8;
  const int bytesPerPixel = dst.Bpp() / 8;
  const bool exact32 = useSource && exact && convert && dst.Bpp() == 32 && (!usePattern || brush.IsSolid());

  const RECT box = clip.Box();
  const int yStart = std::max(ay.dst0, static_cast<int>(box.top));
  const int yEnd = std::min(ay.dst0 + ay.dstLen, static_cast<int>(box.bottom));
  for (int y = yStart; y < yEnd; ++y) {
    int sy0, sy1;
    ay.Block(y - ay.dst0, sy0, sy1);
    if (useSource && (sy0 < 0 || sy0 >= src->Height())) continue;
    sy1 = useSource ? std::min(sy1, src->Height()) : sy1;
    const int blockRows = stretchMode == COLORONCOLOR || ay.dstLen >= ay.srcLen ? 1 : sy1 - sy0;
    clip.ClipSpan(y, ax.dst0, ax.dst0 + ax.dstLen, [&](int l, int r) {
      if (fastCopy) {
        int sl = srcRect.left + (l - ax.dst0);
        int sr = sl + (r - l);
        const int cl = std::max(sl, 0), cr = std::min(sr, src->Width());
        if (cl >= cr) return;
        std::memcpy(dst.Row(y) + (l + cl - sl) * bytesPerPixel, src->Row(sy0) + cl * bytesPerPixel,
                    static_cast<std::size_t>(cr - cl) * bytesPerPixel);
        return;
      }
      if (exact32) {
        // Same-size blits onto 32-bit pixels: the common case of icons, masks and menus.
        const std::uint32_t p = usePattern ? brush.SolidValue() : 0;
        std::uint8_t* row = dst.Row(y);
        for (int x = l; x < r; ++x) {
          const int sx = srcRect.left + (x - ax.dst0);
          if (sx < 0 || sx >= src->Width()) continue;
          const std::uint32_t s = (*convert)(src->Get(sx, sy0));
          std::uint32_t d;
          std::memcpy(&d, row + 4 * x, 4);
          d = Rop3(rop, p, s, d);
          std::memcpy(row + 4 * x, &d, 4);
        }
        return;
      }
      for (int x = l; x < r; ++x) {
        std::uint32_t s = 0;
        if (useSource) {
          int sx0, sx1;
          ax.Block(x - ax.dst0, sx0, sx1);
          if (sx0 < 0 || sx0 >= src->Width()) continue;
          sx1 = std::min(sx1, src->Width());
          const int blockCols = stretchMode == COLORONCOLOR || ax.dstLen >= ax.srcLen ? 1 : sx1 - sx0;
          if (blockRows == 1 && blockCols == 1) {
            s = (*convert)(src->Get(sx0, sy0));
          } else if (stretchMode == HALFTONE) {
            // Average of the colours the destination pixel stands for.
            unsigned r_ = 0, g_ = 0, b_ = 0, n = 0;
            for (int yy = sy0; yy < sy0 + blockRows; ++yy)
              for (int xx = sx0; xx < sx0 + blockCols; ++xx, ++n) {
                const COLORREF c = src->ValueToColour(src->Get(xx, yy));
                r_ += GetRValue(c); g_ += GetGValue(c); b_ += GetBValue(c);
              }
            s = dst.ColourToValue(RGB(static_cast<BYTE>(r_ / n), static_cast<BYTE>(g_ / n), static_cast<BYTE>(b_ / n)));
          } else {
            // Shrinking keeps black (AND) or white (OR) lines of the eliminated pixels.
            std::uint32_t acc = src->Get(sx0, sy0);
            for (int yy = sy0; yy < sy0 + blockRows; ++yy)
              for (int xx = sx0; xx < sx0 + blockCols; ++xx) {
                const std::uint32_t v = src->Get(xx, yy);
                acc = stretchMode == WHITEONBLACK ? (acc | v) : (acc & v);
              }
            s = (*convert)(acc);
          }
        }
        std::uint32_t p = 0;
        if (usePattern && !brush.At(x, y, p)) continue;
        dst.Set(x, y, Rop3(rop, p, s, dst.Get(x, y)) & mask);
      }
    });
  }
}

}  // namespace tolvar::gdi

using namespace tolvar::gdi;

namespace {

BOOL Stretch(HDC dest, int x, int y, int width, int height, HDC source, int xSrc, int ySrc, int srcWidth,
             int srcHeight, DWORD rop) {
  auto dc = LookupDc(dest);
  if (!dc) return FALSE;
  Dib* target = dc->Target();
  if (!target) return FALSE;
  const std::uint8_t code = static_cast<std::uint8_t>(rop >> 16);
  const BrushPaint brush(dc->state.brush.object.get(), *dc, *target);
  const POINT d = dc->LogicalToSurface(x, y);
  const RECT dstRect{d.x, d.y, d.x + width, d.y + height};
  if (!RopUsesSource(code)) {
    StretchCore(*target, dc->EffectiveClip(), dstRect, nullptr, RECT{}, nullptr, brush, code, dc->state.stretchMode);
    return TRUE;
  }
  auto srcDc = LookupDc(source);
  if (!srcDc) return FALSE;
  Dib* src = srcDc->Target();
  if (!src) return FALSE;
  const POINT s = srcDc->LogicalToSurface(xSrc, ySrc);
  const RECT srcRect{s.x, s.y, s.x + srcWidth, s.y + srcHeight};
  const SourceConverter convert = ConverterFor(*srcDc, *src, *dc, *target);
  StretchCore(*target, dc->EffectiveClip(), dstRect, src, srcRect, &convert, brush, code, dc->state.stretchMode);
  return TRUE;
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
  return Stretch(dest, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, DWORD rop) {
  return Stretch(dest, x, y, width, height, src, xSrc, ySrc, srcWidth, srcHeight, rop);
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
  if (RopUsesSource(static_cast<std::uint8_t>(rop >> 16))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return Stretch(hdc, x, y, width, height, nullptr, 0, 0, 0, 0, rop);
}
