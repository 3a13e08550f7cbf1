#pragma once
// The whole suite as a person starts it, for display tests: scripts/run with the build's programs in
// a fresh home of the test's own, under the test's X server, with a desktop of the test's own (a
// window manager and a system tray). The test sees only what a person sees (windows by their X
// title, their places and pixels) and acts only as a person does (XTest pointer and keys); the
// simulated phone's state is read from its folder in the home. Whatever the suite started ends
// with the harness, also when a test fails half-way.
#include "support/XScreen.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>
#include <sys/types.h>

namespace suite_testing {

using namespace std::chrono_literals;

// Polls `condition` until it holds or `limit` passed (a guard against a hang, not a timing).
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 60s);

// The desktop of a test: a window manager serving on a thread of its own and the tray fixture.
class Desktop {
 public:
  explicit Desktop(const std::string& binDir);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;
  bool Managing() const { return m_managing; }

 private:
  std::atomic<bool> m_stop{false};
  // Set by the window manager's thread, which may come after the constructor stopped waiting for it.
  std::atomic<bool> m_started{false};
  std::atomic<bool> m_managing{false};
  std::thread m_windowManager;
  pid_t m_tray = -1;
  std::string m_reportName;  // of the tray's sanitizer reports
};

struct SuiteOptions {
  std::string model = "Selka";
  std::vector<std::string> arguments{};  // further options of scripts/run
};

class Suite {
 public:
  // The programs of `binDir`, scripts/run of `sourceRoot`; a new temporary home.
  Suite(std::string sourceRoot, std::string binDir);
  ~Suite();  // Stop(), the home removed, and the test failed on a sanitizer report of its programs
  Suite(const Suite&) = delete;
  Suite& operator=(const Suite&) = delete;

  // Runs scripts/run (in a process group of its own) and returns at once.
  bool Start(const SuiteOptions& options = {});
  // Ctrl+C to the script, as a person stops it; then whatever still runs in this home is killed.
  // True when the script ended by itself on the Ctrl+C.
  bool Stop();
  // True while the script runs.
  bool Running();
  // Every process that runs with this home (the script, the phone, the suite's programs).
  std::vector<pid_t> Processes() const;

  const std::string& Home() const { return m_home; }
  const std::string& BinDir() const { return m_binDir; }
  // The simulated phone's state folder.
  std::string PhoneFolder() const { return m_home + "/phonesim"; }
  // What the script printed so far.
  std::string Output() const;

  // One control line to the running simulated phone ("drop 0", "reconnect", "clear"); true once it
  // answered "ok".
  bool PhoneControl(const std::string& line);
  // scripts/run once more in the same home while the suite runs, waited for; gives what it printed,
  // empty when it did not end by itself.
  std::string RunAgain();

 private:
  std::string ReportName() const;  // of the sanitizer reports of the programs started in this home

  std::string m_root, m_binDir, m_home;
  std::string m_port;  // the link service's loopback port, the same for every start in this home
  pid_t m_script = -1;
};

// The test's own eyes and hands on the X server.
class Person {
 public:
  Person() = default;
  bool IsOpen() const { return m_x.IsOpen(); }
  testing_display::XScreen& X() { return m_x; }

  // A viewable top-level window with this X title, waited for; 0 when it did not come.
  unsigned long WaitForWindow(const std::string& title, std::chrono::milliseconds limit = 60s);
  bool WaitForWindowGone(const std::string& title, std::chrono::milliseconds limit = 60s);
  // Clicks at a point of the window (its own pixels, the frame included).
  void ClickIn(unsigned long window, int x, int y);
  void Key(unsigned long symbol, bool shift = false);
  void Text(const std::string& text);
  // The window's pixels now (0xRRGGBB, row by row, its place's width); empty when it is not shown.
  std::vector<std::uint32_t> Pixels(unsigned long window, int& width);
  // The window's pixels in a box of its own (left and top inside, right and bottom outside), row by
  // row; 0 where the window does not reach.
  std::vector<std::uint32_t> PixelsIn(unsigned long window, int left, int top, int right, int bottom);
  // One pixel of the window, 0xFFFFFFFF when it is not shown.
  std::uint32_t PixelAt(unsigned long window, int x, int y);

 private:
  testing_display::XScreen m_x;
};

// The screen as a PNG in the tests' picture folder ($TEST_PNG_DIR, else the build's test output).
bool SaveScreen(const std::string& name);

// Steps that several scenarios take, as a person takes them.

// The launcher's X title.
inline constexpr const char* kLauncherTitle = " Dravik";

// From the phone selection of a first start to the launcher: "Autodetect", the link service's
// answer taken with Enter, and the launcher's window waited for. Pictures of each step are kept as
// "<pictures>-phone-selection", "-autodetect" and "-launcher" when `pictures` is not empty.
// Answers the launcher's window, 0 (with the reason in `why`) when a step did not come.
unsigned long FirstStartToLauncher(Suite& suite, Person& person, const std::string& pictures, std::string& why);

// The program of the launcher's folder bar at `index` (0 first, in the bar's large icons) clicked.
void ClickFolderBarItem(Person& person, unsigned long launcher, int index);

// The pointer moved to a point of the window (its own pixels, the frame included), no button pressed.
void PointAt(Person& person, unsigned long window, int x, int y);

// A file dialog already on its way, titled `title`, answered by keys: the path typed into its name
// field (which has the focus) and Enter; a question it then asks under its own title (create a new
// file, replace an old one) is answered with Enter, its default button. False when the dialog did
// not come or did not go.
bool ChooseFileByKeys(Person& person, const std::string& title, const std::string& path);

// A message box captioned `caption` waited for (up to `limit`), kept as a picture when `picture` is
// not empty, and answered with Enter (its default button) once a click on its text has given it
// the keys. False when it did not come or go.
bool AnswerMessageBox(Person& person, const std::string& caption, const std::string& picture,
                      std::chrono::milliseconds limit = 60s);

}  // namespace suite_testing
