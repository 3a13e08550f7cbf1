// The Daybook document: the golden empty document, round trips of every section, the four versions
// from fixtures packed apart from the writer, damaged files of every kind, and a save that fails.
#include "DaybookDocument.h"
#include "StoreFixture.h"

#include <kernel/AtomicFile.h>

#include <base/ScopedTimeZone.h>
#include <base/WinError.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace daybook;

namespace {

std::vector<BYTE> ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string Fixture(const char* name) { return std::string(DAYBOOK_TEST_DATA) + "/" + name; }

void PutU32(std::vector<BYTE>& bytes, std::size_t at, DWORD value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<BYTE>(value >> (8 * i));
}

class DocumentTest : public StoreTest {
 protected:
  // A store with something in every field the document keeps.
  void Fill() {
    PA_GROUP_INFO group;
    group.strName = "Family";
    group.bExists = 1;
    ASSERT_EQ(manager->PA_PutGroup(&group, 3), PA_OK);
    group.strName = "Ärzte und Ämter";  // non-ASCII survives as UTF-8
    ASSERT_EQ(manager->PA_PutGroup(&group, 19), PA_OK);
    defaults[3] = {1, 7, 9, 2};
    defaults[19] = {1, 0, 300, 0};

    PA_PHONEBOOK_INFO c;
    c.strName = "Ada Lovelace";
    c.strReading = "ada";
    for (int i = 0; i < 7; ++i) c.strNumber[i].Format("+4412%d", i);
    c.strEmail[0] = "ada@example.org";
    c.strEmail[1] = "a@b.c";
    c.strText[0] = "first programmer";
    c.strText[1] = "Zürich";
    c.bGroup = 3;
    c.bChoice = 13;
    c.dwPictureId = 200;
    c.dwMelodyId = 250;
    ASSERT_EQ(manager->PA_PutPhoneBook(&c, 0), PA_OK);
    ASSERT_EQ(manager->PA_PutPhoneBook(&c, 499), PA_OK);

    PA_SCHEDULE_INFO s;
    s.strDescription = "Dentist";
    s.tmStart = CTime(2010, 5, 6, 7, 8, 0);
    s.bAlarm = 1;
    s.bRepeat = 3;
    s.bPrivate = 1;
    s.dwMelodyId = 300;
    ASSERT_EQ(manager->PA_PutSchedule(&s, 0), PA_OK);
    ASSERT_EQ(manager->PA_PutSchedule(&s, 599), PA_OK);

    PA_TODO_INFO t;
    t.strDescription = "Taxes";
    t.tmStart = CTime(2010, 1, 2, 3, 4, 0);
    t.tmDue = CTime(2010, 2, 3, 4, 5, 0);
    t.bStatus = 1;
    t.bPriority = 2;
    t.bCategory = 1;
    t.bPrivate = 1;
    ASSERT_EQ(manager->PA_PutToDo(&t, 99), PA_OK);

    PA_RESOURCE_INFO pictures[2];
    pictures[0].dwFileId = 12;
    pictures[0].strTitle = "keFTGifAnim";
    pictures[0].strFileName = "sun.gif";
    pictures[0].strDisplayName = "Pictures\\sun.gif";
    pictures[0].dwSize = 1234;
    pictures[1].dwFileId = 13;
    pictures[1].strFileName = "moon.png";
    pictures[1].strDisplayName = "moon.png";
    ASSERT_EQ(manager->PA_PutResourceList(0, pictures, 2), PA_OK);
    PA_RESOURCE_INFO sound;
    sound.dwFileId = 44;
    sound.strFileName = "ring.mid";
    sound.strDisplayName = "ring.mid";
    ASSERT_EQ(manager->PA_PutResourceList(1, &sound, 1), PA_OK);
  }

  ReadResult Read(std::span<const BYTE> bytes) {
    Empty();
    fresh = GroupDefaults{};
    return ReadDaybookBytes(bytes, *manager, fresh);
  }

