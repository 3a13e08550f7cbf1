// The exchange operations with scripted dialogs: files written and read back, the overwrite question,
// failed writes, the messages of bad files, the kept selection and the current directory.
#include "ExchangeFiles.h"
#include "Interlex.h"
#include "ScriptedUi.h"
#include "ZoneGuard.h"

#include <base/LastError.h>
#include <base/TemporaryHome.h>
#include <kernel/File.h>
#include <kernel/Path.h>
#include <registry/WinReg.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <cstring>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::vector<std::string> Listing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string CurrentDirectory() {
  char buffer[4096] = {};
  GetCurrentDirectoryA(sizeof buffer, buffer);
  return buffer;
}

class Exchange : public ::testing::Test {
protected:
  void SetUp() override {
    m_folder = fs::path(m_home.Path()) / "exchange";
    fs::create_directories(m_folder);
    m_ui.folder = m_folder.string();
  }
  CString File(const std::string& name) const { return CString((m_folder / name).string().c_str()); }

  tolvar::testing::TemporaryHome m_home;
  fs::path m_folder;
  CScriptedUi m_ui;
  CInterlex m_interlex{m_ui};
};

PA_PHONEBOOK_INFO Contact(const char* name, const char* number) {
  PA_PHONEBOOK_INFO c;
  c.strName = name;
  c.strReading = name;
  c.strNumber[0] = number;
  c.strText[0] = "a\r\nb = |";
  return c;
}

TEST_F(Exchange, ContactsExportedAndImportedBack) {
  CPhoneBookArray out;
  out.Add(Contact("a/b:c", "1"));
  out.Add(Contact("", "2"));
  out.Add(Contact("J\xC3\xB6rg", "3"));
  ASSERT_EQ(m_interlex.VcardExportAll(&out, nullptr), 1);
  EXPECT_EQ(Listing(m_folder), (std::vector<std::string>{"J\xC3\xB6rg_3.vcf", "_2.vcf", "abc_1.vcf"}));
  const std::string bytes = Slurp(m_folder / "abc_1.vcf");
  EXPECT_EQ(bytes.rfind("BEGIN:VCARD\r\nVERSION:2.1\r\nFN:a/b:c\r\n", 0), 0u);
  EXPECT_TRUE(m_ui.shown.empty());

  m_ui.files = {File("abc_1.vcf"), File("_2.vcf"), File("J\xC3\xB6rg_3.vcf")};
  CPhoneBookArray in;
  ASSERT_EQ(m_interlex.VcardImportAll(&in, nullptr), 1);
  ASSERT_EQ(in.GetSize(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(in[i].strName, out[i].strName);
    EXPECT_EQ(in[i].strNumber[0], out[i].strNumber[0]);
    EXPECT_EQ(in[i].strText[0], out[i].strText[0]);
    EXPECT_EQ(in[i].dwMelodyId, 0u);
  }
  EXPECT_EQ(m_ui.lastExtension, "vcf");
  EXPECT_EQ(m_ui.lastFilter, "vCard(*.vcf)|*.vcf|All fieles(*.*)|*.*||");
}

TEST_F(Exchange, OverwriteQuestionYesNoAndCancel) {
  CPhoneBookArray records;
  records.Add(Contact("one", "1"));
  records.Add(Contact("two", "2"));
  records.Add(Contact("three", "3"));
  auto stale = [&] {
    for (const char* name : {"one_1.vcf", "two_2.vcf", "three_3.vcf"}) Put(m_folder / name, "old");
  };
  auto written = [&](const char* name) { return Slurp(m_folder / name) != "old"; };

  // No skips the first; Yes writes the second and every later one without asking.
  stale();
  m_ui.answers = {IDNO, IDYES};
  EXPECT_EQ(m_interlex.VcardExportAll(&records, nullptr), 1);
  EXPECT_FALSE(written("one_1.vcf"));
  EXPECT_TRUE(written("two_2.vcf"));
  EXPECT_TRUE(written("three_3.vcf"));
  ASSERT_EQ(m_ui.shown.size(), 2u);
  EXPECT_EQ(m_ui.shown[0].text, "'one' is already exist.\nDo you want to overwrite?");
  EXPECT_EQ(m_ui.shown[0].caption, "VCard / VCalendar");
  EXPECT_EQ(m_ui.shown[0].type, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONWARNING));

  // Cancel stops the export: nothing is overwritten, and the result is still 1.
  stale();
  m_ui.shown.clear();
  m_ui.answers = {IDNO, IDCANCEL};
  EXPECT_EQ(m_interlex.VcardExportAll(&records, nullptr), 1);
  EXPECT_EQ(m_ui.shown.size(), 2u);
  for (const char* name : {"one_1.vcf", "two_2.vcf", "three_3.vcf"}) EXPECT_FALSE(written(name)) << name;

  // A name is shown as it is, never read as a format.
  records[0].strName = "100%s %d";
  Put(m_folder / "100%s %d_1.vcf", "old");
  m_ui.shown.clear();
  m_ui.answers = {IDCANCEL};
  EXPECT_EQ(m_interlex.VcardExportAll(&records, nullptr), 1);
  ASSERT_EQ(m_ui.shown.size(), 1u);
  EXPECT_EQ(m_ui.shown[0].text, "'100%s %d' is already exist.\nDo you want to overwrite?");
}

