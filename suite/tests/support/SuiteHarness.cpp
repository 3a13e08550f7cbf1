#include "support/SuiteHarness.h"

// The test framework before Xlib, whose macros (None, Bool) its names would meet.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <strings.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

namespace suite_testing {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

namespace {

// A loopback port nobody listens on, so that the suite's link service does not meet another
// test's (or a person's) suite.
unsigned FreeLoopbackPort() {
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  close(probe);
  return ntohs(address.sin_port);
}

// ThreadSanitizer writes a report to the standard error of the program that raced, and the suite's
// programs keep theirs nowhere a test looks (the script's output goes with the home; the link
// service started by a program closes its own). In a tsan build every program a test starts
// writes its reports to a file of the reports' folder instead, "<name>.<program>.<pid>", and the
// test fails on each file of its names with the report shown. Other builds leave the option unread.
std::string ReportFolder() { return SUITE_TSAN_DIR; }

// The sanitizer's options for a program that, with all it starts, reports under `name`: the
// caller's own options kept, the reports' place added (the folder is made here, before a fork).
std::string ReportOptions(const std::string& name) {
  std::error_code ignored;
  std::filesystem::create_directories(ReportFolder(), ignored);
  const char* given = std::getenv("TSAN_OPTIONS");
  std::string options = given ? std::string(given) + " " : std::string();
  return options + "log_path=" + ReportFolder() + "/" + name + " log_exe_name=1";
}

// The report files written under `name`.
std::vector<std::filesystem::path> Reports(const std::string& name) {
  std::vector<std::filesystem::path> found;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(ReportFolder(), ec)) {
    if (entry.path().filename().string().starts_with(name + ".")) found.push_back(entry.path());
  }
  return found;
}

// Reports of an earlier run that had the same name (a temporary folder's name comes again) are
// not this run's.
void ForgetReports(const std::string& name) {
  std::error_code ignored;
  for (const auto& path : Reports(name)) std::filesystem::remove(path, ignored);
}

// Each report written under `name` fails the test that runs, with the report shown; the files stay
// for a person to read.
void TellReports(const std::string& name) {
  for (const auto& path : Reports(name)) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    ADD_FAILURE() << "ThreadSanitizer reported in a program the test started (" << path.string() << "):\n"
                  << text.str();
  }
}

// In a forked child: scripts/run with these arguments, its output going to `log` and nothing on
// its input, on the link service's port of the suite and in its home.
[[noreturn]] void ExecScript(std::vector<std::string> args, const std::string& log, const std::string& port,
                             const std::string& home, const std::string& reportOptions) {
  const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out >= 0) {
    dup2(out, 1);
    dup2(out, 2);
    close(out);
  }
  const int in = open("/dev/null", O_RDONLY);
  if (in >= 0) dup2(in, 0);
  // As in a terminal, Ctrl+C reaches the script: a test started in the background of a shell
  // inherits SIGINT ignored, and a shell cannot trap a signal ignored when it started.
  signal(SIGINT, SIG_DFL);
  signal(SIGQUIT, SIG_DFL);
  setenv("TOLVAR_LINK_PORT", port.c_str(), 1);
  setenv("TOLVAR_HOME", home.c_str(), 1);  // so that Processes() finds everything the script starts
  setenv("TSAN_OPTIONS", reportOptions.c_str(), 1);
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  execvp("bash", argv.data());
  _exit(127);
}

bool Ended(pid_t pid, std::chrono::milliseconds limit) {
  return WaitUntil([&] { return waitpid(pid, nullptr, WNOHANG) == pid; }, limit);
}

// Windows come and go while the desktop and the person look at them: a request about a window
// that has just gone is answered with an error, which ends the process under Xlib's own handler.
int IgnoreGoneWindows(Display*, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable || error->error_code == BadMatch) return 0;
  char text[256];
  XGetErrorText(error->display, error->error_code, text, sizeof text);
  std::fprintf(stderr, "X error: %s (request %d)\n", text, error->request_code);
  return 0;
}

