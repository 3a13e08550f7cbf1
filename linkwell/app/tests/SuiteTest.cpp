// The link service and the launcher together, both the real programs, each in its own process, in
// a test home and a folder of their own (copies of this build's Linkwell and Vezezudara beside a
// test program of the suite), with this test playing the notification area and choosing from the
// tray menu with the keys, as a person does:
// - a second start of the link service shows or starts the launcher, except the phone-access
//   library's "Test" (exactly: "test" in lower case counts as none);
// - while the launcher runs, "About ..." opens the launcher's About box and "Phone selection" asks
//   to close Dravik; once it is closed, "Phone selection" opens with Cancel offered;
// - a program from the tray menu opens in the launcher ("Vezezudara.exe App=<program>");
// - "Exit" while the launcher runs hands the close to the launcher, which closes its programs
//   and then the link service; a program that refuses keeps both running;
// - while the phone setup is open, or a search that "Find connected phone" started runs, the tray
//   menu does not open.
#include "LinkSettings.h"
#include "ProcessTools.h"

#include "AppTestSupport.h"
#include "ProgramProcess.h"

#include <kernel/Process.h>
#include <phonesim/PhoneSimProcess.h>
#include <kernel/Wait.h>
#include <shell/Headless.h>
#include <shell/ShellApi.h>
#include <user/Headless.h>
#include <user/User.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using linkwell::testing::WaitUntil;
using tolvar::shell::ListTrayIcons;
using tolvar::shell::TrayIcon;

constexpr char kLauncherClass[] = "VezezudaraFrame";
constexpr char kLauncherTitle[] = " Dravik";

// Keys up from the bottom of the tray menu to an entry: "Exit", "About ...", (the port submenu),
// "Phone selection", "Find connected phone", then the suite's programs.
enum TrayEntry { kExit = 1, kAbout = 2, kPhoneSelection = 4, kFindPhone = 5, kFirstProgram = 6 };

std::string TextOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

DWORD ProcessOf(HWND window) {
  DWORD process = 0;
  if (window) GetWindowThreadProcessId(window, &process);
  return process;
}

// The first visible top-level window of `process` whose text holds `part`.
HWND WindowOf(DWORD process, const std::string& part) {
  struct Search {
    DWORD process;
    const std::string* part;
    HWND found;
  } search{process, &part, nullptr};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        if (ProcessOf(window) != s->process || !IsWindowVisible(window)) return TRUE;
        if (TextOf(window).find(*s->part) == std::string::npos) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND ChildWithText(HWND parent, const std::string& text) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (TextOf(child) == text) return child;
    if (HWND deeper = ChildWithText(child, text)) return deeper;
  }
  return nullptr;
}

// The visible top-level windows of `process` with their children's texts, for a failure's message.
std::string Describe(DWORD process) {
  std::string text;
  struct Search {
    DWORD process;
    std::string* text;
  } search{process, &text};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        if (ProcessOf(window) != s->process || !IsWindowVisible(window)) return TRUE;
        *s->text += "[" + TextOf(window) + ":";
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
          *s->text += " \"" + TextOf(child) + "\"";
        }
        *s->text += "] ";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return text;
}

// The processes named `name` that run in `home` (other homes on this machine may run the suite
// too; a process that has ended shows no environment).
int CountInHome(const std::string& name, const std::string& home) {
  const std::string wanted = "TOLVAR_HOME=" + home;
  int count = 0;
  std::error_code error;
  for (auto it = fs::directory_iterator("/proc", error); !error && it != fs::directory_iterator(); it.increment(error)) {
    std::string comm;
    std::getline(std::ifstream(it->path() / "comm"), comm);
    if (comm != name) continue;
    std::ifstream environ(it->path() / "environ");
    for (std::string variable; std::getline(environ, variable, '\0');) {
      if (variable == wanted) {
        ++count;
        break;
      }
    }
  }
  return count;
}

bool RunsInHome(const std::string& name, const std::string& home) { return CountInHome(name, home) > 0; }

HWND Launcher() { return FindWindowA(kLauncherClass, kLauncherTitle); }

bool Ended(HANDLE process, DWORD limit = linkwell::testing::kStartLimit) {
  return WaitForSingleObject(process, limit) == WAIT_OBJECT_0;
}

void Key(UINT key) {
  tolvar::user::InjectKey(key, true);
  tolvar::user::InjectKey(key, false);
}

