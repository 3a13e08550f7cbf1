// The contact store: each field's conversion in both layouts as one table, the limits that keep
// a text inside its field, and the transfers against a scripted phone (the count query, the
// contact files and their display names).
#include "PhoneBookStore.h"

#include "LinkEngine.h"
#include "support/FlashFilePhone.h"

#include <handport/PhoneErrors.h>
#include <phonesim/WholePhoneFiles.h>

#include <base/LastError.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<BYTE> Bytes(std::span<const BYTE> bytes) { return {bytes.begin(), bytes.end()}; }

std::string Repeat(std::string_view piece, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) text += piece;
  return text;
}

class PhoneBookTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(service.Listening());
    ASSERT_EQ(engine.Connect(), 1);
    engine.SetTimeout(500);
  }
  // Has the store meet a phone of the short layout.
  void MeetShortLayoutPhone() {
    phone.SetVersion("TDE_0100");
    ASSERT_EQ(store.Upload(nullptr, engine, 499, 499), 1) << std::hex << GetLastError();
    ASSERT_TRUE(store.IsShortLayout());
  }
  std::vector<BYTE> Work() {
    // The working record as the slot would hold it.
    store.Commit();
    return Bytes(store.SlotRecord(store.SelectedSlot()));
  }

  FakeLinkService service;
  FlashFilePhone phone{service};
  CLinkEngine engine{service.Address()};
  CPhoneBookStore store;
};

struct FieldCase {
  const char* name;
  std::function<int(CPhoneBookStore&)> set;
  DWORD error = 0;  // 0: the setter succeeds
  std::size_t fullAt = 0, shortAt = 0;  // where the bytes below stand in each layout
  std::vector<BYTE> bytes = {};
  std::function<void(CPhoneBookStore&)> check = nullptr;  // run after a successful set
};

