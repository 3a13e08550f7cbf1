// The record stores end to end: contacts, schedule entries and to-do items go from a store
// through the link service's own core to the simulated phone and come back into another store,
// in both of the phone's layouts; a line dropped in the middle of a transfer fails it plainly, and
// the next attempt, once the phone is back, succeeds.
#include "PhoneBookStore.h"
#include "ScheduleStore.h"
#include "ToDoStore.h"
#include "support/LinkServiceHost.h"

#include <handport/PhoneErrors.h>

#include <phonesim/PhoneSimProcess.h>

#include <base/LastError.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// The two layouts of one phone model: its own version (full contacts, extended schedule and
// to-do) and a version of the "T" variants (short contacts, standard schedule and to-do).
struct PhoneLayouts {
  const char* name;
  const char* version;
  bool shortContacts;
  bool extended;
};
void PrintTo(const PhoneLayouts& layouts, std::ostream* out) { *out << layouts.name; }

const PhoneLayouts kLayouts[] = {{"FullAndExtended", "ZSE_0310", false, true},
                                 {"ShortAndStandard", "TSE_0310", true, false}};

std::string Repeat(std::string_view piece, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += piece;
  return text;
}

std::vector<BYTE> Bytes(std::span<const BYTE> bytes) { return {bytes.begin(), bytes.end()}; }

class RecordStoreRoundTrip : public testing::TestWithParam<PhoneLayouts> {
 protected:
  void SetUp() override {
    home = (std::filesystem::temp_directory_path() / ("handport-stores-" + std::to_string(std::random_device{}()))).string();
    ASSERT_TRUE(std::filesystem::create_directories(home));
    StartPhone();
    setenv("TOLVAR_HOME", home.c_str(), 1);
    std::ofstream(home + "/Phones.ini") << "-Selka,ZSE_0100\r\n";
    service = std::make_unique<LinkServiceHost>(home + "/Phones.ini");
    ASSERT_NE(service->Port(), 0);
    engine = std::make_unique<CLinkEngine>(service->Address());
    engine->SetWakeUpDrainTime(kTestWakeUpDrainTime);
    Wake();
  }

  void TearDown() override {
    engine.reset();
    service.reset();
    phone.Stop();
    if (!home.empty()) std::filesystem::remove_all(home);
  }

  // In a home of the test's own, which keeps the phone's state when it is switched off and on.
  // A fast line: the transfers here are long, and the phone's pace is not what they test.
  void StartPhone() {
    ASSERT_TRUE(phone.Start({.model = "Selka", .home = home,
                             .arguments = {"--sw-version", GetParam().version, "--baud", "2000000"}}))
        << phone.Error();
  }

  void Wake() {
    ASSERT_EQ(engine->WakePhone(3000), 1) << std::hex << GetLastError();
    ASSERT_EQ(engine->UsePteCommand("00129"), 1) << std::hex << GetLastError();
  }

  std::unique_ptr<CScheduleStore> MakeSchedule() const {
    if (GetParam().extended) return std::make_unique<CScheduleStoreEx>();
    return std::make_unique<CScheduleStore>();
  }
  std::unique_ptr<CToDoStore> MakeToDo() const {
    if (GetParam().extended) return std::make_unique<CToDoStoreEx>();
    return std::make_unique<CToDoStore>();
  }

  // A transfer is cut once the phone has sent (or received) `bytes` more bytes: it fails plainly,
  // and once the phone is plugged in again the same transfer succeeds.
  void PullTheCableDuring(phonesim::Fault where, long long bytes, const std::function<int()>& transfer) {
    ASSERT_TRUE(phone.SetFault(where, bytes));
    SetLastError(0);
    EXPECT_EQ(transfer(), 0) << "cut after " << bytes << " bytes";
    // The link is gone, the phone fell silent, or its last answer was cut short.
    const DWORD error = GetLastError();
    EXPECT_TRUE(error == ERROR_LINK_DOWN || error == ERROR_PHONE_NO_REPLY || error == ERROR_PHONE_BAD_REPLY)
        << std::hex << error << " after " << std::dec << bytes << " bytes";
    if (GetParam().shortContacts) {
      // Plugged in again, the phone is still in its command mode, where only its version can
      // name it, and the version of a "T" variant names no model: it is switched off and on.
      phone.Stop();
      StartPhone();
    } else {
      ASSERT_TRUE(phone.Control("reconnect"));
    }
    Wake();
    EXPECT_EQ(transfer(), 1) << std::hex << GetLastError();
  }

