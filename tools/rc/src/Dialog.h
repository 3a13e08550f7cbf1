#pragma once
// Dialog templates: DLGTEMPLATE with DLGITEMTEMPLATE entries (DIALOG) and DLGTEMPLATEEX with
// DLGITEMTEMPLATEEX entries (DIALOGEX). Every entry starts on a DWORD boundary; menu, class and text
// fields are 0x0000 (none), 0xFFFF and an ordinal, or a NUL-terminated UTF-16 text.
#include <cstdint>
#include <string>
#include <vector>

namespace tolvar::rc {

// Class atoms of the predefined control classes.
constexpr std::uint16_t kAtomButton = 0x0080;
constexpr std::uint16_t kAtomEdit = 0x0081;
constexpr std::uint16_t kAtomStatic = 0x0082;
constexpr std::uint16_t kAtomListBox = 0x0083;
constexpr std::uint16_t kAtomScrollBar = 0x0084;
constexpr std::uint16_t kAtomComboBox = 0x0085;

constexpr std::uint32_t kDsSetFont = 0x40;

struct NameOrOrdinal {
  enum class Kind { None, Ordinal, Text } kind = Kind::None;
  std::uint16_t ordinal = 0;
  std::u16string text;

  static NameOrOrdinal Ordinal(std::uint16_t v) { return {Kind::Ordinal, v, {}}; }
  static NameOrOrdinal Text(std::u16string t) { return {Kind::Text, 0, std::move(t)}; }
};

struct DialogControl {
  std::uint32_t helpId = 0;
  std::uint32_t exStyle = 0;
  std::uint32_t style = 0;
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;
  std::uint32_t id = 0;  // a WORD in DIALOG templates
  NameOrOrdinal windowClass;
  NameOrOrdinal title;
};

struct DialogTemplate {
  bool extended = false;
  std::uint32_t helpId = 0;
  std::uint32_t style = 0;
  std::uint32_t exStyle = 0;
  std::int16_t x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu;
  NameOrOrdinal windowClass;
  std::u16string caption;
  bool hasFont = false;
  std::uint16_t pointSize = 0;
  std::uint16_t weight = 0;   // DIALOGEX only
  std::uint8_t italic = 0;    // DIALOGEX only
  std::uint8_t charset = 1;   // DIALOGEX only; DEFAULT_CHARSET unless given
  std::u16string typeface;
  std::vector<DialogControl> controls;
};

std::vector<std::uint8_t> EncodeDialog(const DialogTemplate& dialog);

}  // namespace tolvar::rc
