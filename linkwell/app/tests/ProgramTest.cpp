// The Linkwell program as the suite meets it: started in a home where the simulated phone is
// registered as a COM port, with this test playing the notification area. A client on the link's
// port gets the phone's port and model; the tray's tip and icon follow the search; a second start
// ends silently; "Exit" from the tray menu ends the program and frees the port.
//
// The program is started as the phone-access library starts it, with "Test": a start without it
// would start the launcher, and this test means to run the link service alone.
#include "LinkSettings.h"
#include "resource.h"

#include "AppTestSupport.h"
#include "ProgramProcess.h"
#include "support/LinkHarness.h"

#include <base/TemporaryHome.h>
#include <base/Time.h>
#include <kernel/Module.h>
#include <kernel/Process.h>
#include <kernel/Wait.h>
#include <phonesim/PhoneSimProcess.h>
#include <resources/Resource.h>
#include <shell/Headless.h>
#include <shell/ShellApi.h>
#include <user/Headless.h>
#include <user/User.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using linkwell::testing::Hello;
using linkwell::testing::LinkClient;
using linkwell::testing::StartLinkwell;
using linkwell::testing::WaitUntil;
using linkwell::testing::kStartLimit;
using tolvar::shell::ListTrayIcons;
using tolvar::shell::TrayIcon;

constexpr char kTip[] = "Halvane Communications Service";

std::vector<TrayIcon> IconsOfOthers() {
  std::vector<TrayIcon> icons;
  for (const TrayIcon& icon : ListTrayIcons()) {
    if (icon.processId != GetCurrentProcessId()) icons.push_back(icon);
  }
  return icons;
}

// The pictures of the program's icons as the tray records them: this process shows each one once.
std::map<UINT, std::vector<DWORD>> TrayPictures(std::initializer_list<UINT> ids) {
  std::map<UINT, std::vector<DWORD>> pictures;
  HWND window = CreateWindowExA(0, "Static", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  for (UINT id : ids) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATA_V1_SIZE;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = NIF_ICON;
    data.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(static_cast<WORD>(id)));
    Shell_NotifyIconA(NIM_ADD, &data);
    for (const TrayIcon& icon : ListTrayIcons()) {
      if (icon.processId == GetCurrentProcessId() && icon.id == id) pictures[id] = icon.pixels;
    }
    Shell_NotifyIconA(NIM_DELETE, &data);
  }
  DestroyWindow(window);
  return pictures;
}

bool PortIsFree(unsigned port) {
  LinkClient client(port);
  return !client.Connected();
}

class ProgramTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tolvar::shell::RegisterTray());
    m_port = linkwell::testing::FreeLoopbackPort();
    setenv("TOLVAR_LINK_PORT", std::to_string(m_port).c_str(), 1);
    std::ofstream(m_home.File("Phones.ini")) << "-Selka-X,ZSE_0100\r\n-Tavik-D,ZDE_0100\r\n";
    CSettingsKey().WriteText("Build", "ZSE_0100");  // set up before: no phone setup at start
  }
  void TearDown() override {
    if (m_program) {
      if (WaitForSingleObject(m_program, 0) == WAIT_TIMEOUT) TerminateProcess(m_program, 1);
      CloseHandle(m_program);
    }
    unsetenv("TOLVAR_LINK_PORT");
    tolvar::shell::UnregisterTray();
  }

  tolvar::testing::TemporaryHome m_home;
  phonesim::PhoneSimProcess m_phone;
  unsigned m_port = 0;
  HANDLE m_program = nullptr;
};

TEST_F(ProgramTest, FindsThePhoneShowsItInTheTrayStartsOnceAndExitsFromTheMenu) {
  ASSERT_TRUE(m_phone.Start({.model = "Selka", .home = m_home.Path()})) << m_phone.Error();
  const auto pictures = TrayPictures({130, 131, 132, 133, 137, 138});

  m_program = StartLinkwell("Test", m_home.Path());
  ASSERT_NE(m_program, nullptr);
  ASSERT_TRUE(WaitUntil([] { return IconsOfOthers().size() == 1; })) << "no tray icon";
  const TrayIcon first = IconsOfOthers()[0];
  EXPECT_EQ(first.tip, kTip);
  EXPECT_EQ(first.pixels, pictures.at(137));
  EXPECT_EQ(first.id, static_cast<UINT>(IDR_MAINFRAME));
  ASSERT_TRUE(WaitUntil([&] { return !PortIsFree(m_port); })) << "not listening";

  // The tray while the search runs: every picture it shows, and its tips.
  std::atomic<bool> watching{true};
  std::mutex seenLock;
  std::set<std::vector<DWORD>> seenPictures;
  std::vector<std::string> seenTips;
  std::thread watcher([&] {
    while (watching) {
      for (const TrayIcon& icon : IconsOfOthers()) {
        std::lock_guard lock(seenLock);
        seenPictures.insert(icon.pixels);
        if (seenTips.empty() || seenTips.back() != icon.tip) seenTips.push_back(icon.tip);
      }
      Sleep(2);
    }
  });
  {
    LinkClient client(m_port);
    ASSERT_TRUE(client.Connected());
    EXPECT_EQ(Hello(client), m_phone.ComName() + ",Selka-X");
  }
  const std::string found = "Selka-X connected on " + m_phone.ComName();
  EXPECT_TRUE(WaitUntil([&] {
    std::lock_guard lock(seenLock);
    return !seenTips.empty() && seenTips.back() == found;
  }));
  watching = false;
  watcher.join();
  // The found phone's icon stays once the animation has stopped (a last tick may come before).
  EXPECT_TRUE(WaitUntil([&] {
    const auto icons = IconsOfOthers();
    return !icons.empty() && icons[0].pixels == pictures.at(138);
  })) << "the found phone's icon does not show";
  int searchPictures = 0;
  for (UINT id : {130, 131, 132, 133}) searchPictures += seenPictures.count(pictures.at(id)) ? 1 : 0;
  EXPECT_GE(searchPictures, 2) << "the search animation was not seen";
  EXPECT_EQ(seenTips.back(), found);

  // A second start with "Test" ends at once and leaves everything as it was.
  HANDLE second = StartLinkwell("Test", m_home.Path());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(WaitForSingleObject(second, kStartLimit), WAIT_OBJECT_0);
  CloseHandle(second);
  ASSERT_EQ(IconsOfOthers().size(), 1u);
  EXPECT_EQ(IconsOfOthers()[0].tip, found);
  EXPECT_EQ(WaitForSingleObject(m_program, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  // "Exit" from the tray menu: a right click opens it, the last entry ends the program.
  ASSERT_TRUE(tolvar::shell::ClickTrayIcon(first.window, first.id, WM_RBUTTONDOWN));
  ASSERT_TRUE(WaitUntil([] {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu);
  })) << "no menu";
  tolvar::user::InjectKey(VK_UP, true);
  tolvar::user::InjectKey(VK_UP, false);
  tolvar::user::InjectKey(VK_RETURN, true);
  tolvar::user::InjectKey(VK_RETURN, false);
  ASSERT_EQ(WaitForSingleObject(m_program, kStartLimit), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(m_program, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(PortIsFree(m_port));
  EXPECT_TRUE(IconsOfOthers().empty());
}

}  // namespace
