#include "NamedObjects.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <mutex>
#include <string>
#include <unordered_map>

namespace tolvar::kernel {
namespace {

struct Entry {
  std::weak_ptr<Object> object;
  NamedKind kind;
};

struct NameTable {
  std::mutex lock;
  std::unordered_map<std::string, Entry> entries;  // by segment name, which includes the home's tag
};

NameTable& Names() {
  static auto* table = new NameTable;  // never destroyed: handles may be closed during exit
  return *table;
}

}  // namespace

NamedOpenResult OpenNamedObject(std::string_view name, NamedKind kind, std::uint64_t payloadSize,
                                NamedSegment::Mode mode,
                                const std::function<void(SegmentHeader&)>& initialise,
                                const MakeNamedObject& make) {
  NamedOpenResult result;
  const std::string key = NamedSegment::SegmentName(name);
  NameTable& names = Names();
  std::lock_guard guard(names.lock);
  if (auto it = names.entries.find(key); it != names.entries.end()) {
    if (auto object = it->second.object.lock()) {
      if (it->second.kind != kind) {
        result.error = ERROR_INVALID_HANDLE;
      } else {
        result.object = std::move(object);
        result.existed = true;
      }
      return result;
    }
  }
  NamedSegment::Result opened = NamedSegment::Open(name, kind, payloadSize, mode, initialise);
  if (!opened.segment) {
    result.error = opened.error;
    return result;
  }
  result.existed = opened.existed;
  result.object = make(std::move(opened.segment));
  names.entries[key] = Entry{result.object, kind};
  return result;
}

HANDLE HandleForCreated(const NamedOpenResult& result) {
  if (!result.object) {
    SetLastError(result.error);
    return nullptr;
  }
  HANDLE handle = InsertHandle(result.object);
  SetLastError(result.existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

HANDLE HandleForOpened(const NamedOpenResult& result) {
  if (!result.object) {
    SetLastError(result.error);
    return nullptr;
  }
  return InsertHandle(result.object);
}

}  // namespace tolvar::kernel
