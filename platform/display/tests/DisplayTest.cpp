// The display against a real X server (Xvfb): what the server shows is read back and compared
// with the window manager's own rendering, input is sent through XTest as a person's would be, and
// a second process's window hosted in ours is seen and typed into.
#include <display/Display.h>

#include <shell/ShellApi.h>
#include <user/DisplayBackend.h>
#include <user/User.h>
#include <user_testing/Recorder.h>

#include <base/LastError.h>
#include <base/Time.h>
#include <base/WinError.h>
#include <gdi/Gdi.h>
#include <kernel/Kernel.h>

#include "support/SniHost.h"
#include "support/XScreen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using testing_user::PumpUntil;

using tolvar::display::XWindowOf;
using testing_display::XScreen;

// Key symbols the tests type (X's values).
constexpr unsigned long kKeyA = 0x61, kKeyB = 0x62, kKey1 = 0x31, kKeyO = 0x6F, kKeyK = 0x6B, kEscape = 0xFF1B, kEAcute = 0xE9,
                        kUDiaeresis = 0xFC, kCyrillicYa = 0x100044F;

// What the person's side records.
struct Seen {
  std::vector<UINT> messages;
  std::u32string typed;
  std::vector<WPARAM> commands;
  std::vector<WPARAM> sysCommands;
  int wheel = 0;
  HWND guest = nullptr;
  bool guestFocused = false;
  bool guestDrawing = false;
  std::u32string guestTyped;
  COLORREF paint = RGB(255, 255, 255);
  std::vector<UINT> trayMouse;  // the tray icon's callback messages, moves left out
  POINT trayMenuAt{-1, -1};     // where the pointer was when the tray icon's menu opened
  int trayMenusEnded = 0;
  struct Activation {
    HWND window;
    UINT message;
    WPARAM active;  // LOWORD of wParam
  };
  std::vector<Activation> activations;  // WM_NCACTIVATE, WM_ACTIVATE, WM_ACTIVATEAPP, WM_KILLFOCUS
};
Seen g_seen;

LRESULT BoardProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
    case WM_LBUTTONDBLCLK: g_seen.messages.push_back(message); return 0;
    case WM_SYSCOMMAND:
      g_seen.sysCommands.push_back(wParam & 0xFFF0);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_MOUSEWHEEL: g_seen.wheel += static_cast<short>(HIWORD(wParam)); return 0;
    case WM_COMMAND: g_seen.commands.push_back(LOWORD(wParam)); return 0;
    case WM_USER: g_seen.guest = reinterpret_cast<HWND>(wParam); return 0;
    case WM_USER + 1: g_seen.guestFocused = true; return 0;
    case WM_USER + 2: g_seen.guestTyped += static_cast<char32_t>(wParam); return 0;
    case WM_USER + 3: DestroyWindow(window); return 0;  // as a dialog closes under the pointer
    case WM_USER + 6: g_seen.guestDrawing = true; return 0;
    case WM_APP + 8:
      // As a tray program does: its menu at the pointer, on the release of the right button.
      if (lParam == WM_RBUTTONUP) {
        HMENU menu = CreatePopupMenu();
        AppendMenuA(menu, MF_STRING, 601, "Find connected phone");
        AppendMenuA(menu, MF_STRING, 602, "Exit");
        POINT at{};
        GetCursorPos(&at);
        g_seen.trayMenuAt = at;
        SetForegroundWindow(window);
        const BOOL chosen = TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x,
                                           at.y, 0, window, nullptr);
        if (chosen) g_seen.commands.push_back(static_cast<WPARAM>(chosen));
        DestroyMenu(menu);
        ++g_seen.trayMenusEnded;
      }
      return 0;
    case WM_APP + 7:
      if (wParam == 3 && lParam != WM_MOUSEMOVE) g_seen.trayMouse.push_back(static_cast<UINT>(lParam));
      return 0;
    case WM_RBUTTONUP: {
      // A context menu where the button came up; its choice comes back as WM_COMMAND.
      HMENU menu = CreatePopupMenu();
      AppendMenuA(menu, MF_STRING, 501, "First");
      AppendMenuA(menu, MF_STRING, 502, "Second");
      AppendMenuA(menu, MF_STRING, 503, "Third");
      POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ClientToScreen(window, &at);
      TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, window, nullptr);
      DestroyMenu(menu);
      return 0;
    }
    case WM_NCACTIVATE:
    case WM_ACTIVATE:
    case WM_ACTIVATEAPP:
    case WM_KILLFOCUS:
      g_seen.activations.push_back({window, message, message == WM_KILLFOCUS ? WPARAM{0} : WPARAM{LOWORD(wParam)}});
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC hdc = BeginPaint(window, &paint);
      RECT client;
      GetClientRect(window, &client);
      HBRUSH brush = CreateSolidBrush(g_seen.paint);
      FillRect(hdc, &client, brush);
      DeleteObject(brush);
      SetBkMode(hdc, TRANSPARENT);
      TextOutA(hdc, 8, 8, "Shown from its pixels", 21);
      EndPaint(window, &paint);
      return 0;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

// A frame laid out as the launcher lays out its own: a bar along the bottom and a button at the top
// right, placed again on every WM_SIZE. It notes when its move-or-size loop starts and ends.
std::atomic<int> g_sizeLoop{0};  // 1 while in it, 2 once it ended
LRESULT LayoutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ENTERSIZEMOVE: g_sizeLoop = 1; break;
    case WM_EXITSIZEMOVE: g_sizeLoop = 2; break;
    case WM_SIZE: {
      const int width = LOWORD(lParam), height = HIWORD(lParam);
      if (HWND bar = GetDlgItem(window, 2)) MoveWindow(bar, 0, height - 20, width, 20, TRUE);
      if (HWND button = GetDlgItem(window, 3)) MoveWindow(button, width - 44, 4, 40, 20, TRUE);
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// A push button and an edit, as small as the input path needs: the button reports its click to
// its parent, the edit takes the focus when clicked and keeps what is typed.
LRESULT ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONUP) {
    SendMessageA(GetParent(window), WM_COMMAND, static_cast<WPARAM>(GetDlgCtrlID(window)), reinterpret_cast<LPARAM>(window));
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN) {
    SetFocus(window);
    return 0;
  }
  if (message == WM_CHAR) {
    g_seen.typed += static_cast<char32_t>(wParam);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// 16 x 16: opaque `colour` in the top half, transparent below.
HICON HalfIcon(COLORREF colour) {
  BYTE maskBits[16 * 2];
  for (int row = 0; row < 16; ++row) maskBits[row * 2] = maskBits[row * 2 + 1] = row < 8 ? 0x00 : 0xFF;
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, maskBits);
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = 16;
  format.bmiHeader.biHeight = -16;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP image = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, image);
  RECT top{0, 0, 16, 8}, bottom{0, 8, 16, 16};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &top, brush);
  FillRect(dc, &bottom, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  ICONINFO info{TRUE, 0, 0, mask, image};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(image);
  return icon;
}