std::vector<FieldCase> FieldCases() {
  const std::string umlauts15 = Repeat("\xC3\xA4", 15);  // 15 units, 30 bytes
  const std::string umlauts16 = Repeat("\xC3\xA4", 16);  // 16 units, 32 bytes: past the name field
  const std::string email64 = Repeat("\xC3\xA4", 32);    // 64 bytes
  const std::string email65 = email64 + "a";             // 33 units, 65 bytes
  auto text = [](CPhoneBookStore& s, auto get, int index) {
    CString value;
    EXPECT_EQ((s.*get)(index, value), 1);
    return std::string(value);
  };
  std::vector<BYTE> anna{4, 'A', 'n', 'n', 'a', 0, 0};
  return {
      {"name", [](CPhoneBookStore& s) { return s.SetName("Anna"); }, 0, 0, 0, anna,
       [](CPhoneBookStore& s) { EXPECT_STREQ(s.GetName(), "Anna"); }},
      {"name of 30 units", [](CPhoneBookStore& s) { return s.SetName(std::string(30, 'n').c_str()); }, 0, 0, 0, {30, 'n'},
       [](CPhoneBookStore& s) { EXPECT_EQ(std::string(s.GetName()), std::string(30, 'n')); }},
      {"name of 31 units", [](CPhoneBookStore& s) { return s.SetName(std::string(31, 'n').c_str()); }, ERROR_PB_NAME_TOO_LONG},
      {"name of 30 bytes", [=](CPhoneBookStore& s) { return s.SetName(umlauts15.c_str()); }, 0, 0, 0, {30, 0xC3, 0xA4},
       [=](CPhoneBookStore& s) { EXPECT_EQ(std::string(s.GetName()), umlauts15); }},
      {"name of 32 bytes", [=](CPhoneBookStore& s) { return s.SetName(umlauts16.c_str()); }, ERROR_PB_NAME_TOO_LONG},
      {"empty name", [](CPhoneBookStore& s) { return s.SetName(""); }, 0, 0, 0, std::vector<BYTE>(32, 0),
       [](CPhoneBookStore& s) { EXPECT_STREQ(s.GetName(), ""); }},
      {"name resets the trailer", [](CPhoneBookStore& s) { return s.SetName("x"); }, 0, 0, 0, {1, 'x', 0},
       [](CPhoneBookStore& s) {
         if (s.IsShortLayout()) return;
         const auto record = s.SlotRecord(s.SelectedSlot());
         EXPECT_EQ(Bytes(record.subspan(477, 22)), (std::vector<BYTE>{0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                                      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                                                                      0xFF, 0xFF}));
       }},
      {"reading", [](CPhoneBookStore& s) { return s.SetReading("yomi"); }, 0, 446, 0, {4, 'y', 'o', 'm', 'i', 0xFF},
       [](CPhoneBookStore& s) { EXPECT_STREQ(s.GetReading(), s.IsShortLayout() ? "" : "yomi"); }},
      {"reading of 32 bytes", [=](CPhoneBookStore& s) { return s.SetReading(umlauts16.c_str()); }, ERROR_PB_NAME_TOO_LONG, 446},
      {"number", [](CPhoneBookStore& s) { return s.SetNumber(6, "+4912"); }, 0, 32 + 6 * 22, 32 + 6 * 22,
       {3, 0x91, 0x94, 0x21, 0xFF},
       [=](CPhoneBookStore& s) { EXPECT_EQ(text(s, &CPhoneBookStore::GetNumber, 6), "+4912"); }},
      {"number removed", [](CPhoneBookStore& s) { return s.SetNumber(0, "1") && s.SetNumber(0, ""); }, 0, 32, 32,
       std::vector<BYTE>(22, 0xFF), [=](CPhoneBookStore& s) { EXPECT_EQ(text(s, &CPhoneBookStore::GetNumber, 0), ""); }},
      {"number index 7", [](CPhoneBookStore& s) { return s.SetNumber(7, "1"); }, ERROR_PB_BAD_NUMBER_INDEX},
      {"e-mail of 64 bytes", [=](CPhoneBookStore& s) { return s.SetEmail(1, email64.c_str()); }, 0, 251 + 63, 251 + 63,
       {0xA4, 0x00}, [=](CPhoneBookStore& s) { EXPECT_EQ(text(s, &CPhoneBookStore::GetEmail, 1), email64); }},
      // The layout carries 64 bytes of an address: a 65th would be lost on the way.
      {"e-mail of 65 bytes", [=](CPhoneBookStore& s) { return s.SetEmail(0, email65.c_str()); }, ERROR_PB_EMAIL_TOO_LONG},
      {"e-mail of 65 units", [](CPhoneBookStore& s) { return s.SetEmail(0, std::string(65, 'e').c_str()); }, ERROR_PB_EMAIL_TOO_LONG},
      {"empty e-mail", [](CPhoneBookStore& s) { return s.SetEmail(0, ""); }, 0, 186, 186, std::vector<BYTE>(65, 0),
       [=](CPhoneBookStore& s) { EXPECT_EQ(text(s, &CPhoneBookStore::GetEmail, 0), ""); }},
      {"text of 65 bytes", [=](CPhoneBookStore& s) { return s.SetText(1, email65.c_str()); }, 0, 381 + 63, 381 + 63,
       {0xA4, 'a'}, [=](CPhoneBookStore& s) { EXPECT_EQ(text(s, &CPhoneBookStore::GetText, 1), email65); }},
      {"text of 66 bytes", [=](CPhoneBookStore& s) { return s.SetText(0, (email65 + "b").c_str()); }, ERROR_PB_TEXT_TOO_LONG},
      {"group", [](CPhoneBookStore& s) { return s.SetGroup(19); }, 0, 523, 470, {19},
       [](CPhoneBookStore& s) { EXPECT_EQ(s.GetGroup(), 19); }},
      {"no group", [](CPhoneBookStore& s) { return s.SetGroup(0); }, 0, 523, 470, {0x80},
       [](CPhoneBookStore& s) { EXPECT_EQ(s.GetGroup(), 0); }},
      {"group 20", [](CPhoneBookStore& s) { return s.SetGroup(20); }, ERROR_PB_BAD_GROUP},
      {"choice", [](CPhoneBookStore& s) { return s.SetChoice(14); }, 0, 520, 467, {14, 0x80, 0x80},
       [](CPhoneBookStore& s) { EXPECT_EQ(s.GetChoice(), 14); }},
      {"no choice", [](CPhoneBookStore& s) { return s.SetChoice(0); }, 0, 520, 467, {0x80, 0x80, 0x80},
       [](CPhoneBookStore& s) { EXPECT_EQ(s.GetChoice(), 0); }},
      {"choice 15", [](CPhoneBookStore& s) { return s.SetChoice(15); }, ERROR_PB_BAD_CHOICE},
      // Picture and melody ids read back as their low byte, as the applications expect.
      {"picture 300", [](CPhoneBookStore& s) { return s.SetPicture(300); }, 0, 516, 463, {0x2C, 0x01, 0, 0},
       [](CPhoneBookStore& s) { EXPECT_EQ(s.GetPicture(), 44u); }},
      {"no picture", [](CPhoneBookStore& s) { return s.SetPicture(0); }, 0, 516, 463, {0xFF, 0xFF, 0xFF, 0xFF},
       [](CPhoneBookStore& s) { EXPECT_EQ(s.GetPicture(), 0u); }},
      {"melody", [](CPhoneBookStore& s) { return s.SetMelody(5); }, 0, 504, 451, {5, 0, 0, 0, 0, 0, 0, 0x80, 0, 0, 0, 0x80},
       [](CPhoneBookStore& s) { EXPECT_EQ(s.GetMelody(), 5u); }},
      {"no melody", [](CPhoneBookStore& s) { return s.SetMelody(0); }, 0, 504, 451, {0, 0, 0, 0x80},
       [](CPhoneBookStore& s) { EXPECT_EQ(s.GetMelody(), 0u); }},
  };
}

