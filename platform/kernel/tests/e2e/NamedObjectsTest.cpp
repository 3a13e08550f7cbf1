// Named objects between real processes: the children are kernel_child_named_objects, started here
// with posix_spawn, each with the home folder the test gives it.
#include <kernel/Kernel.h>

#include <base/Home.h>
#include <base/LastError.h>
#include <base/WinError.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace std::chrono_literals;

namespace {

std::string ChildPath() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "kernel_child_named_objects").string();
}

class Child {
public:
  Child(const std::string& home, std::vector<std::string> args) {
    int in[2], out[2];
    EXPECT_EQ(pipe2(in, O_CLOEXEC), 0);
    EXPECT_EQ(pipe2(out, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      if (!std::string_view(*e).starts_with("TOLVAR_HOME=")) env.emplace_back(*e);
    }
    env.push_back("TOLVAR_HOME=" + home);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string path = ChildPath();
    args.insert(args.begin(), path);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&m_pid, path.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    m_stdin = in[1];
    m_stdout = out[0];
  }
  ~Child() {
    CloseInput();
    if (m_pid > 0) Reap();
    close(m_stdout);
  }

  // The next line the child prints, or "<none>" after ten seconds of silence.
  std::string ReadLine() {
    std::string line;
    char c;
    while (true) {
      pollfd p{m_stdout, POLLIN, 0};
      if (poll(&p, 1, 10000) <= 0 || read(m_stdout, &c, 1) != 1) return line.empty() ? "<none>" : line;
      if (c == '\n') return line;
      line += c;
    }
  }

  void CloseInput() {
    if (m_stdin >= 0) close(m_stdin);
    m_stdin = -1;
  }
  void Kill() { kill(m_pid, SIGKILL); }
  int Reap() {
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
    return status;
  }

private:
  pid_t m_pid = -1;
  int m_stdin = -1;
  int m_stdout = -1;
};

class NamedAcrossProcesses : public ::testing::Test {
protected:
  void SetUp() override {
    m_homeA = MakeHome();
    m_homeB = MakeHome();
    setenv("TOLVAR_HOME", m_homeA.c_str(), 1);
  }
  void TearDown() override {
    for (const std::string& home : {m_homeA, m_homeB}) {
      EXPECT_EQ(Segments(home), 0) << "shared-memory names left behind for " << home;
      std::filesystem::remove_all(home);
    }
  }

  static std::string MakeHome() {
    char pattern[] = "/tmp/tolvar-e2e-XXXXXX";
    EXPECT_NE(mkdtemp(pattern), nullptr);
    return pattern;
  }

  static int Segments(const std::string& home) {
    std::string saved = tolvar::HomeFolder();
    setenv("TOLVAR_HOME", home.c_str(), 1);
    std::string prefix = "tolvar-" + tolvar::HomeTag() + "-";
    setenv("TOLVAR_HOME", saved.c_str(), 1);
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm")) {
      if (entry.path().filename().string().starts_with(prefix)) ++count;
    }
    return count;
  }

  std::string m_homeA;
  std::string m_homeB;
};

}  // namespace

TEST_F(NamedAcrossProcesses, MutexExistsForTheSecondProcessAndIsAbandonedWhenItsOwnerIsKilled) {
  Child owner(m_homeA, {"mutex-hold", "LinkwellApp"});
  ASSERT_EQ(owner.ReadLine(), "0");
  Child second(m_homeA, {"mutex-create", "LinkwellApp"});
  EXPECT_EQ(second.ReadLine(), "183");  // ERROR_ALREADY_EXISTS

  HANDLE mutex = CreateMutexA(nullptr, FALSE, "LinkwellApp");
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(WaitForSingleObject(mutex, 50), WAIT_TIMEOUT);
  // The wait is asleep when the owner dies; the owner's death alone must wake it.
  std::thread killer([&] {
    std::this_thread::sleep_for(100ms);
    owner.Kill();
  });
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WaitForSingleObject(mutex, 10000), WAIT_ABANDONED);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  killer.join();
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0) << "abandonment is reported once";
  EXPECT_TRUE(ReleaseMutex(mutex));
  owner.Reap();
  CloseHandle(mutex);
}

