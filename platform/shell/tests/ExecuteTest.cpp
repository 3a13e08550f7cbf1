// Opening addresses and documents: the opener (a recorder put first in PATH as "xdg-open") gets
// exactly one argument, whatever the address holds; failures are reported with Windows' errors
// and start nothing.
#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Path.h>
#include <shell/Shell.h>
#include <user_testing/Recorder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class ExecuteTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_folder = fs::path(std::getenv("TOLVAR_HOME")) / ("opener-" + std::to_string(++s_count));
    fs::create_directories(m_folder / "bin");
    // The recorder is built beside this program; the current folder may be any.
    fs::copy_file(fs::read_symlink("/proc/self/exe").parent_path() / "shell_child_recorder", m_folder / "bin" / "xdg-open");
    m_fifo = (m_folder / "fifo").string();
    m_log = (m_folder / "log").string();
    ASSERT_EQ(mkfifo(m_fifo.c_str(), 0600), 0);
    m_oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (m_folder / "bin").c_str(), 1);
    setenv("SHELL_RECORDER_FIFO", m_fifo.c_str(), 1);
    setenv("SHELL_RECORDER_LOG", m_log.c_str(), 1);
  }
  void TearDown() override { setenv("PATH", m_oldPath.c_str(), 1); }

  // The arguments of the opener's next call; waits for it to write them.
  std::vector<std::string> NextCall() {
    const int fd = open(m_fifo.c_str(), O_RDONLY);
    std::string bytes;
    char buffer[256];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
    close(fd);
    std::vector<std::string> arguments;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\0', start)) != std::string::npos; start = end + 1)
      arguments.push_back(bytes.substr(start, end - start));
    return arguments;
  }
  std::size_t CallsLogged() {
    std::ifstream in(m_log, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return std::count(text.begin(), text.end(), '\n');
  }

  static BOOL Open(const char* verb, const char* file, SHELLEXECUTEINFOA* out = nullptr) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = verb;
    info.lpFile = file;
    info.nShow = 3;  // SW_SHOWMAXIMIZED, as the skinned button's link asks
    const BOOL result = ShellExecuteExA(&info);
    if (out) *out = info;
    return result;
  }

  static inline int s_count = 0;
  fs::path m_folder;
  std::string m_fifo, m_log, m_oldPath;
};

TEST_F(ExecuteTest, AddressesReachTheOpenerAsOneArgument) {
  const char* addresses[] = {
      "http://www.example.com/",
      "https://example.com/a b?q=\"quoted\"&x='1';rm -rf ~;$(id)`id`|cat",
      "mailto:someone@example.com?subject=a;b",
  };
  for (const char* address : addresses) {
    SCOPED_TRACE(address);
    SHELLEXECUTEINFOA info{};
    ASSERT_TRUE(Open("open", address, &info));
    EXPECT_GT(reinterpret_cast<std::intptr_t>(info.hInstApp), 32);
    EXPECT_EQ(NextCall(), std::vector<std::string>{address});
  }
}

TEST_F(ExecuteTest, DocumentsReachTheOpenerAsTheirPath) {
  const std::string host = tolvar::kernel::ToHostPath("C:\\My Pictures\\it's; a \"photo\".jpg");
  fs::create_directories(fs::path(host).parent_path());
  std::ofstream(host) << "x";
  for (const char* verb : {"open", "edit", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(verb ? verb : "(no verb)");
    ASSERT_TRUE(Open(verb, "C:\\My Pictures\\it's; a \"photo\".jpg"));
    EXPECT_EQ(NextCall(), std::vector<std::string>{host});
  }
  // The old call answers with a number above 32.
  EXPECT_GT(reinterpret_cast<std::intptr_t>(
                ShellExecuteA(nullptr, "open", "C:\\My Pictures\\it's; a \"photo\".jpg", nullptr, nullptr, 1)),
            32);
  EXPECT_EQ(NextCall(), std::vector<std::string>{host});
}

TEST_F(ExecuteTest, FailuresAreReportedAndStartNothing) {
  fs::create_directories(tolvar::kernel::ToHostPath("C:\\present"));
  struct Case {
    const char* what;
    const char* verb;
    const char* file;
    bool withoutOpener;
    DWORD error;
    int oldResult;
  } cases[] = {
      {"missing file", "open", "C:\\present\\missing.jpg", false, ERROR_FILE_NOT_FOUND, SE_ERR_FNF},
      {"missing folder", "open", "C:\\absent\\missing.jpg", false, ERROR_PATH_NOT_FOUND, SE_ERR_PNF},
      {"empty file", "open", "", false, ERROR_FILE_NOT_FOUND, SE_ERR_FNF},
      {"verb without a handler", "print", "http://example.com/", false, ERROR_NO_ASSOCIATION, SE_ERR_NOASSOC},
      {"no opener installed", "open", "http://example.com/", true, ERROR_NO_ASSOCIATION, SE_ERR_NOASSOC},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.withoutOpener) setenv("PATH", (m_folder / "nothing-here").c_str(), 1);
    SHELLEXECUTEINFOA info{};
    SetLastError(0);
    EXPECT_FALSE(Open(c.verb, c.file, &info));
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(info.hInstApp), c.oldResult);
    setenv("PATH", (m_folder / "bin").c_str(), 1);
  }
  // Nothing was started by the failures: the next call is the opener's first.
  ASSERT_TRUE(Open("open", "http://example.com/after"));
  EXPECT_EQ(NextCall(), std::vector<std::string>{"http://example.com/after"});
  EXPECT_EQ(CallsLogged(), 1u);
}

}  // namespace