void CheckFields(CPhoneBookStore& store) {
  for (const FieldCase& c : FieldCases()) {
    SCOPED_TRACE(c.name);
    const bool shortLayout = store.IsShortLayout();
    ASSERT_EQ(store.Select(7), 1);
    store.SetName("Old");
    store.SetEmail(0, "old@example.org");
    store.SetNumber(0, "0123");
    store.Commit();
    // A neighbour in the next slot, and this record as it was.
    ASSERT_EQ(store.Select(8), 1);
    store.SetName("Neighbour");
    store.Commit();
    const std::vector<BYTE> neighbour = Bytes(store.SlotRecord(8));
    ASSERT_EQ(store.Select(7), 1);
    const std::vector<BYTE> before = Bytes(store.SlotRecord(7));
    SetLastError(0);
    const int result = c.set(store);
    store.Commit();
    const std::vector<BYTE> after = Bytes(store.SlotRecord(7));
    if (shortLayout && c.fullAt >= 446 && c.fullAt < 499) {
      EXPECT_EQ(result, 1);
      EXPECT_EQ(after, before) << "the short layout has no reading";
      if (c.check) c.check(store);
    } else if (c.error != 0) {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(GetLastError(), c.error);
      EXPECT_EQ(after, before) << "a refused value changes nothing";
    } else {
      EXPECT_EQ(result, 1);
      const std::size_t at = shortLayout ? c.shortAt : c.fullAt;
      EXPECT_EQ(std::vector<BYTE>(after.begin() + at, after.begin() + at + c.bytes.size()), c.bytes);
      if (c.check) c.check(store);
    }
    EXPECT_EQ(Bytes(store.SlotRecord(8)), neighbour);
  }
}

TEST_F(PhoneBookTest, FieldsInTheFullLayout) {
  EXPECT_EQ(store.RecordSize(), 524u);
  CheckFields(store);
}

TEST_F(PhoneBookTest, FieldsInTheShortLayout) {
  MeetShortLayoutPhone();
  EXPECT_EQ(store.RecordSize(), 471u);
  CheckFields(store);
}

TEST_F(PhoneBookTest, SlotsAndThePhoneFlag) {
  EXPECT_EQ(store.Select(500), 0);
  EXPECT_EQ(GetLastError(), ERROR_PB_BAD_SLOT);
  ASSERT_EQ(store.Select(499), 1);
  EXPECT_FALSE(store.IsUsed());
  EXPECT_EQ(store.GetPhoneFlag(), 0) << "an empty slot's flag byte is 0xFF";
  EXPECT_EQ(Bytes(store.SlotRecord(499)), std::vector<BYTE>(524, 0xFF));
  store.SetName("x");
  store.Commit();
  EXPECT_TRUE(store.IsUsed());
  store.ClearSlot();
  EXPECT_FALSE(store.IsUsed());
  EXPECT_EQ(Bytes(store.SlotRecord(499)), std::vector<BYTE>(524, 0xFF));
}

// A layout change carries every field: the phone of the short layout keeps them all but the
// reading.
TEST_F(PhoneBookTest, MeetingAShortLayoutPhoneKeepsTheFields) {
  const std::string email64 = Repeat("\xC3\xA4", 32);
  ASSERT_EQ(store.Select(3), 1);
  store.SetName("Bea");
  store.SetReading("bi");
  store.SetNumber(2, "**21*+4912#");
  store.SetEmail(1, email64.c_str());
  store.SetText(0, "note");
  store.SetGroup(4);
  store.SetMelody(9);
  store.Commit();
  MeetShortLayoutPhone();
  ASSERT_EQ(store.Select(3), 1);
  EXPECT_TRUE(store.IsUsed());
  CString value;
  EXPECT_STREQ(store.GetName(), "Bea");
  EXPECT_STREQ(store.GetReading(), "");
  store.GetNumber(2, value);
  EXPECT_STREQ(value, "**21*+4912#");
  store.GetEmail(1, value);
  EXPECT_EQ(std::string(value), email64);
  store.GetText(0, value);
  EXPECT_STREQ(value, "note");
  EXPECT_EQ(store.GetGroup(), 4);
  EXPECT_EQ(store.GetMelody(), 9u);
}

