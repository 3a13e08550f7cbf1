// How fast the suite comes up for a person, over the X display (run by hand under xvfb-run, with
// the programs built): scripts/run's start to the launcher's first frame when nothing needs
// building, the launcher's own start to its first frame, and each program's first frame in the
// launcher's pane after its click in the folder bar. Prints the median of a few rounds beside the
// goals.
//
//   xvfb-run -a build/check/bin/suite_startup_bench [rounds]
#include "support/SuiteHarness.h"

#include <X11/keysym.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace suite_testing;
using Clock = std::chrono::steady_clock;

constexpr const char* kLauncher = " Dravik";

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  if (values.empty()) return -1;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

bool LauncherRuns(const Suite& suite) {
  for (pid_t pid : suite.Processes()) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    if (std::getline(comm, name) && name == "Vezezudara") return true;
  }
  return false;
}

// The launcher's frame has painted once its caption shows (the X window is black before).
bool FirstFrame(Person& person, unsigned long window) {
  const std::uint32_t caption = person.PixelAt(window, 300, 10);
  return caption != 0 && caption != 0xFFFFFFFF;
}

// Pixels of the launcher's right pane that differ from `before`.
int PaneChanges(Person& person, unsigned long window, const std::vector<std::uint32_t>& before, int width) {
  int nowWidth = 0;
  const auto now = person.Pixels(window, nowWidth);
  if (now.size() != before.size() || nowWidth != width) return 0;
  int changed = 0;
  for (std::size_t i = 0; i < now.size(); ++i) {
    const int x = static_cast<int>(i % static_cast<std::size_t>(width));
    if (x > 130 && now[i] != before[i]) ++changed;
  }
  return changed;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  if (!std::getenv("DISPLAY")) {
    std::fprintf(stderr, "needs an X display (xvfb-run -a)\n");
    return 2;
  }
  Desktop desktop(SUITE_BIN_DIR);
  Person person;
  Suite suite(SUITE_SOURCE_ROOT, SUITE_BIN_DIR);

  // The first start chooses the phone; the rounds then start as a person does every day.
  if (!suite.Start()) return 1;
  const unsigned long selection = person.WaitForWindow("Phone selection");
  if (!selection) {
    std::fprintf(stderr, "no phone selection\n%s", suite.Output().c_str());
    return 1;
  }
  const auto place = person.X().Place(selection);
  const double unitX = place.width / 226.0, unitY = unitX * 13.0 / 12.0;
  person.ClickIn(selection, place.width - static_cast<int>(40 * unitX), place.height - static_cast<int>(17 * unitY));
  if (!person.WaitForWindow("Linkwell")) return 1;
  person.Key(XK_Return);
  if (!person.WaitForWindow(kLauncher)) return 1;
  suite.Stop();

  std::vector<double> run, launcher;
  std::vector<std::vector<double>> programs(3);
  for (int round = 0; round < rounds; ++round) {
    const auto start = Clock::now();
    if (!suite.Start()) return 1;
    Clock::time_point launcherStart{};
    unsigned long window = 0;
    const bool shown = WaitUntil(
        [&] {
          if (launcherStart == Clock::time_point{} && LauncherRuns(suite)) launcherStart = Clock::now();
          if (!window) window = person.X().FindShown(kLauncher);
          return window && FirstFrame(person, window);
        },
        std::chrono::seconds(60));
    const auto frame = Clock::now();
    if (!shown) {
      std::fprintf(stderr, "the launcher did not show\n%s", suite.Output().c_str());
      return 1;
    }
    run.push_back(Ms(frame - start));
    if (launcherStart != Clock::time_point{}) launcher.push_back(Ms(frame - launcherStart));

    WaitUntil([] { return false; }, std::chrono::milliseconds(500));  // the frame settles
    for (int item = 0; item < 3; ++item) {
      int width = 0;
      const auto before = person.Pixels(window, width);
      const auto click = Clock::now();
      person.ClickIn(window, 60, 71 + 64 * item);
      if (WaitUntil([&] { return PaneChanges(person, window, before, width) > 2000; }, std::chrono::seconds(30))) {
        programs[static_cast<std::size_t>(item)].push_back(Ms(Clock::now() - click));
      }
      WaitUntil([] { return false; }, std::chrono::milliseconds(500));
    }
    suite.Stop();
  }

  std::printf("median of %d rounds\n%-44s %10s %10s\n", rounds, "step", "ms", "goal ms");
  std::printf("%-44s %10.0f %10d\n", "scripts/run start to the launcher's frame", Median(run), 2000);
  std::printf("%-44s %10.0f %10d\n", "launcher start to its first frame", Median(launcher), 500);
  const char* names[] = {"Daybook", "Mediary", "Backup"};
  for (int item = 0; item < 3; ++item) {
    std::printf("%-44s %10.0f %10d\n", (std::string(names[item]) + " click to its first frame").c_str(),
                Median(programs[static_cast<std::size_t>(item)]), 300);
  }
  return 0;
}
