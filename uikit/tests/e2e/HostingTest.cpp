// Two processes, as the launcher and a program it hosts: the program's main dialog goes into this
// process's view, and the launcher's messages arrive here in their order, with the status texts
// read from the shared record as the launcher reads them.
#include <LauncherProtocol.h>
#include <SharedMemory.h>

#include <base/Time.h>
#include <base/WinError.h>
#include <kernel/Kernel.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using testing_user::PumpUntil;

struct Arrival {
  UINT message;
  WPARAM wParam;
  std::string status;  // the record's text, read when WM_CHILD_STATUS came
};

std::vector<Arrival> g_arrivals;
CSharedMemory* g_record = nullptr;

LRESULT LauncherProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHILD_READY || message == WM_CHILD_DESTROYED || message == WM_CHILD_CLOSE_REFUSED ||
      message == CloseMainFrameMessage()) {
    g_arrivals.push_back({message, wParam, {}});
    return 0;
  }
  if (message == WM_CHILD_STATUS) {
    g_arrivals.push_back({message, wParam, g_record ? std::string(g_record->ReadText()) : std::string()});
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string Letters(size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += static_cast<char>('A' + i % 26);
  return text;
}

class Hosting : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    // The program inherits the environment, so it shares this home, its station and named objects.
    // One home for the whole process: this process stays bound to the first one, so a repeated run
    // must not hand the program another.
    static const bool madeHome = [] {
      std::string pattern = (std::filesystem::temp_directory_path() / "uikit-e2e-XXXXXX").string();
      return mkdtemp(pattern.data()) && setenv("TOLVAR_HOME", pattern.c_str(), 1) == 0;
    }();
    (void)madeHome;
  }
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = LauncherProc;
    wc.lpszClassName = "LauncherFrame";
    RegisterClassA(&wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "LauncherView";
    RegisterClassA(&wc);
    m_main = CreateWindowExA(0, "LauncherFrame", "Launcher", WS_POPUP | WS_VISIBLE, 0, 0, 500, 400, nullptr, nullptr,
                             nullptr, nullptr);
    m_view = CreateWindowExA(0, "LauncherView", "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 100, 0, 400, 400, m_main,
                             nullptr, nullptr, nullptr);
    g_arrivals.clear();
  }
  void TearDown() override {
    g_record = nullptr;
    if (m_process.hProcess) {
      if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(m_process.hProcess, 9);
      WaitForSingleObject(m_process.hProcess, 10000);
      CloseHandle(m_process.hProcess);
      CloseHandle(m_process.hThread);
    }
    DestroyWindow(m_main);
  }
  bool Start(const std::string& extra) {
    std::string commandLine = "uikit_child_hosted.exe" + FormatHostingArguments(m_view, m_main) + extra;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                          &m_process);
  }
  bool WaitForArrivals(size_t count) {
    return PumpUntil([count] { return g_arrivals.size() >= count; });
  }
  HWND m_main = nullptr;
  HWND m_view = nullptr;
  PROCESS_INFORMATION m_process{};
};

TEST_F(Hosting, AHostedProgramEmbedsItsDialogAndReportsReadyStatusRefusalDestroyedAndItsEnd) {
  ASSERT_TRUE(Start(" refuse"));
  ASSERT_TRUE(WaitForArrivals(1)) << "the program never said it was ready";
  ASSERT_EQ(g_arrivals[0].message, WM_CHILD_READY);
  HWND dialog = reinterpret_cast<HWND>(g_arrivals[0].wParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(dialog, &owner);
  EXPECT_EQ(owner, m_process.dwProcessId);
  EXPECT_EQ(GetAncestor(dialog, GA_PARENT), m_view);
  EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
  EXPECT_TRUE(GetWindowLongA(dialog, GWL_STYLE) & WS_CLIPCHILDREN);
  EXPECT_FALSE(IsWindowVisible(dialog)) << "the launcher shows it, not the program";

  // The program made the record; this side opens it and finds it there.
  CSharedMemory record;
  record.SetName(kStatusRecordName);
  ASSERT_TRUE(record.Open(kStatusRecordSize));
  EXPECT_TRUE(record.Existed());
  g_record = &record;

  // One status at a time: the record holds only the newest text.
  const struct {
    size_t length;
    size_t shown;
  } statuses[] = {{16, 16}, {127, 127}, {300, 127}};
  for (const auto& status : statuses) {
    const size_t before = g_arrivals.size();
    ASSERT_TRUE(PostMessageA(dialog, WM_APP, status.length, 0));
    ASSERT_TRUE(WaitForArrivals(before + 1)) << "no status for a text of " << status.length;
    EXPECT_EQ(g_arrivals.back().message, WM_CHILD_STATUS);
    EXPECT_EQ(g_arrivals.back().wParam, reinterpret_cast<WPARAM>(dialog));
    EXPECT_EQ(g_arrivals.back().status, Letters(status.shown)) << "a text of " << status.length;
  }

  // The launcher's close request goes to the program's main thread: refused once, then obeyed.
  ASSERT_TRUE(PostThreadMessageA(m_process.dwThreadId, WM_CLOSE, 0, 0));
  ASSERT_TRUE(WaitForArrivals(5));
  EXPECT_EQ(g_arrivals[4].message, WM_CHILD_CLOSE_REFUSED);
  EXPECT_TRUE(IsWindow(dialog));
  ASSERT_TRUE(PostThreadMessageA(m_process.dwThreadId, WM_CLOSE, 0, 0));
  ASSERT_TRUE(WaitForArrivals(7)) << "the program did not end as asked";
  EXPECT_EQ(g_arrivals[5].message, WM_CHILD_DESTROYED);
  EXPECT_EQ(g_arrivals[5].wParam, reinterpret_cast<WPARAM>(dialog));
  EXPECT_EQ(g_arrivals[6].message, CloseMainFrameMessage());
  ASSERT_EQ(WaitForSingleObject(m_process.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(m_process.hProcess, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(g_arrivals.size(), 7u);
}

}  // namespace
