#pragma once
// An image list: images of one size side by side in a 32-bit strip, with a 1-bit mask strip. The
// strips are bitmap objects of their own so that ImageList_GetImageInfo can name them.
#include <gdi/ImageList.h>

#include "GdiObject.h"

namespace tolvar::gdi {

struct ImageListObject : GdiObject {
  ImageListObject() : GdiObject(Kind::ImageList) {}
  ~ImageListObject() override;

  int cx = 0;
  int cy = 0;
  UINT flags = 0;
  int grow = 4;
  int count = 0;
  int capacity = 0;
  COLORREF background = CLR_NONE;
  HBITMAP imageHandle = nullptr;
  HBITMAP maskHandle = nullptr;
  std::shared_ptr<BitmapObject> image;
  std::shared_ptr<BitmapObject> mask;

  bool HasMask() const { return flags & ILC_MASK; }
  bool Reserve(int wanted);
  // Stores one image (32-bit colour, 1-bit mask or null for opaque) at `index`, blackening the
  // colour where the mask is set so that transparent drawing can OR it in.
  void Store(int index, const Dib& colour, const Dib* maskBits, int sx, int sy);
  // Draws image `index` onto a DC as ImageList_DrawEx describes.
  bool Draw(int index, HDC hdc, int x, int y, int dx, int dy, COLORREF bk, COLORREF fg, UINT style) const;
};

std::shared_ptr<ImageListObject> LookupImageList(HIMAGELIST list);

}  // namespace tolvar::gdi
