// Cursors, icons and bitmaps: the built-in set, drawn here, and those of resources and files.
#include "Internal.h"

#include <user/Cursor.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <gdi/BmpReader.h>
#include <gdi/Gdi.h>
#include <kernel/File.h>
#include <resources/Resource.h>
#include <resources/ResourceData.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <span>

namespace tolvar::user {
namespace {

std::uint32_t U16(std::span<const BYTE> b, std::size_t at) {
  return at + 2 <= b.size() ? static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8)) : 0;
}
std::uint32_t U32(std::span<const BYTE> b, std::size_t at) {
  return at + 4 <= b.size() ? U16(b, at) | (U16(b, at + 2) << 16) : 0;
}

// Paints an image of `size` pixels: `draw` is called twice, on the colour image and on the mask (in
// black on white there), so a shape drawn once gives both.
HICON DrawImage(int size, bool icon, POINT hotSpot, void (*draw)(HDC hdc, bool mask)) {
  tolvar::gdi::UniqueDC memory(CreateCompatibleDC(nullptr));
  HDC dc = memory.Get();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  tolvar::gdi::UniqueBitmap colour(CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  tolvar::gdi::UniqueBitmap mask(CreateBitmap(size, size, 1, 1, nullptr));
  RECT all{0, 0, size, size};
  {
    tolvar::gdi::ScopedSelect selected(dc, colour.Get());
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    draw(dc, false);
    SelectObject(dc, mask.Get());
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    draw(dc, true);
  }
  // The icon keeps copies of both bitmaps.
  ICONINFO ii{icon ? TRUE : FALSE, static_cast<DWORD>(hotSpot.x), static_cast<DWORD>(hotSpot.y), mask.Get(),
              colour.Get()};
  return CreateIconIndirect(&ii);
}

// Shapes are drawn in their colour, or in black on the mask.
void Shape(HDC hdc, bool mask, COLORREF fill, COLORREF line, auto&& draw) {
  HBRUSH brush = CreateSolidBrush(mask ? RGB(0, 0, 0) : fill);
  HPEN pen = CreatePen(PS_SOLID, 1, mask ? RGB(0, 0, 0) : line);
  HGDIOBJ oldBrush = SelectObject(hdc, brush);
  HGDIOBJ oldPen = SelectObject(hdc, pen);
  draw();
  SelectObject(hdc, oldBrush);
  SelectObject(hdc, oldPen);
  DeleteObject(brush);
  DeleteObject(pen);
}

void Glyph(HDC hdc, bool mask, const char* text, COLORREF colour, RECT rect, int height) {
  if (mask) return;  // the glyph lies on an opaque shape
  HFONT font = CreateFontA(-height, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
  HGDIOBJ old = SelectObject(hdc, font);
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, colour);
  DrawTextA(hdc, text, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(hdc, old);
  DeleteObject(font);
}

void RoundSign(HDC hdc, bool mask, COLORREF fill, const char* text) {
  Shape(hdc, mask, fill, RGB(0, 0, 0), [&] { Ellipse(hdc, 2, 2, 30, 30); });
  Glyph(hdc, mask, text, RGB(255, 255, 255), {2, 2, 30, 30}, 20);
}

struct BuiltIn {
  WORD id;
  bool icon;
  POINT hotSpot;
  void (*draw)(HDC hdc, bool mask);
};

const BuiltIn kBuiltIns[] = {
    {32512, true, {16, 16}, [](HDC hdc, bool mask) {  // IDI_APPLICATION: a window
       Shape(hdc, mask, RGB(255, 255, 255), RGB(0, 0, 0), [&] { Rectangle(hdc, 3, 5, 29, 27); });
       Shape(hdc, mask, RGB(10, 36, 106), RGB(10, 36, 106), [&] { Rectangle(hdc, 4, 6, 28, 10); });
     }},
    {32513, true, {16, 16}, [](HDC hdc, bool mask) { RoundSign(hdc, mask, RGB(204, 0, 0), "X"); }},
    {32514, true, {16, 16}, [](HDC hdc, bool mask) { RoundSign(hdc, mask, RGB(0, 64, 192), "?"); }},
    {32515, true, {16, 16}, [](HDC hdc, bool mask) {
       const POINT triangle[] = {{16, 2}, {30, 28}, {2, 28}};
       Shape(hdc, mask, RGB(255, 210, 0), RGB(0, 0, 0), [&] { Polygon(hdc, triangle, 3); });
       Glyph(hdc, mask, "!", RGB(0, 0, 0), {2, 8, 30, 28}, 18);
     }},
    {32516, true, {16, 16}, [](HDC hdc, bool mask) { RoundSign(hdc, mask, RGB(0, 64, 192), "i"); }},
    {32517, true, {16, 16}, [](HDC hdc, bool mask) {
       Shape(hdc, mask, RGB(0, 128, 0), RGB(0, 0, 0), [&] { Rectangle(hdc, 4, 4, 28, 28); });
     }},
};

const BuiltIn kBuiltInCursors[] = {
    {32512, false, {0, 0}, [](HDC hdc, bool mask) {  // IDC_ARROW
       const POINT arrow[] = {{0, 0}, {0, 16}, {4, 12}, {7, 19}, {9, 18}, {6, 11}, {11, 11}};
       Shape(hdc, mask, RGB(255, 255, 255), RGB(0, 0, 0), [&] { Polygon(hdc, arrow, 7); });
     }},
    {32513, false, {4, 8}, [](HDC hdc, bool mask) {  // IDC_IBEAM
       Shape(hdc, mask, RGB(0, 0, 0), RGB(0, 0, 0), [&] {
         Rectangle(hdc, 1, 0, 8, 1);
         Rectangle(hdc, 4, 0, 5, 17);
         Rectangle(hdc, 1, 16, 8, 17);
       });
     }},
    {32514, false, {8, 8}, [](HDC hdc, bool mask) {  // IDC_WAIT
       const POINT glass[] = {{1, 0}, {15, 0}, {8, 8}, {15, 16}, {1, 16}, {8, 8}};
       Shape(hdc, mask, RGB(255, 255, 255), RGB(0, 0, 0), [&] { Polygon(hdc, glass, 6); });
     }},
    {32515, false, {8, 8}, [](HDC hdc, bool mask) {  // IDC_CROSS
       Shape(hdc, mask, RGB(0, 0, 0), RGB(0, 0, 0), [&] {
         Rectangle(hdc, 8, 0, 9, 17);
         Rectangle(hdc, 0, 8, 17, 9);
       });
     }},
    {32516, false, {8, 0}, [](HDC hdc, bool mask) {  // IDC_UPARROW
       const POINT up[] = {{8, 0}, {16, 8}, {11, 8}, {11, 18}, {5, 18}, {5, 8}, {0, 8}};
       Shape(hdc, mask, RGB(255, 255, 255), RGB(0, 0, 0), [&] { Polygon(hdc, up, 7); });
     }},
    {32642, false, {8, 8}, [](HDC hdc, bool mask) {  // IDC_SIZENWSE
       const POINT p[] = {{0, 0}, {6, 0}, {16, 10}, {16, 16}, {10, 16}, {0, 6}};
       Shape(hdc, mask, RGB(255, 255, 255), RGB(0, 0, 0), [&] { Polygon(hdc, p, 6); });
     }},
    {32643, false, {8, 8}, [](HDC hdc, bool mask) {  // IDC_SIZENESW
       const POINT p[] = {{16, 0}, {16, 6}, {6, 16}, {0, 16}, {0, 10}, {10, 0}};
       Shape(hdc, mask, RGB(255, 255, 255), RGB(0, 0, 0), [&] { Polygon(hdc, p, 6); });
     }},
    {32644, false, {8, 4}, [](HDC hdc, bool mask) {  // IDC_SIZEWE
       const POINT p[] = {{0, 4}, {4, 0}, {4, 2}, {12, 2}, {12, 0}, {16, 4}, {12, 8}, {12, 6}, {4, 6}, {4, 8}};
       Shape(hdc, mask, RGB(255, 255, 255), RGB(0, 0, 0), [&] { Polygon(hdc, p, 10); });
     }},
    {32645, false, {4, 8}, [](HDC hdc, bool mask) {  // IDC_SIZENS
       const POINT p[] = {{4, 0}, {8, 4}, {6, 4}, {6, 12}, {8, 12}, {4, 16}, {0, 12}, {2, 12}, {2, 4}, {0, 4}};
       Shape(hdc, mask, RGB(255, 255, 255), RGB(0, 0, 0), [&] { Polygon(hdc, p, 10); });
     }},
    {32646, false, {8, 8}, [](HDC hdc, bool mask) {  // IDC_SIZEALL
       Shape(hdc, mask, RGB(0, 0, 0), RGB(0, 0, 0), [&] {
         Rectangle(hdc, 7, 0, 10, 17);
         Rectangle(hdc, 0, 7, 17, 10);
       });
     }},
    {32648, false, {8, 8}, [](HDC hdc, bool mask) {  // IDC_NO
       Shape(hdc, mask, RGB(255, 255, 255), RGB(204, 0, 0), [&] { Ellipse(hdc, 0, 0, 17, 17); });
       Shape(hdc, mask, RGB(204, 0, 0), RGB(204, 0, 0), [&] { Rectangle(hdc, 2, 7, 15, 10); });
     }},
    {32649, false, {5, 0}, [](HDC hdc, bool mask) {  // IDC_HAND
       Shape(hdc, mask, RGB(255, 255, 255), RGB(0, 0, 0), [&] {
         Rectangle(hdc, 4, 0, 8, 10);
         Rectangle(hdc, 2, 8, 15, 19);
       });
     }},
    {32650, false, {0, 0}, [](HDC hdc, bool mask) {  // IDC_APPSTARTING
       const POINT arrow[] = {{0, 0}, {0, 16}, {4, 12}, {7, 19}, {9, 18}, {6, 11}, {11, 11}};
       Shape(hdc, mask, RGB(255, 255, 255), RGB(0, 0, 0), [&] { Polygon(hdc, arrow, 7); });
       Shape(hdc, mask, RGB(255, 255, 255), RGB(0, 0, 0), [&] { Ellipse(hdc, 12, 12, 20, 20); });
     }},
};

// Shared images by module, kind and name.
struct SharedKey {
  HINSTANCE module;
  UINT type;
  std::string name;
  int cx;
  int cy;
  bool operator<(const SharedKey& o) const {
    return std::tie(module, type, name, cx, cy) < std::tie(o.module, o.type, o.name, o.cx, o.cy);
  }
};

std::mutex& SharedLock() {
  static std::mutex lock;
  return lock;
}
std::map<SharedKey, HANDLE>& Shared() {
  static std::map<SharedKey, HANDLE> shared;
  return shared;
}

std::string NameKey(LPCSTR name) {
  return IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name)) : std::string(name);
}

