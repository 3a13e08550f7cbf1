// The owning registry key: the Reg* calls behind it, with each value read in the size the registry
// reports (asked again should another process grow it between the two calls).
#include <registry/RegistryKey.h>

#include <algorithm>
#include <utility>

namespace tolvar::registry {

namespace {

const char* NameOrDefault(const char* name) { return name ? name : ""; }

}  // namespace

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
  if (this != &other) {
    Close();
    m_key = other.Release();
  }
  return *this;
}

LSTATUS RegistryKey::Open(HKEY parent, std::string_view path, REGSAM access) {
  Close();
  const std::string text(path);
  HKEY key = nullptr;
  const LSTATUS status = RegOpenKeyExA(parent, text.c_str(), 0, access, &key);
  if (status == ERROR_SUCCESS) m_key = key;
  return status;
}

LSTATUS RegistryKey::Create(HKEY parent, std::string_view path, REGSAM access, bool* created) {
  Close();
  const std::string text(path);
  HKEY key = nullptr;
  DWORD disposition = 0;
  const LSTATUS status = RegCreateKeyExA(parent, text.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access,
                                         nullptr, &key, &disposition);
  if (status == ERROR_SUCCESS) m_key = key;
  if (created) *created = status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
  return status;
}

void RegistryKey::Close() {
  if (m_key) RegCloseKey(std::exchange(m_key, nullptr));
}

HKEY RegistryKey::Release() { return std::exchange(m_key, nullptr); }

LSTATUS RegistryKey::QueryValue(const char* name, DWORD& type, std::vector<BYTE>& data) const {
  if (!m_key) return ERROR_INVALID_HANDLE;
  for (;;) {
    DWORD size = 0;
    DWORD found = REG_NONE;
    LSTATUS status = RegQueryValueExA(m_key, NameOrDefault(name), nullptr, &found, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    std::vector<BYTE> bytes(size);
    DWORD read = size;
    status = RegQueryValueExA(m_key, NameOrDefault(name), nullptr, &found, bytes.data(), &read);
    if (status == ERROR_MORE_DATA) continue;  // grown meanwhile: ask for its size again
    if (status != ERROR_SUCCESS) return status;
    bytes.resize(std::min(read, size));
    type = found;
    data = std::move(bytes);
    return ERROR_SUCCESS;
  }
}

LSTATUS RegistryKey::QueryString(const char* name, std::string& value) const {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  const LSTATUS status = QueryValue(name, type, data);
  if (status != ERROR_SUCCESS) return status;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
  const auto end = std::find(data.begin(), data.end(), BYTE{0});
  value.assign(data.begin(), end);
  return ERROR_SUCCESS;
}

LSTATUS RegistryKey::QueryDword(const char* name, DWORD& value) const {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  const LSTATUS status = QueryValue(name, type, data);
  if (status != ERROR_SUCCESS) return status;
  if (type != REG_DWORD || data.size() != 4) return ERROR_INVALID_DATA;
  value = static_cast<DWORD>(data[0]) | static_cast<DWORD>(data[1]) << 8 | static_cast<DWORD>(data[2]) << 16 |
          static_cast<DWORD>(data[3]) << 24;
  return ERROR_SUCCESS;
}

LSTATUS RegistryKey::QueryBinary(const char* name, std::vector<BYTE>& value) const {
  DWORD type = REG_NONE;
  return QueryValue(name, type, value);
}

LSTATUS RegistryKey::SetValue(const char* name, DWORD type, std::span<const BYTE> data) {
  if (!m_key) return ERROR_INVALID_HANDLE;
  return RegSetValueExA(m_key, NameOrDefault(name), 0, type, data.data(), static_cast<DWORD>(data.size()));
}

LSTATUS RegistryKey::SetString(const char* name, std::string_view value) {
  std::vector<BYTE> bytes(value.begin(), value.end());
  bytes.push_back(0);
  return SetValue(name, REG_SZ, bytes);
}

LSTATUS RegistryKey::SetDword(const char* name, DWORD value) {
  const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8), static_cast<BYTE>(value >> 16),
                         static_cast<BYTE>(value >> 24)};
  return SetValue(name, REG_DWORD, bytes);
}

LSTATUS RegistryKey::SetBinary(const char* name, std::span<const BYTE> value) {
  return SetValue(name, REG_BINARY, value);
}

LSTATUS RegistryKey::DeleteValue(const char* name) {
  if (!m_key) return ERROR_INVALID_HANDLE;
  return RegDeleteValueA(m_key, NameOrDefault(name));
}

LSTATUS RegistryKey::DeleteSubKey(const char* name) {
  if (!m_key) return ERROR_INVALID_HANDLE;
  if (!name || !*name) return ERROR_INVALID_PARAMETER;  // never the key this object holds
  return RegDeleteKeyA(m_key, name);
}

namespace {

// Walks one of the two enumerations with a name buffer as long as the longest name, made longer
// should another process add a longer name meanwhile.
template <class Enumerate>
LSTATUS CollectNames(HKEY key, DWORD longest, Enumerate enumerate, std::vector<std::string>& names) {
  std::vector<std::string> found;
  for (DWORD index = 0;;) {
    std::string name(static_cast<std::size_t>(longest) + 1, '\0');
    DWORD size = longest + 1;
    const LSTATUS status = enumerate(key, index, name.data(), &size);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status == ERROR_MORE_DATA && longest < 0x10000) {
      longest = longest * 2 + 64;
      continue;
    }
    if (status != ERROR_SUCCESS) return status;
    name.resize(size);
    found.push_back(std::move(name));
    ++index;
  }
  names = std::move(found);
  return ERROR_SUCCESS;
}

}  // namespace

LSTATUS RegistryKey::SubKeyNames(std::vector<std::string>& names) const {
  if (!m_key) return ERROR_INVALID_HANDLE;
  DWORD longest = 0;
  const LSTATUS status = RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, nullptr, &longest, nullptr, nullptr,
                                          nullptr, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) return status;
  return CollectNames(m_key, longest,
                      [](HKEY key, DWORD index, LPSTR name, LPDWORD size) {
                        return RegEnumKeyExA(key, index, name, size, nullptr, nullptr, nullptr, nullptr);
                      },
                      names);
}

LSTATUS RegistryKey::ValueNames(std::vector<std::string>& names) const {
  if (!m_key) return ERROR_INVALID_HANDLE;
  DWORD longest = 0;
  const LSTATUS status = RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                          &longest, nullptr, nullptr, nullptr);
  if (status != ERROR_SUCCESS) return status;
  return CollectNames(m_key, longest,
                      [](HKEY key, DWORD index, LPSTR name, LPDWORD size) {
                        return RegEnumValueA(key, index, name, size, nullptr, nullptr, nullptr, nullptr);
                      },
                      names);
}

}  // namespace tolvar::registry