// The build's bin folder holds the test programs beside the suite's, and some of them carry a
// program's resources and so its version record, by which the launcher lists programs in its
// folder bar. scripts/run runs the suite from its bin folder: here that is a folder of the home
// that links to what scripts/run builds and to everything else that is no program (the libraries,
// the texts), as a person's own build holds. Empty when it could not be made.
std::string ProgramFolder(const std::string& binDir, const std::string& home) {
  namespace fs = std::filesystem;
  std::vector<std::string> programs;
  std::istringstream names(SUITE_PROGRAMS);
  for (std::string name; std::getline(names, name, ',');) programs.push_back(name);
  const fs::path folder = fs::path(home) / "bin";
  std::error_code ec;
  fs::create_directories(folder, ec);
  for (const auto& entry : fs::directory_iterator(binDir, ec)) {
    const std::string name = entry.path().filename().string();
    char magic[4] = {};
    std::ifstream(entry.path(), std::ios::binary).read(magic, sizeof magic);
    const bool program = name.find('.') == std::string::npos && std::memcmp(magic, "\x7F" "ELF", 4) == 0;
    if (program && std::find(programs.begin(), programs.end(), name) == programs.end()) continue;
    if (fs::is_symlink(folder / name)) continue;  // made by an earlier start in this home
    fs::create_symlink(entry.path(), folder / name, ec);
    if (ec) return {};
  }
  return ec ? std::string() : folder.string();
}

}  // namespace

