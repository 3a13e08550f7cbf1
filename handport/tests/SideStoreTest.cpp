// The store sides: records put into a slot and taken out again, slots copied from one side to the
// other and back, empty and out-of-range slots, the range checks of the resource caches, the main
// folder table, and the process-wide objects the library builds when it is loaded.
#include "Library.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>

#include <base/ScopedTimeZone.h>
#include <kernel/Wait.h>

#include <gtest/gtest.h>

#include <functional>

namespace {

PA_PHONEBOOK_INFO FullContact() {
  PA_PHONEBOOK_INFO contact;
  contact.strName = "Ana L\xC3\xBA" "cia";
  contact.strReading = "\xE3\x82\xA2\xE3\x83\x8A";
  const char* numbers[] = {"+4930123456", "0123#", "1P*?", "555", "", "99", "+1"};
  for (int i = 0; i < 7; ++i) contact.strNumber[i] = numbers[i];
  contact.strEmail[0] = "ana@example.org";
  contact.strEmail[1] = "a.l@example.net";
  contact.strText[0] = "Stra\xC3\x9F" "e 5";
  contact.strText[1] = "5 \xE2\x82\xAC";
  contact.bGroup = 5;
  contact.bChoice = 3;
  contact.dwPictureId = 44;
  contact.dwMelodyId = 7;
  return contact;
}

// Fields the stores do not keep, set to values no store writes.
template <class Record>
void MarkCarried(Record& record) {
  record.dwReserved1 = 0xA1A1A1A1;
  record.dwReserved2 = 0xA2A2A2A2;
  record.bReserved3 = 0xA3;
}

void ExpectSameContact(const PA_PHONEBOOK_INFO& got, const PA_PHONEBOOK_INFO& put) {
  EXPECT_EQ(got.bValid, 1);
  EXPECT_STREQ(got.strName, put.strName);
  EXPECT_STREQ(got.strReading, put.strReading);
  for (int i = 0; i < 7; ++i) EXPECT_STREQ(got.strNumber[i], put.strNumber[i]) << i;
  for (int i = 0; i < 2; ++i) {
    EXPECT_STREQ(got.strEmail[i], put.strEmail[i]) << i;
    EXPECT_STREQ(got.strText[i], put.strText[i]) << i;
  }
  EXPECT_EQ(got.bGroup, put.bGroup);
  EXPECT_EQ(got.bChoice, put.bChoice);
  EXPECT_EQ(got.dwPictureId, put.dwPictureId);
  EXPECT_EQ(got.dwMelodyId, put.dwMelodyId);
}

PA_SCHEDULE_INFO FullEntry() {
  PA_SCHEDULE_INFO entry;
  entry.strDescription = "Zahnarzt \xC3\xBC";
  entry.tmStart = CTime(2010, 5, 6, 7, 8, 0);
  entry.bAlarm = 1;
  entry.bRepeat = 2;
  entry.bPrivate = 1;
  entry.dwMelodyId = 9;
  entry.strMelodyName = "Sounds\\ring.mid";
  return entry;
}

PA_TODO_INFO FullItem() {
  PA_TODO_INFO item;
  item.strDescription = "Steuer";
  item.tmStart = CTime(2012, 1, 2, 0, 0, 0);
  item.tmDue = CTime(2012, 2, 3, 0, 0, 0);
  item.bStatus = 1;
  item.bPriority = 2;
  item.bCategory = 1;
  item.bPrivate = 1;
  return item;
}

class SideStoreTest : public testing::Test {
 protected:
  // Three sides: the PC side, the phone side, and a PC side that only ever receives.
  void UseExtendedLayouts() {
    for (CSideStore* side : {&pc, &phone, &pcAgain}) side->UseExtendedLayouts();
  }

