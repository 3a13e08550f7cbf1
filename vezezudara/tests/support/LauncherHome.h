#pragma once
// The launcher with real programs, each in its own process, in a home of the test's own: the
// launcher, the link service's stand-in and the programs a test names are copied into one install
// folder, and the launcher is started from there as a user would start it.
//
// One home serves the whole test process, repeated runs included: the window station stays with
// the first home opened. The home goes when the process ends.
#include <framework/Afx.h>
#include <kernel/Kernel.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace launcher_testing {

// Waits for `done`, looking every 20 ms; false after `milliseconds`.
bool WaitFor(const std::function<bool()>& done, DWORD milliseconds = 20000);
// Whether the process runs (a process that ended but was not yet collected does not).
bool ProcessRuns(DWORD processId);
// The first window below `parent`, at any depth, whose text is `text`.
HWND FindByText(HWND parent, const char* text);
void SetString(LPCSTR key, LPCSTR name, const std::string& value);
void SetNumber(LPCSTR key, LPCSTR name, DWORD value);
std::string GetString(LPCSTR key, LPCSTR name);

// Where the build puts programs, and the launcher's test programs.
std::string BinFolder();
std::string TestProgramFolder();

// The settings key of the suite.
inline constexpr char kSettings[] = "Software\\Halvane\\Tolvar\\Settings";

class LauncherTest : public ::testing::Test {
 protected:
  // Opens the process's home once (`prefix` names its folder) and copies the launcher, the link
  // service's stand-in as "Linkwell", and each {built file, name} of `programs` into its install
  // folder (later calls copy what is not there yet). "Build" and "Phone" are set to `build` and
  // "Model 7".
  static void OpenHome(const char* prefix, const std::vector<std::pair<std::string, std::string>>& programs,
                       const std::string& build);
  void TearDown() override;

  // Starts the launcher in its folder with `arguments`.
  PROCESS_INFORMATION Start(const std::string& arguments);
  // The first instance, its frame shown and enabled.
  HWND StartFirst();
  // A second instance with `arguments`: it hands them over and ends.
  void SecondInstance(const std::string& arguments);
  bool LauncherEnded();
  // `program` started by name through a second instance ("App=<program>.exe") and shown in the
  // view: its window whose text is `program`, or with `controlId` the nearest window above it that
  // holds that control. Its process is killed at the end of the test if it still runs.
  HWND Host(HWND frame, const char* program, int controlId = 0);
  // The process of `window`, killed at the end of the test if it still runs.
  DWORD EndWithTest(HWND window);

  static HWND View(HWND frame);
  static bool Shown(HWND frame, const char* program);

  static std::string s_home;
  static std::string s_install;
  PROCESS_INFORMATION m_launcher{};
  std::vector<DWORD> m_programs;
};

}  // namespace launcher_testing
