// Sample phones, byte by byte in the phone's layouts.
//
// The stores' layouts (what the phone keeps, what the library reads and writes):
//   groups (106, 110): 19 names of 41 bytes, UTF-8, zero-padded
//   contact (256, slot): 524 bytes (471 short), 0xFF where nothing is written; name length and
//     name (32, zero-padded), seven 22-byte numbers (count, type, packed digits), two e-mails (65,
//     64 of them zero-padded), two texts (65, zero-padded), in the full layout the reading
//     (length and 30 bytes) and the name trailer (22); the flag byte and four reserved bytes,
//     three melody ids, the picture id, three choice bytes, the group (0 as 0x80 for choice and
//     group)
//   schedule used bytes (99, 3), blocks (100, b) of ten 88-byte (280 extended) records, every
//     record of a block carrying its slot number, as the store writes them
//   to-do used bytes (102, 4), blocks (103, b) of ten 80-byte (272 extended) records
//
// The phone object's layouts (its whole-phone read and write):
//   groups (106, 110): 19 names of 42 bytes, UTF-8, zero-padded
//   contact (256, slot): 524 bytes, 0xFF where nothing is written; name length and name (41),
//     seven 13-byte numbers (count, type, packed digits), two e-mails (101), two texts (65), text 3
//     length and text (31), text 4 length and text (21), attributes 2, 1, 3, 4, 5 (0 as 0x80)
//   schedule used bytes (99, 3), blocks (100, b) of ten 76-byte records
//   to-do used bytes (102, 4), blocks (103, b) of ten 80-byte records
//   media A (111, 67 + i), B (111, 22 + i), D (111, 42 + i): 28-byte header and data
//   media C (111, 0) header, (111, 1 + k) items
//   raw blocks (1, 1) and (108, 111)
#include <phonesim/WholePhoneFiles.h>

#include "ModelTable.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

