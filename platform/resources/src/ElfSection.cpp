#include "ElfSection.h"

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tolvar::resources {
namespace {

constexpr std::uint64_t kLargestSection = 64u << 20;

class File {
public:
  explicit File(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~File() {
    if (m_fd >= 0) ::close(m_fd);
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  bool IsOpen() const { return m_fd >= 0; }
  bool Read(std::uint64_t offset, void* buffer, size_t size) const {
    auto* out = static_cast<char*>(buffer);
    while (size > 0) {
      ssize_t n = ::pread(m_fd, out, size, static_cast<off_t>(offset));
      if (n <= 0) return false;
      out += n, offset += static_cast<std::uint64_t>(n), size -= static_cast<size_t>(n);
    }
    return true;
  }

private:
  int m_fd;
};

std::uint64_t Le(const BYTE* p, int bytes) {
  std::uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

struct SectionHeader {
  std::uint32_t name = 0, type = 0, link = 0;
  std::uint64_t offset = 0, size = 0;
};

constexpr size_t kHeaderSize = 64, kSectionHeaderSize = 64;
constexpr std::uint32_t kShtNobits = 8;

bool ReadSectionHeader(const File& file, std::uint64_t tableOffset, std::uint64_t index, SectionHeader& out) {
  BYTE raw[kSectionHeaderSize];
  if (!file.Read(tableOffset + index * kSectionHeaderSize, raw, sizeof raw)) return false;
  out.name = static_cast<std::uint32_t>(Le(raw + 0, 4));
  out.type = static_cast<std::uint32_t>(Le(raw + 4, 4));
  out.offset = Le(raw + 24, 8);
  out.size = Le(raw + 32, 8);
  out.link = static_cast<std::uint32_t>(Le(raw + 40, 4));
  return true;
}

}  // namespace

SectionRead ReadElfSection(const std::string& path, std::string_view name) {
  SectionRead result;
  File file(path);
  if (!file.IsOpen()) return result;
  result.opened = true;

  BYTE header[kHeaderSize];
  if (!file.Read(0, header, sizeof header) || std::memcmp(header, "\x7F" "ELF", 4) != 0 ||
      header[4] != 2 /* 64-bit */ || header[5] != 1 /* little-endian */)
    return result;
  std::uint64_t tableOffset = Le(header + 0x28, 8);
  std::uint64_t entrySize = Le(header + 0x3A, 2);
  std::uint64_t count = Le(header + 0x3C, 2);
  std::uint64_t namesIndex = Le(header + 0x3E, 2);
  if (tableOffset == 0 || entrySize != kSectionHeaderSize) return result;
  // Files with very many sections keep the real count and name-table index in section 0.
  SectionHeader first;
  if (!ReadSectionHeader(file, tableOffset, 0, first)) return result;
  if (count == 0) count = first.size;
  if (namesIndex == 0xFFFF) namesIndex = first.link;
  if (count > 0x100000 || namesIndex >= count) return result;

  SectionHeader names;
  if (!ReadSectionHeader(file, tableOffset, namesIndex, names) || names.size > kLargestSection) return result;
  std::vector<char> nameTable(names.size);
  if (!file.Read(names.offset, nameTable.data(), nameTable.size())) return result;

  for (std::uint64_t i = 1; i < count; ++i) {
    SectionHeader section;
    if (!ReadSectionHeader(file, tableOffset, i, section)) return result;
    if (section.name >= nameTable.size()) continue;
    const char* sectionName = nameTable.data() + section.name;
    size_t room = nameTable.size() - section.name;
    if (strnlen(sectionName, room) != name.size() || std::memcmp(sectionName, name.data(), name.size()) != 0)
      continue;
    if (section.type == kShtNobits || section.size > kLargestSection) return result;
    std::vector<BYTE> bytes(section.size);
    if (!file.Read(section.offset, bytes.data(), bytes.size())) return result;
    result.bytes = std::move(bytes);
    return result;
  }
  return result;
}

}  // namespace tolvar::resources
