#pragma once
// The process's table of open key handles. A handle names a key by its path in a hive, so a key
// deleted meanwhile (by this or another process) answers ERROR_KEY_DELETED.
#include "HiveFile.h"

#include <registry/WinReg.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tolvar::registry {

struct KeyHandle {
  std::shared_ptr<HiveFile> hive;
  std::vector<std::string> path;
  REGSAM access = 0;
  bool machine = false;
  // The serial device map is made when the key is opened and when its values are enumerated from
  // the start; the values seen between those moments stay put, so indexes keep their meaning.
  bool serialComm = false;
  std::mutex snapshotMutex;
  std::vector<RegValue> snapshot;
};

// The handle behind an HKEY: a predefined key (a fresh record with all access) or an open one;
// nullptr when the HKEY names nothing.
std::shared_ptr<KeyHandle> LookupKey(HKEY key);
bool IsPredefinedKey(HKEY key);

HKEY InsertKey(std::shared_ptr<KeyHandle> handle);
bool RemoveKey(HKEY key);

}  // namespace tolvar::registry
