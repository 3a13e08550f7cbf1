// Cursors, icons and bitmaps (built in, from resources and from files), and the caret.
#include <user_testing/Recorder.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Module.h>
#include <kernel/Process.h>
#include <resources/Resource.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

using namespace testing_user;

namespace {

SIZE ImageSize(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return {0, 0};
  BITMAP bitmap{};
  GetObjectA(info.hbmMask, sizeof bitmap, &bitmap);
  SIZE size{bitmap.bmWidth, info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2};
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return size;
}

TEST(Cursors, BuiltInCursorsAndIconsAreSharedAndTheShownCursorIsSwapped) {
  HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
  ASSERT_TRUE(arrow);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_ARROW), arrow);
  EXPECT_NE(LoadCursorA(nullptr, IDC_IBEAM), arrow);
  SetLastError(0);
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
  for (LPCSTR id : {IDI_APPLICATION, IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK}) {
    HICON icon = LoadIconA(nullptr, id);
    ASSERT_TRUE(icon);
    SIZE size = ImageSize(icon);
    EXPECT_EQ(size.cx, 32);
    EXPECT_EQ(size.cy, 32);
  }
  HCURSOR before = SetCursor(arrow);
  EXPECT_EQ(SetCursor(before), arrow);
  int count = ShowCursor(FALSE);
  EXPECT_EQ(ShowCursor(TRUE), count + 1);
}

TEST(Cursors, TheClassCursorIsSetWhereThePointerRestsOnTheClientArea) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hCursor = LoadCursorA(nullptr, IDC_CROSS);
  wc.lpszClassName = "Crosshair";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "Crosshair", "", WS_POPUP | WS_VISIBLE, 600, 400, 50, 50, nullptr, nullptr,
                                nullptr, nullptr);
  SetCursor(nullptr);
  tolvar::user::InjectMouse({620, 420}, WM_MOUSEMOVE);
  EXPECT_EQ(GetCursor(), wc.hCursor);
  POINT at;
  GetCursorPos(&at);
  EXPECT_EQ(at.x, 620);
  Pump();
  DestroyWindow(window);
}