HANDLE BuiltInImage(LPCSTR name, UINT type) {
  if (!IS_INTRESOURCE(name)) return nullptr;
  const WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
  const bool icon = type == IMAGE_ICON;
  for (const BuiltIn& b : icon ? std::span<const BuiltIn>(kBuiltIns) : std::span<const BuiltIn>(kBuiltInCursors)) {
    if (b.id == id) return DrawImage(32, b.icon, b.hotSpot, b.draw);
  }
  return nullptr;
}

// From an icon or cursor directory (a group resource, or the header of a file), the entry whose
// size is closest to the one wanted. `entrySize` is 14 in resources, 16 in files.
int BestEntry(std::span<const BYTE> directory, std::size_t entrySize, bool icon, int cx, int cy) {
  const std::uint32_t count = U16(directory, 4);
  int best = -1;
  long bestScore = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::size_t at = 6 + i * entrySize;
    if (at + entrySize > directory.size()) break;
    int width = directory[at] ? directory[at] : 256;
    int height = directory[at + 1] ? directory[at + 1] : 256;
    if (!icon && entrySize == 14) {  // cursor groups keep WORD sizes, the height doubled
      width = static_cast<int>(U16(directory, at));
      height = static_cast<int>(U16(directory, at + 2)) / 2;
    }
    // A cursor file's entry holds its hot spot where the others hold the bit count.
    int bits = !icon && entrySize == 16 ? 0 : static_cast<int>(U16(directory, at + 6));
    long score = std::labs(width - cx) * 1000 + std::labs(height - cy) * 1000 - bits;
    if (best < 0 || score < bestScore) {
      best = static_cast<int>(i);
      bestScore = score;
    }
  }
  return best;
}

