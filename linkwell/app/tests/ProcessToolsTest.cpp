// Finding the suite's programs by name: only this user's processes count. A program of the same
// name that another user runs on the machine must not be taken for the launcher (the link service
// would restore, close or forward commands to a window of someone else's suite).
#include "ProcessTools.h"

#include <base/Time.h>
#include <kernel/Snapshot.h>
#include <kernel/UniqueHandle.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <optional>
#include <string>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr char kName[] = "Foreignsuite";
constexpr uid_t kNobody = 65534;

// A program named kName (a copy of sleep) started as `user`, or as this user when none is given.
class NamedProcess {
 public:
  NamedProcess(const fs::path& program, std::optional<uid_t> user) {
    m_pid = fork();
    if (m_pid == 0) {
      if (user && (setgid(*user) != 0 || setuid(*user) != 0)) _exit(3);
      execl(program.c_str(), kName, "30", static_cast<char*>(nullptr));
      _exit(4);
    }
  }
  ~NamedProcess() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
  }
  DWORD Id() const { return static_cast<DWORD>(m_pid); }

  // Waits until a snapshot lists the process under its new name (the exec is done).
  bool WaitListed() const {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
      const tolvar::kernel::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
      PROCESSENTRY32 entry{};
      entry.dwSize = sizeof entry;
      for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == Id() && strncasecmp(entry.szExeFile, kName, sizeof kName - 1) == 0) return true;
      }
      Sleep(10);
    }
    return false;
  }

 private:
  pid_t m_pid = -1;
};

TEST(ProcessTools, AProgramOfAnotherUserIsNotFoundByName) {
  const fs::path folder = fs::path(testing::TempDir()) / ("linkwell-processes-" + std::to_string(getpid()));
  fs::create_directories(folder);
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  const fs::path program = folder / kName;
  fs::copy_file("/bin/sleep", program, fs::copy_options::overwrite_existing);
  fs::permissions(program, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec);

  EXPECT_EQ(FindProcessByName(kName), -1);
  {
    NamedProcess own(program, std::nullopt);
    ASSERT_TRUE(own.WaitListed());
    EXPECT_EQ(FindProcessByName(kName), static_cast<int>(own.Id()));
    EXPECT_TRUE(tolvar::kernel::IsProcessOfThisUser(own.Id()));
  }
  if (getuid() != 0) {
    fs::remove_all(folder);
    GTEST_SKIP() << "starting a program as another user needs root";
  }
  {
    NamedProcess foreign(program, kNobody);
    ASSERT_TRUE(foreign.WaitListed());
    EXPECT_FALSE(tolvar::kernel::IsProcessOfThisUser(foreign.Id()));
    EXPECT_EQ(FindProcessByName(kName), -1);
    // Beside it, this user's own program of that name is the one found.
    NamedProcess own(program, std::nullopt);
    ASSERT_TRUE(own.WaitListed());
    EXPECT_EQ(FindProcessByName(kName), static_cast<int>(own.Id()));
  }
  EXPECT_FALSE(tolvar::kernel::IsProcessOfThisUser(0));
  fs::remove_all(folder);
}

}  // namespace
