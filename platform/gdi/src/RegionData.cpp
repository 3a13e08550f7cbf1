#include "RegionData.h"

#include <gdi/Region.h>

#include <algorithm>

namespace tolvar::gdi {

void RegionData::SetRect(const RECT& rect) {
  m_rects.clear();
  // Windows accepts reversed coordinates and orders them.
  RECT r{std::min(rect.left, rect.right), std::min(rect.top, rect.bottom), std::max(rect.left, rect.right),
         std::max(rect.top, rect.bottom)};
  if (r.left < r.right && r.top < r.bottom) m_rects.push_back(r);
}

RECT RegionData::Box() const {
  if (m_rects.empty()) return RECT{0, 0, 0, 0};
  RECT box = m_rects.front();
  box.bottom = m_rects.back().bottom;
  for (const RECT& r : m_rects) {
    box.left = std::min(box.left, r.left);
    box.right = std::max(box.right, r.right);
  }
  return box;
}

int RegionData::Complexity() const {
  if (m_rects.empty()) return NULLREGION;
  return m_rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

const RECT* RegionData::FindBand(int y) const {
  auto it = std::upper_bound(m_rects.begin(), m_rects.end(), y,
                             [](int value, const RECT& r) { return value < r.bottom; });
  if (it == m_rects.end() || it->top > y) return nullptr;
  // `it` is some rectangle of the band; step back to its first.
  const int top = it->top;
  while (it != m_rects.begin() && (it - 1)->top == top) --it;
  return &*it;
}

std::vector<Span> RegionData::SpansAt(int y) const {
  std::vector<Span> spans;
  const RECT* band = FindBand(y);
  if (!band) return spans;
  for (const RECT* r = band; r != m_rects.data() + m_rects.size() && r->top == band->top; ++r) {
    spans.push_back({r->left, r->right});
  }
  return spans;
}

bool RegionData::Contains(int x, int y) const {
  bool inside = false;
  ClipSpan(y, x, x + 1, [&](int, int) { inside = true; });
  return inside;
}

bool RegionData::Intersects(const RECT& rect) const {
  for (const RECT& r : m_rects) {
    if (r.left < rect.right && rect.left < r.right && r.top < rect.bottom && rect.top < r.bottom) return true;
  }
  return false;
}

void RegionData::Offset(int dx, int dy) {
  for (RECT& r : m_rects) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
  }
}

bool RegionData::operator==(const RegionData& other) const {
  if (m_rects.size() != other.m_rects.size()) return false;
  for (std::size_t i = 0; i < m_rects.size(); ++i) {
    const RECT& a = m_rects[i];
    const RECT& b = other.m_rects[i];
    if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom) return false;
  }
  return true;
}

namespace {

// Boolean combination of two sorted span lists: sweep over all edges and keep the stretches where the
// operation holds.
std::vector<Span> CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, RegionData::Op op) {
  std::vector<int> edges;
  for (const Span& s : a) { edges.push_back(s.left); edges.push_back(s.right); }
  for (const Span& s : b) { edges.push_back(s.left); edges.push_back(s.right); }
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  auto inside = [](const std::vector<Span>& spans, int x) {
    for (const Span& s : spans) if (x >= s.left && x < s.right) return true;
    return false;
  };
  std::vector<Span> out;
  for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
    const int x = edges[i];
    const bool ia = inside(a, x), ib = inside(b, x);
    bool keep = false;
    switch (op) {
      case RegionData::Op::And: keep = ia && ib; break;
      case RegionData::Op::Or: keep = ia || ib; break;
      case RegionData::Op::Xor: keep = ia != ib; break;
      case RegionData::Op::Diff: keep = ia && !ib; break;
    }
    if (!keep) continue;
    if (!out.empty() && out.back().right == x) out.back().right = edges[i + 1];
    else out.push_back({x, edges[i + 1]});
  }
  return out;
}

}  // namespace

RegionData RegionData::Combine(const RegionData& a, const RegionData& b, Op op) {
  std::vector<int> ys;
  for (const RECT& r : a.m_rects) { ys.push_back(r.top); ys.push_back(r.bottom); }
  for (const RECT& r : b.m_rects) { ys.push_back(r.top); ys.push_back(r.bottom); }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

  RegionData result;
  std::vector<Span> previous;
  int previousBottom = 0;
  std::size_t previousStart = 0;
  for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
    const int top = ys[i], bottom = ys[i + 1];
    std::vector<Span> spans = CombineSpans(a.SpansAt(top), b.SpansAt(top), op);
    if (spans.empty()) {
      previous.clear();
      continue;
    }
    const bool same = !previous.empty() && previousBottom == top && previous.size() == spans.size() &&
                      std::equal(spans.begin(), spans.end(), previous.begin(), [](const Span& x, const Span& y) {
                        return x.left == y.left && x.right == y.right;
                      });
    if (same) {
      for (std::size_t k = previousStart; k < result.m_rects.size(); ++k) result.m_rects[k].bottom = bottom;
    } else {
      previousStart = result.m_rects.size();
      for (const Span& s : spans) result.m_rects.push_back(RECT{s.left, top, s.right, bottom});
      previous = std::move(spans);
    }
    previousBottom = bottom;
  }
  return result;
}

}  // namespace tolvar::gdi