class Display : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    // The suite runs with TOLVAR_DISPLAY=none; these tests are the ones that want the display.
    unsetenv("TOLVAR_DISPLAY");
    // Cursors from the X cursor font's own glyphs, for us, the programs we start and the server's
    // answers alike: a desktop theme's animated watch reads back as a single pixel.
    setenv("XCURSOR_PATH", "/nonexistent", 1);
    // The tests' desktop has no StatusNotifierItem host unless a test starts one on a bus of its own.
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    tolvar::display::Open();
    // Long before any key is typed, so the display has taken in the new mapping by then (and with
    // the display connected: the server forgets a mapping when its last client leaves).
    XScreen().Reach({kEAcute, kCyrillicYa, kUDiaeresis});
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = BoardProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "DisplayBoard";
    RegisterClassA(&wc);
    wc.style = 0;
    wc.lpfnWndProc = ButtonProc;
    wc.lpszClassName = "DisplayButton";
    RegisterClassA(&wc);
    wc.lpfnWndProc = LayoutProc;
    wc.lpszClassName = "DisplayLayout";
    RegisterClassA(&wc);
    wc.lpfnWndProc = EditProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "DisplayEdit";
    RegisterClassA(&wc);
  }
  void SetUp() override {
    if (!tolvar::display::IsOpen()) GTEST_SKIP() << "no X display (run under xvfb-run)";
    ASSERT_TRUE(m_x.IsOpen());
    g_seen = {};
  }
  void TearDown() override {
    for (HWND window : m_windows) DestroyWindow(window);
  }

  HWND Board(DWORD style, int x, int y, int width, int height, const char* title = "Board") {
    HWND window = CreateWindowExA(0, "DisplayBoard", title, style, x, y, width, height, nullptr, nullptr, nullptr, nullptr);
    m_windows.push_back(window);
    return window;
  }
  // The window's pixels as the X server has them, 0xRRGGBB; empty when it does not show it.
  std::vector<std::uint32_t> OnScreen(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return m_x.Pixels(XWindowOf(window), rect.right - rect.left, rect.bottom - rect.top);
  }
  // The window as the window manager renders it headless, 0xRRGGBB.
  static std::vector<std::uint32_t> Rendered(HWND window) {
    HBITMAP picture = tolvar::user::RenderWindow(window);
    if (!picture) return {};
    DIBSECTION section{};
    GetObjectA(picture, sizeof section, &section);
    const auto* bits = static_cast<const std::uint32_t*>(section.dsBm.bmBits);
    std::vector<std::uint32_t> pixels(bits, bits + static_cast<std::size_t>(section.dsBm.bmWidth) * section.dsBm.bmHeight);
    for (auto& pixel : pixels) pixel &= 0xFFFFFF;
    DeleteObject(picture);
    return pixels;
  }
  static void SaveRendering(HWND window, const char* name) {
    HBITMAP picture = tolvar::user::RenderWindow(window);
    testing_user::SavePng(picture, name);
    DeleteObject(picture);
  }
  // What the X server shows of the window, written as a picture for a person to look at.
  void SaveScreenshot(HWND window, const char* name) {
    RECT rect;
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    auto pixels = OnScreen(window);
    if (pixels.size() != static_cast<std::size_t>(width) * height) return;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP picture = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!picture) return;
    std::memcpy(bits, pixels.data(), pixels.size() * 4);
    testing_user::SavePng(picture, name);
    DeleteObject(picture);
  }
  bool ShowsAsRendered(HWND window) {
    return PumpUntil([&] {
      auto screen = OnScreen(window);
      return !screen.empty() && screen == Rendered(window);
    });
  }

  XScreen m_x;
  std::vector<HWND> m_windows;
};

constexpr DWORD kFrame = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

// The hosted program of the tests (children/guest.cpp) started in `host`; and ended: it leaves when
// its thread gets WM_CLOSE, and taking its window out of ours asks us things, so we answer while we
// wait.
bool StartGuest(HWND host, PROCESS_INFORMATION& process) {
  char commandLine[64];
  std::snprintf(commandLine, sizeof commandLine, "display_child_guest hWnd=%08X",
                static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(host)));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  return CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
}

bool EndGuest(PROCESS_INFORMATION& process) {
  PostThreadMessageA(process.dwThreadId, WM_CLOSE, 0, 0);
  const bool ended = PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; });
  if (!ended) TerminateProcess(process.hProcess, 9);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return ended;
}

TEST_F(Display, AWindowOnScreenIsItsHeadlessPictureAndFollowsItsRepaints) {
  HWND board = Board(kFrame | WS_VISIBLE, 40, 30, 320, 200, "Pixels");
  HWND button = CreateWindowExA(0, "DisplayButton", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 20, 60, 90, 30, board,
                                nullptr, nullptr, nullptr);
  ASSERT_TRUE(ShowsAsRendered(board));
  SaveRendering(board, "display_window");

  // A repaint of one part reaches the screen, and only that part is sent.
  const unsigned long before = tolvar::display::PresentCount();
  g_seen.paint = RGB(250, 200, 0);
  InvalidateRect(board, nullptr, TRUE);
  ASSERT_TRUE(ShowsAsRendered(board));
  EXPECT_GT(tolvar::display::PresentCount(), before);
  EXPECT_EQ(OnScreen(board)[static_cast<std::size_t>(150) * 320 + 200], 0xFAC800u);
  (void)button;
}

TEST_F(Display, XWindowsCarryTitlesProtocolsAndTheirKind) {
  struct Row {
    DWORD style;
    const char* title;
    bool overrideRedirect;
  };
  const Row rows[] = {
      {kFrame, "Fenêtre ünïcode", false},       // a frame: managed, the desktop's decorations off
      {WS_POPUP | WS_BORDER, "", true},          // a menu, drop-down or tooltip: placed as is
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    HWND window = Board(row.style | WS_VISIBLE, 100, 120, 150, 80, row.title);
    ASSERT_TRUE(ShowsAsRendered(window));
    const auto place = m_x.Place(XWindowOf(window));
    EXPECT_EQ(place.overrideRedirect, row.overrideRedirect);
    EXPECT_EQ(place.x, 100);
    EXPECT_EQ(place.y, 120);
    EXPECT_EQ(m_x.Utf8Property(XWindowOf(window), "_NET_WM_NAME"), row.title);
    EXPECT_TRUE(m_x.TakesDeleteWindow(XWindowOf(window)));
  }
}

TEST_F(Display, TheDesktopsCloseBecomesWmCloseAndMovesAndHidingFollow) {
  HWND board = Board(kFrame | WS_VISIBLE, 60, 60, 200, 120);
  ASSERT_TRUE(ShowsAsRendered(board));
  const unsigned long xwindow = XWindowOf(board);

  m_x.SendDeleteWindow(xwindow);
  ASSERT_TRUE(PumpUntil([] { return !g_seen.messages.empty(); }));
  EXPECT_EQ(g_seen.messages[0], WM_CLOSE);

  SetWindowPos(board, nullptr, 300, 200, 260, 150, SWP_NOZORDER | SWP_NOACTIVATE);
  ASSERT_TRUE(ShowsAsRendered(board));
  EXPECT_EQ(m_x.Place(xwindow).x, 300);
  EXPECT_EQ(m_x.Place(xwindow).width, 260);

  ShowWindow(board, SW_HIDE);
  EXPECT_TRUE(PumpUntil([&] { return !m_x.Place(xwindow).viewable; }));
}

TEST_F(Display, ClicksWheelAndKeysReachTheControlUnderThePointerAndTheFocus) {
  HWND board = Board(kFrame | WS_VISIBLE, 80, 80, 300, 200, "Input");
  CreateWindowExA(0, "DisplayButton", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 30, board,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(7)), nullptr, nullptr);
  HWND edit = CreateWindowExA(0, "DisplayEdit", "", WS_CHILD | WS_VISIBLE, 10, 60, 200, 24, board, nullptr, nullptr, nullptr);
  ASSERT_TRUE(ShowsAsRendered(board));
  POINT button{10 + 50, 10 + 15}, field{10 + 100, 60 + 12};
  ClientToScreen(board, &button);
  ClientToScreen(board, &field);

  m_x.Click(button.x, button.y);
  ASSERT_TRUE(PumpUntil([] { return !g_seen.commands.empty(); }));
  EXPECT_EQ(g_seen.commands[0], 7u);

  m_x.Click(field.x, field.y);
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == edit; }));
  m_x.Type(kKeyA, true);
  m_x.Type(kKeyB);
  m_x.Type(kKey1);
  ASSERT_TRUE(m_x.Type(kEAcute));
  ASSERT_TRUE(m_x.Type(kCyrillicYa));  // a Unicode key symbol
  ASSERT_TRUE(PumpUntil([] { return g_seen.typed.size() >= 5; }));
  EXPECT_EQ(g_seen.typed, U"Ab1\u00E9\u044F");

  m_x.Click(field.x, field.y, 4);
  m_x.Click(field.x, field.y, 5);
  m_x.Click(field.x, field.y, 5);
  EXPECT_TRUE(PumpUntil([] { return g_seen.wheel == -120; }));
}

