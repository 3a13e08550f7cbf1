#include "support/PhoneRecords.h"
#include "support/SampleContact.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace daybook;

namespace phone_records {

Phone::Phone() { control.closing = &m_closing; }

Phone::~Phone() {
  if (library.Manager()) library->PA_ClosePort();
  library.Unload();
  service.reset();
  sim.Stop();
  home.reset();
}

bool Phone::Start(const std::string& stateFolder) {
  std::vector<std::string> arguments{"--baud", "2000000", "--off-time", "0"};
  if (!stateFolder.empty()) arguments.insert(arguments.end(), {"--state", stateFolder});
  if (!sim.Start({.model = "Selka", .arguments = arguments})) return false;
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

void Phone::OnTransferEvent(TransferEvent event) {
  std::lock_guard lock(m_lock);
  if (event.type == TransferEvent::Type::Ended) m_ends.push_back(event.text);
  if (event.type == TransferEvent::Type::Choices) {
    pictures = event.pictures;
    melodies = event.melodies;
  }
}

bool Phone::Transfer(TransferKind kind) {
  {
    std::lock_guard lock(m_lock);
    m_ends.clear();
  }
  RunTransferWorker(kind, Manager(), *this, control);
  std::lock_guard lock(m_lock);
  return m_ends == std::vector<TransferText>{TransferText{kTextComplete}};
}

void Phone::ForgetPcSide() {
  ForgetContacts();
  ForgetSchedule();
  ForgetToDo();
}

void Phone::ForgetContacts() {
  for (short g = 1; g <= kGroupCount; ++g) Manager().PA_RemovePrivateGroup(g);
  for (short s = 0; s < kContactSlots; ++s) Manager().PA_RemovePrivatePhoneBook(s);
}

void Phone::ForgetSchedule() {
  for (short s = 0; s < kScheduleSlots; ++s) Manager().PA_RemovePrivateSchedule(s);
}

void Phone::ForgetToDo() {
  for (short s = 0; s < kToDoSlots; ++s) Manager().PA_RemovePrivateToDo(s);
}

namespace {

template <class Record, class Get>
std::vector<Record> Used(CManager& manager, short slots, Get get) {
  std::vector<Record> used;
  for (short s = 0; s < slots; ++s) {
    Record r;
    if ((manager.*get)(&r, s) == PA_OK) used.push_back(r);
  }
  return used;
}

}  // namespace

std::vector<PA_PHONEBOOK_INFO> Phone::Contacts() {
  ForgetContacts();
  EXPECT_TRUE(Transfer(TransferKind::ContactsDownload));
  return Used<PA_PHONEBOOK_INFO>(Manager(), kContactSlots, &CManager::PA_GetPhoneBook);
}

std::vector<PA_SCHEDULE_INFO> Phone::Schedule() {
  ForgetSchedule();
  EXPECT_TRUE(Transfer(TransferKind::ScheduleDownload));
  return Used<PA_SCHEDULE_INFO>(Manager(), kScheduleSlots, &CManager::PA_GetSchedule);
}

std::vector<PA_TODO_INFO> Phone::ToDo() {
  ForgetToDo();
  EXPECT_TRUE(Transfer(TransferKind::ToDoDownload));
  return Used<PA_TODO_INFO>(Manager(), kToDoSlots, &CManager::PA_GetToDo);
}

Records FillSample(Phone& phone) {
  CManager& m = phone.Manager();
  // The phone's own pictures and sounds, as the first download offers them.
  EXPECT_TRUE(phone.Transfer(TransferKind::ContactsDownload));
  if (phone.pictures.empty() || phone.melodies.empty()) {
    ADD_FAILURE() << "the phone offered no pictures or no sounds";
    return {};
  }
  const Melody picture = phone.pictures.back(), melody = phone.melodies.back();
  EXPECT_NE(picture.id, 0u);
  EXPECT_NE(melody.id, 0u);

  for (short s : {0, 7, 19, 300}) {
    PA_PHONEBOOK_INFO c = daybook_testing::FullContact(s, picture.id, melody.id);
    EXPECT_EQ(m.PA_PutPhoneBook(&c, s), PA_OK) << s;
  }
  PA_SCHEDULE_INFO entry;
  entry.strDescription = "Dentist";
  entry.tmStart = CTime(2010, 5, 4, 9, 30, 0);
  entry.bRepeat = 2;
  entry.bAlarm = 1;
  entry.dwMelodyId = melody.id;
  entry.strMelodyName = melody.name;
  EXPECT_EQ(m.PA_PutSchedule(&entry, 3), PA_OK);
  entry = PA_SCHEDULE_INFO{};
  entry.strDescription = "Review";
  entry.tmStart = CTime(2010, 6, 1, 14, 0, 0);
  entry.bPrivate = 1;
  EXPECT_EQ(m.PA_PutSchedule(&entry, 41), PA_OK);
  PA_TODO_INFO item;
  item.strDescription = "Taxes";
  item.tmStart = CTime(2010, 3, 1, 0, 0, 0);
  item.tmDue = CTime(2010, 4, 30, 0, 0, 0);
  item.bCategory = 1;
  EXPECT_EQ(m.PA_PutToDo(&item, 1), PA_OK);
  item = PA_TODO_INFO{};
  item.strDescription = "Paint";
  item.tmStart = CTime(2010, 7, 1, 0, 0, 0);
  item.tmDue = CTime(2010, 8, 1, 0, 0, 0);
  item.bPriority = 2;
  item.bCategory = 2;
  item.bPrivate = 1;
  EXPECT_EQ(m.PA_PutToDo(&item, 10), PA_OK);
  EXPECT_TRUE(phone.Transfer(TransferKind::ContactsUpload));
  EXPECT_TRUE(phone.Transfer(TransferKind::ScheduleUpload));
  EXPECT_TRUE(phone.Transfer(TransferKind::ToDoUpload));

  Records held = phone.All();
  EXPECT_EQ(held.contacts.size(), 4u);
  EXPECT_EQ(held.entries.size(), 2u);
  EXPECT_EQ(held.items.size(), 2u);
  return held;
}

namespace {

template <class Record>
const Record* Described(const std::vector<Record>& records, const CString& text) {
  for (const Record& r : records) {
    if (r.strDescription == text) return &r;
  }
  return nullptr;
}

}  // namespace

void ExpectSameContacts(const std::vector<PA_PHONEBOOK_INFO>& want, const std::vector<PA_PHONEBOOK_INFO>& got,
                        CardFormat format) {
  const bool csv = format == CardFormat::Csv;
  EXPECT_EQ(got.size(), want.size()) << (csv ? "CSV" : "vCard");
  for (const PA_PHONEBOOK_INFO& w : want) {
    SCOPED_TRACE(std::string(csv ? "CSV " : "vCard ") + static_cast<LPCSTR>(w.strName));
    const PA_PHONEBOOK_INFO* c = nullptr;
    for (const PA_PHONEBOOK_INFO& r : got) {
      if (r.strName == w.strName) {
        c = &r;
        break;
      }
    }
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->strReading, w.strReading);
    for (int n = 0; n < 7; ++n) EXPECT_EQ(c->strNumber[n], w.strNumber[n]) << n;
    for (int n = 0; n < 2; ++n) EXPECT_EQ(c->strEmail[n], w.strEmail[n]) << n;
    for (int n = 0; n < 2; ++n) EXPECT_EQ(c->strText[n], w.strText[n]) << n;
    EXPECT_EQ(c->bGroup, w.bGroup);
    // A card carries no light, picture or melody; the CSV file has a column for each.
    if (csv) {
      EXPECT_EQ(c->bChoice, w.bChoice);
      EXPECT_EQ(c->dwPictureId, w.dwPictureId);
      EXPECT_EQ(c->dwMelodyId, w.dwMelodyId);
    }
  }
}

void ExpectSameSchedule(const std::vector<PA_SCHEDULE_INFO>& want, const std::vector<PA_SCHEDULE_INFO>& got) {
  EXPECT_EQ(got.size(), want.size());
  for (const PA_SCHEDULE_INFO& w : want) {
    SCOPED_TRACE(static_cast<LPCSTR>(w.strDescription));
    const PA_SCHEDULE_INFO* e = Described(got, w.strDescription);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->tmStart, w.tmStart);
    EXPECT_EQ(e->bRepeat, w.bRepeat);
    EXPECT_EQ(e->bAlarm, w.bAlarm);
    EXPECT_EQ(e->bPrivate, w.bPrivate);
    if (w.bAlarm) {
      EXPECT_EQ(e->dwMelodyId, w.dwMelodyId);
    }
  }
}

void ExpectSameToDo(const std::vector<PA_TODO_INFO>& want, const std::vector<PA_TODO_INFO>& got) {
  EXPECT_EQ(got.size(), want.size());
  for (const PA_TODO_INFO& w : want) {
    SCOPED_TRACE(static_cast<LPCSTR>(w.strDescription));
    const PA_TODO_INFO* t = Described(got, w.strDescription);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->tmStart, w.tmStart);
    EXPECT_EQ(t->tmDue, w.tmDue);
    EXPECT_EQ(t->bPriority, w.bPriority);
    EXPECT_EQ(t->bCategory, w.bCategory);
    EXPECT_EQ(t->bPrivate, w.bPrivate);
  }
}

}  // namespace phone_records