  tolvar::testing::ScopedTimeZone zone{"Europe/Berlin"};
  CLinkEngine engine;
  CSideStore pc{engine};
  CSideStore phone{engine};
  CSideStore pcAgain{engine};
};

TEST_F(SideStoreTest, AContactGoesToThePhoneSideAndBackWithEveryFieldTheStoresKeep) {
  const PA_PHONEBOOK_INFO put = FullContact();
  ASSERT_EQ(pc.PutContact(123, &put), PA_OK);
  ASSERT_TRUE(phone.CopyFrom(pc, RecordKind::Contacts, 123));
  ASSERT_TRUE(pcAgain.CopyFrom(phone, RecordKind::Contacts, 123));
  PA_PHONEBOOK_INFO got;
  MarkCarried(got);
  got.strReserved1 = "mine";
  got.dwReserved8 = 0xA8A8A8A8;
  ASSERT_EQ(pcAgain.GetContact(123, &got), PA_OK);
  ExpectSameContact(got, put);
  // What the stores do not keep is the caller's, untouched by a Get.
  EXPECT_EQ(got.dwReserved1, 0xA1A1A1A1u);
  EXPECT_EQ(got.bReserved3, 0xA3);
  EXPECT_STREQ(got.strReserved1, "mine");
  EXPECT_EQ(got.dwReserved8, 0xA8A8A8A8u);
}

TEST_F(SideStoreTest, ScheduleAndToDoRecordsGoBothWaysInEitherLayout) {
  for (const bool extended : {false, true}) {
    SCOPED_TRACE(extended);
    if (extended) UseExtendedLayouts();
    PA_SCHEDULE_INFO entry = FullEntry();
    if (extended) entry.strDescription = CString('d', 200);  // beyond the standard 64
    ASSERT_EQ(pc.PutSchedule(599, &entry), PA_OK);
    ASSERT_TRUE(phone.CopyFrom(pc, RecordKind::Schedule, 599));
    ASSERT_TRUE(pcAgain.CopyFrom(phone, RecordKind::Schedule, 599));
    PA_SCHEDULE_INFO gotEntry;
    MarkCarried(gotEntry);
    ASSERT_EQ(pcAgain.GetSchedule(599, &gotEntry), PA_OK);
    EXPECT_EQ(gotEntry.bValid, 1);
    EXPECT_STREQ(gotEntry.strDescription, entry.strDescription);
    EXPECT_EQ(gotEntry.tmStart, entry.tmStart);
    EXPECT_EQ(gotEntry.bAlarm, 1);
    EXPECT_EQ(gotEntry.bRepeat, 2);
    EXPECT_EQ(gotEntry.bPrivate, 1);
    EXPECT_EQ(gotEntry.dwMelodyId, 9u);
    EXPECT_STREQ(gotEntry.strMelodyName, "Sounds\\ring.mid");  // kept on the PC sides, copied with the slot
    EXPECT_EQ(gotEntry.dwReserved1, 0xA1A1A1A1u);

    const PA_TODO_INFO item = FullItem();
    ASSERT_EQ(pc.PutToDo(99, &item), PA_OK);
    ASSERT_TRUE(phone.CopyFrom(pc, RecordKind::ToDo, 99));
    ASSERT_TRUE(pcAgain.CopyFrom(phone, RecordKind::ToDo, 99));
    PA_TODO_INFO gotItem;
    MarkCarried(gotItem);
    gotItem.bPriority = gotItem.bCategory = gotItem.bPrivate = 0x77;
    ASSERT_EQ(pcAgain.GetToDo(99, &gotItem), PA_OK);
    EXPECT_STREQ(gotItem.strDescription, "Steuer");
    EXPECT_EQ(gotItem.tmStart, item.tmStart);
    EXPECT_EQ(gotItem.tmDue, item.tmDue);
    EXPECT_EQ(gotItem.bStatus, 1);
    // The standard layout has no priority, category or private mark: they stay the caller's.
    EXPECT_EQ(gotItem.bPriority, extended ? 2 : 0x77);
    EXPECT_EQ(gotItem.bCategory, extended ? 1 : 0x77);
    EXPECT_EQ(gotItem.bPrivate, extended ? 1 : 0x77);
    EXPECT_EQ(gotItem.dwReserved2, 0xA2A2A2A2u);
  }
}

// A field that cannot be stored whole fails the put, which the caller sees, and the slot keeps
// what it held: an e-mail of 65 bytes used to be stored empty with the put answering 0.
TEST_F(SideStoreTest, APutWithAFieldItsStoreCannotKeepWholeStoresNothing) {
  const PA_PHONEBOOK_INFO kept = FullContact();
  struct ContactCase {
    const char* name;
    void (*spoil)(PA_PHONEBOOK_INFO&);
  };
  const ContactCase contacts[] = {
      {"an e-mail of 65 bytes", [](PA_PHONEBOOK_INFO& c) { c.strEmail[1] = CString('e', 65); }},
      {"a text of 66 bytes", [](PA_PHONEBOOK_INFO& c) { c.strText[0] = CString('t', 66); }},
      {"a name of 40 characters", [](PA_PHONEBOOK_INFO& c) { c.strName = CString('n', 40); }},
      {"group 20", [](PA_PHONEBOOK_INFO& c) { c.bGroup = 20; }},
      {"choice 15", [](PA_PHONEBOOK_INFO& c) { c.bChoice = 15; }},
  };
  for (const ContactCase& c : contacts) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(pc.PutContact(9, &kept), PA_OK);
    PA_PHONEBOOK_INFO spoilt = FullContact();
    c.spoil(spoilt);
    EXPECT_EQ(pc.PutContact(9, &spoilt), PA_EMPTY_SLOT);
    PA_PHONEBOOK_INFO got;
    ASSERT_EQ(pc.GetContact(9, &got), PA_OK);
    ExpectSameContact(got, kept);
    // An empty slot stays empty.
    EXPECT_EQ(pc.PutContact(10, &spoilt), PA_EMPTY_SLOT);
    EXPECT_EQ(pc.GetContact(10, &got), PA_EMPTY_SLOT);
  }