  GroupDefaults defaults{};
  GroupDefaults fresh{};
};

TEST_F(DocumentTest, EmptyStoreGivesTheGoldenEmptyDocument) {
  const std::vector<BYTE> written = WriteDaybookBytes(*manager, defaults);
  EXPECT_EQ(written.size(), 7018u);
  EXPECT_EQ(written, ReadAll(Fixture("empty.daybook")));
}

TEST_F(DocumentTest, EverySectionSurvivesARoundTripByteForByte) {
  Fill();
  const std::vector<BYTE> first = WriteDaybookBytes(*manager, defaults);
  const ReadResult result = Read(first);
  EXPECT_EQ(result.status, ReadStatus::Read);
  EXPECT_EQ(result.refusedRecords, 0);
  EXPECT_EQ(fresh, defaults);
  EXPECT_EQ(WriteDaybookBytes(*manager, fresh), first);

  const PA_PHONEBOOK_INFO c = GetContact(499);
  EXPECT_EQ(c.bValid, 1);
  EXPECT_STREQ(c.strText[1], "Zürich");
  EXPECT_EQ(c.dwPictureId, 200u);
  EXPECT_EQ(c.dwMelodyId, 250u);
  PA_GROUP_INFO g;
  manager->PA_GetGroup(&g, 19);
  EXPECT_STREQ(g.strName, "Ärzte und Ämter");
  PA_SCHEDULE_INFO s;
  manager->PA_GetSchedule(&s, 599);
  EXPECT_EQ(s.tmStart, CTime(2010, 5, 6, 7, 8, 0));
  EXPECT_EQ(s.dwMelodyId, 300u);
}

TEST_F(DocumentTest, TimesKeepTheirLocalFieldsAcrossSummerTimeEdges) {
  tolvar::testing::ScopedTimeZone zone("Europe/Berlin");
  // The last minute before the spring change, the first after it, and the autumn's repeated hour.
  const CTime times[] = {CTime(2010, 3, 28, 1, 59, 0), CTime(2010, 3, 28, 3, 0, 0), CTime(2010, 10, 31, 2, 30, 0)};
  for (short i = 0; i < 3; ++i) {
    PA_SCHEDULE_INFO s;
    s.strDescription = "edge";
    s.tmStart = times[i];
    ASSERT_EQ(manager->PA_PutSchedule(&s, i), PA_OK);
  }
  const std::vector<BYTE> first = WriteDaybookBytes(*manager, defaults);
  ASSERT_EQ(Read(first).status, ReadStatus::Read);
  for (short i = 0; i < 3; ++i) {
    PA_SCHEDULE_INFO s;
    manager->PA_GetSchedule(&s, i);
    EXPECT_EQ(s.tmStart.GetHour(), times[i].GetHour()) << i;
    EXPECT_EQ(s.tmStart.GetMinute(), times[i].GetMinute()) << i;
  }
  EXPECT_EQ(WriteDaybookBytes(*manager, fresh), first);
}

TEST_F(DocumentTest, EveryAcceptedVersionReadsTheSameRecords) {
  for (const char* name : {"v1005.daybook", "v1006.daybook", "v1009.daybook", "v1014.daybook"}) {
    SCOPED_TRACE(name);
    const ReadResult result = Read(ReadAll(Fixture(name)));
    ASSERT_EQ(result.status, ReadStatus::Read);
    EXPECT_EQ(fresh[3], (GroupDefault{1, 7, 9, 2}));
    PA_GROUP_INFO g;
    manager->PA_GetGroup(&g, 3);
    EXPECT_STREQ(g.strName, "Family");

    const PA_PHONEBOOK_INFO c = GetContact(4);
    ASSERT_EQ(c.bValid, 1);
    EXPECT_STREQ(c.strName, "Ada Lovelace");
    EXPECT_STREQ(c.strNumber[0], "+441234");
    EXPECT_STREQ(c.strNumber[6], "12#3");
    EXPECT_STREQ(c.strEmail[0], "ada@example.org");
    EXPECT_STREQ(c.strReading, "ada");
    EXPECT_EQ(c.bGroup, 3);
    EXPECT_EQ(c.bChoice, 2);
    EXPECT_EQ(c.dwPictureId, 5u);
    EXPECT_EQ(c.dwMelodyId, 6u);
    EXPECT_EQ(GetContact(5).bValid, 0);

    PA_SCHEDULE_INFO s;
    ASSERT_EQ(manager->PA_GetSchedule(&s, 2), PA_OK);
    EXPECT_STREQ(s.strDescription, "Dentist");
    EXPECT_EQ(s.tmStart, CTime(2010, 5, 6, 7, 8, 0));
    EXPECT_EQ(s.bRepeat, 2);
    PA_TODO_INFO t;
    ASSERT_EQ(manager->PA_GetToDo(&t, 1), PA_OK);
    EXPECT_STREQ(t.strDescription, "Taxes");
    EXPECT_EQ(t.tmDue.GetDay(), 3);  // the store keeps the due date's day
    EXPECT_EQ(t.tmDue.GetMonth(), 2);

    short pictures = 0;
    manager->PA_GetNumResourcesList(&pictures, 0);
    EXPECT_EQ(pictures, std::string(name) == "v1014.daybook" ? 1 : 0);
  }
}

TEST_F(DocumentTest, ResourceIdsComeBackAsTheirLowByte) {
  PA_RESOURCE_INFO picture;
  picture.dwFileId = 300;
  picture.dwIndex = 258;
  picture.strFileName = "sun.gif";
  picture.strDisplayName = "sun.gif";
  ASSERT_EQ(manager->PA_PutResourceList(0, &picture, 1), PA_OK);
  ASSERT_EQ(Read(WriteDaybookBytes(*manager, defaults)).status, ReadStatus::Read);
  short count = 0;
  manager->PA_GetNumResourcesList(&count, 0);
  ASSERT_EQ(count, 1);
  PA_RESOURCE_INFO back;
  manager->PA_GetResourceList(0, &back);
  EXPECT_EQ(back.dwFileId, 44u);
  EXPECT_EQ(back.dwIndex, 2u);
}

TEST_F(DocumentTest, AnyOtherMagicIsRefused) {
  const std::vector<BYTE> good = ReadAll(Fixture("empty.daybook"));
  for (std::size_t i = 0; i < 8; ++i) {
    std::vector<BYTE> bad = good;
    bad[i] ^= 0x01;
    EXPECT_EQ(Read(bad).status, ReadStatus::Refused) << i;
  }
  EXPECT_EQ(Read(std::span(good).first(5)).status, ReadStatus::Refused);
}

TEST_F(DocumentTest, ACutAnywhereStopsTheReadingAndKeepsWhatCameBefore) {
  Fill();
  const std::vector<BYTE> whole = WriteDaybookBytes(*manager, defaults);
  for (std::size_t size = 8; size < whole.size(); ++size) {
    const ReadResult result = Read(std::span(whole).first(size));
    ASSERT_EQ(result.status, ReadStatus::Stopped) << size;
  }
  // Cut inside the last picture list: every record before it is stored.
  Read(std::span(whole).first(whole.size() - 3));
  EXPECT_STREQ(GetContact(499).strName, "Ada Lovelace");
  PA_TODO_INFO t;
  EXPECT_EQ(manager->PA_GetToDo(&t, 99), PA_OK);
}

TEST_F(DocumentTest, CountsAndLengthsAreCheckedAgainstTheBytesLeft) {
  const std::vector<BYTE> empty = ReadAll(Fixture("empty.daybook"));
  constexpr std::size_t kContactCount = 8 + 4 + 19 * 10;
  struct Case {
    const char* what;
    std::size_t at;
    DWORD value;
    ReadStatus expected;
  };
  const Case cases[] = {
      {"group count huge", 8, 0x7FFFFFFF, ReadStatus::Stopped},
      {"group name length huge", 12 + 2, 0xFFFFFFF0, ReadStatus::Stopped},
      {"contact count 700", kContactCount, 700, ReadStatus::Read},
      {"contact count beyond the file", kContactCount, 1u << 30, ReadStatus::Stopped},
  };
  for (const Case& c : cases) {
    std::vector<BYTE> bytes = empty;
    PutU32(bytes, c.at, c.value);
    if (c.value == 700) {
      // 700 empty slots: 200 more flag bytes after the 500.
      bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(kContactCount + 4), 200, 0);
    }
    EXPECT_EQ(Read(bytes).status, c.expected) << c.what;
  }

