// Files of the exchange (see ExchangeFiles.h).
#include "ExchangeFiles.h"

#include <base/LastError.h>
#include <kernel/AtomicFile.h>
#include <kernel/File.h>
#include <kernel/Io.h>
#include <kernel/UniqueHandle.h>

namespace interlex {
namespace {

using tolvar::kernel::UniqueHandle;

UniqueHandle OpenForReading(const CString& path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return UniqueHandle(file);
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
  return tolvar::kernel::WriteFileAtomically(
      static_cast<LPCSTR>(path), std::span<const BYTE>(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size()));
}

CString CutPath(const CString& path, int limit) {
  if (path.GetLength() <= limit) return path;
  int length = limit;
  // Back off over UTF-8 continuation bytes to the start of the character the limit falls in.
  while (length > 0 && (static_cast<unsigned char>(path[length]) & 0xC0) == 0x80) --length;
  return path.Left(length);
}

}  // namespace interlex
