// The backup run against a phone of the test's own: what the file holds for each choice of kinds,
// how detection failures, locks, a cancel and a lost link end it, and that a run that does not
// complete leaves no file and an earlier file as it was.
#include "BackupRun.h"

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


struct FakeFile {
  std::string name;
  std::vector<BYTE> bytes;
  DWORD id = 0;
};
struct FakeFolder {
  DWORD id = 0;
  std::string name;
};

// A phone in memory; every operation answers from its tables, failures where the test says.
class FakePhone : public IBackupPhone {
 public:
  std::map<short, CString> groups;
  std::map<short, PA_PHONEBOOK_INFO> contacts;
  std::map<short, PA_SCHEDULE_INFO> schedule;
  std::map<short, PA_TODO_INFO> todo;
  std::vector<std::pair<DWORD, std::vector<BYTE>>> messages;  // box, bytes
  std::vector<std::vector<BYTE>> mails;
  std::vector<PA_RESOURCE_INFO> lists[2];
  std::map<short, std::vector<FakeFolder>> subfolders;
  std::map<short, std::vector<FakeFile>> files;

  PA_MS_RESULT testMode = PA_MS_OK;
  DWORD lastError = 0;
  PA_MS_RESULT lock = PA_MS_OK;
  std::string imei = "0x35,0x40,0x00,1122334455667788";
  // The download of file number `failAt` (counted over the run, from 0) answers `failWith`.
  int failAt = -1;
  PA_MS_RESULT failWith = PA_MS_OK;
  PA_MS_RESULT downloadMessages = PA_MS_OK;

  int powerOffs = 0, closes = 0, downloads = 0, outstanding = 0;
  std::vector<std::string> calls;

