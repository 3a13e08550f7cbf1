#pragma once
// Dialog templates read field by field: DLGTEMPLATE with DLGITEMTEMPLATE entries and
// DLGTEMPLATEEX with DLGITEMTEMPLATEEX entries, each entry on a DWORD boundary; menu, class and
// title fields are 0x0000 (none), 0xFFFF and an ordinal, or a NUL-terminated UTF-16 text.
#include <base/WinDef.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tolvar::user {

struct NameOrOrdinal {
  bool isOrdinal = false;
  WORD ordinal = 0;
  std::string text;  // UTF-8
  bool empty() const { return !isOrdinal && text.empty(); }
};

struct DialogItemTemplate {
  DWORD helpId = 0;
  DWORD exStyle = 0;
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  std::string className;  // predefined atoms become their names ("Button", "Edit"...)
  NameOrOrdinal title;
  std::vector<BYTE> creationData;
};

struct DialogTemplate {
  bool extended = false;
  DWORD helpId = 0;
  DWORD exStyle = 0;
  DWORD style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu;
  NameOrOrdinal className;
  std::string caption;
  bool hasFont = false;
  WORD pointSize = 0;
  WORD weight = 0;
  BYTE italic = 0;
  BYTE charset = 1;
  std::string face;
  std::vector<DialogItemTemplate> items;
};

// Reads a template of at most `size` bytes (SIZE_MAX when the caller does not know); nullopt when
// it runs past the end or is not a template.
std::optional<DialogTemplate> ParseDialogTemplate(const BYTE* bytes, std::size_t size);

}  // namespace tolvar::user