TEST_F(Exchange, FailedWriteLeavesNothingPartialAndSetsTheLastError) {
  CPhoneBookArray contacts;
  contacts.Add(Contact("first", "1"));
  contacts.Add(Contact("blocked", "2"));
  contacts.Add(Contact("third", "3"));
  // A folder where the second file would go: it cannot be replaced by a file.
  fs::create_directories(m_folder / "blocked_2.vcf" / "inside");
  SetLastError(0);
  EXPECT_EQ(m_interlex.VcardExportAll(&contacts, nullptr), 0);
  EXPECT_EQ(GetLastError(), INTERLEX_VCARD_CREATE_FAILED);
  EXPECT_EQ(Listing(m_folder), (std::vector<std::string>{"blocked_2.vcf", "first_1.vcf"}));
  EXPECT_TRUE(fs::is_directory(m_folder / "blocked_2.vcf" / "inside"));

  // A read-only file that the person agreed to overwrite stays as it was.
  fs::remove_all(m_folder / "blocked_2.vcf");
  fs::remove(m_folder / "first_1.vcf");
  Put(m_folder / "first_1.vcf", "kept");
  ASSERT_TRUE(SetFileAttributesA((m_folder / "first_1.vcf").string().c_str(), FILE_ATTRIBUTE_READONLY));
  m_ui.answers = {IDYES};
  SetLastError(0);
  EXPECT_EQ(m_interlex.VcardExportAll(&contacts, nullptr), 0);
  EXPECT_EQ(GetLastError(), INTERLEX_VCARD_CREATE_FAILED);
  EXPECT_EQ(Slurp(m_folder / "first_1.vcf"), "kept");
  EXPECT_EQ(Listing(m_folder), (std::vector<std::string>{"first_1.vcf"}));
  SetFileAttributesA((m_folder / "first_1.vcf").string().c_str(), FILE_ATTRIBUTE_NORMAL);

  // A folder that does not exist: nothing at all is written.
  CScheduleArray entries;
  entries.Add(PA_SCHEDULE_INFO{});
  m_ui.folder = (m_folder / "missing").string();
  EXPECT_EQ(m_interlex.VcalendarExportAll(&entries, nullptr), 0);
  EXPECT_EQ(GetLastError(), INTERLEX_VCALENDAR_CREATE_FAILED);
  EXPECT_FALSE(fs::exists(m_folder / "missing"));
}