  std::string home;
  phonesim::PhoneSimProcess phone;
  std::unique_ptr<LinkServiceHost> service;
  std::unique_ptr<CLinkEngine> engine;
};

// --- contacts ---

// Contact `slot`: ordinary values that differ from slot to slot.
void PutContact(CPhoneBookStore& store, int slot) {
  ASSERT_EQ(store.Select(slot), 1);
  char text[64];
  std::snprintf(text, sizeof text, "Contact %03d", slot);
  ASSERT_EQ(store.SetName(text), 1);
  ASSERT_EQ(store.SetReading("reading"), 1);
  std::snprintf(text, sizeof text, "0%09d", slot * 7919);
  ASSERT_EQ(store.SetNumber(slot % 7, text), 1);
  std::snprintf(text, sizeof text, "c%d@example.org", slot);
  ASSERT_EQ(store.SetEmail(slot % 2, text), 1);
  ASSERT_EQ(store.SetGroup(slot % 20), 1);
  ASSERT_EQ(store.SetChoice(slot % 15), 1);
  ASSERT_EQ(store.SetPicture(static_cast<DWORD>(slot % 256)), 1);
  ASSERT_EQ(store.SetMelody(static_cast<DWORD>(255 - slot % 256)), 1);
  ASSERT_EQ(store.Commit(), 1);
}

// Every text field filled to its limit, in GSM units or in bytes.
struct LimitContact {
  std::string name = Repeat("n", 29) + "\xC3\xA4";  // 30 units, 31 bytes
  std::string reading = Repeat("\xC3\xA4", 15);     // 15 units, 30 bytes
  std::string numbers[7] = {"+" + Repeat("1234567890", 4), Repeat("9876543210", 4), "**21*+4912#", "*#06#",
                            "P", "", "0123P456?789#*"};
  std::string emails[2] = {Repeat("e", 64), Repeat("\xC3\xA4", 32)};   // 64 units; 64 bytes
  std::string texts[2] = {Repeat("t", 64), Repeat("\xC3\xA4", 32) + "a"};  // 64 units; 65 bytes
};

void PutLimitContact(CPhoneBookStore& store, int slot, const LimitContact& contact) {
  ASSERT_EQ(store.Select(slot), 1);
  ASSERT_EQ(store.SetName(contact.name.c_str()), 1);
  ASSERT_EQ(store.SetReading(contact.reading.c_str()), 1);
  for (int i = 0; i < 7; ++i) {
    // "P" alone is no dial string: the field stays as it was (empty).
    EXPECT_EQ(store.SetNumber(i, contact.numbers[i].c_str()), contact.numbers[i] == "P" ? 0 : 1) << i;
  }
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(store.SetEmail(i, contact.emails[i].c_str()), 1);
    ASSERT_EQ(store.SetText(i, contact.texts[i].c_str()), 1);
  }
  ASSERT_EQ(store.SetGroup(19), 1);
  ASSERT_EQ(store.SetChoice(14), 1);
  ASSERT_EQ(store.SetPicture(300), 1);
  ASSERT_EQ(store.SetMelody(255), 1);
  ASSERT_EQ(store.Commit(), 1);
}

void ExpectLimitContact(CPhoneBookStore& store, int slot, const LimitContact& contact, bool shortLayout) {
  ASSERT_EQ(store.Select(slot), 1);
  ASSERT_TRUE(store.IsUsed());
  EXPECT_EQ(std::string(store.GetName()), contact.name);
  EXPECT_EQ(std::string(store.GetReading()), shortLayout ? "" : contact.reading);
  CString value;
  for (int i = 0; i < 7; ++i) {
    store.GetNumber(i, value);
    EXPECT_EQ(std::string(value), contact.numbers[i] == "P" ? "" : contact.numbers[i]) << i;
  }
  for (int i = 0; i < 2; ++i) {
    store.GetEmail(i, value);
    EXPECT_EQ(std::string(value), contact.emails[i]) << i;
    store.GetText(i, value);
    EXPECT_EQ(std::string(value), contact.texts[i]) << i;
  }
  EXPECT_EQ(store.GetGroup(), 19);
  EXPECT_EQ(store.GetChoice(), 14);
  EXPECT_EQ(store.GetPicture(), 44u);  // the low byte of 300, as the applications know it
  EXPECT_EQ(store.GetMelody(), 255u);
  EXPECT_EQ(store.GetPhoneFlag(), 0);
}

