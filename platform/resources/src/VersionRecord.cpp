// The version record reader: the record copied out of the file once, its first translation looked
// up once, and each text asked for under that translation.
#include <resources/VersionRecord.h>

#include <cstdio>
#include <cstring>

namespace tolvar::resources {

bool VersionRecord::Read(LPCSTR path) {
  m_block.clear();
  m_hasTranslation = false;
  m_language = m_codePage = 0;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &handle);
  if (size == 0) return false;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoA(path, handle, size, block.data())) return false;
  m_block = std::move(block);
  void* pairs = nullptr;
  UINT length = 0;
  if (VerQueryValueA(m_block.data(), "\\VarFileInfo\\Translation", &pairs, &length) && pairs && length >= 4) {
    const auto* bytes = static_cast<const BYTE*>(pairs);
    m_language = static_cast<WORD>(bytes[0] | bytes[1] << 8);
    m_codePage = static_cast<WORD>(bytes[2] | bytes[3] << 8);
    m_hasTranslation = true;
  }
  return true;
}

std::optional<std::string> VersionRecord::Value(std::string_view name) const {
  if (m_block.empty()) return std::nullopt;
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04x%04x\\", m_language, m_codePage);
  const std::string path = prefix + std::string(name);
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(m_block.data(), path.c_str(), &value, &length) || !value) return std::nullopt;
  const char* text = static_cast<const char*>(value);
  return std::string(text, strnlen(text, length));
}

const VS_FIXEDFILEINFO* VersionRecord::Fixed() const {
  if (m_block.empty()) return nullptr;
  void* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(m_block.data(), "\\", &fixed, &length) || !fixed || length < sizeof(VS_FIXEDFILEINFO))
    return nullptr;
  return static_cast<const VS_FIXEDFILEINFO*>(fixed);
}

}  // namespace tolvar::resources