// An icon or cursor of a group, its images looked up by `bytes(type, name)`: the group's entry
// closest to the size wanted.
template <class Bytes>
HICON IconFromGroup(Bytes&& bytes, LPCSTR name, bool icon, int cx, int cy) {
  std::span<const BYTE> group = bytes(icon ? RT_GROUP_ICON : RT_GROUP_CURSOR, name);
  if (group.empty()) return nullptr;
  int wantX = cx ? cx : GetSystemMetrics(icon ? SM_CXICON : SM_CXCURSOR);
  int wantY = cy ? cy : GetSystemMetrics(icon ? SM_CYICON : SM_CYCURSOR);
  int entry = BestEntry(group, 14, icon, wantX, wantY);
  if (entry < 0) return nullptr;
  WORD id = static_cast<WORD>(U16(group, 6 + static_cast<std::size_t>(entry) * 14 + 12));
  std::span<const BYTE> image = bytes(icon ? RT_ICON : RT_CURSOR, MAKEINTRESOURCE(id));
  if (image.empty()) return nullptr;
  return CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), icon ? TRUE : FALSE, 0x00030000,
                                  cx, cy, 0);
}

HICON IconFromResources(HINSTANCE instance, LPCSTR name, bool icon, int cx, int cy) {
  return IconFromGroup([instance](LPCSTR type, LPCSTR id) { return resources::ResourceBytes(instance, type, id); },
                       name, icon, cx, cy);
}

