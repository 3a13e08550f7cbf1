#pragma once
// Images and bitmaps. An Image is a decoded picture file (PNG, JPEG, GIF or BMP) with its raw
// format, size, pixel format, palette, frames and frame delays; a Bitmap is an Image that can also
// be made blank, drawn on (Graphics), locked for direct pixel access and turned into a GDI bitmap.
// A constructor never fails loudly: it leaves a status that GetLastStatus reports, and every method
// of a failed image fails too.
#include <imaging/GdiplusTypes.h>

#include <memory>

namespace tolvar::imaging {
struct DecodedImage;
}

namespace Gdiplus {

class Graphics;

class Image {
public:
  // The path is a Windows path (either separator, drive letters), as every file function takes it.
  explicit Image(const WCHAR* filename, BOOL useEmbeddedColorManagement = FALSE);
  explicit Image(IStream* stream, BOOL useEmbeddedColorManagement = FALSE);
  static Image* FromFile(const WCHAR* filename, BOOL useEmbeddedColorManagement = FALSE);
  static Image* FromStream(IStream* stream, BOOL useEmbeddedColorManagement = FALSE);
  virtual ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  // The status of the last call that failed (or of the constructor), reset to Ok by reading it.
  Status GetLastStatus();

  Status GetRawFormat(GUID* format);
  UINT GetWidth();
  UINT GetHeight();
  PixelFormat GetPixelFormat();
  INT GetPaletteSize();
  Status GetPalette(ColorPalette* palette, INT size);

  UINT GetFrameDimensionsCount();
  Status GetFrameDimensionsList(GUID* dimensions, UINT count);
  UINT GetFrameCount(const GUID* dimension);
  Status SelectActiveFrame(const GUID* dimension, UINT index);

  UINT GetPropertyItemSize(PROPID id);
  Status GetPropertyItem(PROPID id, UINT size, PropertyItem* item);

protected:
  Image() = default;
  Status Fail(Status status);
  Status Load(std::unique_ptr<BYTE[]> bytes, std::size_t size);
  Status LoadFile(const WCHAR* filename);
  Status LoadStream(IStream* stream);

  friend class Graphics;
  std::unique_ptr<tolvar::imaging::DecodedImage> m_image;
  Status m_lastStatus = Ok;
  bool m_locked = false;  // between LockBits and UnlockBits; nothing else may touch the pixels
};

class Bitmap : public Image {
public:
  // A blank bitmap: transparent black, or opaque black for formats without alpha.
  Bitmap(INT width, INT height, PixelFormat format = PixelFormat32bppARGB);
  explicit Bitmap(const WCHAR* filename, BOOL useEmbeddedColorManagement = FALSE);
  explicit Bitmap(IStream* stream, BOOL useEmbeddedColorManagement = FALSE);

  // Locks a rectangle (NULL: the whole bitmap) for reading and/or writing in 24bppRGB or 32bppARGB.
  // Writes reach the bitmap at UnlockBits.
  Status LockBits(const Rect* rect, UINT flags, PixelFormat format, BitmapData* data);
  Status UnlockBits(BitmapData* data);

  // A new 32-bit DIB section of the bitmap's size showing the active frame over `background`.
  Status GetHBITMAP(const Color& background, HBITMAP* bitmap);

private:
  struct Lock;
  std::unique_ptr<Lock> m_lock;

public:
  ~Bitmap() override;
};

}  // namespace Gdiplus
