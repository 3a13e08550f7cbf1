// The backup run against a phone of the test's own: what the file holds for each choice of kinds,
// how detection failures, locks, a cancel and a lost link end it, and that a run that does not
// complete leaves no file and an earlier file as it was.
#include "BackupRun.h"
#include "FakePhone.h"

#include <handport/PhoneErrors.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {


struct FileRecord {
  BYTE type;
  std::string text;  // a name that shows which record it is
  DWORD number;      // slot, box, media kind or folder id
};

std::vector<FileRecord> ReadBack(const std::string& path, DWORD* kinds = nullptr) {
  std::vector<FileRecord> records;
  CBackupArchive archive;
  if (archive.Open(path.c_str()) != BCK_OK) return records;
  if (kinds) *kinds = archive.GetKinds();
  BYTE type = 0;
  while (archive.ReadRecord(&type) == BCK_OK) {
    std::unique_ptr<BYTE[]> data;
    FileRecord record{type, "", 0};
    switch (type) {
      case BRT_GROUP: { BYTE n; CString name; archive.ReadGroup(n, name); record = {type, static_cast<LPCSTR>(name), n}; break; }
      case BRT_CONTACT: { PA_PHONEBOOK_INFO c; archive.ReadContact(c); record = {type, static_cast<LPCSTR>(c.strName), c.dwReserved8}; break; }
      case BRT_SCHEDULE: { PA_SCHEDULE_INFO s; archive.ReadSchedule(s); record = {type, static_cast<LPCSTR>(s.strDescription), static_cast<DWORD>(s.sReserved5)}; break; }
      case BRT_TODO: { PA_TODO_INFO t; archive.ReadToDo(t); record = {type, static_cast<LPCSTR>(t.strDescription), t.bReserved4}; break; }
      case BRT_MESSAGE: { PA_MESSAGE_INFO m; archive.ReadMessage(m, data); record = {type, std::to_string(m.dwLength), m.dwBox}; break; }
      case BRT_IMODE_MESSAGE: { PA_IMODE_INFO m; archive.ReadIModeMessage(m, data); record = {type, std::to_string(m.dwLength), m.dwFolder}; break; }
      case BRT_RESOURCE: { PA_RESOURCE_INFO r; archive.ReadResource(r, data);
                           record = {type, std::string(r.strFileName) + (r.dwSize ? "+" + std::to_string(r.dwSize) : ""), r.dwReserved6}; break; }
      case BRT_FOLDER: { PA_FOLDER_INFO f; archive.ReadFolder(f); record = {type, std::string(f.strName) + "<" + std::to_string(f.lFolderId), f.dwNumber}; break; }
    }
    records.push_back(record);
  }
  return records;
}

std::string Describe(const std::vector<FileRecord>& records) {
  std::string out;
  for (const FileRecord& r : records) out += std::to_string(r.type) + ":" + r.text + "/" + std::to_string(r.number) + " ";
  return out;
}

class BackupRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    m_folder = fs::temp_directory_path() / ("backup_run_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
    fs::create_directories(m_folder);
    m_path = (m_folder / "phone.bck").string();
  }
  void TearDown() override { fs::remove_all(m_folder); }

  RunOutcome Run(DWORD kinds, const char* build = "XX") {
    CBackupRun run(m_phone, m_report);
    return run.Run(m_path.c_str(), RunChoice{kinds, BackupVariant::FromBuild(build)});
  }
  std::vector<BYTE> Bytes() const {
    std::ifstream in(m_path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), {});
  }
  std::size_t FileCount() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_folder), {})); }

  fs::path m_folder;
  std::string m_path;
  FakePhone m_phone;
  RecordingReport m_report;
};

