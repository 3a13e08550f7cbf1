#include "LauncherHome.h"

#include <kernel/Kernel.h>
#include <registry/WinReg.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace launcher_testing {

std::string LauncherTest::s_home;
std::string LauncherTest::s_install;

bool WaitFor(const std::function<bool()>& done, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > milliseconds) return false;
    Sleep(20);
  }
  return true;
}

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

void SetString(LPCSTR key, LPCSTR name, const std::string& value) {
  HKEY opened = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
  RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(opened);
}

void SetNumber(LPCSTR key, LPCSTR name, DWORD value) {
  HKEY opened = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
  RegSetValueExA(opened, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(opened);
}

std::string GetString(LPCSTR key, LPCSTR name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS) return {};
  char value[256] = {};
  DWORD size = sizeof value - 1;
  RegQueryValueExA(opened, name, nullptr, nullptr, reinterpret_cast<LPBYTE>(value), &size);
  RegCloseKey(opened);
  return value;
}

std::string BinFolder() { return VZD_BIN_DIR; }
std::string TestProgramFolder() { return VZD_TEST_PROGRAMS; }

void LauncherTest::OpenHome(const char* prefix, const std::vector<std::pair<std::string, std::string>>& programs,
                            const std::string& build) {
  if (!s_home.empty()) {
    // A later suite of the same process may name programs the first did not.
    for (const auto& [built, name] : programs) {
      if (!fs::exists(s_install + "/" + name)) fs::copy_file(built, s_install + "/" + name);
    }
    SetString(kSettings, "Build", build);
    return;
  }
  std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  ASSERT_TRUE(mkdtemp(pattern.data()));
  s_home = pattern;
  static const struct HomeRemover {
    ~HomeRemover() {
      std::error_code ignored;
      fs::remove_all(s_home, ignored);
    }
  } remover;
  setenv("TOLVAR_HOME", s_home.c_str(), 1);
  // The programs are copied into a folder of their own; their libraries stay where they were built.
  const char* libraries = std::getenv("LD_LIBRARY_PATH");
  setenv("LD_LIBRARY_PATH", (BinFolder() + (libraries ? std::string(":") + libraries : "")).c_str(), 1);
  s_install = s_home + "/install";
  fs::create_directories(s_install);
  fs::copy_file(BinFolder() + "/Vezezudara", s_install + "/Vezezudara");
  fs::copy_file(TestProgramFolder() + "/vzd_link_stub", s_install + "/Linkwell");
  for (const auto& [built, name] : programs) fs::copy_file(built, s_install + "/" + name);
  SetString(kSettings, "Build", build);
  SetString(kSettings, "Phone", "Model 7");
}

void LauncherTest::TearDown() {
  // A program left running would hold the test's output open.
  for (DWORD program : m_programs) {
    if (ProcessRuns(program)) kill(static_cast<pid_t>(program), SIGKILL);
  }
  if (m_launcher.hProcess) {
    if (WaitForSingleObject(m_launcher.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_launcher.hProcess, 9);
    CloseHandle(m_launcher.hProcess);
    CloseHandle(m_launcher.hThread);
  }
  // The launcher's link service.
  WaitFor([] {
    HWND stub = FindWindowA("VzdLinkStub", nullptr);
    if (stub) PostMessageA(stub, WM_CLOSE, 0, 0);
    return stub == nullptr;
  });
}

PROCESS_INFORMATION LauncherTest::Start(const std::string& arguments) {
  std::string commandLine = "Vezezudara.exe" + (arguments.empty() ? std::string() : " " + arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  EXPECT_TRUE(CreateProcessA((s_install + "/Vezezudara").c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, s_install.c_str(), &startup, &process));
  return process;
}

HWND LauncherTest::StartFirst() {
  m_launcher = Start("");
  HWND frame = nullptr;
  EXPECT_TRUE(WaitFor([&] { return (frame = FindWindowA("VezezudaraFrame", " Dravik")) != nullptr; }));
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(frame) && IsWindowEnabled(frame); }));
  return frame;
}

void LauncherTest::SecondInstance(const std::string& arguments) {
  PROCESS_INFORMATION second = Start(arguments);
  EXPECT_EQ(WaitForSingleObject(second.hProcess, 20000), WAIT_OBJECT_0);
  CloseHandle(second.hProcess);
  CloseHandle(second.hThread);
}

bool LauncherTest::LauncherEnded() { return WaitForSingleObject(m_launcher.hProcess, 20000) == WAIT_OBJECT_0; }

HWND LauncherTest::Host(HWND frame, const char* program, int controlId) {
  SecondInstance(std::string("App=") + program + ".exe");
  HWND hosted = nullptr;
  const bool shown = WaitFor([&] {
    hosted = FindByText(View(frame), program);
    while (controlId && hosted && GetDlgItem(hosted, controlId) == nullptr) hosted = GetParent(hosted);
    return hosted && IsWindowVisible(hosted);
  });
  EXPECT_TRUE(shown) << program;
  if (!shown) return nullptr;
  EndWithTest(hosted);
  return hosted;
}

DWORD LauncherTest::EndWithTest(HWND window) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId && processId != GetCurrentProcessId()) m_programs.push_back(processId);
  return processId;
}

HWND LauncherTest::View(HWND frame) { return GetDlgItem(GetDlgItem(frame, AFX_IDW_PANE_FIRST), 0xE901); }

bool LauncherTest::Shown(HWND frame, const char* program) {
  HWND window = FindByText(View(frame), program);
  return window && IsWindowVisible(window);
}

}  // namespace launcher_testing