TEST_F(NamedAcrossProcesses, MappingWrittenByOneProcessIsReadByAnother) {
  {
    Child writer(m_homeA, {"mapping-write", "VezezudaraSharedMemory", "3 schedules free"});
    ASSERT_EQ(writer.ReadLine(), "0");
    ASSERT_EQ(writer.ReadLine(), "written");
    Child reader(m_homeA, {"mapping-read", "VezezudaraSharedMemory"});
    EXPECT_EQ(reader.ReadLine(), "3 schedules free");
  }
  Child late(m_homeA, {"mapping-read", "VezezudaraSharedMemory"});
  EXPECT_EQ(late.ReadLine(), "error 2") << "the mapping goes with the last process that had it";
}

// The size in a mapping segment's header is only the creating process's word: a segment whose
// file was cut short, or whose size was written over, is refused by the next process that opens it
// (a view of the stated size would run past the file's end, where every access faults).
TEST_F(NamedAcrossProcesses, AMappingSegmentShorterThanItsHeaderSaysIsRefused) {
  const std::string prefix = "/dev/shm/tolvar-" + tolvar::HomeTag() + "-";
  HANDLE cut = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1 << 20, "Cut");
  ASSERT_NE(cut, nullptr);
  ASSERT_EQ(truncate((prefix + "Cut").c_str(), 65536 + 64), 0);
  EXPECT_EQ(Child(m_homeA, {"mapping-read", "Cut"}).ReadLine(), "error 6");

  HANDLE claimed = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, "Claimed");
  ASSERT_NE(claimed, nullptr);
  const int fd = open((prefix + "Claimed").c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  const std::uint64_t size = std::uint64_t{1} << 40;  // the header's payload size, after magic and kind
  EXPECT_EQ(pwrite(fd, &size, sizeof size, 8), static_cast<ssize_t>(sizeof size));
  close(fd);
  EXPECT_EQ(Child(m_homeA, {"mapping-read", "Claimed"}).ReadLine(), "error 6");
  CloseHandle(cut);
  CloseHandle(claimed);
}

TEST_F(NamedAcrossProcesses, TwoHomesDoNotSeeEachOthersObjects) {
  Child owner(m_homeA, {"mutex-hold", "VezezudaraApp"});
  ASSERT_EQ(owner.ReadLine(), "0");
  Child writer(m_homeA, {"mapping-write", "VezezudaraSharedMemory", "Close"});
  ASSERT_EQ(writer.ReadLine(), "0");
  ASSERT_EQ(writer.ReadLine(), "written");

  EXPECT_EQ(Child(m_homeB, {"mutex-create", "VezezudaraApp"}).ReadLine(), "0");
  EXPECT_EQ(Child(m_homeB, {"mapping-read", "VezezudaraSharedMemory"}).ReadLine(), "error 2");
  EXPECT_EQ(Child(m_homeA, {"mutex-create", "VezezudaraApp"}).ReadLine(), "183");
  EXPECT_EQ(Child(m_homeA, {"mapping-read", "VezezudaraSharedMemory"}).ReadLine(), "Close");
}

TEST_F(NamedAcrossProcesses, AKilledProcessLeavesNothingThatBreaksTheNextRun) {
  {
    Child crashed(m_homeA, {"mutex-hold", "VezezudaraApp"});
    ASSERT_EQ(crashed.ReadLine(), "0");
    crashed.Kill();
    crashed.Reap();
  }
  EXPECT_EQ(Segments(m_homeA), 1) << "a killed process cannot clean up";
  Child next(m_homeA, {"mutex-create", "VezezudaraApp"});
  EXPECT_EQ(next.ReadLine(), "0") << "the next run is the first instance";
}
