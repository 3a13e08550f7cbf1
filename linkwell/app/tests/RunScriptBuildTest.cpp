// scripts/run's build as a person sees it: one progress line and then what runs, with the
// compiler's own messages in full when the build fails. A stand-in `cmake` early on PATH plays the
// build's output, so the test needs no real build; without an X display the script stops right
// after the build, which is all this test looks at.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// What CMake prints while configuring and building, progress lines and make's chatter included.
constexpr char kFakeCmake[] = R"(#!/bin/sh
case "$1" in
  --build)
    echo "[  1%] Building CXX object platform/base/CMakeFiles/a.dir/a.cpp.o"
    echo "[ 50%] Built target platform_base"
    echo "gmake[2]: Entering directory '/x'"
    echo "Consolidate compiler generated dependencies of target Linkwell"
    if [ -n "$FAKE_BUILD_FAILS" ]; then
      echo "linkwell/a.cpp:1:1: error: 'x' was not declared in this scope"
      echo "gmake: *** [Makefile:146: all] Error 2"
      exit 2
    fi
    echo "[100%] Built target Linkwell"
    exit 0 ;;
  *) echo "-- Configuring done"; exit 0 ;;
esac
)";

struct Outcome {
  std::string out;
  std::string err;
  int status = -1;
};

class RunScriptBuild : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "run-build-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    m_dir = pattern;
    std::ofstream(m_dir / "cmake") << kFakeCmake;
    fs::permissions(m_dir / "cmake", fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(m_dir); }

  Outcome Run(bool fails) const {
    const fs::path out = m_dir / "out", err = m_dir / "err";
    const std::string command = std::string("env -u DISPLAY ") + (fails ? "FAKE_BUILD_FAILS=1 " : "") +
                                "PATH='" + m_dir.string() + ":" + std::getenv("PATH") + "' bash '" LINKWELL_SOURCE_ROOT
                                "/scripts/run' --home '" + (m_dir / "home").string() + "' >'" + out.string() +
                                "' 2>'" + err.string() + "' </dev/null";
    Outcome outcome;
    outcome.status = std::system(command.c_str());
    auto read = [](const fs::path& file) {
      std::ifstream in(file);
      return std::string(std::istreambuf_iterator<char>(in), {});
    };
    outcome.out = read(out);
    outcome.err = read(err);
    return outcome;
  }

  fs::path m_dir;
};

TEST_F(RunScriptBuild, ShowsNoProgressChatterAndThenWhatHappens) {
  const Outcome run = Run(false);
  const std::string all = run.out + run.err;
  EXPECT_EQ(all.find("Built target"), std::string::npos) << all;
  EXPECT_EQ(all.find("%]"), std::string::npos) << all;
  EXPECT_EQ(all.find("gmake"), std::string::npos) << all;
  EXPECT_EQ(all.find("Configuring done"), std::string::npos) << all;
  EXPECT_EQ(run.out, "Built the suite (release).\n");
  // After the build the script goes on to the display, which this test leaves out.
  EXPECT_NE(run.err.find("no X display"), std::string::npos) << run.err;
}

TEST_F(RunScriptBuild, AFailedBuildEndsWithTheCompilersMessages) {
  const Outcome run = Run(true);
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("linkwell/a.cpp:1:1: error: 'x' was not declared in this scope"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("the release build failed"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("Built target"), std::string::npos) << run.err;
  EXPECT_EQ(run.err.find("no X display"), std::string::npos) << "the script went on after a failed build";
}

}  // namespace
