// The restore run against phones of the test's own: a filled phone backed up and restored onto an
// empty one, which then holds the same (with its own new file and folder ids); the rows that limit
// a restore; a damaged file that changes nothing; the id maps; emptying a folder that holds one.
#include "BackupRun.h"
#include "FakePhone.h"

#include <handport/PhoneErrors.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class RestoreRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    m_folder = fs::temp_directory_path() / ("restore_run_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
    fs::create_directories(m_folder);
    m_path = (m_folder / "phone.bck").string();
    Fill(m_source);
    RecordingReport report;
    CBackupRun backup(m_source, report);
    ASSERT_TRUE(backup.Run(m_path.c_str(), RunChoice{0x13FE, BackupVariant::FromBuild("ZD")}).fileWritten);
    m_target.restoring = true;
  }
  void TearDown() override { fs::remove_all(m_folder); }

  RunOutcome Restore(DWORD kinds) {
    CRestoreRun run(m_target, m_report);
    return run.Run(m_path.c_str(), RunChoice{kinds, BackupVariant::FromBuild("ZD")});
  }
  bool Called(const std::string& call) const {
    return std::find(m_target.calls.begin(), m_target.calls.end(), call) != m_target.calls.end();
  }
  std::ptrdiff_t Position(const std::string& call) const {
    return std::find(m_target.calls.begin(), m_target.calls.end(), call) - m_target.calls.begin();
  }

  fs::path m_folder;
  std::string m_path;
  FakePhone m_source;
  FakePhone m_target;
  RecordingReport m_report;
};

TEST_F(RestoreRunTest, AnEmptyPhoneEndsUpHoldingWhatTheFileHolds) {
  const RunOutcome outcome = Restore(0x13FE);
  EXPECT_EQ(outcome.endText, CString("Transfer complete. Your phone has been switched off. You can now turn it on."));
  EXPECT_EQ(m_report.mediaChanges, 1);
  // Records.
  EXPECT_EQ(m_target.groups, m_source.groups);
  ASSERT_EQ(m_target.contacts.size(), 2u);
  EXPECT_EQ(m_target.contacts[499].strName, CString("Bob"));
  ASSERT_EQ(m_target.schedule.size(), 1u);
  EXPECT_EQ(m_target.todo.size(), 1u);
  EXPECT_EQ(m_target.todo.begin()->first, 42);
  EXPECT_EQ(m_target.mails, m_source.mails);
  // Messages of the boxes the backup took, each once; the PC side emptied after the upload.
  EXPECT_EQ(m_target.messages.size(), 3u);
  EXPECT_TRUE(m_target.pcMessages.empty());
  // Media: the user's folders made anew (20, then 21 inside it), the files uploaded into them.
  EXPECT_TRUE(Called("create Trips in 0"));
  EXPECT_TRUE(Called("create Alps in 20"));
  EXPECT_TRUE(Called("upload peak.jpg into 21"));
  EXPECT_TRUE(Called("upload cam.jpg into 12"));
  EXPECT_LT(Position("create Alps in 20"), Position("upload peak.jpg into 21"));
  // The contact's picture and the entry's melody point at the files' new ids.
  const DWORD newPicture = [&] {
    for (const FakeFile& f : m_target.files[0]) {
      if (f.name == "a.jpg") return f.id;
    }
    return DWORD{0};
  }();
  ASSERT_NE(newPicture, 0u);
  EXPECT_EQ(m_target.contacts[0].dwPictureId, newPicture);
  EXPECT_EQ(m_target.schedule[599].dwMelodyId, m_target.files[1].front().id);
  // The lists went to the library's caches: one entry each (0xFFFFFFFF), then each file's old id.
  EXPECT_NE(std::find(m_target.resourceInfos.begin(), m_target.resourceInfos.end(), std::pair<DWORD, DWORD>{0, 0xFFFFFFFF}),
            m_target.resourceInfos.end());
  EXPECT_NE(std::find(m_target.resourceInfos.begin(), m_target.resourceInfos.end(), std::pair<DWORD, DWORD>{0, 40}),
            m_target.resourceInfos.end());
}

