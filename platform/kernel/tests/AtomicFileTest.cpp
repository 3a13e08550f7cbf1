// The write-then-rename writer: a committed file replaces the old one whole; every way a write can
// go wrong (a failing write, a full disk, a failing flush, a read-only target, a discarded or killed
// writer) leaves the old file byte for byte and nothing else in its folder.
#include <kernel/AtomicFile.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include "FileTestSupport.h"

#include <algorithm>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>

#include <string>
#include <vector>

using tolvar::kernel::AtomicFileFault;
using tolvar::kernel::AtomicFileWriter;
using tolvar::kernel::SetAtomicFileFaultForTesting;

namespace {

class AtomicFileTest : public FileTestFolder {
 protected:
  void TearDown() override {
    SetAtomicFileFaultForTesting({});
    FileTestFolder::TearDown();
  }
  std::vector<std::string> FolderNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Work())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string Target() const { return Work() + "/doc.daybook"; }
};

TEST_F(AtomicFileTest, CommitReplacesTheFileWholeAndKeepsItsPermissions) {
  WriteText(Target(), "old contents");
  chmod(Target().c_str(), 0640);
  AtomicFileWriter writer(Target());
  ASSERT_TRUE(writer.IsOpen());
  ASSERT_TRUE(writer.Write(std::string_view("new ")));
  // Nothing is visible under the target's name, nor beside it, until the commit.
  EXPECT_EQ(ReadText(Target()), "old contents");
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"doc.daybook"});
  ASSERT_TRUE(writer.Write(std::string_view("contents")));
  ASSERT_TRUE(writer.Commit());
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(ReadText(Target()), "new contents");
  struct stat info {};
  ASSERT_EQ(stat(Target().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"doc.daybook"});
}

TEST_F(AtomicFileTest, SuitePathsAndAnEmptyFileAreWritten) {
  const BYTE nothing[1] = {};
  ASSERT_TRUE(tolvar::kernel::WriteFileAtomically("C:\\empty.txt", std::span<const BYTE>(nothing, 0)));
  EXPECT_TRUE(std::filesystem::exists(Home() + "/drive_c/empty.txt"));
  EXPECT_EQ(std::filesystem::file_size(Home() + "/drive_c/empty.txt"), 0u);
}

TEST_F(AtomicFileTest, EveryFailureLeavesTheOldFileAndNothingElse) {
  struct Case {
    const char* name;
    AtomicFileFault fault;
    DWORD error;
  };
  const Case cases[] = {
      {"full disk at the first byte", {true, 0, ERROR_DISK_FULL, false}, ERROR_DISK_FULL},
      {"full disk midway", {true, 5, ERROR_DISK_FULL, false}, ERROR_DISK_FULL},
      {"failing device", {true, 3, ERROR_WRITE_FAULT, false}, ERROR_WRITE_FAULT},
      {"failing flush at the close", {true, 1 << 20, 0, true}, ERROR_WRITE_FAULT},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteText(Target(), "the old document");
    SetAtomicFileFaultForTesting(c.fault);
    AtomicFileWriter writer(Target());
    ASSERT_TRUE(writer.IsOpen());
    const bool written = writer.Write(std::string_view("0123456789")) && writer.Write(std::string_view("more"));
    const bool committed = writer.Commit();
    EXPECT_FALSE(written && committed);
    EXPECT_FALSE(committed);
    EXPECT_EQ(GetLastError(), c.error);
    // A failed write breaks the writer: nothing written after it reaches any file either.
    EXPECT_FALSE(writer.Write(std::string_view("late")));
    SetAtomicFileFaultForTesting({});
    EXPECT_EQ(ReadText(Target()), "the old document");
    EXPECT_EQ(FolderNames(), std::vector<std::string>{"doc.daybook"});
  }
}

TEST_F(AtomicFileTest, DiscardedWriterAndRefusedTargetsChangeNothing) {
  WriteText(Target(), "kept");
  {
    AtomicFileWriter writer(Target());
    ASSERT_TRUE(writer.Write(std::string_view("never committed")));
  }
  EXPECT_EQ(ReadText(Target()), "kept");
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"doc.daybook"});

  // A read-only file is not replaced, as Windows refuses to; a folder is no file; a missing folder
  // says so.
  chmod(Target().c_str(), 0444);
  AtomicFileWriter readOnly;
  EXPECT_FALSE(readOnly.Open(Target()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadText(Target()), "kept");
  AtomicFileWriter folder;
  EXPECT_FALSE(folder.Open(Work()));
  AtomicFileWriter missing;
  EXPECT_FALSE(missing.Open(Work() + "/no/such/folder/file"));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(missing.Write(std::string_view("x")));
  EXPECT_FALSE(missing.Commit());
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"doc.daybook"});
}

TEST_F(AtomicFileTest, AKilledWriterLeavesTheOldFileAndNoTemporaryFile) {
  WriteText(Target(), "before the crash");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    AtomicFileWriter writer(Target());
    const std::string block(64 * 1024, 'x');
    for (int i = 0; i < 16; ++i) writer.Write(std::string_view(block));
    raise(SIGKILL);
    _exit(1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(ReadText(Target()), "before the crash");
  EXPECT_EQ(FolderNames(), std::vector<std::string>{"doc.daybook"});
}

}  // namespace