TEST(Cursors, ImagesComeFromResourcesAndFiles) {
  HBITMAP bitmap = LoadBitmapA(nullptr, MAKEINTRESOURCEA(400));
  ASSERT_TRUE(bitmap);
  BITMAP info{};
  GetObjectA(bitmap, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 4);
  EXPECT_EQ(info.bmHeight, 3);
  EXPECT_EQ(PixelAt(bitmap, 1, 0), RGB(255, 0, 0));
  EXPECT_EQ(PixelAt(bitmap, 1, 2), RGB(0, 0, 255));
  DeleteObject(bitmap);

  // A NULL instance names the system's own icons; the program's are found through its module.
  HINSTANCE program = GetModuleHandleA(nullptr);
  EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(401)), nullptr);
  HICON icon = LoadIconA(program, MAKEINTRESOURCEA(401));
  ASSERT_TRUE(icon);
  EXPECT_EQ(LoadIconA(program, MAKEINTRESOURCEA(401)), icon);
  SIZE size = ImageSize(icon);
  EXPECT_EQ(size.cx, 32);  // scaled to the system size
  auto small = static_cast<HICON>(LoadImageA(program, MAKEINTRESOURCEA(401), IMAGE_ICON, 16, 16, 0));
  ASSERT_TRUE(small);
  EXPECT_EQ(ImageSize(small).cx, 16);
  DestroyIcon(small);

  const std::string file = std::string(RC_DATA) + "/swatch.bmp";
  auto loaded = static_cast<HBITMAP>(LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 8, 6, LR_LOADFROMFILE));
  ASSERT_TRUE(loaded);
  GetObjectA(loaded, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 8);
  EXPECT_EQ(PixelAt(loaded, 2, 0), RGB(255, 0, 0));
  DeleteObject(loaded);
  auto fromIco = static_cast<HICON>(LoadImageA(nullptr, (std::string(RC_DATA) + "/square.ico").c_str(), IMAGE_ICON, 0,
                                               0, LR_LOADFROMFILE));
  ASSERT_TRUE(fromIco);
  EXPECT_EQ(ImageSize(fromIco).cx, 16);
  DestroyIcon(fromIco);
  SetLastError(0);
  EXPECT_EQ(LoadImageA(nullptr, "/nonexistent.bmp", IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  // A folder opens as a file on Linux but cannot be read: no image, and no exception.
  EXPECT_EQ(LoadImageA(nullptr, RC_DATA, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  EXPECT_EQ(LoadImageA(nullptr, RC_DATA, IMAGE_ICON, 0, 0, LR_LOADFROMFILE), nullptr);
}

// A cursor file whose two entries are the same 32 by 32 image and differ only in their hot spots:
// the first of equally good entries is taken, since a cursor entry has no bit count to prefer.
TEST(Cursors, ACursorFileEntryIsChosenBySizeNotByItsHotSpot) {
  std::vector<BYTE> file;
  auto u16 = [&](unsigned v) { file.insert(file.end(), {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8)}); };
  auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  constexpr std::uint32_t kImageSize = 40 + 8 + 2 * 128, kImageAt = 6 + 2 * 16;
  u16(0), u16(2), u16(2);  // a cursor file of two entries
  for (unsigned hotY : {1u, 30u}) {
    file.insert(file.end(), {32, 32, 2, 0});
    u16(3), u16(hotY), u32(kImageSize), u32(kImageAt);
  }
  u32(40), u32(32), u32(64), u16(1), u16(1), u32(0), u32(2 * 128), u32(0), u32(0), u32(2), u32(0);
  u32(0x000000), u32(0xFFFFFF);
  file.resize(file.size() + 2 * 128, 0x00);
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("user-cursor-" + std::to_string(GetCurrentProcessId()) + ".cur");
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  }
  auto cursor = static_cast<HCURSOR>(LoadImageA(nullptr, path.c_str(), IMAGE_CURSOR, 32, 32, LR_LOADFROMFILE));
  std::filesystem::remove(path);
  ASSERT_TRUE(cursor);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_EQ(info.xHotspot, 3u);
  EXPECT_EQ(info.yHotspot, 1u);
  DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DestroyCursor(cursor);
}

// A bitmap file whose header the raster engine cannot take, or whose rows the file does not hold,
// is refused before anything is allocated; the huge sizes would otherwise ask for gigabytes (the
// fuzz replay of these files runs under a cap on allocations). A copy the engine refuses is a
// failure, never a blank bitmap handed out as the picture.
TEST(Cursors, BitmapFilesWithHeadersTheirBytesDoNotBearOutAreRefused) {
  struct Case {
    const char* name;
    std::int32_t width, height;
    std::uint16_t planes, bits;
    std::uint32_t compression, coloursUsed;
    std::size_t dataBytes;  // after the header and the colour table the depth implies
    bool loads;
  };
  const Case cases[] = {
      {"a well-formed 2x2 at 24 bits", 2, 2, 1, 24, BI_RGB, 0, 16, true},
      {"a well-formed 3x1 at 4 bits", 3, -1, 1, 4, BI_RGB, 2, 4, true},
      {"the lowest height", 1, INT32_MIN, 1, 32, BI_RGB, 0, 64, false},
      {"depth 0", 16384, 16384, 1, 0, BI_RGB, 0, 4, false},
      {"depth 7", 2, 2, 1, 7, BI_RGB, 0, 64, false},
      {"run-length 8", 16384, 16384, 1, 8, 1 /* BI_RLE8 */, 0, 2, false},
      {"run-length 4", 16384, 16384, 1, 4, 2 /* BI_RLE4 */, 0, 2, false},
      {"bit fields with their masks", 2, 2, 1, 32, BI_BITFIELDS, 0, 28, true},
      {"bit fields without room for the masks", 2, 2, 1, 32, BI_BITFIELDS, 0, 20, false},
      {"no plane", 2, 2, 0, 24, BI_RGB, 0, 16, false},
      {"rows beyond the data", 16384, 16384, 1, 32, BI_RGB, 0, 16, false},
      {"one row short", 2, 2, 1, 24, BI_RGB, 0, 15, false},
      {"more colours than the depth has", 2, 2, 1, 1, BI_RGB, 3, 8, false},
      {"more colours than the file holds, at 8 bits", 2, 2, 1, 8, BI_RGB, 0x40000000, 16, false},
      // Above 8 bits the count is a palette hint: the header's offset says where the pixels are.
      {"a colour hint beyond the file, at 24 bits", 2, 2, 1, 24, BI_RGB, 0x40000000, 16, true},
  };
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("user-bitmap-" + std::to_string(GetCurrentProcessId()) + ".bmp");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<BYTE> file = {'B', 'M'};
    file.resize(14, 0);
    auto u16 = [&](std::uint32_t v) { file.insert(file.end(), {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8)}); };
    auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    u32(40), u32(static_cast<std::uint32_t>(c.width)), u32(static_cast<std::uint32_t>(c.height));
    u16(c.planes), u16(c.bits), u32(c.compression), u32(0), u32(0), u32(0), u32(c.coloursUsed), u32(0);
    const std::size_t colours = c.coloursUsed && c.coloursUsed < 256 ? c.coloursUsed : c.bits && c.bits <= 8 ? 1u << c.bits : 0;
    file.resize(file.size() + 4 * colours + c.dataBytes, 0x40);
    // The pixels follow the colour table (and a bit-field file's three masks).
    const std::uint32_t pixelsAt = static_cast<std::uint32_t>(14 + 40 + 4 * colours + (c.compression == BI_BITFIELDS ? 12 : 0));
    for (int i = 0; i < 4; ++i) file[10 + i] = static_cast<BYTE>(pixelsAt >> (8 * i));
    {
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    for (UINT flags : {LR_LOADFROMFILE, LR_LOADFROMFILE | LR_CREATEDIBSECTION}) {
      HANDLE image = LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, flags);
      EXPECT_EQ(image != nullptr, c.loads) << flags;
      if (image) DeleteObject(image);
    }
  }
  std::filesystem::remove(path);
}

