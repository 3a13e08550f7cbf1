// The phone object's records as bytes and the phone data file: the record layouts against
// hand-checked bytes, the sort order, the progress plans, a save and load of every kind, every
// load error from a crafted file, and the save errors, after which no file stands at the target.
#include "DialNumber.h"
#include "LinkEngine.h"
#include "PhoneDevice.h"

#include <phonesim/WholePhoneFiles.h>

#include <base/LastError.h>
#include <base/TemporaryHome.h>
#include <registry/WinReg.h>
#include <base/WinError.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr DWORD kAllKinds = 0x3FF;

// The base phone object alone, with a type of the test's choice.
class BasePhone final : public CPhoneBase {
 public:
  explicit BasePhone(int type = 64) : m_type(type) { SetPhoneType(type); }
  int GetPhoneType() const override { return m_type; }
  CString GetModelCode() const override { return "00102"; }
  int GetModelFlag() const override { return 1; }

 private:
  int m_type;
};

std::string U32(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return bytes;
}
std::string Section(std::int32_t tag, const std::string& payload) {
  return U32(static_cast<std::uint32_t>(tag)) + U32(static_cast<std::uint32_t>(payload.size())) + payload;
}
std::string Header(std::uint32_t type = 64) {
  return Section(4001, std::string("VERSION4", 9)) + Section(9001, U32(type)) + Section(9002, std::string("WD_6001", 8));
}
std::string MediaPayload(std::uint32_t n, const std::string& data, std::int64_t lengthDelta = 0) {
  return U32(n) + std::string(1, '\x04') + std::string(21, 'n') + U32(0) + U32(0) +
         U32(static_cast<std::uint32_t>(static_cast<std::int64_t>(data.size()) + lengthDelta)) + data;
}

class DataFile : public testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() / ("handport-datafile-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }

  std::string Path(const char* name = "phone.dat") const { return (folder / name).string(); }
  // The names in the folder, hidden ones included, sorted.
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  void Write(const std::string& bytes, const char* name = "phone.dat") const {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  std::string Read(const char* name = "phone.dat") const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The tags of a file, in order.
  std::vector<int> Tags(const std::string& bytes) const {
    std::vector<int> tags;
    for (std::size_t at = 0; at + 8 <= bytes.size();) {
      std::uint32_t tag = 0, length = 0;
      for (int i = 3; i >= 0; --i) {
        tag = tag << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
        length = length << 8 | static_cast<unsigned char>(bytes[at + 4 + static_cast<std::size_t>(i)]);
      }
      tags.push_back(static_cast<int>(tag));
      at += 8 + length;
    }
    return tags;
  }

  // A phone object with something in every kind.
  static void Fill(CPhoneBase& phone) {
    phone.SetKindMask(kAllKinds);
    phone.SetSerialNumber("HV0010201");
    phone.SetModel("WD_6001");
    phone.Groups()[0].name = "Family";
    phone.Groups()[18].name = "Größe";
    ContactEntry& contact = phone.Contacts()[42];
    contact.used = 1;
    contact.name = "Anna Nowak";
    contact.numbers = {"+4912", "", "0123", "**21*+4912#", "", "", "1234567890123456789012"};
    contact.emails = {"anna@example.org", ""};
    contact.texts = {"Straße 1", "x"};
    contact.text3 = "nowak";
    contact.text4 = "T4";
    contact.attributes = {0, 2, 3, 0x7F};
    contact.attribute5 = 5;
    ScheduleEntry& entry = phone.ScheduleEntries()[0];
    entry.used = 1;
    entry.description = "Meeting";
    entry.year = 2026;
    entry.month = 12;
    entry.day = 10;
    entry.hour = 9;
    entry.minute = 30;
    ToDoEntry& item = phone.ToDoEntries()[0];
    item.used = 1;
    item.description = "Task";
    item.value = 0xA1B2C3D4;
    item.year = 2027;
    item.month = 3;
    item.day = 14;
    item.priority = 2;
    phone.SetMediaItem(MediaArray::A, 4, "tone", 0, std::vector<BYTE>{1, 2, 3});
    phone.SetMediaItem(MediaArray::B, 0, "pic", 0, std::vector<BYTE>(300, 7));
    phone.SetMediaItem(MediaArray::C, 0, nullptr, 3, std::vector<BYTE>{9});
    phone.SetMediaItemName(MediaArray::C, 0, "Album");
    phone.SetMediaItem(MediaArray::D, 15, "clip", 0, std::vector<BYTE>(5, 1));
    phone.Blobs().push_back({1, {0xB1, 0xB2}});
    phone.SetRawBlock1(std::vector<BYTE>{1, 1});
    phone.SetRawBlock2(std::vector<BYTE>{2, 2, 2});
  }

  std::filesystem::path folder;
  CLinkEngine engine;
};

}  // namespace

