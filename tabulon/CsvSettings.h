#pragma once
// The remembered CSV files: a number of slots, each a path with its separator and header-line
// flag, slot 0 the most recent. Kept under HKEY_CURRENT_USER "Software\Halvane\Tolvar\Tabulon",
// read when a wizard starts and written back when it ends.
#include <string>
#include <string_view>
#include <vector>

namespace tabulon {

struct CsvFileSlot {
  std::string path;
  char separator = 0;
  bool headerLine = false;
  bool operator==(const CsvFileSlot&) const = default;
};

constexpr int kDefaultFileSlots = 5;
constexpr int kMostFileSlots = 20;

class CCsvSettings {
public:
  explicit CCsvSettings(int slotCount = kDefaultFileSlots) : m_slots(static_cast<std::size_t>(slotCount)) {}

  int SlotCount() const { return static_cast<int>(m_slots.size()); }
  const CsvFileSlot& Slot(int index) const { return m_slots[static_cast<std::size_t>(index)]; }
  const std::vector<CsvFileSlot>& Slots() const { return m_slots; }

  // The slot whose path equals `path` ignoring ASCII case, or -1.
  int Find(std::string_view path) const;
  // The chosen file goes to slot 0: the slots above its old place move down by one (all of them,
  // the last dropped, when it was not remembered).
  void Remember(const CsvFileSlot& file);

  // From the registry: "CSV_NFILES" (1 to 20; anything else, or absent, is 5 and is written so),
  // then per slot "File<i>". False when the key could not be opened or made (no remembered files).
  bool Load();
  // Every slot back to the registry.
  bool Save() const;

private:
  std::vector<CsvFileSlot> m_slots;
};

bool EqualsNoCase(std::string_view a, std::string_view b);

}  // namespace tabulon
