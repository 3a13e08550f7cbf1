#include "ModuleTables.h"

#include "ElfSection.h"

#include <base/LastError.h>
#include <base/WinError.h>
#include <kernel/Module.h>
#include <resources/Resource.h>
#include <resources/ResourceData.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>
#include <sys/stat.h>

namespace tolvar::resources {
namespace {

std::mutex g_lock;
// By module base and file: a library unloaded and another loaded at the same address is a new entry.
// A module without resources is remembered as nullptr.
std::map<std::pair<std::uintptr_t, std::string>, std::unique_ptr<ResourceTable>> g_tables;
// Files read without loading them, by path and the file's size and time: a program built again is
// read again, and the earlier table stays for the pointers handed out from it.
std::map<std::tuple<std::string, off_t, std::int64_t>, std::unique_ptr<ResourceTable>> g_files;

// "Daybook.exe" is looked for as "Daybook", as the suite names its programs.
const ResourceTable* TableOfFile(const std::string& name) {
  std::string path = tolvar::kernel::MapModuleName(name);
  std::replace(path.begin(), path.end(), '\\', '/');
  struct stat status {};
  if (stat(path.c_str(), &status) != 0) path = name;
  if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  const std::int64_t time = std::int64_t(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
  std::lock_guard guard(g_lock);
  auto key = std::make_tuple(path, status.st_size, time);
  auto it = g_files.find(key);
  if (it == g_files.end()) {
    SectionRead read = ReadElfSection(path, kResourceSection);
    std::unique_ptr<ResourceTable> table;
    if (read.bytes) table = ResourceTable::Parse(std::move(*read.bytes));
    it = g_files.emplace(key, std::move(table)).first;
  }
  if (!it->second) SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
  return it->second.get();
}

const ResourceEntry* FindIn(const ResourceTable* table, LPCSTR type, LPCSTR name, std::optional<WORD> language) {
  if (!table) return nullptr;
  auto typeKey = ResKey::FromArgument(type), nameKey = ResKey::FromArgument(name);
  if (!typeKey) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  if (!nameKey) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  FindFailure failure = FindFailure::None;
  const ResourceEntry* entry = table->Find(*typeKey, *nameKey, language, &failure);
  static constexpr DWORD kErrors[] = {ERROR_SUCCESS, ERROR_RESOURCE_TYPE_NOT_FOUND,
                                      ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_RESOURCE_LANG_NOT_FOUND};
  if (!entry) SetLastError(kErrors[static_cast<int>(failure)]);
  return entry;
}

}  // namespace

const ResourceTable* TableOf(HMODULE module) {
  if (!module) module = GetModuleHandleA(nullptr);
  std::string path = tolvar::kernel::ModulePath(module);
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard guard(g_lock);
  auto key = std::make_pair(reinterpret_cast<std::uintptr_t>(module), path);
  auto it = g_tables.find(key);
  if (it == g_tables.end()) {
    SectionRead read = ReadElfSection(path, kResourceSection);
    std::unique_ptr<ResourceTable> table;
    if (read.bytes) table = ResourceTable::Parse(std::move(*read.bytes));
    it = g_tables.emplace(key, std::move(table)).first;
  }
  if (!it->second) SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
  return it->second.get();
}

const ResourceTable* TableHolding(HMODULE module, const ResourceEntry* entry) {
  const ResourceTable* table = entry ? TableOf(module) : nullptr;
  if (!table || !table->Owns(entry)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return table;
}

const ResourceEntry* FindEntry(HMODULE module, LPCSTR type, LPCSTR name, std::optional<WORD> language) {
  if (!type || !name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return FindIn(TableOf(module), type, name, language);
}

std::span<const BYTE> ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name) {
  const ResourceEntry* entry = FindEntry(module, type, name, std::nullopt);
  return entry ? entry->data : std::span<const BYTE>();
}

std::span<const BYTE> FileResourceBytes(const std::string& path, LPCSTR type, LPCSTR name) {
  if (!type || !name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return {};
  }
  const ResourceEntry* entry = FindIn(TableOfFile(path), type, name, std::nullopt);
  return entry ? entry->data : std::span<const BYTE>();
}

std::vector<std::string> FileResourceNames(const std::string& path, LPCSTR type) {
  const ResourceTable* table = TableOfFile(path);
  const auto typeKey = type ? ResKey::FromArgument(type) : std::nullopt;
  if (!table || !typeKey) return {};
  std::vector<ResKey> keys;
  for (const ResourceEntry& entry : table->Entries())
    if (entry.type == *typeKey && std::find(keys.begin(), keys.end(), entry.name) == keys.end()) keys.push_back(entry.name);
  // Named resources come first, then numbered ones, each in order.
  std::sort(keys.begin(), keys.end(), [](const ResKey& a, const ResKey& b) {
    if (a.text.empty() != b.text.empty()) return !a.text.empty();
    return a.text.empty() ? a.id < b.id : a.text < b.text;
  });
  std::vector<std::string> names;
  for (const ResKey& key : keys) names.push_back(key.text.empty() ? "#" + std::to_string(key.id) : key.text);
  if (names.empty()) SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
  return names;
}

}  // namespace tolvar::resources

using namespace tolvar::resources;

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
  return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(FindEntry(module, type, name, std::nullopt)));
}

HRSRC FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
  return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(FindEntry(module, type, name, language)));
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource) {
  auto* entry = reinterpret_cast<const ResourceEntry*>(resource);
  if (!TableHolding(module, entry)) return nullptr;
  // The handle is the data itself, as with a mapped image; LockResource only hands it back.
  return const_cast<BYTE*>(entry->data.data());
}

LPVOID LockResource(HGLOBAL resource) { return resource; }

DWORD SizeofResource(HMODULE module, HRSRC resource) {
  auto* entry = reinterpret_cast<const ResourceEntry*>(resource);
  if (!TableHolding(module, entry)) return 0;
  return static_cast<DWORD>(entry->data.size());
}

BOOL FreeResource(HGLOBAL) { return FALSE; }