TEST_F(Display, AContextMenuOpensOnScreenAndItsChoiceComesBack) {
  HWND board = Board(kFrame | WS_VISIBLE, 100, 100, 300, 200, "Menu");
  ASSERT_TRUE(ShowsAsRendered(board));
  // The person works from another thread: the menu runs its own loop on this one.
  std::atomic<bool> opened{false}, done{false};
  std::thread person([&] {
    XScreen hands;
    hands.Click(200, 200, 3);
    const DWORD start = GetTickCount();
    HWND menu = nullptr;
    while (GetTickCount() - start < 10000) {
      menu = FindWindowA("#32768", nullptr);
      if (menu && hands.Place(XWindowOf(menu)).viewable) {
        opened = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (opened) {
      RECT rect;
      GetWindowRect(menu, &rect);
      const int itemHeight = (rect.bottom - rect.top - 6) / 3;
      hands.Click(rect.left + 20, rect.top + 3 + itemHeight + itemHeight / 2);
    }
    done = true;
  });
  const bool chosen = PumpUntil([] { return !g_seen.commands.empty(); }, 15000);
  PumpUntil([&] { return done.load(); });
  person.join();
  EXPECT_TRUE(opened);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(g_seen.commands[0], 502u);
}

TEST_F(Display, AWindowOfAnotherProcessHostedInOursIsSeenAndTypedInto) {
  // The host's X window at the top, and inside a frame as a desktop that frames windows puts it.
  for (const bool framed : {false, true}) {
    SCOPED_TRACE(framed ? "framed" : "top level");
    g_seen = {};
    HWND board = Board(kFrame | WS_VISIBLE, 120, 90, 260, 180, "Host");
    ASSERT_TRUE(ShowsAsRendered(board));
    if (framed) {
      m_x.Frame(XWindowOf(board));
      ASSERT_TRUE(ShowsAsRendered(board));
    }
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(StartGuest(board, process));
    const bool ready = PumpUntil([] { return g_seen.guest != nullptr; });

    // The guest's blue panel at its place in our window, as the X server shows it.
    POINT panel{30 + 5, 20 + 5};
    ClientToScreen(board, &panel);
    RECT boardRect;
    GetWindowRect(board, &boardRect);
    const std::size_t probe = static_cast<std::size_t>(panel.y - boardRect.top) * 260 + (panel.x - boardRect.left);
    const bool seen = ready && PumpUntil([&] {
      auto screen = OnScreen(board);
      return !screen.empty() && screen[probe] == 0x0000C8u;
    });
    if (seen && !framed) SaveRendering(board, "display_hosted");

    POINT field{30 + 20 + 60, 20 + 40 + 12};
    ClientToScreen(board, &field);
    bool repainted = false;
    if (seen) {
      m_x.Click(field.x, field.y);
      PumpUntil([] { return g_seen.guestFocused; });
      // The program repainted on its own; its display told ours, and the screen follows.
      const std::size_t inField = static_cast<std::size_t>(field.y - boardRect.top) * 260 + (field.x - boardRect.left);
      repainted = PumpUntil([&] {
        auto screen = OnScreen(board);
        return !screen.empty() && screen[inField] == 0xFFFF00u;
      });
      m_x.Type(kKeyO);
      m_x.Type(kKeyK);
      m_x.Type(kUDiaeresis);
      PumpUntil([] { return g_seen.guestTyped.size() >= 3; });
    }
    const bool ended = EndGuest(process);
    ASSERT_TRUE(ready);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(g_seen.guestFocused);
    EXPECT_TRUE(repainted);
    EXPECT_EQ(g_seen.guestTyped, U"ok\u00FC");
    DestroyWindow(board);
  }
}

// A hosted program that draws without pause asks the host to show it again far more often than
// the host can render; the host renders once for all it was asked meanwhile, so a click still
// reaches the program at once instead of waiting behind every request.
TEST_F(Display, AHostedProgramDrawingWithoutPauseLeavesTheHostsInputThrough) {
  HWND board = Board(kFrame | WS_VISIBLE, 120, 90, 260, 180, "Busy");
  ASSERT_TRUE(ShowsAsRendered(board));
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(StartGuest(board, process));
  const bool ready = PumpUntil([] { return g_seen.guest != nullptr; });
  bool drawing = false, focused = false;
  if (ready) {
    PostMessageA(g_seen.guest, WM_USER + 5, 0, 0);
    drawing = PumpUntil([] { return g_seen.guestDrawing; });
    // Rendering each request in turn, the click would come after a thousand renders of the
    // program, each waiting for its busy thread: far beyond the limit.
    POINT field{30 + 20 + 60, 20 + 40 + 12};
    ClientToScreen(board, &field);
    m_x.Click(field.x, field.y);
    focused = PumpUntil([] { return g_seen.guestFocused; }, 10000);
  }
  const bool ended = EndGuest(process);
  ASSERT_TRUE(ready);
  EXPECT_TRUE(drawing);
  EXPECT_TRUE(focused) << "the click waited behind the program's requests to be shown again";
  EXPECT_TRUE(ended);
}

TEST_F(Display, AHostedProgramsWaitCursorShowsOverItsWindowInsideTheHost) {
  // The host's own client area has the arrow, as a frame's class gives it.
  WNDCLASSA wc{};
  wc.lpfnWndProc = BoardProc;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = "DisplayCursorHost";
  RegisterClassA(&wc);
  HWND host = CreateWindowExA(0, "DisplayCursorHost", "Host", kFrame | WS_VISIBLE, 120, 90, 260, 180, nullptr, nullptr,
                              nullptr, nullptr);
  m_windows.push_back(host);
  ASSERT_TRUE(ShowsAsRendered(host));
  constexpr unsigned kWatch = 150, kLeftPointer = 68;  // X cursor font glyphs
  const auto watch = m_x.FontCursor(kWatch), arrow = m_x.FontCursor(kLeftPointer);
  ASSERT_GT(watch.width, 1);
  PROCESS_INFORMATION process{};
  ASSERT_TRUE(StartGuest(host, process));
  const bool ready = PumpUntil([] { return g_seen.guest != nullptr; });
  POINT inPanel{30 + 5, 20 + 5}, hostsOwn{220, 140};
  ClientToScreen(host, &inPanel);
  ClientToScreen(host, &hostsOwn);
  // Each shape as the X server shows it under the pointer, after the step that should bring it.
  std::vector<bool> shown;
  if (ready) {
    m_x.MoveTo(inPanel.x, inPanel.y);
    shown.push_back(PumpUntil([&] { return m_x.Cursor() == arrow; }));
    PostMessageA(g_seen.guest, WM_USER + 3, 0, 0);  // the transfer starts, the pointer resting
    shown.push_back(PumpUntil([&] { return m_x.Cursor() == watch; }));
    m_x.MoveTo(hostsOwn.x, hostsOwn.y);  // over the host's own part: its own cursor
    shown.push_back(PumpUntil([&] { return m_x.Cursor() == arrow; }));
    m_x.MoveTo(inPanel.x + 10, inPanel.y + 5);  // back over the program, still busy
    shown.push_back(PumpUntil([&] { return m_x.Cursor() == watch; }));
    PostMessageA(g_seen.guest, WM_USER + 4, 0, 0);  // done
    shown.push_back(PumpUntil([&] { return m_x.Cursor() == arrow; }));
  }
  const bool ended = EndGuest(process);
  DestroyWindow(host);
  m_windows.clear();
  UnregisterClassA("DisplayCursorHost", nullptr);
  ASSERT_TRUE(ready);
  EXPECT_EQ(shown, (std::vector<bool>{true, true, true, true, true}))
      << "arrow over the program, watch while it works, the host's arrow, watch again, arrow after";
  EXPECT_TRUE(ended);
}

TEST_F(Display, ADragImageMovesAcrossTwoWindowsOnTheScreen) {
  constexpr std::uint32_t kRed = 0xDC0000u;  // as the screen has it, 0xRRGGBB
  HWND first = Board(WS_POPUP | WS_VISIBLE, 100, 100, 160, 120, "DragFirst");    // screen x 100..260
  HWND second = Board(WS_POPUP | WS_VISIBLE, 260, 100, 160, 120, "DragSecond");  // screen x 260..420
  ASSERT_TRUE(ShowsAsRendered(first));
  ASSERT_TRUE(ShowsAsRendered(second));
  // A 16 x 16 red square.
  HDC screenDc = GetDC(nullptr);
  HBITMAP square = CreateCompatibleBitmap(screenDc, 16, 16);
  ReleaseDC(nullptr, screenDc);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, square);
  RECT all{0, 0, 16, 16};
  HBRUSH red = CreateSolidBrush(RGB(0xDC, 0, 0));
  FillRect(dc, &all, red);
  DeleteObject(red);
  SelectObject(dc, old);
  DeleteDC(dc);
  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 1, 1);
  ImageList_AddMasked(list, square, RGB(255, 0, 255));
  DeleteObject(square);

  // The colour the X server shows at a screen point of a window.
  const auto shows = [&](HWND window, int x, int y) {
    RECT rect;
    GetWindowRect(window, &rect);
    auto pixels = OnScreen(window);
    const std::size_t at = static_cast<std::size_t>(y - rect.top) * (rect.right - rect.left) + (x - rect.left);
    return at < pixels.size() ? pixels[at] : 0xFFFFFFFFu;
  };
  ASSERT_TRUE(ImageList_BeginDrag(list, 0, 8, 8));
  ASSERT_TRUE(ImageList_DragEnter(GetDesktopWindow(), 180, 170));
  EXPECT_TRUE(PumpUntil([&] { return shows(first, 180, 170) == kRed; })) << "not over the first window";
  SaveScreenshot(first, "display_drag_first");
  // Across the border: half over each window, and the first window whole again where it was.
  ASSERT_TRUE(ImageList_DragMove(260, 170));
  EXPECT_TRUE(PumpUntil([&] {
    return shows(first, 256, 170) == kRed && shows(second, 263, 170) == kRed && shows(first, 180, 170) != kRed;
  })) << "not across both windows";
  SaveScreenshot(first, "display_drag_across_first");
  SaveScreenshot(second, "display_drag_across_second");
  ASSERT_TRUE(ImageList_DragMove(340, 170));
  EXPECT_TRUE(PumpUntil([&] { return shows(second, 340, 170) == kRed && shows(first, 256, 170) != kRed; }));
  ImageList_EndDrag();
  EXPECT_TRUE(PumpUntil([&] { return shows(second, 340, 170) != kRed; })) << "left on the screen after the drag";
  EXPECT_TRUE(ShowsAsRendered(first));
  EXPECT_TRUE(ShowsAsRendered(second));
  ImageList_Destroy(list);
}