std::vector<BYTE> ReadFile(LPCSTR path) {
  std::string disk = path;
  for (char& c : disk) {
    if (c == '\\') c = '/';
  }
  std::ifstream in(disk, std::ios::binary);
  if (!in) return {};
  try {
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
  } catch (const std::ios_base::failure&) {
    return {};  // a folder opens, but reading it fails with an exception the caller must not see
  }
}

HICON IconFromFile(LPCSTR path, bool icon, int cx, int cy) {
  std::vector<BYTE> file = ReadFile(path);
  std::span<const BYTE> bytes(file);
  if (bytes.size() < 6 || U16(bytes, 2) != (icon ? 1u : 2u)) return nullptr;
  int wantX = cx ? cx : GetSystemMetrics(icon ? SM_CXICON : SM_CXCURSOR);
  int wantY = cy ? cy : GetSystemMetrics(icon ? SM_CYICON : SM_CYCURSOR);
  int entry = BestEntry(bytes, 16, icon, wantX, wantY);
  if (entry < 0) return nullptr;
  std::size_t at = 6 + static_cast<std::size_t>(entry) * 16;
  std::uint32_t size = U32(bytes, at + 8), offset = U32(bytes, at + 12);
  if (offset > bytes.size() || size > bytes.size() - offset) return nullptr;
  if (icon) return CreateIconFromResourceEx(bytes.data() + offset, size, TRUE, 0x00030000, cx, cy, 0);
  // A cursor file keeps the hot spot in the directory; the resource form puts it before the image.
  std::vector<BYTE> image;
  image.push_back(bytes[at + 4]);
  image.push_back(bytes[at + 5]);
  image.push_back(bytes[at + 6]);
  image.push_back(bytes[at + 7]);
  image.insert(image.end(), bytes.begin() + offset, bytes.begin() + offset + size);
  return CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()), FALSE, 0x00030000, cx, cy, 0);
}

// A decoded bitmap in the uncompressed form the raster engine takes: a BITMAPINFO with its colour
// table, and rows in the order the picture was stored. An uncompressed file keeps its own depth, its
// colour table and its stored bytes (the fourth byte of 32-bit pixels included); run-length pictures
// become indexed rows at their depth, and bit-field pictures 32-bit ones whose fourth byte is the
// alpha their masks give, or 0 (no alpha) without an alpha mask.
struct UncompressedDib {
  std::vector<BYTE> info;  // BITMAPINFOHEADER and the colour table
  std::vector<BYTE> bits;
  const BITMAPINFO* Info() const { return reinterpret_cast<const BITMAPINFO*>(info.data()); }
};

