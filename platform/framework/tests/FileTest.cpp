#include <framework/File.h>

#include <base/WinError.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

// Each test works in a fresh folder of its own, which is also the current directory.
class FileTest : public ::testing::Test {
protected:
  void SetUp() override {
    m_old = std::filesystem::current_path();
    if (const char* home = std::getenv("TOLVAR_HOME")) m_oldHome = home;
    m_dir = std::filesystem::temp_directory_path() /
            ("framework-file-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directories(m_dir);
    ::setenv("TOLVAR_HOME", (m_dir / "home").c_str(), 1);
    std::filesystem::current_path(m_dir);
  }
  // The home and the folder go back to what the next tests of the program expect: a later test
  // must not work in (or change into) a folder this one removed.
  void TearDown() override {
    std::error_code gone;
    std::filesystem::current_path(m_old, gone);
    if (gone) std::filesystem::current_path(std::filesystem::temp_directory_path());
    if (!m_oldHome.empty()) ::setenv("TOLVAR_HOME", m_oldHome.c_str(), 1);
    std::filesystem::remove_all(m_dir);
  }

  std::string Path(const char* name) const { return (m_dir / name).string(); }
  std::string Contents(const char* name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  void Put(const char* name, const std::string& bytes) const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }

  std::filesystem::path m_old, m_dir;
  std::string m_oldHome;
};

}  // namespace

TEST_F(FileTest, OpenModes) {
  Put("old.txt", "old contents");
  struct Case {
    UINT flags;
    bool opens;
    int cause;
    const char* after;  // the file's contents after opening and writing "new"
  } cases[] = {
      {CFile::modeCreate | CFile::modeWrite, true, 0, "new"},
      {CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite, true, 0, "new contents"},
      {CFile::modeWrite, true, 0, "new contents"},
      {CFile::modeReadWrite | CFile::shareDenyNone, true, 0, "new contents"},
  };
  for (const auto& c : cases) {
    Put("old.txt", "old contents");
    CFile file;
    ASSERT_TRUE(file.Open("old.txt", c.flags)) << c.flags;
    file.Write("new", 3);
    file.Close();
    EXPECT_EQ(Contents("old.txt").substr(0, std::strlen(c.after)), c.after) << c.flags;
  }

  CFile file;
  CFileException error;
  EXPECT_FALSE(file.Open("missing.txt", CFile::modeRead, &error));
  EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
  EXPECT_EQ(error.m_lOsError, static_cast<LONG>(ERROR_FILE_NOT_FOUND));
  EXPECT_STREQ(error.m_strFileName, "missing.txt");
  EXPECT_FALSE(file.Open("no-such-folder\\x.txt", CFile::modeCreate | CFile::modeWrite, &error));
  EXPECT_EQ(error.m_cause, CFileException::badPath);
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);

  try {
    CFile thrown("missing.txt", CFile::modeRead);
    FAIL() << "no exception";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
    EXPECT_TRUE(e.IsKindOf(RUNTIME_CLASS(CException)));
  }
}

TEST_F(FileTest, SharingIsEnforced) {
  Put("shared.txt", "x");
  struct Case {
    UINT first;
    UINT second;
    bool secondOpens;
  } cases[] = {
      {CFile::modeRead | CFile::shareExclusive, CFile::modeRead | CFile::shareDenyNone, false},
      {CFile::modeRead | CFile::shareDenyWrite, CFile::modeRead | CFile::shareDenyWrite, true},
      {CFile::modeRead | CFile::shareDenyWrite, CFile::modeWrite | CFile::shareDenyNone, false},
      {CFile::modeReadWrite | CFile::shareDenyNone, CFile::modeReadWrite | CFile::shareDenyNone, true},
  };
  for (const auto& c : cases) {
    CFile first("shared.txt", c.first);
    CFile second;
    CFileException error;
    EXPECT_EQ(second.Open("shared.txt", c.second, &error), c.secondOpens) << c.first << " then " << c.second;
    if (!c.secondOpens) {
      EXPECT_EQ(error.m_cause, CFileException::sharingViolation);
    }
  }
}

TEST_F(FileTest, ReadWriteSeekAndLength) {
  CFile file("data.bin", CFile::modeCreate | CFile::modeReadWrite);
  file.Write("0123456789", 10);
  EXPECT_EQ(file.GetLength(), 10u);
  EXPECT_EQ(file.GetPosition(), 10u);
  file.SeekToBegin();
  char buffer[16] = {};
  EXPECT_EQ(file.Read(buffer, 4), 4u);
  EXPECT_STREQ(buffer, "0123");
  EXPECT_EQ(file.Seek(-2, CFile::end), 8);
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 2u);
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);  // at the end
  EXPECT_EQ(file.Seek(3, CFile::begin), 3);
  EXPECT_EQ(file.Seek(2, CFile::current), 5);
  EXPECT_EQ(file.SeekToEnd(), 10u);

  file.SetLength(4);
  EXPECT_EQ(file.GetLength(), 4u);
  file.SetLength(6);  // growing fills with zeros
  file.SeekToBegin();
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 6u);
  EXPECT_EQ(std::string(buffer, 6), std::string("0123\0\0", 6));

  try {
    file.Seek(-100, CFile::begin);
    FAIL() << "no exception";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::badSeek);
    EXPECT_EQ(e.m_lOsError, static_cast<LONG>(ERROR_NEGATIVE_SEEK));
  }
  file.Flush();
  file.Close();
  EXPECT_EQ(file.m_hFile, CFile::hFileNull);
  EXPECT_EQ(Contents("data.bin").size(), 6u);

  CFile writeOnly("data.bin", CFile::modeWrite);
  EXPECT_THROW(writeOnly.Read(buffer, 1), CFileException);
}