TEST_F(Display, AWindowShownWholeThatIsSizedFromOutsideIsLaidOutAndPaintedAgain) {
  // As the launcher: a frame with a caption of its own, shown whole, sized by a tool or the
  // desktop's maximise rather than by its own frame.
  HWND board = Board(kFrame | WS_THICKFRAME | WS_VISIBLE, 100, 100, 200, 150, "Sized outside");
  ASSERT_TRUE(ShowsAsRendered(board));
  const unsigned long xwindow = XWindowOf(board);
  const auto sized = [&](int width, int height) {
    RECT rect;
    GetWindowRect(board, &rect);
    return rect.right - rect.left == width && rect.bottom - rect.top == height;
  };
  // Made larger: the new area is the window's, painted as the rest (white), and the screen shows it.
  m_x.Resize(xwindow, 320, 240);
  EXPECT_TRUE(PumpUntil([&] { return sized(320, 240); })) << "the window kept its old size";
  RECT client;
  GetClientRect(board, &client);
  POINT corner{client.right - 3, client.bottom - 3};
  ClientToScreen(board, &corner);
  RECT rect;
  GetWindowRect(board, &rect);
  EXPECT_TRUE(PumpUntil([&] {
    auto pixels = OnScreen(board);
    const std::size_t at = static_cast<std::size_t>(corner.y - rect.top) * 320 + (corner.x - rect.left);
    return at < pixels.size() && pixels[at] == 0xFFFFFFu && pixels == Rendered(board);
  })) << "the new area is not painted";
  SaveScreenshot(board, "display_sized_outside");
  // Maximised: moved and sized at once, as a desktop reports it (root coordinates).
  m_x.Resize(xwindow, 400, 300);
  m_x.SendMoved(xwindow, 0, 0, 400, 300);
  EXPECT_TRUE(PumpUntil([&] {
    RECT now;
    GetWindowRect(board, &now);
    return now.left == 0 && now.top == 0 && sized(400, 300);
  }));
  EXPECT_TRUE(ShowsAsRendered(board));
  // Made smaller: the caption's buttons are laid out at the new right edge, nothing cut off.
  m_x.Resize(xwindow, 180, 120);
  EXPECT_TRUE(PumpUntil([&] { return sized(180, 120); }));
  EXPECT_TRUE(ShowsAsRendered(board));
}

constexpr char kHolderTitle[] = "Notification area";

// The desktop's tray: a program of our own that speaks the XEmbed tray protocol, started at a place
// on the screen and killed as a crashed panel would be.
class TrayProgram {
public:
  ~TrayProgram() { Kill(); }
  bool Start(int x, int y) {
    char commandLine[64];
    std::snprintf(commandLine, sizeof commandLine, "display_xembed_tray %d %d", x, y);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &m_process);
  }
  void Kill() {
    if (!m_process.hProcess) return;
    TerminateProcess(m_process.hProcess, 9);
    WaitForSingleObject(m_process.hProcess, 10000);
    CloseHandle(m_process.hProcess);
    CloseHandle(m_process.hThread);
    m_process = {};
  }

private:
  PROCESS_INFORMATION m_process{};
};

TEST_F(Display, TrayIconsDockWithTheDesktopsTrayShowTipsTakeClicksAndDockAgain) {
  HWND owner = Board(kFrame, 0, 0, 120, 80, "Tray owner");
  HICON icon = HalfIcon(RGB(255, 0, 0));
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = owner;
  data.uID = 3;
  data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
  data.uCallbackMessage = WM_APP + 7;
  data.hIcon = icon;
  std::strcpy(data.szTip, "Phone linked");

  // Without a tray the icon shows in the display's own window; it moves to a tray that comes.
  ASSERT_TRUE(tolvar::user::DisplayHasTray());
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  EXPECT_TRUE(PumpUntil([&] { return m_x.FindShown(kHolderTitle) != 0; }));
  TrayProgram tray;
  ASSERT_TRUE(tray.Start(600, 0));

  // Docked: the icon's window sits in the tray's bar, its picture over the bar's grey.
  auto dockedIcon = [&] {
    unsigned long found = 0;
    PumpUntil([&] {
      auto children = m_x.Children(m_x.SelectionOwner("_NET_SYSTEM_TRAY_S0"));
      found = children.size() == 1 && m_x.Place(children[0]).viewable ? children[0] : 0;
      return found != 0;
    });
    return found;
  };
  auto showsIcon = [&](unsigned long window) {
    return PumpUntil([&] {
      auto pixels = m_x.Pixels(window, 16, 16);
      return pixels.size() == 256 && pixels[2 * 16 + 5] == 0xFF0000u && pixels[12 * 16 + 5] == 0x808080u;
    });
  };
  unsigned long docked = dockedIcon();
  ASSERT_NE(docked, 0u);
  EXPECT_TRUE(showsIcon(docked));
  EXPECT_TRUE(PumpUntil([&] { return m_x.FindShown(kHolderTitle) == 0; }));
  const auto place = m_x.Place(docked);

  // The tip shows while the pointer rests on the icon, and goes when it leaves.
  m_x.MoveTo(place.rootX + 8, place.rootY + 8);
  EXPECT_TRUE(PumpUntil([&] { return m_x.FindShown("Phone linked") != 0; }));
  m_x.MoveTo(400, 400);
  EXPECT_TRUE(PumpUntil([&] { return m_x.FindShown("Phone linked") == 0; }));

  // A click, then a double click elsewhere on the icon (beyond the double-click distance from the first).
  m_x.Click(place.rootX + 2, place.rootY + 8);
  m_x.DoubleClick(place.rootX + 13, place.rootY + 8);
  ASSERT_TRUE(PumpUntil([] { return g_seen.trayMouse.size() >= 6; }));
  const std::vector<UINT> expected{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN,
                                   WM_LBUTTONUP,   WM_LBUTTONDBLCLK, WM_LBUTTONUP};
  EXPECT_EQ(g_seen.trayMouse, expected);

  // The tray goes away and comes back: the icon docks again by itself.
  tray.Kill();
  ASSERT_TRUE(PumpUntil([&] { return m_x.FindShown(kHolderTitle) != 0; }));
  ASSERT_TRUE(tray.Start(600, 40));
  docked = dockedIcon();
  ASSERT_NE(docked, 0u);
  EXPECT_TRUE(showsIcon(docked));
  EXPECT_EQ(m_x.Place(docked).rootY, 44);

  // Deleted: it leaves the tray.
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  EXPECT_TRUE(PumpUntil([&] { return m_x.Children(m_x.SelectionOwner("_NET_SYSTEM_TRAY_S0")).empty(); }));
  tray.Kill();
  DestroyIcon(icon);
}

