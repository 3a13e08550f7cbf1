// Update regions, WM_PAINT and rendering: windows paint into their top-level window's backing
// bitmap through DCs clipped to what they may touch.
#include <user_testing/Recorder.h>

#include <kernel/Wait.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace testing_user;

namespace {

std::vector<std::pair<HWND, RECT>> g_painted;

// Paints its client area in the colour kept in its user data, and notes what it painted unless the
// window belongs to another thread (quiet).
template <bool kNote>
LRESULT PaintedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(window, &paint);
    if (kNote) g_painted.emplace_back(window, paint.rcPaint);
    RECT client;
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(window, GWLP_USERDATA)));
    FillRect(hdc, &client, brush);
    DeleteObject(brush);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LPCSTR PaintedClass(bool quiet = false) {
  static ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PaintedProc<true>;
    wc.lpszClassName = "Painted";
    ATOM painted = RegisterClassA(&wc);
    wc.lpfnWndProc = PaintedProc<false>;
    wc.lpszClassName = "QuietPainted";
    RegisterClassA(&wc);
    return painted;
  }();
  (void)atom;
  return quiet ? "QuietPainted" : "Painted";
}

HWND Painted(DWORD style, int x, int y, int cx, int cy, HWND parent, COLORREF colour, DWORD exStyle = 0,
             bool quiet = false) {
  HWND window = CreateWindowExA(exStyle, PaintedClass(quiet), "Painted", style, x, y, cx, cy, parent, nullptr, nullptr,
                                nullptr);
  SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
  return window;
}

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kGreen = RGB(0, 255, 0);

TEST(Painting, PaintComesOnlyWhenTheQueueHasNothingElseAndParentsFirst) {
  HWND top = Painted(WS_POPUP | WS_VISIBLE, 0, 0, 100, 80, nullptr, kRed);
  HWND child = Painted(WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, top, kBlue);
  PostMessageA(top, WM_USER, 0, 0);
  MSG message;
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_USER));
  ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(message.message, static_cast<UINT>(WM_PAINT));
  EXPECT_EQ(message.hwnd, top);
  g_painted.clear();
  Pump();
  ASSERT_EQ(g_painted.size(), 2u);
  EXPECT_EQ(g_painted[0].first, top);
  EXPECT_EQ(g_painted[1].first, child);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));

  // A hidden window keeps its update region but gets no WM_PAINT.
  ShowWindow(top, SW_HIDE);
  InvalidateRect(top, nullptr, TRUE);
  EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
  DestroyWindow(top);
}

TEST(Painting, UpdateRegionsGrowValidateAndReachChildrenUnlessClipped) {
  HWND top = Painted(WS_POPUP | WS_VISIBLE, 0, 0, 100, 80, nullptr, kRed);
  HWND child = Painted(WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, top, kBlue);
  Pump();
  RECT rect{5, 5, 15, 15};
  InvalidateRect(top, &rect, FALSE);
  RECT update;
  EXPECT_TRUE(GetUpdateRect(top, &update, FALSE));
  EXPECT_EQ(update.left, 5);
  EXPECT_EQ(update.bottom, 15);
  EXPECT_TRUE(GetUpdateRect(child, &update, FALSE));  // the part over the child, in its coordinates
  EXPECT_EQ(update.left, 0);
  EXPECT_EQ(update.right, 5);
  ValidateRect(top, nullptr);
  EXPECT_FALSE(GetUpdateRect(top, &update, FALSE));
  EXPECT_TRUE(GetUpdateRect(child, &update, FALSE));  // validating stays with the window itself
  Pump();
  EXPECT_FALSE(GetUpdateRect(child, &update, FALSE));

  SetWindowLongA(top, GWL_STYLE, GetWindowLongA(top, GWL_STYLE) | static_cast<LONG>(WS_CLIPCHILDREN));
  InvalidateRect(top, nullptr, FALSE);
  EXPECT_FALSE(GetUpdateRect(child, &update, FALSE));
  g_painted.clear();
  Pump();
  ASSERT_EQ(g_painted.size(), 1u);
  EXPECT_EQ(g_painted[0].second.right, 100);
  DestroyWindow(top);
}

