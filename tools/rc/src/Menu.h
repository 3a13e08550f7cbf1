#pragma once
// Menu templates in the normal (not extended) format: a header of two zero words, then the entries
// in order. Each entry is an option word, the command id (only when the entry is not a pop-up) and a
// NUL-terminated UTF-16 text; the entries of a pop-up follow it, and the last entry of every level
// carries MF_END.
#include <cstdint>
#include <string>
#include <vector>

namespace tolvar::rc {

constexpr std::uint16_t kMfGrayed = 0x0001;
constexpr std::uint16_t kMfDisabled = 0x0002;  // INACTIVE
constexpr std::uint16_t kMfChecked = 0x0008;
constexpr std::uint16_t kMfPopup = 0x0010;
constexpr std::uint16_t kMfMenuBarBreak = 0x0020;
constexpr std::uint16_t kMfMenuBreak = 0x0040;
constexpr std::uint16_t kMfEnd = 0x0080;
constexpr std::uint16_t kMfHelp = 0x4000;

struct MenuItem {
  std::uint16_t options = 0;  // MF_ bits from the option list; MF_POPUP and MF_END are added here
  std::uint16_t id = 0;
  std::u16string text;
  bool popup = false;
  std::vector<MenuItem> children;
};

std::vector<std::uint8_t> EncodeMenu(const std::vector<MenuItem>& items);

}  // namespace tolvar::rc
