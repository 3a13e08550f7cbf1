#pragma once
// Scaling pictures. Separable filters over premultiplied colour: nearest neighbour, and bilinear and
// bicubic (Catmull-Rom) kernels that widen with the reduction factor, so that a picture shrunk by 4
// averages about 4 x 4 source pixels into each result pixel instead of picking one of them.
#include <imaging/Decoders.h>

namespace tolvar::imaging {

enum class Filter { Nearest, Bilinear, Bicubic };

// A source picture scaled to width x height, of which only the columns [window.left, window.right)
// and rows [window.top, window.bottom) are produced (the part that is visible), as straight ARGB,
// row by row. `window` must lie within the scaled size.
struct Window {
  int left, top, right, bottom;
};
std::vector<ARGB> Resample(const ARGB* source, UINT sourceWidth, UINT sourceHeight, UINT width, UINT height,
                           Window window, Filter filter);

}  // namespace tolvar::imaging