TEST_F(BackupRunTest, EveryKindGoesIntoTheFileInItsOrder) {
  Fill(m_phone);
  const RunOutcome outcome = Run(0x13FE, "ZD");
  EXPECT_TRUE(outcome.endMessage);
  EXPECT_TRUE(outcome.fileWritten);
  EXPECT_EQ(outcome.endText, CString("Transfer complete. Your phone has been switched off. You can now turn it on."));
  DWORD kinds = 0;
  const std::vector<FileRecord> records = ReadBack(m_path, &kinds);
  EXPECT_EQ(kinds, 0x13FEu);
  // Mails; list entries before the groups; contacts, schedule and to-do with their slots; the
  // messages of the variant's boxes; then pictures (user folders written, the phone's not, files
  // of both), melodies.
  EXPECT_EQ(Describe(records),
            "9:1/0 9:2/1 10:a.jpg/0 10:b.mid/1 3:Family/1 3:Work/19 4:Ann/0 4:Bob/499 12:Meet/599 6:Call/42 "
            "2:1/1 2:2/2 2:3/3 10:cam.jpg+1/0 11:Trips<0/16 11:Alps<16/17 10:peak.jpg+70000/0 10:a.jpg+3/0 "
            "10:b.mid+2/1 ");
  CBackupArchive archive;
  ASSERT_EQ(archive.Open(m_path.c_str()), BCK_OK);
  EXPECT_EQ(archive.GetIdentity(), CString("3540001122334455667"));  // "0x" and "," gone, 19 at most
  EXPECT_EQ(m_phone.outstanding, 0);
  EXPECT_EQ(m_phone.powerOffs, 1);
  EXPECT_EQ(m_phone.closes, 1);
  EXPECT_TRUE(m_report.Logged("peak.jpg saved"));
  EXPECT_EQ(m_report.busy, 0);
}

TEST_F(BackupRunTest, SmsAloneWritesTheTwoSmsBoxesOnly) {
  Fill(m_phone);
  ASSERT_TRUE(Run(0x280).fileWritten);
  DWORD kinds = 0;
  EXPECT_EQ(Describe(ReadBack(m_path, &kinds)), "2:1/1 2:2/2 ");
  EXPECT_EQ(kinds, 0x280u);
  EXPECT_EQ(m_phone.calls, std::vector<std::string>{"messages"});
}