class Suite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // One home and folder for the whole process, repeated runs included: the window station stays
    // with the first home this process opened.
    if (!s_home.empty()) return;
    std::string pattern = (fs::temp_directory_path() / "linkwell-suite-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    s_home = pattern;
    static const struct Remover {
      ~Remover() {
        std::error_code ignored;
        fs::remove_all(s_home, ignored);
      }
    } remover;
    setenv("TOLVAR_HOME", s_home.c_str(), 1);
    // The copies find their libraries where they were built.
    const char* libraries = std::getenv("LD_LIBRARY_PATH");
    setenv("LD_LIBRARY_PATH", (std::string(LINKWELL_BIN_DIR) + (libraries ? std::string(":") + libraries : "")).c_str(), 1);
    s_folder = s_home + "/install";
    fs::create_directories(s_folder);
    fs::copy_file(LINKWELL_BIN_DIR "/Linkwell", s_folder + "/Linkwell");
    fs::copy_file(LINKWELL_BIN_DIR "/Vezezudara", s_folder + "/Vezezudara");
    fs::copy_file(LINKWELL_TEST_PROGRAMS "/vzd_hosted_alpha", s_folder + "/Alpha");
    std::ofstream(s_folder + "/Phones.ini") << "-Selka-X,ZSE_0100\r\n-Tavik-D,ZDE_0100\r\n";
    // A sanitizer's report of a program of the suite goes to a file of the home, where TearDown
    // finds it (their own output is not this test's).
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", ((sanitizer ? std::string(sanitizer) + ":" : "") + "log_path=" + s_home + "/sanitizer").c_str(), 1);
    // Nothing of the link may meet another run's: its port is a free one.
    setenv("TOLVAR_LINK_PORT", std::to_string(linkwell::testing::FreeLoopbackPort()).c_str(), 1);
  }

  void SetUp() override {
    ASSERT_TRUE(tolvar::shell::RegisterTray());
    unsetenv("VZD_HOSTED_REFUSE");
    CSettingsKey settings;
    settings.WriteText("Build", "ZSE_0100");
    settings.WriteText("Phone", "Selka-X");
  }
  void TearDown() override {
    if (HWND launcher = Launcher()) {
      PostMessageA(launcher, WM_CLOSE, 0, 0);
      WaitUntil([] { return Launcher() == nullptr; });
    }
    for (HANDLE* process : {&m_link, &m_second}) {
      if (!*process) continue;
      if (WaitForSingleObject(*process, 0) == WAIT_TIMEOUT) TerminateProcess(*process, 9);
      CloseHandle(*process);
      *process = nullptr;
    }
    WaitUntil([] { return !RunsInHome("Vezezudara", s_home) && !RunsInHome("Alpha", s_home); });
    tolvar::shell::UnregisterTray();
    for (const auto& entry : fs::directory_iterator(s_home)) {
      if (!entry.path().filename().string().starts_with("sanitizer")) continue;
      std::ifstream in(entry.path());
      ADD_FAILURE() << "a program of the suite failed: " << std::string(std::istreambuf_iterator<char>(in), {});
      fs::remove(entry.path());
    }
  }

  // The link service as a person starts the suite: without "Test", so it starts the launcher.
  HWND StartSuite() {
    m_link = linkwell::testing::StartLinkwell("", s_folder, &m_linkId);
    EXPECT_NE(m_link, nullptr);
    HWND launcher = nullptr;
    EXPECT_TRUE(WaitUntil([&] { return (launcher = Launcher()) && IsWindowVisible(launcher); })) << "no launcher";
    EXPECT_TRUE(WaitUntil([&] { return TrayIconOfLink().id != 0; })) << "no tray icon";
    return launcher;
  }
  TrayIcon TrayIconOfLink() const {
    for (const TrayIcon& icon : ListTrayIcons()) {
      if (icon.processId == m_linkId) return icon;
    }
    return {};
  }
  static HWND OpenMenu() {
    HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu) ? menu : nullptr;
  }
  // A right click on the link service's icon; whether its menu (a menu of the link service's
  // process) opened.
  bool RightClickTray(DWORD limit = linkwell::testing::kStartLimit) {
    const TrayIcon icon = TrayIconOfLink();
    if (!icon.id || !tolvar::shell::ClickTrayIcon(icon.window, icon.id, WM_RBUTTONDOWN)) return false;
    return WaitUntil([&] { return OpenMenu() != nullptr && ProcessOf(OpenMenu()) == m_linkId; }, limit);
  }
  void Choose(TrayEntry entry) {
    ASSERT_TRUE(RightClickTray()) << "no tray menu";
    for (int i = 0; i < entry; ++i) Key(VK_UP);
    Key(VK_RETURN);
    ASSERT_TRUE(WaitUntil([] { return OpenMenu() == nullptr; }));
  }
  // How many different pictures the link service's tray icon shows within `milliseconds`: one when
  // it rests, several while an animation runs.
  std::size_t TrayPicturesWithin(DWORD milliseconds) const {
    std::set<std::vector<DWORD>> seen;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
      if (const TrayIcon icon = TrayIconOfLink(); icon.id) seen.insert(icon.pixels);
      Sleep(5);
    }
    return seen.size();
  }
  // The launcher closed by its own close request: the link service stays.
  void CloseLauncher() {
    HWND launcher = Launcher();
    ASSERT_TRUE(launcher);
    // The launcher starts the link service as it starts; that start, finding the first, shows the
    // launcher again (or starts it anew when it has gone): it must be over first.
    ASSERT_TRUE(WaitUntil([] { return CountInHome("Linkwell", s_home) == 1; }));
    PostMessageA(launcher, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([] { return Launcher() == nullptr && !RunsInHome("Vezezudara", s_home); }));
    ASSERT_EQ(WaitForSingleObject(m_link, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the link service ended with it";
  }

  static std::string s_home;
  static std::string s_folder;
  HANDLE m_link = nullptr;
  DWORD m_linkId = 0;
  HANDLE m_second = nullptr;
};
std::string Suite::s_home;
std::string Suite::s_folder;

}  // namespace

