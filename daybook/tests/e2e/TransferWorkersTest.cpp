// Daybook's transfer workers end to end, without windows: the phone library loaded by name in a
// test home, through the link service's own core to the simulated phone. What the workers tell the
// windows is recorded as events; what moved is read back from the library's stores and the phone.
#include "Transfers.h"

#include "support/LinkServiceHost.h"
#include "support/ManagerHarness.h"

#include <handport/PhoneErrors.h>

#include <phonesim/PhoneSimProcess.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using namespace daybook;
using Type = TransferEvent::Type;

namespace {

class RecordingSink : public ITransferSink {
 public:
  void OnTransferEvent(TransferEvent event) override {
    std::lock_guard lock(m_lock);
    m_events.push_back(std::move(event));
  }
  void Clear() {
    std::lock_guard lock(m_lock);
    m_events.clear();
  }
  std::vector<TransferEvent> Events() const {
    std::lock_guard lock(m_lock);
    return m_events;
  }
  std::vector<TransferEvent> Of(Type type) const {
    std::vector<TransferEvent> found;
    for (const TransferEvent& e : Events()) {
      if (e.type == type) found.push_back(e);
    }
    return found;
  }
  int IndexOf(Type type) const {
    const std::vector<TransferEvent> all = Events();
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (all[i].type == type) return static_cast<int>(i);
    }
    return -1;
  }
  // The end messages, composed with the ids as texts.
  std::vector<TransferText> Ends() const {
    std::vector<TransferText> texts;
    for (const TransferEvent& e : Of(Type::Ended)) texts.push_back(e.text);
    return texts;
  }

 private:
  mutable std::mutex m_lock;
  std::vector<TransferEvent> m_events;
};