namespace phonesim {

namespace {

void PutU16(std::string& bytes, std::size_t at, unsigned value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}
void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
void PutText(std::string& bytes, std::size_t at, const std::string& text) { bytes.replace(at, text.size(), text); }
void Fill(std::string& bytes, std::size_t at, std::size_t size, char value) { bytes.replace(at, size, size, value); }

// A dial number's field of `size` bytes: count of bytes from the type on, the type, digits two a
// byte with the first in the low nibble, 0xF after an odd count; all 0xFF for no number.
std::string NumberField(const std::string& number, std::size_t size) {
  std::string field(size, '\xFF');
  if (number.empty()) return field;
  std::string digits = number;
  unsigned char type = 0x81;
  if (digits[0] == '+') {
    type = 0x91;
    digits.erase(0, 1);
  }
  field[1] = static_cast<char>(type);
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const int code = digits[i] - '0';
    auto& pair = reinterpret_cast<unsigned char&>(field[2 + i / 2]);
    pair = i % 2 == 0 ? static_cast<unsigned char>(0xF0 | code) : static_cast<unsigned char>((pair & 0x0F) | code << 4);
  }
  field[0] = static_cast<char>((digits.size() + 1) / 2 + 1);
  return field;
}

std::string ContactName(int slot, int variant) { return "Contact " + std::to_string(slot) + (variant ? " B" : " A"); }
std::string FirstNumber(int slot, int variant) { return "+49" + std::to_string(1000000 + slot * 7 + variant); }
std::string ThirdNumber(int slot) { return "0" + std::to_string(30000 + slot); }

// --- the stores' layouts ---

constexpr int kGroupCount = 19;
constexpr std::size_t kGroupName = 41;
constexpr std::size_t kContactName = 32, kContactNumber = 22, kContactText = 65;
constexpr std::size_t kDescriptionField = 65, kExtendedDescriptionField = 257;

std::string StoreGroups(int variant) {
  std::string groups(kGroupCount * kGroupName, '\0');
  PutText(groups, 0, variant ? "Family B" : "Family");
  PutText(groups, kGroupName, "Work");
  PutText(groups, 5 * kGroupName, "Größe");
  return groups;
}

// A contact as the phone-book store writes it from an empty slot: what no field sets stays 0xFF.
std::string StoreContact(int slot, int variant, bool shortLayout) {
  struct Offsets {
    std::size_t flag, melody, picture, choice, group, size;
  };
  const Offsets at = shortLayout ? Offsets{446, 451, 463, 467, 470, 471} : Offsets{499, 504, 516, 520, 523, 524};
  std::string record(at.size, '\xFF');
  const std::string name = ContactName(slot, variant);
  Fill(record, 0, kContactName, '\0');
  record[0] = static_cast<char>(name.size());
  PutText(record, 1, name);
  const std::string numbers[7] = {FirstNumber(slot, variant), "", ThirdNumber(slot), "", "", "", ""};
  for (std::size_t i = 0; i < 7; ++i) PutText(record, kContactName + i * kContactNumber, NumberField(numbers[i], kContactNumber));
  const std::string texts[4] = {"c" + std::to_string(slot) + "@example.org", "second@example.org",
                                "Straße " + std::to_string(slot), ""};
  for (std::size_t i = 0; i < 4; ++i) {
    // The store's layout step, which every upload runs, carries 64 bytes of each e-mail field: an
    // address is at most that long, and the field's last byte is left 0xFF.
    const std::size_t field = kContactName + 7 * kContactNumber + i * kContactText;
    Fill(record, field, i < 2 ? kContactText - 1 : kContactText, '\0');
    PutText(record, field, texts[i]);
  }
  if (!shortLayout) {
    const std::string reading = "Reading";
    record[446] = static_cast<char>(reading.size());
    PutText(record, 447, reading);
    Fill(record, 477, 4, '\0');  // the name trailer that every name write sets
  }
  for (std::size_t i = 0; i < 3; ++i) PutU32(record, at.melody + 4 * i, 0x80000000u);  // no melody
  record[at.choice] = static_cast<char>(1 + (slot + variant) % 14);
  record[at.choice + 1] = record[at.choice + 2] = '\x80';
  record[at.group] = static_cast<char>(1 + slot % kGroupCount);
  return record;
}

// Twelve schedule entries in December 2020 in slots 0 to 11, and five to-do items in slots 0 to 4.
constexpr int kScheduleEntries = 12, kToDoItems = 5;

void AddStoreSchedule(FlashFiles& files, int variant, bool extended) {
  const std::size_t text = extended ? kExtendedDescriptionField : kDescriptionField;
  const std::size_t size = text + 23;
  std::string used(600, '\0');
  for (int block = 0; block * 10 < kScheduleEntries; ++block) {
    std::string records(10 * size, '\0');
    for (int i = 0; i < 10; ++i) {
      const int slot = block * 10 + i;
      const std::size_t at = static_cast<std::size_t>(i) * size;
      // The store writes a slot's number into its record whenever it selects the slot.
      PutU16(records, at + text + 19, static_cast<unsigned>(slot));
      if (slot >= kScheduleEntries) continue;
      used[static_cast<std::size_t>(slot)] = 1;
      PutText(records, at, "Meeting " + std::to_string(slot) + (variant ? "b" : ""));
      PutU16(records, at + text + 3, 2020);
      records[at + text + 5] = 12;
      records[at + text + 6] = static_cast<char>(1 + slot);
      records[at + text + 7] = static_cast<char>(8 + slot % 3);
      records[at + text + 8] = 30;
      records[at + text + 11] = slot % 2 ? '\x80' : '\0';  // alarm
      records[at + text + 12] = static_cast<char>(slot % 4 | (slot % 5 == 0 ? 0x80 : 0));  // repeat, private
    }
    files[{100, block}] = records;
  }
  files[{99, 3}] = used;
}

void AddStoreToDo(FlashFiles& files, int variant, bool extended) {
  const std::size_t text = extended ? kExtendedDescriptionField : kDescriptionField;
  const std::size_t size = text + 15;
  std::string used(100, '\0');
  std::string records(10 * size, '\0');
  for (int slot = 0; slot < kToDoItems; ++slot) {
    used[static_cast<std::size_t>(slot)] = 1;
    const std::size_t at = static_cast<std::size_t>(slot) * size;
    PutText(records, at, "Task " + std::to_string(slot) + (variant ? "b" : ""));
    PutU16(records, at + text + 3, 2020);
    records[at + text + 5] = 3;
    records[at + text + 6] = static_cast<char>(10 + slot);
    PutU16(records, at + text + 7, 2020);
    records[at + text + 9] = 4;
    records[at + text + 10] = static_cast<char>(10 + slot);
    records[at + text + 11] = slot % 2 ? 1 : 2;  // done, open
    if (extended) {
      records[at + text + 12] = static_cast<char>(1 + slot % 3);        // priority
      records[at + text + 13] = static_cast<char>(1 + (slot + 1) % 3);  // category
      records[at + text + 14] = slot == 3 ? 2 : 1;                      // private
    }
  }
  files[{103, 0}] = records;
  files[{102, 4}] = used;
}

// --- the phone object's layouts ---

std::string ObjectContact(int slot, int variant) {
  std::string record(524, '\xFF');
  const std::string name = ContactName(slot, variant);
  record[0] = static_cast<char>(name.size());
  PutText(record, 1, name);
  PutText(record, 42, NumberField(FirstNumber(slot, variant), 13));
  PutText(record, 42 + 2 * 13, NumberField(ThirdNumber(slot), 13));
  PutText(record, 133, "c" + std::to_string(slot) + "@example.org");
  PutText(record, 133 + 101, "second@example.org");
  PutText(record, 335, "Straße " + std::to_string(slot));
  const std::string text3 = "Reading";
  record[465] = static_cast<char>(text3.size());
  PutText(record, 466, text3);
  const std::string text4 = "T4";
  record[497] = static_cast<char>(text4.size());
  PutText(record, 498, text4);
  const unsigned char attributes[5] = {static_cast<unsigned char>(1 + slot % 19), 0x80, 3, 0x80,
                                       static_cast<unsigned char>(1 + variant)};
  for (int i = 0; i < 5; ++i) record[519 + static_cast<std::size_t>(i)] = static_cast<char>(attributes[i]);
  return record;
}

std::string MediaHeader(char code, const std::string& name, unsigned char status, std::size_t length) {
  std::string header(28, '\0');
  header[0] = code;
  PutText(header, 1, name);
  header[22] = static_cast<char>(status);
  PutU32(header, 24, static_cast<std::uint32_t>(length));
  return header;
}

std::string Data(std::size_t size, int seed) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 31 + static_cast<std::size_t>(seed) * 7) & 0xFF);
  return data;
}

}  // namespace

