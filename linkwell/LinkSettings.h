#pragma once
// The suite's settings key "Software\Halvane\Tolvar\Settings" under HKEY_CURRENT_USER, opened (and
// created when missing) with full access for as long as the object lives.
#include <base/WinDef.h>
#include <registry/RegistryKey.h>

#include <optional>
#include <string>

// "EuropeanSupport" for a phone: 1 when the build's third letter is "E" or "T" (either case) and the
// phone is not a Quarn, else 0. A build without a third letter names no variant: 0.
DWORD EuropeanSupportFor(const std::string& build, const std::string& phone);

class CSettingsKey {
 public:
  CSettingsKey();
  ~CSettingsKey();
  CSettingsKey(const CSettingsKey&) = delete;
  CSettingsKey& operator=(const CSettingsKey&) = delete;

  bool IsOpen() const { return m_key.IsOpen(); }
  // The value read into 4 bytes; none when it is missing, larger, or the key could not be opened.
  std::optional<DWORD> ReadDword(LPCSTR name) const;
  bool WriteDword(LPCSTR name, DWORD value);
  // A text value, cut to `limit` bytes with its NUL; none when it is missing or not text.
  std::optional<std::string> ReadText(LPCSTR name, DWORD limit = 256) const;
  bool WriteText(LPCSTR name, const std::string& value);
  bool DeleteValue(LPCSTR name);

 private:
  tolvar::registry::RegistryKey m_key;
};
