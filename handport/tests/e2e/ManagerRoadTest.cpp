// The manager end to end, loaded by name as an application loads it: through the link service's
// own core (on a port of the test's own) to the simulated phone. The road of one request (the
// command mode, the lock check, the groups and the whole phone book down, an edit up, the phone
// off and the link closed), then what each Build letter, "ResetSupport" value, lock text and
// software version makes of the command mode, progress, cancel and failures.
#include "support/LinkServiceHost.h"
#include "support/ManagerHarness.h"

#include <handport/Handport.h>
#include <handport/PhoneErrors.h>

#include <phonesim/PhoneSimProcess.h>

#include <base/LastError.h>
#include <kernel/Sync.h>
#include <kernel/Wait.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct PhoneModel {
  const char* name;
  const char* version;  // what the phone reports
  const char* code;     // the model code it takes
};
constexpr PhoneModel kSelka{"Selka", "ZSE_0310", "00129"};
void PrintTo(const PhoneModel& model, std::ostream* os) { *os << model.name; }

class ManagerPhoneTest : public testing::Test {
 protected:
  // The phone, the test's own link service, the settings, and the library loaded with a manager
  // made from them. A fast line: the phone's pace is the benchmark's business.
  void StartAll(const PhoneModel& model, const std::string& build, std::vector<std::string> arguments = {}) {
    arguments.insert(arguments.end(), {"--baud", "2000000", "--off-time", "0"});
    ASSERT_TRUE(phone.Start({.model = model.name, .arguments = arguments})) << phone.Error();
    home = std::make_unique<QuietLinkHome>(phone.Home());
    std::ofstream(phone.Home() + "/Phones.ini") << "-" << model.name << "," << std::string(model.version, 3) << "_0100\r\n";
    service = std::make_unique<LinkServiceHost>(phone.Home() + "/Phones.ini");
    ASSERT_NE(service->Port(), 0);
    QuietLinkHome::PointLibraryAt(service->Port());
    WriteSetting("Build", build);
    WriteSetting("InitTimeOut", DWORD{300});
    WriteSetting("CommsTimeOut", DWORD{1500});
    ASSERT_TRUE(library.Load());
    ASSERT_NE(library.Start(), nullptr);
  }

  void TearDown() override {
    if (library.Manager()) library->PA_ClosePort();
    library.Unload();
    service.reset();
    phone.Stop();
    home.reset();
  }

  CManager& Manager() { return *library.Manager(); }

  // The commands the phone heard since it was last woken.
  std::vector<std::string> Journal() const {
    std::ifstream in(phone.Home() + "/phonesim/journal.log");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // The journal once it holds at least `count` commands, or as it is after five seconds: a
  // command that awaits no answer is heard whenever the phone gets to it.
  std::vector<std::string> JournalOfAtLeast(std::size_t count) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::vector<std::string> journal = Journal();
    while (journal.size() < count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      journal = Journal();
    }
    return journal;
  }
  bool Heard(const std::string& command) const {
    const std::vector<std::string> journal = Journal();
    return std::find(journal.begin(), journal.end(), command) != journal.end();
  }

