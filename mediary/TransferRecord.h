#pragma once
// The rows both panes keep: one TransferRecord per row of a phone folder, per file dropped on the
// phone for upload, and per phone file queued for download to the PC. The fields are kept apart in
// the record; nothing is joined into a text and split again, as PC file names may hold any
// character but the separator.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Item data word bits of a pane row.
namespace RowBits {
constexpr std::uint32_t File = 0x01;
constexpr std::uint32_t Folder = 0x02;
constexpr std::uint32_t Queued = 0x04;       // queued for a transfer; a just-made folder; editable
constexpr std::uint32_t SizeRefused = 0x08;  // refused by the size rule
constexpr std::uint32_t Parent = 0x10;       // the parent-folder entry
constexpr std::uint32_t Phone = 0x20;        // a row of the phone pane
constexpr std::uint32_t Pc = 0x40;           // a row of the PC pane
constexpr std::uint32_t Handed = 0x80;       // a phone file handed to the PC pane for download
constexpr std::uint32_t Marked = 0x100;      // marked for deletion on the phone
constexpr std::uint32_t Unusable = 0x200;    // not recognised or too large
constexpr std::uint32_t Special = 0x400;     // the model's special folder, or a folder made in it
constexpr std::uint32_t Attribute = 0x1000;  // the phone reported attribute bit 0x10
constexpr std::uint32_t Shortcut = 0x2000;   // a PC shortcut to a folder

constexpr std::uint32_t PhoneFile = Phone | File;      // 0x21
constexpr std::uint32_t PhoneFolder = Phone | Folder;  // 0x22
constexpr std::uint32_t PcFile = Pc | File;            // 0x41
constexpr std::uint32_t PcFolder = Pc | Folder;        // 0x42
constexpr std::uint32_t PcParent = Pc | Parent;        // 0x50

constexpr bool Has(std::uint32_t word, std::uint32_t bits) { return (word & bits) == bits; }
}  // namespace RowBits

// Images of the list base's own icon strip.
namespace RowImage {
constexpr int ParentEntry = 0;
constexpr int Folder = 1;
constexpr int Picture = 2;
constexpr int Sound = 3;
constexpr int Movie = 4;
constexpr int Marked = 5;
constexpr int FolderChanged = 6;
constexpr int OfMediaClass(int mediaClass) { return Picture + mediaClass; }
}  // namespace RowImage

struct TransferRecord;

// A folder's rows; `parent` leads back to the folder that holds it (null for a main folder).
struct RecordTable {
  std::vector<TransferRecord> rows;
  RecordTable* parent = nullptr;
};

struct TransferRecord {
  std::string name;  // the name at the target (phone row: its name on the phone)
  std::string path;  // upload: the PC file; download: the PC target path
  std::uint32_t dataWord = 0;
  int image = 0;
  std::uint32_t id = 0;        // phone folder id of a folder row, file id of a file row
  std::uint32_t secondId = 0;  // a phone folder's second number, passed back when it is deleted
  std::string kind;            // media kind name of a phone file
  std::uint32_t size = 0;      // bytes
  std::int32_t listingIndex = -1;  // the phone's index of the file in its folder (-1: not from the phone)
  std::unique_ptr<RecordTable> children;  // folder rows only

  bool IsFolder() const { return (dataWord & RowBits::Folder) != 0; }
};
