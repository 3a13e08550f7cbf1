#pragma once
// The resources of one module, parsed from the container the resource compiler writes (its layout
// is described in tools/rc/src/ResourceSet.h): a directory of (type, name, language) entries and
// their data.
#include <base/WinDef.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tolvar::resources {

// A resource type or name: an integer id, or an upper-case text.
struct ResKey {
  WORD id = 0;
  std::string text;  // empty for an integer id

  // From a Windows argument: MAKEINTRESOURCE(n), "#n", or a name.
  static std::optional<ResKey> FromArgument(LPCSTR value);
  bool operator==(const ResKey&) const = default;
};

struct ResourceEntry {
  ResKey type;
  ResKey name;
  WORD language = 0;
  std::span<const BYTE> data;
};

enum class FindFailure { None, Type, Name, Language };

class ResourceTable {
public:
  // nullptr when the bytes are not a well-formed container.
  static std::unique_ptr<ResourceTable> Parse(std::vector<BYTE> bytes);

  // `language` absent: neutral, US English, any English, then the first there is.
  // Present: that language, its neutral sub-language, then the neutral language.
  const ResourceEntry* Find(const ResKey& type, const ResKey& name, std::optional<WORD> language,
                            FindFailure* failure = nullptr) const;

  bool Owns(const ResourceEntry* entry) const;
  const std::vector<ResourceEntry>& Entries() const { return m_entries; }

private:
  std::vector<BYTE> m_bytes;
  std::vector<ResourceEntry> m_entries;
};

}  // namespace tolvar::resources
