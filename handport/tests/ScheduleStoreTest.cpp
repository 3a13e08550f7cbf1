// The schedule stores: each field's conversion to and from the phone's record in both layouts,
// and the transfers of the used flags and the ten-slot blocks against a scripted phone.
#include "ScheduleStore.h"

#include "LinkEngine.h"
#include "support/FlashFilePhone.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/ScopedTimeZone.h>
#include <kernel/Object.h>
#include <kernel/Sync.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<CScheduleStore> MakeStore(bool extended) {
  if (extended) return std::make_unique<CScheduleStoreEx>();
  return std::make_unique<CScheduleStore>();
}

std::vector<BYTE> Bytes(std::span<const BYTE> record) { return {record.begin(), record.end()}; }

class ScheduleFields : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    store = MakeStore(GetParam());
    ASSERT_EQ(store->Select(7), 1);
  }
  std::size_t D() const { return GetParam() ? 257 : 65; }  // the description field's size
  std::vector<BYTE> Record() const { return Bytes(store->SlotRecord(7)); }

  tolvar::testing::ScopedTimeZone zone{"Europe/Berlin"};
  std::unique_ptr<CScheduleStore> store;
};

TEST_P(ScheduleFields, RecordSizesAndTheSlotField) {
  EXPECT_EQ(store->RecordSize(), GetParam() ? 280u : 88u);
  // Selecting writes the slot number into the record's own slot field.
  ASSERT_EQ(store->Select(513), 1);
  EXPECT_EQ(store->SlotRecord(513)[D() + 19], 513 & 0xFF);
  EXPECT_EQ(store->SlotRecord(513)[D() + 20], 513 >> 8);
  EXPECT_EQ(store->Select(600), 0);
  EXPECT_EQ(GetLastError(), ERROR_SCHEDULE_BAD_SLOT);
  EXPECT_EQ(store->Select(-1), 0);
  EXPECT_EQ(store->SelectedSlot(), 513);
}

