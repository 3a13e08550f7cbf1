// The exchange files between two phones: contacts, schedule and to-do downloaded from one simulated
// phone, exported as vCard, CSV and vCalendar, imported into a fresh document after the first phone
// is gone, and uploaded to a second simulated phone. Read back from the second phone, every record
// equals the first phone's in every field the file format carries. Both phones are reached through
// the link service's own core, the phone library loaded by name in the phone's home.
#include "ExchangeFiles.h"
#include "Transfers.h"

#include "support/LinkServiceHost.h"

#include <phonesim/PhoneSimProcess.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>

using namespace daybook;
using namespace exchange_files;
namespace fs = std::filesystem;

namespace {

class Recorder : public ITransferSink {
 public:
  void OnTransferEvent(TransferEvent event) override {
    std::lock_guard lock(m_lock);
    if (event.type == TransferEvent::Type::Ended) ends.push_back(event.text);
    if (event.type == TransferEvent::Type::Choices) {
      pictures = event.pictures;
      melodies = event.melodies;
    }
  }
  std::mutex m_lock;
  std::vector<TransferText> ends;
  std::vector<Melody> pictures, melodies;
};

// One simulated phone with its link service and the phone library, started and ended as a whole.
struct Phone {
  explicit Phone(std::atomic<bool>& closing) { control.closing = &closing; }
  ~Phone() {
    if (library.Manager()) library->PA_ClosePort();
    library.Unload();
    service.reset();
    sim.Stop();
    home.reset();
  }
  bool Start() {
    if (!sim.Start({.model = "Selka", .arguments = {"--baud", "2000000", "--off-time", "0"}})) return false;
    home = std::make_unique<QuietLinkHome>(sim.Home());
    std::ofstream(sim.Home() + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
    service = std::make_unique<LinkServiceHost>(sim.Home() + "/Phones.ini");
    if (service->Port() == 0) return false;
    QuietLinkHome::PointLibraryAt(service->Port());
    WriteSetting("Build", std::string("ZSE_0100"));
    WriteSetting("InitTimeOut", DWORD{300});
    WriteSetting("CommsTimeOut", DWORD{1500});
    return library.Load() && library.Start() != nullptr;
  }
  CManager& Manager() { return *library.Manager(); }
  // One worker run to its end; true when it ended with "complete".
  bool Transfer(TransferKind kind) {
    recorder.ends.clear();
    RunTransferWorker(kind, Manager(), recorder, control);
    return recorder.ends == std::vector<TransferText>{TransferText{kTextComplete}};
  }
  // The PC side as a fresh document has it.
  void ForgetPcSide() {
    ForgetContacts();
    ForgetSchedule();
    ForgetToDo();
  }
  void ForgetContacts() {
    for (short g = 1; g <= kGroupCount; ++g) Manager().PA_RemovePrivateGroup(g);
    for (short s = 0; s < kContactSlots; ++s) Manager().PA_RemovePrivatePhoneBook(s);
  }
  void ForgetSchedule() {
    for (short s = 0; s < kScheduleSlots; ++s) Manager().PA_RemovePrivateSchedule(s);
  }
  void ForgetToDo() {
    for (short s = 0; s < kToDoSlots; ++s) Manager().PA_RemovePrivateToDo(s);
  }
  template <class Record, class Get>
  std::vector<Record> Used(short slots, Get get) {
    std::vector<Record> used;
    for (short s = 0; s < slots; ++s) {
      Record r;
      if ((Manager().*get)(&r, s) == PA_OK) used.push_back(r);
    }
    return used;
  }
  // What the phone holds: that kind forgotten on the PC side, then downloaded.
  std::vector<PA_PHONEBOOK_INFO> Contacts() {
    ForgetContacts();
    EXPECT_TRUE(Transfer(TransferKind::ContactsDownload));
    return Used<PA_PHONEBOOK_INFO>(kContactSlots, &CManager::PA_GetPhoneBook);
  }
  std::vector<PA_SCHEDULE_INFO> Schedule() {
    ForgetSchedule();
    EXPECT_TRUE(Transfer(TransferKind::ScheduleDownload));
    return Used<PA_SCHEDULE_INFO>(kScheduleSlots, &CManager::PA_GetSchedule);
  }
  std::vector<PA_TODO_INFO> ToDo() {
    ForgetToDo();
    EXPECT_TRUE(Transfer(TransferKind::ToDoDownload));
    return Used<PA_TODO_INFO>(kToDoSlots, &CManager::PA_GetToDo);
  }

  phonesim::PhoneSimProcess sim;
  std::unique_ptr<QuietLinkHome> home;
  std::unique_ptr<LinkServiceHost> service;
  ManagerLibrary library;
  TransferState control;
  Recorder recorder;
};

template <class Record>
const Record* Named(const std::vector<Record>& records, const CString& name) {
  for (const Record& r : records) {
    if (r.strDescription == name) return &r;
  }
  return nullptr;
}
const PA_PHONEBOOK_INFO* NamedContact(const std::vector<PA_PHONEBOOK_INFO>& records, const CString& name) {
  for (const PA_PHONEBOOK_INFO& r : records) {
    if (r.strName == name) return &r;
  }
  return nullptr;
}

class PhoneRoundTrip : public testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() / ("daybook-phones-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    AddExchangeFiles(libraries, ui, interlex, folder);
    host.log = &libraries.log;
  }
  void TearDown() override { fs::remove_all(folder); }