TEST_F(Exchange, AFileWrittenWholeReplacesTheOldOne) {
  Put(m_folder / "x.vcf", "old contents");
  ASSERT_TRUE(interlex::WriteWholeFile(File("x.vcf"), "new"));
  EXPECT_EQ(Slurp(m_folder / "x.vcf"), "new");
  EXPECT_EQ(Listing(m_folder), (std::vector<std::string>{"x.vcf"}));
  EXPECT_EQ(interlex::CutPath("ab\xC3\xA9", 3), "ab");
}

TEST_F(Exchange, VCardImportStopsAtABadFile) {
  Put(m_folder / "good.vcf", "BEGIN:VCARD\nFN:Good\nORG:5\n");
  Put(m_folder / "bad.vcf", "FN:no begin\n");
  Put(m_folder / "empty.vcf", "");
  Put(m_folder / "anon.vcf", "BEGIN:VCARD\nNOTE:x\n");
  struct Case {
    std::vector<std::string> files;
    int result;
    int kept;
    const char* message;
  };
  const Case cases[] = {
      {{"good.vcf", "bad.vcf", "good.vcf"}, 0, 1, "Illagel file type!"},
      {{"empty.vcf"}, 0, 0, "Illagel file type!"},
      {{"missing.vcf"}, 0, 0, "Illagel file type!"},
      {{"good.vcf", "anon.vcf"}, 0, 1, "The vCard must have name, phone or e-mail address."},
  };
  const std::string start = CurrentDirectory();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.files.back());
    m_ui.files.clear();
    for (const std::string& name : c.files) m_ui.files.push_back(File(name));
    m_ui.shown.clear();
    CPhoneBookArray in;
    SetCurrentDirectoryA(m_folder.string().c_str());
    const std::string before = CurrentDirectory();
    EXPECT_EQ(m_interlex.VcardImportAll(&in, nullptr), c.result);
    EXPECT_EQ(CurrentDirectory(), before);
    EXPECT_EQ(in.GetSize(), c.kept);
    ASSERT_EQ(m_ui.shown.size(), 1u);
    EXPECT_EQ(m_ui.shown[0].text, c.message);
    EXPECT_EQ(m_ui.shown[0].caption, "VCard / VCalendar");
    EXPECT_EQ(m_ui.shown[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
  }
  SetCurrentDirectoryA(start.c_str());

  m_ui.cancelFiles = true;
  CPhoneBookArray in;
  EXPECT_EQ(m_interlex.VcardImportAll(&in, nullptr), 0);
  EXPECT_EQ(m_interlex.VcardImportAll(nullptr, nullptr), 0);
  EXPECT_EQ(m_ui.fileDialogs, static_cast<int>(std::size(cases)) + 1);
}

