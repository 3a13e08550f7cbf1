#include "Hives.h"

#include <base/Home.h>

#include <map>
#include <mutex>

namespace tolvar::registry {

const std::vector<std::string>& SerialCommPath() {
  static const std::vector<std::string> path{"HARDWARE", "DEVICEMAP", "SERIALCOMM"};
  return path;
}

namespace {

void PrepareMachine(RegKey& root) {
  RegKey* key = &root;
  for (const std::string& name : SerialCommPath()) key = &key->AddSubkey(name);
}

}  // namespace

std::shared_ptr<HiveFile> HiveOf(HiveRoot root) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<HiveFile>> hives;
  // The home is looked up on every call: tests point TOLVAR_HOME at a new folder per case.
  bool user = root == HiveRoot::CurrentUser;
  std::string path = tolvar::HomeFolder() + (user ? "/user.reg" : "/machine.reg");
  std::lock_guard guard(mutex);
  auto& hive = hives[path];
  if (!hive) {
    hive = user ? std::make_shared<HiveFile>(path, "HKEY_CURRENT_USER", nullptr)
                : std::make_shared<HiveFile>(path, "HKEY_LOCAL_MACHINE", PrepareMachine);
  }
  return hive;
}

}  // namespace tolvar::registry