// The tray icon's menu opens at the icon, not where the pointer last was over a window of ours, and
// a click anywhere outside it (the desktop's root window here) or Escape ends it, as with the focus
// and the pointer elsewhere when the icon was clicked.
TEST_F(Display, TheTrayMenuOpensAtTheIconAndEndsOnAClickOnTheDesktopAndOnEscape) {
  ASSERT_TRUE(m_x.ManageWindows());
  HWND owner = Board(kFrame, 0, 0, 120, 80, "Tray menu owner");  // hidden, as a tray program's window is
  TrayProgram tray;
  ASSERT_TRUE(tray.Start(600, 0));
  auto serve = [&](auto done) {
    return PumpUntil([&] {
      m_x.Serve();
      return done();
    });
  };
  ASSERT_TRUE(serve([&] { return m_x.SelectionOwner("_NET_SYSTEM_TRAY_S0") != 0; }));
  HICON icon = HalfIcon(RGB(0, 0, 255));
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = owner;
  data.uID = 4;
  data.uFlags = NIF_ICON | NIF_MESSAGE;
  data.uCallbackMessage = WM_APP + 8;
  data.hIcon = icon;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  unsigned long docked = 0;
  ASSERT_TRUE(serve([&] {
    auto children = m_x.Children(m_x.SelectionOwner("_NET_SYSTEM_TRAY_S0"));
    docked = children.size() == 1 && m_x.Place(children[0]).viewable ? children[0] : 0;
    return docked != 0;
  }));
  const auto place = m_x.Place(docked);
  const POINT iconPoint{place.rootX + 8, place.rootY + 8};
  const POINT desktop{20, m_x.ScreenHeight() - 20};  // no window there: the root window

  struct Ending {
    const char* what;
    bool escape;
  };
  const Ending endings[] = {{"a click on the desktop", false}, {"Escape", true}};
  for (const Ending& ending : endings) {
    SCOPED_TRACE(ending.what);
    HWND board = Board(kFrame | WS_VISIBLE, 100, 100, 300, 200, "Elsewhere");
    ASSERT_TRUE(serve([&] { return m_x.Place(XWindowOf(board)).viewable; }));
    const int ended = g_seen.trayMenusEnded;
    g_seen.trayMenuAt = {-1, -1};
    std::atomic<bool> opened{false}, done{false}, stillOpen{false};
    RECT menuRect{};
    testing_display::XPlace menuPlace{};
    std::thread person([&] {
      XScreen hands;
      // The pointer's last place over a window of ours, which then closes under it.
      hands.Click(250, 250);
      PostMessageA(board, WM_USER + 3, 0, 0);
      const DWORD closing = GetTickCount();
      while (IsWindow(board) && GetTickCount() - closing < 10000) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      hands.Click(iconPoint.x, iconPoint.y, 3);
      const DWORD start = GetTickCount();
      while (GetTickCount() - start < 10000) {
        HWND menu = FindWindowA("#32768", nullptr);
        if (menu && hands.Place(XWindowOf(menu)).viewable) {
          GetWindowRect(menu, &menuRect);
          menuPlace = hands.Place(XWindowOf(menu));
          opened = true;
          break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      if (opened) {
        if (ending.escape) {
          hands.Type(kEscape);
        } else {
          hands.Click(desktop.x, desktop.y);
        }
        // A menu that stays is ended by choosing its first item, so that the test fails instead of
        // waiting for ever.
        const DWORD sent = GetTickCount();
        HWND menu = nullptr;
        while ((menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu) && GetTickCount() - sent < 5000) {
          std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (menu && IsWindowVisible(menu)) {
          stillOpen = true;
          RECT rect;
          GetWindowRect(menu, &rect);
          hands.Click(rect.left + 20, rect.top + 8);
        }
      }
      done = true;
    });
    const bool closed = PumpUntil([&] { return g_seen.trayMenusEnded > ended; }, 15000);
    PumpUntil([&] { return done.load(); });
    person.join();
    ASSERT_TRUE(opened);
    EXPECT_EQ(g_seen.trayMenuAt.x, iconPoint.x);
    EXPECT_EQ(g_seen.trayMenuAt.y, iconPoint.y);
    EXPECT_EQ(menuRect.left, iconPoint.x);
    EXPECT_EQ(menuRect.top, iconPoint.y);
    EXPECT_EQ(menuPlace.rootX, iconPoint.x);
    EXPECT_EQ(menuPlace.rootY, iconPoint.y);
    ASSERT_TRUE(closed) << "the menu still tracks";
    EXPECT_FALSE(stillOpen) << "the menu stayed open";
    EXPECT_TRUE(g_seen.commands.empty()) << "nothing chosen";
  }
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  tray.Kill();
  DestroyIcon(icon);
}

// A desktop with neither a tray nor a StatusNotifierItem host: the icons show in a small window of
// the display's own, and a right click on the icon there opens the program's menu at the icon.
TEST_F(Display, WithoutATrayTheIconShowsInAWindowOfItsOwnAndItsMenuOpensThere) {
  HWND owner = Board(kFrame, 0, 0, 120, 80, "Tray menu owner");
  HICON icon = HalfIcon(RGB(0, 0, 255));
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = owner;
  data.uID = 5;
  data.uFlags = NIF_ICON | NIF_MESSAGE;
  data.uCallbackMessage = WM_APP + 8;
  data.hIcon = icon;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  unsigned long holder = 0, held = 0;
  ASSERT_TRUE(PumpUntil([&] {
    holder = m_x.FindShown(kHolderTitle);
    auto children = holder ? m_x.Children(holder) : std::vector<unsigned long>{};
    held = children.size() == 1 ? children[0] : 0;
    return held && m_x.Place(held).viewable;
  }));
  // The icon's picture over the window's face, the window at the screen's bottom right.
  const COLORREF face = GetSysColor(COLOR_3DFACE);
  const std::uint32_t faceRgb = static_cast<std::uint32_t>(GetRValue(face)) << 16 | GetGValue(face) << 8 | GetBValue(face);
  EXPECT_TRUE(PumpUntil([&] {
    auto pixels = m_x.Pixels(held, 16, 16);
    return pixels.size() == 256 && pixels[2 * 16 + 5] == 0x0000FFu && pixels[12 * 16 + 5] == faceRgb;
  }));
  const auto place = m_x.Place(held);
  EXPECT_GT(place.rootX, m_x.ScreenWidth() - 40);
  EXPECT_GT(place.rootY, m_x.ScreenHeight() - 40);

  const POINT iconPoint{place.rootX + 8, place.rootY + 8};
  std::atomic<bool> opened{false};
  RECT menuRect{};
  std::thread person([&] {
    XScreen hands;
    hands.Click(iconPoint.x, iconPoint.y, 3);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
      HWND menu = FindWindowA("#32768", nullptr);
      if (menu && hands.Place(XWindowOf(menu)).viewable) {
        GetWindowRect(menu, &menuRect);
        opened = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (opened) hands.Type(kEscape);
  });
  const bool ended = PumpUntil([] { return g_seen.trayMenusEnded > 0; }, 15000);
  person.join();
  ASSERT_TRUE(opened);
  EXPECT_TRUE(ended);
  EXPECT_EQ(g_seen.trayMenuAt.x, iconPoint.x);
  EXPECT_EQ(g_seen.trayMenuAt.y, iconPoint.y);
  // Opened at the icon: at the screen's bottom right corner it grows up and left from it.
  EXPECT_EQ(menuRect.right, iconPoint.x);
  EXPECT_EQ(menuRect.bottom, iconPoint.y);

  // Its last icon gone, the window goes too.
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  EXPECT_TRUE(PumpUntil([&] { return m_x.FindShown(kHolderTitle) == 0; }));
  DestroyIcon(icon);
}

// A desktop whose panel hosts StatusNotifierItems (a watcher and host of the test's own on a private
// session bus): once the watcher has a host, a tray program's icon registers there as an item, with
// its tip and picture readable and the host's clicks reaching the program's window as the callback
// messages; before that, and when the watcher ends, the icon shows on X, in the display's own window.
TEST_F(Display, OnADesktopWithAStatusNotifierHostTheIconIsAnItemOnTheSessionBus) {
  testing_display::PrivateBus bus;
  if (!bus.Start()) GTEST_SKIP() << "dbus-daemon is not installed";
  testing_display::SniHost host(bus.Address());
  ASSERT_TRUE(host.IsWatching());
  HWND board = Board(kFrame, 0, 0, 120, 80, "Tray program's host");

  // The tray program on that bus, as started by a desktop session whose bus it is.
  const std::string ours = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  setenv("DBUS_SESSION_BUS_ADDRESS", bus.Address().c_str(), 1);
  char commandLine[64];
  std::snprintf(commandLine, sizeof commandLine, "display_child_tray_owner hWnd=%08X",
                static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(board)));
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const BOOL started = CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  setenv("DBUS_SESSION_BUS_ADDRESS", ours.c_str(), 1);
  ASSERT_TRUE(started);
  struct Ender {
    PROCESS_INFORMATION& process;
    ~Ender() {
      TerminateProcess(process.hProcess, 9);
      WaitForSingleObject(process.hProcess, 10000);
      CloseHandle(process.hProcess);
      CloseHandle(process.hThread);
    }
  } ender{process};

  // A watcher with no panel that shows items yet: the icon shows on X meanwhile.
  ASSERT_TRUE(PumpUntil([&] {
    host.Serve();
    return m_x.FindShown(kHolderTitle) != 0;
  }));
  EXPECT_TRUE(host.Items().empty());
  host.RegisterHost();
  ASSERT_TRUE(PumpUntil([&] {
    host.Serve();
    return !host.Items().empty();
  }));
  const std::string item = host.Items().front();
  EXPECT_EQ(item.rfind("org.kde.StatusNotifierItem-", 0), 0u) << item;
  EXPECT_EQ(host.StringProperty(item, "Title"), "Phone linked");
  EXPECT_EQ(host.StringProperty(item, "Status"), "Active");
  EXPECT_EQ(host.ToolTipTitle(item), "Phone linked");
  const auto pixmaps = host.IconPixmaps(item);
  ASSERT_EQ(pixmaps.size(), 1u);
  ASSERT_EQ(pixmaps[0].width, 16);
  ASSERT_EQ(pixmaps[0].height, 16);
  ASSERT_EQ(pixmaps[0].argb.size(), 16u * 16u * 4u);
  auto argb = [&](int x, int y) {
    const std::uint8_t* p = &pixmaps[0].argb[(static_cast<std::size_t>(y) * 16 + x) * 4];
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
  };
  EXPECT_EQ(argb(5, 2), 0xFFFF0000u);  // opaque red
  EXPECT_EQ(argb(5, 12) >> 24, 0u);    // transparent
  // Shown by the host only: nothing of it on X.
  EXPECT_TRUE(PumpUntil([&] {
    host.Serve();
    return m_x.FindShown(kHolderTitle) == 0;
  }));

  // The panel's clicks: activation is the left button, the context menu the right one.
  ASSERT_TRUE(host.Call(item, "Activate", 30, 700));
  ASSERT_TRUE(host.Call(item, "ContextMenu", 30, 700));
  ASSERT_TRUE(PumpUntil([] { return g_seen.trayMouse.size() >= 4; }));
  const std::vector<UINT> expected{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP};
  EXPECT_EQ(g_seen.trayMouse, expected);

  // The panel quits: the icon shows on X again.
  host.StopWatching();
  EXPECT_TRUE(PumpUntil([&] {
    host.Serve();
    return m_x.FindShown(kHolderTitle) != 0;
  }));
}

TEST_F(Display, OrdinaryFramesShowTheirClientAreaInTheDesktopsFrameOthersShowWhole) {
  struct Row {
    DWORD style;
    long decorations;  // _MOTIF_WM_HINTS: 1 the desktop's frame, 0 none
    bool clientOnly;
  };
  const Row rows[] = {
      {WS_OVERLAPPEDWINDOW, 1, true},           // an ordinary frame
      {kFrame, 0, false},                       // a dialog: it paints its own caption
      {WS_POPUP | WS_BORDER, 0, false},         // no caption at all
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.style);
    HWND window = Board(row.style | WS_VISIBLE, 100, 120, 240, 160, "Framed");
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    // What the X window must show: the client area, or the whole window.
    auto expected = [&] {
      auto whole = Rendered(window);
      if (!row.clientOnly) return whole;
      std::vector<std::uint32_t> part;
      const int width = outer.right - outer.left;
      for (int y = 0; y < client.bottom; ++y) {
        const auto at = whole.begin() + (origin.y - outer.top + y) * width + (origin.x - outer.left);
        part.insert(part.end(), at, at + client.right);
      }
      return part;
    };
    ASSERT_TRUE(PumpUntil([&] {
      auto place = m_x.Place(XWindowOf(window));
      auto screen = m_x.Pixels(XWindowOf(window), place.width, place.height);
      return !screen.empty() && screen == expected();
    }));
    const unsigned long xwindow = XWindowOf(window);
    const auto place = m_x.Place(xwindow);
    EXPECT_EQ(place.x, row.clientOnly ? origin.x : outer.left);
    EXPECT_EQ(place.y, row.clientOnly ? origin.y : outer.top);
    EXPECT_EQ(place.width, row.clientOnly ? client.right : outer.right - outer.left);
    const auto hints = m_x.Longs(xwindow, "_MOTIF_WM_HINTS");
    ASSERT_EQ(hints.size(), 5u);
    EXPECT_EQ(hints[2], row.decorations);
    if (!row.clientOnly) continue;

    // The desktop sizes its frame: the window keeps its own frame around the new client area.
    m_x.Resize(xwindow, 300, 200);
    EXPECT_TRUE(PumpUntil([&] {
      GetClientRect(window, &client);
      return client.right == 300 && client.bottom == 200;
    }));
    // The desktop moved it: the client area is where the desktop says.
    m_x.SendMoved(xwindow, 50, 70, 300, 200);
    EXPECT_TRUE(PumpUntil([&] {
      POINT at{0, 0};
      ClientToScreen(window, &at);
      return at.x == 50 && at.y == 70;
    }));
  }
}

TEST_F(Display, AFrameThatPaintsItsOwnCaptionShowsWholeAndMovesAndSizesByItsOwnFrame) {
  HWND board = Board(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 120, 240, 160, "Own caption");
  ASSERT_TRUE(PumpUntil([&] { return XWindowOf(board) != 0; }));
  const unsigned long xwindow = XWindowOf(board);
  auto decorations = [&] {
    const auto hints = m_x.Longs(xwindow, "_MOTIF_WM_HINTS");
    return hints.size() == 5 ? hints[2] : -1;
  };
  // Shown as `outer` (the whole window) or as its client area.
  auto placedAs = [&](bool whole) {
    RECT outer, client;
    GetWindowRect(board, &outer);
    GetClientRect(board, &client);
    POINT origin{0, 0};
    ClientToScreen(board, &origin);
    const auto place = m_x.Place(xwindow);
    return whole ? place.x == outer.left && place.y == outer.top && place.width == outer.right - outer.left &&
                       place.height == outer.bottom - outer.top
                 : place.x == origin.x && place.y == origin.y && place.width == client.right &&
                       place.height == client.bottom;
  };
  ASSERT_TRUE(PumpUntil([&] { return decorations() == 1 && placedAs(false); }));

  // The program takes the caption over after its X window exists: the whole frame shows, caption
  // included, and the desktop's decorations go.
  tolvar::user::SetOwnCaption(board, true);
  EXPECT_TRUE(tolvar::user::HasOwnCaption(board));
  ASSERT_TRUE(PumpUntil([&] { return decorations() == 0 && placedAs(true); }));
  ASSERT_TRUE(ShowsAsRendered(board));
  SaveRendering(board, "display_own_caption");

  // A drag on our caption moves our window, and the X window with it.
  RECT before;
  GetWindowRect(board, &before);
  const int grabX = before.left + 60, grabY = before.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
  m_x.Drag(grabX, grabY, grabX + 70, grabY + 40);
  ASSERT_TRUE(PumpUntil([&] {
    RECT now;
    GetWindowRect(board, &now);
    return now.left == before.left + 70 && now.top == before.top + 40;
  }));
  EXPECT_TRUE(PumpUntil([&] {
    const auto place = m_x.Place(xwindow);
    return place.x == before.left + 70 && place.y == before.top + 40;
  }));
  EXPECT_TRUE(ShowsAsRendered(board));

  // A drag on our sizing border sizes both. Inwards: the whole drag is sent at once, and a release
  // beside the window before its thread has taken the press (and the capture) would reach no window.
  RECT moved;
  GetWindowRect(board, &moved);
  m_x.Drag(moved.right - 2, moved.bottom - 2, moved.right - 32, moved.bottom - 22);
  ASSERT_TRUE(PumpUntil([&] {
    RECT now;
    GetWindowRect(board, &now);
    return now.right == moved.right - 30 && now.bottom == moved.bottom - 20 && now.left == moved.left;
  }));
  EXPECT_TRUE(PumpUntil([&] { return placedAs(true); }));
  EXPECT_TRUE(ShowsAsRendered(board));

  // Given back: the desktop frames the client area again.
  tolvar::user::SetOwnCaption(board, false);
  EXPECT_TRUE(PumpUntil([&] { return decorations() == 1 && placedAs(false); }));
}

// A person sizing a frame that draws its own caption and border (as the launcher's) by that border:
// the press, several moves and the release come as separate events, each move waited for. The frame
// follows every move and lays itself out again each time, and the X window shows it all.
TEST_F(Display, AFramesOwnBorderDraggedByAPersonSizesItAndItIsLaidOutAtEveryStep) {
  HWND frame = CreateWindowExA(0, "DisplayLayout", "Laid out", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 100, 120, 260,
                               180, nullptr, nullptr, nullptr, nullptr);
  m_windows.push_back(frame);
  HWND bar = CreateWindowExA(0, "DisplayEdit", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 10, 10, frame,
                             reinterpret_cast<HMENU>(2), nullptr, nullptr);
  HWND button = CreateWindowExA(0, "DisplayEdit", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 10, 10, frame,
                                reinterpret_cast<HMENU>(3), nullptr, nullptr);
  tolvar::user::SetOwnCaption(frame, true);
  ShowWindow(frame, SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return XWindowOf(frame) != 0 && m_x.Place(XWindowOf(frame)).viewable; }));
  ASSERT_TRUE(ShowsAsRendered(frame));
  auto laidOut = [&] {
    RECT client, barRect, buttonRect;
    GetClientRect(frame, &client);
    GetWindowRect(bar, &barRect);
    GetWindowRect(button, &buttonRect);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&barRect), 2);
    MapWindowPoints(nullptr, frame, reinterpret_cast<POINT*>(&buttonRect), 2);
    return barRect.left == 0 && barRect.right == client.right && barRect.bottom == client.bottom &&
           buttonRect.right == client.right - 4 && buttonRect.top == 4;
  };
  ASSERT_TRUE(laidOut());

  RECT start;
  GetWindowRect(frame, &start);
  const POINT grab{start.right - 2, start.bottom - 2};  // the bottom right corner of its own border
  constexpr int kSteps = 5, kStepX = 14, kStepY = 9;
  g_sizeLoop = 0;
  std::atomic<int> followed{0};
  std::atomic<bool> done{false};
  std::thread person([&] {
    XScreen hands;
    auto waitFor = [](auto condition) {
      const DWORD begin = GetTickCount();
      while (!condition() && GetTickCount() - begin < 10000) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      return condition();
    };
    hands.Press(grab.x, grab.y);
    if (waitFor([] { return g_sizeLoop.load() == 1; })) {
      for (int step = 1; step <= kSteps; ++step) {
        hands.MoveTo(grab.x + step * kStepX, grab.y + step * kStepY);
        const bool took = waitFor([&] {
          RECT now;
          GetWindowRect(frame, &now);
          return now.right == start.right + step * kStepX && now.bottom == start.bottom + step * kStepY;
        });
        if (took) ++followed;
      }
    }
    hands.Release();
    done = true;
  });
  const bool ended = PumpUntil([&] { return done.load() && g_sizeLoop.load() == 2; }, 30000);
  person.join();
  ASSERT_TRUE(ended) << "the sizing loop did not end";
  EXPECT_EQ(followed.load(), kSteps);
  RECT now;
  GetWindowRect(frame, &now);
  EXPECT_EQ(now.left, start.left);
  EXPECT_EQ(now.top, start.top);
  EXPECT_EQ(now.right, start.right + kSteps * kStepX);
  EXPECT_EQ(now.bottom, start.bottom + kSteps * kStepY);
  EXPECT_TRUE(laidOut());
  // The X window has the new size and shows the new area painted.
  EXPECT_TRUE(PumpUntil([&] {
    const auto place = m_x.Place(XWindowOf(frame));
    return place.width == now.right - now.left && place.height == now.bottom - now.top;
  }));
  EXPECT_TRUE(ShowsAsRendered(frame));
  SaveScreenshot(frame, "display_border_drag");
}

