#pragma once
// An owning registry key: opened or created by path under HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE
// (or under another key), closed when the object goes. The suite reads and writes its settings
// through it instead of pairing RegOpenKeyEx with RegCloseKey by hand on every path.
//
// Every call returns the registry's own code (ERROR_SUCCESS, ERROR_FILE_NOT_FOUND...), as the Reg*
// functions do; a call on a key that is not open answers ERROR_INVALID_HANDLE. Values are read in
// the size the registry reports, so nothing is cut at a guessed buffer size; a typed read of a
// value of another type, or of a DWORD of another size, answers ERROR_INVALID_DATA and leaves the
// caller's variable as it was.
//
//     tolvar::registry::RegistryKey key;
//     if (key.Open(HKEY_CURRENT_USER, "Software\\Halvane\\Tolvar\\Settings") == ERROR_SUCCESS) {
//       DWORD language = 0;
//       key.QueryDword("LC", language);
//     }
#include <registry/WinReg.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolvar::registry {

class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() { Close(); }
  RegistryKey(RegistryKey&& other) noexcept : m_key(other.Release()) {}
  RegistryKey& operator=(RegistryKey&& other) noexcept;
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens an existing key (a key open before is closed first, also when this fails).
  LSTATUS Open(HKEY parent, std::string_view path, REGSAM access = KEY_READ);
  // Opens the key, creating it and the keys on its way when missing; `created` tells which.
  LSTATUS Create(HKEY parent, std::string_view path, REGSAM access = KEY_ALL_ACCESS,
                 bool* created = nullptr);
  void Close();
  bool IsOpen() const { return m_key != nullptr; }
  HKEY Get() const { return m_key; }
  // Hands the handle over; the caller closes it.
  HKEY Release();

  // A value as stored: its type and all its bytes. A null or empty name is the default value.
  LSTATUS QueryValue(const char* name, DWORD& type, std::vector<BYTE>& data) const;
  // REG_SZ or REG_EXPAND_SZ, up to its first NUL (a text stored without one ends with its bytes).
  LSTATUS QueryString(const char* name, std::string& value) const;
  // REG_DWORD of exactly four bytes, little-endian.
  LSTATUS QueryDword(const char* name, DWORD& value) const;
  // The bytes of a value of any type.
  LSTATUS QueryBinary(const char* name, std::vector<BYTE>& value) const;

  // REG_SZ with its NUL.
  LSTATUS SetString(const char* name, std::string_view value);
  LSTATUS SetDword(const char* name, DWORD value);
  LSTATUS SetBinary(const char* name, std::span<const BYTE> value);
  LSTATUS SetValue(const char* name, DWORD type, std::span<const BYTE> data);
  LSTATUS DeleteValue(const char* name);
  // Deletes a subkey that has no subkeys of its own (ERROR_ACCESS_DENIED otherwise).
  LSTATUS DeleteSubKey(const char* name);

  // The names of the subkeys and of the values, in the order they were created.
  LSTATUS SubKeyNames(std::vector<std::string>& names) const;
  LSTATUS ValueNames(std::vector<std::string>& names) const;

 private:
  HKEY m_key = nullptr;
};

}  // namespace tolvar::registry
