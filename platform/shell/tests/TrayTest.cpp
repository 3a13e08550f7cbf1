// The notification area: what the tray holds after each icon operation, the mouse reaching the
// icon's window as its callback message, icons of two processes kept apart, and a dead process's
// icons dropped.
#include <base/LastError.h>
#include <base/WinError.h>
#include <shell/Headless.h>
#include <shell/Shell.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <kernel/File.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace testing_user;
using tolvar::shell::TrayIcon;

extern char** environ;

namespace {

constexpr UINT kCallback = WM_USER + 10;

NOTIFYICONDATAA Record(HWND window, UINT id, UINT flags, HICON icon = nullptr, const char* tip = "") {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATA_V1_SIZE;
  data.hWnd = window;
  data.uID = id;
  data.uFlags = flags;
  data.uCallbackMessage = kCallback;
  data.hIcon = icon;
  std::strncpy(data.szTip, tip, sizeof data.szTip - 1);
  return data;
}

std::vector<TrayIcon> MyIcons() {
  std::vector<TrayIcon> mine;
  for (TrayIcon& icon : tolvar::shell::ListTrayIcons())
    if (icon.processId == static_cast<DWORD>(getpid())) mine.push_back(icon);
  return mine;
}

class TrayTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_window = CreateWindowExA(0, RecordingClass(), "tray", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(m_window);
    ASSERT_TRUE(tolvar::shell::RegisterTray());
  }
  void TearDown() override {
    for (const TrayIcon& icon : MyIcons()) {
      NOTIFYICONDATAA data = Record(icon.window, icon.id, 0);
      Shell_NotifyIconA(NIM_DELETE, &data);
    }
    tolvar::shell::UnregisterTray();
    DestroyWindow(m_window);
    Pump();
    Recorder::Get().Clear();
  }
  HWND m_window = nullptr;
};

TEST_F(TrayTest, WithoutATrayTheCallFailsAsWithoutATaskbar) {
  tolvar::shell::UnregisterTray();
  EXPECT_FALSE(tolvar::shell::IsTrayPresent());
  NOTIFYICONDATAA data = Record(m_window, 1, NIF_MESSAGE | NIF_TIP, nullptr, "no tray");
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  ASSERT_TRUE(tolvar::shell::RegisterTray());
  EXPECT_TRUE(MyIcons().empty());
  EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
}

TEST_F(TrayTest, OperationsAndWhatTheTrayHolds) {
  const std::string longTip(80, 'x');
  const std::string cutTip(63, 'x');
  HICON first = reinterpret_cast<HICON>(0x1111), second = reinterpret_cast<HICON>(0x2222);
  struct Step {
    const char* what;
    DWORD message;
    UINT id;
    UINT flags;
    HICON icon;
    std::string tip;
    BOOL result;
    DWORD error;
    // what the tray then holds of this process: "id:icon:tip" per icon, in adding order
    std::vector<std::string> holds;
  } steps[] = {
      {"add", NIM_ADD, 7, NIF_MESSAGE | NIF_ICON | NIF_TIP, first, "Linkwell", TRUE, 0, {"7:1111:Linkwell"}},
      {"add again", NIM_ADD, 7, NIF_TIP, first, "dup", FALSE, ERROR_ALREADY_EXISTS, {"7:1111:Linkwell"}},
      {"second icon", NIM_ADD, 8, NIF_MESSAGE | NIF_TIP, nullptr, "", TRUE, 0, {"7:1111:Linkwell", "8:0:"}},
      {"modify the icon only", NIM_MODIFY, 7, NIF_ICON, second, "ignored", TRUE, 0,
       {"7:2222:Linkwell", "8:0:"}},
      {"long tip cut", NIM_MODIFY, 7, NIF_TIP, nullptr, longTip, TRUE, 0, {"7:2222:" + cutTip, "8:0:"}},
      {"modify missing", NIM_MODIFY, 9, NIF_TIP, nullptr, "x", FALSE, ERROR_FILE_NOT_FOUND,
       {"7:2222:" + cutTip, "8:0:"}},
      {"delete", NIM_DELETE, 7, 0, nullptr, "", TRUE, 0, {"8:0:"}},
      {"delete again", NIM_DELETE, 7, 0, nullptr, "", FALSE, ERROR_FILE_NOT_FOUND, {"8:0:"}},
      {"unknown operation", 5, 8, 0, nullptr, "", FALSE, ERROR_INVALID_PARAMETER, {"8:0:"}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    NOTIFYICONDATAA data = Record(m_window, step.id, step.flags, step.icon);
    // The record's tip field is 64 bytes: a longer tip arrives unterminated, as from a careless caller.
    std::memcpy(data.szTip, step.tip.data(), std::min(step.tip.size(), sizeof data.szTip));
    SetLastError(0);
    EXPECT_EQ(Shell_NotifyIconA(step.message, &data), step.result);
    if (!step.result) {
      EXPECT_EQ(GetLastError(), step.error);
    }
    std::vector<std::string> holds;
    for (const TrayIcon& icon : MyIcons()) {
      char line[128];
      std::snprintf(line, sizeof line, "%u:%X:", icon.id, static_cast<unsigned>(icon.icon));
      holds.push_back(line + icon.tip);
      EXPECT_EQ(icon.window, m_window);
    }
    EXPECT_EQ(holds, step.holds);
  }
}

TEST_F(TrayTest, TheTrayHoldsTheIconsPictureForOtherProcesses) {
  SHFILEINFOA folder{};
  ASSERT_NE(SHGetFileInfoA("C:\\folder", FILE_ATTRIBUTE_DIRECTORY, &folder, sizeof folder,
                           SHGFI_USEFILEATTRIBUTES | SHGFI_ICON | SHGFI_LARGEICON),
            0u);
  // A 32-pixel folder given; the tray keeps it at 16.
  NOTIFYICONDATAA data = Record(m_window, 5, NIF_ICON, folder.hIcon);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  DestroyIcon(folder.hIcon);  // the tray has its own copy of the picture
  auto icons = MyIcons();
  ASSERT_EQ(icons.size(), 1u);
  ASSERT_EQ(icons[0].pixels.size(), 256u);
  EXPECT_EQ(icons[0].pixels[0], 0u);                         // a transparent corner
  EXPECT_EQ(icons[0].pixels[9 * 16 + 8], 0xFFFACD50u);        // the folder's body, opaque
  // An icon taken away leaves no picture.
  data.hIcon = nullptr;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));
  icons = MyIcons();
  EXPECT_EQ(std::count(icons[0].pixels.begin(), icons[0].pixels.end(), 0u), 256);
}

