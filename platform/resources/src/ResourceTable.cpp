#include "ResourceTable.h"

#include <resources/Resource.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>

namespace tolvar::resources {
namespace {

constexpr size_t kHeaderSize = 16, kEntrySize = 20;
constexpr std::uint32_t kNameFlag = 0x80000000;

std::uint32_t Le32(const std::vector<BYTE>& b, size_t at) {
  return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
         (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
WORD Le16(const std::vector<BYTE>& b, size_t at) { return static_cast<WORD>(b[at] | (b[at + 1] << 8)); }

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

}  // namespace

std::optional<ResKey> ResKey::FromArgument(LPCSTR value) {
  if (IS_INTRESOURCE(value)) return ResKey{static_cast<WORD>(reinterpret_cast<ULONG_PTR>(value)), {}};
  if (value[0] == '#') {
    // "#123" names the integer id 123.
    unsigned long id = 0;
    const char* p = value + 1;
    if (!*p) return std::nullopt;
    for (; *p; ++p) {
      if (*p < '0' || *p > '9') return std::nullopt;
      id = id * 10 + static_cast<unsigned long>(*p - '0');
      if (id > 0xFFFF) return std::nullopt;
    }
    return ResKey{static_cast<WORD>(id), {}};
  }
  if (!*value) return std::nullopt;
  return ResKey{0, Upper(value)};
}

std::unique_ptr<ResourceTable> ResourceTable::Parse(std::vector<BYTE> bytes) {
  auto table = std::make_unique<ResourceTable>();
  table->m_bytes = std::move(bytes);
  const auto& b = table->m_bytes;
  if (b.size() < kHeaderSize || std::memcmp(b.data(), "TRSC", 4) != 0 || Le16(b, 4) != 1 ||
      Le16(b, 6) != kEntrySize || Le32(b, 12) > b.size())
    return nullptr;
  size_t count = Le32(b, 8);
  if (count > (b.size() - kHeaderSize) / kEntrySize) return nullptr;

  auto key = [&](std::uint32_t raw, ResKey& out) {
    if (!(raw & kNameFlag)) {
      if (raw > 0xFFFF) return false;
      out = ResKey{static_cast<WORD>(raw), {}};
      return true;
    }
    size_t at = raw & ~kNameFlag;
    if (at >= b.size()) return false;
    const char* text = reinterpret_cast<const char*>(b.data() + at);
    size_t length = strnlen(text, b.size() - at);
    if (length == b.size() - at || length == 0) return false;  // unterminated or empty
    out = ResKey{0, std::string(text, length)};
    return true;
  };
  for (size_t i = 0; i < count; ++i) {
    size_t e = kHeaderSize + i * kEntrySize;
    ResourceEntry entry;
    if (!key(Le32(b, e), entry.type) || !key(Le32(b, e + 4), entry.name)) return nullptr;
    entry.language = Le16(b, e + 8);
    std::uint32_t offset = Le32(b, e + 12), size = Le32(b, e + 16);
    if (offset > b.size() || size > b.size() - offset) return nullptr;
    entry.data = std::span<const BYTE>(b.data() + offset, size);
    table->m_entries.push_back(std::move(entry));
  }
  return table;
}

const ResourceEntry* ResourceTable::Find(const ResKey& type, const ResKey& name, std::optional<WORD> language,
                                         FindFailure* failure) const {
  std::vector<const ResourceEntry*> candidates;
  bool typeSeen = false;
  for (const auto& entry : m_entries) {
    if (!(entry.type == type)) continue;
    typeSeen = true;
    if (entry.name == name) candidates.push_back(&entry);
  }
  auto fail = [&](FindFailure why) -> const ResourceEntry* {
    if (failure) *failure = why;
    return nullptr;
  };
  if (!typeSeen) return fail(FindFailure::Type);
  if (candidates.empty()) return fail(FindFailure::Name);

  auto withLanguage = [&](auto&& accept) -> const ResourceEntry* {
    for (const ResourceEntry* entry : candidates)
      if (accept(entry->language)) return entry;
    return nullptr;
  };
  constexpr WORD kNeutral = 0x0000, kUsEnglish = 0x0409, kEnglish = 0x09;
  const ResourceEntry* found = nullptr;
  if (language) {
    WORD wanted = *language;
    found = withLanguage([&](WORD l) { return l == wanted; });
    if (!found) found = withLanguage([&](WORD l) { return l == (wanted & 0x3FF); });
    if (!found) found = withLanguage([&](WORD l) { return l == kNeutral; });
    if (!found) return fail(FindFailure::Language);
  } else {
    found = withLanguage([&](WORD l) { return l == kNeutral; });
    if (!found) found = withLanguage([&](WORD l) { return l == kUsEnglish; });
    if (!found) found = withLanguage([&](WORD l) { return (l & 0x3FF) == kEnglish; });
    if (!found) found = candidates.front();
  }
  if (failure) *failure = FindFailure::None;
  return found;
}

bool ResourceTable::Owns(const ResourceEntry* entry) const {
  std::less_equal<const ResourceEntry*> notAfter;
  std::less<const ResourceEntry*> before;
  return !m_entries.empty() && notAfter(m_entries.data(), entry) && before(entry, m_entries.data() + m_entries.size());
}

}  // namespace tolvar::resources