TEST_F(BackupRunTest, DetectionFailuresAndLocksEndTheRunWithTheirTexts) {
  const struct {
    const char* name;
    PA_MS_RESULT testMode;
    DWORD error;
    PA_MS_RESULT lock;
    bool endMessage;
    const char* text;  // the start of the end text
    int powerOffs;
  } cases[] = {
      {"cancelled", PA_MS_CANCELLED, ERROR_PA_CANCELLED, PA_MS_OK, false, "", 1},
      {"no phone", PA_MS_LINK_DOWN, ERROR_PA_NO_MODEL, PA_MS_OK, true, "Warning: Some problems occured", 0},
      {"not supported", PA_MS_PHONE_NOT_SUPPORTED, ERROR_PA_NOT_SUPPORTED, PA_MS_OK, true, "Connected phone not supported.\nYour phone", 1},
      {"other model", PA_MS_OTHER_MODEL, ERROR_PA_OTHER_MODEL, PA_MS_OK, true, "Connected phone supported but different", 1},
      {"link down", PA_MS_LINK_DOWN, ERROR_LINK_DOWN, PA_MS_OK, true, "Unable to conect with phone. ", 0},
      {"exists", PA_MS_FAILED, ERROR_PA_EXISTS, PA_MS_OK, true, "Unable to conect with phone. ", 0},
      {"no SIM", PA_MS_OK, 0, PA_MS_NO_SIM, true, "You can't transfer data to/from the phone without a SIM", 1},
      {"phone lock", PA_MS_OK, 0, PA_MS_PHONE_LOCKED, true, "Please turn off the phone lock", 1},
      {"data lock", PA_MS_OK, 0, PA_MS_DAYBOOK_LOCKED, true, "You can't transfer data to/from the phone when the Daybook", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_phone = FakePhone();
    m_report = RecordingReport();
    Fill(m_phone);
    m_phone.testMode = c.testMode;
    m_phone.lastError = c.error;
    m_phone.lock = c.lock;
    const RunOutcome outcome = Run(0x13FE);
    EXPECT_EQ(outcome.endMessage, c.endMessage);
    EXPECT_EQ(std::string(outcome.endText).rfind(c.text, 0), 0u) << outcome.endText;
    EXPECT_FALSE(outcome.fileWritten);
    EXPECT_FALSE(fs::exists(m_path));
    EXPECT_EQ(m_phone.powerOffs, c.powerOffs);
    EXPECT_EQ(m_phone.closes, 1);
    EXPECT_TRUE(m_phone.calls.empty());
    if (c.lock != PA_MS_OK) {
      EXPECT_NE(std::string(outcome.endText).find("\n\nYour phone has been switched off."), std::string::npos);
    }
    if (!c.endMessage) {
      EXPECT_TRUE(m_report.Logged("Transfer canceled. Your phone has been switched off. You can now turn it on. "));
    }
  }
}

// A cancel or a lost link in the media steps, or a failed download step, ends the run with no file;
// an earlier backup of that name stays byte for byte. Only a cancel says "Transfer canceled" (a
// record download that is cancelled fails with the cancel as its last error); the other failures
// are the phone's.
TEST_F(BackupRunTest, ARunThatFailsLeavesTheEarlierFile) {
  Fill(m_phone);
  ASSERT_TRUE(Run(0x13FE).fileWritten);
  const std::vector<BYTE> earlier = Bytes();
  const CString canceled("Transfer canceled. Your phone has been switched off. You can now turn it on. ");
  const CString failed("Unable to conect with phone. \nYour phone has been switched off. You can now turn it on. ");
  const struct {
    const char* name;
    int failAt;
    PA_MS_RESULT failWith;
    PA_MS_RESULT downloadMessages;
    DWORD lastError;
    const CString& endText;
  } cases[] = {
      {"cancel in the second file", 1, PA_MS_CANCELLED, PA_MS_OK, 0, canceled},
      {"cancel in the messages' download", -1, PA_MS_OK, PA_MS_FAILED, ERROR_PA_CANCELLED, canceled},
      {"cable pulled in the first file", 0, PA_MS_LINK_DOWN, PA_MS_OK, 0, failed},
      {"messages fail", -1, PA_MS_OK, PA_MS_FAILED, 0, failed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_phone = FakePhone();
    Fill(m_phone);
    m_phone.files[0].push_back({"x.jpg", {1}, 60});
    m_phone.failAt = c.failAt;
    m_phone.failWith = c.failWith;
    m_phone.downloadMessages = c.downloadMessages;
    m_phone.lastError = c.lastError;
    const RunOutcome outcome = Run(0x13FE);
    EXPECT_TRUE(outcome.endMessage);
    EXPECT_FALSE(outcome.fileWritten);
    EXPECT_EQ(outcome.endText, c.endText);
    EXPECT_EQ(Bytes(), earlier);
    EXPECT_EQ(FileCount(), 1u);
    EXPECT_EQ(m_phone.outstanding, 0);
    EXPECT_EQ(m_phone.powerOffs, 1);
  }
}

TEST_F(BackupRunTest, AFileThatCannotBeReadIsSkippedAndSaid) {
  Fill(m_phone);
  m_phone.failAt = 0;  // cam.jpg
  m_phone.failWith = PA_MS_FAILED;
  const RunOutcome outcome = Run(BCK_KIND_PICTURES);
  EXPECT_TRUE(outcome.fileWritten);
  EXPECT_TRUE(outcome.skippedFiles);
  EXPECT_NE(std::string(outcome.endText).find("Some files could not be saved"), std::string::npos);
  EXPECT_TRUE(m_report.Logged("cam.jpg could not be saved"));
  EXPECT_EQ(Describe(ReadBack(m_path)), "11:Trips<0/16 11:Alps<16/17 10:peak.jpg+70000/0 10:a.jpg+3/0 ");
}

TEST_F(BackupRunTest, AFileThatCannotBeCreatedEndsTheRunWithTheStepsUndone) {
  Fill(m_phone);
  m_path = (m_folder / "missing" / "phone.bck").string();
  const RunOutcome outcome = Run(0x13FE);
  EXPECT_TRUE(outcome.endMessage);
  EXPECT_FALSE(outcome.fileWritten);
  EXPECT_EQ(std::string(outcome.endText).rfind("The backup file could not be written.\nYour phone", 0), 0u);
  EXPECT_TRUE(m_phone.calls.empty());
  EXPECT_EQ(m_phone.powerOffs, 1);
}

TEST(BackupRunTexts, IdentitiesAreCleanedAndCut) {
  const struct {
    const char* raw;
    const char* clean;
  } cases[] = {
      {"354000112233445", "354000112233445"},
      {"0x35,0x40,0x00", "354000"},
      {"00xx0", "0"},  // removing "0x" makes a new one, which goes too
      {"12345678901234567890123", "1234567890123456789"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CBackupRun::CleanIdentity(c.raw), CString(c.clean)) << c.raw;
}

TEST(BackupRunTexts, ProgressShiftsLargeTotals) {
  RecordingReport report;
  CTransferProgress progress(report);
  progress.Update(40000, 20000);
  progress.Update(32768, 32768);
  progress.Update(9000000, 9000000);
  progress.Update(0, 0);
  EXPECT_EQ(report.progress, (std::vector<std::pair<int, int>>{{312, 156}, {32768, 32768}, {35156, 35156}, {0, 0}}));
}

}  // namespace
