#pragma once
// The hives of the current home: HKEY_CURRENT_USER is "user.reg", HKEY_LOCAL_MACHINE "machine.reg".
// One HiveFile per file and process, so every handle on a hive shares its tree and its lock.
#include "HiveFile.h"

#include <memory>
#include <string>
#include <vector>

namespace tolvar::registry {

enum class HiveRoot { CurrentUser, LocalMachine };

std::shared_ptr<HiveFile> HiveOf(HiveRoot root);

// HKEY_LOCAL_MACHINE "HARDWARE\DEVICEMAP\SERIALCOMM", which always exists.
const std::vector<std::string>& SerialCommPath();

}  // namespace tolvar::registry