TEST_F(RestoreRunTest, MediaRowsUncheckedLeaveThePhonesMediaAlone) {
  Fill(m_target);
  const auto filesBefore = m_target.files;
  Restore(BCK_KIND_CONTACTS | BCK_KIND_TODO);
  for (const std::string& call : m_target.calls) {
    EXPECT_EQ(call.rfind("remove", 0), std::string::npos) << call;
    EXPECT_EQ(call.rfind("upload ", 0) == 0 && call.find(" into ") != std::string::npos, false) << call;
  }
  EXPECT_EQ(m_report.mediaChanges, 0);
  EXPECT_EQ(m_target.files.size(), filesBefore.size());
  // Without Schedule its store is emptied but nothing of it is put or uploaded.
  EXPECT_FALSE(Called("upload schedule"));
  EXPECT_TRUE(m_target.pcSchedule.empty());
  EXPECT_TRUE(Called("upload contacts"));
  EXPECT_TRUE(Called("upload todo"));
}

TEST_F(RestoreRunTest, ADamagedFileChangesNothing) {
  std::vector<char> bytes;
  {
    std::ifstream in(m_path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  bytes.resize(bytes.size() - 3);  // the last frame cut short
  std::ofstream(m_path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Fill(m_target);
  m_target.pcContacts = m_target.contacts;
  const RunOutcome outcome = Restore(0x13FE);
  EXPECT_TRUE(outcome.endMessage);
  EXPECT_EQ(outcome.endText, CString("The backup file is damaged. Nothing was changed on the phone."));
  EXPECT_EQ(m_target.testModes, 0);
  EXPECT_TRUE(m_target.calls.empty());
  EXPECT_EQ(m_target.pcContacts.size(), 2u);
  EXPECT_EQ(m_report.mediaChanges, 0);
}

// A failed upload ends the restore there, with the phone switched off: only a cancel (which the
// library leaves as the last error of the failed upload) says "Transfer canceled".
TEST_F(RestoreRunTest, AFailedUploadEndsTheRunWithItsCause) {
  const CString canceled("Transfer canceled. Your phone has been switched off. You can now turn it on. ");
  const CString failed("Unable to conect with phone. \nYour phone has been switched off. You can now turn it on. ");
  const struct {
    const char* upload;
    PA_MS_RESULT result;
    DWORD lastError;
    const CString& endText;
    const char* notReached;
  } cases[] = {
      {"upload contacts", PA_MS_FAILED, 0, failed, "upload schedule"},
      {"upload schedule", PA_MS_FAILED, ERROR_PA_CANCELLED, canceled, "upload todo"},
      {"upload messages", PA_MS_LINK_DOWN, 0, failed, "upload mails"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.upload);
    m_target = FakePhone();
    m_target.restoring = true;
    m_target.answers[c.upload] = c.result;
    m_target.lastError = c.lastError;
    const RunOutcome outcome = Restore(0x13FE);
    EXPECT_TRUE(outcome.endMessage);
    EXPECT_EQ(outcome.endText, c.endText);
    EXPECT_TRUE(Called(c.upload));
    EXPECT_FALSE(Called(c.notReached));
    EXPECT_EQ(m_target.powerOffs, 1);
  }
}

TEST_F(RestoreRunTest, AFolderIsEmptiedBeforeItIsRemoved) {
  Fill(m_target);
  CRestoreRun run(m_target, m_report);
  EXPECT_EQ(run.ClearPhoneFolder(0), 1);
  EXPECT_LT(Position("remove file 51"), Position("remove folder 17"));
  EXPECT_LT(Position("remove folder 17"), Position("remove folder 16"));
  EXPECT_TRUE(Called("remove file 50"));
  EXPECT_TRUE(Called("remove file 40"));
  EXPECT_TRUE(m_target.subfolders[0].size() == 1 && m_target.subfolders[0][0].id == 12);  // the phone's own folder stays
}

TEST(RestoreIdMap, TheFirstMatchingPairReplacesAnId) {
  const CRestoreRun::IdMap map{{5, 7}, {7, 9}, {5, 11}};
  const std::pair<DWORD, DWORD> cases[] = {{5, 7}, {7, 9}, {9, 9}, {0, 0}};
  for (auto [id, expected] : cases) EXPECT_EQ(CRestoreRun::Remap(map, id), expected) << id;
}

}  // namespace
