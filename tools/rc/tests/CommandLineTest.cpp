// The compiler as the build runs it: exit status, the diagnostic on stderr, the output and depfile.
#include "RcFixtures.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>

namespace tolvar::rc::test {
namespace {

struct RcRun {
  int status = -1;
  std::string errors;
};

RcRun RunRc(const std::string& folder, const std::string& arguments) {
  std::string errors = folder + "/stderr.txt";
  std::string command = std::string(RC_PROGRAM) + " " + arguments + " 2>" + errors;
  int raw = std::system(command.c_str());
  RcRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream in(errors);
  std::ostringstream text;
  text << in.rdbuf();
  run.errors = text.str();
  return run;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(CommandLine, BadScriptReportsFileAndLineAndWritesNothing) {
  std::string folder = TempFolder();
  WriteFile(folder + "/bad.rc", "STRINGTABLE\nBEGIN\n  1 \"one\"\n  2 MISSING\nEND\n");
  RcRun run = RunRc(folder, "-o " + folder + "/out.res " + folder + "/bad.rc");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors.rfind(folder + "/bad.rc:4: expected a string", 0), 0u) << run.errors;
  EXPECT_FALSE(std::ifstream(folder + "/out.res").good());
}

TEST(CommandLine, GoodScriptWritesContainerAndDepfile) {
  std::string folder = TempFolder();
  WriteFile(folder + "/inc/ids.h", "#define IDS_HELLO 7\n");
  WriteFile(folder + "/good.rc", "#include \"ids.h\"\nSTRINGTABLE BEGIN IDS_HELLO \"hello\" END\n");
  RcRun run = RunRc(folder, "-I " + folder + "/inc -o " + folder + "/out.res --depfile " + folder + "/out.d " +
                              folder + "/good.rc");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(Read(folder + "/out.res").substr(0, 4), "TRSC");
  std::string depfile = Read(folder + "/out.d");
  EXPECT_EQ(depfile.rfind(folder + "/out.res:", 0), 0u) << depfile;
  EXPECT_NE(depfile.find(folder + "/good.rc"), std::string::npos);
  EXPECT_NE(depfile.find(folder + "/inc/ids.h"), std::string::npos);
}

TEST(CommandLine, WrongUsageExitsWithTwo) {
  std::string folder = TempFolder();
  EXPECT_EQ(RunRc(folder, "").status, 2);
  EXPECT_EQ(RunRc(folder, "--frobnicate x.rc -o y").status, 2);
  RcRun missing = RunRc(folder, "-o " + folder + "/out.res " + folder + "/absent.rc");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.errors.find("absent.rc: cannot open file"), std::string::npos) << missing.errors;
}

}  // namespace
}  // namespace tolvar::rc::test