// --- transfers ---

void PutContact(CPhoneBookStore& store, int slot, const char* name) {
  ASSERT_EQ(store.Select(slot), 1);
  ASSERT_EQ(store.SetName(name), 1);
  ASSERT_EQ(store.Commit(), 1);
}

std::string ContactFile(const char* name, std::size_t size = 524) {
  std::string record(size, '\xFF');
  record[0] = static_cast<char>(std::strlen(name));
  record.replace(1, std::strlen(name), name);
  return record;
}

// A count the phone could not give must not pass for an empty phone book, which the next whole
// upload would write to the phone.
TEST_F(PhoneBookTest, ABadContactCountFailsTheDownloadAndKeepsTheStore) {
  PutContact(store, 0, "Kept");
  PutContact(store, 250, "Kept too");
  const std::vector<BYTE> before0 = Bytes(store.SlotRecord(0));
  phone.SetFile(256, 1, ContactFile("On the phone"));
  for (const char* reply : {"GetPBRecordCount:ERROR:0", "GetPBRecordCount:RET:none", "GetPBRecordCount:RET:-1",
                            "GetPBRecordCount:RET:2x", "GetPBRecordCount:RET", "GetPBRecordCount:RET:1:2",
                            "ShowSwVersion:RET:0"}) {
    SCOPED_TRACE(reply);
    phone.SetAnswer("GetPBRecordCount", reply);
    phone.ClearCommands();
    SetLastError(0);
    EXPECT_EQ(store.Download(nullptr, engine, -1, -1), 0);
    EXPECT_EQ(GetLastError(), ERROR_PHONE_BAD_REPLY);
    EXPECT_TRUE(phone.Commands("FFSRead").empty());
    ASSERT_EQ(store.Select(0), 1);
    EXPECT_TRUE(store.IsUsed());
    EXPECT_EQ(Bytes(store.SlotRecord(0)), before0);
    ASSERT_EQ(store.Select(250), 1);
    EXPECT_STREQ(store.GetName(), "Kept too");
  }
}

TEST_F(PhoneBookTest, TheCountEndsTheReadsOfAWholeDownload) {
  for (int slot : {0, 5, 9}) phone.SetFile(256, slot, ContactFile("c"));
  PutContact(store, 300, "gone after the download");
  ASSERT_EQ(store.Download(nullptr, engine, -1, -1), 1) << std::hex << GetLastError();
  const std::vector<std::string> reads = phone.Commands("FFSRead");
  ASSERT_EQ(reads.size(), 10u);
  EXPECT_EQ(reads.back(), "FFSRead,256,9");
  for (int slot = 0; slot < 500; ++slot) {
    store.Select(slot);
    EXPECT_EQ(store.IsUsed(), slot == 0 || slot == 5 || slot == 9) << slot;
  }
  // A phone that cannot count has every file read; one slot is read whatever the count.
  phone.SetAnswer("GetPBRecordCount", "GetPBRecordCount:RET:ERROR");
  phone.ClearCommands();
  ASSERT_EQ(store.Download(nullptr, engine, -1, -1), 1);
  EXPECT_EQ(phone.Commands("FFSRead").size(), 500u);
  phone.ClearCommands();
  ASSERT_EQ(store.Download(nullptr, engine, 42, 42), 1);
  EXPECT_EQ(phone.Commands(), (std::vector<std::string>{"ShowSwVersion", "FFSRead,256,42"}));
}

TEST_F(PhoneBookTest, AContactFileOfAnotherSizeFailsTheDownload) {
  phone.SetFile(256, 3, ContactFile("short", 523));
  EXPECT_EQ(store.Download(nullptr, engine, 0, 9), 0);
  EXPECT_EQ(GetLastError(), ERROR_PB_BAD_FILE_SIZE);
  phone.SetVersion("BXA_0100");  // a short-layout phone: 471 bytes
  phone.SetFile(256, 3, ContactFile("short", 471));
  ASSERT_EQ(store.Download(nullptr, engine, 3, 3), 1);
  store.Select(3);
  EXPECT_STREQ(store.GetName(), "short");
}