  // A group count of 1 in an otherwise consistent file: no group records, the rest reads.
  std::vector<BYTE> one(empty.begin(), empty.begin() + 8);
  one.insert(one.end(), {1, 0, 0, 0});
  one.insert(one.end(), empty.begin() + kContactCount, empty.end());
  EXPECT_EQ(Read(one).status, ReadStatus::Read);

  // A count of 0 and of -1 mean no records, and the reading goes on.
  for (DWORD none : {0u, 0xFFFFFFFFu}) {
    std::vector<BYTE> bytes(empty.begin(), empty.begin() + kContactCount);
    const BYTE count[4] = {BYTE(none), BYTE(none >> 8), BYTE(none >> 16), BYTE(none >> 24)};
    bytes.insert(bytes.end(), count, count + 4);
    bytes.insert(bytes.end(), empty.begin() + kContactCount + 4 + 500, empty.end());
    EXPECT_EQ(Read(bytes).status, ReadStatus::Read) << none;
  }
}

TEST_F(DocumentTest, TextsOverTheirLimitStopTheReading) {
  PA_PHONEBOOK_INFO c;
  c.strName = "Ada";
  ASSERT_EQ(manager->PA_PutPhoneBook(&c, 0), PA_OK);
  std::vector<BYTE> bytes = WriteDaybookBytes(*manager, defaults);
  // The name "Ada" of slot 0 becomes a 31-byte name (limit 30).
  const std::size_t at = 8 + 4 + 19 * 10 + 4 + 2;
  PutU32(bytes, at, 31);
  bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at + 4 + 3), 28, 'a');
  EXPECT_EQ(Read(bytes).status, ReadStatus::Stopped);
  EXPECT_EQ(GetContact(0).bValid, 0);
}

