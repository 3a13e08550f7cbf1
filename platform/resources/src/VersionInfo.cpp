// Version records read from files on disk.
//
// The buffer GetFileVersionInfoA fills holds the record as compiled (UTF-16) followed by an area for
// the UTF-8 forms of its texts: the text whose value lies at byte offset o of the record is kept at
// offset A + o * 3 / 2, where A is the record's size rounded up to a DWORD. A UTF-16 unit needs at
// most three UTF-8 bytes, so the slots never overlap, and VerQueryValueA only hands out pointers.
#include "ElfSection.h"
#include "ResourceTable.h"

#include <base/CodePage.h>
#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Module.h>
#include <resources/Resource.h>
#include <resources/Version.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr WORD kRtVersion = 16;

size_t AlignUp(size_t v) { return (v + 3) & ~size_t(3); }
WORD Le16(const BYTE* p) { return static_cast<WORD>(p[0] | (p[1] << 8)); }

struct Node {
  size_t start = 0, end = 0;  // the node's bytes within the record
  bool text = false;
  std::string key;            // UTF-8
  size_t valueOffset = 0, valueBytes = 0;
  size_t childrenOffset = 0;
};

// Reads the node at `at` of a record of `size` bytes; nothing when it does not fit.
std::optional<Node> ReadNode(const BYTE* record, size_t size, size_t at) {
  if (at + 6 > size) return std::nullopt;
  Node node;
  node.start = at;
  size_t length = Le16(record + at);
  WORD valueLength = Le16(record + at + 2);
  node.text = Le16(record + at + 4) == 1;
  if (length < 6 || length > size - at) return std::nullopt;
  node.end = at + length;
  size_t p = at + 6;
  std::u16string key;
  for (;; p += 2) {
    if (p + 2 > node.end) return std::nullopt;
    WORD unit = Le16(record + p);
    if (unit == 0) break;
    key.push_back(static_cast<char16_t>(unit));
  }
  int n = WideCharToMultiByte(CP_UTF8, 0, key.data(), static_cast<int>(key.size()), nullptr, 0, nullptr, nullptr);
  node.key.resize(static_cast<size_t>(std::max(n, 0)));
  WideCharToMultiByte(CP_UTF8, 0, key.data(), static_cast<int>(key.size()), node.key.data(), n, nullptr, nullptr);
  node.valueOffset = std::min(AlignUp(p + 2), node.end);
  node.valueBytes = std::min<size_t>(node.text ? valueLength * 2u : valueLength, node.end - node.valueOffset);
  node.childrenOffset = AlignUp(node.valueOffset + node.valueBytes);
  return node;
}

template <class Visit>
bool ForEachChild(const BYTE* record, const Node& parent, Visit&& visit) {
  for (size_t at = parent.childrenOffset; at < parent.end;) {
    auto child = ReadNode(record, parent.end, at);
    if (!child) return false;
    if (!visit(*child)) return true;
    at = AlignUp(child->end);
  }
  return true;
}

// Checks every node below `node` and calls `onText` for each text value; false for a damaged record.
template <class OnText>
bool WalkAll(const BYTE* record, const Node& node, OnText& onText, int depth = 0) {
  if (depth > 16) return false;
  if (node.text && node.valueBytes > 0) onText(node);
  bool intact = true;
  bool complete = ForEachChild(record, node, [&](const Node& child) {
    intact = WalkAll(record, child, onText, depth + 1);
    return intact;
  });
  return intact && complete;
}

template <class OnText>
bool ValidAndWalk(const BYTE* record, size_t size, OnText&& onText) {
  auto root = ReadNode(record, size, 0);
  return root && WalkAll(record, *root, onText);
}

