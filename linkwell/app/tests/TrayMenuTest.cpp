// The tray's port sub-menu, the main frame's tray menu and its port choice, and the tray icon's
// tip and animation as the notification area records them.
#include "MainFrame.h"
#include "PortMenu.h"
#include "SystemTray.h"
#include "resource.h"

#include "AppTestSupport.h"

#include <PseudoPort.h>
#include <base/TemporaryHome.h>
#include <kernel/TestClock.h>
#include <registry/WinReg.h>
#include <resources/Resource.h>
#include <shell/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using tolvar::shell::ListTrayIcons;
using tolvar::shell::TrayIcon;

PortList Ports(int count) {
  PortList ports;
  for (int i = 1; i <= count; ++i) {
    const std::string name = "COM" + std::to_string(i);
    ports.push_back({name, name, name});
  }
  return ports;
}

struct MenuEntry {
  UINT id;
  std::string text;
  bool checked;
};

std::vector<MenuEntry> Entries(HMENU menu) {
  std::vector<MenuEntry> entries;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    entries.push_back({GetMenuItemID(menu, i), MenuItemText(menu, static_cast<UINT>(i), MF_BYPOSITION),
                       (state & MF_CHECKED) != 0});
  }
  return entries;
}

TEST(PortMenu, HoldsAtMostFifteenPortsAndChecksTheChosenOneByItsExactName) {
  const struct {
    int ports;
    int entriesBefore;  // what an earlier fill left
    std::string selected;
    std::size_t entries;
    std::string firstText, lastText;
    int checked;  // position, -1 none
  } cases[] = {
      {0, 0, "", 1, "None", "None", -1},
      {0, 5, "COM2", 1, "None", "None", -1},
      {1, 0, "COM1", 1, "COM1", "COM1", 0},
      {1, 20, "", 1, "COM1", "COM1", -1},
      {15, 1, "COM15", 15, "COM1", "COM15", 14},
      {20, 0, "COM1", 15, "COM1", "COM15", 0},
      // The ports past the fifteenth are not offered, so they are not checked either.
      {20, 0, "COM17", 15, "COM1", "COM15", -1},
      // "COM1" is not "COM10"'s choice, nor the other way round.
      {12, 0, "COM10", 12, "COM1", "COM12", 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.ports) + " ports, " + c.selected);
    HMENU menu = CreatePopupMenu();
    FillPortMenu(menu, Ports(c.entriesBefore), "", "None");
    FillPortMenu(menu, Ports(c.ports), c.selected, "None");
    const std::vector<MenuEntry> entries = Entries(menu);
    ASSERT_EQ(entries.size(), c.entries);
    EXPECT_EQ(entries.front().text, c.firstText);
    EXPECT_EQ(entries.back().text, c.lastText);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      EXPECT_EQ(entries[i].id, kPortMenuFirstId + i);
      EXPECT_EQ(entries[i].checked, static_cast<int>(i) == c.checked) << i;
    }
    // The entries never reach the ids of "Find connected phone" and the status line.
    EXPECT_LE(entries.back().id, static_cast<UINT>(ID_PORT_LAST));
    DestroyMenu(menu);
  }
}

class TrayTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tolvar::shell::RegisterTray());
    m_cwd = std::filesystem::current_path();
    std::filesystem::current_path(m_home.Path());  // no programs, no phone list
    setenv("TOLVAR_LINK_PORT", std::to_string(linkwell::testing::FreeLoopbackPort()).c_str(), 1);
  }
  void TearDown() override {
    tolvar::shell::UnregisterTray();
    unsetenv("TOLVAR_LINK_PORT");
    std::filesystem::current_path(m_cwd);
  }
  static TrayIcon OurIcon() {
    const std::vector<TrayIcon> icons = ListTrayIcons();
    return icons.empty() ? TrayIcon{} : icons.back();
  }
  static HICON Icon(UINT id) { return LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(static_cast<WORD>(id))); }
  static DWORD Handle(HICON icon) { return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(icon)); }
  void SetBuild(const char* build) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "Build", 0, REG_SZ, reinterpret_cast<const BYTE*>(build), static_cast<DWORD>(strlen(build) + 1));
    RegCloseKey(key);
  }

  tolvar::testing::TemporaryHome m_home;
  std::filesystem::path m_cwd;
};

