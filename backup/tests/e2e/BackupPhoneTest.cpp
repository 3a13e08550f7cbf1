// The runs end to end, with the phone-access library loaded by name as Backup loads it, through the
// link service's own core to the simulated phone: a filled phone is backed up, the file restored
// onto a second, fresh phone, and a backup of that phone then holds the same records, folders and
// files (under the second phone's own ids). A phone holding the sample records in its own layouts is
// backed up, and its records come back onto an empty phone byte for byte.
#include "BackupRun.h"

#include "support/LinkServiceHost.h"
#include "support/ManagerHarness.h"

#include <phonesim/PhoneSimProcess.h>
#include <phonesim/WholePhoneFiles.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class QuietReport : public IRunReport {
 public:
  std::vector<std::string> lines;
  void Log(const CString& text, int) override { lines.emplace_back(static_cast<LPCSTR>(text)); }
  void Overlay(const CString&) override {}
  void Busy(bool) override {}
  void Progress(int, int) override {}
};

// One phone with its link: phonesim, the test's link service, the library and a manager.
struct PhoneUnderTest {
  phonesim::PhoneSimProcess phone;
  std::unique_ptr<QuietLinkHome> home;
  std::unique_ptr<LinkServiceHost> service;
  ManagerLibrary library;

  // `build` is the model's version letters and "_0100"; `phoneHome` empty: a temporary one.
  bool Start(const std::string& build, const std::string& model = "Selka", const std::string& phoneHome = {}) {
    if (!phone.Start({.model = model, .home = phoneHome, .arguments = {"--baud", "2000000", "--off-time", "0"}})) return false;
    home = std::make_unique<QuietLinkHome>(phone.Home());
    std::ofstream(phone.Home() + "/Phones.ini") << "-" << model << "," << build << "\r\n";
    service = std::make_unique<LinkServiceHost>(phone.Home() + "/Phones.ini");
    if (service->Port() == 0) return false;
    QuietLinkHome::PointLibraryAt(service->Port());
    WriteSetting("Build", build);
    WriteSetting("InitTimeOut", DWORD{300});
    WriteSetting("CommsTimeOut", DWORD{1500});
    return library.Load() && library.Start() != nullptr;
  }
  void Stop() {
    if (library.Manager()) library->PA_ClosePort();
    library.Unload();
    service.reset();
    phone.Stop();
    home.reset();
  }
  CManager& Manager() { return *library.Manager(); }
};

// What a backup file holds, without the ids the phone gave: one line per record.
std::vector<std::string> Contents(const std::string& path) {
  std::vector<std::string> out;
  CBackupArchive archive;
  if (archive.Open(path.c_str()) != BCK_OK) return out;
  BYTE type = 0;
  while (archive.ReadRecord(&type) == BCK_OK) {
    std::unique_ptr<BYTE[]> data;
    std::string line = std::to_string(type) + ":";
    switch (type) {
      case BRT_GROUP: { BYTE n; CString name; archive.ReadGroup(n, name); line += std::to_string(n) + " " + std::string(name); break; }
      case BRT_CONTACT: { PA_PHONEBOOK_INFO c; archive.ReadContact(c);
                          line += std::to_string(c.dwReserved8) + " " + std::string(c.strName) + " " + std::string(c.strNumber[0]) +
                                  (c.dwPictureId ? " with picture" : ""); break; }
      case BRT_SCHEDULE: { PA_SCHEDULE_INFO s; archive.ReadSchedule(s); line += std::to_string(s.sReserved5) + " " + std::string(s.strDescription); break; }
      case BRT_TODO: { PA_TODO_INFO t; archive.ReadToDo(t); line += std::to_string(t.bReserved4) + " " + std::string(t.strDescription); break; }
      case BRT_MESSAGE: { PA_MESSAGE_INFO m; archive.ReadMessage(m, data); line += std::to_string(m.dwBox) + " " + std::to_string(m.dwLength); break; }
      case BRT_RESOURCE: { PA_RESOURCE_INFO r; archive.ReadResource(r, data);
                           line += std::string(r.strFileName) + " " + std::to_string(r.dwSize) + " kind " + std::to_string(r.dwReserved6);
                           if (r.dwSize) line += " sum " + std::to_string(std::accumulate(r.pData, r.pData + r.dwSize, 0u));
                           break; }
      case BRT_FOLDER: { PA_FOLDER_INFO f; archive.ReadFolder(f); line += std::string(f.strName) + " kind " + std::to_string(f.dwReserved); break; }
      default: break;
    }
    out.push_back(line);
  }
  return out;
}

class BackupPhoneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "backup-phone-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    m_folder = pattern;
  }
  void TearDown() override {
    m_phone.Stop();
    fs::remove_all(m_folder);
  }

  RunOutcome Backup(const std::string& path, DWORD kinds = 0x3FE, const std::string& build = "ZSE_0100") {
    CManagerPhone phone(m_phone.Manager());
    CBackupRun run(phone, m_report);
    return run.Run(path.c_str(), RunChoice{kinds, BackupVariant::FromBuild(build.c_str())});
  }

  std::string m_folder;
  PhoneUnderTest m_phone;
  QuietReport m_report;
};

struct Model {
  const char* name;
  const char* build;
};
void PrintTo(const Model& model, std::ostream* os) { *os << model.name; }

class WholePhoneTest : public BackupPhoneTest, public ::testing::WithParamInterface<Model> {};

// A Z phone (with movies) and a Y phone (with i-mode in MMS's place), each row of its dialog checked.
INSTANTIATE_TEST_SUITE_P(Phones, WholePhoneTest, ::testing::Values(Model{"Selka", "ZSE_0100"}, Model{"Pimsy", "YIA_0100"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(WholePhoneTest, AWholePhoneGoesIntoAFileAndOntoAnotherPhone) {
  const Model model = GetParam();
  const BackupVariant variant = BackupVariant::FromBuild(model.build);
  CBackupModel rows(variant);
  const DWORD kinds = rows.BackupKinds();
  rows.ShowKinds(kinds);
  DWORD restoreKinds = 0;
  for (const BackupRowInfo& info : BackupRows()) {
    if (rows.RestoreChecked(info.row)) restoreKinds |= info.kind;
  }
  ASSERT_TRUE(m_phone.Start(model.build, model.name)) << m_phone.phone.Error();
  CManager& manager = m_phone.Manager();
  // Fill the first phone: groups, contacts, a schedule entry, a to-do item, a folder of the
  // user's with a picture in it.
  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  PA_GROUP_INFO group;
  group.strName = "Family";
  ASSERT_EQ(manager.PA_PutGroup(&group, 1), PA_OK);
  ASSERT_EQ(manager.PA_UploadGroups(), PA_MS_OK);
  for (short slot : {0, 7}) {
    PA_PHONEBOOK_INFO contact;
    contact.strName = ("Person " + std::to_string(slot)).c_str();
    contact.strNumber[0] = "0301234";
    contact.bGroup = 1;
    ASSERT_EQ(manager.PA_PutPhoneBook(&contact, slot), PA_OK);
    ASSERT_EQ(manager.PA_UploadPhoneBook(slot), PA_MS_OK);
  }
  PA_SCHEDULE_INFO entry;
  entry.strDescription = "Dentist";
  entry.tmStart = CTime(2010, 3, 4, 10, 30, 0);
  ASSERT_EQ(manager.PA_PutSchedule(&entry, 3), PA_OK);
  ASSERT_EQ(manager.PA_UploadSchedule(-1), PA_MS_OK);
  PA_TODO_INFO item;
  item.strDescription = "Taxes";
  item.tmStart = item.tmDue = CTime(2010, 4, 1, 0, 0, 0);
  ASSERT_EQ(manager.PA_PutToDo(&item, 2), PA_OK);
  ASSERT_EQ(manager.PA_UploadToDo(-1), PA_MS_OK);
  PA_FOLDER_INFO folder;
  folder.strName = "Trips";
  folder.lFolderId = 0;
  ASSERT_EQ(manager.PA_CreateFolder(&folder), PA_MS_OK);
  std::vector<BYTE> picture(3000);
  for (std::size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<BYTE>(i * 7);
  picture[0] = 0xFF, picture[1] = 0xD8, picture[2] = 0xFF;
  PA_RESOURCE_INFO file;
  file.strFileName = "alps.jpg";
  file.strTitle = "keFTJpeg";
  file.dwFolderId = folder.dwNumber;
  file.dwSize = static_cast<DWORD>(picture.size());
  file.pData = picture.data();
  ASSERT_EQ(manager.PA_UploadResource(&file), PA_MS_OK);
  manager.PowerOff();
  manager.PA_ClosePort();

  const std::string first = m_folder + "/first.bck";
  RunOutcome outcome = Backup(first, kinds, model.build);
  ASSERT_TRUE(outcome.fileWritten) << outcome.endText;
  EXPECT_EQ(outcome.endText, CString("Transfer complete. Your phone has been switched off. You can now turn it on."));
  const std::vector<std::string> before = Contents(first);
  auto holds = [&](const std::string& line) { return std::find(before.begin(), before.end(), line) != before.end(); };
  EXPECT_TRUE(holds("3:1 Family"));
  EXPECT_TRUE(holds("4:7 Person 7 0301234"));
  EXPECT_TRUE(holds("12:3 Dentist"));
  EXPECT_TRUE(holds("6:2 Taxes"));
  EXPECT_TRUE(holds("11:Trips kind 0"));
  EXPECT_TRUE(holds("10:alps.jpg 3000 kind 0 sum " + std::to_string(std::accumulate(picture.begin(), picture.end(), 0u))));

  // A second, fresh phone gets the file.
  m_phone.Stop();
  ASSERT_TRUE(m_phone.Start(model.build, model.name)) << m_phone.phone.Error();
  {
    CManagerPhone phone(m_phone.Manager());
    CRestoreRun run(phone, m_report);
    outcome = run.Run(first.c_str(), RunChoice{restoreKinds, variant});
  }
  EXPECT_EQ(outcome.endText, CString("Transfer complete. Your phone has been switched off. You can now turn it on."));
  const std::string second = m_folder + "/second.bck";
  ASSERT_TRUE(Backup(second, kinds, model.build).fileWritten);
  EXPECT_EQ(Contents(second), before);
}

// The sample phone's groups, contacts, schedule and to-do list, as the phone keeps them, go into the
// file; restored onto an empty phone they give it the same files.
TEST_P(WholePhoneTest, TheSamplePhonesRecordsComeBackOntoAnEmptyPhoneByteForByte) {
  const Model model = GetParam();
  const phonesim::FlashFiles sample = phonesim::SampleWholePhone(model.name);
  const std::string first = m_folder + "/first";
  ASSERT_TRUE(phonesim::WriteFlashFiles(first + "/phonesim", sample));
  ASSERT_TRUE(m_phone.Start(model.build, model.name, first)) << m_phone.phone.Error();
  constexpr DWORD kinds = BCK_KIND_CONTACTS | BCK_KIND_SCHEDULE | BCK_KIND_TODO;
  const std::string path = m_folder + "/sample.bck";
  RunOutcome outcome = Backup(path, kinds, model.build);
  ASSERT_TRUE(outcome.fileWritten) << outcome.endText;
  EXPECT_EQ(outcome.endText, CString("Transfer complete. Your phone has been switched off. You can now turn it on."));
  const std::vector<std::string> saved = Contents(path);
  std::map<int, int> perType;
  for (const std::string& line : saved) ++perType[std::stoi(line)];
  EXPECT_EQ(perType[BRT_GROUP], 3);
  EXPECT_EQ(perType[BRT_CONTACT], 3);
  EXPECT_EQ(perType[BRT_SCHEDULE], 12);
  EXPECT_EQ(perType[BRT_TODO], 5);
  for (const char* line : {"3:6 Größe", "4:499 Contact 499 A +491003493", "12:11 Meeting 11", "6:4 Task 4"}) {
    EXPECT_NE(std::find(saved.begin(), saved.end(), line), saved.end()) << line;
  }
  m_phone.Stop();

  const std::string second = m_folder + "/second";
  ASSERT_TRUE(m_phone.Start(model.build, model.name, second)) << m_phone.phone.Error();
  {
    CManagerPhone phone(m_phone.Manager());
    CRestoreRun run(phone, m_report);
    outcome = run.Run(path.c_str(), RunChoice{kinds, BackupVariant::FromBuild(model.build)});
  }
  EXPECT_EQ(outcome.endText, CString("Transfer complete. Your phone has been switched off. You can now turn it on."));
  m_phone.Stop();
  const phonesim::FlashFiles restored = phonesim::RecordFiles(phonesim::ReadFlashFiles(second + "/phonesim"));
  const phonesim::FlashFiles expected = phonesim::RecordFiles(sample);
  EXPECT_EQ(restored.size(), expected.size());
  for (const auto& [name, bytes] : expected) {
    const auto found = restored.find(name);
    ASSERT_NE(found, restored.end()) << name.first << "_" << name.second;
    EXPECT_EQ(found->second, bytes) << name.first << "_" << name.second;
  }
}

// A group file the library cannot read (one of another layout) fails the backup: the end text says
// the phone failed, not that anything was cancelled, and no file is left.
TEST_F(BackupPhoneTest, AFileThePhoneCannotGiveFailsTheBackupWithoutACancel) {
  const std::string home = m_folder + "/phone";
  phonesim::FlashFiles files = phonesim::SampleWholePhone("Selka");
  files[{106, 110}] = std::string(798, '\0');
  ASSERT_TRUE(phonesim::WriteFlashFiles(home + "/phonesim", files));
  ASSERT_TRUE(m_phone.Start("ZSE_0100", "Selka", home)) << m_phone.phone.Error();
  const std::string path = m_folder + "/phone.bck";
  const RunOutcome outcome = Backup(path, BCK_KIND_CONTACTS);
  EXPECT_TRUE(outcome.endMessage);
  EXPECT_FALSE(outcome.fileWritten);
  EXPECT_EQ(outcome.endText, CString("Unable to conect with phone. \nYour phone has been switched off. You can now turn it on. "));
  EXPECT_FALSE(fs::exists(path));
}

// A cable pulled during a backup: the run ends with its message and an earlier backup of that
// name stays byte for byte.
TEST_F(BackupPhoneTest, ACablePulledDuringABackupLeavesTheEarlierFile) {
  ASSERT_TRUE(m_phone.Start("ZSE_0100")) << m_phone.phone.Error();
  const std::string path = m_folder + "/phone.bck";
  // A fresh phone: its schedule and to-do list are empty.
  constexpr DWORD kinds =
      BCK_KIND_CONTACTS | BCK_KIND_SCHEDULE | BCK_KIND_TODO | BCK_KIND_PICTURES | BCK_KIND_MELODIES | BCK_KIND_MOVIES;
  const RunOutcome first = Backup(path, kinds);
  ASSERT_TRUE(first.fileWritten) << first.endText << " after " << m_report.lines.back();
  auto bytes = [&] {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string earlier = bytes();
  ASSERT_TRUE(m_phone.phone.SetFault(phonesim::Fault::DropAfterSent, 300));
  const RunOutcome outcome = Backup(path, kinds);
  EXPECT_FALSE(outcome.fileWritten);
  EXPECT_TRUE(outcome.endMessage);
  EXPECT_NE(outcome.endText, CString("Transfer complete. Your phone has been switched off. You can now turn it on."));
  EXPECT_EQ(bytes(), earlier);
  EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), {}), 1);
}

// A cable pulled during a restore: the run ends with its message and the file stays as it was.
TEST_F(BackupPhoneTest, ACablePulledDuringARestoreKeepsTheFile) {
  ASSERT_TRUE(m_phone.Start("ZSE_0100")) << m_phone.phone.Error();
  const std::string path = m_folder + "/phone.bck";
  constexpr DWORD kinds = BCK_KIND_CONTACTS | BCK_KIND_PICTURES | BCK_KIND_MELODIES | BCK_KIND_MOVIES;
  ASSERT_TRUE(Backup(path, kinds).fileWritten);
  auto bytes = [&] {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string earlier = bytes();
  ASSERT_TRUE(m_phone.phone.SetFault(phonesim::Fault::DropAfterSent, 300));
  CManagerPhone phone(m_phone.Manager());
  CRestoreRun restore(phone, m_report);
  const RunOutcome restored = restore.Run(path.c_str(), RunChoice{kinds, BackupVariant::FromBuild("ZSE_0100")});
  EXPECT_TRUE(restored.endMessage);
  EXPECT_NE(restored.endText, CString("Transfer complete. Your phone has been switched off. You can now turn it on."));
  EXPECT_FALSE(restored.endText.IsEmpty());
  EXPECT_EQ(bytes(), earlier);
}

}  // namespace