void ExpectSameContacts(CPhoneBookStore& sent, CPhoneBookStore& received) {
  for (int slot = 0; slot < sent.SlotCount(); ++slot) {
    sent.Select(slot);
    received.Select(slot);
    ASSERT_EQ(received.IsUsed(), sent.IsUsed()) << slot;
    if (sent.IsUsed()) {
      ASSERT_EQ(Bytes(received.SlotRecord(slot)), Bytes(sent.SlotRecord(slot))) << slot;
    }
  }
}

TEST_P(RecordStoreRoundTrip, NoContacts) {
  CPhoneBookStore sent;
  PutContact(sent, 3);
  ASSERT_EQ(sent.Upload(nullptr, *engine, 3, 3), 1) << std::hex << GetLastError();
  sent.Select(3);
  sent.ClearSlot();
  ASSERT_EQ(sent.Upload(nullptr, *engine, -1, -1), 1) << std::hex << GetLastError();
  CPhoneBookStore received;
  PutContact(received, 10);
  ASSERT_EQ(received.Download(nullptr, *engine, -1, -1), 1) << std::hex << GetLastError();
  EXPECT_EQ(received.IsShortLayout(), GetParam().shortContacts);
  ExpectSameContacts(sent, received);
}

TEST_P(RecordStoreRoundTrip, OneContactWithEveryFieldAtItsLimit) {
  const LimitContact contact;
  CPhoneBookStore sent;
  PutLimitContact(sent, 499, contact);
  ASSERT_EQ(sent.Upload(nullptr, *engine, 499, 499), 1) << std::hex << GetLastError();
  CPhoneBookStore received;
  ASSERT_EQ(received.Download(nullptr, *engine, -1, -1), 1) << std::hex << GetLastError();
  ExpectSameContacts(sent, received);
  ExpectLimitContact(received, 499, contact, GetParam().shortContacts);
}

TEST_P(RecordStoreRoundTrip, FiveHundredContacts) {
  CPhoneBookStore sent;
  for (int slot = 0; slot < 500; ++slot) PutContact(sent, slot);
  PutLimitContact(sent, 0, LimitContact());
  ASSERT_EQ(sent.Upload(nullptr, *engine, -1, -1), 1) << std::hex << GetLastError();
  CPhoneBookStore received;
  ASSERT_EQ(received.Download(nullptr, *engine, -1, -1), 1) << std::hex << GetLastError();
  ExpectSameContacts(sent, received);
  ExpectLimitContact(received, 0, LimitContact(), GetParam().shortContacts);
}

// --- schedule ---

void PutEntry(CScheduleStore& store, int slot) {
  ASSERT_EQ(store.Select(slot), 1);
  char text[64];
  std::snprintf(text, sizeof text, "Entry %03d", slot);
  ASSERT_EQ(store.SetDescription(text), 1);
  ASSERT_EQ(store.SetStart(CTime(2001 + slot % 20, 1 + slot % 12, 1 + slot % 28, slot % 24, slot % 60, 0)), 1);
  ASSERT_EQ(store.SetAlarm(slot % 2), 1);
  ASSERT_EQ(store.SetRepeat(slot % 4), 1);
  ASSERT_EQ(store.SetPrivate(slot % 3 == 0), 1);
  ASSERT_EQ(store.SetMelodyId(static_cast<DWORD>(slot) * 1000003u), 1);
}

void ExpectSameSlots(int count, const std::function<int(int)>& sentUsed, const std::function<int(int)>& receivedUsed,
                     const std::function<std::vector<BYTE>(int)>& sentRecord,
                     const std::function<std::vector<BYTE>(int)>& receivedRecord) {
  for (int slot = 0; slot < count; ++slot) {
    ASSERT_EQ(receivedUsed(slot), sentUsed(slot)) << slot;
    if (sentUsed(slot)) {
      ASSERT_EQ(receivedRecord(slot), sentRecord(slot)) << slot;
    }
  }
}

