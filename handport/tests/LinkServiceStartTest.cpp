// When the library starts the link service: not when it is loaded, but when the application makes
// its first manager, and then in the home the application runs in by then; once per load; and not
// at all when the manager is pointed at a test's own link service. A program that loads the
// library before it settles its home (as a test does, or a test program listing its cases) leaves
// no service behind anywhere else.
//
// The library's start returns once the new program runs, so the service it started is this
// thread's child right after the call. Each service started here finds the test holding the
// instance mutex of its home and ends at once, so none listens anywhere.
#include "support/ManagerHarness.h"

#include <base/TemporaryHome.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using tolvar::testing::TemporaryHome;

constexpr auto kEndLimit = 30s;  // guards against a hang, not a timing

std::string ReadProcFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct StartedService {
  pid_t pid;
  std::string commandLine;  // the arguments, separated by blanks
  std::string home;         // its TOLVAR_HOME
};

// The link service programs this thread started and that still run.
std::vector<StartedService> StartedServices() {
  std::vector<StartedService> found;
  const std::string children = ReadProcFile("/proc/self/task/" + std::to_string(syscall(SYS_gettid)) + "/children");
  std::istringstream ids(children);
  for (pid_t pid = 0; ids >> pid;) {
    const std::string folder = "/proc/" + std::to_string(pid);
    std::error_code ignored;
    if (std::filesystem::read_symlink(folder + "/exe", ignored).filename().string().rfind("Linkwell", 0) != 0) continue;
    StartedService service{pid, {}, {}};
    std::string arguments = ReadProcFile(folder + "/cmdline");
    if (!arguments.empty() && arguments.back() == '\0') arguments.pop_back();
    for (char& c : arguments) c = c == '\0' ? ' ' : c;
    service.commandLine = arguments;
    const std::string environment = ReadProcFile(folder + "/environ");
    for (std::size_t at = 0; at < environment.size();) {
      const std::size_t end = std::min(environment.find('\0', at), environment.size());
      const std::string entry = environment.substr(at, end - at);
      if (entry.rfind("TOLVAR_HOME=", 0) == 0) service.home = entry.substr(12);
      at = end + 1;
    }
    found.push_back(service);
  }
  return found;
}

class LinkServiceStartTest : public testing::Test {
 protected:
  void TearDown() override {
    library.Unload();
    const auto start = std::chrono::steady_clock::now();
    while (!StartedServices().empty() && std::chrono::steady_clock::now() - start < kEndLimit)
      std::this_thread::sleep_for(10ms);
    EXPECT_TRUE(StartedServices().empty()) << "a started link service did not end beside a running one";
    for (const StartedService& service : StartedServices()) kill(service.pid, SIGKILL);
    if (instanceMutex) CloseHandle(instanceMutex);
  }

  std::optional<TemporaryHome> loadedIn;  // where the program was when it loaded the library
  std::optional<TemporaryHome> runsIn;    // the home it settled on before making its manager
  HANDLE instanceMutex = nullptr;         // a link service "running" in runsIn
  ManagerLibrary library;
};

TEST_F(LinkServiceStartTest, TheFirstManagerStartsItOnceInItsHomeAndLoadingStartsNothing) {
  loadedIn.emplace();
  ASSERT_TRUE(library.Load());
  EXPECT_TRUE(StartedServices().empty()) << "loading the library started a link service";

  runsIn.emplace();
  instanceMutex = CreateMutexA(nullptr, FALSE, "LinkwellApp");
  ASSERT_NE(instanceMutex, nullptr);
  ASSERT_NE(library.Start(), nullptr);
  const std::vector<StartedService> started = StartedServices();
  ASSERT_EQ(started.size(), 1u) << "the first manager started no link service";
  EXPECT_EQ(started[0].commandLine, "Linkwell.exe Test");
  EXPECT_EQ(started[0].home, runsIn->Path());

  // Once per load: later managers start none, even once the first service has ended.
  const auto start = std::chrono::steady_clock::now();
  while (!StartedServices().empty() && std::chrono::steady_clock::now() - start < kEndLimit)
    std::this_thread::sleep_for(10ms);
  ASSERT_NE(library.Start(), nullptr);
  EXPECT_TRUE(StartedServices().empty());
}

TEST_F(LinkServiceStartTest, AManagerPointedAtATestsOwnServiceStartsNone) {
  QuietLinkHome home;
  QuietLinkHome::PointLibraryAt(4321);
  ASSERT_TRUE(library.Load());
  ASSERT_NE(library.Start(), nullptr);
  EXPECT_TRUE(StartedServices().empty());
}

}  // namespace
