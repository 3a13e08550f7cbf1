#include <kernel/Io.h>

#include <kernel/Sync.h>

#include "Devices.h"

#include <base/LastError.h>
#include <base/WinError.h>

#include <atomic>
#include <condition_variable>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <strings.h>
#include <vector>

namespace tolvar::kernel {
namespace {

// Completions of every overlapped transfer in the process are published under one lock, so
// GetOverlappedResult can sleep until its transfer ends whether or not it has an event.
std::mutex g_completionLock;
std::condition_variable g_completion;

ULONG_PTR Load(ULONG_PTR& field) { return std::atomic_ref(field).load(std::memory_order_acquire); }
void Store(ULONG_PTR& field, ULONG_PTR value) { std::atomic_ref(field).store(value, std::memory_order_release); }

// The low bit of hEvent asks Windows not to post to a completion port; it is not part of the handle.
HANDLE EventOf(const OVERLAPPED* o) {
  return reinterpret_cast<HANDLE>(reinterpret_cast<std::uintptr_t>(o->hEvent) & ~std::uintptr_t(1));
}

// The event is set under the same lock, so GetOverlappedResult cannot return (and its caller
// cannot reset the event, start the next transfer on it or close it) before the completer is done
// with the event: a late SetEvent would signal the next transfer, or a handle reused by then.
void Record(OVERLAPPED* o, DWORD error, DWORD bytes, HANDLE event = nullptr) {
  {
    std::lock_guard guard(g_completionLock);
    Store(o->InternalHigh, bytes);
    Store(o->Internal, error);
    if (event) SetEvent(event);
  }
  g_completion.notify_all();
}

void BeginOverlapped(OVERLAPPED* o) {
  Store(o->InternalHigh, 0);
  Store(o->Internal, STATUS_PENDING);
  if (HANDLE event = EventOf(o)) ResetEvent(event);
}

// Turns an IoObject's answer into ReadFile's and WriteFile's result.
BOOL Finish(OVERLAPPED* o, DWORD error, DWORD done, LPDWORD transferred) {
  if (transferred) *transferred = done;
  if (error == ERROR_SUCCESS) {
    if (o) CompleteOverlapped(o, ERROR_SUCCESS, done);
    return TRUE;
  }
  if (o && error != ERROR_IO_PENDING) Record(o, error, done);
  SetLastError(error);
  return FALSE;
}

struct DeviceTable {
  std::mutex lock;
  std::vector<std::pair<std::string, DeviceOpener>> openers;
};

DeviceTable& Devices() {
  static auto* table = new DeviceTable;  // never destroyed: modules register from static constructors
  return *table;
}

// The platform module that provides each kind of device. A module registers its openers when it is
// loaded; a program that reaches a device only through CreateFile calls none of the module's
// functions by name, and the linker may then leave the module out of it (it does in optimised
// builds). So a device name no opener claims has its module loaded, from the folder the platform's
// modules share, and is looked up again.
struct DeviceModule {
  const char* prefix;
  const char* library;
};
constexpr DeviceModule kDeviceModules[] = {
    {"COM", "libplatform_comm.so"},
};

bool LoadDeviceModule(std::string_view name) {
  for (const DeviceModule& module : kDeviceModules) {
    const std::string_view prefix = module.prefix;
    if (name.size() < prefix.size() || strncasecmp(name.data(), prefix.data(), prefix.size()) != 0) continue;
    Dl_info self{};
    if (!dladdr(reinterpret_cast<void*>(&RegisterDeviceOpener), &self) || !self.dli_fname) return false;
    std::string path = self.dli_fname;
    path = path.substr(0, path.find_last_of('/') + 1) + module.library;
    // Kept for the process's life, as a module linked in would be.
    return dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL) != nullptr;
  }
  return false;
}

DeviceOpener FindOpener(const std::string& name) {
  DeviceTable& t = Devices();
  std::lock_guard guard(t.lock);
  DeviceOpener opener;
  size_t best = 0;
  for (const auto& [prefix, candidate] : t.openers) {
    if (prefix.size() >= best && name.size() >= prefix.size() &&
        strncasecmp(name.c_str(), prefix.c_str(), prefix.size()) == 0) {
      best = prefix.size();
      opener = candidate;
    }
  }
  return opener;
}

}  // namespace