TEST_F(Suite, ASecondStartShowsOrStartsTheLauncherUnlessItIsTheLibrarysTest) {
  ASSERT_TRUE(StartSuite());
  struct Case {
    const char* arguments;
    bool launcherRunning;  // minimised; else closed before
    bool launcherShown;
  } const cases[] = {
      {"", true, true},        // brought back
      {"", false, true},       // started
      {"test", false, true},   // not the library's start: started
      {"Test", false, false},  // the library's start: nothing
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("arguments \"") + c.arguments + "\", launcher " + (c.launcherRunning ? "minimised" : "closed"));
    if (c.launcherRunning) {
      ShowWindow(Launcher(), SW_MINIMIZE);
      ASSERT_TRUE(WaitUntil([] { return IsIconic(Launcher()); }));
    } else if (Launcher()) {
      CloseLauncher();
    }
    DWORD secondId = 0;
    m_second = linkwell::testing::StartLinkwell(c.arguments, s_folder, &secondId);
    ASSERT_NE(m_second, nullptr);
    ASSERT_TRUE(Ended(m_second)) << "the second start stays";
    CloseHandle(m_second);
    m_second = nullptr;
    if (c.launcherShown) {
      EXPECT_TRUE(WaitUntil([] { return Launcher() && IsWindowVisible(Launcher()) && !IsIconic(Launcher()); }));
    } else {
      // A launcher it had started would be running by the time it ended.
      EXPECT_FALSE(RunsInHome("Vezezudara", s_home));
      EXPECT_EQ(Launcher(), nullptr);
    }
    EXPECT_EQ(WaitForSingleObject(m_link, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(ListTrayIcons().size(), 1u) << "a second link service shows an icon";
  }
}

TEST_F(Suite, WhileTheLauncherRunsAboutIsItsAndPhoneSelectionAsksToCloseIt) {
  HWND launcher = StartSuite();
  ASSERT_TRUE(launcher);
  const DWORD launcherId = ProcessOf(launcher);

  Choose(kAbout);
  HWND about = nullptr;
  // Its caption: " Dravik - Build[<the highest build>]"; the link service's own would be "About Dravik - ...".
  ASSERT_TRUE(WaitUntil([&] { return (about = WindowOf(launcherId, "Dravik - Build[")) != nullptr; }))
      << "the launcher shows no About box: " << Describe(launcherId);
  EXPECT_EQ(WindowOf(m_linkId, "Dravik - Build["), nullptr);
  PostMessageA(about, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
  // Asked again, and the launcher closed while its box is open: it ends without a fault (TearDown
  // reads the sanitizer's reports).
  Choose(kAbout);
  ASSERT_TRUE(WaitUntil([&] { return (about = WindowOf(launcherId, "Dravik - Build[")) != nullptr; }));
  CloseLauncher();
  // A start of the link service brings the launcher back.
  m_second = linkwell::testing::StartLinkwell("", s_folder);
  ASSERT_TRUE(m_second && Ended(m_second));
  CloseHandle(m_second);
  m_second = nullptr;
  ASSERT_TRUE(WaitUntil([] { return Launcher() && IsWindowVisible(Launcher()); }));

  Choose(kPhoneSelection);
  HWND box = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    box = WindowOf(m_linkId, "Phone selection");
    return box && ChildWithText(box, "Please close Dravik.");
  })) << "no request to close Dravik: " << Describe(m_linkId);
  EXPECT_EQ(ChildWithText(box, "Autodetect"), nullptr) << "the phone setup opened";
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_EQ(CSettingsKey().ReadText("Build").value_or(""), "ZSE_0100");

  // With the launcher closed the setup opens; a phone was chosen before, so Cancel is offered and
  // gives the choice back.
  CloseLauncher();
  Choose(kPhoneSelection);
  HWND setup = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    setup = WindowOf(m_linkId, "Phone selection");
    return setup && GetDlgItem(setup, IDCANCEL);
  }));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(setup, IDCANCEL)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(setup, IDOK)));
  PostMessageA(setup, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(setup); }));
  EXPECT_EQ(CSettingsKey().ReadText("Build").value_or(""), "ZSE_0100");
  EXPECT_EQ(Launcher(), nullptr) << "Cancel started the launcher";
}

