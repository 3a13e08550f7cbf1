// The image lists' drag image on the screen: drawn over the windows it covers when they are
// rendered, across window borders, hidden and shown again, and never left in a window's pixels.
#include <user_testing/Recorder.h>

#include <gdi/Gdi.h>

#include <gtest/gtest.h>

using namespace testing_user;

namespace {

constexpr COLORREF kRed = RGB(220, 0, 0), kMaskKey = RGB(255, 0, 255);

LRESULT FilledProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(window, &paint);
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

HWND Filled(int x, int y, COLORREF colour) {
  static const ATOM atom = [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = FilledProc;
    wc.lpszClassName = "DragFilled";
    return RegisterClassA(&wc);
  }();
  (void)atom;
  HWND window = CreateWindowExA(0, "DragFilled", "", WS_POPUP | WS_VISIBLE, x, y, 100, 80, nullptr, nullptr, nullptr,
                                nullptr);
  SetWindowLongPtrA(window, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
  return window;
}

// A 16 x 16 red square whose top-left pixel is transparent.
HIMAGELIST RedSquare() {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
  ReleaseDC(nullptr, screen);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 16, 16};
  HBRUSH red = CreateSolidBrush(kRed);
  FillRect(dc, &all, red);
  DeleteObject(red);
  SetPixel(dc, 0, 0, kMaskKey);
  SelectObject(dc, old);
  DeleteDC(dc);
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1);
  ImageList_AddMasked(list, bitmap, kMaskKey);
  DeleteObject(bitmap);
  return list;
}

// The colour a window shows at a screen point, rendered as the display renders it.
COLORREF At(HWND window, int screenX, int screenY, const char* png = nullptr) {
  RECT rect;
  GetWindowRect(window, &rect);
  HBITMAP picture = tolvar::user::RenderWindow(window);
  if (png) SavePng(picture, png);
  const COLORREF colour = picture ? PixelAt(picture, screenX - rect.left, screenY - rect.top) : CLR_INVALID;
  DeleteObject(picture);
  return colour;
}

}  // namespace

TEST(DragImage, FollowsTheMouseOverTwoWindowsAndLeavesTheirPixelsAlone) {
  constexpr COLORREF kWhite = RGB(255, 255, 255), kBlue = RGB(0, 0, 200);
  HWND left = Filled(10, 10, kWhite);   // screen x 10..110
  HWND right = Filled(110, 10, kBlue);  // screen x 110..210
  Pump();
  HIMAGELIST list = RedSquare();
  ASSERT_TRUE(ImageList_BeginDrag(list, 0, 8, 8));
  EXPECT_FALSE(ImageList_DragEnter(reinterpret_cast<HWND>(0x7FFF1234), 50, 40)) << "no such window";

  // Entered on the screen: the image's top-left at (42, 32), its transparent corner showing the window.
  ASSERT_TRUE(ImageList_DragEnter(GetDesktopWindow(), 50, 40));
  EXPECT_EQ(At(left, 50, 40), kRed);
  EXPECT_EQ(At(left, 42, 32), kWhite);
  EXPECT_EQ(At(left, 43, 32), kRed);
  EXPECT_EQ(At(right, 150, 40), kBlue);

  // Over the border: half on each window, and nothing left where it was.
  ASSERT_TRUE(ImageList_DragMove(110, 40));
  EXPECT_EQ(At(left, 50, 40), kWhite);
  EXPECT_EQ(At(left, 109, 40, "drag_image_left"), kRed);
  EXPECT_EQ(At(right, 110, 40, "drag_image_right"), kRed);
  EXPECT_EQ(At(right, 118, 40), kBlue);

  // Hidden while a window paints under it (as a list's drop highlight does), then shown again:
  // what the window painted stays, under the image and beside it.
  ASSERT_TRUE(ImageList_DragShowNolock(FALSE));
  EXPECT_EQ(At(right, 112, 40), kBlue);
  SetWindowLongPtrA(right, GWLP_USERDATA, static_cast<LONG_PTR>(RGB(0, 160, 0)));
  InvalidateRect(right, nullptr, TRUE);
  UpdateWindow(right);
  ASSERT_TRUE(ImageList_DragShowNolock(TRUE));
  EXPECT_EQ(At(right, 112, 40), kRed);
  EXPECT_EQ(At(right, 130, 40), RGB(0, 160, 0));

  // Positions relative to the window given to DragEnter: (10, 10) in `right` is screen (120, 20).
  ASSERT_TRUE(ImageList_DragLeave(GetDesktopWindow()));
  EXPECT_EQ(At(right, 112, 40), RGB(0, 160, 0));
  ASSERT_TRUE(ImageList_DragEnter(right, 10, 10));
  EXPECT_EQ(At(right, 120, 20), kRed);
  EXPECT_EQ(At(right, 112, 40), RGB(0, 160, 0));
  ImageList_EndDrag();
  EXPECT_EQ(At(right, 120, 20), RGB(0, 160, 0));
  EXPECT_FALSE(ImageList_DragShowNolock(TRUE));

  ImageList_Destroy(list);
  DestroyWindow(left);
  DestroyWindow(right);
}
