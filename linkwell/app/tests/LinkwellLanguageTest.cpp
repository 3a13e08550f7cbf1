// The link service in a test language: its tray menu, including the port sub-menu's entry, which the
// frame finds again by its text whenever it refills the ports (a test program of its own: texts are
// cached for the run).
#include "MainFrame.h"
#include "PortMenu.h"
#include "resource.h"

#include "AppTestSupport.h"

#include <MarkedLanguage.h>
#include <PseudoPort.h>
#include <base/TemporaryHome.h>
#include <registry/WinReg.h>
#include <shell/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

using kit_testing::Marked;

TEST(LinkwellLanguage, TheTrayMenuComesInTheChosenLanguageAndItsPortsStillChange) {
  tolvar::testing::TemporaryHome home;
  ASSERT_TRUE(tolvar::shell::RegisterTray());
  setenv("TOLVAR_LINK_PORT", std::to_string(linkwell::testing::FreeLoopbackPort()).c_str(), 1);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const char build[] = "ZSE_0100";  // a phone chosen: no phone setup at start
  RegSetValueExA(key, "Build", 0, REG_SZ, reinterpret_cast<const BYTE*>(build), sizeof build);
  RegCloseKey(key);
  tolvar::comm::testing::PseudoPort port;
  {
    kit_testing::MarkedLanguage language("Linkwell");  // its folder holds no programs and no phone list
    auto frame = std::make_unique<CMainFrame>();
    ASSERT_TRUE(frame->LoadFrame(IDR_MAINFRAME, 0xCF8000));
    HMENU popup = frame->TrayPopup();
    ASSERT_NE(popup, nullptr);
    HMENU ports = nullptr;
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
      const std::string text = MenuItemText(popup, static_cast<UINT>(i), MF_BYPOSITION);
      if (GetSubMenu(popup, i)) ports = GetSubMenu(popup, i);
      EXPECT_TRUE(text.empty() || Marked(text)) << i << ": " << text;
    }
    ASSERT_NE(ports, nullptr);
    ASSERT_EQ(GetMenuItemCount(ports), 1);

    // Choosing the port refills the sub-menu, found by its text in the language.
    const std::string name = MenuItemText(ports, 0, MF_BYPOSITION);
    ASSERT_FALSE(Marked(name)) << "the port's name is no text of the program";
    frame->SendMessage(WM_COMMAND, GetMenuItemID(ports, 0));
    EXPECT_EQ(frame->Link().SelectedPort().reportPort, name);
    EXPECT_TRUE(GetMenuState(ports, GetMenuItemID(ports, 0), MF_BYCOMMAND) & MF_CHECKED)
        << "the port sub-menu was not found again";
    EXPECT_TRUE(Marked(MenuItemText(popup, 0, MF_BYPOSITION))) << MenuItemText(popup, 0, MF_BYPOSITION);
    frame->DestroyWindow();
  }
  tolvar::shell::UnregisterTray();
  unsetenv("TOLVAR_LINK_PORT");
}

}  // namespace