TEST_F(Suite, AProgramFromTheTrayMenuOpensInTheLauncher) {
  HWND launcher = StartSuite();
  ASSERT_TRUE(launcher);
  Choose(kFirstProgram);
  // "Vezezudara.exe App=Alpha": a second launcher hands the command to the first, which starts the
  // program into its view.
  EXPECT_TRUE(WaitUntil([&] {
    HWND alpha = ChildWithText(launcher, "Alpha");
    return alpha && IsWindowVisible(alpha);
  })) << "the program does not show in the launcher";
  EXPECT_EQ(Launcher(), launcher);
}

TEST_F(Suite, ExitWhileTheLauncherRunsClosesItsProgramsThenTheLinkService) {
  // The program refuses the first close (its user cancelled): the suite stays, the link service too.
  setenv("VZD_HOSTED_REFUSE", "Alpha", 1);
  HWND launcher = StartSuite();
  ASSERT_TRUE(launcher);
  Choose(kFirstProgram);
  ASSERT_TRUE(WaitUntil([&] { return ChildWithText(launcher, "Alpha") != nullptr; }));
  auto launcherRuns = [] { return RunsInHome("Vezezudara", s_home); };

  Choose(kExit);
  // The refusal reaches the launcher as its own message; give it the time to come back.
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(launcher); }));
  EXPECT_FALSE(WaitUntil([&] { return !launcherRuns(); }, 1000)) << "the launcher closed over a refusal";
  EXPECT_EQ(WaitForSingleObject(m_link, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "Exit ended the link service by itself";
  EXPECT_TRUE(IsWindow(ChildWithText(launcher, "Alpha")));

  // Asked again, the program closes: the launcher closes, and it closes the link service.
  Choose(kExit);
  EXPECT_TRUE(WaitUntil([&] { return !launcherRuns(); })) << "the launcher stays";
  ASSERT_TRUE(Ended(m_link)) << "the launcher did not close the link service";
  DWORD exitCode = 1;
  GetExitCodeProcess(m_link, &exitCode);
  EXPECT_EQ(exitCode, 0u);
  EXPECT_TRUE(TrayIconOfLink().id == 0);
}

TEST_F(Suite, WhileThePhoneSetupIsOpenTheTrayMenuStaysShut) {
  CSettingsKey().DeleteValue("Build");  // a first start: the setup opens at once
  m_link = linkwell::testing::StartLinkwell("", s_folder, &m_linkId);
  ASSERT_NE(m_link, nullptr);
  HWND setup = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (setup = WindowOf(m_linkId, "Phone selection")) != nullptr; }));
  ASSERT_TRUE(WaitUntil([&] { return TrayIconOfLink().id != 0; }));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(setup, IDCANCEL))) << "no phone was chosen before";
  // Nothing to wait for that would show the refusal: a menu that opened would be up well within this.
  EXPECT_FALSE(RightClickTray(1500)) << "the tray menu opened over the setup";
  // The setup ends without a choice (closed from its frame); then the menu opens again.
  PostMessageA(setup, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(setup); }));
  EXPECT_TRUE(RightClickTray());
  Key(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([] { return OpenMenu() == nullptr; }));
}

TEST_F(Suite, WhileASearchRunsTheTrayMenuStaysShut) {
  ASSERT_TRUE(StartSuite());
  // A phone that answers nothing: each probe of its port waits the whole AT time-out, so the search
  // that "Find connected phone" starts lasts seconds.
  CSettingsKey().WriteDword("ATTimeOut", 4000);
  phonesim::PhoneSimProcess phone;
  ASSERT_TRUE(phone.Start({.model = "Selka", .home = s_home, .arguments = {"--silent"}})) << phone.Error();
  ASSERT_EQ(TrayPicturesWithin(300), 1u) << "the icon moves before the search";
  Choose(kFindPhone);
  ASSERT_TRUE(WaitUntil([&] { return TrayPicturesWithin(400) >= 3; })) << "no search animation";

  EXPECT_FALSE(RightClickTray(1500)) << "the tray menu opened during the search";
  EXPECT_GE(TrayPicturesWithin(300), 2u) << "the search ended before the refusal could be seen";

  // The search ends with its notice; once that is answered the menu opens again.
  HWND notice = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (notice = WindowOf(m_linkId, "Phone selection")) != nullptr; }, 60000));
  PostMessageA(notice, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(notice); }));
  EXPECT_TRUE(RightClickTray());
  Key(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([] { return OpenMenu() == nullptr; }));
  CSettingsKey().DeleteValue("ATTimeOut");
}