UncompressedDib Uncompressed(const tolvar::gdi::BmpImage& image, std::span<const BYTE> stored) {
  const bool indexed = image.bits <= 8;
  const bool asStored = image.compression == BI_RGB;
  const WORD bits = indexed || asStored ? image.bits : WORD{32};
  const std::size_t colours = indexed ? image.palette.size() : 0;
  const std::size_t width = image.width, height = image.height;
  const std::size_t stride = ((width * bits + 31) / 32) * 4;
  UncompressedDib dib;
  dib.info.assign(sizeof(BITMAPINFOHEADER) + std::max<std::size_t>(colours, 1) * 4, 0);
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib.info.data());
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = static_cast<LONG>(width);
  header->biHeight = image.topDown ? -static_cast<LONG>(height) : static_cast<LONG>(height);
  header->biPlanes = 1;
  header->biBitCount = bits;
  header->biCompression = BI_RGB;
  header->biClrUsed = static_cast<DWORD>(colours);
  for (std::size_t i = 0; i < colours; ++i) {
    const std::uint32_t c = image.palette[i];
    BYTE* quad = dib.info.data() + sizeof(BITMAPINFOHEADER) + i * 4;
    quad[0] = static_cast<BYTE>(c), quad[1] = static_cast<BYTE>(c >> 8), quad[2] = static_cast<BYTE>(c >> 16);
  }
  if (asStored) {
    // The reader has checked that every row is there.
    const BYTE* rows = stored.data() + image.dataOffset;
    dib.bits.assign(rows, rows + stride * height);
    return dib;
  }
  dib.bits.assign(stride * height, 0);
  for (std::size_t y = 0; y < height; ++y) {
    // Row y of the decoded picture counts from the top; the rows are written in the stored order.
    BYTE* row = dib.bits.data() + stride * (image.topDown ? y : height - 1 - y);
    for (std::size_t x = 0; x < width; ++x) {
      const std::size_t at = y * width + x;
      if (indexed) {
        const std::size_t bit = x * bits;
        row[bit / 8] |= static_cast<BYTE>(image.indices[at] << (8 - bits - bit % 8));
      } else {
        const std::uint32_t argb = image.pixels[at];
        const BYTE alpha = image.masks[3] ? static_cast<BYTE>(argb >> 24) : BYTE{0};
        BYTE* pixel = row + 4 * x;
        pixel[0] = static_cast<BYTE>(argb), pixel[1] = static_cast<BYTE>(argb >> 8);
        pixel[2] = static_cast<BYTE>(argb >> 16), pixel[3] = alpha;
      }
    }
  }
  return dib;
}

// A decoded bitmap as a new bitmap: with LR_CREATEDIBSECTION and no size asked, a DIB section at the
// picture's own depth (an indexed one with its colour table); else a 32-bit DIB section, scaled to
// cx x cy when they are given.
HBITMAP BitmapFromImage(const tolvar::gdi::BmpImage& image, std::span<const BYTE> stored, int cx, int cy,
                        UINT flags) {
  const UncompressedDib source = Uncompressed(image, stored);
  void* outBits = nullptr;
  if ((flags & LR_CREATEDIBSECTION) && !cx && !cy) {
    HBITMAP bitmap = CreateDIBSection(nullptr, source.Info(), DIB_RGB_COLORS, &outBits, nullptr, 0);
    if (bitmap) std::memcpy(outBits, source.bits.data(), source.bits.size());
    return bitmap;
  }
  const int width = static_cast<int>(image.width), height = static_cast<int>(image.height);
  const int outWidth = cx ? cx : width, outHeight = cy ? cy : height;
  BITMAPINFO out{};
  out.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  out.bmiHeader.biWidth = outWidth;
  out.bmiHeader.biHeight = outHeight;
  out.bmiHeader.biPlanes = 1;
  out.bmiHeader.biBitCount = 32;
  HBITMAP bitmap = CreateDIBSection(nullptr, &out, DIB_RGB_COLORS, &outBits, nullptr, 0);
  if (!bitmap) return nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const int copied = StretchDIBits(dc, 0, 0, outWidth, outHeight, 0, 0, width, height, source.bits.data(),
                                   source.Info(), DIB_RGB_COLORS, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  // A copy the raster engine refused would leave a blank bitmap that passes for the picture.
  if (copied == 0 || copied == static_cast<int>(GDI_ERROR)) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}

HBITMAP BitmapFromDib(std::span<const BYTE> dib, int cx, int cy, UINT flags) {
  tolvar::gdi::BmpImage image;
  if (tolvar::gdi::ReadPackedDib(dib, image) != tolvar::gdi::BmpResult::Ok) return nullptr;
  return BitmapFromImage(image, dib, cx, cy, flags);
}

HBITMAP BitmapFromFile(LPCSTR path, int cx, int cy, UINT flags) {
  const std::vector<BYTE> file = ReadFile(path);
  tolvar::gdi::BmpImage image;
  if (tolvar::gdi::ReadBmpFile(file, image) != tolvar::gdi::BmpResult::Ok) return nullptr;
  return BitmapFromImage(image, file, cx, cy, flags);
}

std::atomic<HCURSOR> g_cursor{nullptr};
std::atomic<int> g_showCount{0};
std::atomic<std::uint32_t> g_cursorPlace{0};  // the other process's top-level window last told, or 0

}  // namespace
}  // namespace tolvar::user

using namespace tolvar::user;

