// Registry values by key path. Every key opened here is closed on every path through the function
// (an owning handle), and a value is read into a buffer one byte longer than the registry reported,
// cleared, so that a text stored without its NUL still ends.
#include "Common.h"

#include <vector>

namespace {

class Key {
public:
  ~Key() {
    if (m_key) RegCloseKey(m_key);
  }
  PHKEY out() { return &m_key; }
  HKEY get() const { return m_key; }

private:
  HKEY m_key = nullptr;
};

// The value's bytes; 0 or a registry code. An empty value, or a second query that fails, is 4306.
LONG ReadValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, std::vector<BYTE>& bytes, DWORD& size) {
  Key key;
  LONG result = RegOpenKeyExA(root, keyPath, 0, KEY_READ, key.out());
  if (result != ERROR_SUCCESS) return result;
  size = 0;
  result = RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, &size);
  if (result != ERROR_SUCCESS) return result;
  bytes.assign(static_cast<std::size_t>(size) + 1, 0);
  DWORD read = size;
  if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, bytes.data(), &read) != ERROR_SUCCESS || read == 0)
    return kCommonEmptyValue;
  size = read;
  return ERROR_SUCCESS;
}

LONG WriteValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, DWORD type, const BYTE* data, DWORD size, BOOL create) {
  Key key;
  LONG result = create ? RegCreateKeyExA(root, keyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_CREATE_SUB_KEY | KEY_SET_VALUE, nullptr, key.out(), nullptr)
                       : RegOpenKeyExA(root, keyPath, 0, KEY_SET_VALUE, key.out());
  if (result != ERROR_SUCCESS) return result;
  return RegSetValueExA(key.get(), valueName, 0, type, data, size);
}

}  // namespace

LONG GetRegistryKeyValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, CString& value) {
  std::vector<BYTE> bytes;
  DWORD size = 0;
  LONG result = ReadValue(root, keyPath, valueName, bytes, size);
  if (result == ERROR_SUCCESS) value = reinterpret_cast<const char*>(bytes.data());
  return result;
}

LONG GetRegistryKeyValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, DWORD& value) {
  Key key;
  LONG result = RegOpenKeyExA(root, keyPath, 0, KEY_READ, key.out());
  if (result != ERROR_SUCCESS) return result;
  DWORD size = 0;
  result = RegQueryValueExA(key.get(), valueName, nullptr, nullptr, nullptr, &size);
  if (result != ERROR_SUCCESS) return result;
  if (size == 0) return kCommonEmptyValue;
  if (size != sizeof(DWORD)) return kCommonBadNumberSize;
  BYTE bytes[4] = {};
  DWORD read = sizeof bytes;
  if (RegQueryValueExA(key.get(), valueName, nullptr, nullptr, bytes, &read) != ERROR_SUCCESS || read == 0)
    return kCommonEmptyValue;
  value = static_cast<DWORD>(bytes[0]) | static_cast<DWORD>(bytes[1]) << 8 | static_cast<DWORD>(bytes[2]) << 16 |
          static_cast<DWORD>(bytes[3]) << 24;
  return ERROR_SUCCESS;
}

LONG GetRegistryAltKeyValue(HKEY root, LPCSTR keyPath, LPCSTR altKeyPath, LPCSTR valueName, CString& value) {
  if (GetRegistryKeyValue(root, keyPath, valueName, value) == ERROR_SUCCESS) return ERROR_SUCCESS;
  return GetRegistryKeyValue(root, altKeyPath, valueName, value);
}

LONG GetRegistryAltKeyValue(HKEY root, LPCSTR keyPath, LPCSTR altKeyPath, LPCSTR valueName, DWORD& value) {
  if (GetRegistryKeyValue(root, keyPath, valueName, value) == ERROR_SUCCESS) return ERROR_SUCCESS;
  return GetRegistryKeyValue(root, altKeyPath, valueName, value);
}

LONG SetRegistryKeyValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, DWORD value, BOOL create) {
  const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                         static_cast<BYTE>(value >> 24)};
  return WriteValue(root, keyPath, valueName, REG_DWORD, bytes, sizeof bytes, create);
}

LONG SetRegistryKeyValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, LPCSTR value, BOOL create) {
  const std::string text = value ? value : "";
  return WriteValue(root, keyPath, valueName, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                    static_cast<DWORD>(text.size()), create);
}

LONG GetRegistryEnumKey(HKEY root, LPCSTR keyPath, CString* names, int& count) {
  Key key;
  LONG result = RegOpenKeyExA(root, keyPath, 0, KEY_READ, key.out());
  const int limit = count;
  count = 0;
  if (result != ERROR_SUCCESS) return result;
  for (DWORD index = 0; limit == 0 || count < limit; ++index) {
    char name[260] = {};
    DWORD size = sizeof name;
    LONG found = RegEnumKeyExA(key.get(), index, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (found != ERROR_SUCCESS && found != ERROR_MORE_DATA) break;  // a name cut short still counts
    name[sizeof name - 1] = '\0';
    if (names) names[count] = name;
    ++count;
  }
  return result;
}