// --- records as bytes ---

TEST(PhoneRecords, TheRecordLayoutsAgainstHandCheckedBytes) {
  BasePhone phone;
  ContactEntry& contact = phone.Contacts()[1];
  contact.used = 1;
  contact.name = "Ann";
  contact.numbers[0] = "+4912";
  contact.emails[1] = "a@b";
  contact.text3 = "r";
  contact.attributes = {0, 2, 3, 4};
  contact.attribute5 = 0;
  std::vector<BYTE> record;
  ASSERT_TRUE(phone.GetContactRecord(1, record));
  ASSERT_EQ(record.size(), 524u);
  EXPECT_EQ(std::vector<BYTE>(record.begin(), record.begin() + 5), (std::vector<BYTE>{3, 'A', 'n', 'n', 0xFF}));
  EXPECT_EQ(std::vector<BYTE>(record.begin() + 42, record.begin() + 47), (std::vector<BYTE>{3, 0x91, 0x94, 0x21, 0xFF}));
  EXPECT_EQ(record[55], 0xFF) << "an empty number is all 0xFF";
  EXPECT_EQ(std::vector<BYTE>(record.begin() + 234, record.begin() + 238), (std::vector<BYTE>{'a', '@', 'b', 0xFF}));
  EXPECT_EQ(std::vector<BYTE>(record.begin() + 465, record.begin() + 468), (std::vector<BYTE>{1, 'r', 0xFF}));
  EXPECT_EQ(std::vector<BYTE>(record.begin() + 519, record.end()), (std::vector<BYTE>{2, 0x80, 3, 4, 0x80}));
  ASSERT_TRUE(phone.GetContactRecord(0, record));
  EXPECT_EQ(record, std::vector<BYTE>(524, 0xFF)) << "an unused slot";

  ScheduleEntry& entry = phone.ScheduleEntries()[2];
  entry = {.used = 1, .description = "Dentist", .year = 2026, .month = 12, .day = 10, .hour = 9, .minute = 5};
  ASSERT_TRUE(phone.GetScheduleRecord(2, record));
  std::vector<BYTE> expected(76, 0);
  std::copy_n("Dentist", 7, expected.begin());
  expected[68] = 0xEA;
  expected[69] = 0x07;
  expected[70] = 12;
  expected[71] = 10;
  expected[72] = 9;
  expected[73] = 5;
  EXPECT_EQ(record, expected);

  ToDoEntry& item = phone.ToDoEntries()[3];
  item = {.used = 1, .description = "Tax", .value = 0x01020304, .year = 2027, .month = 3, .day = 14, .priority = 1};
  ASSERT_TRUE(phone.GetToDoRecord(3, record));
  expected.assign(80, 0);
  std::copy_n("Tax", 3, expected.begin());
  expected[68] = 4;
  expected[69] = 3;
  expected[70] = 2;
  expected[71] = 1;
  expected[72] = 0xEB;
  expected[73] = 0x07;
  expected[74] = 3;
  expected[75] = 14;
  expected[76] = 2;
  EXPECT_EQ(record, expected);

  phone.Groups()[1].name = "Work";
  ASSERT_TRUE(phone.GetGroupNames(19, 42, record));
  ASSERT_EQ(record.size(), 798u);
  EXPECT_EQ(std::vector<BYTE>(record.begin() + 42, record.begin() + 47), (std::vector<BYTE>{'W', 'o', 'r', 'k', 0}));
}

