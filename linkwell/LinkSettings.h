#pragma once
// The suite's settings key "Software\Halvane\Tolvar\Settings" under HKEY_CURRENT_USER, opened (and
// created when missing) with full access for as long as the object lives.
#include <base/WinDef.h>

#include <optional>

class CSettingsKey {
 public:
  CSettingsKey();
  ~CSettingsKey();
  CSettingsKey(const CSettingsKey&) = delete;
  CSettingsKey& operator=(const CSettingsKey&) = delete;

  bool IsOpen() const { return m_key != nullptr; }
  // The value read into 4 bytes; none when it is missing, larger, or the key could not be opened.
  std::optional<DWORD> ReadDword(LPCSTR name) const;
  bool WriteDword(LPCSTR name, DWORD value);

 private:
  HKEY m_key = nullptr;
};