  // The bytes the phone keeps as its flash file (file, sub).
  std::string FlashFile(int file, int sub) const {
    std::ifstream in(phone.Home() + "/phonesim/flash/" + std::to_string(file) + "_" + std::to_string(sub) + ".bin",
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  phonesim::PhoneSimProcess phone;
  std::unique_ptr<QuietLinkHome> home;
  std::unique_ptr<LinkServiceHost> service;
  ManagerLibrary library;
};

PA_PHONEBOOK_INFO Contact(const std::string& name, const std::string& number, BYTE group) {
  PA_PHONEBOOK_INFO contact;
  contact.strName = name.c_str();
  contact.strNumber[0] = number.c_str();
  contact.bGroup = group;
  return contact;
}

TEST_F(ManagerPhoneTest, TheRoadOfOneRequest) {
  StartAll(kSelka, "ZSE_0100");
  CManager& manager = Manager();

  // An earlier session left three groups and five contacts on the phone; the PC side then forgot
  // them, so that only the download can bring them back.
  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  for (short group = 1; group <= 3; ++group) {
    PA_GROUP_INFO info;
    info.strName = ("Group " + std::to_string(group)).c_str();
    ASSERT_EQ(manager.PA_PutGroup(&info, group), PA_OK);
  }
  ASSERT_EQ(manager.PA_UploadGroups(), PA_MS_OK);
  for (short slot = 0; slot < 5; ++slot) {
    PA_PHONEBOOK_INFO contact = Contact("Person " + std::to_string(slot), "0123" + std::to_string(slot), 1 + slot % 3);
    ASSERT_EQ(manager.PA_PutPhoneBook(&contact, slot), PA_OK);
    ASSERT_EQ(manager.PA_UploadPhoneBook(slot), PA_MS_OK) << slot;
  }
  manager.PowerOff();
  ASSERT_EQ(manager.PA_ClosePort(), PA_MS_OK);
  for (short group = 1; group <= 19; ++group) manager.PA_RemovePrivateGroup(group);
  for (short slot = 0; slot < 5; ++slot) manager.PA_RemovePrivatePhoneBook(slot);

  // The worker of the contacts page.
  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  EXPECT_TRUE(Heard("UsePteCommand,00129"));
  ASSERT_EQ(manager.CheckLockInfo(), PA_MS_OK);
  ASSERT_EQ(manager.PA_DownloadGroups(), PA_MS_OK);
  for (short group = 1; group <= 19; ++group) {
    PA_GROUP_INFO info;
    const PA_RESULT result = manager.PA_GetGroup(&info, group);
    if (group <= 3) {
      ASSERT_EQ(result, PA_OK) << group;
      EXPECT_EQ(info.strName, ("Group " + std::to_string(group)).c_str());
    } else {
      EXPECT_EQ(result, PA_EMPTY_SLOT) << group;
      EXPECT_EQ(info.bExists, 0);
    }
  }
  ASSERT_EQ(manager.PA_DownloadPhoneBook(-1), PA_MS_OK);
  for (short slot = 0; slot < 500; ++slot) {
    PA_PHONEBOOK_INFO contact;
    const PA_RESULT result = manager.PA_GetPhoneBook(&contact, slot);
    unsigned char exists = 9;
    ASSERT_EQ(manager.PA_ExistsPhoneBook(slot, &exists), PA_MS_OK);
    EXPECT_EQ(exists, result == PA_OK ? 1 : 0) << slot;  // the two sides agree
    if (slot >= 5) {
      EXPECT_EQ(result, PA_EMPTY_SLOT) << slot;
      continue;
    }
    ASSERT_EQ(result, PA_OK) << slot;
    EXPECT_EQ(contact.strName, ("Person " + std::to_string(slot)).c_str());
    EXPECT_EQ(contact.strNumber[0], ("0123" + std::to_string(slot)).c_str());
    EXPECT_EQ(contact.bGroup, 1 + slot % 3);
  }

  // An edit goes up.
  PA_PHONEBOOK_INFO edited;
  ASSERT_EQ(manager.PA_GetPhoneBook(&edited, 2), PA_OK);
  edited.strName = "Renamed \xC3\xA4";
  ASSERT_EQ(manager.PA_PutPhoneBook(&edited, 2), PA_OK);
  ASSERT_EQ(manager.PA_UploadPhoneBook(2), PA_MS_OK);
  manager.PowerOff();
  EXPECT_TRUE(Heard("PowerOff"));
  EXPECT_EQ(manager.PA_ClosePort(), PA_MS_OK);

  // The phone keeps the new name in the contact's file: its UTF-8 length, then the bytes.
  const std::string file = FlashFile(256, 2);
  ASSERT_GE(file.size(), 11u);
  EXPECT_EQ(static_cast<unsigned char>(file[0]), 10);
  EXPECT_EQ(file.substr(1, 10), "Renamed \xC3\xA4");
  EXPECT_EQ(FlashFile(256, 1).substr(1, 8), "Person 1");
}

// The model code each Build letter sends, on a phone of that family.
class ManagerBuildLetterTest : public ManagerPhoneTest, public testing::WithParamInterface<PhoneModel> {};

TEST_P(ManagerBuildLetterTest, SendsTheModelCodeOfItsLetter) {
  const PhoneModel& model = GetParam();
  StartAll(model, std::string(model.version, 3) + "_0100");
  ASSERT_EQ(Manager().TestModeOn(), PA_MS_OK);
  EXPECT_TRUE(Heard(std::string("UsePteCommand,") + model.code));
  EXPECT_TRUE(Heard("ShowSwVersion"));
}

INSTANTIATE_TEST_SUITE_P(Letters, ManagerBuildLetterTest,
                         testing::Values(PhoneModel{"Ostrel", "YAA_0412", "00126"}, kSelka,
                                         PhoneModel{"Ulmar", "UAE_0118", "10129"},
                                         PhoneModel{"Wirra", "CWA_0330", "00135"},
                                         PhoneModel{"Zenno", "MZE_0107", "00130"}),
                         [](const testing::TestParamInfo<PhoneModel>& info) { return std::string(info.param.name); });

TEST_F(ManagerPhoneTest, ResetSupportChoosesHowTheConnectionEnds) {
  StartAll(kSelka, "ZSE_0100");
  struct Case {
    DWORD value;
    const char* powerCommand;  // nullptr: nothing is sent
    bool modeCommands;         // "BackLightOff", "TestModeOn", "PowerSavingOff"
  };
  const Case cases[] = {{0, "PowerOff", true}, {1, "ForceHWWD", true}, {2, "EXIT", true}, {3, nullptr, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    WriteSetting("ResetSupport", c.value);
    CManager& manager = *library.Start();
    ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
    EXPECT_EQ(Heard("BackLightOff"), c.modeCommands);
    EXPECT_EQ(Heard("TestModeOn"), c.modeCommands);
    EXPECT_EQ(Heard("PowerSavingOff"), c.modeCommands);
    const std::size_t before = Journal().size();
    manager.PowerOff();
    // "ForceHWWD" awaits no answer; a case that sends nothing is checked after a short while.
    const std::vector<std::string> journal =
        c.powerCommand ? JournalOfAtLeast(before + 1) : (std::this_thread::sleep_for(std::chrono::milliseconds(200)), Journal());
    const std::vector<std::string> after(journal.begin() + static_cast<long>(std::min(before, journal.size())), journal.end());
    EXPECT_EQ(after, c.powerCommand ? std::vector<std::string>{c.powerCommand} : std::vector<std::string>{});
    EXPECT_EQ(manager.PA_ClosePort(), PA_MS_OK);
  }
}

// A phone that has no command set refuses "PowerOff": it is offered the model codes in turn and,
// once one is taken, told "PowerOff" again.
TEST_F(ManagerPhoneTest, PowerOffRefusedIsAskedAgainUnderACommandSet) {
  StartAll(kSelka, "ZSE_0100");
  CManager& manager = Manager();
  char otherCode[] = "99999";
  ASSERT_EQ(manager.TestModeOn(otherCode), PA_MS_OTHER_MODEL);  // awake, but without a command set
  const std::size_t before = Journal().size();
  manager.PowerOff();
  const std::vector<std::string> journal = Journal();
  const std::vector<std::string> after(journal.begin() + static_cast<long>(std::min(before, journal.size())), journal.end());
  EXPECT_EQ(after, (std::vector<std::string>{"PowerOff", "UsePteCommand,10129", "UsePteCommand,00129", "PowerOff"}));
}

TEST_F(ManagerPhoneTest, LockTextsDecideTheLockCheck) {
  StartAll(kSelka, "ZSE_0100");
  CManager& manager = Manager();
  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  struct Case {
    std::vector<std::string> controls;
    PA_MS_RESULT result;
  };
  const Case cases[] = {
      {{}, PA_MS_OK},
      {{"lock sim ng"}, PA_MS_NO_SIM},
      {{"lock sim ok", "lock phone on"}, PA_MS_PHONE_LOCKED},
      {{"lock phone off", "lock daybook on"}, PA_MS_DAYBOOK_LOCKED},
      {{"lock sim ng", "lock phone on"}, PA_MS_NO_SIM},  // the first state found decides
      {{"lock sim ok", "lock phone off", "lock daybook off", "lock unreadable on"}, PA_MS_LOCK_UNKNOWN},
  };
  for (const Case& c : cases) {
    for (const std::string& control : c.controls) ASSERT_TRUE(phone.Control(control)) << control;
    EXPECT_EQ(manager.CheckLockInfo(), c.result) << (c.controls.empty() ? "" : c.controls.back());
  }
  // No answer at all: unknown too.
  ASSERT_TRUE(phone.SetFault(phonesim::Fault::Silent, 1));
  EXPECT_EQ(manager.CheckLockInfo(), PA_MS_LOCK_UNKNOWN);
}

// What the phone's software version makes of the command mode.
struct VersionCase {
  const char* name;
  std::string reported;  // the phone's "ShowSwVersion"
  std::string build;
  PA_MS_RESULT result;
  DWORD error;  // the last error of a refusal
};
void PrintTo(const VersionCase& c, std::ostream* os) { *os << c.reported << " against " << c.build; }
class ManagerVersionTest : public ManagerPhoneTest, public testing::WithParamInterface<VersionCase> {};

TEST_P(ManagerVersionTest, ComparesTheVersionWithTheBuild) {
  const VersionCase& c = GetParam();
  StartAll(kSelka, c.build, {"--sw-version", c.reported});
  SetLastError(0);
  EXPECT_EQ(Manager().TestModeOn(), c.result);
  if (c.result != PA_MS_OK) {
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(Heard("BackLightOff"), c.result == PA_MS_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, ManagerVersionTest,
    testing::Values(VersionCase{"Same", "ZSE_0310", "ZSE_0310", PA_MS_OK, 0},
                    VersionCase{"Newer", "ZSE_0310", "ZSE_0100", PA_MS_OK, 0},
                    VersionCase{"CaseIgnored", "ZSE_0A00", "ZSE_0a00", PA_MS_OK, 0},
                    VersionCase{"Older", "ZSE_0099", "ZSE_0100", PA_MS_PHONE_NOT_SUPPORTED, ERROR_PA_NOT_SUPPORTED},
                    VersionCase{"LaterInTheBuild", "ZSE_0310", "ZQQ_0100/ZSE_0300", PA_MS_OK, 0},
                    VersionCase{"OtherVariant", "ZQQ_0310", "ZSE_0100", PA_MS_PHONE_NOT_SUPPORTED, ERROR_PA_OTHER_MODEL},
                    // Compared only as far as both texts go: a short version is the lower.
                    VersionCase{"ShortVersion", "ZSE_03", "ZSE_0310", PA_MS_PHONE_NOT_SUPPORTED, ERROR_PA_NOT_SUPPORTED},
                    VersionCase{"BuildEndsAtTheVariant", "ZSE_0310", "ZSE", PA_MS_OK, 0},
                    VersionCase{"LongVersion", "ZSE_0310" + std::string(60, 'X'), "ZSE_0310", PA_MS_OK, 0},
                    VersionCase{"BuildOfAnotherModel", "ZSE_0310", "YAA_0100", PA_MS_OTHER_MODEL, ERROR_PA_OTHER_MODEL}),
    [](const testing::TestParamInfo<VersionCase>& info) { return std::string(info.param.name); });

TEST_F(ManagerPhoneTest, APhoneThatStopsAnsweringLeavesNoCommandMode) {
  StartAll(kSelka, "ZSE_0100");
  WriteSetting("CommsTimeOut", DWORD{500});
  CManager& manager = *library.Start();
  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  ASSERT_EQ(manager.PA_ClosePort(), PA_MS_OK);
  // The link service finds no phone behind a silent line: the link gives no command mode.
  ASSERT_TRUE(phone.SetFault(phonesim::Fault::Silent, 1));
  EXPECT_EQ(manager.TestModeOn(), PA_MS_LINK_DOWN);
}

// A refusal of the model code is final; an answer that is neither consent nor refusal gets one
// more try on a fresh link.
TEST_F(ManagerPhoneTest, TheModeCommandIsTriedAgainOnlyWhenItWasNotRefused) {
  StartAll(kSelka, "ZSE_0100");
  struct Case {
    const char* code;
    PA_MS_RESULT result;
    long attempts;
  };
  const Case cases[] = {
      {"00129", PA_MS_OK, 1},
      {"99999", PA_MS_OTHER_MODEL, 1},    // refused, and the link service named a model
      {"00129,1", PA_MS_OTHER_MODEL, 2},  // the phone answers "ERROR": tried once more
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    ASSERT_EQ(library->PA_ClosePort(), PA_MS_OK);
    std::filesystem::remove(phone.Home() + "/phonesim/journal.log");
    std::string code = c.code;
    EXPECT_EQ(library->TestModeOn(code.data()), c.result);
    const std::vector<std::string> journal = Journal();
    EXPECT_EQ(std::count(journal.begin(), journal.end(), std::string("UsePteCommand,") + c.code), c.attempts);
  }
}

// Progress as an application sees it: for each total, positions that never go backwards and
// never pass it.
struct ProgressLog {
  static int Record(int total, int current, void* user) {
    static_cast<ProgressLog*>(user)->calls.emplace_back(total, current);
    return 0;
  }
  void ExpectForwardOnly() const {
    for (std::size_t i = 0; i < calls.size(); ++i) {
      EXPECT_GE(calls[i].second, 0) << i;
      EXPECT_LE(calls[i].second, calls[i].first) << i;
      if (i > 0 && calls[i].first == calls[i - 1].first) {
        EXPECT_GE(calls[i].second, calls[i - 1].second) << i;
      }
    }
  }
  std::vector<std::pair<int, int>> calls;
};

TEST_F(ManagerPhoneTest, ProgressNeverRunsBackwards) {
  StartAll(kSelka, "ZSE_0100");
  CManager& manager = Manager();
  ProgressLog log;
  manager.SetCallbackFunction(ProgressLog::Record, &log);
  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  for (short slot = 0; slot < 3; ++slot) {
    PA_PHONEBOOK_INFO contact = Contact("P" + std::to_string(slot), "1", 0);
    ASSERT_EQ(manager.PA_PutPhoneBook(&contact, slot), PA_OK);
    ASSERT_EQ(manager.PA_UploadPhoneBook(slot), PA_MS_OK);
  }
  ASSERT_EQ(manager.PA_DownloadPhoneBook(-1), PA_MS_OK);
  EXPECT_FALSE(log.calls.empty());
  log.ExpectForwardOnly();

  // A file of several chunks goes up and comes back.
  log.calls.clear();
  std::vector<BYTE> bytes(3000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<BYTE>(i * 7);
  PA_FOLDER_INFO pictures;
  ASSERT_EQ(manager.PA_GetMainFolder(&pictures, 0), PA_MS_OK);
  PA_RESOURCE_INFO upload;
  upload.strFileName = "progress.bmp";
  upload.strTitle = "progress";
  upload.dwFolderId = pictures.dwType;
  upload.dwSize = static_cast<DWORD>(bytes.size());
  upload.pData = bytes.data();
  ASSERT_EQ(manager.PA_UploadResource(&upload), PA_MS_OK) << std::hex << GetLastError();
  ASSERT_GT(log.calls.size(), 2u);
  log.ExpectForwardOnly();
  EXPECT_EQ(log.calls.back(), std::make_pair(3000, 3000));
  // A "Z" build's upload chunk size reaches the engine: 480 bytes a chunk, the rest last (between
  // the command that opens the file and the one that closes it).
  std::vector<std::size_t> chunks;
  for (const std::string& command : Journal()) {
    if (command.starts_with("PutResourceFileWFolder,")) chunks.push_back((command.size() - command.rfind(',') - 1) / 2);
  }
  ASSERT_GE(chunks.size(), 2u);
  EXPECT_EQ(std::vector<std::size_t>(chunks.begin() + 1, chunks.end() - 1),
            (std::vector<std::size_t>{480, 480, 480, 480, 480, 480, 120}));

  log.calls.clear();
  PA_RESOURCE_INFO download;
  ASSERT_EQ(manager.PA_DownloadResource(&download, static_cast<short>(upload.dwFolderId), static_cast<short>(upload.dwIndex), 0),
            PA_MS_OK)
      << std::hex << GetLastError();
  ASSERT_EQ(download.dwSize, bytes.size());
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), download.pData));
  // And its download chunk size: the phone is told to send 1024 bytes a chunk.
  const std::vector<std::string> journal = Journal();
  EXPECT_TRUE(std::any_of(journal.begin(), journal.end(), [](const std::string& command) {
    return command.starts_with("AssignResourceFileWFolder,") && command.ends_with(",1024,0");
  }));
  manager.DeleteDataArray(download.pData);
  ASSERT_GT(log.calls.size(), 2u);
  log.ExpectForwardOnly();
  EXPECT_EQ(log.calls.back(), std::make_pair(3000, 3000));
}

// Schedule entries and to-do items of a "Z" build go through the extended layouts, and a removal
// on the phone empties the phone side's slot but not the PC side's.
TEST_F(ManagerPhoneTest, ScheduleAndToDoSlotsGoUpAndComeBack) {
  StartAll(kSelka, "ZSE_0100");
  CManager& manager = Manager();
  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  const std::string longText(200, 'd');  // beyond the standard layouts' limits
  PA_SCHEDULE_INFO entry;
  entry.strDescription = longText.c_str();
  entry.tmStart = CTime(2010, 6, 15, 9, 30, 0);
  entry.bRepeat = 2;
  ASSERT_EQ(manager.PA_PutSchedule(&entry, 3), PA_OK);
  PA_TODO_INFO item;
  item.strDescription = longText.c_str();
  item.tmStart = CTime(2010, 6, 1, 0, 0, 0);
  item.tmDue = CTime(2010, 6, 30, 0, 0, 0);
  item.bPriority = 2;
  ASSERT_EQ(manager.PA_PutToDo(&item, 5), PA_OK);
  ASSERT_EQ(manager.PA_UploadSchedule(-1), PA_MS_OK) << std::hex << GetLastError();
  ASSERT_EQ(manager.PA_UploadToDo(-1), PA_MS_OK) << std::hex << GetLastError();
  ASSERT_EQ(manager.PA_RemovePrivateSchedule(3), PA_OK);
  ASSERT_EQ(manager.PA_RemovePrivateToDo(5), PA_OK);

  ASSERT_EQ(manager.PA_DownloadSchedule(-1), PA_MS_OK);
  ASSERT_EQ(manager.PA_DownloadToDo(-1), PA_MS_OK);
  PA_SCHEDULE_INFO entryBack;
  ASSERT_EQ(manager.PA_GetSchedule(&entryBack, 3), PA_OK);
  EXPECT_EQ(entryBack.strDescription, longText.c_str());
  EXPECT_EQ(entryBack.tmStart, entry.tmStart);
  EXPECT_EQ(entryBack.bRepeat, 2);
  PA_TODO_INFO itemBack;
  ASSERT_EQ(manager.PA_GetToDo(&itemBack, 5), PA_OK);
  EXPECT_EQ(itemBack.strDescription, longText.c_str());
  EXPECT_EQ(itemBack.bPriority, 2);

  ASSERT_EQ(manager.PA_RemoveMSSchedule(3), PA_MS_OK) << std::hex << GetLastError();
  ASSERT_EQ(manager.PA_RemoveMSToDo(5), PA_MS_OK) << std::hex << GetLastError();
  unsigned char exists = 1;
  ASSERT_EQ(manager.PA_ExistsSchedule(3, &exists), PA_MS_OK);
  EXPECT_EQ(exists, 0);
  ASSERT_EQ(manager.PA_ExistsToDo(5, &exists), PA_MS_OK);
  EXPECT_EQ(exists, 0);
  EXPECT_EQ(manager.PA_GetSchedule(&entryBack, 3), PA_OK);  // the PC side keeps its copy
  ASSERT_EQ(manager.PA_DownloadSchedule(3), PA_MS_OK);
  EXPECT_EQ(manager.PA_GetSchedule(&entryBack, 3), PA_EMPTY_SLOT);  // the phone no longer has it
}

// A phone that was never written to answers every whole download with empty slots.
TEST_F(ManagerPhoneTest, AFreshPhoneDownloadsEmptyRecords) {
  StartAll(kSelka, "ZSE_0100");
  CManager& manager = Manager();
  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  EXPECT_EQ(manager.PA_DownloadGroups(), PA_MS_OK) << std::hex << GetLastError();
  EXPECT_EQ(manager.PA_DownloadPhoneBook(-1), PA_MS_OK) << std::hex << GetLastError();
  EXPECT_EQ(manager.PA_DownloadSchedule(-1), PA_MS_OK) << std::hex << GetLastError();
  EXPECT_EQ(manager.PA_DownloadToDo(-1), PA_MS_OK) << std::hex << GetLastError();
  PA_SCHEDULE_INFO entry;
  EXPECT_EQ(manager.PA_GetSchedule(&entry, 0), PA_EMPTY_SLOT);
  PA_TODO_INFO item;
  EXPECT_EQ(manager.PA_GetToDo(&item, 0), PA_EMPTY_SLOT);
}

// Every media and message operation through the table, with the results an application sees.
TEST_F(ManagerPhoneTest, MediaAndMessagesThroughTheInterface) {
  StartAll(kSelka, "ZSE_0100");
  CManager& manager = Manager();
  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  char identity[32] = {};
  EXPECT_EQ(manager.PA_GetIMEI(identity), PA_MS_OK);
  EXPECT_NE(identity[0], '\0');
  int free = -1;
  EXPECT_EQ(manager.PA_GetFileSystemFreeSpace(&free), PA_MS_OK);
  EXPECT_GT(free, 0);

  // Each main folder's list anew; Movies ("Z" builds have three) begin with a backslash.
  ASSERT_EQ(manager.PA_DownloadResourceList(0), PA_MS_OK);
  for (short type = 0; type < 3; ++type) {
    short count = -1;
    ASSERT_EQ(manager.PA_GetNumResourcesList(&count, type), PA_OK);
    std::vector<PA_RESOURCE_INFO> records(static_cast<std::size_t>(count));
    ASSERT_EQ(manager.PA_GetResourceList(type, records.data()), PA_OK);
    for (const PA_RESOURCE_INFO& record : records) {
      const std::string name = static_cast<const char*>(record.strDisplayName);
      EXPECT_EQ(name.rfind(type == 0 ? "Pictures\\" : type == 1 ? "Sounds\\" : "\\", 0), 0u) << name;
    }
  }

  PA_FOLDER_INFO trips;
  trips.lFolderId = 0;
  trips.strName = "Trips";
  ASSERT_EQ(manager.PA_CreateFolder(&trips), PA_MS_OK);
  PA_FOLDER_INFO again = trips;
  EXPECT_EQ(manager.PA_CreateFolder(&again), PA_MS_EXISTS);
  EXPECT_EQ(again.dwType, trips.dwType);
  short count = -1;
  ASSERT_EQ(manager.PA_GetNumSubfolders(&count, 0), PA_MS_OK);
  ASSERT_GT(count, 0);
  PA_FOLDER_INFO listed;
  EXPECT_EQ(manager.PA_GetFolderInfo(&listed, 0, static_cast<short>(count - 1)), PA_MS_OK);

  BYTE bytes[5] = {1, 2, 3, 4, 5};
  PA_RESOURCE_INFO file;
  file.dwFolderId = trips.dwType;
  file.strFileName = "a.jpg";
  file.dwSize = sizeof bytes;
  file.pData = bytes;
  ASSERT_EQ(manager.PA_UploadResource(&file), PA_MS_OK);
  PA_RESOURCE_INFO same = file;
  EXPECT_EQ(manager.PA_UploadResource(&same), PA_MS_EXISTS);
  ASSERT_EQ(manager.PA_GetNumResources(&count, static_cast<short>(trips.dwType), 0), PA_MS_OK);
  EXPECT_EQ(count, 1);
  PA_RESOURCE_INFO info;
  ASSERT_EQ(manager.PA_GetResourceInfo(&info, static_cast<short>(trips.dwType), 0, 0), PA_MS_OK);
  EXPECT_EQ(info.strFileName, "a.jpg");
  PA_RESOURCE_INFO renamed = file;
  renamed.strFileName = "b.jpg";
  EXPECT_EQ(manager.PA_RenameMSFile(&renamed), PA_MS_OK);
  EXPECT_EQ(manager.PA_MoveMSFile(static_cast<short>(file.dwFileId), 1), PA_MS_FAILED);  // pictures stay pictures
  EXPECT_EQ(manager.PA_RemoveMSResource(static_cast<short>(file.dwFileId)), PA_MS_OK);
  EXPECT_EQ(manager.PA_RemoveMSResource(static_cast<short>(file.dwFileId)), PA_MS_FAILED);
  EXPECT_EQ(manager.PA_RemoveMSFolder(static_cast<short>(trips.dwType), static_cast<short>(trips.dwNumber)), PA_MS_OK);

  // A message and a mail go up and come back into the PC side's caches.
  BYTE text[3] = {'h', 'i', '!'};
  PA_MESSAGE_INFO message{1, 2, 3, sizeof text, text};
  ASSERT_EQ(manager.PA_PutMessage(&message), PA_OK);
  ASSERT_EQ(manager.PA_UploadMessages(), PA_MS_OK);
  ASSERT_EQ(manager.PA_RemovePrivateMessage(0), PA_OK);
  ASSERT_EQ(manager.PA_DownloadMessages(), PA_MS_OK);
  int messages = 0;
  ASSERT_EQ(manager.PA_GetNumMessages(&messages), PA_OK);
  ASSERT_EQ(messages, 1);
  PA_MESSAGE_INFO back;
  ASSERT_EQ(manager.PA_GetMessage(0, &back), PA_OK);
  EXPECT_EQ(back.dwBox, 2u);
  EXPECT_EQ(back.dwFolder, 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back.pData), back.dwLength), "hi!");

  PA_IMODE_INFO mail{1, 0, 1, sizeof text, text};
  ASSERT_EQ(manager.PA_PutIModeMessage(&mail), PA_OK);
  ASSERT_EQ(manager.PA_UploadIModeMessages(), PA_MS_OK);
  ASSERT_EQ(manager.PA_RemovePrivateIModeMessage(0), PA_OK);
  ASSERT_EQ(manager.PA_DownloadIModeMessages(), PA_MS_OK);
  int mails = 0;
  ASSERT_EQ(manager.PA_GetNumIModeMessages(&mails), PA_OK);
  ASSERT_EQ(mails, 1);
  PA_IMODE_INFO mailBack;
  ASSERT_EQ(manager.PA_GetIModeMessage(0, &mailBack), PA_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(mailBack.pData), mailBack.dwLength), "hi!");
}