TEST_F(FileTest, NamesStatusRemoveAndRename) {
  {
    CFile file("Report.txt", CFile::modeCreate | CFile::modeWrite);
    file.Write("abc", 3);
    EXPECT_STREQ(file.GetFileName(), "Report.txt");
    EXPECT_EQ(std::filesystem::path(std::string(file.GetFilePath())), m_dir / "Report.txt");
    CFileStatus status;
    ASSERT_TRUE(file.GetStatus(status));
    EXPECT_EQ(status.m_size, 3);
    EXPECT_LE(std::abs(static_cast<long long>(status.m_mtime.GetTime() - std::time(nullptr))), 5);
  }  // the destructor closes what Open opened
  CFileStatus status;
  ASSERT_TRUE(CFile::GetStatus("Report.txt", status));
  EXPECT_EQ(status.m_size, 3);
  EXPECT_EQ(status.m_attribute & CFile::directory, 0);
  EXPECT_EQ(std::filesystem::path(status.m_szFullName), m_dir / "Report.txt");
  EXPECT_FALSE(CFile::GetStatus("missing.txt", status));

  CFile::Rename("Report.txt", "Renamed.txt");
  EXPECT_TRUE(std::filesystem::exists(Path("Renamed.txt")));
  EXPECT_FALSE(std::filesystem::exists(Path("Report.txt")));
  CFile::Remove("Renamed.txt");
  EXPECT_FALSE(std::filesystem::exists(Path("Renamed.txt")));
  try {
    CFile::Remove("Renamed.txt");
    FAIL() << "no exception";
  } catch (const CFileException& e) {
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
  }
  EXPECT_THROW(CFile::Rename("missing.txt", "other.txt"), CFileException);
}

TEST_F(FileTest, StdioReadsLinesWithEitherLineEnd) {
  std::string longLine(300, 'x');  // longer than any first guess of a line's length
  Put("lines.txt", "first\r\nsecond\n\r\n" + longLine + "\r\nlone\rcr\nlast");
  CStdioFile file("lines.txt", CFile::modeRead | CFile::shareDenyWrite | CFile::typeText);
  const char* expected[] = {"first", "second", "", longLine.c_str(), "lone\rcr", "last"};
  CString line;
  for (const char* want : expected) {
    ASSERT_TRUE(file.ReadString(line));
    EXPECT_STREQ(line, want);
  }
  EXPECT_FALSE(file.ReadString(line));
  EXPECT_TRUE(line.IsEmpty());

  // The buffer form keeps the LF and stops at the buffer's size.
  file.SeekToBegin();
  char buffer[8];
  EXPECT_STREQ(file.ReadString(buffer, sizeof buffer), "first\n");
  EXPECT_STREQ(file.ReadString(buffer, sizeof buffer), "second\n");
  EXPECT_STREQ(file.ReadString(buffer, sizeof buffer), "\n");
  EXPECT_STREQ(file.ReadString(buffer, 4), "xxx");
  file.Seek(0, CFile::end);
  EXPECT_EQ(file.ReadString(buffer, sizeof buffer), nullptr);

  // Binary mode leaves the CR of CR LF in the line.
  CStdioFile binary("lines.txt", CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary);
  ASSERT_TRUE(binary.ReadString(line));
  EXPECT_STREQ(line, "first\r");
}

TEST_F(FileTest, StdioWritesCrLfInTextModeAndKeepsPositions) {
  {
    CStdioFile file("out.txt", CFile::modeCreate | CFile::modeWrite);  // text unless typeBinary
    file.WriteString("one\ntwo\n");
    file.WriteString("three");
  }
  EXPECT_EQ(Contents("out.txt"), "one\r\ntwo\r\nthree");
  {
    CStdioFile file("raw.txt", CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
    file.WriteString("one\n");
  }
  EXPECT_EQ(Contents("raw.txt"), "one\n");

  // Reading ahead must not move the program's position: a write after a read lands after the
  // line that was read.
  CStdioFile file("out.txt", CFile::modeReadWrite | CFile::typeText);
  CString line;
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_EQ(file.GetPosition(), 5u);
  file.WriteString("TWO\n");
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_STREQ(line, "three");
  file.SeekToBegin();
  char bytes[32] = {};
  EXPECT_EQ(file.Read(bytes, sizeof bytes), 13u);  // text mode: each CR LF reads as LF
  EXPECT_STREQ(bytes, "one\nTWO\nthree");
  file.Close();
  EXPECT_EQ(Contents("out.txt"), "one\r\nTWO\r\nthree");
}
