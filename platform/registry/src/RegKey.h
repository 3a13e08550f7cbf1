#pragma once
// The in-memory tree of a hive: keys with their values and subkeys, both in creation order.
#include <base/WinDef.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tolvar::registry {

// Registry names compare without regard to ASCII case.
bool NamesEqual(std::string_view a, std::string_view b);

struct RegValue {
  std::string name;  // "" is the default value
  DWORD type = 0;
  std::vector<BYTE> data;
};

class RegKey {
public:
  explicit RegKey(std::string name) : m_name(std::move(name)) {}

  const std::string& Name() const { return m_name; }

  const std::vector<RegValue>& Values() const { return m_values; }
  const RegValue* FindValue(std::string_view name) const;
  // Replaces a value in its place, or appends a new one. Returns false when nothing changed.
  bool SetValue(RegValue value);
  bool DeleteValue(std::string_view name);

  std::size_t SubkeyCount() const { return m_subkeys.size(); }
  const RegKey& Subkey(std::size_t index) const { return *m_subkeys[index]; }
  RegKey* FindSubkey(std::string_view name);
  const RegKey* FindSubkey(std::string_view name) const;
  // The subkey of that name, created (appended) when missing.
  RegKey& AddSubkey(std::string_view name, bool* created = nullptr);
  bool DeleteSubkey(std::string_view name);

  // Walks a path of subkey names; nullptr when a step is missing.
  RegKey* Find(const std::vector<std::string>& path);
  const RegKey* Find(const std::vector<std::string>& path) const;

private:
  std::string m_name;
  std::vector<RegValue> m_values;
  std::vector<std::unique_ptr<RegKey>> m_subkeys;
};

}  // namespace tolvar::registry