Desktop::Desktop(const std::string& binDir) {
  static std::atomic<int> desktops{0};
  m_reportName = "tolvar-desktop-" + std::to_string(getpid()) + "-" + std::to_string(++desktops);
  ForgetReports(m_reportName);
  XSetErrorHandler(IgnoreGoneWindows);
  m_windowManager = std::thread([this] {
    testing_display::XScreen x;
    m_managing = x.IsOpen() && x.ManageWindows();
    m_started = true;
    while (m_managing && !m_stop) {
      x.Serve();
      std::this_thread::sleep_for(10ms);
    }
  });
  WaitUntil([&] { return m_started.load(); }, 10s);
  const std::string tray = binDir + "/display_xembed_tray";
  if (access(tray.c_str(), X_OK) == 0) {
    // At the screen's bottom right, as a panel's tray, where no window of the suite covers it.
    testing_display::XScreen screen;
    const std::string x = std::to_string(std::max(0, screen.ScreenWidth() - 200));
    const std::string y = std::to_string(std::max(0, screen.ScreenHeight() - 24));
    const std::string reportOptions = ReportOptions(m_reportName);
    m_tray = fork();
    if (m_tray == 0) {
      setenv("TSAN_OPTIONS", reportOptions.c_str(), 1);
      execl(tray.c_str(), tray.c_str(), x.c_str(), y.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
}

Desktop::~Desktop() {
  if (m_tray > 0) {
    kill(m_tray, SIGTERM);
    if (!Ended(m_tray, 5s)) {
      kill(m_tray, SIGKILL);
      waitpid(m_tray, nullptr, 0);
    }
  }
  m_stop = true;
  m_windowManager.join();
  TellReports(m_reportName);
}

Suite::Suite(std::string sourceRoot, std::string binDir) : m_root(std::move(sourceRoot)), m_binDir(std::move(binDir)) {
  std::string pattern = (std::filesystem::temp_directory_path() / "tolvar-suite-XXXXXX").string();
  if (mkdtemp(pattern.data())) m_home = pattern;
  if (!m_home.empty()) ForgetReports(ReportName());
}

Suite::~Suite() {
  Stop();
  std::error_code ignored;
  if (!m_home.empty()) {
    TellReports(ReportName());
    std::filesystem::remove_all(m_home, ignored);
    std::filesystem::remove(m_home + ".out", ignored);
  }
}

std::string Suite::ReportName() const { return std::filesystem::path(m_home).filename().string(); }

bool Suite::Start(const SuiteOptions& options) {
  if (m_home.empty() || m_script > 0) return false;
  const std::string programs = ProgramFolder(m_binDir, m_home);
  if (programs.empty()) return false;
  std::vector<std::string> args{"bash", m_root + "/scripts/run", "--bin-dir", programs, "--home", m_home, "--model",
                                options.model};
  args.insert(args.end(), options.arguments.begin(), options.arguments.end());
  const std::string log = m_home + ".out";
  m_port = std::to_string(FreeLoopbackPort());
  const std::string reportOptions = ReportOptions(ReportName());
  m_script = fork();
  if (m_script < 0) return false;
  if (m_script == 0) {
    setpgid(0, 0);
    ExecScript(std::move(args), log, m_port, m_home, reportOptions);
  }
  setpgid(m_script, m_script);
  return true;
}

bool Suite::Running() { return m_script > 0 && waitpid(m_script, nullptr, WNOHANG) == 0; }

std::vector<pid_t> Suite::Processes() const {
  std::vector<pid_t> found;
  if (m_home.empty()) return found;
  const std::string mark = "TOLVAR_HOME=" + m_home;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", std::filesystem::directory_options::skip_permission_denied)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream environ(entry.path() / "environ", std::ios::binary);
    std::string item;
    while (std::getline(environ, item, '\0')) {
      if (item == mark) {
        found.push_back(static_cast<pid_t>(std::stol(name)));
        break;
      }
    }
  }
  return found;
}

bool Suite::Stop() {
  bool clean = true;
  if (m_script > 0) {
    kill(m_script, SIGINT);  // to the script alone, as the terminal's Ctrl+C reaches its foreground job
    if (!Ended(m_script, 30s)) {
      clean = false;
      kill(-m_script, SIGKILL);
      waitpid(m_script, nullptr, 0);
    }
    m_script = -1;
  }
  // The suite runs in a session of its own: whatever of it outlived the script ends here.
  auto left = Processes();
  if (!left.empty()) {
    clean = false;
    for (pid_t pid : left) kill(pid, SIGTERM);
    if (!WaitUntil([&] { return Processes().empty(); }, 5s)) {
      for (pid_t pid : Processes()) kill(pid, SIGKILL);
      WaitUntil([&] { return Processes().empty(); }, 5s);
    }
  }
  return clean;
}

std::string Suite::Output() const {
  std::ifstream in(m_home + ".out");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

unsigned long Person::WaitForWindow(const std::string& title, std::chrono::milliseconds limit) {
  unsigned long window = 0;
  WaitUntil([&] { return (window = m_x.FindShown(title)) != 0; }, limit);
  return window;
}

bool Person::WaitForWindowGone(const std::string& title, std::chrono::milliseconds limit) {
  return WaitUntil([&] { return m_x.FindShown(title) == 0; }, limit);
}

void Person::ClickIn(unsigned long window, int x, int y) {
  const auto place = m_x.Place(window);
  m_x.Click(place.rootX + x, place.rootY + y);
}

void Person::Key(unsigned long symbol, bool shift) { m_x.Type(symbol, shift); }

void Person::Text(const std::string& text) {
  // The characters a US keyboard (the X server's own) gives with Shift, and at the same place in
  // the second row the character of the same key without it.
  static constexpr std::string_view kShifted = "~!@#$%^&*()_+{}|:\"<>?";
  static constexpr std::string_view kPlain = "`1234567890-=[]\\;',./";
  for (unsigned char c : text) {
    if (c == '\n') {
      m_x.Type(XK_Return);
    } else if (c >= 'A' && c <= 'Z') {
      m_x.Type(c - 'A' + 'a', true);
    } else if (const auto at = kShifted.find(static_cast<char>(c)); at != std::string_view::npos) {
      m_x.Type(static_cast<unsigned char>(kPlain[at]), true);
    } else {
      m_x.Type(c);
    }
  }
}

std::vector<std::uint32_t> Person::Pixels(unsigned long window, int& width) {
  const auto place = m_x.Place(window);
  width = place.width;
  return m_x.Pixels(window, place.width, place.height);
}

std::vector<std::uint32_t> Person::PixelsIn(unsigned long window, int left, int top, int right, int bottom) {
  int width = 0;
  const auto pixels = Pixels(window, width);
  std::vector<std::uint32_t> inside;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
      inside.push_back(x < width && at < pixels.size() ? pixels[at] : 0);
    }
  }
  return inside;
}

std::uint32_t Person::PixelAt(unsigned long window, int x, int y) {
  int width = 0;
  const auto pixels = Pixels(window, width);
  const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x);
  return x >= 0 && x < width && at < pixels.size() ? pixels[at] : 0xFFFFFFFFu;
}

bool SaveScreen(const std::string& name) {
  const char* folder = std::getenv("TEST_PNG_DIR");
  const std::string dir = folder ? folder : SUITE_PNG_DIR;
  std::error_code ignored;
  std::filesystem::create_directories(dir, ignored);
  const std::string command =
      "xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng > '" + dir + "/" + name + ".png' 2>/dev/null";
  return std::system(command.c_str()) == 0;
}

