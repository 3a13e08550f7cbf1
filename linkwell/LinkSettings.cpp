#include "LinkSettings.h"

#include <registry/WinReg.h>

#include <strings.h>

#include <cctype>
#include <cstring>
#include <vector>

namespace {
constexpr char kSettingsKey[] = "Software\\Halvane\\Tolvar\\Settings";
}

CSettingsKey::CSettingsKey() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) == ERROR_SUCCESS) {
    m_key = key;
  }
}

CSettingsKey::~CSettingsKey() {
  if (m_key) RegCloseKey(m_key);
}

std::optional<DWORD> CSettingsKey::ReadDword(LPCSTR name) const {
  if (!m_key) return std::nullopt;
  BYTE bytes[4] = {};
  DWORD size = sizeof bytes;
  if (RegQueryValueExA(m_key, name, nullptr, nullptr, bytes, &size) != ERROR_SUCCESS) return std::nullopt;
  // Fewer bytes than four leave the rest as zero, as a read into a zeroed DWORD does.
  return static_cast<DWORD>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<DWORD>(bytes[3]) << 24);
}

bool CSettingsKey::WriteDword(LPCSTR name, DWORD value) {
  if (!m_key) return false;
  const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                         static_cast<BYTE>(value >> 24)};
  return RegSetValueExA(m_key, name, 0, REG_DWORD, bytes, sizeof bytes) == ERROR_SUCCESS;
}

std::optional<std::string> CSettingsKey::ReadText(LPCSTR name, DWORD limit) const {
  if (!m_key || limit == 0) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExA(m_key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) {
    return std::nullopt;
  }
  // The whole value is read and then cut: a longer value is still there, not a missing one.
  std::vector<char> text(size + 1, '\0');
  if (RegQueryValueExA(m_key, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(text.data(), strnlen(text.data(), std::min<DWORD>(size, limit - 1)));
}

bool CSettingsKey::WriteText(LPCSTR name, const std::string& value) {
  if (!m_key) return false;
  return RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

bool CSettingsKey::DeleteValue(LPCSTR name) {
  return m_key && RegDeleteValueA(m_key, name) == ERROR_SUCCESS;
}

DWORD EuropeanSupportFor(const std::string& build, const std::string& phone) {
  if (build.size() < 3) return 0;
  const char variant = static_cast<char>(std::toupper(static_cast<unsigned char>(build[2])));
  if (variant != 'E' && variant != 'T') return 0;
  return strcasecmp(phone.c_str(), "Quarn") == 0 ? 0 : 1;
}
