#pragma once
// Reads one section of an ELF file on disk, by name. Any file may be asked: a file that is not a
// 64-bit little-endian ELF file simply has no sections.
#include <base/WinDef.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvar::resources {

constexpr std::string_view kResourceSection = ".tolvar_rsrc";

struct SectionRead {
  bool opened = false;                      // the file could be opened
  std::optional<std::vector<BYTE>> bytes;   // the section, when the file has it
};

SectionRead ReadElfSection(const std::string& path, std::string_view name);

}  // namespace tolvar::resources
