// Registry values by key path, through the registry's owning key: every key opened here is closed
// on every path through the function, and a value is read whole, in the size the registry reports.
#include "Common.h"

#include <registry/RegistryKey.h>

#include <vector>

namespace {

using tolvar::registry::RegistryKey;

const char* PathOrRoot(LPCSTR keyPath) { return keyPath ? keyPath : ""; }

// The value's bytes; 0 or a registry code. An empty value is 4306.
LONG ReadValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, std::vector<BYTE>& bytes) {
  RegistryKey key;
  LONG result = key.Open(root, PathOrRoot(keyPath), KEY_READ);
  if (result != ERROR_SUCCESS) return result;
  DWORD type = REG_NONE;
  result = key.QueryValue(valueName, type, bytes);
  if (result != ERROR_SUCCESS) return result;
  return bytes.empty() ? kCommonEmptyValue : ERROR_SUCCESS;
}

LONG WriteValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, DWORD type, std::span<const BYTE> data, BOOL create) {
  RegistryKey key;
  LONG result = create ? key.Create(root, PathOrRoot(keyPath), KEY_CREATE_SUB_KEY | KEY_SET_VALUE)
                       : key.Open(root, PathOrRoot(keyPath), KEY_SET_VALUE);
  if (result != ERROR_SUCCESS) return result;
  return key.SetValue(valueName, type, data);
}

}  // namespace

LONG GetRegistryKeyValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, CString& value) {
  std::vector<BYTE> bytes;
  LONG result = ReadValue(root, keyPath, valueName, bytes);
  if (result != ERROR_SUCCESS) return result;
  bytes.push_back(0);  // a text stored without its NUL still ends
  value = reinterpret_cast<const char*>(bytes.data());
  return ERROR_SUCCESS;
}

LONG GetRegistryKeyValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, DWORD& value) {
  std::vector<BYTE> bytes;
  LONG result = ReadValue(root, keyPath, valueName, bytes);
  if (result != ERROR_SUCCESS) return result;
  if (bytes.size() != sizeof(DWORD)) return kCommonBadNumberSize;
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
  return WriteValue(root, keyPath, valueName, REG_DWORD, bytes, create);
}

LONG SetRegistryKeyValue(HKEY root, LPCSTR keyPath, LPCSTR valueName, LPCSTR value, BOOL create) {
  const std::string text = value ? value : "";
  return WriteValue(root, keyPath, valueName, REG_SZ,
                    std::span(reinterpret_cast<const BYTE*>(text.data()), text.size()), create);
}

LONG GetRegistryEnumKey(HKEY root, LPCSTR keyPath, CString* names, int& count) {
  RegistryKey key;
  LONG result = key.Open(root, PathOrRoot(keyPath), KEY_READ);
  const int limit = count;
  count = 0;
  if (result != ERROR_SUCCESS) return result;
  std::vector<std::string> found;
  if (key.SubKeyNames(found) != ERROR_SUCCESS) return result;  // the key went meanwhile: none listed
  for (const std::string& name : found) {
    if (limit != 0 && count >= limit) break;
    if (names) names[count] = name.c_str();
    ++count;
  }
  return result;
}