// Each setter's value, the bytes it leaves in the record and the value read back.
TEST_P(ScheduleFields, EachFieldConvertsBothWays) {
  struct Case {
    const char* name;
    std::function<int(CScheduleStore&)> set;
    std::size_t at;                 // offset after the description
    std::vector<BYTE> bytes;        // expected there
    std::function<void(const CScheduleStore&)> check;
  };
  const Case cases[] = {
      {"alarm on", [](CScheduleStore& s) { return s.SetAlarm(1); }, 11, {0x80},
       [](const CScheduleStore& s) { EXPECT_EQ(s.GetAlarm(), 1); }},
      {"alarm off", [](CScheduleStore& s) { return s.SetAlarm(0); }, 11, {0x00},
       [](const CScheduleStore& s) { EXPECT_EQ(s.GetAlarm(), 0); }},
      {"repeat monthly", [](CScheduleStore& s) { return s.SetRepeat(3); }, 12, {0x03},
       [](const CScheduleStore& s) { EXPECT_EQ(s.GetRepeat(), 3); }},
      {"private keeps the repeat", [](CScheduleStore& s) { return s.SetRepeat(2) && s.SetPrivate(1); }, 12, {0x82},
       [](const CScheduleStore& s) {
         EXPECT_EQ(s.GetRepeat(), 2);
         EXPECT_EQ(s.GetPrivate(), 1);
       }},
      {"a repeat of 5 reads as once", [](CScheduleStore& s) { return s.SetRepeat(5) && s.SetPrivate(1); }, 12, {0x85},
       [](const CScheduleStore& s) {
         EXPECT_EQ(s.GetRepeat(), 0);
         EXPECT_EQ(s.GetPrivate(), 1);
       }},
      {"melody id", [](CScheduleStore& s) { return s.SetMelodyId(0x12345678); }, 15, {0x78, 0x56, 0x34, 0x12},
       [](const CScheduleStore& s) { EXPECT_EQ(s.GetMelodyId(), 0x12345678u); }},
      {"start, to the minute", [](CScheduleStore& s) { return s.SetStart(CTime(2005, 7, 27, 14, 30, 45)); }, 3,
       {0xD5, 0x07, 7, 27, 14, 30},
       [](const CScheduleStore& s) { EXPECT_EQ(s.GetStart(), CTime(2005, 7, 27, 14, 30, 0)); }},
      {"last minute of the window", [](CScheduleStore& s) { return s.SetStart(CTime(2020, 12, 31, 23, 59, 0)); }, 3,
       {0xE4, 0x07, 12, 31, 23, 59},
       [](const CScheduleStore& s) { EXPECT_EQ(s.GetStart(), CTime(2020, 12, 31, 23, 59, 0)); }},
      {"first minute of the window", [](CScheduleStore& s) { return s.SetStart(CTime(2001, 1, 1, 0, 0, 0)); }, 3,
       {0xD1, 0x07, 1, 1, 0, 0},
       [](const CScheduleStore& s) { EXPECT_EQ(s.GetStart(), CTime(2001, 1, 1, 0, 0, 0)); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(store->ClearSlot(), 1);
    ASSERT_EQ(c.set(*store), 1);
    EXPECT_TRUE(store->IsUsed());
    const std::vector<BYTE> record = Record();
    EXPECT_EQ(std::vector<BYTE>(record.begin() + D() + c.at, record.begin() + D() + c.at + c.bytes.size()), c.bytes);
    c.check(*store);
  }
}

TEST_P(ScheduleFields, DescriptionsUpToTheFieldAndNoFurther) {
  const int units = GetParam() ? 256 : 64;
  struct Case {
    std::string text;
    bool stored;
  };
  const Case cases[] = {
      {std::string(units, 'a'), true},
      {std::string(units + 1, 'a'), false},               // one unit too many
      {std::string(units / 2, '[') , true},               // extension characters cost two units
      {std::string(units / 2 + 1, '['), false},
      // "ä" costs one unit but two bytes: within the units, past the field.
      {[&] { std::string s; for (std::size_t i = 0; i < D() / 2 + 1; ++i) s += "\xC3\xA4"; return s; }(), false},
      {[&] { std::string s(D() % 2, 'x'); for (std::size_t i = 0; i < D() / 2; ++i) s += "\xC3\xA4"; return s; }(),
       true},  // fills the field to its last byte
      {"", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(store->Select(8), 1);
    ASSERT_EQ(store->SetDescription("neighbour"), 1);
    const std::vector<BYTE> neighbour = Bytes(store->SlotRecord(8));
    ASSERT_EQ(store->Select(7), 1);
    ASSERT_EQ(store->SetDescription("before"), 1);
    ASSERT_EQ(store->SetStart(CTime(2010, 1, 1, 0, 0, 0)), 1);
    const std::vector<BYTE> before = Record();
    SetLastError(0);
    EXPECT_EQ(store->SetDescription(c.text.c_str()), c.stored ? 1 : 0);
    if (c.stored) {
      EXPECT_STREQ(store->GetDescription(), c.text.c_str());
    } else {
      EXPECT_EQ(GetLastError(), ERROR_DESCRIPTION_TOO_LONG);
      EXPECT_EQ(Record(), before);
    }
    // Nothing past the field moved, here or in the next slot.
    const std::vector<BYTE> after = Record();
    EXPECT_EQ(std::vector<BYTE>(after.begin() + D(), after.end()), std::vector<BYTE>(before.begin() + D(), before.end()));
    EXPECT_EQ(Bytes(store->SlotRecord(8)), neighbour);
  }
}

TEST_P(ScheduleFields, StartsOutsideTheWindowAreRefusedAndChangeNothing) {
  ASSERT_EQ(store->SetStart(CTime(2010, 6, 1, 12, 0, 0)), 1);
  const std::vector<BYTE> before = Record();
  EXPECT_EQ(store->SetStart(CTime(2021, 1, 1, 0, 0, 0)), 0);
  EXPECT_EQ(GetLastError(), ERROR_SCHEDULE_TOO_LATE);
  EXPECT_EQ(store->SetStart(CTime(2000, 12, 31, 23, 59, 0)), 0);
  EXPECT_EQ(GetLastError(), ERROR_SCHEDULE_TOO_EARLY);
  EXPECT_EQ(Record(), before);
}

TEST_P(ScheduleFields, TheMelodyNameStaysOnThePcAndMarksNothing) {
  ASSERT_EQ(store->SetMelodyName("Bells"), 1);
  EXPECT_FALSE(store->IsUsed());
  EXPECT_STREQ(store->GetMelodyName(), "Bells");
  ASSERT_EQ(store->Select(8), 1);
  EXPECT_STREQ(store->GetMelodyName(), "");
}

INSTANTIATE_TEST_SUITE_P(Layouts, ScheduleFields, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Extended" : "Standard"; });

// --- transfers against the scripted phone ---

class ScheduleTransfer : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(service.Listening());
    ASSERT_EQ(engine.Connect(), 1);
    engine.SetTimeout(500);
    store = MakeStore(GetParam());
  }
  std::size_t RecordSize() const { return GetParam() ? 280 : 88; }

  // Puts entries with the given descriptions into `target`.
  static void Fill(CScheduleStore& target, const std::vector<std::pair<int, std::string>>& entries) {
    for (const auto& [slot, text] : entries) {
      ASSERT_EQ(target.Select(slot), 1);
      ASSERT_EQ(target.SetDescription(text.c_str()), 1);
      ASSERT_EQ(target.SetStart(CTime(2006, 5, 4, 10, 15, 0)), 1);
    }
  }
  // The phone keeps the records of a block written to it and drops the entries' melody names, so
  // the block reads back as ten bare records.
  void KeepRecordsOnly(int block) {
    const std::string file = phone.File(100, block);
    std::string records;
    std::size_t at = 0;
    for (int i = 0; i < 10; ++i) {
      ASSERT_LE(at + RecordSize() + 4, file.size());
      records += file.substr(at, RecordSize());
      const std::size_t length = static_cast<BYTE>(file[at + RecordSize()]) | static_cast<BYTE>(file[at + RecordSize() + 1]) << 8;
      at += length;
    }
    ASSERT_EQ(at, file.size());
    phone.SetFile(100, block, records);
  }
  static CString DescriptionOf(CScheduleStore& target, int slot) {
    target.Select(slot);
    return target.IsUsed() ? target.GetDescription() : CString("(empty)");
  }

  FakeLinkService service;
  FlashFilePhone phone{service};
  CLinkEngine engine{service.Address()};
  std::unique_ptr<CScheduleStore> store;
};

TEST_P(ScheduleTransfer, OnlyBlocksWithEntriesAreWrittenAndRead) {
  Fill(*store, {{0, "first"}, {598, "last"}});
  ASSERT_EQ(store->Upload(nullptr, engine, -1, -1), 1) << std::hex << GetLastError();
  EXPECT_EQ(phone.Commands("InitFFSWrite"),
            (std::vector<std::string>{"InitFFSWrite,99,3,600",
                                      "InitFFSWrite,100,0," + std::to_string(10 * (RecordSize() + 4)),
                                      "InitFFSWrite,100,59," + std::to_string(10 * (RecordSize() + 4))}));
  EXPECT_EQ(phone.Commands("ScheduleInit").size(), 1u);
  EXPECT_EQ(phone.Commands("SetFunctionTest").size(), 1u);

  KeepRecordsOnly(0);
  KeepRecordsOnly(59);
  phone.ClearCommands();
  auto copy = MakeStore(GetParam());
  ASSERT_EQ(copy->Download(nullptr, engine, -1, -1), 1) << std::hex << GetLastError();
  EXPECT_EQ(phone.Commands("FFSRead"), (std::vector<std::string>{"FFSRead,99,3", "FFSRead,100,0", "FFSRead,100,59"}));
  EXPECT_STREQ(DescriptionOf(*copy, 0), "first");
  EXPECT_STREQ(DescriptionOf(*copy, 598), "last");
  EXPECT_STREQ(DescriptionOf(*copy, 1), "(empty)");
}

TEST_P(ScheduleTransfer, BlockEntriesCarryTheMelodyNames) {
  CResourceCaches caches;
  PA_RESOURCE_INFO bells;
  bells.dwFileId = 77;
  bells.strDisplayName = "Bells";
  caches.InsertInOrder(RESOURCE_SOUNDS, bells);
  Fill(*store, {{3, "with melody"}, {4, "without"}});
  store->Select(3);
  store->SetMelodyId(77);
  store->Select(4);
  store->SetMelodyId(78);  // no such sound
  store->SetResourceLists(&caches);
  ASSERT_EQ(store->Upload(nullptr, engine, -1, -1), 1);
  const std::string file = phone.File(100, 0);
  ASSERT_EQ(file.size(), 10 * (RecordSize() + 4) + 5);
  auto u16 = [&](std::size_t at) { return static_cast<BYTE>(file[at]) | static_cast<BYTE>(file[at + 1]) << 8; };
  const std::size_t entry = RecordSize() + 4;
  EXPECT_EQ(u16(3 * entry + RecordSize()), static_cast<int>(RecordSize() + 4 + 5));
  EXPECT_EQ(u16(3 * entry + RecordSize() + 2), 5);
  EXPECT_EQ(file.substr(3 * entry + RecordSize() + 4, 5), "Bells");
  // After the named entry every offset is five bytes further on.
  EXPECT_EQ(u16(4 * entry + 5 + RecordSize()), static_cast<int>(RecordSize() + 4));  // 92 or 284
  EXPECT_EQ(u16(4 * entry + 5 + RecordSize() + 2), 0);
}

TEST_P(ScheduleTransfer, ASingleSlotDownloadReadsItsBlock) {
  std::string flags(600, '\0');
  flags[15] = 1;
  phone.SetFile(99, 3, flags);
  std::string records(10 * RecordSize(), 'r');
  records.replace(5 * RecordSize(), 3, std::string("abc") + '\0');
  phone.SetFile(100, 1, records);
  ASSERT_EQ(store->Download(nullptr, engine, 15, 15), 1) << std::hex << GetLastError();
  EXPECT_EQ(phone.Commands("FFSRead"), (std::vector<std::string>{"FFSRead,99,3", "FFSRead,100,1"}));
  EXPECT_STREQ(DescriptionOf(*store, 15), "abc");
}

TEST_P(ScheduleTransfer, AShortBlockFailsTheDownloadAndChangesNoSlot) {
  Fill(*store, {{10, "kept"}, {11, "kept too"}});
  const std::vector<BYTE> before = Bytes(store->SlotRecord(10));
  std::string flags(600, '\0');
  flags[10] = flags[11] = 1;
  phone.SetFile(99, 3, flags);
  phone.SetFile(100, 1, std::string(10 * RecordSize() - 1, 'x'));
  EXPECT_EQ(store->Download(nullptr, engine, -1, -1), 0);
  EXPECT_EQ(GetLastError(), ERROR_SCHEDULE_SHORT_BLOCK);
  EXPECT_EQ(Bytes(store->SlotRecord(10)), before);
  EXPECT_STREQ(DescriptionOf(*store, 11), "kept too");

  // A longer block gives its first ten records.
  std::string longer(10 * RecordSize() + 7, 'y');
  longer[0] = '\0';
  phone.SetFile(100, 1, longer);
  EXPECT_EQ(store->Download(nullptr, engine, -1, -1), 1);
  EXPECT_STREQ(DescriptionOf(*store, 10), "");
}

TEST_P(ScheduleTransfer, AFlagsFileOfAnotherSizeFailsBeforeAnyBlock) {
  phone.SetFile(99, 3, std::string(599, '\1'));
  EXPECT_EQ(store->Download(nullptr, engine, -1, -1), 0);
  EXPECT_EQ(GetLastError(), ERROR_SCHEDULE_BAD_FLAGS);
  EXPECT_EQ(phone.Commands("FFSRead"), (std::vector<std::string>{"FFSRead,99,3"}));
  phone.SetFile(99, 3, "");
  EXPECT_EQ(store->Download(nullptr, engine, 0, 9), 0);
  EXPECT_EQ(GetLastError(), ERROR_SCHEDULE_NO_FLAGS);
}

// Removing one entry: the phone-side store clears the slot and uploads just that slot.
TEST_P(ScheduleTransfer, APartialUploadChangesOnlyItsRangeOnThePhone) {
  Fill(*store, {{12, "twelve"}, {15, "fifteen"}, {40, "forty"}});
  ASSERT_EQ(store->Upload(nullptr, engine, -1, -1), 1);
  KeepRecordsOnly(1);

  // Another store that holds only slot 15 (as one that was never downloaded) removes it.
  auto other = MakeStore(GetParam());
  Fill(*other, {{15, "fifteen"}});
  other->Select(15);
  other->ClearSlot();
  phone.ClearCommands();
  ASSERT_EQ(other->Upload(nullptr, engine, 15, 15), 1) << std::hex << GetLastError();
  std::string flags = phone.File(99, 3);
  ASSERT_EQ(flags.size(), 600u);
  EXPECT_EQ(flags[15], 0) << "the removed entry stays on the phone";
  EXPECT_EQ(flags[12], 1);
  EXPECT_EQ(flags[40], 1);
  EXPECT_EQ(phone.Commands("InitFFSWrite"), (std::vector<std::string>{"InitFFSWrite,99,3,600"}));

  // Adding slot 16 from a store that does not know slot 12: slot 12 keeps the phone's record.
  // The one block the range lies in is read once, not as its first and again as its last.
  Fill(*other, {{16, "sixteen"}});
  phone.ClearCommands();
  ASSERT_EQ(other->Upload(nullptr, engine, 16, 16), 1) << std::hex << GetLastError();
  EXPECT_EQ(phone.Commands("FFSRead"), (std::vector<std::string>{"FFSRead,99,3", "FFSRead,100,1"}));
  flags = phone.File(99, 3);
  EXPECT_EQ(flags[16], 1);
  EXPECT_EQ(flags[12], 1);
  const std::string block = phone.File(100, 1);
  const std::size_t entry = RecordSize() + 4;
  const auto twelve = store->SlotRecord(12);
  EXPECT_EQ(block.substr(2 * entry, RecordSize()), std::string(twelve.begin(), twelve.end()));
  EXPECT_EQ(block.substr(6 * entry, 7), std::string("sixteen"));
}

TEST_P(ScheduleTransfer, ACancelStopsBeforeTheNextBlock) {
  Fill(*store, {{0, "a"}, {10, "b"}});
  HANDLE cancel = CreateEventA(nullptr, FALSE, TRUE, nullptr);
  EXPECT_EQ(store->Upload(cancel, engine, -1, -1), 0);
  EXPECT_EQ(GetLastError(), ERROR_PA_CANCELLED);
  EXPECT_FALSE(phone.Exists(100, 0));
  CloseHandle(cancel);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ScheduleTransfer, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Extended" : "Standard"; });

}  // namespace
