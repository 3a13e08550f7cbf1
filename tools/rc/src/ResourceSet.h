#pragma once
// The compiled resources of one script, and the container that carries them in a module's
// ".tolvar_rsrc" section.
//
// Container layout (all numbers little-endian):
//   0   4  magic "TRSC"
//   4   2  layout version, 1
//   6   2  size of one directory entry, 20
//   8   4  entry count n
//   12  4  total size of the container
//   16  20 x n directory entries, sorted by type, then name, then language:
//          +0  4  type: an integer id (below 0x10000), or 0x80000000 | offset of a name
//          +4  4  name: the same encoding
//          +8  2  language id
//          +10 2  0
//          +12 4  offset of the data from the start of the container (a multiple of 8)
//          +16 4  size of the data in bytes
//   then the names (upper-case UTF-8, NUL-terminated), then the data of each entry, 8-byte aligned.
#include <compare>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tolvar::rc {

// The type or the name of a resource: an integer id or an upper-case text.
struct ResId {
  std::variant<std::uint16_t, std::string> value;

  static ResId Number(std::uint16_t id) { return ResId{id}; }
  static ResId Name(std::string name);  // upper-cased
  bool IsNumber() const { return std::holds_alternative<std::uint16_t>(value); }
  std::uint16_t AsNumber() const { return std::get<std::uint16_t>(value); }
  const std::string& AsName() const { return std::get<std::string>(value); }
  std::string Describe() const;

  friend bool operator==(const ResId&, const ResId&) = default;
  friend auto operator<=>(const ResId& a, const ResId& b) {
    // Integer ids sort before names.
    if (a.IsNumber() != b.IsNumber()) return a.IsNumber() ? std::strong_ordering::less : std::strong_ordering::greater;
    return a.value <=> b.value;
  }
};

// The resource types the compiler writes.
enum ResourceType : std::uint16_t {
  kRtCursor = 1, kRtBitmap = 2, kRtIcon = 3, kRtMenu = 4, kRtDialog = 5, kRtString = 6,
  kRtRcData = 10, kRtGroupCursor = 12, kRtGroupIcon = 14, kRtVersion = 16, kRtDlgInit = 240,
  kRtToolbar = 241,
};

struct Resource {
  ResId type;
  ResId name;
  std::uint16_t language = 0;
  std::vector<std::uint8_t> data;
};

// The container holding `resources` (which need not be sorted).
std::vector<std::uint8_t> WriteContainer(std::vector<Resource> resources);

}  // namespace tolvar::rc