unsigned long FirstStartToLauncher(Suite& suite, Person& person, const std::string& pictures, std::string& why) {
  auto picture = [&](const char* step) {
    if (!pictures.empty()) SaveScreen(pictures + "-" + step);
  };
  const unsigned long selection = person.WaitForWindow("Phone selection");
  if (!selection) {
    why = "no phone selection on a first start\n" + suite.Output();
    return 0;
  }
  if (person.X().FindShown(kLauncherTitle)) {
    why = "the launcher came before a phone was chosen";
    return 0;
  }
  picture("phone-selection");
  // "Autodetect" sits at the dialog's bottom right: 60 x 14 dialog units, 7 from the right and
  // bottom edges of a 220 x 178 unit client area.
  const auto place = person.X().Place(selection);
  const double unitX = place.width / 226.0, unitY = unitX * 13.0 / 12.0;
  person.ClickIn(selection, place.width - static_cast<int>(40 * unitX), place.height - static_cast<int>(17 * unitY));
  if (!person.WaitForWindow("Linkwell")) {
    why = "Autodetect told nothing\n" + suite.Output();
    return 0;
  }
  picture("autodetect");
  person.Key(XK_Return);
  if (!person.WaitForWindowGone("Phone selection")) {
    why = "the phone selection stayed";
    return 0;
  }
  const unsigned long launcher = person.WaitForWindow(kLauncherTitle);
  if (!launcher) {
    why = "the launcher did not come up\n" + suite.Output();
    return 0;
  }
  if (!pictures.empty()) {
    WaitUntil([] { return false; }, 500ms);  // let the frame settle (the picture is for people)
    picture("launcher");
  }
  return launcher;
}

namespace {

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

void ClickFolderBarItem(Person& person, unsigned long launcher, int index) {
  // The bar's items are 64 pixels high, the first one's icon centred at (60, 71) of the frame.
  person.ClickIn(launcher, 60, 71 + 64 * index);
}

void PointAt(Person& person, unsigned long window, int x, int y) {
  const auto place = person.X().Place(window);
  person.X().MoveTo(place.rootX + x, place.rootY + y);
}

bool ChooseFileByKeys(Person& person, const std::string& title, const std::string& path) {
  if (!person.WaitForWindow(title)) return false;
  person.Text(path);
  person.Key(XK_Return);
  const auto asked = [&] { return person.X().FindAllShown(title).size() > 1; };
  if (!WaitUntil([&] { return asked() || !person.X().FindShown(title); })) return false;
  if (asked()) person.Key(XK_Return);
  return person.WaitForWindowGone(title);
}

bool AnswerMessageBox(Person& person, const std::string& caption, const std::string& picture,
                      std::chrono::milliseconds limit) {
  const unsigned long box = person.WaitForWindow(caption, limit);
  if (!box) return false;
  if (!picture.empty()) SaveScreen(picture);
  // A click on the box's text makes sure the keys go to it.
  person.ClickIn(box, person.X().Place(box).width / 2, 50);
  person.Key(XK_Return);
  return person.WaitForWindowGone(caption);
}

bool Suite::PhoneControl(const std::string& line) {
  // scripts/run gives the phone its control lines through a pipe in the home and keeps its
  // answers there, after the line that named its port.
  const std::string answers = m_home + "/phonesim.out";
  const std::size_t before = Lines(answers).size();
  if (before == 0) return false;
  const int pipe = open((m_home + "/phonesim.control").c_str(), O_WRONLY | O_NONBLOCK);
  if (pipe < 0) return false;
  const std::string text = line + "\n";
  const bool written = write(pipe, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(pipe);
  std::vector<std::string> now;
  return written && WaitUntil([&] { return (now = Lines(answers)).size() > before; }, 10s) && now[before] == "ok";
}

std::string Suite::RunAgain() {
  if (m_home.empty() || m_port.empty()) return {};
  const std::string log = m_home + ".again";
  const std::string programs = ProgramFolder(m_binDir, m_home);
  const std::string reportOptions = ReportOptions(ReportName());
  const pid_t again = fork();
  if (again < 0) return {};
  if (again == 0) {
    ExecScript({"bash", m_root + "/scripts/run", "--bin-dir", programs, "--home", m_home}, log, m_port, m_home,
               reportOptions);
  }
  const bool ended = Ended(again, 30s);
  if (!ended) {
    kill(again, SIGKILL);
    waitpid(again, nullptr, 0);
  }
  std::ifstream in(log);
  std::stringstream text;
  text << in.rdbuf();
  std::error_code ignored;
  std::filesystem::remove(log, ignored);
  return ended ? text.str() : std::string();
}

}  // namespace suite_testing
