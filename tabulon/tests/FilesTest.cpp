// Files in and out: lines of files written by other programs, the export file and log put in place
// only when whole, and the remembered files in the registry.
#include "CsvEngine.h"
#include "CsvOutputFile.h"
#include "CsvSettings.h"
#include "CsvSplitter.h"
#include "CsvText.h"
#include "EngineSupport.h"

#include <base/LastError.h>
#include <base/TemporaryHome.h>
#include <base/WinError.h>
#include <kernel/File.h>
#include <kernel/Find.h>
#include <registry/WinReg.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace tabulon;
using namespace tabulon::testing;
using Lines = std::vector<std::string>;

namespace {

// The remembered files live in the registry of a home of each test's own: the test run starts the
// cases of one program side by side.
class Settings : public ::testing::Test {
 protected:
  tolvar::testing::TemporaryHome m_home;
};

}  // namespace

TEST(FileLines, SplitsAtEveryKindOfLineEnd) {
  EXPECT_EQ(SplitFileLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitFileLines("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitFileLines(""), Lines{});
  EXPECT_EQ(SplitFileLines("\xEF\xBB\xBFname,x\n"), (Lines{"name,x"}));
  // Not UTF-8: code page 1252 ("é" and the euro sign).
  EXPECT_EQ(SplitFileLines("caf\xE9 \x80\n"), (Lines{"caf\xC3\xA9 \xE2\x82\xAC"}));
}

TEST(FileLines, FormatsTakeOneArgumentSafely) {
  EXPECT_EQ(FormatText("%d records exported", 12), "12 records exported");
  EXPECT_EQ(FormatText("a %s b %s %n %% c", "X"), "a X b %s %n % c");
}

// Files as other programs write them, each imported whole into text fields.
TEST(FileLines, ImportsFilesOfOtherPrograms) {
  struct Case {
    const char* file;
    char separator;
    bool header;
    std::vector<Lines> rows;  // the first three fields of every record
  } cases[] = {
      {"addressbook_crlf.csv", ',', true,
       {{"Ann Lee", "+44 20 7946 0000", "ann@example.org"},
        {"Smith, Bob", "555-0100", "bob \"the builder\" smith"},
        {"Carla", "Line one Line two", ""}}},
      {"spreadsheet_semicolon_bom.csv", ';', true,
       {{"1", "2,5", "total"}, {"3", "", ""}, {"\xC3\xA9t\xC3\xA9", "x", "y"}}},
      {"mac_cr.csv", ',', false, {{"a", "b", "c"}, {"d", "e", "f"}}},
      {"trailing_separator.csv", ',', false, {{"a", "b", ""}, {"c", "d", ""}}},
      {"ragged.csv", '\t', false, {{"one", "", ""}, {"two", "three", "four"}, {"", "", ""}}},
      {"open_quote_at_end.csv", ',', false, {{"fine", "x", ""}, {"broken", "never closed", ""}}},
      {"empty.csv", ',', false, {}},
      {"header_only.csv", ',', true, {}},
  };
  Fields fields;
  for (const char* name : {"A", "B", "C", "D"}) fields.Add(CSV_FIELD_TEXT, name, 64);
  const std::vector<int> mapping{0, 1, 2, 3};
  for (const Case& c : cases) {
    std::ifstream in(std::string(TABULON_TEST_DATA) + "/" + c.file, std::ios::binary);
    ASSERT_TRUE(in) << c.file;
    std::stringstream bytes;
    bytes << in.rdbuf();
    const CsvFileText file(bytes.str());
    RecordList list(fields.infos);
    ScriptedHost host;
    for (int i = 0; i < 100; ++i) host.replies.push_back({CsvAnswer::Force});  // empty values stay empty
    MemoryOutput log;
    RunImport({file.Lines(), c.header, c.separator, mapping, fields.infos, &list.list}, host, log);
    std::vector<Lines> got;
    for (auto& row : list.Rows()) got.push_back(Lines(row.begin(), row.begin() + 3));
    EXPECT_EQ(got, c.rows) << c.file;
  }
}

class OutputFile : public ::testing::Test {
protected:
  void SetUp() override {
    m_folder = std::filesystem::temp_directory_path() /
               ("tabulon-out-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(m_folder);
  }
  void TearDown() override {
    std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(m_folder);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (auto& entry : std::filesystem::directory_iterator(m_folder)) names.push_back(entry.path().filename());
    return names;
  }
  std::filesystem::path m_folder;
};

TEST_F(OutputFile, ReplacesTheTargetOnlyWhenCommitted) {
  const std::string target = (m_folder / "out.csv").string();
  std::ofstream(target) << "old";
  {
    CCsvOutputFile file;
    ASSERT_TRUE(file.Open(target));
    EXPECT_TRUE(file.Write("new half"));
  }  // not committed: discarded
  EXPECT_EQ(Names(), (std::vector<std::string>{"out.csv"}));
  std::stringstream kept;
  kept << std::ifstream(target).rdbuf();
  EXPECT_EQ(kept.str(), "old");

  CCsvOutputFile file;
  ASSERT_TRUE(file.Open(target));
  EXPECT_TRUE(file.Write("new"));
  EXPECT_TRUE(file.Commit());
  std::stringstream now;
  now << std::ifstream(target).rdbuf();
  EXPECT_EQ(now.str(), "new");
  EXPECT_EQ(Names(), (std::vector<std::string>{"out.csv"}));
}

TEST_F(OutputFile, AReadOnlyFolderFailsAndLeavesNothing) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  std::filesystem::permissions(m_folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  CCsvOutputFile file;
  EXPECT_FALSE(file.Open((m_folder / "out.csv").string()));
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_FALSE(file.Write("x"));
  EXPECT_FALSE(file.Commit());
  std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all);
  EXPECT_TRUE(Names().empty());
}

TEST_F(OutputFile, AReadOnlyTargetStaysWholeAndNothingIsLeft) {
  const std::string target = (m_folder / "locked.csv").string();
  std::ofstream(target) << "old";
  ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
  CCsvOutputFile file;
  // Refused at once, as Windows refuses to replace a read-only file: nothing is written at all.
  EXPECT_FALSE(file.Open(target));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_FALSE(file.Write("new"));
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(Names(), (std::vector<std::string>{"locked.csv"}));
  std::stringstream kept;
  kept << std::ifstream(target).rdbuf();
  EXPECT_EQ(kept.str(), "old");
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Settings, StartsWithFiveEmptySlotsAndWritesTheCount) {
  CCsvSettings settings(0);
  ASSERT_TRUE(settings.Load());
  EXPECT_EQ(settings.SlotCount(), 5);
  for (const CsvFileSlot& slot : settings.Slots()) EXPECT_EQ(slot, CsvFileSlot{});
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Tabulon", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD count = 0, size = sizeof count, type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "CSV_NFILES", nullptr, &type, reinterpret_cast<LPBYTE>(&count), &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(count, 5u);
}

TEST_F(Settings, RemembersFilesMostRecentFirstAndKeepsThemInTheRegistry) {
  CCsvSettings settings(3);
  settings.Remember({"C:\\a.csv", ',', true});
  settings.Remember({"C:\\b.csv", ';', false});
  settings.Remember({"C:\\c.csv", '\t', false});
  settings.Remember({"C:\\B.CSV", '|', true});  // found ignoring case: moves up, nothing dropped
  EXPECT_EQ(settings.Slots(), (std::vector<CsvFileSlot>{{"C:\\B.CSV", '|', true}, {"C:\\c.csv", '\t', false},
                                                       {"C:\\a.csv", ',', true}}));
  settings.Remember({"C:\\d.csv", ':', false});  // new: the last slot is dropped
  EXPECT_EQ(settings.Slot(0).path, "C:\\d.csv");
  EXPECT_EQ(settings.Slot(2).path, "C:\\c.csv");

  // A long path comes back whole; a count out of range reads as 5.
  std::string longPath = "C:\\" + std::string(400, 'x') + ".csv";
  settings.Remember({longPath, ';', true});
  ASSERT_TRUE(settings.Save());
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Tabulon", 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr), ERROR_SUCCESS);
  for (DWORD count : {3u, 0u, 21u}) {
    RegSetValueExA(key, "CSV_NFILES", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
    CCsvSettings read;
    ASSERT_TRUE(read.Load());
    EXPECT_EQ(read.SlotCount(), count == 3 ? 3 : 5);
    EXPECT_EQ(read.Slot(0), (CsvFileSlot{longPath, ';', true}));
    EXPECT_EQ(read.Slot(1).path, "C:\\d.csv");
    EXPECT_EQ(read.Slot(1).separator, ':');
  }
  RegCloseKey(key);
}