TEST_F(PhoneBookTest, UploadsWriteContactsWithTheirDisplayNamesAndEraseEmptySlots) {
  CResourceCaches caches;
  PA_RESOURCE_INFO picture;
  picture.dwFileId = 44;
  picture.strDisplayName = "Portrait";
  caches.InsertInOrder(RESOURCE_PICTURES, picture);
  PA_RESOURCE_INFO melody;
  melody.dwFileId = 7;
  melody.strDisplayName = "Tune";
  caches.InsertInOrder(RESOURCE_SOUNDS, melody);
  store.SetResourceLists(&caches);

  ASSERT_EQ(store.Select(0), 1);
  store.SetName("With both");
  store.SetPicture(300);  // reads back as 44: the picture of id 44 is named
  store.SetMelody(7);
  store.Commit();
  ASSERT_EQ(store.Select(1), 1);
  store.SetName("With none");
  store.SetPicture(45);
  store.Commit();
  phone.SetFile(256, 2, ContactFile("removed"));

  ASSERT_EQ(store.Upload(nullptr, engine, 0, 2), 1) << std::hex << GetLastError();
  const std::string first = phone.File(256, 0);
  ASSERT_EQ(first.size(), 524u + 2 + 8 + 2 + 4);
  EXPECT_EQ(first.substr(524), std::string("\x08\x00Portrait\x04\x00Tune", 16));
  const std::string second = phone.File(256, 1);
  EXPECT_EQ(second.substr(524), std::string(4, '\0'));
  EXPECT_FALSE(phone.Exists(256, 2));
  EXPECT_EQ(phone.Commands("FFSErase"), (std::vector<std::string>{"FFSErase,256,2"}));
}

// The simulated phone's sample contacts are laid out as this store reads and writes them, in both
// layouts: read, they give their fields; written back, each file is the same record again.
TEST_F(PhoneBookTest, TheSamplePhonesContactsReadInBothLayoutsAndGoBackAsTheyCame) {
  for (const char* version : {"YAA_0412", "TSE_0310"}) {
    SCOPED_TRACE(version);
    phone.SetVersion(version);
    const phonesim::FlashFiles sample = phonesim::SampleWholePhone(version);
    std::vector<int> slots;
    for (const auto& [name, bytes] : sample) {
      if (name.first != CPhoneBookStore::kContactFile) continue;
      phone.SetFile(name.first, name.second, bytes);
      slots.push_back(name.second);
    }
    ASSERT_EQ(slots, (std::vector<int>{0, 17, 499}));
    CPhoneBookStore reader;  // a store keeps the short layout once it met it
    ASSERT_EQ(reader.Download(nullptr, engine, -1, -1), 1) << std::hex << GetLastError();
    ASSERT_EQ(reader.Select(17), 1);
    ASSERT_EQ(reader.IsUsed(), 1);
    EXPECT_STREQ(reader.GetName(), "Contact 17 A");
    EXPECT_STREQ(reader.GetReading(), version[0] == 'T' ? "" : "Reading");
    const char* const numbers[7] = {"+491000119", "", "030017", "", "", "", ""};
    for (int i = 0; i < 7; ++i) {
      CString number;
      ASSERT_EQ(reader.GetNumber(i, number), 1);
      EXPECT_STREQ(number, numbers[i]) << "number " << i;
    }
    CString text;
    ASSERT_EQ(reader.GetEmail(1, text), 1);
    EXPECT_STREQ(text, "second@example.org");
    ASSERT_EQ(reader.GetText(0, text), 1);
    EXPECT_STREQ(text, "Straße 17");
    ASSERT_EQ(reader.GetText(1, text), 1);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(reader.GetGroup(), 18);
    EXPECT_EQ(reader.GetChoice(), 4);
    EXPECT_EQ(reader.GetPicture(), 0u);
    EXPECT_EQ(reader.GetMelody(), 0u);
    for (int slot : slots) {
      ASSERT_EQ(reader.Upload(nullptr, engine, slot, slot), 1) << std::hex << GetLastError();
      EXPECT_EQ(phone.File(CPhoneBookStore::kContactFile, slot), sample.at({CPhoneBookStore::kContactFile, slot}) + std::string(4, '\0'))
          << "slot " << slot;
    }
  }
}

TEST_F(PhoneBookTest, AFailedVersionQueryFailsWithTheStoreCode) {
  phone.SetAnswer("ShowSwVersion", "ShowSwVersion:ERROR:1");
  EXPECT_EQ(store.Download(nullptr, engine, 0, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_PB_DOWNLOAD_VERSION);
  EXPECT_EQ(store.Upload(nullptr, engine, 0, 0), 0);
  EXPECT_EQ(GetLastError(), ERROR_PB_UPLOAD_VERSION);
  EXPECT_EQ(store.Upload(nullptr, engine, 3, 2), 0);
  EXPECT_EQ(GetLastError(), ERROR_PB_BAD_SLOT);
}

}  // namespace
