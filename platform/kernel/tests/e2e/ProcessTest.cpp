// Starting real programs: the probe child (tests/children/probe.cpp) lies beside this test program.
#include "../children/ProbeCode.h"

#include <kernel/File.h>
#include <kernel/Module.h>
#include <kernel/Object.h>
#include <kernel/Path.h>
#include <kernel/Process.h>
#include <kernel/Snapshot.h>
#include <kernel/Wait.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace {

STARTUPINFOA Startup() {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  return startup;
}

class ProcessTest : public ::testing::Test {
protected:
  void SetUp() override {
    static int counter = 0;
    m_root = std::filesystem::temp_directory_path() /
             ("kernel-process-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(m_root / "home");
    ::setenv("TOLVAR_HOME", (m_root / "home").c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(m_root); }

  std::string Path(const std::string& name) const { return (m_root / name).string(); }

  // Starts the probe with `arguments`; the command line is returned through `line`.
  PROCESS_INFORMATION Start(const std::string& arguments, const char* directory = nullptr, std::string* line = nullptr) {
    std::string text = "kernel_child_probe.exe " + arguments;
    if (line) *line = text;
    STARTUPINFOA startup = Startup();
    PROCESS_INFORMATION info{};
    EXPECT_TRUE(CreateProcessA(nullptr, text.data(), nullptr, nullptr, TRUE, 0, nullptr, directory, &startup, &info))
        << GetLastError();
    return info;
  }

  static DWORD WaitForExit(const PROCESS_INFORMATION& info) {
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return code;
  }

  static std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

private:
  std::filesystem::path m_root;
};

TEST_F(ProcessTest, ChildGetsItsCommandLineBackAndExitsWithItsCode) {
  std::string report = Path("report with blank.txt");
  std::string line;
  PROCESS_INFORMATION info =
      Start("report \"" + report + "\" \"a \\\"quoted\\\" word\"  back\\slash\ttab", nullptr, &line);
  ASSERT_NE(info.hProcess, nullptr);
  EXPECT_EQ(info.dwProcessId, info.dwThreadId);
  EXPECT_NE(info.dwProcessId, GetCurrentProcessId());
  // The thread handle ends with the process.
  EXPECT_EQ(WaitForSingleObject(info.hThread, 20000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForExit(info), CommandLineCode(line));

  std::string written = ReadText(report);
  std::string expectedFolder = std::filesystem::current_path().string();
  EXPECT_EQ(written, line + "\n" + expectedFolder);
}

TEST_F(ProcessTest, WorkingDirectoryIsHonouredAndDrivePathsMap) {
  ASSERT_TRUE(CreateDirectoryA("C:\\Run", nullptr));
  std::string report = Path("cwd.txt");
  PROCESS_INFORMATION info = Start("report " + report, "c:\\run");
  WaitForExit(info);
  std::string written = ReadText(report);
  EXPECT_EQ(written.substr(written.find('\n') + 1), "C:\\Run");

  // The program is still found in the starting program's folder, whatever the working directory.
  std::filesystem::create_directories(Path("elsewhere"));
  info = Start("report " + report, Path("elsewhere").c_str());
  WaitForExit(info);
  written = ReadText(report);
  EXPECT_EQ(written.substr(written.find('\n') + 1), Path("elsewhere"));
}

TEST_F(ProcessTest, ApplicationNameRunsThatFileWithTheGivenCommandLine) {
  std::string program = tolvar::kernel::ProgramFolder() + "\\kernel_child_probe.exe";
  std::string report = Path("app.txt");
  std::string line = "AnyName report " + report;
  STARTUPINFOA startup = Startup();
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                             nullptr, &startup, &info));
  EXPECT_EQ(WaitForExit(info), CommandLineCode(line));
  EXPECT_EQ(ReadText(report).substr(0, line.size()), line);
}

TEST_F(ProcessTest, StartFailuresReportWindowsErrors) {
  struct Case { const char* application; const char* commandLine; const char* directory; DWORD error; };
  const Case cases[] = {
      {nullptr, "NoSuchProgram.exe Test", nullptr, ERROR_FILE_NOT_FOUND},
      {nullptr, "NoSuchProgram", nullptr, ERROR_FILE_NOT_FOUND},
      {"C:\\Missing\\Tool.exe", nullptr, nullptr, ERROR_PATH_NOT_FOUND},
      {nullptr, "kernel_child_probe.exe exit 0", "C:\\NoSuchFolder", ERROR_DIRECTORY},
      {nullptr, nullptr, nullptr, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    std::string line = c.commandLine ? c.commandLine : "";
    STARTUPINFOA startup = Startup();
    PROCESS_INFORMATION info{};
    EXPECT_FALSE(CreateProcessA(c.application, c.commandLine ? line.data() : nullptr, nullptr, nullptr, FALSE, 0,
                                nullptr, c.directory, &startup, &info))
        << line;
    EXPECT_EQ(GetLastError(), c.error) << (c.application ? c.application : line);
  }
  // A file that is no program.
  std::ofstream(Path("notaprogram"), std::ios::binary) << "just text";
  std::filesystem::permissions(Path("notaprogram"), std::filesystem::perms::owner_all);
  std::string line = Path("notaprogram");
  STARTUPINFOA startup = Startup();
  PROCESS_INFORMATION info{};
  EXPECT_FALSE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  EXPECT_EQ(GetLastError(), ERROR_BAD_EXE_FORMAT);
}

TEST_F(ProcessTest, ExitCodesOfEndingsOfEveryKind) {
  PROCESS_INFORMATION sleeper = Start("sleep 30000");
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeProcess(sleeper.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_EQ(WaitForSingleObject(sleeper.hProcess, 0), WAIT_TIMEOUT);
  ASSERT_TRUE(TerminateProcess(sleeper.hProcess, 77));
  EXPECT_EQ(WaitForSingleObject(sleeper.hProcess, 20000), WAIT_OBJECT_0);
  EXPECT_FALSE(TerminateProcess(sleeper.hProcess, 78));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(WaitForExit(sleeper), 77u);

  EXPECT_EQ(WaitForExit(Start("exit 42")), 42u);
  EXPECT_EQ(WaitForExit(Start("abort")), 3u);

  ASSERT_TRUE(GetExitCodeProcess(GetCurrentProcess(), &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_FALSE(GetExitCodeProcess(reinterpret_cast<HANDLE>(0x7FFFFFF0), &code));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(ProcessTest, SnapshotListsTheChildByItsWindowsName) {
  PROCESS_INFORMATION child = Start("sleep 30000");
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  ASSERT_NE(snapshot, INVALID_HANDLE_VALUE);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool foundChild = false, foundSelf = false;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ProcessID == child.dwProcessId) {
      foundChild = true;
      EXPECT_STREQ(entry.szExeFile, "kernel_child_probe.exe");
      EXPECT_EQ(entry.th32ParentProcessID, GetCurrentProcessId());
      EXPECT_GE(entry.cntThreads, 1u);
    }
    if (entry.th32ProcessID == GetCurrentProcessId()) {
      foundSelf = true;
      EXPECT_STREQ(entry.szExeFile, "kernel_e2e_tests.exe");
    }
  }
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(foundChild);
  EXPECT_TRUE(foundSelf);

  // First starts over; a short record is refused.
  ASSERT_TRUE(Process32First(snapshot, &entry));
  entry.dwSize = 8;
  EXPECT_FALSE(Process32Next(snapshot, &entry));
  EXPECT_EQ(GetLastError(), ERROR_BAD_LENGTH);
  CloseHandle(snapshot);
  EXPECT_EQ(CreateToolhelp32Snapshot(0x8 /* modules */, 0), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

  TerminateProcess(child.hProcess, 0);
  WaitForExit(child);
}

}  // namespace