void ExpectSameSchedule(CScheduleStore& sent, CScheduleStore& received) {
  ExpectSameSlots(
      CScheduleStore::kSlotCount, [&](int slot) { sent.Select(slot); return sent.IsUsed(); },
      [&](int slot) { received.Select(slot); return received.IsUsed(); },
      [&](int slot) { return Bytes(sent.SlotRecord(slot)); }, [&](int slot) { return Bytes(received.SlotRecord(slot)); });
}

TEST_P(RecordStoreRoundTrip, EveryScheduleSlot) {
  const std::size_t units = GetParam().extended ? 256 : 64;
  const std::string longest = Repeat("d", units);
  const std::string widest = "x" + Repeat("\xC3\xA4", units / 2);  // the field's last byte
  auto sent = MakeSchedule();
  for (int slot = 0; slot < CScheduleStore::kSlotCount; ++slot) PutEntry(*sent, slot);
  sent->Select(0);
  ASSERT_EQ(sent->SetDescription(longest.c_str()), 1);
  ASSERT_EQ(sent->SetStart(CTime(2001, 1, 1, 0, 0, 0)), 1);
  sent->Select(599);
  ASSERT_EQ(sent->SetDescription(widest.c_str()), 1);
  ASSERT_EQ(sent->SetStart(CTime(2020, 12, 31, 23, 59, 0)), 1);
  ASSERT_EQ(sent->Upload(nullptr, *engine, -1, -1), 1) << std::hex << GetLastError();

  auto received = MakeSchedule();
  ASSERT_EQ(received->Download(nullptr, *engine, -1, -1), 1) << std::hex << GetLastError();
  ExpectSameSchedule(*sent, *received);
  received->Select(0);
  EXPECT_EQ(std::string(received->GetDescription()), longest);
  EXPECT_EQ(received->GetStart(), CTime(2001, 1, 1, 0, 0, 0));
  received->Select(599);
  EXPECT_EQ(std::string(received->GetDescription()), widest);
  EXPECT_EQ(received->GetStart(), CTime(2020, 12, 31, 23, 59, 0));
  received->Select(123);
  EXPECT_EQ(received->GetRepeat(), 3);
  EXPECT_EQ(received->GetPrivate(), 1);
  EXPECT_EQ(received->GetMelodyId(), 123u * 1000003u);

  // Emptied again: nothing comes back.
  auto empty = MakeSchedule();
  ASSERT_EQ(empty->Upload(nullptr, *engine, -1, -1), 1);
  ASSERT_EQ(received->Download(nullptr, *engine, -1, -1), 1);
  ExpectSameSchedule(*empty, *received);
}

// --- to-do ---

void PutItem(CToDoStore& store, int slot) {
  ASSERT_EQ(store.Select(slot), 1);
  char text[64];
  std::snprintf(text, sizeof text, "Item %02d", slot);
  ASSERT_EQ(store.SetDescription(text), 1);
  ASSERT_EQ(store.SetStart(CTime(2001 + slot % 20, 1 + slot % 12, 1 + slot % 28, 0, 0, 0)), 1);
  ASSERT_EQ(store.SetDue(CTime(2001 + (slot + 3) % 20, 1 + (slot + 5) % 12, 1 + slot % 28, 0, 0, 0)), 1);
  ASSERT_EQ(store.SetStatus(slot % 2), 1);
  if (auto* extended = dynamic_cast<CToDoStoreEx*>(&store)) {
    extended->SetPriority(slot % 3);
    extended->SetCategory((slot + 1) % 3);
    extended->SetPrivate(slot % 2);
  }
}

