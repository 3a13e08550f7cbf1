// The Reg* functions: argument checks and access rights here, the tree and its file in HiveFile.
#include "Hives.h"
#include "KeyTable.h"
#include "SerialComm.h"

#include <registry/WinReg.h>

#include <algorithm>
#include <cstring>
#include <optional>

using namespace tolvar::registry;

namespace {

constexpr DWORD kMaximumAllowed = 0x02000000;
constexpr DWORD kGenericAll = 0x10000000;
constexpr DWORD kGenericExecute = 0x20000000;
constexpr DWORD kGenericWrite = 0x40000000;
constexpr DWORD kGenericRead = 0x80000000;

// Generic rights become the key rights they stand for, as Windows maps them.
REGSAM MapAccess(REGSAM desired) {
  REGSAM access = desired & 0x00FFFFFF & ~kMaximumAllowed;
  if (desired & kGenericRead) access |= KEY_READ;
  if (desired & kGenericWrite) access |= KEY_WRITE;
  if (desired & kGenericExecute) access |= KEY_EXECUTE;
  if (desired & (kGenericAll | kMaximumAllowed)) access |= KEY_ALL_ACCESS;
  return access;
}

std::string_view ValueName(LPCSTR name) { return name ? std::string_view(name) : std::string_view(); }

// Splits a subkey path at its backslashes. A leading backslash is refused as on Windows; empty steps
// (a trailing or doubled backslash) are skipped.
std::optional<std::vector<std::string>> SplitPath(LPCSTR subKey) {
  std::vector<std::string> steps;
  if (!subKey) return steps;
  std::string_view rest(subKey);
  if (!rest.empty() && rest.front() == '\\') return std::nullopt;
  while (!rest.empty()) {
    std::size_t slash = rest.find('\\');
    std::string_view step = rest.substr(0, slash);
    if (!step.empty()) steps.emplace_back(step);
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return steps;
}

bool IsSerialComm(bool machine, const std::vector<std::string>& path) {
  const auto& serial = SerialCommPath();
  if (!machine || path.size() != serial.size()) return false;
  for (std::size_t i = 0; i < path.size(); ++i)
    if (!NamesEqual(path[i], serial[i])) return false;
  return true;
}

// True when `path` is the device map or one of its parents, which the layer keeps in place.
bool IsSerialCommOrParent(bool machine, const std::vector<std::string>& path) {
  const auto& serial = SerialCommPath();
  if (!machine || path.size() > serial.size()) return false;
  for (std::size_t i = 0; i < path.size(); ++i)
    if (!NamesEqual(path[i], serial[i])) return false;
  return true;
}

// Copies value data the way RegQueryValueEx and RegEnumValue do: a NULL buffer asks for the size,
// a short one gets ERROR_MORE_DATA with the size needed stored.
LSTATUS CopyData(const std::vector<BYTE>& bytes, LPBYTE data, LPDWORD dataSize) {
  if (!dataSize) return ERROR_SUCCESS;
  DWORD size = static_cast<DWORD>(bytes.size());
  if (!data) {
    *dataSize = size;
    return ERROR_SUCCESS;
  }
  if (*dataSize < size) {
    *dataSize = size;
    return ERROR_MORE_DATA;
  }
  if (size) std::memcpy(data, bytes.data(), size);
  *dataSize = size;
  return ERROR_SUCCESS;
}

// Copies a name into a character buffer of *size characters; ERROR_MORE_DATA when the name and its
// NUL do not fit. On success *size is the name's length.
LSTATUS CopyName(const std::string& name, LPSTR buffer, LPDWORD size) {
  if (name.size() + 1 > *size) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  *size = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

DWORD RefreshSnapshot(KeyHandle& handle) {
  std::vector<RegValue> values;
  if (DWORD error = SerialCommValues(values)) return error;
  handle.snapshot = std::move(values);
  return ERROR_SUCCESS;
}

std::shared_ptr<KeyHandle> NewHandle(const KeyHandle& parent, std::vector<std::string> steps,
                                     REGSAM access) {
  auto handle = std::make_shared<KeyHandle>();
  handle->hive = parent.hive;
  handle->machine = parent.machine;
  handle->path = parent.path;
  for (auto& step : steps) handle->path.push_back(std::move(step));
  handle->access = access;
  handle->serialComm = IsSerialComm(handle->machine, handle->path);
  return handle;
}

// Opens the handle (the device map is made at this moment) and hands it out.
LSTATUS Publish(std::shared_ptr<KeyHandle> handle, PHKEY result) {
  if (handle->serialComm) {
    std::lock_guard guard(handle->snapshotMutex);
    if (DWORD error = RefreshSnapshot(*handle)) return static_cast<LSTATUS>(error);
  }
  *result = InsertKey(std::move(handle));
  return ERROR_SUCCESS;
}

// Runs `reader` on the values of the handle's key: the device map's snapshot, or the hive's key.
// `refresh` remakes the device map first.
template <class Reader>
LSTATUS ReadValues(KeyHandle& handle, bool refresh, Reader reader) {
  if (handle.serialComm) {
    std::lock_guard guard(handle.snapshotMutex);
    if (refresh)
      if (DWORD error = RefreshSnapshot(handle)) return static_cast<LSTATUS>(error);
    return static_cast<LSTATUS>(reader(handle.snapshot));
  }
  return static_cast<LSTATUS>(handle.hive->Read([&](const RegKey& root) -> DWORD {
    const RegKey* key = root.Find(handle.path);
    if (!key) return ERROR_KEY_DELETED;
    return reader(key->Values());
  }));
}

// Runs `change` on the handle's key in the hive; the device map is remade after a change to it.
template <class Change>
LSTATUS ChangeKey(KeyHandle& handle, Change change) {
  DWORD result = handle.hive->Modify([&](RegKey& root, bool& changed) -> DWORD {
    RegKey* key = root.Find(handle.path);
    if (!key) return ERROR_KEY_DELETED;
    return change(*key, changed);
  });
  if (result == ERROR_SUCCESS && handle.serialComm) {
    std::lock_guard guard(handle.snapshotMutex);
    RefreshSnapshot(handle);
  }
  return static_cast<LSTATUS>(result);
}

bool ValidKeyName(std::string_view name) {
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20) return false;
  return name.size() <= 255;
}

}  // namespace

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD options, REGSAM desired,
                        const SECURITY_ATTRIBUTES*, PHKEY result, LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  if (!subKey || options != REG_OPTION_NON_VOLATILE) return ERROR_INVALID_PARAMETER;
  auto parent = LookupKey(key);
  if (!parent) return ERROR_INVALID_HANDLE;
  auto steps = SplitPath(subKey);
  if (!steps) return ERROR_BAD_PATHNAME;