TEST_F(TrayTest, ABadRecordSizeFails) {
  NOTIFYICONDATAA data = Record(m_window, 1, NIF_TIP);
  data.cbSize = 40;
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, nullptr));
}

TEST_F(TrayTest, ClicksAndADoubleClickReachTheCallbackWindowInOrder) {
  NOTIFYICONDATAA data = Record(m_window, 128, NIF_MESSAGE | NIF_TIP, nullptr, "tip");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  Pump();
  Recorder::Get().Clear();
  ASSERT_TRUE(tolvar::shell::SendTrayMouse(m_window, 128, WM_MOUSEMOVE));
  ASSERT_TRUE(tolvar::shell::ClickTrayIcon(m_window, 128, WM_RBUTTONDOWN));
  ASSERT_TRUE(tolvar::shell::ClickTrayIcon(m_window, 128, WM_LBUTTONDOWN, true));
  Pump();
  constexpr unsigned kBoth = kWParam | kLParam;
  ExpectSequence(Recorder::Get().Take(),
                 {{kCallback, kBoth, 128, WM_MOUSEMOVE},
                  {kCallback, kBoth, 128, WM_RBUTTONDOWN},
                  {kCallback, kBoth, 128, WM_RBUTTONUP},
                  {kCallback, kBoth, 128, WM_LBUTTONDOWN},
                  {kCallback, kBoth, 128, WM_LBUTTONUP},
                  {kCallback, kBoth, 128, WM_LBUTTONDBLCLK},
                  {kCallback, kBoth, 128, WM_LBUTTONUP}},
                 "tray clicks");
}

TEST_F(TrayTest, MouseOverAMissingIconOrOneWithoutCallbackGoesNowhere) {
  NOTIFYICONDATAA data = Record(m_window, 3, NIF_TIP, nullptr, "silent");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  EXPECT_FALSE(tolvar::shell::ClickTrayIcon(m_window, 3, WM_LBUTTONDOWN));
  EXPECT_FALSE(tolvar::shell::ClickTrayIcon(m_window, 4, WM_LBUTTONDOWN));
  EXPECT_FALSE(tolvar::shell::SendTrayMouse(m_window, 3, WM_KEYDOWN));
  Pump();
  for (const Recorded& message : Recorder::Get().Take()) EXPECT_NE(message.message, kCallback);
}

// A child process with an icon of its own; killed when the test ends.
class TrayChild {
public:
  TrayChild(UINT id, const char* tip) {
    int out[2], in[2];
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(in), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::string idText = std::to_string(id);
    // Built beside this program; the current folder may be any.
    std::string program = (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "shell_child_tray").string();
    char* argv[] = {program.data(), idText.data(), const_cast<char*>(tip), nullptr};
    EXPECT_EQ(posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    m_input = in[1];
    FILE* reader = fdopen(out[0], "r");
    unsigned window = 0;
    int added = 0;
    EXPECT_EQ(std::fscanf(reader, "%X %d", &window, &added), 2);
    std::fclose(reader);
    m_window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
    m_added = added != 0;
  }
  ~TrayChild() { Kill(); }
  void Kill() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    close(m_input);
    m_pid = 0;
  }
  pid_t Pid() const { return m_pid; }
  HWND Window() const { return m_window; }
  bool Added() const { return m_added; }

private:
  pid_t m_pid = 0;
  int m_input = -1;
  HWND m_window = nullptr;
  bool m_added = false;
};

TEST_F(TrayTest, TwoProcessesIconsAreKeptApartAndADeadProcessLosesItsIcons) {
  NOTIFYICONDATAA data = Record(m_window, 1, NIF_MESSAGE | NIF_TIP, nullptr, "parent");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  TrayChild child(1, "child");
  ASSERT_TRUE(child.Added());

  auto tips = [] {
    std::vector<std::string> seen;
    for (const TrayIcon& icon : tolvar::shell::ListTrayIcons())
      seen.push_back(std::to_string(icon.id) + ":" + icon.tip);
    return seen;
  };
  EXPECT_EQ(tips(), (std::vector<std::string>{"1:parent", "1:child"}));
  const auto icons = tolvar::shell::ListTrayIcons();
  ASSERT_EQ(icons.size(), 2u);
  EXPECT_EQ(icons[1].processId, static_cast<DWORD>(child.Pid()));
  EXPECT_EQ(icons[1].window, child.Window());

  // The same id names each process's own icon: deleting ours leaves the child's.
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  EXPECT_EQ(tips(), (std::vector<std::string>{"1:child"}));
  // Another process's icon cannot be changed from here.
  NOTIFYICONDATAA theirs = Record(child.Window(), 1, NIF_TIP, nullptr, "stolen");
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &theirs));

  child.Kill();
  EXPECT_TRUE(tips().empty());
}

}  // namespace
