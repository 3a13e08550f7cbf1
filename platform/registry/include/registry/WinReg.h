#pragma once
// The registry: Reg* on HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, kept in text hive files under home
// ("user.reg" and "machine.reg"). As on Windows, every function returns its error code (ERROR_SUCCESS,
// ERROR_FILE_NOT_FOUND, ERROR_MORE_DATA...) and leaves the thread's last error alone.
//
// Names of keys and values compare without regard to ASCII case and keep the case they were created
// with. Keys and values enumerate in the order they were created. Every write reaches the disk before
// the call returns; other processes see it on their next call.
#include <base/WinDef.h>
#include <base/WinError.h>

using LSTATUS = LONG;
using REGSAM = DWORD;
using PFILETIME = FILETIME*;

// Predefined keys, with Windows' values (a 32-bit number sign-extended to a pointer).
inline const HKEY HKEY_CURRENT_USER =
    reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000001u)));
inline const HKEY HKEY_LOCAL_MACHINE =
    reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(0x80000002u)));

// Value types. The layer stores the bytes a caller gives under any type; it converts nothing.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_MULTI_SZ = 7;

// Access rights of a key handle.
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_READ = 0x00020019;
constexpr REGSAM KEY_WRITE = 0x00020006;
constexpr REGSAM KEY_EXECUTE = 0x00020019;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;

// RegCreateKeyEx options and dispositions. Only non-volatile keys exist here.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0x00000000;
constexpr DWORD REG_CREATED_NEW_KEY = 0x00000001;
constexpr DWORD REG_OPENED_EXISTING_KEY = 0x00000002;

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options,
                        REGSAM desired, const SECURITY_ATTRIBUTES* security, PHKEY result,
                        LPDWORD disposition);
LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result);
LSTATUS RegCloseKey(HKEY key);

// A NULL or empty value name is the key's default value ("@").
LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize);
LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD dataSize);
LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName);

// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED otherwise, as on Windows NT). An empty
// subkey name deletes the key the handle names.
LSTATUS RegDeleteKeyA(HKEY key, LPCSTR subKey);

// nameSize: in, the buffer's size in characters with room for the NUL; out, the name's length.
LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD nameSize, LPDWORD reserved,
                      LPDWORD type, LPBYTE data, LPDWORD dataSize);
// Keys have no class here (an empty one). The last-write time given is that of the hive file.
LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                      LPSTR keyClass, LPDWORD classSize, PFILETIME lastWriteTime);
LSTATUS RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classSize, LPDWORD reserved,
                         LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                         LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                         LPDWORD securityDescriptorSize, PFILETIME lastWriteTime);

inline LSTATUS RegCreateKeyEx(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass,
                              DWORD options, REGSAM desired, const SECURITY_ATTRIBUTES* security,
                              PHKEY result, LPDWORD disposition) {
  return RegCreateKeyExA(key, subKey, reserved, keyClass, options, desired, security, result,
                         disposition);
}
inline LSTATUS RegOpenKeyEx(HKEY key, LPCSTR subKey, DWORD options, REGSAM desired, PHKEY result) {
  return RegOpenKeyExA(key, subKey, options, desired, result);
}
inline LSTATUS RegQueryValueEx(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                               LPBYTE data, LPDWORD dataSize) {
  return RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
}
inline LSTATUS RegSetValueEx(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type,
                             const BYTE* data, DWORD dataSize) {
  return RegSetValueExA(key, valueName, reserved, type, data, dataSize);
}
inline LSTATUS RegDeleteValue(HKEY key, LPCSTR valueName) { return RegDeleteValueA(key, valueName); }
inline LSTATUS RegDeleteKey(HKEY key, LPCSTR subKey) { return RegDeleteKeyA(key, subKey); }
inline LSTATUS RegEnumValue(HKEY key, DWORD index, LPSTR valueName, LPDWORD nameSize,
                            LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  return RegEnumValueA(key, index, valueName, nameSize, reserved, type, data, dataSize);
}
inline LSTATUS RegEnumKeyEx(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                            LPSTR keyClass, LPDWORD classSize, PFILETIME lastWriteTime) {
  return RegEnumKeyExA(key, index, name, nameSize, reserved, keyClass, classSize, lastWriteTime);
}
inline LSTATUS RegQueryInfoKey(HKEY key, LPSTR keyClass, LPDWORD classSize, LPDWORD reserved,
                               LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                               LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                               LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) {
  return RegQueryInfoKeyA(key, keyClass, classSize, reserved, subKeys, maxSubKeyLength,
                          maxClassLength, values, maxValueNameLength, maxValueLength,
                          securityDescriptorSize, lastWriteTime);
}
