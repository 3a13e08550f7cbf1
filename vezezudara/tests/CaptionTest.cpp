// The painted caption and its buttons: the gradient and title colours, the cells of the buttons,
// hot and pressed looks with the press that reaches the window, the cache of caption bitmaps, and
// bitmaps shared between states freed once.
#include "CaptionPainter.h"
#include "LauncherMessages.h"
#include "TitleButtonBar.h"

#include <base/TemporaryHome.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <functional>

using namespace testing_user;

namespace {

COLORREF Mix(COLORREF from, COLORREF to, int step, int steps) {
  auto channel = [&](int a, int b) { return a + (b - a) * step / steps; };
  return RGB(channel(GetRValue(from), GetRValue(to)), channel(GetGValue(from), GetGValue(to)),
             channel(GetBValue(from), GetBValue(to)));
}

HBITMAP Canvas(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// A bitmap of one colour with a magenta corner: what the bar draws and what it leaves out.
HBITMAP Face(COLORREF colour) {
  HBITMAP bitmap = Canvas(16, 14);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  RECT all{0, 0, 16, 14}, corner{0, 0, 4, 4};
  HBRUSH fill = CreateSolidBrush(colour), magenta = CreateSolidBrush(RGB(255, 0, 255));
  FillRect(dc, &all, fill);
  FillRect(dc, &corner, magenta);
  DeleteObject(fill);
  DeleteObject(magenta);
  SelectObject(dc, old);
  DeleteDC(dc);
  return bitmap;
}

constexpr COLORREF kNormal = RGB(0, 0, 200);
constexpr COLORREF kPressed = RGB(200, 0, 0);

// A frame that paints its caption as the launcher's does.
CTitleButtonBar* g_bar = nullptr;
int g_repaints = 0;
// When set, the window's pixel at g_probeAt is read right after the default handling of the message
// g_probeMessage (or, when the window was hidden for it, as soon as it is visible again): what the
// system drew before the painter had its turn.
UINT g_probeMessage = 0;
POINT g_probeAt{0, 0};
COLORREF g_probed = CLR_INVALID;
bool g_probePending = false;
void Probe(HWND window) {
  HDC dc = GetWindowDC(window);
  g_probed = GetPixel(dc, g_probeAt.x, g_probeAt.y);
  ReleaseDC(window, dc);
  g_probePending = false;
}
LRESULT FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_probeMessage && message == g_probeMessage) {
    const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
    g_probePending = true;
    if (IsWindowVisible(window)) Probe(window);
    return result;
  }
  if (g_probePending && message == WM_STYLECHANGED && IsWindowVisible(window)) Probe(window);
  if (message == WM_CAPTION_REPAINT && lParam) {
    ++g_repaints;
    auto* block = reinterpret_cast<CaptionPaintBlock*>(lParam);
    PaintCaptionGradient(block->dc, block->width, block->height, wParam != 0, "Caption", nullptr, 20,
                         block->width - 40);
    return 0;
  }
  if (message == WM_CAPTION_DRAWBUTTONS && g_bar) {
    const RECT caption = CaptionRect(window);
    g_bar->SetPaintDC(reinterpret_cast<HDC>(wParam), POINT{caption.left, caption.top});
    g_bar->DrawButtons();
    g_bar->SetPaintDC(nullptr, POINT{0, 0});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

class Caption : public ::testing::Test {
protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = FrameProc;
    wc.lpszClassName = "CaptionFrame";
    wc.hbrBackground = GetSysColorBrush(COLOR_3DFACE);
    RegisterClassA(&wc);
    g_repaints = 0;
    g_probeMessage = 0;
  }
  HWND MakeFrame(DWORD style, DWORD exStyle = 0, int width = 400) {
    HWND frame = CreateWindowExA(exStyle, "CaptionFrame", "Frame", style, 0, 0, width, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    m_frames.push_back(frame);
    return frame;
  }
  void TearDown() override {
    g_bar = nullptr;
    for (HWND frame : m_frames) {
      if (IsWindow(frame)) DestroyWindow(frame);
    }
  }
  tolvar::testing::TemporaryHome m_home;
  std::vector<HWND> m_frames;
};

}  // namespace

TEST(CaptionGradient, RunsFromTheCaptionColourToTheEndColourInBands) {
  struct Case {
    int width;
    bool active;
  };
  for (const Case c : {Case{384, true}, Case{384, false}, Case{700, true}, Case{50, false}}) {
    SCOPED_TRACE(c.width);
    HBITMAP canvas = Canvas(c.width, 18);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, canvas);
    PaintCaptionGradient(dc, c.width, 18, c.active, nullptr, nullptr, 0, 0);
    SelectObject(dc, old);
    DeleteDC(dc);
    const COLORREF start = GetSysColor(c.active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION);
    const COLORREF end = c.active ? 0xD08410 : 0xB8B4B8;
    const int split = c.width * 5 / 6;
    const int band = std::max(1, c.width * 5 / 384);
    EXPECT_EQ(PixelAt(canvas, 0, 9), start);
    EXPECT_EQ(PixelAt(canvas, c.width - 1, 9), end);
    EXPECT_EQ(PixelAt(canvas, split, 0), end);
    // The band left of the split, and the one after it, a band's distance further towards the start.
    EXPECT_EQ(PixelAt(canvas, split - 1, 17), Mix(end, start, band, split));
    EXPECT_EQ(PixelAt(canvas, split - band - 1, 17), Mix(end, start, 2 * band, split));
    DeleteObject(canvas);
  }
}

