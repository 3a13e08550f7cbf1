// scripts/run on an X display, with the phone already chosen in its home: the launcher comes up,
// starts the link service, and the link finds the simulated phone for a client. The screen is kept
// as a picture for people.
#include "support/LinkHarness.h"

#include <base/TemporaryHome.h>
#include <framework/Afx.h>
#include <kernel/Kernel.h>
#include <registry/WinReg.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>

namespace {

constexpr DWORD kLimit = 60000;  // guards against a hang, not a timing

template <class Condition>
bool WaitUntil(Condition condition) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > kLimit) return false;
    Sleep(20);
  }
  return true;
}

unsigned FreeLoopbackPort() {
  AfxSocketInit();
  SOCKET probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = inet_addr("127.0.0.1");
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  closesocket(probe);
  return ntohs(address.sin_port);
}

void SetText(LPCSTR name, LPCSTR value) {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  &key, nullptr);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), static_cast<DWORD>(strlen(value) + 1));
  RegCloseKey(key);
}

}  // namespace

TEST(RunScript, StartsTheLauncherWhichStartsTheLinkService) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
  tolvar::testing::TemporaryHome home;
  const unsigned port = FreeLoopbackPort();
  setenv("TOLVAR_LINK_PORT", std::to_string(port).c_str(), 1);
  SetText("Build", "SELKA01");
  SetText("Phone", "Selka-X");

  std::string line = "bash " VZD_SOURCE_ROOT "/scripts/run --bin-dir " VZD_BIN_DIR " --home " + home.Path();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION script{};
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &script));
  CloseHandle(script.hThread);

  HWND frame = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    frame = FindWindowA("VezezudaraFrame", " Dravik");
    return frame && IsWindowVisible(frame);
  })) << "the launcher is not on the screen";
  ASSERT_TRUE(WaitUntil([&] { return linkwell::testing::LinkClient(port).Connected(); }))
      << "the launcher did not start the link service";
  {
    linkwell::testing::LinkClient client(port);
    const std::string result = linkwell::testing::Hello(client, 30000);
    EXPECT_TRUE(std::regex_match(result, std::regex("COM[0-9]+,Selka-X"))) << result;
  }
  Sleep(300);  // let the screen settle (the picture is for people)
  HBITMAP picture = tolvar::user::RenderWindow(frame);
  ASSERT_TRUE(picture);
  testing_user::SavePng(picture, "vezezudara-run");
  DeleteObject(picture);
  if (const char* folder = std::getenv("TEST_PNG_DIR")) {
    const std::string shot = std::string("xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > ") + folder +
                             "/vezezudara-run-screen.png";
    EXPECT_EQ(std::system(shot.c_str()), 0);
  }

  // Ctrl+C ends the script and the whole suite with it.
  std::system(("kill -INT " + std::to_string(script.dwProcessId)).c_str());
  EXPECT_EQ(WaitForSingleObject(script.hProcess, kLimit), WAIT_OBJECT_0);
  CloseHandle(script.hProcess);
  EXPECT_TRUE(WaitUntil([] { return FindWindowA("VezezudaraFrame", nullptr) == nullptr; }));
  EXPECT_TRUE(WaitUntil([&] { return !linkwell::testing::LinkClient(port).Connected(); }));
  unsetenv("TOLVAR_LINK_PORT");
}
