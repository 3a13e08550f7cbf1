#pragma once
// Test helpers: a private home folder per test, file access, and running the child programs.
#include <base/TemporaryHome.h>

#include <string>
#include <vector>

namespace tolvar::registry::testing {

using TestHome = tolvar::testing::TemporaryHome;
using tolvar::testing::ReadFile;

void WriteFile(const std::string& path, const std::string& text);
// Replaces a file by a new one with the same text, as another process's write would.
void ReplaceFile(const std::string& path, const std::string& text);
std::vector<std::string> FilesStartingWith(const std::string& folder, const std::string& prefix);

struct ChildResult {
  int exitCode = -1;
  std::string output;
};

// Starts the test child program `registry_child_<name>` (beside the test binary) with arguments.
// Start returns its process id; Wait collects its exit code and standard output.
struct ChildProcess {
  int pid = -1;
  int outputFd = -1;
};
ChildProcess StartChild(const std::string& name, const std::vector<std::string>& args);
ChildResult WaitChild(ChildProcess child);
ChildResult RunChild(const std::string& name, const std::vector<std::string>& args);

}  // namespace tolvar::registry::testing