TEST_P(RecordStoreRoundTrip, EveryToDoSlot) {
  const std::size_t units = GetParam().extended ? 256 : 32;
  const std::string longest = Repeat("d", units);
  auto sent = MakeToDo();
  for (int slot = 0; slot < CToDoStore::kSlotCount; ++slot) PutItem(*sent, slot);
  sent->Select(0);
  ASSERT_EQ(sent->SetDescription(longest.c_str()), 1);
  ASSERT_EQ(sent->SetStart(CTime(2001, 1, 1, 0, 0, 0)), 1);
  ASSERT_EQ(sent->SetDue(CTime(2020, 12, 31, 23, 59, 59)), 1);
  ASSERT_EQ(sent->Upload(nullptr, *engine, -1, -1), 1) << std::hex << GetLastError();

  auto received = MakeToDo();
  ASSERT_EQ(received->Download(nullptr, *engine, -1, -1), 1) << std::hex << GetLastError();
  ExpectSameSlots(
      CToDoStore::kSlotCount, [&](int slot) { sent->Select(slot); return sent->IsUsed(); },
      [&](int slot) { received->Select(slot); return received->IsUsed(); },
      [&](int slot) { return Bytes(sent->SlotRecord(slot)); }, [&](int slot) { return Bytes(received->SlotRecord(slot)); });
  received->Select(0);
  EXPECT_EQ(std::string(received->GetDescription()), longest);
  EXPECT_EQ(received->GetStart(), CTime(2001, 1, 1, 0, 0, 0));
  EXPECT_EQ(received->GetDue(), CTime(2020, 12, 31, 0, 0, 0));
  received->Select(7);
  EXPECT_EQ(received->GetStatus(), 1);
  if (auto* extended = dynamic_cast<CToDoStoreEx*>(received.get())) {
    EXPECT_EQ(extended->GetPriority(), 1);
    EXPECT_EQ(extended->GetCategory(), 2);
    EXPECT_EQ(extended->GetPrivate(), 1);
  }
}

// --- a pulled cable ---

TEST_P(RecordStoreRoundTrip, APulledCableFailsATransferAndTheNextAttemptSucceeds) {
  CPhoneBookStore contacts;
  for (int slot = 0; slot < 12; ++slot) PutContact(contacts, slot);
  auto schedule = MakeSchedule();
  for (int slot = 20; slot < 45; ++slot) PutEntry(*schedule, slot);
  auto todo = MakeToDo();
  for (int slot = 5; slot < 25; ++slot) PutItem(*todo, slot);

  // A sampled byte of each transfer, within a bound that the transfer surely reaches: of the
  // chunks the phone receives in an upload and sends in a download, and of its answers too.
  std::srand(20260101);
  auto sample = [](long long within) { return 1 + std::rand() % within; };
  using phonesim::Fault;
  auto uploadContacts = [&] { return contacts.Upload(nullptr, *engine, 0, 11); };
  auto uploadSchedule = [&] { return schedule->Upload(nullptr, *engine, -1, -1); };
  auto uploadToDo = [&] { return todo->Upload(nullptr, *engine, -1, -1); };
  PullTheCableDuring(Fault::DropAfterReceived, sample(10000), uploadContacts);
  PullTheCableDuring(Fault::DropAfterSent, sample(2000), uploadContacts);
  PullTheCableDuring(Fault::DropAfterSent, sample(10000), [&] { return CPhoneBookStore().Download(nullptr, *engine, -1, -1); });
  PullTheCableDuring(Fault::DropAfterReceived, sample(5000), uploadSchedule);
  PullTheCableDuring(Fault::DropAfterSent, sample(1000), uploadSchedule);
  PullTheCableDuring(Fault::DropAfterSent, sample(5000), [&] { return MakeSchedule()->Download(nullptr, *engine, 20, 44); });
  PullTheCableDuring(Fault::DropAfterReceived, sample(4000), uploadToDo);
  PullTheCableDuring(Fault::DropAfterSent, sample(800), uploadToDo);
  PullTheCableDuring(Fault::DropAfterSent, sample(4000), [&] { return MakeToDo()->Download(nullptr, *engine, -1, -1); });

  // What the phone holds is what the last attempts wrote.
  CPhoneBookStore receivedContacts;
  ASSERT_EQ(receivedContacts.Download(nullptr, *engine, -1, -1), 1);
  ExpectSameContacts(contacts, receivedContacts);
  auto receivedSchedule = MakeSchedule();
  ASSERT_EQ(receivedSchedule->Download(nullptr, *engine, -1, -1), 1);
  ExpectSameSchedule(*schedule, *receivedSchedule);
}

INSTANTIATE_TEST_SUITE_P(Layouts, RecordStoreRoundTrip, testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
