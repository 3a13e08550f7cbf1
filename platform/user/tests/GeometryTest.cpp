// Rectangles, coordinates, the non-client sizes, z-order and the tree.
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

using namespace testing_user;

namespace {

struct FrameCase {
  DWORD style;
  DWORD exStyle;
  BOOL menu;
  RECT grow;  // how far each side moves out
};

TEST(Geometry, AdjustWindowRectAddsTheFrameOfEachStyle) {
  const FrameCase cases[] = {
      {WS_POPUP, 0, FALSE, {0, 0, 0, 0}},
      {WS_POPUP | WS_BORDER, 0, FALSE, {1, 1, 1, 1}},
      {WS_POPUP | WS_CAPTION, 0, FALSE, {3, 22, 3, 3}},
      {WS_POPUP | WS_CAPTION | WS_THICKFRAME, 0, FALSE, {4, 23, 4, 4}},
      {WS_POPUP | WS_CAPTION, WS_EX_TOOLWINDOW, FALSE, {3, 18, 3, 3}},
      {WS_CHILD, WS_EX_CLIENTEDGE, FALSE, {2, 2, 2, 2}},
      {WS_CHILD | WS_BORDER, WS_EX_CLIENTEDGE, FALSE, {3, 3, 3, 3}},
      {WS_POPUP, WS_EX_DLGMODALFRAME, FALSE, {3, 3, 3, 3}},
      {WS_OVERLAPPEDWINDOW, 0, TRUE, {4, 42, 4, 4}},
      {WS_CHILD | WS_VSCROLL | WS_HSCROLL, 0, FALSE, {0, 0, 16, 16}},
  };
  for (const FrameCase& c : cases) {
    RECT r{100, 100, 200, 200};
    AdjustWindowRectEx(&r, c.style, c.menu, c.exStyle);
    EXPECT_EQ(100 - r.left, c.grow.left) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(100 - r.top, c.grow.top) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(r.right - 200, c.grow.right) << std::hex << c.style << " " << c.exStyle;
    EXPECT_EQ(r.bottom - 200, c.grow.bottom) << std::hex << c.style << " " << c.exStyle;
  }
}

TEST(Geometry, CoordinatesMapThroughNestedClientAreas) {
  HWND top = CreateWindowExA(0, PlainClass(), "", WS_POPUP | WS_BORDER, 100, 50, 300, 200, nullptr, nullptr, nullptr,
                             nullptr);
  HWND child = CreateWindowExA(WS_EX_CLIENTEDGE, PlainClass(), "", WS_CHILD, 10, 20, 100, 80, top, nullptr, nullptr,
                               nullptr);
  HWND inner = CreateWindowExA(0, PlainClass(), "", WS_CHILD, 5, 6, 10, 10, child, nullptr, nullptr, nullptr);
  RECT rect;
  GetWindowRect(inner, &rect);
  // 100 + 1 (border) + 10 + 2 (client edge) + 5
  EXPECT_EQ(rect.left, 118);
  EXPECT_EQ(rect.top, 50 + 1 + 20 + 2 + 6);
  GetClientRect(child, &rect);
  EXPECT_EQ(rect.right, 96);
  EXPECT_EQ(rect.bottom, 76);
  POINT p{0, 0};
  ClientToScreen(inner, &p);
  EXPECT_EQ(p.x, 118);
  ScreenToClient(top, &p);
  EXPECT_EQ(p.x, 17);
  POINT q{1, 1};
  MapWindowPoints(inner, top, &q, 1);
  EXPECT_EQ(q.x, 18);
  EXPECT_EQ(q.y, 1 + 20 + 2 + 6);
  EXPECT_TRUE(IsChild(top, inner));
  EXPECT_FALSE(IsChild(inner, top));
  EXPECT_EQ(GetAncestor(inner, GA_ROOT), top);
  EXPECT_EQ(GetAncestor(top, GA_PARENT), GetDesktopWindow());
  EXPECT_EQ(GetParent(inner), child);
  DestroyWindow(top);
}

TEST(Geometry, ZOrderFollowsCreationAndSetWindowPosAndTopmostStaysAbove) {
  HWND top = CreateWindowExA(0, PlainClass(), "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  HWND a = CreateWindowExA(0, PlainClass(), "a", WS_CHILD, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);
  HWND b = CreateWindowExA(0, PlainClass(), "b", WS_CHILD, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);
  HWND c = CreateWindowExA(0, PlainClass(), "c", WS_CHILD, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);
  auto order = [&] {
    std::string names;
    for (HWND w = GetWindow(top, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
      char text[4];
      GetWindowTextA(w, text, sizeof text);
      names += text;
    }
    return names;
  };
  EXPECT_EQ(order(), "abc");  // children go in below their elder siblings, as dialogs' tab order needs
  SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(order(), "cab");
  SetWindowPos(c, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(order(), "abc");
  SetWindowPos(a, b, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(order(), "bac");
  EXPECT_EQ(GetWindow(a, GW_HWNDPREV), b);
  EXPECT_EQ(FindWindowExA(top, nullptr, nullptr, "c"), c);
  EXPECT_EQ(FindWindowExA(top, c, nullptr, nullptr), nullptr);

  HWND pinned = CreateWindowExA(WS_EX_TOPMOST, PlainClass(), "pinned", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr,
                                nullptr, nullptr);
  HWND later = CreateWindowExA(0, PlainClass(), "later", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(GetWindow(later, GW_HWNDPREV), pinned);  // a new window comes under the topmost ones
  EXPECT_EQ(FindWindowA(nullptr, "later"), later);
  EXPECT_EQ(FindWindowA("plain", "LATER"), later);
  DestroyWindow(later);
  DestroyWindow(pinned);
  DestroyWindow(top);
}

TEST(Geometry, SetParentMovesAWindowUnderAnotherAndKeepsItsPlace) {
  HWND first = CreateWindowExA(0, PlainClass(), "", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
  HWND second = CreateWindowExA(0, PlainClass(), "", WS_POPUP, 300, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
  HWND child = CreateWindowExA(0, PlainClass(), "", WS_CHILD | WS_VISIBLE, 15, 25, 10, 10, first, nullptr, nullptr,
                               nullptr);
  EXPECT_EQ(SetParent(child, second), first);
  EXPECT_EQ(GetParent(child), second);
  RECT rect;
  GetWindowRect(child, &rect);
  EXPECT_EQ(rect.left, 315);
  EXPECT_EQ(rect.top, 25);
  EXPECT_TRUE(IsWindowVisible(child) == IsWindowVisible(second));
  EXPECT_EQ(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE, static_cast<LONG>(WS_VISIBLE));
  EXPECT_EQ(SetParent(second, child), nullptr);  // no window goes under its own descendant
  int children = 0;
  EnumChildWindows(second, [](HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&children));
  EXPECT_EQ(children, 1);
  DestroyWindow(first);
  DestroyWindow(second);
  EXPECT_FALSE(IsWindow(child));
}

TEST(Geometry, MaximizingAndRestoringKeepTheNormalPlace) {
  HWND window = CreateWindowExA(0, PlainClass(), "", WS_OVERLAPPEDWINDOW, 50, 60, 300, 200, nullptr, nullptr, nullptr,
                                nullptr);
  ShowWindow(window, SW_SHOWMAXIMIZED);
  EXPECT_TRUE(IsZoomed(window));
  RECT rect;
  GetClientRect(window, &rect);
  EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(window, &placement);
  EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
  EXPECT_EQ(placement.rcNormalPosition.left, 50);
  ShowWindow(window, SW_RESTORE);
  EXPECT_FALSE(IsZoomed(window));
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, 50);
  EXPECT_EQ(rect.right - rect.left, 300);
  DestroyWindow(window);
}

}  // namespace
