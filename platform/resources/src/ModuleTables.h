#pragma once
// The parsed resources of each loaded module, read once from the module's file and kept for the life
// of the process (resource pointers handed out must stay valid).
#include "ResourceTable.h"

namespace tolvar::resources {

// The table of `module` (nullptr: the program), or nullptr with the last error set
// (ERROR_MOD_NOT_FOUND, ERROR_RESOURCE_DATA_NOT_FOUND).
const ResourceTable* TableOf(HMODULE module);

// The table that holds `entry` (an HRSRC handed out earlier), or nullptr.
const ResourceTable* TableHolding(HMODULE module, const ResourceEntry* entry);

// Finds a resource by Windows arguments, setting the last error as FindResource does.
const ResourceEntry* FindEntry(HMODULE module, LPCSTR type, LPCSTR name, std::optional<WORD> language);

}  // namespace tolvar::resources