// Bitmap files in each of the forms the system reads, made here: run-length data at 8 and 4 bits,
// 16-bit pixels with bit masks, the old 12-byte header with its 3-byte colours, and a file that
// keeps a gap between its colour table and its pixels (the header's offset says where they are).
// Each loads with the colours it holds, as a plain bitmap and as a DIB section. The DIB section keeps
// the depth the file is stored at (bit-field pictures become 32-bit), and no pixel gets a fourth byte
// the file did not give it: an image list would take one for alpha and draw the picture's background
// over what its mask should leave.
TEST(Cursors, BitmapFilesOfEveryFormLoadWithTheirColours) {
  constexpr COLORREF black = RGB(0, 0, 0), red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255),
                     white = RGB(255, 255, 255);
  using Bytes = std::vector<BYTE>;
  auto u16 = [](Bytes& b, std::uint32_t v) { b.insert(b.end(), {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8)}); };
  auto u32 = [&](Bytes& b, std::uint32_t v) { u16(b, v & 0xFFFF), u16(b, v >> 16); };
  // The info header of 40 bytes for a 2 by 2 picture (3 by 2 for the run-length ones).
  auto info = [&](std::int32_t width, std::uint16_t bits, std::uint32_t compression, std::uint32_t colours) {
    Bytes b;
    u32(b, 40), u32(b, static_cast<std::uint32_t>(width)), u32(b, 2), u16(b, 1), u16(b, bits), u32(b, compression);
    u32(b, 0), u32(b, 0), u32(b, 0), u32(b, colours), u32(b, 0);
    return b;
  };
  const Bytes quads = {0, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};  // black, red, blue
  auto join = [](std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  };
  struct Case {
    const char* name;
    Bytes header;  // everything between the file header and the pixel data
    std::size_t gap;
    Bytes pixels;
    std::vector<COLORREF> expected;  // top row first, left to right
    WORD sectionBits;                // the depth of the DIB section
    BYTE fourth = 0;                 // what a 32-bit DIB section holds beside each colour
  };
  Bytes core = {12, 0, 0, 0, 2, 0, 2, 0, 1, 0, 1, 0, 0, 255, 0, 0, 0, 255};  // 1 bit; green, red
  Bytes masks565 = info(2, 16, BI_BITFIELDS, 0);
  u32(masks565, 0xF800), u32(masks565, 0x07E0), u32(masks565, 0x001F);
  Bytes alphaMasks = info(2, 32, BI_BITFIELDS, 0);
  u32(alphaMasks, 0x00FF0000), u32(alphaMasks, 0x0000FF00), u32(alphaMasks, 0x000000FF);
  const Case cases[] = {
      {"run-length 8", join({info(3, 8, 1, 3), quads}), 0,
       {3, 1, 0, 0, 0, 3, 2, 1, 2, 0, 0, 1},  // a run of red; then blue, red, blue as they are
       {blue, red, blue, red, red, red}, 8},
      {"run-length 4", join({info(3, 4, 2, 3), quads}), 0,
       {3, 0x12, 0, 0, 3, 0x22, 0, 1},  // red, blue, red alternating; then blue throughout
       {blue, blue, blue, red, blue, red}, 4},
      {"4 bits as they are", join({info(2, 4, BI_RGB, 3), quads}), 0, {0x12, 0, 0, 0, 0x01, 0, 0, 0},
       {black, red, red, blue}, 4},
      {"16-bit fields", masks565, 0, {0x1F, 0, 0xFF, 0xFF, 0, 0xF8, 0xE0, 0x07}, {red, green, blue, white}, 32},
      {"32-bit fields without alpha", alphaMasks, 0, {0, 0, 255, 9, 0, 255, 0, 9, 255, 0, 0, 9, 0, 0, 0, 9},
       {blue, black, red, green}, 32},
      {"12-byte header", core, 0, {0x40, 0, 0, 0, 0x80, 0, 0, 0}, {red, green, green, red}, 1},
      {"a gap before the pixels", info(2, 24, BI_RGB, 0), 10,
       {0, 0, 255, 255, 0, 0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0}, {green, black, red, blue}, 24},
      // The fourth byte of a plain 32-bit file is kept as it is stored.
      {"32 bits as they are", info(2, 32, BI_RGB, 0), 0, {0, 0, 255, 7, 0, 255, 0, 7, 255, 0, 0, 7, 0, 0, 0, 7},
       {blue, black, red, green}, 32, 7},
  };
  // The fourth byte beside every pixel of a 32-bit DIB section, or none when it holds another depth.
  auto fourthBytes = [](HBITMAP bitmap) {
    DIBSECTION section{};
    std::vector<BYTE> found;
    if (GetObjectA(bitmap, sizeof section, &section) != sizeof section || section.dsBm.bmBitsPixel != 32) return found;
    const auto* bits = static_cast<const BYTE*>(section.dsBm.bmBits);
    for (LONG y = 0; y < section.dsBm.bmHeight; ++y)
      for (LONG x = 0; x < section.dsBm.bmWidth; ++x) found.push_back(bits[y * section.dsBm.bmWidthBytes + 4 * x + 3]);
    return found;
  };
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("user-forms-" + std::to_string(GetCurrentProcessId()) + ".bmp");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes file = {'B', 'M'};
    const std::size_t pixelsAt = 14 + c.header.size() + c.gap;
    u32(file, static_cast<std::uint32_t>(pixelsAt + c.pixels.size())), u32(file, 0), u32(file, static_cast<std::uint32_t>(pixelsAt));
    file.insert(file.end(), c.header.begin(), c.header.end());
    file.resize(pixelsAt, 0xFF);  // the gap: white that must not be taken for pixels
    file.insert(file.end(), c.pixels.begin(), c.pixels.end());
    {
      std::ofstream out(path, std::ios::binary);
      out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    const int width = static_cast<int>(c.expected.size() / 2);
    for (UINT flags : {LR_LOADFROMFILE, LR_LOADFROMFILE | LR_CREATEDIBSECTION}) {
      auto bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, flags));
      ASSERT_TRUE(bitmap) << flags;
      for (int i = 0; i < static_cast<int>(c.expected.size()); ++i)
        EXPECT_EQ(PixelAt(bitmap, i % width, i / width), c.expected[static_cast<std::size_t>(i)]) << flags << " pixel " << i;
      const bool section = flags & LR_CREATEDIBSECTION;
      BITMAP object{};
      GetObjectA(bitmap, sizeof object, &object);
      EXPECT_EQ(object.bmBitsPixel, section ? c.sectionBits : 32) << flags;
      // Without a DIB section the picture is drawn into a 32-bit one, which leaves the fourth byte 0.
      if (object.bmBitsPixel == 32 && (section || c.fourth == 0)) {
        EXPECT_EQ(fourthBytes(bitmap), std::vector<BYTE>(c.expected.size(), section ? c.fourth : BYTE{0})) << flags;
      }
      DeleteObject(bitmap);
    }
  }
  std::filesystem::remove(path);
}

