// The system menu: each window's own copy and its revert, Alt+Space and the caption icon opening it,
// and the commands chosen from it (standard or appended by the program) reaching the window as
// WM_SYSCOMMAND. Also radio items in menus.
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <string>

using namespace testing_user;
using tolvar::user::InjectKey;
using tolvar::user::InjectMouse;

namespace {

constexpr UINT kAbout = 0x0010;  // what a program appends: a command below 0xF000

void Key(UINT key) {
  InjectKey(key, true);
  InjectKey(key, false);
}

void AltSpace() {
  InjectKey(VK_MENU, true);
  Key(VK_SPACE);
  InjectKey(VK_MENU, false);
}

std::string EntryText(HMENU menu, UINT id) {
  char text[64] = {};
  GetMenuStringA(menu, id, text, sizeof text, MF_BYCOMMAND);
  return text;
}

class SystemMenu : public ::testing::Test {
protected:
  void SetUp() override {
    m_window = CreateWindowExA(0, RecordingClass(), "Framed", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200, nullptr,
                               nullptr, nullptr, nullptr);
    ASSERT_TRUE(m_window);
    ShowWindow(m_window, SW_SHOW);
    SetForegroundWindow(m_window);
    Pump();
    Recorder::Get().SetParent(nullptr);
    Recorder::Get().Clear();
  }
  void TearDown() override {
    if (IsWindow(m_window)) DestroyWindow(m_window);
    Recorder::Get().Clear();
  }
  HWND m_window = nullptr;
};

TEST_F(SystemMenu, EachWindowHasItsOwnCopyUntilItReverts) {
  HMENU menu = GetSystemMenu(m_window, FALSE);
  ASSERT_TRUE(menu);
  EXPECT_EQ(GetMenuItemCount(menu), 7);
  EXPECT_EQ(EntryText(menu, SC_CLOSE), "&Close\tAlt+F4");
  ASSERT_TRUE(AppendMenuA(menu, MF_STRING, kAbout, "&About"));
  EXPECT_EQ(GetSystemMenu(m_window, FALSE), menu) << "the same copy, with what was appended";
  EXPECT_EQ(GetMenuItemCount(menu), 8);

  HWND other = CreateWindowExA(0, PlainClass(), "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                               nullptr);
  EXPECT_EQ(GetMenuItemCount(GetSystemMenu(other, FALSE)), 7) << "another window's menu is untouched";
  DestroyWindow(other);

  EXPECT_EQ(GetSystemMenu(m_window, TRUE), nullptr);
  EXPECT_FALSE(IsMenu(menu)) << "reverting drops the copy";
  EXPECT_EQ(GetMenuItemCount(GetSystemMenu(m_window, FALSE)), 7);

  // A dialog-like window offers only Move and Close; one without WS_SYSMENU has none.
  HWND dialogLike = CreateWindowExA(WS_EX_DLGMODALFRAME, PlainClass(), "", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0,
                                    200, 100, nullptr, nullptr, nullptr, nullptr);
  HMENU small = GetSystemMenu(dialogLike, FALSE);
  ASSERT_TRUE(small);
  EXPECT_EQ(GetMenuItemCount(small), 2);
  EXPECT_EQ(GetMenuItemID(small, 0), static_cast<UINT>(SC_MOVE));
  EXPECT_EQ(GetMenuItemID(small, 1), static_cast<UINT>(SC_CLOSE));
  DestroyWindow(dialogLike);
  HWND bare = CreateWindowExA(0, PlainClass(), "", WS_POPUP | WS_CAPTION, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                              nullptr);
  EXPECT_EQ(GetSystemMenu(bare, FALSE), nullptr);
  DestroyWindow(bare);
}

TEST_F(SystemMenu, AltSpaceOpensItAndAnAppendedCommandReachesTheWindow) {
  HMENU menu = GetSystemMenu(m_window, FALSE);
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, kAbout, "&About");
  AltSpace();
  Key('A');
  Pump();
  const LPARAM menuParam = reinterpret_cast<LPARAM>(menu);
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_SYSKEYDOWN, kWParam, VK_MENU},
                  {WM_SYSKEYDOWN, kWParam, VK_SPACE},
                  {WM_SYSCHAR, kWParam, ' '},
                  {WM_SYSCOMMAND, kWParam | kLParam, SC_KEYMENU, ' '},
                  {WM_ENTERMENULOOP, kWParam, FALSE},
                  {WM_INITMENU, kWParam, static_cast<WPARAM>(menuParam)},
                  {WM_INITMENUPOPUP, kWParam | kLParam, static_cast<WPARAM>(menuParam), MAKELPARAM(0, TRUE)},
                  {WM_MENUSELECT, kWParam, MAKEWPARAM(kAbout, MF_HILITE | MF_SYSMENU)},
                  {WM_UNINITMENUPOPUP},
                  {WM_MENUSELECT, kWParam, MAKEWPARAM(0, 0xFFFF)},
                  {WM_EXITMENULOOP},
                  {WM_SYSCOMMAND, kWParam, kAbout},
                  {WM_KEYUP, kWParam, 'A'}},  // the key's release comes after the menu closed
                 "Alt+Space, A");
  EXPECT_TRUE(IsWindow(m_window)) << "the default leaves a program's own command alone";
}