void CompleteOverlapped(OVERLAPPED* overlapped, DWORD error, DWORD bytes) {
  // Read the event first: once the result is published the caller may reuse the OVERLAPPED.
  HANDLE event = EventOf(overlapped);
  Record(overlapped, error, bytes, event);
}

void RegisterDeviceOpener(std::string prefix, DeviceOpener opener) {
  DeviceTable& t = Devices();
  std::lock_guard guard(t.lock);
  for (auto& [known, existing] : t.openers) {
    if (strcasecmp(known.c_str(), prefix.c_str()) == 0) {
      existing = std::move(opener);
      return;
    }
  }
  t.openers.emplace_back(std::move(prefix), std::move(opener));
}

bool IsDevicePath(std::string_view path, std::string_view* name) {
  auto sep = [](char c) { return c == '\\' || c == '/'; };
  if (path.size() < 5 || !sep(path[0]) || !sep(path[1]) || path[2] != '.' || !sep(path[3])) return false;
  if (name) *name = path.substr(4);
  return true;
}

std::shared_ptr<IoObject> OpenDevice(const DeviceOpenRequest& request) {
  DeviceOpener opener = FindOpener(request.name);
  if (!opener && LoadDeviceModule(request.name)) opener = FindOpener(request.name);
  if (!opener) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return nullptr;
  }
  return opener(request);
}

}  // namespace tolvar::kernel

using namespace tolvar::kernel;

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
  auto object = LookupHandleAs<IoObject>(file);
  if (!object) return FALSE;
  if (read) *read = 0;
  if (!buffer && toRead) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  if (overlapped) BeginOverlapped(overlapped);
  DWORD done = 0;
  DWORD error = object->Read({static_cast<BYTE*>(buffer), toRead}, done, overlapped);
  return Finish(overlapped, error, done, read);
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped) {
  auto object = LookupHandleAs<IoObject>(file);
  if (!object) return FALSE;
  if (written) *written = 0;
  if (!buffer && toWrite) {
    SetLastError(ERROR_NOACCESS);
    return FALSE;
  }
  if (overlapped) BeginOverlapped(overlapped);
  DWORD done = 0;
  DWORD error = object->Write({static_cast<const BYTE*>(buffer), toWrite}, done, overlapped);
  return Finish(overlapped, error, done, written);
}

BOOL FlushFileBuffers(HANDLE file) {
  auto object = LookupHandleAs<IoObject>(file);
  if (!object) return FALSE;
  DWORD error = object->Flush();
  if (error != ERROR_SUCCESS) SetLastError(error);
  return error == ERROR_SUCCESS;
}

BOOL CancelIo(HANDLE file) {
  auto object = LookupHandleAs<IoObject>(file);
  if (!object) return FALSE;
  DWORD error = object->Cancel();
  if (error != ERROR_SUCCESS) SetLastError(error);
  return error == ERROR_SUCCESS;
}

BOOL GetOverlappedResult(HANDLE file, LPOVERLAPPED overlapped, LPDWORD transferred, BOOL wait) {
  if (!LookupHandleAs<IoObject>(file)) return FALSE;
  if (!overlapped) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::unique_lock lock(g_completionLock);
  if (Load(overlapped->Internal) == STATUS_PENDING) {
    if (!wait) {
      SetLastError(ERROR_IO_INCOMPLETE);
      return FALSE;
    }
    g_completion.wait(lock, [&] { return Load(overlapped->Internal) != STATUS_PENDING; });
  }
  DWORD error = static_cast<DWORD>(Load(overlapped->Internal));
  if (transferred) *transferred = static_cast<DWORD>(Load(overlapped->InternalHigh));
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  return TRUE;
}
