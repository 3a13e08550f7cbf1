#pragma once
// Drawing with the image library: on an image's own pixels, or on a GDI device context. What the
// suite draws is pictures scaled into rectangles; the interpolation mode picks the filter
// (nearest neighbour, or a prefiltered bilinear or bicubic one that averages when shrinking).
#include <imaging/GdiplusTypes.h>

namespace Gdiplus {

class Image;

class Graphics {
public:
  // Fails (OutOfMemory, as Windows reports it) on an image in an indexed pixel format.
  explicit Graphics(Image* image);
  explicit Graphics(HDC hdc);
  static Graphics* FromImage(Image* image);
  static Graphics* FromHDC(HDC hdc);
  ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  Status GetLastStatus();

  // Fills the whole target (an image) or its visible part (a device context) with the colour.
  Status Clear(const Color& color);
  Status SetInterpolationMode(InterpolationMode mode);
  InterpolationMode GetInterpolationMode() const;

  // The active frame of `image`, at its own size or scaled into the rectangle, blended over the
  // target by its alpha.
  Status DrawImage(Image* image, INT x, INT y);
  Status DrawImage(Image* image, INT x, INT y, INT width, INT height);
  Status DrawImage(Image* image, const Rect& rect);

private:
  Status Fail(Status status);

  Image* m_image = nullptr;
  HDC m_hdc = nullptr;
  InterpolationMode m_mode = InterpolationModeBilinear;
  Status m_lastStatus = Ok;
};

}  // namespace Gdiplus