TEST_F(SystemMenu, StandardCommandsAreCarriedOutByTheDefault) {
  // Move, by keys: 16 to the right.
  AltSpace();
  Key('M');
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  Key(VK_RETURN);
  Pump();
  RECT r;
  GetWindowRect(m_window, &r);
  EXPECT_EQ(r.left, 116);
  EXPECT_EQ(r.top, 100);
  // Close.
  AltSpace();
  Key('C');
  Pump();
  EXPECT_FALSE(IsWindow(m_window));
}

TEST_F(SystemMenu, AMaximizedWindowsMenuOffersRestoreButNotMoveOrSize) {
  ShowWindow(m_window, SW_MAXIMIZE);
  Pump();
  Recorder::Get().Clear();
  AltSpace();
  Key(VK_ESCAPE);
  Pump();
  HMENU menu = GetSystemMenu(m_window, FALSE);
  auto grayed = [&](WPARAM command) { return (GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) & MF_GRAYED) != 0; };
  EXPECT_FALSE(grayed(SC_RESTORE));
  EXPECT_TRUE(grayed(SC_MOVE));
  EXPECT_TRUE(grayed(SC_SIZE));
  EXPECT_TRUE(grayed(SC_MAXIMIZE));
  EXPECT_FALSE(grayed(SC_MINIMIZE));
  EXPECT_FALSE(grayed(SC_CLOSE));
}

TEST_F(SystemMenu, AClickOnTheCaptionIconOpensIt) {
  RECT frame;
  GetWindowRect(m_window, &frame);
  const POINT icon{frame.left + 4 + 2 + 8, frame.top + 4 + 9};
  EXPECT_EQ(SendMessageA(m_window, WM_NCHITTEST, 0, MAKELPARAM(icon.x, icon.y)), HTSYSMENU);
  InjectMouse(icon, WM_LBUTTONDOWN);
  InjectMouse(icon, WM_LBUTTONUP);
  Key(VK_ESCAPE);
  Pump();
  ExpectSequence(Recorder::Get().Take(),
                 {{WM_NCLBUTTONDOWN, kWParam, HTSYSMENU},
                  {WM_SYSCOMMAND, kWParam, SC_MOUSEMENU + HTSYSMENU},
                  {WM_ENTERMENULOOP},
                  {WM_INITMENU},
                  {WM_INITMENUPOPUP, kLParam, 0, MAKELPARAM(0, TRUE)},
                  {WM_UNINITMENUPOPUP},
                  {WM_MENUSELECT, kWParam, MAKEWPARAM(0, 0xFFFF)},
                  {WM_EXITMENULOOP},
                  {WM_KEYUP, kWParam, VK_ESCAPE}},  // and no WM_CHAR for the Escape the menu took
                 "icon click");

  // A double click on the icon: the first press opens the menu, the second closes it and the window.
  InjectMouse(icon, WM_LBUTTONDOWN);
  InjectMouse(icon, WM_LBUTTONUP);
  InjectMouse(icon, WM_LBUTTONDOWN);
  InjectMouse(icon, WM_LBUTTONUP);
  Pump();
  EXPECT_FALSE(IsWindow(m_window));
}

TEST(MenuRadioItems, OneEntryOfTheRangeIsCheckedAsARadioItem) {
  HMENU menu = CreatePopupMenu();
  for (UINT id = 1; id <= 4; ++id) AppendMenuA(menu, MF_STRING, id, "entry");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  CheckMenuItem(menu, 4, MF_BYCOMMAND | MF_CHECKED);
  auto checked = [&](UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; };
  auto radio = [&](UINT id) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu, id, FALSE, &info);
    return (info.fType & MFT_RADIOCHECK) != 0;
  };
  struct Step {
    UINT first, last, check, flags;
    BOOL result;
    bool expected[4];  // entries 1 to 4 checked afterwards
  };
  const Step steps[] = {
      {1, 3, 2, MF_BYCOMMAND, TRUE, {false, true, false, true}},
      {1, 3, 3, MF_BYCOMMAND, TRUE, {false, false, true, true}},
      {0, 2, 0, MF_BYPOSITION, TRUE, {true, false, false, true}},
      {1, 3, 9, MF_BYCOMMAND, FALSE, {false, false, false, true}},  // no such entry: the range is cleared
      {1, 7, 2, MF_BYCOMMAND, FALSE, {false, false, false, true}},  // the range's end does not exist
  };
  for (const Step& s : steps) {
    EXPECT_EQ(CheckMenuRadioItem(menu, s.first, s.last, s.check, s.flags), s.result) << s.check;
    for (UINT id = 1; id <= 4; ++id) EXPECT_EQ(checked(id), s.expected[id - 1]) << "step " << s.check << " entry " << id;
  }
  CheckMenuRadioItem(menu, 1, 3, 2, MF_BYCOMMAND);
  EXPECT_TRUE(radio(2));
  EXPECT_FALSE(radio(1));
  EXPECT_FALSE(radio(4)) << "outside the range nothing changes";
  DestroyMenu(menu);
}

}  // namespace
