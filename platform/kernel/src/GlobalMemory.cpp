// Global memory blocks. Each block carries a small header before the bytes the caller sees: its
// size, its lock count and a mark that tells a live block of ours from a null or mistaken handle,
// which then fails with ERROR_INVALID_HANDLE.
#include <kernel/GlobalMemory.h>

#include <base/LastError.h>
#include <base/WinError.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr std::uint64_t kMark = 0x7A6C6F6248414C47ull;  // marks a live block
constexpr DWORD ERROR_NOT_LOCKED = 158;

struct alignas(16) Header {
  std::uint64_t mark;
  SIZE_T size;
  std::atomic<int> locks;
};

Header* HeaderOf(HGLOBAL block) {
  if (!block) return nullptr;
  auto* header = reinterpret_cast<Header*>(static_cast<char*>(block) - sizeof(Header));
  if (header->mark != kMark) return nullptr;
  return header;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  if (bytes > SIZE_T(1) << 40) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  void* raw = std::malloc(sizeof(Header) + (bytes ? bytes : 1));
  if (!raw) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* header = new (raw) Header{kMark, bytes, {0}};
  char* data = reinterpret_cast<char*>(header + 1);
  if (flags & GMEM_ZEROINIT) std::memset(data, 0, bytes);
  return data;
}

HGLOBAL GlobalFree(HGLOBAL block) {
  if (!block) return nullptr;
  Header* header = HeaderOf(block);
  if (!header) {
    SetLastError(ERROR_INVALID_HANDLE);
    return block;
  }
  header->mark = 0;
  header->~Header();
  std::free(header);
  return nullptr;
}

LPVOID GlobalLock(HGLOBAL block) {
  Header* header = HeaderOf(block);
  if (!header) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  ++header->locks;
  return block;
}

BOOL GlobalUnlock(HGLOBAL block) {
  Header* header = HeaderOf(block);
  if (!header) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  int locks = header->locks.load();
  while (locks > 0 && !header->locks.compare_exchange_weak(locks, locks - 1)) {
  }
  if (locks <= 1) {
    SetLastError(locks == 1 ? NO_ERROR : ERROR_NOT_LOCKED);
    return FALSE;
  }
  return TRUE;
}

SIZE_T GlobalSize(HGLOBAL block) {
  Header* header = HeaderOf(block);
  if (!header) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return header->size;
}
