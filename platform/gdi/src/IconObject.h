#pragma once
// The image behind an HICON/HCURSOR: an AND mask and a 32-bit colour image (with its alpha kept), or
// for a monochrome icon a mask of doubled height holding the AND half above the XOR half.
#include "GdiObject.h"

namespace tolvar::gdi {

struct IconObject : GdiObject {
  IconObject() : GdiObject(Kind::Icon) {}
  bool isIcon = true;
  POINT hotspot{0, 0};
  int width = 0;
  int height = 0;
  std::shared_ptr<Dib> mask;    // 1 bit, top-down
  std::shared_ptr<Dib> colour;  // 32 bits, top-down; null for a monochrome icon
};

std::shared_ptr<IconObject> LookupIcon(HICON icon);
HICON InsertIcon(std::shared_ptr<IconObject> icon);

// A nearest-neighbour copy of `from` at another size.
std::shared_ptr<Dib> ScaleDib(const Dib& from, int width, int height);

}  // namespace tolvar::gdi