TEST(Painting, ChildrenClipSiblingsAndTheParentClipsItsChildren) {
  HWND top = Painted(WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 100, 80, nullptr, kRed);
  HWND upper = Painted(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 10, 10, 40, 30, top, kBlue);
  HWND lower = Painted(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 30, 20, 40, 30, top, kGreen);
  Pump();
  // Paint the lower one last: where the upper one lies on it, the upper one's pixels stay.
  InvalidateRect(lower, nullptr, TRUE);
  UpdateWindow(lower);
  HBITMAP image = tolvar::user::RenderWindow(top);
  ASSERT_TRUE(image);
  SavePng(image, "clip-siblings");
  EXPECT_EQ(PixelAt(image, 5, 5), kRed);
  EXPECT_EQ(PixelAt(image, 15, 15), kBlue);
  EXPECT_EQ(PixelAt(image, 40, 30), kBlue);   // both children: the upper one
  EXPECT_EQ(PixelAt(image, 65, 45), kGreen);  // the lower one alone
  EXPECT_EQ(PixelAt(image, 90, 70), kRed);
  // The parent painting again does not cover its children.
  InvalidateRect(top, nullptr, TRUE);
  UpdateWindow(top);
  DeleteObject(image);
  image = tolvar::user::RenderWindow(top);
  EXPECT_EQ(PixelAt(image, 15, 15), kBlue);
  EXPECT_EQ(PixelAt(image, 65, 45), kGreen);
  DeleteObject(image);
  (void)upper;
  DestroyWindow(top);
}

// A parent that does not clip its children paints over them; a child that painted before it (its
// own UpdateWindow) paints again after it, and only where the parent painted.
TEST(Painting, AChildPaintedBeforeItsUnclippedParentPaintsAgainAfterIt) {
  HWND top = Painted(WS_POPUP | WS_VISIBLE, 0, 0, 100, 80, nullptr, kRed);
  HWND child = Painted(WS_CHILD | WS_VISIBLE, 10, 10, 40, 30, top, kBlue);
  HWND aside = Painted(WS_CHILD | WS_VISIBLE, 60, 10, 30, 30, top, kGreen);
  Pump();
  InvalidateRect(top, nullptr, TRUE);
  UpdateWindow(child);  // the child first, the parent still to paint
  g_painted.clear();
  Pump();
  ASSERT_EQ(g_painted.size(), 3u);
  EXPECT_EQ(g_painted[0].first, top);
  HBITMAP image = tolvar::user::RenderWindow(top);
  ASSERT_TRUE(image);
  SavePng(image, "unclipped-parent");
  EXPECT_EQ(PixelAt(image, 5, 5), kRed);
  EXPECT_EQ(PixelAt(image, 30, 25), kBlue);
  EXPECT_EQ(PixelAt(image, 75, 25), kGreen);
  DeleteObject(image);
  // Where the parent paints only beside a child, the child is left alone.
  RECT corner{0, 60, 10, 80};
  InvalidateRect(top, &corner, TRUE);
  g_painted.clear();
  Pump();
  ASSERT_EQ(g_painted.size(), 1u);
  EXPECT_EQ(g_painted[0].first, top);
  (void)aside;
  DestroyWindow(top);
}

TEST(Painting, TheFrameAndCaptionArePaintedInTheClassicLook) {
  HWND top = Painted(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0, 160, 100, nullptr, kRed);
  SetWindowTextA(top, "Caption");
  Pump();
  HBITMAP image = tolvar::user::RenderWindow(top);
  ASSERT_TRUE(image);
  SavePng(image, "caption");
  RECT window, client;
  GetWindowRect(top, &window);
  GetClientRect(top, &client);
  EXPECT_EQ(window.right - window.left - client.right, 6);   // a dialog frame of 3 on each side
  EXPECT_EQ(window.bottom - window.top - client.bottom, 25);  // and the caption of 19
  EXPECT_EQ(PixelAt(image, 3, 4), GetSysColor(COLOR_ACTIVECAPTION));  // the gradient starts dark
  EXPECT_EQ(PixelAt(image, 1, 50), GetSysColor(COLOR_3DHIGHLIGHT));   // the raised edge
  EXPECT_EQ(PixelAt(image, 80, 60), kRed);
  DestroyWindow(top);
}