TEST_F(TrayTest, TheIconGetsItsTipCutTo63CharactersAndItsMenu) {
  CSystemTray tray;
  const std::string longTip(70, 'x');
  ASSERT_TRUE(tray.Create(nullptr, WM_TRAY_NOTIFY, longTip.c_str(), Icon(137), IDR_MAINFRAME));
  const TrayIcon icon = OurIcon();
  EXPECT_EQ(icon.tip, std::string(63, 'x'));
  EXPECT_EQ(icon.id, static_cast<UINT>(IDR_MAINFRAME));
  EXPECT_EQ(icon.callbackMessage, WM_TRAY_NOTIFY);
  EXPECT_EQ(icon.window, tray.GetSafeHwnd());
  EXPECT_EQ(icon.icon, Handle(Icon(137)));
  ASSERT_NE(tray.Menu().GetSafeHmenu(), nullptr);

  tray.SetTooltipText("Selka-X connected on COM3");
  tray.SetIcon(static_cast<UINT>(138));
  EXPECT_EQ(OurIcon().tip, "Selka-X connected on COM3");
  EXPECT_EQ(OurIcon().icon, Handle(Icon(138)));
}

TEST(SystemTray, WithoutANotificationAreaTheIconIsNotAdded) {
  tolvar::testing::TemporaryHome home;
  CSystemTray tray;
  EXPECT_FALSE(tray.Create(nullptr, WM_TRAY_NOTIFY, "tip", nullptr, IDR_MAINFRAME));
  EXPECT_FALSE(tray.IsEnabled());
  EXPECT_FALSE(tray.SetTooltipText("other"));
}

TEST_F(TrayTest, AnimationsStepThroughTheirIconsOnTheTimerAndGiveTheIconBack) {
  tolvar::kernel::TestClock clock;
  CSystemTray tray;
  ASSERT_TRUE(tray.Create(nullptr, WM_TRAY_NOTIFY, "tip", Icon(137), IDR_MAINFRAME));

  const struct {
    UINT first, last, interval;
  } animations[] = {{130, 133, 50}, {143, 146, 500}};
  for (const auto& a : animations) {
    SCOPED_TRACE(a.first);
    ASSERT_TRUE(tray.SetIconList(a.first, a.last));
    ASSERT_TRUE(tray.Animate(a.interval, 0));
    // Index 0 is not shown at the start: each tick shows the next icon, wrapping after the last.
    const UINT expected[] = {a.first + 1, a.first + 2, a.first + 3, a.first, a.first + 1};
    for (UINT id : expected) {
      clock.Advance(a.interval);
      testing_user::Pump();
      EXPECT_EQ(OurIcon().icon, Handle(Icon(id)));
    }
    tray.StopAnimation();
    EXPECT_FALSE(tray.IsAnimating());
    EXPECT_EQ(OurIcon().icon, Handle(Icon(137)));
  }

  // A second animation while one runs: the first one's remembered icon shows, and is remembered.
  tray.SetIconList(130, 133);
  tray.Animate(50, 0);
  clock.Advance(50);
  testing_user::Pump();
  tray.SetIconList(143, 146);
  tray.Animate(500, 0);
  EXPECT_EQ(OurIcon().icon, Handle(Icon(137)));
  clock.Advance(500);
  testing_user::Pump();
  EXPECT_EQ(OurIcon().icon, Handle(Icon(144)));
  tray.StopAnimation();
  EXPECT_EQ(OurIcon().icon, Handle(Icon(137)));

  // A duration ends the animation by itself once it has passed.
  tray.SetIconList(130, 133);
  tray.Animate(500, 1);
  for (int tick = 0; tick < 6 && tray.IsAnimating(); ++tick) {
    clock.Advance(500);
    testing_user::Pump();
  }
  EXPECT_FALSE(tray.IsAnimating());
  EXPECT_EQ(OurIcon().icon, Handle(Icon(137)));
}

