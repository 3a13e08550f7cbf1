// Files of the exchange (see ExchangeFiles.h).
#include "ExchangeFiles.h"

#include <base/LastError.h>
#include <kernel/File.h>
#include <kernel/Io.h>
#include <kernel/Process.h>
#include <kernel/UniqueHandle.h>

namespace interlex {
namespace {

using tolvar::kernel::UniqueHandle;

UniqueHandle OpenForReading(const CString& path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return UniqueHandle(file);
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

bool ReadWholeFile(const CString& path, std::string& bytes) {
  bytes.clear();
  UniqueHandle file = OpenForReading(path);
  if (!file) return false;
  char buffer[65536];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return false;
    if (read == 0) return true;
    bytes.append(buffer, read);
  }
}

bool FileExists(const CString& path) { return static_cast<bool>(OpenForReading(path)); }

bool WriteWholeFile(const CString& path, std::string_view bytes) {
  CString temporary;
  temporary.Format("%s.%lu.part", static_cast<LPCSTR>(path), static_cast<unsigned long>(GetCurrentProcessId()));
  {
    UniqueHandle file(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    if (!WriteAll(file.Get(), bytes) || !FlushFileBuffers(file.Get())) {
      const DWORD error = GetLastError();
      file.Reset();
      DeleteFileA(temporary);
      SetLastError(error);
      return false;
    }
  }
  if (!MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = GetLastError();
    DeleteFileA(temporary);
    SetLastError(error);
    return false;
  }
  return true;
}

CString JoinPath(const CString& folder, const CString& name) {
  if (folder.IsEmpty()) return name;
  const char last = folder[folder.GetLength() - 1];
  if (last == '\\' || last == '/') return folder + name;
  const bool drivePath = folder.GetLength() >= 2 && folder[1] == ':';
  return folder + (drivePath ? "\\" : "/") + name;
}

CString CutPath(const CString& path, int limit) {
  if (path.GetLength() <= limit) return path;
  int length = limit;
  // Back off over UTF-8 continuation bytes to the start of the character the limit falls in.
  while (length > 0 && (static_cast<unsigned char>(path[length]) & 0xC0) == 0x80) --length;
  return path.Left(length);
}

}  // namespace interlex
