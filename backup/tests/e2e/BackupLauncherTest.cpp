// Backup inside the launcher, each in its own process: the launcher lists Backup by its version
// record and hosts its dialog; the About box opens from the system menu's command; a close of the
// suite while Backup is idle ends the launcher and leaves no Backup process behind.
#include <LauncherProtocol.h>

#include <framework/Afx.h>
#include <kernel/Kernel.h>
#include <registry/WinReg.h>
#include <user/Headless.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace fs = std::filesystem;
using namespace testing_user;

namespace {

// Waits for `done`, looking every 20 ms; false after 20 s.
bool WaitFor(const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > 20000) return false;
    Sleep(20);
  }
  return true;
}

// Whether the process runs (a process that ended but was not yet collected does not).
bool ProcessRuns(DWORD processId) {
  std::ifstream stat("/proc/" + std::to_string(processId) + "/stat");
  std::string pid, name, state;
  if (!(stat >> pid >> name >> state)) return false;
  return state != "Z" && state != "X";
}

HWND FindByText(HWND parent, const char* text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char found[64] = {};
    GetWindowTextA(child, found, sizeof found);
    if (std::string(found) == text) return child;
    if (HWND deeper = FindByText(child, text)) return deeper;
  }
  return nullptr;
}

class BackupInLauncher : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string pattern = (fs::temp_directory_path() / "backup-e2e-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    s_home = pattern;
    setenv("TOLVAR_HOME", s_home.c_str(), 1);
    // The programs are copied into a folder of their own; the libraries stay where they were built.
    const char* libraries = std::getenv("LD_LIBRARY_PATH");
    setenv("LD_LIBRARY_PATH", (std::string(BCK_BIN_DIR) + (libraries ? std::string(":") + libraries : "")).c_str(), 1);
    s_install = s_home + "/install";
    fs::create_directories(s_install);
    fs::copy_file(std::string(BCK_BIN_DIR) + "/Vezezudara", s_install + "/Vezezudara");
    fs::copy_file(std::string(BCK_BIN_DIR) + "/Backup", s_install + "/Backup");
    fs::copy_file(std::string(BCK_TEST_PROGRAMS) + "/vzd_link_stub", s_install + "/Linkwell");
    HKEY opened = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &opened, nullptr);
    const char build[] = "ZD";
    RegSetValueExA(opened, "Build", 0, REG_SZ, reinterpret_cast<const BYTE*>(build), sizeof build);
    RegSetValueExA(opened, "Phone", 0, REG_SZ, reinterpret_cast<const BYTE*>("Model 7"), 8);
    RegCloseKey(opened);
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(s_home, ignored);
  }
  void TearDown() override {
    // A Backup left running would hold the test's output open.
    if (m_backupProcessId && ProcessRuns(m_backupProcessId)) kill(static_cast<pid_t>(m_backupProcessId), SIGKILL);
    if (m_launcher.hProcess) {
      if (WaitForSingleObject(m_launcher.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_launcher.hProcess, 9);
      CloseHandle(m_launcher.hProcess);
      CloseHandle(m_launcher.hThread);
    }
    // The launcher's link service and any the phone library started.
    WaitFor([] {
      HWND stub = FindWindowA("VzdLinkStub", nullptr);
      if (stub) PostMessageA(stub, WM_CLOSE, 0, 0);
      return stub == nullptr;
    });
  }

  PROCESS_INFORMATION Start(const std::string& arguments) {
    std::string commandLine = "Vezezudara.exe" + (arguments.empty() ? std::string() : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    EXPECT_TRUE(CreateProcessA((s_install + "/Vezezudara").c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                               nullptr, s_install.c_str(), &startup, &process));
    return process;
  }
  static HWND View(HWND frame) { return GetDlgItem(GetDlgItem(frame, AFX_IDW_PANE_FIRST), 0xE901); }

  static std::string s_home;
  static std::string s_install;
  PROCESS_INFORMATION m_launcher{};
  DWORD m_backupProcessId = 0;
};
std::string BackupInLauncher::s_home;
std::string BackupInLauncher::s_install;

}  // namespace

TEST_F(BackupInLauncher, IsHostedShowsItsAboutBoxAndEndsWithTheSuite) {
  m_launcher = Start("");
  HWND frame = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (frame = FindWindowA("VezezudaraFrame", " Dravik")) != nullptr; }));
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(frame) && IsWindowEnabled(frame); }));

  // Started by name as a second instance would ask, hosted in the view.
  PROCESS_INFORMATION second = Start("App=Backup.exe");
  EXPECT_EQ(WaitForSingleObject(second.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(second.hProcess);
  CloseHandle(second.hThread);
  HWND backup = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    backup = FindByText(View(frame), "Backup");
    return backup && IsWindowVisible(backup);
  }));
  DWORD backupProcessId = 0;
  GetWindowThreadProcessId(backup, &backupProcessId);
  ASSERT_NE(backupProcessId, GetCurrentProcessId());
  EXPECT_TRUE(ProcessRuns(backupProcessId));
  m_backupProcessId = backupProcessId;
  // The i-mode row of the variant stands in MMS's place.
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(backup, 1027)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(backup, 1028)));
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(frame) != FALSE; }));
  if (HBITMAP picture = tolvar::user::RenderWindow(frame)) {
    SavePng(picture, "backup_in_launcher");
    DeleteObject(picture);
  }

  // The hosted dialog has no caption: the system menu's About command arrives as a message.
  PostMessageA(backup, WM_SYSCOMMAND, 0x10, 0);
  HWND about = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (about = FindWindowA(nullptr, "About Backup")) != nullptr && IsWindowVisible(about); }));
  if (HBITMAP picture = tolvar::user::RenderWindow(about)) {
    SavePng(picture, "backup_about");
    DeleteObject(picture);
  }
  PostMessageA(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(about); }));

  // The suite closes: Backup, idle, leaves the closing to the launcher and ends with it.
  PROCESS_INFORMATION close = Start("Close");
  EXPECT_EQ(WaitForSingleObject(close.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(close.hProcess);
  CloseHandle(close.hThread);
  EXPECT_EQ(WaitForSingleObject(m_launcher.hProcess, 20000), WAIT_OBJECT_0);
  EXPECT_TRUE(WaitFor([&] { return !ProcessRuns(backupProcessId); }));
}
