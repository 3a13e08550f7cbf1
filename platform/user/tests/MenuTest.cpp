// Menus: building and changing entries, templates, menu bars, and tracking an owner-drawn pop-up
// menu driven by injected keys and clicks.
#include <user_testing/Recorder.h>

#include <base/LastError.h>
#include <base/WinError.h>
#include <resources/Resource.h>
#include <gtest/gtest.h>

#include <functional>

using namespace testing_user;
using tolvar::user::InjectKey;
using tolvar::user::InjectMouse;

namespace {

TEST(Menus, ATemplateBuildsNestedMenusWithTheirStates) {
  HMENU bar = LoadMenuA(nullptr, MAKEINTRESOURCEA(300));
  ASSERT_TRUE(bar);
  EXPECT_EQ(GetMenuItemCount(bar), 2);
  HMENU file = GetSubMenu(bar, 0);
  ASSERT_TRUE(file);
  EXPECT_EQ(GetMenuItemID(bar, 0), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuItemID(bar, 1), 1006u);
  EXPECT_EQ(GetMenuItemCount(file), 5);
  char text[32];
  EXPECT_EQ(GetMenuStringA(file, 1001, text, sizeof text, MF_BYCOMMAND), 12);
  EXPECT_STREQ(text, "&Open\tCtrl+O");
  EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
  EXPECT_EQ(GetMenuState(bar, 1002, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);  // found in a sub-menu
  EXPECT_EQ(GetMenuState(file, 3, MF_BYPOSITION), (2u << 8) | MF_POPUP);
  EXPECT_EQ(GetMenuState(bar, 1003, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
  EXPECT_EQ(CheckMenuItem(bar, 1003, MF_UNCHECKED), MF_CHECKED);
  EXPECT_EQ(EnableMenuItem(bar, 1002, MF_ENABLED), static_cast<BOOL>(MF_GRAYED));
  EXPECT_EQ(GetMenuState(bar, 9999, MF_BYCOMMAND), static_cast<UINT>(-1));
  HMENU more = GetSubMenu(file, 3);
  EXPECT_TRUE(DestroyMenu(bar));
  EXPECT_FALSE(IsMenu(more));  // sub-menus go with their menu
}

TEST(Menus, EntriesAreAppendedInsertedModifiedAndRemoved) {
  HMENU menu = CreatePopupMenu();
  HMENU sub = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 1, "One");
  AppendMenuA(menu, MF_STRING, 3, "Three");
  InsertMenuA(menu, 3, MF_BYCOMMAND | MF_STRING, 2, "Two");
  InsertMenuA(menu, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Sub");
  AppendMenuA(sub, MF_OWNERDRAW, 7, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(0xABCD)));
  ASSERT_EQ(GetMenuItemCount(menu), 4);
  EXPECT_EQ(GetMenuItemID(menu, 2), 2u);
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_DATA | MIIM_FTYPE | MIIM_ID;
  ASSERT_TRUE(GetMenuItemInfoA(menu, 7, FALSE, &info));
  EXPECT_EQ(info.dwItemData, 0xABCDu);
  EXPECT_EQ(info.fType, MFT_OWNERDRAW);
  info.fMask = MIIM_SUBMENU | MIIM_ID;
  GetMenuItemInfoA(menu, 0, TRUE, &info);
  EXPECT_EQ(info.hSubMenu, sub);
  EXPECT_EQ(info.wID, static_cast<UINT>(reinterpret_cast<UINT_PTR>(sub)));  // a sub-menu entry's id is its handle
  EXPECT_TRUE(ModifyMenuA(menu, 2, MF_BYCOMMAND | MF_STRING, 22, "Twenty-two"));
  char text[32];
  GetMenuStringA(menu, 2, text, sizeof text, MF_BYPOSITION);
  EXPECT_STREQ(text, "Twenty-two");
  MENUITEMINFOA change{};
  change.cbSize = sizeof change;
  change.fMask = MIIM_STRING | MIIM_STATE;
  change.dwTypeData = const_cast<LPSTR>("Uno");
  change.fState = MFS_CHECKED;
  EXPECT_TRUE(SetMenuItemInfoA(menu, 1, FALSE, &change));
  EXPECT_EQ(GetMenuState(menu, 1, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
  EXPECT_TRUE(SetMenuDefaultItem(menu, 3, FALSE));
  EXPECT_EQ(GetMenuState(menu, 3, MF_BYCOMMAND) & MF_DEFAULT, MF_DEFAULT);
  EXPECT_TRUE(RemoveMenu(menu, 0, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(sub));  // removed, not destroyed
  InsertMenuA(menu, 0, MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Sub");
  EXPECT_TRUE(DeleteMenu(menu, 0, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(sub));
  SetLastError(0);
  EXPECT_FALSE(DeleteMenu(menu, 99, MF_BYCOMMAND));
  EXPECT_EQ(GetLastError(), ERROR_MENU_ITEM_NOT_FOUND);
  DestroyMenu(menu);
  EXPECT_EQ(GetMenuItemCount(menu), -1);
}

TEST(Menus, AMenuBarTakesItsRowFromTheClientAreaAndIsHitAsSuch) {
  HWND window = CreateWindowExA(0, PlainClass(), "Bar", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
  RECT before;
  GetClientRect(window, &before);
  HMENU bar = LoadMenuA(nullptr, MAKEINTRESOURCEA(300));
  ASSERT_TRUE(SetMenu(window, bar));
  EXPECT_EQ(GetMenu(window), bar);
  RECT after;
  GetClientRect(window, &after);
  EXPECT_EQ(before.bottom - after.bottom, GetSystemMetrics(SM_CYMENU));
  RECT frame;
  GetWindowRect(window, &frame);
  LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(frame.left + 20, frame.top + 4 + 19 + 5));
  EXPECT_EQ(hit, HTMENU);
  Pump();
  HBITMAP image = tolvar::user::RenderWindow(window);
  SavePng(image, "menu-bar");
  EXPECT_EQ(PixelAt(image, 200, 4 + 19 + 5), GetSysColor(COLOR_MENU));
  DeleteObject(image);
  DestroyWindow(window);
  EXPECT_FALSE(IsMenu(bar));  // destroyed with its window
}

// The owner of the tracked menus: measures and draws owner-drawn entries, answers WM_MENUCHAR, and
// runs the steps of a scripted user from a timer while the menu is tracked.
struct Script {
  std::vector<std::function<void()>> steps;
  std::size_t next = 0;
  HBITMAP picture = nullptr;
};
Script g_script;

LRESULT OwnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      Recorder::Get().Add(window, message, measure->itemID, static_cast<LPARAM>(measure->itemData));
      measure->itemWidth = 100;
      measure->itemHeight = measure->itemID == 0 ? 6 : 20;
      return TRUE;
    }
    case WM_DRAWITEM: {
      auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      Recorder::Get().Add(window, message, draw->itemID, static_cast<LPARAM>(draw->itemState));
      HBRUSH brush = CreateSolidBrush((draw->itemState & ODS_SELECTED) ? RGB(255, 0, 0) : RGB(0, 0, 255));
      FillRect(draw->hDC, &draw->rcItem, brush);
      DeleteObject(brush);
      return TRUE;
    }
    case WM_MENUCHAR:
      Recorder::Get().Add(window, message, wParam, lParam);
      return LOWORD(wParam) == 'z' ? MAKELONG(2, MNC_EXECUTE) : 0;
    case WM_ENTERMENULOOP: case WM_EXITMENULOOP: case WM_INITMENU: case WM_INITMENUPOPUP: case WM_MENUSELECT:
    case WM_UNINITMENUPOPUP: case WM_COMMAND:
      Recorder::Get().Add(window, message, wParam, lParam);
      return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

void Step(HWND, UINT, UINT_PTR, DWORD) {
  if (g_script.next < g_script.steps.size()) g_script.steps[g_script.next++]();
}

class TrackedMenu : public ::testing::Test {
protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.lpszClassName = "MenuOwner";
    RegisterClassA(&wc);
    m_owner = CreateWindowExA(0, "MenuOwner", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                              nullptr);
    SetFocus(m_owner);
    Pump();
    m_sub = CreatePopupMenu();
    AppendMenuA(m_sub, MF_STRING, 21, "&Inner");
    m_menu = CreatePopupMenu();
    AppendMenuA(m_menu, MF_OWNERDRAW, 11, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(0x1111)));
    AppendMenuA(m_menu, MF_OWNERDRAW | MF_SEPARATOR, 0, nullptr);
    AppendMenuA(m_menu, MF_OWNERDRAW, 12, reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(0x2222)));
    AppendMenuA(m_menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(m_sub), "&More");
    g_script = {};
    Recorder::Get().Clear();
  }
  void TearDown() override {
    DestroyMenu(m_menu);
    DestroyWindow(m_owner);
    InjectMouse({900, 700}, WM_MOUSEMOVE);
    Pump();
    if (g_script.picture) DeleteObject(g_script.picture);
    Recorder::Get().Clear();
  }
  UINT Track(std::vector<std::function<void()>> steps, UINT flags = TPM_RETURNCMD, POINT at = {200, 150}) {
    g_script.steps = std::move(steps);
    g_script.next = 0;
    SetTimer(m_owner, 1, 15, Step);
    UINT result = static_cast<UINT>(TrackPopupMenu(m_menu, flags, at.x, at.y, 0, m_owner, nullptr));
    KillTimer(m_owner, 1);
    return result;
  }
  static std::function<void()> Key(UINT key) {
    return [key] {
      InjectKey(key, true);
      InjectKey(key, false);
    };
  }
  // A click on the entry of the pop-up opened last (the topmost) at `y` below its client area's top.
  static std::function<void()> Click(int y) {
    return [y] {
      HWND popup = FindWindowA("#32768", nullptr);
      POINT p{10, y};
      ClientToScreen(popup, &p);
      InjectMouse(p, WM_MOUSEMOVE);
      InjectMouse(p, WM_LBUTTONDOWN);
      InjectMouse(p, WM_LBUTTONUP);
    };
  }
  HWND m_owner = nullptr;
  HMENU m_menu = nullptr;
  HMENU m_sub = nullptr;
};

TEST_F(TrackedMenu, KeysMoveOverSeparatorsAndEnterChoosesWithTheOwnerToldAllAlong) {
  UINT chosen = Track({Key(VK_DOWN), Key(VK_DOWN), Key(VK_RETURN)});
  EXPECT_EQ(chosen, 12u);
  auto got = Recorder::Get().Take();
  ExpectSequence(got,
                 {{WM_ENTERMENULOOP, kWParam, TRUE},
                  {WM_INITMENU, kWParam, reinterpret_cast<WPARAM>(m_menu)},
                  {WM_INITMENUPOPUP, kWParam, reinterpret_cast<WPARAM>(m_menu)},
                  {WM_MEASUREITEM, kWParam | kLParam, 11, 0x1111},
                  {WM_MEASUREITEM, kWParam, 0},
                  {WM_MEASUREITEM, kWParam | kLParam, 12, 0x2222},
                  {WM_DRAWITEM, kWParam | kLParam, 11, 0},
                  {WM_DRAWITEM, kWParam, 0},
                  {WM_DRAWITEM, kWParam | kLParam, 12, 0},
                  {WM_DRAWITEM, kWParam | kLParam, 11, ODS_SELECTED},
                  {WM_MENUSELECT, kWParam, MAKEWPARAM(11, MF_OWNERDRAW | MF_HILITE)},
                  {WM_DRAWITEM, kWParam | kLParam, 11, 0},
                  {WM_DRAWITEM, kWParam | kLParam, 12, ODS_SELECTED},
                  {WM_MENUSELECT, kWParam, MAKEWPARAM(12, MF_OWNERDRAW | MF_HILITE)},
                  {WM_UNINITMENUPOPUP, kWParam, reinterpret_cast<WPARAM>(m_menu)},
                  {WM_MENUSELECT, kWParam | kLParam, MAKEWPARAM(0, 0xFFFF), 0},
                  {WM_EXITMENULOOP, kWParam, TRUE}},
                 "keys");
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, m_owner, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));  // returned, not posted
}

// A menu that does not fit right of its point or below it opens left of it or above it, as a tray
// icon's menu at the screen's bottom right grows up and left from the icon.
TEST_F(TrackedMenu, AMenuThatDoesNotFitAtItsPointOpensLeftOfItOrAboveIt) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  struct Case {
    const char* what;
    POINT at;
    bool left, above;
  };
  const Case cases[] = {{"room right and below", {200, 150}, false, false},
                        {"at the right edge", {width - 5, 150}, true, false},
                        {"at the bottom", {200, height - 5}, false, true},
                        {"at the bottom right corner", {width - 5, height - 5}, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RECT rect{};
    Track({[&] { GetWindowRect(FindWindowA("#32768", nullptr), &rect); }, Key(VK_ESCAPE)}, TPM_RETURNCMD, c.at);
    EXPECT_EQ(c.left ? rect.right : rect.left, c.at.x);
    EXPECT_EQ(c.above ? rect.bottom : rect.top, c.at.y);
  }
}

TEST_F(TrackedMenu, AClickChoosesAndPostsTheCommandAndTheOwnerDrawsTheEntries) {
  const int secondEntry = 20 + 6 + 5;
  UINT result = Track({[] {
                         HWND popup = FindWindowA("#32768", nullptr);
                         g_script.picture = tolvar::user::RenderWindow(popup);
                       },
                       Click(secondEntry)},
                      0);
  EXPECT_TRUE(result);
  ASSERT_TRUE(g_script.picture);
  SavePng(g_script.picture, "owner-drawn-menu");
  EXPECT_EQ(PixelAt(g_script.picture, 10, 3 + 5), RGB(0, 0, 255));     // the first entry, drawn by the owner
  EXPECT_EQ(PixelAt(g_script.picture, 3, 3 + 20 + 6 + 5), RGB(0, 0, 255));
  EXPECT_EQ(PixelAt(g_script.picture, 1, 5), GetSysColor(COLOR_3DHIGHLIGHT));  // the pop-up's raised frame
  // The entries are a check mark's width wider than the owner measured them: owners count on that
  // margin after their widest text, which otherwise touches the menu's right border.
  BITMAP shot{};
  GetObjectA(g_script.picture, sizeof shot, &shot);
  int drawn = 0;
  for (int x = 0; x < shot.bmWidth; ++x) drawn += PixelAt(g_script.picture, x, 3 + 5) == RGB(0, 0, 255);
  EXPECT_EQ(drawn, 100 + GetSystemMetrics(SM_CXMENUCHECK) - 1);
  Pump();
  bool commanded = false;
  for (const Recorded& r : Recorder::Get().Take()) {
    if (r.message == WM_COMMAND) commanded = r.wParam == 12;
  }
  EXPECT_TRUE(commanded);
}

// The owner draws an owner-drawn entry whole; when the entry opens a sub-menu, the menu adds the
// arrow over the owner's drawing, in the menu's text colour and only where the glyph is. A plain
// entry's arrow sits on the menu's colour the same way.
TEST_F(TrackedMenu, EntriesThatOpenASubMenuGetTheirArrowOverTheirOwnBackground) {
  HMENU other = CreatePopupMenu();
  AppendMenuA(other, MF_STRING, 22, "Other");
  ModifyMenuA(m_menu, 2, MF_BYPOSITION | MF_OWNERDRAW | MF_POPUP, reinterpret_cast<UINT_PTR>(other),
              reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(0x2222)));
  RECT client{};
  POINT origin{};
  EXPECT_EQ(Track({[&] {
                     HWND popup = FindWindowA("#32768", nullptr);
                     g_script.picture = tolvar::user::RenderWindow(popup);
                     GetClientRect(popup, &client);
                     RECT frame{};
                     GetWindowRect(popup, &frame);
                     ClientToScreen(popup, &origin);
                     origin = {origin.x - frame.left, origin.y - frame.top};
                   },
                   Key(VK_ESCAPE)}),
            0u);
  ASSERT_TRUE(g_script.picture);
  SavePng(g_script.picture, "menu-sub-menu-arrows");
  // The arrow sits in the last 16 pixels of an entry: count its pixels there, entry by entry.
  auto count = [&](int top, int bottom, COLORREF colour) {
    int n = 0;
    for (int y = origin.y + top; y < origin.y + bottom; ++y)
      for (int x = origin.x + client.right - 16; x < origin.x + client.right; ++x)
        n += PixelAt(g_script.picture, x, y) == colour;
    return n;
  };
  const struct {
    const char* name;
    int top, bottom;
    COLORREF background;
    bool arrow;
  } entries[] = {{"owner-drawn entry", 0, 20, RGB(0, 0, 255), false},
                 {"owner-drawn entry with a sub-menu", 26, 46, RGB(0, 0, 255), true},
                 {"plain entry with a sub-menu", 46, static_cast<int>(client.bottom), GetSysColor(COLOR_MENU), true}};
  for (const auto& e : entries) {
    const int ink = count(e.top, e.bottom, GetSysColor(COLOR_MENUTEXT));
    EXPECT_EQ(ink > 0, e.arrow) << e.name;
    // Around the glyph the entry's background stays: no box is drawn behind the arrow.
    EXPECT_EQ(count(e.top, e.bottom, e.background) + ink, 16 * (e.bottom - e.top)) << e.name;
  }
}

TEST_F(TrackedMenu, SubMenusOpenOnTheWayAndLettersFindMnemonicsOrAskTheOwner) {
  EXPECT_EQ(Track({Click(20 + 6 + 20 + 5), Click(5)}), 21u);
  auto got = Recorder::Get().Take();
  bool openedSub = false;
  for (const Recorded& r : got) openedSub |= r.message == WM_INITMENUPOPUP && r.wParam == reinterpret_cast<WPARAM>(m_sub);
  EXPECT_TRUE(openedSub);
  EXPECT_EQ(Track({Key('M'), Key('I')}), 21u);   // "&More", then "&Inner"
  Recorder::Get().Take();
  EXPECT_EQ(Track({Key('Z')}), 12u);              // no entry has it: the owner names the third
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_ENTERMENULOOP}, {WM_INITMENU}, {WM_INITMENUPOPUP}, {WM_MEASUREITEM}, {WM_MEASUREITEM},
                  {WM_MEASUREITEM}, {WM_DRAWITEM}, {WM_DRAWITEM}, {WM_DRAWITEM},
                  {WM_MENUCHAR, kWParam | kLParam, MAKEWPARAM('z', MF_POPUP), reinterpret_cast<LPARAM>(m_menu)},
                  {WM_DRAWITEM}, {WM_MENUSELECT}, {WM_UNINITMENUPOPUP}, {WM_MENUSELECT}, {WM_EXITMENULOOP}},
                 "menu char");
  EXPECT_EQ(Track({[] {
                     InjectMouse({5, 5}, WM_LBUTTONDOWN);
                     InjectMouse({5, 5}, WM_LBUTTONUP);
                   }}),
            0u);  // a click beside the menu cancels it
  EXPECT_EQ(Track({Key(VK_ESCAPE)}), 0u);
  EXPECT_EQ(FindWindowA("#32768", nullptr), nullptr);
}

}  // namespace