  // One command with the exchange folder `sub`: an export writes its files there, an import reads
  // every file of the kind found there.
  void Run(CManager& manager, UINT command, const char* sub) {
    host.manager = &manager;
    fs::create_directories(folder / sub);
    ui.folder = (folder / sub).string();
    g_folder = folder / sub;
    CExchangeBridges bridges(manager, host, libraries.Make());
    ASSERT_TRUE(bridges.Run(command));
    ASSERT_TRUE(host.shown.empty()) << host.shown[0].text;
  }

  static PA_PHONEBOOK_INFO FullContact(int n, const Melody& picture, const Melody& melody) {
    PA_PHONEBOOK_INFO c;
    c.strName.Format("Name %d", n);
    c.strReading.Format("Reading %d", n);
    for (int i = 0; i < 7; ++i) c.strNumber[i].Format("+49%d%d", n, i);
    c.strEmail[0].Format("a%d@example.org", n);
    c.strEmail[1].Format("b%d@example.org", n);
    c.strText[0].Format("Text %d", n);
    c.strText[1].Format("More %d", n);
    c.bGroup = static_cast<BYTE>(n % 20);
    c.bChoice = static_cast<BYTE>(n % 14);
    c.dwPictureId = picture.id;
    c.dwMelodyId = melody.id;
    return c;
  }

