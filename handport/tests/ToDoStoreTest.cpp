// The to-do stores: each field's conversion in both layouts, and the transfers of the used flags
// and the ten-slot blocks against a scripted phone.
#include "ToDoStore.h"

#include "LinkEngine.h"
#include "support/FlashFilePhone.h"

#include <handport/PhoneErrors.h>

#include <base/LastError.h>
#include <base/ScopedTimeZone.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

std::unique_ptr<CToDoStore> MakeStore(bool extended) {
  if (extended) return std::make_unique<CToDoStoreEx>();
  return std::make_unique<CToDoStore>();
}

std::vector<BYTE> Bytes(std::span<const BYTE> record) { return {record.begin(), record.end()}; }

class ToDoFields : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    store = MakeStore(GetParam());
    ASSERT_EQ(store->Select(42), 1);
  }
  std::size_t D() const { return GetParam() ? 257 : 65; }
  std::vector<BYTE> Record() const { return Bytes(store->SlotRecord(42)); }

  tolvar::testing::ScopedTimeZone zone{"Europe/Berlin"};
  std::unique_ptr<CToDoStore> store;
};

TEST_P(ToDoFields, EachFieldConvertsBothWays) {
  EXPECT_EQ(store->RecordSize(), GetParam() ? 272u : 80u);
  struct Case {
    const char* name;
    std::function<int(CToDoStore&)> set;
    std::size_t at;
    std::vector<BYTE> bytes;
    std::function<void(const CToDoStore&)> check;
  };
  const Case cases[] = {
      {"start keeps the date only", [](CToDoStore& s) { return s.SetStart(CTime(2007, 10, 28, 23, 30, 0)); }, 3,
       {0xD7, 0x07, 10, 28}, [](const CToDoStore& s) { EXPECT_EQ(s.GetStart(), CTime(2007, 10, 28, 0, 0, 0)); }},
      {"due, last day of the window", [](CToDoStore& s) { return s.SetDue(CTime(2020, 12, 31, 23, 59, 59)); }, 7,
       {0xE4, 0x07, 12, 31}, [](const CToDoStore& s) { EXPECT_EQ(s.GetDue(), CTime(2020, 12, 31, 0, 0, 0)); }},
      {"due, first day of the window", [](CToDoStore& s) { return s.SetDue(CTime(2001, 1, 1, 0, 0, 0)); }, 7,
       {0xD1, 0x07, 1, 1}, [](const CToDoStore& s) { EXPECT_EQ(s.GetDue(), CTime(2001, 1, 1, 0, 0, 0)); }},
      {"status done", [](CToDoStore& s) { return s.SetStatus(5); }, 11, {1},
       [](const CToDoStore& s) { EXPECT_EQ(s.GetStatus(), 1); }},
      {"status open", [](CToDoStore& s) { return s.SetStatus(0); }, 11, {2},
       [](const CToDoStore& s) { EXPECT_EQ(s.GetStatus(), 0); }},
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

TEST_P(ToDoFields, DatesOutsideTheWindowAreRefusedAndChangeNothing) {
  ASSERT_EQ(store->ClearSlot(), 1);
  const std::vector<BYTE> before = Record();
  struct Case {
    std::function<int(CToDoStore&)> set;
    DWORD error;
  };
  const Case cases[] = {
      {[](CToDoStore& s) { return s.SetStart(CTime(2021, 1, 1, 0, 0, 0)); }, ERROR_TODO_START_TOO_LATE},
      {[](CToDoStore& s) { return s.SetStart(CTime(2000, 12, 31, 23, 59, 59)); }, ERROR_TODO_START_TOO_EARLY},
      {[](CToDoStore& s) { return s.SetDue(CTime(2021, 1, 1, 0, 0, 0)); }, ERROR_TODO_DUE_TOO_LATE},
      {[](CToDoStore& s) { return s.SetDue(CTime(2000, 12, 31, 23, 59, 59)); }, ERROR_TODO_DUE_TOO_EARLY},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.set(*store), 0);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(Record(), before);
  EXPECT_FALSE(store->IsUsed());
}

TEST_P(ToDoFields, DescriptionsUpToTheFieldAndNoFurther) {
  const int units = GetParam() ? 256 : 32;
  std::string twoByte;  // one unit a character, two bytes
  for (int i = 0; i < units; ++i) twoByte += "\xC3\xA4";
  struct Case {
    std::string text;
    bool stored;
  };
  const Case cases[] = {
      {std::string(units, 'x'), true},
      {std::string(units + 1, 'x'), false},
      {twoByte, !GetParam()},  // 64 bytes fit the standard field; 512 do not fit the extended one
      {std::string(static_cast<std::size_t>(units / 2), '~'), true},
      {"", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(store->SetDescription("before"), 1);
    ASSERT_EQ(store->SetStatus(1), 1);
    const std::vector<BYTE> before = Record();
    EXPECT_EQ(store->SetDescription(c.text.c_str()), c.stored ? 1 : 0);
    if (c.stored) {
      EXPECT_STREQ(store->GetDescription(), c.text.c_str());
    } else {
      EXPECT_EQ(GetLastError(), ERROR_DESCRIPTION_TOO_LONG);
      EXPECT_EQ(Record(), before);
    }
    const std::vector<BYTE> after = Record();
    EXPECT_EQ(std::vector<BYTE>(after.begin() + D(), after.end()), std::vector<BYTE>(before.begin() + D(), before.end()));
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ToDoFields, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Extended" : "Standard"; });

TEST(ToDoExtendedFields, StoreTheirCodesAndLeaveTheSlotAsItWas) {
  CToDoStoreEx store;
  ASSERT_EQ(store.Select(3), 1);
  struct Case {
    std::function<int(CToDoStoreEx&)> set;
    std::size_t at;
    BYTE byte;
    std::function<BYTE(const CToDoStoreEx&)> get;
    BYTE value;
  };
  const Case cases[] = {
      {[](CToDoStoreEx& s) { return s.SetPriority(0); }, 269, 1, [](const CToDoStoreEx& s) { return s.GetPriority(); }, 0},
      {[](CToDoStoreEx& s) { return s.SetPriority(1); }, 269, 2, [](const CToDoStoreEx& s) { return s.GetPriority(); }, 1},
      {[](CToDoStoreEx& s) { return s.SetPriority(2); }, 269, 3, [](const CToDoStoreEx& s) { return s.GetPriority(); }, 2},
      {[](CToDoStoreEx& s) { return s.SetPriority(7); }, 269, 2, [](const CToDoStoreEx& s) { return s.GetPriority(); }, 1},
      {[](CToDoStoreEx& s) { return s.SetCategory(0); }, 270, 1, [](const CToDoStoreEx& s) { return s.GetCategory(); }, 0},
      {[](CToDoStoreEx& s) { return s.SetCategory(1); }, 270, 2, [](const CToDoStoreEx& s) { return s.GetCategory(); }, 1},
      {[](CToDoStoreEx& s) { return s.SetCategory(2); }, 270, 3, [](const CToDoStoreEx& s) { return s.GetCategory(); }, 2},
      {[](CToDoStoreEx& s) { return s.SetPrivate(0); }, 271, 1, [](const CToDoStoreEx& s) { return s.GetPrivate(); }, 0},
      {[](CToDoStoreEx& s) { return s.SetPrivate(9); }, 271, 2, [](const CToDoStoreEx& s) { return s.GetPrivate(); }, 1},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.set(store), 1);
    EXPECT_EQ(store.SlotRecord(3)[c.at], c.byte) << c.at;
    EXPECT_EQ(c.get(store), c.value) << c.at;
  }
  EXPECT_FALSE(store.IsUsed()) << "setting only the extended fields leaves the slot empty";
}

// --- transfers against the scripted phone ---

class ToDoTransfer : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(service.Listening());
    ASSERT_EQ(engine.Connect(), 1);
    engine.SetTimeout(500);
    store = MakeStore(GetParam());
  }
  std::size_t BlockSize() const { return GetParam() ? 2720 : 800; }
  static void Fill(CToDoStore& target, const std::vector<std::pair<int, std::string>>& items) {
    for (const auto& [slot, text] : items) {
      ASSERT_EQ(target.Select(slot), 1);
      ASSERT_EQ(target.SetDescription(text.c_str()), 1);
    }
  }
  static CString DescriptionOf(CToDoStore& target, int slot) {
    target.Select(slot);
    return target.IsUsed() ? target.GetDescription() : CString("(empty)");
  }

  FakeLinkService service;
  FlashFilePhone phone{service};
  CLinkEngine engine{service.Address()};
  std::unique_ptr<CToDoStore> store;
};

TEST_P(ToDoTransfer, AWholeUploadAndDownloadGoBlockByBlock) {
  Fill(*store, {{0, "zero"}, {42, "forty-two"}, {99, "last"}});
  ASSERT_EQ(store->Upload(nullptr, engine, -1, -1), 1) << std::hex << GetLastError();
  const std::string size = std::to_string(BlockSize());
  EXPECT_EQ(phone.Commands("InitFFSWrite"),
            (std::vector<std::string>{"InitFFSWrite,102,4,100", "InitFFSWrite,103,0," + size,
                                      "InitFFSWrite,103,4," + size, "InitFFSWrite,103,9," + size}));
  phone.ClearCommands();
  auto copy = MakeStore(GetParam());
  ASSERT_EQ(copy->Download(nullptr, engine, -1, -1), 1) << std::hex << GetLastError();
  EXPECT_EQ(phone.Commands("FFSRead"),
            (std::vector<std::string>{"FFSRead,102,4", "FFSRead,103,0", "FFSRead,103,4", "FFSRead,103,9"}));
  EXPECT_STREQ(DescriptionOf(*copy, 42), "forty-two");
  EXPECT_STREQ(DescriptionOf(*copy, 99), "last");
  EXPECT_STREQ(DescriptionOf(*copy, 41), "(empty)");
}

TEST_P(ToDoTransfer, NoItemsIsOneFileAndNoProgress) {
  phone.SetFile(102, 4, std::string(100, '\0'));
  int reports = 0;
  engine.SetProgressCallback([](int, int, void* user) { return ++*static_cast<int*>(user); }, &reports);
  ASSERT_EQ(store->Download(nullptr, engine, -1, -1), 1);
  EXPECT_EQ(phone.Commands("FFSRead"), (std::vector<std::string>{"FFSRead,102,4"}));
  EXPECT_EQ(reports, 0);
}

TEST_P(ToDoTransfer, BlocksOfAnotherLengthFailTheDownload) {
  std::string flags(100, '\0');
  flags[42] = 1;
  phone.SetFile(102, 4, flags);
  for (std::size_t size : {BlockSize() - 1, BlockSize() + 1}) {
    phone.SetFile(103, 4, std::string(size, 'x'));
    EXPECT_EQ(store->Download(nullptr, engine, 42, 42), 0) << size;
    EXPECT_EQ(GetLastError(), ERROR_TODO_BAD_BLOCK) << size;
  }
  phone.SetFile(102, 4, std::string(99, '\0'));
  EXPECT_EQ(store->Download(nullptr, engine, -1, -1), 0);
  EXPECT_EQ(GetLastError(), ERROR_TODO_BAD_FLAGS);
}

// Removing one item from a store that holds only that one must not empty the phone.
TEST_P(ToDoTransfer, RemovingOneItemLeavesTheOthersOnThePhone) {
  Fill(*store, {{40, "forty"}, {42, "forty-two"}, {77, "seventy-seven"}});
  ASSERT_EQ(store->Upload(nullptr, engine, -1, -1), 1);

  auto other = MakeStore(GetParam());
  other->Select(42);
  other->ClearSlot();
  ASSERT_EQ(other->Upload(nullptr, engine, 42, 42), 1) << std::hex << GetLastError();
  auto check = MakeStore(GetParam());
  ASSERT_EQ(check->Download(nullptr, engine, -1, -1), 1);
  EXPECT_STREQ(DescriptionOf(*check, 42), "(empty)");
  EXPECT_STREQ(DescriptionOf(*check, 40), "forty");
  EXPECT_STREQ(DescriptionOf(*check, 77), "seventy-seven");

  // Adding slot 41 from that store keeps slot 40's record as the phone has it.
  Fill(*other, {{41, "forty-one"}});
  ASSERT_EQ(other->Upload(nullptr, engine, 41, 41), 1) << std::hex << GetLastError();
  ASSERT_EQ(check->Download(nullptr, engine, -1, -1), 1);
  EXPECT_STREQ(DescriptionOf(*check, 40), "forty");
  EXPECT_STREQ(DescriptionOf(*check, 41), "forty-one");
  EXPECT_STREQ(DescriptionOf(*check, 77), "seventy-seven");
}

INSTANTIATE_TEST_SUITE_P(Layouts, ToDoTransfer, testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Extended" : "Standard"; });

}  // namespace
