// scripts/run on an X display: it starts the simulated phone and the link service in a demo home;
// the link finds the phone for a client, and the screen shows the phone setup of a first start.
#include "AppTestSupport.h"
#include "LinkSettings.h"
#include "support/LinkHarness.h"

#include <base/TemporaryHome.h>
#include <base/Time.h>
#include <kernel/Process.h>
#include <kernel/Wait.h>
#include <user/User.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using linkwell::testing::Hello;
using linkwell::testing::LinkClient;

constexpr DWORD kLimit = 60000;  // guards against a hang, not a timing

// "COM<digits>,<model>": the port and the model the link's hello names.
bool NamesPortAndModel(const std::string& hello, const std::string& model) {
  const std::string suffix = "," + model;
  if (!hello.starts_with("COM") || !hello.ends_with(suffix)) return false;
  const std::string digits = hello.substr(3, hello.size() - 3 - suffix.size());
  return !digits.empty() && digits.find_first_not_of("0123456789") == std::string::npos;
}

// One home for the whole process: this process's window station is the home it first used, and it
// must see the windows of every suite the tests start (also when they run repeated).
tolvar::testing::TemporaryHome& Home() {
  static tolvar::testing::TemporaryHome home;
  return home;
}

template <class Condition>
bool WaitUntil(Condition condition) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > kLimit) return false;
    Sleep(20);
  }
  return true;
}

TEST(RunScript, StartsThePhoneAndTheLinkServiceOnTheDisplay) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
  auto& home = Home();
  {
    // A first start: no phone chosen yet.
    CSettingsKey settings;
    settings.DeleteValue("Build");
    settings.DeleteValue("Phone");
  }
  const unsigned port = linkwell::testing::FreeLoopbackPort();
  setenv("TOLVAR_LINK_PORT", std::to_string(port).c_str(), 1);

  std::string line = "bash " LINKWELL_SOURCE_ROOT "/scripts/run --bin-dir " LINKWELL_BIN_DIR " --home " + home.Path();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION script{};
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &script));
  CloseHandle(script.hThread);

  // The first start asks for the phone: the setup dialog is on the screen.
  EXPECT_TRUE(WaitUntil([] {
    HWND setup = FindWindowA(nullptr, "Phone selection");
    return setup && IsWindowVisible(setup);
  }));
  ASSERT_TRUE(WaitUntil([&] { return LinkClient(port).Connected(); })) << "the link service does not listen";
  {
    LinkClient client(port);
    const std::string result = Hello(client, 30000);
    EXPECT_TRUE(NamesPortAndModel(result, "Selka-X")) << result;
  }
  Sleep(300);  // let the screen settle after the search's message box went (the picture is for people)
  if (const char* folder = std::getenv("TEST_PNG_DIR")) {
    const std::string shot = std::string("xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > ") + folder +
                             "/linkwell-run-screen.png";
    EXPECT_EQ(std::system(shot.c_str()), 0);
  }

  // Ctrl+C ends the script, and the phone and the link service with it.
  std::system(("kill -INT " + std::to_string(script.dwProcessId)).c_str());
  EXPECT_EQ(WaitForSingleObject(script.hProcess, kLimit), WAIT_OBJECT_0);
  CloseHandle(script.hProcess);
  EXPECT_TRUE(WaitUntil([&] { return !LinkClient(port).Connected(); }));
  unsetenv("TOLVAR_LINK_PORT");
}

// What a shell command prints, and how it ended.
std::pair<std::string, int> Output(const std::string& command) {
  std::string text;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {text, -1};
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
  return {text, pclose(pipe)};
}

// Live processes of this home (by their environment) that run the given program.
int CountInHome(const std::string& program, const std::string& home) {
  namespace fs = std::filesystem;
  const std::string mark = "TOLVAR_HOME=" + home;
  int count = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    std::string comm;
    std::getline(std::ifstream(entry.path() / "comm"), comm);
    if (comm != program) continue;
    std::ifstream environ(entry.path() / "environ", std::ios::binary);
    std::string variable;
    while (std::getline(environ, variable, '\0')) {
      if (variable == mark) {
        ++count;
        break;
      }
    }
  }
  return count;
}

TEST(RunScript, ASecondStartInTheSameHomeShowsTheRunningSuiteAndStartsNoSecondPhone) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
  auto& home = Home();
  {
    // A phone chosen before: the suite comes up with its launcher.
    CSettingsKey settings;
    settings.WriteText("Phone", "Selka-X");
    settings.WriteText("Build", "ZSE_0100");
  }
  const unsigned port = linkwell::testing::FreeLoopbackPort();
  setenv("TOLVAR_LINK_PORT", std::to_string(port).c_str(), 1);
  const std::string run = "bash " LINKWELL_SOURCE_ROOT "/scripts/run --bin-dir " LINKWELL_BIN_DIR " --home " + home.Path();
  std::string line = run;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION script{};
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &script));
  CloseHandle(script.hThread);
  auto launcher = [] { return FindWindowA(nullptr, " Dravik"); };
  ASSERT_TRUE(WaitUntil([&] { return launcher() && IsWindowVisible(launcher()); })) << "no launcher window";
  HWND first = launcher();
  // The launcher's own start of the link service (a second instance, which shows the launcher and
  // ends) is over before the test minimises it.
  ASSERT_TRUE(WaitUntil([&] { return CountInHome("Linkwell", home.Path()) == 1; }));
  ShowWindow(first, SW_MINIMIZE);
  EXPECT_TRUE(WaitUntil([&] { return IsIconic(first) != FALSE; }));

  const auto [said, status] = Output(run + " 2>&1");
  EXPECT_EQ(status, 0);
  EXPECT_NE(said.find("already runs in this home"), std::string::npos) << said;
  EXPECT_EQ(said.find("Simulated phone"), std::string::npos) << said;
  // The first launcher is shown again; no second one, no second phone.
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(first); }));
  EXPECT_EQ(launcher(), first);
  EXPECT_EQ(CountInHome("phonesim", home.Path()), 1);
  EXPECT_EQ(WaitForSingleObject(script.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the first suite ended";

  // Closing the launcher leaves the link service (and so the script and its phone) running; a
  // further start opens the launcher again.
  PostMessageA(first, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(first); })) << "the launcher did not close";
  EXPECT_TRUE(LinkClient(port).Connected()) << "the link service ended with the launcher";
  EXPECT_EQ(WaitForSingleObject(script.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the script ended";
  EXPECT_EQ(Output(run + " 2>&1").second, 0);
  EXPECT_TRUE(WaitUntil([&] { return launcher() && IsWindowVisible(launcher()); })) << "no launcher again";
  EXPECT_EQ(CountInHome("phonesim", home.Path()), 1);
  ASSERT_TRUE(WaitUntil([&] { return CountInHome("Linkwell", home.Path()) == 1; }));

  // Ctrl+C to the first script ends the whole suite, the launcher the second start opened too.
  std::system(("kill -INT " + std::to_string(script.dwProcessId)).c_str());
  EXPECT_EQ(WaitForSingleObject(script.hProcess, kLimit), WAIT_OBJECT_0);
  CloseHandle(script.hProcess);
  EXPECT_TRUE(WaitUntil([&] { return !LinkClient(port).Connected(); }));
  EXPECT_TRUE(WaitUntil([&] {
    return CountInHome("Linkwell", home.Path()) + CountInHome("Vezezudara", home.Path()) +
               CountInHome("phonesim", home.Path()) == 0;
  })) << "a program of the suite outlived it";
  unsetenv("TOLVAR_LINK_PORT");
}

}  // namespace