  void SetCallbackFunction(PA_PROGRESS_CALLBACK callback, void* user) override {
    if (callback) callback(40000, 20000, user);
  }
  PA_MS_RESULT TestModeOn() override {
    if (testMode != PA_MS_OK) SetLastError(lastError);
    return testMode;
  }
  DWORD LastError() override { return lastError; }
  void PowerOff() override { ++powerOffs; }
  PA_MS_RESULT PA_ClosePort() override { return ++closes, PA_MS_OK; }
  void PA_CancelTransfer() override {}
  PA_MS_RESULT CheckLockInfo() override { return lock; }
  PA_MS_RESULT PA_GetIMEI(char* text) override {
    std::snprintf(text, 32, "%s", imei.c_str());
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_DownloadIModeMessages() override { return Call("imode"); }
  PA_RESULT PA_GetNumIModeMessages(int* count) override { return *count = static_cast<int>(mails.size()), PA_OK; }
  PA_RESULT PA_GetIModeMessage(unsigned int index, PA_IMODE_INFO* mail) override {
    *mail = PA_IMODE_INFO{1, 1, index, static_cast<DWORD>(mails[index].size()), mails[index].data()};
    return PA_OK;
  }
  PA_MS_RESULT PA_DownloadMessages() override { return Call("messages") == PA_MS_OK ? downloadMessages : PA_MS_FAILED; }
  PA_RESULT PA_GetNumMessages(int* count) override { return *count = static_cast<int>(messages.size()), PA_OK; }
  PA_RESULT PA_GetMessage(unsigned int index, PA_MESSAGE_INFO* message) override {
    auto& [box, bytes] = messages[index];
    *message = PA_MESSAGE_INFO{1, box, index, static_cast<DWORD>(bytes.size()), bytes.data()};
    return PA_OK;
  }
  PA_MS_RESULT PA_DownloadResourceList(int) override { return Call("lists"); }
  PA_RESULT PA_GetNumResourcesList(short* count, short type) override {
    return *count = static_cast<short>(lists[type].size()), PA_OK;
  }
  PA_RESULT PA_GetResourceList(unsigned short type, PA_RESOURCE_INFO* records) override {
    for (std::size_t i = 0; i < lists[type].size(); ++i) records[i] = lists[type][i];
    return PA_OK;
  }
  PA_MS_RESULT PA_DownloadGroups() override { return Call("groups"); }
  PA_MS_RESULT PA_DownloadPhoneBook(short) override { return Call("contacts"); }
  PA_MS_RESULT PA_DownloadSchedule(short) override { return Call("schedule"); }
  PA_MS_RESULT PA_DownloadToDo(short) override { return Call("todo"); }
  PA_RESULT PA_GetGroup(PA_GROUP_INFO* group, short slot) override {
    auto it = groups.find(slot);
    group->bExists = it != groups.end();
    group->strName = group->bExists ? it->second : CString();
    return PA_OK;
  }
  template <typename Record>
  static PA_RESULT Get(const std::map<short, Record>& table, Record* record, short slot) {
    auto it = table.find(slot);
    if (it == table.end()) return PA_EMPTY_SLOT;
    *record = it->second;
    return PA_OK;
  }
  PA_RESULT PA_GetPhoneBook(PA_PHONEBOOK_INFO* contact, short slot) override { return Get(contacts, contact, slot); }
  PA_RESULT PA_GetSchedule(PA_SCHEDULE_INFO* entry, short slot) override { return Get(schedule, entry, slot); }
  PA_RESULT PA_GetToDo(PA_TODO_INFO* item, short slot) override { return Get(todo, item, slot); }
  PA_MS_RESULT PA_GetNumSubfolders(short* count, short folder) override {
    return *count = static_cast<short>(subfolders[folder].size()), PA_MS_OK;
  }
  PA_MS_RESULT PA_GetFolderInfo(PA_FOLDER_INFO* info, short folder, short index) override {
    const FakeFolder& sub = subfolders[folder][static_cast<std::size_t>(index)];
    info->dwNumber = sub.id;
    info->dwType = sub.id;
    info->strName = sub.name.c_str();
    info->lFolderId = folder;
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_GetNumResources(short* count, short folder, unsigned char) override {
    return *count = static_cast<short>(files[folder].size()), PA_MS_OK;
  }
  PA_MS_RESULT PA_GetResourceInfo(PA_RESOURCE_INFO* record, short folder, short index, unsigned char) override {
    const FakeFile& file = files[folder][static_cast<std::size_t>(index)];
    record->dwIndex = static_cast<DWORD>(index);
    record->dwFileId = file.id;
    record->strFileName = file.name.c_str();
    record->dwFolderId = static_cast<DWORD>(folder);
    return PA_MS_OK;
  }
  PA_MS_RESULT PA_DownloadResource(PA_RESOURCE_INFO* record, short folder, short index, unsigned char) override {
    if (downloads++ == failAt) return failWith;
    const FakeFile& file = files[folder][static_cast<std::size_t>(index)];
    record->dwSize = static_cast<DWORD>(file.bytes.size());
    record->pData = new BYTE[file.bytes.size() + 1];
    std::copy(file.bytes.begin(), file.bytes.end(), record->pData);
    ++outstanding;
    return PA_MS_OK;
  }
  void DeleteDataArray(unsigned char* data) override {
    delete[] data;
    --outstanding;
  }

 private:
  PA_MS_RESULT Call(const char* name) {
    calls.emplace_back(name);
    return PA_MS_OK;
  }
};

class RecordingReport : public IRunReport {
 public:
  std::vector<std::pair<std::string, int>> lines;
  std::vector<std::pair<int, int>> progress;
  int busy = 0;
  void Log(const CString& text, int kind) override { lines.emplace_back(static_cast<LPCSTR>(text), kind); }
  void Overlay(const CString&) override {}
  void Busy(bool on) override { busy = on; }
  void Progress(int maximum, int position) override { progress.emplace_back(maximum, position); }
  bool Logged(const std::string& text) const {
    for (auto& [line, kind] : lines) {
      if (line == text) return true;
    }
    return false;
  }
};

// A filled phone: two groups, contacts, schedule and to-do entries, messages of all three boxes,
// two mails, resource lists, and media in nested folders (16 and 17 are the user's; 12 the phone's).
void Fill(FakePhone& phone) {
  phone.groups = {{1, "Family"}, {19, "Work"}};
  PA_PHONEBOOK_INFO contact;
  contact.bValid = 1;
  contact.strName = "Ann";
  contact.dwPictureId = 40;
  phone.contacts[0] = contact;
  contact.strName = "Bob";
  phone.contacts[499] = contact;
  PA_SCHEDULE_INFO entry;
  entry.bValid = 1;
  entry.strDescription = "Meet";
  entry.dwMelodyId = 41;
  phone.schedule[599] = entry;
  PA_TODO_INFO item;
  item.bValid = 1;
  item.strDescription = "Call";
  phone.todo[42] = item;
  phone.messages = {{1, {1}}, {2, {2, 2}}, {3, {3, 3, 3}}, {4, {4}}};
  phone.mails = {{9}, {9, 9}};
  PA_RESOURCE_INFO listed;
  listed.dwFileId = 40;
  listed.strFileName = "a.jpg";
  phone.lists[0] = {listed};
  listed.dwFileId = 41;
  listed.strFileName = "b.mid";
  phone.lists[1] = {listed};
  phone.subfolders[0] = {{12, "Camera"}, {16, "Trips"}};
  phone.subfolders[16] = {{17, "Alps"}};
  phone.files[0] = {{"a.jpg", {1, 2, 3}, 40}};
  phone.files[12] = {{"cam.jpg", {4}, 50}};
  phone.files[17] = {{"peak.jpg", std::vector<BYTE>(70000, 7), 51}};
  phone.files[1] = {{"b.mid", {5, 6}, 41}};
}

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

// A cancel or a lost link in the media steps, or a failed download step, ends the run with 421
// and no file; an earlier backup of that name stays byte for byte.
TEST_F(BackupRunTest, ARunThatFailsLeavesTheEarlierFile) {
  Fill(m_phone);
  ASSERT_TRUE(Run(0x13FE).fileWritten);
  const std::vector<BYTE> earlier = Bytes();
  const struct {
    const char* name;
    int failAt;
    PA_MS_RESULT failWith;
    PA_MS_RESULT downloadMessages;
  } cases[] = {
      {"cancel in the second file", 1, PA_MS_CANCELLED, PA_MS_OK},
      {"cable pulled in the first file", 0, PA_MS_LINK_DOWN, PA_MS_OK},
      {"messages fail", -1, PA_MS_OK, PA_MS_FAILED},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_phone = FakePhone();
    Fill(m_phone);
    m_phone.files[0].push_back({"x.jpg", {1}, 60});
    m_phone.failAt = c.failAt;
    m_phone.failWith = c.failWith;
    m_phone.downloadMessages = c.downloadMessages;
    const RunOutcome outcome = Run(0x13FE);
    EXPECT_TRUE(outcome.endMessage);
    EXPECT_FALSE(outcome.fileWritten);
    EXPECT_EQ(outcome.endText, CString("Transfer canceled. Your phone has been switched off. You can now turn it on. "));
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