TEST(PhoneRecords, DecodersReadWhatTheLayoutsSayAndOnlyIntoUsedEntries) {
  BasePhone phone;
  std::vector<BYTE> flags(500, 0);
  flags[7] = 2;  // carried as it is
  ASSERT_EQ(phone.SetContactUsedFlags(flags), 1);
  EXPECT_EQ(phone.Contacts()[7].used, 2);
  std::vector<BYTE> record(524, 0xFF);
  record[0] = 2;
  record[1] = 'J';
  record[2] = 'o';
  record[520] = 0x81;  // bit 7: 0
  record[523] = 0x05;
  ASSERT_EQ(phone.SetContactRecord(7, record), 1);
  EXPECT_STREQ(phone.Contacts()[7].name, "Jo");
  EXPECT_EQ(phone.Contacts()[7].attributes[0], 0);
  EXPECT_EQ(phone.Contacts()[7].attribute5, 5);
  ASSERT_EQ(phone.SetContactRecord(8, record), 1);
  EXPECT_STREQ(phone.Contacts()[8].name, "") << "an unused entry is not filled";

  std::vector<BYTE> todoFlags(100, 0);
  todoFlags[0] = 1;
  todoFlags[1] = 2;  // anything but 1 is unused
  ASSERT_EQ(phone.SetToDoUsedFlags(todoFlags), 1);
  EXPECT_EQ(phone.ToDoEntries()[1].used, 0);
  std::vector<BYTE> todo(80, 0);
  todo[76] = 0;  // a priority byte below 1 reads as priority 0
  ASSERT_EQ(phone.SetToDoRecord(0, todo), 1);
  EXPECT_EQ(phone.ToDoEntries()[0].priority, 0);

  struct Case {
    const char* name;
    std::function<int()> decode;
    DWORD error;
  };
  const Case cases[] = {
      {"499 contact used bytes", [&] { return phone.SetContactUsedFlags(std::vector<BYTE>(499, 1)); }, 0x30060202},
      {"601 schedule used bytes", [&] { return phone.SetScheduleUsedFlags(std::vector<BYTE>(601, 1)); }, 0x30060402},
      {"99 to-do used bytes", [&] { return phone.SetToDoUsedFlags(std::vector<BYTE>(99, 1)); }, 0x30060502},
      {"a group block of 797 bytes", [&] { return phone.SetGroupNames(std::vector<BYTE>(797, 0)); }, 0x30060101},
      {"a contact slot past the last", [&] { return phone.SetContactRecord(500, record); }, ERROR_INVALID_PARAMETER},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    EXPECT_EQ(c.decode(), 0) << c.name;
    EXPECT_EQ(GetLastError(), c.error) << c.name;
  }
  EXPECT_EQ(phone.Contacts()[7].used, 2) << "a refused decoder changes nothing";
}

TEST(PhoneRecords, AContactFileOfThePhoneReadsAndComesBackByteForByte) {
  const std::string file = phonesim::SamplePhoneObjectFiles().at({256, 17});
  const std::vector<BYTE> bytes(file.begin(), file.end());
  BasePhone phone;
  phone.Contacts()[17].used = 1;
  ASSERT_EQ(phone.SetContactRecord(17, bytes), 1);
  const ContactEntry& entry = phone.Contacts()[17];
  EXPECT_STREQ(entry.name, "Contact 17 A");
  EXPECT_STREQ(entry.numbers[0], "+491000119");
  EXPECT_STREQ(entry.numbers[2], "030017");
  EXPECT_STREQ(entry.numbers[1], "");
  EXPECT_STREQ(entry.emails[0], "c17@example.org");
  EXPECT_STREQ(entry.texts[0], "Straße 17");
  EXPECT_STREQ(entry.text3, "Reading");
  EXPECT_EQ(entry.attributes, (std::array<BYTE, 4>{0, 18, 3, 0}));
  EXPECT_EQ(entry.attribute5, 1);
  std::vector<BYTE> again;
  ASSERT_TRUE(phone.GetContactRecord(17, again));
  EXPECT_EQ(again, bytes);
}

