// Scaling: per axis, each result pixel gets a list of source pixels and weights (its taps); the
// horizontal pass runs once per source row that some result row needs, kept in a small ring because
// result rows use source rows in increasing order, and the vertical pass combines those rows.
// Edges repeat the outermost source pixel, so the border of a scaled picture does not fade.
#include "Resample.h"

#include <algorithm>
#include <cmath>

namespace tolvar::imaging {

namespace {

struct Taps {
  std::vector<int> first;     // per result pixel: index into `index`/`weight`
  std::vector<int> count;
  std::vector<int> index;     // source pixel
  std::vector<float> weight;  // summing to 1 per result pixel
};

float Kernel(Filter filter, float x) {
  x = std::fabs(x);
  if (filter == Filter::Bilinear) return x < 1 ? 1 - x : 0;
  constexpr float a = -0.5f;  // Catmull-Rom
  if (x < 1) return ((a + 2) * x - (a + 3)) * x * x + 1;
  if (x < 2) return ((a * x - 5 * a) * x + 8 * a) * x - 4 * a;
  return 0;
}

// Taps for result pixels [from, to) over `sourceSize` source pixels, `ratio` source pixels to one
// result pixel.
Taps MakeTaps(UINT sourceSize, double ratio, int from, int to, Filter filter) {
  Taps taps;
  const double scale = std::max(1.0, ratio);  // widen the kernel when reducing
  const double radius = (filter == Filter::Bicubic ? 2.0 : 1.0) * scale;
  for (int i = from; i < to; ++i) {
    const double centre = (i + 0.5) * ratio - 0.5;
    taps.first.push_back(int(taps.index.size()));
    if (filter == Filter::Nearest) {
      taps.index.push_back(std::clamp(int(std::floor((i + 0.5) * ratio)), 0, int(sourceSize) - 1));
      taps.weight.push_back(1);
      taps.count.push_back(1);
      continue;
    }
    const int low = int(std::floor(centre - radius)) + 1, high = int(std::floor(centre + radius));
    const std::size_t start = taps.index.size();
    float total = 0;
    for (int s = low; s <= high; ++s) {
      const float w = Kernel(filter, float((s - centre) / scale));
      if (w == 0) continue;
      const int clamped = std::clamp(s, 0, int(sourceSize) - 1);
      if (taps.index.size() > start && taps.index.back() == clamped) {
        taps.weight.back() += w;  // an edge pixel repeated
      } else {
        taps.index.push_back(clamped);
        taps.weight.push_back(w);
      }
      total += w;
    }
    if (taps.index.size() == start) {  // cannot happen with these kernels; keep a tap anyway
      taps.index.push_back(std::clamp(int(std::lround(centre)), 0, int(sourceSize) - 1));
      taps.weight.push_back(1);
      total = 1;
    }
    for (std::size_t k = start; k < taps.index.size(); ++k) taps.weight[k] /= total;
    taps.count.push_back(int(taps.index.size() - start));
  }
  return taps;
}

struct Premultiplied {
  float b, g, r, a;
};

Premultiplied Load(ARGB p) {
  const float a = float(p >> 24) / 255.0f;
  return {float(p & 0xFF) * a, float((p >> 8) & 0xFF) * a, float((p >> 16) & 0xFF) * a, float(p >> 24)};
}

BYTE Clamp(float v) { return BYTE(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

std::vector<ARGB> Resample(const ARGB* source, UINT sourceWidth, UINT sourceHeight, UINT width, UINT height,
                           Window window, Filter filter) {
  const int columns = window.right - window.left, rows = window.bottom - window.top;
  std::vector<ARGB> out(std::size_t(std::max(columns, 0)) * std::max(rows, 0));
  if (columns <= 0 || rows <= 0 || !sourceWidth || !sourceHeight) return out;
  // A large reduction first averages blocks of blockX x blockY source pixels (a box filter, cheap
  // and exact in area), leaving the kernel at least twice the result's pixel to smooth over.
  const UINT blockX = filter == Filter::Nearest ? 1 : std::max(1u, sourceWidth / width / 2);
  const UINT blockY = filter == Filter::Nearest ? 1 : std::max(1u, sourceHeight / height / 2);
  const UINT reducedWidth = (sourceWidth + blockX - 1) / blockX, reducedHeight = (sourceHeight + blockY - 1) / blockY;
  const Taps across = MakeTaps(reducedWidth, double(sourceWidth) / blockX / width, window.left, window.right, filter);
  const Taps down = MakeTaps(reducedHeight, double(sourceHeight) / blockY / height, window.top, window.bottom, filter);

  // Enough slots for the widest span of source rows that one result row reads.
  int ringSize = 1;
  for (std::size_t y = 0; y < down.first.size(); ++y) {
    const int first = down.first[y], last = first + down.count[y] - 1;
    ringSize = std::max(ringSize, down.index[std::size_t(last)] - down.index[std::size_t(first)] + 1);
  }
  std::vector<std::vector<Premultiplied>> ring;
  ring.assign(std::size_t(ringSize), std::vector<Premultiplied>(std::size_t(columns)));
  std::vector<int> ringRow(std::size_t(ringSize), -1);
  std::vector<Premultiplied> loaded(reducedWidth);
  // Row `r` of the (block-averaged) source into `loaded`.
  auto loadRow = [&](int r) {
    if (blockX == 1 && blockY == 1) {
      const ARGB* in = source + std::size_t(r) * sourceWidth;
      for (UINT x = 0; x < sourceWidth; ++x) loaded[x] = Load(in[x]);
      return;
    }
    std::fill(loaded.begin(), loaded.end(), Premultiplied{0, 0, 0, 0});
    const UINT y0 = UINT(r) * blockY, y1 = std::min(y0 + blockY, sourceHeight);
    for (UINT y = y0; y < y1; ++y) {
      const ARGB* in = source + std::size_t(y) * sourceWidth;
      for (UINT x = 0; x < sourceWidth; ++x) {
        const Premultiplied p = Load(in[x]);
        Premultiplied& s = loaded[x / blockX];
        s.b += p.b, s.g += p.g, s.r += p.r, s.a += p.a;
      }
    }
    for (UINT x = 0; x < reducedWidth; ++x) {
      const float n = float((y1 - y0) * (std::min((x + 1) * blockX, sourceWidth) - x * blockX));
      Premultiplied& s = loaded[x];
      s.b /= n, s.g /= n, s.r /= n, s.a /= n;
    }
  };
  auto filteredRow = [&](int sourceRow) -> const std::vector<Premultiplied>& {
    const std::size_t slot = std::size_t(sourceRow % ringSize);
    std::vector<Premultiplied>& row = ring[slot];
    if (ringRow[slot] == sourceRow) return row;
    loadRow(sourceRow);  // each source pixel once per use of its row
    for (int x = 0; x < columns; ++x) {
      Premultiplied sum{0, 0, 0, 0};
      const int first = across.first[std::size_t(x)];
      for (int k = first; k < first + across.count[std::size_t(x)]; ++k) {
        const Premultiplied& p = loaded[std::size_t(across.index[std::size_t(k)])];
        const float w = across.weight[std::size_t(k)];
        sum.b += p.b * w, sum.g += p.g * w, sum.r += p.r * w, sum.a += p.a * w;
      }
      row[std::size_t(x)] = sum;
    }
    ringRow[slot] = sourceRow;
    return row;
  };

  for (int y = 0; y < rows; ++y) {
    std::vector<Premultiplied> sum(std::size_t(columns), Premultiplied{0, 0, 0, 0});
    const int first = down.first[std::size_t(y)];
    for (int k = first; k < first + down.count[std::size_t(y)]; ++k) {
      const std::vector<Premultiplied>& row = filteredRow(down.index[std::size_t(k)]);
      const float w = down.weight[std::size_t(k)];
      for (int x = 0; x < columns; ++x) {
        const Premultiplied& p = row[std::size_t(x)];
        Premultiplied& s = sum[std::size_t(x)];
        s.b += p.b * w, s.g += p.g * w, s.r += p.r * w, s.a += p.a * w;
      }
    }
    ARGB* o = &out[std::size_t(y) * std::size_t(columns)];
    for (int x = 0; x < columns; ++x) {
      const Premultiplied& s = sum[std::size_t(x)];
      const BYTE a = Clamp(s.a);
      if (a == 0) {
        o[x] = 0;
        continue;
      }
      const float f = 255.0f / s.a;  // s.a is at least 0.5 here
      o[x] = Gdiplus::Color::MakeARGB(a, Clamp(s.r * f), Clamp(s.g * f), Clamp(s.b * f));
    }
  }
  return out;
}

}  // namespace tolvar::imaging