  fs::path folder;
  std::atomic<bool> closing{false};
  CScriptedUi ui;
  CInterlex interlex{ui};
  FakeHost host;
  FakeLibraries libraries;
};

TEST_F(PhoneRoundTrip, EveryFieldEachFormatCarriesReachesASecondPhone) {
  std::vector<PA_PHONEBOOK_INFO> contacts;
  std::vector<PA_SCHEDULE_INFO> entries;
  std::vector<PA_TODO_INFO> items;
  {
    Phone first(closing);
    ASSERT_TRUE(first.Start()) << first.sim.Error();
    CManager& m = first.Manager();
    // The phone's own pictures and sounds, as the first download offers them.
    ASSERT_TRUE(first.Transfer(TransferKind::ContactsDownload));
    ASSERT_FALSE(first.recorder.pictures.empty());
    ASSERT_FALSE(first.recorder.melodies.empty());
    host.pictures = first.recorder.pictures;
    host.melodies = host.alarmMelodies = first.recorder.melodies;
    const Melody picture = host.pictures.back(), melody = host.melodies.back();
    ASSERT_NE(picture.id, 0u);
    ASSERT_NE(melody.id, 0u);

    for (short s : {0, 7, 19, 300}) {
      PA_PHONEBOOK_INFO c = FullContact(s, picture, melody);
      ASSERT_EQ(m.PA_PutPhoneBook(&c, s), PA_OK) << s;
    }
    PA_SCHEDULE_INFO entry;
    entry.strDescription = "Dentist";
    entry.tmStart = CTime(2010, 5, 4, 9, 30, 0);
    entry.bRepeat = 2;
    entry.bAlarm = 1;
    entry.dwMelodyId = melody.id;
    entry.strMelodyName = melody.name;
    ASSERT_EQ(m.PA_PutSchedule(&entry, 3), PA_OK);
    entry = PA_SCHEDULE_INFO{};
    entry.strDescription = "Review";
    entry.tmStart = CTime(2010, 6, 1, 14, 0, 0);
    entry.bPrivate = 1;
    ASSERT_EQ(m.PA_PutSchedule(&entry, 41), PA_OK);
    PA_TODO_INFO item;
    item.strDescription = "Taxes";
    item.tmStart = CTime(2010, 3, 1, 0, 0, 0);
    item.tmDue = CTime(2010, 4, 30, 0, 0, 0);
    item.bCategory = 1;
    ASSERT_EQ(m.PA_PutToDo(&item, 1), PA_OK);
    item = PA_TODO_INFO{};
    item.strDescription = "Paint";
    item.tmStart = CTime(2010, 7, 1, 0, 0, 0);
    item.tmDue = CTime(2010, 8, 1, 0, 0, 0);
    item.bPriority = 2;
    item.bCategory = 2;
    item.bPrivate = 1;
    ASSERT_EQ(m.PA_PutToDo(&item, 10), PA_OK);
    ASSERT_TRUE(first.Transfer(TransferKind::ContactsUpload));
    ASSERT_TRUE(first.Transfer(TransferKind::ScheduleUpload));
    ASSERT_TRUE(first.Transfer(TransferKind::ToDoUpload));

    // What the first phone holds, downloaded into the document and exported from there.
    contacts = first.Contacts();
    entries = first.Schedule();
    items = first.ToDo();
    ASSERT_EQ(contacts.size(), 4u);
    ASSERT_EQ(entries.size(), 2u);
    ASSERT_EQ(items.size(), 2u);
    Run(m, CMD_EXPORT_VCARD, "cards");
    Run(m, CMD_EXPORT_CSV, "csv");
    Run(m, CMD_EXPORT_VCAL, "schedule");
    Run(m, CMD_EXPORT_VCAL_TODO, "todo");
  }
  Phone second(closing);
  ASSERT_TRUE(second.Start()) << second.sim.Error();
  CManager& m = second.Manager();
  // vCard: the texts and the group; a card carries no light, picture or melody.
  second.ForgetPcSide();
  Run(m, CMD_IMPORT_VCARD, "cards");
  ASSERT_TRUE(second.Transfer(TransferKind::ContactsUpload));
  std::vector<PA_PHONEBOOK_INFO> got = second.Contacts();
  EXPECT_EQ(got.size(), contacts.size());
  // CSV, into a fresh document again: every column, the choices included.
  second.ForgetPcSide();
  Run(m, CMD_IMPORT_CSV, "csv");
  ASSERT_TRUE(second.Transfer(TransferKind::ContactsUpload));
  std::vector<PA_PHONEBOOK_INFO> gotCsv = second.Contacts();
  EXPECT_EQ(gotCsv.size(), contacts.size());
  for (bool csv : {false, true}) {
    for (const PA_PHONEBOOK_INFO& want : contacts) {
      SCOPED_TRACE(std::string(csv ? "CSV " : "vCard ") + static_cast<LPCSTR>(want.strName));
      const PA_PHONEBOOK_INFO* c = NamedContact(csv ? gotCsv : got, want.strName);
      ASSERT_NE(c, nullptr);
      EXPECT_EQ(c->strReading, want.strReading);
      for (int n = 0; n < 7; ++n) EXPECT_EQ(c->strNumber[n], want.strNumber[n]) << n;
      for (int n = 0; n < 2; ++n) EXPECT_EQ(c->strEmail[n], want.strEmail[n]) << n;
      for (int n = 0; n < 2; ++n) EXPECT_EQ(c->strText[n], want.strText[n]) << n;
      EXPECT_EQ(c->bGroup, want.bGroup);
      if (csv) {
        EXPECT_EQ(c->bChoice, want.bChoice);
        EXPECT_EQ(c->dwPictureId, want.dwPictureId);
        EXPECT_EQ(c->dwMelodyId, want.dwMelodyId);
      }
    }
  }

  // vCalendar: the schedule's texts, start, repeat, alarm with its melody, and privacy.
  second.ForgetPcSide();
  Run(m, CMD_IMPORT_VCAL, "schedule");
  ASSERT_TRUE(second.Transfer(TransferKind::ScheduleUpload));
  const std::vector<PA_SCHEDULE_INFO> gotEntries = second.Schedule();
  EXPECT_EQ(gotEntries.size(), entries.size());
  for (const PA_SCHEDULE_INFO& want : entries) {
    SCOPED_TRACE(static_cast<LPCSTR>(want.strDescription));
    const PA_SCHEDULE_INFO* e = Named(gotEntries, want.strDescription);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->tmStart, want.tmStart);
    EXPECT_EQ(e->bRepeat, want.bRepeat);
    EXPECT_EQ(e->bAlarm, want.bAlarm);
    EXPECT_EQ(e->bPrivate, want.bPrivate);
    if (want.bAlarm) {
      EXPECT_EQ(e->dwMelodyId, want.dwMelodyId);
    }
  }

  // The to-do file, read by the to-do import that the schedule import of it sets off.
  second.ForgetPcSide();
  Run(m, CMD_IMPORT_VCAL, "todo");
  ASSERT_TRUE(second.Transfer(TransferKind::ToDoUpload));
  const std::vector<PA_TODO_INFO> gotItems = second.ToDo();
  EXPECT_EQ(gotItems.size(), items.size());
  for (const PA_TODO_INFO& want : items) {
    SCOPED_TRACE(static_cast<LPCSTR>(want.strDescription));
    const PA_TODO_INFO* t = Named(gotItems, want.strDescription);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->tmStart, want.tmStart);
    EXPECT_EQ(t->tmDue, want.tmDue);
    EXPECT_EQ(t->bPriority, want.bPriority);
    EXPECT_EQ(t->bCategory, want.bCategory);
    EXPECT_EQ(t->bPrivate, want.bPrivate);
  }
}

}  // namespace
