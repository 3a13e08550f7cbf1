#pragma once
// One hive file on disk ("user.reg", "machine.reg") and its tree in memory.
//
// Readers see other processes' writes: before every call the file is compared with the one loaded
// (inode, size, times; the loaded file stays open so its inode cannot be reused by a newer file)
// and loaded again when it changed. Writers take the lock file beside the hive ("user.reg.lock"),
// load the newest file, apply their change and replace the file atomically (temporary file, fsync,
// rename), so no process's write is lost to another's.
//
// A file that cannot be parsed is never silently emptied: it is kept as "<hive>.corrupt-<time>", a
// message naming both files goes to stderr, the call fails with ERROR_REGISTRY_CORRUPT and the hive
// starts again empty, so the suite can go on.
#include "RegKey.h"

#include <base/WinDef.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <ctime>

namespace tolvar::registry {

class HiveFile {
public:
  // `prepare` runs on the tree after every load, to add keys the layer makes itself.
  HiveFile(std::string path, std::string rootName, std::function<void(RegKey&)> prepare);
  ~HiveFile();
  HiveFile(const HiveFile&) = delete;
  HiveFile& operator=(const HiveFile&) = delete;

  const std::string& Path() const { return m_path; }

  // Runs `reader` on the hive as it is on disk now and returns its result (or the error of
  // loading the hive). The hive's lock is held during the call: `reader` must not reenter.
  DWORD Read(const std::function<DWORD(const RegKey&)>& reader);

  // Runs `change` on the newest hive under the file lock. When it returns ERROR_SUCCESS with
  // `changed` set, the hive is written before Modify returns.
  DWORD Modify(const std::function<DWORD(RegKey& root, bool& changed)>& change);

  // When the loaded file was last written (the epoch when there is no file). Only valid inside
  // Read or Modify.
  FILETIME LastWriteTime() const;

private:
  struct FileId {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
  };

  DWORD Refresh(bool haveFileLock);
  DWORD SetAside(int fd, const FileId& id, const std::string& reason);
  DWORD Write();
  void ResetEmpty();
  void HoldFile(int fd, const FileId& id);

  std::string m_path;
  std::string m_rootName;
  std::function<void(RegKey&)> m_prepare;
  std::mutex m_mutex;
  std::unique_ptr<RegKey> m_root;  // nullptr: not loaded (or unknown after a failed write)
  FileId m_loaded;
  int m_heldFd = -1;
  unsigned m_tempCounter = 0;
};

}  // namespace tolvar::registry
