// Painting held back or limited: a program that paints its caption itself and lets the default
// paint the rest of the frame within the region it hands on, and LockWindowUpdate.
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

using namespace testing_user;

namespace {

constexpr COLORREF kOwnCaption = RGB(200, 30, 30);
bool g_limitDefault = true;  // false: the default gets the whole frame (wParam 1)

// Paints its caption band itself, then lets the default paint everything but that band.
LRESULT OwnCaptionProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_NCPAINT) return DefWindowProcA(window, message, wParam, lParam);
  RECT frame;
  GetWindowRect(window, &frame);
  POINT client{0, 0};
  ClientToScreen(window, &client);
  // The caption band: from the top of the window to the client area, inside the 4-pixel frame.
  RECT band{frame.left + 4, frame.top + 4, frame.right - 4, client.y};
  HDC hdc = GetWindowDC(window);
  RECT local = band;
  OffsetRect(&local, -frame.left, -frame.top);
  HBRUSH brush = CreateSolidBrush(kOwnCaption);
  FillRect(hdc, &local, brush);
  DeleteObject(brush);
  ReleaseDC(window, hdc);
  if (!g_limitDefault) return DefWindowProcA(window, message, 1, lParam);
  HRGN rest = CreateRectRgnIndirect(&frame);
  HRGN mine = CreateRectRgnIndirect(&band);
  CombineRgn(rest, rest, mine, RGN_DIFF);
  DefWindowProcA(window, message, reinterpret_cast<WPARAM>(rest), lParam);
  DeleteObject(rest);
  DeleteObject(mine);
  return 0;
}

LPCSTR OwnCaptionClass() {
  static ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnCaptionProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = "OwnCaption";
    return RegisterClassA(&wc);
  }();
  (void)atom;
  return "OwnCaption";
}

TEST(NonClientPaint, TheDefaultPaintsOnlyInsideTheRegionItIsGiven) {
  for (bool limit : {true, false}) {
    g_limitDefault = limit;
    HWND window = CreateWindowExA(0, OwnCaptionClass(), "Own caption", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 240,
                                  120, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(window);
    Pump();
    HBITMAP picture = tolvar::user::RenderWindow(window);
    ASSERT_TRUE(picture);
    if (limit) SavePng(picture, "caption-by-region-limited-default");
    // Inside the caption band, where the default would draw its gradient and text.
    const COLORREF caption = PixelAt(picture, 120, 12);
    // The frame's outer edge, which only the default draws.
    const COLORREF edge = PixelAt(picture, 1, 60);
    if (limit) {
      EXPECT_EQ(caption, kOwnCaption) << "the default left the program's caption alone";
    } else {
      EXPECT_NE(caption, kOwnCaption) << "given the whole frame, the default paints over it";
    }
    EXPECT_EQ(edge, GetSysColor(COLOR_3DHILIGHT)) << "the rest of the frame is the default's";
    DeleteObject(picture);
    DestroyWindow(window);
  }
  g_limitDefault = true;
}

int g_paints = 0;

LRESULT CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) ++g_paints;
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(LockWindowUpdate, HoldsBackDrawingAndPaintingUntilUnlocked) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = CountingProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(COLOR_WINDOW + 1));
  wc.lpszClassName = "CountingPaints";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "CountingPaints", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 80, nullptr, nullptr,
                                nullptr, nullptr);
  HWND child = CreateWindowExA(0, "CountingPaints", "", WS_CHILD | WS_VISIBLE, 10, 10, 30, 30, window, nullptr,
                               nullptr, nullptr);
  HWND other = CreateWindowExA(0, PlainClass(), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  Pump();
  ASSERT_TRUE(LockWindowUpdate(window));
  EXPECT_FALSE(LockWindowUpdate(other)) << "one window at a time";

  g_paints = 0;
  InvalidateRect(window, nullptr, TRUE);
  InvalidateRect(child, nullptr, TRUE);
  Pump();
  EXPECT_EQ(g_paints, 0) << "painting waits while locked";
  // Drawing into the child now lands nowhere.
  HDC hdc = GetDC(child);
  RECT all{0, 0, 30, 30};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(hdc, &all, red);
  DeleteObject(red);
  ReleaseDC(child, hdc);
  HBITMAP picture = tolvar::user::RenderWindow(window);
  EXPECT_NE(PixelAt(picture, 20, 20), RGB(255, 0, 0));
  DeleteObject(picture);
  EXPECT_EQ(g_paints, 0) << "rendering does not paint a locked window either";

  EXPECT_TRUE(LockWindowUpdate(nullptr));
  EXPECT_FALSE(LockWindowUpdate(nullptr)) << "nothing is locked any more";
  Pump();
  EXPECT_EQ(g_paints, 2) << "the window and its child paint what was held back";
  picture = tolvar::user::RenderWindow(window);
  EXPECT_EQ(PixelAt(picture, 20, 20), GetSysColor(COLOR_WINDOW));
  DeleteObject(picture);
  DestroyWindow(window);
  DestroyWindow(other);
}

}  // namespace
