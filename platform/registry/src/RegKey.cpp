#include "RegKey.h"

#include <algorithm>

namespace tolvar::registry {

namespace {
char Fold(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

bool NamesEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

const RegValue* RegKey::FindValue(std::string_view name) const {
  for (const RegValue& value : m_values)
    if (NamesEqual(value.name, name)) return &value;
  return nullptr;
}

bool RegKey::SetValue(RegValue value) {
  for (RegValue& existing : m_values) {
    if (!NamesEqual(existing.name, value.name)) continue;
    // The stored name keeps the case it was created with, as on Windows.
    if (existing.type == value.type && existing.data == value.data) return false;
    existing.type = value.type;
    existing.data = std::move(value.data);
    return true;
  }
  m_values.push_back(std::move(value));
  return true;
}

bool RegKey::DeleteValue(std::string_view name) {
  auto it = std::find_if(m_values.begin(), m_values.end(),
                         [&](const RegValue& v) { return NamesEqual(v.name, name); });
  if (it == m_values.end()) return false;
  m_values.erase(it);
  return true;
}

RegKey* RegKey::FindSubkey(std::string_view name) {
  for (auto& key : m_subkeys)
    if (NamesEqual(key->m_name, name)) return key.get();
  return nullptr;
}

const RegKey* RegKey::FindSubkey(std::string_view name) const {
  return const_cast<RegKey*>(this)->FindSubkey(name);
}

RegKey& RegKey::AddSubkey(std::string_view name, bool* created) {
  if (RegKey* existing = FindSubkey(name)) {
    if (created) *created = false;
    return *existing;
  }
  if (created) *created = true;
  m_subkeys.push_back(std::make_unique<RegKey>(std::string(name)));
  return *m_subkeys.back();
}

bool RegKey::DeleteSubkey(std::string_view name) {
  auto it = std::find_if(m_subkeys.begin(), m_subkeys.end(),
                         [&](const auto& k) { return NamesEqual(k->m_name, name); });
  if (it == m_subkeys.end()) return false;
  m_subkeys.erase(it);
  return true;
}

RegKey* RegKey::Find(const std::vector<std::string>& path) {
  RegKey* key = this;
  for (const std::string& step : path) {
    key = key->FindSubkey(step);
    if (!key) return nullptr;
  }
  return key;
}

const RegKey* RegKey::Find(const std::vector<std::string>& path) const {
  return const_cast<RegKey*>(this)->Find(path);
}

}  // namespace tolvar::registry