TEST(CaptionGradient, TitleIsWhiteOnDarkAndBlackOnLightCaptions) {
  const struct {
    COLORREF colour;
    int lightness;
  } cases[] = {{RGB(0, 0, 0), 0}, {RGB(255, 255, 255), 240}, {RGB(128, 128, 128), 120},
               {RGB(10, 36, 106), 55}, {RGB(0, 0, 214), 101}, {RGB(0, 0, 213), 100}};
  for (const auto& c : cases) EXPECT_EQ(ColourLightness(c.colour), c.lightness) << std::hex << c.colour;

  for (bool active : {true, false}) {
    HBITMAP canvas = Canvas(300, 18);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, canvas);
    PaintCaptionGradient(dc, 300, 18, active, "MMMMMMMM", nullptr, 10, 200);
    SelectObject(dc, old);
    DeleteDC(dc);
    const bool dark = ColourLightness(GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION)) < 101;
    const COLORREF ink = dark ? RGB(255, 255, 255) : RGB(0, 0, 0);
    int inked = 0;
    for (int x = 10; x < 200; ++x) {
      for (int y = 0; y < 18; ++y) inked += PixelAt(canvas, x, y) == ink;
    }
    EXPECT_GT(inked, 20) << (active ? "active" : "inactive");
    DeleteObject(canvas);
  }
}

TEST_F(Caption, ButtonCellsCountFromTheRightInsideTheFrame) {
  const struct {
    DWORD style, exStyle;
    int reserved, index;
    RECT expected;
  } cases[] = {
      // A sizable frame 400 wide: 4-pixel borders, 18 by 18 cells.
      {WS_OVERLAPPEDWINDOW, 0, 0, 0, {378, 4, 396, 22}},
      {WS_OVERLAPPEDWINDOW, 0, 0, 3, {324, 4, 342, 22}},
      {WS_OVERLAPPEDWINDOW, 0, 1, 0, {360, 4, 378, 22}},
      // A fixed frame: dialog borders of 3.
      {WS_POPUP | WS_CAPTION, 0, 0, 1, {361, 3, 379, 21}},
      // A tool window: small cells.
      {WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, 0, 0, {384, 4, 396, 19}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.index);
    HWND frame = MakeFrame(c.style, c.exStyle);
    CTitleButtonBar bar;
    ASSERT_TRUE(bar.Attach(frame));
    bar.SetReservedPositions(c.reserved);
    for (UINT id = 1; id <= 4; ++id) bar.AddButton(id, nullptr, nullptr, nullptr, nullptr);
    const RECT cell = bar.ButtonRect(c.index);
    EXPECT_EQ(cell.left, c.expected.left);
    EXPECT_EQ(cell.top, c.expected.top);
    EXPECT_EQ(cell.right, c.expected.right);
    EXPECT_EQ(cell.bottom, c.expected.bottom);
    EXPECT_EQ(bar.HitTest(POINT{cell.left + 2, cell.top + 2}), c.index);
    EXPECT_FALSE(bar.AddButton(2, nullptr, nullptr, nullptr, nullptr));  // ids are unique
  }
}

