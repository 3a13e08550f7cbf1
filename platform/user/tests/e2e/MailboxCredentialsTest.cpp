// A process's mailbox takes datagrams only from processes of its own user: another user who can
// reach the socket (the home's path is too long for a socket file, so the mailbox has a name in
// the abstract namespace, which has no permissions) must not post messages to the suite's windows.
// The test plays both users: a child that stays root posts, a child that became another user
// posts the same bytes, and only the first arrives.
#include <user/User.h>

#include <base/Home.h>
#include <base/Time.h>
#include <kernel/Kernel.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

void Put(std::vector<char>& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// A posted message as a mailbox datagram, packed as the mailbox packs it.
std::vector<char> PostDatagram(std::uint32_t window, std::uint32_t message) {
  std::vector<char> d;
  Put(d, 0x584F424D, 4);  // magic
  Put(d, 1, 4);           // a post
  Put(d, 0, 8);           // no answer wanted
  Put(d, static_cast<std::uint32_t>(getpid()), 4);
  Put(d, 0, 4);  // thread
  Put(d, window, 4);
  Put(d, 0, 4);  // op
  Put(d, message, 4);
  Put(d, 0, 8);  // wParam
  Put(d, 0, 8);  // lParam
  Put(d, 0, 8);  // result
  Put(d, 0, 4);  // error
  Put(d, 0, 4);  // no arguments
  Put(d, 0, 4);  // no text
  return d;
}

// Sends the datagram to the abstract mailbox of `pid` from a child process, which first becomes
// the user `uid` unless that is -1.
bool SendFromChild(const std::string& homeTag, int pid, const std::vector<char>& datagram, int uid) {
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    if (uid >= 0 && (setgid(static_cast<gid_t>(uid)) != 0 || setuid(static_cast<uid_t>(uid)) != 0)) _exit(4);
    const int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string name = "tolvar-" + homeTag + "-mailbox-" + std::to_string(pid);
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    const ssize_t sent = sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&address), length);
    _exit(sent == static_cast<ssize_t>(datagram.size()) ? 0 : 5);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Starts the target in a home whose path is too long for a socket file and gives its exit code.
int TargetExitCode(int senderUid) {
  const std::string home = (std::filesystem::temp_directory_path() /
                            ("tolvar-mailbox-" + std::to_string(getpid()) + "-" + std::string(110, 'h')))
                               .string();
  std::filesystem::create_directories(home);
  const char* saved = std::getenv("TOLVAR_HOME");
  const std::string savedHome = saved ? saved : "";
  setenv("TOLVAR_HOME", home.c_str(), 1);
  const std::string tag = tolvar::HomeTag();
  const std::string handshake = home + "/target.txt";
  std::string line = "user_child_mailbox.exe " + handshake;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const bool started =
      CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  if (saved) setenv("TOLVAR_HOME", savedHome.c_str(), 1);
  else unsetenv("TOLVAR_HOME");
  if (!started) return -1;
  unsigned window = 0;
  int pid = 0;
  for (int i = 0; i < 1000 && !(std::ifstream(handshake) >> window >> pid); ++i) Sleep(10);
  EXPECT_NE(window, 0u) << "the target did not start";
  EXPECT_TRUE(SendFromChild(tag, pid, PostDatagram(window, WM_USER + 5), senderUid));
  WaitForSingleObject(process.hProcess, 20000);
  DWORD code = 99;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  std::filesystem::remove_all(home);
  return static_cast<int>(code);
}

TEST(MailboxCredentialsTest, OnlyTheOwnUsersPostsArrive) {
  EXPECT_EQ(TargetExitCode(-1), 0) << "a post of the same user did not arrive";
  if (geteuid() != 0) GTEST_SKIP() << "another user can be played only by root";
  EXPECT_EQ(TargetExitCode(65534), 3) << "a post of another user arrived";
}

}  // namespace