class TransferWorkersTest : public testing::Test {
 protected:
  void StartAll(const std::string& build = "ZSE_0100", std::vector<std::string> arguments = {}) {
    arguments.insert(arguments.end(), {"--baud", "2000000", "--off-time", "0"});
    ASSERT_TRUE(phone.Start({.model = "Selka", .arguments = arguments})) << phone.Error();
    home = std::make_unique<QuietLinkHome>(phone.Home());
    std::ofstream(phone.Home() + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
    service = std::make_unique<LinkServiceHost>(phone.Home() + "/Phones.ini");
    ASSERT_NE(service->Port(), 0);
    QuietLinkHome::PointLibraryAt(service->Port());
    WriteSetting("Build", build);
    WriteSetting("InitTimeOut", DWORD{300});
    WriteSetting("CommsTimeOut", DWORD{1500});
    ASSERT_TRUE(library.Load());
    ASSERT_NE(library.Start(), nullptr);
    control.closing = &closing;
  }

  void TearDown() override {
    if (library.Manager()) library->PA_ClosePort();
    library.Unload();
    service.reset();
    phone.Stop();
    home.reset();
  }

  CManager& Manager() { return *library.Manager(); }

  long Heard(const std::string& command) const {
    std::ifstream in(phone.Home() + "/phonesim/journal.log");
    long count = 0;
    for (std::string line; std::getline(in, line);) count += line == command;
    return count;
  }

  // Puts records on the phone through the library and then forgets them on the PC side.
  void SeedPhone(int contacts, int groups, int entries, int items) {
    CManager& m = Manager();
    for (short g = 1; g <= groups; ++g) {
      PA_GROUP_INFO group;
      group.strName = ("Group " + std::to_string(g)).c_str();
      ASSERT_EQ(m.PA_PutGroup(&group, g), PA_OK);
    }
    for (short s = 0; s < contacts; ++s) {
      PA_PHONEBOOK_INFO contact;
      contact.strName = ("Person " + std::to_string(s)).c_str();
      contact.strNumber[0] = ("0123" + std::to_string(s)).c_str();
      contact.bGroup = static_cast<BYTE>(groups ? 1 + s % groups : 0);
      ASSERT_EQ(m.PA_PutPhoneBook(&contact, s), PA_OK) << s;
    }
    for (short s = 0; s < entries; ++s) {
      PA_SCHEDULE_INFO entry;
      entry.strDescription = ("Meeting " + std::to_string(s)).c_str();
      entry.tmStart = CTime(2010, 1 + s % 12, 1 + s % 28, s % 24, s % 60, 0);
      ASSERT_EQ(m.PA_PutSchedule(&entry, s), PA_OK) << s;
    }
    for (short s = 0; s < items; ++s) {
      PA_TODO_INFO item;
      item.strDescription = ("Task " + std::to_string(s)).c_str();
      item.tmStart = CTime(2010, 2, 1 + s % 28, 9, 0, 0);
      item.tmDue = CTime(2010, 3, 1 + s % 28, 9, 0, 0);
      ASSERT_EQ(m.PA_PutToDo(&item, s), PA_OK) << s;
    }
    TransferState seed;
    RecordingSink ignored;
    if (contacts || groups) RunTransferWorker(TransferKind::ContactsUpload, m, ignored, seed);
    if (entries) RunTransferWorker(TransferKind::ScheduleUpload, m, ignored, seed);
    if (items) RunTransferWorker(TransferKind::ToDoUpload, m, ignored, seed);
    ASSERT_EQ(ignored.Ends(), std::vector<TransferText>((contacts || groups) + (entries > 0) + (items > 0),
                                                        TransferText{kTextComplete}));
    ForgetPcSide();
  }

  void ForgetPcSide() {
    CManager& m = Manager();
    for (short g = 1; g <= 19; ++g) m.PA_RemovePrivateGroup(g);
    for (short s = 0; s < 500; ++s) m.PA_RemovePrivatePhoneBook(s);
    for (short s = 0; s < 600; ++s) m.PA_RemovePrivateSchedule(s);
    for (short s = 0; s < 100; ++s) m.PA_RemovePrivateToDo(s);
  }

  int UsedContacts() {
    int used = 0;
    for (short s = 0; s < 500; ++s) {
      PA_PHONEBOOK_INFO c;
      used += Manager().PA_GetPhoneBook(&c, s) == PA_OK;
    }
    return used;
  }
  int UsedEntries() {
    int used = 0;
    for (short s = 0; s < 600; ++s) {
      PA_SCHEDULE_INFO e;
      used += Manager().PA_GetSchedule(&e, s) == PA_OK;
    }
    return used;
  }
  int UsedItems() {
    int used = 0;
    for (short s = 0; s < 100; ++s) {
      PA_TODO_INFO t;
      used += Manager().PA_GetToDo(&t, s) == PA_OK;
    }
    return used;
  }

  phonesim::PhoneSimProcess phone;
  std::unique_ptr<QuietLinkHome> home;
  std::unique_ptr<LinkServiceHost> service;
  ManagerLibrary library;
  std::atomic<bool> closing{false};
  TransferState control;
  RecordingSink sink;
};

TEST(TransferRules, ChoicesLeaveOutAnimatedPicturesAndCutTheNameAtTheFirstBackslash) {
  const auto resource = [](const char* kind, const char* display, DWORD id) {
    PA_RESOURCE_INFO r;
    r.strTitle = kind;
    r.strDisplayName = display;
    r.dwFileId = id;
    return r;
  };
  const std::vector<PA_RESOURCE_INFO> pictures{
      resource("keFTJpeg", "Pictures\\sun.jpg", 1),     resource("keFTGifAnim", "a.gif", 2),
      resource("keFTQVGAPictureFrame", "frame", 3),     resource("keFTEAnimator", "anim", 4),
      resource("keftgifanim", "Other\\x\\y.gif", 5),  // compared case-sensitively
  };
  const std::vector<PA_RESOURCE_INFO> sounds{resource("keFTGifAnim", "ring", 9)};  // sounds always offered
  std::vector<Melody> pictureChoices, melodyChoices;
  ChoicesFromResources(pictures, sounds, pictureChoices, melodyChoices);
  ASSERT_EQ(pictureChoices.size(), 2u);
  EXPECT_STREQ(pictureChoices[0].name, "sun.jpg");
  EXPECT_EQ(pictureChoices[0].id, 1u);
  EXPECT_STREQ(pictureChoices[1].name, "x\\y.gif");
  ASSERT_EQ(melodyChoices.size(), 1u);
  EXPECT_STREQ(melodyChoices[0].name, "ring");
}

TEST(TransferRules, DetectionFailuresAndLocksGiveTheirTexts) {
  struct Case {
    DWORD error;
    TransferText text;
    bool powerOff;
  };
  const Case cases[] = {
      {ERROR_PA_CANCELLED, {}, true},
      {ERROR_PA_NO_MODEL, {kTextDetectionProblem}, false},
      {ERROR_PA_NOT_SUPPORTED, {kTextNotSupported, "\n", kTextSwitchedOff}, true},
      {ERROR_PA_OTHER_MODEL, {kTextOtherModel, "\n", kTextSwitchedOff}, true},
      {ERROR_PA_EXISTS, {kTextCannotConnect}, false},
      {ERROR_LINK_DOWN, {kTextCannotConnect}, false},
  };
  for (const Case& c : cases) {
    const DetectionOutcome outcome = DetectionFailure(c.error);
    EXPECT_EQ(outcome.text, c.text) << std::hex << c.error;
    EXPECT_EQ(outcome.powerOff, c.powerOff) << std::hex << c.error;
  }
  EXPECT_EQ(LockText(PA_MS_OK), 0u);
  EXPECT_EQ(LockText(PA_MS_LOCK_UNKNOWN), 0u);
  EXPECT_EQ(LockText(PA_MS_NO_SIM), kTextNoSim);
  EXPECT_EQ(ComposeText({kTextNoSim, "\n\n", kTextSwitchedOff}, [](UINT id) {
              CString s;
              s.Format("<%u>", id);
              return s;
            }),
            CString("<412>\n\n<419>"));
}

TEST_F(TransferWorkersTest, ContactsComeDownWithGroupsAndChoicesOnOneConnection) {
  StartAll();
  SeedPhone(500, 3, 0, 0);
  std::remove((phone.Home() + "/phonesim/journal.log").c_str());

  RunTransferWorker(TransferKind::ContactsDownload, Manager(), sink, control);

  EXPECT_EQ(sink.Ends(), std::vector<TransferText>{TransferText{kTextComplete}});
  EXPECT_EQ(Heard("TestModeOn"), 1);  // the fetch and the download share the connection
  EXPECT_EQ(Heard("PowerOff"), 1);
  EXPECT_EQ(UsedContacts(), 500);
  PA_PHONEBOOK_INFO last;
  ASSERT_EQ(Manager().PA_GetPhoneBook(&last, 499), PA_OK);
  EXPECT_STREQ(last.strName, "Person 499");
  EXPECT_EQ(last.bGroup, 1 + 499 % 3);

  const std::vector<TransferEvent> groups = sink.Of(Type::GroupName);
  ASSERT_EQ(groups.size(), 3u);
  EXPECT_EQ(groups[2].value, 3);
  EXPECT_STREQ(groups[2].name, "Group 3");

  // The phone's three pictures and two sounds become the choices.
  const std::vector<TransferEvent> choices = sink.Of(Type::Choices);
  ASSERT_EQ(choices.size(), 1u);
  EXPECT_EQ(choices[0].pictures.size(), 3u);
  EXPECT_EQ(choices[0].melodies.size(), 2u);

  // The bar's range is set once per total; the controls are locked first and restored last.
  std::vector<int> totals;
  for (const TransferEvent& e : sink.Of(Type::Range)) totals.push_back(e.value);
  EXPECT_TRUE(std::adjacent_find(totals.begin(), totals.end()) == totals.end());
  const std::vector<TransferEvent> all = sink.Events();
  EXPECT_EQ(all.front().type, Type::LockControls);
  EXPECT_EQ(all.back().type, Type::RestoreControls);
  EXPECT_FALSE(control.downloadRunning);
  EXPECT_FALSE(control.ExchangeRunning());
}

TEST_F(TransferWorkersTest, EveryPageGoesUpAndComesBack) {
  StartAll();
  SeedPhone(20, 2, 30, 10);  // up through the workers
  RunTransferWorker(TransferKind::ContactsDownload, Manager(), sink, control);
  RunTransferWorker(TransferKind::ScheduleDownload, Manager(), sink, control);
  RunTransferWorker(TransferKind::ToDoDownload, Manager(), sink, control);
  EXPECT_EQ(sink.Ends(), std::vector<TransferText>(3, TransferText{kTextComplete}));
  EXPECT_EQ(UsedContacts(), 20);
  EXPECT_EQ(UsedEntries(), 30);
  EXPECT_EQ(UsedItems(), 10);
  PA_SCHEDULE_INFO entry;
  ASSERT_EQ(Manager().PA_GetSchedule(&entry, 29), PA_OK);
  EXPECT_STREQ(entry.strDescription, "Meeting 29");
  EXPECT_EQ(entry.tmStart, CTime(2010, 6, 2, 5, 29, 0));
  PA_TODO_INFO item;
  ASSERT_EQ(Manager().PA_GetToDo(&item, 9), PA_OK);
  EXPECT_STREQ(item.strDescription, "Task 9");
  // Each page refilled its list.
  EXPECT_EQ(sink.Of(Type::Refresh).size(), 3u);
}

// Detection failures of a member that detects the phone itself (the to-do download) and of the fetch
// (the contacts download): the message is posted before the phone is switched off; nothing moves.
TEST_F(TransferWorkersTest, DetectionFailuresAreToldBeforeTheSwitchOff) {
  struct Case {
    const char* name;
    std::string build;
    std::vector<std::string> arguments;
    bool noLinkService;
    TransferText text;
    bool powerOff;
  };
  const Case cases[] = {
      {"OtherModel", "YAA_0100", {}, false, {kTextOtherModel, "\n", kTextSwitchedOff}, true},
      {"Software", "ZSE_0100", {"--sw-version", "ZSE_0099"}, false, {kTextNotSupported, "\n", kTextSwitchedOff}, true},
      {"NoLinkService", "ZSE_0100", {}, true, {kTextCannotConnect}, false},
  };
  for (const Case& c : cases) {
    for (TransferKind kind : {TransferKind::ToDoDownload, TransferKind::ContactsDownload}) {
      SCOPED_TRACE(std::string(c.name) + (kind == TransferKind::ToDoDownload ? " to-do" : " contacts"));
      TearDown();
      sink.Clear();
      StartAll(c.build, c.arguments);
      if (c.noLinkService) QuietLinkHome::PointLibraryAt(0), library.Start();
      RunTransferWorker(kind, Manager(), sink, control);
      const std::vector<TransferEvent> ends = sink.Of(Type::Ended);
      ASSERT_EQ(ends.size(), 1u);
      EXPECT_EQ(ends[0].text, c.text);
      EXPECT_EQ(ends[0].toMainDialog, kind == TransferKind::ContactsDownload);
      const int off = sink.IndexOf(Type::PhoneOff);
      EXPECT_EQ(off >= 0, c.powerOff);
      if (off >= 0) {
        EXPECT_LT(sink.IndexOf(Type::Ended), off);
      }
      EXPECT_TRUE(sink.Of(Type::Refresh).empty());
      EXPECT_TRUE(sink.Of(Type::Choices).empty());
      EXPECT_EQ(sink.Events().back().type, Type::RestoreControls);
    }
  }
}

TEST_F(TransferWorkersTest, NoPhoneAnsweringTheDetectionIsAWarning) {
  StartAll();
  ASSERT_TRUE(phone.SetFault(phonesim::Fault::Silent, 1));
  RunTransferWorker(TransferKind::ContactsUpload, Manager(), sink, control);
  EXPECT_EQ(sink.Ends(), std::vector<TransferText>{TransferText{kTextDetectionProblem}});
  EXPECT_EQ(sink.IndexOf(Type::PhoneOff), -1);
}

// The locks stop every member before a record moves; a contacts download leaves the choices alone
// and the fetch says nothing, so the one message is the body's.
TEST_F(TransferWorkersTest, LocksStopTheTransferWithTheirTexts) {
  struct Case {
    std::vector<std::string> controls;
    UINT text;
  };
  const Case cases[] = {
      {{"lock sim ng"}, kTextNoSim},
      {{"lock sim ok", "lock daybook on"}, kTextDaybookLock},
      {{"lock daybook off", "lock phone on"}, kTextPhoneLock},
  };
  StartAll();
  SeedPhone(5, 1, 0, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    for (const std::string& line : c.controls) ASSERT_TRUE(phone.Control(line)) << line;
    for (TransferKind kind : {TransferKind::ContactsDownload, TransferKind::ContactsUpload, TransferKind::ScheduleDownload}) {
      sink.Clear();
      RunTransferWorker(kind, Manager(), sink, control);
      const TransferText stop{c.text, "\n\n", kTextSwitchedOff};
      EXPECT_EQ(sink.Ends(), std::vector<TransferText>{stop});
      EXPECT_TRUE(sink.Of(Type::Choices).empty());
      EXPECT_LT(sink.IndexOf(Type::PhoneOff), sink.IndexOf(Type::Ended));
      // The contacts list is refreshed from the unchanged store; the schedule's is not.
      EXPECT_EQ(sink.Of(Type::Refresh).size(), kind == TransferKind::ScheduleDownload ? 0u : 1u);
    }
    EXPECT_EQ(UsedContacts(), 0);
  }
}

// A line dropped in the middle: 421, and the PC side's records as they were.
TEST_F(TransferWorkersTest, APulledCableLeavesThePcSideAsItWas) {
  StartAll();
  SeedPhone(200, 0, 0, 0);
  PA_PHONEBOOK_INFO mine;
  mine.strName = "Mine";
  ASSERT_EQ(Manager().PA_PutPhoneBook(&mine, 7), PA_OK);
  for (TransferKind kind : {TransferKind::ContactsDownload, TransferKind::ContactsUpload}) {
    SCOPED_TRACE(IsDownload(kind) ? "down" : "up");
    sink.Clear();
    ASSERT_TRUE(phone.SetFault(IsDownload(kind) ? phonesim::Fault::DropAfterSent : phonesim::Fault::DropAfterReceived,
                               IsDownload(kind) ? 6000 : 3000));
    RunTransferWorker(kind, Manager(), sink, control);
    const std::vector<TransferText> ends = sink.Ends();
    ASSERT_FALSE(ends.empty());
    EXPECT_EQ(ends.back(), TransferText{kTextCancelled});
    EXPECT_EQ(UsedContacts(), 1);
    PA_PHONEBOOK_INFO kept;
    ASSERT_EQ(Manager().PA_GetPhoneBook(&kept, 7), PA_OK);
    EXPECT_STREQ(kept.strName, "Mine");
    ASSERT_TRUE(phone.ClearFaults());
    ASSERT_TRUE(phone.Control("reconnect"));
  }
}

// A Yes while the exchange runs cancels it (421); a Yes after the worker closed the port cancels
// nothing, and the next transfer is not born cancelled.
TEST_F(TransferWorkersTest, ACancelReachesOnlyTheRunningExchange) {
  StartAll();
  SeedPhone(300, 0, 0, 0);
  std::thread worker([&] { RunTransferWorker(TransferKind::ContactsDownload, Manager(), sink, control); });
  // Wait for the records to start moving, then cancel.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (sink.Of(Type::Position).size() < 3 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(control.CancelIfRunning(Manager()));
  worker.join();
  EXPECT_EQ(sink.Ends().back(), TransferText{kTextCancelled});
  EXPECT_FALSE(control.CancelIfRunning(Manager()));  // too late: nothing is cancelled

  sink.Clear();
  RunTransferWorker(TransferKind::ToDoUpload, Manager(), sink, control);
  EXPECT_EQ(sink.Ends(), std::vector<TransferText>{TransferText{kTextComplete}});
}

// Cancelled while the phone is being detected: the phone is switched off, no message.
TEST_F(TransferWorkersTest, ACancelDuringDetectionIsSilent) {
  StartAll();
  ASSERT_TRUE(phone.SetFault(phonesim::Fault::Late, 150));
  std::thread worker([&] { RunTransferWorker(TransferKind::ScheduleUpload, Manager(), sink, control); });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!control.ExchangeRunning() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_TRUE(control.CancelIfRunning(Manager()));
  ASSERT_TRUE(phone.ClearFaults());  // the switch-off that follows need not wait
  worker.join();
  EXPECT_TRUE(sink.Ends().empty());
  EXPECT_GE(sink.IndexOf(Type::PhoneOff), 0);
}

// The dialog closing during a download: the worker touches no control after it returns.
TEST_F(TransferWorkersTest, ClosingDuringADownloadLeavesTheControls) {
  StartAll();
  SeedPhone(300, 0, 0, 0);
  std::thread worker([&] { RunTransferWorker(TransferKind::ContactsDownload, Manager(), sink, control); });
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (sink.Of(Type::Position).size() < 3 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  closing = true;
  Manager().PA_CancelTransfer();
  worker.join();
  EXPECT_TRUE(sink.Of(Type::RestoreControls).empty());
}

}  // namespace
