#pragma once
// Test helpers: a private home folder per test, file access, and running the child programs.
#include <string>
#include <vector>

namespace tolvar::registry::testing {

// A fresh temporary folder that TOLVAR_HOME points at while the object lives. The fake device trees
// (TOLVAR_SYSFS_ROOT, TOLVAR_DEVFS_ROOT) point at empty folders inside it, so the machine's own
// serial devices never show in a test.
class TestHome {
public:
  TestHome();
  ~TestHome();
  TestHome(const TestHome&) = delete;
  TestHome& operator=(const TestHome&) = delete;

  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }
  std::string SysRoot() const { return File("sys"); }
  std::string DevRoot() const { return File("dev"); }

private:
  std::string m_path;
};

std::string ReadFile(const std::string& path);
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