TEST_F(TrayTest, AnEmptyIconListAnimatesNothing) {
  tolvar::kernel::TestClock clock;
  CSystemTray tray;
  ASSERT_TRUE(tray.Create(nullptr, WM_TRAY_NOTIFY, "tip", Icon(138), IDR_MAINFRAME));
  EXPECT_FALSE(tray.SetIconList(133, 130));  // last below first
  EXPECT_EQ(tray.IconCount(), 0u);
  EXPECT_FALSE(tray.SetIconList(130, 135));  // 134 does not exist: nothing is kept
  EXPECT_EQ(tray.IconCount(), 0u);
  EXPECT_FALSE(tray.Animate(50, 0));
  EXPECT_FALSE(tray.IsAnimating());
  EXPECT_FALSE(tray.StepAnimation());
  clock.Advance(200);
  testing_user::Pump();
  EXPECT_EQ(OurIcon().icon, Handle(Icon(138)));
}

TEST_F(TrayTest, TheFramesTrayMenuHasItsEntriesAndChoosesAPortByItsExactName) {
  std::vector<std::unique_ptr<tolvar::comm::testing::PseudoPort>> ports;
  for (int i = 0; i < 11; ++i) ports.push_back(std::make_unique<tolvar::comm::testing::PseudoPort>());
  SetBuild("ZSE_0100");  // no phone setup at start
  auto frame = std::make_unique<CMainFrame>();
  ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, 0xCF8000));
  EXPECT_FALSE(frame->IsWindowVisible());
  HMENU popup = frame->TrayPopup();
  ASSERT_NE(popup, nullptr);

  const struct {
    UINT id;
    const char* text;
  } expected[] = {
      {ID_SHOW_LAUNCHER, "No phone connected."}, {0, ""}, {0, ""}, {ID_CONNECT, "Find connected phone"},
      {ID_PHONE_SETUP, "Phone selection"}, {static_cast<UINT>(-1), "Configure COM port   "}, {0, ""},
      {ID_ABOUT, "About ..."}, {ID_EXIT, "Exit"},
  };
  const std::vector<MenuEntry> entries = Entries(popup);
  ASSERT_EQ(entries.size(), std::size(expected));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].id, expected[i].id) << i;
    EXPECT_EQ(entries[i].text, expected[i].text) << i;
  }
  EXPECT_TRUE(GetMenuState(popup, ID_CONNECT, MF_BYCOMMAND) & MF_DEFAULT);

  HMENU portMenu = GetSubMenu(popup, 5);
  ASSERT_EQ(GetMenuItemCount(portMenu), 11);
  // COM1 and COM10 both begin with "COM1": each choice takes its own port.
  for (const char* port : {"COM1", "COM10", "COM1"}) {
    UINT id = 0;
    for (int i = 0; i < GetMenuItemCount(portMenu); ++i) {
      if (MenuItemText(portMenu, static_cast<UINT>(i), MF_BYPOSITION) == port) id = GetMenuItemID(portMenu, i);
    }
    ASSERT_NE(id, 0u) << port;
    frame->SendMessage(WM_COMMAND, id);
    EXPECT_EQ(frame->Link().SelectedPort().reportPort, port);
    EXPECT_EQ(OurIcon().tip, std::string("Selected ") + port);
    EXPECT_EQ(OurIcon().icon, Handle(Icon(147)));
    EXPECT_EQ(MenuItemText(popup, 0, MF_BYPOSITION), std::string("Selected ") + port);
    EXPECT_TRUE(GetMenuState(portMenu, id, MF_BYCOMMAND) & MF_CHECKED);
  }
  // The checked port chosen again clears the choice.
  const UINT com1 = GetMenuItemID(portMenu, [&] {
    for (int i = 0; i < GetMenuItemCount(portMenu); ++i)
      if (MenuItemText(portMenu, static_cast<UINT>(i), MF_BYPOSITION) == "COM1") return i;
    return -1;
  }());
  frame->SendMessage(WM_COMMAND, com1);
  EXPECT_EQ(frame->Link().SelectedPort().reportPort, "");
  EXPECT_EQ(OurIcon().tip, "No phone connected.");
  EXPECT_EQ(OurIcon().icon, Handle(Icon(137)));
  EXPECT_FALSE(GetMenuState(portMenu, com1, MF_BYCOMMAND) & MF_CHECKED);

  frame->DestroyWindow();
  frame.reset();
  EXPECT_TRUE(ListTrayIcons().empty());
}

}  // namespace
