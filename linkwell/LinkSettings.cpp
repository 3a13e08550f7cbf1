#include "LinkSettings.h"

#include <registry/WinReg.h>

#include <algorithm>

#include <strings.h>

#include <cctype>
#include <cstring>
#include <vector>

namespace {
constexpr char kSettingsKey[] = "Software\\Halvane\\Tolvar\\Settings";
}

CSettingsKey::CSettingsKey() { m_key.Create(HKEY_CURRENT_USER, kSettingsKey, KEY_ALL_ACCESS); }

CSettingsKey::~CSettingsKey() = default;

std::optional<DWORD> CSettingsKey::ReadDword(LPCSTR name) const {
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
  if (m_key.QueryValue(name, type, bytes) != ERROR_SUCCESS || bytes.size() > 4) return std::nullopt;
  // Fewer bytes than four leave the rest as zero, as a read into a zeroed DWORD does.
  bytes.resize(4, 0);
  return static_cast<DWORD>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<DWORD>(bytes[3]) << 24);
}

bool CSettingsKey::WriteDword(LPCSTR name, DWORD value) { return m_key.SetDword(name, value) == ERROR_SUCCESS; }

std::optional<std::string> CSettingsKey::ReadText(LPCSTR name, DWORD limit) const {
  if (limit == 0) return std::nullopt;
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
  if (m_key.QueryValue(name, type, bytes) != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  // The whole value is read and then cut: a longer value is still there, not a missing one.
  const std::size_t cut = std::min<std::size_t>(bytes.size(), limit - 1);
  const auto end = std::find(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut), BYTE{0});
  return std::string(bytes.begin(), end);
}

bool CSettingsKey::WriteText(LPCSTR name, const std::string& value) {
  return m_key.SetString(name, value) == ERROR_SUCCESS;
}

bool CSettingsKey::DeleteValue(LPCSTR name) { return m_key.DeleteValue(name) == ERROR_SUCCESS; }

DWORD EuropeanSupportFor(const std::string& build, const std::string& phone) {
  if (build.size() < 3) return 0;
  const char variant = static_cast<char>(std::toupper(static_cast<unsigned char>(build[2])));
  if (variant != 'E' && variant != 'T') return 0;
  return strcasecmp(phone.c_str(), "Quarn") == 0 ? 0 : 1;
}