TEST(PhoneRecords, TheShortDialFieldHoldsTwentyTwoDigits) {
  std::array<BYTE, kShortDialFieldSize> field{};
  ASSERT_TRUE(PackShortDialString(field, "+4912"));
  EXPECT_EQ(field, (std::array<BYTE, 13>{3, 0x91, 0x94, 0x21, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  ASSERT_TRUE(PackShortDialString(field, "**21*+4912#"));
  EXPECT_STREQ(UnpackShortDialString(field), "**21*+4912#");
  const CString longest = "+1234567890123456789012";
  ASSERT_TRUE(PackShortDialString(field, longest));
  EXPECT_EQ(field[0], 12);
  EXPECT_STREQ(UnpackShortDialString(field), longest);
  field.fill(0x55);
  EXPECT_FALSE(PackShortDialString(field, "12345678901234567890123")) << "23 digits";
  EXPECT_EQ(field[0], 0x55) << "a refused number leaves the field";
  field[0] = 13;
  EXPECT_STREQ(UnpackShortDialString(field), "") << "a count past the field";
}

TEST(PhoneRecords, EntriesSortUsedFirstThenByTime) {
  const auto at = [](int day, int hour) {
    ScheduleEntry entry;
    entry.used = 1;
    entry.year = 2026;
    entry.month = 12;
    entry.day = static_cast<BYTE>(day);
    entry.hour = static_cast<BYTE>(hour);
    return entry;
  };
  EXPECT_EQ(CompareScheduleEntries(at(10, 9), at(10, 8)), 1);
  EXPECT_EQ(CompareScheduleEntries(at(9, 23), at(10, 0)), -1);
  EXPECT_EQ(CompareScheduleEntries(at(10, 8), at(10, 8)), 0);
  EXPECT_EQ(CompareScheduleEntries(ScheduleEntry{}, at(1, 0)), 1);
  EXPECT_EQ(CompareScheduleEntries(ScheduleEntry{}, ScheduleEntry{}), 0);
  ToDoEntry late;
  late.used = 1;
  late.year = 2099;
  ToDoEntry unusedEarly;
  unusedEarly.year = 2001;
  EXPECT_EQ(CompareToDoEntries(late, unusedEarly), -1) << "used before unused, whatever the dates";

  // The sort may swap equal entries, but keeps every one.
  BasePhone phone;
  auto& entries = phone.ScheduleEntries();
  entries[5] = at(10, 9);
  entries[5].description = "second";
  entries[9] = at(10, 8);
  entries[3] = at(10, 9);
  entries[3].description = "first";
  std::vector<BYTE> used;
  ASSERT_TRUE(phone.GetScheduleUsedFlags(600, used));
  EXPECT_EQ(std::vector<BYTE>(used.begin(), used.begin() + 4), (std::vector<BYTE>{1, 1, 1, 0}));
  EXPECT_EQ(entries[0].hour, 8);
  std::vector<std::string> equal = {std::string(entries[1].description), std::string(entries[2].description)};
  std::sort(equal.begin(), equal.end());
  EXPECT_EQ(equal, (std::vector<std::string>{"first", "second"}));
}

TEST(PhoneRecords, TheProgressPlansOfTheSequences) {
  CLinkEngine engine;
  CPhoneDevice device(engine);
  BasePhone base;
  int steps = 0;
  int estimate = 0;
  struct Case {
    DWORD kinds;
    int baseSteps;    // CPhoneBase's count
    int deviceSteps;  // with the media arrays' terms
  };
  const Case reads[] = {
      {DATA_GROUPS, 15, 15},         {DATA_CONTACTS, 5001, 5001},   {DATA_SCHEDULE, 792, 792}, {DATA_TODO, 144, 144},
      {DATA_MEDIA_A, 1, 2072},       {DATA_MEDIA_B, 1, 3022},       {DATA_MEDIA_C, 1, 4884},   {DATA_MEDIA_D, 1, 8194},
      {DATA_BLOBS | DATA_RAW_BLOCKS, 1, 1},
  };
  for (const Case& c : reads) {
    base.SetKindMask(c.kinds);
    device.SetKindMask(c.kinds);
    EXPECT_EQ(base.CountReadSteps(&steps), 0);
    EXPECT_EQ(steps, c.baseSteps) << std::hex << c.kinds;
    device.CountReadSteps(&steps);
    EXPECT_EQ(steps, c.deviceSteps) << std::hex << c.kinds;
  }

  // Writes: groups one transfer; every unused contact slot an erase of its command's length;
  // schedule and to-do their used bytes and one transfer per block holding a used entry.
  base.SetKindMask(DATA_GROUPS | DATA_CONTACTS | DATA_SCHEDULE | DATA_TODO);
  EXPECT_EQ(base.EstimateWriteTime(&steps, &estimate), 0);
  EXPECT_EQ(steps, 14 + 500 + 11 + 3);
  EXPECT_EQ(estimate, 40 * (818 + 7890 + 620 + 120) / 38400 + 3);
  base.Contacts()[0].used = 1;
  base.ScheduleEntries()[15].used = 1;
  base.ToDoEntries()[99].used = 1;
  base.EstimateWriteTime(&steps, &estimate);
  EXPECT_EQ(steps, 14 + 10 + 499 + 11 + 13 + 3 + 14);
  EXPECT_EQ(estimate, 40 * (818 + 544 + 7890 - 14 + 620 + 780 + 120 + 820) / 38400 + 3);

  // The media arrays: A, B and D per item that holds data; C as one run; the estimate grows by
  // its own term, 3 at least.
  device.SetKindMask(DATA_MEDIA_A | DATA_MEDIA_C);
  device.EstimateWriteTime(&steps, &estimate);
  EXPECT_EQ(steps, 0);
  EXPECT_EQ(estimate, 6);
  device.SetMediaItem(MediaArray::A, 0, "a", 0, std::vector<BYTE>(100, 1));
  device.SetMediaItem(MediaArray::C, 2, nullptr, 0, std::vector<BYTE>(56, 1));
  device.SetMediaItem(MediaArray::C, 3, nullptr, 0, std::vector<BYTE>(8, 1));
  device.EstimateWriteTime(&steps, &estimate);
  EXPECT_EQ(steps, (1 + 2) + (3 + 2));  // A: 1 + ⌈128/64⌉; C: 3 + ⌈(28 + 64 + 16)/64⌉
  EXPECT_EQ(estimate, 3 + 40 * ((128 + 64) + (108 + 192)) / 38400 + 3);
}

TEST(PhoneRecords, OffLevelListsFollowTheModel) {
  CLinkEngine engine;
  CPhoneDevice device(engine);
  BasePhone base;
  CStringArray list;
  device.GetOffLevelListB(list);
  ASSERT_EQ(list.GetSize(), 24);
  EXPECT_STREQ(list[0], "Off");
  EXPECT_STREQ(list[23], "23");
  base.GetOffLevelListB(list);
  EXPECT_EQ(list.GetSize(), 14);
  device.GetOffLevelListA(list);
  EXPECT_EQ(list.GetSize(), 21);
}

TEST(PhoneRecords, AModelTypeIsLookedUpUnderTheApplicationsKey) {
  tolvar::testing::TemporaryHome home;
  HKEY application = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Test", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &application, nullptr),
            ERROR_SUCCESS);
  HKEY model = nullptr;
  ASSERT_EQ(RegCreateKeyExA(application, "WD_6001", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &model, nullptr),
            ERROR_SUCCESS);
  const DWORD type = 1;
  RegSetValueExA(model, "Type", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type), sizeof type);
  RegCloseKey(model);
  BasePhone phone;
  EXPECT_FALSE(phone.HasModelType(application)) << "the model text is UNKNOWN";
  phone.SetModel("WD_6001");
  EXPECT_TRUE(phone.HasModelType(application));
  EXPECT_FALSE(phone.HasModelType(nullptr));
  RegCloseKey(application);
}

// --- media items ---

TEST_F(DataFile, ArrayDTakesAPcFileUpToItsLimit) {
  CPhoneDevice device(engine);
  Write(std::string(32768, 'x'), "fits.bin");
  Write(std::string(32769, 'x'), "big.bin");
  EXPECT_EQ(device.LoadMediaItemFromFile(3, Path("fits.bin").c_str(), "a name longer than twenty-one bytes"), 32768);
  const MediaItem& item = device.MediaItems(MediaArray::D)[3];
  EXPECT_EQ(item.status, MEDIA_LOADED);
  EXPECT_EQ(item.kind, 1u);
  EXPECT_EQ(std::string(item.name.begin(), item.name.end()), "a name longer than tw");
  EXPECT_EQ(device.LoadMediaItemFromFile(4, Path("big.bin").c_str(), "big"), -1);
  EXPECT_EQ(GetLastError(), ERROR_MEDIA_FILE_TOO_BIG);
  EXPECT_FALSE(device.MediaItems(MediaArray::D)[4].HoldsData());
  EXPECT_EQ(device.LoadMediaItemFromFile(16, Path("fits.bin").c_str(), "x"), -1) << "past the array's 16 items";
}

// --- the data file ---

TEST_F(DataFile, EveryKindIsSavedInItsOrderAndLoadsIntoAFreshObject) {
  CPhoneDevice saved(engine);
  Fill(saved);
  ASSERT_EQ(saved.SaveDataFile(Path().c_str(), 1), 0u);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"phone.dat"});
  EXPECT_EQ(Tags(Read()), (std::vector<int>{4001, 9001, 9002, 9000, 0, 200, 220, 1000, 1001, 2000, 2001, 5000, 6000, 7000,
                                            8000, 3000, 9052, 9051}));
  EXPECT_FALSE(saved.RawBlock1().owned) << "a saved raw block is released";

  CPhoneDevice loaded(engine);
  loaded.SetKindMask(kAllKinds);
  ASSERT_EQ(loaded.LoadDataFile(Path().c_str(), 1), 0u);
  EXPECT_STREQ(loaded.GetSerialNumber(), "HV0010201");
  EXPECT_STREQ(loaded.GetModel(), "WD_6001");
  EXPECT_STREQ(loaded.Groups()[18].name, "Größe");
  const ContactEntry& contact = loaded.Contacts()[42];
  EXPECT_STREQ(contact.name, "Anna Nowak");
  for (std::size_t i = 0; i < 7; ++i) EXPECT_STREQ(contact.numbers[i], saved.Contacts()[42].numbers[i]) << i;
  EXPECT_STREQ(contact.texts[0], "Straße 1");
  EXPECT_EQ(contact.attributes, (std::array<BYTE, 4>{0, 2, 3, 0x7F}));
  EXPECT_EQ(loaded.ScheduleEntries()[0].minute, 30);
  EXPECT_EQ(loaded.ToDoEntries()[0].value, 0xA1B2C3D4u);
  EXPECT_EQ(loaded.ToDoEntries()[0].priority, 2);
  EXPECT_EQ(loaded.MediaItems(MediaArray::A)[4].data, (std::vector<BYTE>{1, 2, 3}));
  EXPECT_EQ(loaded.MediaItems(MediaArray::B)[0].data.size(), 300u);
  EXPECT_EQ(loaded.MediaItems(MediaArray::C)[0].further1, 3u);
  EXPECT_EQ(loaded.MediaItems(MediaArray::D)[15].data.size(), 5u);
  ASSERT_EQ(loaded.Blobs().size(), 1u);
  EXPECT_EQ(loaded.RawBlock2().bytes, (std::vector<BYTE>{2, 2, 2}));

  // The raw blocks a save released are not written again.
  ASSERT_EQ(saved.SaveDataFile(Path("second.dat").c_str(), 0), 0u);
  const std::vector<int> tags = Tags(Read("second.dat"));
  EXPECT_EQ(std::count(tags.begin(), tags.end(), 9052), 0);
  EXPECT_EQ(tags.back(), 3000);
}