TEST(Carets, ACaretInvertsItsPlaceWhileShownAndStaysOutOfPainting) {
  HWND window = CreateWindowExA(0, PlainClass(), "", WS_POPUP | WS_VISIBLE, 0, 0, 40, 30, nullptr, nullptr, nullptr,
                                nullptr);
  Pump();
  ASSERT_TRUE(CreateCaret(window, nullptr, 2, 10));
  SetCaretPos(5, 6);
  auto pixel = [&](int x, int y) {
    HBITMAP image = tolvar::user::RenderWindow(window);
    COLORREF colour = PixelAt(image, x, y);
    DeleteObject(image);
    return colour;
  };
  EXPECT_EQ(pixel(5, 6), RGB(255, 255, 255));  // made hidden
  EXPECT_TRUE(ShowCaret(window));
  EXPECT_EQ(pixel(5, 6), RGB(0, 0, 0));
  EXPECT_EQ(pixel(7, 6), RGB(255, 255, 255));
  SetCaretPos(20, 6);
  EXPECT_EQ(pixel(5, 6), RGB(255, 255, 255));
  EXPECT_EQ(pixel(21, 15), RGB(0, 0, 0));
  // Painting takes the caret away and puts it back: it is never painted over and left inverted.
  InvalidateRect(window, nullptr, TRUE);
  UpdateWindow(window);
  EXPECT_EQ(pixel(21, 15), RGB(0, 0, 0));
  POINT at;
  GetCaretPos(&at);
  EXPECT_EQ(at.x, 20);
  HideCaret(window);
  EXPECT_EQ(pixel(21, 15), RGB(255, 255, 255));
  EXPECT_TRUE(DestroyCaret());
  EXPECT_FALSE(ShowCaret(window));
  DestroyWindow(window);
}

}  // namespace