  const PA_SCHEDULE_INFO entry = FullEntry();
  ASSERT_EQ(pc.PutSchedule(4, &entry), PA_OK);
  for (const bool tooLong : {true, false}) {
    PA_SCHEDULE_INFO spoilt = FullEntry();
    spoilt.strMelodyName = "other.mid";
    if (tooLong) spoilt.strDescription = CString('d', 65);
    else spoilt.tmStart = CTime(2000, 12, 31, 23, 0, 0);
    EXPECT_EQ(pc.PutSchedule(4, &spoilt), PA_EMPTY_SLOT) << tooLong;
    PA_SCHEDULE_INFO got;
    ASSERT_EQ(pc.GetSchedule(4, &got), PA_OK);
    EXPECT_STREQ(got.strDescription, entry.strDescription);
    EXPECT_EQ(got.tmStart, entry.tmStart);
    EXPECT_STREQ(got.strMelodyName, entry.strMelodyName);
    EXPECT_EQ(pc.PutSchedule(5, &spoilt), PA_EMPTY_SLOT);
    EXPECT_EQ(pc.GetSchedule(5, &got), PA_EMPTY_SLOT);
  }

  const PA_TODO_INFO item = FullItem();
  ASSERT_EQ(pc.PutToDo(4, &item), PA_OK);
  PA_TODO_INFO spoilt = FullItem();
  spoilt.strDescription = "changed";
  spoilt.tmDue = CTime(2021, 1, 1, 0, 0, 0);
  EXPECT_EQ(pc.PutToDo(4, &spoilt), PA_EMPTY_SLOT);
  PA_TODO_INFO got;
  ASSERT_EQ(pc.GetToDo(4, &got), PA_OK);
  EXPECT_STREQ(got.strDescription, "Steuer");
  EXPECT_EQ(got.tmDue, item.tmDue);

  PA_GROUP_INFO group;
  group.strName = "Family";
  ASSERT_EQ(pc.PutGroup(2, &group), PA_OK);
  PA_GROUP_INFO longName;
  longName.strName = CString('g', 42);
  EXPECT_EQ(pc.PutGroup(2, &longName), PA_EMPTY_SLOT);
  ASSERT_EQ(pc.GetGroup(2, &group), PA_OK);
  EXPECT_STREQ(group.strName, "Family");
}