TEST_F(DataFile, WithoutKindsOnlyTheHeaderIsWrittenAndApplied) {
  CPhoneDevice saved(engine);
  Fill(saved);
  saved.SetKindMask(0);
  ASSERT_EQ(saved.SaveDataFile(Path().c_str(), 0), 0u);
  EXPECT_EQ(Tags(Read()), (std::vector<int>{4001, 9001, 9002}));
  saved.SetKindMask(kAllKinds);
  ASSERT_EQ(saved.SaveDataFile(Path("all.dat").c_str(), 1), 0u);
  CPhoneDevice loaded(engine);
  ASSERT_EQ(loaded.LoadDataFile(Path("all.dat").c_str(), 1), 0u);
  EXPECT_STREQ(loaded.GetSerialNumber(), "HV0010201");
  EXPECT_FALSE(loaded.Contacts()[42].used) << "a kind not selected is skipped";
}

TEST_F(DataFile, EveryLoadErrorFromACraftedFile) {
  const std::string flags(500, '\0');
  const std::string records(500 * 524, '\xFF');
  struct Case {
    const char* name;
    std::string bytes;
    DWORD kinds;
    int acceptSerial;
    DWORD error;
  };
  const Case cases[] = {
      {"an empty file", "", kAllKinds, 1, 0},
      {"no version section", Section(9002, "X"), kAllKinds, 1, 0},
      {"tag 10000", Section(10000, ""), kAllKinds, 1, 0x30060101},
      {"tag -1 after a version", Header() + Section(-1, ""), kAllKinds, 1, 0x30060101},
      {"a payload past the end before the version", Section(0, "abc").substr(0, 10) , kAllKinds, 1, 0x30060201},
      {"half a section header", Header().substr(0, 5), kAllKinds, 1, 0x30060201},
      {"a payload past the end after the version", Header() + Section(0, "abc").substr(0, 10), kAllKinds, 1, 0x30060301},
      {"contact records one byte short", Header() + Section(200, flags) + Section(220, records.substr(1)), kAllKinds, 1,
       0x30060302},
      {"contact records one byte short, contacts not selected",
       Header() + Section(200, flags) + Section(220, records.substr(1)), DATA_GROUPS, 1, 0},
      {"499 contact used bytes", Header() + Section(200, flags.substr(1)), kAllKinds, 1, 0x30060202},
      {"601 schedule used bytes", Header() + Section(1000, std::string(601, '\0')), kAllKinds, 1, 0x30060402},
      {"schedule records of 76 bytes too many", Header() + Section(1001, std::string(601 * 76, '\0')), kAllKinds, 1,
       0x30060502},
      {"to-do used bytes of 101", Header() + Section(2000, std::string(101, '\0')), kAllKinds, 1, 0x30060502},
      {"to-do records short", Header() + Section(2001, std::string(99 * 80, '\0')), kAllKinds, 1, 0x30060602},
      {"a group block of 799 bytes", Header() + Section(0, std::string(799, '\0')), kAllKinds, 1, 0x30060101},
      {"a serial number not accepted", Header() + Section(9000, std::string("HV1", 4)), kAllKinds, 0, 0x30060401},
      {"another phone type", Header(32), kAllKinds, 1, 0x30060204},
      {"a phone type of 3 bytes", Section(9001, "abc"), kAllKinds, 1, 0x30060204},
      {"item 5 of array A's 5", Header() + Section(5000, MediaPayload(5, "x")), kAllKinds, 1, 0x30060702},
      {"an item of B whose length is not its data", Header() + Section(6000, MediaPayload(0, "xy", 1)), kAllKinds, 1,
       0x30060802},
      {"an item of C shorter than its head", Header() + Section(7000, std::string(37, '\0')), kAllKinds, 1, 0x30060902},
      {"an item of D claiming 4 GB", Header() + Section(8000, MediaPayload(0, "", 0xFFFFFFFF)), kAllKinds, 1,
       0x30060902},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write(c.bytes);
    CPhoneDevice phone(engine);
    phone.SetKindMask(c.kinds);
    phone.Contacts()[3].used = 1;
    EXPECT_EQ(phone.LoadDataFile(Path().c_str(), c.acceptSerial), c.error);
    EXPECT_EQ(GetLastError(), c.error);
    if (c.kinds & DATA_CONTACTS) {
      EXPECT_EQ(phone.Contacts()[3].used, 0) << "the selected kinds were reset first";
    }
  }
  CPhoneDevice phone(engine);
  EXPECT_EQ(phone.LoadDataFile(Path("missing.dat").c_str(), 1), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(DataFile, TheVersionIsTakenFirstAndALoadStopsWhereItsFileDoes) {
  Write(Section(9002, std::string("M", 2)) + Section(4001, std::string("VERSION9\0tail", 13)) + Section(10000, ""));
  CPhoneDevice phone(engine);
  EXPECT_EQ(phone.LoadDataFile(Path().c_str(), 1), 0x30060101u);
  EXPECT_STREQ(phone.GetVersionText(), "VERSION9") << "the version is taken before any other section";
  EXPECT_STREQ(phone.GetModel(), "M");

  // A saved file cut within each of its sections: the error of a payload past the end, and the
  // kinds before the cut filled.
  CPhoneDevice saved(engine);
  Fill(saved);
  ASSERT_EQ(saved.SaveDataFile(Path("whole.dat").c_str(), 1), 0u);
  const std::string whole = Read("whole.dat");
  for (std::size_t at = 0, index = 0; at < whole.size(); ++index) {
    std::uint32_t length = 0;
    for (int i = 3; i >= 0; --i) length = length << 8 | static_cast<unsigned char>(whole[at + 4 + static_cast<std::size_t>(i)]);
    const std::size_t next = at + 8 + length;
    Write(whole.substr(0, at + 8 + length / 2));
    CPhoneDevice cut(engine);
    cut.SetKindMask(kAllKinds);
    const DWORD result = cut.LoadDataFile(Path().c_str(), 1);
    if (length > 0) {
      EXPECT_EQ(result, index == 0 ? 0x30060201u : 0x30060301u) << "cut in section " << index;
    }
    if (index > 6 && length > 0) {
      EXPECT_STREQ(cut.Contacts()[42].name, "Anna Nowak") << "before the cut " << index;
    }
    at = next;
  }
}

TEST_F(DataFile, ASaveThatFailsLeavesNoFileAndTheOldOneStands) {
  struct Case {
    const char* name;
    std::function<void(CPhoneBase&)> spoil;
    DWORD error;
  };
  const auto contact = [](CPhoneBase& phone) -> ContactEntry& { return phone.Contacts()[42]; };
  const Case cases[] = {
      {"a group name of 43 bytes", [](CPhoneBase& p) { p.Groups()[3].name = CString(std::string(43, 'g').c_str()); },
       0x30061805},
      {"a name of 42 bytes", [&](CPhoneBase& p) { contact(p).name = CString(std::string(42, 'n').c_str()); }, 0x30060205},
      {"an e-mail of 102 bytes", [&](CPhoneBase& p) { contact(p).emails[1] = CString(std::string(102, 'e').c_str()); },
       0x30060405},
      {"a text of 66 bytes", [&](CPhoneBase& p) { contact(p).texts[0] = CString(std::string(66, 't').c_str()); },
       0x30060605},
      {"text 3 of 32 bytes", [&](CPhoneBase& p) { contact(p).text3 = CString(std::string(32, '3').c_str()); }, 0x30060805},
      {"text 4 of 22 bytes", [&](CPhoneBase& p) { contact(p).text4 = CString(std::string(22, '4').c_str()); }, 0x30061005},
      {"a number of 23 digits", [&](CPhoneBase& p) { contact(p).numbers[6] = "12345678901234567890123"; }, 0x30061505},
      {"a schedule description of 67 bytes",
       [](CPhoneBase& p) { p.ScheduleEntries()[0].description = CString(std::string(67, 's').c_str()); }, 0x30061205},
      {"a to-do description of 34 characters, 68 bytes",
       [](CPhoneBase& p) {
         std::string text;
         for (int i = 0; i < 34; ++i) text += "ß";
         p.ToDoEntries()[0].description = CString(text.c_str());
       },
       0x30061405},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Write("the old file");
    CPhoneDevice phone(engine);
    Fill(phone);
    c.spoil(phone);
    EXPECT_EQ(phone.SaveDataFile(Path().c_str(), 1), c.error);
    EXPECT_EQ(Read(), "the old file");
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"phone.dat"});  // no partial file beside it
    EXPECT_TRUE(phone.RawBlock1().owned) << "raw blocks stay until a save is in place";
  }
  CPhoneDevice phone(engine);
  EXPECT_EQ(phone.SaveDataFile(Path("no-such-folder/phone.dat").c_str(), 0), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}