// The version record of a file on disk: "Vezezudara.exe" is looked for as "Vezezudara".
std::optional<std::vector<BYTE>> ReadVersionRecord(LPCSTR fileName) {
  if (!fileName || !*fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  std::string mapped = tolvar::kernel::MapModuleName(fileName);
  std::replace(mapped.begin(), mapped.end(), '\\', '/');
  auto read = tolvar::resources::ReadElfSection(mapped, tolvar::resources::kResourceSection);
  if (!read.opened && mapped != fileName) read = tolvar::resources::ReadElfSection(fileName, tolvar::resources::kResourceSection);
  if (!read.opened) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return std::nullopt;
  }
  std::unique_ptr<tolvar::resources::ResourceTable> table;
  if (read.bytes) table = tolvar::resources::ResourceTable::Parse(std::move(*read.bytes));
  if (!table) {
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return std::nullopt;
  }
  // The record is resource 1 by custom; take the first of the type whatever its name.
  const tolvar::resources::ResourceEntry* found = nullptr;
  for (const auto& entry : table->Entries())
    if (entry.type.text.empty() && entry.type.id == kRtVersion && (!found || entry.name.id == 1)) found = &entry;
  if (!found) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return std::nullopt;
  }
  std::vector<BYTE> record(found->data.begin(), found->data.end());
  auto root = ReadNode(record.data(), record.size(), 0);
  if (!root || !ValidAndWalk(record.data(), root->end, [](const Node&) {})) {
    SetLastError(ERROR_INVALID_DATA);
    return std::nullopt;
  }
  record.resize(root->end);
  return record;
}

size_t BufferSizeFor(size_t recordSize) {
  size_t area = AlignUp(recordSize);
  return area + area * 3 / 2 + 4;
}

}  // namespace

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
  if (handle) *handle = 0;
  auto record = ReadVersionRecord(fileName);
  if (!record) return 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(BufferSizeFor(record->size()));
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD size, LPVOID data) {
  if (!data) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  auto record = ReadVersionRecord(fileName);
  if (!record) return FALSE;
  size_t needed = BufferSizeFor(record->size());
  if (size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  auto* out = static_cast<BYTE*>(data);
  std::memset(out, 0, needed);
  std::memcpy(out, record->data(), record->size());
  size_t area = AlignUp(record->size());
  ValidAndWalk(record->data(), record->size(), [&](const Node& node) {
    // Units up to the first NUL, as UTF-8, in the node's slot of 3 bytes per unit (NUL included).
    size_t units = node.valueBytes / 2, n = 0;
    std::u16string text;
    for (; n < units; ++n) {
      WORD unit = Le16(record->data() + node.valueOffset + 2 * n);
      if (unit == 0) break;
      text.push_back(static_cast<char16_t>(unit));
    }
    char* slot = reinterpret_cast<char*>(out + area + node.valueOffset * 3 / 2);
    size_t room = units * 3;
    int written = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(std::max(written, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), utf8.data(), written, nullptr, nullptr);
    size_t keep = std::min(utf8.size(), room - 1);
    while (keep < utf8.size() && keep > 0 && (static_cast<unsigned char>(utf8[keep]) & 0xC0) == 0x80) --keep;
    std::memcpy(slot, utf8.data(), keep);
    slot[keep] = '\0';
  });
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* length) {
  if (!block || !subBlock || !buffer || !length) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const auto* record = static_cast<const BYTE*>(block);
  size_t size = Le16(record);
  auto node = ReadNode(record, size, 0);
  if (!node) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  std::string path(subBlock);
  size_t at = 0;
  while (at < path.size()) {
    size_t slash = path.find('\\', at);
    std::string part = path.substr(at, slash == std::string::npos ? std::string::npos : slash - at);
    at = slash == std::string::npos ? path.size() : slash + 1;
    if (part.empty()) continue;
    std::optional<Node> match;
    ForEachChild(record, *node, [&](const Node& child) {
      if (child.key.size() == part.size() &&
          std::equal(part.begin(), part.end(), child.key.begin(), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
          }))
        match = child;
      return !match;
    });
    if (!match) {
      SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
      *buffer = nullptr;
      *length = 0;
      return FALSE;
    }
    node = match;
  }
  if (node->text && node->valueBytes > 0) {
    auto* text = reinterpret_cast<char*>(const_cast<BYTE*>(record) + AlignUp(size) + node->valueOffset * 3 / 2);
    *buffer = text;
    *length = static_cast<UINT>(std::strlen(text) + 1);
  } else {
    *buffer = const_cast<BYTE*>(record) + node->valueOffset;
    *length = static_cast<UINT>(node->valueBytes);
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