RecordLayouts LayoutsOf(std::string_view phone) {
  std::string_view version = phone;
  if (const std::optional<ModelRow> model = FindModel(phone)) version = model->swVersion;
  const char letter = version.empty() ? '\0' : version.front();
  return RecordLayouts{.shortContacts = letter == 'B' || letter == 'T', .extendedCalendar = letter == 'Z' || letter == 'U'};
}

FlashFiles SampleWholePhone(std::string_view phone, int variant) {
  const RecordLayouts layouts = LayoutsOf(phone);
  FlashFiles files;
  files[{106, 110}] = StoreGroups(variant);
  for (int slot : {0, 17, 499}) files[{256, slot}] = StoreContact(slot, variant, layouts.shortContacts);
  AddStoreSchedule(files, variant, layouts.extendedCalendar);
  AddStoreToDo(files, variant, layouts.extendedCalendar);
  return files;
}

FlashFiles SamplePhoneBook(int count, int variant) {
  FlashFiles files;
  for (int slot = 0; slot < count; ++slot) files[{256, slot}] = StoreContact(slot, variant, false);
  return files;
}

FlashFiles SamplePhoneObjectFiles(int variant) {
  FlashFiles files;
  std::string groups(19 * 42, '\0');
  PutText(groups, 0, variant ? "Family B" : "Family");
  PutText(groups, 42, "Work");
  PutText(groups, 5 * 42, "Größe");
  files[{106, 110}] = groups;

  for (int slot : {0, 17, 499}) files[{256, slot}] = ObjectContact(slot, variant);
  // Twelve schedule entries in time order (a whole-phone write sorts them so), two blocks.
  std::string used(600, '\0');
  std::string blocks[2] = {std::string(760, '\0'), std::string(760, '\0')};
  for (int slot = 0; slot < 12; ++slot) {
    used[static_cast<std::size_t>(slot)] = 1;
    std::string& block = blocks[slot / 10];
    const std::size_t at = static_cast<std::size_t>(slot % 10) * 76;
    PutText(block, at, "Meeting " + std::to_string(slot) + (variant ? "b" : ""));
    PutU16(block, at + 68, 2026);
    block[at + 70] = 12;
    block[at + 71] = static_cast<char>(1 + slot);
    block[at + 72] = static_cast<char>(8 + slot % 3);
    block[at + 73] = 30;
  }
  files[{99, 3}] = used;
  files[{100, 0}] = blocks[0];
  files[{100, 1}] = blocks[1];

  std::string todoUsed(100, '\0');
  std::string todo(800, '\0');
  for (int slot = 0; slot < 5; ++slot) {
    todoUsed[static_cast<std::size_t>(slot)] = 1;
    const std::size_t at = static_cast<std::size_t>(slot) * 80;
    PutText(todo, at, "Task " + std::to_string(slot));
    PutU32(todo, at + 68, static_cast<std::uint32_t>(0x01020300 + slot));
    PutU16(todo, at + 72, 2027);
    todo[at + 74] = 3;
    todo[at + 75] = static_cast<char>(10 + slot);
    todo[at + 76] = static_cast<char>(1 + slot % 3);
  }
  files[{102, 4}] = todoUsed;
  files[{103, 0}] = todo;

  // Media: A items 0 and 3, B item 1, D item 0; C two items under the array's name.
  files[{111, 67}] = MediaHeader(2, "Ring\xC3\xA9", 4, 300) + Data(300, 1 + variant);
  files[{111, 70}] = MediaHeader(2, "Alarm", 5, 70) + Data(70, 2);
  files[{111, 23}] = MediaHeader(3, "Wallpaper", 4, 1000) + Data(1000, 3);
  files[{111, 42}] = MediaHeader(4, "Clip", 5, 2500) + Data(2500, 4);
  std::string cHeader(28, '\0');
  cHeader[0] = 1;
  PutText(cHeader, 1, "Album");
  cHeader[22] = 2;
  cHeader[23] = 7;
  PutU16(cHeader, 24, 4);
  files[{111, 0}] = cHeader;
  for (int k = 0; k < 2; ++k) {
    std::string item(8, '\0');
    PutU32(item, 0, static_cast<std::uint32_t>(3 + k));
    const std::string data = Data(static_cast<std::size_t>(200 + 100 * k), 5 + k);
    PutU32(item, 4, static_cast<std::uint32_t>(data.size()));
    files[{111, 1 + k}] = item + data;
  }

  files[{1, 1}] = Data(150, 9 + variant);
  files[{108, 111}] = Data(90, 10);
  return files;
}

FlashFiles RecordFiles(const FlashFiles& files) {
  FlashFiles records;
  for (const auto& [name, bytes] : files) {
    switch (name.first) {
      case 99: case 100: case 102: case 103: case 106: case 256: records[name] = bytes; break;
      default: break;
    }
  }
  return records;
}

FlashFiles ReadFlashFiles(const std::string& stateFolder) {
  FlashFiles files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(stateFolder) / "flash", ec)) {
    if (entry.path().extension() != ".bin") continue;
    int file = 0, sub = 0;
    char separator = 0;
    std::istringstream name(entry.path().stem().string());
    if (!(name >> file >> separator >> sub) || separator != '_') continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[{file, sub}] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

bool WriteFlashFiles(const std::string& stateFolder, const FlashFiles& files) {
  const std::filesystem::path folder = std::filesystem::path(stateFolder) / "flash";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  for (const auto& [name, bytes] : files) {
    std::ofstream out(folder / (std::to_string(name.first) + "_" + std::to_string(name.second) + ".bin"), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) return false;
  }
  return true;
}

}  // namespace phonesim