TEST_F(DocumentTest, TextThatIsNotUtf8IsReadAsWindows1252) {
  EXPECT_STREQ(DocumentText("M\xFCller \x80"), "Müller €");
  EXPECT_STREQ(DocumentText("Müller"), "Müller");
  EXPECT_STREQ(DocumentText(""), "");
}

TEST_F(DocumentTest, RecordsTheLibraryRefusesAreCounted) {
  PA_PHONEBOOK_INFO c;
  c.strName = "Ada";
  c.strNumber[0] = "1234567";
  ASSERT_EQ(manager->PA_PutPhoneBook(&c, 0), PA_OK);
  ASSERT_EQ(manager->PA_PutPhoneBook(&c, 1), PA_OK);
  std::vector<BYTE> bytes = WriteDaybookBytes(*manager, defaults);
  // Slot 0's first number becomes a dial string of the same length that the phone cannot pack.
  const std::size_t number = 8 + 4 + 19 * 10 + 4 + 2 + 4 + 3 + 4;
  std::memcpy(&bytes[number], "*#21*+1", 7);
  const ReadResult result = Read(bytes);
  EXPECT_EQ(result.status, ReadStatus::Read);
  EXPECT_EQ(result.refusedRecords, 1);
  EXPECT_EQ(GetContact(0).bValid, 0);
  EXPECT_EQ(GetContact(1).bValid, 1);
}

class DocumentFileTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    folder = std::filesystem::path(home.Path()) / "docs";
    std::filesystem::create_directories(folder);
    path = (folder / "mine.daybook").string();
  }
  void TearDown() override { tolvar::kernel::SetAtomicFileFaultForTesting({}); }

  std::filesystem::path folder;
  std::string path;
};

TEST_F(DocumentFileTest, SavedFileOpensAgain) {
  Fill();
  ASSERT_TRUE(WriteDaybookFile(path, *manager, defaults));
  const std::vector<BYTE> saved = ReadAll(path);
  Empty();
  EXPECT_EQ(ReadDaybookFile(path, *manager, fresh).status, ReadStatus::Read);
  EXPECT_EQ(WriteDaybookBytes(*manager, fresh), saved);
  EXPECT_EQ(ReadDaybookFile((folder / "missing.daybook").string(), *manager, fresh).status, ReadStatus::NotOpened);
}

TEST_F(DocumentFileTest, AFailedSaveLeavesThePreviousDocumentWhole) {
  Fill();
  ASSERT_TRUE(WriteDaybookFile(path, *manager, defaults));
  const std::vector<BYTE> before = ReadAll(path);
  PutContact(1, "Grace Hopper");

  struct Fault {
    const char* what;
    tolvar::kernel::AtomicFileFault fault;
  };
  const Fault faults[] = {
      {"disk full half way", {true, 3000, ERROR_DISK_FULL, false}},
      {"disk full at once", {true, 0, ERROR_DISK_FULL, false}},
      {"the close fails", {true, 1u << 30, 0, true}},
  };
  for (const Fault& f : faults) {
    tolvar::kernel::SetAtomicFileFaultForTesting(f.fault);
    EXPECT_FALSE(WriteDaybookFile(path, *manager, defaults)) << f.what;
    tolvar::kernel::SetAtomicFileFaultForTesting({});
    EXPECT_EQ(ReadAll(path), before) << f.what;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1) << f.what << ": nothing left behind";
  }
}

}  // namespace