TEST(Painting, PrintDrawsTheWindowAndItsChildrenIntoAnyDC) {
  HWND top = Painted(WS_POPUP | WS_BORDER, 0, 0, 60, 40, nullptr, kRed);  // hidden: only print reaches it
  HWND child = Painted(WS_CHILD | WS_VISIBLE, 10, 10, 20, 10, top, kBlue);
  (void)child;
  // WM_PRINTCLIENT paints like WM_PAINT for this class: map it onto the painting procedure.
  struct Printer {
    static LRESULT Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
      if (message == WM_PRINTCLIENT) {
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(GetWindowLongPtrA(window, GWLP_USERDATA)));
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        DeleteObject(brush);
        return 0;
      }
      return PaintedProc<true>(window, message, wParam, lParam);
    }
  };
  SetWindowLongPtrA(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Printer::Proc));
  SetWindowLongPtrA(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Printer::Proc));
  HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 60, -40, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP canvas = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, canvas);
  SendMessageA(top, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN);
  EXPECT_EQ(GetPixel(dc, 0, 0), GetSysColor(COLOR_WINDOWFRAME));  // the border
  EXPECT_EQ(GetPixel(dc, 5, 5), kRed);
  EXPECT_EQ(GetPixel(dc, 1 + 10 + 2, 1 + 10 + 2), kBlue);  // the child, at its place
  SendMessageA(top, WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_CHECKVISIBLE | PRF_CLIENT);
  EXPECT_EQ(GetPixel(dc, 1 + 10 + 2, 1 + 10 + 2), kBlue);  // not visible: nothing printed
  SelectObject(dc, old);
  DeleteObject(canvas);
  DeleteDC(dc);
  DestroyWindow(top);
}

TEST(Painting, ScrollingMovesThePixelsAndInvalidatesWhatItUncovers) {
  HWND top = Painted(WS_POPUP | WS_VISIBLE, 0, 0, 40, 40, nullptr, kRed);
  Pump();
  HDC hdc = GetDC(top);
  RECT band{0, 0, 40, 10};
  HBRUSH blue = CreateSolidBrush(kBlue);
  FillRect(hdc, &band, blue);
  DeleteObject(blue);
  ReleaseDC(top, hdc);
  RECT uncovered;
  EXPECT_EQ(ScrollWindowEx(top, 0, 15, nullptr, nullptr, nullptr, &uncovered, SW_INVALIDATE), SIMPLEREGION);
  EXPECT_EQ(uncovered.top, 0);
  EXPECT_EQ(uncovered.bottom, 15);
  RECT update;
  EXPECT_TRUE(GetUpdateRect(top, &update, FALSE));
  EXPECT_EQ(update.bottom, 15);
  HBITMAP image = tolvar::user::RenderWindow(top);  // paints the uncovered band red again first
  EXPECT_EQ(PixelAt(image, 5, 5), kRed);
  EXPECT_EQ(PixelAt(image, 5, 20), kBlue);  // the band, moved down
  EXPECT_EQ(PixelAt(image, 5, 30), kRed);
  DeleteObject(image);
  DestroyWindow(top);
}

}  // namespace