TEST_F(ManagerPhoneTest, ACancelFromAnotherThreadEndsAWaitForASilentPhone) {
  StartAll(kSelka, "ZSE_0100");
  WriteSetting("CommsTimeOut", DWORD{20'000});  // so that only the cancel can end the wait soon
  CManager& manager = *library.Start();
  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  ASSERT_TRUE(phone.SetFault(phonesim::Fault::Silent, 1));

  auto cancelSoon = [&manager] {
    return std::thread([&manager] {
      std::this_thread::sleep_for(std::chrono::milliseconds(400));
      manager.PA_CancelTransfer();
    });
  };
  std::vector<BYTE> bytes(100, 0x55);
  PA_RESOURCE_INFO upload;
  upload.strFileName = "cancelled.bmp";
  upload.dwSize = static_cast<DWORD>(bytes.size());
  upload.pData = bytes.data();
  const auto start = std::chrono::steady_clock::now();
  std::thread canceller = cancelSoon();
  EXPECT_EQ(manager.PA_UploadResource(&upload), PA_MS_CANCELLED);
  canceller.join();

  canceller = cancelSoon();
  EXPECT_EQ(manager.PA_DownloadPhoneBook(-1), PA_MS_FAILED);
  canceller.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// The user is asked "cancel?" while the worker goes on, so the answer can come after the transfer
// ended. A cancel belongs to the transfer in progress: one that comes after PA_ClosePort, or an
// event set by hand in between, must not end the next transfer; one inside a transfer still ends it.
TEST_F(ManagerPhoneTest, ALateCancelCancelsNothingLater) {
  StartAll(kSelka, "ZSE_0100");
  CManager& manager = Manager();
  void* handle = nullptr;
  manager.PA_GetCancelEventHandle(&handle);
  ASSERT_NE(handle, nullptr);

  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  ASSERT_EQ(manager.PA_DownloadGroups(), PA_MS_OK);
  ASSERT_EQ(manager.PA_ClosePort(), PA_MS_OK);
  manager.PA_CancelTransfer();  // too late: the transfer has ended
  EXPECT_EQ(WaitForSingleObject(handle, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  // An event set by hand between transfers is cleared when the next one connects.
  SetEvent(handle);
  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  EXPECT_EQ(manager.PA_DownloadGroups(), PA_MS_OK);
  EXPECT_EQ(manager.PA_DownloadPhoneBook(-1), PA_MS_OK);

  // Inside a transfer, between two operations: the next wait takes it and the operation ends.
  manager.PA_CancelTransfer();
  EXPECT_EQ(manager.PA_DownloadGroups(), PA_MS_FAILED);
  EXPECT_EQ(GetLastError(), ERROR_PA_CANCELLED);

  // A cancel that no wait took before PA_ClosePort goes with its transfer.
  manager.PA_CancelTransfer();
  ASSERT_EQ(manager.PA_ClosePort(), PA_MS_OK);
  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  EXPECT_EQ(manager.PA_DownloadGroups(), PA_MS_OK);
}

TEST_F(ManagerPhoneTest, AFailedTransferLeavesTheOtherSideAsItWas) {
  StartAll(kSelka, "ZSE_0100");
  WriteSetting("CommsTimeOut", DWORD{300});
  CManager& manager = *library.Start();
  ASSERT_EQ(manager.TestModeOn(), PA_MS_OK);
  for (short slot = 0; slot < 3; ++slot) {
    PA_PHONEBOOK_INFO contact = Contact("Kept " + std::to_string(slot), "5", 0);
    ASSERT_EQ(manager.PA_PutPhoneBook(&contact, slot), PA_OK);
    ASSERT_EQ(manager.PA_UploadPhoneBook(slot), PA_MS_OK);
  }
  ASSERT_EQ(manager.PA_DownloadPhoneBook(-1), PA_MS_OK);

  // The PC side changes; the phone goes silent.
  PA_PHONEBOOK_INFO added = Contact("Added", "6", 0);
  ASSERT_EQ(manager.PA_PutPhoneBook(&added, 7), PA_OK);
  ASSERT_EQ(manager.PA_RemovePrivatePhoneBook(1), PA_OK);
  ASSERT_TRUE(phone.SetFault(phonesim::Fault::Silent, 1));

  // The upload fails: the phone side still holds what the phone held.
  EXPECT_EQ(manager.PA_UploadPhoneBook(-1), PA_MS_FAILED);
  unsigned char exists = 0;
  ASSERT_EQ(manager.PA_ExistsPhoneBook(1, &exists), PA_MS_OK);
  EXPECT_EQ(exists, 1);
  ASSERT_EQ(manager.PA_ExistsPhoneBook(7, &exists), PA_MS_OK);
  EXPECT_EQ(exists, 0);

  // The download fails: the PC side keeps its edits.
  EXPECT_EQ(manager.PA_DownloadPhoneBook(-1), PA_MS_FAILED);
  PA_PHONEBOOK_INFO contact;
  ASSERT_EQ(manager.PA_GetPhoneBook(&contact, 7), PA_OK);
  EXPECT_EQ(contact.strName, "Added");
  EXPECT_EQ(manager.PA_GetPhoneBook(&contact, 1), PA_EMPTY_SLOT);
  ASSERT_EQ(manager.PA_GetPhoneBook(&contact, 2), PA_OK);
  EXPECT_EQ(contact.strName, "Kept 2");
}

}  // namespace