// A refused put names the field to change in the thread's last error (the first refused one in the
// record's order), and still answers PA_EMPTY_SLOT.
TEST_F(SideStoreTest, ARefusedPutNamesItsFieldInTheLastError) {
  struct Case {
    const char* field;
    std::function<PA_RESULT(CSideStore&)> put;
    DWORD error;
  };
  auto contact = [](auto spoil) {
    return [spoil](CSideStore& side) {
      PA_PHONEBOOK_INFO record = FullContact();
      spoil(record);
      return side.PutContact(7, &record);
    };
  };
  const CString tooLong('x', 70);
  const Case cases[] = {
      {"name", contact([&](PA_PHONEBOOK_INFO& c) { c.strName = tooLong; }), ERROR_PA_PUT_NAME},
      {"reading", contact([&](PA_PHONEBOOK_INFO& c) { c.strReading = tooLong; }), ERROR_PA_PUT_READING},
      {"number 1", contact([&](PA_PHONEBOOK_INFO& c) { c.strNumber[0] = CString('1', 60); }), PutNumberError(1)},
      {"number 7", contact([&](PA_PHONEBOOK_INFO& c) { c.strNumber[6] = CString('7', 60); }), PutNumberError(7)},
      {"e-mail 1", contact([&](PA_PHONEBOOK_INFO& c) { c.strEmail[0] = tooLong; }), PutEmailError(1)},
      {"e-mail 2", contact([&](PA_PHONEBOOK_INFO& c) { c.strEmail[1] = tooLong; }), PutEmailError(2)},
      {"text 1", contact([&](PA_PHONEBOOK_INFO& c) { c.strText[0] = tooLong; }), PutTextError(1)},
      {"text 2", contact([&](PA_PHONEBOOK_INFO& c) { c.strText[1] = tooLong; }), PutTextError(2)},
      {"group number", contact([](PA_PHONEBOOK_INFO& c) { c.bGroup = 20; }), ERROR_PA_PUT_VALUE},
      {"the first of two", contact([&](PA_PHONEBOOK_INFO& c) { c.strText[1] = c.strNumber[2] = tooLong; }),
       PutNumberError(3)},
      {"group name",
       [&](CSideStore& side) {
         PA_GROUP_INFO group;
         group.strName = tooLong;
         return side.PutGroup(2, &group);
       },
       ERROR_PA_PUT_GROUP_NAME},
      {"schedule description",
       [&](CSideStore& side) {
         PA_SCHEDULE_INFO entry = FullEntry();
         entry.strDescription = tooLong;
         return side.PutSchedule(3, &entry);
       },
       ERROR_PA_PUT_DESCRIPTION},
      {"schedule start",
       [](CSideStore& side) {
         PA_SCHEDULE_INFO entry = FullEntry();
         entry.tmStart = CTime(2000, 12, 31, 23, 0, 0);
         return side.PutSchedule(3, &entry);
       },
       ERROR_PA_PUT_START},
      {"to-do description",
       [&](CSideStore& side) {
         PA_TODO_INFO item = FullItem();
         item.strDescription = tooLong;
         return side.PutToDo(3, &item);
       },
       ERROR_PA_PUT_DESCRIPTION},
      {"to-do due",
       [](CSideStore& side) {
         PA_TODO_INFO item = FullItem();
         item.tmDue = CTime(2021, 1, 1, 0, 0, 0);
         return side.PutToDo(3, &item);
       },
       ERROR_PA_PUT_DUE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    SetLastError(0);
    EXPECT_EQ(c.put(pc), PA_EMPTY_SLOT);
    EXPECT_EQ(GetLastError(), c.error) << std::hex << GetLastError();
  }
}

TEST_F(SideStoreTest, EmptyAndOutOfRangeSlotsAndMissingRecords) {
  PA_PHONEBOOK_INFO contact;
  contact.bValid = 1;
  contact.strName = "left alone";
  EXPECT_EQ(pc.GetContact(0, &contact), PA_EMPTY_SLOT);
  EXPECT_EQ(contact.bValid, 0);
  EXPECT_STREQ(contact.strName, "left alone");
  EXPECT_EQ(pc.GetContact(500, &contact), PA_OUT_OF_RANGE);
  EXPECT_EQ(pc.GetContact(-1, &contact), PA_OUT_OF_RANGE);
  EXPECT_EQ(pc.GetContact(0, nullptr), PA_EMPTY_SLOT);
  EXPECT_EQ(pc.PutContact(0, nullptr), PA_EMPTY_SLOT);
  EXPECT_EQ(pc.GetContact(0, &contact), PA_EMPTY_SLOT);  // the null Put stored nothing

  const struct {
    RecordKind kind;
    int first, last;
  } ranges[] = {{RecordKind::Groups, 1, 19}, {RecordKind::Contacts, 0, 499}, {RecordKind::Schedule, 0, 599},
                {RecordKind::ToDo, 0, 99}};
  for (const auto& range : ranges) {
    EXPECT_TRUE(pc.IsValidSlot(range.kind, range.first));
    EXPECT_TRUE(pc.IsValidSlot(range.kind, range.last));
    EXPECT_FALSE(pc.IsValidSlot(range.kind, range.first - 1));
    EXPECT_FALSE(pc.IsValidSlot(range.kind, range.last + 1));
    EXPECT_EQ(pc.RemoveRecord(range.kind, range.last + 1), PA_OUT_OF_RANGE);
    BYTE exists = 1;
    EXPECT_FALSE(pc.Exists(range.kind, range.last + 1, exists));
    EXPECT_EQ(exists, 0);
    EXPECT_FALSE(pc.CopyFrom(phone, range.kind, range.last + 1));
  }
  PA_GROUP_INFO group;
  EXPECT_EQ(pc.GetGroup(0, &group), PA_OUT_OF_RANGE);
  EXPECT_EQ(pc.PutGroup(20, &group), PA_OUT_OF_RANGE);
}

TEST_F(SideStoreTest, AnEmptySourceSlotEmptiesTheSlotItIsCopiedTo) {
  const PA_PHONEBOOK_INFO contact = FullContact();
  ASSERT_EQ(pcAgain.PutContact(7, &contact), PA_OK);
  ASSERT_TRUE(pcAgain.CopyFrom(phone, RecordKind::Contacts, 7));
  BYTE exists = 1;
  ASSERT_TRUE(pcAgain.Exists(RecordKind::Contacts, 7, exists));
  EXPECT_EQ(exists, 0);

  // A group whose name is empty is no group.
  PA_GROUP_INFO named{1, "Family"};
  PA_GROUP_INFO unnamed{1, ""};
  ASSERT_EQ(phone.PutGroup(3, &unnamed), PA_OK);
  ASSERT_EQ(pc.PutGroup(3, &named), PA_OK);
  ASSERT_TRUE(pc.CopyFrom(phone, RecordKind::Groups, -1));
  PA_GROUP_INFO got{1, "x"};
  EXPECT_EQ(pc.GetGroup(3, &got), PA_EMPTY_SLOT);
  EXPECT_EQ(got.bExists, 0);
}

TEST_F(SideStoreTest, AWholeCopyCarriesEverySlotAndEmptiesTheRest) {
  const PA_PHONEBOOK_INFO contact = FullContact();
  const PA_SCHEDULE_INFO entry = FullEntry();
  for (const int slot : {0, 250, 499}) ASSERT_EQ(phone.PutContact(slot, &contact), PA_OK);
  for (const int slot : {3, 598}) ASSERT_EQ(phone.PutSchedule(slot, &entry), PA_OK);
  PA_GROUP_INFO group{1, "Friends"};
  ASSERT_EQ(phone.PutGroup(19, &group), PA_OK);
  ASSERT_EQ(pc.PutContact(100, &contact), PA_OK);  // not on the phone side: gone after the copy

  for (const RecordKind kind : {RecordKind::Groups, RecordKind::Contacts, RecordKind::Schedule, RecordKind::ToDo}) {
    ASSERT_TRUE(pc.CopyFrom(phone, kind, -1));
  }
  for (int slot = 0; slot < 500; ++slot) {
    BYTE exists = 0;
    ASSERT_TRUE(pc.Exists(RecordKind::Contacts, slot, exists));
    EXPECT_EQ(exists, slot == 0 || slot == 250 || slot == 499 ? 1 : 0) << slot;
  }
  PA_PHONEBOOK_INFO got;
  ASSERT_EQ(pc.GetContact(499, &got), PA_OK);
  ExpectSameContact(got, contact);
  PA_SCHEDULE_INFO gotEntry;
  ASSERT_EQ(pc.GetSchedule(598, &gotEntry), PA_OK);
  EXPECT_STREQ(gotEntry.strMelodyName, entry.strMelodyName);
  EXPECT_EQ(pc.GetSchedule(597, &gotEntry), PA_EMPTY_SLOT);
  PA_GROUP_INFO gotGroup;
  ASSERT_EQ(pc.GetGroup(19, &gotGroup), PA_OK);
  EXPECT_STREQ(gotGroup.strName, "Friends");

  // Emptied the other way: one slot, then all.
  ASSERT_TRUE(phone.EmptySlots(RecordKind::Contacts, 250));
  BYTE exists = 1;
  phone.Exists(RecordKind::Contacts, 250, exists);
  EXPECT_EQ(exists, 0);
  ASSERT_TRUE(phone.EmptySlots(RecordKind::Schedule, -1));
  phone.Exists(RecordKind::Schedule, 3, exists);
  EXPECT_EQ(exists, 0);
  EXPECT_EQ(pc.RemoveRecord(RecordKind::Groups, 19), PA_OK);
  EXPECT_EQ(pc.GetGroup(19, &gotGroup), PA_EMPTY_SLOT);
}

TEST_F(SideStoreTest, ResourceTypesOutsideTheTableAreRefusedAndTouchNothing) {
  PA_RESOURCE_INFO records[2];
  records[0].strDisplayName = "b";
  records[1].strDisplayName = "a";
  ASSERT_EQ(pc.PutResourceList(1, records), PA_OK);
  for (const int type : {-1, 3, 0xFFFF}) {
    SCOPED_TRACE(type);
    int count = 99;
    EXPECT_EQ(pc.CountResources(type, count), PA_OUT_OF_RANGE);
    EXPECT_EQ(count, 99);
    EXPECT_EQ(pc.GetResourceList(type, records), PA_OUT_OF_RANGE);
    EXPECT_EQ(pc.PutResourceList(type, records), PA_OUT_OF_RANGE);
    EXPECT_EQ(pc.PutResourceInfo(type, records[0], 0xFFFFFFFF), PA_OUT_OF_RANGE);
    EXPECT_EQ(pc.ClearResourceInfo(type), PA_OUT_OF_RANGE);
  }
  int count = 0;
  ASSERT_EQ(pc.CountResources(1, count), PA_OK);
  EXPECT_EQ(count, 2);
  PA_RESOURCE_INFO got[2];
  ASSERT_EQ(pc.GetResourceList(1, got), PA_OK);
  EXPECT_STREQ(got[0].strDisplayName, "a");
  ASSERT_EQ(pc.PutResourceInfo(1, records[0], 0xFFFFFFFF), PA_OK);
  ASSERT_EQ(pc.CountResources(1, count), PA_OK);
  EXPECT_EQ(count, 3);
  ASSERT_EQ(pc.ClearResourceInfo(1), PA_OK);
  ASSERT_EQ(pc.CountResources(1, count), PA_OK);
  EXPECT_EQ(count, 0);
}

TEST(ResourceTypeTableTest, MainFoldersAreGivenOnlyWithinTheFoldersInUse) {
  CResourceTypeTable table;
  PA_FOLDER_INFO folder;
  ASSERT_EQ(table.GetMainFolder(0, 2, folder), PA_MS_OK);
  EXPECT_STREQ(folder.strName, "");  // built empty; the manager fills it
  table.Fill();
  const struct {
    int index;
    const char* name;
  } entries[] = {{0, "Pictures"}, {1, "Sounds"}, {2, "Movies"}};
  for (const auto& entry : entries) {
    ASSERT_EQ(table.GetMainFolder(entry.index, 3, folder), PA_MS_OK);
    EXPECT_EQ(folder.dwType, static_cast<DWORD>(entry.index));
    EXPECT_EQ(folder.dwNumber, static_cast<DWORD>(entry.index));  // the number its files are listed by
    EXPECT_STREQ(folder.strName, entry.name);
    EXPECT_EQ(folder.lFolderId, -1);
  }
  folder.strName = "kept";
  EXPECT_EQ(table.GetMainFolder(2, 2, folder), PA_MS_OUT_OF_RANGE);
  EXPECT_EQ(table.GetMainFolder(-1, 3, folder), PA_MS_OUT_OF_RANGE);
  EXPECT_EQ(table.GetMainFolder(3, 4, folder), PA_MS_OUT_OF_RANGE);  // never past the table
  EXPECT_STREQ(folder.strName, "kept");
}

TEST(LibraryTest, TheLoadedLibraryHoldsTwoEmptySidesAndItsDefaults) {
  ASSERT_NE(&PrivateStore(), &MSStore());
  for (CSideStore* side : {&PrivateStore(), &MSStore()}) {
    BYTE exists = 1;
    ASSERT_TRUE(side->Exists(RecordKind::Contacts, 0, exists));
    EXPECT_EQ(exists, 0);
    EXPECT_FALSE(side->UsesExtendedLayouts());
    EXPECT_EQ(side->Messages().Count(), 0);
    EXPECT_EQ(side->Mails().Count(), 0);
    EXPECT_EQ(side->Resources().GetCount(RESOURCE_PICTURES), 0);
    EXPECT_EQ(WaitForSingleObject(side->Phone().GetCancelEvent(), 0), WAIT_TIMEOUT);
  }
  EXPECT_NE(PrivateStore().Phone().GetCancelEvent(), MSStore().Phone().GetCancelEvent());
  EXPECT_STREQ(TheLinkEngine().ModelCode(), "00126");
  EXPECT_FALSE(TheLinkEngine().IsLinkOpen());
  const CLibrarySettings& settings = LibrarySettings();
  EXPECT_EQ(settings.commsTimeOut, 5000u);
  EXPECT_EQ(settings.europeanSupport, 0u);
  EXPECT_EQ(settings.resetSupport, 0u);
  EXPECT_EQ(settings.mainFolderCount, 2);
  EXPECT_TRUE(settings.build.IsEmpty());
  EXPECT_EQ(settings.progress, nullptr);
}

}  // namespace
