#include "FileTestSupport.h"

#include <kernel/File.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>
#include <kernel/Wait.h>

#include <base/LastError.h>
#include <base/Time.h>
#include <base/WinError.h>

#include <functional>
#include <sys/stat.h>

namespace {

HANDLE Open(const char* name, DWORD access, DWORD share, DWORD disposition, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  return CreateFileA(name, access, share, nullptr, disposition, attributes, nullptr);
}

// Opens, notes the result and closes again: true when the open succeeded.
bool OpenAndClose(const char* name, DWORD access, DWORD disposition) {
  HANDLE h = Open(name, access, 0, disposition);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD error = GetLastError();
  CloseHandle(h);
  SetLastError(error);
  return true;
}

using FileTest = FileTestFolder;

// Each step runs in order on the same folder; the expected last error is checked after both
// successes (ERROR_ALREADY_EXISTS from the "always" dispositions) and failures.
TEST_F(FileTest, OperationsGiveWindowsResultsAndErrors) {
  WriteText("old.txt", "old contents");
  WriteText("other.txt", "other contents");
  std::filesystem::create_directory("folder");
  WriteText("folder/inside.txt", "x");
  WriteText("locked.txt", "locked");
  ::chmod("locked.txt", 0444);

  struct Step {
    const char* what;
    std::function<bool()> call;
    bool succeeds;
    DWORD error;
  };
  const Step steps[] = {
      {"create-new on an existing file", [] { return OpenAndClose("old.txt", GENERIC_WRITE, CREATE_NEW); }, false, ERROR_FILE_EXISTS},
      {"create-new on a new file", [] { return OpenAndClose("new.txt", GENERIC_WRITE, CREATE_NEW); }, true, ERROR_SUCCESS},
      {"open-always on an existing file", [] { return OpenAndClose("new.txt", GENERIC_READ, OPEN_ALWAYS); }, true, ERROR_ALREADY_EXISTS},
      {"open-always on a new file", [] { return OpenAndClose("fresh.txt", GENERIC_READ, OPEN_ALWAYS); }, true, ERROR_SUCCESS},
      {"create-always on an existing file", [] { return OpenAndClose("other.txt", GENERIC_WRITE, CREATE_ALWAYS); }, true, ERROR_ALREADY_EXISTS},
      {"open-existing on a missing file", [] { return OpenAndClose("missing.txt", GENERIC_READ, OPEN_EXISTING); }, false, ERROR_FILE_NOT_FOUND},
      {"open-existing in a missing folder", [] { return OpenAndClose("nofolder\\x.txt", GENERIC_READ, OPEN_EXISTING); }, false, ERROR_PATH_NOT_FOUND},
      {"truncate-existing without write access", [] { return OpenAndClose("old.txt", GENERIC_READ, TRUNCATE_EXISTING); }, false, ERROR_INVALID_PARAMETER},
      {"truncate-existing on a missing file", [] { return OpenAndClose("missing.txt", GENERIC_WRITE, TRUNCATE_EXISTING); }, false, ERROR_FILE_NOT_FOUND},
      {"unknown disposition", [] { return OpenAndClose("old.txt", GENERIC_READ, 9); }, false, ERROR_INVALID_PARAMETER},
      {"opening a folder", [] { return OpenAndClose("folder", GENERIC_READ, OPEN_EXISTING); }, false, ERROR_ACCESS_DENIED},
      {"opening a read-only file for writing", [] { return OpenAndClose("locked.txt", GENERIC_WRITE, OPEN_EXISTING); }, false, ERROR_ACCESS_DENIED},
      {"replacing a read-only file", [] { return OpenAndClose("locked.txt", GENERIC_READ, CREATE_ALWAYS); }, false, ERROR_ACCESS_DENIED},
      {"opening a read-only file for reading", [] { return OpenAndClose("locked.txt", GENERIC_READ, OPEN_EXISTING); }, true, ERROR_SUCCESS},
      {"deleting a read-only file", [] { return DeleteFileA("locked.txt"); }, false, ERROR_ACCESS_DENIED},
      {"deleting a missing file", [] { return DeleteFileA("missing.txt"); }, false, ERROR_FILE_NOT_FOUND},
      {"deleting a folder", [] { return DeleteFileA("folder"); }, false, ERROR_ACCESS_DENIED},
      {"moving onto an existing file", [] { return MoveFileA("old.txt", "other.txt"); }, false, ERROR_ALREADY_EXISTS},
      {"move-ex without replace onto an existing file", [] { return MoveFileExA("old.txt", "other.txt", 0); }, false, ERROR_ALREADY_EXISTS},
      {"moving a missing file", [] { return MoveFileA("missing.txt", "elsewhere.txt"); }, false, ERROR_FILE_NOT_FOUND},
      {"moving into a missing folder", [] { return MoveFileA("fresh.txt", "nofolder/fresh.txt"); }, false, ERROR_PATH_NOT_FOUND},
      {"replacing a read-only file by moving", [] { return MoveFileExA("fresh.txt", "locked.txt", MOVEFILE_REPLACE_EXISTING); }, false, ERROR_ACCESS_DENIED},
      {"copy with fail-if-exists onto an existing file", [] { return CopyFileA("old.txt", "other.txt", TRUE); }, false, ERROR_FILE_EXISTS},
      {"copying a missing file", [] { return CopyFileA("missing.txt", "copy.txt", FALSE); }, false, ERROR_FILE_NOT_FOUND},
      {"copying onto a read-only file", [] { return CopyFileA("old.txt", "locked.txt", FALSE); }, false, ERROR_ACCESS_DENIED},
      {"creating an existing folder", [] { return CreateDirectoryA("folder", nullptr); }, false, ERROR_ALREADY_EXISTS},
      {"creating a folder in a missing folder", [] { return CreateDirectoryA("a\\b", nullptr); }, false, ERROR_PATH_NOT_FOUND},
      {"removing a folder that is not empty", [] { return RemoveDirectoryA("folder"); }, false, ERROR_DIR_NOT_EMPTY},
      {"removing a file as a folder", [] { return RemoveDirectoryA("old.txt"); }, false, ERROR_DIRECTORY},
      {"removing a missing folder", [] { return RemoveDirectoryA("nothing"); }, false, ERROR_FILE_NOT_FOUND},
      {"attributes of a missing file", [] { return GetFileAttributesA("missing.txt") != INVALID_FILE_ATTRIBUTES; }, false, ERROR_FILE_NOT_FOUND},
      {"attributes in a missing folder", [] { return GetFileAttributesA("nofolder/x") != INVALID_FILE_ATTRIBUTES; }, false, ERROR_PATH_NOT_FOUND},
      {"setting the system attribute", [] { return SetFileAttributesA("old.txt", FILE_ATTRIBUTE_SYSTEM); }, false, ERROR_INVALID_PARAMETER},
  };
  for (const Step& step : steps) {
    SetLastError(0xDEAD);
    bool result = step.call();
    DWORD error = GetLastError();
    EXPECT_EQ(result, step.succeeds) << step.what;
    EXPECT_EQ(error, step.error) << step.what;
  }
  // Nothing that failed changed a file; create-always emptied the file it opened.
  EXPECT_EQ(ReadText("old.txt"), "old contents");
  EXPECT_EQ(ReadText("other.txt"), "");
  EXPECT_EQ(ReadText("locked.txt"), "locked");
}

TEST_F(FileTest, MoveReplaceCopyAndDeleteChangeFiles) {
  WriteText("a.txt", "A");
  WriteText("b.txt", "B");
  ASSERT_TRUE(MoveFileExA("a.txt", "b.txt", MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(ReadText("b.txt"), "A");
  EXPECT_FALSE(std::filesystem::exists("a.txt"));

  ASSERT_TRUE(CopyFileA("b.txt", "c.txt", TRUE));
  EXPECT_EQ(ReadText("c.txt"), "A");
  WriteText("d.txt", "D");
  ASSERT_TRUE(CopyFileA("d.txt", "c.txt", FALSE));
  EXPECT_EQ(ReadText("c.txt"), "D");

  // A copy keeps the read-only attribute and the last write time.
  ASSERT_TRUE(SetFileAttributesA("d.txt", FILE_ATTRIBUTE_READONLY));
  std::filesystem::last_write_time("d.txt", std::filesystem::file_time_type::clock::now() - std::chrono::hours(48));
  ASSERT_TRUE(CopyFileA("d.txt", "e.txt", TRUE));
  EXPECT_EQ(GetFileAttributesA("e.txt"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(std::filesystem::last_write_time("e.txt"), std::filesystem::last_write_time("d.txt"));

  ASSERT_TRUE(SetFileAttributesA("e.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesA("e.txt"), FILE_ATTRIBUTE_ARCHIVE);
  ASSERT_TRUE(DeleteFileA("e.txt"));
  EXPECT_FALSE(std::filesystem::exists("e.txt"));

  // Folders move too, and a rename that changes only the letter case renames.
  ASSERT_TRUE(CreateDirectoryA("dir", nullptr));
  ASSERT_TRUE(MoveFileA("dir", "moved"));
  EXPECT_EQ(GetFileAttributesA("moved"), FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_TRUE(MoveFileA("c.txt", "C.TXT"));
  EXPECT_TRUE(std::filesystem::exists("C.TXT"));
  EXPECT_FALSE(std::filesystem::exists("c.txt"));
  ASSERT_TRUE(RemoveDirectoryA("moved"));

  WriteText(".profile", "");
  EXPECT_EQ(GetFileAttributesA(".profile"), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_TRUE(SetFileAttributesA(".profile", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(SetFileAttributesA("b.txt", FILE_ATTRIBUTE_HIDDEN));
}

TEST_F(FileTest, MovesAcrossFileSystemsCopyWhenAllowed) {
  // /dev/shm is a memory file system apart from the test folder's on most machines.
  struct stat here {}, shm {};
  if (::stat(".", &here) != 0 || ::stat("/dev/shm", &shm) != 0 || here.st_dev == shm.st_dev)
    GTEST_SKIP() << "no second file system at hand";
  std::string away = "/dev/shm/kernel-files-move-" + std::to_string(::getpid());
  WriteText("local.txt", "travels");
  EXPECT_FALSE(MoveFileExA("local.txt", away.c_str(), 0));
  EXPECT_EQ(GetLastError(), ERROR_NOT_SAME_DEVICE);
  ASSERT_TRUE(MoveFileA("local.txt", away.c_str()));
  EXPECT_FALSE(std::filesystem::exists("local.txt"));
  EXPECT_EQ(ReadText(away), "travels");
  WriteText("local.txt", "stays");
  EXPECT_FALSE(MoveFileA(away.c_str(), "local.txt"));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(MoveFileExA(away.c_str(), "local.txt", MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(ReadText("local.txt"), "travels");
  EXPECT_FALSE(std::filesystem::exists(away));
}

TEST_F(FileTest, ReadWriteSeekAndSize) {
  HANDLE h = Open("data.bin", GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  ASSERT_TRUE(WriteFile(h, "0123456789", 10, &done, nullptr));
  EXPECT_EQ(done, 10u);
  EXPECT_EQ(SetFilePointer(h, 2, nullptr, FILE_BEGIN), 2u);
  char buffer[16] = {};
  ASSERT_TRUE(ReadFile(h, buffer, 3, &done, nullptr));
  EXPECT_EQ(std::string(buffer, done), "234");
  EXPECT_EQ(SetFilePointer(h, -1, nullptr, FILE_CURRENT), 4u);
  EXPECT_EQ(SetFilePointer(h, -4, nullptr, FILE_END), 6u);

  // At the end a synchronous read succeeds with nothing.
  SetFilePointer(h, 0, nullptr, FILE_END);
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &done, nullptr));
  EXPECT_EQ(done, 0u);

  EXPECT_EQ(SetFilePointer(h, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);

  // Past 4 GiB only with the high part; the file grows sparse.
  LONG high = 1;
  EXPECT_EQ(SetFilePointer(h, 0x10, &high, FILE_BEGIN), 0x10u);
  EXPECT_EQ(high, 1);
  ASSERT_TRUE(SetEndOfFile(h));
  DWORD sizeHigh = 0;
  EXPECT_EQ(GetFileSize(h, &sizeHigh), 0x10u);
  EXPECT_EQ(sizeHigh, 1u);
  EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(SetFilePointer(h, 4, nullptr, FILE_BEGIN), 4u);
  ASSERT_TRUE(SetEndOfFile(h));
  EXPECT_EQ(GetFileSize(h, nullptr), 4u);
  EXPECT_TRUE(FlushFileBuffers(h));

  FILETIME creation{}, write{};
  ASSERT_TRUE(GetFileTime(h, &creation, nullptr, &write));
  EXPECT_NE(write.dwHighDateTime, 0u);
  EXPECT_LE(CompareFileTime(&creation, &write), 0);
  ASSERT_TRUE(CloseHandle(h));
  EXPECT_EQ(ReadText("data.bin"), "0123");

  // A handle opened for reading cannot write, and a closed handle is invalid.
  h = Open("data.bin", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
  EXPECT_FALSE(WriteFile(h, "x", 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(SetEndOfFile(h));
  CloseHandle(h);
  EXPECT_FALSE(ReadFile(h, buffer, 1, &done, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST_F(FileTest, OverlappedFileTransfersUseTheOffsetAndFinishAtOnce) {
  WriteText("data.bin", "abcdefgh");
  for (DWORD flags : {DWORD{FILE_ATTRIBUTE_NORMAL}, FILE_FLAG_OVERLAPPED}) {
    HANDLE h = Open("data.bin", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, flags);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    OVERLAPPED o{};
    o.Offset = 5;
    o.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    char buffer[8] = {};
    DWORD done = 0;
    ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &done, &o));
    EXPECT_EQ(std::string(buffer, done), "fgh");
    EXPECT_TRUE(HasOverlappedIoCompleted(&o));
    EXPECT_EQ(WaitForSingleObject(o.hEvent, 0), WAIT_OBJECT_0);  // finished at once, and said so
    DWORD transferred = 0;
    ASSERT_TRUE(GetOverlappedResult(h, &o, &transferred, FALSE));
    EXPECT_EQ(transferred, 3u);

    o.Offset = 8;
    EXPECT_FALSE(ReadFile(h, buffer, sizeof buffer, &done, &o));
    EXPECT_EQ(GetLastError(), ERROR_HANDLE_EOF);

    o.Offset = 1;
    ASSERT_TRUE(WriteFile(h, "B", 1, &done, &o));
    CloseHandle(o.hEvent);
    if (flags == FILE_FLAG_OVERLAPPED) {
      // An overlapped handle needs an OVERLAPPED.
      EXPECT_FALSE(ReadFile(h, buffer, 1, &done, nullptr));
      EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    } else {
      // A synchronous handle's file pointer follows the positioned transfer.
      EXPECT_EQ(SetFilePointer(h, 0, nullptr, FILE_CURRENT), 2u);
    }
    CloseHandle(h);
  }
  EXPECT_EQ(ReadText("data.bin"), "aBcdefgh");
}

TEST_F(FileTest, ShareModesConflictWithinTheProcess) {
  WriteText("shared.txt", "contents");
  constexpr DWORD R = GENERIC_READ, W = GENERIC_WRITE, SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE,
                  SD = FILE_SHARE_DELETE;
  struct Case { DWORD access1, share1, access2, share2; bool allowed; };
  const Case cases[] = {
      {R, SR, R, SR, true},
      {R, SR, W, SR | SW, false},       // the first does not share writing
      {W, SR, R, SR, false},            // the second does not share the first's writing
      {W, SR | SW, R | W, SR | SW, true},
      {R, 0, R, SR, false},
      {0, 0, R | W, 0, true},           // opens without data access take part in no check
      {R, SR | SD, R, SR | SD, true},
  };
  for (const Case& c : cases) {
    HANDLE first = Open("shared.txt", c.access1, c.share1, OPEN_EXISTING);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    HANDLE second = Open("shared.txt", c.access2, c.share2, OPEN_EXISTING);
    EXPECT_EQ(second != INVALID_HANDLE_VALUE, c.allowed)
        << std::hex << c.access1 << "/" << c.share1 << " then " << c.access2 << "/" << c.share2;
    if (second != INVALID_HANDLE_VALUE) CloseHandle(second);
    else EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    CloseHandle(first);
  }

  // A forbidden create-always leaves the file as it was; deleting, moving and copying respect the
  // open handle's share mode, and closing it lifts the restriction.
  HANDLE reader = Open("shared.txt", R, SR, OPEN_EXISTING);
  EXPECT_EQ(Open("shared.txt", W, SR | SW, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(ReadText("shared.txt"), "contents");
  EXPECT_FALSE(DeleteFileA("shared.txt"));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(MoveFileA("shared.txt", "moved.txt"));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_TRUE(CopyFileA("shared.txt", "copy.txt", TRUE));
  CloseHandle(reader);
  HANDLE locker = Open("shared.txt", R, 0, OPEN_EXISTING);
  EXPECT_FALSE(CopyFileA("shared.txt", "copy2.txt", TRUE));
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  CloseHandle(locker);
  HANDLE deletable = Open("shared.txt", R, SR | SD, OPEN_EXISTING);
  EXPECT_TRUE(DeleteFileA("shared.txt"));
  CloseHandle(deletable);
}

}  // namespace