TEST_F(Exchange, ScheduleImportKeepsTheSelectionForTheToDoImport) {
  ZoneGuard zone("UTC0");
  PA_TODO_INFO item;
  item.tmStart = CTime(2024, 2, 1, 9, 0, 0);
  item.tmDue = CTime(2024, 2, 2, 9, 0, 0);
  item.strDescription = "Buy: milk";
  item.bPriority = 2;
  CToDoArray items;
  items.Add(item);
  ASSERT_EQ(m_interlex.VcalendarTodoExportAll(&items, nullptr), 1);
  PA_SCHEDULE_INFO entry;
  entry.tmStart = CTime(2024, 1, 5, 10, 30, 0);
  entry.strDescription = "Meet";
  CScheduleArray entries;
  entries.Add(entry);
  ASSERT_EQ(m_interlex.VcalendarExportAll(&entries, nullptr), 1);
  EXPECT_EQ(Listing(m_folder), (std::vector<std::string>{"202401051030_1.vcs", "Buy milk_ToDo_1.vcs"}));

  // Both files chosen: the schedule import takes the entry and flags the to-do file.
  m_ui.files = {File("Buy milk_ToDo_1.vcs"), File("202401051030_1.vcs")};
  incorrectFileTool = 7;
  CScheduleArray schedule;
  EXPECT_EQ(m_interlex.VcalenderImportAll(&schedule, nullptr), 1);
  EXPECT_EQ(incorrectFileTool, 1);
  ASSERT_EQ(schedule.GetSize(), 1);
  EXPECT_EQ(schedule[0].strDescription, "Meet");
  EXPECT_EQ(schedule[0].tmStart.GetTime(), entry.tmStart.GetTime());
  EXPECT_EQ(m_ui.lastExtension, "vcs");

  // The to-do import asks nothing and reads the to-do file of the kept selection only.
  m_ui.files.clear();
  CToDoArray todo;
  EXPECT_EQ(m_interlex.VcalenderTodoImportAll(&todo, nullptr), 1);
  EXPECT_EQ(m_ui.fileDialogs, 1);
  ASSERT_EQ(todo.GetSize(), 1);
  EXPECT_EQ(todo[0].strDescription, "Buy: milk");
  EXPECT_EQ(todo[0].bPriority, 2);
  EXPECT_EQ(todo[0].tmDue.GetTime(), item.tmDue.GetTime());

  // Only to-do files: an empty schedule, result 1, the flag set. A later import resets it.
  m_ui.files = {File("Buy milk_ToDo_1.vcs")};
  CScheduleArray none;
  EXPECT_EQ(m_interlex.VcalenderImportAll(&none, nullptr), 1);
  EXPECT_EQ(none.GetSize(), 0);
  EXPECT_EQ(incorrectFileTool, 1);
  m_ui.files = {File("202401051030_1.vcs")};
  EXPECT_EQ(m_interlex.VcalenderImportAll(&none, nullptr), 1);
  EXPECT_EQ(incorrectFileTool, 0);

  // A file without BEGIN stops the schedule import with 203; cancelling forgets the selection.
  Put(m_folder / "bad.vcs", "SUMMARY:x\n");
  m_ui.files = {File("bad.vcs")};
  m_ui.shown.clear();
  EXPECT_EQ(m_interlex.VcalenderImportAll(&none, nullptr), 0);
  ASSERT_EQ(m_ui.shown.size(), 1u);
  EXPECT_EQ(m_ui.shown[0].text, "Illagel file type!");
  m_ui.cancelFiles = true;
  EXPECT_EQ(m_interlex.VcalenderImportAll(&none, nullptr), 0);
  EXPECT_TRUE(m_interlex.keptSelection.empty());
}

TEST_F(Exchange, CancelledFolderPickerWritesNothing) {
  m_ui.folder.clear();
  CPhoneBookArray contacts;
  contacts.Add(Contact("x", "1"));
  EXPECT_EQ(m_interlex.VcardExportAll(&contacts, nullptr), 1);
  EXPECT_TRUE(Listing(m_folder).empty());
  EXPECT_EQ(m_ui.folderDialogs, 1);
}

// The phones whose "Build" starts with Z or U hold long descriptions; any other, or none, short ones.
TEST_F(Exchange, TheBuildSettingSelectsTheDescriptionBudget) {
  const struct {
    const char* build;
    int extended;
  } cases[] = {{"Z123", 1}, {"U4", 1}, {"Y5", 0}, {"", 0}, {"z9", 0}, {nullptr, 0}};  // ends without one
  for (const auto& c : cases) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (c.build)
      RegSetValueExA(key, "Build", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.build), static_cast<DWORD>(strlen(c.build) + 1));
    else
      RegDeleteValueA(key, "Build");
    RegCloseKey(key);
    EXPECT_EQ(CInterlex().extended, c.extended) << (c.build ? c.build : "absent");
  }

  Put(m_folder / "long.vcs", "BEGIN:VCALENDAR\nSUMMARY:" + std::string(300, 'x') + "\n");
  m_ui.files = {File("long.vcs")};
  for (int extended : {0, 1}) {
    m_interlex.extended = extended;
    CScheduleArray entries;
    ASSERT_EQ(m_interlex.VcalenderImportAll(&entries, nullptr), 1);
    ASSERT_EQ(entries.GetSize(), 1);
    EXPECT_EQ(entries[0].strDescription.GetLength(), extended ? 256 : 64);
  }
}

}  // namespace
