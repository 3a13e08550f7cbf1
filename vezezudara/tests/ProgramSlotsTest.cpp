// The slot table: which programs of a folder are listed and in what order, what a slot keeps of
// their version records, the command lines, "App=" names, and the life of a started program.
#include "ProgramSlots.h"

#include <base/TemporaryHome.h>
#include <kernel/Kernel.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

// A folder of programs made from the fixture programs, under names that fix the directory order.
class ProgramFolder {
public:
  ProgramFolder() : m_path(m_home.File("programs")) { fs::create_directories(m_path); }
  void Add(const char* fixture, const std::string& name) {
    fs::copy_file(std::string(VZD_TEST_PROGRAMS) + "/vzd_fixture_" + fixture, m_path + "/" + name);
  }
  void AddText(const std::string& name) {
    std::FILE* file = std::fopen((m_path + "/" + name).c_str(), "w");
    std::fputs("not a program\n", file);
    std::fclose(file);
  }
  void ScanAll(CProgramSlots& slots) {
    for (int pass = 8; pass >= 0; --pass) slots.Scan(m_path.c_str(), pass);
  }
  const std::string& Path() const { return m_path; }

private:
  tolvar::testing::TemporaryHome m_home;
  std::string m_path;
};

}  // namespace

TEST(ProgramSlots, ListsSuiteProgramsByDescendingSpecialBuildThenDirectoryOrder) {
  ProgramFolder folder;
  folder.Add("five_a", "A5");
  folder.Add("four", "B4");
  folder.Add("five_b", "C5");
  folder.Add("family", "D");
  folder.Add("nocomments", "E");
  folder.Add("nobuild", "F0");
  folder.AddText("G.exe");
  CProgramSlots slots;
  folder.ScanAll(slots);

  struct Row {
    const char* exe;
    const char* description;
    const char* version;
  };
  const Row expected[] = {
      {"A5.exe", "Five A", "5.0"},
      {"C5.exe", "Five B, whose description runs ", "5.0.1234.5678.9"},  // cut to 31 and 15
      {"B4.exe", "Four", "4.0"},
      {"F0.exe", "No build", "0.1"},
  };
  ASSERT_EQ(slots.Count(), 4);
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(slots[i].exeName, expected[i].exe);
    EXPECT_STREQ(slots[i].description, expected[i].description);
    EXPECT_STREQ(slots[i].version, expected[i].version);
    EXPECT_NE(slots[i].icon, nullptr);
    EXPECT_EQ(slots[i].running, 0);
  }
  EXPECT_TRUE(slots[4].exeName.empty());
  EXPECT_TRUE(slots[CProgramSlots::kLinkSlot].exeName.empty());
  // A second scan of any pass finds nothing new: every file has been judged.
  for (int pass = 8; pass >= 0; --pass) EXPECT_TRUE(slots.Scan(folder.Path().c_str(), pass).empty());
}

TEST(ProgramSlots, ListsTenProgramsAtMostAndKeepsLongNamesWhole) {
  ProgramFolder folder;
  const std::string longName = "AVeryLongProgramNameThatRunsPastThirtyOneCharacters";
  folder.Add("five_a", longName);
  for (int i = 0; i < 11; ++i) folder.Add("four", "P" + std::to_string(10 + i));
  CProgramSlots slots;
  folder.ScanAll(slots);
  ASSERT_EQ(slots.Count(), 10);
  EXPECT_EQ(slots[0].exeName, longName + ".exe");
  EXPECT_EQ(slots[9].exeName, "P18.exe");
  EXPECT_EQ(slots.FindByName(longName + ".exe"), 0);
  // A name cut to the first 31 characters is another program.
  EXPECT_EQ(slots.FindByName((longName + ".exe").substr(0, 31)), -1);
}

TEST(ProgramSlots, CommandLinesCarryBothWindowsAsEightHexDigits) {
  const struct {
    ULONG_PTR view, frame;
    const char* expected;
  } cases[] = {
      {0x1234, 0xABCDEF, "Daybook.exe hWnd=00001234 hMainWnd=00ABCDEF"},
      {0, 0, "Daybook.exe hWnd=00000000 hMainWnd=00000000"},
      {0x7FFFFFFF, 0x10, "Daybook.exe hWnd=7FFFFFFF hMainWnd=00000010"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgramCommandLine("Daybook.exe", reinterpret_cast<HWND>(c.view), reinterpret_cast<HWND>(c.frame)),
              c.expected);
  }
}

TEST(ProgramSlots, AppCommandsNameAListedProgramWholeAndInAnyCase) {
  ProgramFolder folder;
  folder.Add("five_a", "Daybook");
  folder.Add("four", "Mediary");
  CProgramSlots slots;
  folder.ScanAll(slots);
  const struct {
    const char* command;
    int slot;  // -1: names no program; -2: no "App=" at all
  } cases[] = {
      {"App=Daybook.exe", 0},
      {"App=MEDIARY.EXE", 1},
      {"  App=mediary.exe", 1},
      {"hWnd=1 App=Daybook.exe", 0},
      {"App=Daybook.exe ", -1},  // a trailing blank is part of the name
      {"App=Daybook", -1},
      {"App=", -1},
      {"App=Linkwell.exe", -1},
      {"Close", -2},
      {"", -2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    std::string name;
    const bool found = AppCommandName(c.command, name);
    EXPECT_EQ(found, c.slot != -2);
    if (found) {
      EXPECT_EQ(slots.FindByName(name), c.slot);
    }
  }
}

TEST(ProgramSlots, AStartedProgramRunsUntilItEndsAndAFailedStartLeavesTheSlot) {
  ProgramFolder folder;
  folder.Add("five_a", "Quick");
  CProgramSlots slots;
  folder.ScanAll(slots);
  ASSERT_EQ(slots.Count(), 1);

  EXPECT_EQ(slots.Launch(folder.Path() + "/Missing.exe", 0, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(slots[0].running, 0);

  ASSERT_EQ(slots.Launch(folder.Path() + "/Quick.exe", 0, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(slots[0].running, 1);
  EXPECT_NE(slots[0].processId, 0u);
  ASSERT_EQ(WaitForSingleObject(slots[0].process.Get(), 20000), WAIT_OBJECT_0);
  slots.Refresh(nullptr);
  EXPECT_EQ(slots[0].running, 0);
  EXPECT_FALSE(slots[0].process);
  // A program that ended is started anew.
  ASSERT_EQ(slots.Launch(folder.Path() + "/Quick.exe", 0, nullptr, nullptr, nullptr), 0);
  EXPECT_TRUE(slots.WaitAndFree(0, 20000));
  EXPECT_EQ(slots[0].running, 0);
}

TEST(ProgramSlots, WaitingForAProgramThatDoesNotEndIsBounded) {
  ProgramFolder folder;
  folder.Add("five_a", "Quick");
  CProgramSlots slots;
  folder.ScanAll(slots);
  // A program that stays until it is told to go.
  ASSERT_EQ(slots.Launch(std::string(VZD_TEST_PROGRAMS) + "/vzd_link_stub", 0, nullptr, nullptr, nullptr), 0);
  EXPECT_FALSE(slots.WaitAndFree(0, 200));
  EXPECT_EQ(slots[0].running, 1);  // left to a later refresh
  TerminateProcess(slots[0].process.Get(), 9);
  ASSERT_EQ(WaitForSingleObject(slots[0].process.Get(), 20000), WAIT_OBJECT_0);
  slots.Refresh(nullptr);
  EXPECT_EQ(slots[0].running, 0);
}