UINT PrivateExtractIconsA(LPCSTR file, int index, int cx, int cy, HICON* icons, UINT* ids, UINT count, UINT) {
  if (!file || index < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const std::string path = file;
  const std::vector<std::string> groups = tolvar::resources::FileResourceNames(path, RT_GROUP_ICON);
  if (!icons) return static_cast<UINT>(groups.size());
  auto bytes = [&path](LPCSTR type, LPCSTR id) { return tolvar::resources::FileResourceBytes(path, type, id); };
  UINT made = 0;
  for (std::size_t at = static_cast<std::size_t>(index); at < groups.size() && made < count; ++at) {
    HICON icon = IconFromGroup(bytes, groups[at].c_str(), true, cx, cy);
    if (!icon) break;
    icons[made] = icon;
    if (ids) ids[made] = groups[at][0] == '#' ? static_cast<UINT>(std::stoul(groups[at].substr(1))) : 0;
    ++made;
  }
  return made;
}

HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
  if (!name || type > IMAGE_CURSOR) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const bool fromFile = (flags & LR_LOADFROMFILE) != 0;
  if (type != IMAGE_BITMAP && (flags & LR_DEFAULTSIZE)) {
    if (!cx) cx = GetSystemMetrics(type == IMAGE_ICON ? SM_CXICON : SM_CXCURSOR);
    if (!cy) cy = GetSystemMetrics(type == IMAGE_ICON ? SM_CYICON : SM_CYCURSOR);
  }
  const bool shared = (flags & LR_SHARED) && type != IMAGE_BITMAP && !fromFile;
  SharedKey key{instance, type, NameKey(name), cx, cy};
  if (shared) {
    std::lock_guard guard(SharedLock());
    if (auto it = Shared().find(key); it != Shared().end()) return it->second;
  }
  HANDLE image = nullptr;
  if (type == IMAGE_BITMAP) {
    image = fromFile ? BitmapFromFile(name, cx, cy, flags)
                     : BitmapFromDib(tolvar::resources::ResourceBytes(instance, RT_BITMAP, name), cx, cy, flags);
  } else if (fromFile) {
    image = IconFromFile(name, type == IMAGE_ICON, cx, cy);
  } else if (!instance) {
    image = BuiltInImage(name, type);
  } else {
    image = IconFromResources(instance, name, type == IMAGE_ICON, cx, cy);
  }
  if (!image) {
    SetLastError(fromFile ? ERROR_FILE_NOT_FOUND : ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  if (shared) {
    std::lock_guard guard(SharedLock());
    auto [it, added] = Shared().emplace(key, image);
    if (!added) {
      DestroyIcon(static_cast<HICON>(image));  // another thread made it meanwhile
      image = it->second;
    }
  }
  return image;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  return static_cast<HCURSOR>(LoadImageA(instance, name, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  return static_cast<HICON>(LoadImageA(instance, name, IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
}

HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name) {
  return static_cast<HBITMAP>(LoadImageA(instance, name, IMAGE_BITMAP, 0, 0, 0));
}

HCURSOR SetCursor(HCURSOR cursor) {
  const HCURSOR old = g_cursor.exchange(cursor);
  // The pointer shows what the thread of the window under it sets, as it answers WM_SETCURSOR or
  // later (a wait cursor around a transfer), even where that window is drawn inside a window of
  // another process: that process's X window then takes this process's cursor. A thread that
  // takes the pointer back from another one shows its cursor again, changed or not.
  std::uint32_t top = 0;
  bool takenBack = false;
  if (Station::IsOpen()) {
    const DWORD me = GetCurrentThreadId();
    Station::Get().With([&](StationData& data) {
      if (data.pointerThread != me) return 0;
      takenBack = data.cursorShownBy != me;
      data.cursorShownBy = me;
      top = data.pointerTop;
      return 0;
    });
  }
  HWND shownIn = nullptr;
  if (top) {
    auto slot = ReadSlot(HandleOf(top));
    if (slot && !IsLocal(*slot)) shownIn = HandleOf(top);
  }
  const bool placeChanged = g_cursorPlace.exchange(HandleValue(shownIn)) != HandleValue(shownIn);
  if (old != cursor || takenBack || placeChanged) TellDisplayCursor(cursor, shownIn);
  return old;
}
HCURSOR GetCursor() { return g_cursor.load(); }
int ShowCursor(BOOL show) { return show ? ++g_showCount : --g_showCount; }