// The screen DC (GetDC of no window or of the desktop) is a display DC, not a memory DC: bitmaps
// made compatible with it have the screen's depth. Only a memory DC still holding its 1x1
// monochrome stock bitmap makes monochrome ones, whatever DC it was made compatible with.
TEST(Painting, CompatibleBitmapsTakeTheScreenDepthFromTheScreenDC) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetObjectType(screen), static_cast<DWORD>(OBJ_DC));
  EXPECT_EQ(GetDeviceCaps(screen, BITSPIXEL), 32);

  HDC fromScreen = CreateCompatibleDC(screen);
  HDC fromNothing = CreateCompatibleDC(nullptr);
  HDC holdingColour = CreateCompatibleDC(screen);
  HBITMAP colour = CreateCompatibleBitmap(screen, 2, 2);
  HGDIOBJ oldColour = SelectObject(holdingColour, colour);
  HDC holdingEightBit = CreateCompatibleDC(nullptr);
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info{};
  info.header = {sizeof(BITMAPINFOHEADER), 2, 2, 1, 8, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP eightBit = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ oldEightBit = SelectObject(holdingEightBit, eightBit);
  HDC desktop = GetDC(GetDesktopWindow());
  HDC desktopWindow = GetWindowDC(nullptr);
  HDC desktopEx = GetDCEx(nullptr, nullptr, 0);

  struct Case {
    const char* what;
    HDC dc;
    int bitsPerPixel;
  };
  const Case cases[] = {
      {"GetDC(NULL)", screen, 32},
      {"GetDC(desktop)", desktop, 32},
      {"GetWindowDC(NULL)", desktopWindow, 32},
      {"GetDCEx(NULL)", desktopEx, 32},
      {"fresh memory DC made from the screen DC", fromScreen, 1},
      {"fresh memory DC made from nothing", fromNothing, 1},
      {"memory DC holding a bitmap compatible with the screen", holdingColour, 32},
      {"memory DC holding an 8-bit DIB section", holdingEightBit, 8},
  };
  for (const Case& c : cases) {
    ASSERT_NE(c.dc, nullptr) << c.what;
    HBITMAP made = CreateCompatibleBitmap(c.dc, 5, 3);
    ASSERT_NE(made, nullptr) << c.what;
    BITMAP bm{};
    ASSERT_EQ(GetObjectA(made, sizeof bm, &bm), static_cast<int>(sizeof bm)) << c.what;
    EXPECT_EQ(bm.bmBitsPixel, c.bitsPerPixel) << c.what;
    EXPECT_EQ(bm.bmWidth, 5) << c.what;
    EXPECT_EQ(bm.bmHeight, 3) << c.what;
    DeleteObject(made);
  }

  // A display DC takes no bitmap, and still measures text.
  HBITMAP spare = CreateCompatibleBitmap(screen, 2, 2);
  EXPECT_EQ(SelectObject(screen, spare), nullptr);
  DeleteObject(spare);
  SIZE size{};
  EXPECT_TRUE(GetTextExtentPoint32A(screen, "Wide", 4, &size));
  EXPECT_GT(size.cx, 0);
  EXPECT_GT(size.cy, 0);
  RECT box{0, 0, 200, 50};
  EXPECT_EQ(DrawTextA(screen, "Line", -1, &box, DT_SINGLELINE), size.cy);

  ReleaseDC(nullptr, desktopEx);
  ReleaseDC(nullptr, desktopWindow);
  ReleaseDC(GetDesktopWindow(), desktop);
  SelectObject(holdingEightBit, oldEightBit);
  DeleteObject(eightBit);
  DeleteDC(holdingEightBit);
  SelectObject(holdingColour, oldColour);
  DeleteObject(colour);
  DeleteDC(holdingColour);
  DeleteDC(fromNothing);
  DeleteDC(fromScreen);
  ReleaseDC(nullptr, screen);
}

// Windows of several threads painting at once while another thread invalidates them and renders
// them: every window ends up in its own colour, its child in the child's. The window list, the
// update regions and the backing bitmaps are shared across threads here (ThreadSanitizer runs this).
TEST(Painting, WindowsOfSeveralThreadsPaintWhileAnotherInvalidatesAndRendersThem) {
  constexpr int kThreads = 3;
  const COLORREF colours[kThreads] = {kRed, kGreen, RGB(200, 200, 0)};
  std::atomic<HWND> windows[kThreads] = {};
  std::atomic<bool> stop{false};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      HWND top = Painted(WS_POPUP | WS_VISIBLE, 0, 0, 60, 40, nullptr, colours[t], 0, true);
      Painted(WS_CHILD | WS_VISIBLE, 10, 10, 20, 20, top, kBlue, 0, true);
      windows[t] = top;
      MSG message;
      while (!stop) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT) == WAIT_OBJECT_0) {
          while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        }
      }
      DestroyWindow(top);
    });
  }
  for (auto& window : windows) {
    while (!window) std::this_thread::yield();
  }
  for (int round = 0; round < 20; ++round) {
    for (int t = 0; t < kThreads; ++t) {
      HWND top = windows[t];
      InvalidateRect(top, nullptr, TRUE);
      if (round % 4 == 3) {
        HBITMAP image = tolvar::user::RenderWindow(top);
        ASSERT_TRUE(image);
        EXPECT_EQ(PixelAt(image, 2, 2), colours[t]) << t;
        EXPECT_EQ(PixelAt(image, 20, 20), kBlue) << t;
        DeleteObject(image);
      }
    }
  }
  stop = true;
  for (std::thread& thread : threads) thread.join();
  for (auto& window : windows) EXPECT_FALSE(IsWindow(window));
}
