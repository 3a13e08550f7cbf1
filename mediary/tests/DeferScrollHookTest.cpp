// Flat scroll bars: their geometry, and a window painted with them under a second hook in either
// order of attaching and detaching.
#include <DeferScrollHook.h>

#include <base/TemporaryHome.h>
#include <gdi/Gdi.h>
#include <gdi/SysParams.h>
#include <user/Headless.h>
#include <user/User.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST(FlatScrollBars, StripsLeaveTheCornerToNeitherBar) {
  FlatBarGeometry g = ComputeFlatBars(200, 100, true, false, 16, 0);
  EXPECT_TRUE(Same(g.verticalStrip, {184, 0, 200, 100}));
  g = ComputeFlatBars(200, 100, false, true, 16, 0);
  EXPECT_TRUE(Same(g.horizontalStrip, {0, 84, 200, 100}));
  g = ComputeFlatBars(200, 100, true, true, 16, 2);
  EXPECT_TRUE(Same(g.verticalStrip, {182, 2, 198, 82}));
  EXPECT_TRUE(Same(g.horizontalStrip, {2, 82, 182, 98}));
}

TEST(FlatScrollBars, ThumbFollowsPageAndPosition) {
  const RECT strip{0, 0, 16, 116};  // track of 84 between two boxes of 16
  struct Case {
    int min, max;
    UINT page;
    int pos;
    RECT thumb;
  } cases[] = {
      {0, 99, 50, 0, {0, 16, 16, 58}},    {0, 99, 50, 50, {0, 58, 16, 100}},
      {0, 99, 50, 25, {0, 37, 16, 79}},   {0, 999, 10, 0, {0, 16, 16, 32}},  // at least a square
      {0, 99, 100, 0, {0, 0, 0, 0}},      {0, 99, 200, 0, {0, 0, 0, 0}},    // nothing scrolls
      {10, 109, 50, 60, {0, 58, 16, 100}},
  };
  for (const Case& c : cases) {
    SCROLLINFO info{sizeof info, SIF_ALL, c.min, c.max, c.page, c.pos, 0};
    const RECT t = FlatThumb(strip, true, info);
    EXPECT_TRUE(Same(t, c.thumb)) << c.pos << "/" << c.page << ": " << t.left << "," << t.top << "," << t.right << ","
                                  << t.bottom;
  }
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 99, 50, 50, 0};
  EXPECT_TRUE(Same(FlatThumb({0, 0, 116, 16}, false, info), {58, 0, 100, 16}));
}

namespace {

std::string g_log;

class Logger : public CSubclassWnd {
 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_PAINT) g_log += 'L';
    return Default(message, wParam, lParam);
  }
};

LRESULT Plain(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &client, white);
    DeleteObject(white);
    EndPaint(window, &ps);
    g_log += 'W';
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

COLORREF PixelAt(const std::vector<std::uint32_t>& pixels, SIZE size, int x, int y) {
  const std::uint32_t p = pixels[std::size_t(y) * std::size_t(size.cx) + std::size_t(x)];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

}  // namespace

TEST(FlatScrollBars, AHookedWindowShowsFlatBarsUnderAnyOrderOfHooks) {
  tolvar::testing::TemporaryHome home;
  WNDCLASSA wc{};
  wc.lpfnWndProc = Plain;
  wc.lpszClassName = "FlatScrollTarget";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "FlatScrollTarget", "", WS_POPUP | WS_VISIBLE | WS_VSCROLL, 0, 0, 120, 200,
                                nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 99, 50, 0, 0};
  SetScrollInfo(window, SB_VERT, &info, TRUE);
  const COLORREF background = RGB(0xFD, 0xEA, 0xE1);
  const int bar = GetSystemMetrics(SM_CXVSCROLL);

  for (int order = 0; order < 4; ++order) {
    SCOPED_TRACE(order);
    CDeferScrollHook flat;
    Logger logger;
    if (order & 1) {
      flat.AttachHook(window);
      logger.HookWindow(window);
    } else {
      logger.HookWindow(window);
      flat.AttachHook(window);
    }
    g_log.clear();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
    std::vector<std::uint32_t> pixels;
    SIZE size{};
    ASSERT_TRUE(tolvar::user::RenderWindowPixels(window, pixels, size));
    EXPECT_NE(g_log.find('W'), std::string::npos);  // the window painted itself first
    EXPECT_NE(g_log.find('L'), std::string::npos);
    // Track below the thumb: the background; the arrow box's outer corner: the highlight colour.
    EXPECT_EQ(PixelAt(pixels, size, 120 - bar / 2, 200 - bar - 4), background);
    EXPECT_EQ(PixelAt(pixels, size, 120 - bar, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(pixels, size, 10, 10), RGB(255, 255, 255));
    if (order == 0) {
      HBITMAP image = tolvar::user::RenderWindow(window);
      testing_user::SavePng(image, "mediary_flat_scroll_bar");
      DeleteObject(image);
    }
    if (order & 2) {
      flat.AttachHook(nullptr);
      logger.Unhook();
    } else {
      logger.Unhook();
      flat.AttachHook(nullptr);
    }
    EXPECT_EQ(CSubclassWnd::HookCount(window), 0);
  }
  DestroyWindow(window);
}
