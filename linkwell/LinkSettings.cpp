#include "LinkSettings.h"

#include <registry/WinReg.h>

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