TEST_F(Caption, AReleaseOnThePressedButtonTellsTheWindowAndOffItNothing) {
  HWND frame = MakeFrame(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  CCaptionPainter painter;
  CTitleButtonBar bar;
  g_bar = &bar;
  ASSERT_TRUE(painter.Install(frame, WM_CAPTION_REPAINT));
  painter.SetActive(1);
  ASSERT_TRUE(bar.Attach(frame));
  bar.SetTransparentColour(RGB(255, 0, 255));
  bar.AddButton(1, Face(kNormal), nullptr, Face(kPressed), "Close");
  bar.AddButton(4, Face(kNormal), nullptr, Face(kPressed), "About");
  Pump();

  RECT bounds;
  GetWindowRect(frame, &bounds);
  const RECT cell = bar.ButtonRect(1);  // the About button
  const POINT screen{bounds.left + cell.left + 9, bounds.top + cell.top + 9};
  const LPARAM at = MAKELPARAM(screen.x, screen.y);
  SendMessageA(frame, WM_NCMOUSEMOVE, HTCAPTION, at);
  EXPECT_EQ(bar.GetHot(), 1);
  EXPECT_EQ(SendMessageA(frame, WM_NCLBUTTONDOWN, HTCAPTION, at), 0);
  EXPECT_EQ(bar.GetPressed(), 1);
  EXPECT_EQ(GetCapture(), frame);

  HBITMAP pressed = tolvar::user::RenderWindow(frame);
  ASSERT_TRUE(pressed);
  SavePng(pressed, "caption_button_pressed");
  // The pressed face, and the magenta corner left out: the caption's gradient shows there.
  EXPECT_EQ(PixelAt(pressed, cell.left + 9, cell.top + 9), kPressed);
  EXPECT_NE(PixelAt(pressed, cell.left + 2, cell.top + 3), RGB(255, 255, 255));
  EXPECT_NE(PixelAt(pressed, cell.left + 2, cell.top + 3), RGB(255, 0, 255));
  DeleteObject(pressed);

  POINT client = screen;
  ScreenToClient(frame, &client);
  SendMessageA(frame, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
  EXPECT_EQ(GetCapture(), nullptr);
  MSG posted;
  ASSERT_TRUE(PeekMessageA(&posted, frame, WM_CAPTION_BUTTON, WM_CAPTION_BUTTON, PM_REMOVE));
  EXPECT_EQ(posted.wParam, 4u);

  // Hot after the release, drawn with its normal face (no hot face given).
  HBITMAP hot = tolvar::user::RenderWindow(frame);
  SavePng(hot, "caption_button_hot");
  EXPECT_EQ(PixelAt(hot, cell.left + 9, cell.top + 9), kNormal);
  DeleteObject(hot);

  // Pressed, then released over the caption beside the buttons: nothing is posted.
  SendMessageA(frame, WM_NCLBUTTONDOWN, HTCAPTION, at);
  POINT away{client.x - 100, client.y};
  SendMessageA(frame, WM_LBUTTONUP, 0, MAKELPARAM(away.x, away.y));
  EXPECT_FALSE(PeekMessageA(&posted, frame, WM_CAPTION_BUTTON, WM_CAPTION_BUTTON, PM_REMOVE));
  EXPECT_EQ(bar.GetPressed(), -1);
  bar.Detach();
  painter.Unhook();
}

TEST_F(Caption, ThePainterAsksTheFrameOncePerLookAndSize) {
  HWND frame = MakeFrame(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  CCaptionPainter painter;
  ASSERT_TRUE(painter.Install(frame, WM_CAPTION_REPAINT));
  for (int active : {1, 1, 0, 1, 0}) {
    painter.SetActive(active);
    painter.PaintCaption();
  }
  EXPECT_EQ(g_repaints, 2);
  HBITMAP picture = tolvar::user::RenderWindow(frame);
  const RECT caption = CaptionRect(frame);
  EXPECT_EQ(PixelAt(picture, caption.right - 2, caption.top + 5), 0xB8B4B8u);  // inactive end colour
  DeleteObject(picture);
  SetWindowPos(frame, nullptr, 0, 0, 500, 200, SWP_NOMOVE | SWP_NOZORDER);
  painter.PaintCaption();
  EXPECT_EQ(g_repaints, 3);
  painter.SetTitle("New");  // a new title paints anew
  painter.PaintCaption();
  EXPECT_EQ(g_repaints, 4);
  painter.SetActive(1);
  painter.PaintCaption();
  HBITMAP active = tolvar::user::RenderWindow(frame);
  SavePng(active, "caption_active");
  EXPECT_EQ(PixelAt(active, CaptionRect(frame).right - 2, caption.top + 5), 0xD08410u);
  DeleteObject(active);
}

// The system's own caption never shows under ours: the caption is marked, and the mark must still be
// there once the default handling of each message is done; the frame's border is still painted, and
// afterwards the caption is ours.
TEST_F(Caption, TheDefaultHandlingDrawsNoCaptionOfItsOwn) {
  HWND frame = MakeFrame(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  CCaptionPainter painter;
  ASSERT_TRUE(painter.Install(frame, WM_CAPTION_REPAINT));
  painter.SetActive(1);
  const RECT caption = CaptionRect(frame);
  const POINT inCaption{caption.right - 2, caption.top + 5};
  constexpr COLORREF kMark = RGB(255, 0, 255);
  const std::function<void()> sends[] = {
      [&] { SendMessageA(frame, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Renamed")); },
      [&] { SendMessageA(frame, WM_NCACTIVATE, TRUE, 0); },
      [&] { SendMessageA(frame, WM_NCPAINT, 1, 0); },
  };
  const UINT messages[] = {WM_SETTEXT, WM_NCACTIVATE, WM_NCPAINT};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(MessageName(messages[i]));
    RECT bounds;
    GetWindowRect(frame, &bounds);
    HDC dc = GetWindowDC(frame);
    RECT all{0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top};
    HBRUSH mark = CreateSolidBrush(kMark);
    FillRect(dc, &all, mark);
    DeleteObject(mark);
    ReleaseDC(frame, dc);

    g_probeMessage = messages[i];
    g_probeAt = inCaption;
    g_probed = CLR_INVALID;
    g_probePending = false;
    sends[i]();
    EXPECT_EQ(g_probed, kMark);
    g_probeMessage = 0;

    HBITMAP picture = tolvar::user::RenderWindow(frame);
    EXPECT_EQ(PixelAt(picture, inCaption.x, inCaption.y), 0xD08410u);  // our active end colour
    EXPECT_NE(PixelAt(picture, 0, all.bottom / 2), kMark);             // the border was painted
    DeleteObject(picture);
  }
  char title[32] = {};
  GetWindowTextA(frame, title, sizeof title);
  EXPECT_STREQ(title, "Renamed");
  EXPECT_TRUE(IsWindowVisible(frame));
}

TEST_F(Caption, ABitmapServingTwoStatesIsDeletedOnce) {
  HWND frame = MakeFrame(WS_OVERLAPPEDWINDOW);
  CTitleButtonBar bar;
  ASSERT_TRUE(bar.Attach(frame));
  HBITMAP shared = Face(kNormal);
  bar.AddButton(2, shared, shared, Face(kPressed), nullptr);
  HBITMAP next = Face(kNormal);
  ASSERT_TRUE(bar.ReplaceBitmaps(2, next, next, nullptr));
  BITMAP info;
  EXPECT_EQ(GetObjectA(shared, sizeof info, &info), 0);
  // Bitmaps made after the replacement must survive the bar's end.
  HBITMAP bystanders[4];
  for (HBITMAP& bitmap : bystanders) bitmap = Face(kPressed);
  bar.FreeButtons();
  EXPECT_EQ(GetObjectA(next, sizeof info, &info), 0);
  for (HBITMAP bitmap : bystanders) {
    EXPECT_NE(GetObjectA(bitmap, sizeof info, &info), 0);
    DeleteObject(bitmap);
  }
}