// Minimised by the program's side, a top-level window is iconified where it is, and comes back there
// when restored; the desktop's own minimise and restore reach the program as the system commands its
// buttons send. Without a desktop running, a minimised window is only taken off the screen.
TEST_F(Display, MinimisingIconifiesWhereTheWindowIsAndTheDesktopsRestoreIsScRestore) {
  struct Row {
    const char* title;
    bool ownCaption;
    bool desktop;
  };
  const Row rows[] = {
      {"No desktop", true, false},
      {"Own caption", true, true},   // the launcher's kind: its own minimise button is the only one
      {"Decorated", false, true},
  };
  constexpr long kNormal = 1, kIconic = 3;
  auto count = [](WPARAM command) {
    return std::count(g_seen.sysCommands.begin(), g_seen.sysCommands.end(), command);
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    if (row.desktop) {
      ASSERT_TRUE(m_x.ManageWindows());
    }
    auto serve = [&](auto done) {
      return PumpUntil([&] {
        if (row.desktop) m_x.Serve();
        return done();
      });
    };
    HWND board = Board(WS_OVERLAPPEDWINDOW, 90, 70, 260, 170, row.title);
    tolvar::user::SetOwnCaption(board, row.ownCaption);
    ShowWindow(board, SW_SHOW);
    ASSERT_TRUE(serve([&] { return XWindowOf(board) != 0 && m_x.Place(XWindowOf(board)).viewable; }));
    const unsigned long xwindow = XWindowOf(board);
    // The X window shows the window's rendering: whole, or its client area in the desktop's frame.
    auto showsAsRendered = [&] {
      RECT outer, client;
      GetWindowRect(board, &outer);
      GetClientRect(board, &client);
      POINT origin{0, 0};
      ClientToScreen(board, &origin);
      std::vector<std::uint32_t> expected = Rendered(board);
      if (!row.ownCaption && !expected.empty()) {
        std::vector<std::uint32_t> part;
        const int width = outer.right - outer.left;
        for (int y = 0; y < client.bottom; ++y) {
          const auto at = expected.begin() + (origin.y - outer.top + y) * width + (origin.x - outer.left);
          part.insert(part.end(), at, at + client.right);
        }
        expected = std::move(part);
      }
      const auto at = m_x.Place(xwindow);
      const auto screen = m_x.Pixels(xwindow, at.width, at.height);
      return !screen.empty() && screen == expected;
    };
    ASSERT_TRUE(serve(showsAsRendered));
    RECT normal;
    GetWindowRect(board, &normal);
    const auto place = m_x.Place(xwindow);
    auto backAtItsPlace = [&] {
      RECT now;
      GetWindowRect(board, &now);
      const auto at = m_x.Place(xwindow);
      return !IsIconic(board) && EqualRect(&now, &normal) && at.viewable && at.x == place.x && at.y == place.y &&
             at.width == place.width && at.height == place.height && (!row.desktop || m_x.WmState(xwindow) == kNormal);
    };
    auto iconified = [&] {
      const auto at = m_x.Place(xwindow);
      return IsIconic(board) && !at.viewable && at.x == place.x && at.y == place.y &&
             (!row.desktop || m_x.WmState(xwindow) == kIconic);
    };

    if (row.ownCaption) {
      // Its own minimise button, clicked on the screen: the only one such a frame has.
      const int y = normal.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
      std::vector<int> button;
      for (int x = normal.left; x < normal.right; ++x) {
        if (SendMessageA(board, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTMINBUTTON) button.push_back(x);
      }
      ASSERT_FALSE(button.empty());
      g_seen.sysCommands.clear();
      // Released once the press was taken (the button captures the mouse until the release).
      m_x.Press(button[button.size() / 2], y);
      ASSERT_TRUE(serve([&] { return GetCapture() == board; }));
      m_x.Release();
      ASSERT_TRUE(serve(iconified));
      EXPECT_EQ(count(SC_MINIMIZE), 1);
      ShowWindow(board, SW_RESTORE);
      ASSERT_TRUE(serve(backAtItsPlace));
    }

    for (int round = 0; round < 10; ++round) {
      SCOPED_TRACE(round);
      g_seen.sysCommands.clear();
      // The program's own minimise button, then its restore.
      SendMessageA(board, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      ASSERT_TRUE(serve(iconified));
      SendMessageA(board, WM_SYSCOMMAND, SC_RESTORE, 0);
      ASSERT_TRUE(serve(backAtItsPlace));
      // ShowWindow does the same, and maximised from minimised it comes back maximised.
      ShowWindow(board, SW_MINIMIZE);
      ASSERT_TRUE(serve(iconified));
      ShowWindow(board, SW_SHOWMAXIMIZED);
      ASSERT_TRUE(serve([&] {
        RECT now;
        GetWindowRect(board, &now);
        const auto at = m_x.Place(xwindow);
        return IsZoomed(board) && at.viewable && at.width > place.width && now.right - now.left > normal.right - normal.left;
      }));
      ShowWindow(board, SW_RESTORE);
      ASSERT_TRUE(serve(backAtItsPlace));
      ASSERT_TRUE(serve(showsAsRendered));
      EXPECT_EQ(count(SC_RESTORE), 1);  // the one sent above: the display sent none of its own
      if (!row.desktop) continue;

      // Minimised by us, restored from the desktop's task bar: the program hears SC_RESTORE.
      SendMessageA(board, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      ASSERT_TRUE(serve(iconified));
      m_x.Deiconify(xwindow);
      ASSERT_TRUE(serve(backAtItsPlace));
      EXPECT_EQ(count(SC_RESTORE), 2);
      ASSERT_TRUE(serve(showsAsRendered));

      // The desktop minimises it: SC_MINIMIZE, and our side follows; the program restores it.
      m_x.Iconify(xwindow);
      ASSERT_TRUE(serve(iconified));
      EXPECT_EQ(count(SC_MINIMIZE), 3);  // ours twice, then the desktop's
      SendMessageA(board, WM_SYSCOMMAND, SC_RESTORE, 0);
      ASSERT_TRUE(serve(backAtItsPlace));
      EXPECT_EQ(count(SC_RESTORE), 3);
    }

    // Hidden while minimised, it leaves the desktop altogether; shown minimised, it goes straight
    // to the task bar.
    ShowWindow(board, SW_MINIMIZE);
    ASSERT_TRUE(serve(iconified));
    ShowWindow(board, SW_HIDE);
    ASSERT_TRUE(serve([&] { return !m_x.Place(xwindow).viewable && m_x.WmState(xwindow) == -1; }));
    ShowWindow(board, SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(serve(iconified));
    ShowWindow(board, SW_RESTORE);
    ASSERT_TRUE(serve(backAtItsPlace));
    ASSERT_TRUE(serve(showsAsRendered));
  }
}

TEST_F(Display, TitleAndIconFollowSetTextSetIconAndTheClassIcon) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hIcon = HalfIcon(RGB(0, 160, 0));
  wc.lpszClassName = "DisplayIconic";
  RegisterClassA(&wc);
  HWND window = CreateWindowExA(0, "DisplayIconic", "Before", kFrame | WS_VISIBLE, 60, 60, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
  m_windows.push_back(window);
  ASSERT_TRUE(PumpUntil([&] { return XWindowOf(window) != 0; }));
  const unsigned long xwindow = XWindowOf(window);
  // _NET_WM_ICON: width, height, then ARGB rows, for 16 x 16 first.
  auto iconPixel = [&](int x, int y) -> long {
    auto icon = m_x.Longs(xwindow, "_NET_WM_ICON");
    if (icon.size() < 2 + 256 || icon[0] != 16 || icon[1] != 16) return -1;
    return icon[2 + y * 16 + x] & 0xFFFFFFFFL;
  };
  EXPECT_TRUE(PumpUntil([&] { return iconPixel(5, 2) == 0xFF00A000L; }));
  EXPECT_EQ(iconPixel(5, 12) >> 24, 0);

  HICON own = HalfIcon(RGB(0, 0, 255));
  SendMessageA(window, WM_SETICON, 1, reinterpret_cast<LPARAM>(own));
  SetWindowTextA(window, "Après");
  EXPECT_TRUE(PumpUntil([&] { return iconPixel(5, 2) == 0xFF0000FFL; }));
  EXPECT_TRUE(PumpUntil([&] { return m_x.Utf8Property(xwindow, "_NET_WM_NAME") == "Après"; }));
  DestroyWindow(window);
  m_windows.clear();
  DestroyIcon(own);
  DestroyIcon(wc.hIcon);
  UnregisterClassA("DisplayIconic", nullptr);
}

TEST_F(Display, TheCursorTakesTheStandardShapesAndColourCursorsOverOurWindows) {
  // The X cursor font's glyphs (X's numbers).
  constexpr unsigned kXterm = 152, kHorizontal = 108, kHand = 60, kLeftPointer = 68;
  HWND board = Board(kFrame | WS_VISIBLE, 200, 150, 200, 120, "Cursors");
  ASSERT_TRUE(ShowsAsRendered(board));
  struct Row {
    LPCSTR name;
    unsigned glyph;
  };
  const Row rows[] = {{IDC_IBEAM, kXterm}, {IDC_SIZEWE, kHorizontal}, {IDC_HAND, kHand}, {IDC_ARROW, kLeftPointer}};
  for (const Row& row : rows) {
    const auto expected = m_x.FontCursor(row.glyph);
    ASSERT_GT(expected.width, 0);
    m_x.MoveTo(300, 210);
    SetCursor(LoadCursorA(nullptr, row.name));
    EXPECT_TRUE(PumpUntil([&] { return m_x.Cursor() == expected; })) << row.glyph;
  }

  // A colour cursor (as from a .cur resource): its own pixels and hot spot.
  HICON picture = HalfIcon(RGB(255, 0, 0));
  ICONINFO info{};
  GetIconInfo(picture, &info);
  info.fIcon = FALSE;
  info.xHotspot = 3;
  info.yHotspot = 5;
  HCURSOR colour = CreateIconIndirect(&info);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(picture);
  SetCursor(colour);
  EXPECT_TRUE(PumpUntil([&] {
    const auto now = m_x.Cursor();
    return now.width == 16 && now.height == 16 && now.xhot == 3 && now.yhot == 5 &&
           (now.pixels[2 * 16 + 5] & 0xFFFFFFFF) == 0xFFFF0000 && (now.pixels[12 * 16 + 5] >> 24) == 0;
  }));

  // NULL hides it.
  SetCursor(nullptr);
  EXPECT_TRUE(PumpUntil([&] {
    const auto now = m_x.Cursor();
    return !now.pixels.empty() && std::all_of(now.pixels.begin(), now.pixels.end(), [](unsigned long p) { return (p >> 24) == 0; });
  }));
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  DestroyCursor(colour);
}

TEST_F(Display, AnotherProgramsWindowTakingTheFocusDeactivatesOursAndOurOwnDoNot) {
  HWND board = Board(kFrame | WS_VISIBLE, 60, 50, 300, 180, "Goes behind");
  HWND second = Board(kFrame | WS_VISIBLE, 420, 50, 200, 120, "Second");
  ASSERT_TRUE(PumpUntil([&] {
    return XWindowOf(board) && m_x.Place(XWindowOf(board)).viewable && XWindowOf(second) &&
           m_x.Place(XWindowOf(second)).viewable;
  }));
  auto captionMiddle = [&] {
    HBITMAP picture = tolvar::user::RenderWindow(board);
    const COLORREF colour = testing_user::PixelAt(picture, 220, 6);
    DeleteObject(picture);
    return colour;
  };
  auto clickIn = [&](HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    m_x.Click(rect.left + 80, rect.top + 80);
    return PumpUntil([&] { return GetActiveWindow() == window && m_x.Focus() == XWindowOf(window); });
  };
  auto seen = [&](HWND window) {
    std::vector<std::pair<UINT, WPARAM>> messages;
    for (const auto& a : g_seen.activations) {
      if (a.window == window) messages.emplace_back(a.message, a.active);
    }
    return messages;
  };
  using Seq = std::vector<std::pair<UINT, WPARAM>>;
  ASSERT_TRUE(clickIn(board));
  PumpUntil([] { return false; }, 100);
  const COLORREF lit = captionMiddle();

  // From one window of ours to the other: the X focus moves, and no application is deactivated.
  g_seen.activations.clear();
  ASSERT_TRUE(clickIn(second));
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(seen(board), (Seq{{WM_NCACTIVATE, FALSE}, {WM_ACTIVATE, WA_INACTIVE}, {WM_KILLFOCUS, 0}}));
  ASSERT_TRUE(clickIn(board));

  // Another program's window takes the focus: ours is deactivated as Windows deactivates an
  // application, and its caption is drawn inactive.
  PumpUntil([] { return false; }, 100);
  g_seen.activations.clear();
  const unsigned long other = m_x.TakeFocus(100, 300, 200, 100);
  ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == nullptr; }));
  EXPECT_EQ(seen(board), (Seq{{WM_NCACTIVATE, FALSE}, {WM_ACTIVATE, WA_INACTIVE}, {WM_ACTIVATEAPP, FALSE},
                              {WM_KILLFOCUS, 0}}));
  EXPECT_EQ(seen(second), (Seq{{WM_ACTIVATEAPP, FALSE}}));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_NE(GetForegroundWindow(), board);
  EXPECT_TRUE(PumpUntil([&] { return captionMiddle() != lit; }));

  // A click on ours brings it back.
  EXPECT_TRUE(clickIn(board));
  EXPECT_TRUE(PumpUntil([&] { return captionMiddle() == lit; }));
  m_x.Destroy(other);
}

TEST_F(Display, TheScreenSizeIsTheXScreens) {
  const int width = m_x.ScreenWidth(), height = m_x.ScreenHeight();
  ASSERT_FALSE(width == 1024 && height == 768) << "run under an X server of another size to tell them apart";
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), width);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), height);
  RECT desktop{}, work{};
  GetWindowRect(GetDesktopWindow(), &desktop);
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(desktop.right, width);
  EXPECT_EQ(desktop.bottom, height);
  EXPECT_EQ(work.right, width);
  EXPECT_EQ(work.bottom, height - 30);
}

}  // namespace
