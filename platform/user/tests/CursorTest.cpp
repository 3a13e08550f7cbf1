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
      {"bit fields", 2, 2, 1, 32, BI_BITFIELDS, 0, 28, false},
      {"no plane", 2, 2, 0, 24, BI_RGB, 0, 16, false},
      {"rows beyond the data", 16384, 16384, 1, 32, BI_RGB, 0, 16, false},
      {"one row short", 2, 2, 1, 24, BI_RGB, 0, 15, false},
      {"more colours than the depth has", 2, 2, 1, 1, BI_RGB, 3, 8, false},
      {"a colour table beyond the file", 2, 2, 1, 24, BI_RGB, 0x40000000, 16, false},
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
