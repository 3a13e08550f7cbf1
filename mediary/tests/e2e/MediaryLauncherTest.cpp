// Mediary inside the launcher, each in its own process: the launcher lists Mediary by its version
// record and hosts its dialog with both panes and the commands; a close of the suite while
// Mediary is idle ends the launcher and leaves no Mediary process behind.
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

class MediaryInLauncher : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string pattern = (fs::temp_directory_path() / "mediary-e2e-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    s_home = pattern;
    setenv("TOLVAR_HOME", s_home.c_str(), 1);
    // The programs are copied into a folder of their own; the libraries stay where they were built.
    const char* libraries = std::getenv("LD_LIBRARY_PATH");
    setenv("LD_LIBRARY_PATH", (std::string(MDY_BIN_DIR) + (libraries ? std::string(":") + libraries : "")).c_str(), 1);
    s_install = s_home + "/install";
    fs::create_directories(s_install);
    fs::copy_file(std::string(MDY_BIN_DIR) + "/Vezezudara", s_install + "/Vezezudara");
    fs::copy_file(std::string(MDY_BIN_DIR) + "/Mediary", s_install + "/Mediary");
    fs::copy_file(std::string(MDY_TEST_PROGRAMS) + "/vzd_link_stub", s_install + "/Linkwell");
    HKEY opened = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &opened, nullptr);
    const char build[] = "ZSE_0100";
    RegSetValueExA(opened, "Build", 0, REG_SZ, reinterpret_cast<const BYTE*>(build), sizeof build);
    RegSetValueExA(opened, "Phone", 0, REG_SZ, reinterpret_cast<const BYTE*>("Model 7"), 8);
    RegCloseKey(opened);
    // The PC pane starts in a folder of the test's own.
    s_pictures = s_home + "/pictures";
    fs::create_directories(s_pictures);
    std::ofstream(s_pictures + "/a.jpg") << "\xFF\xD8\xFF\xE0";
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Mediary", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &opened, nullptr);
    RegSetValueExA(opened, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(s_pictures.c_str()),
                   DWORD(s_pictures.size() + 1));
    RegCloseKey(opened);
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(s_home, ignored);
  }
  void TearDown() override {
    // A Mediary left running would hold the test's output open.
    if (m_mediaryProcessId && ProcessRuns(m_mediaryProcessId)) kill(static_cast<pid_t>(m_mediaryProcessId), SIGKILL);
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
  static std::string s_pictures;
  PROCESS_INFORMATION m_launcher{};
  DWORD m_mediaryProcessId = 0;
};
std::string MediaryInLauncher::s_home;
std::string MediaryInLauncher::s_install;
std::string MediaryInLauncher::s_pictures;

}  // namespace

TEST_F(MediaryInLauncher, IsHostedAndEndsWithTheSuite) {
  m_launcher = Start("");
  HWND frame = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (frame = FindWindowA("VezezudaraFrame", " Dravik")) != nullptr; }));
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(frame) && IsWindowEnabled(frame); }));

  PROCESS_INFORMATION second = Start("App=Mediary.exe");
  EXPECT_EQ(WaitForSingleObject(second.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(second.hProcess);
  CloseHandle(second.hThread);
  HWND mediary = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    mediary = FindByText(View(frame), "Mediary");
    while (mediary && GetDlgItem(mediary, 1010) == nullptr) mediary = GetParent(mediary);
    return mediary && IsWindowVisible(mediary);
  }));
  DWORD processId = 0;
  GetWindowThreadProcessId(mediary, &processId);
  ASSERT_NE(processId, GetCurrentProcessId());
  m_mediaryProcessId = processId;
  // Both panes and the idle commands; the bar and the cancel button wait for a run.
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(mediary, 1034)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(mediary, 1007)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(mediary, 1010)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(mediary, 5033)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(mediary, 1015)));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(mediary, 1021)));  // a Z phone has Movies
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(frame) != FALSE; }));

  // Another process says the phone's media changed: the PC pane is read again.
  HWND pcList = GetDlgItem(mediary, 1034);
  const auto rows = [&] { return SendMessageA(pcList, LVM_GETITEMCOUNT, 0, 0); };
  ASSERT_TRUE(WaitFor([&] { return rows() > 0; }));
  const LRESULT before = rows();
  std::ofstream(s_pictures + "/b.jpg") << "\xFF\xD8\xFF\xE0";
  HANDLE changed = OpenEventA(EVENT_MODIFY_STATE, FALSE, "CHANGE_RESOURCES");
  ASSERT_NE(changed, nullptr);
  SetEvent(changed);
  CloseHandle(changed);
  EXPECT_TRUE(WaitFor([&] { return rows() == before + 1; })) << before << " " << rows();
  if (HBITMAP picture = tolvar::user::RenderWindow(frame)) {
    SavePng(picture, "mediary_in_launcher");
    DeleteObject(picture);
  }

  PROCESS_INFORMATION close = Start("Close");
  EXPECT_EQ(WaitForSingleObject(close.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(close.hProcess);
  CloseHandle(close.hThread);
  EXPECT_EQ(WaitForSingleObject(m_launcher.hProcess, 20000), WAIT_OBJECT_0);
  EXPECT_TRUE(WaitFor([&] { return !ProcessRuns(processId); }));
  // The folder is kept for the next start.
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Mediary", 0, KEY_READ, &key), ERROR_SUCCESS);
  char path[1024] = {};
  DWORD size = sizeof path, type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<BYTE*>(path), &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(std::string(path), s_pictures);
}
