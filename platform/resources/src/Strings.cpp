// String tables: blocks of 16 strings, block id = string id / 16 + 1, each string a length word
// followed by that many UTF-16 units (no terminator).
#include "ModuleTables.h"

#include <base/CodePage.h>
#include <base/LastError.h>
#include <base/WinError.h>
#include <resources/Resource.h>
#include <resources/ResourceData.h>

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

static_assert(std::endian::native == std::endian::little, "string resources are read in place");

namespace {

// The units of string `id`, pointing into the resource, or nullptr with the last error set.
const WCHAR* FindString(HINSTANCE instance, UINT id, size_t& length) {
  if (id > 0xFFFF) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  auto block = tolvar::resources::ResourceBytes(instance, RT_STRING, MAKEINTRESOURCE(static_cast<WORD>(id / 16 + 1)));
  if (block.empty()) return nullptr;
  size_t at = 0;
  for (UINT index = 0;; ++index) {
    if (at + 2 > block.size()) break;
    size_t units = static_cast<size_t>(block[at] | (block[at + 1] << 8));
    at += 2;
    if (units * 2 > block.size() - at) break;  // a damaged block
    if (index == id % 16) {
      if (units == 0) break;
      length = units;
      // Blocks start 8-byte aligned and strings on even offsets, so the units are aligned for WCHAR.
      return reinterpret_cast<const WCHAR*>(block.data() + at);
    }
    at += units * 2;
  }
  SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
  return nullptr;
}

}  // namespace

int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
  if (!buffer || bufferMax <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  buffer[0] = '\0';
  size_t units = 0;
  const WCHAR* text = FindString(instance, id, units);
  if (!text) return 0;
  int needed = WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
  std::string converted(static_cast<size_t>(std::max(needed, 0)), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(units), converted.data(), needed, nullptr, nullptr);
  // Truncate to fit, never through the middle of a UTF-8 sequence.
  size_t n = std::min(converted.size(), static_cast<size_t>(bufferMax - 1));
  if (n < converted.size())
    while (n > 0 && (static_cast<unsigned char>(converted[n]) & 0xC0) == 0x80) --n;
  std::memcpy(buffer, converted.data(), n);
  buffer[n] = '\0';
  SetLastError(ERROR_SUCCESS);
  return static_cast<int>(n);
}

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
  if (!buffer || bufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t units = 0;
  const WCHAR* text = FindString(instance, id, units);
  if (bufferMax == 0) {
    // The caller gets a pointer to the read-only string itself.
    const WCHAR* pointer = text;
    std::memcpy(buffer, &pointer, sizeof pointer);
    return text ? static_cast<int>(units) : 0;
  }
  buffer[0] = 0;
  if (!text) return 0;
  size_t n = std::min(units, static_cast<size_t>(bufferMax - 1));
  if (n < units && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;  // keep pairs whole
  std::memcpy(buffer, text, n * sizeof(WCHAR));
  buffer[n] = 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<int>(n);
}