namespace {

TEST(MenuBar, AClickOrAltAndALetterDropsAnEntryWhoseChoiceBecomesACommand) {
  HWND window = CreateWindowExA(0, RecordingClass(), "Bar", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
  HMENU bar = LoadMenuA(nullptr, MAKEINTRESOURCEA(300));
  SetMenu(window, bar);
  Pump();
  RECT frame;
  GetWindowRect(window, &frame);
  const POINT file{frame.left + 12, frame.top + 4 + 19 + 8};
  g_script = {};
  g_script.steps = {[] {
    HWND popup = FindWindowA("#32768", nullptr);
    POINT p{30, 5};  // "&Open"
    ClientToScreen(popup, &p);
    InjectMouse(p, WM_MOUSEMOVE);
    InjectMouse(p, WM_LBUTTONDOWN);
    InjectMouse(p, WM_LBUTTONUP);
  }};
  SetTimer(window, 1, 15, Step);
  Recorder::Get().Clear();
  InjectMouse(file, WM_LBUTTONDOWN);
  InjectMouse(file, WM_LBUTTONUP);
  Pump();
  auto got = Recorder::Get().Take();
  std::erase_if(got, [](const Recorded& r) {
    return r.message != WM_ENTERMENULOOP && r.message != WM_INITMENU && r.message != WM_INITMENUPOPUP &&
           r.message != WM_COMMAND && r.message != WM_EXITMENULOOP;
  });
  ExpectSequence(got,
                 {{WM_ENTERMENULOOP, kWParam, FALSE},
                  {WM_INITMENU, kWParam, reinterpret_cast<WPARAM>(bar)},
                  {WM_INITMENUPOPUP, kWParam, reinterpret_cast<WPARAM>(GetSubMenu(bar, 0))},
                  {WM_EXITMENULOOP, kWParam, FALSE},
                  {WM_COMMAND, kWParam, 1001}},
                 "click");
  g_script = {};
  g_script.steps = {[] {
    tolvar::user::InjectKey('O', true);
    tolvar::user::InjectKey('O', false);
  }};
  tolvar::user::InjectKey(VK_MENU, true);
  tolvar::user::InjectKey('F', true);
  tolvar::user::InjectKey('F', false);
  tolvar::user::InjectKey(VK_MENU, false);
  Pump();
  bool commanded = false;
  for (const Recorded& r : Recorder::Get().Take()) commanded |= r.message == WM_COMMAND && r.wParam == 1001;
  EXPECT_TRUE(commanded);
  KillTimer(window, 1);
  DestroyWindow(window);
}

}  // namespace
