// The remembered files and their registry form: see CsvSettings.h.
#include "CsvSettings.h"

#include <registry/WinReg.h>

#include <algorithm>
#include <cstdio>

namespace tabulon {
namespace {

constexpr char kKey[] = "Software\\Halvane\\Tolvar\\Tabulon";

// Closes the key it holds.
class RegKey {
public:
  RegKey() = default;
  ~RegKey() {
    if (m_key) RegCloseKey(m_key);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  bool Create(HKEY parent, const char* path) {
    return RegCreateKeyExA(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr) == ERROR_SUCCESS;
  }
  HKEY Get() const { return m_key; }

private:
  HKEY m_key = nullptr;
};

bool ReadDword(HKEY key, const char* name, DWORD& value) {
  DWORD type = REG_NONE, size = sizeof value;
  DWORD read = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(&read), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof read)
    return false;
  value = read;
  return true;
}

bool WriteDword(HKEY key, const char* name, DWORD value) {
  return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
         ERROR_SUCCESS;
}

// A string value read whole, at the size the registry reports.
std::string ReadString(HKEY key, const char* name) {
  DWORD type = REG_NONE, size = 0;
  if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ || size == 0)
    return {};
  std::string text(size, '\0');
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(text.data()), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return {};
  text.resize(std::min<std::size_t>(size, text.size()));
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
  return text;
}

std::string SlotKeyPath(int index) {
  char path[80];
  std::snprintf(path, sizeof path, "%s\\File%d", kKey, index);
  return path;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

int CCsvSettings::Find(std::string_view path) const {
  for (std::size_t i = 0; i < m_slots.size(); ++i)
    if (EqualsNoCase(m_slots[i].path, path)) return static_cast<int>(i);
  return -1;
}

void CCsvSettings::Remember(const CsvFileSlot& file) {
  if (m_slots.empty()) return;
  int from = Find(file.path);
  if (from < 0) from = SlotCount() - 1;
  for (int i = from; i > 0; --i) m_slots[static_cast<std::size_t>(i)] = m_slots[static_cast<std::size_t>(i - 1)];
  m_slots[0] = file;
}

bool CCsvSettings::Load() {
  m_slots.clear();
  RegKey key;
  if (!key.Create(HKEY_CURRENT_USER, kKey)) return false;
  DWORD count = 0;
  if (!ReadDword(key.Get(), "CSV_NFILES", count) || count < 1 || count > kMostFileSlots) {
    count = kDefaultFileSlots;
    WriteDword(key.Get(), "CSV_NFILES", count);
  }
  m_slots.resize(count);
  for (DWORD i = 0; i < count; ++i) {
    RegKey slot;
    if (!slot.Create(HKEY_CURRENT_USER, SlotKeyPath(static_cast<int>(i)).c_str())) continue;
    CsvFileSlot& file = m_slots[i];
    file.path = ReadString(slot.Get(), "CSV_FILE_PATH");
    DWORD value = 0;
    if (ReadDword(slot.Get(), "CSV_SEPARATOR", value)) file.separator = static_cast<char>(value & 0xFF);
    if (ReadDword(slot.Get(), "CSV_TITLE", value)) file.headerLine = value != 0;
  }
  return true;
}

bool CCsvSettings::Save() const {
  bool ok = true;
  for (std::size_t i = 0; i < m_slots.size(); ++i) {
    RegKey slot;
    if (!slot.Create(HKEY_CURRENT_USER, SlotKeyPath(static_cast<int>(i)).c_str())) {
      ok = false;
      continue;
    }
    const CsvFileSlot& file = m_slots[i];
    ok &= RegSetValueExA(slot.Get(), "CSV_FILE_PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(file.path.c_str()),
                         static_cast<DWORD>(file.path.size() + 1)) == ERROR_SUCCESS;
    ok &= WriteDword(slot.Get(), "CSV_TITLE", file.headerLine ? 1 : 0);
    ok &= WriteDword(slot.Get(), "CSV_SEPARATOR", static_cast<unsigned char>(file.separator));
  }
  return ok;
}

}  // namespace tabulon