  bool createdAny = false;
  DWORD error = parent->hive->Modify([&](RegKey& root, bool& changed) -> DWORD {
    RegKey* base = root.Find(parent->path);
    if (!base) return ERROR_KEY_DELETED;
    std::size_t existing = 0;
    for (RegKey* next; existing < steps->size() && (next = base->FindSubkey((*steps)[existing]));
         ++existing)
      base = next;
    if (existing == steps->size()) return ERROR_SUCCESS;
    if (!(parent->access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    for (std::size_t i = existing; i < steps->size(); ++i)
      if (!ValidKeyName((*steps)[i])) return ERROR_INVALID_PARAMETER;
    for (std::size_t i = existing; i < steps->size(); ++i) base = &base->AddSubkey((*steps)[i]);
    changed = createdAny = true;
    return ERROR_SUCCESS;
  });
  if (error) return static_cast<LSTATUS>(error);
  if (LSTATUS published = Publish(NewHandle(*parent, std::move(*steps), MapAccess(desired)), result))
    return published;
  if (disposition) *disposition = createdAny ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM desired, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  auto parent = LookupKey(key);
  if (!parent) return ERROR_INVALID_HANDLE;
  auto steps = SplitPath(subKey);
  if (!steps) return ERROR_BAD_PATHNAME;
  DWORD error = parent->hive->Read([&](const RegKey& root) -> DWORD {
    const RegKey* base = root.Find(parent->path);
    if (!base) return ERROR_KEY_DELETED;
    return base->Find(*steps) ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
  if (error) return static_cast<LSTATUS>(error);
  return Publish(NewHandle(*parent, std::move(*steps), MapAccess(desired)), result);
}

LSTATUS RegCloseKey(HKEY key) {
  if (IsPredefinedKey(key)) return ERROR_SUCCESS;
  return RemoveKey(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize) {
  if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  auto handle = LookupKey(key);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (!(handle->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  return ReadValues(*handle, false, [&](const std::vector<RegValue>& values) -> DWORD {
    for (const RegValue& value : values) {
      if (!NamesEqual(value.name, ValueName(valueName))) continue;
      if (type) *type = value.type;
      return static_cast<DWORD>(CopyData(value.data, data, dataSize));
    }
    return ERROR_FILE_NOT_FOUND;
  });
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data,
                       DWORD dataSize) {
  if (!data && dataSize) return ERROR_NOACCESS;
  auto handle = LookupKey(key);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (!(handle->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  // The bytes are stored as given: a REG_SZ keeps its NUL when the caller counted it, as on Windows.
  RegValue value{std::string(ValueName(valueName)), type,
                 std::vector<BYTE>(data, data ? data + dataSize : data)};
  return ChangeKey(*handle, [&](RegKey& target, bool& changed) -> DWORD {
    changed = target.SetValue(std::move(value));
    return ERROR_SUCCESS;
  });
}

LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName) {
  auto handle = LookupKey(key);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (!(handle->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  return ChangeKey(*handle, [&](RegKey& target, bool& changed) -> DWORD {
    changed = target.DeleteValue(ValueName(valueName));
    return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
  });
}

LSTATUS RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  auto handle = LookupKey(key);
  if (!handle) return ERROR_INVALID_HANDLE;
  auto steps = SplitPath(subKey);
  if (!steps) return ERROR_BAD_PATHNAME;
  std::vector<std::string> path = handle->path;
  path.insert(path.end(), steps->begin(), steps->end());
  // The hive's root and the device map (with its parents) are not the caller's to delete.
  if (path.empty() || IsSerialCommOrParent(handle->machine, path)) return ERROR_ACCESS_DENIED;
  std::string name = path.back();
  path.pop_back();
  return static_cast<LSTATUS>(handle->hive->Modify([&](RegKey& root, bool& changed) -> DWORD {
    if (!root.Find(handle->path)) return ERROR_KEY_DELETED;
    RegKey* parent = root.Find(path);
    RegKey* target = parent ? parent->FindSubkey(name) : nullptr;
    if (!target) return ERROR_FILE_NOT_FOUND;
    if (target->SubkeyCount() != 0) return ERROR_ACCESS_DENIED;
    changed = parent->DeleteSubkey(name);
    return ERROR_SUCCESS;
  }));
}

LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD nameSize, LPDWORD reserved,
                      LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (!valueName || !nameSize || reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  auto handle = LookupKey(key);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (!(handle->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  return ReadValues(*handle, index == 0, [&](const std::vector<RegValue>& values) -> DWORD {
    if (index >= values.size()) return ERROR_NO_MORE_ITEMS;
    const RegValue& value = values[index];
    if (CopyName(value.name, valueName, nameSize) != ERROR_SUCCESS) return ERROR_MORE_DATA;
    if (type) *type = value.type;
    return static_cast<DWORD>(CopyData(value.data, data, dataSize));
  });
}

LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameSize, LPDWORD reserved,
                      LPSTR keyClass, LPDWORD classSize, PFILETIME lastWriteTime) {
  if (!name || !nameSize || reserved) return ERROR_INVALID_PARAMETER;
  auto handle = LookupKey(key);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (!(handle->access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
  HiveFile& hive = *handle->hive;
  return static_cast<LSTATUS>(hive.Read([&](const RegKey& root) -> DWORD {
    const RegKey* target = root.Find(handle->path);
    if (!target) return ERROR_KEY_DELETED;
    if (index >= target->SubkeyCount()) return ERROR_NO_MORE_ITEMS;
    if (CopyName(target->Subkey(index).Name(), name, nameSize) != ERROR_SUCCESS)
      return ERROR_MORE_DATA;
    if (keyClass && classSize && *classSize > 0) keyClass[0] = '\0';
    if (classSize) *classSize = 0;
    if (lastWriteTime) *lastWriteTime = hive.LastWriteTime();
    return ERROR_SUCCESS;
  }));
}

LSTATUS RegQueryInfoKeyA(HKEY key, LPSTR keyClass, LPDWORD classSize, LPDWORD reserved,
                         LPDWORD subKeys, LPDWORD maxSubKeyLength, LPDWORD maxClassLength,
                         LPDWORD values, LPDWORD maxValueNameLength, LPDWORD maxValueLength,
                         LPDWORD securityDescriptorSize, PFILETIME lastWriteTime) {
  if (reserved) return ERROR_INVALID_PARAMETER;
  auto handle = LookupKey(key);
  if (!handle) return ERROR_INVALID_HANDLE;
  if (!(handle->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  HiveFile& hive = *handle->hive;
  LSTATUS result = static_cast<LSTATUS>(hive.Read([&](const RegKey& root) -> DWORD {
    const RegKey* target = root.Find(handle->path);
    if (!target) return ERROR_KEY_DELETED;
    DWORD longest = 0;
    for (std::size_t i = 0; i < target->SubkeyCount(); ++i)
      longest = std::max(longest, static_cast<DWORD>(target->Subkey(i).Name().size()));
    if (subKeys) *subKeys = static_cast<DWORD>(target->SubkeyCount());
    if (maxSubKeyLength) *maxSubKeyLength = longest;
    if (keyClass && classSize && *classSize > 0) keyClass[0] = '\0';
    if (classSize) *classSize = 0;
    if (maxClassLength) *maxClassLength = 0;
    if (securityDescriptorSize) *securityDescriptorSize = 0;  // keys carry no security here
    if (lastWriteTime) *lastWriteTime = hive.LastWriteTime();
    return ERROR_SUCCESS;
  }));
  if (result != ERROR_SUCCESS) return result;
  return ReadValues(*handle, true, [&](const std::vector<RegValue>& list) -> DWORD {
    DWORD longestName = 0, longestData = 0;
    for (const RegValue& value : list) {
      longestName = std::max(longestName, static_cast<DWORD>(value.name.size()));
      longestData = std::max(longestData, static_cast<DWORD>(value.data.size()));
    }
    if (values) *values = static_cast<DWORD>(list.size());
    if (maxValueNameLength) *maxValueNameLength = longestName;
    if (maxValueLength) *maxValueLength = longestData;
    return ERROR_SUCCESS;
  });
}
