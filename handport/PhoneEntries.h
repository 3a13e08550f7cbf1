#pragma once
// The phone object's own record arrays: what the whole-phone read and write and the phone data
// file move. They are apart from the record stores of a store side (those keep the phone's bytes
// for the applications' records); these hold each record taken apart into its values, as the
// phone data file and the whole-phone flash files lay them out.
#include <framework/Afx.h>

#include <base/WinDef.h>

#include <array>
#include <cstdint>
#include <vector>

// The kind mask: which data kinds the data file and the whole-phone sequences carry.
constexpr DWORD DATA_GROUPS = 0x001;
constexpr DWORD DATA_CONTACTS = 0x002;
constexpr DWORD DATA_SCHEDULE = 0x004;
constexpr DWORD DATA_TODO = 0x008;
constexpr DWORD DATA_MEDIA_C = 0x010;
constexpr DWORD DATA_MEDIA_A = 0x020;
constexpr DWORD DATA_MEDIA_B = 0x040;
constexpr DWORD DATA_MEDIA_D = 0x080;
constexpr DWORD DATA_BLOBS = 0x100;
constexpr DWORD DATA_RAW_BLOCKS = 0x200;

struct GroupEntry {
  DWORD flag = 0;
  CString name;
};

struct ContactEntry {
  DWORD number = 0;
  BYTE used = 0;
  CString name;
  CString text3;
  CString text4;
  BYTE attribute5 = 0;
  std::array<CString, 7> numbers;
  std::array<CString, 2> emails;
  std::array<CString, 2> texts;
  std::array<BYTE, 4> attributes{};  // attributes 1 to 4
  // Two texts no record carries; only a copy of the whole object moves them.
  CString spare1;
  CString spare2;
};

struct ScheduleEntry {
  DWORD number = 0;
  BYTE used = 0;
  CString description;
  SHORT year = 0;
  BYTE month = 0;
  BYTE day = 0;
  BYTE hour = 0;
  BYTE minute = 0;
  std::array<BYTE, 3> defaults{};  // from capacity parameters 18, 20 and 19 at reset
  BYTE spare = 0;
};

struct ToDoEntry {
  DWORD number = 0;
  BYTE used = 0;
  CString description;
  DWORD value = 0;  // carried as it is
  SHORT year = 0;
  BYTE month = 0;
  BYTE day = 0;
  BYTE priority = 0;
  std::array<BYTE, 3> spare{};
};

// Item status bytes.
constexpr BYTE MEDIA_EMPTY = 0;
constexpr BYTE MEDIA_SET = 4;     // data set by the caller
constexpr BYTE MEDIA_LOADED = 5;  // data loaded from a PC file

constexpr std::size_t kMediaNameSize = 21;

// One item of a media array. The name is in the OEM code page, zero-filled, not necessarily
// terminated.
struct MediaItem {
  DWORD kind = 0;
  BYTE status = MEDIA_EMPTY;
  std::array<BYTE, kMediaNameSize> name{};
  DWORD further1 = 0;
  DWORD further2 = 0;
  std::vector<BYTE> data;  // its size is the item's data length

  bool HoldsData() const { return !data.empty(); }
};

// The media arrays by their letters, in the order the phone object keeps them.
enum class MediaArray { A, B, C, D };
constexpr int kMediaArrays = 4;

// A block of bytes the phone object holds for the whole-phone data: a blob, a raw block or a raw
// block item.
struct OwnedBlock {
  DWORD owned = 0;
  std::vector<BYTE> bytes;

  void Release() {
    owned = 0;
    bytes.clear();
    bytes.shrink_to_fit();
  }
};
