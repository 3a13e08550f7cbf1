#pragma once
// The shape of a region: y-sorted bands, each a run of x-sorted, non-touching rectangles of the same
// top and bottom; vertically adjacent bands with the same spans are merged, so that two regions
// covering the same pixels hold the same rectangles.
#include <base/WinDef.h>

#include <functional>
#include <vector>

namespace tolvar::gdi {

struct Span { int left; int right; };

class RegionData {
public:
  RegionData() = default;
  explicit RegionData(const RECT& rect) { SetRect(rect); }

  void SetRect(const RECT& rect);
  void SetEmpty() { m_rects.clear(); }
  bool Empty() const { return m_rects.empty(); }
  const std::vector<RECT>& Rects() const { return m_rects; }
  RECT Box() const;
  int Complexity() const;  // NULLREGION, SIMPLEREGION or COMPLEXREGION
  bool Contains(int x, int y) const;
  bool Intersects(const RECT& rect) const;
  void Offset(int dx, int dy);
  bool operator==(const RegionData& other) const;

  enum class Op { And, Or, Xor, Diff };
  static RegionData Combine(const RegionData& a, const RegionData& b, Op op);

  // Calls `fn(left, right)` for each part of the row y from x0 to x1 (exclusive) inside the region.
  template <class Fn>
  void ClipSpan(int y, int x0, int x1, Fn&& fn) const {
    const RECT* band = FindBand(y);
    if (!band) return;
    for (const RECT* r = band; r != m_rects.data() + m_rects.size() && r->top == band->top; ++r) {
      const int l = r->left > x0 ? r->left : x0;
      const int rr = r->right < x1 ? r->right : x1;
      if (l < rr) fn(l, rr);
    }
  }

private:
  const RECT* FindBand(int y) const;  // first rectangle of the band holding row y
  std::vector<Span> SpansAt(int y) const;

  std::vector<RECT> m_rects;
};

}  // namespace tolvar::gdi
